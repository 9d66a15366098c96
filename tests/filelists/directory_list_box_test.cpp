// The directory list on real directory trees: its rows, the ways a directory is named, the
// file list following it, and failed changes.
#include "fake_dialogs.h"
#include "file_tree.h"
#include "filelists/directory_list_box.h"
#include "filelists/file_list_box.h"
#include "platform/errors.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

using Kind = TRzDirectoryListBox::RowKind;

class DirectoryList : public ::testing::Test {
protected:
    DirectoryList() {
        dirs.setFileList(&files);
        files.setMask(QStringLiteral("*.jpg"));
        files.show();
        connect();
    }
    // Records, in order, which list raised OnChange.
    void connect() {
        QObject::connect(&files, &TRzFileListBox::OnChange, [this] { events << "file"; });
        QObject::connect(&dirs, &TRzDirectoryListBox::OnChange, [this] { events << "dir"; });
    }
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < dirs.Count(); ++i)
            out << dirs.Item(i);
        return out;
    }
    QStringList fileRows() const {
        QStringList out;
        for (int i = 0; i < files.Count(); ++i)
            out << files.Item(i);
        return out;
    }
    // A volume of its own at tree's root.
    void treeIsVolume(bool caseInsensitive) {
        platform::Volume system{"/", "ext4", "/dev/vda", platform::DriveType::Fixed, false, {}};
        platform::Volume own{tree.root(),     caseInsensitive ? "vfat" : "ext4",
                             "/dev/sdz1",     platform::DriveType::Fixed,
                             caseInsensitive, "pictures"};
        platform::setVolumesOverride(QList<platform::Volume>{system, own});
    }
    QString errorOf(const std::function<void()>& change) {
        try {
            change();
        } catch (const platform::GlimraError& e) {
            return e.text();
        }
        return {};
    }

    test::ProcessState state;
    test::FakeDialogs dialogs;
    test::FileTree tree;
    TRzDirectoryListBox dirs;
    TRzFileListBox files;
    QStringList events;
};

TEST_F(DirectoryList, StartsInTheWorkingDirectory) {
    EXPECT_EQ(dirs.NativeDirectory(), platform::currentDirectory());
    EXPECT_EQ(dirs.Item(dirs.ItemIndex()), dirs.Directory().section(u'/', -1));
    EXPECT_EQ(dirs.ItemKind(dirs.ItemIndex()), Kind::Current);
    EXPECT_EQ(files.DirList(), &dirs);
    EXPECT_EQ(dirs.FileList(), &files);
}

TEST_F(DirectoryList, FileListChangesBeforeTheDirectoryList) {
    tree.dir("photos");
    tree.file("photos/a.jpg");
    dirs.setDirectory(tree.text("photos"));
    EXPECT_EQ(events, (QStringList{"file", "dir"}));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos"));
    EXPECT_EQ(files.NativeDirectory(), tree.path("photos"));
    EXPECT_EQ(platform::currentDirectory(), tree.path("photos"));
    EXPECT_EQ(fileRows(), QStringList{"a.jpg"});
}

TEST_F(DirectoryList, RowsAreAncestorsCurrentAndSortedSubdirectories) {
    tree.dir("a");
    tree.dir("a/b");
    tree.dir("a/b/Zeta");
    tree.dir("a/b/alpha");
    tree.dir("a/b/.hidden");
    tree.file("a/b/file.jpg");
    treeIsVolume(false);
    dirs.setDirectory(tree.text("a/b"));
    EXPECT_EQ(rows(), (QStringList{tree.text(""), "a", "b", "alpha", "Zeta"}));
    EXPECT_EQ(dirs.ItemKind(0), Kind::Open);
    EXPECT_EQ(dirs.ItemKind(1), Kind::Open);
    EXPECT_EQ(dirs.ItemKind(2), Kind::Current);
    EXPECT_EQ(dirs.ItemKind(3), Kind::Closed);
    EXPECT_EQ(dirs.ItemIndex(), 2) << "the current row is selected";
    EXPECT_EQ(dirs.ItemIndent(0), 2);
    EXPECT_EQ(dirs.ItemIndent(1), 6);
    EXPECT_EQ(dirs.ItemIndent(2), 10);
    EXPECT_EQ(dirs.ItemIndent(3), 14);
    EXPECT_EQ(dirs.ItemPath(0), tree.root());
    EXPECT_EQ(dirs.ItemPath(1), tree.path("a"));
    EXPECT_EQ(dirs.ItemPath(3), tree.path("a/b/alpha"));
}

