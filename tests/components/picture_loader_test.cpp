// The picture loader and its cache: a cap that holds, a changed file never shown from the cache,
// neighbours decoded ahead with one decode for both sizes, and a slow decode that the box
// neither waits for nor shows once the box has moved on, and the busy pointer while one runs.
#include "components/decoders/decode.h"
#include "components/image_box.h"
#include "components/picture_cache.h"
#include "components/picture_loader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

using components::FileIdentity;
using components::PictureCache;
using components::PictureKey;
using components::PictureLoader;
using Mode = TGvbox::Mode;

constexpr std::int64_t kMiB = 1 << 20;

PictureKey keyOf(int n, QSize hint = {}) {
    return PictureKey{FileIdentity{1, ino_t(n), 1000, 1}, hint};
}

// 512 x 512 at 32 bits: 1 MiB of pixels.
decoders::Picture oneMiB() {
    decoders::Picture p;
    p.image = QImage(512, 512, QImage::Format_RGB32);
    p.width = p.height = 512;
    p.bitsPerPixel = 24;
    return p;
}

TEST(PictureCache, NeverHoldsMoreThanItsCapAndKeepsTheNeighbourhood) {
    PictureCache cache(10 * kMiB, 1 * kMiB);
    cache.setWanted({keyOf(0), keyOf(1), keyOf(2), keyOf(3)});
    for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(cache.insert(keyOf(i), oneMiB()));
        EXPECT_LE(cache.bytes(), cache.capacity()) << "after " << i;
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(cache.find(keyOf(i)), nullptr) << "wanted " << i;
    // Pictures nobody wants are kept only within the allowance, the latest first.
    EXPECT_EQ(cache.bytes(), 5 * kMiB);
    EXPECT_NE(cache.find(keyOf(39)), nullptr);
    EXPECT_EQ(cache.find(keyOf(38)), nullptr);
    EXPECT_EQ(cache.find(keyOf(0, QSize(200, 200))), nullptr) << "another size is another key";
    // What left is handed out, to be freed off the UI thread, and no longer counted.
    const std::vector<QImage> evicted = cache.takeEvicted();
    EXPECT_EQ(evicted.size() + cache.count(), 40u);
    EXPECT_TRUE(cache.takeEvicted().empty());

    decoders::Picture huge = oneMiB();
    huge.image = QImage(2048, 2048, QImage::Format_RGB32); // 16 MiB
    EXPECT_FALSE(cache.insert(keyOf(99), huge));
    EXPECT_EQ(cache.find(keyOf(99)), nullptr);

    // A neighbourhood larger than the cap: the oldest wanted pictures give way.
    std::vector<PictureKey> many;
    for (int i = 100; i < 120; ++i)
        many.push_back(keyOf(i));
    cache.setWanted(many);
    for (const PictureKey& key : many) {
        cache.insert(key, oneMiB());
        EXPECT_LE(cache.bytes(), cache.capacity());
    }
    EXPECT_NE(cache.find(keyOf(119)), nullptr);
    EXPECT_EQ(cache.find(keyOf(100)), nullptr);

    cache.setWanted({});
    EXPECT_LE(cache.bytes(), 1 * kMiB);
}

TEST(PictureCache, CapAndRowsAheadFollowTheirRules) {
    ::setenv("GLIMRA_CACHE_MEMORY", "64M", 1);
    EXPECT_EQ(components::cacheCapacity(), 64 * kMiB);
    ::setenv("GLIMRA_CACHE_MEMORY", "lots", 1);
    const std::int64_t fallback = components::cacheCapacity();
    ::unsetenv("GLIMRA_CACHE_MEMORY");
    EXPECT_EQ(components::cacheCapacity(), fallback);
    EXPECT_GT(fallback, 0);
    EXPECT_LE(fallback, 1024 * kMiB);

    using components::rowsAhead;
    using Rows = std::vector<int>;
    EXPECT_EQ(rowsAhead(5, 10, +1), (Rows{6, 4, 7})) << "down: next, previous, two ahead";
    EXPECT_EQ(rowsAhead(5, 10, -1), (Rows{4, 6, 3})) << "up: the same the other way";
    EXPECT_EQ(rowsAhead(0, 10, -1), (Rows{1}));
    EXPECT_EQ(rowsAhead(8, 10, +1), (Rows{9, 7}));
    EXPECT_EQ(rowsAhead(0, 1, +1), (Rows{}));
    EXPECT_EQ(rowsAhead(-1, 10, +1), (Rows{})) << "no selection, nothing ahead";
}

