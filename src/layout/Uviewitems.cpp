#include "layout/Uviewitems.h"

#include "gui/QtSupport.h"
#include "platform/Errors.h"
#include "platform/FlagScope.h"
#include "platform/Text.h"
#include "platform/Units.h"

#include <algorithm>
#include <cstdlib>

namespace {

using platform::kMMPerInch;

int InchToMM(int value) { return static_cast<int>(value * kMMPerInch); }
int MMToInch(int value) { return static_cast<int>(value / kMMPerInch); }

// The bound rectangle less the margins, each side kept from passing the opposite one.
TRect ContentRect(const TRect& bound, const TRect& margins)
{
    TRect r;
    r.Left = std::min(bound.Left + margins.Left, bound.Right);
    r.Top = std::min(bound.Top + margins.Top, bound.Bottom);
    r.Right = std::max(bound.Right - margins.Right, r.Left);
    r.Bottom = std::max(bound.Bottom - margins.Bottom, r.Top);
    return r;
}

TRect Shrink(const TRect& bound, const TRect& margins)
{
    return {bound.Left + margins.Left, bound.Top + margins.Top, bound.Right - margins.Right,
            bound.Bottom - margins.Bottom};
}

// Margins clamped so that they fit the size: left at most the width, right at most what is left.
TRect ClampMargins(TRect m, int width, int height)
{
    m.Left = std::min(m.Left, width);
    m.Right = std::min(m.Right, width - m.Left);
    m.Top = std::min(m.Top, height);
    m.Bottom = std::min(m.Bottom, height - m.Top);
    return m;
}

TRect ReadRect(const platform::XmlNode& node, const char* name)
{
    const std::vector<int> v = CommaTextToInts(node.GetAttribute(name), 4);
    return {v[0], v[1], v[2], v[3]};
}

const char* const kAlignNames[] = {"None", "Top", "Bottom", "Left", "Right", "Client"};

} // namespace

int ViewToPixels(int length, int dpi, int scale)
{
    return static_cast<int>(length * 0.01 * dpi * scale * 0.0001);
}

TRect ViewRectToPixels(const TRect& rect, int dpi, int scale)
{
    TRect r;
    r.Left = ViewToPixels(rect.Left, dpi, scale);
    r.Top = ViewToPixels(rect.Top, dpi, scale);
    r.Right = ViewToPixels(rect.Width(), dpi, scale) + r.Left;
    r.Bottom = ViewToPixels(rect.Height(), dpi, scale) + r.Top;
    return r;
}

int PixelsToView(int pixels, int dpi, int scale)
{
    return static_cast<int>(pixels * 100.0 / dpi / scale * 10000);
}

std::string RectToCommaText(const TRect& r)
{
    using platform::IntToStr;
    return IntToStr(r.Left) + "," + IntToStr(r.Top) + "," + IntToStr(r.Right) + "," + IntToStr(r.Bottom);
}

std::vector<int> CommaTextToInts(const std::string& text, std::size_t count)
{
    const std::vector<std::string> parts = platform::SplitCommaText(text);
    if (parts.size() < count)
        platform::RaiseListIndex(static_cast<long long>(parts.size()));
    std::vector<int> values;
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(platform::StrToInt(parts[i]));
    return values;
}

// ---- TViewItem ---------------------------------------------------------------------------------

TViewItem::TViewItem(TViewItems* owner) : TTreeItem(owner) {}

TViewItems* TViewItem::GetOwner() const { return static_cast<TViewItems*>(TTreeItem::GetOwner()); }
TViewItem* TViewItem::GetParent() const { return static_cast<TViewItem*>(TTreeItem::GetParent()); }
TViewItem* TViewItem::GetItem(int index) const { return static_cast<TViewItem*>(TTreeItem::GetItem(index)); }

std::string TViewItem::GetName() const { return GetOwner()->GetItemName(this); }
void TViewItem::SetName(const std::string& name) { GetOwner()->SetItemName(this, name); }

TViewItem* TViewItem::GetItemOfName(const std::string& path) const
{
    const std::size_t slash = path.find('/');
    const std::string part = path.substr(0, slash);
    for (int i = 0; i < GetCountOfChildren(); ++i) {
        TViewItem* child = GetItem(i);
        if (child->GetName() != part)
            continue;
        return slash == std::string::npos ? child : child->GetItemOfName(path.substr(slash + 1));
    }
    return nullptr;
}

bool TViewItem::ItemVisible() const { return GetIsVisible(); }

