#pragma once
// Fonts, aligned texts and table cells as values, their layout-file text forms, and the drawer
// that puts single strings, multi-line texts, lines of cells and whole grids onto a canvas.
//
// Lengths: pixels inside the drawing attributes (TFontStruct::Size too); the grid entry points take
// hundredths of a millimetre for row heights, gaps and line widths and tenths of a point for the
// header fonts, and convert through the canvas's vertical resolution and a zoom (10000 = 100 %).
// Float-to-pixel conversions truncate toward zero.
#include "gui/Canvas.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <initializer_list>
#include <string>
#include <vector>

using TRect = platform::Rect;
using TPoint = platform::Point;
using TColor = platform::TColor;

// A small set over an enumeration of at most eight members (bit n = member n).
template <typename E>
class TSmallSet {
public:
    constexpr TSmallSet() = default;
    constexpr TSmallSet(std::initializer_list<E> members)
    {
        for (E member : members)
            bits_ |= Bit(member);
    }
    static constexpr TSmallSet FromBits(std::uint8_t bits)
    {
        TSmallSet set;
        set.bits_ = bits;
        return set;
    }
    constexpr bool Contains(E member) const { return (bits_ & Bit(member)) != 0; }
    constexpr TSmallSet& operator<<(E member) { bits_ |= Bit(member); return *this; }
    constexpr TSmallSet& operator>>(E member) { bits_ &= static_cast<std::uint8_t>(~Bit(member)); return *this; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    constexpr bool operator==(const TSmallSet&) const = default;

private:
    static constexpr std::uint8_t Bit(E member) { return static_cast<std::uint8_t>(1u << static_cast<int>(member)); }
    std::uint8_t bits_ = 0;
};

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TEdgeBorder : std::uint8_t { ebLeft, ebTop, ebRight, ebBottom };
using TFontStyles = TSmallSet<TFontStyle>;
using TEdgeBorders = TSmallSet<TEdgeBorder>;

// 0 Left, 1 Center, 2 Right / 0 Top, 1 Center, 2 Bottom; -1 for a text that names none.
using TTextHorzAlign = int;
using TTextVertAlign = int;
// 0 a title row at the top, 1 no title, 2 titles inside every row.
using TGridHeaderStyle = int;

inline constexpr const char* kDefaultFontName = "ＭＳ Ｐゴシック";

std::string FontStylesToString(TFontStyles styles);
std::string EdgeBordersToString(TEdgeBorders borders);
// Members named (letter case ignored) in a comma text; other pieces are skipped.
TFontStyles FontStylesFromString(const std::string& text);
TEdgeBorders EdgeBordersFromString(const std::string& text);
// Lines ended by CR, LF or CR LF; a final line end adds no empty line.
std::vector<std::string> SplitTextLines(const std::string& text);
std::string TextHorzAlignToString(int value);
std::string TextVertAlignToString(int value);
int TextHorzAlignFromString(const std::string& text);
int TextVertAlignFromString(const std::string& text);

struct TFontStruct {
    std::string Name = kDefaultFontName;
    int Size = 100;
    TFontStyles Style;
    TColor Color = 0;
    int CharSet = 1;   // 1: by the face name

    bool Equal(const TFontStruct& other) const;
    bool operator==(const TFontStruct& other) const { return Equal(other); }
    bool operator!=(const TFontStruct& other) const { return !Equal(other); }
};

struct TTextAttribute : TFontStruct {
    std::string Text;
    TTextHorzAlign HorzAlign = 0;
    TTextVertAlign VertAlign = 0;

    bool Equal(const TTextAttribute& other) const;
    bool operator==(const TTextAttribute& other) const { return Equal(other); }
    bool operator!=(const TTextAttribute& other) const { return !Equal(other); }
};

struct TColAttribute : TTextAttribute {
    int Width = 0;                    // pixels; 0 as wide as the text
    TColor BackColor = 0x1FFFFFFF;    // kept and compared only

