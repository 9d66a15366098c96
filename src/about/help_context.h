// Help contexts: the number each window, control and menu item carries (0: none), and the F1
// key that opens the help topic of whatever has the focus.
//
// F1 finds the context this way:
// - In a window: start at the control that has the keyboard focus (the window itself when none
//   has) and walk up through its parents to the first nonzero context; with none, nothing
//   happens.
// - In an open menu: start at the highlighted item and walk up through the items that hold it
//   (its menu, that menu's item in the menu above, ...). An item of the window's menu bar that
//   gives 0 is then looked up in the window's pop-up menu, if the same item is there. The result
//   is passed to help even when it is 0 (which shows the contents).
// F1 acts only in windows that installed it, and in their menu bar and pop-up menu.
#pragma once

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace about {

// Attaches a help context to a window or control, a menu item, or a menu (the item that opens
// it).
void setHelpContext(QWidget* widget, int context);
void setHelpContext(QAction* item, int context);
void setHelpContext(QMenu* menu, int context);

// The context attached, 0 when none.
int helpContext(const QWidget* widget);
int helpContext(const QAction* item);
int helpContext(const QMenu* menu);

// Makes F1 work in window (a top-level window) and in its menu bar; popupMenu is the window's
// pop-up menu, searched for main-menu items without context and itself a menu F1 works in.
// Installing again only records a new pop-up menu when one is given.
void installHelpKey(QWidget* window, QMenu* popupMenu = nullptr);

// The context F1 finds for a control (rule above); 0 when none.
int controlHelpContext(const QWidget* control);
// The context F1 finds for a highlighted item of container (a menu or a menu bar), including the
// fallback to the pop-up menu of the window whose menu bar holds it.
int menuItemHelpContext(const QAction* item, const QWidget* container);

} // namespace about
