#include "components/decoders/row_sink.h"

#include "components/decoders/picture.h"

#include <algorithm>
#include <cstring>

namespace decoders {

namespace {

// Sums kept per reduced pixel: red, green, blue, alpha and the count of pixels added.
constexpr int kSums = 5;

int rowBytes(RowSink::Rows rows, int n) {
    switch (rows) {
    case RowSink::Rows::Bits:
        return (n + 7) / 8;
    case RowSink::Rows::Indexes:
        return n;
    default:
        return n * 4;
    }
}

} // namespace

RowSink::RowSink(QSize size, QSize hint, Rows rows, const QList<QRgb>& palette)
    : size_(size), rows_(rows), r_(reductionFor(size, hint)), palette_(palette) {
    if (size.isEmpty())
        return;
    palette_.resize(rows == Rows::Bits ? 2 : 256, qRgb(0, 0, 0));
    if (r_ == 1) {
        const QImage::Format format = rows == Rows::Bits      ? QImage::Format_Mono
                                      : rows == Rows::Indexes ? QImage::Format_Indexed8
                                      : rows == Rows::Rgb     ? QImage::Format_RGB32
                                                              : QImage::Format_ARGB32;
        image_ = QImage(size, format);
        if (image_.isNull())
            return;
        if (rows == Rows::Bits || rows == Rows::Indexes)
            image_.setColorTable(palette_);
        image_.fill(rows == Rows::Rgb ? 0xFF000000u : 0u);
    } else {
        const int w = std::max(1, size.width() / r_), h = std::max(1, size.height() / r_);
        sums_.assign(std::size_t(w) * std::size_t(h) * kSums, 0);
        image_ = QImage(w, h, QImage::Format_ARGB32);
        if (image_.isNull())
            return;
    }
    ok_ = true;
}

void RowSink::sumColumns(const void* data, int x, int n) {
    const int outWidth = image_.width();
    columnSums_.assign(std::size_t(outWidth) * kSums, 0);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (int i = 0; i < n; ++i) {
        const int column = (x + i) / r_;
        if (column >= outWidth)
            break;
        QRgb c;
        if (rows_ == Rows::Bits)
            c = palette_[(bytes[i >> 3] >> (7 - (i & 7))) & 1];
        else if (rows_ == Rows::Indexes)
            c = palette_[bytes[i]];
        else
            std::memcpy(&c, bytes + std::size_t(i) * 4, 4);
        std::uint64_t* s = &columnSums_[std::size_t(column) * kSums];
        s[0] += qRed(c), s[1] += qGreen(c), s[2] += qBlue(c), s[3] += qAlpha(c), s[4] += 1;
    }
}

void RowSink::put(int y, const void* data, int count, int x, int n) {
    const int width = size_.width(), height = size_.height();
    if (!ok_ || x < 0 || x >= width || count < 1)
        return;
    n = n < 0 ? width - x : std::min(n, width - x);
    const int first = std::max(0, y),
              end = int(std::min<std::int64_t>(height, std::int64_t(y) + count));
    if (n <= 0 || first >= end)
        return;
    const int bytes = rowBytes(rows_, n);
    if (r_ == 1) {
        for (int row = first; row < end; ++row) {
            uchar* line = image_.scanLine(row);
            if (rows_ != Rows::Bits) {
                std::memcpy(line + rowBytes(rows_, x), data, std::size_t(bytes));
            } else if (x % 8 == 0 && (n % 8 == 0 || x + n == width)) {
                std::memcpy(line + x / 8, data, std::size_t(bytes));
            } else {
                const auto* in = static_cast<const std::uint8_t*>(data);
                for (int i = 0; i < n; ++i) {
                    const int bit = (in[i >> 3] >> (7 - (i & 7))) & 1, at = x + i;
                    line[at >> 3] =
                        uchar((line[at >> 3] & ~(0x80 >> (at & 7))) | (bit << (7 - (at & 7))));
                }
            }
        }
        return;
    }
    // Rows that repeat the previous one (a run over lines, an unchanged band) reuse its sums.
    if (x != lastX_ || std::size_t(bytes) != lastRow_.size() ||
        std::memcmp(lastRow_.data(), data, std::size_t(bytes)) != 0) {
        lastRow_.assign(static_cast<const std::uint8_t*>(data),
                        static_cast<const std::uint8_t*>(data) + bytes);
        lastX_ = x;
        sumColumns(data, x, n);
    }
    const int outWidth = image_.width(), outHeight = image_.height();
    for (int band = first / r_; band <= (end - 1) / r_ && band < outHeight; ++band) {
        const int lines = std::min(end, (band + 1) * r_) - std::max(first, band * r_);
        std::uint64_t* s = &sums_[std::size_t(band) * std::size_t(outWidth) * kSums];
        for (std::size_t k = 0; k < columnSums_.size(); ++k)
            s[k] += columnSums_[k] * std::uint64_t(lines);
    }
}

QImage RowSink::take() {
    if (!ok_)
        return {};
    ok_ = false;
    if (r_ == 1)
        return std::move(image_);
    bool opaque = true;
    for (int y = 0; y < image_.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        const std::uint64_t* s = &sums_[std::size_t(y) * std::size_t(image_.width()) * kSums];
        for (int x = 0; x < image_.width(); ++x, s += kSums) {
            const std::uint64_t n = s[4];
            line[x] =
                n == 0 ? 0 : qRgba(int(s[0] / n), int(s[1] / n), int(s[2] / n), int(s[3] / n));
            opaque = opaque && qAlpha(line[x]) == 255;
        }
    }
    sums_ = {};
    if (opaque)
        image_.reinterpretAsFormat(QImage::Format_RGB32);
    return std::move(image_);
}

} // namespace decoders
