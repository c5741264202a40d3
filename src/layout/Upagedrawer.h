#pragma once
// The paper of a page view on screen: its size in pixels at a zoom scale (10000 = 100 %, never
// below 1000 once measured), where it sits in the scrolled view, the scales that fit the page's
// width or the whole page, and the view image with the background, the framed paper and its
// shadow. Lengths are screen pixels (ScreenPixelsPerInch); the paper is in 1/100 mm.
//
// Redraw levels: 0 nothing pending, 1 repaint, 2 re-measure and repaint. Setters raise the level
// and call DrawPage; nothing is measured or painted while an update is open.
#include "gui/Canvas.h"
#include "platform/Color.h"

#include <QImage>

#include <functional>

class TPageDrawer {
public:
    TPageDrawer();
    TPageDrawer(const TPageDrawer&) = delete;
    TPageDrawer& operator=(const TPageDrawer&) = delete;

    void BeginUpdate() { ++updateCount_; }
    // Closes an update and draws what is pending.
    void EndUpdate();
    // Measures (level 2) and repaints (level 1 or more) when no update is open.
    void DrawPage();
    void Resize();
    void Redraw();

    // The background, paper and shadow as last painted, the view's size.
    const QImage& GetViewImage() const { return viewImage_; }
    // Top-left pixel of the paper's inside for page 0 in view coordinates.
    platform::Point GetPageOrigin(int page) const;

    // Fit the page's width / the whole page into the view; the scale then follows the view size.
    void DrawFullWidth();
    void DrawFullPage();
    bool GetFullWidth() const { return fullWidth_; }
    bool GetFullPage() const { return fullPage_; }
    int GetScale_() const { return scale_; }
    void SetScale_(int scale);
    bool GetOrientation() const { return orientation_; }
    // Landscape swaps the stored paper sides.
    void SetOrientation(bool landscape);

    int GetViewLeft() const { return viewX_; }
    int GetViewTop() const { return viewY_; }
    int GetViewWidth() const { return viewW_; }
    int GetViewHeight() const { return viewH_; }
    void SetViewSize(int width, int height);
    void SetViewPoint(int x, int y);
    void SetViewLeft(int x) { SetViewPoint(x, viewY_); }
    void SetViewTop(int y) { SetViewPoint(viewX_, y); }
    void SetViewWidth(int width) { SetViewSize(width, viewH_); }
    void SetViewHeight(int height) { SetViewSize(viewW_, height); }

    // The paper in 1/100 mm in the current orientation.
    int GetMMPageWidth_() const { return mmWidth_; }
    int GetMMPageHeight_() const { return mmHeight_; }
    // A portrait size: swapped for landscape; a zero side is left as it is.
    void SetMMPageSize_(int width, int height);
    void SetMMPageWidth_(int width);
    void SetMMPageHeight_(int height);

    int GetPageWidth() const { return pageW_; }
    int GetPageHeight() const { return pageH_; }
    int GetDocWidth() const { return docW_; }
    int GetDocHeight() const { return docH_; }
    static constexpr int kGap = 5;

    platform::TColor GetBackColor() const { return backColor_; }
    platform::TColor GetPaperColor() const { return paperColor_; }
    platform::TColor GetFrameColor() const { return frameColor_; }
    platform::TColor GetShadowColor() const { return shadowColor_; }
    void SetBackColor(platform::TColor color);
    void SetPaperColor(platform::TColor color);
    void SetFrameColor(platform::TColor color);
    void SetShadowColor(platform::TColor color);

    // The scales that fit; 0 for a view narrower (or, for the page, lower) than 16 pixels.
    int GetFullWidthScale_() const;
    int GetFullPageScale_() const;

    // Paints the background and the paper whose frame's top-left corner is (x, y).
    void DrawImage(platform::Canvas& canvas, int x, int y) const;

    // After every repaint.
    std::function<void(TPageDrawer* sender)> OnChange;

private:
    void Raise(int level) { level_ = level > level_ ? level : level_; }
    void FitScale();
    void SetColor(platform::TColor& field, platform::TColor color);

    QImage viewImage_;
    int updateCount_ = 0;
    int level_ = 0;
    bool fullWidth_ = false;
    bool fullPage_ = false;
    bool orientation_ = false;
    int pageW_ = 0;
    int pageH_ = 0;
    int scale_ = 10000;
    int mmWidth_ = 1;
    int mmHeight_ = 1;
    int viewX_ = 0;
    int viewY_ = 0;
    int viewW_ = 0;
    int viewH_ = 0;
    int docW_ = 0;
    int docH_ = 0;
    platform::TColor backColor_;
    platform::TColor paperColor_ = 0xFFFFFF;
    platform::TColor frameColor_;
    platform::TColor shadowColor_;
};

// A system colour of the palette (clBackground Dark, clWindowFrame WindowText, cl3DDkShadow
// Shadow, clBtnShadow Mid).
enum class TPageColor { Background, WindowFrame, DkShadow, BtnShadow };
platform::TColor PageColor(TPageColor color);
