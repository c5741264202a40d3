#include "layout/Utextcontainer.h"

#include "layout/Umathsupport.h"
#include "platform/DateTime.h"
#include "platform/Text.h"
#include "widgets/Uprintersupport.h"

#include <cmath>
#include <numbers>

TTextContainer::TTextContainer() : TContainer(ctText) {}

TTextContainer::TTextContainer(int type) : TContainer(type) {}

std::string TTextContainer::GetText() { return text_; }

void TTextContainer::SetText(const std::string& text)
{
    if (text == GetText())
        return;
    text_ = text;
    Change();
}

void TTextContainer::SetHorzAlign(TTextHorzAlign value) { Assign(horzAlign_, value); }
void TTextContainer::SetVertAlign(TTextVertAlign value) { Assign(vertAlign_, value); }
void TTextContainer::SetTextType(int value) { Assign(textType_, value); }
void TTextContainer::SetTextBrushColor(TColor value) { Assign(textBrushColor_, value); }
void TTextContainer::SetTextAngle(int value) { Assign(textAngle_, value); }
void TTextContainer::SetOutLine(bool value) { Assign(outLine_, value); }

void TTextContainer::FontChange()
{
    TContainer::FontChange();
    if (GetFontColor() == textBrushColor_)
        textBrushColor_ = -1;
}

void TTextContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                          int pageMax, bool)
{
    const TRect target{rect.Left + offsetX, rect.Top + offsetY, rect.Right + offsetX, rect.Bottom + offsetY};
    if (textType_ == 3) {
        if (!GetText().empty())
            DrawProtectString(canvas, target);
        return;
    }
    std::string name;
    int size = 0;
    DoFont(name, size);
    std::string s;
    if (textType_ == 0)
        s = GetText();
    else if (textType_ == 1)
        s = "- " + platform::IntToStr(page) + " / " + platform::IntToStr(pageMax) + " -";
    else if (textType_ == 2)
        s = platform::DateToStr(platform::Today());
    if (s.empty())
        return;

    platform::CanvasState state(canvas);
    canvas.SetBrush({textBrushColor_, textBrushColor_ == -1});
    canvas.SetTextColor(GetFontColor());
    const TFontStyles styles = GetFontStyles();
    platform::FontSpec lf = PrinterObject()->GetLogFont(name);
    lf.Face = name;
    lf.Height = static_cast<int>(-canvas.DpiY() / 72.0 * size * scale * 0.00001);
    lf.Weight = styles.Contains(fsBold) ? 700 : 400;
    lf.Italic = styles.Contains(fsItalic);
    lf.Underline = styles.Contains(fsUnderline);
    lf.StrikeOut = styles.Contains(fsStrikeOut);
    lf.Escapement = (3600 - textAngle_) % 3600;
    canvas.SetFont(lf);
    const TPoint extent = canvas.TextExtent(s);
    const int tw = extent.X;
    const int th = extent.Y;

    // Unknown alignments are placed as Left / Top.
    const int horz = horzAlign_ >= 0 && horzAlign_ <= 2 ? horzAlign_ : 0;
    const int vert = vertAlign_ >= 0 && vertAlign_ <= 2 ? vertAlign_ : 0;
    const int cx = target.Left + target.Width() / 2;
    const int cy = target.Top + target.Height() / 2;
    const TPoint anchor{horz == 0 ? target.Left : horz == 1 ? cx : target.Right,
                        vert == 0 ? target.Top : vert == 1 ? cy : target.Bottom};
    const int left = horz == 0 ? anchor.X : horz == 1 ? anchor.X - tw / 2 : anchor.X - tw;
    const int top = vert == 0 ? anchor.Y : vert == 1 ? anchor.Y - th / 2 : anchor.Y - th;
    const TRect box{left, top, left + tw, top + th};
    const int angle = textAngle_ * 10;
    const TRect turned = RectRotatingRect(box, anchor, angle);
    TPoint origin = RotatePoint(anchor, {box.Left, box.Top}, angle);
    if (horz == 0 && turned.Left < target.Left)
        origin.X += target.Left - turned.Left;
    else if (horz == 1 && vert != 1)
        origin.X += cx - (turned.Left + turned.Width() / 2);
    else if (horz == 2 && turned.Right > target.Right)
        origin.X += target.Right - turned.Right;
    if (vert == 0 && turned.Top < target.Top)
        origin.Y += target.Top - turned.Top;
    else if (vert == 2 && turned.Bottom > target.Bottom)
        origin.Y += target.Bottom - turned.Bottom;

    if (!outLine_) {
        canvas.TextOut(origin.X, origin.Y, s);
        return;
    }
    const int penWidth = static_cast<int>(canvas.DpiY() / 72.0 * size * scale * 0.00001 * 0.025);
    canvas.SetPen({GetFontColor(), std::max(penWidth, 1), platform::PenStyle::Solid});
    canvas.SetBrush({textBrushColor_, textBrushColor_ == -1});
    canvas.TextOutline(origin.X, origin.Y, s, textBrushColor_ != -1);
}