void TViewItem::SetSelected(bool selected)
{
    if (!options_.Contains(voSelectable) || !ItemVisible() || selected == selected_)
        return;
    selected_ = selected;
    GetOwner()->SetSelected(selected ? this : nullptr);
}

void TViewItem::SetOptions(TVIOptions options)
{
    if (options == options_)
        return;
    options_ = options;
    Change();
}

bool TViewItem::HitTest(int x, int y) const
{
    return options_.Contains(voSelectable) && boundRect_.Contains(x, y);
}

TRect TViewItem::GetTrueRect_() const { return Shrink(boundRect_, marginRect_); }
TRect TViewItem::GetMMTrueRect_() const { return Shrink(mmBoundRect_, mmMarginRect_); }

namespace {

template <class RectOf>
TRect ClientOf(const TViewItem& item, TRect r, RectOf rectOf)
{
    for (int i = 0; i < item.GetCountOfChildren(); ++i) {
        const TViewItem* child = item.GetItem(i);
        if (child->GetDeleting() || !child->GetExpanded())
            continue;
        const TRect c = rectOf(*child);
        switch (child->GetAlign()) {
        case alTop: r.Top += c.Height(); break;
        case alBottom: r.Bottom -= c.Height(); break;
        case alLeft: r.Left += c.Width(); break;
        case alRight: r.Right -= c.Width(); break;
        default: break;
        }
    }
    return r;
}

} // namespace

TRect TViewItem::GetClientRect_() const
{
    return ClientOf(*this, GetTrueRect_(), [](const TViewItem& c) { return c.GetBoundRect_(); });
}

TRect TViewItem::GetMMClientRect_() const
{
    return ClientOf(*this, GetMMTrueRect_(), [](const TViewItem& c) { return c.GetMMBoundRect_(); });
}

void TViewItem::RectChanged()
{
    TViewItemsUpdate update(*GetOwner());
    Change();
    TViewItem* parent = GetParent();
    if (parent && !parent->aligning_)
        parent->ChangeChildAlign();
    ChangeChildAlign();
}

namespace {

// Aligned items keep the sides their alignment gives them inside the parent.
void Constrain(TRect& r, TAlign align, const TRect& trueRect, const TRect& clientRect)
{
    if (align == alTop || align == alBottom) {
        r.Left = trueRect.Left;
        r.Right = trueRect.Right;
    }
    if (align == alClient) {
        r.Left = clientRect.Left;
        r.Right = clientRect.Right;
    }
    if (align == alClient || align == alLeft || align == alRight) {
        r.Top = clientRect.Top;
        r.Bottom = clientRect.Bottom;
    }
}

} // namespace

void TViewItem::SetBoundRect_(TRect r)
{
    const TViewItem* parent = GetParent();
    if (align_ != alNone && parent)
        Constrain(r, align_, parent->GetTrueRect_(), parent->GetClientRect_());
    if (r == boundRect_)
        return;
    TViewItems* owner = GetOwner();
    const TRect mm = mmBoundRect_;
    TRect d;
    d.Left = MMToInch(mm.Left);
    d.Top = MMToInch(mm.Top);
    d.Right = static_cast<int>(mm.Width() / kMMPerInch + d.Left);
    d.Bottom = static_cast<int>(mm.Height() / kMMPerInch + d.Top);
    bool mmChanged = false;
    if (r != d) {
        TRect n = mm;
        if (r.Left != d.Left)
            n.Left = InchToMM(r.Left);
        if (r.Top != d.Top)
            n.Top = InchToMM(r.Top);
        n.Right = r.Width() != d.Width() ? static_cast<int>(r.Width() * kMMPerInch + n.Left) : n.Left + mm.Width();
        n.Bottom =
            r.Height() != d.Height() ? static_cast<int>(r.Height() * kMMPerInch + n.Top) : n.Top + mm.Height();
        TRect content = ContentRect(n, mmMarginRect_);
        owner->DoChangeRect(this, content, true);
        if (n != mm) {
            const TRect given = r;
            if (n.Left != mm.Left)
                r.Left = MMToInch(n.Left);
            if (n.Top != mm.Top)
                r.Top = MMToInch(n.Top);
            r.Right = n.Width() != mm.Width() ? static_cast<int>(n.Width() / kMMPerInch + r.Left)
                                              : r.Left + given.Width();
            r.Bottom = n.Height() != mm.Height() ? static_cast<int>(n.Height() / kMMPerInch + r.Top)
                                                 : r.Top + given.Height();
            mmBoundRect_ = n;
            mmChanged = true;
        }
    }
    if (r != boundRect_) {
        TRect content = ContentRect(r, marginRect_);
        owner->DoChangeRect(this, content, false);
        boundRect_ = r;
        RectChanged();
    } else if (mmChanged) {
        RectChanged();
    }
}

