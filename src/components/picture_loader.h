// components::PictureLoader: decodes pictures off the UI thread, ahead of need, into a capped
// PictureCache. No widgets here; the image box asks it for pixels, the browser tells it which
// neighbours to decode ahead.
//
// What the loader wants at any moment is the pictures its owners (the image boxes) show or are
// waiting for, then the neighbours its neighbour source names, in that order. Each request and each
// change of neighbours re-reads that list: decodes of pictures no longer in it are dropped from
// the queue or cancelled while they run, and the cache trims what nobody wants. One decode
// serves every size wanted of a file: a full-size decode gives the preview too, scaled from the
// same pixels.
//
// Threads: the public functions are for the UI thread (the thread that made the loader);
// deliveries come there too, through its event loop, or at once through waitFor.
#pragma once

#include "components/decoders/budget.h"
#include "components/decoders/picture.h"
#include "components/picture_cache.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace components {

// A picture to decode ahead: a file of the list, and the box it will be shown in (empty: at
// full size).
struct DecodeAhead {
    QByteArray nativePath;
    QSize hint;
};

// The rows to decode ahead of `current` in a list of `count` rows, most wanted first: the next
// row in the direction of travel (+1 down, -1 up), the row behind, then the second row ahead.
std::vector<int> rowsAhead(int current, int count, int direction);

// A decoded picture fitted to a box of hint: its pixels shrunk smoothly to the size the box
// shows it at, its facts unchanged. A picture that already fits is returned as it is.
decoders::Picture fittedTo(const decoders::Picture& decoded, QSize hint);

class PictureLoader : public QObject {
    Q_OBJECT
public:
    // Called on the UI thread with the picture an owner asked for (a failed one when the file
    // could not be decoded).
    using Delivery = std::function<void(const decoders::Picture&)>;
    // How a file open at fd is decoded; a seam for tests (slow or failing decoders).
    using Decoder = std::function<decoders::Picture(int fd, const QByteArray& nativePath,
                                                    const decoders::DecodeOptions& options)>;
    // The pictures to decode ahead now, most wanted first.
    using NeighbourSource = std::function<std::vector<DecodeAhead>()>;

    explicit PictureLoader(std::int64_t capacity = cacheCapacity(), int workers = 2);
    ~PictureLoader() override;

    // The loader the image boxes share; it lives until the application object goes.
    static PictureLoader& shared();

    // The picture stored under key, if any.
    std::optional<decoders::Picture> cached(const PictureKey& key);
    // A full-size picture of the file, if one is stored.
    std::optional<decoders::Picture> cachedFullSize(const FileIdentity& file);

    // The owner now waits for key, from the file open at fd (the loader keeps its own copy of
    // the descriptor, so the pixels come from the file the facts were read from). It replaces
    // the owner's previous request. deliver runs once, on the UI thread, unless the owner
    // makes another request or is released first.
    void request(const void* owner, const PictureKey& key, int fd, const QByteArray& nativePath,
                 Delivery deliver);
    // The owner shows the picture of key, found decoded: it stays wanted while shown (a
    // delivered picture stays wanted the same way). The neighbours are read again.
    void shown(const void* owner, const PictureKey& key);
    // The owner shows and waits for nothing (the box is empty, or going away).
    void release(const void* owner);
    // Blocks until the owner's picture is decoded or timeoutMs passes, without running the
    // event loop; the picture is then handed over here instead of through its delivery.
    std::optional<decoders::Picture> waitFor(const void* owner, int timeoutMs);

    // Where the neighbours come from; read again on every request and neighboursChanged().
    void setNeighbourSource(NeighbourSource source);
    void neighboursChanged();

    // The decoder for every decode from now on; an empty one restores decoders::decodeOpenFile.
    void setDecoder(Decoder decoder);

    // Lets go of pixels on a thread of the loader's: unmapping a large picture takes
    // milliseconds the UI thread should not spend. Pictures leaving the cache go the same way.
    void discard(QImage image);

    // Whether no decode is queued or running.
    bool idle();
    std::int64_t cacheBytes();
    std::int64_t capacity() const { return capacity_; }
    // How many decodes have been started, and how many of them were cancelled.
    int decodesStarted() const { return started_.load(); }
    int decodesCancelled() const { return cancelled_.load(); }

private:
    struct Job;
    struct Owner;

    void reconcile();
    void work();
    void runJob(Job& job, const Decoder& decoder);
    void deliverFailure(const Job& job);
    void deliverReady();
    // With the mutex held: what left the cache goes to the disposer.
    void disposeEvicted();
    // The disposer's thread: lets go of pixels, and trims the allocator once the stepping pauses.
    void disposeAll();

    const std::int64_t capacity_;
    std::mutex mutex_;
    std::condition_variable workToDo_;
    std::condition_variable jobDone_;
    PictureCache cache_;
    std::vector<std::shared_ptr<Job>> queue_;                     // most wanted first
    std::vector<std::shared_ptr<Job>> running_;                   //
    std::vector<std::pair<PictureKey, decoders::Picture>> ready_; // decoded, not yet delivered
    std::vector<QImage> disposals_;                               // pixels to let go of
    // The decoders' freed buffers go back to the system (malloc_trim) once nothing was asked
    // for and nothing decoded for kTrimAfterIdle: trimming locks the allocator for milliseconds,
    // which a step that paints meanwhile would wait for.
    static constexpr std::chrono::milliseconds kTrimAfterIdle{500};
    bool trimPending_ = false;
    std::chrono::steady_clock::time_point lastActivity_;
    std::vector<PictureKey> unkept_; // decoded, but larger than the cache: not decoded ahead again
    std::condition_variable disposalsToDo_;
    Decoder decoder_;
    bool stopping_ = false;

    // UI thread only.
    std::vector<Owner> owners_;
    NeighbourSource neighbours_;

    std::atomic<int> started_{0};
    std::atomic<int> cancelled_{0};
    std::vector<std::thread> workers_;
    std::thread disposer_;
};

} // namespace components
