// Mounted volumes standing in for Windows' drive letters, and the process's
// working directory with the directory last entered on each volume.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

// Kinds of volume, numbered as Windows' drive types (TDriveType).
enum class DriveType {
    Unknown = 0,
    NoDrive = 1,
    Floppy = 2,
    Fixed = 3,
    Network = 4,
    CDROM = 5,
    RAM = 6
};

// One mounted volume. Paths are kept as the file system's own bytes, so names that are not
// valid UTF-8 still reach the right directory.
struct Volume {
    QByteArray root;    // mount point, absolute, without a trailing "/" except for "/"
    QString fileSystem; // "ext4", "vfat", "nfs4" ...
    QString source;     // mount source: a device, or the network path of a network volume
    DriveType type = DriveType::Fixed;
    bool caseInsensitive = false; // names on it are compared without regard to case
    QString label;                // the volume label; empty when it has none or it cannot be read

    bool operator==(const Volume&) const = default;
};

// Every mounted volume worth browsing, sorted by root: pseudo file systems and the system's
// own mounts below /proc, /sys, /dev and /run (but /run/media) are left out, as are mounts of
// single files. The mount table is read at each call.
QList<Volume> volumes();

// Volumes from the text of /proc/self/mountinfo. probe answers the questions that need the
// system: whether a device is removable and which label it carries.
struct VolumeProbe {
    bool (*isRemovableDevice)(const QString& device) = nullptr;
    QString (*labelOfDevice)(const QString& device) = nullptr;
    bool (*isDirectory)(const QByteArray& path) = nullptr;
};
QList<Volume> parseMountInfo(const QByteArray& mountInfo, const VolumeProbe& probe);

// Tests replace the system's volumes with their own; nullopt returns to the system's.
void setVolumesOverride(std::optional<QList<Volume>> replacement);

// The volume holding an absolute path: the one with the longest root containing it. The path
// is taken as written ("." and ".." components are resolved by text, symbolic links are not).
// When no volume contains it (only with an override), a case-sensitive volume rooted at "/".
Volume volumeOf(const QByteArray& absolutePath);

// Whether two directory paths name the same directory by the volume's comparison rule: case
// matters unless the volume holding `a` is case-insensitive.
bool samePath(const QByteArray& a, const QByteArray& b);

// The process's working directory, as the system reports it.
QByteArray currentDirectory();
// The same, or "/" when the working directory has been removed.
QByteArray currentDirectoryOrRoot();

// Moves the process's working directory and remembers it as its volume's own current
// directory. Raises the input/output error of the failure ("File not found", "File access
// denied" ...).
void setCurrentDirectory(const QByteArray& path);

// The directory last entered on the volume with this root, else the root itself.
QByteArray volumeCurrentDirectory(const QByteArray& root);

// Forgets every remembered directory (tests start from a clean process state).
void forgetVolumeCurrentDirectories();

// Removes "." and empty components and resolves ".." by text: "/a/./b/../c/" -> "/a/c".
QByteArray cleanPath(const QByteArray& absolutePath);

// Text of a native path or name for display; invalid UTF-8 shows as U+FFFD.
inline QString displayName(const QByteArray& native) {
    return QString::fromUtf8(native);
}

} // namespace platform
