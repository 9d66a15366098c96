#include "components/picture_loader.h"

#include "components/decoders/decode.h"
#include "components/image_box_geometry.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <iterator>
#include <malloc.h>
#include <unistd.h>
#include <utility>

namespace components {

namespace {

// A descriptor the loader owns.
class OwnedFd {
public:
    OwnedFd() = default;
    explicit OwnedFd(int fd) : fd_(fd) {}
    OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OwnedFd& operator=(OwnedFd&& other) noexcept {
        reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~OwnedFd() { reset(); }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }
    OwnedFd duplicate() const { return OwnedFd(fd_ >= 0 ? ::fcntl(fd_, F_DUPFD_CLOEXEC, 0) : -1); }

private:
    int fd_ = -1;
};

decoders::Picture decodeWithLibrary(int fd, const QByteArray& name,
                                    const decoders::DecodeOptions& options) {
    return decoders::decodeOpenFile(fd, name, options);
}

// Large decode buffers (a progressive JPEG's coefficients, a PNG's rows) are handed back to the
// system once freed: blocks from 4 MiB up are mapped on their own instead of the allocator
// raising its threshold and keeping them, and every arena is trimmed once the stepping pauses.
void returnFreedMemoryFromNowOn() {
    static const bool set = [] {
        ::mallopt(M_MMAP_THRESHOLD, 4 << 20);
        return true;
    }();
    (void)set;
}

PictureLoader* sharedLoader = nullptr;

void destroySharedLoader() {
    delete sharedLoader;
    sharedLoader = nullptr;
}

} // namespace

std::vector<int> rowsAhead(int current, int count, int direction) {
    std::vector<int> rows;
    if (current < 0 || current >= count)
        return rows;
    const int d = direction < 0 ? -1 : 1;
    for (int row : {current + d, current - d, current + 2 * d})
        if (row >= 0 && row < count)
            rows.push_back(row);
    return rows;
}

decoders::Picture fittedTo(const decoders::Picture& decoded, QSize hint) {
    if (decoded.image.isNull() || hint.isEmpty())
        return decoded;
    const QSize target = fitInBox(QSize(decoded.width, decoded.height), hint);
    if (target.isEmpty() || decoded.image.size() == target)
        return decoded;
    decoders::Picture fitted = decoded;
    QImage image = decoded.image;
    if (image.width() > target.width() && image.height() > target.height()) {
        // Whole blocks first (cheap, and through the palette for 1- and 8-bit pictures), then
        // the smooth scaling the box would otherwise do on every paint.
        const int r = decoders::reductionFor(image.size(), target);
        if (r > 1)
            image = decoders::shrinkByBlocks(image, r);
    }
    if (image.size() != target && image.width() >= target.width())
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    fitted.image = image;
    return fitted;
}

// A box and the picture it waits for (deliver set) or shows: both are wanted.
struct PictureLoader::Owner {
    const void* id;
    PictureKey key;
    OwnedFd fd;
    QByteArray path;
    Delivery deliver;

    bool waiting() const { return bool(deliver); }
    void delivered() {
        deliver = nullptr;
        fd.reset();
    }
};

struct PictureLoader::Job {
    FileIdentity file;
    QByteArray path;
    OwnedFd fd; // when an owner handed one over; else the path is opened
    std::vector<QSize> hints;
    int priority = 0;
    std::atomic<bool> cancel{false};

    bool wants(QSize hint) const {
        return std::find(hints.begin(), hints.end(), hint) != hints.end();
    }
};

PictureLoader::PictureLoader(std::int64_t capacity, int workers)
    : capacity_(capacity), cache_(capacity), decoder_(decodeWithLibrary) {
    returnFreedMemoryFromNowOn();
    for (int i = 0; i < std::max(1, workers); ++i)
        workers_.emplace_back([this] { work(); });
    disposer_ = std::thread([this] { disposeAll(); });
}

PictureLoader::~PictureLoader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (auto& job : running_)
            job->cancel = true;
        queue_.clear();
    }
    workToDo_.notify_all();
    disposalsToDo_.notify_all();
    for (std::thread& t : workers_)
        t.join();
    disposer_.join();
}

