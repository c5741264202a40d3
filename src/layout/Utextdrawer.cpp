#include "layout/Utextdrawer.h"

#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/Units.h"
#include "widgets/Uprintersupport.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char*, 4> kStyleNames{"Bold", "Italic", "Underline", "StrikeOut"};
constexpr std::array<const char*, 4> kEdgeNames{"Left", "Top", "Right", "Bottom"};
constexpr std::array<const char*, 3> kHorzNames{"Left", "Center", "Right"};
constexpr std::array<const char*, 3> kVertNames{"Top", "Center", "Bottom"};

template <std::size_t N>
std::string SetToString(std::uint8_t bits, const std::array<const char*, N>& names)
{
    std::vector<std::string> items;
    for (std::size_t i = 0; i < N; ++i)
        if (bits & (1u << i))
            items.emplace_back(names[i]);
    return items.empty() ? std::string() : platform::JoinCommaText(items);
}

template <std::size_t N>
std::uint8_t SetFromString(const std::string& text, const std::array<const char*, N>& names)
{
    std::uint8_t bits = 0;
    for (const std::string& piece : platform::SplitCommaText(text))
        for (std::size_t i = 0; i < N; ++i)
            if (platform::SameText(piece, names[i]))
                bits |= static_cast<std::uint8_t>(1u << i);
    return bits;
}

template <std::size_t N>
int IndexOfName(const std::string& text, const std::array<const char*, N>& names)
{
    for (std::size_t i = 0; i < N; ++i)
        if (platform::SameText(text, names[i]))
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::vector<std::string> SplitTextLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

namespace {

// The byte length of each UTF-8 code point.
std::vector<std::size_t> CodePointStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    return starts;
}

} // namespace

std::string FontStylesToString(TFontStyles styles) { return SetToString(styles.Bits(), kStyleNames); }
std::string EdgeBordersToString(TEdgeBorders borders) { return SetToString(borders.Bits(), kEdgeNames); }
TFontStyles FontStylesFromString(const std::string& text)
{
    return TFontStyles::FromBits(SetFromString(text, kStyleNames));
}
TEdgeBorders EdgeBordersFromString(const std::string& text)
{
    return TEdgeBorders::FromBits(SetFromString(text, kEdgeNames));
}
std::string TextHorzAlignToString(int value) { return value >= 0 && value <= 2 ? kHorzNames[static_cast<std::size_t>(value)] : ""; }
std::string TextVertAlignToString(int value) { return value >= 0 && value <= 2 ? kVertNames[static_cast<std::size_t>(value)] : ""; }
int TextHorzAlignFromString(const std::string& text) { return IndexOfName(text, kHorzNames); }
int TextVertAlignFromString(const std::string& text) { return IndexOfName(text, kVertNames); }

// ---- values --------------------------------------------------------------------------------------

bool TFontStruct::Equal(const TFontStruct& other) const
{
    return Name == other.Name && Size == other.Size && Style == other.Style && Color == other.Color &&
           CharSet == other.CharSet;
}

bool TTextAttribute::Equal(const TTextAttribute& other) const
{
    return Text == other.Text && HorzAlign == other.HorzAlign && VertAlign == other.VertAlign &&
           TFontStruct::Equal(other);
}

bool TColAttribute::Equal(const TColAttribute& other) const
{
    return Width == other.Width && BackColor == other.BackColor && TTextAttribute::Equal(other);
}

void THeaderAttributes::Add(const std::string& title, int width, TTextHorzAlign align, int charSet)
{
    columns_.push_back({title, width, align, charSet});
    DoChange();
}

void THeaderAttributes::Clear()
{
    columns_.clear();
    DoChange();
}

THeaderAttribute& THeaderAttributes::GetAttribute(int index)
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    return columns_[static_cast<std::size_t>(index)];
}

const THeaderAttribute& THeaderAttributes::GetAttribute(int index) const
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    return columns_[static_cast<std::size_t>(index)];
}

TFontStruct& THeaderAttributes::GetFont(int index)
{
    if (index < 0)
        platform::RaiseListIndex(index);
    if (static_cast<std::size_t>(index) >= fonts_.size())
        fonts_.resize(static_cast<std::size_t>(index) + 1);
    return fonts_[static_cast<std::size_t>(index)];
}

