// The image box as the windows use it: preview fitting, zoomed drawing, saving as JPEG,
// unreadable files, orientation, animation and the click.
#include "components/image_box.h"
#include "components/image_box_geometry.h"
#include "fixtures.h"
#include "platform/errors.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Mode = TGvbox::Mode;

class ImageBox : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString save(const QString& name, const QImage& image, const char* format = nullptr) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, format, 95));
        return path;
    }
    // What the box paints, on a magenta ground so unpainted pixels show.
    static QImage rendered(TGvbox& box, const QRegion& region = {}) {
        QImage out(box.size(), QImage::Format_RGB32);
        out.fill(Qt::magenta);
        box.render(&out, region.boundingRect().topLeft(), region, QWidget::RenderFlags());
        return out;
    }
    static QImage filled(int w, int h, QColor colour) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
    QTemporaryDir dir;
};

TEST(ImageBoxGeometry, FitsShrinksAndMapsExposedRectangles) {
    using components::fitInBox;
    EXPECT_EQ(fitInBox({50, 30}, {200, 200}), QSize(50, 30)) << "smaller stays natural";
    EXPECT_EQ(fitInBox({200, 200}, {200, 200}), QSize(200, 200));
    EXPECT_EQ(fitInBox({400, 100}, {200, 200}), QSize(200, 50));
    EXPECT_EQ(fitInBox({100, 400}, {200, 200}), QSize(50, 200));
    EXPECT_EQ(fitInBox({6000, 4000}, {200, 200}), QSize(200, 133));
    EXPECT_EQ(fitInBox({40000, 2}, {200, 200}), QSize(200, 1)) << "never below one pixel";
    EXPECT_EQ(fitInBox({}, {200, 200}), QSize());

    using components::zoomedSize;
    EXPECT_EQ(zoomedSize({101, 101}, 0.5), QSize(50, 50)) << "halves to even, as the window";
    EXPECT_EQ(zoomedSize({101, 101}, 1.5), QSize(152, 152));
    EXPECT_EQ(zoomedSize({103, 103}, 0.5), QSize(52, 52));
    EXPECT_EQ(zoomedSize({6000, 4000}, 4.0), QSize(24000, 16000));
    EXPECT_EQ(zoomedSize({3, 3}, 0.25), QSize(1, 1));

    using components::devicePixels;
    EXPECT_EQ(devicePixels({200, 200}, 2.0), QSize(400, 400));
    EXPECT_EQ(devicePixels({200, 200}, 1.0), QSize(200, 200));
    EXPECT_EQ(devicePixels({101, 75}, 1.25), QSize(127, 94)) << "partly covered pixels count";
    EXPECT_EQ(devicePixels({80, 60}, 1.5), QSize(120, 90)) << "no pixel added by rounding";

    using components::sourceRectFor;
    EXPECT_EQ(sourceRectFor({0, 0, 8, 8}, 4.0, {10, 10}), QRect(0, 0, 2, 2));
    EXPECT_EQ(sourceRectFor({6, 6, 4, 4}, 4.0, {10, 10}), QRect(1, 1, 2, 2))
        << "partly covered pixels are included";
    EXPECT_EQ(sourceRectFor({36, 36, 20, 20}, 4.0, {10, 10}), QRect(9, 9, 1, 1))
        << "clipped to the picture";
    EXPECT_EQ(sourceRectFor({0, 0, 10, 10}, 0.5, {100, 100}), QRect(0, 0, 20, 20));
}

TEST_F(ImageBox, PreviewShrinksLargePicturesToFitAndCentresSmallOnes) {
    TGvbox box(Mode::Preview);
    ASSERT_EQ(box.size(), QSize(200, 200));
    box.setFileName(save("wide.png", filled(400, 100, Qt::green)));
    box.waitForPixels();
    QImage shown = rendered(box);
    EXPECT_EQ(shown.pixelColor(100, 74), QColor(Qt::magenta));
    EXPECT_EQ(shown.pixelColor(100, 75), QColor(Qt::green));
    EXPECT_EQ(shown.pixelColor(0, 124), QColor(Qt::green));
    EXPECT_EQ(shown.pixelColor(199, 125), QColor(Qt::magenta));

    box.setFileName(save("small.png", filled(50, 30, Qt::blue)));
    box.waitForPixels();
    shown = rendered(box);
    EXPECT_EQ(shown.pixelColor(74, 100), QColor(Qt::magenta));
    EXPECT_EQ(shown.pixelColor(75, 85), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(124, 114), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(125, 100), QColor(Qt::magenta));
    EXPECT_EQ(shown.pixelColor(100, 115), QColor(Qt::magenta));
}

