#include "todays_fixtures.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <initializer_list>

namespace fixtures {

namespace {

// A directory entry of a little-endian TIFF structure, its value already in bytes.
struct Entry {
    int tag;
    int type; // 1 byte, 2 text, 3 short, 4 long, 10 signed rational
    std::uint32_t count;
    QByteArray value;
};

QByteArray shorts(std::initializer_list<int> values) {
    Bytes b;
    for (const int v : values)
        b.le16(v);
    return b.data;
}
QByteArray longValue(std::uint32_t value) {
    return Bytes().le32(value).data;
}
Entry text(int tag, const QByteArray& value) {
    return {tag, 2, std::uint32_t(value.size() + 1), value + '\0'};
}

std::uint32_t padded(qsizetype size) {
    return std::uint32_t(size + (size % 2));
}

// Bytes a directory takes with the values that do not fit its entries.
std::uint32_t directorySize(const QList<Entry>& entries) {
    std::uint32_t size = 2 + 12 * std::uint32_t(entries.size()) + 4;
    for (const Entry& e : entries)
        if (e.value.size() > 4)
            size += padded(e.value.size());
    return size;
}

// The directory laid out at offset at: the entries (sorted by tag, as TIFF asks), then the
// long values.
QByteArray directory(QList<Entry> entries, std::uint32_t at) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    Bytes head, tail;
    std::uint32_t extra = at + 2 + 12 * std::uint32_t(entries.size()) + 4;
    head.le16(int(entries.size()));
    for (const Entry& e : entries) {
        head.le16(e.tag).le16(e.type).le32(e.count);
        if (e.value.size() <= 4) {
            head.raw(e.value.leftJustified(4, '\0'));
        } else {
            head.le32(extra + std::uint32_t(tail.data.size()));
            tail.raw(e.value.leftJustified(padded(e.value.size()), '\0'));
        }
    }
    head.le32(0);
    return head.data + tail.data;
}

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

QByteArray buildDng(const QByteArray& previewJpeg, QSize rawSize, int orientation) {
    const QImage preview = QImage::fromData(previewJpeg);
    const QByteArray raw(qsizetype(rawSize.width()) * rawSize.height() * 2, '\x10');
    QByteArray identity;
    for (int i = 0; i < 9; ++i)
        identity += Bytes().le32(i % 4 == 0 ? 1 : 0).le32(1).data;
    // Offsets are filled in once the sizes are known; the sizes do not depend on them.
    auto first = [&](std::uint32_t jpegAt, std::uint32_t subAt) {
        return QList<Entry>{
            {254, 4, 1, longValue(1)}, // a reduced-size picture: the preview
            {256, 4, 1, longValue(std::uint32_t(preview.width()))},
            {257, 4, 1, longValue(std::uint32_t(preview.height()))},
            {258, 3, 3, shorts({8, 8, 8})},
            {259, 3, 1, shorts({7})}, // JPEG
            {262, 3, 1, shorts({6})}, // YCbCr
            text(271, "Glimra"),
            text(272, "Fixture"),
            {273, 4, 1, longValue(jpegAt)},
            {274, 3, 1, shorts({orientation})},
            {277, 3, 1, shorts({3})},
            {278, 4, 1, longValue(std::uint32_t(preview.height()))},
            {279, 4, 1, longValue(std::uint32_t(previewJpeg.size()))},
            {330, 4, 1, longValue(subAt)},
            {50706, 1, 4, QByteArray("\x01\x04\x00\x00", 4)}, // DNG 1.4
            text(50708, "Glimra Fixture"),
            {50721, 10, 9, identity},
            {50778, 3, 1, shorts({21})},
        };
    };
    auto sub = [&](std::uint32_t rawAt) {
        return QList<Entry>{
            {254, 4, 1, longValue(0)},
            {256, 4, 1, longValue(std::uint32_t(rawSize.width()))},
            {257, 4, 1, longValue(std::uint32_t(rawSize.height()))},
            {258, 3, 1, shorts({16})},
            {259, 3, 1, shorts({1})},
            {262, 3, 1, shorts({32803})}, // colour filter array
            {273, 4, 1, longValue(rawAt)},
            {277, 3, 1, shorts({1})},
            {278, 4, 1, longValue(std::uint32_t(rawSize.height()))},
            {279, 4, 1, longValue(std::uint32_t(raw.size()))},
            {284, 3, 1, shorts({1})},
            {33421, 3, 2, shorts({2, 2})},
            {33422, 1, 4, QByteArray("\x00\x01\x01\x02", 4)}, // RGGB
        };
    };
    const std::uint32_t subAt = 8 + directorySize(first(0, 0));
    const std::uint32_t jpegAt = subAt + directorySize(sub(0));
    const std::uint32_t rawAt = jpegAt + padded(previewJpeg.size());
    Bytes file;
    file.raw("II").le16(42).le32(8);
    file.raw(directory(first(jpegAt, subAt), 8));
    file.raw(directory(sub(rawAt), subAt));
    file.raw(previewJpeg.leftJustified(padded(previewJpeg.size()), '\0'));
    file.raw(raw);
    return file.data;
}

QList<Fixture> todaysPictureFixtures() {
    const QImage picture = colourPicture();
    const QByteArray ppm = toPpm(picture);
    const QByteArray png = toPng(picture);
    const QByteArray jpeg = runTool("gm", {"convert", "-", "jpg:-"}, ppm);
    const QByteArray heic =
        convertFile("heif-enc", {"{in}", "-o", "{out}"}, png, "in.png", "out.heic");
    const QByteArray dng = buildDng(jpeg, QSize(48, 32), 1);
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
