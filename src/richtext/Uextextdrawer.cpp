#include "richtext/Uextextdrawer.h"

#include "gui/QtSupport.h"

#include <algorithm>

namespace {

int Scale(int v, int zoom) { return static_cast<int>(std::int64_t{v} * zoom / 100); }

bool FlagOn(std::uint8_t f) { return f != 0 && f != TExStyle::kUnsetFlag; }

struct TPatternSegment {
    int A;
    int B;
};

std::vector<TPatternSegment> Pattern(int kind)
{
    switch (kind) {
    case 5: case 6: return {{0, 5}, {10, 15}, {20, 25}, {30, 35}};
    case 7: case 8: return {{0, 15}, {20, 35}};
    case 9: case 10: return {{0, 35}};
    case 11: case 12: return {{0, 25}, {30, 35}};
    case 13: case 14: return {{0, 15}, {20, 25}, {30, 35}};
    default: return {{0, 40}};
    }
}

int FloorTo(int v, int step) { return (v >= 0 ? v / step : (v - step + 1) / step) * step; }

// The end-height shift of a wave half cut by `cut` pixels.
int WaveShift(int cut) { return cut > 6 ? 2 : (cut > 2 ? 1 : 0); }

} // namespace

TColor TExTextDrawer::ColorOf(int index, TColor fallback)
{
    return index > 0 && index < GetColors().Count() ? GetColors().GetColor(index) : fallback;
}

void TExTextDrawer::DrawUnderLine(platform::Canvas* canvas, TColor colour, int left, int right, int y, int height,
                                  int kind)
{
    if (!canvas || kind <= 0 || kind > 17 || right <= left)
        return;
    int t = std::max(1, static_cast<int>(height - height * 0.95));
    if (kind == 4 || kind == 6 || kind == 8 || kind == 10 || kind == 12 || kind == 14 || kind == 16)
        t = std::max(2, static_cast<int>(1.5 * t));
    const int passes = kind == 3 || kind == 17 ? 2 : 1;
    platform::CanvasState state(*canvas);
    canvas->SetPen({colour, 1, platform::PenStyle::Solid});
    canvas->SetBrush({colour, false});
    for (int pass = 0; pass < passes; ++pass) {
        if (kind <= 14) {
            const std::vector<TPatternSegment> segments = Pattern(kind);
            for (int p = FloorTo(left, 40); p < right; p += 40)
                for (const TPatternSegment& s : segments) {
                    const int a = std::max(p + s.A, left);
                    const int b = std::min(p + s.B, right);
                    if (b > a)
                        canvas->FillRect({a, y, b, y + t}, colour);
                }
        } else {
            canvas->SetPen({colour, t, platform::PenStyle::Solid});
            const int c = y + t / 2;
            for (int p = FloorTo(left, 20); p < right; p += 20) {
                const int halves[2][4] = {{p, c, p + 10, c + 2}, {p + 10, c + 2, p + 20, c}};
                for (const auto& h : halves) {
                    int x0 = h[0], y0 = h[1], x1 = h[2], y1 = h[3];
                    if (x1 <= left || x0 >= right)
                        continue;
                    if (x0 < left) {
                        const int shift = WaveShift(left - x0);
                        y0 += y1 > y0 ? shift : -shift;
                        x0 = left;
                    }
                    if (x1 > right) {
                        const int shift = WaveShift(x1 - right);
                        y1 += y0 > y1 ? shift : -shift;
                        x1 = right;
                    }
                    canvas->MoveTo(x0, y0);
                    canvas->LineTo(x1, y1);
                }
            }
        }
        y += t + 2;
    }
}

