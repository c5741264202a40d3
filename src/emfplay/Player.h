#pragma once
// Plays a metafile's records, in order, as the system's graphics interface would onto a device of
// the header's reference size, and writes what they draw (Painter.h).
//
// Every record is checked before a field of it is read: its size against the bytes left, then by
// libuemf (U_emf_record_safe), then each count and offset it holds against its size. A record that
// fails ends the playing: the picture is refused. Unknown records and those libuemf cannot check
// are passed over unread.
#include "emfplay/DeviceContext.h"
#include "emfplay/Dib.h"
#include "emfplay/Painter.h"
#include "emfplay/PlayerLimits.h"
#include "emfplay/SvgWriter.h"
#include "emfplay/TextCodec.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emfplay {

// Millimetres in an inch (platform::kMMPerInch; the player shares no header with the program).
constexpr double kMMPerInch = 25.4;

class Player {
public:
    // `bytes` stays the caller's until Play returns.
    explicit Player(std::string_view bytes);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool Play(std::string& drawing, std::string& error);

private:
    // A record (4-byte aligned), its fixed part's size and libuemf's checks passed.
    struct Record {
        std::uint32_t Type;
        const char* Data;
        std::uint32_t Size;
        template <typename T>
        const T& As() const { return *reinterpret_cast<const T*>(Data); }
    };

    bool ReadHeader(const Record& header, std::string& error);
    void Dispatch(const Record& r);
    void Damaged() { damaged_ = true; }
    void TooLarge() { tooLarge_ = true; }

    // ---- mapping (Player.cpp) ----
    const Affine& ToOutput();
    Affine PageToDevice() const;
    void MappingChanged() { mappingValid_ = false; }
    void SetMapMode(std::uint32_t mode);
    void FixIsotropic();

    // ---- objects (Player.cpp) ----
    bool HandleInRange(std::uint32_t index);
    void Store(std::uint32_t index, GraphicsObject object);
    void Select(std::uint32_t index);
    void Delete(std::uint32_t index);
    const GraphicsObject* ObjectAt(std::uint32_t index) const;
    void CreatePen(const Record& r);
    void ExtCreatePen(const Record& r);
    void CreateBrush(const Record& r);
    void CreatePatternBrush(const Record& r, bool monochrome);
    void CreateFont(const Record& r);

    // ---- clip (Player.cpp) ----
    bool ReadRegion(const Record& r, std::size_t offset, std::uint32_t bytes, Region& region);
    void ClipRect(const Record& r, bool exclude);
    void SelectClipRegion(const Record& r);
    ClipChain Chain() const;

    // ---- shapes and paths (PlayerShapes.cpp) ----
    // Draws (or adds to the open path) the outline `logical`, filled and stroked as the flags say;
    // `continues` when it goes on from the current position.
    void Shape(const Path& logical, bool fill, bool stroke, bool continues = false);
    // The brush's fill (through the drawing mode when `rop2`), the pen's stroke for a transform of
    // `scale`; nothing when they draw nothing.
    std::optional<FillStyle> FillOf(const Brush& brush, bool rop2 = true);
    std::optional<StrokeStyle> StrokeOf(const Pen& pen, double scale);
    std::optional<std::uint32_t> Rop2Color(std::uint32_t rgb) const;
    std::optional<Brush> BrushAt(std::uint32_t index);
    // What is drawn goes through these, under the clip, or into the idiom being captured.
    void Emit(const Path& path, const Affine& toOutput, const FillStyle* fill, const StrokeStyle* stroke);
    void EmitStroked(const Path& path, const Affine& toOutput, const FillStyle* fill, const Pen& pen, double scale);
    void EmitPicture(const std::string& encoded, const char* kind, int width, int height, const Box& place,
                     const Affine& toOutput, double opacity, const Path* clip);
    bool Hidden() const { return dc_.Clip.Nothing || dc_.Meta.Nothing; }
    static Point ReadPoint(const char* at, bool sixteen);
    void Polyline(const Record& r, std::uint32_t type);
    void PolyPolyline(const Record& r, bool sixteen, bool polygon);
    void PolyDraw(const Record& r, bool sixteen);
    void ArcRecord(const Record& r, std::uint32_t type);
    void AngleArc(const Record& r);
    void BoxRecord(const Record& r, std::uint32_t type);
    void PathRecord(std::uint32_t type);
    void SelectClipPath(std::uint32_t mode);
    void FillRegion(const Record& r, std::uint32_t type);
    void GradientFill(const Record& r);
    void SetPixel(const Record& r);
    Box Inset(Box box) const;

    // ---- text (PlayerText.cpp) ----
    // A text record's optional rectangle at `at` (moved past it); false, damaged, when it does not fit.
    bool ReadRectangle(const Record& r, std::uint64_t& at, Box& rectangle);
    void ExtTextOut(const Record& r, bool wide);
    void SmallTextOut(const Record& r);
    void Text(const std::vector<Character>& characters, const std::vector<double>& advances, Point reference,
              std::uint32_t options, const Box* rectangle, bool glyphIndices);

