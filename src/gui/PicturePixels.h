#pragma once
// Pixels of the drawings shown on screen. The window's thread never replays a drawing's vectors
// for a screen: worker threads rasterise each drawing at the size it is shown (in device pixels),
// and a paint copies those pixels. Until they are made, the pixels of another size (a zoom or a
// resize ago), scaled, stand in; else the drawing's frame. Printing and PDF keep replaying the
// vectors (DisplayList::Replay), exact at any resolution.
//
// Pixels are kept by drawing and size, the latest used first, within a byte budget of their own
// (beside the drawings' cache, EnhancedMetafile.h). A raster job has a processor-time limit of its
// own, checked between drawing commands: a drawing that passes it is kept as refused at that size,
// and its frame with the reason stands in.
//
// The workers (a lane of the picture path's pool, PictureJob.h) take the latest asked first. The
// GUI thread is told (JobNotifier::Ended) once for any number of jobs ended since it last was; a
// JobWaiter calls its owner back then. Jobs only its waiter waited for are dropped when it goes (a
// view closed), unless running.
//
// What the workers share with the window's thread is the drawing, immutable (DisplayList.h), and
// the cache under its mutex; a job's pixels are its own until kept, then immutable too. A kept
// entry does not hold its drawing: the drawings' cache counts them, and an entry whose drawing has
// gone is dropped when next looked at.
#include "gui/PictureJob.h"
#include "platform/PictureLimits.h"

#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QRect>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class QPainter;
class QRectF;

namespace platform {

class DisplayList;

constexpr int kRasterWorkers = 3;

// One drawing at one size (PictureJob.h): ended once its pixels (or its refusal) are kept, or
// dropped unbegun.
class RasterJob : public PictureJob {
private:
    friend class PicturePixels;
    std::shared_ptr<const DisplayList> drawing_;
    double unitsWidth_ = 0;
    double unitsHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::uint64_t rank_ = 0;   // under the cache's mutex: its place in the queue while Queued
    std::size_t waiters_ = 0; // under the cache's mutex: the waiters waiting for it
};

class PicturePixels : public JobSource {
public:
    // Draws the drawing onto a raster's painter, asking `goOn` between commands; whether all of it
    // was drawn. Anything it throws refuses the job with the reason (tests throw).
    using Rasteriser =
        std::function<bool(const DisplayList& drawing, QPainter& painter, const std::function<bool()>& goOn)>;
    PicturePixels(std::size_t budget, int timeoutMs, int workers = kRasterWorkers, Rasteriser rasterise = {});
    // Stops first.
    ~PicturePixels();
    PicturePixels(const PicturePixels&) = delete;
    PicturePixels& operator=(const PicturePixels&) = delete;

    // Draws `drawing` (of width × height units) into `place`, in the painter's coordinates, from
    // its pixels at the size `place` covers on the device; when they are not made yet, asks the
    // workers for them, `waiter` (the view's, if any) waiting for them, and draws what stands in.
    // True when the pixels of that size were drawn.
    bool Draw(QPainter& painter, const std::shared_ptr<const DisplayList>& drawing, double width, double height,
              const QRectF& place, JobWaiter* waiter = nullptr);

    // The bytes of pixels kept; jobs asked whose end has not been told yet; rasters made (tests).
    std::size_t HeldBytes() const;
    std::size_t Pending() const;
    std::size_t Rasters() const { return rasters_.load(std::memory_order_relaxed); }
    // Drops the queued jobs, ends the running ones at their next command and waits for them.
    void Stop();

    // Why a drawing is not shown, as its frame says it: over the time limit, or its raster out of
    // memory, or anything else its replay threw.
    static QString TimeoutText();
    static QString MemoryText();
    static QString FailureText();

private:
    struct Key {
        const DisplayList* Drawing;
        int Width;
        int Height;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const
        {
            return std::hash<const void*>{}(key.Drawing) ^ (std::size_t(key.Width) * 0x9E3779B97F4A7C15ull) ^
                   (std::size_t(key.Height) << 20);
        }
    };
    // Pixels made, premultiplied.
    struct Raster {
        QImage Pixels;
    };
    // Puts the pixels on the device pixels `shown` through the painter, unscaled, where the painter
    // maps device pixels one for one; false, drawing nothing, elsewhere.
    static bool Copy(QPainter& painter, const QRect& shown, const Raster& raster);
    struct Entry {
        Key At;
        // Not held: the key's address is the drawing's while this one lives (an entry whose
        // drawing has gone, or whose address another has taken, is stale).
        std::weak_ptr<const DisplayList> Drawing;
        std::shared_ptr<const Raster> Made; // null: refused
        QString Reason;                     // why refused
        std::size_t Cost = 0;
    };

    // The entry of `key` for `drawing`, made the latest used; null when none (a stale one is
    // dropped). Under mutex_.
    const Entry* Lookup(const Key& key, const std::shared_ptr<const DisplayList>& drawing);
    // The latest pixels made of the drawing at any size. Under mutex_.
    const Entry* Latest(const std::shared_ptr<const DisplayList>& drawing);
    void Erase(std::list<Entry>::iterator entry);
    // Ends a queued job unbegun. Under mutex_.
    void Drop(const std::shared_ptr<RasterJob>& job);
    // The waiter no longer waits for the jobs: those no other waits for are dropped unless begun.
    void Unwait(const std::vector<std::weak_ptr<const PictureJob>>& jobs) override;
    void Ask(const std::shared_ptr<const DisplayList>& drawing, double width, double height, const Key& key,
             JobWaiter* waiter);
    void Run(const std::shared_ptr<RasterJob>& job);
    void Keep(const std::shared_ptr<RasterJob>& job, std::shared_ptr<const Raster> made, const QString& reason);

    std::size_t budget_;
    int timeoutMs_;
    Rasteriser rasterise_;
    mutable std::mutex mutex_;
    std::list<Entry> kept_;
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
    std::unordered_map<const DisplayList*, Key> latest_;
    std::size_t bytes_ = 0;
    std::unordered_map<Key, std::shared_ptr<RasterJob>, KeyHash> asked_;
    // Jobs ended since the last notice was delivered.
    std::size_t untold_ = 0;
    std::map<std::uint64_t, std::shared_ptr<RasterJob>> queue_;
    std::uint64_t nextRank_ = 0;
    std::size_t running_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> rasters_{0};
    // Clears the count of ends not yet told.
    JobNotifier::Listener told_;
    // Last: its jobs end before the rest goes.
    std::unique_ptr<JobLane> workers_;
};

// The program's pixels of shown drawings (its workers end when the application does).
PicturePixels& ProgramPicturePixels();

} // namespace platform
