// Plain file calls: delete, copy that replaces, move that never replaces, and the replacing
// move of the shell operations. Each returns false on failure with errno telling why. A
// failure never leaves the user with less than before: a file is only removed once its copy
// is complete, flushed and checked.
#pragma once

#include "platform/native_path.h"

#include <functional>

namespace platform {

// Removes the file for good.
bool plainDelete(const NativePath& path);

// Called while a copy runs with the bytes done and the total; returning false cancels it
// (errno ECANCELED).
using CopyProgress = std::function<bool(qint64 done, qint64 total)>;

// Copies from onto to, replacing an existing target. The copy is written to a temporary file
// beside the target, flushed, and renamed into place, so a failed copy leaves an existing
// target as it was. Permissions and modification time go with the copy.
bool plainCopy(const NativePath& from, const NativePath& to, const CopyProgress& progress = {});

// Moves from to to; fails (EEXIST) when to exists. Never uses link(2), which many file systems
// refuse (FAT, exFAT, much of FUSE): a rename that refuses an existing target, or, where the
// file system cannot refuse by itself, a rename over a target name first reserved by an
// exclusive create. Across file systems the file is copied and flushed first; the source is
// removed only when it is still the file that was copied and the target holds the copy, and
// when it cannot be removed the copy goes again and the move fails.
bool plainMove(const NativePath& from, const NativePath& to, const CopyProgress& progress = {});

// Moves from to to, replacing an existing target. Across file systems nothing is replaced
// unless the source's folder lets it be removed, and when removing it fails all the same the
// old target is put back: the files are exactly as before or exactly as after.
bool replacingMove(const NativePath& from, const NativePath& to, const CopyProgress& progress = {});

// Both paths name the same file (the same inode, also through links or another spelling).
bool sameFile(const NativePath& a, const NativePath& b);

// Why the file at path could not be removed from its folder (EROFS, EACCES, EPERM), judged by
// the folder's mount, permissions and sticky bit; 0 when nothing says it cannot.
int removalError(const NativePath& path);

// Puts the file at from, on the same file system, at to only when nothing is there (EEXIST
// otherwise), without link(2).
bool renameNoReplace(const NativePath& from, const NativePath& to);

} // namespace platform