class Loader : public ::testing::Test {
protected:
    QString save(const QString& name, QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path)); // the format by the name's extension
        return path;
    }
    // Moves the file's modification time by seconds (file systems may keep coarse times).
    static void touch(const QString& path, int seconds) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        timespec times[2] = {info.st_atim, info.st_mtim};
        times[1].tv_sec += seconds;
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
    static QColor centre(const TGvbox& box) {
        const QImage& image = box.shownImage();
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }
    static bool pump(const std::function<bool()>& done, int timeoutMs = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < timeoutMs)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }
    // A decoder that counts what it decodes, by file name and size asked for.
    void countDecodes() {
        loader.setDecoder([this](int fd, const QByteArray& name, const decoders::DecodeOptions& o) {
            {
                std::lock_guard lock(countMutex);
                ++decodes[QFile::decodeName(name).section('/', -1)];
                if (o.hint.isEmpty())
                    ++fullDecodes[QFile::decodeName(name).section('/', -1)];
            }
            return decoders::decodeOpenFile(fd, name, o);
        });
    }
    int decodesOf(const QString& name) {
        std::lock_guard lock(countMutex);
        return decodes[name];
    }

    QTemporaryDir dir;
    PictureLoader loader{64 * kMiB};
    std::mutex countMutex;
    std::map<QString, int> decodes, fullDecodes;
};

TEST_F(Loader, AChangedFileIsNeverShownFromTheCache) {
    const QString path = save("photo.bmp", {40, 30}, Qt::red);
    TGvbox box(Mode::Preview, nullptr, &loader);
    box.setFileName(path);
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(centre(box), QColor(Qt::red));

    // Written anew under the same name: new size and time.
    save("photo.bmp", {50, 20}, Qt::blue);
    touch(path, 2);
    box.setFileName(path);
    EXPECT_EQ(box.bmpw(), 50);
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(centre(box), QColor(Qt::blue));

    // Rewritten in place with the same size, only its time tells.
    {
        const QString other = save("other.bmp", {50, 20}, Qt::yellow);
        QFile in(other), out(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        ASSERT_EQ(bytes.size(), QFileInfo(path).size())
            << "an uncompressed picture of the same size";
        ASSERT_TRUE(out.open(QIODevice::ReadWrite));
        out.write(bytes);
    }
    touch(path, 4);
    box.setFileName(path);
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(centre(box), QColor(Qt::yellow));

    // Another file renamed over it, with the very same size and time: another inode.
    const QString green = save("green.bmp", {50, 20}, Qt::green);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(green).constData(), times, 0), 0);
    ASSERT_EQ(::rename(QFile::encodeName(green).constData(), QFile::encodeName(path).constData()),
              0);
    box.setFileName(path);
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(centre(box), QColor(Qt::green));
}

// A picture taken through waitFor (as Save as JPEG and the benchmarks take it, without the
// event loop) is handed over once: with nothing kept in the cache, the next box that shows the
// file decodes it again rather than finding the old hand-over still waiting for delivery.
TEST_F(Loader, APictureTakenWithoutTheEventLoopIsNotHandedOverTwice) {
    PictureLoader uncached(1024); // smaller than any picture: nothing is stored
    const QString path = save("photo.bmp", {40, 30}, Qt::red);
    for (int load = 1; load <= 3; ++load) {
        TGvbox box(Mode::Preview, nullptr, &uncached);
        box.setFileName(path);
        ASSERT_TRUE(box.waitForPixels());
        EXPECT_EQ(centre(box), QColor(Qt::red));
        EXPECT_EQ(uncached.decodesStarted(), load);
    }
    EXPECT_EQ(uncached.cacheBytes(), 0);
}