    // ---- bitmaps (PlayerBitmaps.cpp) ----
    struct Blit {
        Box Dest;               // logical units; or output units when InDevicePixels
        bool InDevicePixels = false;
        double SrcX = 0, SrcY = 0, SrcW = 0, SrcH = 0; // pixels of the bitmap
        bool FromBottom = false; // SrcY counts from the bitmap's bottom row (a DIB's own coordinates)
        std::uint32_t Rop = 0x00CC0020;
        DibPlace Place;
        DibOptions Options;
        double Opacity = 1;
        std::optional<std::uint32_t> Transparent; // TRANSPARENTBLT's colour
        std::int64_t BandTop = 0; // the first row the bits hold, from the top, when they are a band
    };
    void BitBlt(const Record& r, std::uint32_t type);
    void DrawBitmap(const Record& r, Blit blit);
    void FillDest(const Box& dest, const FillStyle& fill);

    // ---- the exclusive-or idiom (PlayerIdiom.cpp) ----
    // A fill by exclusive or (a PATINVERT rectangle, or shapes in the R2_XORPEN mode), shapes filled
    // black, then the same fills again: what shows is the first fills within the black shapes. Played
    // tentatively from the first such fill: anything else, and the records are played again from
    // there with that fill passed over, as an exclusive or alone is.
    struct Snapshot {
        DeviceContext Dc;
        std::vector<DeviceContext> Saved;
        std::vector<std::shared_ptr<const GraphicsObject>> Objects;
        Path OpenPath;
        bool InPath;
        bool PathDone;
    };
    struct XorFill {
        Path Outline; // output units
        FillStyle Fill;
        ClipChain Clip;
        bool Hidden;
    };
    struct Capture {
        std::size_t Resume; // the offset of the record of the first fill
        std::uint64_t Records;
        Snapshot State;
        std::vector<XorFill> Fills;
        std::vector<std::pair<Path, bool>> Mask; // output units; even-odd
        std::size_t Matched;                     // fills of the second pass so far
    };
    Snapshot Save() const;
    void Restore(Snapshot snapshot);
    // A fill by exclusive or of `outline` (output units).
    void Xor(const Path& outline, const FillStyle& fill);
    // Whether the drawing mode is exclusive or: the shape is one of the idiom's fills then.
    bool XorShape(const Path& outline, const Affine& toOutput, bool fill, bool stroke);
    // What is drawn while capturing: black fills are the mask, anything else breaks the capture.
    void CaptureDrawing(const Path& path, const Affine& toOutput, const FillStyle* fill, const StrokeStyle* stroke);
    void FinishCapture();
    void BreakCapture() { captureBroken_ = true; }

    std::string_view bytes_;
    std::vector<std::uint32_t> aligned_; // a copy of the bytes when they are not 4-byte aligned
    const char* data_ = nullptr;
    std::size_t size_ = 0;

    SvgWriter writer_;
    Painter painter_{writer_};
    AnsiDecoder ansi_;

    // The header's device: pixels per millimetre, and the frame's top-left in device pixels.
    double pixelsPerMmX_ = 96 / kMMPerInch;
    double pixelsPerMmY_ = 96 / kMMPerInch;
    Point deviceMm_{1, 1};    // szlMillimeters
    Point devicePixels_{1, 1}; // szlDevice
    Affine deviceToOutput_;
    // A pixel of the picture drawn at 96 dpi, in output units: what a cosmetic pen's width, a hatch's
    // spacing and a pattern brush's pixel are measured in, as the system measures them on the device
    // it plays onto.
    double pixel_ = 1;

    DeviceContext dc_;
    std::vector<DeviceContext> saved_;
    std::vector<std::shared_ptr<const GraphicsObject>> objects_;
    std::uint64_t nextSerial_ = 1;

    Path path_;         // output units
    bool inPath_ = false;
    bool pathDone_ = false; // ENDPATH closed it; it waits for a fill, stroke or clip
    bool widened_ = false;   // WIDENPATH: the path stands for the outline of its stroke
    double widenedWidth_ = 1;
    Pen widenedPen_;
    double outputWidth_ = 0;
    double outputHeight_ = 0;

    Affine toOutput_;
    bool mappingValid_ = false;

    std::optional<Capture> capture_;
    bool captureBroken_ = false;
    std::size_t noCaptureAt_ = std::size_t(-1); // the record replayed after a broken capture
    std::uint64_t replayBudget_ = kMaxRecords;
    std::size_t offset_ = 0; // of the record being played

    bool damaged_ = false;
    bool tooLarge_ = false;
    bool ended_ = false;
    // What one playing may take beyond its records: bitmap pixels decoded and gradient pixels shaded,
    // tentative plays of the idiom.
    std::int64_t pixelsLeft_ = 200'000'000;
    int capturesLeft_ = 4096;
};

} // namespace emfplay
