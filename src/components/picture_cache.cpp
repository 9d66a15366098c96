#include "components/picture_cache.h"

#include "components/decoders/budget.h"

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace components {

namespace {

constexpr std::int64_t kGiB = std::int64_t(1) << 30;
// What a failed decode is counted as: it is kept so a broken neighbour is not decoded again on
// every step.
constexpr std::int64_t kFailureBytes = 256;

std::optional<FileIdentity> identityFrom(const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, std::int64_t(info.st_size),
                        std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

} // namespace

std::optional<FileIdentity> identityOf(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return std::nullopt;
    return identityFrom(info);
}

std::optional<FileIdentity> identityOf(const QByteArray& nativePath) {
    struct stat info {};
    if (nativePath.isEmpty() || ::stat(nativePath.constData(), &info) != 0)
        return std::nullopt;
    return identityFrom(info);
}

std::int64_t cacheCapacity() {
    const std::int64_t set = decoders::parseMemoryAmount(std::getenv("GLIMRA_CACHE_MEMORY"));
    if (set > 0)
        return set;
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    const std::int64_t physical = pages > 0 && pageSize > 0 ? std::int64_t(pages) * pageSize : 0;
    return std::min(kGiB, physical / 8);
}

std::int64_t pictureBytes(const decoders::Picture& picture) {
    return picture.image.isNull() ? kFailureBytes : std::int64_t(picture.image.sizeInBytes());
}

PictureCache::PictureCache(std::int64_t capacity, std::int64_t keptUnwanted)
    : capacity_(std::max<std::int64_t>(capacity, 0)), keptUnwanted_(keptUnwanted) {}

PictureCache::Entries::iterator PictureCache::locate(const PictureKey& key) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&key](const Entry& e) { return e.key == key; });
}

const decoders::Picture* PictureCache::find(const PictureKey& key) {
    auto at = locate(key);
    if (at == entries_.end())
        return nullptr;
    entries_.splice(entries_.end(), entries_, at);
    return &entries_.back().picture;
}

const decoders::Picture* PictureCache::findFullSize(const FileIdentity& file) {
    return find(PictureKey{file, QSize()});
}

PictureCache::Entries::iterator PictureCache::evict(Entries::iterator at) {
    bytes_ -= at->bytes;
    if (!at->picture.image.isNull())
        evicted_.push_back(std::move(at->picture.image));
    return entries_.erase(at);
}

bool PictureCache::insert(const PictureKey& key, decoders::Picture picture) {
    if (auto old = locate(key); old != entries_.end())
        evict(old);
    const std::int64_t size = pictureBytes(picture);
    if (size > capacity_)
        return false;
    entries_.push_back(Entry{key, std::move(picture), size});
    bytes_ += size;
    trim(capacity_, keptUnwanted_, &entries_.back().key);
    return true;
}

void PictureCache::setWanted(std::vector<PictureKey> wanted) {
    wanted_ = std::move(wanted);
    trim(capacity_, keptUnwanted_, nullptr);
}

bool PictureCache::isWanted(const PictureKey& key) const {
    return std::find(wanted_.begin(), wanted_.end(), key) != wanted_.end();
}

void PictureCache::trim(std::int64_t limit, std::int64_t unwantedLimit, const PictureKey* keep) {
    std::int64_t unwanted = 0;
    for (const Entry& e : entries_)
        if (!isWanted(e.key))
            unwanted += e.bytes;
    // Unwanted pictures first, oldest first, down to their allowance and the cap.
    for (auto at = entries_.begin();
         at != entries_.end() && (unwanted > unwantedLimit || bytes_ > limit);) {
        if (isWanted(at->key)) {
            ++at;
            continue;
        }
        unwanted -= at->bytes;
        at = evict(at);
    }
    // Then wanted ones, when the neighbourhood alone is more than the cap; a picture just stored
    // for it stays.
    for (auto at = entries_.begin(); at != entries_.end() && bytes_ > limit;) {
        if (keep && at->key == *keep) {
            ++at;
            continue;
        }
        at = evict(at);
    }
}

} // namespace components
