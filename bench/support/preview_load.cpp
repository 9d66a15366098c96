#include "support/preview_load.h"

#include "components/image_box.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace bench {

void decodeEveryLoad() {
    qputenv("GLIMRA_CACHE_MEMORY", "1K");
}

void previewLoad(const QString& path) {
    TGvbox box(TGvbox::Mode::Preview);
    box.setFileName(path);
    // The facts come at once, the pixels from a background decode: the load ends when they
    // are there and drawn.
    const bool arrived = box.waitForPixels();
    QImage canvas(200, 200, QImage::Format_RGB32);
    box.render(&canvas, QPoint(), QRegion(0, 0, 200, 200), QWidget::RenderFlags());
    benchmark::DoNotOptimize(canvas.bits());
    if (box.bmpw() == 0 || !arrived || box.shownImage().isNull())
        std::fprintf(stderr, "preview of %s failed (%s)\n", qPrintable(path),
                     box.bmpw() == 0 ? "no facts"
                     : !arrived      ? "no pixels in time"
                                     : "the decode failed");
}

} // namespace bench
