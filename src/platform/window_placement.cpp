#include "platform/window_placement.h"

#include "platform/screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

const char* const kOuterSize = "glimraOuterSize";
const char* const kOuterPos = "glimraOuterPos";
const QString kKeeperName = QStringLiteral("glimraOuterSizeKeeper");

// The window's frame as the window system knows it now. Qt learns the frame from the window
// manager's frame extents, which may arrive after the last move or resize it reports; the
// widget's own frame geometry keeps what it knew at that move, the native window reads anew.
QMargins frameNow(QWidget* window) {
    const QWindow* native = window->windowHandle();
    return native ? native->frameMargins() : QMargins();
}

// Re-applies a requested outer position and size once the window manager has framed the
// window: before that Qt knows no frame, and depending on how the native window came to be it
// may have placed the client area, not the frame, at the requested corner. Besides the
// window's moves and resizes it looks again every little while for a few seconds, since the
// frame may become known without either.
class OuterGeometryKeeper : public QObject {
public:
    explicit OuterGeometryKeeper(QWidget* window) : QObject(window), window_(window) {
        poll_.setInterval(kPollMs);
        connect(&poll_, &QTimer::timeout, this, [this] {
            if (++polls_ > kPolls)
                poll_.stop();
            else
                tryApply();
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (t == QEvent::Show || t == QEvent::Move || t == QEvent::Resize)
            tryApply();
        return false;
    }

private:
    static constexpr int kPollMs = 50;
    static constexpr int kPolls = 100;

    void tryApply() {
        if (done_ || !window_->isVisible())
            return;
        const QMargins margins = frameNow(window_);
        if (margins.isNull()) {
            if (!poll_.isActive() && polls_ <= kPolls)
                poll_.start();
            return;
        }
        done_ = true;
        poll_.stop();
        window_->removeEventFilter(this);
        setParent(nullptr);
        deleteLater();
        const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
        QPointer<QWidget> guard = window_;
        QTimer::singleShot(0, window_, [guard, frame] {
            if (!guard)
                return;
            const QSize outer = guard->property(kOuterSize).toSize();
            if (outer.isValid())
                guard->resize(outer - frame);
            const QVariant position = guard->property(kOuterPos);
            const QWindow* native = guard->windowHandle();
            const QPoint at = native ? native->framePosition() : guard->frameGeometry().topLeft();
            if (position.isValid() && at != position.toPoint())
                guard->move(position.toPoint());
        });
    }

    QWidget* window_;
    QTimer poll_;
    int polls_ = 0;
    bool done_ = false;
};

// Watches the window until it is framed; one keeper a window, reading the latest request.
void keepUntilFramed(QWidget* window) {
    if (window->isVisible() && !frameNow(window).isNull())
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