TEST_F(Loader, DecodesNeighboursAheadWithOneDecodeForBothSizes) {
    countDecodes();
    const QString a = save("a.png", {300, 200}, Qt::red);
    const QString b = save("b.png", {300, 200}, Qt::green);
    const QString c = save("c.png", {300, 200}, Qt::blue);
    // b is wanted at both sizes, as while the full-size window is shown.
    loader.setNeighbourSource([&] {
        return std::vector<components::DecodeAhead>{{QFile::encodeName(b), QSize(200, 200)},
                                                    {QFile::encodeName(b), QSize()}};
    });
    TGvbox preview(Mode::Preview, nullptr, &loader);
    TGvbox full(Mode::FullSize, nullptr, &loader);
    preview.setFileName(a);
    ASSERT_TRUE(preview.waitForPixels());
    ASSERT_TRUE(pump([&] { return loader.idle(); }));
    EXPECT_EQ(decodesOf("b.png"), 1);

    // Both boxes step onto b and find it decoded: nothing to wait for.
    full.setFileName(b);
    preview.setFileName(b);
    EXPECT_FALSE(full.pixelsPending());
    EXPECT_FALSE(preview.pixelsPending());
    EXPECT_EQ(full.shownImage().size(), QSize(300, 200));
    EXPECT_EQ(preview.shownImage().size(), QSize(200, 133));
    EXPECT_EQ(centre(preview), QColor(Qt::green));

    // A full-size picture already decoded gives the preview without another decode.
    loader.setNeighbourSource({});
    full.setFileName(c);
    ASSERT_TRUE(full.waitForPixels());
    preview.setFileName(c);
    ASSERT_TRUE(preview.waitForPixels());
    EXPECT_EQ(centre(preview), QColor(Qt::blue));
    EXPECT_EQ(decodesOf("c.png"), 1);
    EXPECT_LE(loader.cacheBytes(), loader.capacity());
}

TEST_F(Loader, PicturesLargerThanTheCacheAreShownButNotDecodedAheadOverAndOver) {
    PictureLoader small(4 * kMiB);
    small.setDecoder([this](int fd, const QByteArray& name, const decoders::DecodeOptions& o) {
        std::lock_guard lock(countMutex);
        ++decodes[QFile::decodeName(name).section('/', -1)];
        return decoders::decodeOpenFile(fd, name, o);
    });
    // 1600 x 1200 at 32 bits: 7.3 MiB each, more than the whole cache.
    const QString a = save("a.png", {1600, 1200}, Qt::red);
    const QString b = save("b.png", {1600, 1200}, Qt::green);
    const QString c = save("c.png", {1600, 1200}, Qt::blue);
    small.setNeighbourSource([&] {
        return std::vector<components::DecodeAhead>{{QFile::encodeName(b), QSize()},
                                                    {QFile::encodeName(c), QSize()}};
    });
    TGvbox box(Mode::FullSize, nullptr, &small);
    box.setFileName(a);
    // Until every decode is over and its pixels handed out (a picture not yet handed out would
    // serve without a decode).
    const auto settle = [&] {
        ASSERT_TRUE(pump([&] { return small.idle(); }));
        QApplication::processEvents();
    };
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(centre(box), QColor(Qt::red));
    settle();
    // Every step asks again for the neighbours it could not keep.
    for (int i = 0; i < 3; ++i) {
        small.neighboursChanged();
        settle();
    }
    EXPECT_EQ(decodesOf("b.png"), 1);
    EXPECT_EQ(decodesOf("c.png"), 1);
    EXPECT_LE(small.cacheBytes(), small.capacity());

    // Stepped onto, it is decoded for the box that waits for it.
    box.setFileName(b);
    ASSERT_TRUE(box.waitForPixels());
    EXPECT_EQ(centre(box), QColor(Qt::green));
    EXPECT_EQ(box.shownImage().size(), QSize(1600, 1200));
    EXPECT_EQ(decodesOf("b.png"), 2);
    EXPECT_LE(small.cacheBytes(), small.capacity());
}

