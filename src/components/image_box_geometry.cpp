#include "components/image_box_geometry.h"

#include <algorithm>
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

QSize zoomedSize(QSize picture, double zoom) {
    if (picture.isEmpty() || !(zoom > 0))
        return {};
    return QSize(std::max(1, int(std::lround(picture.width() * zoom))),
                 std::max(1, int(std::lround(picture.height() * zoom))));
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