PictureLoader& PictureLoader::shared() {
    if (!sharedLoader) {
        sharedLoader = new PictureLoader();
        // Gone with the application object, before the decoders' own statics are.
        qAddPostRoutine(destroySharedLoader);
    }
    return *sharedLoader;
}

std::optional<decoders::Picture> PictureLoader::cached(const PictureKey& key) {
    std::lock_guard lock(mutex_);
    if (const decoders::Picture* p = cache_.find(key))
        return *p;
    return std::nullopt;
}

std::optional<decoders::Picture> PictureLoader::cachedFullSize(const FileIdentity& file) {
    return cached(PictureKey{file, QSize()});
}

bool PictureLoader::idle() {
    std::lock_guard lock(mutex_);
    return queue_.empty() && running_.empty();
}

std::int64_t PictureLoader::cacheBytes() {
    std::lock_guard lock(mutex_);
    return cache_.bytes();
}

void PictureLoader::request(const void* owner, const PictureKey& key, int fd,
                            const QByteArray& nativePath, Delivery deliver) {
    std::erase_if(owners_, [owner](const Owner& o) { return o.id == owner; });
    Owner o{owner, key, OwnedFd(fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1), nativePath,
            std::move(deliver)};
    // The newest request is the most wanted.
    owners_.insert(owners_.begin(), std::move(o));
    reconcile();
}

void PictureLoader::shown(const void* owner, const PictureKey& key) {
    std::erase_if(owners_, [owner](const Owner& o) { return o.id == owner; });
    owners_.insert(owners_.begin(), Owner{owner, key, OwnedFd(), QByteArray(), nullptr});
    reconcile();
}

void PictureLoader::release(const void* owner) {
    std::erase_if(owners_, [owner](const Owner& o) { return o.id == owner; });
    reconcile();
}

void PictureLoader::setNeighbourSource(NeighbourSource source) {
    neighbours_ = std::move(source);
    reconcile();
}

void PictureLoader::neighboursChanged() {
    reconcile();
}

void PictureLoader::setDecoder(Decoder decoder) {
    std::lock_guard lock(mutex_);
    decoder_ = decoder ? std::move(decoder) : Decoder(decodeWithLibrary);
}

void PictureLoader::discard(QImage image) {
    if (image.isNull())
        return;
    {
        std::lock_guard lock(mutex_);
        disposals_.push_back(std::move(image));
    }
    disposalsToDo_.notify_one();
}

void PictureLoader::disposeEvicted() {
    std::vector<QImage> evicted = cache_.takeEvicted();
    if (evicted.empty())
        return;
    std::move(evicted.begin(), evicted.end(), std::back_inserter(disposals_));
    disposalsToDo_.notify_one();
}

void PictureLoader::disposeAll() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto toDo = [this] { return stopping_ || !disposals_.empty(); };
        if (trimPending_)
            disposalsToDo_.wait_until(lock, lastActivity_ + kTrimAfterIdle, toDo);
        else
            disposalsToDo_.wait(lock, toDo);
        std::vector<QImage> images = std::exchange(disposals_, {});
        lock.unlock();
        images.clear(); // the unmapping, outside the lock
        lock.lock();
        if (stopping_ && disposals_.empty())
            return;
        if (trimPending_ && queue_.empty() && running_.empty() &&
            std::chrono::steady_clock::now() >= lastActivity_ + kTrimAfterIdle) {
            trimPending_ = false;
            lock.unlock();
            ::malloc_trim(0);
            lock.lock();
        }
    }
}

