// VideoWindow: the window a video plays in, titled "Glimra Video". The media system draws into
// it; it never takes the keyboard, so browsing goes on while a video plays.
#pragma once

#include <QSize>
#include <QWindow>
#include <functional>

namespace components {

class VideoWindow : public QWindow {
    Q_OBJECT
public:
    VideoWindow();

    // The native window the video sink draws into, made when first asked for.
    WId drawable();

    // Shows the window at the video's size without making it the active window.
    void showVideo(QSize size);

    // Called whenever part of the window must be drawn again.
    std::function<void()> onExpose;

signals:
    // The user closed the window (its close box): the video should stop.
    void closeRequested();

protected:
    void exposeEvent(QExposeEvent* event) override;
    bool event(QEvent* event) override;
};

} // namespace components
