// Page views: the empty page, nested items with the selection grips, a drag under way, a landscape
// page, a scrolled 400 % view and the printable-area frame.
#include "layout/Pageview.h"
#include "support/Snapshot.h"

#include <QTimer>

#include <functional>

namespace {

// A page view that runs `then` once it is shown, and draws every item as a tinted box with its name.
class SnapPageView : public TPageView {
public:
    explicit SnapPageView(std::function<void(SnapPageView&)> then = {}) : then_(std::move(then))
    {
        resize(420, 360);
        OnDrawItem = [](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int, int,
                        bool) {
            if (!item->GetParent())
                return;
            const TRect box{r.Left + x, r.Top + y, r.Right + x, r.Bottom + y};
            canvas.FillRect(box, item->GetLevel() == 1 ? 0xF0E0C8 : 0xC8E0F0);
            canvas.SetBrush({0, true});
            canvas.SetFont({"ＭＳ Ｐゴシック", -12});
            canvas.TextOut(box.Left + 3, box.Top + 3, item->GetName());
        };
    }
    TViewItem* Box(TViewItem* parent, TRect mm, const std::string& name)
    {
        TViewItem* item = AddItem(parent, nullptr);
        item->SetMMBoundRect_(mm);
        item->SetMMMarginRect_({200, 200, 200, 200});
        item->SetName(name);
        return item;
    }
    void Sample()
    {
        TViewItem* header = Box(nullptr, {2000, 2000, 19000, 6000}, "見出し");
        Box(header, {0, 0, 0, 1200}, "タイトル")->SetAlign(alTop);
        Box(header, {3000, 3500, 9000, 5500}, "日付");
        TViewItem* body = Box(nullptr, {2000, 7000, 19000, 20000}, "本文");
        Box(body, {3000, 8000, 10000, 12000}, "原価表");
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        TPageView::showEvent(event);
        if (then_)
            QTimer::singleShot(20, this, [this] {
                then_(*this);
                then_ = nullptr;
            });
    }

private:
    std::function<void(SnapPageView&)> then_;
};

QPoint Corner(TPageView& view, TViewItem* item)
{
    const TRect r = item->GetScalingRect(view.GetScale_());
    const TPoint o = view.GetPageDrawer()->GetPageOrigin(0);
    return {r.Right + o.X, r.Bottom + o.Y};
}

} // namespace

VKT_SNAPSHOT(pageview_empty_a4) { return new SnapPageView; }

VKT_SNAPSHOT(pageview_items_grips)
{
    auto* view = new SnapPageView([](SnapPageView& v) {
        v.setFocus();
        v.SetSelected(v.GetItems()->ItemOfName("日付"));
    });
    view->Sample();
    return view;
}

VKT_SNAPSHOT(pageview_drag)
{
    auto* view = new SnapPageView([](SnapPageView& v) {
        v.setFocus();
        TViewItem* item = v.GetItems()->ItemOfName("原価表");
        v.SetSelected(item);
        const QPoint corner = Corner(v, item);
        v.BeginDrag(corner.x(), corner.y());
        v.Drag(corner.x() + 40, corner.y() + 25);
    });
    view->Sample();
    return view;
}

VKT_SNAPSHOT(pageview_landscape_whole)
{
    auto* view = new SnapPageView;
    view->Sample();
    view->SetOrientation(true);
    view->DrawFullPage();
    return view;
}

VKT_SNAPSHOT(pageview_400_scrolled)
{
    auto* view = new SnapPageView([](SnapPageView& v) {
        v.SetScale_(40000);
        v.SetDocPoint(300, 250);
    });
    view->Sample();
    return view;
}

VKT_SNAPSHOT(pageview_printable_area)
{
    auto* view = new SnapPageView([](SnapPageView& v) {
        v.GetItems()->GetPrintRoot()->SetBoundRect_({40, 40, 787, 1130});
        v.Redraw();
    });
    view->DrawFullPage();
    return view;
}
