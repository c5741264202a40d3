#pragma once
// The frame of the selected item on a page view: nine grip squares around its rectangle, the grip
// under a point, and the rubber-band frame while the user drags, drawn in exclusive-or so that
// drawing it twice restores what lay below.
//
// Grip codes: 0 outside, 1 top-left, 2 top, 3 top-right, 4 left, 5 inside on no grip, 6 right,
// 7 bottom-left, 8 bottom, 9 bottom-right, 10 centre.
#include "gui/Canvas.h"

class TSelectBox {
public:
    // The rectangle of the last drawn grips, and the current one.
    const platform::Rect& GetStartRect() const { return startRect_; }
    const platform::Rect& GetSelectRect() const { return selectRect_; }
    // Stores the rectangle; nothing is painted.
    void SetSelectRect(const platform::Rect& rect) { selectRect_ = rect; }
    // The canvas frames are drawn on (not owned); null draws no frames.
    void SetCanvas(platform::Canvas* canvas) { canvas_ = canvas; }
    platform::Canvas* GetCanvas() const { return canvas_; }
    int GetDragCode() const { return dragCode_; }
    bool GetFrameShown() const { return frameShown_; }

    // Keeps the canvas, starts from `rect` and paints its grips.
    void InitSelectRect(platform::Canvas* canvas, const platform::Rect& rect, bool focused);
    // Paints the grips of the start rectangle.
    void DrawGrips(platform::Canvas& canvas, bool focused) const;
    int GetPointType(int x, int y) const;
    void StartDrag(int code, int x, int y);
    // Erases the frame, moves the grip's sides by the distance from the start point, draws again.
    void Dragging(int x, int y);
    // Toggles the frame of `rect` (ordered) on the canvas and makes it the select rectangle.
    void DrawFrame(platform::Rect rect);
    // Paints the frame of the select rectangle once on another canvas (a repaint while dragging).
    void PaintFrame(platform::Canvas& canvas) const;

private:
    // The grip square of point `index` (0 first, 1 middle, 2 last) on one axis.
    static void GripSpan(int index, int g, int& from, int& to);

    platform::Canvas* canvas_ = nullptr;
    platform::Rect startRect_;
    platform::Rect selectRect_;
    int dragCode_ = 0;
    bool frameShown_ = false;
    int startX_ = 0;
    int startY_ = 0;
    platform::Point grips_[3];
};
