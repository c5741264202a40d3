#pragma once
// TKernelEditPanel: the main ("kernel") fields of one data record, edited field by field. Which
// controls show follows the record's class type (1 ingredient, 2 recipe, 3 menu); a record in the
// trash shows them disabled, a kept one also hides the detail block.
//
// Edit cycle: entering a control saves its value (key, check, text or number); a change sets
// Modified against it; leaving the control or Ctrl+Enter writes the one field (EditData) and the
// saved value becomes the written one; Esc puts the saved value back. Numeric edits show the bare
// number while focused and the formatted one otherwise; a text that does not convert is replaced
// by the entry value. Every write runs under the busy cursor. The change notices reload the panel,
// which brings back the derived values (use price, totals, cost rate, change date).
//
// Layout: a vertically scrolled area with three blocks placed by pixel rules: PanelKernel (200
// high), PanelDetail (80 or 160), PanelDate (40). Stacked, all three take the client width; side
// by side, PanelKernel takes half and the other two stand beside it, PanelDate under PanelDetail
// (at the top when PanelDetail is hidden). Each block has two columns of width
// (PanelKernel width − 24) / 2 with an 8-pixel gap.
//
// Each editable control carries its field as the property kFieldProperty; its objectName is the
// component name.
#include "data/Vktcodes.h"
#include "gui/IconList.h"
#include "platform/Currency.h"
#include "platform/Variant.h"
#include "widgets/Fguipanel.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TClassBar;
class TExView;

class TKernelEditPanel : public TGuiPanel {
    Q_OBJECT
public:
    static constexpr const char* kFieldProperty = "vktField";

    // Asked before an ingredient's use unit changes: whether to go on and the conversion rate.
    using TUseUnitChange = std::function<void(TKernelEditPanel* Sender, int DataID, bool& Convert, double& Rate,
                                              int NewUnit, int OldUnit)>;

