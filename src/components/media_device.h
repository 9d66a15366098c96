// MediaDevice: one GStreamer playbin on one file, the device the media player opens and drives.
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <memory>

namespace components {

// What the media system reports while a file plays.
enum class DeviceEvent { Ended, Failed };

class MediaDevice {
public:
    // Called on one of GStreamer's threads with the event and the serial of the play it ends;
    // it must only queue work for the user-interface thread.
    using EventSink = std::function<void(DeviceEvent, unsigned serial)>;

    // Opens path and waits until it is ready to play, paused at its start. The sinks come from
    // GLIMRA_AUDIO_SINK / GLIMRA_VIDEO_SINK. A video sink that can draw into a window of ours
    // is given videoWindow (a native window handle; 0 lets the sink make its own). Raises
    // platform::GlimraError with the media system's own text ("Unknown error code" when it
    // gives none); nothing stays open then.
    MediaDevice(const QString& path, EventSink sink, unsigned long long videoWindow = 0);
    // Stops playing and releases the file; no event reaches the sink once it returns.
    ~MediaDevice();
    MediaDevice(const MediaDevice&) = delete;
    MediaDevice& operator=(const MediaDevice&) = delete;

    // Starts playing from the current position and returns at once; the events of this play
    // carry the returned serial. Raises platform::GlimraError when the media system refuses.
    unsigned play();
    // Back to the start (after the end was reached), paused.
    void rewind();
    // Holds the position after the end or a failure, so nothing runs in the background.
    void pause();
    void stop();

    // Playing: a play was started and has neither ended, failed nor been paused since.
    bool playing() const;
    bool atEnd() const;
    bool failed() const;
    QString errorText() const;
    // Waits until the current play ends or fails; false when it still goes on after timeoutMs.
    bool waitForEnd(int timeoutMs) const;
    // The length in milliseconds, or -1 when the media system does not know it.
    long long durationMs() const;

    // Whether the video sink draws into the window given at opening: the file has pictures
    // and the sink took the window. Known once opening has returned.
    bool drawsIntoWindow() const;
    // The size the pictures are meant to be shown at (pixel aspect applied); empty when the
    // file has none.
    QSize videoSize() const;
    // Draws the current picture again into the window (after it was uncovered or resized).
    void expose();

    struct State;

private:
    std::shared_ptr<State> state_;
};

// The sink descriptions in gst-launch syntax, from the environment or the automatic sinks.
QString audioSinkDescription();
QString videoSinkDescription();

} // namespace components
