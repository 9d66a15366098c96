// Sound and video files give the picture they carry: a sound its cover art, a video a frame
// from about a tenth of the way in. A file without one gives none, and a pipeline that runs
// past its time limit is abandoned.
#include "components/decoders/decode.h"
#include "components/decoders/media_still.h"
#include "components/image_box.h"
#include "media_fixtures.h"
#include "todays_fixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A 30 x 20 cover, red on the left, blue on the right.
QByteArray cover() {
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 15; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return fixtures::toPng(image);
}

class MediaStill : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        EXPECT_FALSE(bytes.isEmpty()) << name.toStdString() << " was not made";
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir dir;
};

TEST_F(MediaStill, SoundsShowTheirCoverArtAndOnlyWhenTheyHaveOne) {
    for (const char* ext : {"mp3", "flac", "m4a", "opus"}) {
        const QString path = write(QString("song.") + ext, test::makeSound(ext, cover()));
        const decoders::Picture p = decoders::decodeFile(path, QSize(200, 200));
        ASSERT_TRUE(p.ok()) << ext << ": " << p.error.toStdString();
        EXPECT_EQ(QSize(p.width, p.height), QSize(30, 20)) << ext;
        EXPECT_EQ(p.bitsPerPixel, 24) << ext;
        EXPECT_GT(p.image.pixelColor(3, 10).red(), 200) << ext;
        EXPECT_GT(p.image.pixelColor(26, 10).blue(), 200) << ext;
    }
    for (const char* ext :
         {"mp3", "ogg", "oga", "opus", "flac", "m4a", "aac", "wma", "aif", "aiff"}) {
        const QString path = write(QString("bare.") + ext, test::makeSound(ext));
        const decoders::Picture p = decoders::decodeFile(path, QSize(200, 200));
        EXPECT_FALSE(p.ok()) << ext;
        EXPECT_EQ(p.width, 0) << ext;
    }
}

TEST_F(MediaStill, VideosShowAFrameFromATenthOfTheWayIn) {
    for (const char* ext : {"mp4", "m4v", "mkv", "webm", "mov", "mpg", "mpeg", "ogv", "wmv"}) {
        const QString path = write(QString("clip.") + ext, test::makeVideo(ext));
        TGvbox box(TGvbox::Mode::Preview);
        box.setFileName(path);
        ASSERT_EQ(QSize(box.bmpw(), box.bmph()), QSize(64, 48)) << ext;
        EXPECT_EQ(box.bmpc(), 24) << ext;
        ASSERT_TRUE(box.waitForPixels(10000)) << ext;
        // The first tenth of a second is red; the frame is taken past it, except in MPEG
        // program streams, whose demuxer starts over when asked to seek while paused.
        const QColor middle = box.shownImage().pixelColor(32, 24);
        if (QString(ext).startsWith("mpg") || QString(ext) == "mpeg")
            continue;
        EXPECT_GT(middle.blue(), 180) << ext;
        EXPECT_LT(middle.red(), 80) << ext;
    }
}

TEST_F(MediaStill, APipelinePastItsTimeLimitIsAbandonedAndTheNextFileReadAsUsual) {
    const QString path = write("clip.mkv", test::makeVideo("mkv"));
    const QByteArray native = QFile::encodeName(path);
    ASSERT_TRUE(decoders::readMediaStill(native, decoders::FileKind::Video, {}).ok());
    // A limit no pipeline can meet: the frame is given up, and the call does not wait for the
    // pipeline to wind down (a hang would show here as a call that does not return).
    QElapsedTimer timer;
    timer.start();
    const decoders::Picture late = decoders::readMediaStill(native, decoders::FileKind::Video, {},
                                                            std::chrono::milliseconds(1));
    EXPECT_FALSE(late.ok());
    EXPECT_EQ(late.width, 0);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(decoders::readMediaStill(native, decoders::FileKind::Video, {}).ok());
}

TEST_F(MediaStill, DamagedFilesGiveAPictureOrNoneWithoutHarm) {
    const QByteArray files[] = {test::makeSound("mp3", cover()), test::makeVideo("mp4"),
                                test::makeVideo("mkv"), test::makeSound("flac", cover())};
    const char* names[] = {"song.mp3", "clip.mp4", "clip.mkv", "song.flac"};
    for (int f = 0; f < 4; ++f) {
        const QByteArray& bytes = files[f];
        ASSERT_FALSE(bytes.isEmpty()) << names[f];
        std::uint32_t seed = 99;
        auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
        for (int i = 0; i < 8; ++i) {
            QByteArray copy = i < 4 ? bytes.left(bytes.size() * (i + 1) / 5) : bytes;
            for (int flips = 0; i >= 4 && flips < 4; ++flips) {
                const qsizetype at = qsizetype(next() % std::uint32_t(copy.size()));
                copy[at] = char(copy[at] ^ (1 << (next() % 8)));
            }
            const QString path = write(names[f], copy);
            const decoders::Picture p = decoders::decodeFile(path, QSize(200, 200));
            if (p.ok()) {
                EXPECT_GT(p.width, 0);
                EXPECT_FALSE(p.image.isNull());
            } else {
                EXPECT_EQ(p.width, 0);
            }
        }
    }
}

} // namespace
