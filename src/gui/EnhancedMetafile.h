#pragma once
// Drawing of enhanced metafiles (EMF). The records are converted to SVG by libemf2svg in a child
// process, so that hostile bytes can crash, hang or exhaust memory only there: the child runs
// with a CPU and memory limit and is killed at the time limit. Its SVG is as untrusted as the
// picture: no SVG renderer reads it; its drawing elements alone are painted (DrawingSvg.h), once,
// into a Metafile, which every canvas (screen, bitmap, PDF, printer) replays as vectors at any size.
#include "gui/Metafile.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// RenderEnhancedMetafile through a cache of the latest drawings, bounded by their memory, so that a
// picture drawn page after page is converted once. A refused picture is remembered apart: it is
// never converted again and its failure is said once (one line on standard error).
std::shared_ptr<const MetafileRendering> RenderEnhancedMetafileCached(std::string_view bytes);

// How many conversions have been started in this process.
std::size_t MetafileConversionCount();

// The converter alone: the SVG text, or nothing (with `error` set) when the child fails, is killed
// at `timeoutMs`, or writes more than `maxOutput` bytes.
std::optional<std::string> ConvertMetafileToSvg(std::string_view bytes, int width, int height, int timeoutMs,
                                                std::string& error, std::size_t maxOutput = 64u << 20);

} // namespace platform
