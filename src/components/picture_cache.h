// The decoded pictures kept for stepping: a memory-capped store keyed by the file's identity
// (device, inode, size, modification time) and the size the pixels were decoded for. A file
// that changes gets a new identity, so its old pixels are never found again.
//
// What the loader still wants (the pictures on screen and their neighbours in the list) is
// kept while it fits the cap; everything else is kept only within a small allowance, least
// recently used first out, so that memory held after stepping is what the neighbourhood needs.
// Not thread-safe: the loader guards it.
#pragma once

#include "components/decoders/picture.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <list>
#include <optional>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace components {

// Who a file is, as the file system says: a file written anew (other size or time) or another
// file at the same name is a different identity.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file open at fd; none for anything else.
std::optional<FileIdentity> identityOf(int fd);
// The same by path (symbolic links followed).
std::optional<FileIdentity> identityOf(const QByteArray& nativePath);

// A picture as decoded for one use: hint is the box it was fitted to (empty: full size).
struct PictureKey {
    FileIdentity file;
    QSize hint;

    bool operator==(const PictureKey&) const = default;
    bool fullSize() const { return hint.isEmpty(); }
};

// The cache's cap: GLIMRA_CACHE_MEMORY (bytes, or with K, M or G) when set and valid, else an
// eighth of physical memory, at most 1 GiB. Read anew on each call.
std::int64_t cacheCapacity();

// The memory a picture holds (its pixels; a failed decode counts a little).
std::int64_t pictureBytes(const decoders::Picture& picture);

class PictureCache {
public:
    // Pictures no longer wanted are kept within this many bytes.
    static constexpr std::int64_t kKeptUnwantedBytes = 4ll << 20;

    explicit PictureCache(std::int64_t capacity, std::int64_t keptUnwanted = kKeptUnwantedBytes);

    // The picture stored under key, marked as just used; null when there is none.
    const decoders::Picture* find(const PictureKey& key);
    // The full-size picture of a file, when one is stored.
    const decoders::Picture* findFullSize(const FileIdentity& file);

    // Stores the picture (replacing one under the same key), then makes room: unwanted pictures
    // go first, then the least recently used wanted ones. A picture larger than the cap is not
    // stored. Returns whether it was.
    bool insert(const PictureKey& key, decoders::Picture picture);

    // The keys the loader wants now; the others are trimmed to the allowance.
    void setWanted(std::vector<PictureKey> wanted);
    bool isWanted(const PictureKey& key) const;

    std::int64_t bytes() const { return bytes_; }
    std::int64_t capacity() const { return capacity_; }
    std::size_t count() const { return entries_.size(); }

    // The pixels of the pictures that left the cache since the last call: no longer counted,
    // but not yet freed, so that the caller chooses the thread that frees them.
    std::vector<QImage> takeEvicted() { return std::exchange(evicted_, {}); }

private:
    struct Entry {
        PictureKey key;
        decoders::Picture picture;
        std::int64_t bytes;
    };
    // Least recently used first.
    using Entries = std::list<Entry>;

    Entries::iterator locate(const PictureKey& key);
    Entries::iterator evict(Entries::iterator at);
    void trim(std::int64_t limit, std::int64_t unwantedLimit, const PictureKey* keep);

    std::int64_t capacity_;
    std::int64_t keptUnwanted_;
    std::int64_t bytes_ = 0;
    Entries entries_;
    std::vector<PictureKey> wanted_;
    std::vector<QImage> evicted_;
};

} // namespace components
