// The help window that WinHelp opens.
#include "about/help_viewer.h"
#include "fake_dialogs.h"
#include "help_books.h"
#include "qt_print.h"
#include "test_env.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using about::HELP_CONTEXT;
using about::HELP_FINDER;
using about::HELP_QUIT;

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        file = folder.filePath(QStringLiteral("Glim.hlp"));
        test::writeFile(file, test::kSmallBook);
    }
    void TearDown() override { about::WinHelp(file, HELP_QUIT, 0); }

    static int helpWindows() {
        int count = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<about::THelpViewer*>(w) && w->isVisible())
                ++count;
        return count;
    }

    test::FakeDialogs dialogs;
    QTemporaryDir folder;
    QString file;
};

TEST_F(HelpWindow, HelpTopicsShowsTheContentsAndAContextItsTopicInOneWindow) {
    ASSERT_TRUE(about::WinHelp(file, HELP_FINDER, 0));
    about::THelpViewer* viewer = about::helpViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Glimra Help - Help Topics"));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("See one.")));

    ASSERT_TRUE(about::WinHelp(file, HELP_CONTEXT, 2));
    EXPECT_EQ(about::helpViewer(), viewer);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Glimra Help - Options"));
    EXPECT_EQ(viewer->browser()->toPlainText().trimmed(), QStringLiteral("Two"));

    // Context 0 (a menu item without one) shows the contents.
    ASSERT_TRUE(about::WinHelp(file, HELP_CONTEXT, 0));
    EXPECT_EQ(viewer->topicShown(), about::topicAddress(0));
    EXPECT_EQ(helpWindows(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Escape in the text closes (hides) the window.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(viewer->browser(), &escape);
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_EQ(about::helpViewer(), viewer);
}

TEST_F(HelpWindow, LinksBackAndForwardMoveBetweenTopics) {
    ASSERT_TRUE(about::WinHelp(file, HELP_FINDER, 0));
    about::THelpViewer* viewer = about::helpViewer();
    EXPECT_FALSE(viewer->backButton()->isEnabled());
    viewer->browser()->setSource(QUrl(QStringLiteral("topic:1")), QTextDocument::HtmlResource);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Glimra Help - First Steps"));
    ASSERT_TRUE(viewer->backButton()->isEnabled());
    viewer->backButton()->click();
    EXPECT_EQ(viewer->topicShown(), about::topicAddress(0));
    ASSERT_TRUE(viewer->forwardButton()->isEnabled());
    viewer->forwardButton()->click();
    EXPECT_EQ(viewer->topicTitle(), QStringLiteral("First Steps"));
    viewer->contentsButton()->click();
    EXPECT_EQ(viewer->topicShown(), about::topicAddress(0));
}

TEST_F(HelpWindow, TheFileIsReadAnewForEveryRequest) {
    ASSERT_TRUE(about::WinHelp(file, HELP_CONTEXT, 1));
    test::writeFile(file, "<!-- topic 1: Renamed -->\n<p>New text</p>\n");
    ASSERT_TRUE(about::WinHelp(file, HELP_CONTEXT, 1));
    EXPECT_EQ(about::helpViewer()->windowTitle(), QStringLiteral("Glimra Help - Renamed"));
    EXPECT_EQ(about::helpViewer()->browser()->toPlainText().trimmed(), QStringLiteral("New text"));
}

TEST_F(HelpWindow, AMissingFileOrTopicIsReportedClearly) {
    const QString missing = folder.filePath(QStringLiteral("nowhere/Glim.hlp"));
    EXPECT_FALSE(about::WinHelp(missing, HELP_FINDER, 0));
    EXPECT_EQ(about::helpViewer(), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Glimra Error"));
    EXPECT_TRUE(dialogs.messages[0].text.contains(missing));

    EXPECT_FALSE(about::WinHelp(QString(), HELP_FINDER, 0));
    ASSERT_EQ(dialogs.messages.size(), 2);

    // A topic the file lacks: said so, then the contents.
    EXPECT_TRUE(about::WinHelp(file, HELP_CONTEXT, 7));
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_TRUE(dialogs.messages[2].text.contains(QStringLiteral("7")));
    ASSERT_NE(about::helpViewer(), nullptr);
    EXPECT_EQ(about::helpViewer()->topicShown(), about::topicAddress(0));
}

TEST_F(HelpWindow, QuittingClosesTheWindowForGood) {
    ASSERT_TRUE(about::WinHelp(file, HELP_FINDER, 0));
    EXPECT_EQ(helpWindows(), 1);
    about::WinHelp(file, HELP_QUIT, 0);
    EXPECT_EQ(about::helpViewer(), nullptr);
    EXPECT_EQ(helpWindows(), 0);
}

} // namespace
