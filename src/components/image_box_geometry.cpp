#include "components/image_box_geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace components {

QSize fitInBox(QSize picture, QSize box) {
    if (picture.isEmpty() || box.isEmpty())
        return {};
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    const double scale =
        std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
    return QSize(std::max(1, int(std::lround(picture.width() * scale))),
                 std::max(1, int(std::lround(picture.height() * scale))));
}

int zoomedLength(int length, double zoom) {
    if (length <= 0 || !(zoom > 0))
        return 0;
    const double whole = std::floor(zoom);
    if (zoom == whole)
        return int(std::min<double>(double(length) * whole, double(INT_MAX)));
    // nearbyint rounds in the default mode, halves to even.
    const double value = std::nearbyint(double(length) * zoom);
    return std::max(1, int(std::min<double>(value, double(INT_MAX))));
}

QSize zoomedSize(QSize picture, double zoom) {
    if (picture.isEmpty() || !(zoom > 0))
        return {};
    return QSize(zoomedLength(picture.width(), zoom), zoomedLength(picture.height(), zoom));
}

QSize devicePixels(QSize logical, double ratio) {
    if (!(ratio > 0) || logical.isEmpty())
        return logical;
    return QSize(int(std::ceil(logical.width() * ratio - 1e-9)),
                 int(std::ceil(logical.height() * ratio - 1e-9)));
}

QRect sourceRectFor(const QRect& exposed, double zoom, QSize picture) {
    if (picture.isEmpty() || !(zoom > 0) || exposed.isEmpty())
        return {};
    const int left = int(std::floor(exposed.left() / zoom));
    const int top = int(std::floor(exposed.top() / zoom));
    const int right = int(std::ceil((exposed.right() + 1) / zoom));
    const int bottom = int(std::ceil((exposed.bottom() + 1) / zoom));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
        .intersected(QRect(QPoint(0, 0), picture));
}

} // namespace components
