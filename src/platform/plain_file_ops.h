// Plain file calls: delete, copy that replaces, move that never replaces. Each returns false
// on failure with errno telling why.
#pragma once

#include <QString>
#include <functional>

namespace platform {

// Removes the file for good.
bool plainDelete(const QString& path);

// Called while a copy runs with the bytes done and the total; returning false cancels it.
using CopyProgress = std::function<bool(qint64 done, qint64 total)>;

// Copies from onto to, replacing an existing target. The copy is written to a temporary file
// beside the target, flushed, and renamed into place, so a failed copy leaves an existing
// target as it was. Permissions and modification time go with the copy.
bool plainCopy(const QString& from, const QString& to, const CopyProgress& progress = {});

// Moves from to to; fails (EEXIST) when to exists. Across file systems the source is deleted
// only after the copy is complete and flushed.
bool plainMove(const QString& from, const QString& to, const CopyProgress& progress = {});

// Moves from to to, replacing an existing target.
bool replacingMove(const QString& from, const QString& to, const CopyProgress& progress = {});

// Both paths name the same file (the same inode, also through links or another spelling).
bool sameFile(const QString& a, const QString& b);

} // namespace platform
