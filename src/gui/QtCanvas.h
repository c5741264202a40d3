#pragma once
// The canvas over a QPainter: widgets (at the screen's resolution), images, pictures, printers
// and PDF writers all draw through it.
#include "gui/Canvas.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace platform {

struct PdfJpeg;

class QtCanvas : public Canvas {
public:
    // The painter must be active and outlive the canvas.
    QtCanvas(QPainter& painter, int dpiX, int dpiY, CanvasKind kind);
    ~QtCanvas() override;

    int DpiX() const override;
    int DpiY() const override;
    CanvasKind Kind() const override;
    QPainter* GetPainter() override;
    // PDF and picture canvases: each code point from U+0100 on whose glyph, in the face that drew it, was drawn for
    // a higher code point, with the last such one drawn (⽴ U+2F74 → 立 U+7ACB, ‧ U+2027 → ・ U+30FB
    // in Noto Sans CJK). Qt's PDF font subsets name a shared glyph after its lowest code point;
    // PdfWriter names it after the character drawn again.
    const std::map<char32_t, char32_t>& SharedGlyphs() const;
    // PDF canvases: the JPEG files drawn as their own bytes, by the number of their stand-ins
    // (PdfImages.h).
    const std::vector<PdfJpeg>& PassedJpegs() const;
    // Images drawn from now on keep no more pixels than the device gives their places (a picture
    // recorded for a print).
    void CapImagesToResolution();

    void Save() override;
    void Restore() override;

    void SetPen(const Pen& pen) override;
    const Pen& GetPen() const override;
    void SetBrush(const Brush& brush) override;
    const Brush& GetBrush() const override;
    void SetFont(const FontSpec& font) override;
    const FontSpec& GetFont() const override;
    void SetTextColor(TColor color) override;
    TColor GetTextColor() const override;
    void SetRasterOp(RasterOp op) override;
    RasterOp GetRasterOp() const override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(const std::vector<Point>& points) override;
    void Polygon(const std::vector<Point>& points) override;
    void Rectangle(const Rect& rect) override;
    void Ellipse(const Rect& rect) override;
    void RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) override;
    void FillRect(const Rect& rect, TColor color) override;
    void FrameRect(const Rect& rect, TColor color) override;
    void FillRegion(const Region& region, TColor color) override;

    void IntersectClip(const Rect& rect) override;
    void IntersectClip(const Region& region) override;
    void SelectClip(const Region* region) override;
    Region GetClip() const override;

    void TextOut(int x, int y, std::string_view text) override;
    void TextRect(const Rect& clip, int x, int y, std::string_view text) override;
    std::vector<int> CharEdges(std::string_view text) override;
    Point TextExtent(std::string_view text) override;
    FontMetrics GetFontMetrics() override;
    void TextOutline(int x, int y, std::string_view text, bool fill) override;

    void DrawImage(const Rect& dst, const Image& image, const Rect& src, bool mirrorX = false,
                   bool mirrorY = false) override;
    void DrawMetafile(const Rect& dst, const PageRecording& metafile, JobWaiter* waiter = nullptr) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The part of a raster canvas (screen or image) its painter may still touch, in the canvas's
// coordinates; nullopt for other canvases or when nothing limits it.
std::optional<Rect> PaintableBounds(Canvas& canvas);

} // namespace platform
