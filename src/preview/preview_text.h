// What the preview writes about a file: its kind, the status line, the file-size line and the
// placeholder picture of a sound or video.
#pragma once

#include <QLocale>
#include <QString>

namespace preview {

inline const QString kNoFileLoaded = QStringLiteral("No File Loaded.");
inline const QString kFileSizeEmpty = QStringLiteral("FileSize:");

// The file's extension from the last dot of its name, dot included, upper-cased; empty when
// the name has no dot.
QString upperExtension(const QString& path);

// Sound, MIDI and video files of the file-type table (".WAV", ".MID", ".RMI", ".AVI", ".MP3",
// ".MKV" ... in any case) are played; everything else is shown as a picture.
bool isMediaFile(const QString& path);

// "<path> - Image Size: <w> x <h> Pixels[ x <colours>]".
QString imageStatusLine(const QString& path, int bmpw, int bmph, int bmpc);

// "FileSize:  <kilobytes with one decimal> KB": the length divided by 1024 in single precision,
// rounded to tenths with halves away from zero, with the locale's decimal separator.
QString fileSizeLine(qint64 bytes, const QLocale& locale = QLocale());

// The placeholder picture of a media file: ExecDir + "/Wave.bmp" for sound, "/Avi.bmp" for
// video, "/Midi.bmp" for MIDI.
QString placeholderFor(const QString& path, const QString& execDir);

// The picture a media file shows of its own: the file itself for the sound and video types
// added for today's files, which may carry cover art or give a frame; empty for the others,
// so ".wav", ".mid", ".rmi" and ".avi" files always show their placeholder.
QString ownPictureOf(const QString& path);

// The file's length in bytes, read without opening it for writing, so read-only files and
// read-only volumes preview normally. Raises an input/output error when the file cannot be
// opened for reading.
qint64 fileLength(const QString& path);

} // namespace preview
