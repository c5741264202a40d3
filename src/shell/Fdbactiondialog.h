#pragma once
// TDBActionDialog: the small modal window that shows a picture and one line of text ("データベース
// 作成中..." and the like) while one file operation of a database registry runs: create, upgrade,
// delete, move or copy. Once the window is shown and its text painted, the operation runs once on
// the GUI thread and the window closes; Esc and the window's close do nothing meanwhile. Each
// call answers the registry's result; an operation that raises answers false after one error box
// (a silent abort shows none).
#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class TVktApplication;

class TDBActionDialog : public QDialog {
    Q_OBJECT
public:
    // 0 none, 1 create, 2 upgrade, 3 delete, 4 move, 5 copy.
    enum { opNone, opCreate, opUpgrade, opDelete, opMove, opCopy };

    explicit TDBActionDialog(TVktApplication& registry, QWidget* parent = nullptr);

    TVktApplication& GetRegistry() const { return registry_; }

    bool CreateDatabase(const std::string& folder, const std::string& name);
    bool UpgradeDatabase(const std::string& name);
    bool DeleteDatabase(const std::string& name);
    bool MoveDatabase(const std::string& name, const std::string& folder);
    bool CopyDatabase(const std::string& name, const std::string& folder, std::string& newName);

    // Sets the label; while the window shows, it is painted at once.
    void SetStatusText(const std::string& text);

    // The operation pending or running (opNone between calls).
    int GetOperation() const { return operation_; }
    QLabel* GetImage() const { return image_; }
    QLabel* GetLabel() const { return label_; }

private:
    bool Run(int operation, const char* text, const std::function<bool()>& op);

    TVktApplication& registry_;
    QLabel* image_ = nullptr;
    QLabel* label_ = nullptr;
    int operation_ = opNone;
};

// The program's one action dialog, on VktApplication(); made on first use.
TDBActionDialog* DBActionDlg();

// Runs `action` on the action dialog of `registry`: the program's one dialog for VktApplication(),
// else a dialog made for this call.
bool WithActionDialog(TVktApplication& registry, const std::function<bool(TDBActionDialog& dialog)>& action);

// The four pictures of the database dialogs (1 new, 2 register, 3 database, 4 open database).
QPixmap DatabasePicture(int image);
