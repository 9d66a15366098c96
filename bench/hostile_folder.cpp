// The hostile folder: small files that claim huge pictures, one per format, each loaded into a
// fresh copy of this program by the image box (FileName set, as the browser does) in preview
// and in full-size mode. Prints per file and mode the time until the pixels are shown, the peak
// memory of the program above its idle state, (where decoding runs in the helper process) the
// helper's peak, the processor time of the program and the helper together (steadier than the
// time on a loaded machine), and the time until the facts (size and bits per pixel) were known.
// Targets: every file under 100 KB refused or decoded in under 1 s and under 300 MB above idle
// in preview mode; no file takes the program above the decode budget in full-size mode.
// Not a timed test: run by scripts/bench. It also builds in a tree from before the decoder
// helper (the helper's headers are optional), for a before-and-after comparison.
#include "byte_builder.h"
#include "components/image_box.h"

#if __has_include("components/decoders/helper_client.h")
#include "components/decoders/decode.h"
#include "components/decoders/helper_client.h"
#define GLIMRA_HAS_HELPER 1
#endif

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kSide = 20000;
constexpr int kChildTimeoutMs = 40000;

using test::Bytes;
using test::pngChunk;
using test::zlib;

QByteArray wmf() {
    Bytes records;
    records.le32(5).le16(0x020B).le16(0).le16(0);
    records.le32(5).le16(0x020C).le16(kSide).le16(kSide);
    records.le32(7).le16(0x041B).le16(100).le16(100).le16(10).le16(10);
    records.le32(3).le16(0x0000);
    return test::placeableWmf(kSide, kSide, records.data, 0, 7);
}

QByteArray pict() {
    Bytes p;
    p.raw(QByteArray(512, '\0'));
    p.be16(0).be16(0).be16(0).be16(kSide).be16(kSide); // size, frame
    p.be16(0x0011).be16(0x02FF);                       // version 2
    p.be16(0x0C00).raw(QByteArray(24, '\0'));          // header
    p.be16(0x00FF);                                    // end
    return p.data;
}

QByteArray tiff() {
    return test::oneBitDeflateTiff(kSide);
}

// A grey side x side picture sent coefficient by coefficient, its last scan repeated up to
// `scans` scans.
QByteArray progressiveJpeg(const QString& dir, int side, int scans) {
    QByteArray script = "0: 0 0 0 0;\n";
    for (int k = 1; k < 64; ++k)
        script += "0: " + QByteArray::number(k) + " " + QByteArray::number(k) + " 0 0;\n";
    QFile scanFile(dir + "/scans.txt");
    scanFile.open(QIODevice::WriteOnly);
    scanFile.write(script);
    scanFile.close();
    QProcess cjpeg;
    cjpeg.start("cjpeg", {"-grayscale"});
    cjpeg.waitForStarted();
    cjpeg.write("P5\n" + QByteArray::number(side) + " " + QByteArray::number(side) + "\n255\n");
    const QByteArray row(side, '\xF0');
    for (int y = 0; y < side; ++y) {
        cjpeg.write(row);
        cjpeg.waitForBytesWritten(-1);
    }
    cjpeg.closeWriteChannel();
    cjpeg.waitForFinished(-1);
    const QByteArray baseline = cjpeg.readAllStandardOutput();
    QProcess jpegtran;
    jpegtran.start("jpegtran", {"-scans", scanFile.fileName()});
    jpegtran.write(baseline);
    jpegtran.closeWriteChannel();
    jpegtran.waitForFinished(-1);
    const QByteArray jpeg = jpegtran.readAllStandardOutput();
    const qsizetype lastScan = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    if (lastScan < 0)
        return {};
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(scans - 64) + QByteArray("\xFF\xD9", 2);
}

// WPG 1: a one-bit bitmap record claiming kSide x kSide with a single row of data.
QByteArray wpg() {
    Bytes f;
    f.u8(0xFF).u8('W').u8('P').u8('C').le32(16).u8(1).u8(0x16).u8(1).u8(0).le16(0).le16(0);
    f.u8(0x0F).u8(6).u8(1).u8(0).le16(kSide / 4).le16(kSide / 4); // start of picture
    f.u8(0x0B).u8(14).le16(kSide).le16(kSide).le16(1).le16(75).le16(75);
    f.u8(0x81).u8(0xFF).u8(0x00).u8(0x00); // one run, then what a damaged file leaves
    f.u8(0x10).u8(0);                      // end of picture
    return f.data;
}

