#pragma once
// The text container (type 2, "Text"): one line of text in its item's rectangle — a fixed text,
// the page number ("- 2 / 5 -"), today's date, or (kind 3) an outlined text laid along the
// rectangle's diagonal. Nine alignments, any angle (tenths of a degree, clockwise), outline and a
// background colour (-1 none).
//
// Attributes after the font ones: TextType (always), HorzAlign, VertAlign ("Left"/"Center"/
// "Right", "Top"/"Center"/"Bottom"), TextBrushColor (when not -1), OutLine (when true), TextAngle
// (when not 0), Text (type 2 only).
#include "layout/Ucontainer.h"

class TTextContainer : public TContainer {
public:
    TTextContainer();
    explicit TTextContainer(int type);

    virtual std::string GetText();
    void SetText(const std::string& text);
    TTextHorzAlign GetHorzAlign() const { return horzAlign_; }
    void SetHorzAlign(TTextHorzAlign value);
    TTextVertAlign GetVertAlign() const { return vertAlign_; }
    void SetVertAlign(TTextVertAlign value);
    int GetTextType() const { return textType_; }
    void SetTextType(int value);
    TColor GetTextBrushColor() const { return textBrushColor_; }
    void SetTextBrushColor(TColor value);
    int GetTextAngle() const { return textAngle_; }
    void SetTextAngle(int value);
    bool GetOutLine() const { return outLine_; }
    void SetOutLine(bool value);

    void FontChange() override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    // The diagonal outline of kind 3 into `target`.
    void DrawProtectString(platform::Canvas& canvas, const TRect& target);

private:
    std::string text_;
    TTextHorzAlign horzAlign_ = 0;
    TTextVertAlign vertAlign_ = 0;
    int textType_ = 0;
    TColor textBrushColor_ = -1;
    int textAngle_ = 0;
    bool outLine_ = false;
};