TEST_F(ImageBox, PreviewDecodesLargePhotosReducedButReportsTheirFullSize) {
    const QImage large = filled(1600, 1200, QColor(200, 40, 40));
    for (const char* name : {"large.jpg", "large.png"}) {
        TGvbox box(Mode::Preview);
        box.setFileName(save(name, large));
        box.waitForPixels();
        EXPECT_EQ(box.bmpw(), 1600) << name;
        EXPECT_EQ(box.bmph(), 1200) << name;
        EXPECT_EQ(box.shownImage().size(), QSize(200, 150)) << name;
        const QColor centre = rendered(box).pixelColor(100, 100);
        EXPECT_NEAR(centre.red(), 200, 4) << name;
        EXPECT_NEAR(centre.green(), 40, 4) << name;
    }
}

TEST_F(ImageBox, PreviewShrinksEveryKindOfPngRowByRow) {
    // Grey, colour, colour with alpha, 16 bits per channel and palette rows each take their
    // own way through the shrinking decoder.
    const QColor colour(180, 60, 20);
    const struct {
        const char* name;
        QImage::Format format;
        int bitsPerPixel;
    } cases[] = {
        {"grey.png", QImage::Format_Grayscale8, 8},  {"colour.png", QImage::Format_RGB32, 24},
        {"alpha.png", QImage::Format_ARGB32, 32},    {"deep.png", QImage::Format_RGBA64, 64},
        {"palette.png", QImage::Format_Indexed8, 8},
    };
    for (const auto& c : cases) {
        const QImage image = filled(1000, 500, colour).convertToFormat(c.format);
        const QColor expected = image.pixelColor(0, 0).toRgb();
        TGvbox box(Mode::Preview);
        box.setFileName(save(c.name, image));
        box.waitForPixels();
        EXPECT_EQ(box.bmpw(), 1000) << c.name;
        EXPECT_EQ(box.bmpc(), c.bitsPerPixel) << c.name;
        EXPECT_EQ(box.shownImage().size(), QSize(200, 100)) << c.name;
        const QColor shown = box.shownImage().pixelColor(199, 99);
        EXPECT_NEAR(shown.red(), expected.red(), 2) << c.name;
        EXPECT_NEAR(shown.green(), expected.green(), 2) << c.name;
        EXPECT_NEAR(shown.blue(), expected.blue(), 2) << c.name;
        EXPECT_EQ(shown.alpha(), 255) << c.name;
    }
}

