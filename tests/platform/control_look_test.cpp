// A checked toggle button stands out from an unchecked one in light and dark themes alike.
#include "platform/control_look.h"

#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

// The mean difference per channel between two renderings of the same size.
double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue());
        }
    return sum / (3.0 * a.width() * a.height());
}

TEST(ControlLook, CheckedToggleButtonsStandOutInLightAndDarkThemes) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ASSERT_NE(fusion, nullptr);
    for (const bool dark : {false, true}) {
        QWidget holder;
        holder.setStyle(fusion.get());
        if (dark)
            holder.setPalette(darkPalette());
        for (const bool raised : {false, true}) {
            auto* button = new QToolButton(&holder);
            button->setStyle(fusion.get());
            button->setCheckable(true);
            button->setAutoRaise(raised); // the navigation bar's buttons are flat
            button->resize(36, 28);
            platform::showCheckedState(button);
            const QImage up = button->grab().toImage();
            button->setChecked(true);
            const QImage down = button->grab().toImage();
            button->setChecked(false);
            const QImage upAgain = button->grab().toImage();
            const std::string what = std::string(dark ? "dark" : "light") +
                                     (raised ? ", flat button" : ", raised button");
            EXPECT_GT(meanDifference(up, down), 20.0) << what;
            EXPECT_EQ(up, upAgain) << what << ": unchecked it looks as before";
        }
    }
}

TEST(ControlLook, UnfocusedSelectionIsQuieterButReadable) {
    for (const QPalette& palette : {QPalette(), darkPalette()}) {
        const QColor quiet = platform::unfocusedSelection(palette);
        EXPECT_NE(quiet, palette.color(QPalette::Active, QPalette::Highlight));
        EXPECT_NE(quiet, palette.color(QPalette::Active, QPalette::Base));
        const QColor text = platform::unfocusedSelectionText(palette);
        const auto light = [](const QColor& c) { return c.lightnessF(); };
        EXPECT_GT(std::abs(light(text) - light(quiet)), 0.35)
            << quiet.name().toStdString() << " " << text.name().toStdString();
    }
}

} // namespace
