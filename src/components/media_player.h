// TMediaPlayer: the browser's hidden media player; plays sound, MIDI and video files through
// the media system, one opened file at a time, and reports their end through OnNotify.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

namespace components {
class MediaDevice;
class VideoWindow;
enum class DeviceEvent;
} // namespace components

// Modes as Mode() reports them: nothing open, open and stopped, playing.
enum TMPModes { mpNotReady = 0, mpStopped = 1, mpPlaying = 2 };

// Why a notification came: the command finished, a later command replaced it, a close cut it
// short, or the media system failed while playing.
enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

// A notify or wait choice: it applies to the next Open, Play or Close only; without one each
// command keeps its own habit.
class TMediaPlayerChoice {
public:
    TMediaPlayerChoice& operator=(bool value) {
        value_ = value;
        chosen_ = true;
        return *this;
    }
    operator bool() const { return value_; }
    // The choice for the command now running (fallback when none was made); it is then spent.
    bool take(bool fallback) {
        const bool value = chosen_ ? value_ : fallback;
        chosen_ = false;
        return value;
    }

private:
    bool value_ = false;
    bool chosen_ = false;
};

class TMediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit TMediaPlayer(QWidget* parent = nullptr);
    ~TMediaPlayer() override;

    // The path the next Open opens.
    QString FileName;
    // Notify: Close and Open post a notification only when chosen just before; Play always
    // does unless false was chosen.
    TMediaPlayerChoice Notify;
    // Wait: Play returns at once unless true was chosen, then it returns at the end. Open and
    // Close always finish before they return.
    TMediaPlayerChoice Wait;
    // Play at the end of the file starts again from the beginning.
    bool AutoRewind = true;

    // Closes a file still open, then opens FileName, the kind of file chosen from its contents,
    // and returns with it ready to play. Raises platform::GlimraError with the media system's
    // text ("Unknown error code" when it has none); then nothing is open.
    void Open();
    // Starts playing and returns while playing goes on; the end arrives later as OnNotify.
    void Play();
    // Stops playing and releases the file (it can be deleted or renamed at once). Does
    // nothing when no file is open.
    void Close();
    TMPModes Mode() const;

    // Why the notification now being delivered came.
    TMPNotifyValues NotifyValue() const { return notifyValue_; }
    // The media system's text for the failure the last play ended with; empty when none.
    QString Error() const;

    // The window a video plays in ("Glimra Video"): shown without taking the keyboard while a
    // video plays, gone when the play ends, the user closes it, or the file is closed. Null
    // until the first file is opened.
    components::VideoWindow* videoWindow() const { return videoWindow_.get(); }

signals:
    // Raised on the user-interface thread for every notification, always after the command
    // that asked for it has returned.
    void OnNotify(QObject* sender);

private:
    void closeDevice();
    void showVideo();
    void hideVideo();
    void videoWindowClosed();
    void postNotify(TMPNotifyValues value);
    void deviceEvent(components::DeviceEvent event, unsigned serial, unsigned long long device);

    std::unique_ptr<components::VideoWindow> videoWindow_;
    std::unique_ptr<components::MediaDevice> device_;
    unsigned long long deviceId_ = 0;
    unsigned playSerial_ = 0;
    bool playNotifyPending_ = false;
    TMPNotifyValues notifyValue_ = nvSuccessful;
};
