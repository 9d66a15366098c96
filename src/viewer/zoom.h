// The full-size window's eight zoom steps and its sizing rule, free of any window.
#pragma once

#include <QSize>
#include <QString>
#include <array>

namespace viewer {

struct ZoomStepInfo {
    const char* menuItem;    // the menu item's name
    const char* menuCaption; // its caption
    int key;                 // its shortcut, a Qt::Key (F2 ... F9)
    float factor;            // Gvbox1.Zoom
    const char* caption;     // the window caption the step gives
};

inline constexpr int kZoomSteps = 8;
inline constexpr int kNaturalStep = 3; // 100 %

// Steps 0 ... 7, 25 % to 400 %.
const std::array<ZoomStepInfo, kZoomSteps>& zoomSteps();

// The navigation bar's Zoom In is enabled below the last step, Zoom Out above the first.
inline bool zoomInEnabled(int step) {
    return step != kZoomSteps - 1;
}
inline bool zoomOutEnabled(int step) {
    return step != 0;
}

// The client size for a picture of bmpw x bmph at factor, under a status panel panelHeight
// high, within a screen of screen size: the zoomed picture, but no wider than the screen less
// 39 and no higher than the screen less 65. Whole factors multiply in integers; 0.25, 0.5,
// 0.75 and 1.5 compare the unrounded sizes with the limits and round a used value to the
// nearest integer, halves to the even neighbour.
QSize fitToImage(int bmpw, int bmph, float factor, int panelHeight, QSize screen);

// The client size of a placeholder picture: its natural size above the panel, no screen limit.
QSize placeholderClientSize(int bmpw, int bmph, int panelHeight);

} // namespace viewer
