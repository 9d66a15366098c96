// The trash as freedesktop.org lays it out for every desktop: a file goes to the trash of its own
// volume, so trashing is a rename; only where that volume has no usable trash is it copied
// into the home trash.
#pragma once

#include "platform/native_path.h"
#include "platform/plain_file_ops.h"

namespace platform {

// The home trash: $XDG_DATA_HOME/Trash (by default ~/.local/share/Trash).
NativePath homeTrashPath();

// The trash folder a file on another volume than the home trash goes to: the volume's shared
// "$topdir/.Trash/$uid" when "$topdir/.Trash" is a real folder with the sticky bit, else
// "$topdir/.Trash-$uid", created mode 0700 when absent. nullopt when neither can be used.
std::optional<NativePath> volumeTrashPath(const NativePath& file);

// Puts a file into the trash: the file under files/, a record with where it came from and
// when under info/. A file on the home trash's volume, or on a volume with a trash of its own,
// is renamed there; any other is copied into the home trash (progress is called while it is
// copied and may cancel, errno ECANCELED). Returns false with errno on failure; the file then
// stays where it was.
bool moveToTrash(const NativePath& path, const CopyProgress& progress = {});

// Longest name a trashed file gets: its record adds ".trashinfo" and must fit a file name.
inline constexpr qsizetype kTrashNameMax = 255 - 10;

// The name the n-th file of this name gets in a trash (n from 1): "a.jpg", "a.2.jpg" ...
// Cut to kTrashNameMax bytes, the extension kept, never in the middle of a UTF-8 character.
QByteArray trashName(const QByteArray& name, int n);

} // namespace platform
