// The picture shown for a sound or video file. The types added for today's files show the
// picture they carry (a sound's cover art, a video's frame) where they have one; every other
// media file, and one without a picture, shows its kind's placeholder, so ".wav", ".mid",
// ".rmi" and ".avi" files always show "Wave.bmp", "Midi.bmp" and "Avi.bmp".
#pragma once

#include <QString>

class TGvbox;

namespace browser {

// Loads the picture into the box; returns true when it is the placeholder (a window sized to
// a placeholder takes its natural size, unclamped).
bool showMediaPicture(TGvbox& box, const QString& path, const QString& execDir);

// Whether the file's type may carry a picture of its own.
bool mayCarryPicture(const QString& path);

} // namespace browser
