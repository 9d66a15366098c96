// Preview loads of a 24-megapixel photo (6000 x 4000) in each of today's picture formats, made
// at benchmark time by the Debian tools that write them (cwebp, avifenc, heif-enc, cjxl, gm),
// against vipsthumbnail -s 200 and gm convert -thumbnail 200x200 where they read the format;
// target: within 1.5 times the fastest of them. A camera RAW (a DNG written here around the
// camera's full-size JPEG preview, as most cameras embed one) has no peer here that reads it;
// its target is under 50 ms, and its floor is djpeg -scale 1/8 of that embedded JPEG, timed
// beside it. Prints wall-clock and processor times and the ratios.
#include "dng_writer.h"
#include "support/peer_runs.h"
#include "support/photo_like.h"
#include "support/preview_load.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using bench::addTimed;
using bench::runQuiet;

QTemporaryDir* workDir = nullptr;
QString embeddedJpeg; // the JPEG the camera file carries, as a file of its own

struct Sample {
    std::string format;
    QString path;
};
std::vector<Sample> samples;

QString inWork(const QString& name) {
    return workDir->filePath(name);
}

bool run(const QString& program, const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.start(program, args);
    return tool.waitForFinished(600000) && tool.exitCode() == 0;
}

// A drawing of the kind a user keeps as SVG: some thousands of filled and stroked shapes.
QByteArray drawing() {
    QRandomGenerator random(11);
    QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='6000' height='4000'>";
    for (int i = 0; i < 4000; ++i) {
        const int x = random.bounded(6000), y = random.bounded(4000);
        const QByteArray colour =
            QByteArray::number(random.bounded(0x1000000), 16).rightJustified(6, '0');
        if (i % 2)
            svg += "<circle cx='" + QByteArray::number(x) + "' cy='" + QByteArray::number(y) +
                   "' r='" + QByteArray::number(10 + random.bounded(200)) + "' fill='#" + colour +
                   "' fill-opacity='0.6'/>";
        else
            svg += "<path d='M" + QByteArray::number(x) + " " + QByteArray::number(y) + " l" +
                   QByteArray::number(random.bounded(400) - 200) + " " +
                   QByteArray::number(random.bounded(400) - 200) + " l" +
                   QByteArray::number(random.bounded(400) - 200) + " " +
                   QByteArray::number(random.bounded(400) - 200) + " z' fill='#" + colour +
                   "' stroke='black' stroke-width='3'/>";
    }
    return svg + "</svg>";
}

void makeFiles() {
    workDir = new QTemporaryDir();
    const QImage photo = bench::photoLike(6000, 4000);
    const QString png = inWork("photo.png"), ppm = inWork("photo.ppm"), jpeg = inWork("photo.jpg");
    photo.save(png, "PNG", 80);
    photo.save(ppm, "PPM");
    photo.save(jpeg, "JPEG", 90);
    std::fprintf(stderr, "making the samples (HEIC and AVIF encoding take a while)...\n");
    const struct {
        const char* format;
        const char* name;
        QString program;
        QStringList args;
    } makers[] = {
        {"webp", "photo.webp", "cwebp", {"-quiet", "-q", "85", png, "-o", inWork("photo.webp")}},
        {"avif", "photo.avif", "avifenc", {"-s", "8", "-j", "2", png, inWork("photo.avif")}},
        {"heic",
         "photo.heic",
         "heif-enc",
         {"-q", "60", "-p", "preset=fast", png, "-o", inWork("photo.heic")}},
        {"jxl", "photo.jxl", "cjxl", {"-e", "3", "--quiet", png, inWork("photo.jxl")}},
        {"tiff", "photo.tif", "gm", {"convert", png, "-compress", "LZW", inWork("photo.tif")}},
    };
    for (const auto& m : makers)
        if (run(m.program, m.args))
            samples.push_back({m.format, inWork(m.name)});
        else
            std::fprintf(stderr, "%s could not be made\n", m.format);
    QFile svg(inWork("drawing.svg"));
    svg.open(QIODevice::WriteOnly);
    svg.write(drawing());
    svg.close();
    samples.push_back({"svg", svg.fileName()});
    samples.push_back({"ppm", ppm});
    // A 24-megapixel camera file: 16-bit sensor data and the full-size JPEG preview.
    QFile jpegFile(jpeg);
    jpegFile.open(QIODevice::ReadOnly);
    QFile dng(inWork("camera.dng"));
    dng.open(QIODevice::WriteOnly);
    dng.write(test::buildDng(jpegFile.readAll(), QSize(6000, 4000), 1));
    dng.close();
    samples.push_back({"dng", dng.fileName()});
    embeddedJpeg = jpeg;
}

