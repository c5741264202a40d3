#pragma once
// The undo and redo log of one editor. Each record keeps the positions of an edit, the style in
// force and a styled-run snapshot of the affected text; typing, deleting, back spacing and
// overtyping at the advancing place extend the top record, so one undo takes back a typed word.
// Records from Position on can be redone; a new record drops them.
//
// Character codes: 1 tab, 2 paragraph end, 3 page break, 4 line break, 0 nothing; any other
// value is a character (a code point).
#include "richtext/Uextext.h"

#include <memory>
#include <vector>

class THistory {
public:
    enum TKind {
        kInsertText = 0,
        kDeleteText = 1,
        kChangeStyle = 2,
        kInsertChar = 3,
        kDeleteChar = 4,
        kBackChar = 5,
        kDeleteAll = 6,
        kReplace = 7,
    };

    int Kind = kInsertText;
    int Start = 0;
    int End = 0;
    int ParaStyleIndex = -1;
    int CharStyleIndex = -1;
    TExParaStyle ParaStyle;
    TExStyle Style;
    std::unique_ptr<TExLightText> Text;
    std::unique_ptr<TExLightText> OldText;   // overtyping only: the replaced characters
    // Pastes only: whether the paste split the page at Start, and the document's tables as they
    // were before it (mapping the pasted styles adds fonts, colours and sheet entries), for undo.
    bool PageAtStart = false;
    std::unique_ptr<TExLightText> Tables;
};

class THistorys {
public:
    static constexpr char32_t kCodeTab = 1;
    static constexpr char32_t kCodePara = 2;
    static constexpr char32_t kCodePage = 3;
    static constexpr char32_t kCodeLine = 4;

    explicit THistorys(TExText* text);

    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    int GetPosition() const { return position_; }
    bool GetCanUndo() const { return position_ > 0; }
    bool GetCanRedo() const { return position_ < Count(); }
    THistory* GetHistory(int index) const;
    THistory* AddHistory();
    THistory* Undo();
    THistory* Redo();

    // End is start plus the text's units; a paste that puts in more sets it.
    THistory* InsertText(int start, std::unique_ptr<TExLightText> text);
    void DeleteText(int start, int end, std::unique_ptr<TExLightText> text);
    void DeleteAll(std::unique_ptr<TExLightText> text);
    void ChangeStyle(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para,
                     const TExStyle& style, std::unique_ptr<TExLightText> text);
    void InsertChar(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para,
                    const TExStyle& style, char32_t code);
    void DeleteChar(int position, int paraIndex, int charIndex, const TExParaStyle& para, const TExStyle& style,
                    char32_t code);
    void BackChar(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para,
                  const TExStyle& style, char32_t code);
    // `newClass` and `oldClass` are the classes the characters have in their words (0: from the code).
    void Replace(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para, TExStyle style,
                 char32_t code, char32_t oldCode, int newClass = 0, int oldClass = 0);

    // Appends (or with `front` prepends) one code to a run list under the given styles.
    static void AppendCode(TExLightText* runs, char32_t code, int paraIndex, int charIndex, const TExParaStyle& para,
                           const TExStyle& style, bool front = false);
    // An empty run list with copies of the document's font, colour and style tables.
    std::unique_ptr<TExLightText> Snapshot() const;

private:
    // The top record when it is of `kind` with these indexes and styles.
    THistory* Top(int kind, int paraIndex, int charIndex, const TExParaStyle& para, const TExStyle& style) const;
    THistory* NewRecord(int kind, int start, int paraIndex, int charIndex, const TExParaStyle& para,
                        const TExStyle& style);

    TExText* text_;
    std::vector<std::unique_ptr<THistory>> items_;
    int position_ = 0;
};