void TViewItem::SetMMBoundRect_(TRect n)
{
    const TViewItem* parent = GetParent();
    if (align_ != alNone && parent)
        Constrain(n, align_, parent->GetMMTrueRect_(), parent->GetMMClientRect_());
    if (n == mmBoundRect_)
        return;
    TViewItems* owner = GetOwner();
    TRect content = ContentRect(n, mmMarginRect_);
    owner->DoChangeRect(this, content, true);
    const TRect old = mmBoundRect_;
    mmBoundRect_ = n;
    TRect r = boundRect_;
    if (n.Left != old.Left)
        r.Left = MMToInch(n.Left);
    if (n.Top != old.Top)
        r.Top = MMToInch(n.Top);
    r.Right = n.Width() != old.Width() ? static_cast<int>(n.Width() / kMMPerInch + r.Left) : r.Left + boundRect_.Width();
    r.Bottom =
        n.Height() != old.Height() ? static_cast<int>(n.Height() / kMMPerInch + r.Top) : r.Top + boundRect_.Height();
    if (r != boundRect_) {
        TRect inch = ContentRect(r, marginRect_);
        owner->DoChangeRect(this, inch, false);
        boundRect_ = r;
    }
    RectChanged();
}

void TViewItem::SetMarginRect_(TRect m)
{
    m = ClampMargins(m, boundRect_.Width(), boundRect_.Height());
    if (m == marginRect_)
        return;
    TViewItems* owner = GetOwner();
    marginRect_ = m;
    TRect content = ContentRect(boundRect_, marginRect_);
    owner->DoChangeRect(this, content, false);
    mmMarginRect_ = ClampMargins({InchToMM(m.Left), InchToMM(m.Top), InchToMM(m.Right), InchToMM(m.Bottom)},
                                 mmBoundRect_.Width(), mmBoundRect_.Height());
    TRect mmContent = ContentRect(mmBoundRect_, mmMarginRect_);
    owner->DoChangeRect(this, mmContent, true);
    RectChanged();
}

void TViewItem::SetMMMarginRect_(TRect m)
{
    m = ClampMargins(m, mmBoundRect_.Width(), mmBoundRect_.Height());
    if (m == mmMarginRect_)
        return;
    TViewItems* owner = GetOwner();
    mmMarginRect_ = m;
    TRect mmContent = ContentRect(mmBoundRect_, mmMarginRect_);
    owner->DoChangeRect(this, mmContent, true);
    marginRect_ = ClampMargins({MMToInch(m.Left), MMToInch(m.Top), MMToInch(m.Right), MMToInch(m.Bottom)},
                               boundRect_.Width(), boundRect_.Height());
    TRect content = ContentRect(boundRect_, marginRect_);
    owner->DoChangeRect(this, content, false);
    RectChanged();
}

void TViewItem::SetSize_(int width, int height)
{
    SetBoundRect_({boundRect_.Left, boundRect_.Top, boundRect_.Left + width, boundRect_.Top + height});
}

void TViewItem::SetPoint_(int x, int y)
{
    SetBoundRect_({x, y, x + boundRect_.Width(), y + boundRect_.Height()});
}

void TViewItem::SetMMSize_(int width, int height)
{
    SetMMBoundRect_({mmBoundRect_.Left, mmBoundRect_.Top, mmBoundRect_.Left + width, mmBoundRect_.Top + height});
}

void TViewItem::SetMMPoint_(int x, int y)
{
    SetMMBoundRect_({x, y, x + mmBoundRect_.Width(), y + mmBoundRect_.Height()});
}

TRect TViewItem::GetScalingRect(int scale) const
{
    return ViewRectToPixels(boundRect_, platform::ScreenPixelsPerInch(), scale);
}

