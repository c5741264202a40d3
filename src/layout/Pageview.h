#pragma once
// A page view: one sheet of paper with its tree of layout items at any zoom, on the scrolled
// canvas. The items, the paper drawer and the selection frame are its own; the printable-area root
// follows the program's printer object. The user selects, moves, resizes, deletes, copies and
// pastes items with the mouse and keys; items are drawn through OnDrawItem (DoDrawViewItem), on
// screen through a back buffer of the client's size, into a one-page PDF and on the printer.
//
// "PageObject" element (a child of the layout file's root, or a clipboard document's root):
//   Paper         the paper id (256 user-defined)
//   CanvasSize    x,y in 1/100 inch      only for paper 256
//   MMCanvasSize  x,y in 1/100 mm        only for paper 256
//   Orientation   "1" landscape, "0" portrait, for the other papers
//   MarginRect    the page margins l,t,r,b in 1/100 inch
//   MMMarginRect  the same in 1/100 mm
//   Item …        the top-level items (see Uviewitems.h)
//
// Clipboard format "-QL-PageViewObject": a code page 932 document whose "PageObject" root holds
// one "Item", followed by one NUL byte.
#include "layout/Upagedrawer.h"
#include "layout/Uselectbox.h"
#include "layout/Uviewitems.h"
#include "widgets/Scrollcanvas.h"
#include "widgets/Uprintersupport.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPageView;
namespace platform {
class MetafilePlay;
class RunPump;
}

using TPrintProgress = std::function<bool(TPageView* Sender, int Page, int PageMax)>;

class TPageView : public TScrollCanvas {
public:
    static constexpr const char* kClipboardFormat = "-QL-PageViewObject";
    // Why a delete, a cut or a paste is refused (said to the user).
    static constexpr const char* kNotDeletableText = "この項目は削除できない設定のため、削除できません。";
    static constexpr const char* kHoldsNotDeletableText =
        "この項目には削除できない項目（テンプレートの部品など）が含まれているため、削除できません。";
    static constexpr const char* kPasteNotDeletableText =
        "貼り付ける項目には削除できない項目（テンプレートの部品など）が含まれているため、貼り付けできません。"
        "貼り付けると、その項目をレイアウトから削除できなくなります。";

    explicit TPageView(QWidget* owner = nullptr);
    ~TPageView() override;

    TViewItems* GetItems() const { return items_.get(); }
    TPageDrawer* GetPageDrawer() const { return drawer_.get(); }
    TSelectBox* GetSelectBox() { return &selectBox_; }
    const QImage& GetBackBuffer() const { return backBuffer_; }

    TViewItem* GetSelected() const { return items_->GetSelected(); }
    // What a screen reader reads of an item: its name here; the layout document adds its type.
    virtual std::string ItemCaption(TViewItem* item);
    // An item's scaled rectangle moved to the page origin (the client's pixels).
    TRect ItemScreenRect(const TViewItem* item) const;
    void SetSelected(TViewItem* item) { items_->SetSelected(item); }
    int GetPage() const { return page_; }
    // Clamped to 1 … the page count.
    void SetPage(int page);
    int GetPageMax();
    int GetScale_() const { return drawer_->GetScale_(); }
    void SetScale_(int scale);
    // 0 free scale, 1 whole page, 2 page width.
    int GetViewType() const { return viewType_; }
    void SetViewType(int type);
    void DrawFullWidth();
    void DrawFullPage();
    int GetPaperType() const { return paperType_; }
    void SetPaperType(int id);
    bool GetOrientation() const { return drawer_->GetOrientation(); }
    void SetOrientation(bool landscape);
    TPoint GetCanvasSize_() const { return canvasSize_; }
    TPoint GetMMCanvasSize_() const { return mmCanvasSize_; }
    void SetCanvasSize_(TPoint size);
    void SetMMCanvasSize_(TPoint size);
    bool GetShowMargin() const;
    void SetShowMargin(bool show);
    bool GetShowItemMargin() const { return showItemMargin_; }
    void SetShowItemMargin(bool show);
    bool GetHideSelection() const { return hideSelection_; }
    void SetHideSelection(bool hide);
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool GetRightButtonSelect() const { return rightButtonSelect_; }
    void SetRightButtonSelect(bool value) { rightButtonSelect_ = value; }
    bool GetModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    bool GetDragging() const { return dragging_; }

