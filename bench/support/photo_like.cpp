#include "support/photo_like.h"

#include <algorithm>
#include <cmath>

namespace bench {

QImage photoLike(int w, int h, std::uint32_t seed) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            const int r = std::clamp(x * 255 / w + grain, 0, 255);
            const int g = std::clamp(y * 255 / h + grain, 0, 255);
            const int b =
                std::clamp(int(128 + 100 * std::sin(x / 300.0 + y / 200.0)) + grain, 0, 255);
            row[x] = qRgb(r, g, b);
        }
    }
    return image;
}

} // namespace bench
