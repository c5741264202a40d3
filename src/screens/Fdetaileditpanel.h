#pragma once
// TDetailEditPanel: the tabbed half of the record editor, showing and editing what is not a kernel
// field. An ingredient gets its dealer ("業者") and its price history ("履歴チャート"); a recipe or
// a menu its items ("材料", with moves, categories and repricing) and a pie of the item costs
// ("材料チャート"); every record its memo, picture and attribute checks. The kernel tab stays
// hidden until the kernel panel is put there.
//
// The frames are loaded through the read accessors of the bound database; each frame's apply
// writes one value through the database object under the busy cursor, and the change notices
// bring the results back. A record in the trash shows every tab with the frames disabled; a kept
// record shows none.
#include "data/Uviewfieldstruct.h"
#include "data/Vktcodes.h"
#include "gui/IconList.h"
#include "widgets/Fguipanel.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QScrollArea;
class QTabWidget;
class QToolBar;
class QToolButton;
class TAttributeSelectPanel;
class TDealerSelectPanel;
class THistoryChartPanel;
class TImageEditPanel;
class TItemChartPanel;
class TItemListView;
class TMemoEditPanel;
class TVDBDealer;

class TDetailEditPanel : public TGuiPanel {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    static constexpr const char* kPictureFilter =
        "すべてのファイル (*.jpg;*.jpeg;*.bmp;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.emf;*.wmf|"
        "JPEG イメージファイル (*.jpg)|*.jpg|JPEG イメージファイル (*.jpeg)|*.jpeg|ビットマップ (*.bmp)|*.bmp|"
        "エンハンス メタファイル (*.emf)|*.emf|メタファイル (*.wmf)|*.wmf";

