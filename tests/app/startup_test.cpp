// Creating the browser window from GLIM.INI and the command line, and its failure rule.
#include "browser/browser_window.h"
#include "browser/splitter.h"
#include "fake_dialogs.h"
#include "platform/error_box.h"
#include "platform/screen.h"
#include "settings/browser_options.h"
#include "test_env.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setScreenSizeOverride(QSize(1024, 768));
        test::writeIni({});
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override {
        QDir::setCurrent(launch);
        platform::setScreenSizeOverride(std::nullopt);
        test::writeIni({});
    }
    std::unique_ptr<TForm1> create(const QStringList& arguments = {}) {
        QList<QByteArray> native;
        for (const QString& argument : arguments)
            native << QFile::encodeName(argument);
        return std::make_unique<TForm1>(native);
    }

    test::FakeDialogs dialogs;
    QTemporaryDir folder;
    const QString launch = QDir::currentPath();
};

TEST_F(Startup, WithoutSettingsFileEveryKeyTakesItsDefault) {
    auto form = create();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->windowTitle(), "Glimra v2.0");
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    EXPECT_EQ(form->frameGeometry().size(), QSize(516, 311));
    EXPECT_EQ(form->Splitter1->Left(), 149);
    EXPECT_EQ(form->Panel1->text(), "No File Loaded.");
    EXPECT_EQ(form->Panel6->text(), "FileSize:");
    EXPECT_TRUE(form->Options.UseExplorer);
    EXPECT_TRUE(form->Options.UseShellFileOps);
    EXPECT_EQ(form->Options.DisplayFilter, 0);
    EXPECT_EQ(form->LaunchDir, launch);
    EXPECT_EQ(form->Options.ExecDir, settings::defaultExecDir());
    EXPECT_EQ(form->HelpFile, settings::defaultExecDir() + "/Glim.hlp");
    EXPECT_FALSE(form->Options.PasswordProtect);
    EXPECT_FALSE(form->Options.AllowDel);
    EXPECT_TRUE(form->Options.PromptDel && form->Options.SendRecycle && form->Options.AllowCopy &&
                form->Options.PromptCopy && form->Options.AllowMove && form->Options.PromptMove);
    EXPECT_TRUE(form->CurrentDir.isEmpty());
    EXPECT_FALSE(test::iniExists()) << "creation must not write GLIM.INI";
}

TEST_F(Startup, SettingsFileFillsMembersAndPlacesTheWindow) {
    test::writeIni("[Options]\nExplorer=0\nDisplay=2\nExecDir=/opt/glim\nMenu1Descrip=Edit\n"
                   "String1=secret\nPassword_Protect=1\nAllow_Del=1\n"
                   "[Locations]\nSplitter1Left=200\nForm1Left=40\nForm1Top=30\n"
                   "Form1Width=700\nForm1Height=500\n");
    auto form = create();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(form->Options.UseExplorer);
    EXPECT_EQ(form->Options.DisplayFilter, 2);
    EXPECT_EQ(form->Options.ExecDir, "/opt/glim");
    EXPECT_EQ(form->HelpFile, "/opt/glim/Glim.hlp");
    EXPECT_EQ(form->Options.Menu1Descrip, "Edit");
    EXPECT_EQ(form->Options.AccessPassword, "secret");
    EXPECT_TRUE(form->Options.PasswordProtect);
    EXPECT_TRUE(form->Options.AllowDel);
    EXPECT_EQ(form->Splitter1->Left(), 200);
    EXPECT_EQ(form->pos(), QPoint(40, 30));
    EXPECT_EQ(form->frameGeometry().size(), QSize(700, 500));
}

TEST_F(Startup, CenterCentresTheWindowWithoutReadingTheTop) {
    test::writeIni("[Locations]\nForm1Left=Center\nForm1Top=Center\nForm1Width=600\n");
    auto form = create();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->pos(), QPoint((1024 - 600) / 2, (768 - 311) / 2));
}

TEST_F(Startup, BadIntegerIsReportedOnceAndEndsCreation) {
    test::writeIni("[Options]\nDisplay=1\n[Locations]\nForm1Left=10\nForm1Top=Center\n"
                   "Form1Width=800\n");
    auto form = create({folder.path()});
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, platform::kApplicationTitle);
    EXPECT_EQ(dialogs.messages[0].text, "'Center' is not a valid integer value.");
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Error);
    // The options before the bad key were read; the rest keeps the designed values.
    EXPECT_EQ(form->Options.DisplayFilter, 1);
    EXPECT_EQ(form->frameGeometry().size(), QSize(516, 311));
    EXPECT_TRUE(form->CurrentDir.isEmpty()) << "the start folder step was skipped";
    form->show();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Startup, SavedPlacesThatCannotFitEndOnTheScreen) {
    // A divider and a size far past the 1024 x 768 screen.
    test::writeIni("[Locations]\nSplitter1Left=3000\nForm1Left=0\nForm1Top=0\n"
                   "Form1Width=3000\nForm1Height=2000\n");
    auto wide = create();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_LE(wide->frameGeometry().width(), 1024);
    EXPECT_LE(wide->frameGeometry().height(), 768);
    EXPECT_GT(wide->Splitter1->Left(), 149) << "the divider goes as far right as fits";
    EXPECT_LE(wide->minimumSizeHint().width(), 1024) << "the panes still fit the screen";

    // A bad width keeps the left and top read before it.
    test::writeIni("[Locations]\nForm1Left=100\nForm1Top=50\nForm1Width=wide\n");
    auto placed = create();
    ASSERT_EQ(dialogs.texts(), QStringList{"'wide' is not a valid integer value."});
    EXPECT_EQ(placed->pos(), QPoint(100, 50));
    EXPECT_EQ(placed->frameGeometry().size(), QSize(516, 311));

    // A left far off the screen and a bad top: the window still ends where it can be seen.
    dialogs.messages.clear();
    test::writeIni("[Locations]\nForm1Left=-5000\nForm1Top=oops\n");
    auto lost = create();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().intersects(lost->frameGeometry()))
        << "the window is off the screen";
}

TEST_F(Startup, MissingStartDirectoryIsReportedOnce) {
    test::writeIni("[Options]\nStartupDir=" + QFile::encodeName(folder.path()) + "/gone\n");
    auto form = create();
    ASSERT_EQ(dialogs.texts(), QStringList{"File not found."});
    EXPECT_TRUE(form->CurrentDir.isEmpty());
    EXPECT_EQ(QDir::currentPath(), launch);
}

TEST_F(Startup, FirstArgumentWinsOverStartupDir) {
    QDir(folder.path()).mkdir("a");
    QDir(folder.path()).mkdir("b");
    test::writeIni("[Options]\nStartupDir=" + QFile::encodeName(folder.path()) + "/a\n");
    auto form = create({folder.path() + "/b", folder.path() + "/a"});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->CurrentDir.display(), QDir(folder.path() + "/b").canonicalPath());

    auto second = create();
    EXPECT_EQ(second->CurrentDir.display(), QDir(folder.path() + "/a").canonicalPath());
}

TEST(ErrorBox, AddsAFullStopOnlyWhenMissing) {
    test::FakeDialogs dialogs;
    platform::showErrorBox("File not found");
    platform::showErrorBox("Done.");
    EXPECT_EQ(dialogs.texts(), (QStringList{"File not found.", "Done."}));
    EXPECT_FALSE(platform::guarded([] { throw std::runtime_error("boom"); }));
    EXPECT_TRUE(platform::guarded([] {}));
    EXPECT_EQ(dialogs.texts().back(), "boom.");
}

} // namespace
