#pragma once
// The tree of layout items behind a page view. Every item is one rectangle on the page, stored
// twice: in 1/100 inch (BoundRect, MarginRect) and in 1/100 mm (MMBoundRect, MMMarginRect), both
// in page coordinates. The millimetre form is the master of the layout; the setters keep the inch
// form in step, and a move keeps the millimetre size exactly. Aligned children (top, bottom, left,
// right, client) are laid out inside their parent's content area by size or by rate.
//
// Roots: the first is the page (its rectangle the paper, its margins the page margins), the second
// the printer's printable area (never has children). Items carry no content: the content object
// is the tree item's bound object, freed by whoever handles the deletion notice.
//
// "Item" element (attributes in this order; defaults are not written):
//   Name          the item's name, when not empty
//   Expanded      "False" when collapsed
//   Align         None | Top | Bottom | Left | Right | Client
//   AlignSize     1/100 mm, aligned items with a size or a rate, when not 0
//   AlignRate     percent, the same items, when not 0
//   BoundRect     l,t,r,b in 1/100 inch, items that are neither client-aligned nor sized by
//   MMBoundRect   l,t,r,b in 1/100 mm    AlignSize/AlignRate
//   MarginRect    insets l,t,r,b in 1/100 inch
//   MMMarginRect  insets in 1/100 mm
//   Options       the TVIOption values as comma text ("0,1,2")
//   DrawPageType  "OddPage", "EvenPage" or a page range "first,last"
// Nested "Item" elements are the children in order.
#include "core/Treeitem.h"
#include "gui/Canvas.h"
#include "platform/StringList.h"
#include "platform/Xml.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

using TRect = platform::Rect;
using TPoint = platform::Point;

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TVIOption : std::uint8_t { voSelectable, voDeletable, voShowFrame, voSlave, voHidden };

// A set of TVIOption (bit n = option n).
class TVIOptions {
public:
    constexpr TVIOptions() = default;
    constexpr TVIOptions(std::initializer_list<TVIOption> options)
    {
        for (TVIOption option : options)
            bits_ |= Bit(option);
    }
    constexpr bool Contains(TVIOption option) const { return (bits_ & Bit(option)) != 0; }
    constexpr TVIOptions& operator<<(TVIOption option) { bits_ |= Bit(option); return *this; }
    constexpr TVIOptions& operator>>(TVIOption option) { bits_ &= static_cast<std::uint8_t>(~Bit(option)); return *this; }
    constexpr std::uint8_t Bits() const { return bits_; }
    constexpr bool operator==(const TVIOptions&) const = default;

private:
    static constexpr std::uint8_t Bit(TVIOption option) { return static_cast<std::uint8_t>(1u << option); }
    std::uint8_t bits_ = 0;
};

// Lengths in 1/100 inch to pixels at `dpi` and `scale` (10000 = 100 %), truncated toward zero.
int ViewToPixels(int length, int dpi, int scale);
// A rectangle in 1/100 inch to pixels: right and bottom from the converted width and height, so
// that sizes do not change with the position.
TRect ViewRectToPixels(const TRect& rect, int dpi, int scale);
// Pixels back to 1/100 inch.
int PixelsToView(int pixels, int dpi, int scale);
// Comma text of a rectangle "l,t,r,b", and the first `count` integers of a comma text (fewer
// raise platform::ListIndexError, a part that is no integer platform::ConvertError).
std::string RectToCommaText(const TRect& rect);
std::vector<int> CommaTextToInts(const std::string& text, std::size_t count);

class TViewItems;

class TViewItem : public TTreeItem {
public:
    explicit TViewItem(TViewItems* owner);

    TViewItems* GetOwner() const;
    TViewItem* GetParent() const;
    // Child by index; outside the children raises platform::ListIndexError.
    TViewItem* GetItem(int index) const;

    std::string GetName() const;
    void SetName(const std::string& name);
    // Descendant by a "/"-separated path of exact child names; null when a part matches nothing.
    TViewItem* GetItemOfName(const std::string& path) const;

