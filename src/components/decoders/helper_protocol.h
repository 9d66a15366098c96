// The messages between the program and its decoder helper, over a Unix seqpacket socket. The
// program sends a request with the open file's descriptor attached; the helper answers with
// the facts and, for a decode, a memfd holding the pixels (mapped by the program, never
// copied). While decoding, the helper may ask the program to open a file it needs (a font)
// instead: it sends an OpenFile message, and the program answers with a descriptor for a file
// under the system's read-only data folders, or none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace decoders::helper {

constexpr std::uint32_t kMagic = 0x474C4D44; // "GLMD"

enum class MessageKind : std::uint32_t {
    Decode = 1,   // program -> helper, with the file: decode
    Facts = 2,    // program -> helper, with the file: size and bits per pixel only
    Result = 3,   // helper -> program, with a memfd after a successful decode
    OpenFile = 4, // helper -> program, a path in text; program -> helper, with a descriptor
};

struct Request {
    std::uint32_t magic = kMagic;
    MessageKind kind = MessageKind::Decode;
    std::uint32_t format = 0;
    std::int32_t hintWidth = 0;
    std::int32_t hintHeight = 0;
    std::int64_t memoryBytes = 0;
    double seconds = 0;
};

struct Reply {
    std::uint32_t magic = kMagic;
    MessageKind kind = MessageKind::Result;
    std::int32_t ok = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::int32_t animated = 0;
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    std::int32_t bytesPerLine = 0;
    std::int32_t imageFormat = 0; // a QImage::Format
    // Colours of a 1- or 8-bit picture, as QRgb values after the pixels in the memfd.
    std::int32_t colours = 0;
    char text[512] = {}; // the error, or the path of an OpenFile message
};

// One message with at most one descriptor attached (fd < 0: none). Sending never raises
// SIGPIPE; both return false when the peer is gone or the message is malformed.
bool sendMessage(int socket, const void* data, std::size_t size, int fd);
// Receives one message of exactly size bytes; *fd gets the attached descriptor or -1.
bool receiveMessage(int socket, void* data, std::size_t size, int* fd);

} // namespace decoders::helper
