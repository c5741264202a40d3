#include "layout/Uselectbox.h"

#include "layout/Upagedrawer.h"

#include <algorithm>
#include <utility>

void TSelectBox::GripSpan(int index, int g, int& from, int& to)
{
    from = index == 0 ? g - 3 : g - 4;
    to = index == 0 ? g + 4 : g + 3;
}

void TSelectBox::InitSelectRect(platform::Canvas* canvas, const platform::Rect& r, bool focused)
{
    canvas_ = canvas;
    startRect_ = selectRect_ = r;
    grips_[0] = {r.Left, r.Top};
    grips_[1] = {r.Left + (r.Right - r.Left + 1) / 2, r.Top + (r.Bottom - r.Top + 1) / 2};
    grips_[2] = {r.Right, r.Bottom};
    if (canvas)
        DrawGrips(*canvas, focused);
}

void TSelectBox::DrawGrips(platform::Canvas& canvas, bool focused) const
{
    const platform::CanvasState state(canvas);
    const platform::TColor shadow = PageColor(TPageColor::BtnShadow);
    canvas.SetPen({focused ? PageColor(TPageColor::WindowFrame) : shadow, 1, platform::PenStyle::Solid});
    canvas.SetBrush({shadow, false});
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            platform::Rect square;
            GripSpan(i, grips_[i].X, square.Left, square.Right);
            GripSpan(j, grips_[j].Y, square.Top, square.Bottom);
            canvas.Rectangle(square);
        }
}

int TSelectBox::GetPointType(int x, int y) const
{
    const platform::Rect box{grips_[0].X, grips_[0].Y, grips_[2].X, grips_[2].Y};
    if (x < box.Left - 3 || x >= box.Right + 3 || y < box.Top - 3 || y >= box.Bottom + 3)
        return 0;
    static constexpr int kCodes[3][3] = {{1, 2, 3}, {4, 10, 6}, {7, 8, 9}};
    for (int row = 2; row >= 0; --row)
        for (int column = 2; column >= 0; --column) {
            platform::Rect square;
            GripSpan(column, grips_[column].X, square.Left, square.Right);
            GripSpan(row, grips_[row].Y, square.Top, square.Bottom);
            if (square.Contains(x, y))
                return kCodes[row][column];
        }
    return box.Contains(x, y) ? 5 : 0;
}

void TSelectBox::StartDrag(int code, int x, int y)
{
    dragCode_ = code;
    startX_ = x;
    startY_ = y;
    frameShown_ = false;
    DrawFrame(selectRect_);
}

void TSelectBox::Dragging(int x, int y)
{
    DrawFrame(selectRect_);
    const int dx = x - startX_;
    const int dy = y - startY_;
    platform::Rect r = startRect_;
    const bool left = dragCode_ == 1 || dragCode_ == 4 || dragCode_ == 7;
    const bool right = dragCode_ == 3 || dragCode_ == 6 || dragCode_ == 9;
    const bool top = dragCode_ == 1 || dragCode_ == 2 || dragCode_ == 3;
    const bool bottom = dragCode_ == 7 || dragCode_ == 8 || dragCode_ == 9;
    const bool move = dragCode_ == 5 || dragCode_ == 10;
    if (left || move)
        r.Left += dx;
    if (right || move)
        r.Right += dx;
    if (top || move)
        r.Top += dy;
    if (bottom || move)
        r.Bottom += dy;
    DrawFrame(r);
}

void TSelectBox::DrawFrame(platform::Rect r)
{
    if (r.Left > r.Right)
        std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom)
        std::swap(r.Top, r.Bottom);
    selectRect_ = r;
    if (!canvas_)
        return;
    frameShown_ = !frameShown_;
    PaintFrame(*canvas_);
}

void TSelectBox::PaintFrame(platform::Canvas& canvas) const
{
    const platform::CanvasState state(canvas);
    canvas.SetPen({0x808080, 2, platform::PenStyle::Solid});
    canvas.SetRasterOp(platform::RasterOp::Xor);
    canvas.SetBrush({0, true});
    canvas.Rectangle(selectRect_);
    canvas.SetRasterOp(platform::RasterOp::Copy);
}
