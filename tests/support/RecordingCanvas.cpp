#include "support/RecordingCanvas.h"

#include "gui/Image.h"
#include "gui/PageRecording.h"

#include <cstdio>
#include <cstdlib>

namespace vkttest {

using namespace platform;

namespace {

std::string ColorText(TColor color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color));
    return text;
}

std::string RectText(const Rect& rect)
{
    return std::to_string(rect.Left) + "," + std::to_string(rect.Top) + "," + std::to_string(rect.Right) + "," +
           std::to_string(rect.Bottom);
}

std::string PointsText(const std::vector<Point>& points)
{
    std::string text;
    for (const Point& point : points)
        text += (text.empty() ? "" : " ") + std::to_string(point.X) + "," + std::to_string(point.Y);
    return text;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

const char* PenStyleName(PenStyle style)
{
    static const char* const names[] = {"Solid", "Dash", "Dot", "DashDot", "DashDotDot", "Null"};
    return names[static_cast<int>(style)];
}

// The number of half-width units of each code point (two for full-width characters).
std::vector<int> CharUnits(std::string_view text)
{
    std::vector<int> units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        units.push_back(code < 0x80 || (code >= 0xFF61 && code <= 0xFF9F) ? 1 : 2);
    }
    return units;
}

} // namespace

RecordingCanvas::RecordingCanvas(int width, int height, int dpi) : width_(width), height_(height), dpi_(dpi)
{
    state_.Clip = Region(Rect{0, 0, width_, height_});
}

std::string RecordingCanvas::Log() const
{
    std::string text;
    for (const std::string& line : lines_) text += (text.empty() ? "" : "\n") + line;
    return text;
}

void RecordingCanvas::Save()
{
    saved_.push_back(state_);
    Add("Save");
}

void RecordingCanvas::Restore()
{
    if (!saved_.empty()) {
        state_ = std::move(saved_.back());
        saved_.pop_back();
    }
    Add("Restore");
}

void RecordingCanvas::SetPen(const Pen& pen)
{
    state_.CurrentPen = pen;
    Add("SetPen(" + ColorText(pen.Color) + "," + std::to_string(pen.Width) + "," + PenStyleName(pen.Style) + ")");
}

void RecordingCanvas::SetBrush(const Brush& brush)
{
    state_.CurrentBrush = brush;
    Add("SetBrush(" + (brush.Null ? std::string("Null") : ColorText(brush.Color)) + ")");
}

void RecordingCanvas::SetFont(const FontSpec& font)
{
    state_.Font = font;
    std::string styles = std::string(font.Weight >= 700 ? "B" : "") + (font.Italic ? "I" : "") +
                         (font.Underline ? "U" : "") + (font.StrikeOut ? "S" : "");
    Add("SetFont(" + Quoted(font.Face) + "," + std::to_string(font.Height) +
        (font.Width ? ",w" + std::to_string(font.Width) : "") +
        (font.Escapement ? ",e" + std::to_string(font.Escapement) : "") + (styles.empty() ? "" : "," + styles) + ")");
}

void RecordingCanvas::SetTextColor(TColor color)
{
    state_.TextColor = color;
    Add("SetTextColor(" + ColorText(color) + ")");
}

void RecordingCanvas::SetRasterOp(RasterOp op)
{
    state_.Op = op;
    static const char* const names[] = {"Copy", "Xor", "Not"};
    Add(std::string("SetRasterOp(") + names[static_cast<int>(op)] + ")");
}

void RecordingCanvas::MoveTo(int x, int y) { Add("MoveTo(" + std::to_string(x) + "," + std::to_string(y) + ")"); }
void RecordingCanvas::LineTo(int x, int y) { Add("LineTo(" + std::to_string(x) + "," + std::to_string(y) + ")"); }
void RecordingCanvas::Polyline(const std::vector<Point>& points) { Add("Polyline(" + PointsText(points) + ")"); }
void RecordingCanvas::Polygon(const std::vector<Point>& points) { Add("Polygon(" + PointsText(points) + ")"); }
void RecordingCanvas::Rectangle(const Rect& rect) { Add("Rectangle(" + RectText(rect) + ")"); }
void RecordingCanvas::Ellipse(const Rect& rect) { Add("Ellipse(" + RectText(rect) + ")"); }