TEST_F(Loader, SteppingPastASlowFileNeitherWaitsForItNorShowsItLate) {
    // The slow file takes three seconds unless its decode is cancelled.
    loader.setDecoder([](int fd, const QByteArray& name, const decoders::DecodeOptions& o) {
        if (name.contains("slow"))
            for (int i = 0; i < 300 && !(o.cancel && o.cancel->load()); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return decoders::decodeOpenFile(fd, name, o);
    });
    const QString a = save("a.png", {60, 40}, Qt::red);
    const QString slow = save("b_slow.png", {70, 40}, Qt::green);
    const QString c = save("c.png", {80, 40}, Qt::blue);
    TGvbox box(Mode::Preview, nullptr, &loader);
    QList<QColor> painted;
    QObject::connect(&box, &TGvbox::pixelsReady, [&] { painted.append(centre(box)); });
    box.setFileName(a);
    ASSERT_TRUE(box.waitForPixels());

    QElapsedTimer timer;
    timer.start();
    box.setFileName(slow);
    EXPECT_LT(timer.elapsed(), 1000) << "the header is read at once, the pixels come later";
    EXPECT_EQ(box.bmpw(), 70);
    // The previous picture stays only a moment beside the new facts.
    EXPECT_EQ(centre(box), QColor(Qt::red));
    EXPECT_TRUE(pump([&] { return box.shownImage().isNull(); }, 1000));
    EXPECT_TRUE(box.pixelsPending());

    box.setFileName(c);
    ASSERT_TRUE(box.waitForPixels(2000));
    EXPECT_EQ(centre(box), QColor(Qt::blue));
    // Long after the slow decode would have ended, the box still shows c.
    pump([] { return false; }, 3500);
    EXPECT_EQ(centre(box), QColor(Qt::blue));
    EXPECT_EQ(box.bmpw(), 80);
    EXPECT_FALSE(painted.contains(QColor(Qt::green)));
    EXPECT_EQ(loader.decodesCancelled(), 1) << "nobody wanted the slow file any more";
}

TEST_F(Loader, ASlowDecodeShowsTheBusyPointerUntilItsPixelsOrTheNextFileCome) {
    std::atomic<bool> release{false};
    loader.setDecoder([&release](int fd, const QByteArray& name, const decoders::DecodeOptions& o) {
        if (name.contains("slow"))
            for (int i = 0; i < 1000 && !release.load() && !(o.cancel && o.cancel->load()); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return decoders::decodeOpenFile(fd, name, o);
    });
    const auto busy = [](const TGvbox& box) {
        return box.testAttribute(Qt::WA_SetCursor) && box.cursor().shape() == Qt::BusyCursor;
    };
    const QString quick = save("quick.png", {60, 40}, Qt::red);
    const QString slow = save("slow.png", {70, 40}, Qt::green);
    TGvbox box(Mode::Preview, nullptr, &loader);
    box.setFileName(quick);
    ASSERT_TRUE(box.waitForPixels());
    pump([] { return false; }, 400);
    EXPECT_FALSE(busy(box)) << "a quick decode never shows it";

    // The pixels come when they are released: busy until then, only then.
    box.setFileName(slow);
    EXPECT_FALSE(busy(box));
    EXPECT_TRUE(pump([&] { return busy(box); }, 3000));
    release = true;
    ASSERT_TRUE(pump([&] { return !box.pixelsPending(); }, 3000));
    EXPECT_EQ(centre(box), QColor(Qt::green));
    EXPECT_FALSE(busy(box));

    // Stepping on while a decode is slow: the next picture's arrival ends the busy state.
    release = false;
    const QString slower = save("slower.png", {80, 40}, Qt::blue);
    box.setFileName(slower);
    ASSERT_TRUE(pump([&] { return busy(box); }, 3000));
    box.setFileName(quick);
    EXPECT_TRUE(pump([&] { return !box.pixelsPending() && !busy(box); }, 3000));
    EXPECT_EQ(centre(box), QColor(Qt::red));
    release = true;
}

} // namespace
