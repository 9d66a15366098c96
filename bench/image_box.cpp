// Preview loads of the image box (FileName set until the pixels for the 200 x 200 box are
// ready) against the peer tools in the same run: vipsthumbnail, gm with a size hint, djpeg with
// DCT scaling; plus the decode floors (djpeg -scale 1/8, a full libpng decode). Prints times,
// the ratios to the targets, and the peak memory of each preview load above idle.
#include "components/image_box.h"

#include "components/decoders/magick_reader.h"
#include "components/decoders/tiff_reader.h"
#include "support/peer_runs.h"
#include "support/photo_like.h"
#include "support/preview_load.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <png.h>
#include <string>
#include <utility>
#include <vector>

namespace {

QTemporaryDir* workDir = nullptr;
QString jpegPath, pngPath, bmpPath, gifPath, tiffPath, tgaPath;

using bench::addTimed;
using bench::peakOfToolMiB;
using bench::photoLike;
using bench::previewLoad;
using bench::runQuiet;

void makeFiles() {
    workDir = new QTemporaryDir();
    const QString dir = workDir->path();
    jpegPath = dir + "/photo.jpg";
    pngPath = dir + "/photo.png";
    bmpPath = dir + "/photo.bmp";
    gifPath = dir + "/small.gif";
    {
        const QImage photo = photoLike(6000, 4000);
        photo.save(jpegPath, "JPEG", 90);
        photo.save(pngPath, "PNG", 50);
    }
    photoLike(4000, 3000).convertToFormat(QImage::Format_RGB888).save(bmpPath, "BMP");
    const QString source = dir + "/small.png";
    photoLike(640, 480).save(source, "PNG");
    QProcess::execute("gm", {"convert", source, gifPath});
    // Formats decoded in the helper process: a 12-megapixel TIFF and TGA.
    tiffPath = dir + "/photo.tif";
    tgaPath = dir + "/photo.tga";
    QProcess::execute("gm", {"convert", bmpPath, tiffPath});
    QProcess::execute("gm", {"convert", bmpPath, tgaPath});
}

void fullPngDecode(const QString& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_file(&image, QFile::encodeName(path).constData());
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
}

const QString& pathOf(const std::string& format) {
    return format == "jpeg"  ? jpegPath
           : format == "png" ? pngPath
           : format == "bmp" ? bmpPath
                             : gifPath;
}

// The same decode as the helper runs (libtiff for TIFF, GraphicsMagick for TGA), but in this
// process: the cost of the helper is the difference.
void inProcessAsHelper(const QString& path, decoders::Format format) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    std::optional<decoders::Picture> tiff;
    if (format == decoders::Format::Tiff)
        tiff = decoders::readTiff(bytes, QSize(200, 200));
    const decoders::Picture p =
        tiff ? *tiff : decoders::readWithMagick(bytes, format, QSize(200, 200));
    QImage canvas(200, 200, QImage::Format_RGB32);
    QPainter painter(&canvas);
    painter.drawImage(QRect(0, 0, 200, 200 * p.height / std::max(1, p.width)), p.image);
    benchmark::DoNotOptimize(canvas.bits());
}

void registerAll() {
    const std::string out = workDir->path().toStdString() + "/thumb.jpg";
    for (const auto& [name, format] : {std::pair{std::string("tiff"), decoders::Format::Tiff},
                                       std::pair{std::string("tga"), decoders::Format::Tga}}) {
        const QString path = name == "tiff" ? tiffPath : tgaPath;
        addTimed("helper/" + name, [path](benchmark::State& s) {
            for (auto _ : s)
                previewLoad(path);
        });
        addTimed("in-process/" + name, [path, format](benchmark::State& s) {
            for (auto _ : s)
                inProcessAsHelper(path, format);
        });
    }
    for (const std::string format : {"jpeg", "png", "bmp", "gif"}) {
        const std::string path = pathOf(format).toStdString();
        addTimed("glimra/" + format, [path](benchmark::State& s) {
            for (auto _ : s)
                previewLoad(QString::fromStdString(path));
        });
        addTimed("vipsthumbnail/" + format, [path, out](benchmark::State& s) {
            for (auto _ : s)
                if (runQuiet({"vipsthumbnail", "-s", "200", path, "-o", out}) < 0)
                    s.SkipWithError("vipsthumbnail failed");
        });
        addTimed("gm/" + format, [path, out](benchmark::State& s) {
            for (auto _ : s)
                if (runQuiet({"gm", "convert", "-size", "400x400", path, "-thumbnail", "200x200",
                              out}) < 0)
                    s.SkipWithError("gm failed");
        });
    }
    const std::string jpeg = jpegPath.toStdString();
    addTimed("djpeg-scale-1/8/jpeg", [jpeg](benchmark::State& s) {
        for (auto _ : s)
            if (runQuiet({"djpeg", "-scale", "1/8", jpeg}) < 0)
                s.SkipWithError("djpeg failed");
    });
    addTimed("libpng-full/png", [](benchmark::State& s) {
        for (auto _ : s)
            fullPngDecode(pngPath);
    });
}

