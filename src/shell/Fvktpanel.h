#pragma once
// TVktPanel: the main data panel: the top navigation (hidden at first) or the side navigation
// with its splitter, and one of three screens: the data screen, the stock-taking view or the
// layout view. It hands the navigation's selection to the shown screen, keeps both navigations on
// the same selection and takes record drags from the record list onto the class tree (change of
// class, or delete on another root) and onto the recipe-item grid (append as items).
//
// Screen shown: the layout view when PreviewMode, else the stock-taking view when InventoryMode,
// else the data screen. The first panel made creates the command module.
#include "widgets/Fguipanel.h"

#include <QSet>

#include <array>
#include <functional>
#include <string>

class QMenu;
class QMimeData;
class QPainter;
class QRect;
class QSplitter;
class QTreeWidgetItem;
class TClassFilterBar;
class TClassFilterBase;
class TClassFilterView;
class TDataViewer;
class TInventoryView;
class TVktPreview;

class TVktPanel : public TGuiPanel {
    Q_OBJECT
public:
    explicit TVktPanel(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TVktPanel() override;

    // Builds the navigations and screens; once.
    void Setup();
    bool GetSetupDone() const { return dataViewer_ != nullptr; }

    void ShowClassBar(bool on);
    void ShowInventory(bool on);
    void ShowPreview(bool on);
    bool GetClassBarShown() const { return classBarShown_; }
    bool GetInventoryMode() const { return inventoryMode_; }
    bool GetPreviewMode() const { return previewMode_; }
    // The side navigation reports a filter.
    bool IsFiltered() const;
    // The record editor or the stock-taking list holds an edit not yet applied.
    bool IsEditing() const;
    void DoChange();

    // Null before Setup.
    TClassFilterBar* GetClassFilterBar() const { return classFilterBar_; }
    TClassFilterView* GetClassFilterView() const { return classFilterView_; }
    TDataViewer* GetDataViewer() const { return dataViewer_; }
    TInventoryView* GetInventoryView() const { return inventoryView_; }
    TVktPreview* GetPreview() const { return preview_; }
    QSplitter* GetSplitter() const { return splitter_; }
    QMenu* GetClassViewPopupMenu() const { return classViewPopupMenu_; }
    QMenu* GetDataViewPopupMenu() const { return dataViewPopupMenu_; }
    QMenu* GetInventoryPopupMenu() const { return inventoryPopupMenu_; }
    // Width of the side navigation, kept while the class bar replaces it.
    int GetClassPanelWidth() const;
    void SetClassPanelWidth(int width);
    // Height of the side navigation's filter selector, kept likewise.
    int GetFilterPanelHeight() const;
    void SetFilterPanelHeight(int height);

    // Drag rules and drops (the event filters of the class tree and the recipe-item grid call
    // these; `node` is the class-tree node under the pointer, null for none). A database opened
    // read-only takes no drop.
    bool ClassTreeDragOver(const QMimeData* data, QTreeWidgetItem* node) const;
    void ClassTreeDragDrop(QTreeWidgetItem* node);
    bool ItemGridDragOver(const QMimeData* data) const;
    void ItemGridDragDrop();
    // Draws an item of a navigation's month drop-down.
    void DrawInvDateItem(QPainter& painter, const QRect& rect, const QString& text) const;

    // The selection of one navigation changed.
    void ClassFilterChange(TClassFilterBase* sender);

    std::function<void(TVktPanel* Sender)> OnChange;
    std::function<void(TVktPanel* Sender, const std::string& Name)> OnRename;

protected:
    // Binding holds the screens' rebuilds from here, before they are bound: the shown one until
    // DoUpdate, a hidden one until it is shown, so that each lists once, and only for its
    // selection.
    void DoAttach() override;
    // Runs once binding has reached the navigations and the screens: the shown screen takes the
    // selection the navigation was filled with, not the one it held for the last database, and
    // rebuilds. Unbound, every screen is let go.
    void DoUpdate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsCurrent() const;
    bool BoundValid() const;
    // A database is bound and was not opened read-only.
    bool TakesChanges() const;
    void ShowScreens();
    void HandFilter(const TClassFilterBase* source);
    std::array<TGuiPanel*, 3> Screens() const;
    TGuiPanel* ShownScreen() const;
    void HoldScreens();
    // Lets a held screen rebuild what it missed.
    void ReleaseScreen(TGuiPanel* screen);
    void ReleaseScreens();
    // A list's rows or marks changed: DoChange once the current work is done.
    void ListsChange();

    bool classBarShown_ = false;
    bool inventoryMode_ = false;
    bool previewMode_ = false;
    bool mirroring_ = false;
    bool listsChangePending_ = false;
    int classPanelWidth_ = 200;
    int filterPanelHeight_ = 0;   // 0: as the side navigation lays it out

    TClassFilterBar* classFilterBar_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TClassFilterView* classFilterView_ = nullptr;
    QWidget* screens_ = nullptr;
    TDataViewer* dataViewer_ = nullptr;
    TInventoryView* inventoryView_ = nullptr;
    TVktPreview* preview_ = nullptr;
    QMenu* classViewPopupMenu_ = nullptr;
    QMenu* dataViewPopupMenu_ = nullptr;
    QMenu* inventoryPopupMenu_ = nullptr;
    // The drop targets' viewports (watched by eventFilter).
    QWidget* treeViewport_ = nullptr;
    QWidget* gridViewport_ = nullptr;
    QSet<TGuiPanel*> heldScreens_;
};