void TTextContainer::DrawProtectString(platform::Canvas& canvas, const TRect& target)
{
    const double w = target.Width();
    const double h = target.Height();
    const double d = std::sqrt(w * w + h * h);
    const std::string text = GetText();
    if (w <= 0 || h <= 0 || text.empty())
        return;
    const double phi = std::atan2(w / d, h / d);
    platform::CanvasState state(canvas);
    platform::FontSpec lf;
    lf.Face = GetFontName();
    lf.Height = 2048;
    lf.Escapement = static_cast<int>(phi * 180 / std::numbers::pi * 10 - 900);
    lf.CharSet = 128;
    lf.Weight = 0;
    canvas.SetFont(lf);
    int tw = canvas.TextExtent(text).X;
    if (tw <= 0)
        return;
    lf.Height = static_cast<int>(d / tw * 2048);
    canvas.SetFont(lf);
    int th = canvas.TextExtent(text).Y;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    if (h < w)
        lf.Height = static_cast<int>(lf.Height * h / (h + th * sinPhi));
    else
        lf.Height = static_cast<int>(lf.Height * w / (w + th * cosPhi));
    if (lf.Height == 0)
        return;
    canvas.SetFont(lf);
    const TPoint extent = canvas.TextExtent(text);
    tw = extent.X;
    th = extent.Y;
    int x = 0;
    int y = 0;
    if (h < w) {
        x = static_cast<int>((w - (tw * cosPhi + th * sinPhi)) * 0.5);
    } else {
        x = static_cast<int>(w - tw * sinPhi);
        y = static_cast<int>((h - (tw * cosPhi + th * sinPhi)) * 0.5);
    }
    canvas.SetBrush({0, true});
    canvas.SetPen({GetFontColor(), 1, platform::PenStyle::Solid});
    canvas.TextOutline(target.Left + x, target.Top + y, text, false);
}

void TTextContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    node.SetIntAttribute("TextType", textType_);
    node.SetAttribute("HorzAlign", TextHorzAlignToString(horzAlign_));
    node.SetAttribute("VertAlign", TextVertAlignToString(vertAlign_));
    if (textBrushColor_ != -1)
        node.SetIntAttribute("TextBrushColor", textBrushColor_);
    if (outLine_)
        node.SetBoolAttribute("OutLine", true);
    if (textAngle_ != 0)
        node.SetIntAttribute("TextAngle", textAngle_);
    if (GetType() == ctText)
        node.SetAttribute("Text", GetText());
}

void TTextContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    SetTextType(node.GetIntAttribute("TextType"));
    SetHorzAlign(TextHorzAlignFromString(node.GetAttribute("HorzAlign")));
    SetVertAlign(TextVertAlignFromString(node.GetAttribute("VertAlign")));
    SetTextBrushColor(ReadIntAttribute(node, "TextBrushColor", -1));
    SetTextAngle(ReadIntAttribute(node, "TextAngle", 0));
    SetOutLine(ReadBoolAttribute(node, "OutLine", false));
    if (GetType() == ctText)
        SetText(node.GetAttribute("Text"));
}