    bool GetSelected() const { return selected_; }
    // Nothing for an item without voSelectable, one that is not visible, or an unchanged flag.
    void SetSelected(bool selected);
    TVIOptions GetOptions() const { return options_; }
    void SetOptions(TVIOptions options);
    bool GetAligning() const { return aligning_; }
    // voSelectable and the point (1/100 inch) inside BoundRect.
    bool HitTest(int x, int y) const;

    // Geometry, 1/100 inch and 1/100 mm.
    const TRect& GetBoundRect_() const { return boundRect_; }
    const TRect& GetMMBoundRect_() const { return mmBoundRect_; }
    const TRect& GetMarginRect_() const { return marginRect_; }
    const TRect& GetMMMarginRect_() const { return mmMarginRect_; }
    void SetBoundRect_(TRect rect);
    void SetMMBoundRect_(TRect rect);
    void SetMarginRect_(TRect margins);
    void SetMMMarginRect_(TRect margins);
    // BoundRect less the margins: the content area.
    TRect GetTrueRect_() const;
    TRect GetMMTrueRect_() const;
    // The true rectangle less the extents of the visible aligned children.
    TRect GetClientRect_() const;
    TRect GetMMClientRect_() const;
    TPoint GetSize_() const { return {boundRect_.Width(), boundRect_.Height()}; }
    TPoint GetMMSize_() const { return {mmBoundRect_.Width(), mmBoundRect_.Height()}; }
    TPoint GetPoint_() const { return {boundRect_.Left, boundRect_.Top}; }
    TPoint GetMMPoint_() const { return {mmBoundRect_.Left, mmBoundRect_.Top}; }
    int GetLeft_() const { return boundRect_.Left; }
    int GetTop_() const { return boundRect_.Top; }
    int GetWidth_() const { return boundRect_.Width(); }
    int GetHeight_() const { return boundRect_.Height(); }
    int GetMMLeft_() const { return mmBoundRect_.Left; }
    int GetMMTop_() const { return mmBoundRect_.Top; }
    int GetMMWidth_() const { return mmBoundRect_.Width(); }
    int GetMMHeight_() const { return mmBoundRect_.Height(); }
    void SetSize_(int width, int height);
    void SetPoint_(int x, int y);
    void SetMMSize_(int width, int height);
    void SetMMPoint_(int x, int y);
    void SetLeft_(int x) { SetPoint_(x, boundRect_.Top); }
    void SetTop_(int y) { SetPoint_(boundRect_.Left, y); }
    void SetWidth_(int width) { SetSize_(width, boundRect_.Height()); }
    void SetHeight_(int height) { SetSize_(boundRect_.Width(), height); }
    void SetMMLeft_(int x) { SetMMPoint_(x, mmBoundRect_.Top); }
    void SetMMTop_(int y) { SetMMPoint_(mmBoundRect_.Left, y); }
    void SetMMWidth_(int width) { SetMMSize_(width, mmBoundRect_.Height()); }
    void SetMMHeight_(int height) { SetMMSize_(mmBoundRect_.Width(), height); }

    // BoundRect in pixels of the screen at `scale`, and back (a changed pixel edge only moves its
    // own side; unchanged sizes are kept in 1/100 inch).
    TRect GetScalingRect(int scale) const;
    void SetScalingRect(int scale, const TRect& pixels);

    TAlign GetAlign() const { return align_; }
    void SetAlign(TAlign align);
    int GetAlignSize_() const { return alignSize_; }
    void SetAlignSize_(int size);
    int GetAlignRate() const { return alignRate_; }
    void SetAlignRate(int rate);
    // Lays out the aligned children inside the content area, then lets every child lay out its own.
    void ChangeChildAlign();
    // The next visible, living child after index `afterIndex` (-1: from the first) with that Align.
    TViewItem* GetItemOfAlign(int afterIndex, TAlign align) const;

    // 0 every page or the range DrawPage, 1 odd pages, 2 even pages.
    int GetDrawPageType() const { return drawPageType_; }
    void SetDrawPageType(int type);
    TPoint GetDrawPage() const { return drawPage_; }
    void SetDrawPage(TPoint pages);
    bool IsOnPage(int page) const;

