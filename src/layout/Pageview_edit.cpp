// Page view editing: mouse, keys, navigation, deleting, moving and the clipboard.
#include "layout/Pageview.h"

#include "gui/Clipboard.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

TViewItem* TPageView::Find(int x, int y) const
{
    const TPoint o = drawer_->GetPageOrigin(0);
    const int dpi = platform::ScreenPixelsPerInch();
    const int scale = GetScale_();
    TViewItem* found =
        items_->Find(items_->GetPageRoot(), PixelsToView(x - o.X, dpi, scale), PixelsToView(y - o.Y, dpi, scale));
    return found == items_->GetPageRoot() ? nullptr : found;
}

void TPageView::MouseDown(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    const int y = event->position().toPoint().y();
    if (!readOnly_ && (event->button() == Qt::LeftButton || rightButtonSelect_)) {
        const int grip = GetSelected() ? selectBox_.GetPointType(x, y) : 0;
        if (grip != 0 && grip != 5) {
            BeginDrag(x, y);
        } else {
            TViewItem* hit = Find(x, y);
            if (hit == GetSelected())
                BeginDrag(x, y);
            else
                SetSelected(hit);
        }
    }
    TScrollCanvas::MouseDown(event);
}

void TPageView::mousePressEvent(QMouseEvent* event)
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    MouseDown(event);
}

void TPageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (!readOnly_ && (event->buttons() & Qt::LeftButton))
        Drag(p.x(), p.y());
    viewport()->setCursor(GetCursor(p.x(), p.y()));
}

void TPageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!readOnly_)
        EndDrag();
    TScrollCanvas::mouseReleaseEvent(event);
}

void TPageView::BeginDrag(int x, int y)
{
    int grip = GetSelected() ? selectBox_.GetPointType(x, y) : 0;
    TViewItem* target = grip == 0 || grip == 5 ? Find(x, y) : GetSelected();
    if (!target) {
        SetSelected(nullptr);
        dragging_ = false;
        return;
    }
    dragging_ = true;
    SetSelected(target);
    grip = selectBox_.GetPointType(x, y);
    selectBox_.StartDrag(grip, x, y);
    viewport()->update();
}

void TPageView::Drag(int x, int y)
{
    if (!dragging_)
        return;
    selectBox_.Dragging(x, y);
    viewport()->update();
}

void TPageView::EndDrag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    TViewItem* item = GetSelected();
    if (item && selectBox_.GetSelectRect() != SelectedScreenRect()) {
        const TPoint o = drawer_->GetPageOrigin(0);
        const TRect r = selectBox_.GetSelectRect();
        item->SetScalingRect(GetScale_(), {r.Left - o.X, r.Top - o.Y, r.Right - o.X, r.Bottom - o.Y});
        selectBox_.InitSelectRect(nullptr, SelectedScreenRect(), hasFocus());
    }
    viewport()->update();
}

