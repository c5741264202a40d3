#pragma once
// TClassEditPanel: edits one class's name, French name and icon without touching the database.
// Edit cycle: entering an editor (or the icon grid) commits a pending edit first and remembers
// the entered part's value as the undo value; a change sets Modified while the value differs from
// it; ApplyEdit (設定, Ctrl+Enter) takes the value as the new undo value and fires OnReturn, where
// the owner writes the part named by GetEditPart; CancelEdit (元に戻す, Esc) restores it. The
// French editor composes accented letters.
#include <QFrame>

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class TExView;
class TIconGrid;

namespace platform {
class ImageList;
}

class TClassEditPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;
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

    bool GetModified() const { return modified_; }
    int GetEditPart() const { return editPart_; }
    void ApplyEdit();
    void CancelEdit();

    TExView* GetNameEdit() const { return nameEdit_; }
    TExView* GetName2Edit() const { return name2Edit_; }
    TIconGrid* GetIconGrid() const { return iconGrid_; }
    QPushButton* GetBtnNew() const { return btnNew_; }
    QPushButton* GetBtnChildNew() const { return btnChildNew_; }
    QPushButton* GetBtnDelete() const { return btnDelete_; }
    QPushButton* GetBtnUp() const { return btnUp_; }
    QPushButton* GetBtnDown() const { return btnDown_; }
    QPushButton* GetBtnReturn() const { return btnReturn_; }
    QPushButton* GetBtnCancel() const { return btnCancel_; }

    TNotify OnReturn;

protected:
    virtual void DoReturn();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EditEnter(TExView* edit);
    void EditChange(TExView* edit);
    void IconGridEnter();
    void IconGridSelectCell();
    void SetEditText(TExView* edit, const std::string& text);

    TExView* nameEdit_ = nullptr;
    TExView* name2Edit_ = nullptr;
    TIconGrid* iconGrid_ = nullptr;
    QPushButton* btnNew_ = nullptr;
    QPushButton* btnChildNew_ = nullptr;
    QPushButton* btnDelete_ = nullptr;
    QPushButton* btnUp_ = nullptr;
    QPushButton* btnDown_ = nullptr;
    QPushButton* btnReturn_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QFrame* bevel1_ = nullptr;
    QFrame* bevel2_ = nullptr;

    bool updating_ = false;
    bool modified_ = false;
    int editPart_ = epIcon;
    int undoIcon_ = 0;
    std::string undoText_;
    TExView* activeEdit_ = nullptr;
};

// A single-line rich-text name editor of the master-data panels; `french` composes accented
// letters in the second font.
TExView* AddNameEdit(QWidget* parent, const char* name, bool french);
// A label above a control.
QLabel* AddPanelLabel(QWidget* parent, const char* caption, int x, int y);
// Lays out the bottom of the button column: bevel, 設定, bevel, 元に戻す, 84, 68, 44 and 28 pixels
// above the bottom edge, the column 129 pixels left of the right edge.
void PlaceReturnButtons(QWidget* panel, QFrame* bevel1, QPushButton* btnReturn, QFrame* bevel2, QPushButton* btnCancel);
