#include "platform/window_placement.h"

#include "platform/screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace platform {
namespace {

const char* const kOuterSize = "glimraOuterSize";
const char* const kOuterPos = "glimraOuterPos";
const QString kKeeperName = QStringLiteral("glimraOuterSizeKeeper");

// Re-applies a requested outer position and size once the window manager has framed the
// window: before that Qt knows no frame, and depending on how the native window came to be it
// may have placed the client area, not the frame, at the requested corner.
class OuterGeometryKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (t != QEvent::Show && t != QEvent::Move && t != QEvent::Resize)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        const QSize frame = window->frameGeometry().size() - window->geometry().size();
        if (!window->isVisible() || frame.isNull())
            return false;
        window->removeEventFilter(this);
        setParent(nullptr);
        deleteLater();
        QPointer<QWidget> guard = window;
        QTimer::singleShot(0, window, [guard, frame] {
            if (!guard)
                return;
            const QSize outer = guard->property(kOuterSize).toSize();
            if (outer.isValid())
                guard->resize(outer - frame);
            const QVariant position = guard->property(kOuterPos);
            if (position.isValid() && guard->frameGeometry().topLeft() != position.toPoint())
                guard->move(position.toPoint());
        });
        return false;
    }
};

// Watches the window until it is framed; one keeper a window, reading the latest request.
void keepUntilFramed(QWidget* window) {
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (window->isVisible() && !frame.isNull())
        return;
    if (!window->findChild<QObject*>(kKeeperName, Qt::FindDirectChildrenOnly)) {
        auto* keeper = new OuterGeometryKeeper(window);
        keeper->setObjectName(kKeeperName);
        window->installEventFilter(keeper);
    }
}

} // namespace

void moveOuter(QWidget* window, QPoint topLeft) {
    window->setProperty(kOuterPos, topLeft);
    window->move(topLeft);
    keepUntilFramed(window);
}

void resizeOuter(QWidget* window, QSize outer) {
    const QSize frame = window->isVisible()
                            ? window->frameGeometry().size() - window->geometry().size()
                            : QSize(0, 0);
    window->setProperty(kOuterSize, outer);
    window->resize((outer - frame).expandedTo(QSize(1, 1)));
    keepUntilFramed(window);
}

QPoint keepOnScreen(QPoint topLeft, QSize outer) {
    const QRect rect(topLeft, outer.expandedTo(QSize(1, 1)));
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return topLeft;
    for (const QScreen* screen : screens)
        if (screen->geometry().intersects(rect))
            return topLeft;
    return QGuiApplication::primaryScreen()->geometry().topLeft();
}

void centreOnScreen(QWidget* window) {
    const QSize screen = platform::screenSize();
    QSize outer = window->property(kOuterSize).toSize();
    if (!outer.isValid())
        outer = window->frameGeometry().size();
    window->move((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
}

} // namespace platform
