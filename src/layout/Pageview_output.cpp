// Page view output: the back buffer and the paint, the one-page PDF and the printer.
#include "layout/Pageview.h"

#include "gui/EnhancedMetafile.h"
#include "gui/PdfWriter.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <utility>

namespace {

// How far selection grips reach beyond the selected item's rectangle, with room to spare.
constexpr int kGripReach = 8;

// The bounding rectangle of the pixels in which two images of one size and format differ.
QRect ChangedRect(const QImage& a, const QImage& b)
{
    const int width = a.width();
    int top = -1;
    int bottom = -1;
    int left = width;
    int right = -1;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const quint32*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const quint32*>(b.constScanLine(y));
        if (std::equal(p, p + width, q))
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x = 0;
        while (x < left && p[x] == q[x])
            ++x;
        left = std::min(left, x);
        x = width - 1;
        while (x > right && p[x] == q[x])
            --x;
        right = std::max(right, x);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

void TPageView::DoContentArea(TViewItem* item, TRect rect, int scale, std::vector<TRect>& areas)
{
    const int dpi = platform::ScreenPixelsPerInch();
    const TRect extent = item->DrawExtent(dpi, scale);
    const TRect content = ViewRectToPixels(item->GetTrueRect_(), dpi, scale);
    const int dx = rect.Left - content.Left - kGripReach;
    const int dy = rect.Top - content.Top - kGripReach;
    const int grow = 2 * kGripReach;
    areas.push_back({extent.Left + dx, extent.Top + dy, extent.Right + dx + grow, extent.Bottom + dy + grow});
}

void TPageView::DoPlayPictures(TViewItem*, int, std::vector<std::shared_ptr<const platform::MetafilePlay>>&) {}

bool TPageView::WaitForPictures(int page, platform::RunPump* pump)
{
    std::vector<std::shared_ptr<const platform::MetafilePlay>> plays;
    // The items the page's drawing reaches (Draw's walk): those on the page and their children.
    const std::function<void(TViewItem*)> ask = [&](TViewItem* item) {
        if (!item->IsOnPage(page))
            return;
        if (item->IsDrawnOn(page))
            DoPlayPictures(item, page, plays);
        for (int i = 0; i < item->GetCountOfChildren(); ++i)
            ask(item->GetItem(i));
    };
    ask(items_->GetPageRoot());
    ask(items_->GetPrintRoot());
    return platform::WaitForMetafilePlays(plays, pump);
}

void TPageView::DrawItems(platform::Canvas& canvas, TPoint origin, int pageMax)
{
    items_->GetPageRoot()->Draw(canvas, origin.X, origin.Y, GetScale_(), page_, pageMax, false, showItemMargin_);
    items_->GetPrintRoot()->Draw(canvas, origin.X, origin.Y, GetScale_(), page_, pageMax, false, true);
}

TPageView::ShownLayout TPageView::CaptureLayout()
{
    ShownLayout layout;
    layout.Valid = !backBuffer_.isNull();
    layout.Width = backBuffer_.width();
    layout.Height = backBuffer_.height();
    layout.Scale = GetScale_();
    layout.Page = page_;
    layout.PageMax = GetPageMax();
    layout.Margins = showItemMargin_;
    layout.Origin = drawer_->GetPageOrigin(0);
    layout.Places.reserve(static_cast<std::size_t>(items_->GetCount()));
    for (int i = 0; i < items_->GetCount(); ++i) {
        const TViewItem* item = items_->GetItem(i);
        layout.Places.push_back({item, item->GetBoundRect_(), item->GetTrueRect_(), item->IsDrawnOn(page_)});
    }
    return layout;
}

bool TPageView::RedrawContent(const std::vector<TViewItem*>& items)
{
    if (!Handled() || drawing_ || dragging_ || !shownLayout_.Valid || GetClientWidth() != backBuffer_.width() ||
        GetClientHeight() != backBuffer_.height())
        return false;
    if (!(CaptureLayout() == shownLayout_))
        return false;
    const int dpi = platform::ScreenPixelsPerInch();
    const int scale = GetScale_();
    const TPoint o = shownLayout_.Origin;
    std::vector<TRect> areas;
    for (TViewItem* item : items) {
        if (!item->IsDrawnOn(page_))
            continue;
        const TRect r = ViewRectToPixels(item->GetTrueRect_(), dpi, scale);
        DoContentArea(item, {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y}, scale, areas);
    }
    // Overlapping areas are merged: each part of the view is drawn in one pass of the tree.
    const QRect view = viewport()->rect();
    std::vector<QRect> parts;
    for (const TRect& area : areas) {
        QRect part = platform::ToQRect(area) & view;
        if (part.isEmpty())
            continue;
        for (auto other = parts.begin(); other != parts.end();)
            if (other->intersects(part)) {
                part |= *other;
                parts.erase(other);
                other = parts.begin();
            } else {
                ++other;
            }
        parts.push_back(part);
    }
    // Nothing in sight changed: the view is still repainted, as those awaiting a paint expect.
    if (parts.empty()) {
        viewport()->update();
        return true;
    }
    drawing_ = true;
    QRegion changed;
    try {
        // Drawn on the spare buffer, whose pixels no later redraw reads, clipped to each part in
        // turn, at the pixels a whole redraw uses; only the parts are copied to the back buffer.
        if (spareBuffer_.size() != backBuffer_.size())
            spareBuffer_ = QImage(backBuffer_.size(), backBuffer_.format());
        const int pageMax = shownLayout_.PageMax;
        QPainter painter(&spareBuffer_);
        platform::QtCanvas canvas(painter, dpi, dpi, platform::CanvasKind::Screen);
        for (const QRect& part : parts) {
            painter.setClipRect(part);
            painter.drawImage(part.topLeft(), drawer_->GetViewImage(), part);
            const TRect bounds = platform::FromQRect(part);
            items_->SetDrawBounds(&bounds);
            DrawItems(canvas, o, pageMax);
            items_->SetDrawBounds(nullptr);
            changed += part;
        }
        painter.end();
        QPainter copy(&backBuffer_);
        for (const QRect& part : parts)
            copy.drawImage(part.topLeft(), spareBuffer_, part);
    } catch (...) {
        items_->SetDrawBounds(nullptr);
        drawing_ = false;
        throw;
    }
    drawing_ = false;
    viewport()->update(changed);
    return true;
}

void TPageView::Redraw()
{
    shownLayout_.Valid = false;
    if (!Handled() || drawing_)
        return;
    drawing_ = true;
    QRect changed = viewport()->rect();
    try {
        const int width = GetClientWidth();
        const int height = GetClientHeight();
        if (width > 0 && height > 0) {
            if (backBuffer_.width() != width || backBuffer_.height() != height) {
                backBuffer_ = QImage(width, height, QImage::Format_RGB32);
                spareBuffer_ = QImage();
            }
            drawer_->SetViewSize(width, height);
        }
        if (!backBuffer_.isNull()) {
            // Drawn into the spare buffer and compared with the shown one; the grips painted over
            // the buffer are repainted where they were and where they go when they move.
            QRect grips;
            if (dragging_)
                grips = viewport()->rect();
            else if (GetSelected())
                grips = platform::ToQRect(SelectedScreenRect()).adjusted(-kGripReach, -kGripReach, kGripReach,
                                                                         kGripReach);
            const bool compare = !spareBuffer_.isNull() && !dragging_;
            const QRect moved = grips == gripsRect_ ? QRect() : grips.united(gripsRect_);
            gripsRect_ = grips;
            if (spareBuffer_.isNull())
                spareBuffer_ = QImage(backBuffer_.size(), backBuffer_.format());
            std::swap(backBuffer_, spareBuffer_);
            const TPoint o = drawer_->GetPageOrigin(0);
            QPainter painter(&backBuffer_);
            painter.drawImage(0, 0, drawer_->GetViewImage());
            const int dpi = platform::ScreenPixelsPerInch();
            // The buffer is what the view shows: its pictures come as pixels made off this thread.
            platform::QtCanvas canvas(painter, dpi, dpi, platform::CanvasKind::Screen);
            DrawItems(canvas, o, GetPageMax());
            painter.end();
            shownLayout_ = CaptureLayout();
            // A redraw that changed nothing still ends in a paint, as those awaiting one expect.
            const QRect diff = compare ? ChangedRect(backBuffer_, spareBuffer_).united(moved) : QRect();
            if (!diff.isEmpty())
                changed = diff;
        }
    } catch (...) {
        drawing_ = false;
        throw;
    }
    drawing_ = false;
    viewport()->update(changed);
}

void TPageView::DoDraw(platform::Canvas& canvas, int, int)
{
    if (!Handled() || drawing_)
        return;
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    if (backBuffer_.width() < width)
        canvas.FillRect({backBuffer_.width(), 0, width, height}, drawer_->GetBackColor());
    if (backBuffer_.height() < height)
        canvas.FillRect({0, backBuffer_.height(), width, height}, drawer_->GetBackColor());
    if (QPainter* painter = canvas.GetPainter())
        painter->drawImage(0, 0, backBuffer_);
    if (!GetSelected() || (hideSelection_ && !hasFocus()))
        return;
    if (dragging_) {
        // The grips stay where the drag started; the frame shows where the item goes.
        selectBox_.DrawGrips(canvas, hasFocus());
        selectBox_.PaintFrame(canvas);
    } else {
        selectBox_.InitSelectRect(&canvas, SelectedScreenRect(), hasFocus());
        selectBox_.SetCanvas(nullptr);
    }
}

void TPageView::SaveToEMF(const std::string& fileName)
{
    const TViewItem* page = items_->GetPageRoot();
    const int dpi = platform::ScreenPixelsPerInch();
    platform::PdfWriter writer(fileName, page->GetMMWidth_(), page->GetMMHeight_(), dpi);
    items_->GetPageRoot()->Draw(writer.GetCanvas(), 0, 0, 10000, page_, GetPageMax(), false, false);
    writer.Finish();
}

bool TPageView::DrawPrinter(const std::string& title, int copies, int pageMode, int from, int to,
                            const TPrintProgress& progress, platform::RunPump* pump)
{
    TPrinterObject* printer = PrinterObject();
    const TRect d = printer->GetDrawRect();
    const int pageMax = GetPageMax();
    if (from < 1)
        from = 0;
    else if (from > pageMax)
        from = pageMax;
    if (from <= to)
        to = std::min(to, pageMax);
    else
        to = from;
    if (from == 0 || to == 0) {
        from = 1;
        to = pageMax;
    }
    if (!printer->GetEnabled())
        return false;
    drawing_ = true;
    bool begun = false;
    bool ok = true;
    bool keepGoing = true;
    try {
        for (int copy = 0; copy < copies && keepGoing && ok; ++copy)
            for (int n = from; n <= to && keepGoing && ok; ++n) {
                if (pageMode == 0 || (pageMode == 1 && n % 2 != 0) || (pageMode == 2 && n % 2 == 0)) {
                    // A stop while the page's pictures play sends nothing of the page.
                    if (!WaitForPictures(n, pump)) {
                        keepGoing = false;
                        break;
                    }
                    // The job begins at the first page printed: nothing printed, no sheet.
                    if (!begun) {
                        if (!printer->BeginDoc(title, pump)) {
                            ok = false;
                            break;
                        }
                        begun = true;
                    } else {
                        printer->NewPage();
                    }
                    platform::Canvas& canvas = printer->GetCanvas();
                    items_->GetPageRoot()->Draw(canvas, -d.Left, -d.Top, 10000, n, pageMax, true, true);
                    items_->GetPrintRoot()->Draw(canvas, -d.Left, -d.Top, 10000, n, pageMax, true, true);
                }
                if (progress)
                    keepGoing = progress(this, n, pageMax);
            }
        // A stopped job is given up whole: the pages drawn so far go nowhere.
        if (begun && !keepGoing)
            printer->CancelDoc();
        else if (begun && !printer->EndDoc())
            ok = false;
    } catch (const std::exception&) {
        if (begun)
            printer->CancelDoc();
        ok = false;
    }
    drawing_ = false;
    Redraw();
    return ok;
}
