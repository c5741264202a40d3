#include "layout/Upagedrawer.h"

#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "layout/Uviewitems.h"
#include "platform/Units.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <utility>

platform::TColor PageColor(TPageColor color)
{
    static constexpr QPalette::ColorRole kRoles[] = {QPalette::Dark, QPalette::WindowText, QPalette::Shadow,
                                                     QPalette::Mid};
    return platform::FromQColor(QGuiApplication::palette().color(kRoles[static_cast<int>(color)]));
}

TPageDrawer::TPageDrawer()
    : backColor_(PageColor(TPageColor::Background)), frameColor_(PageColor(TPageColor::WindowFrame)),
      shadowColor_(PageColor(TPageColor::DkShadow))
{
}

void TPageDrawer::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    DrawPage();
}

void TPageDrawer::DrawPage()
{
    if (updateCount_ != 0)
        return;
    Resize();
    Redraw();
}

void TPageDrawer::Resize()
{
    if (updateCount_ != 0 || level_ != 2)
        return;
    scale_ = std::max(scale_, 1000);
    const int dpi = platform::ScreenPixelsPerInch();
    pageW_ = ViewToPixels(static_cast<int>(mmWidth_ / platform::kMMPerInch), dpi, scale_);
    pageH_ = ViewToPixels(static_cast<int>(mmHeight_ / platform::kMMPerInch), dpi, scale_);
    docW_ = pageW_ + 5 + 2 * kGap;
    docH_ = pageH_ + 5 + 2 * kGap;
    Redraw();
}

void TPageDrawer::Redraw()
{
    if (updateCount_ != 0 || level_ == 0)
        return;
    level_ = 0;
    viewX_ = std::max(std::min(viewX_, docW_ - viewW_), 0);
    viewY_ = std::max(std::min(viewY_, docH_ - viewH_), 0);
    if (!viewImage_.isNull()) {
        QPainter painter(&viewImage_);
        const int dpi = platform::ScreenPixelsPerInch();
        platform::QtCanvas canvas(painter, dpi, dpi, platform::CanvasKind::Image);
        const platform::Point origin = GetPageOrigin(0);
        DrawImage(canvas, origin.X - 1, origin.Y - 1);
    }
    if (OnChange)
        OnChange(this);
}

platform::Point TPageDrawer::GetPageOrigin(int) const
{
    const int x = viewW_ >= docW_ ? (viewW_ - docW_) / 2 + kGap : kGap - viewX_;
    const int y = viewH_ >= docH_ ? (viewH_ - docH_) / 2 : -viewY_;
    return {x + 1, y + kGap + 1};
}

void TPageDrawer::DrawImage(platform::Canvas& canvas, int x, int y) const
{
    const int w = pageW_;
    const int h = pageH_;
    const platform::CanvasState state(canvas);
    canvas.FillRect({0, 0, viewW_, viewH_}, backColor_);
    canvas.SetPen({frameColor_, 1, platform::PenStyle::Solid});
    canvas.SetBrush({paperColor_, false});
    canvas.Rectangle({x, y, x + w + 2, y + h + 2});
    canvas.FillRect({x + w + 2, y + 3, x + w + 5, y + h + 5}, shadowColor_);
    canvas.FillRect({x + 3, y + h + 2, x + w + 5, y + h + 5}, shadowColor_);
    canvas.FillRect({x + w + 2, y, x + w + 5, y + 3}, backColor_);
    canvas.FillRect({x, y + h + 2, x + 3, y + h + 5}, backColor_);
}

int TPageDrawer::GetFullWidthScale_() const
{
    if (viewW_ < 16)
        return 0;
    const int dpi = platform::ScreenPixelsPerInch();
    return static_cast<int>((viewW_ - 2 * kGap - 5) / (mmWidth_ * 0.01 / platform::kMMPerInch * dpi * 0.0001));
}

int TPageDrawer::GetFullPageScale_() const
{
    if (viewW_ < 16 || viewH_ < 16)
        return 0;
    const double dpi = platform::ScreenPixelsPerInch();
    const double a = mmWidth_ * 0.01 / platform::kMMPerInch * dpi * 0.0001;
    const double b = mmHeight_ * 0.01 / platform::kMMPerInch * dpi * 0.0001;
    const double height = viewH_ - 2 * kGap - 5;
    const double width = viewW_ - 2 * kGap - 5;
    const double pageRatio = a == 0 || b == 0 ? 1 : a / b;
    const double viewRatio = width == 0 || height == 0 ? 1 : width / height;
    return static_cast<int>(viewRatio > pageRatio ? height / b : width / a);
}

void TPageDrawer::FitScale()
{
    if (fullWidth_)
        scale_ = GetFullWidthScale_();
    else if (fullPage_)
        scale_ = GetFullPageScale_();
}

void TPageDrawer::SetScale_(int scale)
{
    if (scale == scale_ && !fullWidth_ && !fullPage_)
        return;
    scale_ = scale;
    fullWidth_ = fullPage_ = false;
    Raise(2);
    DrawPage();
}

void TPageDrawer::DrawFullWidth()
{
    if (fullWidth_)
        return;
    fullWidth_ = true;
    fullPage_ = false;
    scale_ = GetFullWidthScale_();
    Raise(2);
    DrawPage();
}

void TPageDrawer::DrawFullPage()
{
    if (fullPage_)
        return;
    fullPage_ = true;
    fullWidth_ = false;
    scale_ = GetFullPageScale_();
    Raise(2);
    DrawPage();
}

void TPageDrawer::SetOrientation(bool landscape)
{
    if (landscape == orientation_)
        return;
    orientation_ = landscape;
    std::swap(mmWidth_, mmHeight_);
    std::swap(pageW_, pageH_);
    FitScale();
    Raise(2);
    DrawPage();
}

void TPageDrawer::SetViewSize(int width, int height)
{
    if (width == viewW_ && height == viewH_)
        return;
    viewW_ = width;
    viewH_ = height;
    viewImage_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    FitScale();
    Raise(2);
    DrawPage();
}

void TPageDrawer::SetViewPoint(int x, int y)
{
    if (x == viewX_ && y == viewY_)
        return;
    viewX_ = x;
    viewY_ = y;
    Raise(1);
    DrawPage();
}

void TPageDrawer::SetMMPageSize_(int width, int height)
{
    if (orientation_)
        std::swap(width, height);
    if (width == mmWidth_ && height == mmHeight_)
        return;
    if (width != 0)
        mmWidth_ = width;
    if (height != 0)
        mmHeight_ = height;
    FitScale();
    Raise(2);
    DrawPage();
}

void TPageDrawer::SetMMPageWidth_(int width)
{
    // The stored sides are oriented; hand over the portrait pair.
    orientation_ ? SetMMPageSize_(mmHeight_, width) : SetMMPageSize_(width, mmHeight_);
}

void TPageDrawer::SetMMPageHeight_(int height)
{
    orientation_ ? SetMMPageSize_(height, mmWidth_) : SetMMPageSize_(mmWidth_, height);
}

void TPageDrawer::SetColor(platform::TColor& field, platform::TColor color)
{
    if (color == field)
        return;
    field = color;
    Raise(1);
    DrawPage();
}

void TPageDrawer::SetBackColor(platform::TColor color) { SetColor(backColor_, color); }
void TPageDrawer::SetPaperColor(platform::TColor color) { SetColor(paperColor_, color); }
void TPageDrawer::SetFrameColor(platform::TColor color) { SetColor(frameColor_, color); }
void TPageDrawer::SetShadowColor(platform::TColor color) { SetColor(shadowColor_, color); }
