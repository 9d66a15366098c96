// Names wider than their list can be read: the list scrolls sideways to them and a cut row
// shows its whole name as a tooltip, so two names that start alike never look the same. The
// list with the keyboard focus shows it.
#include "fake_dialogs.h"
#include "file_tree.h"
#include "filelists/directory_list_box.h"
#include "filelists/file_list_box.h"

#include <QApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <functional>
#include <gtest/gtest.h>

namespace {

const char* const kFirst = "Elarun_images_2560x1600_mountain_lake.jpg";
const char* const kSecond = "Elarun_images_2560x1600_mountain_peak.jpg";

// Draws the list as the screen would until laidOut holds. A row wider than those drawn before
// lays the list out again on a later turn of the event loop, which a loaded machine may reach
// only after several; the checks that follow still say whether it came out right.
void paintUntil(QAbstractItemView& view, const std::function<bool()>& laidOut) {
    [[maybe_unused]] const bool done = QTest::qWaitFor(
        [&] {
            view.viewport()->grab();
            return laidOut();
        },
        5000);
}

// The tooltip a pause of the pointer over the row brings up, as it reads on screen; empty when
// none shows.
QString tipOver(QAbstractItemView& view, int row) {
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &help);
    if (!QToolTip::isVisible())
        return {};
    const QString tip = QToolTip::text();
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

class ReadableRows : public ::testing::Test {
protected:
    test::ProcessState state;
    test::FakeDialogs dialogs;
    test::FileTree tree;
};

TEST_F(ReadableRows, FileListScrollsSidewaysToLongNamesAndShowsThemWhole) {
    tree.files({kFirst, kSecond, "a.jpg"});
    TRzFileListBox list;
    list.setShowGlyphs(false);
    list.resize(120, 200);
    list.setDirectory(tree.text(""));
    list.setMask("*.jpg");
    list.show();
    ASSERT_EQ(list.Count(), 3);
    const int textWidth = list.fontMetrics().horizontalAdvance(kSecond);
    QScrollBar* sideways = list.horizontalScrollBar();
    paintUntil(list,
               [&] { return sideways->maximum() + list.viewport()->width() >= textWidth + 2; });

    EXPECT_GT(sideways->maximum(), 0) << "a list that cuts names must scroll sideways";
    EXPECT_GE(sideways->maximum() + list.viewport()->width(), textWidth + 2)
        << "scrolled fully right, the end of the longest name is in view";

    // The two names read the same as far as the list shows them: the tooltips tell them apart.
    EXPECT_EQ(tipOver(list, 1), kFirst);
    EXPECT_EQ(tipOver(list, 2), kSecond);
    EXPECT_EQ(tipOver(list, 0), "") << "a name shown whole needs no tooltip";

    // A cut name that looks like markup reads as it is named: never bold, never a picture.
    const QString marked = QStringLiteral("<b>Elarun_images_<img src=x>_mountain.jpg");
    tree.file(marked.toUtf8());
    list.Reload();
    paintUntil(list, [&] { return sideways->maximum() > 0; });
    int row = 0;
    while (row < list.Count() && list.Item(row) != marked)
        ++row;
    ASSERT_LT(row, list.Count());
    EXPECT_EQ(tipOver(list, row), marked);

    // A folder of short names needs no sideways scrolling.
    tree.remove("short");
    tree.dir("short");
    tree.file("short/b.jpg");
    list.setDirectory(tree.text("short"));
    paintUntil(list, [&] { return sideways->maximum() == 0; });
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(sideways->maximum(), 0);
}

TEST_F(ReadableRows, DirectoryListScrollsSidewaysToLongFolderNames) {
    tree.dir("Holiday_pictures_from_the_summer_of_2019_unsorted");
    tree.dir("Holiday_pictures_from_the_summer_of_2019_sorted");
    TRzDirectoryListBox list;
    list.resize(149, 200);
    list.setDirectory(tree.text(""));
    list.show();
    paintUntil(list, [&] { return list.horizontalScrollBar()->maximum() > 0; });
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    const int last = list.Count() - 1;
    EXPECT_EQ(tipOver(list, last), "Holiday_pictures_from_the_summer_of_2019_unsorted");
    EXPECT_EQ(tipOver(list, last - 1), "Holiday_pictures_from_the_summer_of_2019_sorted");
}

TEST_F(ReadableRows, TheListWithTheKeyboardShowsItsSelectionHighlighted) {
    tree.dir("sub");
    QWidget window;
    auto* list = new TRzDirectoryListBox(&window);
    auto* other = new TRzFileListBox(&window);
    list->setGeometry(0, 0, 150, 150);
    other->setGeometry(150, 0, 150, 150);
    list->setDirectory(tree.text(""));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const int row = list->ItemIndex();
    ASSERT_GE(row, 0);
    // A point of the row's background, left of its glyph and clear of its text.
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    const QPoint inside(rect.left() + 4, rect.top() + 3);
    const auto rowColour = [&] { return list->viewport()->grab().toImage().pixelColor(inside); };

    other->setFocus();
    ASSERT_FALSE(list->hasFocus());
    const QColor unfocused = rowColour();
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    const QColor focused = rowColour();

    const auto distance = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue());
    };
    // The style may lay its focus frame over the highlight; the highlight still shows.
    EXPECT_LT(distance(focused, list->palette().color(QPalette::Active, QPalette::Highlight)), 40)
        << focused.name().toStdString();
    EXPECT_GT(distance(focused, unfocused), 60) << "moving the keyboard to the list does not show";
}

} // namespace