void TExTextDrawer::DrawTextA(platform::Canvas* canvas, platform::Rect source, platform::Rect target, int x, int y,
                              const TLineInfo& top, const TSelectInfo& selection, bool clip)
{
    if (!canvas || GetUpdateCount() > 0 || source.Width() == 0 || !top.Line)
        return;
    const int zoom = static_cast<int>(static_cast<double>(target.Width()) / source.Width() * 100);
    const int limit = source.Height();
    int h = 0;
    const TExPage* page = top.Line->GetOwner();
    TLineInfo row = top;
    for (;;) {
        const int height = row.GetHeight();
        // A page's first row is drawn even when taller than the area, clipped to it.
        const bool oversized = clip && h + height > limit;
        if (oversized && h > 0)
            break;
        const int s = Scale(h, zoom);
        if (row.Line->GetOwner() != page) {
            if (clip)
                break;
            const int sy = y + s + target.Top - GetPageGap() / 2;
            canvas->SetPen({platform::RgbColor(160, 160, 164), 1, platform::PenStyle::DashDot});
            canvas->SetBrush({0, true});
            canvas->MoveTo(target.Left, sy);
            canvas->LineTo(target.Right, sy);
            canvas->SetPen({0, 1, platform::PenStyle::Solid});
            page = row.Line->GetOwner();
        }
        TRowPaint paint;
        paint.Canvas = canvas;
        paint.Zoom = zoom;
        paint.Top = y + target.Top + s + Scale(row.GetBeforeLineSpace(), zoom);
        paint.Left = x + target.Left + Scale(RowLeft(row), zoom);
        paint.Band = Scale(height - row.GetBeforeLineSpace() - row.GetAfterLineSpace(), zoom);
        paint.Ascent = Scale(row.GetAscent(), zoom);
        paint.Descent = Scale(row.GetDescent(), zoom);
        paint.SelTop = selection.GetTopPosition();
        paint.SelBottom = selection.GetBottomPosition();
        if (oversized) {
            platform::CanvasState state(*canvas);
            canvas->IntersectClip(target);
            DrawLineBack(paint, row);
            DrawLine(paint, row);
            break;
        }
        DrawLineBack(paint, row);
        DrawLine(paint, row);
        h += height + (row.GetIsPageBottom() && !GetMultiPage() ? GetPageGap() : 0);
        if (h > limit || !NextLineInfo(row))
            break;
    }
}

void TExTextDrawer::DrawLineBack(const TRowPaint& paint, const TLineInfo& row)
{
    ForRowPieces(row, [&](const TRowPiece& p) {
        const TExStyle& style = p.Word->GetStyle();
        if (style.Highlight > 0) {
            const int left = paint.Left + Scale(p.X, paint.Zoom);
            const int width = Scale(p.Word->GetWordWrapWidth(p.Piece), paint.Zoom);
            paint.Canvas->FillRect({left, paint.Top, left + width, paint.Top + paint.Band},
                                   ColorOf(style.Highlight, 0xFFFFFF));
        }
        return true;
    });
}

void TExTextDrawer::DrawLine(const TRowPaint& paint, const TLineInfo& row)
{
    int x = paint.Left;
    const TExWord* current = nullptr;
    ForRowPieces(row, [&](const TRowPiece& p) {
        if (p.Word != current) {
            current = p.Word;
            platform::FontSpec font = GetFonts().GetLOGFONT(p.Word->GetStyle());
            font.Height = -static_cast<int>(std::int64_t{kPixelsPerInch} * std::max(0, p.Word->GetStyle().Size) *
                                            paint.Zoom / 72000);
            paint.Canvas->SetFont(font);
        }
        const int width = p.Word->GetWordWrapWidth(p.Piece) * paint.Zoom / 100;
        const int chars = p.Word->GetWordWrapCharCount(p.Piece);
        if (chars > 0) {
            const int from = row.Position + p.RowOffset;
            const int selFrom = std::clamp(paint.SelTop - from, 0, chars);
            const int selTo = std::clamp(paint.SelBottom - from, 0, chars);
            DrawWord(paint, p.Word, p.WordOffset, chars, width, x, selFrom < selTo ? selFrom : 0,
                     selFrom < selTo ? selTo : 0);
        }
        x += width;
        return true;
    });
}