void THeaderAttributes::SetFont(int index, const TFontStruct& font)
{
    TFontStruct& own = GetFont(index);
    if (own == font)
        return;
    own = font;
    DoChange();
}

void THeaderAttributes::SetTitleFont(const TFontStruct& font)
{
    if (titleFont_ == font)
        return;
    titleFont_ = font;
    DoChange();
}

void THeaderAttributes::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void THeaderAttributes::Wrapping(int limit, int extra, int gap)
{
    if (limit == 0)
        return;
    wraps_.clear();
    int pos = extra;
    int count = 0;
    for (const THeaderAttribute& column : columns_) {
        const int w = column.Width + extra;
        if (pos + w <= limit) {
            ++count;
            pos += w + gap;
            continue;
        }
        wraps_.push_back(count == 0 ? 1 : count);
        if (count != 0) {
            count = 1;
            pos = w;
        } else {
            pos = 0;
        }
    }
    if (count > 0)
        wraps_.push_back(count);
}

// ---- drawer --------------------------------------------------------------------------------------

TColor TTextDrawer::ColorSaturationDown(TColor color, int percent)
{
    TColor result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = static_cast<int>((color >> shift) & 0xFF);
        const int v = c < 128 ? static_cast<int>(c + (128 - c) * 0.01 * (100 - percent))
                              : static_cast<int>(128 + (c - 128) * 0.01 * percent);
        result |= static_cast<TColor>(std::clamp(v, 0, 255)) << shift;
    }
    return result;
}

platform::FontSpec TTextDrawer::GetLogFont(const TFontStruct& font)
{
    return StyledLogFont(PrinterObject()->GetLogFont(font.Name), font);
}

platform::FontSpec TTextDrawer::LogFont(const TFontStruct& font)
{
    if (!faceKnown_ || faceName_ != font.Name) {
        faceFont_ = PrinterObject()->GetLogFont(font.Name);
        faceName_ = font.Name;
        faceKnown_ = true;
    }
    return StyledLogFont(faceFont_, font);
}

platform::FontSpec TTextDrawer::StyledLogFont(platform::FontSpec lf, const TFontStruct& font)
{
    lf.Face = font.Name;
    lf.Height = -font.Size;
    lf.Weight = font.Style.Contains(fsBold) ? 700 : 400;
    lf.Italic = font.Style.Contains(fsItalic);
    lf.Underline = font.Style.Contains(fsUnderline);
    lf.StrikeOut = font.Style.Contains(fsStrikeOut);
    if (font.CharSet == 1)
        lf.CharSet = std::all_of(font.Name.begin(), font.Name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })
                         ? 0
                         : 128;
    else
        lf.CharSet = font.CharSet;
    return lf;
}

double TTextDrawer::PixelsPerMM(int scale) const { return canvas_.DpiY() * scale * (1 / platform::kMMPerInch) * 0.0001; }
double TTextDrawer::PixelsPerPoint(int scale) const { return canvas_.DpiY() * scale * (1.0 / 72) * 0.0001; }

int TTextDrawer::TextWidth(const platform::FontSpec& lf, const std::string& text)
{
    canvas_.SetFont(lf);
    const TPoint extent = canvas_.TextExtent(text);
    return extent.X + 1 + (lf.Italic ? extent.Y / 4 : 0);
}