    // Editing.
    // The item under a point of the client (null for the page itself).
    TViewItem* Find(int x, int y) const;
    TViewItem* Find(TViewItem* item, int direction) const { return items_->Find(item, direction); }
    void BeginDrag(int x, int y);
    void Drag(int x, int y);
    void EndDrag();
    Qt::CursorShape GetCursor(int x, int y) const;
    void SelPrev();
    void SelNext();
    // A new 80 × 50 mm item at the parent's top-left corner (the page root when null).
    TViewItem* AddItem(TViewItem* parent, TObject* object);
    bool CanItemMove(TViewItem* item, TViewItem* target, bool asChild);
    // The tree's quick placement of the selected item.
    void ChangeBound(int kind);
    // Handles one key as the key table says; true when it was consumed.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // An empty layout, shown from its first page.
    virtual void Clear();
    // Deletes the item with its subtree when every one of them has voDeletable; else says why and
    // keeps the item and the selection.
    virtual void Delete(TViewItem* item);
    virtual void CopyToClipboard();
    // Copy and delete; an item that may not be deleted is neither (the user is told why).
    virtual void CutToClipboard();
    // Pastes under the selected item; a copy holding an item without voDeletable is refused with
    // the reason, as it could never be removed again.
    virtual void PasteFromClipboard();
    virtual void ItemMove(TViewItem* item, TViewItem* target, bool asChild);
    // Replaces the items by the "PageObject" child of `parent` (only clears without one), shown
    // from the first page.
    virtual void LoadFromXml(const platform::XmlNode& parent);
    // Appends a "PageObject" element to `parent`.
    virtual void SaveToXml(const platform::XmlNode& parent);

    // Output.
    // Rebuilds the back buffer (only when shown and no drawing or printing runs).
    void Redraw();
    // Writes the current page as a one-page PDF of the page's size (no frames, no printable area).
    void SaveToEMF(const std::string& fileName);
    // Prints pages From … To (0: all) `copies` times as whole sets; PageMode 1 odd, 2 even pages.
    // False when no printer is usable or the job failed; a stop by `progress` is a success that
    // cancels the job: nothing of it is printed. Before a page goes to the printer its pictures
    // are waited for; a wait given up stops the job there. `pump`, the run's, lets events through
    // while it waits and while pages are painted and written aside (RunPump.h); without one all is
    // done in place.
    bool DrawPrinter(const std::string& title, int copies, int pageMode, int from, int to,
                     const TPrintProgress& progress = {}, platform::RunPump* pump = nullptr);

    std::function<void(TPageView* Sender)> OnChange;
    std::function<void(TPageView* Sender)> OnClear;
    std::function<void(TPageView* Sender)> OnChangeItem;
    std::function<void(TPageView* Sender, TTreeItem* Source, TTreeItem* Target, int Mode)> OnMoveItem;
    std::function<void(TPageView* Sender, TTreeItem* Item)> OnDeleteItem;
    std::function<void(TPageView* Sender, TViewItem* Source, TViewItem* Target, bool Mode, bool& Accept)>
        OnCanMoveItem;
    std::function<void(TPageView* Sender, TViewItem* Item)> OnChangeSelItem;
    std::function<void(TPageView* Sender, TViewItem* Item, bool Select)> OnChangeSelected;
    std::function<void(TPageView* Sender, TViewItem* Item, int OffsetX, int OffsetY, TRect DrawRect, int Scale_,
                       platform::Canvas& Canvas, int Page, int PageMax, bool Printer)>
        OnDrawItem;
    std::function<void(TPageView* Sender, TViewItem* Item, TRect& Rect, bool ScaleType)> OnChangeItemRect;
    std::function<void(TPageView* Sender, TViewItem* Owner, TViewItem* Slave, TRect& Rect, bool ScaleType)>
        OnChangeSlaveRect;
    std::function<void(TPageView* Sender, TViewItem* Item, int& Max)> QueryPageMax;
    std::function<void(TPageView* Sender, TViewItem* Item, const platform::XmlNode& Node)> OnSaveXml;
    std::function<void(TPageView* Sender, TViewItem* Item, const platform::XmlNode& Node)> OnLoadXml;

protected:
    virtual void DoClear();
    virtual void DoChangeItem();
    virtual void DoChangeSelItem(TViewItem* item);
    // Frees the item's bound object, then OnDeleteItem.
    virtual void DoDeleteViewItem(TTreeItem* item);
    virtual void DoMoveViewItem(TTreeItem* source, TTreeItem* target, int mode);
    virtual void DoDrawViewItem(TViewItem* item, int offsetX, int offsetY, TRect drawRect, int scale,
                                platform::Canvas& canvas, int page, int pageMax, bool printer);
    virtual void DoSaveXml(TViewItem* item, const platform::XmlNode& node);
    virtual void DoLoadXml(TViewItem* item, const platform::XmlNode& node);
    virtual void DoCanMoveViewItem(TViewItem* item, TViewItem* target, bool asChild, bool& accept);
    virtual void DoChange();
    virtual void DoQueryPageMax(TViewItem* item, int& max);
    virtual void DoChangeItemRect(TViewItem* item, TRect& rect, bool mm);
    virtual void DoChangeSlaveRect(TViewItem* owner, TViewItem* slave, TRect& rect, bool mm);
    virtual void DoChangeSelected(TViewItem* item, bool select);
    // The pixels of the view that a content change of the item repaints, added to `areas`; `rect`
    // is where the item's content is drawn (view pixels at `scale`). The item's whole extent with room for pens here.
    virtual void DoContentArea(TViewItem* item, TRect rect, int scale, std::vector<TRect>& areas);
    // Asks ahead for the pictures the item draws on the page and adds their plays; none here.
    virtual void DoPlayPictures(TViewItem* item, int page,
                                std::vector<std::shared_ptr<const platform::MetafilePlay>>& plays);