TEST_F(ImageBox, FullSizeBoxTakesTheZoomedSizeAndKeepsEnlargedPixelsSharp) {
    QImage checker(10, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    TGvbox box(Mode::FullSize);
    box.setFileName(save("checker.png", checker));
    box.waitForPixels();
    EXPECT_EQ(box.size(), QSize(10, 10));

    box.setZoom(4.0f);
    EXPECT_EQ(box.size(), QSize(40, 40));
    EXPECT_EQ(box.bmpw(), 10) << "the picture's own size does not change with the zoom";
    // Only a part is exposed: it is drawn, with whole blocks of four by four pixels.
    const QImage part = rendered(box, QRegion(8, 8, 12, 12));
    EXPECT_EQ(part.pixelColor(0, 0), QColor(Qt::magenta));
    for (int y = 8; y < 20; ++y)
        for (int x = 8; x < 20; ++x)
            ASSERT_EQ(part.pixel(x, y), checker.pixel(x / 4, y / 4)) << x << "," << y;

    box.setZoom(0.5f);
    EXPECT_EQ(box.size(), QSize(5, 5));
    const QColor shrunk = rendered(box).pixelColor(2, 2);
    EXPECT_GT(shrunk.red(), 60) << "shrinking averages the pixels";
    EXPECT_LT(shrunk.red(), 195);

    // A 1-bit picture (as the decoder helper hands them over) shrinks through its colours.
    QImage mono(40, 40, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            mono.setPixel(x, y, (x + y) % 2);
    box.setFileName(save("checker.bmp", mono));
    ASSERT_TRUE(box.waitForPixels());
    ASSERT_EQ(box.shownImage().depth(), 1);
    box.setZoom(0.25f);
    ASSERT_EQ(box.size(), QSize(10, 10));
    const QImage grey = rendered(box);
    for (const QPoint at : {QPoint(0, 0), QPoint(5, 5), QPoint(9, 9)})
        EXPECT_NEAR(grey.pixelColor(at).red(), 127, 2) << at.x() << "," << at.y();
}

TEST_F(ImageBox, DrawsTheExposedCornerOfAHugeZoom) {
    QImage picture(2000, 1500, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixel(1999, 1499, qRgb(255, 0, 0));
    TGvbox box(Mode::FullSize);
    box.setFileName(save("big.png", picture));
    box.waitForPixels();
    box.setZoom(4.0f);
    ASSERT_EQ(box.size(), QSize(8000, 6000));
    QImage corner(16, 16, QImage::Format_RGB32);
    corner.fill(Qt::magenta);
    box.render(&corner, QPoint(), QRegion(7984, 5984, 16, 16), QWidget::RenderFlags());
    EXPECT_EQ(corner.pixelColor(15, 15), QColor(Qt::red));
    EXPECT_EQ(corner.pixelColor(12, 12), QColor(Qt::red));
    EXPECT_EQ(corner.pixelColor(11, 11), QColor(Qt::black));
}

TEST_F(ImageBox, SavesTheFullPictureAsQuality90JpegOnWhite) {
    QImage picture(800, 600, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 400; ++x)
            picture.setPixel(x, y, qRgba(0, 0, 255, 255));
    TGvbox box(Mode::Preview);
    box.setFileName(save("half.png", picture));
    box.waitForPixels();
    const QString target = dir.filePath("out.jpg");
    box.setJPGSaveName(target);
    EXPECT_EQ(box.JPGSaveName(), target);

    const QImage written(target);
    ASSERT_EQ(written.size(), QSize(800, 600)) << "the preview's reduced pixels are not saved";
    EXPECT_GT(written.pixelColor(600, 300).lightness(), 250) << "transparency lies on white";
    EXPECT_GT(written.pixelColor(200, 300).blue(), 240);
    // Quality 90 scales the first luminance quantiser of the standard table (16) to 3.
    const QByteArray bytes = fixtures::readBytes(target);
    const qsizetype dqt = bytes.indexOf("\xFF\xDB");
    ASSERT_GE(dqt, 0);
    EXPECT_EQ(int(std::uint8_t(bytes[dqt + 5])), 3);
}

TEST_F(ImageBox, FailedSaveReportsTheReasonAndLeavesTheOldFile) {
    TGvbox box(Mode::FullSize);
    QImage noise(400, 400, QImage::Format_RGB32);
    std::uint32_t seed = 1;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            noise.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    box.setFileName(save("noise.png", noise));
    box.waitForPixels();
    try {
        box.setJPGSaveName(dir.filePath("missing/out.jpg"));
        FAIL() << "no error raised";
    } catch (const platform::GlimraError& e) {
        EXPECT_TRUE(e.text().contains("No such file or directory")) << e.text().toStdString();
    }

    const QString existing = write("existing.jpg", "old contents");
    // A file size limit makes the write fail half-way, as a full disk would.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    bool raised = false;
    try {
        box.setJPGSaveName(existing);
    } catch (const platform::GlimraError& e) {
        raised = true;
        EXPECT_TRUE(e.text().contains("too large", Qt::CaseInsensitive)) << e.text().toStdString();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(fixtures::readBytes(existing), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";

    TGvbox empty(Mode::Preview);
    EXPECT_THROW(empty.setJPGSaveName(dir.filePath("nothing.jpg")), platform::GlimraError);
    EXPECT_FALSE(QFile::exists(dir.filePath("nothing.jpg")));
}

TEST_F(ImageBox, UnreadableFilesLeaveAnEmptyBoxAndZeroes) {
    const QString good = save("good.png", filled(30, 20, Qt::red));
    const QString pipe = dir.filePath("pipe.gif");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString cases[] = {
        dir.filePath("missing.png"),
        write("text.png", "this is no picture"),
        write("empty.gif", ""),
        write("unknown.xyz", "\x89PNX"),
        write("truncated.png", fixtures::readBytes(good).left(60)),
        dir.path(),
        QString(),
        pipe, // opening it would wait for a writer forever
    };
    for (Mode mode : {Mode::Preview, Mode::FullSize}) {
        for (const QString& path : cases) {
            TGvbox box(mode);
            box.setFileName(good);
            box.waitForPixels();
            ASSERT_EQ(box.bmpw(), 30);
            box.setFileName(path);
            box.waitForPixels();
            EXPECT_EQ(box.bmpw(), 0) << path.toStdString();
            EXPECT_EQ(box.bmph(), 0) << path.toStdString();
            EXPECT_EQ(box.bmpc(), 0) << path.toStdString();
            EXPECT_TRUE(box.shownImage().isNull());
            EXPECT_EQ(box.FileName(), path);
        }
    }
}

TEST_F(ImageBox, RefusesHeadersClaimingMoreThan400Megapixels) {
    // 30000 x 20000 = 600 megapixels; each file is tiny, so only the header can be blamed.
    QByteArray jpeg = fixtures::runTool("gm", {"convert", "-", "jpg:-"},
                                        fixtures::toPpm(fixtures::colourPicture()));
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GE(sof, 0);
    jpeg[sof + 5] = char(20000 >> 8), jpeg[sof + 6] = char(20000 & 0xFF);
    jpeg[sof + 7] = char(30000 >> 8), jpeg[sof + 8] = char(30000 & 0xFF);
    QByteArray bmp = fixtures::runTool("ppmtobmp", {}, fixtures::toPpm(fixtures::colourPicture()));
    bmp[18] = char(30000 & 0xFF), bmp[19] = char(30000 >> 8);
    bmp[22] = char(20000 & 0xFF), bmp[23] = char(20000 >> 8);
    QByteArray gem = fixtures::buildGemXimg();
    gem[12] = char(30000 >> 8), gem[13] = char(30000 & 0xFF);
    gem[14] = char(20000 >> 8), gem[15] = char(20000 & 0xFF);
    QByteArray tga = fixtures::runTool("pamtotga", {}, fixtures::toPpm(fixtures::colourPicture()));
    tga[12] = char(30000 & 0xFF), tga[13] = char(30000 >> 8);
    tga[14] = char(20000 & 0xFF), tga[15] = char(20000 >> 8);
    const QString files[] = {
        write("huge.tga", tga),
        write("huge.png", fixtures::buildPng(30000, 20000, QByteArray(90, '\x40'))),
        write("huge.jpg", jpeg),
        write("huge.bmp", bmp),
        write("huge.img", gem),
    };
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : files) {
        TGvbox box(Mode::Preview);
        box.setFileName(path);
        EXPECT_EQ(box.bmpw(), 0) << path.toStdString();
        EXPECT_EQ(box.bmpc(), 0) << path.toStdString();
    }
    EXPECT_LT(timer.elapsed(), 5000) << "refused from the header, not after decoding";
}

TEST_F(ImageBox, ReportsFullRangeSizesAndUprightOrientedPhotos) {
    QByteArray wide;
    for (int i = 0; i < 40000 * 2; ++i)
        wide.append("\x10\x80\xF0", 3);
    TGvbox box(Mode::Preview);
    box.setFileName(write("panorama.png", fixtures::buildPng(40000, 2, wide)));
    EXPECT_EQ(box.bmpw(), 40000) << "wider than 32767 stays positive";
    EXPECT_EQ(box.bmph(), 2);

    // Left half red, right half blue; orientation 6 turns it a quarter clockwise.
    QImage halves(40, 20, QImage::Format_RGB32);
    halves.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            halves.setPixel(x, y, qRgb(255, 0, 0));
    const QByteArray jpeg = fixtures::readBytes(save("plain.jpg", halves));
    TGvbox full(Mode::FullSize);
    full.setFileName(write("turned.jpg", fixtures::withExifOrientation(jpeg, 6)));
    full.waitForPixels();
    ASSERT_EQ(full.bmpw(), 20);
    ASSERT_EQ(full.bmph(), 40);
    EXPECT_EQ(full.size(), QSize(20, 40));
    EXPECT_GT(full.shownImage().pixelColor(10, 5).red(), 200);
    EXPECT_GT(full.shownImage().pixelColor(10, 35).blue(), 200);

    // The same as a PNG whose eXIf chunk (after the 33 bytes of signature and header) says so,
    // in the preview: the facts and the reduced pixels are upright.
    const QByteArray png = fixtures::readBytes(save("plain.png", halves));
    test::Bytes tiff;
    tiff.raw("II").le16(42).le32(8).le16(1);
    tiff.le16(0x0112).le16(3).le32(1).le16(6).le16(0).le32(0);
    TGvbox preview(Mode::Preview);
    preview.setFileName(
        write("turned.png", png.left(33) + test::pngChunk("eXIf", tiff.data) + png.mid(33)));
    ASSERT_EQ(preview.bmpw(), 20);
    ASSERT_EQ(preview.bmph(), 40);
    ASSERT_TRUE(preview.waitForPixels());
    const QImage shown = preview.shownImage();
    ASSERT_GT(shown.height(), shown.width());
    EXPECT_GT(shown.pixelColor(shown.width() / 2, shown.height() / 8).red(), 200);
    EXPECT_GT(shown.pixelColor(shown.width() / 2, shown.height() * 7 / 8).blue(), 200);

    const QByteArray progressive =
        fixtures::runTool("gm", {"convert", "-interlace", "Line", "-", "jpg:-"},
                          fixtures::toPpm(fixtures::colourPicture()));
    full.setFileName(write("progressive.jpg", progressive));
    EXPECT_EQ(full.bmpw(), fixtures::kWidth);
    EXPECT_EQ(full.bmpc(), 24);
}

TEST_F(ImageBox, AnimatedGifsAnimate) {
    const QByteArray first = fixtures::toPpm(filled(20, 10, Qt::red));
    const QString a = write("a.ppm", first), b = save("b.ppm", filled(20, 10, Qt::blue), "PPM");
    const QByteArray gif =
        fixtures::runTool("gm", {"convert", "-delay", "2", a, b, "gif:-"}, QByteArray());
    TGvbox box(Mode::FullSize);
    box.setFileName(write("anim.gif", gif));
    box.waitForPixels();
    ASSERT_EQ(box.bmpw(), 20);
    ASSERT_TRUE(box.isAnimating());
    QSet<QRgb> seen;
    QElapsedTimer timer;
    timer.start();
    while (seen.size() < 2 && timer.elapsed() < 3000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        seen.insert(box.shownImage().pixel(5, 5));
    }
    EXPECT_EQ(seen.size(), 2) << "both frames were shown";

    box.setFileName(save("still.png", filled(5, 5, Qt::red)));
    box.waitForPixels();
    EXPECT_FALSE(box.isAnimating());
}

TEST_F(ImageBox, AnAnimationWhoseFramesComeLateTwiceInARowStopsOnItsFrame) {
    const QString a = write("a.ppm", fixtures::toPpm(filled(20, 10, Qt::red)));
    const QString b = save("b.ppm", filled(20, 10, Qt::blue), "PPM");
    const QByteArray gif =
        fixtures::runTool("gm", {"convert", "-delay", "2", a, b, "gif:-"}, QByteArray());
    TGvbox box(Mode::FullSize);
    box.setFileName(write("late.gif", gif));
    box.waitForPixels();
    ASSERT_TRUE(box.isAnimating());
    // The thread kept from the movie (asleep here, as by a slow frame) well past the frame
    // budget, twice in a row.
    for (int late = 0; late < 3; ++late) {
        QThread::msleep(TGvbox::kFrameBudgetMs * 2 + 50);
        QApplication::processEvents();
    }
    const QRgb stopped = box.shownImage().pixel(5, 5);
    QSet<QRgb> seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 400) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        seen.insert(box.shownImage().pixel(5, 5));
    }
    EXPECT_EQ(seen, QSet<QRgb>{stopped}) << "the animation went on";
}

TEST_F(ImageBox, AnAnimationLargerThanItsBudgetShowsItsFirstFrameOnly) {
    // Two one-pixel frames on a 5000 x 4000 screen (20 megapixels): each frame would be drawn
    // on the whole screen on this thread.
    QByteArray gif("GIF89a");
    gif += QByteArray("\x88\x13\xA0\x0F\x80\0\0\0\0\0\xFF\xFF\xFF", 13);
    gif += QByteArray("!\xFF\x0BNETSCAPE2.0\x03\x01\0\0\0", 19);
    for (int frame = 0; frame < 2; ++frame) {
        gif += QByteArray("!\xF9\x04\0\x05\0\0\0", 8);
        gif += QByteArray("\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0", 15);
    }
    gif += ';';
    ASSERT_GT(5000LL * 4000, TGvbox::kAnimationPixels);
    TGvbox box(Mode::Preview);
    box.setFileName(write("huge-anim.gif", gif));
    box.waitForPixels();
    EXPECT_EQ(box.bmpw(), 5000);
    EXPECT_EQ(box.bmph(), 4000);
    EXPECT_FALSE(box.shownImage().isNull());
    EXPECT_FALSE(box.isAnimating());
}

TEST_F(ImageBox, AClickIsAPressAndReleaseInside) {
    TGvbox box(Mode::Preview);
    int clicks = 0;
    QObject::connect(&box, &TGvbox::clicked, [&] { ++clicks; });
    auto send = [&](QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, box.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&box, &event);
    };
    send(QEvent::MouseButtonPress, {10, 10});
    send(QEvent::MouseButtonRelease, {12, 12});
    EXPECT_EQ(clicks, 1);
    send(QEvent::MouseButtonPress, {10, 10});
    send(QEvent::MouseButtonRelease, {400, 10});
    EXPECT_EQ(clicks, 1) << "released outside the box";
}

} // namespace