void TTextDrawer::DrawString(TRect rect, platform::FontSpec lf, TColor color, const std::string& text)
{
    if (text.empty())
        return;
    const int w = rect.Width();
    const int h = rect.Height();
    canvas_.SetFont(lf);
    TPoint extent = canvas_.TextExtent(text);
    int t = extent.X + (lf.Italic ? extent.Y / 4 : 0);
    canvas_.SetTextColor(color);
    canvas_.SetBrush({color, true});
    if (w == 0 || t <= w) {
        // A text whose cell lies inside Rect needs no clip (a clip per cell is costly to record).
        if (lf.Height != 0 && w != 0 && extent.Y <= h)
            canvas_.TextOut(rect.Left, rect.Top, text);
        else if (lf.Height != 0)
            canvas_.TextRect(rect, rect.Left, rect.Top, text);
        return;
    }
    const int h0 = extent.Y;
    const double ratio = static_cast<double>(w) / t;
    if (ratio >= 0.5) {
        lf.Height = static_cast<int>(lf.Height * ratio);
        canvas_.SetFont(lf);
        const int top = rect.Top + h0 - canvas_.TextExtent(text).Y;
        if (lf.Height != 0)
            canvas_.TextRect(rect, rect.Left, top, text);
        return;
    }
    const std::vector<std::size_t> starts = CodePointStarts(text);
    const int first = lf.Height;
    std::vector<std::string> lines;
    for (int n = 2;; ++n) {
        lf.Height = first / n;
        if (lf.Height == 0)
            return;
        canvas_.SetFont(lf);
        const std::vector<int> edges = canvas_.CharEdges(text);
        lines.clear();
        std::string line;
        int lineStart = 0;
        for (std::size_t i = 0; i < starts.size() && i < edges.size(); ++i) {
            const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
            const std::string ch = text.substr(starts[i], end - starts[i]);
            if (!line.empty() && edges[i] - lineStart > w) {
                lines.push_back(line);
                line.clear();
                lineStart = i > 0 ? edges[i - 1] : 0;
            }
            line += ch;
        }
        if (!line.empty())
            lines.push_back(line);
        if (static_cast<int>(lines.size()) <= n)
            break;
    }
    const int lineHeight = canvas_.TextExtent(text).Y;
    int top = rect.Top + h - static_cast<int>(lines.size()) * lineHeight;
    for (const std::string& line : lines) {
        canvas_.TextRect(rect, rect.Left, top, line);
        top += lineHeight;
    }
}

void TTextDrawer::DrawTextA(TRect rect, TTextAttribute attribute)
{
    if (attribute.Text.empty())
        return;
    const TColor color = attribute.Size < 10 ? ColorSaturationDown(attribute.Color, attribute.Size * 10) : attribute.Color;
    platform::FontSpec lf = LogFont(attribute);
    canvas_.SetFont(lf);
    const std::vector<std::string> lines = SplitTextLines(attribute.Text);
    const int n = static_cast<int>(lines.size());
    if (n == 0)
        return;
    // The lines are fitted by their characters' height: the leading a face keeps above them (a
    // tall one in some faces) may reach out of the rectangle, the characters may not.
    int h = canvas_.TextExtent(lines[0]).Y;
    int leading = std::clamp(canvas_.GetFontMetrics().InternalLeading, 0, h);
    if (n * h - leading > rect.Height() && h - leading > 0) {
        lf.Height = static_cast<int>(lf.Height * (static_cast<double>(rect.Height()) / (n * h - leading)));
        canvas_.SetFont(lf);
        h = canvas_.TextExtent(lines[0]).Y;
        leading = std::clamp(canvas_.GetFontMetrics().InternalLeading, 0, h);
    }
    int y0 = rect.Top - leading;
    if (attribute.VertAlign == 1)
        y0 = rect.Top + (rect.Height() - (n * h - leading)) / 2 - leading;
    else if (attribute.VertAlign == 2)
        y0 = rect.Bottom - n * h;
    const int band = rect.Height() / n;
    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        canvas_.SetFont(lf);
        const TPoint extent = canvas_.TextExtent(line);
        const int w = extent.X + 1 + (lf.Italic ? extent.Y / 4 : 0);
        int x = rect.Left;
        if (attribute.HorzAlign == 1)
            x = rect.Left + (rect.Width() - w) / 2;
        else if (attribute.HorzAlign == 2)
            x = rect.Right - w;
        const TRect lineRect{std::max(rect.Left, x), y0 + i * h, rect.Right,
                             std::max(rect.Top + (i + 1) * band, y0 + (i + 1) * h)};
        DrawString(lineRect, lf, color, line);
    }
}