TEST_F(DirectoryList, RootIsTheOnlyNonClosedRowAndItsSubdirectoriesIndentTen) {
    tree.dir("one");
    tree.dir("two");
    treeIsVolume(false);
    dirs.setDirectory(tree.text(""));
    EXPECT_EQ(rows(), (QStringList{tree.text(""), "one", "two"}));
    EXPECT_EQ(dirs.ItemKind(0), Kind::Current);
    EXPECT_EQ(dirs.ItemIndex(), 0);
    EXPECT_EQ(dirs.ItemIndent(0), 2);
    EXPECT_EQ(dirs.ItemIndent(1), 10);
    EXPECT_EQ(dirs.ItemIndent(2), 10);
    // A first-level directory's subdirectories share that indent.
    dirs.setDirectory(tree.text("one"));
    tree.dir("one/inner");
    dirs.Reload();
    EXPECT_EQ(dirs.ItemIndent(2), 10);
}

TEST_F(DirectoryList, SystemRootListsAsSlash) {
    dirs.setDirectory(QStringLiteral("/"));
    EXPECT_EQ(dirs.Item(0), "/");
    EXPECT_EQ(dirs.ItemKind(0), Kind::Current);
    EXPECT_EQ(dirs.ItemIndent(1), 10);
    EXPECT_EQ(files.NativeDirectory(), "/");
}

