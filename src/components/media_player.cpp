#include "components/media_player.h"

#include "components/media_device.h"
#include "components/video_window.h"
#include "platform/errors.h"

#include <QMetaObject>

namespace {

// A blocking play of a file of unknown length gives up after this long.
constexpr int kUnknownLengthWaitMs = 10 * 60 * 1000;

unsigned long long nextDeviceId() {
    static unsigned long long last = 0;
    return ++last;
}

} // namespace

TMediaPlayer::TMediaPlayer(QWidget* parent) : QWidget(parent) {
    // The player has no face: the program drives it, a video shows in its own window.
    setVisible(false);
}

TMediaPlayer::~TMediaPlayer() {
    // The media system lets go of the window before the window goes.
    device_.reset();
}

TMPModes TMediaPlayer::Mode() const {
    if (!device_)
        return mpNotReady;
    return device_->playing() ? mpPlaying : mpStopped;
}

QString TMediaPlayer::Error() const {
    return device_ ? device_->errorText() : QString();
}

void TMediaPlayer::Open() {
    const bool notify = Notify.take(false);
    Wait.take(true);
    closeDevice();

    const unsigned long long id = nextDeviceId();
    // The device's thread hands its events to this thread; a closed device never calls.
    auto sink = [this, id](components::DeviceEvent event, unsigned serial) {
        QMetaObject::invokeMethod(
            this, [this, event, serial, id] { deviceEvent(event, serial, id); },
            Qt::QueuedConnection);
    };
    if (!videoWindow_) {
        videoWindow_ = std::make_unique<components::VideoWindow>();
        videoWindow_->onExpose = [this] {
            if (device_)
                device_->expose();
        };
        connect(videoWindow_.get(), &components::VideoWindow::closeRequested, this,
                &TMediaPlayer::videoWindowClosed);
    }
    device_ = std::make_unique<components::MediaDevice>(FileName, sink, videoWindow_->drawable());
    deviceId_ = id;
    if (notify)
        postNotify(nvSuccessful);
}

void TMediaPlayer::Play() {
    const bool notify = Notify.take(true);
    const bool wait = Wait.take(false);
    if (!device_)
        throw platform::GlimraError(QStringLiteral("No media file is open"));
    if (playNotifyPending_) {
        // A play that reached its end in the meantime finished; one still going is replaced.
        playNotifyPending_ = false;
        postNotify(device_->atEnd() ? nvSuccessful : nvSuperseded);
    }
    if (device_->atEnd()) {
        if (!AutoRewind) {
            // Nothing is left to play: the play is over as soon as it began.
            if (notify)
                postNotify(nvSuccessful);
            return;
        }
        device_->rewind();
    }
    playSerial_ = device_->play();
    playNotifyPending_ = notify;
    showVideo();
    if (wait) {
        const long long length = device_->durationMs();
        device_->waitForEnd(length < 0 ? kUnknownLengthWaitMs : int(length) * 2 + 5000);
        if (device_->failed())
            throw platform::GlimraError(device_->errorText());
    }
}

void TMediaPlayer::Close() {
    const bool notify = Notify.take(false);
    Wait.take(true);
    if (!device_)
        return;
    closeDevice();
    if (notify)
        postNotify(nvSuccessful);
}

void TMediaPlayer::closeDevice() {
    if (!device_)
        return;
    device_.reset();
    hideVideo();
    if (playNotifyPending_) {
        playNotifyPending_ = false;
        postNotify(nvAborted);
    }
}

void TMediaPlayer::postNotify(TMPNotifyValues value) {
    QMetaObject::invokeMethod(
        this,
        [this, value] {
            notifyValue_ = value;
            emit OnNotify(this);
        },
        Qt::QueuedConnection);
}

void TMediaPlayer::deviceEvent(components::DeviceEvent event, unsigned serial,
                               unsigned long long device) {
    // An event a later open, play or close has already answered is dropped.
    if (!device_ || device != deviceId_ || serial != playSerial_)
        return;
    if (event == components::DeviceEvent::Ended)
        device_->pause();
    else
        device_->stop();
    hideVideo();
    if (!playNotifyPending_)
        return;
    playNotifyPending_ = false;
    notifyValue_ = event == components::DeviceEvent::Ended ? nvSuccessful : nvFailure;
    emit OnNotify(this);
}

void TMediaPlayer::showVideo() {
    if (device_ && videoWindow_ && device_->drawsIntoWindow())
        videoWindow_->showVideo(device_->videoSize());
}

void TMediaPlayer::hideVideo() {
    if (!videoWindow_)
        return;
    videoWindow_->hide();
    // Without a file open nothing draws into the window; it is made again for the next one.
    if (!device_)
        videoWindow_->destroy();
}

void TMediaPlayer::videoWindowClosed() {
    // Closing the video's window stops the video where it is; the file stays open.
    if (!device_)
        return hideVideo();
    const bool wasPlaying = device_->playing();
    device_->pause();
    hideVideo();
    if (wasPlaying && playNotifyPending_) {
        playNotifyPending_ = false;
        postNotify(nvAborted);
    }
}