    // Last / first among the siblings.
    void Foreground();
    void Background();

    // Whether Draw paints the item itself on `page` (on the page, not hidden, every ancestor expanded).
    bool IsDrawnOn(int page) const;
    // The pixels the item paints (its content and its frame) at `scale`, from the page origin.
    TRect DrawExtent(int dpi, int scale) const;

    // Fires the tree's OnDrawItem for the item when it is on `page`, then its dotted frame (screen
    // only), then the children when it is on the page. While the tree has draw bounds, an item
    // whose extent lies outside them paints nothing itself.
    void Draw(platform::Canvas& canvas, int offsetX, int offsetY, int scale, int page, int pageMax, bool printer,
              bool showItemMargin);

    // The item's attributes; reading assigns without reports or layout and raises on a required
    // attribute that is absent or malformed.
    void SaveToXml(const platform::XmlNode& node) const;
    void LoadFromXml(const platform::XmlNode& node);
    // The options an "Item" element gives (none without "Options"; values above voHidden are
    // left out); raises ConvertError for an entry that is not an integer.
    static TVIOptions ReadOptions(const platform::XmlNode& node);

private:
    friend class TViewItems;

    bool ItemVisible() const;
    // The update bracket after a rectangle change: Change, the parent's layout, the own layout.
    void RectChanged();

    bool aligning_ = false;
    bool selected_ = false;
    TAlign align_ = alNone;
    TRect boundRect_;
    TRect mmBoundRect_;
    TRect marginRect_;
    TRect mmMarginRect_;
    TVIOptions options_{voSelectable, voDeletable, voShowFrame};
    int drawPageType_ = 0;
    int alignRate_ = 0;
    int alignSize_ = 0;
    TPoint drawPage_;
};

class TViewItems : public TTreeItems {
public:
    TViewItems();
    ~TViewItems() override;

    TViewItem* GetPageRoot() const;
    TViewItem* GetPrintRoot() const;
    TViewItem* GetItem(int index) const;

    // A new last child of `parent` (the page root when null) carrying `object`.
    TViewItem* AddViewItem(TViewItem* parent, TObject* object);
    // Deletes everything below the page root and clears the page margins, in one update.
    void ClearViewItem();

    TViewItem* GetSelected() const { return selected_; }
    // Selects the item (the page root and null select nothing; an item without voSelectable
    // leaves nothing selected).
    void SetSelected(TViewItem* item);
    bool GetSelecting() const { return selecting_ != 0; }
    // Changes of shown content (data a container reads), not edits of the layout: while open, item
    // changes do not mark the document modified.
    void BeginContentChange() { ++contentChanging_; }
    void EndContentChange() { --contentChanging_; }
    bool GetContentChanging() const { return contentChanging_ != 0; }
    bool GetLoading() const { return loading_; }
    // Whether ClearViewItem is deleting everything below the page root.
    bool GetClearing() const { return clearing_; }
    // The items changed inside content changes since the last call, in order; false (and no
    // items) when anything else changed the tree as well. Either way the record starts anew.
    bool TakeContentChanges(std::vector<TViewItem*>& items);
    // Pixels (with the draw offset applied) outside which items paint nothing; null: no bounds.
    void SetDrawBounds(const TRect* bounds);
    const std::optional<TRect>& GetDrawBounds() const { return drawBounds_; }

    // Hit test from `item` in 1/100 inch: the deepest, topmost selectable item under the point.
    TViewItem* Find(TViewItem* item, int x, int y) const;
    // The nearest sibling in a direction: 0 up, 1 down, 2 left, 3 right.
    TViewItem* Find(TViewItem* item, int direction) const;
    // Quick placement 0 … 12 against the parent (see the layout operations).
    void ChangeBound(TViewItem* item, int kind);

    int GetPositioning() const { return positioning_; }
    int GetMMPositioning() const { return mmPositioning_; }
    // A grid in 1/100 inch / mm for reported rectangles of unaligned items; one clears the other.
    void SetPositioning(int grid);
    void SetMMPositioning(int grid);

