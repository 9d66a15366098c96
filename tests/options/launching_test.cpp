// Launching outside programs: the argument vectors that reach them and the failure messages.
#include "fake_dialogs.h"
#include "options/launching.h"
#include "recording_starter.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Launching : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bin.isValid());
        oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
    }
    void TearDown() override { qputenv("PATH", oldPath); }
    void install(const QString& name) {
        const QString path = bin.filePath(name);
        test::writeFile(path, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir bin;
    QByteArray oldPath;
    test::FakeDialogs dialogs;
    test::RecordingStarter starter;
};

TEST_F(Launching, ExplorerOpensTheCurrentFolderAsOneArgument) {
    install("xdg-open");
    const QString dir = "/home/u/My Pictures; $(rm -rf x) `y`";
    options::exploreFromHere(nullptr, true, platform::NativePath::fromText(dir));
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(starter.started[0], (QStringList{bin.filePath("xdg-open"), dir}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Launching, FileManagerIsTheFirstFoundWithoutArguments) {
    install("nautilus");
    install("caja");
    options::exploreFromHere(nullptr, false, platform::NativePath("/somewhere"));
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(starter.started[0], QStringList{bin.filePath("caja")});
}

TEST_F(Launching, ExploreFailures) {
    options::exploreFromHere(nullptr, false, platform::NativePath("/x")); // no file manager at all
    EXPECT_TRUE(starter.started.isEmpty());
    install("xdg-open");
    starter.succeed = false;
    options::exploreFromHere(nullptr, true, platform::NativePath("/x"));
    EXPECT_EQ(dialogs.texts(), (QStringList{options::kExploreFailed, options::kExploreFailed}));
    EXPECT_EQ(dialogs.messages[0].caption, "Glimra Error");
}

TEST_F(Launching, OpenWithAppendsTheFileAsOneArgument) {
    const QString file = "/pics/-rf \"quoted\" $HOME;`x`.jpg";
    options::openWith(nullptr, "\"/opt/my editor/bin/edit\" --new-window",
                      platform::NativePath::fromText(file));
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(starter.started[0], (QStringList{"/opt/my editor/bin/edit", "--new-window", file}));
}

TEST_F(Launching, OpenWithFailures) {
    options::openWith(nullptr, "gimp", {});
    EXPECT_TRUE(starter.started.isEmpty());
    options::openWith(nullptr, "", platform::NativePath("/a.bmp"));
    starter.succeed = false;
    options::openWith(nullptr, "gimp", platform::NativePath("/a.bmp"));
    EXPECT_EQ(dialogs.texts(), (QStringList{options::kOpenWithNoFile, options::kOpenWithFailed,
                                            options::kOpenWithFailed}));
    EXPECT_EQ(dialogs.messages[0].caption, "Glimra Message");
    EXPECT_EQ(dialogs.messages[1].caption, "Glimra Error");
}

TEST(OpenWithItem, UsableOnlyWithCommandAndFile) {
    using options::openWithItemState;
    EXPECT_EQ(openWithItemState("GIMP", "gimp", platform::NativePath("/a.bmp")).caption,
              "Open with GIMP");
    EXPECT_TRUE(openWithItemState("GIMP", "gimp", platform::NativePath("/a.bmp")).enabled);
    EXPECT_FALSE(openWithItemState("GIMP", "gimp", {}).enabled);
    EXPECT_EQ(openWithItemState("GIMP", "", platform::NativePath("/a.bmp")).caption,
              "Open with...");
    EXPECT_FALSE(openWithItemState("GIMP", "", platform::NativePath("/a.bmp")).enabled);
}

} // namespace
