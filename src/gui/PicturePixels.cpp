#include "gui/PicturePixels.h"

#include "gui/DisplayList.h"

#include <QCoreApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <new>

namespace platform {

namespace {

// Queued jobs beyond this many are dropped, the longest asked first: pictures scrolled past.
constexpr std::size_t kMostQueued = 64;

std::int64_t ThreadProcessorNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The frame that stands in for a drawing, a device pixel wide, around the pixels `shown`; with
// `reason` written inside when given.
void DrawFrame(QPainter& painter, const QRect& shown, const QString& reason)
{
    painter.save();
    painter.resetTransform();
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    painter.scale(1 / ratio, 1 / ratio);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(shown.adjusted(0, 0, -1, -1));
    if (!reason.isEmpty() && shown.width() > 8 && shown.height() > 8) {
        painter.setClipRect(shown.adjusted(2, 2, -2, -2), Qt::IntersectClip);
        painter.drawText(shown.adjusted(3, 3, -3, -3), Qt::AlignCenter | Qt::TextWordWrap, reason);
    }
    painter.restore();
}

// Pixels drawn into `place`: copied one for one where they are of the size it covers (the raster
// engine takes a target of the source's size as a copy), else scaled.
void DrawPixels(QPainter& painter, const QRectF& place, const QImage& pixels)
{
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(place, pixels, QRectF(pixels.rect()));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace

PicturePixels::PicturePixels(std::size_t budget, int timeoutMs, int workers, Rasteriser rasterise)
    : budget_(budget), timeoutMs_(timeoutMs), rasterise_(std::move(rasterise)),
      told_(ProgramJobNotifier(),
            [this] {
                std::lock_guard lock(mutex_);
                untold_ = 0;
            }),
      workers_(std::make_unique<JobLane>(workers))
{
    if (!rasterise_)
        rasterise_ = [](const DisplayList& drawing, QPainter& painter, const std::function<bool()>& goOn) {
            return drawing.Replay(painter, goOn);
        };
}

PicturePixels::~PicturePixels() { Stop(); }

void PicturePixels::Stop()
{
    stopping_.store(true, std::memory_order_release);
    workers_->Clear();
    workers_->WaitForDone();
    std::lock_guard lock(mutex_);
    queue_.clear();
    for (auto& [key, job] : asked_)
        job->SetState(JobState::Dropped);
    asked_.clear();
    stopping_.store(false, std::memory_order_release);
}

QString PicturePixels::TimeoutText() { return QStringLiteral("図が複雑すぎて時間内に描けません。"); }

QString PicturePixels::MemoryText() { return QStringLiteral("図が大きすぎて描けません。"); }

QString PicturePixels::FailureText() { return QStringLiteral("図を描けません。"); }

std::size_t PicturePixels::HeldBytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::size_t PicturePixels::Pending() const
{
    std::lock_guard lock(mutex_);
    return asked_.size() + untold_;
}

namespace {

// Whether the entry's drawing is `drawing` itself, not one gone whose address it has taken.
bool Owns(const std::weak_ptr<const DisplayList>& held, const std::shared_ptr<const DisplayList>& drawing)
{
    return !held.owner_before(drawing) && !drawing.owner_before(held) && !held.expired();
}

} // namespace

void PicturePixels::Erase(std::list<Entry>::iterator entry)
{
    if (const auto latest = latest_.find(entry->At.Drawing); latest != latest_.end() && latest->second == entry->At)
        latest_.erase(latest);
    bytes_ -= entry->Cost;
    index_.erase(entry->At);
    kept_.erase(entry);
}

const PicturePixels::Entry* PicturePixels::Lookup(const Key& key, const std::shared_ptr<const DisplayList>& drawing)
{
    const auto it = index_.find(key);
    if (it == index_.end())
        return nullptr;
    if (!Owns(it->second->Drawing, drawing)) {
        Erase(it->second);
        return nullptr;
    }
    kept_.splice(kept_.begin(), kept_, it->second);
    return &*it->second;
}

const PicturePixels::Entry* PicturePixels::Latest(const std::shared_ptr<const DisplayList>& drawing)
{
    const auto latest = latest_.find(drawing.get());
    if (latest == latest_.end())
        return nullptr;
    const auto it = index_.find(latest->second);
    if (it == index_.end())
        return nullptr;
    if (!Owns(it->second->Drawing, drawing)) {
        Erase(it->second);
        return nullptr;
    }
    return &*it->second;
}

bool PicturePixels::Draw(QPainter& painter, const std::shared_ptr<const DisplayList>& drawing, double width,
                         double height, const QRectF& place, JobWaiter* waiter)
{
    if (!drawing || !painter.isActive() || !(width > 0) || !(height > 0) || place.isEmpty())
        return false;
    const QRectF mapped = painter.deviceTransform().mapRect(place);
    const QRect shown(QPoint(int(std::lround(mapped.left())), int(std::lround(mapped.top()))),
                      QSize(std::max(1, int(std::lround(mapped.width()))),
                            std::max(1, int(std::lround(mapped.height())))));
    // Rasterised at the size shown, or as near as the pixels of one raster allow.
    double w = shown.width(), h = shown.height();
    if (w * h > double(kMaxRasterPixels)) {
        const double s = std::sqrt(double(kMaxRasterPixels) / (w * h));
        w *= s;
        h *= s;
    }
    const Key key{drawing.get(), std::max(1, int(w)), std::max(1, int(h))};
    std::shared_ptr<const Raster> raster;
    bool made = false;
    QString reason;
    {
        std::lock_guard lock(mutex_);
        if (const Entry* entry = Lookup(key, drawing)) {
            raster = entry->Made;
            made = raster != nullptr;
            reason = entry->Reason;
        } else {
            if (const Entry* latest = Latest(drawing))
                raster = latest->Made;
            Ask(drawing, width, height, key, waiter);
        }
    }
    if (!raster)
        DrawFrame(painter, shown, reason);
    else if (!made || raster->Pixels.size() != shown.size() || !Copy(painter, shown, *raster))
        DrawPixels(painter, place, raster->Pixels);
    return made;
}

void PicturePixels::Ask(const std::shared_ptr<const DisplayList>& drawing, double width, double height,
                        const Key& key, JobWaiter* waiter)
{
    std::shared_ptr<RasterJob>& job = asked_[key];
    if (job) {
        // Asked again: sooner.
        if (job->rank_ != 0) {
            queue_.erase(job->rank_);
            job->rank_ = ++nextRank_;
            queue_.emplace(job->rank_, job);
        }
    } else {
        job = std::make_shared<RasterJob>();
        job->drawing_ = drawing;
        job->unitsWidth_ = width;
        job->unitsHeight_ = height;
        job->width_ = key.Width;
        job->height_ = key.Height;
        job->rank_ = ++nextRank_;
        job->SetState(JobState::Queued);
        queue_.emplace(job->rank_, job);
        while (queue_.size() > kMostQueued)
            Drop(queue_.begin()->second);
        // One start per job queued: each takes the latest asked left, if any.
        workers_->Start([this] {
            std::shared_ptr<RasterJob> next;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty())
                    return;
                const auto latest = std::prev(queue_.end());
                next = latest->second;
                queue_.erase(latest);
                next->rank_ = 0;
                next->SetState(JobState::Running);
                ++running_;
            }
            Run(next);
            bool last = false;
            {
                std::lock_guard lock(mutex_);
                last = --running_ == 0 && queue_.empty();
            }
            if (last)
                ReturnFreedMemory();
        });
    }
    // Under the lock: the job is not ended yet, nor its waiters counted down.
    if (waiter && waiter->Add(*this, job))
        ++job->waiters_;
}

void PicturePixels::Drop(const std::shared_ptr<RasterJob>& job)
{
    queue_.erase(job->rank_);
    job->rank_ = 0;
    const Key key{job->drawing_.get(), job->width_, job->height_};
    if (const auto it = asked_.find(key); it != asked_.end() && it->second == job)
        asked_.erase(it);
    job->SetState(JobState::Dropped);
    // Told like an end, so that whoever waits for it stops.
    ++untold_;
    ProgramJobNotifier().Tell();
}

void PicturePixels::Unwait(const std::vector<std::weak_ptr<const PictureJob>>& jobs)
{
    std::lock_guard lock(mutex_);
    for (const auto& held : jobs) {
        // The jobs a waiter has of this engine are its raster jobs.
        const auto seen = std::static_pointer_cast<const RasterJob>(held.lock());
        if (!seen)
            continue;
        const auto it = asked_.find({seen->drawing_.get(), seen->width_, seen->height_});
        if (it == asked_.end() || it->second != seen)
            continue;
        const std::shared_ptr<RasterJob> job = it->second;
        if (job->waiters_ > 0 && --job->waiters_ == 0 && job->State() == JobState::Queued)
            Drop(job);
    }
}

void PicturePixels::Run(const std::shared_ptr<RasterJob>& job)
{
    // A job ends whatever its drawing throws: a worker's exception would end the program, and a
    // job left unended would be waited for.
    std::shared_ptr<const Raster> made;
    QString reason;
    try {
        QImage pixels(job->width_, job->height_, QImage::Format_ARGB32_Premultiplied);
        if (!pixels.isNull()) {
            pixels.fill(Qt::transparent);
            QPainter painter(&pixels);
            painter.scale(job->width_ / job->unitsWidth_, job->height_ / job->unitsHeight_);
            const std::int64_t start = ThreadProcessorNs();
            const std::int64_t limit = std::int64_t(timeoutMs_) * 1'000'000;
            const bool whole = rasterise_(*job->drawing_, painter, [&] {
                return !stopping_.load(std::memory_order_relaxed) && ThreadProcessorNs() - start <= limit;
            });
            painter.end();
            if (whole)
                made = std::make_shared<const Raster>(Raster{std::move(pixels)});
            else
                reason = TimeoutText();
        } else {
            reason = MemoryText();
        }
    } catch (const std::bad_alloc&) {
        made = nullptr;
        reason = MemoryText();
    } catch (...) {
        made = nullptr;
        reason = FailureText();
    }
    try {
        Keep(job, std::move(made), reason);
    } catch (...) {
        // Out of memory keeping it: ended all the same, kept as nothing.
        job->SetState(JobState::Refused);
        ProgramJobNotifier().Tell();
    }
}

bool PicturePixels::Copy(QPainter& painter, const QRect& shown, const Raster& raster)
{
    const QTransform& device = painter.deviceTransform();
    if (device.type() > QTransform::TxScale || device.m11() <= 0 || device.m22() <= 0 || !painter.device())
        return false;
    // Device pixels are the painter's coordinates once its transform is the device's pixel ratio
    // undone; the clip stays where it was on the device.
    const qreal ratio = painter.device()->devicePixelRatioF();
    painter.save();
    painter.resetTransform();
    painter.scale(1 / ratio, 1 / ratio);
    // One for one at whole pixels smoothing changes nothing, but with the hint set the raster
    // engine leaves its direct blend for span fills handed to its thread pool: 2.5 times the time
    // of a wheel step over a page of pictures.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(shown.topLeft(), raster.Pixels);
    painter.restore();
    return true;
}

void PicturePixels::Keep(const std::shared_ptr<RasterJob>& job, std::shared_ptr<const Raster> made,
                         const QString& reason)
{
    {
        std::lock_guard lock(mutex_);
        const Key key{job->drawing_.get(), job->width_, job->height_};
        if (const auto it = asked_.find(key); it != asked_.end() && it->second == job)
            asked_.erase(it);
        // Ended within the lock, so the notice that clears `untold_` tells of this job too.
        job->SetState(made ? JobState::Made : JobState::Refused);
        ++untold_;
        // A program that is stopping keeps nothing: a job it ended is no refusal.
        if (!stopping_.load(std::memory_order_acquire)) {
            if (const auto it = index_.find(key); it != index_.end())
                Erase(it->second);
            const std::size_t cost =
                (made ? std::size_t(made->Pixels.sizeInBytes()) : 0) +
                sizeof(Entry) + std::size_t(reason.size()) * 2 + 128;
            const bool drawn = made != nullptr;
            kept_.push_front({key, job->drawing_, std::move(made), reason, cost});
            index_.emplace(key, kept_.begin());
            bytes_ += cost;
            if (drawn)
                latest_[key.Drawing] = key;
            // The longest unused go first; the one just made stays.
            while (bytes_ > budget_ && kept_.size() > 1)
                Erase(std::prev(kept_.end()));
            rasters_.fetch_add(1, std::memory_order_relaxed);
        }
    }
    ProgramJobNotifier().Tell();
}

PicturePixels& ProgramPicturePixels()
{
    static PicturePixels pixels(kPictureScreenBytes, kRasterTimeoutMs);
    static const bool stopsWithTheProgram = [] {
        if (QCoreApplication::instance())
            qAddPostRoutine([] { pixels.Stop(); });
        return true;
    }();
    (void)stopsWithTheProgram;
    return pixels;
}

} // namespace platform