TEST_F(DirectoryList, FilePathShowsItsDirectory) {
    tree.dir("photos");
    tree.file("photos/a.jpg");
    dirs.setDirectory(tree.text("photos/a.jpg"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos"));
}

TEST_F(DirectoryList, FinalWildcardComponentShowsTheDirectory) {
    tree.dir("photos");
    dirs.setDirectory(tree.text("photos/*.jpg"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos"));
    dirs.setDirectory(tree.text("photos/x?.*"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos"));
}

TEST_F(DirectoryList, BracketedNameStandsForTheName) {
    tree.dir("photos");
    dirs.setDirectory(tree.text(""));
    dirs.setDirectory(QStringLiteral("[photos]"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos"));
}

TEST_F(DirectoryList, ExistingDirectoriesAreTakenAsNamed) {
    tree.dir("[real]");
    tree.dir("star*");
    dirs.setDirectory(tree.text("[real]"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("[real]"));
    dirs.setDirectory(tree.text("star*"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("star*"));
}

TEST_F(DirectoryList, RelativePathIsTakenAgainstTheWorkingDirectory) {
    tree.dir("photos");
    tree.dir("photos/2024");
    dirs.setDirectory(tree.text("photos"));
    dirs.setDirectory(QStringLiteral("2024"));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos/2024"));
    dirs.setDirectory(QStringLiteral(".."));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("photos"));
}

TEST_F(DirectoryList, SamePathInAnotherCaseOnACaseInsensitiveVolumeRaisesNothing) {
    tree.dir("Photos");
    treeIsVolume(true);
    dirs.setDirectory(tree.text("Photos"));
    EXPECT_FALSE(dirs.CaseSensitive());
    events.clear();
    dirs.setDirectory(tree.text("PHOTOS"));
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("Photos"));
}

TEST_F(DirectoryList, AnotherCaseOnACaseSensitiveVolumeIsAnotherDirectory) {
    tree.dir("Photos");
    treeIsVolume(false);
    dirs.setDirectory(tree.text("Photos"));
    EXPECT_TRUE(dirs.CaseSensitive());
    events.clear();
    EXPECT_EQ(errorOf([&] { dirs.setDirectory(tree.text("PHOTOS")); }), "File not found");
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(DirectoryList, SameDirectoryRaisesNothingAndEmptyPathDoesNothing) {
    dirs.setDirectory(tree.text(""));
    events.clear();
    dirs.setDirectory(tree.text(""));
    dirs.setDirectory(tree.text("") + "/");
    dirs.setDirectory(QString());
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(DirectoryList, ReloadRebuildsAndReportsTheChange) {
    dirs.setDirectory(tree.text(""));
    tree.dir("new");
    events.clear();
    dirs.Reload();
    EXPECT_EQ(rows().last(), "new");
    EXPECT_EQ(events, QStringList{"dir"}) << "the file list is already there: it does not move";
}

TEST_F(DirectoryList, DoubleClickAndEnterOpenTheHighlightedRow) {
    tree.dir("a");
    tree.dir("a/b");
    treeIsVolume(false);
    dirs.setDirectory(tree.text("a"));
    dirs.resize(200, 200);
    dirs.show();
    const auto centre = [&](int row) {
        return dirs.visualRect(dirs.model()->index(row, 0)).center();
    };
    // A click only moves the highlight.
    QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {}, centre(2));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("a"));
    QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {}, centre(2));
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("a/b"));
    dirs.setItemIndex(0);
    dirs.setFocus();
    QTest::keyClick(&dirs, Qt::Key_Return);
    EXPECT_EQ(dirs.NativeDirectory(), tree.root());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DirectoryList, RemovedDirectoryFailsAndTheListsKeepTheirRows) {
    tree.dir("a");
    tree.dir("a/gone");
    tree.file("a/x.jpg");
    dirs.setDirectory(tree.text("a"));
    const QStringList before = rows();
    tree.remove("a/gone");
    events.clear();
    EXPECT_EQ(errorOf([&] { dirs.setDirectory(tree.text("a/gone")); }), "File not found");
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(dirs.NativeDirectory(), tree.path("a"));
    EXPECT_EQ(files.NativeDirectory(), tree.path("a"));
    EXPECT_EQ(fileRows(), QStringList{"x.jpg"});
    EXPECT_EQ(platform::currentDirectory(), tree.path("a"));
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(DirectoryList, DoubleClickOnAVanishedRowShowsTheErrorBox) {
    tree.dir("gone");
    dirs.setDirectory(tree.text(""));
    tree.remove("gone");
    dirs.resize(200, 200);
    dirs.show();
    ASSERT_EQ(dirs.Item(dirs.Count() - 1), "gone");
    const QPoint centre = dirs.visualRect(dirs.model()->index(dirs.Count() - 1, 0)).center();
    QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(dialogs.texts(), QStringList{"File not found."});
    EXPECT_EQ(dirs.NativeDirectory(), tree.root());
}

// Permission is refused only to a user other than root: the case runs in a child process
// that gives root's rights up.
TEST_F(DirectoryList, UnreadableDirectoriesAreRefusedAndNothingChanges) {
    tree.dir("open");
    tree.dir("locked");   // no entry at all
    tree.dir("unlisted"); // may be entered, not read
    tree.file("open/a.jpg");
    ::chmod(tree.root().constData(), 0755);
    ::chmod(tree.path("locked").constData(), 0);
    ::chmod(tree.path("unlisted").constData(), 0111);
    // The temporary folder's parents must let the child through.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failures = 0;
        if (::geteuid() == 0 &&
            (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0))
            ::_exit(90);
        try {
            dirs.setDirectory(tree.text("open"));
        } catch (...) {
            ::_exit(91); // the parents of the temporary folder are closed to others
        }
        const QStringList before = rows();
        const QString denied = QStringLiteral("File access denied");
        failures += errorOf([&] { dirs.setDirectory(tree.text("locked")); }) != denied;
        failures += dirs.NativeDirectory() != tree.path("open");
        failures += errorOf([&] { dirs.setDirectory(tree.text("unlisted")); }) != denied;
        failures += dirs.NativeDirectory() != tree.path("open");
        failures += files.NativeDirectory() != tree.path("open");
        failures += fileRows() != QStringList{"a.jpg"};
        failures += rows() != before;
        failures += platform::currentDirectory() != tree.path("open");
        ::_exit(failures);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 91)
        GTEST_SKIP() << "the temporary folder is not reachable by an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::chmod(tree.path("locked").constData(), 0755);
    ::chmod(tree.path("unlisted").constData(), 0755);
}

TEST_F(DirectoryList, ShowLongNamesRebuildsSilently) {
    dirs.setDirectory(tree.text(""));
    events.clear();
    dirs.setShowLongNames(false);
    EXPECT_FALSE(dirs.ShowLongNames());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(dirs.ItemKind(dirs.ItemIndex()), Kind::Current);
}

TEST_F(DirectoryList, LinksAreForgottenWhenAControlIsDestroyed) {
    auto other = std::make_unique<TRzFileListBox>();
    dirs.setFileList(other.get());
    EXPECT_EQ(files.DirList(), nullptr);
    EXPECT_EQ(other->DirList(), &dirs);
    other.reset();
    EXPECT_EQ(dirs.FileList(), nullptr);
    dirs.setDirectory(tree.text("")); // no file list to move: no crash
}

} // namespace