// A device-independent bitmap without its file header: the information header, a grey
// palette and an RLE8 end of bitmap, claiming kSide x kSide.
QByteArray headerlessDib() {
    Bytes b;
    b.le32(40).le32(kSide).le32(kSide).le16(1).le16(8).le32(1).le32(2).le32(0).le32(0);
    b.le32(256).le32(0);
    for (int i = 0; i < 256; ++i)
        b.u8(i).u8(i).u8(i).u8(0);
    b.u8(0).u8(1); // end of bitmap
    return b.data;
}

QByteArray animatedGif() {
    Bytes g;
    g.raw("GIF89a").le16(16000).le16(16000).u8(0x80).u8(0).u8(0); // 2-colour global table
    g.u8(0).u8(0).u8(0).u8(255).u8(255).u8(255);
    g.u8(0x21).u8(0xFF).u8(11).raw("NETSCAPE2.0").u8(3).u8(1).le16(0).u8(0);
    for (int frame = 0; frame < 2; ++frame) {
        g.u8(0x21).u8(0xF9).u8(4).u8(0).le16(10).u8(0).u8(0); // 0.1 s
        g.u8(0x2C).le16(frame).le16(frame).le16(1).le16(1).u8(0);
        g.u8(2).u8(2).u8(0x44).u8(0x01).u8(0); // one pixel of colour 0
    }
    g.u8(0x3B);
    return g.data;
}

QByteArray gemImg() {
    Bytes g;
    g.be16(1).be16(8).be16(8).be16(1).be16(85).be16(85).be16(kSide).be16(kSide);
    const int rowBytes = kSide / 8;
    for (int y = 0; y < kSide; y += 255) {
        g.u8(0).u8(0).u8(0xFF).u8(std::min(255, kSide - y));
        for (int plane = 0; plane < 8; ++plane) {
            int left = rowBytes;
            while (left > 0) {
                const int n = std::min(127, left);
                g.u8(plane % 2 ? 0x80 | n : n);
                left -= n;
            }
        }
    }
    return g.data;
}

QByteArray pcPaint() {
    Bytes p;
    p.le16(0x1234).le16(kSide).le16(kSide).le16(0).le16(0).u8(0x08).u8(0xFF).u8(0).le16(0).le16(0);
    Bytes runs;
    std::int64_t left = std::int64_t(kSide) * kSide;
    while (left > 0) {
        const int n = int(std::min<std::int64_t>(65535, left));
        runs.u8(0xAA).u8(0).le16(n).u8(7);
        left -= n;
    }
    p.le16(1).le16(int(runs.data.size() + 5)).le16(0).u8(0xAA).raw(runs.data);
    return p.data;
}

QByteArray msp() {
    const int side = 6000;
    Bytes m;
    m.raw("LinS").le16(side).le16(side).raw(QByteArray(24, '\0'));
    Bytes rows;
    for (int y = 0; y < side; ++y) {
        int left = side / 8;
        int length = 0;
        Bytes row;
        while (left > 0) {
            const int n = std::min(255, left);
            row.u8(0).u8(n).u8(0xFF);
            left -= n;
        }
        length = int(row.data.size());
        m.le16(length);
        rows.raw(row.data);
    }
    return m.data + rows.data;
}

QByteArray bmpRle8() {
    Bytes b;
    b.raw("BM").le32(14 + 40 + 1024 + 2).le32(0).le32(14 + 40 + 1024);
    b.le32(40)
        .le32(kSide)
        .le32(kSide)
        .le16(1)
        .le16(8)
        .le32(1)
        .le32(2)
        .le32(0)
        .le32(0)
        .le32(256)
        .le32(0);
    for (int i = 0; i < 256; ++i)
        b.u8(i).u8(i).u8(i).u8(0);
    b.u8(0).u8(1); // end of bitmap
    return b.data;
}

