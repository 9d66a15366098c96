// Truncated and bit-flipped copies of every fixture go through the image box without a crash,
// a leak or a hang (run under the sanitizers); a refused file leaves the box empty.
#include "components/image_box.h"
#include "fixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using fixtures::fixtureByExtension;

// Damaged copies: cut at many lengths, and with one to three bits flipped at random places
// (a fixed seed, so a failure can be replayed).
QList<QByteArray> damagedCopies(const QByteArray& bytes) {
    QList<QByteArray> copies;
    for (qsizetype length : {0, 1, 2, 3, 4, 8, 12, 16, 24, 32, 64, 128, 512})
        if (length < bytes.size())
            copies.append(bytes.left(length));
    for (int part = 1; part < 8; ++part)
        copies.append(bytes.left(bytes.size() * part / 8));
    copies.append(bytes.left(bytes.size() - 1));
    std::uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int i = 0; i < 60; ++i) {
        QByteArray copy = bytes;
        // Headers hold the interesting fields: half the flips land in the first 64 bytes.
        const qsizetype span = i % 2 ? bytes.size() : std::min<qsizetype>(64, bytes.size());
        for (std::uint32_t flips = 1 + next() % 3; flips > 0; --flips) {
            const qsizetype at = qsizetype(next() % std::uint32_t(span));
            copy[at] = char(copy[at] ^ (1 << (next() % 8)));
        }
        copies.append(copy);
    }
    return copies;
}

class DamagedFile : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedFile, NeverCrashesOrHangsAndAnUnreadableOneLeavesTheBoxEmpty) {
    const fixtures::Fixture& f = fixtureByExtension()[GetParam()];
    ASSERT_FALSE(f.bytes.isEmpty()) << "fixture not made by " << f.how.toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath("damaged." + f.extension);
    TGvbox preview(TGvbox::Mode::Preview);
    TGvbox full(TGvbox::Mode::FullSize);
    int index = 0;
    for (const QByteArray& copy : damagedCopies(f.bytes)) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(copy);
        file.close();
        QElapsedTimer timer;
        timer.start();
        TGvbox& box = index++ % 2 ? full : preview;
        box.setFileName(path);
        box.waitForPixels();
        EXPECT_LT(timer.elapsed(), 5000) << "copy " << index;
        if (box.shownImage().isNull()) {
            EXPECT_EQ(box.bmpw(), 0) << "copy " << index;
            EXPECT_EQ(box.bmph(), 0) << "copy " << index;
            EXPECT_EQ(box.bmpc(), 0) << "copy " << index;
        } else {
            EXPECT_GT(box.bmpw(), 0) << "copy " << index;
            EXPECT_GT(box.bmph(), 0) << "copy " << index;
            // Whatever was read can be drawn and saved.
            QImage canvas(64, 64, QImage::Format_RGB32);
            box.render(&canvas, QPoint(), QRegion(0, 0, 64, 64), QWidget::RenderFlags());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedFile,
                         ::testing::Values("jpg", "gif", "bmp", "wmf", "wpg", "art", "cut", "dib",
                                           "emf", "gem", "hrz", "iff", "img", "lbm", "mac", "msp",
                                           "pcx", "pic", "png", "ras", "rle", "tga", "tif"),
                         [](const auto& info) { return std::string(info.param); });

INSTANTIATE_TEST_SUITE_P(TodaysFixtures, DamagedFile,
                         ::testing::Values("jpeg", "jpe", "jfif", "tiff", "webp", "avif", "heic",
                                           "heif", "jxl", "svg", "svgz", "ico", "pnm", "pbm", "pgm",
                                           "ppm", "dng", "cr2", "cr3", "nef", "nrw", "arw", "orf",
                                           "rw2", "raf", "pef", "srw"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
