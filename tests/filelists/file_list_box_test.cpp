// The file list on real directories: its rows, its events and its failures.
#include "fake_dialogs.h"
#include "file_tree.h"
#include "filelists/file_list_box.h"
#include "platform/errors.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FileList : public ::testing::Test {
protected:
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < list->Count(); ++i)
            out << list->Item(i);
        return out;
    }
    // Shows the list in tree's root: its window exists, its rows are read.
    void open(const QString& mask = QStringLiteral("*.*")) {
        list->setDirectory(tree.text(""));
        list->setMask(mask);
        list->show();
        ASSERT_TRUE(list->HandleAllocated());
    }
    QPoint centreOfRow(int row) const {
        return list->visualRect(list->model()->index(row, 0)).center();
    }

    test::ProcessState state;
    test::FakeDialogs dialogs;
    test::FileTree tree;
    std::unique_ptr<TRzFileListBox> list = std::make_unique<TRzFileListBox>();
};

TEST_F(FileList, StartsInTheWorkingDirectoryWithItsDefaults) {
    EXPECT_EQ(list->NativeDirectory(), platform::currentDirectory());
    EXPECT_EQ(list->Mask(), "*.*");
    EXPECT_EQ(list->FileType(), TFileType(ftNormal));
    EXPECT_TRUE(list->ShowGlyphs());
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_TRUE(list->SelectedPath().isEmpty());
}

TEST_F(FileList, ReadsNothingUntilItsWindowExists) {
    tree.files({"a.jpg"});
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    list->setDirectory(tree.text(""));
    list->setMask("*.jpg");
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(changes.count(), 0);
    list->show();
    EXPECT_EQ(rows(), QStringList{"a.jpg"});
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(FileList, MaskOfTwoPatternsListsBothInOneSortedList) {
    tree.files({"c.gif", "B.jpg", "a.GIF", "d.png"});
    open("*.jpg;*.gif");
    EXPECT_EQ(rows(), (QStringList{"a.GIF", "B.jpg", "c.gif"}));
}

TEST_F(FileList, RepeatedPatternListsItsFilesTwice) {
    tree.files({"a.jpg", "b.gif"});
    open("*.jpg;*.gif;*.jpg");
    EXPECT_EQ(rows(), (QStringList{"a.jpg", "a.jpg", "b.gif"}));
}

TEST_F(FileList, SameMaskSetTwiceRaisesNothing) {
    tree.files({"a.jpg"});
    open("*.jpg");
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    list->setMask("*.jpg");
    EXPECT_EQ(changes.count(), 0);
    list->setMask("*.JPG");
    EXPECT_EQ(changes.count(), 1) << "another text re-reads, even when it lists the same files";
}

TEST_F(FileList, HiddenFilesAndSubdirectoriesAreLeftOut) {
    tree.files({"shown.jpg", ".hidden.jpg"});
    tree.dir("sub.jpg");
    tree.dir(".hiddendir");
    open();
    EXPECT_EQ(rows(), QStringList{"shown.jpg"});
}

TEST_F(FileList, ReloadClearsTheSelectionAndRaisesOnChangeOnce) {
    tree.files({"a.jpg", "b.jpg"});
    open();
    list->setItemIndex(1);
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    list->Reload();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_TRUE(list->SelectedPath().isEmpty());
    EXPECT_EQ(list->NativeDirectory(), platform::currentDirectory())
        << "every enumeration moves the working directory to Directory";
}

TEST_F(FileList, ItemIndexSetFromCodeRaisesNothing) {
    tree.files({"a.jpg", "b.jpg"});
    open();
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    list->setItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->SelectedPath(), tree.text("b.jpg"));
    list->setItemIndex(-1);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->setItemIndex(5);
    EXPECT_EQ(list->ItemIndex(), -1) << "past the end: no row";
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(FileList, UserSelectionRaisesOnChangeButNotForTheSelectedRow) {
    tree.files({"a.jpg", "b.jpg", "c.jpg"});
    open();
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centreOfRow(1));
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(changes.count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centreOfRow(1));
    EXPECT_EQ(changes.count(), 1) << "a click on the selected row changes nothing";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOfRow(1));
    EXPECT_EQ(list->ItemIndex(), 1) << "a single-selection list never deselects its row";
    list->setFocus();
    QTest::keyClick(list.get(), Qt::Key_Down);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(FileList, DoubleClickRaisesOnDblClick) {
    tree.files({"a.jpg"});
    open();
    QSignalSpy doubles(list.get(), &TRzFileListBox::OnDblClick);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centreOfRow(0));
    EXPECT_EQ(doubles.count(), 1);
}

