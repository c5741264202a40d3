#pragma once
// TMemoEditPanel: a record's memo in the rich-text edit control, with tool bars for files, the
// clipboard, undo and redo, font, size, bold, italic and colour. The memo travels as RTF written
// by the rich-text engine; a document that holds only its final paragraph end is the empty memo.
//
// The editor and the font list, size edit and colour list form one focus group: focus entering
// the group from outside starts an edit (the memo becomes the undo text), leaving it applies
// (OnApply; the owner reads GetMemo), moves inside it do neither. Ctrl+Enter applies, Esc restores
// the memo of the start of the edit.
#include <QFrame>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QToolBar;
class TColorDropDown;
class TExView;
class TFontDropDown;
class TUpDownEdit;

class TMemoEditPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    static constexpr const char* kOpenFilter = "リッチテキスト(RTF)|*.rtf|全てのファイル|*.*";
    static constexpr const char* kSaveFilter = "リッチテキスト(*.rtf)|*.rtf|プレーンテキスト(*.txt)|*.txt";

    explicit TMemoEditPanel(QWidget* parent = nullptr);
    ~TMemoEditPanel() override;

    // RTF, or "" for a document with nothing but its final paragraph end.
    std::string GetMemo() const;
    // Loads the memo (RTF; "" clears) as the unmodified text and clears the undo history. While
    // the panel is hidden the memo is kept and loaded when the panel shows or its text is asked for.
    void SetMemo(const std::string& memo);

    bool GetModified() const { return modified_; }
    void SetModified(bool modified);
    void ApplyEdit();
    void CancelEdit();
    void SetBold(bool bold);
    void SetItalic(bool italic);

    // The name a memo is saved under: ".rtf" and ".txt" (any case) stay, any other extension
    // (or none) becomes ".rtf".
    static std::string SaveName(const std::string& name);

    void BtnLoadClick();
    void BtnSaveClick();
    void BtnCutClick();
    void BtnCopyClick();
    void BtnPasteClick();
    void BtnDeleteClick();
    void BtnUndoClick();
    void BtnRedoClick();

    TExView* GetExView() const;
    // Built when the panel is first shown or asked for it.
    TFontDropDown* GetFontList();
    TUpDownEdit* GetSizeEdit() const { return sizeEdit_; }
    TColorDropDown* GetColorList() const { return colorList_; }
    QToolBar* GetToolBar() const { return toolBar_; }
    QToolBar* GetStyleBar() const { return styleBar_; }
    QAction* GetAction(const char* name) const;
    QMenu* GetPopup() const { return pmMemo_; }

    TNotify OnApply;
    TNotify OnModifiedChange;

protected:
    virtual void DoApply();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QAction* AddButton(QToolBar* bar, const char* name, const char* caption, const char* hint,
                       void (TMemoEditPanel::*handler)());
    void BuildPopup();
    // Whether a widget is the editor or lies in one of the three style inputs (popups included).
    bool InGroup(const QWidget* widget) const;
    void FocusChanged(QWidget* old, QWidget* now);
    void ExViewEnter();
    void ExViewExit();
    void ExViewChange();
    void ShowCaretStyle();
    // tag 0 font list, 1 size edit, 2 colour list.
    void ApplyToolStyle(int tag);
    // Gives the editor the focus (which starts an edit when none runs).
    void FocusEditor();
    void LoadMemo(const std::string& memo);
    // Loads a memo set while the panel was hidden.
    void LoadPending() const;

    TExView* exView_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolBar* styleBar_ = nullptr;
    TFontDropDown* fontList_ = nullptr;
    TUpDownEdit* sizeEdit_ = nullptr;
    TColorDropDown* colorList_ = nullptr;
    QAction* btnBold_ = nullptr;
    QAction* btnItalic_ = nullptr;
    QMenu* pmMemo_ = nullptr;
    QMetaObject::Connection focusConnection_;
    std::string openName_;
    std::string saveName_;

    bool bold_ = false;
    bool italic_ = false;
    bool loading_ = false;
    bool modified_ = false;
    std::string undoText_;
    mutable std::optional<std::string> pendingMemo_;
};