int TTextDrawer::LayoutCols(const TRect& rect, TColsAttribute& cols, TTextHorzAlign align, int lineWidth, int colGap,
                            bool forceShiftJis)
{
    int total = 0;
    for (int i = 0; i < cols.GetCount(); ++i) {
        TColAttribute& cell = cols.GetAttribute(i);
        if (cell.Width == 0) {
            platform::FontSpec lf = LogFont(cell);
            if (forceShiftJis)
                lf.CharSet = 128;
            cell.Width = TextWidth(lf, cell.Text);
            cell.HorzAlign = 1;
        }
        total += cell.Width + colGap;
    }
    // The cells from the first rule to the end of the last.
    total += lineWidth - colGap;
    if (align == 1)
        return rect.Left + (rect.Width() - total) / 2;
    if (align == 2)
        return rect.Right - total;
    return rect.Left;
}

void TTextDrawer::DrawCols(TRect rect, int scale, TColsAttribute cols, TTextHorzAlign align, int lineWidth,
                           TColor lineColor, int colGap, TEdgeBorders borders, bool forceShiftJis)
{
    const int start = LayoutCols(rect, cols, align, lineWidth, colGap, forceShiftJis);
    const int half = lineWidth / 2;
    const int yTop = rect.Top + half;
    const int yBottom = rect.Bottom + half;
    const int pad = static_cast<int>(PixelsPerMM(scale) * 50 * 0.01);
    int x = start;
    for (int i = 0; i < cols.GetCount(); ++i) {
        TColAttribute cell = cols.GetAttribute(i);
        const int right = x + cell.Width;
        if (forceShiftJis)
            cell.CharSet = 128;
        DrawTextA({x + half + pad, yTop + half + pad, right - half - pad, rect.Bottom - half - pad}, cell);
        x = right + colGap;
    }
    if (lineWidth == 0 || cols.GetCount() == 0)
        return;
    // The rules after the texts, which stay inside their padded cells: one pen for the line of
    // cells, a rule shared by touching cells drawn once, touching pieces of a row rule as one.
    canvas_.SetPen({lineColor, lineWidth, platform::PenStyle::Solid});
    const auto line = [&](int x1, int y1, int x2, int y2) {
        canvas_.MoveTo(x1, y1);
        canvas_.LineTo(x2, y2);
    };
    const auto rowRule = [&](int y) {
        int from = start + half;
        int to = from;
        for (int i = 0, left = start; i < cols.GetCount(); ++i) {
            const int right = left + cols.GetAttribute(i).Width;
            if (left + half != to) {
                line(from, y, to, y);
                from = left + half;
            }
            to = right + half;
            left = right + colGap;
        }
        line(from, y, to, y);
    };
    if (borders.Contains(ebTop))
        rowRule(yTop);
    if (borders.Contains(ebBottom))
        rowRule(yBottom);
    int drawnAt = 0;
    bool drawn = false;
    const auto columnRule = [&](int xAt) {
        if (drawn && drawnAt == xAt)
            return;
        line(xAt, yTop, xAt, yBottom);
        drawn = true;
        drawnAt = xAt;
    };
    for (int i = 0, left = start; i < cols.GetCount(); ++i) {
        const int right = left + cols.GetAttribute(i).Width;
        if (borders.Contains(ebLeft))
            columnRule(left + half);
        if (borders.Contains(ebRight))
            columnRule(right + half);
        left = right + colGap;
    }
}

void TTextDrawer::DrawColsBack(TRect rect, TColsAttribute cols, TTextHorzAlign align, int lineWidth, TColor,
                               int colGap, TEdgeBorders, bool forceShiftJis, TColor backColor)
{
    int x = LayoutCols(rect, cols, align, lineWidth, colGap, forceShiftJis);
    if (backColor == -1)
        return;
    const int half = lineWidth / 2;
    for (int i = 0; i < cols.GetCount(); ++i) {
        const int right = x + cols.GetAttribute(i).Width;
        canvas_.FillRect({x + half, rect.Top + half, right + half, rect.Bottom + half}, backColor);
        x = right + colGap;
    }
    canvas_.SetBrush({backColor, true});
}

