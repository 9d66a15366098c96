#include "components/decoders/helper_client.h"

#include "components/decoders/helper_protocol.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace decoders {

namespace {

constexpr int kPollSliceMs = 20;
// The helper's own libraries and heap before any picture: its memory watch allows this much
// above the decode budget.
constexpr std::int64_t kHelperBaseBytes = 256ll << 20;

QByteArray ownDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    QByteArray exe(buffer, n);
    return exe.left(exe.lastIndexOf('/'));
}

bool isExecutable(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.constData(), X_OK) == 0;
}

// Resident memory of a process in bytes, or 0 when it cannot be read.
std::int64_t residentBytes(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/statm", int(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[128] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    long size = 0, resident = 0;
    if (n <= 0 || std::sscanf(text, "%ld %ld", &size, &resident) != 2)
        return 0;
    return std::int64_t(resident) * ::sysconf(_SC_PAGESIZE);
}

class HelperProcess {
public:
    explicit HelperProcess(HelperKind kind) : kind_(kind) {}
    ~HelperProcess() { stop(); }

    Picture run(int fd, Format format, const DecodeOptions& options, bool factsOnly);
    pid_t pid() {
        std::lock_guard lock(mutex_);
        return pid_;
    }

private:
    bool start();
    void stop();
    Picture wait(const DecodeOptions& options, const Budget& budget);
    void answerOpenFile(const helper::Reply& ask);

    HelperKind kind_;
    std::mutex mutex_;
    pid_t pid_ = -1;
    int socket_ = -1;
};

bool HelperProcess::start() {
    const QByteArray program = helperProgramPath(kind_);
    if (program.isEmpty())
        return false;
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return false;
    // The helper finds its end of the socket at descriptor 3; dup2 clears close-on-exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 3);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    if (failed != 0) {
        ::close(pair[0]);
        return false;
    }
    pid_ = pid;
    socket_ = pair[0];
    return true;
}

void HelperProcess::stop() {
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
}

void HelperProcess::answerOpenFile(const helper::Reply& ask) {
    const QByteArray path(ask.text, qsizetype(strnlen(ask.text, sizeof ask.text)));
    int fd = -1;
    if (helperMayRead(path))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    helper::Request answer;
    answer.kind = helper::MessageKind::OpenFile;
    helper::sendMessage(socket_, &answer, sizeof answer, fd);
    if (fd >= 0)
        ::close(fd);
}

Picture HelperProcess::wait(const DecodeOptions& options, const Budget& budget) {
    DecodeWatch watch(options, budget);
    for (;;) {
        pollfd p{socket_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kPollSliceMs);
        if (ready < 0 && errno != EINTR) {
            stop();
            return failure(QStringLiteral("decoder helper lost"));
        }
        if (ready > 0) {
            helper::Reply reply;
            int memfd = -1;
            if (!helper::receiveMessage(socket_, &reply, sizeof reply, &memfd)) {
                // The helper died (a crash, or the kernel's memory or processor limit).
                stop();
                return failure(QStringLiteral("decoder helper stopped"));
            }
            if (reply.kind == helper::MessageKind::OpenFile) {
                if (memfd >= 0)
                    ::close(memfd);
                answerOpenFile(reply);
                continue;
            }
            return pictureFromReply(reply, memfd);
        }
        if (watch.expired()) {
            stop();
            return failure(QStringLiteral("decoding took too long"));
        }
        // Where the kernel's address-space limit is not set (sanitized builds), the helper's
        // resident memory is watched from here.
        if (residentBytes(pid_) > budget.memoryBytes + kHelperBaseBytes) {
            stop();
            return failure(QStringLiteral("picture needs too much memory"));
        }
    }
}

Picture HelperProcess::run(int fd, Format format, const DecodeOptions& options, bool factsOnly) {
    std::lock_guard lock(mutex_);
    const Budget budget = decodeBudget();
    helper::Request request;
    request.kind = factsOnly ? helper::MessageKind::Facts : helper::MessageKind::Decode;
    request.format = std::uint32_t(format);
    request.hintWidth = options.hint.width();
    request.hintHeight = options.hint.height();
    request.memoryBytes = budget.memoryBytes;
    request.seconds = budget.seconds;
    // A helper that died since the last call is found when the request cannot be sent: one
    // fresh start, then the request goes again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (pid_ <= 0 && !start())
            return failure(QStringLiteral("decoder helper not found"));
        if (::lseek(fd, 0, SEEK_SET) == 0 &&
            helper::sendMessage(socket_, &request, sizeof request, fd))
            return wait(options, budget);
        stop();
    }
    return failure(QStringLiteral("decoder helper does not start"));
}

// Two helpers of each kind: one reads headers, one decodes. A header read (on the UI thread,
// as a picture is selected) then never waits behind a decode running in the background.
HelperProcess& process(HelperKind kind, bool factsOnly = false) {
    static HelperProcess general(HelperKind::General);
    static HelperProcess emf(HelperKind::Emf);
    static HelperProcess modern(HelperKind::Modern);
    static HelperProcess generalFacts(HelperKind::General);
    static HelperProcess emfFacts(HelperKind::Emf);
    static HelperProcess modernFacts(HelperKind::Modern);
    if (factsOnly)
        return kind == HelperKind::Emf      ? emfFacts
               : kind == HelperKind::Modern ? modernFacts
                                            : generalFacts;
    return kind == HelperKind::Emf ? emf : kind == HelperKind::Modern ? modern : general;
}

} // namespace

