#include "todays_fixtures.h"

#include "dng_writer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

namespace fixtures {

namespace {

QString svgText(const char* fill) {
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"32\">"
                          "<rect width=\"24\" height=\"32\" fill=\"red\"/>"
                          "<rect x=\"24\" width=\"24\" height=\"32\" fill=\"%1\"/></svg>")
        .arg(QLatin1String(fill));
}

} // namespace

QByteArray convertFile(const QString& program, const QStringList& args, const QByteArray& input,
                       const QString& inName, const QString& outName) {
    QTemporaryDir dir;
    const QString in = dir.filePath(inName);
    const QString out = dir.filePath(outName);
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
        return {};
    file.close();
    QStringList filled;
    for (const QString& arg : args)
        filled.append(arg == "{in}" ? in : arg == "{out}" ? out : arg);
    if (runTool(program, filled, {}).isNull() && !QFile::exists(out))
        return {};
    return readBytes(out);
}

QByteArray toPng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray buildSvg() {
    return svgText("blue").toUtf8();
}

QByteArray exifBlock(int orientation) {
    Bytes tiff;
    tiff.raw("II").le16(42).le32(8).le16(1);
    tiff.le16(0x0112).le16(3).le32(1).le16(orientation).le16(0).le32(0);
    return tiff.data;
}

QList<Fixture> todaysPictureFixtures() {
    const QImage picture = colourPicture();
    const QByteArray ppm = toPpm(picture);
    const QByteArray png = toPng(picture);
    const QByteArray jpeg = runTool("gm", {"convert", "-", "jpg:-"}, ppm);
    const QByteArray heic =
        convertFile("heif-enc", {"{in}", "-o", "{out}"}, png, "in.png", "out.heic");
    const QByteArray dng = test::buildDng(jpeg, QSize(48, 32), 1);
    const int w = kWidth, h = kHeight;
    QList<Fixture> list = {
        {"jpeg", "gm convert", jpeg, w, h, 24},
        {"jpe", "gm convert", jpeg, w, h, 24},
        {"jfif", "gm convert", jpeg, w, h, 24},
        {"tiff", "pnmtotiff", runTool("pnmtotiff", {}, ppm), w, h, 24},
        {"webp", "cwebp",
         convertFile("cwebp", {"-quiet", "{in}", "-o", "{out}"}, png, "in.png", "out.webp"), w, h,
         24},
        {"avif", "avifenc", convertFile("avifenc", {"{in}", "{out}"}, png, "in.png", "out.avif"), w,
         h, 24},
        {"heic", "heif-enc", heic, w, h, 24},
        {"heif", "heif-enc", heic, w, h, 24},
        {"jxl", "cjxl", convertFile("cjxl", {"{in}", "{out}"}, png, "in.png", "out.jxl"), w, h, 24},
        {"svg", "SVG text", buildSvg(), 48, 32, 24},
        {"svgz", "gzip", runTool("gzip", {"-c", "-n"}, buildSvg()), 48, 32, 24},
        {"ico", "ppmtowinicon", runTool("ppmtowinicon", {}, toPpm(fourColourPicture())), w, h, 4},
        {"pnm", "binary PPM", ppm, w, h, 24},
        {"pbm", "binary PBM", toPbm(fourColourPicture()), w, h, 1},
        {"pgm", "ppmtopgm", runTool("ppmtopgm", {}, ppm), w, h, 8},
        {"ppm", "binary PPM", ppm, w, h, 24},
    };
    // Every RAW extension holds the same DNG: LibRaw tells the file by its content, and a
    // TIFF-shaped file named like any camera's RAW goes to it.
    for (const char* raw :
         {"dng", "cr2", "cr3", "nef", "nrw", "arw", "orf", "rw2", "raf", "pef", "srw"})
        list.append({raw, "minimal DNG", dng, 48, 32, 24});
    return list;
}

} // namespace fixtures
