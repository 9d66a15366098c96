#include "components/decoders/media_still.h"

#include "components/decoders/decode.h"

#include <QImage>
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/tag/tag.h>
#include <gst/video/video.h>
#include <mutex>
#include <thread>

namespace decoders {

namespace {

using Clock = std::chrono::steady_clock;

bool gstreamerReady() {
    static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
    return ready;
}

// The pipeline: filesrc ! decodebin, with the first video stream (when a frame is wanted)
// converted to upright 32-bit pixels of square aspect into an appsink, and every other stream
// into a fakesink so that the pipeline can preroll.
struct Grab {
    GstElement* pipeline = nullptr;
    GstElement* still = nullptr; // the appsink, once a video stream has been linked
    bool wantFrame = false;
    std::mutex mutex; // decodebin adds its pads on a streaming thread
};

void linkToNewBin(Grab& grab, GstPad* pad, const char* description) {
    GstElement* bin = gst_parse_bin_from_description(description, TRUE, nullptr);
    if (!bin)
        return;
    gst_bin_add(GST_BIN(grab.pipeline), bin);
    gst_element_sync_state_with_parent(bin);
    GstPad* input = gst_element_get_static_pad(bin, "sink");
    if (input) {
        gst_pad_link(pad, input);
        gst_object_unref(input);
    }
    if (GstElement* sink = gst_bin_get_by_name(GST_BIN(bin), "still"))
        grab.still = sink; // the reference is released with the grab
}

void onPadAdded(GstElement*, GstPad* pad, gpointer data) {
    Grab& grab = *static_cast<Grab*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const bool video =
        caps && gst_caps_get_size(caps) > 0 &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/");
    if (caps)
        gst_caps_unref(caps);
    const std::lock_guard lock(grab.mutex);
    if (video && grab.wantFrame && !grab.still)
        linkToNewBin(grab, pad,
                     "videoconvert ! videoscale ! "
                     "video/x-raw,format=BGRx,pixel-aspect-ratio=1/1 ! "
                     "appsink name=still sync=false max-buffers=1");
    else
        linkToNewBin(grab, pad, "fakesink sync=false");
}

// A tag list's picture: the front cover when there is one, else the first picture, else a
// preview picture.
GstSample* pictureOf(const GstTagList* tags) {
    GstSample* chosen = nullptr;
    const guint count = gst_tag_list_get_tag_size(tags, GST_TAG_IMAGE);
    for (guint i = 0; i < count; ++i) {
        GstSample* sample = nullptr;
        if (!gst_tag_list_get_sample_index(tags, GST_TAG_IMAGE, i, &sample))
            continue;
        const GstStructure* info = gst_sample_get_info(sample);
        gint type = GST_TAG_IMAGE_TYPE_NONE;
        const bool front =
            info && gst_structure_get_enum(info, "image-type", GST_TYPE_TAG_IMAGE_TYPE, &type) &&
            type == GST_TAG_IMAGE_TYPE_FRONT_COVER;
        if (!chosen || front) {
            if (chosen)
                gst_sample_unref(chosen);
            chosen = sample;
            if (front)
                return chosen;
        } else {
            gst_sample_unref(sample);
        }
    }
    if (!chosen)
        gst_tag_list_get_sample(tags, GST_TAG_PREVIEW_IMAGE, &chosen);
    return chosen;
}

QByteArray bytesOf(GstSample* sample) {
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return {};
    QByteArray bytes(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
    gst_buffer_unmap(buffer, &map);
    return bytes;
}

QImage imageOf(GstSample* sample) {
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstCaps* caps = gst_sample_get_caps(sample);
    if (!buffer || !caps || !gst_video_info_from_caps(&info, caps) ||
        !sizeAcceptable(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)))
        return {};
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return {};
    const QImage view(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                      GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
    QImage copy = view.copy();
    gst_video_frame_unmap(&frame);
    return copy;
}

std::chrono::milliseconds left(Clock::time_point deadline) {
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

// Waits for the pipeline to preroll, keeping the best picture of the tags seen on the way.
// False on an error or when the deadline passes.
bool preroll(GstBus* bus, Clock::time_point deadline, GstSample*& cover) {
    for (;;) {
        const auto wait = left(deadline);
        GstMessage* message =
            gst_bus_timed_pop_filtered(bus, GstClockTime(wait.count()) * GST_MSECOND,
                                       GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR |
                                                      GST_MESSAGE_TAG | GST_MESSAGE_EOS));
        if (!message)
            return false;
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        if (type == GST_MESSAGE_TAG) {
            GstTagList* tags = nullptr;
            gst_message_parse_tag(message, &tags);
            if (GstSample* found = pictureOf(tags)) {
                if (cover)
                    gst_sample_unref(cover);
                cover = found;
            }
            gst_tag_list_unref(tags);
        }
        gst_message_unref(message);
        if (type == GST_MESSAGE_ASYNC_DONE || type == GST_MESSAGE_EOS)
            return true;
        if (type == GST_MESSAGE_ERROR)
            return false;
    }
}

// Stopping a pipeline waits for its streaming threads; one stuck in a decoder must not hold
// the caller, so a pipeline abandoned at its deadline is stopped on a thread of its own.
void release(Grab* grab, bool abandoned) {
    auto stop = [grab] {
        gst_element_set_state(grab->pipeline, GST_STATE_NULL);
        if (grab->still)
            gst_object_unref(grab->still);
        gst_object_unref(grab->pipeline);
        delete grab;
    };
    if (abandoned)
        std::thread(stop).detach();
    else
        stop();
}

} // namespace

Picture readMediaStill(const QByteArray& nativePath, FileKind kind, QSize hint,
                       std::chrono::milliseconds timeLimit) {
    if (!gstreamerReady())
        return failure(QStringLiteral("no media system"));
    const Clock::time_point deadline = Clock::now() + timeLimit;
    auto* grab = new Grab;
    grab->wantFrame = kind == FileKind::Video;
    grab->pipeline = gst_pipeline_new(nullptr);
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decode = gst_element_factory_make("decodebin", nullptr);
    if (!source || !decode) {
        if (source)
            gst_object_unref(source);
        if (decode)
            gst_object_unref(decode);
        release(grab, false);
        return failure(QStringLiteral("no media system"));
    }
    g_object_set(source, "location", nativePath.constData(), nullptr);
    gst_bin_add_many(GST_BIN(grab->pipeline), source, decode, nullptr);
    gst_element_link(source, decode);
    g_signal_connect(decode, "pad-added", G_CALLBACK(onPadAdded), grab);

    GstBus* bus = gst_element_get_bus(grab->pipeline);
    GstSample* cover = nullptr;
    GstSample* frame = nullptr;
    bool finished =
        gst_element_set_state(grab->pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
        preroll(bus, deadline, cover);
    GstElement* still = nullptr;
    {
        const std::lock_guard lock(grab->mutex);
        still = grab->still;
    }
    if (finished && still) {
        // About a tenth of the way in: past the black of a fade-in and most title cards. Not
        // snapped to a key frame, since containers that index only some of them (Matroska as
        // ffmpeg writes it) would snap back to the start; the decoder runs on from the key
        // frame before, within the time limit.
        gint64 duration = 0;
        if (gst_element_query_duration(grab->pipeline, GST_FORMAT_TIME, &duration) &&
            duration > 0 &&
            gst_element_seek_simple(grab->pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH,
                                    duration / 10))
            finished = preroll(bus, deadline, cover);
        if (finished)
            frame = gst_app_sink_try_pull_preroll(
                GST_APP_SINK(still), GstClockTime(left(deadline).count()) * GST_MSECOND);
    }
    gst_object_unref(bus);
    const bool abandoned = !finished && left(deadline).count() == 0;
    release(grab, abandoned);

    Picture picture;
    if (frame) {
        picture = finish(imageOf(frame), 24, hint);
        gst_sample_unref(frame);
    }
    if (!picture.ok() && cover) {
        const QByteArray bytes = bytesOf(cover);
        picture = decodeBytes(bytes, detectFormat(bytes.left(64), QByteArray()), hint);
    }
    if (cover)
        gst_sample_unref(cover);
    if (picture.ok())
        return picture;
    if (abandoned)
        return failure(QStringLiteral("time limit reached"));
    return failure(QStringLiteral("no picture in the file"));
}

} // namespace decoders
