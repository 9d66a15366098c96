// The help file's topics, the help file shipped with the program, and the help window that
// WinHelp opens.
#include "about/help_viewer.h"
#include "fake_dialogs.h"
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

const QByteArray kSmallBook = "Commentary that is never shown.\n"
                              "  <!-- topic 9: indented, so not a topic line -->\n"
                              "<!-- topic contents: Help Topics -->\r\n"
                              "<p>See <a href=\"topic:1\">one</a>.</p>\r\n"
                              "<!-- topic 1: First Steps -->\n"
                              "<p>One</p>\n"
                              "<!--topic 2 :  Options  -->\n"
                              "<p>Two</p>\n"
                              "<!-- topic 1: Second copy of one -->\n"
                              "<p>ignored</p>\n"
                              "<!-- topic 0: No context -->\n"
                              "<!-- topic x: Not a number -->\n"
                              "<p>still part of the zero topic</p>\n";

TEST(HelpBook, TopicsAreReadFromTheirLinesAndTheFirstOfTwoCounts) {
    const about::HelpBook book = about::parseHelpBook(kSmallBook);
    EXPECT_EQ(book.contents.title, QStringLiteral("Help Topics"));
    EXPECT_EQ(book.contents.html, QStringLiteral("<p>See <a href=\"topic:1\">one</a>.</p>\n"));
    ASSERT_EQ(book.topics.keys(), (QList<int>{1, 2}));
    EXPECT_EQ(book.topics[1].title, QStringLiteral("First Steps"));
    EXPECT_EQ(book.topics[1].html, QStringLiteral("<p>One</p>\n"));
    EXPECT_EQ(book.topics[2].title, QStringLiteral("Options"));
    EXPECT_FALSE(book.contents.html.contains(QStringLiteral("Commentary")));

    EXPECT_EQ(book.topic(about::topicAddress(2))->title, QStringLiteral("Options"));
    EXPECT_EQ(book.topic(about::topicAddress(0))->title, QStringLiteral("Help Topics"));
    EXPECT_FALSE(book.topic(about::topicAddress(3)));
    EXPECT_FALSE(book.topic(QUrl(QStringLiteral("https://example.org/1"))));
}

TEST(HelpBook, AFileWithoutContentsGetsAListOfItsTopics) {
    const about::HelpBook book = about::parseHelpBook("<!-- topic 2: B & C -->\nb\n"
                                                      "<!-- topic 1: A -->\na\n");
    const QString html = book.contents.html;
    const qsizetype a = html.indexOf(QStringLiteral("<a href=\"topic:1\">A</a>"));
    const qsizetype b = html.indexOf(QStringLiteral("<a href=\"topic:2\">B &amp; C</a>"));
    EXPECT_GE(a, 0);
    EXPECT_GT(b, a);
    // Nothing recognisable at all: still a (empty) contents, never a crash.
    EXPECT_TRUE(about::parseHelpBook("\xff\xfe garbage").topics.isEmpty());
}

// The help file the program ships: the contents and the topics of contexts 1, 2 and 3, and no
// link that leads nowhere.
TEST(ShippedHelpFile, HoldsEveryContextAndItsLinksAllLead) {
    const QByteArray bytes =
        test::readFile(QStringLiteral(GLIMRA_TEST_SOURCE_DIR "/../data/Glim.hlp"));
    ASSERT_FALSE(bytes.isEmpty());
    const about::HelpBook book = about::parseHelpBook(bytes);
    EXPECT_EQ(book.topics.keys(), (QList<int>{1, 2, 3}));
    for (const auto& topic : book.topics)
        EXPECT_FALSE(topic.title.isEmpty());

    static const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
    static const QRegularExpression anchor(QStringLiteral("<a name=\"([^\"]*)\""));
    const auto anchorsOf = [&](const QString& html) {
        QSet<QString> names;
        for (const auto& m : anchor.globalMatch(html))
            names.insert(m.captured(1));
        return names;
    };
    QList<std::pair<QString, QString>> pages{{QStringLiteral("contents"), book.contents.html}};
    for (auto it = book.topics.cbegin(); it != book.topics.cend(); ++it)
        pages.append({QString::number(it.key()), it->html});
    int links = 0;
    for (const auto& [id, html] : pages) {
        for (const auto& m : link.globalMatch(html)) {
            ++links;
            const QUrl target(m.captured(1));
            const QString where = id + QStringLiteral(" -> ") + m.captured(1);
            std::optional<about::HelpTopic> topic;
            if (target.scheme().isEmpty() && target.path().isEmpty())
                topic = about::HelpTopic{{}, html}; // a place in the same topic
            else
                topic = book.topic(target);
            ASSERT_TRUE(topic) << where.toStdString();
            if (target.hasFragment()) {
                EXPECT_TRUE(anchorsOf(topic->html).contains(target.fragment()))
                    << where.toStdString();
            }
        }
    }
    EXPECT_GT(links, 20);
}

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        file = folder.filePath(QStringLiteral("Glim.hlp"));
        test::writeFile(file, kSmallBook);
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
