#include "layout/Ugraphiccontainer.h"

#include "gui/Region.h"
#include "layout/Umathsupport.h"
#include "platform/Units.h"

#include <cmath>
#include <numbers>

namespace {

constexpr TColor kWhite = 0xFFFFFF;

platform::Pen ShapePen(TColor color, int width)
{
    return {color, width, width == 0 ? platform::PenStyle::Null : platform::PenStyle::Solid};
}

platform::Brush ShapeBrush(TColor color) { return {color, color == -1}; }

} // namespace

TGraphicContainer::TGraphicContainer() : TContainer(ctGraphic) {}

TGraphicContainer::TGraphicContainer(int type) : TContainer(type), graphicType_(-1) {}

void TGraphicContainer::SetRoundSize(TPoint size)
{
    if (!GetViewItem())
        return;
    Assign(round_, size);
}

void TGraphicContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int, int,
                             bool)
{
    if (graphicType_ < 0 || !GetViewItem())
        return;
    const double f = canvas.DpiY() * scale / platform::kMMPerInch * 0.0001;
    int pw = static_cast<int>(lineWidth_ * f * 0.1);
    if (pw == 0 && lineWidth_ != 0)
        pw = 1;
    const TRect t{rect.Left + offsetX, rect.Top + offsetY, rect.Right + offsetX, rect.Bottom + offsetY};
    platform::CanvasState state(canvas);
    if (graphicType_ == 10) {
        DrawArrow(canvas, t, f, pw);
        return;
    }
    const TRect mm = GetViewItem()->GetMMTrueRect_();
    const int roundX = std::min(round_.X, mm.Width() / 20);
    const int roundY = std::min(round_.Y, mm.Height() / 20);
    const int rx = static_cast<int>(roundX * f * 0.1);
    const int ry = static_cast<int>(roundY * f * 0.1);
    // The canvas keeps a wide pen inside the figure's rectangle.
    canvas.SetPen(ShapePen(penColor_, pw));
    canvas.SetBrush(ShapeBrush(brushColor_));
    const int cx = t.Left + t.Width() / 2;
    const int cy = t.Top + t.Height() / 2;
    switch (graphicType_) {
    case 0:
        canvas.Rectangle(t);
        break;
    case 1:
        if (masking_)
            canvas.FillRegion(platform::Region(t).Diff(platform::Region::FromEllipse(t)), kWhite);
        canvas.Ellipse(t);
        break;
    case 2:
        if (masking_)
            canvas.FillRegion(
                platform::Region(t).Diff(platform::Region::FromRoundRect(t, rx + pw / 2, ry + pw / 2)), kWhite);
        canvas.RoundRect(t, rx, ry);
        break;
    case 3: case 4: case 5: case 6: case 7: case 8: {
        if (brushColor_ != -1)
            canvas.FillRect(t, brushColor_);
        if (pw == 0)
            break;
        // Rule centres that keep the whole pen inside the item.
        const int left = t.Left + pw / 2;
        const int top = t.Top + pw / 2;
        const int right = t.Right - 1 - (pw - 1) / 2;
        const int bottom = t.Bottom - 1 - (pw - 1) / 2;
        const auto line = [&](int x1, int y1, int x2, int y2) {
            canvas.MoveTo(x1, y1);
            canvas.LineTo(x2, y2);
        };
        const int g = graphicType_;
        if (g == 3 || g == 6)
            line(t.Left, top, t.Right, top);
        if (g == 3 || g == 8)
            line(t.Left, bottom, t.Right, bottom);
        if (g == 4 || g == 5)
            line(left, t.Top, left, t.Bottom);
        if (g == 4 || g == 7)
            line(right, t.Top, right, t.Bottom);
        break;
    }
    case 9: {
        if (masking_) {
            canvas.SetPen({kWhite, 1, platform::PenStyle::Solid});
            canvas.SetBrush({kWhite, false});
            const int r = t.Right - 1;
            const int b = t.Bottom - 1;
            canvas.Polygon({{t.Left, t.Top}, {cx, t.Top}, {t.Left, cy}});
            canvas.Polygon({{r, t.Top}, {r, cy}, {cx, t.Top}});
            canvas.Polygon({{r, b}, {cx, b}, {r, cy}});
            canvas.Polygon({{t.Left, b}, {t.Left, cy}, {cx, b}});
            canvas.SetPen(ShapePen(penColor_, pw));
            canvas.SetBrush(ShapeBrush(brushColor_));
        }
        const int left = t.Left + pw / 2;
        const int top = t.Top + pw / 2;
        const int right = t.Right - 1 - (pw - 1) / 2;
        const int bottom = t.Bottom - 1 - (pw - 1) / 2;
        canvas.Polygon({{cx, top}, {right, cy}, {cx, bottom}, {left, cy}});
        break;
    }
    default:
        break;
    }
}