Picture decodeInHelper(HelperKind kind, int fd, Format format, const DecodeOptions& options,
                       bool factsOnly) {
    if (kind == HelperKind::None)
        return failure(QStringLiteral("no helper for this format"));
    return process(kind, factsOnly).run(fd, format, options, factsOnly);
}

pid_t helperPid(HelperKind kind) {
    return kind == HelperKind::None ? -1 : process(kind).pid();
}

Picture pictureFromReply(const helper::Reply& reply, int memfd) {
    // Closes the memfd on every way out but the mapping's.
    struct Owned {
        int fd;
        ~Owned() {
            if (fd >= 0)
                ::close(fd);
        }
    } owned{memfd};
    if (reply.kind != helper::MessageKind::Result)
        return failure(QStringLiteral("decoder helper sent no result"));
    if (!reply.ok)
        return failure(
            QString::fromUtf8(reply.text, qsizetype(strnlen(reply.text, sizeof reply.text))));
    if (reply.width <= 0 || reply.height <= 0 || reply.bitsPerPixel < 0)
        return failure(QStringLiteral("decoder helper gave no size"));
    Picture picture;
    picture.width = reply.width;
    picture.height = reply.height;
    picture.bitsPerPixel = reply.bitsPerPixel;
    picture.animated = reply.animated != 0;
    if (memfd < 0)
        return picture;
    const QString noPixels = QStringLiteral("decoder helper gave no pixels");
    // Only the formats the helper sends; the number is compared before it becomes a Format.
    const int formatNumber = reply.imageFormat;
    const bool indexed =
        formatNumber == QImage::Format_Mono || formatNumber == QImage::Format_Indexed8;
    const bool direct = formatNumber == QImage::Format_RGB32 ||
                        formatNumber == QImage::Format_ARGB32 ||
                        formatNumber == QImage::Format_ARGB32_Premultiplied;
    // A 1- or 8-bit picture's colours follow its pixels; a 32-bit one has none.
    const bool coloursFit =
        indexed ? reply.colours > 0 && reply.colours <= 256 : direct && reply.colours == 0;
    if (!coloursFit || !sizeAcceptable(reply.imageWidth, reply.imageHeight) ||
        std::int64_t(reply.bytesPerLine) * 8 <
            std::int64_t(reply.imageWidth) * (formatNumber == QImage::Format_Mono ? 1
                                              : indexed                           ? 8
                                                                                  : 32))
        return failure(noPixels);
    const QImage::Format format = QImage::Format(formatNumber);
    const std::size_t pixelBytes = std::size_t(reply.bytesPerLine) * std::size_t(reply.imageHeight);
    const std::size_t bytes = pixelBytes + std::size_t(reply.colours) * sizeof(QRgb);
    // Only a memfd sealed against shrinking: the helper keeps its descriptor, and a memfd cut
    // short under the mapping would end this program with SIGBUS on the next read.
    const int seals = ::fcntl(memfd, F_GET_SEALS);
    struct stat info {};
    if (seals < 0 || !(seals & F_SEAL_SHRINK) || ::fstat(memfd, &info) != 0 ||
        !S_ISREG(info.st_mode) || info.st_size < 0 || std::size_t(info.st_size) < bytes)
        return failure(noPixels);
    void* pixels = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE, memfd, 0);
    if (pixels == MAP_FAILED)
        return failure(noPixels);
    QList<QRgb> colours(reply.colours);
    if (indexed)
        std::memcpy(colours.data(), static_cast<const char*>(pixels) + pixelBytes,
                    std::size_t(reply.colours) * sizeof(QRgb));
    // The picture shares the helper's pages (copied only where written to).
    struct Mapping {
        void* at;
        std::size_t size;
    };
    auto* mapping = new Mapping{pixels, bytes};
    picture.image = QImage(
        static_cast<uchar*>(pixels), reply.imageWidth, reply.imageHeight, reply.bytesPerLine,
        format,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            ::munmap(m->at, m->size);
            delete m;
        },
        mapping);
    if (picture.image.isNull()) {
        // A QImage refused never calls its clean-up.
        ::munmap(pixels, bytes);
        delete mapping;
        return failure(noPixels);
    }
    if (indexed)
        picture.image.setColorTable(colours);
    return picture;
}

QByteArray helperProgramPathFrom(const QByteArray& programDir, HelperKind kind) {
    const QByteArray name = helperProgramName(kind);
    if (name.isEmpty() || programDir.isEmpty())
        return {};
    for (const QByteArray& path :
         {programDir + "/../libexec/glimra/" + name, programDir + "/" + name})
        if (isExecutable(path))
            return path;
    return {};
}

QByteArray helperProgramPath(HelperKind kind) {
    const QByteArray found = helperProgramPathFrom(ownDirectory(), kind);
    if (!found.isEmpty() || kind == HelperKind::None)
        return found;
    const QByteArray built = QByteArray(GLIMRA_HELPER_BUILD_DIR "/") + helperProgramName(kind);
    return isExecutable(built) ? built : QByteArray();
}

bool helperMayRead(const QByteArray& path) {
    static const char* const allowed[] = {
        "/usr/share/fonts/",       "/usr/share/ghostscript/",   "/usr/share/libwmf/",
        "/usr/lib/GraphicsMagick", "/usr/share/GraphicsMagick", "/etc/fonts/",
        "/usr/share/fontconfig/",  "/var/cache/fontconfig/",    "/usr/local/share/fonts/",
    };
    char real[PATH_MAX];
    if (path.isEmpty() || !::realpath(path.constData(), real))
        return false;
    struct stat info {};
    if (::stat(real, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    for (const char* prefix : allowed)
        if (std::strncmp(real, prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

} // namespace decoders