void TViewItem::SetScalingRect(int scale, const TRect& pixels)
{
    const int dpi = platform::ScreenPixelsPerInch();
    const TRect current = GetScalingRect(scale);
    TRect r = boundRect_;
    if (pixels.Left != current.Left)
        r.Left = PixelsToView(pixels.Left, dpi, scale);
    if (pixels.Top != current.Top)
        r.Top = PixelsToView(pixels.Top, dpi, scale);
    r.Right = pixels.Width() != current.Width() ? PixelsToView(pixels.Width(), dpi, scale) + r.Left
                                                : r.Left + boundRect_.Width();
    r.Bottom = pixels.Height() != current.Height() ? PixelsToView(pixels.Height(), dpi, scale) + r.Top
                                                   : r.Top + boundRect_.Height();
    SetBoundRect_(r);
}

void TViewItem::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    Change();
}

void TViewItem::SetAlignSize_(int size)
{
    alignSize_ = size;
    alignRate_ = 0;
    Change();
}

void TViewItem::SetAlignRate(int rate)
{
    alignRate_ = std::clamp(rate, 0, 100);
    alignSize_ = 0;
    Change();
}

TViewItem* TViewItem::GetItemOfAlign(int afterIndex, TAlign align) const
{
    for (int i = afterIndex + 1; i < GetCountOfChildren(); ++i) {
        TViewItem* child = GetItem(i);
        if (child->align_ == align && !child->GetDeleting() && child->GetExpanded())
            return child;
    }
    return nullptr;
}

