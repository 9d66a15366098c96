// The drive selector over volumes given by the test: its rows, and switching the directory
// list from volume to volume.
#include "fake_dialogs.h"
#include "file_tree.h"
#include "filelists/directory_list_box.h"
#include "filelists/drive_combo_box.h"
#include "filelists/file_list_box.h"
#include "platform/errors.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using platform::DriveType;
using platform::Volume;

TEST(DriveRowText, FollowsTheKindOfTheVolume) {
    using filelists::driveRowText;
    const Volume usb{"/media/me/STICK", "vfat", "/dev/sdb1", DriveType::Floppy, true, "STICK"};
    const Volume disk{"/", "ext4", "/dev/sda1", DriveType::Fixed, false, "System"};
    const Volume unlabelled{"/home", "ext4", "/dev/sda2", DriveType::Fixed, false, ""};
    const Volume nas{"/mnt/nas", "nfs4", "Server:/Export", DriveType::Network, false, ""};
    const Volume cd{"/mnt/cd", "iso9660", "/dev/sr0", DriveType::CDROM, false, "Disc 1"};
    const Volume ram{"/tmp", "tmpfs", "tmpfs", DriveType::RAM, false, ""};
    EXPECT_EQ(driveRowText(usb, tcLowerCase), "/media/me/STICK");
    EXPECT_EQ(driveRowText(disk, tcLowerCase), "/ [system]");
    EXPECT_EQ(driveRowText(disk, tcUpperCase), "/ [SYSTEM]");
    EXPECT_EQ(driveRowText(unlabelled, tcLowerCase), "/home []");
    EXPECT_EQ(driveRowText(nas, tcLowerCase), "/mnt/nas server:/export");
    EXPECT_EQ(driveRowText(nas, tcUpperCase), "/mnt/nas SERVER:/EXPORT");
    EXPECT_EQ(driveRowText(cd, tcLowerCase), "/mnt/cd [disc 1]");
    EXPECT_EQ(driveRowText(ram, tcLowerCase), "/tmp []");
}

class DriveSelector : public ::testing::Test {
protected:
    DriveSelector() {
        tree.dir("disk");
        tree.dir("disk/photos");
        tree.file("disk/photos/a.jpg");
        tree.dir("stick");
        tree.dir("stick/dcim");
        tree.file("stick/top.jpg");
        tree.dir("ram");
        disk = {tree.path("disk"), "ext4", "/dev/sda1", DriveType::Fixed, false, "Data"};
        stick = {tree.path("stick"), "vfat", "/dev/sdb1", DriveType::Floppy, true, "STICK"};
        ram = {tree.path("ram"), "tmpfs", "tmpfs", DriveType::RAM, false, ""};
        gone = {tree.path("gone"), "nfs4", "nas:/x", DriveType::Network, false, ""};
        platform::setVolumesOverride(QList<Volume>{disk, gone, ram, stick});
        platform::setCurrentDirectory(tree.path("disk/photos"));
        combo = std::make_unique<TRzDriveComboBox>();
        dirs = std::make_unique<TRzDirectoryListBox>();
        files = std::make_unique<TRzFileListBox>();
        files->setMask("*.jpg");
        files->show();
        combo->setDirList(dirs.get());
        dirs->setFileList(files.get());
        QObject::connect(combo.get(), &TRzDriveComboBox::OnChange, [this] { events << "drive"; });
        QObject::connect(files.get(), &TRzFileListBox::OnChange, [this] { events << "file"; });
        QObject::connect(dirs.get(), &TRzDirectoryListBox::OnChange, [this] { events << "dir"; });
    }
    QStringList rowTexts() const {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }
    QString errorOf(const std::function<void()>& change) {
        try {
            change();
        } catch (const platform::GlimraError& e) {
            return e.text();
        }
        return {};
    }
    // The three controls show the directory and its volume.
    void expectAllAt(const QByteArray& directory, const QByteArray& root) {
        EXPECT_EQ(dirs->NativeDirectory(), directory);
        EXPECT_EQ(files->NativeDirectory(), directory);
        EXPECT_EQ(platform::currentDirectory(), directory);
        EXPECT_EQ(combo->NativeDrive(), root);
        EXPECT_EQ(combo->ItemRoot(combo->currentIndex()), root);
    }

