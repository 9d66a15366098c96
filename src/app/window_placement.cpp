#include "app/window_placement.h"

#include "platform/screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace app {
namespace {

const char* const kOuterSize = "glimraOuterSize";
const QString kKeeperName = QStringLiteral("glimraOuterSizeKeeper");

// Re-applies a requested outer size once the window manager has framed the window; the frame
// arrives some time after the window is shown.
class OuterSizeKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (t != QEvent::Show && t != QEvent::Move && t != QEvent::Resize)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        const QSize frame = window->frameGeometry().size() - window->geometry().size();
        const QSize outer = window->property(kOuterSize).toSize();
        if (window->isVisible() && !frame.isNull() && outer.isValid()) {
            window->removeEventFilter(this);
            setParent(nullptr);
            deleteLater();
            QPointer<QWidget> guard = window;
            QTimer::singleShot(0, window, [guard, outer, frame] {
                if (guard)
                    guard->resize(outer - frame);
            });
        }
        return false;
    }
};

} // namespace

void moveOuter(QWidget* window, QPoint topLeft) { window->move(topLeft); }

void resizeOuter(QWidget* window, QSize outer) {
    const QSize frame = window->isVisible()
                            ? window->frameGeometry().size() - window->geometry().size()
                            : QSize(0, 0);
    window->setProperty(kOuterSize, outer);
    window->resize((outer - frame).expandedTo(QSize(1, 1)));
    if (!window->isVisible() || frame.isNull()) {
        // One keeper a window; it reads the latest requested size when the frame arrives.
        if (!window->findChild<QObject*>(kKeeperName, Qt::FindDirectChildrenOnly)) {
            auto* keeper = new OuterSizeKeeper(window);
            keeper->setObjectName(kKeeperName);
            window->installEventFilter(keeper);
        }
    }
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

} // namespace app
