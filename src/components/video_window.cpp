#include "components/video_window.h"

#include <QEvent>
#include <QVariant>

namespace components {

VideoWindow::VideoWindow() {
    setTitle(QStringLiteral("Glimra Video"));
    // The keyboard stays where the user is browsing: the window manager never gives this
    // window the focus, not when it appears and not when it is clicked.
    setFlags(Qt::Window | Qt::WindowDoesNotAcceptFocus);
    setProperty("_q_showWithoutActivating", true);
    // No backing store is ever made for this window: only the media system draws into it.
    setSurfaceType(QSurface::RasterSurface);
}

WId VideoWindow::drawable() {
    return winId();
}

void VideoWindow::showVideo(QSize size) {
    // The pictures are drawn pixel for pixel: on a scaled screen the window is as many device
    // pixels wide as the video.
    if (size.isValid() && !size.isEmpty() && !isVisible())
        resize((QSizeF(size) / devicePixelRatio()).toSize().expandedTo(QSize(1, 1)));
    show();
}

void VideoWindow::exposeEvent(QExposeEvent*) {
    if (isExposed() && onExpose)
        onExpose();
}

bool VideoWindow::event(QEvent* event) {
    if (event->type() == QEvent::Close) {
        // The player decides what closing means; it hides the window itself.
        event->ignore();
        emit closeRequested();
        return true;
    }
    return QWindow::event(event);
}

} // namespace components