int TTextDrawer::LinePixels(int lineWidth, double k, TColor& lineColor)
{
    const int pixels = static_cast<int>(lineWidth * k * 0.01);
    if (lineWidth == 0 || pixels != 0)
        return pixels;
    // A hairline: one pixel in a lighter colour.
    lineColor = ColorSaturationDown(lineColor, static_cast<int>(lineWidth * k));
    return 1;
}

void TTextDrawer::QueryRow(TRowAttribute& row, int r, const TTextQueryEvent& onTextQuery, int tag)
{
    int col = 0;
    for (int l = 0; l < row.GetCount(); ++l) {
        TColsAttribute& line = row.GetAttribute(l);
        for (int c = 0; c < line.GetCount(); ++c, ++col) {
            std::string text;
            if (onTextQuery)
                onTextQuery(this, col, r, tag, text);
            line.GetAttribute(c).Text = text;
        }
    }
}

void TTextDrawer::DrawRow(TRect rect, int scale, TRowAttribute title, TRowAttribute row, bool showTitle, int rowCount,
                          int rowHeight, int rowGap, int colGap, TColor lineColor, TEdgeBorders borders,
                          const TTextQueryEvent& onTextQuery, int tag, TColor titleColor, TColor rowColor1,
                          TColor rowColor2)
{
    const double k = PixelsPerMM(scale);
    const int linePx = LinePixels(title.LineWidth, k, lineColor);
    const int gapPx = static_cast<int>(colGap * k * 0.01);
    for (int pass = 0; pass < 2; ++pass) {
        int y = rowGap / 2;
        const auto walk = [&](TRowAttribute& attr, bool shiftJis, TColor back) {
            for (int l = 0; l < attr.GetCount(); ++l) {
                TColsAttribute& line = attr.GetAttribute(l);
                const int top = rect.Top + static_cast<int>(y * k * 0.01);
                y += rowHeight + title.LineWidth;
                const int bottom = rect.Top + static_cast<int>(y * k * 0.01);
                if (!InRowBand(top, bottom))
                    continue;
                line.Height = bottom - top;
                const TRect lineRect{rect.Left, top, rect.Right, bottom};
                if (pass == 0)
                    DrawColsBack(lineRect, line, attr.HorzAlign, linePx, lineColor, gapPx, borders, shiftJis, back);
                else
                    DrawCols(lineRect, scale, line, attr.HorzAlign, linePx, lineColor, gapPx, borders, shiftJis);
            }
            y += rowGap;
        };
        if (showTitle)
            walk(title, true, titleColor);
        const int rowLines = row.GetCount();
        for (int r = 0; r < rowCount; ++r) {
            const int top = rect.Top + static_cast<int>(y * k * 0.01);
            const int bottom = rect.Top + static_cast<int>((y + rowLines * (rowHeight + title.LineWidth)) * k * 0.01);
            if (pass == 0 && OnRowPlaced)
                OnRowPlaced(r, tag, {rect.Left, top, rect.Right, bottom});
            if (!InRowBand(top, bottom)) {
                y += rowLines * (rowHeight + title.LineWidth) + rowGap;
                continue;
            }
            QueryRow(row, r, onTextQuery, tag);
            walk(row, false, r % 2 ? rowColor2 : rowColor1);
        }
    }
}