TEST_F(FileList, MovingToTheSameDirectoryDoesNothing) {
    tree.files({"a.jpg"});
    open();
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    list->setDirectory(tree.text(""));
    EXPECT_EQ(changes.count(), 0);
    tree.dir("other");
    list->setDirectory(tree.text("other"));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list->NativeDirectory(), tree.path("other"));
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(FileList, RemovedDirectoryFailsAndKeepsTheOldRows) {
    tree.dir("pictures");
    tree.files({"pictures/a.jpg", "pictures/b.jpg"});
    list->setDirectory(tree.text("pictures"));
    list->show();
    ASSERT_EQ(rows(), (QStringList{"a.jpg", "b.jpg"}));
    list->setItemIndex(0);
    tree.remove("pictures");
    QSignalSpy changes(list.get(), &TRzFileListBox::OnChange);
    try {
        list->Reload();
        FAIL() << "no error";
    } catch (const platform::InOutError& e) {
        EXPECT_EQ(e.text(), "File not found");
    }
    EXPECT_EQ(rows(), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(list->NativeDirectory(), tree.path("pictures"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FileList, MoveToADirectoryThatFailsKeepsDirectoryAndRows) {
    tree.files({"a.jpg"});
    open();
    try {
        list->setDirectory(tree.text("missing"));
        FAIL() << "no error";
    } catch (const platform::InOutError& e) {
        EXPECT_EQ(e.text(), "File not found");
    }
    EXPECT_EQ(list->NativeDirectory(), tree.root());
    EXPECT_EQ(rows(), QStringList{"a.jpg"});
}

TEST_F(FileList, HourglassEndsWithTheEnumeration) {
    for (int i = 0; i < 150; ++i)
        tree.file("f" + QByteArray::number(i) + ".jpg");
    open("*.jpg");
    EXPECT_EQ(list->Count(), 150);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FileList, UnusualNamesAreListedAndSelectable) {
    const QList<QByteArray> names{"\xff\xfe.png", "with blank.png", "quote'\".png",
                                  "-dash.png",    "new\nline.png",  "[bracket].png"};
    for (const QByteArray& name : names)
        tree.file(name);
    open("*.png");
    ASSERT_EQ(list->Count(), names.size());
    QList<QByteArray> selected;
    for (int i = 0; i < list->Count(); ++i) {
        list->setItemIndex(i);
        const QByteArray path = list->SelectedNativePath();
        EXPECT_EQ(::access(path.constData(), F_OK), 0) << path.toHex().constData();
        selected << path.mid(tree.root().size() + 1);
    }
    for (const QByteArray& name : names)
        EXPECT_TRUE(selected.contains(name)) << name.toHex().constData();
    // Drawing them, replacement characters and line breaks included, is no trouble either.
    list->resize(200, 200);
    list->viewport()->grab();
}

TEST_F(FileList, ShowsDirectoriesInBracketsWhenAskedTo) {
    tree.dir("sub");
    tree.file("a.jpg");
    open();
    list->setFileType(ftNormal | ftDirectory);
    EXPECT_EQ(rows(), (QStringList{"[..]", "[.]", "[sub]", "a.jpg"}));
    list->setItemIndex(2);
    EXPECT_EQ(list->SelectedPath(), tree.text("[sub]"));
}

TEST_F(FileList, RowHeightIsAtLeastEighteen) {
    EXPECT_GE(list->ItemHeight(), 18);
    QFont big = list->font();
    big.setPixelSize(40);
    list->setFont(big);
    EXPECT_GT(list->ItemHeight(), 40);
}

} // namespace