    bool Equal(const TColAttribute& other) const;
    bool operator==(const TColAttribute& other) const { return Equal(other); }
    bool operator!=(const TColAttribute& other) const { return !Equal(other); }
};

// One drawn line of cells.
class TColsAttribute {
public:
    void Add(const TColAttribute& cell) { cells_.push_back(cell); }
    TColAttribute& GetAttribute(int index) { return cells_.at(static_cast<std::size_t>(index)); }
    const TColAttribute& GetAttribute(int index) const { return cells_.at(static_cast<std::size_t>(index)); }
    int GetCount() const { return static_cast<int>(cells_.size()); }
    void Clear() { cells_.clear(); }

    int Height = 0;

private:
    std::vector<TColAttribute> cells_;
};

// One record that may span several lines.
class TRowAttribute {
public:
    void Add(const TColsAttribute& line) { lines_.push_back(line); }
    TColsAttribute& GetAttribute(int index) { return lines_.at(static_cast<std::size_t>(index)); }
    const TColsAttribute& GetAttribute(int index) const { return lines_.at(static_cast<std::size_t>(index)); }
    int GetCount() const { return static_cast<int>(lines_.size()); }
    void Clear() { lines_.clear(); }

    int LineWidth = 0;   // 1/100 mm
    TTextHorzAlign HorzAlign = 0;

private:
    std::vector<TColsAttribute> lines_;
};

struct THeaderAttribute {
    std::string Title;
    int Width = 0;   // 1/10 mm
    TTextHorzAlign HorzAlign = 0;
    int CharSet = 1; // also the index of the column's font
};

// The columns of a grid, their wrap bands (columns per drawn line) and one font per character set.
class THeaderAttributes {
public:
    void Add(const std::string& title, int width, TTextHorzAlign align, int charSet);
    void Clear();
    int GetCount() const { return static_cast<int>(columns_.size()); }
    THeaderAttribute& GetAttribute(int index);
    const THeaderAttribute& GetAttribute(int index) const;
    const std::string& GetTitle(int index) const { return GetAttribute(index).Title; }
    int GetWidth(int index) const { return GetAttribute(index).Width; }
    TTextHorzAlign GetHorzAlign(int index) const { return GetAttribute(index).HorzAlign; }
    int GetCharSet(int index) const { return GetAttribute(index).CharSet; }

    int GetWrapCount() const { return static_cast<int>(wraps_.size()); }
    int GetWrap(int index) const { return wraps_.at(static_cast<std::size_t>(index)); }
    void ClearWrap() { wraps_.clear(); }
    void AddWrap(int count) { wraps_.push_back(count); }
    // Packs the columns into bands no wider than `limit` (1/10 mm); 0 keeps the bands.
    void Wrapping(int limit, int extra, int gap);

    // Grows the list to index + 1 with default fonts.
    TFontStruct& GetFont(int index);
    void SetFont(int index, const TFontStruct& font);
    const TFontStruct& GetTitleFont() const { return titleFont_; }
    void SetTitleFont(const TFontStruct& font);

    std::function<void(THeaderAttributes* Sender)> OnChange;

private:
    void DoChange();

    std::vector<THeaderAttribute> columns_;
    std::vector<int> wraps_;
    std::vector<TFontStruct> fonts_;
    TFontStruct titleFont_;
};

class TTextDrawer;
using TTextQueryEvent = std::function<void(TTextDrawer* Sender, int Col, int Row, int Tag, std::string& Text)>;

class TTextDrawer {
public:
    explicit TTextDrawer(platform::Canvas& canvas) : canvas_(canvas) {}

    platform::Canvas& GetCanvas() const { return canvas_; }

    // Each channel moved toward grey 128 by (100 − percent) %.
    static TColor ColorSaturationDown(TColor color, int percent);
    static platform::FontSpec GetLogFont(const TFontStruct& font);

