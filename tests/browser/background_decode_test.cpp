// The browser with pictures decoded in the background: the status line is built from the header
// at once, a decode that fails afterwards leaves the box empty, stepping past a slow file never
// waits for it nor shows it late, the next row is decoded ahead, and while the full-size window
// is shown one decode serves both boxes.
#include "app/application.h"
#include "browser/browser_window.h"
#include "components/decoders/decode.h"
#include "components/image_box.h"
#include "components/picture_loader.h"
#include "filelists/file_list_box.h"
#include "viewer/full_size_window.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

class BackgroundDecode : public test::WindowFixture {
protected:
    void TearDown() override {
        loader().setDecoder({});
        test::WindowFixture::TearDown();
    }
    static components::PictureLoader& loader() { return components::PictureLoader::shared(); }
    QString filled(const QString& name, QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(path(name)));
        return path(name);
    }
    static QColor centre(const TGvbox* box) {
        const QImage& image = box->shownImage();
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }
    // Every decode from now on is counted by file name; slow files take three seconds unless
    // their decode is cancelled.
    void watchDecodes() {
        loader().setDecoder(
            [this](int fd, const QByteArray& name, const decoders::DecodeOptions& o) {
                const QString file = QFile::decodeName(name).section('/', -1);
                {
                    std::lock_guard lock(mutex);
                    decodes[file].push_back(o.hint);
                }
                if (file.contains("slow"))
                    for (int i = 0; i < 300 && !(o.cancel && o.cancel->load()); ++i)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                return decoders::decodeOpenFile(fd, name, o);
            });
    }
    std::vector<QSize> decodesOf(const QString& file) {
        std::lock_guard lock(mutex);
        return decodes[file];
    }

    std::mutex mutex;
    std::map<QString, std::vector<QSize>> decodes;
};

