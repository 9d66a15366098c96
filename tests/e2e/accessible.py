#!/usr/bin/env python3
"""Reads Glimra's controls through the accessibility bus (AT-SPI), as a screen reader does.

    accessible.py rows NAME          the rows of the list named NAME, one JSON string a line
    accessible.py selected NAME      the selected row of that list, as a JSON string
    accessible.py select NAME INDEX  selects row INDEX of that list
    accessible.py labels             the texts of every label of the program, one JSON string a line

Exits with 2 when the program or the list cannot be found within ten seconds.
"""
import json
import sys
import time

import pyatspi

APPLICATION = "glimra"


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == APPLICATION:
            return app
    return None


def find(node, name, depth=0):
    """The first control named `name` that holds rows (a list), depth first."""
    if node is None or depth > 20:
        return None
    if node.name == name and node.getRoleName() in ("list", "list box", "table", "tree table"):
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), name, depth + 1)
        if found is not None:
            return found
    return None


def wait_for_list(name):
    deadline = time.time() + 10
    while time.time() < deadline:
        found = find(application(), name)
        if found is not None:
            return found
        time.sleep(0.2)
    print(f"no list named {name!r} in {APPLICATION}", file=sys.stderr)
    sys.exit(2)


def rows(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def walk(node, depth=0):
    """Every control below node, depth first."""
    if node is None or depth > 20:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def main():
    command = sys.argv[1]
    if command == "labels":
        app = application()
        if app is None:
            sys.exit(2)
        for node in walk(app):
            if node.getRoleName() == "label":
                print(json.dumps(node.name))
        return
    name = sys.argv[2]
    target = wait_for_list(name)
    if command == "rows":
        for row in rows(target):
            print(json.dumps(row.name))
    elif command == "selected":
        # Qt publishes its list views as tables: the selection is a set of rows.
        selected = target.queryTable().getSelectedRows()
        if not selected:
            print("null")
        else:
            print(json.dumps(target.getChildAtIndex(selected[0]).name))
    elif command == "select":
        if not target.queryTable().addRowSelection(int(sys.argv[3])):
            sys.exit(1)
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    main()