void PictureLoader::reconcile() {
    struct Want {
        PictureKey key;
        const QByteArray* path;
        const Owner* owner;
        int priority;
    };
    std::vector<Want> wants;
    std::vector<DecodeAhead> ahead;
    if (neighbours_)
        ahead = neighbours_();
    int priority = 0;
    for (const Owner& o : owners_)
        wants.push_back({o.key, &o.path, &o, priority++});
    // Pictures on screen are only kept; the ones awaited are decoded.
    const auto decode = [](const Want& w) { return !w.owner || w.owner->waiting(); };
    for (const DecodeAhead& item : ahead)
        if (const auto file = identityOf(item.nativePath))
            wants.push_back({PictureKey{*file, item.hint}, &item.nativePath, nullptr, priority++});

    bool deliverNow = false;
    {
        std::lock_guard lock(mutex_);
        lastActivity_ = std::chrono::steady_clock::now();
        std::vector<PictureKey> keys;
        keys.reserve(wants.size());
        for (const Want& w : wants)
            keys.push_back(w.key);
        cache_.setWanted(keys);
        disposeEvicted();
        std::erase_if(unkept_, [&keys](const PictureKey& k) {
            return std::find(keys.begin(), keys.end(), k) == keys.end();
        });

        const auto wanted = [&keys](const FileIdentity& file, QSize hint) {
            return std::find(keys.begin(), keys.end(), PictureKey{file, hint}) != keys.end();
        };
        // Queued decodes keep only the sizes still wanted; those left with none are dropped.
        for (auto& job : queue_) {
            std::erase_if(job->hints, [&](QSize h) { return !wanted(job->file, h); });
            job->priority = priority;
        }
        std::erase_if(queue_, [](const auto& job) { return job->hints.empty(); });
        // Running decodes of files nobody wants any more stop.
        for (auto& job : running_)
            if (std::none_of(job->hints.begin(), job->hints.end(),
                             [&](QSize h) { return wanted(job->file, h); }))
                job->cancel = true;

        for (const Want& w : wants) {
            if (!decode(w))
                continue;
            // A picture too large for the cache is decoded when a box waits for it, never
            // ahead again and again only to be thrown away.
            if (!w.owner && std::find(unkept_.begin(), unkept_.end(), w.key) != unkept_.end())
                continue;
            const bool isReady = std::any_of(ready_.begin(), ready_.end(),
                                             [&w](const auto& r) { return r.first == w.key; });
            if (isReady)
                continue;
            if (const decoders::Picture* p = cache_.find(w.key)) {
                // Decoded meanwhile: the owner gets it through the usual delivery.
                if (w.owner) {
                    ready_.emplace_back(w.key, *p);
                    deliverNow = true;
                }
                continue;
            }
            const auto same = [&w](const auto& job) {
                return job->file == w.key.file && !job->cancel;
            };
            const auto running = std::find_if(running_.begin(), running_.end(), same);
            if (running != running_.end() && (*running)->wants(w.key.hint))
                continue;
            auto queued = std::find_if(queue_.begin(), queue_.end(), same);
            if (queued == queue_.end()) {
                auto job = std::make_shared<Job>();
                job->file = w.key.file;
                job->path = *w.path;
                if (w.owner)
                    job->fd = w.owner->fd.duplicate();
                queue_.push_back(job);
                queued = queue_.end() - 1;
            }
            Job& job = **queued;
            if (!job.wants(w.key.hint))
                job.hints.push_back(w.key.hint);
            if (job.fd.get() < 0 && w.owner)
                job.fd = w.owner->fd.duplicate();
            job.priority = std::min(job.priority, w.priority);
        }
        std::stable_sort(queue_.begin(), queue_.end(),
                         [](const auto& a, const auto& b) { return a->priority < b->priority; });
    }
    workToDo_.notify_all();
    if (deliverNow)
        QMetaObject::invokeMethod(this, &PictureLoader::deliverReady, Qt::QueuedConnection);
}

void PictureLoader::work() {
    for (;;) {
        std::shared_ptr<Job> job;
        Decoder decoder;
        {
            std::unique_lock lock(mutex_);
            workToDo_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = queue_.front();
            queue_.erase(queue_.begin());
            running_.push_back(job);
            decoder = decoder_;
        }
        runJob(*job, decoder);
        {
            std::lock_guard lock(mutex_);
            std::erase(running_, job);
            trimPending_ = true;
            lastActivity_ = std::chrono::steady_clock::now();
        }
        jobDone_.notify_all();
        disposalsToDo_.notify_one();
    }
}

