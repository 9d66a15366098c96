#include "support/preview_load.h"

#include "components/image_box.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace bench {

void previewLoad(const QString& path) {
    TGvbox box(TGvbox::Mode::Preview);
    box.setFileName(path);
    QImage canvas(200, 200, QImage::Format_RGB32);
    box.render(&canvas, QPoint(), QRegion(0, 0, 200, 200), QWidget::RenderFlags());
    benchmark::DoNotOptimize(canvas.bits());
    if (box.bmpw() == 0)
        std::fprintf(stderr, "preview of %s failed\n", qPrintable(path));
}

} // namespace bench
