#include "components/media_device.h"

#include "components/sound_font.h"
#include "platform/errors.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>
#include <map>
#include <mutex>
#include <utility>

namespace components {

namespace {

const QString kUnknownError = QStringLiteral("Unknown error code");
// How long opening may take before the file counts as unplayable: generous, since the first
// MIDI file loads a SoundFont of some 140 MB and a file may sit on a slow network share.
constexpr auto kOpenTimeout = std::chrono::seconds(30);
// How long opening goes on after an error the media system swallowed, in case it recovers.
constexpr auto kSwallowedErrorGrace = std::chrono::seconds(1);

// GStreamer is started once, by the first file opened.
void ensureGstreamer() {
    static bool tried = false;
    static QString failure;
    if (!tried) {
        tried = true;
        GError* error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) {
            failure = error ? QString::fromUtf8(error->message) : kUnknownError;
            g_clear_error(&error);
        } else {
            // A desktop program shows video in a window of its own. Sinks that draw on the
            // console's frame buffer are never wanted, and DirectFB's crashes the program
            // when it finds no frame buffer, so the automatic sink never picks them.
            for (const char* name : {"dfbvideosink", "kmssink", "fbdevsink"}) {
                if (GstPluginFeature* sink =
                        gst_registry_lookup_feature(gst_registry_get(), name)) {
                    gst_plugin_feature_set_rank(sink, GST_RANK_NONE);
                    gst_object_unref(sink);
                }
            }
        }
    }
    if (!failure.isEmpty())
        throw platform::GlimraError(failure);
}

QString takeErrorText(GError*& error) {
    QString text = error && error->message && *error->message ? QString::fromUtf8(error->message)
                                                              : kUnknownError;
    g_clear_error(&error);
    return text;
}

GstElement* makeSink(const QString& description) {
    GError* error = nullptr;
    GstElement* sink =
        gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
    if (error) {
        if (sink)
            gst_object_unref(sink);
        throw platform::GlimraError(takeErrorText(error));
    }
    if (!sink)
        throw platform::GlimraError(kUnknownError);
    return sink;
}

QString sinkDescription(const char* variable, const char* fallback) {
    const QString chosen = qEnvironmentVariable(variable).trimmed();
    return chosen.isEmpty() ? QString::fromLatin1(fallback) : chosen;
}

} // namespace

QString audioSinkDescription() {
    return sinkDescription("GLIMRA_AUDIO_SINK", "autoaudiosink");
}
QString videoSinkDescription() {
    return sinkDescription("GLIMRA_VIDEO_SINK", "autovideosink");
}

// What the bus handler, running on GStreamer's threads, shares with the user-interface thread.
struct MediaDevice::State {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    GstElement* pipeline = nullptr;
    EventSink sink; // cleared before the pipeline is torn down
    bool prerolled = false;
    bool started = false; // a play runs: set by play, cleared by pause and stop
    bool ended = false;
    bool failed = false;
    QString errorText;
    unsigned serial = 0;
    // An error raised inside the pipeline that may never reach its bus (see watchErrors).
    QString swallowedError;
    std::chrono::steady_clock::time_point swallowedAt;
    // Fixed before the pipeline starts, read when the MIDI decoder is set up.
    QString soundFont;
    bool soundFontUsable = false;
    // The window a video sink is given, fixed before the pipeline starts (0: none), and the
    // sink that took it.
    guintptr videoWindow = 0;
    GstVideoOverlay* overlay = nullptr;
};

