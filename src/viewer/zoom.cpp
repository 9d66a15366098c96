#include "viewer/zoom.h"

#include "components/image_box_geometry.h"

#include <Qt>
#include <cmath>

namespace viewer {

const std::array<ZoomStepInfo, kZoomSteps>& zoomSteps() {
    static const std::array<ZoomStepInfo, kZoomSteps> steps{{
        {"ZoomIn1", "Zoom (25%)", Qt::Key_F2, 0.25f, "Glimra .25x Zoom"},
        {"Zoom501", "Zoom (50%)", Qt::Key_F3, 0.5f, "Glimra .5x Zoom"},
        {"Zoom751", "Zoom (75%)", Qt::Key_F4, 0.75f, "Glimra .75x Zoom"},
        {"Normal1001", "Normal (100%)", Qt::Key_F5, 1.0f, "Glimra Full Size"},
        {"ZoomOut1", "Zoom (150%)", Qt::Key_F6, 1.5f, "Glimra 1.5x Zoom"},
        {"Zoom2001", "Zoom (200%)", Qt::Key_F7, 2.0f, "Glimra 2x Zoom"},
        {"Zoom3001", "Zoom (300%)", Qt::Key_F8, 3.0f, "Glimra 3x Zoom"},
        {"Zoom4001", "Zoom (400%)", Qt::Key_F9, 4.0f, "Glimra 4x Zoom"},
    }};
    return steps;
}

namespace {

// The zoomed length plus extra, or the limit when that is not below it. The unrounded value is
// compared with the limit; a value that is used is rounded exactly as the image box rounds the
// picture it shows, so the client area and the picture always agree.
int limited(int length, float factor, int extra, int limit) {
    const double whole = std::floor(double(factor));
    if (double(factor) == whole && factor >= 1.0f) {
        const long long value = (long long)length * (long long)whole + extra;
        return value < limit ? int(value) : limit;
    }
    const double value = double(length) * double(factor) + extra;
    if (value < limit)
        return components::zoomedLength(length, double(factor)) + extra;
    return limit;
}

} // namespace

QSize fitToImage(int bmpw, int bmph, float factor, int panelHeight, QSize screen) {
    return {limited(bmpw, factor, 0, screen.width() - 39),
            limited(bmph, factor, panelHeight, screen.height() - 65)};
}

QSize placeholderClientSize(int bmpw, int bmph, int panelHeight) {
    return {bmpw, bmph + panelHeight};
}

} // namespace viewer
