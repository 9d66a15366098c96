#include "overlay_sink.h"

#include <gst/gst.h>
#include <gst/video/gstvideosink.h>
#include <gst/video/videooverlay.h>
#include <mutex>
#include <stdexcept>

namespace test {
namespace {

std::mutex gLogMutex;
OverlaySinkLog gLog;

} // namespace
} // namespace test

extern "C" {

struct GlimraOverlaySink {
    GstVideoSink parent;
    guintptr window;
};

struct GlimraOverlaySinkClass {
    GstVideoSinkClass parent_class;
};

static void glimra_overlay_sink_set_window_handle(GstVideoOverlay* overlay, guintptr handle) {
    reinterpret_cast<GlimraOverlaySink*>(overlay)->window = handle;
    const std::lock_guard lock(test::gLogMutex);
    test::gLog.window = handle;
}

static void glimra_overlay_sink_expose(GstVideoOverlay*) {
    const std::lock_guard lock(test::gLogMutex);
    ++test::gLog.exposes;
}

static void glimra_overlay_sink_handle_events(GstVideoOverlay*, gboolean handle) {
    const std::lock_guard lock(test::gLogMutex);
    test::gLog.handlesEvents = handle;
}

static void glimra_overlay_sink_overlay_init(GstVideoOverlayInterface* iface) {
    iface->set_window_handle = glimra_overlay_sink_set_window_handle;
    iface->expose = glimra_overlay_sink_expose;
    iface->handle_events = glimra_overlay_sink_handle_events;
}

G_DEFINE_TYPE_WITH_CODE(GlimraOverlaySink, glimra_overlay_sink, GST_TYPE_VIDEO_SINK,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_VIDEO_OVERLAY,
                                              glimra_overlay_sink_overlay_init))

// Like the X sinks, a window is asked for once the picture format is known.
static gboolean glimra_overlay_sink_set_caps(GstBaseSink* sink, GstCaps*) {
    auto* self = reinterpret_cast<GlimraOverlaySink*>(sink);
    if (!self->window) {
        {
            const std::lock_guard lock(test::gLogMutex);
            ++test::gLog.windowRequests;
        }
        gst_video_overlay_prepare_window_handle(GST_VIDEO_OVERLAY(sink));
    }
    return TRUE;
}

static GstFlowReturn glimra_overlay_sink_show_frame(GstVideoSink*, GstBuffer*) {
    return GST_FLOW_OK;
}

static void glimra_overlay_sink_class_init(GlimraOverlaySinkClass* klass) {
    auto* element = GST_ELEMENT_CLASS(klass);
    static GstStaticPadTemplate sinkTemplate = GST_STATIC_PAD_TEMPLATE(
        "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_set_static_metadata(element, "Glimra test overlay sink", "Sink/Video",
                                          "Asks for a window and draws nothing", "Glimra");
    GST_BASE_SINK_CLASS(klass)->set_caps = glimra_overlay_sink_set_caps;
    GST_VIDEO_SINK_CLASS(klass)->show_frame = glimra_overlay_sink_show_frame;
}

static void glimra_overlay_sink_init(GlimraOverlaySink* self) {
    self->window = 0;
}

} // extern "C"

namespace test {

void registerOverlaySink() {
    if (!gst_init_check(nullptr, nullptr, nullptr))
        throw std::runtime_error("GStreamer does not start");
    static const bool registered = gst_element_register(nullptr, "glimraoverlaysink", GST_RANK_NONE,
                                                        glimra_overlay_sink_get_type());
    if (!registered)
        throw std::runtime_error("cannot register the overlay test sink");
}

OverlaySinkLog overlaySinkLog() {
    const std::lock_guard lock(gLogMutex);
    return gLog;
}

void resetOverlaySinkLog() {
    const std::lock_guard lock(gLogMutex);
    gLog = {};
}

} // namespace test
