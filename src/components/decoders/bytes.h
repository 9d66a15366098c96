// Bounds-checked reading of little- and big-endian numbers from a byte buffer, for the
// decoders that parse file structures themselves.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace decoders {

// Reads past the end give 0 and set failed(), so a decoder checks once after a block of reads.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& bytes, qsizetype pos = 0)
        : data_(reinterpret_cast<const std::uint8_t*>(bytes.constData())), size_(bytes.size()),
          pos_(pos) {}

    qsizetype pos() const { return pos_; }
    qsizetype remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool failed() const { return failed_; }
    bool atEnd() const { return pos_ >= size_; }
    void seek(qsizetype pos) {
        if (pos < 0 || pos > size_)
            failed_ = true;
        else
            pos_ = pos;
    }
    void skip(qsizetype n) { seek(pos_ + n); }
    const std::uint8_t* here() const { return data_ + pos_; }

    std::uint8_t u8() {
        if (pos_ >= size_) {
            failed_ = true;
            return 0;
        }
        return data_[pos_++];
    }
    std::uint16_t u16le() {
        const std::uint16_t lo = u8();
        return std::uint16_t(lo | (u8() << 8));
    }
    std::uint16_t u16be() {
        const std::uint16_t hi = u8();
        return std::uint16_t((hi << 8) | u8());
    }
    std::uint32_t u32le() {
        const std::uint32_t lo = u16le();
        return lo | (std::uint32_t(u16le()) << 16);
    }
    std::uint32_t u32be() {
        const std::uint32_t hi = u16be();
        return (hi << 16) | u16be();
    }

private:
    const std::uint8_t* data_;
    qsizetype size_;
    qsizetype pos_;
    bool failed_ = false;
};

} // namespace decoders
