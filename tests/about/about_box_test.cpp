// The about box: one non-modal window, hidden (never destroyed) by every way of closing it,
// with texts that fit the places they are given.
#include "about/about_box.h"
#include "platform/screen.h"
#include "qt_print.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

int visibleAboutBoxes() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TAboutBox*>(w) && w->isVisible())
            ++count;
    return count;
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override { platform::setScreenSizeOverride(QSize(1024, 768)); }
    void TearDown() override { platform::setScreenSizeOverride(std::nullopt); }
};

TEST_F(AboutBox, OpeningItTwiceGivesOneWindowThatLeavesTheOthersUsable) {
    QWidget browser;
    browser.show();
    TAboutBox box;
    box.showNonModal();
    box.showNonModal();
    EXPECT_EQ(visibleAboutBoxes(), 1);
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(browser.isEnabled());
}

TEST_F(AboutBox, ItIsCentredWhenShownAndStaysWhereTheUserPutItWhileOpen) {
    TAboutBox box;
    box.showNonModal();
    const QPoint centre = box.frameGeometry().center();
    EXPECT_NEAR(centre.x(), 512, 2);
    EXPECT_NEAR(centre.y(), 384, 2);
    box.move(10, 20);
    box.showNonModal(); // asked for again while open: it only comes to the front
    EXPECT_EQ(box.pos(), QPoint(10, 20));
    box.OKButtonClick(nullptr);
    box.showNonModal(); // shown again after closing: centred again
    EXPECT_NEAR(box.frameGeometry().center().x(), 512, 2);
}

TEST_F(AboutBox, OkEnterEscapeAndTheCloseBoxHideItWithoutDestroyingIt) {
    TAboutBox box;
    QPointer<TAboutBox> guard = &box;
    const struct {
        const char* how;
        std::function<void()> close;
    } ways[] = {
        {"OK", [&] { box.OKButton->click(); }},
        {"Enter presses the default button",
         [&] {
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(&box, &enter);
         }},
        {"Escape",
         [&] {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&box, &escape);
         }},
        {"close box", [&] { box.close(); }},
    };
    for (const auto& way : ways) {
        box.showNonModal();
        ASSERT_TRUE(box.isVisible()) << way.how;
        way.close();
        EXPECT_FALSE(box.isVisible()) << way.how;
        ASSERT_TRUE(guard) << way.how;
    }
    EXPECT_TRUE(box.OKButton->isDefault());
}

TEST_F(AboutBox, EveryTextFitsItsPlaceAndTheIconIsDrawn) {
    TAboutBox box;
    box.showNonModal();
    EXPECT_EQ(box.size(), QSize(TAboutBox::kClientWidth, TAboutBox::kClientHeight));
    for (QLabel* label : {box.ProductName, box.Version, box.Comments, box.Label3}) {
        const int flags = label->wordWrap() ? Qt::TextWordWrap : 0;
        const QRect needed = label->fontMetrics().boundingRect(
            QRect(QPoint(0, 0), QSize(label->width(), 10000)), flags, label->text());
        EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
        EXPECT_LE(needed.width(), label->width()) << label->objectName().toStdString();
        // Inside the panel, clear of its bevel.
        EXPECT_TRUE(box.Panel1->rect().adjusted(2, 2, -2, -2).contains(label->geometry()))
            << label->objectName().toStdString();
    }
    // No text covers another, nor the icon. (The product name's box reaches 2 pixels into the
    // version's by design; its text stops short of it.)
    const QList<QWidget*> parts{box.ProgramIcon, box.Version, box.Comments, box.Label3};
    for (qsizetype i = 0; i < parts.size(); ++i)
        for (qsizetype j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i]->geometry().intersects(parts[j]->geometry()))
                << parts[i]->objectName().toStdString() << " and "
                << parts[j]->objectName().toStdString();
    EXPECT_LE(box.ProductName->y() + box.ProductName->fontMetrics().ascent() +
                  box.ProductName->fontMetrics().descent(),
              box.Version->y() + box.Version->fontMetrics().leading() + 4);
    EXPECT_GE(box.Comments->y(), box.Version->geometry().bottom());
    EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
    EXPECT_FALSE(programIcon().availableSizes().isEmpty());
}

} // namespace