    test::ProcessState state;
    test::FakeDialogs dialogs;
    test::FileTree tree;
    Volume disk, stick, ram, gone;
    std::unique_ptr<TRzDriveComboBox> combo;
    std::unique_ptr<TRzDirectoryListBox> dirs;
    std::unique_ptr<TRzFileListBox> files;
    QStringList events;
};

TEST_F(DriveSelector, ListsEveryVolumeWithItsGlyphKindAndSelectsTheWorkingOne) {
    const QString root = tree.text("");
    EXPECT_EQ(rowTexts(), (QStringList{root + "/disk [data]", root + "/gone nas:/x",
                                       root + "/ram []", root + "/stick"}));
    EXPECT_EQ(combo->ItemType(0), DriveType::Fixed);
    EXPECT_EQ(combo->ItemType(3), DriveType::Floppy);
    EXPECT_EQ(combo->NativeDrive(), disk.root);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_GE(combo->ItemHeight(), 13);
}

TEST_F(DriveSelector, DriveTypesFilterTheRows) {
    combo->setDriveTypes(dtFixed | dtFloppy);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(events, QStringList{"drive"}) << "rebuilding selects the drive again";
    combo->setDriveTypes({});
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(DriveSelector, TextCaseRebuildsTheRows) {
    combo->setTextCase(tcUpperCase);
    EXPECT_EQ(combo->itemText(0), tree.text("disk") + " [DATA]");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(events, QStringList{"drive"});
}

TEST_F(DriveSelector, SelectingAVolumeMovesTheListsToItsOwnCurrentDirectory) {
    combo->setNativeDrive(stick.root);
    expectAllAt(stick.root, stick.root);
    EXPECT_EQ(events, (QStringList{"file", "dir", "drive"}));
    QStringList fileRows;
    for (int i = 0; i < files->Count(); ++i)
        fileRows << files->Item(i);
    EXPECT_EQ(fileRows, QStringList{"top.jpg"});
    dirs->setDirectory(tree.text("stick/dcim"));
    // Back to the first volume: the directory last entered there.
    combo->setNativeDrive(disk.root);
    expectAllAt(tree.path("disk/photos"), disk.root);
    combo->setNativeDrive(stick.root);
    expectAllAt(tree.path("stick/dcim"), stick.root);
}

TEST_F(DriveSelector, SelectingTheSelectedDriveDoesNothing) {
    combo->setNativeDrive(disk.root);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(DriveSelector, TheUsersChoiceOfARowSelectsThatDrive) {
    emit combo->activated(2);
    expectAllAt(ram.root, ram.root);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DriveSelector, DirectoryOnAnotherVolumeSelectsThatVolumeFirst) {
    dirs->setDirectory(tree.text("stick/dcim"));
    expectAllAt(tree.path("stick/dcim"), stick.root);
    EXPECT_EQ(events, (QStringList{"drive", "file", "dir"}));
}

TEST_F(DriveSelector, VolumeThatIsGoneFailsAndTheControlsStayTogether) {
    combo->setCurrentIndex(1); // the user's choice already shows in the selector
    emit combo->activated(1);
    EXPECT_EQ(dialogs.texts(), QStringList{"File not found."});
    expectAllAt(tree.path("disk/photos"), disk.root);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(DriveSelector, MissingDirectoryOnAnotherVolumePutsAllThreeBack) {
    EXPECT_EQ(errorOf([&] { dirs->setDirectory(tree.text("stick/missing")); }), "File not found");
    expectAllAt(tree.path("disk/photos"), disk.root);
    EXPECT_EQ(dirs->Item(dirs->ItemIndex()), "photos");
    // The selector reported its own change before the directory failed.
    EXPECT_EQ(events, QStringList{"drive"});
}

TEST_F(DriveSelector, ForgottenDirectoryOfAVolumeFallsBackToItsRoot) {
    dirs->setDirectory(tree.text("stick/dcim"));
    dirs->setDirectory(tree.text("disk"));
    tree.remove("stick/dcim");
    combo->setNativeDrive(stick.root);
    expectAllAt(stick.root, stick.root);
}

TEST_F(DriveSelector, LinksAreForgottenWhenAControlIsDestroyed) {
    EXPECT_EQ(combo->DirList(), dirs.get());
    EXPECT_EQ(dirs->DriveCombo(), combo.get());
    combo.reset();
    EXPECT_EQ(dirs->DriveCombo(), nullptr);
    dirs->setDirectory(tree.text("stick")); // switches by itself, no crash
    EXPECT_EQ(dirs->NativeDirectory(), stick.root);
}

} // namespace
