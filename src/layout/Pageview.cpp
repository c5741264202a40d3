#include "layout/Pageview.h"

#include "gui/QtSupport.h"
#include "layout/Pageviewaccessible.h"
#include "platform/Text.h"
#include "platform/Units.h"
#include "widgets/Upapernamelist.h"

#include <QShowEvent>

#include <algorithm>

TPageView::TPageView(QWidget* owner) : TScrollCanvas(owner)
{
    InstallPageViewAccessible();
    SetResizingDelay(50);
    viewport()->setMouseTracking(true);
    drawer_ = std::make_unique<TPageDrawer>();
    items_ = std::make_unique<TViewItems>();
    items_->OnChange = [this](TObject*) { ChangeItem(); };
    items_->OnSelItemChange = [this](TObject*, TViewItem* item) { DoChangeSelItem(item); };
    items_->OnChangeRect = [this](TObject*, TViewItem* item, TRect& rect, bool mm) { DoChangeItemRect(item, rect, mm); };
    items_->OnChangeSlaveRect = [this](TObject*, TViewItem* owner, TViewItem* slave, TRect& rect, bool mm) {
        DoChangeSlaveRect(owner, slave, rect, mm);
    };
    items_->OnItemMove = [this](TObject*, TTreeItem* source, TTreeItem* target, int mode) {
        DoMoveViewItem(source, target, mode);
    };
    items_->OnDeletion = [this](TObject*, TTreeItem* item) { DoDeleteViewItem(item); };
    items_->OnDrawItem = [this](TObject*, TViewItem* item, int x, int y, TRect rect, int scale,
                                platform::Canvas& canvas, int page, int pageMax, bool printer) {
        DoDrawViewItem(item, x, y, rect, scale, canvas, page, pageMax, printer);
    };
    items_->OnChangeSelected = [this](TObject*, TViewItem* item, bool select) { ChangeSelected(item, select); };
    items_->OnSaveXml = [this](TObject*, TViewItem* item, const platform::XmlNode& node) { DoSaveXml(item, node); };
    items_->OnLoadXml = [this](TObject*, TViewItem* item, const platform::XmlNode& node) { DoLoadXml(item, node); };
    drawer_->OnChange = [this](TPageDrawer*) { ChangeView(); };
    printerListener_ = TPrnObjListener([this](TPrinterObject*, bool) { ChangePrnObj(); }, PrinterObject());
    ChangePrnObj();
    Clear();
    DrawFullWidth();
}

TPageView::~TPageView()
{
    printerListener_.Reset();
    drawing_ = true;
    // Without callbacks the bound objects would outlive their items.
    for (int i = 0; i < items_->GetCount(); ++i) {
        TTreeItem* item = items_->GetItem(i);
        delete item->GetObject();
    }
    items_.reset();
    drawer_.reset();
}

// ---- notices -----------------------------------------------------------------------------------

void TPageView::ChangePrnObj()
{
    TPrinterObject* printer = PrinterObject();
    const TRect d = printer->GetDrawRect();
    const double dpi = printer->GetPixelParInch();
    const auto inch = [dpi](int c) { return static_cast<int>(c / dpi * 100); };
    // The printable area follows the printer: no change of the layout's.
    const bool modified = modified_;
    items_->GetPrintRoot()->SetBoundRect_({inch(d.Left), inch(d.Top), inch(d.Right), inch(d.Bottom)});
    modified_ = modified;
}

void TPageView::ChangeView()
{
    SetDocSize(drawer_->GetDocWidth(), drawer_->GetDocHeight());
    viewport()->update();
    items_->GetPageRoot()->SetMMSize_(drawer_->GetMMPageWidth_(), drawer_->GetMMPageHeight_());
    DoChange();
    Redraw();
}

void TPageView::ChangeItem()
{
    if (!items_->GetSelecting() && !items_->GetContentChanging())
        modified_ = true;
    items_->GetPageRoot()->ChangeChildAlign();
    // A page the layout no longer has (its records listed again, fewer) gives way to its last.
    page_ = std::min(page_, GetPageMax());
    DoChangeItem();
    std::vector<TViewItem*> changed;
    const bool content = items_->TakeContentChanges(changed);
    if (!content || !RedrawContent(changed))
        Redraw();
}

void TPageView::ChangeSelected(TViewItem* item, bool select)
{
    DoChangeSelected(item, select);
    Redraw();
    if (select && item) AnnounceSelectedItem(this, item);
}

TRect TPageView::SelectedScreenRect() const
{
    const TViewItem* item = GetSelected();
    return item ? ItemScreenRect(item) : TRect{};
}

std::string TPageView::ItemCaption(TViewItem* item) { return item->GetName(); }

