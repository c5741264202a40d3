#pragma once
// TCsvEditor: a CSV grid editor (TCsvEdit) with a column of command buttons at its right. The host
// binds 読み込み and 保存; the other buttons run the grid's operations on the current cell under
// the busy cursor. UpdateButtons (called by a repeating timer and after every command) enables
// やり直す on CanRedo, 元に戻す and 保存 on CanUndo (an edit since the last load or save).
#include <QFrame>
#include <QTimer>

class QPushButton;
class TCsvEdit;

class TCsvEditor : public QFrame {
    Q_OBJECT
public:
    explicit TCsvEditor(QWidget* parent = nullptr);

    TCsvEdit* GetCsvEdit() const { return csvEdit_; }
    QPushButton* GetBtnLoad() const { return btnLoad_; }
    QPushButton* GetBtnSave() const { return btnSave_; }
    QPushButton* GetBtnUndo() const { return btnUndo_; }
    QPushButton* GetBtnRedo() const { return btnRedo_; }
    // A command button by its object name ("BtnUpRow" ...); null when none.
    QPushButton* Button(const char* name) const;

    void UpdateButtons();

    // Tall enough for the whole button column, wide enough for it and a strip of the grid.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* AddButton(const char* name, const char* caption, int& top, void (TCsvEdit::*op)());
    // Runs a grid operation under the guard and the busy cursor, then the enabling rules.
    void RunCommand(void (TCsvEdit::*op)());

    TCsvEdit* csvEdit_ = nullptr;
    QPushButton* btnLoad_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnUndo_ = nullptr;
    QPushButton* btnRedo_ = nullptr;
    QTimer idle_;
};
