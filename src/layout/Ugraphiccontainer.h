#pragma once
// The graphic container (type 4, "Graphic"): a shape filling its item — rectangle, ellipse,
// rounded rectangle, rules along the edges, a diamond or a thick arrow at any angle — with pen and
// brush colours (-1 no fill), a line width in tenths of a millimetre (0 no outline) and an optional
// white mask outside curved shapes.
//
// Shapes: -1 none, 0 rectangle, 1 ellipse, 2 rounded rectangle, 3 top and bottom rules, 4 left
// and right rules, 5 left, 6 top, 7 right, 8 bottom rule, 9 diamond, 10 arrow.
// Attributes after the font ones, when there is a shape: GraphicType, PenColor, BrushColor,
// LineWidth, Masking (when true); an arrow adds ArrowWidth, ArrowAngle, EndArrow, HeadLength,
// HeadWidth; a rounded rectangle RoundX, RoundY.
#include "layout/Ucontainer.h"

class TGraphicContainer : public TContainer {
public:
    TGraphicContainer();
    explicit TGraphicContainer(int type);

    int GetGraphicType() const { return graphicType_; }
    void SetGraphicType(int value) { Assign(graphicType_, value); }
    int GetLineWidth() const { return lineWidth_; }
    void SetLineWidth(int value) { Assign(lineWidth_, value); }
    int GetArrowWidth() const { return arrowWidth_; }
    void SetArrowWidth(int value) { Assign(arrowWidth_, value); }
    int GetArrowAngle() const { return arrowAngle_; }
    void SetArrowAngle(int value) { Assign(arrowAngle_, value); }
    bool GetEndArrow() const { return endArrow_; }
    void SetEndArrow(bool value) { Assign(endArrow_, value); }
    bool GetMasking() const { return masking_; }
    void SetMasking(bool value) { Assign(masking_, value); }
    TColor GetPenColor() const { return penColor_; }
    void SetPenColor(TColor value) { Assign(penColor_, value); }
    TColor GetBrushColor() const { return brushColor_; }
    void SetBrushColor(TColor value) { Assign(brushColor_, value); }
    // Corner sizes of the rounded rectangle, or head length and width of the arrow (1/10 mm).
    TPoint GetRoundSize() const { return round_; }
    // Nothing while the container has no item.
    void SetRoundSize(TPoint size);

    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    // The seven corners of the arrow polygon in pixels for the target T and pen width pw.
    std::vector<TPoint> ArrowPolygon(const TRect& target, double pixelsPerMM, int penWidth) const;

private:
    void DrawArrow(platform::Canvas& canvas, TRect target, double f, int pw);

    int graphicType_ = 0;
    int lineWidth_ = 10;
    int arrowWidth_ = 0;
    int arrowAngle_ = 0;
    TColor penColor_ = 0;
    TColor brushColor_ = -1;
    TPoint round_;
    bool masking_ = false;
    bool endArrow_ = false;
};
