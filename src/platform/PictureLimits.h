#pragma once
// The bounds of the picture path on its input: picture bytes from a database, a file, the
// clipboard or a pasted layout (BMP, JPEG, enhanced metafiles), and the drawing a metafile player
// writes of them. Any of it may have been made to harm. Each bound holds what one picture may make
// the program allocate, draw or wait for; a picture past one is refused (drawn as an empty frame),
// or the part beyond is left out, as said.
//
// The player keeps its own bounds (emfplay/PlayerLimits.h); the two programs share no header, and
// a test of the player holds the values that must agree equal.
#include <cstddef>
#include <cstdint>

namespace platform {

// ---- decoded pictures ----

// Pixels of a JPEG picture decoded (2^28, 1 GiB as 32-bit pixels): a header may name any size,
// and larger pictures are refused before their pixels are allocated.
inline constexpr std::uint64_t kMaxJpegPixels = std::uint64_t(1) << 28;
// What libjpeg may allocate for its own buffers (the whole-image coefficients of a progressive
// file) decoding n bytes: base + n × per-byte; a file asking far beyond what its data can fill
// fails as corrupt.
inline constexpr unsigned long kJpegMemoryBase = 64ul << 20;
inline constexpr unsigned long kJpegMemoryPerByte = 1024;

// ---- a photo's EXIF block and colour profile ----

// Entries of the EXIF block's first directory looked through for the orientation (a segment holds
// at most about 5400); those beyond are not read, and the picture is shown as stored.
inline constexpr int kMaxExifEntries = 1024;
// The largest colour profile applied (the profiles of cameras, phones and print shops take 0.5 KB to
// 2 MB): a larger one is not read, and the picture is drawn as without a profile.
inline constexpr std::size_t kMaxIccProfileBytes = std::size_t(4) << 20;

// ---- run-length (RLE8, RLE4) bitmaps ----

// Pixels of an RLE bitmap: at most base + per byte × the bytes of its runs, and never more than
// kMaxJpegPixels. Runs of 255 pixels in two bytes, rows ended or skipped by one record: real pictures
// stay far below; a header claiming a huge picture over a few bytes is refused before its pixels are
// allocated.
inline constexpr std::uint64_t kRlePixelsBase = std::uint64_t(1) << 20;
inline constexpr std::uint64_t kRlePixelsPerByte = 1024;

// ---- enhanced metafiles ----

// A metafile frame's side, in pixels at 96 dpi, taken as a size at all; a header naming more is
// no picture.
inline constexpr std::int64_t kMaxMetafileFrameSide = 1'000'000;
// The largest metafile drawn, in pixels at 96 dpi: one side and the area. Larger frames are
// refused, since a drawing of that size would be rasterised somewhere (a BMP copy, a cache).
inline constexpr int kMaxMetafileSide = 10000;
inline constexpr long long kMaxMetafileArea = 40'000'000;
// Processor time a player may use per picture (real pictures play in 5 to 60 ms), and how many
// times that it may take in all, waiting or kept from running on a loaded machine.
inline constexpr int kPlayTimeoutMs = 1000;
inline constexpr int kPlayWallFactor = 8;
// What the program reads of a player (the drawing as SVG): a bound on its memory for one picture.
// The player stops itself at the same size (emfplay::kMaxDrawingBytes).
inline constexpr std::size_t kMaxPlayerOutputBytes = std::size_t(24) << 20;

// ---- a drawing read (DrawingSvg) and recorded (DisplayList) ----

// What a picture's drawing may hold, and the cache of drawings with it, and what a redraw of it
// may cost in work units (DrawingCost.h): the largest drawing admitted records in about half a
// second and redraws in a quarter.
inline constexpr std::size_t kMaxDrawingBytes = std::size_t(64) << 20;
inline constexpr std::int64_t kMaxDrawingWork = 4'000'000;
// Elements nested in a drawing; deeper ones are skipped (its reader keeps a frame per level).
inline constexpr int kMaxDrawingDepth = 64;
// Stops of one gradient; those beyond are left out.
inline constexpr int kMaxGradientStops = 256;
// Faces of one drawing matched by their names (a font lookup each); those beyond are matched by
// their class alone.
inline constexpr int kMaxDrawingFaces = 32;
// The largest length or size taken, in user units (a picture is at most kMaxMetafileSide wide).
inline constexpr double kMaxDrawingLength = 1e6;
// Characters of one text and of a font family name kept; those beyond are dropped.
inline constexpr int kMaxDrawingText = 4096;
inline constexpr int kMaxFamilyLength = 64;

// ---- picture memory and the workers' jobs ----

// All the memory the program holds for pictures it shows and prints: the drawings (their cache,
// EnhancedMetafile.h) and the pixels kept of them for screens (PicturePixels.h), each its share. A
// replay holds nothing beyond its drawing once ended, an entry of pixels does not hold its drawing,
// and the drawings' share counts those that what shows them holds (a page's pictures) as well as
// those the cache keeps, which it lets go first: 50 pictures on a page, zoomed through every
// level, hold no more (bench/README.md).
inline constexpr std::size_t kPictureBytes = std::size_t(192) << 20;
// The pixels' share: a page of 50 pictures shown at 640 × 480 is 60 MB of pixels, with room for
// those of the zoom before.
inline constexpr std::size_t kPictureScreenBytes = std::size_t(128) << 20;
// The drawings' share: at least the largest drawing one picture may hold.
inline constexpr std::size_t kPictureDrawingBytes = kPictureBytes - kPictureScreenBytes;
static_assert(kPictureDrawingBytes >= kMaxDrawingBytes, "the drawings' share holds the largest drawing");
// Refused pictures remembered (so that none is played again), about 100 bytes each.
inline constexpr std::size_t kMaxRefused = 4096;
// Processor time one raster job may take: the work limit admits redraws of up to about 0.25 s, so
// four times that ends only one it admitted by mistake.
inline constexpr int kRasterTimeoutMs = 1000;
// The most pixels one raster holds (24 MB); a drawing shown larger is rasterised at this many and
// scaled, so that a zoom cannot make one raster exhaust the pixels' share.
inline constexpr long long kMaxRasterPixels = 6'000'000;
// The most pixels of a sheet of pattern tiles laid for a printer or PDF (16 MB), made per fill;
// finer tiles are laid at fewer.
inline constexpr double kMaxSheetPixels = 1 << 22;

} // namespace platform
