// Zoom steps and the full-size window's sizing rule, by worked examples.
#include "viewer/zoom.h"

#include <gtest/gtest.h>

namespace {

const QSize kScreen(1024, 768); // limits 985 x 703
constexpr int kPanel = 18;

struct FitCase {
    int w, h;
    float factor;
    QSize expected;
};

TEST(FitToImage, WorkedExamples) {
    const FitCase cases[] = {
        {640, 480, 1.0f, {640, 498}},
        {300, 200, 4.0f, {985, 703}}, // 1200 x 818 are past both limits
        {101, 101, 0.5f, {50, 68}},   // 50.5 and 68.5 round to even
        {101, 101, 1.5f, {152, 170}}, // 151.5 and 169.5 round to even
        {101, 101, 0.75f, {76, 94}},  // 75.75 and 93.75
        {101, 101, 0.25f, {25, 43}},  // 25.25 and 43.25
        {1969, 10, 0.5f, {984, 23}},  // 984.5 is below 985: rounded
        {1971, 10, 0.5f, {985, 23}},  // 985.5 is not: the limit
        {985, 685, 1.0f, {985, 703}}, // equal to the limit is the limit
        {984, 684, 1.0f, {984, 702}},
        {0, 0, 2.0f, {0, 18}},            // nothing loaded: the panel alone
        {40000, 30000, 3.0f, {985, 703}}, // no overflow for panoramas
    };
    for (const FitCase& c : cases)
        EXPECT_EQ(viewer::fitToImage(c.w, c.h, c.factor, kPanel, kScreen), c.expected)
            << c.w << "x" << c.h << " at " << c.factor;
}

TEST(FitToImage, ReadsTheScreenItIsGiven) {
    EXPECT_EQ(viewer::fitToImage(2000, 2000, 1.0f, kPanel, QSize(1920, 1080)), QSize(1881, 1015));
}

TEST(ZoomSteps, TableAndButtonStates) {
    const auto& steps = viewer::zoomSteps();
    EXPECT_STREQ(steps[0].caption, "Glimra .25x Zoom");
    EXPECT_STREQ(steps[0].menuItem, "ZoomIn1");
    EXPECT_STREQ(steps[4].menuItem, "ZoomOut1");
    EXPECT_STREQ(steps[viewer::kNaturalStep].caption, "Glimra Full Size");
    for (int k = 1; k < viewer::kZoomSteps; ++k)
        EXPECT_LT(steps[k - 1].factor, steps[k].factor);
    EXPECT_FALSE(viewer::zoomOutEnabled(0));
    EXPECT_TRUE(viewer::zoomInEnabled(0));
    EXPECT_FALSE(viewer::zoomInEnabled(7));
    EXPECT_TRUE(viewer::zoomOutEnabled(7));
    EXPECT_TRUE(viewer::zoomInEnabled(3) && viewer::zoomOutEnabled(3));
}

TEST(PlaceholderSize, NoScreenLimit) {
    EXPECT_EQ(viewer::placeholderClientSize(3000, 2000, kPanel), QSize(3000, 2018));
}

} // namespace
