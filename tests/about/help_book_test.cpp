// The help file's topics and the help file shipped with the program.
#include "about/help_viewer.h"
#include "help_books.h"
#include "qt_print.h"
#include "test_env.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

namespace {

using test::kSmallBook;

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

} // namespace
