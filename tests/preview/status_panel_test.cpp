// The status and file-size lines keep their whole text for whoever reads them, and draw it
// shortened in the middle of the path when the panel is narrow, so the file name, the size
// and the colours stay in view.
#include "browser/browser_window.h"
#include "filelists/directory_list_box.h"
#include "preview/status_panel.h"
#include "viewer/full_size_window.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>

namespace {

const QString kEllipsis = QStringLiteral("…");
const QString kPath =
    QStringLiteral("/home/someone/Pictures/Holidays/2019 Summer in the Mountains/Day 3/sunset.jpg");
const QString kSize = QStringLiteral(" - Image Size: 640 x 480 Pixels x 16.8M colors");

TEST(ElidedStatus, KeepsWhatFollowsThePathAndShortensThePathInItsMiddle) {
    const QFontMetrics metrics(QApplication::font());
    const QString status = kPath + kSize;
    EXPECT_EQ(preview::elidedStatus(status, metrics, metrics.horizontalAdvance(status)), status)
        << "a text that fits is drawn whole";

    // Room for the size part, the start of the path and its file name.
    const int width = metrics.horizontalAdvance(kSize + "/home/…/sunset.jpg") + 30;
    const QString shown = preview::elidedStatus(status, metrics, width);
    EXPECT_TRUE(shown.endsWith("/sunset.jpg" + kSize)) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith("/ho")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(kEllipsis)) << shown.toStdString();

    // Media lines keep " - Playing" and " - Stopped", the file-size line its size.
    for (const QString& ending : {QStringLiteral(" - Playing"), QStringLiteral(" - Stopped")}) {
        const QString line = preview::elidedStatus(kPath + ending, metrics, 120);
        EXPECT_TRUE(line.endsWith(ending)) << line.toStdString();
    }
    const QString size = preview::elidedStatus("FileSize:  1234.5 KB", metrics,
                                               metrics.horizontalAdvance("Fi…:  1234.5 KB"));
    EXPECT_TRUE(size.endsWith("  1234.5 KB")) << size.toStdString();

    // A folder named like the size part does not fool it: the last one counts.
    const QString odd = "/pics/a - Image Size: b/c.png" + kSize;
    EXPECT_TRUE(
        preview::elidedStatus(odd, metrics, metrics.horizontalAdvance(kSize) + 40).endsWith(kSize));

    // Whatever the width, the drawn text fits it.
    for (const QString& text :
         {status, kPath, QStringLiteral("FileSize:  0.3 KB"), QStringLiteral("No File Loaded.")})
        for (int w = 1; w < metrics.horizontalAdvance(text) + 10; w += 7)
            EXPECT_LE(metrics.horizontalAdvance(preview::elidedStatus(text, metrics, w)), w)
                << text.toStdString() << " at " << w;
}

TEST(StatusPanel, ReadersGetTheWholeTextAndHoverShowsIt) {
    preview::StatusPanel panel(kPath + kSize);
    panel.resize(QFontMetrics(panel.font()).horizontalAdvance(kSize) + 80, 22);
    panel.show();
    EXPECT_EQ(panel.text(), kPath + kSize);
    EXPECT_NE(panel.shownText(), panel.text());
    EXPECT_TRUE(panel.shownText().endsWith(kSize));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&panel);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), kPath + kSize);

    const QPoint at = panel.rect().center();
    QHelpEvent hover(QEvent::ToolTip, at, panel.mapToGlobal(at));
    QApplication::sendEvent(&panel, &hover);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), kPath + kSize);
    QToolTip::hideText();

    // The markup of a name is never read as markup, on the panel nor in its tooltip.
    panel.setText("<b>x</b>.png");
    EXPECT_EQ(panel.textFormat(), Qt::PlainText);
    EXPECT_EQ(panel.shownText(), "<b>x</b>.png");
    const QString marked = "/pictures/<img src=f>" + kPath + kSize;
    panel.setText(marked);
    ASSERT_NE(panel.shownText(), marked);
    QApplication::sendEvent(&panel, &hover);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), marked);
    QToolTip::hideText();
}

class StatusLines : public test::WindowFixture {};

TEST_F(StatusLines, AtTheDesignedSizeTheFileNameSizeAndColoursStayInView) {
    const QString deep = path("2019 Summer in the Mountains with the whole family/Day 3 evening");
    ASSERT_TRUE(QDir().mkpath(deep));
    picture("2019 Summer in the Mountains with the whole family/Day 3 evening/sunset.bmp", 360, 48,
            8);
    start();
    Form1->DirectoryListBox1->setDirectory(deep);
    select(0);
    const auto* status = static_cast<preview::StatusPanel*>(Form1->Panel1);
    const QString ending = "/sunset.bmp - Image Size: 360 x 48 Pixels x 256 colors";
    EXPECT_TRUE(status->text().endsWith(ending)) << status->text().toStdString();
    EXPECT_TRUE(status->text().startsWith(deep));
    EXPECT_TRUE(status->shownText().endsWith(ending)) << status->shownText().toStdString();
    EXPECT_TRUE(status->shownText().contains(kEllipsis));

    // The full-size window's status line, as wide as the picture, does the same.
    Form1->BitBtn1Click(nullptr);
    const auto* full = static_cast<preview::StatusPanel*>(Form2->Panel1);
    EXPECT_EQ(full->text(), status->text());
    EXPECT_TRUE(
        full->shownText().endsWith("/sunset.bmp - Image Size: 360 x 48 Pixels x 256 colors"))
        << full->shownText().toStdString();
}

} // namespace
