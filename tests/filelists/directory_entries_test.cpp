// Reading a directory in one pass: which entries become rows, how often, in which order.
#include "file_tree.h"
#include "filelists/directory_entries.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

using filelists::MaskMatcher;
using filelists::readFileRows;
using filelists::readSubdirectoryNames;

namespace {

QStringList texts(const std::vector<filelists::FileRow>& rows) {
    QStringList out;
    for (const auto& row : rows)
        out << row.text;
    return out;
}

TEST(FileRows, OnePassListsEachMatchOncePerPatternSortedWithoutRegardToCase) {
    test::FileTree tree;
    tree.files({"b.JPG", "a.jpg", "C.gif", "d.txt", "e.png"});
    const auto rows = readFileRows(tree.root(), MaskMatcher("*.jpg;*.gif;*.JPG"), ftNormal);
    EXPECT_EQ(texts(rows), (QStringList{"a.jpg", "a.jpg", "b.JPG", "b.JPG", "C.gif"}));
}

TEST(FileRows, HiddenSystemAndDirectoriesAreLeftOutByDefault) {
    test::FileTree tree;
    tree.files({"shown.jpg", ".hidden.jpg"});
    tree.dir("folder.jpg");
    tree.dir(".git");
    ASSERT_EQ(::mkfifo(tree.path("pipe.jpg").constData(), 0644), 0);
    ASSERT_EQ(::symlink("shown.jpg", tree.path("link.jpg").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", tree.path("dangling.jpg").constData()), 0);
    ASSERT_EQ(::symlink("folder.jpg", tree.path("dirlink.jpg").constData()), 0);
    const auto rows = readFileRows(tree.root(), MaskMatcher("*.*"), ftNormal);
    // A link to a file is a file; a dangling link and a pipe are system entries.
    EXPECT_EQ(texts(rows), (QStringList{"link.jpg", "shown.jpg"}));
}

TEST(FileRows, AttributesAskForMoreEntries) {
    test::FileTree tree;
    tree.files({"plain.jpg", ".hidden.jpg"});
    tree.dir("folder.jpg");
    ASSERT_EQ(::mkfifo(tree.path("pipe.jpg").constData(), 0644), 0);
    EXPECT_EQ(texts(readFileRows(tree.root(), MaskMatcher("*.jpg"), ftNormal | ftDirectory)),
              (QStringList{"[folder.jpg]", "plain.jpg"}));
    EXPECT_EQ(texts(readFileRows(tree.root(), MaskMatcher("*.jpg"), ftNormal | ftHidden)),
              (QStringList{".hidden.jpg", "plain.jpg"}));
    EXPECT_EQ(texts(readFileRows(tree.root(), MaskMatcher("*.jpg"), ftNormal | ftSystem)),
              (QStringList{"pipe.jpg", "plain.jpg"}));
    // Without ftNormal only entries holding an asked-for attribute are listed.
    EXPECT_EQ(texts(readFileRows(tree.root(), MaskMatcher("*.jpg"), ftDirectory)),
              QStringList{"[folder.jpg]"});
    // "." and ".." are directory entries like any other, as on Windows.
    EXPECT_EQ(texts(readFileRows(tree.root(), MaskMatcher("*"), ftDirectory)),
              (QStringList{"[..]", "[.]", "[folder.jpg]"}));
}

TEST(FileRows, HourglassIsAskedForAtTheHundredAndFirstRow) {
    test::FileTree tree;
    for (int i = 0; i < 100; ++i)
        tree.file(QByteArray::number(i) + ".jpg");
    int asked = 0;
    readFileRows(tree.root(), MaskMatcher("*.jpg"), ftNormal, [&] { ++asked; });
    EXPECT_EQ(asked, 0) << "100 rows take no hourglass";
    tree.file("100.jpg");
    tree.file("101.jpg");
    readFileRows(tree.root(), MaskMatcher("*.jpg"), ftNormal, [&] { ++asked; });
    EXPECT_EQ(asked, 1);
}

TEST(FileRows, UnusualNamesAreListedWithTheirOwnBytes) {
    test::FileTree tree;
    const QList<QByteArray> names{"\xff\xfe.png", "with blank.png", "quote'\".png",
                                  "-dash.png",    "new\nline.png",  "tab\there.png"};
    for (const QByteArray& name : names)
        tree.file(name);
    const auto rows = readFileRows(tree.root(), MaskMatcher("*.png"), ftNormal);
    ASSERT_EQ(rows.size(), size_t(names.size()));
    QList<QByteArray> found;
    for (const auto& row : rows)
        found << row.name;
    for (const QByteArray& name : names)
        EXPECT_TRUE(found.contains(name)) << name.toHex().constData();
    // Shown with a replacement character where the bytes are no UTF-8.
    EXPECT_EQ(rows.back().text, QString::fromUtf8("\xff\xfe.png"));
}

TEST(FileRows, ADirectoryThatCannotBeReadRaisesItsError) {
    test::FileTree tree;
    try {
        readFileRows(tree.path("gone"), MaskMatcher("*.*"), ftNormal);
        FAIL() << "no error";
    } catch (const platform::InOutError& e) {
        EXPECT_EQ(e.text(), "File not found");
    }
}

TEST(SubdirectoryNames, VisibleDirectoriesOnlySortedWithoutRegardToCase) {
    test::FileTree tree;
    tree.dir("beta");
    tree.dir("Alpha");
    tree.dir(".hidden");
    tree.dir("gamma");
    tree.file("file");
    ASSERT_EQ(::symlink("gamma", tree.path("delta").constData()), 0);
    EXPECT_EQ(readSubdirectoryNames(tree.root()),
              (QList<QByteArray>{"Alpha", "beta", "delta", "gamma"}));
    EXPECT_TRUE(readSubdirectoryNames(tree.path("gone")).isEmpty());
}

} // namespace