namespace {

using State = MediaDevice::State;

void recordFailure(State& s, const QString& text) {
    std::lock_guard lock(s.mutex);
    // The first error is the cause; the ones after it only echo it.
    if (s.failed)
        return;
    s.failed = true;
    s.errorText = text;
    s.changed.notify_all();
    if (s.started && s.sink)
        s.sink(DeviceEvent::Failed, s.serial);
}

// Runs on whichever thread posts the message: records what the user-interface thread asks for
// and queues the events of a running play. No message is kept on the bus.
GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    State& s = **static_cast<std::shared_ptr<State>*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE: {
        std::lock_guard lock(s.mutex);
        if (GST_MESSAGE_SRC(message) == GST_OBJECT_CAST(s.pipeline)) {
            s.prerolled = true;
            s.changed.notify_all();
        }
        break;
    }
    case GST_MESSAGE_EOS: {
        std::lock_guard lock(s.mutex);
        if (!s.ended) {
            s.ended = true;
            s.changed.notify_all();
            if (s.started && s.sink)
                s.sink(DeviceEvent::Ended, s.serial);
        }
        break;
    }
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        recordFailure(s, takeErrorText(error));
        break;
    }
    case GST_MESSAGE_ELEMENT:
        // The video sink asks for a window on the thread that will draw, and needs it before
        // this returns: it gets ours, and leaves the window's events to the program, so the
        // sink never listens to its keys or clicks.
        if (s.videoWindow && gst_is_video_overlay_prepare_window_handle_message(message)) {
            auto* overlay = GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message));
            gst_video_overlay_set_window_handle(overlay, s.videoWindow);
            gst_video_overlay_handle_events(overlay, FALSE);
            std::lock_guard lock(s.mutex);
            if (s.overlay != overlay) {
                if (s.overlay)
                    gst_object_unref(s.overlay);
                s.overlay = GST_VIDEO_OVERLAY(gst_object_ref(overlay));
            }
        }
        break;
    default:
        break;
    }
    return GST_BUS_DROP;
}

// Every pipeline opened, by its top element, for the error watch.
std::mutex gPipelinesMutex;
std::map<const void*, std::weak_ptr<State>> gPipelines;

const void* topOf(GstObject* object) {
    gst_object_ref(object);
    while (GstObject* parent = gst_object_get_parent(object)) {
        gst_object_unref(object);
        object = parent;
    }
    gst_object_unref(object);
    return object;
}

void onElementPostMessage(GObject*, GstClockTime, GstElement* element, GstMessage* message) {
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR)
        return;
    std::shared_ptr<State> state;
    {
        std::lock_guard lock(gPipelinesMutex);
        const auto found = gPipelines.find(topOf(GST_OBJECT(element)));
        if (found == gPipelines.end())
            return;
        state = found->second.lock();
    }
    if (!state)
        return;
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString text = takeErrorText(error);
    std::lock_guard lock(state->mutex);
    if (state->swallowedError.isEmpty()) {
        state->swallowedError = text;
        state->swallowedAt = std::chrono::steady_clock::now();
        state->changed.notify_all();
    }
}

// The decoder bin drops an error that a demuxer raises while the bin is still starting it
// (it expects the start itself to fail, and would then try another element); the file then
// never gets ready and opening would hang. A tracer hook sees each error as it is raised,
// before any bin can drop it, so opening can give up soon after with the real cause.
void watchErrors() {
    const GType type =
        g_type_register_static_simple(GST_TYPE_TRACER, "GlimraErrorWatch", sizeof(GstTracerClass),
                                      nullptr, sizeof(GstTracer), nullptr, GTypeFlags(0));
    auto* watch = static_cast<GstTracer*>(g_object_new(type, nullptr));
    gst_object_ref_sink(watch);
    gst_tracing_register_hook(watch, "element-post-message-pre", G_CALLBACK(onElementPostMessage));
}

void deleteStateHolder(gpointer data) {
    delete static_cast<std::shared_ptr<State>*>(data);
}

// MIDI is decoded by FluidSynth, given our SoundFont; without a usable one the file fails here
// with a text that says why, rather than playing silence.
void onElementSetup(GstElement*, GstElement* element, gpointer data) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory ||
        std::strcmp(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fluiddec") != 0)
        return;
    State& s = *static_cast<State*>(data);
    if (s.soundFontUsable)
        g_object_set(element, "soundfont", s.soundFont.toUtf8().constData(), nullptr);
    else
        recordFailure(s, soundFontErrorText(s.soundFont));
}