std::vector<TPoint> TGraphicContainer::ArrowPolygon(const TRect& target, double f, int pw) const
{
    const int a = arrowAngle_ * 10;
    const int w = static_cast<int>(arrowWidth_ * 10 * f);
    const int hl = static_cast<int>(round_.X * f * 10 - pw / 2);
    const int hw = static_cast<int>(round_.Y * f * 10);
    const double ax = (target.Right - target.Left) * 0.5 * 100;
    const double by = (target.Bottom - target.Top) * 0.5 * 100;
    if (ax <= 0 || by <= 0)
        return {};
    const TPoint c{static_cast<int>((target.Left + (target.Right - target.Left) * 0.5) * 100),
                   static_cast<int>((target.Top + (target.Bottom - target.Top) * 0.5) * 100)};
    // The point of the ellipse around the centre in direction `angle`.
    const auto rim = [&](int angle) {
        const double t = (angle % 36000) / static_cast<double>(GraphScale) * std::numbers::pi / 180;
        const double cs = std::cos(t);
        const double sn = std::sin(t);
        const double k = ax * by / std::sqrt(by * by * cs * cs + ax * ax * sn * sn);
        return TPoint{c.X + static_cast<int>(k * cs), c.Y + static_cast<int>(k * sn)};
    };
    const TPoint p = rim(a);
    const TPoint q = rim(a + 18000);
    const TPoint e1 = ShiftPoint(ShiftPoint(p, a + 27000, w / 2), a + 18000, hl);
    std::vector<TPoint> corners{ShiftPoint(q, a + 27000, w / 2),
                                e1,
                                ShiftPoint(e1, a + 27000, hw / 2 - w / 2),
                                p,
                                ShiftPoint(ShiftPoint(p, a + 9000, hw / 2), a + 18000, hl),
                                ShiftPoint(ShiftPoint(p, a + 9000, w / 2), a + 18000, hl),
                                ShiftPoint(q, a + 9000, w / 2)};
    for (TPoint& corner : corners)
        corner = {corner.X / 100, corner.Y / 100};
    return corners;
}

void TGraphicContainer::DrawArrow(platform::Canvas& canvas, TRect t, double f, int pw)
{
    canvas.SelectClip(nullptr);
    if (pw > 1) {
        t.Left += pw / 2;
        t.Top += pw / 2;
        t.Right -= pw - pw / 2 - 1;
        t.Bottom -= pw - pw / 2 - 1;
    }
    const std::vector<TPoint> polygon = ArrowPolygon(t, f, pw);
    if (polygon.empty())
        return;
    canvas.SetPen(ShapePen(penColor_, pw));
    canvas.SetBrush(ShapeBrush(brushColor_));
    canvas.Polygon(polygon);
}

void TGraphicContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    if (graphicType_ <= -1)
        return;
    node.SetIntAttribute("GraphicType", graphicType_);
    node.SetIntAttribute("PenColor", penColor_);
    node.SetIntAttribute("BrushColor", brushColor_);
    node.SetIntAttribute("LineWidth", lineWidth_);
    if (masking_)
        node.SetBoolAttribute("Masking", true);
    if (graphicType_ == 10) {
        node.SetIntAttribute("ArrowWidth", arrowWidth_);
        node.SetIntAttribute("ArrowAngle", arrowAngle_);
        node.SetBoolAttribute("EndArrow", endArrow_);
        node.SetIntAttribute("HeadLength", round_.X);
        node.SetIntAttribute("HeadWidth", round_.Y);
    } else if (graphicType_ == 2) {
        node.SetIntAttribute("RoundX", round_.X);
        node.SetIntAttribute("RoundY", round_.Y);
    }
}

void TGraphicContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    SetGraphicType(ReadIntAttribute(node, "GraphicType", -1));
    SetPenColor(ReadIntAttribute(node, "PenColor", 0));
    SetBrushColor(ReadIntAttribute(node, "BrushColor", 16777215));
    SetLineWidth(ReadIntAttribute(node, "LineWidth", 10));
    SetMasking(ReadBoolAttribute(node, "Masking", false));
    if (graphicType_ == 10) {
        SetArrowWidth(node.GetIntAttribute("ArrowWidth"));
        SetArrowAngle(node.GetIntAttribute("ArrowAngle"));
        SetEndArrow(node.GetBoolAttribute("EndArrow"));
        SetRoundSize({node.GetIntAttribute("HeadLength"), node.GetIntAttribute("HeadWidth")});
    } else if (graphicType_ == 2) {
        SetRoundSize({node.GetIntAttribute("RoundX"), node.GetIntAttribute("RoundY")});
    }
}