long statusKiB(const char* key) {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ')[0].toLong();
    return -1;
}

// Peak resident memory of one preview load above the memory in use before it, measured in a
// fresh copy of this program so that nothing earlier in the run has warmed the heap.
double peakAboveIdleMiB(const QString& path) {
    QProcess child;
    child.start("/proc/self/exe", {"--peak", path, gifPath});
    child.waitForFinished(60000);
    bool ok = false;
    const double kib = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? kib / 1024.0 : std::nan("");
}

// The child's side: libraries loaded and warmed on a small file, then the load measured.
int measurePeak(const QString& path, const QString& warmUp) {
    previewLoad(warmUp);
    QFile clear("/proc/self/clear_refs");
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return 1;
    clear.close();
    const long idle = statusKiB("VmRSS:");
    previewLoad(path);
    std::printf("%ld\n", statusKiB("VmHWM:") - idle);
    return 0;
}

void printTable(const char* title, const std::map<std::string, double>& times) {
    auto get = [&](const std::string& name) { return bench::valueOf(times, name); };
    std::printf("\n%s\n%-6s %10s %14s %10s %10s %12s\n", title, "format", "glimra ms",
                "vipsthumb ms", "gm ms", "floor ms", "glimra/ref");
    for (const std::string format : {"jpeg", "png", "bmp", "gif"}) {
        const double glimra = get("glimra/" + format);
        const double vips = get("vipsthumbnail/" + format);
        const double gm = get("gm/" + format);
        double floor = std::nan("");
        double reference = std::fmin(vips, gm);
        double target = 1.5;
        if (format == "jpeg")
            reference = floor = get("djpeg-scale-1/8/jpeg"), target = 1.1;
        if (format == "png")
            reference = floor = get("libpng-full/png"), target = 1.1;
        const double ratio = glimra / reference;
        std::printf("%-6s %10.1f %14.1f %10.1f %10.1f %8.2f (target %.1f%s)\n", format.c_str(),
                    glimra, vips, gm, floor, ratio, target, ratio <= target ? ", met" : ", MISSED");
    }
}

void printHelperCost(const bench::Recorder& r) {
    std::printf("\npreview through the decoder helper against the same decode in this process "
                "(wall clock; target 1.1)\n");
    auto get = [&](const std::string& name) {
        for (const auto& [key, value] : r.ms)
            if (key.rfind(name, 0) == 0)
                return value;
        return std::nan("");
    };
    for (const std::string name : {"tiff", "tga"}) {
        const double helper = get("helper/" + name), own = get("in-process/" + name);
        const double ratio = helper / own;
        std::printf("%-6s helper %8.1f ms  in-process %8.1f ms  ratio %.2f%s\n", name.c_str(),
                    helper, own, ratio, ratio <= 1.1 ? " (met)" : " (MISSED)");
    }
}

void printSummary(const bench::Recorder& r) {
    printHelperCost(r);
    printTable("wall-clock time per preview load (ratio to the floor, else to the fastest peer)",
               r.ms);
    printTable("processor time per preview load, peers' processes included", r.cpu);
    std::printf("\npeak memory above idle of one preview load: jpeg %.1f MiB (target 24), "
                "png %.1f MiB (target 32), bmp %.1f MiB, gif %.1f MiB\n",
                peakAboveIdleMiB(jpegPath), peakAboveIdleMiB(pngPath), peakAboveIdleMiB(bmpPath),
                peakAboveIdleMiB(gifPath));
    const std::string out = workDir->path().toStdString() + "/t.jpg";
    for (const QString& path : {jpegPath, pngPath}) {
        const std::string file = path.toStdString();
        std::printf("peer peak memory (whole process) on %s: djpeg %.1f MiB, gm %.1f MiB, "
                    "vipsthumbnail %.1f MiB\n",
                    qPrintable(QFileInfo(path).fileName()),
                    path == jpegPath ? peakOfToolMiB({"djpeg", "-scale", "1/8", file})
                                     : std::nan(""),
                    peakOfToolMiB(
                        {"gm", "convert", "-size", "400x400", file, "-thumbnail", "200x200", out}),
                    peakOfToolMiB({"vipsthumbnail", "-s", "200", file, "-o", out}));
    }
}

} // namespace

int main(int argc, char** argv) {
    bench::decodeEveryLoad();
    QApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--peak")
        return measurePeak(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    makeFiles();
    registerAll();
    benchmark::Initialize(&argc, argv);
    bench::Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    printSummary(recorder);
    delete workDir;
    benchmark::Shutdown();
    return 0;
}