QByteArray interlacedPng() {
    // 8000 x 8000 grey, Adam7: every pass's rows are filter byte 0 and zero pixels.
    const int side = 8000;
    QByteArray raw;
    const int starts[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
    const int steps[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
    for (int p = 0; p < 7; ++p) {
        const int cols = (side - starts[p][0] + steps[p][0] - 1) / steps[p][0];
        const int rows = (side - starts[p][1] + steps[p][1] - 1) / steps[p][1];
        raw.append(QByteArray(qsizetype(rows) * (cols + 1), '\0'));
    }
    Bytes ihdr;
    ihdr.be32(side).be32(side).u8(8).u8(0).u8(0).u8(0).u8(1);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", ihdr.data) +
           pngChunk("IDAT", zlib(raw)) + pngChunk("IEND", {});
}

QByteArray pngHeaderOnly() {
    Bytes ihdr;
    ihdr.be32(kSide).be32(kSide).u8(8).u8(6).u8(0).u8(0).u8(0);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", ihdr.data) +
           pngChunk("IDAT", zlib(QByteArray(1000, '\0'))) + pngChunk("IEND", {});
}

QByteArray tgaHeaderOnly() {
    Bytes t;
    t.u8(0)
        .u8(0)
        .u8(2)
        .raw(QByteArray(5, '\0'))
        .le16(0)
        .le16(0)
        .le16(kSide)
        .le16(kSide)
        .u8(24)
        .u8(0);
    return t.data + QByteArray(100, '\x40');
}

QByteArray sunHeaderOnly() {
    Bytes s;
    s.be32(0x59A66A95).be32(kSide).be32(kSide).be32(8).be32(0).be32(1).be32(0).be32(0);
    return s.data + QByteArray(100, '\x40');
}

QByteArray pcxHeaderOnly() {
    Bytes p;
    p.u8(10).u8(5).u8(1).u8(8).le16(0).le16(0).le16(kSide - 1).le16(kSide - 1).le16(72).le16(72);
    p.raw(QByteArray(48, '\0')).u8(0).u8(3).le16(kSide).le16(1).raw(QByteArray(58, '\0'));
    return p.data + QByteArray(200, '\xC1');
}

struct HostileFile {
    const char* name;
    QByteArray bytes;
};

QList<HostileFile> makeFiles(const QString& dir) {
    return {
        {"claims-20000.wmf", wmf()},
        {"claims-20000.pict", pict()},
        {"claims-20000.wpg", wpg()},
        {"claims-20000.dib", headerlessDib()},
        {"bilevel-deflate.tif", tiff()},
        {"2000-scans.jpg", progressiveJpeg(dir, 16000, 2000)},
        {"9000-scans.jpg", progressiveJpeg(dir, 6000, 9000)},
        {"screen-16000.gif", animatedGif()},
        {"eight-planes.img", gemImg()},
        {"claims-20000.pic", pcPaint()},
        {"packed-6000.msp", msp()},
        {"rle8-20000.bmp", bmpRle8()},
        {"adam7-8000.png", interlacedPng()},
        {"header-only.png", pngHeaderOnly()},
        {"header-only.tga", tgaHeaderOnly()},
        {"header-only.ras", sunHeaderOnly()},
        {"header-only.pcx", pcxHeaderOnly()},
    };
}

long statusKiB(const QString& file, const char* key) {
    QFile status(file);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ')[0].toLong();
    return -1;
}

// The machine's load averages over 1, 5 and 15 minutes.
QByteArray loadAverage() {
    QFile file("/proc/loadavg");
    if (!file.open(QIODevice::ReadOnly))
        return "unknown";
    const QList<QByteArray> v = file.readAll().split(' ');
    return v.size() >= 3 ? v[0] + " " + v[1] + " " + v[2] : QByteArray("unknown");
}

// Processor time a process has used, in milliseconds, from /proc/PID/stat (user and system
// time, the 14th and 15th fields); -1 when it cannot be read.
double cpuMs(const QString& procDir) {
    QFile stat(procDir + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks: the fields are counted after its closing parenthesis.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

void clearPeak(const QString& procDir) {
    QFile clear(procDir + "/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The child's side: warmed up on small pictures (libraries loaded, helpers started), then one
// file loaded as the browser does: FileName set (the facts, from the header), then the pixels
// waited for (the background decode). Prints: milliseconds to the pixels, peak KiB above idle,
// the decoding helper's peak KiB, the width and height shown, milliseconds to the facts, and
// the processor milliseconds used.
int measureOne(const QString& path, bool preview, const QString& warmDir) {
    const TGvbox::Mode mode = preview ? TGvbox::Mode::Preview : TGvbox::Mode::FullSize;
    {
        TGvbox warm(mode);
        for (const char* name : {"warm.png", "warm.jpg", "warm.tga", "warm.gif"}) {
            warm.setFileName(warmDir + "/" + name);
            warm.waitForPixels();
        }
    }
    QString helperProc;
#ifdef GLIMRA_HAS_HELPER
    const pid_t helper = decoders::helperPid(decoders::HelperKind::General);
    if (helper > 0) {
        helperProc = QStringLiteral("/proc/%1").arg(helper);
        clearPeak(helperProc);
    }
#endif
    clearPeak("/proc/self");
    const long idle = statusKiB("/proc/self/status", "VmRSS:");
    const double programCpu = cpuMs("/proc/self");
    const double helperCpu = helperProc.isEmpty() ? 0 : cpuMs(helperProc);
    QElapsedTimer timer;
    timer.start();
    TGvbox box(mode);
    box.setFileName(path);
    const double factsMs = double(timer.nsecsElapsed()) / 1e6;
    box.waitForPixels();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const long peak = statusKiB("/proc/self/status", "VmHWM:") - idle;
    // Processor time of the program and of the helper that decoded (the helper's is lost when
    // it was killed: then the program's alone, marked negative).
    double cpu = cpuMs("/proc/self") - programCpu;
    long helperPeak = -1;
#ifdef GLIMRA_HAS_HELPER
    const pid_t after = decoders::helperPid(decoders::HelperKind::General);
    if (after > 0 && QStringLiteral("/proc/%1").arg(after) == helperProc) {
        helperPeak = statusKiB(helperProc + "/status", "VmHWM:");
        cpu += cpuMs(helperProc) - helperCpu;
    } else if (!helperProc.isEmpty() || after != helper) {
        helperPeak = -2; // the helper was replaced: killed or crashed on this file
        cpu = -cpu;
    }
#endif
    std::printf("%.1f %ld %ld %d %d %.1f %.1f\n", ms, peak, helperPeak, box.bmpw(), box.bmph(),
                factsMs, cpu);
    return 0;
}

void makeWarmFiles(const QString& dir) {
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    small.save(dir + "/warm.png");
    small.save(dir + "/warm.jpg");
    small.save(dir + "/warm.gif");
    Bytes t;
    t.u8(0).u8(0).u8(2).raw(QByteArray(5, '\0')).le16(0).le16(0).le16(4).le16(4).u8(24).u8(0);
    QFile tga(dir + "/warm.tga");
    tga.open(QIODevice::WriteOnly);
    tga.write(t.data + QByteArray(48, '\x40'));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--one") == 0)
        return measureOne(QString::fromLocal8Bit(argv[2]), std::strcmp(argv[3], "preview") == 0,
                          QString::fromLocal8Bit(argv[4]));
    QTemporaryDir dir;
    makeWarmFiles(dir.path());
    const QList<HostileFile> files = makeFiles(dir.path());
    std::printf("hostile folder: each file loaded by a fresh program (%d s limit), load %s\n",
                kChildTimeoutMs / 1000, loadAverage().constData());
    std::printf("%-22s %8s %-8s %10s %10s %12s %12s %-16s %s\n", "file", "bytes", "mode", "ms",
                "cpu ms", "program MB", "helper MB", "shown as", "facts ms");
    for (const HostileFile& f : files) {
        const QString path = dir.filePath(f.name);
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(f.bytes);
        out.close();
        for (const char* mode : {"preview", "full"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start("/proc/self/exe", {"--one", path, mode, dir.path()});
            const bool finished = child.waitForFinished(kChildTimeoutMs);
            if (!finished) {
                child.kill();
                child.waitForFinished();
            }
            const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
            if (!finished || v.size() != 7) {
                std::printf("%-22s %8lld %-8s %10s %10s %12s %12s %s\n", f.name,
                            (long long)f.bytes.size(), mode, finished ? "-" : ">limit", "-", "-",
                            "-", finished ? "program crashed" : "program killed");
                continue;
            }
            const long helperKiB = v[2].toLong();
            const QString helper = helperKiB == -1   ? QStringLiteral("-")
                                   : helperKiB == -2 ? QStringLiteral("killed")
                                                     : QString::number(helperKiB / 1024.0, 'f', 1);
            const QString shown = v[3] == "0" ? QStringLiteral("unreadable")
                                              : QString::fromLatin1(v[3] + " x " + v[4]);
            const double factsMs = v[5].toDouble();
            const double cpu = v[6].toDouble();
            const QString cpuText =
                cpu < 0 ? QString::number(-cpu, 'f', 1) + "+?" : QString::number(cpu, 'f', 1);
            std::printf("%-22s %8lld %-8s %10.1f %10s %12.1f %12s %-16s %s\n", f.name,
                        (long long)f.bytes.size(), mode, v[0].toDouble(), qPrintable(cpuText),
                        v[1].toLong() / 1024.0, qPrintable(helper), qPrintable(shown),
                        factsMs < 0 ? "" : qPrintable(QString::number(factsMs, 'f', 1)));
            std::fflush(stdout);
        }
    }
    std::printf("load at the end: %s\n", loadAverage().constData());
    return 0;
}