    // Names: the first entry (letter case ignored) wins; names need not be unique.
    std::string GetItemName(const TViewItem* item) const;
    void SetItemName(TViewItem* item, const std::string& name);
    TViewItem* ItemOfName(const std::string& name) const;

    // "Item" children of a "PageObject" element become new children of `parent` (the page root when
    // null); a faulty element is dropped with its subtree and reading goes on.
    void LoadFromXml(TViewItem* parent, const platform::XmlNode& node);
    // The item with its subtree as one "Item" element appended to `node`.
    void SaveToXml(TViewItem* item, const platform::XmlNode& node);
    void LoadItemFromXml(const platform::XmlNode& node, TViewItem* parent);
    void SaveItemToXml(const platform::XmlNode& node, TViewItem* item);

    std::function<void(TObject* Sender, TViewItem* Item)> OnSelItemChange;
    std::function<void(TObject* Sender, TViewItem* Item, TRect& Rect, bool ScaleType)> OnChangeRect;
    std::function<void(TObject* Sender, TViewItem* Owner, TViewItem* Slave, TRect& Rect, bool ScaleType)>
        OnChangeSlaveRect;
    std::function<void(TObject* Sender, TViewItem* Item, bool Select)> OnChangeSelected;
    std::function<void(TObject* Sender, TViewItem* Item, int OffsetX, int OffsetY, TRect DrawRect, int Scale_,
                       platform::Canvas& Canvas, int Page, int PageMax, bool Printer)>
        OnDrawItem;
    std::function<void(TObject* Sender, TViewItem* Item, const platform::XmlNode& Node)> OnSaveXml;
    std::function<void(TObject* Sender, TViewItem* Item, const platform::XmlNode& Node)> OnLoadXml;

protected:
    TTreeItem* GetNewItem() override;
    void DoChange() override;
    void DoItemChange(TTreeItem* item) override;
    void DoDeletion(TTreeItem* item) override;
    virtual void DoChangeSelected(TViewItem* item, bool select);
    virtual void DoSelItemChange(TViewItem* item);
    // Snaps unaligned rectangles to the grid, reports them, and to the nearest ancestor that is no
    // slave for a voSlave item.
    virtual void DoChangeRect(TViewItem* item, TRect& rect, bool mm);
    virtual void DoSaveXml(TViewItem* item, const platform::XmlNode& node);
    virtual void DoLoadXml(TViewItem* item, const platform::XmlNode& node);

private:
    friend class TViewItem;

    platform::StringList names_;
    TViewItem* selected_ = nullptr;
    int positioning_ = 0;
    int mmPositioning_ = 0;
    int selecting_ = 0;
    int contentChanging_ = 0;
    // Changed items recorded for TakeContentChanges, and whether anything else changed.
    std::vector<TViewItem*> contentItems_;
    bool layoutChanged_ = true;
    std::optional<TRect> drawBounds_;
    bool loading_ = false;
    bool clearing_ = false;
    bool ending_ = false;
};

// Opens an update of the tree for a scope.
class TViewItemsUpdate {
public:
    explicit TViewItemsUpdate(TTreeItems& items) : items_(items) { items_.BeginUpdate(); }
    // The closing notice may raise (its handlers are the user's).
    ~TViewItemsUpdate() noexcept(false) { items_.EndUpdate(); }
    TViewItemsUpdate(const TViewItemsUpdate&) = delete;
    TViewItemsUpdate& operator=(const TViewItemsUpdate&) = delete;

private:
    TTreeItems& items_;
};

// Opens a content change of the items for a scope (none without items).
class TViewItemsContentChange {
public:
    explicit TViewItemsContentChange(TViewItems* items) : items_(items)
    {
        if (items_)
            items_->BeginContentChange();
    }
    ~TViewItemsContentChange()
    {
        if (items_)
            items_->EndContentChange();
    }
    TViewItemsContentChange(const TViewItemsContentChange&) = delete;
    TViewItemsContentChange& operator=(const TViewItemsContentChange&) = delete;

private:
    TViewItems* items_;
};
