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
// The workers take the latest asked first. The GUI thread is told (PixelNotifier::Rastered) once
// for any number of jobs ended since it last was; a PixelWaiter calls its owner back then.
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
class QThreadPool;

namespace platform {

class DisplayList;

// The pixels kept for drawings shown, and the processor time one raster job may take (the work
// limit admits redraws of up to about 0.25 s: four times that ends one it admitted by mistake).
constexpr std::size_t kPictureScreenBytes = std::size_t(128) << 20;
constexpr int kRasterTimeoutMs = 1000;
// The most pixels one raster holds; a drawing shown larger is rasterised at this many and scaled.
constexpr long long kMaxRasterPixels = 6'000'000;
constexpr int kRasterWorkers = 3;

class PixelNotifier : public QObject {
    Q_OBJECT
signals:
    void Rastered();
};

// One drawing at one size, queued or being rasterised; ended once its pixels (or its refusal) are kept.
class RasterJob {
public:
    bool Ended() const { return ended_.load(std::memory_order_acquire); }

private:
    friend class PicturePixels;
    std::shared_ptr<const DisplayList> drawing_;
    double unitsWidth_ = 0;
    double unitsHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::uint64_t rank_ = 0; // under the cache's mutex: its place in the queue, 0 once taken
    std::atomic<bool> ended_{false};
};

class PicturePixels {
public:
    PicturePixels(std::size_t budget, int timeoutMs, int workers = kRasterWorkers);
    // Stops first.
    ~PicturePixels();
    PicturePixels(const PicturePixels&) = delete;
    PicturePixels& operator=(const PicturePixels&) = delete;

    // Draws `drawing` (of width × height units) into `place`, in the painter's coordinates, from
    // its pixels at the size `place` covers on the device; when they are not made yet, asks the
    // workers for them and draws what stands in. True when the pixels of that size were drawn.
    bool Draw(QPainter& painter, const std::shared_ptr<const DisplayList>& drawing, double width, double height,
              const QRectF& place);

    // The bytes of pixels kept; jobs asked whose end has not been told yet; rasters made (tests).
    std::size_t HeldBytes() const;
    std::size_t Pending() const;
    std::size_t Rasters() const { return rasters_.load(std::memory_order_relaxed); }
    PixelNotifier& Notifier() { return *notifier_; }
    // Drops the queued jobs, ends the running ones at their next command and waits for them.
    void Stop();

    // Why a drawing over the time limit is not shown, as its frame says it.
    static QString TimeoutText();

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
    // Pixels made, premultiplied, with their runs: per row (Rows[y] to Rows[y + 1] in Spans) the
    // spans left to right that are not wholly transparent, each as its first and end column and
    // whether every pixel of it is opaque.
    struct Raster {
        QImage Pixels;
        std::vector<std::uint32_t> Rows;
        std::vector<std::int32_t> Spans; // first, end, opaque: three a span
    };
    struct Entry {
        Key At;
        std::shared_ptr<const DisplayList> Drawing; // keeps the key's address its own
        std::shared_ptr<const Raster> Made;         // null: refused
        std::size_t Cost = 0;
    };
    static std::shared_ptr<const Raster> RunsOf(QImage pixels);
    // Copies the runs over the device pixels `shown` when the painter writes a 32-bit image
    // unscaled, through its clips; false, drawing nothing, elsewhere.
    static bool Blend(QPainter& painter, const QRect& shown, const Raster& raster);

    // The entry of `key`, made the latest used; null when none. Under mutex_.
    const Entry* Lookup(const Key& key);
    // The latest pixels made of the drawing at any size. Under mutex_.
    const Entry* Latest(const DisplayList* drawing) const;
    void Ask(const std::shared_ptr<const DisplayList>& drawing, double width, double height, const Key& key);
    void Run(const std::shared_ptr<RasterJob>& job);
    void Keep(const std::shared_ptr<RasterJob>& job, std::shared_ptr<const Raster> made);
    void Tell();

    std::size_t budget_;
    int timeoutMs_;
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
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> rasters_{0};
    std::atomic<bool> told_{false};
    std::unique_ptr<PixelNotifier> notifier_;
    std::unique_ptr<QThreadPool> workers_;

    friend class PixelWaiter;
};

// The program's pixels of shown drawings (its workers end when the application does).
PicturePixels& ProgramPicturePixels();

// Calls back on the GUI thread when raster jobs asked while one of its Asking scopes lived have
// ended: once for any number of them since the last call. Destroyed first, it calls nothing.
class PixelWaiter {
public:
    explicit PixelWaiter(std::function<void()> ended);
    ~PixelWaiter();
    PixelWaiter(const PixelWaiter&) = delete;
    PixelWaiter& operator=(const PixelWaiter&) = delete;

    // While it lives, jobs asked on this thread are waited for by the waiter (the latest made on a
    // thread is the one in force there).
    class Asking {
    public:
        explicit Asking(PixelWaiter& waiter);
        ~Asking();
        Asking(const Asking&) = delete;
        Asking& operator=(const Asking&) = delete;

    private:
        PixelWaiter* previous_;
    };

    bool IsWaiting() const { return !jobs_.empty(); }
    void Clear();

private:
    friend class PicturePixels;
    void Add(PicturePixels& pixels, const std::shared_ptr<RasterJob>& job);
    void Check();

    std::function<void()> ended_;
    std::vector<std::weak_ptr<const RasterJob>> jobs_;
    PicturePixels* pixels_ = nullptr;
    QMetaObject::Connection connection_;
};

} // namespace platform
