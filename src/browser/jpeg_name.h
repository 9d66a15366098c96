// The name "Save as JPEG" proposes for a file.
#pragma once

#include <QByteArray>
#include <QString>

namespace browser {

// The file-name part of path with its last extension replaced by ".jpg": "photo.bmp" and
// "photo.jpeg" give "photo.jpg", "my.photo.bmp" gives "my.photo.jpg", a name without a dot
// gets ".jpg" appended. A name that is only an extension (".bmp") keeps it and gets ".jpg".
// Paths and names are the file system's bytes, so the proposal keeps a name's exact bytes.
QByteArray proposedJpegName(const QByteArray& path);

inline const QString kJpegDialogTitle = QStringLiteral("Glimra Save As JPEG Dialog");
inline const QString kJpegDialogFilter = QStringLiteral("JPEG Files (*.jpg)|*.jpg");

} // namespace browser
