#include "window_fixture.h"

#include "browser/browser_window.h"
#include "filelists/file_list_box.h"
#include "media_fixtures.h"
#include "platform/screen.h"
#include "test_env.h"
#include "viewer/nav_bar.h"

#include <QDir>
#include <QFile>

namespace test {
namespace {

void put16(QByteArray& b, int v) {
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}
void put32(QByteArray& b, int v) {
    put16(b, v & 0xffff);
    put16(b, (v >> 16) & 0xffff);
}

// A 16-colour BMP, which Qt does not write: rows of two pixels a byte, bottom row first.
QByteArray bmp4(int width, int height) {
    const int stride = ((width + 1) / 2 + 3) & ~3;
    QByteArray b("BM");
    put32(b, 14 + 40 + 64 + stride * height);
    put32(b, 0);
    put32(b, 14 + 40 + 64);
    put32(b, 40);
    put32(b, width);
    put32(b, height);
    put16(b, 1);
    put16(b, 4);
    put32(b, 0);
    put32(b, stride * height);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 16);
    put32(b, 0);
    for (int i = 0; i < 16; ++i)
        put32(b, (i * 16) | ((255 - i * 16) << 8));
    for (int y = 0; y < height; ++y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x)
            row[x / 2] = char(row[x / 2] | (((x + y) % 16) << (x % 2 ? 0 : 4)));
        b.append(row);
    }
    return b;
}

} // namespace

void WindowFixture::SetUp() {
    ASSERT_TRUE(folder.isValid());
    launchDir = QDir::currentPath();
    platform::setScreenSizeOverride(QSize(1024, 768));
    writeIni({});
}

void WindowFixture::TearDown() {
    windows.reset();
    QDir::setCurrent(launchDir);
    platform::setScreenSizeOverride(std::nullopt);
    writeIni({});
}

void WindowFixture::start(const QByteArray& ini) {
    startIn(QFile::encodeName(folder.path()), ini);
}

void WindowFixture::startIn(const QByteArray& nativeFolder, const QByteArray& ini) {
    if (!ini.isEmpty())
        writeIni(ini);
    windows = std::make_unique<app::WindowSet>(QList<QByteArray>{nativeFolder});
    Form1->show();
    NavBarForm->show();
}

QString WindowFixture::picture(const QString& name, int width, int height, int bitsPerPixel) {
    if (bitsPerPixel == 4)
        return file(name, bmp4(width, height));
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgb((x * 255) / std::max(1, width - 1), (y * 255) / std::max(1, height - 1), 90));
    switch (bitsPerPixel) {
    case 1:
        image = image.convertToFormat(QImage::Format_Mono);
        break;
    case 8:
        image = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        break;
    case 32:
        image = image.convertToFormat(QImage::Format_ARGB32);
        break;
    default:
        break;
    }
    const QString p = path(name);
    EXPECT_TRUE(image.save(p)) << p.toStdString();
    return p;
}

QString WindowFixture::sound(const QString& name, int milliseconds) {
    return file(name, wavBytes(milliseconds));
}

QString WindowFixture::file(const QString& name, const QByteArray& bytes) {
    writeFile(path(name), bytes);
    return path(name);
}

void WindowFixture::select(int row) {
    Form1->FileListBox1->setItemIndex(row);
    Form1->FileListBox1Change(nullptr);
}

bool WindowFixture::waitFor(const std::function<bool()>& done, int timeoutMs) {
    return processEventsUntil(done, timeoutMs);
}

} // namespace test
