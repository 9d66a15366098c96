// Volumes from the system's mount table, the volume of a path, and the working directory.
#include "platform/errors.h"
#include "platform/volumes.h"
#include "qt_print.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using platform::DriveType;
using platform::Volume;

const QByteArray kMountInfo = "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
                              "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
                              "27 1 254:0 / / rw,relatime - ext4 /dev/vda1 rw\n"
                              "30 27 0:27 / /run rw - tmpfs tmpfs rw\n"
                              "31 30 8:17 / /run/media/me/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                              "32 27 8:2 / /home rw - ext4 /dev/vda2 rw\n"
                              "33 27 0:40 / /mnt/nas rw - nfs4 server:/export rw\n"
                              "34 27 0:41 / /mnt/share rw - cifs //pc/Share rw\n"
                              "35 27 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
                              "36 27 0:42 / /tmp rw - tmpfs tmpfs rw\n"
                              "37 27 8:33 / /data rw - xfs /dev/sdc1 rw\n"
                              "38 27 0:43 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
                              "39 27 254:0 /etc/hostname /etc/hostname rw - ext4 /dev/vda1 rw\n"
                              "40 27 0:44 / /mnt/windows rw - ntfs3 /dev/sdd1 rw\n"
                              "41 27 0:45 / /data rw - ext4 /dev/sde1 rw\n";

platform::VolumeProbe fakeProbe() {
    platform::VolumeProbe probe;
    probe.isRemovableDevice = [](const QString& device) { return device == "/dev/sdc1"; };
    probe.labelOfDevice = [](const QString& device) {
        return device == "/dev/vda2" ? QStringLiteral("Home") : QString();
    };
    probe.isDirectory = [](const QByteArray& path) { return path != "/etc/hostname"; };
    return probe;
}

Volume find(const QList<Volume>& all, const QByteArray& root) {
    for (const Volume& v : all)
        if (v.root == root)
            return v;
    ADD_FAILURE() << "no volume at " << root.constData();
    return {};
}

TEST(MountInfo, KeepsBrowsableVolumesWithTheirKinds) {
    const QList<Volume> all = platform::parseMountInfo(kMountInfo, fakeProbe());
    QList<QByteArray> roots;
    for (const Volume& v : all)
        roots << v.root;
    EXPECT_EQ(roots, (QList<QByteArray>{"/", "/data", "/home", "/mnt/cd", "/mnt/nas", "/mnt/share",
                                        "/mnt/windows", "/run/media/me/USB STICK", "/tmp"}));
    EXPECT_EQ(find(all, "/").type, DriveType::Fixed);
    EXPECT_EQ(find(all, "/home").label, "Home");
    EXPECT_EQ(find(all, "/run/media/me/USB STICK").type, DriveType::Floppy);
    EXPECT_TRUE(find(all, "/run/media/me/USB STICK").caseInsensitive);
    EXPECT_EQ(find(all, "/mnt/nas").type, DriveType::Network);
    EXPECT_EQ(find(all, "/mnt/nas").source, "server:/export");
    EXPECT_FALSE(find(all, "/mnt/nas").caseInsensitive);
    EXPECT_EQ(find(all, "/mnt/share").type, DriveType::Network);
    EXPECT_TRUE(find(all, "/mnt/share").caseInsensitive);
    EXPECT_EQ(find(all, "/mnt/cd").type, DriveType::CDROM);
    EXPECT_EQ(find(all, "/tmp").type, DriveType::RAM);
    EXPECT_TRUE(find(all, "/mnt/windows").caseInsensitive);
    // The later mount over /data is the one a path sees.
    EXPECT_EQ(find(all, "/data").source, "/dev/sde1");
    EXPECT_EQ(find(all, "/data").type, DriveType::Fixed);
}

class Volumes : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setVolumesOverride(
            QList<Volume>{{"/", "ext4", "/dev/vda1", DriveType::Fixed, false, ""},
                          {"/mnt/usb", "vfat", "/dev/sdb1", DriveType::Floppy, true, ""},
                          {"/mnt/usb/inner", "ext4", "/dev/sdc1", DriveType::Fixed, false, ""}});
    }
    void TearDown() override { platform::setVolumesOverride(std::nullopt); }
};

TEST_F(Volumes, PathBelongsToTheLongestContainingRoot) {
    EXPECT_EQ(platform::volumeOf("/mnt/usb").root, "/mnt/usb");
    EXPECT_EQ(platform::volumeOf("/mnt/usb/a/b").root, "/mnt/usb");
    EXPECT_EQ(platform::volumeOf("/mnt/usb/inner/x").root, "/mnt/usb/inner");
    EXPECT_EQ(platform::volumeOf("/mnt/usbx").root, "/");
    EXPECT_EQ(platform::volumeOf("/mnt/usb/inner/../x").root, "/mnt/usb");
    EXPECT_EQ(platform::volumeOf("/home").root, "/");
}

TEST_F(Volumes, CaseCountsOnlyWhereTheVolumeSaysSo) {
    EXPECT_TRUE(platform::samePath("/mnt/usb/Photos", "/mnt/usb/PHOTOS"));
    EXPECT_FALSE(platform::samePath("/home/Photos", "/home/PHOTOS"));
    EXPECT_FALSE(platform::samePath("/mnt/usb/inner/A", "/mnt/usb/inner/a"));
    EXPECT_TRUE(platform::samePath("/home", "/home"));
}

TEST(CleanPath, ResolvesDotsByText) {
    EXPECT_EQ(platform::cleanPath("/a/./b/../c/"), "/a/c");
    EXPECT_EQ(platform::cleanPath("/../.."), "/");
    EXPECT_EQ(platform::cleanPath("//a//b"), "/a/b");
}

TEST(WorkingDirectory, EachVolumeRemembersTheDirectoryLastEntered) {
    const QByteArray saved = platform::currentDirectory();
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(QDir(dir.path()).canonicalPath());
    QDir(dir.path()).mkpath("vol/sub");
    platform::setVolumesOverride(
        QList<Volume>{{"/", "ext4", "", DriveType::Fixed, false, ""},
                      {root + "/vol", "ext4", "", DriveType::Fixed, false, ""}});
    platform::forgetVolumeCurrentDirectories();
    EXPECT_EQ(platform::volumeCurrentDirectory(root + "/vol"), root + "/vol");
    platform::setCurrentDirectory(root + "/vol/sub");
    EXPECT_EQ(platform::currentDirectory(), root + "/vol/sub");
    EXPECT_EQ(platform::volumeCurrentDirectory(root + "/vol"), root + "/vol/sub");
    platform::setCurrentDirectory(root);
    EXPECT_EQ(platform::volumeCurrentDirectory("/"), root);
    EXPECT_EQ(platform::volumeCurrentDirectory(root + "/vol"), root + "/vol/sub");
    try {
        platform::setCurrentDirectory(root + "/missing");
        ADD_FAILURE() << "no error";
    } catch (const platform::InOutError& e) {
        EXPECT_EQ(e.text(), "File not found");
    }
    EXPECT_EQ(platform::currentDirectory(), root);
    platform::setCurrentDirectory(saved);
    platform::setVolumesOverride(std::nullopt);
    platform::forgetVolumeCurrentDirectories();
}

TEST(SystemVolumes, RootIsAlwaysThere) {
    const QList<Volume> all = platform::volumes();
    ASSERT_FALSE(all.isEmpty());
    EXPECT_EQ(platform::volumeOf("/").root, "/");
}

} // namespace
