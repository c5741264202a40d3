#pragma once
// A canvas that draws nothing and logs each call as one line, with fixed font metrics so that
// layouts come out the same on every machine: for a font of height h (either sign) the ascent is
// h − h/5, the descent h/5, and each character advances by a settable unit (h/2 unless set) —
// two units for a full-width character (anything but ASCII and half-width katakana).
//
//   FillRect(0,0,10,5,#0000FF)        colours as #RRGGBB
//   TextOut(4,2,"abc")
#include "gui/Canvas.h"
#include "gui/Region.h"

#include <string>
#include <vector>

namespace vkttest {

class RecordingCanvas : public platform::Canvas {
public:
    RecordingCanvas(int width = 1000, int height = 1000, int dpi = 96);

    const std::vector<std::string>& Lines() const { return lines_; }
    // The lines joined with "\n".
    std::string Log() const;
    void ClearLog() { lines_.clear(); }
    // Pixels per half-width character; 0 goes back to half the font height.
    void SetAdvance(int advance) { advance_ = advance; }

    int DpiX() const override { return dpi_; }
    int DpiY() const override { return dpi_; }
    platform::CanvasKind Kind() const override { return platform::CanvasKind::Recording; }
    QPainter* GetPainter() override { return nullptr; }

    void Save() override;
    void Restore() override;

    void SetPen(const platform::Pen& pen) override;
    const platform::Pen& GetPen() const override { return state_.CurrentPen; }
    void SetBrush(const platform::Brush& brush) override;
    const platform::Brush& GetBrush() const override { return state_.CurrentBrush; }
    void SetFont(const platform::FontSpec& font) override;
    const platform::FontSpec& GetFont() const override { return state_.Font; }
    void SetTextColor(platform::TColor color) override;
    platform::TColor GetTextColor() const override { return state_.TextColor; }
    void SetRasterOp(platform::RasterOp op) override;
    platform::RasterOp GetRasterOp() const override { return state_.Op; }

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(const std::vector<platform::Point>& points) override;
    void Polygon(const std::vector<platform::Point>& points) override;
    void Rectangle(const platform::Rect& rect) override;
    void Ellipse(const platform::Rect& rect) override;
    void RoundRect(const platform::Rect& rect, int cornerWidth, int cornerHeight) override;
    void FillRect(const platform::Rect& rect, platform::TColor color) override;
    void FrameRect(const platform::Rect& rect, platform::TColor color) override;
    void FillRegion(const platform::Region& region, platform::TColor color) override;

    void IntersectClip(const platform::Rect& rect) override;
    void IntersectClip(const platform::Region& region) override;
    void SelectClip(const platform::Region* region) override;
    platform::Region GetClip() const override;

    void TextOut(int x, int y, std::string_view text) override;
    void TextRect(const platform::Rect& clip, int x, int y, std::string_view text) override;
    std::vector<int> CharEdges(std::string_view text) override;
    platform::Point TextExtent(std::string_view text) override;
    platform::FontMetrics GetFontMetrics() override;
    void TextOutline(int x, int y, std::string_view text, bool fill) override;

    void DrawImage(const platform::Rect& dst, const platform::Image& image, const platform::Rect& src,
                   bool mirrorX = false, bool mirrorY = false) override;
    void DrawMetafile(const platform::Rect& dst, const platform::PageRecording& metafile,
                      platform::JobWaiter* waiter = nullptr) override;

private:
    struct State {
        platform::Pen CurrentPen;
        platform::Brush CurrentBrush;
        platform::FontSpec Font;
        platform::TColor TextColor = 0;
        platform::RasterOp Op = platform::RasterOp::Copy;
        platform::Region Clip;
    };

    void Add(std::string line) { lines_.push_back(std::move(line)); }

    int width_;
    int height_;
    int dpi_;
    int advance_ = 0;
    State state_;
    std::vector<State> saved_;
    std::vector<std::string> lines_;
};

} // namespace vkttest
