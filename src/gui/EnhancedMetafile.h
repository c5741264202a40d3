#pragma once
// Drawing of enhanced metafiles (EMF). The records are played by the program's player
// (src/emfplay, the program vkt-emfplay) in a process of its own, started per picture, so that
// hostile bytes can crash, hang or exhaust memory only there: it limits its own CPU time and memory
// and is killed at the time limit. What it writes is as untrusted as the picture: its drawing
// elements alone are recorded (DrawingSvg.h), once, into a display list, which every canvas
// (screen, bitmap, PDF, printer) replays at any size.
#include "gui/DisplayList.h"
#include "gui/Metafile.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

// The largest picture drawn, in pixels at 96 dpi: one side and the area. Larger frames are refused,
// since a drawing of that size would be rasterised somewhere (a BMP copy, a cache).
constexpr int kMaxMetafileSide = 10000;
constexpr long long kMaxMetafileArea = 40'000'000;

struct MetafileRendering {
    Metafile Drawing; // empty when the bytes cannot be drawn
    std::string Error; // why not, for the one line said about it
};

// Renders the enhanced metafile `bytes` at its frame size (96 dpi). Never throws; a failure leaves
// Drawing empty and names the cause.
MetafileRendering RenderEnhancedMetafile(std::string_view bytes);

// What a picture's drawing may hold, and the cache of drawings with it, and what a redraw of it may
// cost: the largest drawing admitted records in about half a second and redraws in a quarter.
constexpr std::size_t kMaxDrawingBytes = std::size_t(64) << 20;
constexpr DrawingLimits kMetafileDrawingLimits{kMaxDrawingBytes, 4'000'000};

// Renderings by the size and hash of their bytes, the latest first, within `budget` bytes of
// drawings; a drawing over the budget is refused. A refused picture is remembered apart: it is
// never rendered again and its failure is said once (one line on standard error).
class MetafileCache {
public:
    using Renderer = std::function<MetafileRendering(std::string_view)>;
    MetafileCache(std::size_t budget, Renderer render);
    std::shared_ptr<const MetafileRendering> Get(std::string_view bytes);
    // The bytes of the drawings kept.
    std::size_t HeldBytes() const;

private:
    struct Key {
        std::size_t Size;
        std::size_t Hash;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const { return key.Hash ^ (key.Size * 0x9E3779B97F4A7C15ull); }
    };
    struct Entry {
        struct Key Key;
        std::shared_ptr<const MetafileRendering> Rendering;
        std::size_t Cost;
    };
    static constexpr std::size_t kMaxRefused = 4096;

    std::size_t budget_;
    Renderer render_;
    mutable std::mutex mutex_;
    std::list<Entry> drawn_;
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
    std::size_t bytes_ = 0;
    std::unordered_map<Key, std::shared_ptr<const MetafileRendering>, KeyHash> refused_;
    std::deque<Key> refusedOrder_;
};

// Why a picture is not drawn, from the rendering's error: a sentence for the user.
std::string MetafileProblem(const std::string& error);

// RenderEnhancedMetafile through the program's cache, so that a picture drawn page after page is
// played once.
std::shared_ptr<const MetafileRendering> RenderEnhancedMetafileCached(std::string_view bytes);

// How many playings have been started in this process.
std::size_t MetafileConversionCount();

// The player alone: the drawing, or nothing (with `error` set: the player's own reason, or why it
// failed) when it refuses the picture, fails, is killed at `timeoutMs`, or writes more than
// `maxOutput` bytes.
std::optional<std::string> PlayMetafile(std::string_view bytes, int timeoutMs, std::string& error,
                                        std::size_t maxOutput = 64u << 20);

} // namespace platform