    explicit TDetailEditPanel(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TDetailEditPanel() override;

    // A record's class type and erase state as the caller has just read them.
    struct TRecordState {
        int ClassType = ctRoot;
        int EraseState = 0;
    };
    // Shows the record (0 none); only while bound to a valid object. `dealerKey`: an ingredient's
    // dealer as the caller has just read it with the record's row; `state`: the record's type and
    // state as just read (from the object, which is then taken as valid); each read here when not
    // given.
    void SetData(int id, std::optional<int> dealerKey = {}, std::optional<TRecordState> state = {});
    int GetDataID() const { return dataId_; }
    // A TVktClassType: ctRoot for none.
    int GetClassType() const { return classType_; }
    // 0 normal, -1 in the trash, -2 kept.
    int GetEraseState() const { return eraseState_; }

    // A hosted frame holds an edit not yet applied.
    bool IsEditing() const;
    // Undoes the first pending edit, in the order dealer, items, attributes, picture, memo, month.
    void CancelAllEdits();

    void SetItemViewFields(const TViewFieldStruct& fields);
    TViewFieldStruct GetItemViewFields() const { return itemViewFields_; }

    void ActItemUpExecute();
    void ActItemDownExecute();
    void ActItemInitIndexExecute();
    void ActItemChangeIndexExecute();
    void ActItemDeleteExecute();
    // 0 current prices, 1 latest last, 2 latest maximum, 3 latest average, 4 latest minimum.
    void ActItemReprice(TVktPriceMode mode);
    void ActImageLoadExecute();
    void ActImageSaveExecute();

    QTabWidget* GetPageControl() const { return pageControl_; }
    // By object name: "TabKernel", "TabDetail", "TabMemo", "TabImage", "TabAttribute", "TabChart".
    QWidget* GetTab(const char* name) const;
    bool TabShown(const char* name) const;
    TItemListView* GetItemEditPanel() const { return itemEditPanel_; }
    TDealerSelectPanel* GetDealerEditPanel() const { return dealerEditPanel_; }
    TMemoEditPanel* GetMemoEditPanel() const { return memoEditPanel_; }
    TImageEditPanel* GetImageEditPanel() const { return imageEditPanel_; }
    TAttributeSelectPanel* GetAttributeEditPanel() const { return attributeEditPanel_; }
    // Filled first with the history read while its tab was not shown.
    THistoryChartPanel* GetHistoryChartPanel() const;
    TItemChartPanel* GetItemChartPanel() const { return itemChartPanel_; }
    QToolBar* GetItemToolBar() const { return itemToolBar_; }
    QToolBar* GetImageToolBar() const { return imageToolBar_; }
    QMenu* GetItemPopup() const { return pmItem_; }
    QMenu* GetImagePopup() const { return pmImage_; }
    QAction* GetAction(const char* name) const;

    TNotify OnModifiedChange;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void DoUpdate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildActions();
    QWidget* MakeDetailTab();
    QWidget* MakeImageTab();
    QAction* MakeAction(const char* name, const char* caption, const char* hint, int image);
    void ModifiedChange();
    bool Usable() const;

    void SetClassType(int type);
    void SetEraseState(int state);
    void LoadByClassType();
    void FillDealers();
    void LoadDealer();
    void ShowDealer(int dealerId);
    void FillAttributes();
    void LoadAttributeChecks();
    void LoadItems();
    void LoadItemChart();
    void LoadMemoAndImage();
    void LoadHistory();
    void FillHistory();

    void DealerEditPanelCompanySelectorChange();
    void DealerApply();
    void ItemApply();
    void MemoApply();
    void ImageApply();
    // The picture shown is that of the file pictureName_.
    void PictureFileShown();
    void AttributeApply();
    void MHistoryChange();
    // An apply the database object did not store (it said why): `load` shows the stored values
    // again, once the frame's apply has ended.
    void ShowStoredLater(void (TDetailEditPanel::*load)());

    void FieldChanged(int field, const TPriorityItem& ids);
    // Runs an item operation on the current row r, then puts the grid back on the row it gives.
    void ItemAction(const std::function<int(int row)>& operation);
    // The item actions are enabled while an item is current.
    void UpdateItemActions();
    void ItemMove(bool up);
    void ItemHeaderSectionResize();
    void ItemHeaderMouseUp();

    QTabWidget* pageControl_ = nullptr;
    QToolBar* itemToolBar_ = nullptr;
    QToolButton* repriceButton_ = nullptr;
    TItemListView* itemEditPanel_ = nullptr;
    QScrollArea* dealerScroll_ = nullptr;
    TDealerSelectPanel* dealerEditPanel_ = nullptr;
    TMemoEditPanel* memoEditPanel_ = nullptr;
    QToolBar* imageToolBar_ = nullptr;
    TImageEditPanel* imageEditPanel_ = nullptr;
    TAttributeSelectPanel* attributeEditPanel_ = nullptr;
    THistoryChartPanel* historyChartPanel_ = nullptr;
    TItemChartPanel* itemChartPanel_ = nullptr;
    QMenu* pmItem_ = nullptr;
    QMenu* pmItemReprice_ = nullptr;
    QAction* itemDelete_ = nullptr;   // the item popup's "削除"
    QMenu* pmImage_ = nullptr;
    platform::IconList classIcons_;
    // The picture file last loaded or saved: its folder starts the pickers; its name is offered
    // only while the shown record shows the picture it was loaded or saved with.
    std::string pictureName_;
    int pictureRecord_ = 0;
    std::size_t pictureHash_ = 0;

    int dataId_ = 0;
    int classType_ = ctRoot;
    // The type the frames are arranged for (0 none yet); kept while no record shows.
    int framesType_ = ctRoot;
    // The record whose items the list was last filled with.
    int itemsShown_ = 0;
    bool holdItemActions_ = false;
    // The dealers listed for the selector (none before the first ingredient shows).
    std::unique_ptr<TVDBDealer> dealers_;
    // The dealer and the record's state SetData was given, while its reload runs.
    std::optional<int> givenDealer_;
    std::optional<TRecordState> givenState_;
    // The price history read for the shown ingredient, waiting for the chart's tab to show.
    struct THistoryRows;
    std::unique_ptr<THistoryRows> historyRows_;
    bool reloading_ = false;   // the object was found valid for the reload running now
    bool loadingDealer_ = false;
    int eraseState_ = 0;
    bool editable_ = true;   // the edit frames are enabled
    TViewFieldStruct itemViewFields_;
};
