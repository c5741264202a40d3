#pragma once
// The edit control as a screen reader reads it: editable text (single- or multi-line) with its
// caret and selection, through Qt's accessibility interfaces.
//
// The text read is the document's text with each paragraph end as one "\n" and without the
// document's closing paragraph end; offsets into it are UTF-16 units. The editor counts a
// double-byte character as two units and a paragraph end as two: TExSpokenText maps between both.
#include <QString>

#include <vector>

class TExView;

class TExSpokenText {
public:
    explicit TExSpokenText(const TExView& view);

    const QString& Text() const { return text_; }
    // The offset of an editor position (clamped to the text).
    int ToOffset(int position) const;
    // The editor position of an offset (clamped; inside a character: its start).
    int ToPosition(int offset) const;

private:
    struct Piece {
        int position;   // the editor's first unit
        int offset;     // the first UTF-16 unit in text_
        int units;      // editor units it spans
        int unitWidth;  // editor units per character
        int length;     // UTF-16 units in text_
    };
    QString text_;
    std::vector<Piece> pieces_;
};

// Installs the control's interface factory once.
void InstallExViewAccessible();