    // One string in `rect`: shrunk (keeping its bottom line) or wrapped onto the bottom when wider.
    void DrawString(TRect rect, platform::FontSpec lf, TColor color, const std::string& text);
    // Aligned lines of the attribute's text, shrunk to fit the height.
    void DrawTextA(TRect rect, TTextAttribute attribute);
    void DrawCols(TRect rect, int scale, TColsAttribute cols, TTextHorzAlign align, int lineWidth, TColor lineColor,
                  int colGap, TEdgeBorders borders, bool forceShiftJis);
    void DrawColsBack(TRect rect, TColsAttribute cols, TTextHorzAlign align, int lineWidth, TColor lineColor,
                      int colGap, TEdgeBorders borders, bool forceShiftJis, TColor backColor);
    void DrawRow(TRect rect, int scale, TRowAttribute title, TRowAttribute row, bool showTitle, int rowCount,
                 int rowHeight, int rowGap, int colGap, TColor lineColor, TEdgeBorders borders,
                 const TTextQueryEvent& onTextQuery, int tag, TColor titleColor, TColor rowColor1, TColor rowColor2);
    void DrawTitleIncRow(TRect rect, int scale, TRowAttribute title, TRowAttribute row, int rowCount, int rowHeight,
                         int rowGap, int colGap, TColor lineColor, TEdgeBorders borders,
                         const TTextQueryEvent& onTextQuery, int tag, TColor titleColor, TColor rowColor1,
                         TColor rowColor2);
    // Columns of fixed width take their widths with their rules: a band as wide as `spanMM` (1/100
    // mm, the length `rect`'s width stands for; 0: the width at the scale) fills `rect` exactly,
    // its last rule inside.
    void DrawGrid(TRect rect, int scale, TGridHeaderStyle headerStyle, bool fixedWidths, THeaderAttributes& headers,
                  int rowCount, int rowHeight, int rowGap, TTextHorzAlign align, int lineWidth, int colGap,
                  TColor lineColor, TEdgeBorders gridLines, const TTextQueryEvent& onTextQuery, int tag,
                  TColor titleColor, TColor rowColor1, TColor rowColor2, int spanMM = 0);

    double PixelsPerMM(int scale) const;
    double PixelsPerPoint(int scale) const;

    // Rows drawn by DrawRow and DrawTitleIncRow: only lines reaching into [top, bottom) (pixels);
    // the others are neither asked for their texts nor drawn.
    void SetRowBand(int top, int bottom)
    {
        bandTop_ = top;
        bandBottom_ = bottom;
    }

    // Told of every body row DrawRow and DrawTitleIncRow place, drawn or not: its index, the tag
    // and its pixels.
    std::function<void(int Row, int Tag, const TRect& Rect)> OnRowPlaced;

private:
    bool InRowBand(int top, int bottom) const { return bottom > bandTop_ && top < bandBottom_; }

    // Measures the cells of width 0 and gives the block's start x.
    int LayoutCols(const TRect& rect, TColsAttribute& cols, TTextHorzAlign align, int lineWidth, int colGap,
                   bool forceShiftJis);
    int TextWidth(const platform::FontSpec& lf, const std::string& text);
    // GetLogFont with the printer's answer for the face kept while the face stays the same.
    platform::FontSpec LogFont(const TFontStruct& font);
    static platform::FontSpec StyledLogFont(platform::FontSpec lf, const TFontStruct& font);
    // A line width in 1/100 mm as pixels; a width that rounds to 0 is one pixel of a lighter colour.
    static int LinePixels(int lineWidth, double pixelsPerMM, TColor& lineColor);
    // Fills the body texts of one row from the callback.
    void QueryRow(TRowAttribute& row, int r, const TTextQueryEvent& onTextQuery, int tag);

    platform::Canvas& canvas_;
    int bandTop_ = std::numeric_limits<int>::min();
    int bandBottom_ = std::numeric_limits<int>::max();
    bool faceKnown_ = false;
    std::string faceName_;
    platform::FontSpec faceFont_;
};