    // The scrolled canvas.
    void Resizing() override;
    void DoScroll() override;
    void DoFocus(bool focused) override;
    void DoDraw(platform::Canvas& canvas, int xOffset, int yOffset) override;
    void MouseDown(QMouseEvent* event) override;
    // A press that brings the focus (from the item tree, say) picks and drags as any other.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ChangePrnObj();
    void ChangeView();
    void ChangeItem();
    void ChangeSelected(TViewItem* item, bool select);
    // Waits for the pictures the items draw on the page, through the run's pump; false when the
    // wait was given up.
    bool WaitForPictures(int page, platform::RunPump* pump);
    // The selected item's scaled rectangle moved to the page origin.
    TRect SelectedScreenRect() const;
    // The paper's size in 1/100 mm for a paper id (MMCanvasSize for the user-defined one), portrait.
    TPoint PaperSize(int id) const;
    void SizePageRoot(TPoint portrait);
    // A portrait paper size in 1/100 mm to the drawer and, oriented, to the page root.
    void ApplyCanvasSize(TPoint mm);
    int PageCount(TViewItem* item);
    // Sets the view type and scroll style and, when shown, fits the drawer to the client.
    void ApplyView(int type, TSCScrollStyle style, const std::function<void()>& fit);
    bool Handled() const { return shown_ && isVisible(); }
    // Both roots' items drawn on a view canvas.
    void DrawItems(platform::Canvas& canvas, TPoint origin, int pageMax);

    // What the back buffer shows: a change that moves, hides or re-pages nothing repaints only the
    // areas of the items whose content changed.
    struct ShownPlace {
        const TViewItem* Item = nullptr;
        TRect Bound;
        TRect True;
        bool Drawn = false;
        bool operator==(const ShownPlace&) const = default;
    };
    struct ShownLayout {
        bool Valid = false;
        int Width = 0;
        int Height = 0;
        int Scale = 0;
        int Page = 0;
        int PageMax = 0;
        bool Margins = false;
        TPoint Origin;
        std::vector<ShownPlace> Places;
        bool operator==(const ShownLayout&) const = default;
    };
    ShownLayout CaptureLayout();
    // Repaints the content areas of the items into the back buffer; false when only a whole
    // redraw will do.
    bool RedrawContent(const std::vector<TViewItem*>& items);

    QImage backBuffer_;
    // The buffer shown before the last redraw, drawn into by the next one: what differs between
    // the two is all that is repainted.
    QImage spareBuffer_;
    // Where the last redraw's paint put selection grips over the buffer (the whole view while an
    // item is dragged).
    QRect gripsRect_;
    ShownLayout shownLayout_;
    std::unique_ptr<TPageDrawer> drawer_;
    std::unique_ptr<TViewItems> items_;
    TSelectBox selectBox_;
    bool dragging_ = false;
    bool drawing_ = false;
    bool shown_ = false;
    bool hideSelection_ = false;
    bool showItemMargin_ = true;
    bool readOnly_ = false;
    bool modified_ = false;
    bool rightButtonSelect_ = false;
    int viewType_ = 0;
    int paperType_ = 0;
    int page_ = 1;
    TPoint canvasSize_;
    TPoint mmCanvasSize_;
    TPrnObjListener printerListener_;
};
