// On a screen scaled to twice its pixels (this program runs with QT_SCALE_FACTOR=2), the image
// box keeps its logical sizes but decodes and draws in the screen's own pixels: detail as fine
// as one device pixel survives in the preview and in the full-size box at 50 % and 25 %.
#include "components/image_box.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Columns of black and white, each `width` pixels wide.
QImage stripes(int side, int width) {
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, (x / width) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return image;
}

// How many neighbouring device pixels along the middle row differ from black to white.
int sharpEdges(const QPixmap& shot) {
    const QImage image = shot.toImage();
    const int y = image.height() / 2;
    int edges = 0;
    for (int x = 0; x + 1 < image.width(); ++x)
        if (std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))) > 200)
            ++edges;
    return edges;
}

class ScaledScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (qApp->devicePixelRatio() != 2.0)
            GTEST_SKIP() << "runs on a screen scaled by 2 (QT_SCALE_FACTOR=2)";
        ASSERT_TRUE(dir.isValid());
    }
    QString save(const QString& name, const QImage& image) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ScaledScreen, PreviewDecodesAndDrawsInDevicePixels) {
    TGvbox box(TGvbox::Mode::Preview);
    box.setFileName(save("fine.png", stripes(400, 1)));
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(box.size(), QSize(200, 200)) << "the box keeps its logical size";
    EXPECT_GE(box.shownImage().width(), 400) << "decoded for 200 logical pixels only";
    const QPixmap shot = box.grab();
    ASSERT_EQ(shot.devicePixelRatio(), 2.0);
    ASSERT_EQ(shot.size(), QSize(400, 400));
    EXPECT_GT(sharpEdges(shot), 390) << "the one-pixel stripes are blurred";
}

TEST_F(ScaledScreen, FullSizeBoxShrinksToDevicePixels) {
    TGvbox box(TGvbox::Mode::FullSize);
    box.setFileName(save("fine.png", stripes(400, 1)));
    ASSERT_TRUE(box.waitForPixels());
    box.setZoom(0.5f);
    EXPECT_EQ(box.size(), QSize(200, 200));
    EXPECT_GT(sharpEdges(box.grab()), 390) << "at 50 % every picture pixel has a device pixel";

    box.setFileName(save("wide.png", stripes(400, 2)));
    ASSERT_TRUE(box.waitForPixels());
    box.setZoom(0.25f);
    EXPECT_EQ(box.size(), QSize(100, 100));
    EXPECT_GT(sharpEdges(box.grab()), 190) << "at 25 % two-pixel stripes become one device pixel";

    box.setFileName(save("fine.png", stripes(400, 1)));
    ASSERT_TRUE(box.waitForPixels());
    box.setZoom(2.0f);
    EXPECT_EQ(box.size(), QSize(800, 800));
    EXPECT_GT(sharpEdges(box.grab()), 390) << "enlarged pixels stay sharp";
}

} // namespace
