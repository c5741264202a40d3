#pragma once
// The editing engine behind the edit control: one document and its undo log, the caret, the
// selection, the top visible row and the horizontal scroll. Every user edit becomes document
// edits plus an undo record; the steps of one edit end in one change event (OnChange).
//
// ChangeFlags: bit 0 the selection changed with the same enabled state; bit 1 the view, layout
// or text changed (or a selection appeared or vanished). Cleared after each change event.
// A word whose style carries the spare flag is fixed in fill-in mode (CanInsert off).
#include "richtext/Uextextdrawer.h"
#include "richtext/Uextexthistory.h"

#include <functional>
#include <memory>
#include <string>

class TExTextEditor {
public:
    using TNotifyEvent = std::function<void(TExTextEditor* sender)>;

    TExTextEditor();
    virtual ~TExTextEditor();
    TExTextEditor(const TExTextEditor&) = delete;
    TExTextEditor& operator=(const TExTextEditor&) = delete;

    TExTextDrawer* GetText() const { return text_.get(); }
    THistorys* GetHistorys() const { return historys_.get(); }

    // ---- notification ----
    void BeginUpdate();
    void EndUpdate();
    void Change();
    virtual void DoChange();
    virtual void Clear();
    void ClearHistory() { historys_->Clear(); }

    // ---- state and options ----
    bool GetTextChanged() const { return TextChanged; }
    bool GetSelecting() const { return Selecting; }
    bool GetForward() const { return Forward; }
    int GetChangeFlags() const { return ChangeFlags; }
    int GetCaret() const { return Caret; }
    int GetTopPixel() const { return TopPixel; }
    int GetViewLeft() const { return ViewLeft; }
    int GetLineTailSpace() const { return LineTailSpace; }
    int GetDesiredX() const { return DesiredX; }
    const TLineInfo& GetTopLineInfo() const { return TopLineInfo; }
    const TCaretInfo& GetCaretInfo() const { return CaretInfo; }
    const TSelectInfo& GetSelInfo() const { return SelInfo; }
    const TExStyle& GetStyle() const { return Style; }
    const TExParaStyle& GetParaStyle() const { return ParaStyle; }

    bool GetOverwrite() const { return Overwrite; }
    void SetOverwrite(bool on);
    bool GetCanInsert() const { return CanInsert; }
    void SetCanInsert(bool on);
    bool GetCanSelect() const { return CanSelect; }
    void SetCanSelect(bool on);
    bool GetLineTailSpacing() const { return LineTailSpacing; }
    void SetLineTailSpacing(bool on);
    void SetLineTailSpace(int n);
    bool GetTabSpaces() const { return TabSpaces; }
    void SetTabSpaces(bool on) { TabSpaces = on; }
    bool GetLeftAcrossLines() const { return LeftAcrossLines; }
    void SetLeftAcrossLines(bool on) { LeftAcrossLines = on; }
    bool GetRichFormat() const { return RichFormat; }
    void SetRichFormat(bool on) { RichFormat = on; }
    bool GetRichAnalyze() const { return RichAnalyze; }
    void SetRichAnalyze(bool on) { RichAnalyze = on; }
    // The most code-page-932 bytes (as platform::SjisLength counts) typing and pasting let the
    // text hold, paragraph ends aside; 0 without a limit. Loaded text is not cut.
    int GetMaxLength() const { return MaxLength; }
    void SetMaxLength(int bytes) { MaxLength = std::max(0, bytes); }

    // ---- view ----
    void SetViewPoint(int top, int left);
    void SetViewTop(int top);
    void SetViewLeft(int left);
    void SetTopLineInfo(const TLineInfo& row);
    void VisibleCaret();

    // ---- caret and selection ----
    void SetCaret(int position);
    void SetCaretPos(platform::Point p);
    void SetCaretInfo(const TCaretInfo& caret);
    void SetSelInfo(const TSelectInfo& selection);
    void BeginSelection();
    void EndSelection();
    void SelectWord();
    void SelectAll();
    bool FindPrevWord(TCaretInfo& caret);
    bool FindNextWord(TCaretInfo& caret);
    void FindTextA(const std::u16string& text);

    // ---- editing ----
    void InsertChar(char32_t code);
    void InsertTab();
    void InsertReturn();
    void InsertPageNew();
    void DeleteChar();
    void BackChar();
    void DeleteSelection();
    void Delete(const TCaretInfo& top, const TCaretInfo& bottom);
    void Paste(const TCaretInfo& caret, std::unique_ptr<TExLightText> runs);
    void DeleteAll(const TSelectInfo& selection);
    void PasteAll(TExLightText* runs);
    void SetStyle(const TExStyle& style);
    // The style the next typed character takes, as it stands (no undo record).
    void SetTypingStyle(const TExStyle& style) { Style = style; }
    void SetParaStyle(const TExParaStyle& para);
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    void Redo();

    TNotifyEvent OnChange;

protected:
    void TextChange(TExTextWrapper* sender);
    // Style and ParaStyle from the selection when it is not empty, else from the caret.
    void TakeStyles();
    // Row-tail filling: LineTailSpace spaces recorded and inserted before the line's end.
    void FillLineTail();
    // The caret record of a position relocated now.
    TCaretInfo CaretAt(int position) { return text_->PositionToCaretInfo(position); }
    bool IsFixed(const TExWord* word) const;
    // Puts a removed or replaced character back into a record: the code of a word's character.
    static char32_t WordCode(const TExWord* word);
    // The character after unit `offset` of `word` removed for overtyping; its code (0 none) and class.
    char32_t RemoveNext(TExWord* word, int offset, int& oldClass);
    bool IndentBySpace(bool add, int charClass);
    // The caret stands at the top of a page after the first.
    static bool AtPageTop(const TCaretInfo& caret);
    // The range covers the whole text (single-line mode never).
    bool IsWhole(int top, int bottom) const;
    // The range as runs, with the page break that deleting it would remove.
    std::unique_ptr<TExLightText> CopyRange(const TCaretInfo& top, const TCaretInfo& bottom);
    bool FindEditable(TCaretInfo& caret, bool forward);
    // Undoes or redoes the next step of the history.
    void StepHistory(bool redo);
    // The bytes MaxLength leaves for text put in place of the selection; SIZE_MAX without a limit.
    std::size_t Room() const;

    std::unique_ptr<TExTextDrawer> text_;
    std::unique_ptr<THistorys> historys_;
    bool TextChanged = false;
    bool Selecting = false;
    bool Overwrite = false;
    bool CanInsert = true;
    bool CanSelect = true;
    bool ChangePending = false;
    bool LineTailSpacing = true;
    bool TabSpaces = true;
    bool LeftAcrossLines = true;
    bool RichFormat = true;
    bool RichAnalyze = false;
    bool Forward = false;
    int ChangeFlags = 0;
    int UpdateCount = 0;
    int Caret = 0;
    int TopPixel = 0;
    int ViewLeft = 0;
    int LineTailSpace = 0;
    int DesiredX = 0;
    int MaxLength = 0;
    TLineInfo TopLineInfo;
    TCaretInfo CaretInfo;
    TSelectInfo SelInfo;
    TExStyle Style;
    TExParaStyle ParaStyle;
};
