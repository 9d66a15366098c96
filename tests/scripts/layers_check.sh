#!/usr/bin/env bash
# scripts/layers check, on a copy of the tree: it passes on the tree as it is and fails, naming
# the file, on an include that goes up a layer or across one, and on a source file no
# CMakeLists.txt names.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

copy() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree/scripts"
    cp "$repo/scripts/layers" "$work/tree/scripts/"
    cp -r "$repo/src" "$repo/tests" "$repo/bench" "$repo/docs" "$work/tree/"
    [ -d "$repo/fuzz" ] && cp -r "$repo/fuzz" "$work/tree/"
    return 0
}

expect_failure() { # what, file the message must name
    if "$work/tree/scripts/layers" check >"$work/out" 2>&1; then
        echo "FAIL: check passed with $1"
        exit 1
    fi
    grep -q "$2" "$work/out" || { echo "FAIL: $1 not named:"; cat "$work/out"; exit 1; }
    echo "ok: $1 refused"
}

copy
"$work/tree/scripts/layers" check || { echo "FAIL: the tree itself does not pass"; exit 1; }

# The lowest layer reaching up to a window.
copy
sed -i '1a #include "browser/browser_window.h"' "$work/tree/src/platform/errors.cpp"
expect_failure "an upward include" "src/platform/errors.cpp"

# Two folders of one layer are independent of each other.
copy
sed -i '1a #include "preview/status_panel.h"' "$work/tree/src/filelists/list_rows.cpp"
expect_failure "an include within one layer" "src/filelists/list_rows.cpp"

# A source the build would leave out.
copy
printf 'int forgotten() { return 1; }\n' >"$work/tree/src/viewer/forgotten.cpp"
expect_failure "an unlisted source" "forgotten.cpp"
echo "layers check: all cases behave"