// Waits until the file is ready to play or has failed, or an error was swallowed and the
// media system has not recovered from it within the grace time, or opening took too long.
void waitUntilReady(State& s, std::unique_lock<std::mutex>& lock) {
    const auto deadline = std::chrono::steady_clock::now() + kOpenTimeout;
    while (!s.prerolled && !s.failed) {
        auto until = deadline;
        if (!s.swallowedError.isEmpty())
            until = std::min(until, s.swallowedAt + kSwallowedErrorGrace);
        if (std::chrono::steady_clock::now() >= until)
            return;
        s.changed.wait_until(lock, until);
    }
}

// Stops the pipeline and lets go of the file; the sink hears nothing afterwards.
void release(State& s) {
    GstElement* pipeline = nullptr;
    {
        std::lock_guard lock(s.mutex);
        s.sink = nullptr;
        pipeline = s.pipeline;
    }
    if (!pipeline)
        return;
    {
        std::lock_guard lock(gPipelinesMutex);
        gPipelines.erase(pipeline);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstVideoOverlay* overlay = nullptr;
    {
        std::lock_guard lock(s.mutex);
        s.pipeline = nullptr;
        overlay = std::exchange(s.overlay, nullptr);
    }
    if (overlay)
        gst_object_unref(overlay);
    gst_object_unref(pipeline);
}

} // namespace

MediaDevice::MediaDevice(const QString& path, EventSink sink, unsigned long long videoWindow)
    : state_(std::make_shared<State>()) {
    ensureGstreamer();
    static const bool watching = (watchErrors(), true);
    Q_UNUSED(watching);
    State& s = *state_;
    s.sink = std::move(sink);
    s.soundFont = soundFontPath();
    s.soundFontUsable = isUsableSoundFont(s.soundFont);
    s.videoWindow = guintptr(videoWindow);

    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.toUtf8().constData(), &error);
    if (!uri)
        throw platform::GlimraError(takeErrorText(error));
    GstElement* audio = makeSink(audioSinkDescription());
    GstElement* video = nullptr;
    try {
        video = makeSink(videoSinkDescription());
    } catch (...) {
        gst_object_unref(audio);
        g_free(uri);
        throw;
    }
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) {
        gst_object_unref(audio);
        gst_object_unref(video);
        g_free(uri);
        throw platform::GlimraError(
            QStringLiteral("The media system has no player (package gstreamer1.0-plugins-base)"));
    }
    gst_object_ref_sink(playbin);
    g_object_set(playbin, "uri", uri, "audio-sink", audio, "video-sink", video, nullptr);
    g_free(uri);
    g_signal_connect(playbin, "element-setup", G_CALLBACK(onElementSetup), &s);
    {
        std::lock_guard lock(s.mutex);
        s.pipeline = playbin;
    }
    {
        std::lock_guard lock(gPipelinesMutex);
        gPipelines[playbin] = state_;
    }
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, onBusMessage, new std::shared_ptr<State>(state_),
                             deleteStateHolder);
    gst_object_unref(bus);

    // Open waits until the first picture or sound is ready, so a file the media system cannot
    // play fails here, with its text, and play starts at once.
    const GstStateChangeReturn change = gst_element_set_state(playbin, GST_STATE_PAUSED);
    QString failure;
    {
        std::unique_lock lock(s.mutex);
        if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL)
            s.prerolled = true;
        else if (change == GST_STATE_CHANGE_ASYNC)
            waitUntilReady(s, lock);
        if (s.failed)
            failure = s.errorText.isEmpty() ? kUnknownError : s.errorText;
        else if (change == GST_STATE_CHANGE_FAILURE)
            failure = s.swallowedError.isEmpty() ? kUnknownError : s.swallowedError;
        else if (!s.prerolled && !s.swallowedError.isEmpty())
            failure = s.swallowedError;
        else if (!s.prerolled)
            failure = QStringLiteral("The media system did not get the file ready in time");
    }
    if (!failure.isEmpty()) {
        release(s);
        throw platform::GlimraError(failure);
    }
}