void RecordingCanvas::RoundRect(const Rect& rect, int cornerWidth, int cornerHeight)
{
    Add("RoundRect(" + RectText(rect) + "," + std::to_string(cornerWidth) + "," + std::to_string(cornerHeight) + ")");
}

void RecordingCanvas::FillRect(const Rect& rect, TColor color)
{
    Add("FillRect(" + RectText(rect) + "," + ColorText(color) + ")");
}

void RecordingCanvas::FrameRect(const Rect& rect, TColor color)
{
    Add("FrameRect(" + RectText(rect) + "," + ColorText(color) + ")");
}

void RecordingCanvas::FillRegion(const Region& region, TColor color)
{
    Add("FillRegion(" + RectText(region.Bounds()) + "," + ColorText(color) + ")");
}

void RecordingCanvas::IntersectClip(const Rect& rect)
{
    state_.Clip = state_.Clip.And(Region(rect));
    Add("IntersectClip(" + RectText(rect) + ")");
}

void RecordingCanvas::IntersectClip(const Region& region)
{
    state_.Clip = state_.Clip.And(region);
    Add("IntersectClip(region " + RectText(region.Bounds()) + ")");
}

void RecordingCanvas::SelectClip(const Region* region)
{
    state_.Clip = region ? *region : Region(Rect{0, 0, width_, height_});
    Add(region ? "SelectClip(region " + RectText(region->Bounds()) + ")" : std::string("SelectClip(none)"));
}

Region RecordingCanvas::GetClip() const { return state_.Clip; }

void RecordingCanvas::TextOut(int x, int y, std::string_view text)
{
    Add("TextOut(" + std::to_string(x) + "," + std::to_string(y) + "," + Quoted(text) + ")");
}

void RecordingCanvas::TextRect(const Rect& clip, int x, int y, std::string_view text)
{
    Add("TextRect(" + RectText(clip) + "," + std::to_string(x) + "," + std::to_string(y) + "," + Quoted(text) + ")");
}

std::vector<int> RecordingCanvas::CharEdges(std::string_view text)
{
    const int height = std::abs(state_.Font.Height);
    const int unit = height == 0 ? 0 : advance_ > 0 ? advance_ : height / 2;
    std::vector<int> edges = CharUnits(text);
    int right = 0;
    for (int& edge : edges) edge = right += edge * unit;
    return edges;
}

Point RecordingCanvas::TextExtent(std::string_view text)
{
    const std::vector<int> edges = CharEdges(text);
    return {edges.empty() ? 0 : edges.back(), std::abs(state_.Font.Height)};
}

FontMetrics RecordingCanvas::GetFontMetrics()
{
    const int height = std::abs(state_.Font.Height);
    FontMetrics metrics;
    metrics.Ascent = height - height / 5;
    metrics.Descent = height / 5;
    metrics.Height = height;
    metrics.AveCharWidth = height == 0 ? 0 : advance_ > 0 ? advance_ : height / 2;
    return metrics;
}

void RecordingCanvas::TextOutline(int x, int y, std::string_view text, bool fill)
{
    Add("TextOutline(" + std::to_string(x) + "," + std::to_string(y) + "," + Quoted(text) + "," +
        (fill ? "fill" : "nofill") + ")");
}

void RecordingCanvas::DrawImage(const Rect& dst, const Image& image, const Rect& src, bool mirrorX, bool mirrorY)
{
    Add("DrawImage(" + RectText(dst) + "," + std::to_string(image.GetWidth()) + "x" +
        std::to_string(image.GetHeight()) + "," + RectText(src) + (mirrorX ? ",mirrorX" : "") +
        (mirrorY ? ",mirrorY" : "") + ")");
}

void RecordingCanvas::DrawMetafile(const Rect& dst, const PageRecording& metafile, JobWaiter*)
{
    Add("DrawMetafile(" + RectText(dst) + "," + std::to_string(metafile.GetWidth()) + "x" +
        std::to_string(metafile.GetHeight()) + ")");
}

} // namespace vkttest
