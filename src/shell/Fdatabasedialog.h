#pragma once
// TOpenDataBaseDialog: the dialog through which the user opens a registered database, creates a
// new one, registers an existing database folder, and renames, moves, copies, unregisters or
// deletes the registered ones. It works on the registry it is given; the file operations run in
// the database action dialog.
//
// Four pages, shown one at a time: select (0: the list of databases), create (1: the new
// database's folder), register (2: the existing database's folder) and name (3: the name of the
// database made or registered). The list starts with two fixed items (tags 1 and 2: the create
// and register pages), then one item per registered database (tag 0), with image 4 when its
// object is open, else 3. Problems are shown as numbered error texts (ErrorText).
#include <QDialog>
#include <QListWidget>

#include <functional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class TVktApplication;

// The list of databases: icons with captions that only database items let edit in place.
class TDatabaseList : public QListWidget {
    Q_OBJECT
public:
    explicit TDatabaseList(QWidget* parent = nullptr);
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }

    // Called when an in-place edit starts (true) and ends (false).
    std::function<void(bool editing)> OnEditing;
    // Called with the old and the new caption when an edit is committed; false keeps the old one.
    std::function<bool(const QString& oldText, const QString& newText)> OnEdited;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

class TOpenDataBaseDialog : public QDialog {
    Q_OBJECT
public:
    enum { pgSelect, pgCreate, pgRegister, pgName };
    enum { imgNew = 1, imgRegister = 2, imgDatabase = 3, imgOpenDatabase = 4 };

    // `registry`: VktApplication() when null.
    explicit TOpenDataBaseDialog(TVktApplication* registry = nullptr, QWidget* parent = nullptr);

    // Mode 0 open, 1 create, 2 register: rebuilds the list, shows the mode's page and the dialog
    // modally; true when it ended with OK, SelectedName then naming the database to open.
    bool Execute(int mode);
    const std::string& GetSelectedName() const { return selectedName_; }
    // True while the name page finishes a creation, false for a registration.
    bool GetCreateMode() const { return createMode_; }

    // The steps of Execute: the database items anew, and one page with its buttons.
    void BuildList();
    void ShowPage(int page);
    int GetActivePage() const;

    // The handlers.
    void BtnOkClick();
    void BtnBackClick();
    void BtnBrowseClick();
    void BtnOpenLinkClick();
    void BtnHelpClick();
    void PopupMenuPopup();
    void ActRenameExecute();
    void ActMoveExecute();
    void ActCopyExecute();
    void ActUnregisterExecute();
    void ActDeleteExecute();
    void ListSelectionChanged();
    // Enables OK and "リンク先を開く(&S)" (run by the idle pass while the dialog shows).
    void UpdateActions();

    // The text of an error code 1..7.
    static std::string ErrorText(int code);

    TDatabaseList* GetList() const { return list_; }
    QStackedWidget* GetPages() const { return pages_; }
    QLabel* GetBanner() const { return banner_; }
    QPushButton* GetBtnOk() const { return btnOk_; }
    QPushButton* GetBtnCancel() const { return btnCancel_; }
    QPushButton* GetBtnHelp() const { return btnHelp_; }
    QPushButton* GetBtnBack() const { return btnBack_; }
    QPushButton* GetBtnOpenLink() const { return btnOpenLink_; }
    QPushButton* GetBtnCreateBrowse() const { return btnCreateBrowse_; }
    QPushButton* GetBtnRegisterBrowse() const { return btnRegisterBrowse_; }
    QLineEdit* GetPathEdit() const { return pathEdit_; }
    QLineEdit* GetCreateFolderEdit() const { return createFolderEdit_; }
    QLineEdit* GetRegisterFolderEdit() const { return registerFolderEdit_; }
    QLineEdit* GetNameEdit() const { return nameEdit_; }
    QMenu* GetPopupMenu() const { return popup_; }
    QAction* GetActRename() const { return actRename_; }
    QAction* GetActMove() const { return actMove_; }
    QAction* GetActCopy() const { return actCopy_; }
    QAction* GetActUnregister() const { return actUnregister_; }
    QAction* GetActDelete() const { return actDelete_; }
    QStatusBar* GetStatusBar() const { return statusBar_; }

    // An item's tag (0 database, 1 create, 2 register) and image number.
    static int ItemTag(const QListWidgetItem* item);
    static int ItemImage(const QListWidgetItem* item);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* MakePage(const char* caption);
    QListWidgetItem* AddItem(const std::string& caption, int tag, int image);
    // The selected database item; null when none or a fixed item is selected.
    QListWidgetItem* SelectedDatabase() const;
    int CreateNew();
    int RegisterExisting();
    bool CaptionEdited(const QString& oldName, const QString& newName);
    void SetEditing(bool editing);
    void ShowError(int code);

    TVktApplication& registry_;
    bool createMode_ = false;
    std::string selectedName_;

    TDatabaseList* list_ = nullptr;
    QListWidgetItem* createItem_ = nullptr;
    QListWidgetItem* registerItem_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLabel* banner_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnHelp_ = nullptr;
    QPushButton* btnBack_ = nullptr;
    QPushButton* btnOpenLink_ = nullptr;
    QPushButton* btnCreateBrowse_ = nullptr;
    QPushButton* btnRegisterBrowse_ = nullptr;
    QLineEdit* pathEdit_ = nullptr;
    QLineEdit* createFolderEdit_ = nullptr;
    QLineEdit* registerFolderEdit_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* actRename_ = nullptr;
    QAction* actMove_ = nullptr;
    QAction* actCopy_ = nullptr;
    QAction* actUnregister_ = nullptr;
    QAction* actDelete_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusPanel_ = nullptr;   // says when the selected database cannot be written
};

// The program's one open-database dialog, on VktApplication(); made on first use.
TOpenDataBaseDialog* OpenDataBaseDlg();