MediaDevice::~MediaDevice() {
    release(*state_);
}

unsigned MediaDevice::play() {
    State& s = *state_;
    unsigned serial = 0;
    {
        std::lock_guard lock(s.mutex);
        s.started = true;
        s.ended = false;
        s.failed = false;
        s.errorText.clear();
        serial = ++s.serial;
    }
    if (gst_element_set_state(s.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::lock_guard lock(s.mutex);
        s.started = false;
        throw platform::GlimraError(s.errorText.isEmpty() ? kUnknownError : s.errorText);
    }
    return serial;
}

void MediaDevice::rewind() {
    State& s = *state_;
    if (!gst_element_seek_simple(s.pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0)) {
        // A stream that cannot seek starts over from the file.
        gst_element_set_state(s.pipeline, GST_STATE_READY);
        gst_element_set_state(s.pipeline, GST_STATE_PAUSED);
    }
    std::lock_guard lock(s.mutex);
    s.ended = false;
}

void MediaDevice::pause() {
    State& s = *state_;
    gst_element_set_state(s.pipeline, GST_STATE_PAUSED);
    std::lock_guard lock(s.mutex);
    s.started = false;
}

void MediaDevice::stop() {
    State& s = *state_;
    // Ready lets go of the file and the sound device; a later play opens them again.
    gst_element_set_state(s.pipeline, GST_STATE_READY);
    std::lock_guard lock(s.mutex);
    s.started = false;
}

bool MediaDevice::playing() const {
    std::lock_guard lock(state_->mutex);
    return state_->started && !state_->ended && !state_->failed;
}

bool MediaDevice::atEnd() const {
    std::lock_guard lock(state_->mutex);
    return state_->ended;
}

bool MediaDevice::failed() const {
    std::lock_guard lock(state_->mutex);
    return state_->failed;
}

QString MediaDevice::errorText() const {
    std::lock_guard lock(state_->mutex);
    return state_->errorText;
}

bool MediaDevice::waitForEnd(int timeoutMs) const {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    return s.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&s] { return !s.started || s.ended || s.failed; });
}

bool MediaDevice::drawsIntoWindow() const {
    std::lock_guard lock(state_->mutex);
    return state_->overlay != nullptr;
}

QSize MediaDevice::videoSize() const {
    GstPad* pad = nullptr;
    g_signal_emit_by_name(state_->pipeline, "get-video-pad", 0, &pad);
    if (!pad)
        return {};
    QSize size;
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstVideoInfo info;
        if (gst_video_info_from_caps(&info, caps) && info.width > 0 && info.height > 0) {
            // Pictures with non-square pixels are shown as wide as they are meant to look.
            const int parN = info.par_n > 0 ? info.par_n : 1;
            const int parD = info.par_d > 0 ? info.par_d : 1;
            size =
                QSize(int(gst_util_uint64_scale_int(guint64(info.width), parN, parD)), info.height);
        }
        gst_caps_unref(caps);
    }
    gst_object_unref(pad);
    return size;
}

void MediaDevice::expose() {
    GstVideoOverlay* overlay = nullptr;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->overlay)
            overlay = GST_VIDEO_OVERLAY(gst_object_ref(state_->overlay));
    }
    if (!overlay)
        return;
    gst_video_overlay_expose(overlay);
    gst_object_unref(overlay);
}

long long MediaDevice::durationMs() const {
    gint64 duration = 0;
    if (!gst_element_query_duration(state_->pipeline, GST_FORMAT_TIME, &duration) || duration < 0)
        return -1;
    return duration / GST_MSECOND;
}

} // namespace components
