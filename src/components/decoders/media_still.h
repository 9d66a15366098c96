// The picture a sound or video file carries, through GStreamer: a sound's cover art (ID3, FLAC,
// MP4 and Vorbis-comment pictures) or a video's frame at about a tenth of its length. The
// preview shows it in place of the placeholder picture.
#pragma once

#include "components/decoders/file_types.h"
#include "components/decoders/picture.h"

#include <QByteArray>
#include <QSize>
#include <chrono>

namespace decoders {

// How long taking a still may last: the pipeline is abandoned after it and the file keeps its
// placeholder.
constexpr std::chrono::milliseconds kStillTimeLimit{3000};

// nativePath: the file's name as the system knows it. Sound gives its front cover (or any
// picture its tags hold); video its frame, or its cover art when no frame can be taken.
// Fails when the file holds neither, or when the time limit runs out.
Picture readMediaStill(const QByteArray& nativePath, FileKind kind, QSize hint,
                       std::chrono::milliseconds timeLimit = kStillTimeLimit);

} // namespace decoders