void TViewItem::ChangeChildAlign()
{
    if (GetDeleting() || aligning_)
        return;
    const auto each = [this](TAlign align, auto&& fn) {
        for (TViewItem* c = GetItemOfAlign(-1, align); c; c = GetItemOfAlign(c->GetIndex(), align))
            fn(*c);
    };
    // Space left after the children of fixed size.
    TRect a = GetMMTrueRect_();
    const auto fixed = [](const TViewItem& c, int own, int space) {
        return std::min(c.alignSize_ != 0 ? c.alignSize_ : own, space);
    };
    each(alTop, [&](TViewItem& c) { if (c.alignRate_ == 0) a.Top += fixed(c, c.GetMMHeight_(), a.Height()); });
    each(alBottom, [&](TViewItem& c) { if (c.alignRate_ == 0) a.Bottom -= fixed(c, c.GetMMHeight_(), a.Height()); });
    each(alLeft, [&](TViewItem& c) { if (c.alignRate_ == 0) a.Left += fixed(c, c.GetMMWidth_(), a.Width()); });
    each(alRight, [&](TViewItem& c) { if (c.alignRate_ == 0) a.Right -= fixed(c, c.GetMMWidth_(), a.Width()); });
    const int w = a.Width();
    const int h = a.Height();

    TViewItemsUpdate update(*GetOwner());
    aligning_ = true;
    try {
        TRect b = GetMMTrueRect_();
        const auto extent = [](const TViewItem& c, int free, int own, int space) {
            const int size = c.alignRate_ != 0 ? static_cast<int>(static_cast<std::int64_t>(free) * c.alignRate_ / 100)
                                               : (c.alignSize_ != 0 ? c.alignSize_ : own);
            return std::min(size, space);
        };
        const auto place = [](TViewItem& c, const TRect& t) {
            if (c.mmBoundRect_ == t)
                c.ChangeChildAlign();
            else
                c.SetMMBoundRect_(t);
        };
        each(alTop, [&](TViewItem& c) {
            const int e = extent(c, h, c.GetMMHeight_(), b.Height());
            place(c, {b.Left, b.Top, b.Right, b.Top + e});
            b.Top += e;
        });
        each(alBottom, [&](TViewItem& c) {
            const int e = extent(c, h, c.GetMMHeight_(), b.Height());
            place(c, {b.Left, b.Bottom - e, b.Right, b.Bottom});
            b.Bottom -= e;
        });
        each(alLeft, [&](TViewItem& c) {
            const int e = extent(c, w, c.GetMMWidth_(), b.Width());
            place(c, {b.Left, b.Top, b.Left + e, b.Bottom});
            b.Left += e;
        });
        each(alRight, [&](TViewItem& c) {
            const int e = extent(c, w, c.GetMMWidth_(), b.Width());
            place(c, {b.Right - e, b.Top, b.Right, b.Bottom});
            b.Right -= e;
        });
        each(alClient, [&](TViewItem& c) { place(c, b); });
        each(alNone, [&](TViewItem& c) { c.ChangeChildAlign(); });
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TViewItem::SetDrawPageType(int type)
{
    drawPageType_ = type;
    drawPage_ = {};
    Change();
}

void TViewItem::SetDrawPage(TPoint pages)
{
    drawPage_ = pages;
    Change();
}

bool TViewItem::IsOnPage(int page) const
{
    if (drawPageType_ == 1)
        return page % 2 != 0;
    if (drawPageType_ == 2)
        return page % 2 == 0;
    return (drawPage_.X == 0 && drawPage_.Y == 0) || (drawPage_.X <= page && page <= drawPage_.Y);
}

void TViewItem::Foreground() { SetIndex(GetCountOfSibling() - 1); }
void TViewItem::Background() { SetIndex(0); }

bool TViewItem::IsDrawnOn(int page) const { return IsOnPage(page) && !options_.Contains(voHidden) && ItemVisible(); }

TRect TViewItem::DrawExtent(int dpi, int scale) const
{
    const TRect content = ViewRectToPixels(GetTrueRect_(), dpi, scale);
    const TRect frame = ViewRectToPixels(boundRect_, dpi, scale);
    return {std::min(content.Left, frame.Left), std::min(content.Top, frame.Top), std::max(content.Right, frame.Right),
            std::max(content.Bottom, frame.Bottom)};
}

namespace {

// How far an item may paint beyond its extent (pen widths, the dotted frame).
constexpr int kPaintReach = 8;

bool OutsideBounds(const TRect& extent, int offsetX, int offsetY, const TRect& bounds)
{
    return extent.Right + offsetX + kPaintReach <= bounds.Left || extent.Left + offsetX - kPaintReach >= bounds.Right ||
           extent.Bottom + offsetY + kPaintReach <= bounds.Top || extent.Top + offsetY - kPaintReach >= bounds.Bottom;
}

} // namespace

void TViewItem::Draw(platform::Canvas& canvas, int offsetX, int offsetY, int scale, int page, int pageMax,
                     bool printer, bool showItemMargin)
{
    const int dpi = canvas.DpiX();
    const bool onPage = IsOnPage(page);
    TViewItems* owner = GetOwner();
    const std::optional<TRect>& bounds = owner->GetDrawBounds();
    const bool shown = !options_.Contains(voHidden) && ItemVisible() &&
                       !(bounds && OutsideBounds(DrawExtent(dpi, scale), offsetX, offsetY, *bounds));
    if (onPage && shown && owner->OnDrawItem)
        owner->OnDrawItem(owner, this, offsetX, offsetY, ViewRectToPixels(GetTrueRect_(), dpi, scale), scale, canvas,
                          page, pageMax, printer);
    if (showItemMargin && !printer && shown && options_.Contains(voShowFrame)) {
        TRect frame = ViewRectToPixels(boundRect_, dpi, scale);
        frame = {frame.Left + offsetX, frame.Top + offsetY, frame.Right + offsetX, frame.Bottom + offsetY};
        const platform::CanvasState state(canvas);
        canvas.SetPen({0, 1, platform::PenStyle::Dot});
        canvas.SetRasterOp(platform::RasterOp::Not);
        canvas.SetBrush({0xFFFFFF, true});
        canvas.Rectangle(frame);
        canvas.SetRasterOp(platform::RasterOp::Copy);
    }
    if (!onPage)
        return;
    for (int i = 0; i < GetCountOfChildren(); ++i)
        GetItem(i)->Draw(canvas, offsetX, offsetY, scale, page, pageMax, printer, showItemMargin);
}

void TViewItem::SaveToXml(const platform::XmlNode& node) const
{
    const std::string name = GetName();
    if (!name.empty())
        node.SetAttribute("Name", name);
    if (!GetExpanded())
        node.SetBoolAttribute("Expanded", false);
    node.SetAttribute("Align", kAlignNames[align_ <= alClient ? align_ : alNone]);
    if (align_ != alClient) {
        if (align_ != alNone && (alignSize_ != 0 || alignRate_ != 0)) {
            if (alignSize_ != 0)
                node.SetIntAttribute("AlignSize", alignSize_);
            if (alignRate_ != 0)
                node.SetIntAttribute("AlignRate", alignRate_);
        } else {
            node.SetAttribute("BoundRect", RectToCommaText(boundRect_));
            node.SetAttribute("MMBoundRect", RectToCommaText(mmBoundRect_));
        }
    }
    node.SetAttribute("MarginRect", RectToCommaText(marginRect_));
    node.SetAttribute("MMMarginRect", RectToCommaText(mmMarginRect_));
    std::string options;
    for (int option = voSelectable; option <= voHidden; ++option) {
        if (!options_.Contains(static_cast<TVIOption>(option)))
            continue;
        if (!options.empty())
            options += ",";
        options += platform::IntToStr(option);
    }
    node.SetAttribute("Options", options);
    if (drawPageType_ == 1)
        node.SetAttribute("DrawPageType", "OddPage");
    else if (drawPageType_ == 2)
        node.SetAttribute("DrawPageType", "EvenPage");
    else if (drawPage_.X != 0 || drawPage_.Y != 0)
        node.SetAttribute("DrawPageType", platform::IntToStr(drawPage_.X) + "," + platform::IntToStr(drawPage_.Y));
}

TVIOptions TViewItem::ReadOptions(const platform::XmlNode& node)
{
    TVIOptions options;
    for (const std::string& part : platform::SplitCommaText(node.GetAttribute("Options"))) {
        const int option = platform::StrToInt(part);
        if (option >= voSelectable && option <= voHidden)
            options << static_cast<TVIOption>(option);
    }
    return options;
}

void TViewItem::LoadFromXml(const platform::XmlNode& node)
{
    SetName(node.GetAttribute("Name"));
    SetExpanded(node.HasAttribute("Expanded") ? node.GetBoolAttribute("Expanded") : true);
    const std::string align = node.GetAttribute("Align");
    align_ = alNone;
    for (int i = alTop; i <= alClient; ++i)
        if (align == kAlignNames[i])
            align_ = static_cast<TAlign>(i);
    if (align_ != alClient) {
        if (align_ != alNone && (node.HasAttribute("AlignSize") || node.HasAttribute("AlignRate"))) {
            if (node.HasAttribute("AlignSize"))
                alignSize_ = node.GetIntAttribute("AlignSize");
            if (node.HasAttribute("AlignRate"))
                alignRate_ = node.GetIntAttribute("AlignRate");
        } else {
            boundRect_ = ReadRect(node, "BoundRect");
            mmBoundRect_ = ReadRect(node, "MMBoundRect");
        }
    }
    marginRect_ = ReadRect(node, "MarginRect");
    mmMarginRect_ = ReadRect(node, "MMMarginRect");
    options_ = ReadOptions(node);
    if (node.HasAttribute("DrawPageType")) {
        const std::string type = node.GetAttribute("DrawPageType");
        if (type == "OddPage") {
            drawPageType_ = 1;
        } else if (type == "EvenPage") {
            drawPageType_ = 2;
        } else {
            const std::vector<int> range = CommaTextToInts(type, 2);
            drawPage_ = {range[0], range[1]};
        }
    }
}

// ---- TViewItems --------------------------------------------------------------------------------

TViewItems::TViewItems()
{
    TViewItem* page = static_cast<TViewItem*>(Add(nullptr));
    page->options_ >> voSelectable >> voDeletable >> voShowFrame;
    Add(nullptr);
}

TViewItems::~TViewItems()
{
    ending_ = true;
    OnSelItemChange = nullptr;
    OnChangeRect = nullptr;
    OnChangeSlaveRect = nullptr;
    OnChangeSelected = nullptr;
    OnDrawItem = nullptr;
    OnSaveXml = nullptr;
    OnLoadXml = nullptr;
    OnChange = nullptr;
    OnItemChange = nullptr;
    OnItemMove = nullptr;
    OnDeletion = nullptr;
    Clear();
}

TViewItem* TViewItems::GetPageRoot() const { return static_cast<TViewItem*>(GetRoots().at(0)); }
TViewItem* TViewItems::GetPrintRoot() const { return static_cast<TViewItem*>(GetRoots().at(1)); }
TViewItem* TViewItems::GetItem(int index) const { return static_cast<TViewItem*>(TTreeItems::GetItem(index)); }

TTreeItem* TViewItems::GetNewItem() { return new TViewItem(this); }

TViewItem* TViewItems::AddViewItem(TViewItem* parent, TObject* object)
{
    return static_cast<TViewItem*>(AddChildObject(parent ? parent : GetPageRoot(), object));
}

void TViewItems::ClearViewItem()
{
    TViewItemsUpdate update(*this);
    const platform::FlagScope clearing(clearing_);
    TViewItem* page = GetPageRoot();
    while (page->GetHasChildren())
        page->GetItem(page->GetCountOfChildren() - 1)->Delete();
    page->SetMMMarginRect_({});
}

void TViewItems::SetSelected(TViewItem* item)
{
    if (selecting_ != 0 || item == selected_ || (item && !item->ItemVisible()))
        return;
    ++selecting_;
    try {
        if (selected_) {
            TViewItem* old = selected_;
            old->selected_ = false;
            selected_ = nullptr;
            DoChangeSelected(old, false);
        }
        if (item == GetPageRoot())
            item = nullptr;
        if (item) {
            if (!item->options_.Contains(voSelectable)) {
                --selecting_;
                return;
            }
            selected_ = item;
            item->selected_ = true;
        }
        DoChangeSelected(item, true);
    } catch (...) {
        --selecting_;
        throw;
    }
    --selecting_;
}

TViewItem* TViewItems::Find(TViewItem* item, int x, int y) const
{
    if (!item)
        return nullptr;
    for (int i = item->GetCountOfChildren() - 1; i >= 0; --i)
        if (TViewItem* found = Find(item->GetItem(i), x, y))
            return found;
    return item->HitTest(x, y) ? item : nullptr;
}

TViewItem* TViewItems::Find(TViewItem* item, int direction) const
{
    if (!item)
        return nullptr;
    const TViewItem* parent = item->GetParent() ? item->GetParent() : GetPageRoot();
    const TRect& r = item->GetBoundRect_();
    const auto cx = [](const TRect& b) { return b.Left + (b.Right - b.Left) / 2; };
    const auto cy = [](const TRect& b) { return b.Top + (b.Bottom - b.Top) / 2; };
    TViewItem* best = nullptr;
    int bestX = 0;
    int bestY = 0;
    for (int i = 0; i < parent->GetCountOfChildren(); ++i) {
        TViewItem* candidate = parent->GetItem(i);
        if (candidate == item)
            continue;
        const TRect& c = candidate->GetBoundRect_();
        const int dx = std::abs(cx(c) - cx(r));
        const int dy = std::abs(cy(c) - cy(r));
        const bool wrongSide = (direction == 0 && c.Bottom > r.Bottom && c.Top > r.Top) ||
                               (direction == 1 && c.Top < r.Top && c.Bottom < r.Bottom) ||
                               (direction == 2 && c.Right > r.Right && c.Left > r.Left) ||
                               (direction == 3 && c.Left < r.Left && c.Right < r.Right);
        if (wrongSide || (best && bestX != 0 && dx >= bestX) || (best && bestY != 0 && dy >= bestY))
            continue;
        best = candidate;
        bestX = dx;
        bestY = dy;
    }
    return best;
}

void TViewItems::ChangeBound(TViewItem* item, int kind)
{
    if (!item || !item->GetParent() || kind < 0 || kind > 12)
        return;
    static constexpr TAlign kAligns[] = {alNone, alLeft, alTop, alRight, alBottom, alClient};
    if (kind <= 5) {
        item->SetAlign(kAligns[kind]);
        return;
    }
    const TRect& p = item->GetParent()->GetBoundRect_();
    const int centreX = p.Left + (p.Width() - item->GetWidth_()) / 2;
    const int centreY = p.Top + (p.Height() - item->GetHeight_()) / 2;
    switch (kind) {
    case 6: item->SetLeft_(p.Left); break;
    case 7: item->SetTop_(p.Top); break;
    case 8: item->SetLeft_(p.Left + p.Width() - item->GetWidth_()); break;
    case 9: item->SetTop_(p.Top + p.Height() - item->GetHeight_()); break;
    case 10: item->SetLeft_(centreX); break;
    case 11: item->SetTop_(centreY); break;
    default: item->SetPoint_(centreX, centreY); break;
    }
}

void TViewItems::SetPositioning(int grid)
{
    positioning_ = grid;
    if (grid != 0)
        mmPositioning_ = 0;
}

void TViewItems::SetMMPositioning(int grid)
{
    mmPositioning_ = grid;
    if (grid != 0)
        positioning_ = 0;
}

std::string TViewItems::GetItemName(const TViewItem* item) const
{
    const int index = names_.IndexOfObject(item);
    return index < 0 ? std::string() : names_.GetString(index);
}

void TViewItems::SetItemName(TViewItem* item, const std::string& name)
{
    const int index = names_.IndexOfObject(item);
    if (index < 0)
        names_.AddObject(name, item);
    else
        names_.SetString(index, name);
}

TViewItem* TViewItems::ItemOfName(const std::string& name) const
{
    const int index = names_.IndexOf(name);
    return index < 0 ? nullptr : names_.GetObjectAs<TViewItem>(index);
}

void TViewItems::DoChange()
{
    if (selecting_ == 0 && !ending_)
        TTreeItems::DoChange();
}

bool TViewItems::TakeContentChanges(std::vector<TViewItem*>& items)
{
    items.clear();
    const bool content = !layoutChanged_ && !contentItems_.empty();
    if (content)
        items.swap(contentItems_);
    contentItems_.clear();
    layoutChanged_ = false;
    return content;
}

void TViewItems::SetDrawBounds(const TRect* bounds)
{
    if (bounds)
        drawBounds_ = *bounds;
    else
        drawBounds_.reset();
}

void TViewItems::DoItemChange(TTreeItem* treeItem)
{
    TTreeItems::DoItemChange(treeItem);
    if (ending_)
        return;
    auto* item = static_cast<TViewItem*>(treeItem);
    if (contentChanging_ == 0)
        layoutChanged_ = true;
    else if (std::find(contentItems_.begin(), contentItems_.end(), item) == contentItems_.end())
        contentItems_.push_back(item);
    {
        TViewItemsUpdate update(*this);
        TViewItem* parent = item->GetParent();
        if (parent && !parent->GetDeleting() && !parent->aligning_)
            parent->ChangeChildAlign();
        if (!item->GetDeleting())
            item->ChangeChildAlign();
    }
    if (item->selected_)
        DoSelItemChange(item);
}

void TViewItems::DoDeletion(TTreeItem* treeItem)
{
    auto* item = static_cast<TViewItem*>(treeItem);
    std::erase(contentItems_, item);
    layoutChanged_ = true;
    const int index = names_.IndexOfObject(item);
    if (index >= 0)
        names_.Delete(index);
    if (item == selected_) {
        item->selected_ = false;
        selected_ = nullptr;
        DoChangeSelected(item, false);
    }
    TTreeItems::DoDeletion(item);
    TViewItem* parent = item->GetParent();
    if (parent && !parent->GetDeleting() && !ending_)
        parent->ChangeChildAlign();
}

void TViewItems::DoChangeSelected(TViewItem* item, bool select)
{
    if (OnChangeSelected && !ending_)
        OnChangeSelected(this, item, select);
}

void TViewItems::DoSelItemChange(TViewItem* item)
{
    if (OnSelItemChange)
        OnSelItemChange(this, item);
}

void TViewItems::DoChangeRect(TViewItem* item, TRect& rect, bool mm)
{
    const int grid = mm ? mmPositioning_ : positioning_;
    if (item->align_ == alNone && grid != 0)
        rect = {rect.Left / grid * grid, rect.Top / grid * grid, rect.Right / grid * grid, rect.Bottom / grid * grid};
    if (OnChangeRect)
        OnChangeRect(this, item, rect, mm);
    if (!item->options_.Contains(voSlave))
        return;
    TViewItem* owner = item->GetParent();
    while (owner && owner->options_.Contains(voSlave))
        owner = owner->GetParent();
    if (owner && OnChangeSlaveRect)
        OnChangeSlaveRect(this, owner, item, rect, mm);
}

void TViewItems::DoSaveXml(TViewItem* item, const platform::XmlNode& node)
{
    if (OnSaveXml)
        OnSaveXml(this, item, node);
}

void TViewItems::DoLoadXml(TViewItem* item, const platform::XmlNode& node)
{
    if (OnLoadXml)
        OnLoadXml(this, item, node);
}

void TViewItems::LoadFromXml(TViewItem* parent, const platform::XmlNode& node)
{
    if (node.GetName() != "PageObject")
        return;
    loading_ = true;
    try {
        TViewItemsUpdate update(*this);
        LoadItemFromXml(node, parent ? parent : GetPageRoot());
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
}

void TViewItems::LoadItemFromXml(const platform::XmlNode& node, TViewItem* parent)
{
    for (const platform::XmlNode& element : node.GetChildren()) {
        if (element.GetName() != "Item")
            continue;
        TViewItem* item = AddViewItem(parent, nullptr);
        try {
            item->LoadFromXml(element);
            DoLoadXml(item, element);
        } catch (const std::exception&) {
            item->Delete();
            continue;
        }
        LoadItemFromXml(element, item);
    }
}

void TViewItems::SaveToXml(TViewItem* item, const platform::XmlNode& node) { SaveItemToXml(node, item); }

void TViewItems::SaveItemToXml(const platform::XmlNode& node, TViewItem* item)
{
    const platform::XmlNode element = node.AddChild("Item");
    item->SaveToXml(element);
    DoSaveXml(item, element);
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        SaveItemToXml(element, item->GetItem(i));
}
