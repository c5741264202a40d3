#pragma once
// TMasterEditPanel: what the master-data panels share. A button column 129 pixels left of the
// right edge: new, delete, up and down (their owner handles them), then 設定 (ApplyEdit) and 元に戻す
// (CancelEdit) at the bottom; the edit state (Modified, the part being edited, its undo text);
// OnReturn, fired by DoReturn, where the owner writes the part; Esc (cancel) and Ctrl+Enter
// (apply) in the edit controls; and the edit cycle of single-line rich-text name editors:
// entering one commits a pending edit first and takes its text as the undo text, a change sets
// Modified while the text differs from it, a loaded text is the new undo text of the editor being
// edited, and cancelling restores the undo text all selected.
//
// TClassEditPanel: edits one class's name, French name and icon without touching the database.
// The icon grid is a third edit part: entering it commits a pending edit, choosing another icon
// sets Modified. The French editor composes accented letters.
#include <QFrame>

#include <array>
#include <functional>
#include <string>

class QEvent;
class QLabel;
class QPushButton;
class TExView;
class TIconGrid;

namespace platform {
class ImageList;
}

class TMasterEditPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    virtual bool GetModified() const { return modified_; }
    int GetEditPart() const { return editPart_; }
    virtual void ApplyEdit() = 0;
    virtual void CancelEdit() = 0;

    QPushButton* GetBtnNew() const { return btnNew_; }
    QPushButton* GetBtnDelete() const { return btnDelete_; }
    QPushButton* GetBtnUp() const { return btnUp_; }
    QPushButton* GetBtnDown() const { return btnDown_; }
    QPushButton* GetBtnReturn() const { return btnReturn_; }
    QPushButton* GetBtnCancel() const { return btnCancel_; }

    TNotify OnReturn;

protected:
    TMasterEditPanel(QWidget* parent, const char* name);

    // The button column in `host`: new, delete, up and down at the given tops.
    void AddButtons(QWidget* host, const char* newCaption, const std::array<int, 4>& tops);
    // Places the column by the host's current size.
    void PlaceButtons(QWidget* host);
    virtual void DoReturn();
    // Esc and Ctrl+Enter of a key press; true when taken.
    bool EditKey(QEvent* event);

    // The rich-text editor cycle.
    void WatchTextEdit(TExView* edit);
    void EnterText(TExView* edit, int part);
    void ChangeText(TExView* edit);
    void LoadText(TExView* edit, const std::string& text);
    // Modified off; the active editor's text is the undo text.
    void TakeText();
    void RestoreText();

    bool updating_ = false;
    bool modified_ = false;
    int editPart_ = 0;
    std::string undoText_;
    TExView* activeEdit_ = nullptr;

private:
    QPushButton* btnNew_ = nullptr;
    QPushButton* btnDelete_ = nullptr;
    QPushButton* btnUp_ = nullptr;
    QPushButton* btnDown_ = nullptr;
    QPushButton* btnReturn_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QFrame* bevel1_ = nullptr;
    QFrame* bevel2_ = nullptr;
};

class TClassEditPanel : public TMasterEditPanel {
    Q_OBJECT
public:
    enum TEditPart { epIcon = 0, epName = 1, epName2 = 2 };

    explicit TClassEditPanel(QWidget* parent = nullptr);

    // The class icons shown in the grid (copied; none: an empty grid).
    void SetImages(const platform::ImageList* images);
    int GetIcon() const;
    void SetIcon(int index);
    std::string GetName() const;
    void SetName(const std::string& text);
    std::string GetName2() const;
    void SetName2(const std::string& text);

    // Shows a class: its values become the undo values; no pending edit.
    void Load(const std::string& name, const std::string& name2, int icon);

    void ApplyEdit() override;
    void CancelEdit() override;

    TExView* GetNameEdit() const { return nameEdit_; }
    TExView* GetName2Edit() const { return name2Edit_; }
    TIconGrid* GetIconGrid() const { return iconGrid_; }
    QPushButton* GetBtnChildNew() const { return btnChildNew_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void IconGridEnter();
    void IconGridSelectCell();

    TExView* nameEdit_ = nullptr;
    TExView* name2Edit_ = nullptr;
    TIconGrid* iconGrid_ = nullptr;
    QPushButton* btnChildNew_ = nullptr;
    int undoIcon_ = 0;
};

// A single-line rich-text name editor of the master-data panels; `french` composes accented
// letters in the second font.
TExView* AddNameEdit(QWidget* parent, const char* name, bool french);
// A label above a control.
QLabel* AddPanelLabel(QWidget* parent, const char* caption, int x, int y);