TRect TPageView::ItemScreenRect(const TViewItem* item) const
{
    const TRect r = item->GetScalingRect(GetScale_());
    const TPoint o = drawer_->GetPageOrigin(0);
    return {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
}

// ---- Do operations ------------------------------------------------------------------------------

void TPageView::DoClear()
{
    if (OnClear)
        OnClear(this);
}

void TPageView::DoChangeItem()
{
    if (OnChangeItem)
        OnChangeItem(this);
}

void TPageView::DoChangeSelItem(TViewItem* item)
{
    if (OnChangeSelItem)
        OnChangeSelItem(this, item);
}

void TPageView::DoDeleteViewItem(TTreeItem* item)
{
    {
        TViewItemsUpdate update(*items_);
        TObject* object = item->GetObject();
        item->SetObject(nullptr);
        delete object;
    }
    if (OnDeleteItem)
        OnDeleteItem(this, item);
}

void TPageView::DoMoveViewItem(TTreeItem* source, TTreeItem* target, int mode)
{
    if (OnMoveItem)
        OnMoveItem(this, source, target, mode);
}

void TPageView::DoDrawViewItem(TViewItem* item, int offsetX, int offsetY, TRect drawRect, int scale,
                               platform::Canvas& canvas, int page, int pageMax, bool printer)
{
    if (OnDrawItem)
        OnDrawItem(this, item, offsetX, offsetY, drawRect, scale, canvas, page, pageMax, printer);
}

void TPageView::DoSaveXml(TViewItem* item, const platform::XmlNode& node)
{
    if (OnSaveXml)
        OnSaveXml(this, item, node);
}

void TPageView::DoLoadXml(TViewItem* item, const platform::XmlNode& node)
{
    if (OnLoadXml)
        OnLoadXml(this, item, node);
}

void TPageView::DoCanMoveViewItem(TViewItem* item, TViewItem* target, bool asChild, bool& accept)
{
    if (OnCanMoveItem)
        OnCanMoveItem(this, item, target, asChild, accept);
}

void TPageView::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TPageView::DoQueryPageMax(TViewItem* item, int& max)
{
    if (QueryPageMax)
        QueryPageMax(this, item, max);
}

void TPageView::DoChangeItemRect(TViewItem* item, TRect& rect, bool mm)
{
    if (OnChangeItemRect)
        OnChangeItemRect(this, item, rect, mm);
}

void TPageView::DoChangeSlaveRect(TViewItem* owner, TViewItem* slave, TRect& rect, bool mm)
{
    if (OnChangeSlaveRect)
        OnChangeSlaveRect(this, owner, slave, rect, mm);
}

void TPageView::DoChangeSelected(TViewItem* item, bool select)
{
    if (select && item)
        selectBox_.InitSelectRect(nullptr, SelectedScreenRect(), hasFocus());
    else
        selectBox_.InitSelectRect(nullptr, {}, hasFocus());
    if (OnChangeSelected)
        OnChangeSelected(this, item, select);
}

// ---- the scrolled canvas ------------------------------------------------------------------------

void TPageView::Resizing() { Redraw(); }

void TPageView::DoScroll()
{
    drawer_->SetViewPoint(GetDocLeft(), GetDocTop());
    TScrollCanvas::DoScroll();
}

void TPageView::DoFocus(bool focused)
{
    TScrollCanvas::DoFocus(focused);
    Redraw();
}

void TPageView::showEvent(QShowEvent* event)
{
    TScrollCanvas::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (viewType_ == 1)
        DrawFullPage();
    else if (viewType_ == 2)
        DrawFullWidth();
    Redraw();
}

// ---- paper, pages and view ----------------------------------------------------------------------

void TPageView::Clear()
{
    modified_ = false;
    page_ = 1;
    items_->SetSelected(nullptr);
    items_->ClearViewItem();
    SetPaperType(kA4PaperID);
    SetOrientation(false);
    // The clearing is no change of the user's.
    modified_ = false;
    DoClear();
}

TPoint TPageView::PaperSize(int id) const
{
    return id == kUserPaperID ? mmCanvasSize_ : GetMMPaperSize_(id);
}

void TPageView::SizePageRoot(TPoint size)
{
    if (size.X == 0 && size.Y == 0)
        return;
    if (GetOrientation())
        std::swap(size.X, size.Y);
    items_->GetPageRoot()->SetMMBoundRect_({0, 0, size.X, size.Y});
}

void TPageView::SetPaperType(int id)
{
    if (id == paperType_)
        return;
    paperType_ = id;
    const TPoint size = PaperSize(id);
    SizePageRoot(size);
    drawer_->SetMMPageSize_(size.X, size.Y);
}

void TPageView::SetOrientation(bool landscape)
{
    drawer_->SetOrientation(landscape);
    SizePageRoot(PaperSize(paperType_));
}

void TPageView::SetCanvasSize_(TPoint size)
{
    canvasSize_ = size;
    ApplyCanvasSize(
        {static_cast<int>(size.X * platform::kMMPerInch), static_cast<int>(size.Y * platform::kMMPerInch)});
}

void TPageView::SetMMCanvasSize_(TPoint size)
{
    mmCanvasSize_ = size;
    ApplyCanvasSize(size);
}

void TPageView::ApplyCanvasSize(TPoint mm)
{
    drawer_->SetMMPageSize_(mm.X, mm.Y);
    if (GetOrientation())
        std::swap(mm.X, mm.Y);
    items_->GetPageRoot()->SetMMSize_(mm.X, mm.Y);
}

int TPageView::PageCount(TViewItem* item)
{
    int count = 1;
    DoQueryPageMax(item, count);
    const TPoint range = item->GetDrawPage();
    int own = 1;
    if (item->GetDrawPageType() == 1)
        own = 1;
    else if (item->GetDrawPageType() == 2)
        own = 2;
    else if (range.X <= range.Y && (range.X != range.Y || range.Y >= 1))
        own = range.Y;
    count = std::max(count, own);
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        count = std::max(count, PageCount(item->GetItem(i)));
    return count;
}

int TPageView::GetPageMax() { return PageCount(items_->GetPageRoot()); }

void TPageView::SetPage(int page)
{
    page = std::min(std::max(page, 1), GetPageMax());
    if (page == page_)
        return;
    page_ = page;
    Redraw();
    DoChange();
}

void TPageView::ApplyView(int type, TSCScrollStyle style, const std::function<void()>& fit)
{
    viewType_ = type;
    SetScrollStyle(style);
    if (!Handled())
        return;
    drawer_->BeginUpdate();
    drawer_->SetViewSize(GetClientWidth(), GetClientHeight());
    fit();
    drawer_->EndUpdate();
}

void TPageView::SetScale_(int scale)
{
    ApplyView(0, scsBoth, [&] { drawer_->SetScale_(scale); });
}

void TPageView::DrawFullWidth()
{
    ApplyView(2, scsVertical, [&] { drawer_->DrawFullWidth(); });
}

void TPageView::DrawFullPage()
{
    ApplyView(1, scsNone, [&] { drawer_->DrawFullPage(); });
}

void TPageView::SetViewType(int type)
{
    if (type == viewType_)
        return;
    if (type == 1)
        DrawFullPage();
    else if (type == 2)
        DrawFullWidth();
}

bool TPageView::GetShowMargin() const { return items_->GetPrintRoot()->GetOptions().Contains(voShowFrame); }

void TPageView::SetShowMargin(bool show)
{
    TVIOptions options = items_->GetPrintRoot()->GetOptions();
    show ? options << voShowFrame : options >> voShowFrame;
    items_->GetPrintRoot()->SetOptions(options);
    Redraw();
}

void TPageView::SetShowItemMargin(bool show)
{
    if (show == showItemMargin_)
        return;
    showItemMargin_ = show;
    Redraw();
}

void TPageView::SetHideSelection(bool hide)
{
    if (hide == hideSelection_)
        return;
    hideSelection_ = hide;
    Redraw();
}

void TPageView::SetReadOnly(bool readOnly)
{
    if (readOnly == readOnly_)
        return;
    readOnly_ = readOnly;
    Redraw();
}

// ---- "PageObject" -------------------------------------------------------------------------------

void TPageView::SaveToXml(const platform::XmlNode& parent)
{
    const platform::XmlNode node = parent.AddChild("PageObject");
    node.SetIntAttribute("Paper", paperType_);
    if (paperType_ == kUserPaperID) {
        node.SetAttribute("CanvasSize", platform::IntToStr(canvasSize_.X) + "," + platform::IntToStr(canvasSize_.Y));
        node.SetAttribute("MMCanvasSize",
                          platform::IntToStr(mmCanvasSize_.X) + "," + platform::IntToStr(mmCanvasSize_.Y));
    } else {
        node.SetAttribute("Orientation", GetOrientation() ? "1" : "0");
    }
    const TViewItem* page = items_->GetPageRoot();
    node.SetAttribute("MarginRect", RectToCommaText(page->GetMarginRect_()));
    node.SetAttribute("MMMarginRect", RectToCommaText(page->GetMMMarginRect_()));
    for (int i = 0; i < page->GetCountOfChildren(); ++i)
        items_->SaveToXml(page->GetItem(i), node);
}

void TPageView::LoadFromXml(const platform::XmlNode& parent)
{
    TViewItemsUpdate update(*items_);
    items_->ClearViewItem();
    page_ = 1;
    const platform::XmlNode node = parent.FindChild("PageObject");
    if (node.IsNull())
        return;
    SetPaperType(node.GetIntAttribute("Paper"));
    if (paperType_ != kUserPaperID) {
        SetOrientation(node.GetBoolAttribute("Orientation"));
    } else {
        const std::vector<int> inch = CommaTextToInts(node.GetAttribute("CanvasSize"), 2);
        SetCanvasSize_({inch[0], inch[1]});
        const std::vector<int> mm = CommaTextToInts(node.GetAttribute("MMCanvasSize"), 2);
        SetMMCanvasSize_({mm[0], mm[1]});
    }
    TViewItem* page = items_->GetPageRoot();
    const std::vector<int> margin = CommaTextToInts(node.GetAttribute("MarginRect"), 4);
    page->SetMarginRect_({margin[0], margin[1], margin[2], margin[3]});
    const std::vector<int> mmMargin = CommaTextToInts(node.GetAttribute("MMMarginRect"), 4);
    page->SetMMMarginRect_({mmMargin[0], mmMargin[1], mmMargin[2], mmMargin[3]});
    items_->LoadFromXml(page, node);
}
