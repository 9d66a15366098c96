#include "about/help_context.h"

#include "about/help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QVariant>

namespace about {
namespace {

const char* const kContextProperty = "glimraHelpContext";
const char* const kPopupProperty = "glimraHelpPopup";
const QString kHolderName = QStringLiteral("glimraHelpKey");

int contextOf(const QObject* object) {
    return object ? object->property(kContextProperty).toInt() : 0;
}

// Marks a window as one F1 works in and remembers its pop-up menu.
class HelpKeyHolder : public QObject {
public:
    using QObject::QObject;
    QPointer<QMenu> popup;
};

HelpKeyHolder* holderOf(const QWidget* window) {
    return window ? window->findChild<HelpKeyHolder*>(kHolderName, Qt::FindDirectChildrenOnly)
                  : nullptr;
}

// The menu or menu bar that holds a menu's own item, other than the menu itself.
QWidget* containerOf(const QAction* menuItem, const QWidget* self) {
    for (QObject* object : menuItem->associatedObjects()) {
        if (object == self)
            continue;
        if (qobject_cast<QMenu*>(object) || qobject_cast<QMenuBar*>(object))
            return static_cast<QWidget*>(object);
    }
    return nullptr;
}

// Walks from an item of container up through the items that hold it.
int walkMenus(const QAction* item, const QWidget* container) {
    QSet<const QWidget*> seen;
    while (item) {
        if (const int context = contextOf(item))
            return context;
        const auto* menu = qobject_cast<const QMenu*>(container);
        if (!menu || seen.contains(menu))
            return 0;
        seen.insert(menu);
        item = menu->menuAction();
        container = containerOf(item, menu);
    }
    return 0;
}

// The menu bar or top-level pop-up menu a menu hangs from.
const QWidget* rootOf(const QWidget* container) {
    QSet<const QWidget*> seen;
    while (const auto* menu = qobject_cast<const QMenu*>(container)) {
        if (seen.contains(menu))
            break;
        seen.insert(menu);
        const QWidget* above = containerOf(menu->menuAction(), menu);
        if (!above)
            break;
        container = above;
    }
    return container;
}

// The menu of popup (popup itself or one of its submenus) that holds item directly.
const QMenu* findItem(const QMenu* popup, const QAction* item, QSet<const QMenu*>& seen) {
    if (seen.contains(popup))
        return nullptr;
    seen.insert(popup);
    const QList<QAction*> actions = popup->actions();
    if (actions.contains(const_cast<QAction*>(item)))
        return popup;
    for (const QAction* action : actions)
        if (const QMenu* sub = action->menu())
            if (const QMenu* found = findItem(sub, item, seen))
                return found;
    return nullptr;
}

bool menuTakesHelp(const QWidget* container) {
    const QWidget* root = rootOf(container);
    if (qobject_cast<const QMenuBar*>(root))
        return holderOf(root->window()) != nullptr;
    return root && root->property(kPopupProperty).toBool();
}

void requestHelp(int context) {
    // An open menu would keep the keyboard from the help window.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    WinHelp(applicationHelpFile(), HELP_CONTEXT, context);
}

// Catches F1 for every window that installed it, and for their menus, which are windows of
// their own while open.
class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!widget)
            return false;

        QAction* item = nullptr;
        if (auto* menu = qobject_cast<QMenu*>(widget))
            item = menu->activeAction();
        else if (auto* bar = qobject_cast<QMenuBar*>(widget))
            item = bar->activeAction();
        if (item || qobject_cast<QMenu*>(widget)) {
            if (!menuTakesHelp(widget))
                return false;
            // An open menu with nothing highlighted has nothing to explain.
            if (item)
                requestHelp(menuItemHelpContext(item, widget));
            return true;
        }

        if (!holderOf(widget->window()))
            return false;
        if (const int context = controlHelpContext(widget))
            requestHelp(context);
        return true;
    }
};

void ensureFilter() {
    static QPointer<HelpKeyFilter> filter;
    if (!filter && qApp) {
        filter = new HelpKeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

} // namespace

void setHelpContext(QWidget* widget, int context) {
    widget->setProperty(kContextProperty, context);
}

void setHelpContext(QAction* item, int context) {
    item->setProperty(kContextProperty, context);
}

void setHelpContext(QMenu* menu, int context) {
    setHelpContext(menu->menuAction(), context);
}

int helpContext(const QWidget* widget) {
    return contextOf(widget);
}

int helpContext(const QAction* item) {
    return contextOf(item);
}

int helpContext(const QMenu* menu) {
    return menu ? contextOf(menu->menuAction()) : 0;
}

void installHelpKey(QWidget* window, QMenu* popupMenu) {
    ensureFilter();
    HelpKeyHolder* holder = holderOf(window);
    if (!holder) {
        holder = new HelpKeyHolder(window);
        holder->setObjectName(kHolderName);
    }
    if (popupMenu) {
        holder->popup = popupMenu;
        popupMenu->setProperty(kPopupProperty, true);
    }
}

int controlHelpContext(const QWidget* control) {
    for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (const int context = contextOf(w))
            return context;
    return 0;
}

int menuItemHelpContext(const QAction* item, const QWidget* container) {
    if (const int context = walkMenus(item, container))
        return context;
    const QWidget* root = rootOf(container);
    if (!qobject_cast<const QMenuBar*>(root))
        return 0; // the search stays in a pop-up menu
    const HelpKeyHolder* holder = holderOf(root->window());
    if (!holder || !holder->popup)
        return 0;
    QSet<const QMenu*> seen;
    if (const QMenu* where = findItem(holder->popup, item, seen))
        return walkMenus(item, where);
    return 0;
}

} // namespace about