    explicit TKernelEditPanel(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TKernelEditPanel() override;

    // Shows record `id` (0: none) when bound to a valid object.
    void SetData(int id);
    int GetDataID() const { return dataId_; }
    int GetClassType() const { return classType_; }
    void SetClassType(int type);
    int GetEraseState() const { return eraseState_; }
    void SetEraseState(int state);
    bool GetSideBySide() const { return sideBySide_; }
    void SetSideBySide(bool on);
    bool GetModified() const { return modified_; }
    // The dealer of the ingredient row read since SetData last began (none when no such row was read).
    std::optional<int> GetDealerKeyRead() const { return dealerRead_; }
    // Whether the class type and erase state shown were read since SetData last began.
    bool GetStateRead() const { return stateRead_; }

    void ApplyEdit();
    void CancelEdit();

    // Components.
    QPushButton* GetBtnShow() const { return btnShow_; }
    QWidget* GetPanelKernel() const { return panelKernel_; }
    QWidget* GetPanelDetail() const { return panelDetail_; }
    QWidget* GetPanelDate() const { return panelDate_; }
    QScrollArea* GetScrollArea() const { return scroll_; }
    TClassBar* GetClassSelector() const { return classSelector_; }
    TExView* GetNameEdit() const { return nameEdit_; }
    TExView* GetName2Edit() const { return name2Edit_; }
    QComboBox* GetFormSelector() const { return formSelector_; }
    QComboBox* GetUseUnitSelector() const { return useUnitSelector_; }
    QLineEdit* GetUsePriceEdit() const { return usePriceEdit_; }
    QCheckBox* GetInventoryCheck() const { return inventoryCheck_; }
    QComboBox* GetBuyUnitSelector() const { return buyUnitSelector_; }
    QLineEdit* GetBuyPriceEdit() const { return buyPriceEdit_; }
    QLineEdit* GetQuantityEdit() const { return quantityEdit_; }
    QLineEdit* GetYieldEdit() const { return yieldEdit_; }
    QLineEdit* GetTotalPriceEdit() const { return totalPriceEdit_; }
    QLineEdit* GetCompleteEdit() const { return completeEdit_; }
    QLineEdit* GetSalePriceEdit() const { return salePriceEdit_; }
    QLineEdit* GetCostRateEdit() const { return costRateEdit_; }
    TExView* GetInformationEdit() const { return informationEdit_; }
    TExView* GetInformation2Edit() const { return information2Edit_; }
    QLineEdit* GetCreateDateEdit() const { return createDateEdit_; }
    QLineEdit* GetChangeDateEdit() const { return changeDateEdit_; }
    // The label of a component ("Label" + the name without "Edit"/"Selector"); null when none.
    QLabel* LabelOf(QWidget* control) const;

    std::function<void(TKernelEditPanel* Sender)> OnModifiedChange;
    TUseUnitChange OnUseUnitChange;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void DoUpdate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Control {
        QWidget* widget;
        QLabel* label;
        int column;   // 0 full width or left column, 1 right column, -1 placed by hand
    };

    void BuildKernel();
    void BuildDetail();
    void BuildDate();
    QLabel* AddLabel(QWidget* panel, const char* name, const char* caption, int x, int y);
    QLineEdit* AddLineEdit(QWidget* panel, const char* name, int x, int y, bool readOnly);
    QComboBox* AddCombo(QWidget* panel, const char* name, int x, int y);
    // A single-line text edit held to the field's declared size.
    TExView* AddTextEdit(QWidget* panel, const char* name, int x, int y, TVktField field, bool french);
    void Register(QWidget* control, QLabel* label, int field, int column, const char* hint);

    void FillClasses();
    void FillForms();
    void FillUnits();
    void LoadData();
    // Shows the controls of the kinds given; a hidden panel shows them when it shows.
    void ShowKernel(bool kernel, bool food, bool cook, bool menu);
    void ApplyShownKinds();
    void SetModified(bool value);

    // Control events.
    void ControlEnter(QWidget* control);
    void ControlExit(QWidget* control);
    void ControlChange(QWidget* control);
    void ClassSelectorDropDownChange();
    bool ControlKeyDown(QKeyEvent* event);

    // Field values.
    static int FieldOf(const QWidget* control);
    int GetKey(int field) const;
    void SetKey(int field, int key);
    std::string GetText(int field) const;
    void SetText(int field, const std::string& text);
    double GetNumber(int field) const;
    void SetNumber(int field, double value);
    // The number the field's text holds (an empty text is 0); false when the text holds none.
    bool ReadNumber(int field, double& value) const;
    void ShowNumber(int field);
    QLineEdit* NumberEdit(int field) const;
    // Stores the shown record's field; false, with the record shown again as stored, when the
    // database object does not.
    bool Write(TVktField field, const platform::Variant& value);
    void ApplyUseUnit();

    // Notices.
    void FieldChanged(TVktField field, const TPriorityItem& ids);
    void RefillClasses();
    void ReselectUnits(bool forms, bool units);

    // Layout.
    void LayoutPanels();
    void LayoutColumns(QWidget* panel);

    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr;
    QWidget* panelKernel_ = nullptr;
    QWidget* panelDetail_ = nullptr;
    QWidget* panelDate_ = nullptr;
    QPushButton* btnShow_ = nullptr;
    TClassBar* classSelector_ = nullptr;
    TExView* nameEdit_ = nullptr;
    TExView* name2Edit_ = nullptr;
    QComboBox* formSelector_ = nullptr;
    QComboBox* useUnitSelector_ = nullptr;
    QLineEdit* usePriceEdit_ = nullptr;
    QCheckBox* inventoryCheck_ = nullptr;
    QComboBox* buyUnitSelector_ = nullptr;
    QLineEdit* buyPriceEdit_ = nullptr;
    QLineEdit* quantityEdit_ = nullptr;
    QLineEdit* yieldEdit_ = nullptr;
    QLineEdit* totalPriceEdit_ = nullptr;
    QLineEdit* completeEdit_ = nullptr;
    QLineEdit* salePriceEdit_ = nullptr;
    QLineEdit* costRateEdit_ = nullptr;
    TExView* informationEdit_ = nullptr;
    TExView* information2Edit_ = nullptr;
    QLineEdit* createDateEdit_ = nullptr;
    QLineEdit* changeDateEdit_ = nullptr;
    std::vector<Control> controls_;
    platform::IconList classIcons_;

    bool loading_ = false;
    bool modified_ = false;
    // The use-unit request is open: focus changes of the controls are not edits.
    bool unitRequest_ = false;
    bool undoCheck_ = false;
    int undoKey_ = 0;
    double undoNumber_ = 0;
    std::string undoText_;
    QWidget* editControl_ = nullptr;
    int dataId_ = 0;
    int classType_ = ctRoot;
    bool arrangeType_ = false;   // a record was set: the next update arranges for its type
    bool validTested_ = false;   // SetData has just found the object valid for the update it runs
    // The kinds of controls (kernel, ingredient, recipe, menu) to show, and as last shown.
    std::array<bool, 4> shownKinds_{};
    std::optional<std::array<bool, 4>> kindsApplied_;
    // The class type the class, form and unit lists hold; -1 none (not ctTrash: no lists).
    int listType_ = -1;
    int eraseState_ = 0;
    std::optional<int> dealerRead_;
    bool stateRead_ = false;
    bool sideBySide_ = false;
    platform::Currency buyPrice_;
    double quantity_ = 0;
    double yield_ = 0;
    double complete_ = 0;
    platform::Currency salePrice_;
};