void TExTextDrawer::DrawWord(const TRowPaint& paint, TExWord* word, int pieceOffset, int chars, int width, int x,
                             int selFrom, int selTo)
{
    platform::Canvas& canvas = *paint.Canvas;
    const TExStyle& style = word->GetStyle();
    const TExWordType type = word->GetType();
    const bool text = type == kWordText;
    const int uw = word->GetUnitWidth();
    // The piece's characters and their output edges (per character, cumulative).
    std::u32string cps;
    std::vector<int> edges;
    int measured = 0;
    if (text) {
        const std::string& all = word->GetText();
        const std::size_t a = word->ByteOf(pieceOffset);
        const std::size_t b = word->ByteOf(pieceOffset + chars);
        const std::string piece = all.substr(a, b - a);
        cps = CodePoints(piece);
        if (GetFixedFont()) {
            const platform::FontMetrics m = canvas.GetFontMetrics();
            const int cell = (m.Ascent + m.Descent + 1) / 2;
            for (std::size_t i = 0; i < cps.size(); ++i)
                edges.push_back(static_cast<int>(i + 1) * uw * cell);
        } else {
            edges = canvas.CharEdges(piece);
        }
        measured = edges.empty() ? 0 : edges.back();
    }
    // Laid-out x of a unit offset within the piece: output edges stretched to the piece width.
    const auto layoutX = [&](int unit) {
        const int k = unit / uw;
        if (k <= 0 || measured <= 0)
            return 0;
        const int edge = edges[static_cast<std::size_t>(std::min<int>(k, static_cast<int>(edges.size())) - 1)];
        return k >= static_cast<int>(edges.size()) ? width : static_cast<int>(std::int64_t{edge} * width / measured);
    };
    std::vector<TSegment> segments;
    if (text) {
        for (const TSegment s : {TSegment{0, selFrom, false}, TSegment{selFrom, selTo, true},
                                 TSegment{selTo, chars, false}})
            if (s.To > s.From)
                segments.push_back(s);
        if (selTo <= selFrom)
            segments = {TSegment{0, chars, false}};
    } else {
        segments.push_back({0, chars, selTo > selFrom});
    }
    const int wordAscent = Scale(word->GetAscent(), paint.Zoom);
    const int textTop = paint.Top + paint.Ascent - wordAscent;
    const int baseline = paint.Top + paint.Ascent;
    const TColor textColour = ColorOf(style.Color, 0);
    const bool breakWord = type == kWordPara || type == kWordLine;
    for (const TSegment& s : segments) {
        int left = x;
        int right = x;
        if (text) {
            left = x + layoutX(s.From);
            right = x + layoutX(s.To);
        } else if (type == kWordTab) {
            right = x + width;
        } else if (breakWord) {
            right = x + (paint.Band) / 2;
        } else {
            right = x + width;
        }
        TColor colour = textColour;
        if (s.Selected) {
            colour = platform::GetSystemColor(platform::SystemColor::HighlightText);
            canvas.FillRect({left, paint.Top, right, paint.Top + paint.Band},
                            platform::GetSystemColor(platform::SystemColor::Highlight));
        }
        if (text) {
            canvas.SetTextColor(colour);
            canvas.SetBrush({0, true});
            canvas.SetPen({colour, 1, platform::PenStyle::Solid});
            DrawString(canvas, edges, cps, s.From / uw, s.To / uw, left, textTop, right - left, FlagOn(style.Outline));
        }
        if (breakWord)
            continue;
        const int underline = style.Underline == TExStyle::kUnsetFlag ? 0 : style.Underline;
        if (underline != 0 && right > left) {
            const TColor ul = style.ULColor > 0 ? ColorOf(style.ULColor, colour) : colour;
            DrawUnderLine(&canvas, s.Selected ? colour : ul, left, right, paint.Top + paint.Ascent + paint.Descent,
                          paint.Ascent + paint.Descent, underline);
        }
        const int strike = style.Strike == TExStyle::kUnsetFlag ? 0 : style.Strike;
        if (strike != 0 && right > left) {
            const int single = baseline - std::max(1, static_cast<int>(0.4 * wordAscent));
            const auto line = [&](int ly, int t) {
                if (t <= 1) {
                    canvas.SetPen({colour, 1, platform::PenStyle::Solid});
                    canvas.MoveTo(left, ly);
                    canvas.LineTo(right, ly);
                } else {
                    canvas.FillRect({left, ly, right, ly + t}, colour);
                }
            };
            if (strike == 1) {
                line(single, 1);
            } else {
                const int t = std::max(1, static_cast<int>(0.05 * paint.Ascent));
                line(single - t, t);
                line(single - t + 3 * t, t);
            }
        }
    }
}

void TExTextDrawer::DrawString(platform::Canvas& canvas, const std::vector<int>& edges, const std::u32string& chars,
                               int from, int to, int x, int y, int width, bool outline)
{
    const int count = to - from;
    if (count <= 0)
        return;
    const auto edge = [&](int k) { return k <= 0 ? 0 : edges[static_cast<std::size_t>(k - 1)]; };
    const int measured = edge(to) - edge(from);
    const int spread = GetFixedFont() ? 0 : width - measured;
    for (int i = 0; i < count; ++i) {
        const int correction = count > 1 ? static_cast<int>(std::int64_t{spread} * i / (count - 1)) : 0;
        const int cx = x + edge(from + i) - edge(from) + correction;
        const std::string ch = CodePointsToUtf8(chars.substr(static_cast<std::size_t>(from + i), 1));
        if (outline)
            canvas.TextOutline(cx, y, ch, false);
        else
            canvas.TextOut(cx, y, ch);
    }
}
