#pragma once
// TCsvConvertor: the wizard "データ一括変換ウィザード" that turns a table (typed, or loaded from a CSV
// file and edited) into new ingredient, recipe or menu records. Pages, by their index:
//   0 start, 1 family and fields (TCsvFieldSelector), 2 the table (TCsvEditor, header row 0, and
//   the encoding of the file loaded into it, chosen again to read the file anew in another),
//   3 unknown class, form, unit and dealer names (one TItemActivateEdit per kind),
//   4 the data-check table, 5 the import through the batch dialog.
// Only the wizard's buttons move between pages; the rules of each step live in Ucsvimport.
// One instance for the whole run of the program; the table, the mappings and the data-check
// table stay from one showing to the next.
#include "dialogs/Ucsvimport.h"
#include "widgets/Fguipanel.h"

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class TCsvEditor;
class TCsvFieldSelector;
class TCsvGridModel;
class TItemActivateEdit;
class TVktObject;
class TWizardPages;

class TCsvConvertor : public TVktDialog {
    Q_OBJECT
public:
    explicit TCsvConvertor(QWidget* parent = nullptr);
    ~TCsvConvertor() override;

    TWizardPages* GetPageControl() const { return pages_; }
    QPushButton* GetBtnNext() const { return btnNext_; }
    QPushButton* GetBtnPrev() const { return btnPrev_; }
    TCsvFieldSelector* GetCsvFieldSelector() const { return selector_; }
    TCsvEditor* GetCsvEditor() const { return editor_; }
    QTabWidget* GetPageControl1() const { return subPages_; }
    TItemActivateEdit* GetActivateEdit(TCsvNameKind kind) const;
    QTableView* GetCompleteGrid() const { return completeView_; }
    const TCsvCompleteGrid& GetComplete() const { return complete_; }
    QPushButton* GetBtnSave() const { return btnSave_; }
    QPushButton* GetBtnCsvComp() const { return btnCsvComp_; }
    QLabel* GetLabel12() const { return label12_; }
    QComboBox* GetCbxEncoding() const { return cbxEncoding_; }

    int GetPage() const;
    void ShowPage(int page);
    void BtnNextClick();
    void BtnPrevClick();
    void BtnCancelClick();
    void BtnCsvLoadClick();
    void BtnCsvSaveClick();
    // The encoding list's choice: the file last loaded read again in the chosen encoding (after
    // a question when the table was edited since); on a refusal the list shows the table's
    // encoding again and the error passes to the caller.
    void CbxEncodingChange();
    void BtnSaveClick();
    void BtnCsvCompClick();
    void ItemNewClick(TCsvNameKind kind);
    // Every unknown name of the kinds prepared with unknown names this time is mapped.
    bool IsAllMapped() const;
    // The enable rules of 進む and 戻る.
    void UpdateActions();
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* AddPage(const char* name, const char* caption);
    TPriorityItem Fields() const;
    int PerLine() const;
    int Family() const;
    std::vector<std::string> Captions() const;
    void WriteHeader();
    void UpdateStatus();
    bool PrepareMapping();
    void BuildComplete();
    void FitTable();
    // The encoding list shows the table's encoding; it is enabled once a file was loaded.
    void ShowEncoding();
    // Grows the wizard so that every page shows its whole content.
    void FitPages();

    TWizardPages* pages_ = nullptr;
    QPushButton* btnNext_ = nullptr;
    QPushButton* btnPrev_ = nullptr;
    TCsvFieldSelector* selector_ = nullptr;
    TCsvEditor* editor_ = nullptr;
    QTabWidget* subPages_ = nullptr;
    std::array<TItemActivateEdit*, 4> activate_{};
    std::array<bool, 4> prepared_{};   // kinds that had unknown names this time
    int activeKind_ = -1;
    QTableView* completeView_ = nullptr;
    TCsvGridModel* completeModel_ = nullptr;
    TCsvCompleteGrid complete_;
    QPushButton* btnSave_ = nullptr;
    QLabel* label12_ = nullptr;
    QPushButton* btnCsvComp_ = nullptr;
    int completeVersion_ = 0;   // counts rebuilds of the data-check table
    int runVersion_ = -1;       // the version last imported
    QComboBox* cbxEncoding_ = nullptr;
    std::string loadedName_;   // the file the table was last loaded from
    std::string openName_;
    std::string saveName_;
    bool placed_ = false;
};

// The single wizard, made on first use.
TCsvConvertor* CsvConvertor();
// Binds the wizard to the database, shows page 0 with ingredients chosen and runs it modally.
int ShowCsvConvertor(TVktObject* obj);
