#pragma once
// The rich-text edit control: a scrolled canvas owning an editing engine, painting the document
// into a back buffer, drawing its own caret over it, handling mouse, keys and the input method,
// and telling subscribers about changes. One class serves three edit styles: rich memos, plain
// multi-line fields in a fixed font and single-line fields.
//
// Painting only copies the buffer; the buffer is redrawn after a change of view, layout or text,
// or of the selection while one exists. Notifiers hear every change (caret moves included);
// OnChange only changes of the text. SetText fires neither.
#include "richtext/Uextextcommand.h"
#include "widgets/Scrollcanvas.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;
class TEuroCharBuilder;

enum TEVStyle { evsRichEdit = 0, evsMultiEdit = 1, evsSingleEdit = 2 };

// Ordinals of the edit options; a set of them is a 16-bit word with bit n for ordinal n.
enum TEVOption {
    evoCanSelect = 0,
    evoCanInsert = 1,
    evoLineTailSpacing = 2,
    evoLeftAcrossLines = 3,
    evoFixedFont = 4,
    evoSingleLine = 5,
    evoWordWrap = 6,
    evoWordParse = 7,
    evoEuroText = 8,
    evoRichFormat = 9,
};
using TEVOptions = unsigned short;
inline constexpr TEVOptions EVOption(TEVOption o) { return static_cast<TEVOptions>(1u << o); }

class TExView;

class TExViewNotifer {
public:
    std::function<void(TExView* sender)> Event;
};

class TExView : public TScrollCanvas {
    Q_OBJECT
public:
    explicit TExView(QWidget* owner = nullptr);
    ~TExView() override;

    TExTextCommand* GetEditor() const { return editor_.get(); }
    TEuroCharBuilder* GetEuroCharBuilder() const { return euroCharBuilder_; }
    int GetMargin() const { return Margin; }

    TEVStyle GetEditStyle() const { return EditStyle; }
    void SetEditStyle(TEVStyle style);
    TEVOptions GetEditOption() const;
    void SetEditOption(TEVOptions options);
    bool GetReadOnly() const { return ReadOnly; }
    void SetReadOnly(bool on);
    bool GetCanWrite() const { return !ReadOnly; }
    bool GetWordWrap() const;
    void SetWordWrap(bool on);
    bool GetOverwrite() const;
    void SetOverwrite(bool on);
    bool GetRichAnalyze() const;
    void SetRichAnalyze(bool on);
    bool IsEmpty() const;
    // The most code-page-932 bytes typing and pasting let the text hold; 0 without a limit.
    int GetMaxLength() const { return editor_->GetMaxLength(); }
    void SetMaxLength(int bytes) { editor_->SetMaxLength(bytes); }

    TSelectInfo GetSelectInfo() const;
    TExStyle GetStyle() const;
    TExParaStyle GetParaStyle() const;
    void SetStyle(const TExStyle& style);
    void SetParaStyle(const TExParaStyle& para);

    bool GetCanCopy() const;
    bool GetCanDelete() const;
    bool GetCanPaste() const;
    bool GetCanUndo() const;
    bool GetCanRedo() const;
    void CopyToClipboard();
    void DeleteSelection();
    void CutToClipboard();
    void PasteFromClipboard();
    void InsertPageNew();
    void Undo();
    void Redo();
    void Clear();

    // UTF-8; the single-line style leaves out the final paragraph end.
    void SetText(const std::string& text);
    std::string GetText() const;
    std::u16string GetWideText() const;
    void LoadFromFile(const std::string& name);
    void SaveToFile(const std::string& name);

    int AddChangeNotifer(std::function<void(TExView* sender)> event);
    void DeleteChangeNotifer(int index);
    int GetChangeNotiferCount() const { return static_cast<int>(Notifers.size()); }

    // The back buffer, drawn if a change left it stale, and the open composition (for drawing checks).
    const QImage& GetBuffer();
    const QString& GetPreedit() const { return preedit_; }
    // The caret's rectangle on the client (empty while no caret is shown).
    QRect CaretRect() const;

    std::function<void(TExView* sender)> OnChange;

protected:
    void Resizing() override;
    void DoScrolled(int orientation, int code, int& pos) override;
    void DoFocus(bool focused) override;
    void DoDraw(platform::Canvas& canvas, int xOffset, int yOffset) override;
    virtual void DoChane();

    void MouseDown(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool event(QEvent* event) override;

private:
    void ChangeEditor();
    // Tells an active screen reader of a changed text and a moved caret.
    void Announce();
    // A change marks the buffer stale; it is drawn when next painted, so hidden or repeatedly
    // changed views draw once.
    void UpdateBuffer() { bufferStale_ = true; }
    void DrawBuffer();
    void ApplySize();
    void ShowCaret();
    void HideCaret();
    void DoScrollTimer();
    // Types one character with the typing style kept (the composer's high-ANSI font aside).
    void KeyPress(char32_t code);
    void TypeText(const std::u32string& text);
    platform::Point DocPoint(QPoint client) const;
    QFont TypingFont() const;
    // The virtual-key code of a key, 0 for keys the editor does not take.
    static unsigned short VirtualKey(int key);

    QTimer* ScrollTimer = nullptr;
    QTimer* caretTimer_ = nullptr;
    QImage Buffer;
    bool bufferStale_ = false;
    std::unique_ptr<TExTextCommand> editor_;
    TEuroCharBuilder* euroCharBuilder_ = nullptr;
    std::vector<TExViewNotifer> Notifers;
    int Margin = 1;
    bool Loading = false;
    bool MouseSelecting = false;
    bool ReadOnly = false;
    bool WordClick = false;
    bool caretShown_ = false;
    bool caretOn_ = false;
    bool syncing_ = false;
    TEVStyle EditStyle = evsRichEdit;
    QPoint lastMouse_;
    QString preedit_;
    // The text and caret offset a screen reader was last told of (caret -1: nothing told yet).
    QString spokenText_;
    int spokenCaret_ = -1;
};
