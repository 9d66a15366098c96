// The program's side of a decoder helper's reply: whatever a buggy or compromised helper sends,
// pictureFromReply gives a picture whose pixels lie inside the memfd, or a failure.
#include "components/decoders/helper_client.h"

#include <QByteArray>
#include <QFile>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

using decoders::Picture;
using decoders::pictureFromReply;
using decoders::helper::Reply;

namespace {

constexpr const char* kMemfdName = "hostile-reply";

// A memfd holding bytes, grown (sparse) to size when that is larger, sealed against shrinking
// as the helper seals it unless told otherwise.
int memfdWith(const QByteArray& bytes, off_t size = 0, bool sealed = true) {
    const int fd = ::memfd_create(kMemfdName, MFD_CLOEXEC | MFD_ALLOW_SEALING);
    EXPECT_GE(fd, 0);
    if (!bytes.isEmpty()) {
        EXPECT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    }
    if (size > off_t(bytes.size())) {
        EXPECT_EQ(::ftruncate(fd, size), 0);
    }
    if (sealed) {
        EXPECT_EQ(::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL), 0);
    }
    return fd;
}

QByteArray words(std::initializer_list<quint32> values) {
    QByteArray out;
    for (const quint32 v : values)
        out.append(reinterpret_cast<const char*>(&v), sizeof v);
    return out;
}

// A successful reply for an image of w x h at bytesPerLine in format.
Reply replyFor(int w, int h, int bytesPerLine, QImage::Format format, int colours = 0) {
    Reply r;
    r.ok = 1;
    r.width = w;
    r.height = h;
    r.bitsPerPixel = 32;
    r.imageWidth = w;
    r.imageHeight = h;
    r.bytesPerLine = bytesPerLine;
    r.imageFormat = int(format);
    r.colours = colours;
    return r;
}

// Mappings of our test memfds still in this process.
int mappedMemfds() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    return int(maps.readAll().count(QByteArray("/memfd:") + kMemfdName));
}

void expectFailure(const Picture& p, const char* what) {
    EXPECT_FALSE(p.error.isEmpty()) << what;
    EXPECT_TRUE(p.image.isNull()) << what;
    EXPECT_FALSE(p.ok()) << what;
}

} // namespace

TEST(HelperReply, WellFormedRepliesGiveTheirPixels) {
    {
        const Picture p =
            pictureFromReply(replyFor(2, 2, 8, QImage::Format_RGB32),
                             memfdWith(words({0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF})));
        ASSERT_TRUE(p.ok()) << p.error.toStdString();
        EXPECT_EQ(p.image.size(), QSize(2, 2));
        EXPECT_EQ(p.image.pixel(0, 0), 0xFFFF0000u);
        EXPECT_EQ(p.image.pixel(1, 1), 0xFFFFFFFFu);
        EXPECT_EQ(p.width, 2);
    }
    {
        // An 8-bit picture: one row of four indexes padded to 4 bytes, then its two colours.
        QByteArray bytes("\x00\x01\x01\x00", 4);
        bytes += words({0xFF102030, 0xFFA0B0C0});
        const Picture p =
            pictureFromReply(replyFor(4, 1, 4, QImage::Format_Indexed8, 2), memfdWith(bytes));
        ASSERT_TRUE(p.ok()) << p.error.toStdString();
        EXPECT_EQ(p.image.colorCount(), 2);
        EXPECT_EQ(p.image.pixel(1, 0), 0xFFA0B0C0u);
        EXPECT_EQ(p.image.pixel(3, 0), 0xFF102030u);
    }
    {
        // Facts alone: no memfd, no pixels, but the size.
        Reply r = replyFor(300, 200, 0, QImage::Format_Invalid);
        const Picture p = pictureFromReply(r, -1);
        EXPECT_TRUE(p.error.isEmpty());
        EXPECT_EQ(p.width, 300);
        EXPECT_EQ(p.height, 200);
    }
}