TEST_F(BackgroundDecode, AFailureAfterAGoodHeaderLeavesTheBoxEmptyAndTheStatusLineAsBuilt) {
    // A JPEG cut off half-way: its header is whole, its pixels are not.
    QImage photo(600, 400, QImage::Format_RGB32);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            photo.setPixel(x, y, qRgb(x % 256, (y * 3) % 256, (x * y) % 256));
    const QString whole = path("whole.jpg");
    ASSERT_TRUE(photo.save(whole, "JPEG", 95));
    QFile in(whole);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    in.close();
    QFile::remove(whole);
    const QString cut = file("a_cut.jpg", bytes.left(bytes.size() / 2));
    filled("b_good.png", {30, 20}, Qt::red);
    start();
    ASSERT_EQ(Form1->FileListBox1->Count(), 2);

    select(1);
    ASSERT_TRUE(Form1->Gvbox1->waitForPixels());
    select(0);
    EXPECT_EQ(Form1->Panel1->text(), cut + " - Image Size: 600 x 400 Pixels x 16.8M colors");
    ASSERT_TRUE(Form1->Gvbox1->waitForPixels());
    EXPECT_TRUE(Form1->Gvbox1->shownImage().isNull()) << "no picture, not the previous one";
    EXPECT_EQ(Form1->Gvbox1->bmpw(), 0);
    EXPECT_EQ(Form1->Gvbox1->bmpc(), 0);
    EXPECT_EQ(Form1->Panel1->text(), cut + " - Image Size: 600 x 400 Pixels x 16.8M colors");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(BackgroundDecode, SteppingFastPastASlowFileNeitherWaitsForItNorShowsItLate) {
    watchDecodes();
    filled("a.png", {60, 40}, Qt::red);
    const QString slow = filled("b_slow.png", {70, 40}, Qt::green);
    const QString c = filled("c.png", {80, 40}, Qt::blue);
    filled("d.png", {90, 40}, Qt::yellow);
    start();
    QList<QColor> painted;
    QObject::connect(Form1->Gvbox1, &TGvbox::pixelsReady,
                     [&] { painted.append(centre(Form1->Gvbox1)); });
    select(0);
    ASSERT_TRUE(Form1->Gvbox1->waitForPixels());

    // Two presses of Down in quick succession, as a held key gives them.
    for (int row : {1, 2}) {
        QElapsedTimer timer;
        timer.start();
        select(row);
        EXPECT_LT(timer.elapsed(), 1000) << "row " << row << " waited for its pixels";
    }
    EXPECT_EQ(Form1->Panel1->text(), c + " - Image Size: 80 x 40 Pixels x 16.8M colors");
    ASSERT_TRUE(Form1->Gvbox1->waitForPixels(2000));
    EXPECT_EQ(centre(Form1->Gvbox1), QColor(Qt::blue));
    // The slow file is still wanted (the row behind), so its decode runs to its end; the box
    // goes on showing c.
    waitFor([] { return false; }, 3500);
    EXPECT_EQ(centre(Form1->Gvbox1), QColor(Qt::blue));
    EXPECT_EQ(Form1->Gvbox1->bmpw(), 80);
    EXPECT_FALSE(painted.contains(QColor(Qt::green)));
    EXPECT_EQ(Form1->Panel1->text(), c + " - Image Size: 80 x 40 Pixels x 16.8M colors");
    (void)slow;
}

TEST_F(BackgroundDecode, TheNextRowIsDecodedAheadAndShownAtOnce) {
    for (int i = 0; i < 4; ++i)
        filled(QStringLiteral("p%1.png").arg(i), {400, 300},
               QColor::fromHsv(i * 80, 255, 255).toRgb());
    start();
    select(0);
    ASSERT_TRUE(Form1->Gvbox1->waitForPixels());
    for (int row = 1; row < 4; ++row) {
        ASSERT_TRUE(waitFor([] { return components::PictureLoader::shared().idle(); }));
        select(row);
        EXPECT_FALSE(Form1->Gvbox1->pixelsPending()) << "row " << row << " was not ahead";
        EXPECT_EQ(centre(Form1->Gvbox1), QColor::fromHsv(row * 80, 255, 255).toRgb()) << row;
    }
}

TEST_F(BackgroundDecode, WhileTheFullSizeWindowIsShownEachPictureIsDecodedOnce) {
    for (int i = 0; i < 6; ++i)
        filled(QStringLiteral("p%1.png").arg(i), {1600, 1200},
               QColor::fromHsv(i * 50, 255, 255).toRgb());
    start();
    select(0);
    Form1->BitBtn1Click(nullptr);
    ASSERT_TRUE(Form2->isVisible());
    ASSERT_TRUE(waitFor([] { return components::PictureLoader::shared().idle(); }));
    // From here on every decode is counted: rows 3 and 4 were never wanted before.
    watchDecodes();
    for (int step = 1; step <= 2; ++step) {
        Form2->NextImage1Click(nullptr);
        // Decoded ahead at both sizes (each full-size picture is larger than what the cache
        // keeps of pictures nobody shows).
        EXPECT_FALSE(Form2->Gvbox1->pixelsPending()) << "step " << step;
        EXPECT_FALSE(Form1->Gvbox1->pixelsPending()) << "step " << step;
        ASSERT_TRUE(Form2->Gvbox1->waitForPixels());
        ASSERT_TRUE(Form1->Gvbox1->waitForPixels());
        EXPECT_EQ(Form2->Gvbox1->shownImage().size(), QSize(1600, 1200));
        EXPECT_EQ(Form1->Gvbox1->shownImage().size(), QSize(200, 150));
        EXPECT_EQ(centre(Form1->Gvbox1), centre(Form2->Gvbox1)) << "step " << step;
        ASSERT_TRUE(waitFor([] { return components::PictureLoader::shared().idle(); }));
    }
    for (const char* name : {"p3.png", "p4.png"}) {
        const std::vector<QSize> hints = decodesOf(QString::fromLatin1(name));
        ASSERT_EQ(hints.size(), 1u) << name << ": the preview was decoded a second time";
        EXPECT_TRUE(hints.front().isEmpty()) << name << " was decoded at full size";
    }
    EXPECT_TRUE(decodesOf("p1.png").empty()) << "p1 was decoded ahead before the step";
}

} // namespace