void PictureLoader::runJob(Job& job, const Decoder& decoder) {
    const bool wantFull = job.wants(QSize());
    std::optional<decoders::Picture> full;
    if (!wantFull) {
        // A full-size picture already decoded gives the preview without another decode.
        std::lock_guard lock(mutex_);
        if (const decoders::Picture* p = cache_.findFullSize(job.file))
            full = *p;
    }
    decoders::Picture decoded;
    if (full) {
        decoded = *full;
    } else {
        OwnedFd fd = job.fd.get() >= 0
                         ? std::move(job.fd)
                         : OwnedFd(::open(job.path.constData(),
                                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        // A file that is gone, or changed since it was named, shows as unreadable now; its
        // new content is decoded when it is named again.
        if (fd.get() < 0 || identityOf(fd.get()) != job.file) {
            deliverFailure(job);
            return;
        }
        decoders::DecodeOptions options;
        if (!wantFull) {
            for (QSize h : job.hints)
                options.hint = options.hint.expandedTo(h);
        }
        options.cancel = &job.cancel;
        ++started_;
        decoded = decoder(fd.get(), job.path, options);
    }
    std::vector<std::pair<PictureKey, decoders::Picture>> results;
    if (!job.cancel)
        for (QSize h : job.hints)
            results.emplace_back(PictureKey{job.file, h},
                                 h.isEmpty() ? decoded : fittedTo(decoded, h));
    decoded = {};
    full.reset();
    {
        std::lock_guard lock(mutex_);
        if (job.cancel) {
            ++cancelled_;
            return;
        }
        for (auto& [key, picture] : results) {
            if (!cache_.insert(key, picture))
                unkept_.push_back(key);
            ready_.emplace_back(key, std::move(picture));
        }
        disposeEvicted();
    }
    QMetaObject::invokeMethod(this, &PictureLoader::deliverReady, Qt::QueuedConnection);
}

void PictureLoader::deliverFailure(const Job& job) {
    {
        std::lock_guard lock(mutex_);
        for (QSize h : job.hints)
            ready_.emplace_back(PictureKey{job.file, h},
                                decoders::failure(QStringLiteral("file changed")));
    }
    QMetaObject::invokeMethod(this, &PictureLoader::deliverReady, Qt::QueuedConnection);
}

void PictureLoader::deliverReady() {
    std::vector<std::pair<PictureKey, decoders::Picture>> ready;
    {
        std::lock_guard lock(mutex_);
        ready.swap(ready_);
    }
    for (auto& [readyKey, picture] : ready) {
        // A lambda may not capture a structured binding in every compiler (clang 14).
        const PictureKey& key = readyKey;
        const auto waiting = [&key](const Owner& o) { return o.key == key && o.waiting(); };
        for (auto owner = std::find_if(owners_.begin(), owners_.end(), waiting);
             owner != owners_.end();
             owner = std::find_if(owners_.begin(), owners_.end(), waiting)) {
            Delivery deliver = std::move(owner->deliver);
            owner->delivered();
            deliver(picture);
        }
        discard(std::move(picture.image));
    }
}

std::optional<decoders::Picture> PictureLoader::waitFor(const void* owner, int timeoutMs) {
    auto o = std::find_if(owners_.begin(), owners_.end(),
                          [owner](const Owner& x) { return x.id == owner; });
    if (o == owners_.end() || !o->waiting())
        return std::nullopt;
    const PictureKey key = o->key;
    std::optional<decoders::Picture> found;
    {
        std::unique_lock lock(mutex_);
        const auto look = [&] {
            for (const auto& [k, picture] : ready_)
                if (k == key)
                    found = picture;
            if (!found)
                if (const decoders::Picture* p = cache_.find(key))
                    found = *p;
            return found.has_value();
        };
        jobDone_.wait_for(lock, std::chrono::milliseconds(timeoutMs), look);
        // Handed over here: unless another owner still waits for the same picture, it leaves
        // the delivery list, or a later request for the file would take it for decoded
        // and a caller that never runs the event loop would keep it forever.
        const bool othersWait = std::any_of(owners_.begin(), owners_.end(), [&](const Owner& x) {
            return x.id != owner && x.key == key && x.waiting();
        });
        if (found && !othersWait)
            std::erase_if(ready_, [&key](const auto& r) { return r.first == key; });
    }
    if (found)
        for (Owner& x : owners_)
            if (x.id == owner)
                x.delivered();
    return found;
}

} // namespace components