TEST(HelperReply, ShapesThatDoNotFitTheMemfdFail) {
    const QByteArray sixteen(64, '\x7f'); // 16 pixels of 32 bits
    struct Case {
        const char* what;
        Reply reply;
    };
    auto with = [](Reply r, auto change) {
        change(r);
        return r;
    };
    const Reply good = replyFor(4, 4, 16, QImage::Format_RGB32);
    const Case cases[] = {
        {"rows longer than the memfd", with(good, [](Reply& r) { r.imageHeight = 5; })},
        {"rows too short for the width", with(good, [](Reply& r) { r.bytesPerLine = 12; })},
        {"negative bytes per line", with(good, [](Reply& r) { r.bytesPerLine = -16; })},
        {"huge bytes per line", with(good, [](Reply& r) { r.bytesPerLine = INT_MAX; })},
        {"huge width", with(good, [](Reply& r) { r.imageWidth = INT_MAX; })},
        {"huge height", with(good, [](Reply& r) { r.imageHeight = INT_MAX; })},
        {"negative width", with(good, [](Reply& r) { r.imageWidth = -4; })},
        {"negative height", with(good, [](Reply& r) { r.imageHeight = INT_MIN; })},
        {"zero width", with(good, [](Reply& r) { r.imageWidth = 0; })},
        {"unknown format", with(good, [](Reply& r) { r.imageFormat = 9999; })},
        {"negative format", with(good, [](Reply& r) { r.imageFormat = -1; })},
        {"a format not sent", with(good, [](Reply& r) { r.imageFormat = QImage::Format_RGB888; })},
        {"colours with 32-bit pixels", with(good, [](Reply& r) { r.colours = 1; })},
        {"indexed, no colours",
         with(good, [](Reply& r) { r.imageFormat = QImage::Format_Indexed8; })},
        {"indexed, 300 colours", with(good,
                                      [](Reply& r) {
                                          r.imageFormat = QImage::Format_Indexed8;
                                          r.colours = 300;
                                      })},
        {"indexed, negative colours", with(good,
                                           [](Reply& r) {
                                               r.imageFormat = QImage::Format_Indexed8;
                                               r.colours = -1;
                                           })},
        // 64 bytes of pixels leave no room for 256 colours behind them.
        {"indexed, colours past the end", with(good,
                                               [](Reply& r) {
                                                   r.imageFormat = QImage::Format_Indexed8;
                                                   r.colours = 256;
                                               })},
        {"one bit, colours past the end", with(good,
                                               [](Reply& r) {
                                                   r.imageFormat = QImage::Format_Mono;
                                                   r.bytesPerLine = 4;
                                                   r.imageHeight = 16;
                                                   r.colours = 2;
                                               })},
        {"no size", with(good, [](Reply& r) { r.width = r.height = 0; })},
        {"negative size", with(good, [](Reply& r) { r.width = -4; })},
        {"negative bits per pixel", with(good, [](Reply& r) { r.bitsPerPixel = -1; })},
        {"not a result",
         with(good, [](Reply& r) { r.kind = decoders::helper::MessageKind::Decode; })},
    };
    for (const Case& c : cases)
        expectFailure(pictureFromReply(c.reply, memfdWith(sixteen)), c.what);
    // The same shapes with a memfd shorter than the pixels claimed, and with none at all.
    expectFailure(pictureFromReply(good, memfdWith(sixteen.left(63))), "memfd one byte short");
    expectFailure(pictureFromReply(good, memfdWith({})), "empty memfd");
    // A failure's text is the helper's, even when it does not end inside the message.
    Reply failed;
    std::memset(failed.text, 'x', sizeof failed.text);
    const Picture p = pictureFromReply(failed, memfdWith(sixteen));
    EXPECT_EQ(p.error, QString(int(sizeof failed.text), QLatin1Char('x')));
}

TEST(HelperReply, OnlyAMemfdThatCannotShrinkIsMapped) {
    // A helper that keeps its memfd could shrink it under the mapped picture, and the program
    // would die of SIGBUS on the next read.
    const QByteArray sixteen(64, '\x7f');
    const Reply good = replyFor(4, 4, 16, QImage::Format_RGB32);
    expectFailure(pictureFromReply(good, memfdWith(sixteen, 0, false)), "unsealed memfd");
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[1]);
    expectFailure(pictureFromReply(good, pipeEnds[0]), "a pipe");
    expectFailure(pictureFromReply(good, ::open("/dev/zero", O_RDONLY | O_CLOEXEC)), "/dev/zero");
}

TEST(HelperReply, PicturesQtRefusesLeaveNoMappingBehind) {
    // Rows fit the memfd (sparse, so nothing is written), but the width times 32 bits is beyond
    // what a QImage takes: the mapping must not be leaked.
    const int before = mappedMemfds();
    ASSERT_GE(before, 0);
    const int width = INT_MAX / 16;
    const Reply huge = replyFor(width, 1, width * 4 + 4, QImage::Format_RGB32);
    for (int i = 0; i < 3; ++i)
        expectFailure(pictureFromReply(huge, memfdWith({}, off_t(width) * 4 + 4)), "too wide");
    EXPECT_EQ(mappedMemfds(), before);
}