void registerAll() {
    const std::string out = inWork("thumb.jpg").toStdString();
    for (const Sample& sample : samples) {
        const std::string path = sample.path.toStdString();
        const QString qpath = sample.path;
        addTimed("glimra/" + sample.format, [qpath](benchmark::State& s) {
            for (auto _ : s)
                bench::previewLoad(qpath);
        });
        if (sample.format == "dng") {
            // No peer here reads camera RAW: the floor is the scaled decode of its preview.
            const std::string jpeg = embeddedJpeg.toStdString();
            addTimed("djpeg-scale-1/8/dng", [jpeg](benchmark::State& s) {
                for (auto _ : s)
                    if (runQuiet({"djpeg", "-scale", "1/8", "-outfile", "/dev/null", jpeg}) < 0)
                        s.SkipWithError("djpeg failed");
            });
            continue;
        }
        addTimed("vipsthumbnail/" + sample.format, [path, out](benchmark::State& s) {
            for (auto _ : s)
                if (runQuiet({"vipsthumbnail", "-s", "200", path, "-o", out}) < 0)
                    s.SkipWithError("vipsthumbnail cannot read it");
        });
        addTimed("gm/" + sample.format, [path, out](benchmark::State& s) {
            for (auto _ : s)
                if (runQuiet({"gm", "convert", "-thumbnail", "200x200", path, out}) < 0)
                    s.SkipWithError("gm cannot read it");
        });
    }
}

void printTable(const char* title, const std::map<std::string, double>& times) {
    std::printf("\n%s\n%-6s %10s %14s %10s %16s\n", title, "format", "glimra ms", "vipsthumb ms",
                "gm ms", "glimra/fastest");
    for (const Sample& sample : samples) {
        const double glimra = bench::valueOf(times, "glimra/" + sample.format);
        if (sample.format == "dng") {
            const double floor = bench::valueOf(times, "djpeg-scale-1/8/dng");
            std::printf("%-6s %10.1f %14s %10s %16s (target 50 ms%s; djpeg -scale 1/8 of its "
                        "embedded JPEG %.1f ms, ratio %.2f)\n",
                        "dng", glimra, "-", "-", "-", glimra < 50 ? ", met" : ", MISSED", floor,
                        glimra / floor);
            continue;
        }
        const double vips = bench::valueOf(times, "vipsthumbnail/" + sample.format);
        const double gm = bench::valueOf(times, "gm/" + sample.format);
        const double fastest = std::fmin(vips, gm); // NaN only when neither read it
        const double ratio = glimra / fastest;
        std::printf("%-6s %10.1f %14.1f %10.1f %10.2f (target 1.5%s)\n", sample.format.c_str(),
                    glimra, vips, gm, ratio,
                    std::isnan(ratio) ? ", no peer"
                    : ratio <= 1.5    ? ", met"
                                      : ", MISSED");
    }
}

} // namespace

int main(int argc, char** argv) {
    bench::decodeEveryLoad();
    QApplication app(argc, argv);
    makeFiles();
    registerAll();
    benchmark::Initialize(&argc, argv);
    bench::Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    printTable("wall-clock time per preview load (ratio to the fastest peer)", recorder.ms);
    printTable("processor time per preview load, peers' processes included", recorder.cpu);
    delete workDir;
    benchmark::Shutdown();
    return 0;
}