void TTextDrawer::DrawTitleIncRow(TRect rect, int scale, TRowAttribute title, TRowAttribute row, int rowCount,
                                  int rowHeight, int rowGap, int colGap, TColor lineColor, TEdgeBorders borders,
                                  const TTextQueryEvent& onTextQuery, int tag, TColor titleColor, TColor rowColor1,
                                  TColor rowColor2)
{
    const double k = PixelsPerMM(scale);
    const int linePx = LinePixels(title.LineWidth, k, lineColor);
    const int gapPx = static_cast<int>(colGap * k * 0.01);
    for (int pass = 0; pass < 2; ++pass) {
        double y = rowGap / 2;
        const auto strip = [&](TColsAttribute& line, double height, TTextHorzAlign align, bool shiftJis, TColor back) {
            const int top = rect.Top + static_cast<int>(y * k * 0.01);
            y += height;
            const int bottom = rect.Top + static_cast<int>(y * k * 0.01);
            line.Height = bottom - top;
            const TRect lineRect{rect.Left, top, rect.Right, bottom};
            if (pass == 0)
                DrawColsBack(lineRect, line, align, linePx, lineColor, gapPx, borders, shiftJis, back);
            else
                DrawCols(lineRect, scale, line, align, linePx, lineColor, gapPx, borders, shiftJis);
        };
        // Each line of a record is a caption strip over a value strip, each a row high.
        const int stripHeight = rowHeight + title.LineWidth;
        for (int r = 0; r < rowCount; ++r) {
            const int lines = std::min(title.GetCount(), row.GetCount());
            const double end = y + 2.0 * lines * stripHeight;
            const int top = rect.Top + static_cast<int>(y * k * 0.01);
            const int bottom = rect.Top + static_cast<int>(end * k * 0.01);
            if (pass == 0 && OnRowPlaced)
                OnRowPlaced(r, tag, {rect.Left, top, rect.Right, bottom});
            if (!InRowBand(top, bottom)) {
                y = end + rowGap;
                continue;
            }
            QueryRow(row, r, onTextQuery, tag);
            for (int l = 0; l < lines; ++l) {
                strip(title.GetAttribute(l), stripHeight, title.HorzAlign, true, titleColor);
                strip(row.GetAttribute(l), stripHeight, row.HorzAlign, false, r % 2 ? rowColor2 : rowColor1);
            }
            y += rowGap;
        }
    }
}

void TTextDrawer::DrawGrid(TRect rect, int scale, TGridHeaderStyle headerStyle, bool fixedWidths,
                           THeaderAttributes& headers, int rowCount, int rowHeight, int rowGap, TTextHorzAlign align,
                           int lineWidth, int colGap, TColor lineColor, TEdgeBorders gridLines,
                           const TTextQueryEvent& onTextQuery, int tag, TColor titleColor, TColor rowColor1,
                           TColor rowColor2, int spanMM)
{
    const double k = PixelsPerMM(scale);
    const double pt = PixelsPerPoint(scale);
    TColor color = lineColor;
    const int linePx = LinePixels(lineWidth, k, color);
    const int gapPx = static_cast<int>(colGap * k * 0.01);
    // A length from the band's left edge (1/100 mm) in pixels.
    const auto pixels = [&](long long length) {
        return spanMM > 0 ? static_cast<int>(length * rect.Width() / spanMM) : static_cast<int>(length * k * 0.01);
    };
    TRowAttribute row;
    row.LineWidth = lineWidth;
    row.HorzAlign = align;
    int column = 0;
    for (int w = 0; w < headers.GetWrapCount(); ++w) {
        TColsAttribute cols;
        const int end = std::min(column + headers.GetWrap(w), headers.GetCount());
        long long x = 0;
        int left = 0;
        for (; column < end; ++column) {
            TColAttribute cell;
            const TFontStruct& font = headers.GetFont(headers.GetCharSet(column));
            static_cast<TFontStruct&>(cell) = font;
            cell.Size = static_cast<int>(font.Size * pt * 0.1);
            cell.VertAlign = 2;
            // A cell is drawn from its left rule to the next cell's; the last one's right rule
            // lies inside the band's width.
            const long long right = x + headers.GetWidth(column) * 10LL;
            x = right + colGap;
            const int next = pixels(x);
            if (fixedWidths)
                cell.Width = std::max(column + 1 == end ? pixels(right) - left - linePx : next - gapPx - left, 1);
            left = next;
            cell.HorzAlign = headers.GetHorzAlign(column);
            cell.CharSet = headers.GetCharSet(column);
            cell.Text = headers.GetTitle(column);
            cols.Add(cell);
        }
        row.Add(cols);
    }
    const TRowAttribute title = row;
    if (headerStyle == 2)
        DrawTitleIncRow(rect, scale, title, row, rowCount, rowHeight, rowGap, colGap, lineColor, gridLines,
                        onTextQuery, tag, titleColor, rowColor1, rowColor2);
    else
        DrawRow(rect, scale, title, row, headerStyle == 0, rowCount, rowHeight, rowGap, colGap, lineColor, gridLines,
                onTextQuery, tag, titleColor, rowColor1, rowColor2);
}