Qt::CursorShape TPageView::GetCursor(int x, int y) const
{
    if (dragging_ || !hasFocus())
        return Qt::ArrowCursor;
    if (!GetSelected())
        return Find(x, y) ? Qt::PointingHandCursor : Qt::ArrowCursor;
    switch (selectBox_.GetPointType(x, y)) {
    case 1:
    case 9: return Qt::SizeFDiagCursor;
    case 2:
    case 8: return Qt::SizeVerCursor;
    case 3:
    case 7: return Qt::SizeBDiagCursor;
    case 4:
    case 6: return Qt::SizeHorCursor;
    case 10: return Qt::SizeAllCursor;
    case 5: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

void TPageView::keyPressEvent(QKeyEvent* event)
{
    if (KeyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    TScrollCanvas::keyPressEvent(event);
}

bool TPageView::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    TViewItem* selected = GetSelected();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const bool arrow = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
    if (key == Qt::Key_Escape && selected) {
        SetSelected(selected->GetParent());
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ctrl && selected) {
        if (selected->GetHasChildren())
            SetSelected(selected->GetItem(0));
        return true;
    }
    if (key == Qt::Key_Delete && selected) {
        Delete(selected);
        return true;
    }
    if (arrow && selected) {
        const int direction = key == Qt::Key_Up ? 0 : key == Qt::Key_Down ? 1 : key == Qt::Key_Left ? 2 : 3;
        if (!ctrl && !shift && !alt && QGuiApplication::mouseButtons() == Qt::NoButton) {
            if (TViewItem* next = Find(selected, direction))
                SetSelected(next);
        } else if (shift) {
            static constexpr int kDx[] = {0, 0, -100, 100};
            static constexpr int kDy[] = {-100, 100, 0, 0};
            TRect r = selected->GetMMBoundRect_();
            r = {r.Left + kDx[direction], r.Top + kDy[direction], r.Right + kDx[direction], r.Bottom + kDy[direction]};
            selected->SetMMBoundRect_(r);
        } else if (ctrl) {
            static constexpr int kDw[] = {0, 0, -100, 100};
            static constexpr int kDh[] = {-100, 100, 0, 0};
            selected->SetMMSize_(selected->GetMMWidth_() + kDw[direction], selected->GetMMHeight_() + kDh[direction]);
        }
        return true;
    }
    if (key == Qt::Key_C && ctrl && selected) {
        CopyToClipboard();
        return true;
    }
    if (key == Qt::Key_X && ctrl && selected) {
        CutToClipboard();
        return true;
    }
    if (key == Qt::Key_V && ctrl) {
        PasteFromClipboard();
        return true;
    }
    if ((modifiers & Qt::KeypadModifier) && ctrl && (key == Qt::Key_Plus || key == Qt::Key_Minus))
        SetScale_(GetScale_() + (key == Qt::Key_Plus ? 1000 : -1000));
    return false;
}

void TPageView::SelNext()
{
    TViewItem* page = items_->GetPageRoot();
    TViewItem* selected = GetSelected();
    if (selected) {
        const TTreeItem* last = page->GetLastPosterity();
        if (selected->GetAbsoluteIndex() < last->GetAbsoluteIndex())
            SetSelected(static_cast<TViewItem*>(selected->GetNext()));
    } else if (page->GetHasChildren()) {
        SetSelected(page->GetItem(0));
    }
}

void TPageView::SelPrev()
{
    TViewItem* page = items_->GetPageRoot();
    TViewItem* selected = GetSelected();
    if (selected) {
        if (page->GetHasChildren() && selected->GetAbsoluteIndex() > page->GetItem(0)->GetAbsoluteIndex())
            SetSelected(static_cast<TViewItem*>(selected->GetPrev()));
    } else if (page->GetHasChildren()) {
        SetSelected(static_cast<TViewItem*>(page->GetLastPosterity()));
    }
}

TViewItem* TPageView::AddItem(TViewItem* parent, TObject* object)
{
    TViewItemsUpdate update(*items_);
    if (!parent)
        parent = items_->GetPageRoot();
    TViewItem* item = items_->AddViewItem(parent, object);
    item->SetMMPoint_(parent->GetMMLeft_(), parent->GetMMTop_());
    item->SetMMSize_(8000, 5000);
    return item;
}

namespace {

bool AllDeletable(const TViewItem* item)
{
    if (!item->GetOptions().Contains(voDeletable))
        return false;
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        if (!AllDeletable(item->GetItem(i)))
            return false;
    return true;
}

// Whether an "Item" element below `node` would load as an item without voDeletable (an element
// that does not load, with its subtree, counts as none).
bool HoldsNotDeletable(const platform::XmlNode& node)
{
    for (const platform::XmlNode& element : node.GetChildren()) {
        if (element.GetName() != "Item")
            continue;
        TVIOptions options;
        try {
            options = TViewItem::ReadOptions(element);
        } catch (const std::exception&) {
            continue;
        }
        if (!options.Contains(voDeletable) || HoldsNotDeletable(element))
            return true;
    }
    return false;
}

// True when the item may be deleted with its subtree; else the user is told why.
bool DeleteAllowed(const TViewItem* item)
{
    if (AllDeletable(item))
        return true;
    platform::ShowInformation(item->GetOptions().Contains(voDeletable) ? TPageView::kHoldsNotDeletableText
                                                                       : TPageView::kNotDeletableText);
    return false;
}

} // namespace

void TPageView::Delete(TViewItem* item)
{
    if (!item || !DeleteAllowed(item))
        return;
    if (item == GetSelected())
        SetSelected(nullptr);
    TViewItemsUpdate update(*items_);
    item->Delete();
}

bool TPageView::CanItemMove(TViewItem* item, TViewItem* target, bool asChild)
{
    bool accept = true;
    DoCanMoveViewItem(item, target, asChild, accept);
    return accept;
}

void TPageView::ItemMove(TViewItem* item, TViewItem* target, bool asChild)
{
    if (CanItemMove(item, target, asChild))
        item->MoveTo(target, asChild ? 2 : 4);
}

void TPageView::ChangeBound(int kind) { items_->ChangeBound(GetSelected(), kind); }

void TPageView::CopyToClipboard()
{
    TViewItem* selected = GetSelected();
    if (!selected)
        return;
    platform::XmlDocument doc;
    doc.SetEncoding("Shift-JIS");
    const platform::XmlNode root = doc.CreateDocumentElement("PageObject");
    items_->SaveToXml(selected, root);
    std::string bytes = doc.SaveToBytes();
    if (bytes.empty())
        return;
    bytes.push_back('\0');
    platform::Clipboard::SetData(kClipboardFormat, bytes);
}

void TPageView::CutToClipboard()
{
    TViewItem* selected = GetSelected();
    if (!selected || !DeleteAllowed(selected))
        return;
    CopyToClipboard();
    Delete(selected);
}

void TPageView::PasteFromClipboard()
{
    if (readOnly_ || !platform::Clipboard::HasFormat(kClipboardFormat))
        return;
    std::string bytes = platform::Clipboard::GetData(kClipboardFormat);
    bytes.resize(std::min(bytes.find('\0'), bytes.size()));
    platform::XmlDocument doc;
    doc.LoadFromBytes(bytes);
    const platform::XmlNode root = doc.GetDocumentElement();
    if (root.GetName() == "PageObject" && HoldsNotDeletable(root)) {
        platform::ShowInformation(kPasteNotDeletableText);
        return;
    }
    items_->LoadFromXml(GetSelected(), root);
}
