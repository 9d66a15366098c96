#include "platform/volumes.h"

#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::optional<QList<Volume>> g_override;
QHash<QByteArray, QByteArray> g_volumeDirectories; // volume root -> directory last entered

// File systems that hold no files of the user's, and squashfs: the read-only package images
// (snaps, AppImages) a desktop mounts by the dozen.
const QSet<QString>& pseudoFileSystems() {
    static const QSet<QString> names{
        "proc",       "sysfs",      "devtmpfs",  "devpts",          "cgroup",      "cgroup2",
        "securityfs", "debugfs",    "tracefs",   "pstore",          "bpf",         "mqueue",
        "hugetlbfs",  "configfs",   "fusectl",   "autofs",          "binfmt_misc", "efivarfs",
        "nsfs",       "rpc_pipefs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "squashfs"};
    return names;
}

const QSet<QString>& networkFileSystems() {
    static const QSet<QString> names{"nfs",         "nfs4",       "cifs",      "smb3",
                                     "smbfs",       "fuse.sshfs", "9p",        "davfs",
                                     "fuse.davfs2", "ceph",       "glusterfs", "fuse.glusterfs"};
    return names;
}

const QSet<QString>& caseInsensitiveFileSystems() {
    static const QSet<QString> names{"vfat",  "msdos", "exfat", "ntfs",
                                     "ntfs3", "cifs",  "smb3",  "smbfs"};
    return names;
}

// Mount points hold "\040" for a blank, "\011" for a tab, "\012" for a line end, "\134" for a
// backslash.
QByteArray unescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isBelow(const QByteArray& path, const QByteArray& root) {
    if (root == "/")
        return path.startsWith('/');
    return path == root ||
           (path.startsWith(root) && path.size() > root.size() && path[root.size()] == '/');
}

bool isSystemMountPoint(const QByteArray& point) {
    if (isBelow(point, "/run/media"))
        return false;
    for (const char* system : {"/proc", "/sys", "/dev", "/run"})
        if (isBelow(point, system))
            return true;
    return false;
}

bool systemIsRemovable(const QString& device) {
    if (!device.startsWith(QStringLiteral("/dev/")))
        return false;
    const QString resolved = QFileInfo(device).canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? device : resolved).fileName();
    QString block = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (block.isEmpty())
        return false;
    // A partition's removable flag sits on its disk, one folder up.
    if (QFileInfo::exists(block + QStringLiteral("/partition")))
        block = QFileInfo(block).absolutePath();
    QFile flag(block + QStringLiteral("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
}

// udev writes blanks and slashes of a label as "\x20" and "\x2f".
QString unescapeUdev(const QString& name) {
    QByteArray out;
    const QByteArray in = QFile::encodeName(name);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

QString systemLabel(const QString& device) {
    if (!device.startsWith(QStringLiteral("/dev/")))
        return {};
    const QString target = QFileInfo(device).canonicalFilePath();
    const QDir byLabel(QStringLiteral("/dev/disk/by-label"));
    const QFileInfoList links =
        byLabel.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links)
        if (!target.isEmpty() && link.canonicalFilePath() == target)
            return unescapeUdev(link.fileName());
    return {};
}

bool systemIsDirectory(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

DriveType kindOf(const QString& fileSystem, const QString& source, const QByteArray& point,
                 const VolumeProbe& probe) {
    if (networkFileSystems().contains(fileSystem))
        return DriveType::Network;
    if (fileSystem == QStringLiteral("iso9660") || fileSystem == QStringLiteral("udf"))
        return DriveType::CDROM;
    if (fileSystem == QStringLiteral("tmpfs") || fileSystem == QStringLiteral("ramfs"))
        return DriveType::RAM;
    if (isBelow(point, "/media") || isBelow(point, "/run/media") ||
        (probe.isRemovableDevice && probe.isRemovableDevice(source)))
        return DriveType::Floppy;
    return DriveType::Fixed;
}

} // namespace

QList<Volume> parseMountInfo(const QByteArray& mountInfo, const VolumeProbe& probe) {
    // Later lines mount over earlier ones at the same point: the last one is what a path sees.
    QList<Volume> found;
    for (const QByteArray& line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        const QByteArray point = unescapeMountField(fields[4]);
        const QString fileSystem = QString::fromUtf8(fields[dash + 1]);
        const QString source = QString::fromUtf8(unescapeMountField(fields[dash + 2]));
        if (pseudoFileSystems().contains(fileSystem) || isSystemMountPoint(point))
            continue;
        if (probe.isDirectory && !probe.isDirectory(point))
            continue;
        Volume volume;
        volume.root = point;
        volume.fileSystem = fileSystem;
        volume.source = source;
        volume.type = kindOf(fileSystem, source, point, probe);
        volume.caseInsensitive = caseInsensitiveFileSystems().contains(fileSystem);
        if (volume.type != DriveType::Network && probe.labelOfDevice)
            volume.label = probe.labelOfDevice(source);
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [&](const Volume& v) { return v.root == point; }),
                    found.end());
        found.append(volume);
    }
    std::sort(found.begin(), found.end(),
              [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return found;
}

QList<Volume> volumes() {
    if (g_override)
        return *g_override;
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {Volume{"/", QString(), QString(), DriveType::Fixed, false, QString()}};
    // /proc files report no size: read them to the end. The table is read at every call, but
    // probed (sysfs, labels) only when it changed: a path's volume is asked for at every
    // change of directory. A label changed without remounting shows after the next mount.
    const QByteArray text = file.readAll();
    static QByteArray lastText;
    static QList<Volume> lastVolumes;
    if (text != lastText || lastVolumes.isEmpty()) {
        lastVolumes = parseMountInfo(text, {systemIsRemovable, systemLabel, systemIsDirectory});
        lastText = text;
    }
    return lastVolumes;
}

void setVolumesOverride(std::optional<QList<Volume>> replacement) {
    g_override = std::move(replacement);
}

QByteArray cleanPath(const QByteArray& absolutePath) {
    QList<QByteArray> parts;
    for (const QByteArray& part : absolutePath.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    QByteArray out;
    for (const QByteArray& part : parts)
        out += '/' + part;
    return out.isEmpty() ? QByteArray("/") : out;
}

Volume volumeOf(const QByteArray& absolutePath) {
    const QByteArray path = cleanPath(absolutePath);
    const QList<Volume> all = volumes();
    const Volume* best = nullptr;
    for (const Volume& v : all)
        if (isBelow(path, v.root) && (!best || v.root.size() > best->root.size()))
            best = &v;
    if (best)
        return *best;
    return Volume{"/", QString(), QString(), DriveType::Fixed, false, QString()};
}

bool samePath(const QByteArray& a, const QByteArray& b) {
    if (a == b)
        return true;
    if (!volumeOf(a).caseInsensitive)
        return false;
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

QByteArray currentDirectory() {
    // getcwd needs a buffer as long as the path; grow it until the path fits.
    QByteArray buffer(PATH_MAX, '\0');
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            raiseFromErrno(errno);
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

QByteArray currentDirectoryOrRoot() {
    try {
        return currentDirectory();
    } catch (const InOutError&) {
        return QByteArrayLiteral("/");
    }
}

void setCurrentDirectory(const QByteArray& path) {
    if (path.isEmpty())
        throw InOutError(3);
    if (::chdir(path.constData()) != 0)
        raiseFromErrno(errno);
    const QByteArray now = currentDirectory();
    g_volumeDirectories.insert(volumeOf(now).root, now);
}

QByteArray volumeCurrentDirectory(const QByteArray& root) {
    return g_volumeDirectories.value(root, root);
}

void forgetVolumeCurrentDirectories() {
    g_volumeDirectories.clear();
}

} // namespace platform
