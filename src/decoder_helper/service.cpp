// The decoder helper's main loop: one request at a time from the program over the socket at
// descriptor 3 (see components/decoders/helper_protocol.h). The file arrives open; the pixels
// go back in a memfd. Runs under an address-space and a processor-time limit set from the
// budget each request carries, inside the sandbox of sandbox.h. Ends when the program closes
// its end of the socket.
#include "components/decoders/budget.h"
#include "components/decoders/helper_protocol.h"
#include "decoder_helper/readers.h"
#include "decoder_helper/sandbox.h"

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using decoders::Format;
using decoders::Picture;
namespace helper = decoders::helper;

constexpr int kSocket = 3;
constexpr std::int64_t kMaxFileBytes = decoders::kMaxPixels * 4 + 65536;

// The helper's own size before any picture, the base of its address-space limit.
std::int64_t baseAddressSpace = 0;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

std::int64_t addressSpaceNow() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    long pages = 0;
    if (f) {
        if (std::fscanf(f, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    return std::int64_t(pages) * ::sysconf(_SC_PAGESIZE);
}

// The kernel's limits for one request: address space for the budget (AddressSanitizer's
// shadow memory cannot live under such a limit: there the program watches the helper's
// resident memory instead), and processor time a little past the time budget (the program
// kills on the wall clock first; this catches a helper the program no longer watches).
void applyLimits(const helper::Request& request) {
    if (!kAddressSanitizer && request.memoryBytes > 0) {
        const rlim_t bytes = rlim_t(baseAddressSpace + request.memoryBytes + (256ll << 20));
        const rlimit as{bytes, RLIM_INFINITY};
        ::setrlimit(RLIMIT_AS, &as);
    }
    rusage used{};
    ::getrusage(RUSAGE_SELF, &used);
    const double seconds = double(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                           std::max(1.0, request.seconds) * 2 + 1;
    const rlimit cpu{rlim_t(seconds), RLIM_INFINITY};
    ::setrlimit(RLIMIT_CPU, &cpu);
}

// The file's bytes, mapped rather than read where the file system allows it: a reader then
// costs the pages it touches, not the file's size (the facts of a 50 MB camera file read its
// header; its preview, the embedded JPEG). Private pages: a reader that writes changes only its
// copy. A file cut short while mapped kills the helper (SIGBUS), which the program takes as an
// unreadable file, like any crash here.
class FileBytes {
public:
    explicit FileBytes(int fd);
    ~FileBytes() {
        if (mapped_ != MAP_FAILED)
            ::munmap(mapped_, size_);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    const QByteArray& bytes() const { return bytes_; }

private:
    void* mapped_ = MAP_FAILED;
    std::size_t size_ = 0;
    QByteArray bytes_;
};

QByteArray readWhole(int fd, std::int64_t size) {
    QByteArray bytes;
    bytes.resize(qsizetype(size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, std::size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

FileBytes::FileBytes(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes ||
        info.st_size == 0)
        return;
    size_ = std::size_t(info.st_size);
    mapped_ = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    if (mapped_ != MAP_FAILED)
        bytes_ = QByteArray::fromRawData(static_cast<const char*>(mapped_), qsizetype(size_));
    else
        bytes_ = readWhole(fd, info.st_size);
}

// Test-only triggers, active when GLIMRA_DECODER_TEST_HOOKS=1 was set for the program: a file
// starting with one of these words crashes the helper, hangs it, makes it take memory without
// end, or tries what the sandbox forbids (opening a path, starting a program), so tests can
// check that the program survives each and the sandbox holds. Returns the answer of a hook
// that answers, else an empty text.
QString runTestHook(const QByteArray& bytes) {
    static const bool enabled = qgetenv("GLIMRA_DECODER_TEST_HOOKS") == "1";
    if (!enabled || !bytes.startsWith("GLIMRA-TEST-"))
        return {};
    if (bytes.startsWith("GLIMRA-TEST-OPEN ")) {
        const QByteArray path = bytes.mid(17).split('\n').first();
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        char first = 0;
        const bool read = fd >= 0 && ::read(fd, &first, 1) == 1;
        if (fd >= 0)
            ::close(fd);
        return read ? QStringLiteral("opened") : QStringLiteral("refused");
    }
    if (bytes.startsWith("GLIMRA-TEST-EXEC")) {
        char* argv[] = {const_cast<char*>("/bin/true"), nullptr};
        ::execv("/bin/true", argv);
        return QStringLiteral("exec refused");
    }
    if (bytes.startsWith("GLIMRA-TEST-CRASH"))
        std::raise(SIGSEGV);
    if (bytes.startsWith("GLIMRA-TEST-HANG"))
        for (;;)
            asm volatile("" ::: "memory");
    if (bytes.startsWith("GLIMRA-TEST-HOG"))
        for (;;) {
            auto* block = static_cast<char*>(std::malloc(16 << 20));
            if (!block)
                std::abort();
            std::memset(block, 1, 16 << 20);
        }
    return {};
}

void reply(const helper::Reply& r, int fd) {
    helper::sendMessage(kSocket, &r, sizeof r, fd);
}

void replyFailure(const QString& why) {
    helper::Reply r;
    r.ok = 0;
    std::strncpy(r.text, why.toUtf8().constData(), sizeof r.text - 1);
    reply(r, -1);
}

void serve(const helper::Request& request, int fd) {
    applyLimits(request);
    // The readers' own checks follow the program's budget of now, not that of the environment
    // this helper was started with.
    decoders::useRequestBudget(decoders::Budget{request.memoryBytes, request.seconds});
    const FileBytes file(fd);
    ::close(fd);
    const QByteArray& bytes = file.bytes();
    if (bytes.isEmpty())
        return replyFailure(QStringLiteral("empty or unreadable file"));
    const QString hooked = runTestHook(bytes);
    if (!hooked.isEmpty())
        return replyFailure(hooked);
    const bool factsOnly = request.kind == helper::MessageKind::Facts;
    Picture p;
    try {
        p = decoder_helper::readInHelper(bytes, Format(request.format),
                                         QSize(request.hintWidth, request.hintHeight), factsOnly);
    } catch (const std::bad_alloc&) {
        return replyFailure(QStringLiteral("picture needs too much memory"));
    }
    if (!p.error.isEmpty() || p.width <= 0 || p.height <= 0 || (!factsOnly && p.image.isNull()))
        return replyFailure(p.error);
    helper::Reply r;
    r.ok = 1;
    r.width = p.width;
    r.height = p.height;
    r.bitsPerPixel = p.bitsPerPixel;
    r.animated = p.animated ? 1 : 0;
    if (factsOnly)
        return reply(r, -1);
    QImage image = std::move(p.image);
    // 1- and 8-bit pictures go as they are, with their colours after the pixels: a 20000 x
    // 20000 one-bit picture is 50 MB, not 1.6 GB of 32-bit pixels.
    const bool indexed =
        (image.format() == QImage::Format_Mono || image.format() == QImage::Format_Indexed8) &&
        !image.colorTable().isEmpty() && image.colorTable().size() <= 256;
    if (!indexed && image.format() != QImage::Format_RGB32 &&
        image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
    const QList<QRgb> colours = indexed ? image.colorTable() : QList<QRgb>();
    const std::size_t pixelBytes = std::size_t(image.sizeInBytes());
    const std::size_t size = pixelBytes + std::size_t(colours.size()) * sizeof(QRgb);
    const int memfd = ::memfd_create("glimra-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    void* at = MAP_FAILED;
    if (memfd >= 0 && ::ftruncate(memfd, off_t(size)) == 0)
        at = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memfd, 0);
    if (at == MAP_FAILED) {
        if (memfd >= 0)
            ::close(memfd);
        return replyFailure(QStringLiteral("out of memory"));
    }
    std::memcpy(at, image.constBits(), pixelBytes);
    if (!colours.isEmpty())
        std::memcpy(static_cast<char*>(at) + pixelBytes, colours.constData(),
                    std::size_t(colours.size()) * sizeof(QRgb));
    ::munmap(at, size);
    // The program maps only a memfd that can no longer shrink under its pixels.
    if (::fcntl(memfd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        ::close(memfd);
        return replyFailure(QStringLiteral("cannot seal the pixels"));
    }
    r.imageWidth = image.width();
    r.imageHeight = image.height();
    r.bytesPerLine = int(image.bytesPerLine());
    r.imageFormat = int(image.format());
    r.colours = int(colours.size());
    reply(r, memfd);
    ::close(memfd);
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    decoder_helper::prepareReaders(argc, argv);
    baseAddressSpace = addressSpaceNow();
    decoder_helper::enterSandbox(kSocket);
    for (;;) {
        helper::Request request;
        int fd = -1;
        if (!helper::receiveMessage(kSocket, &request, sizeof request, &fd))
            return 0; // the program has gone (or sent garbage)
        if (fd < 0 || (request.kind != helper::MessageKind::Decode &&
                       request.kind != helper::MessageKind::Facts)) {
            if (fd >= 0)
                ::close(fd);
            replyFailure(QStringLiteral("bad request"));
            continue;
        }
        serve(request, fd);
    }
}
