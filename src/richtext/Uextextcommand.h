#pragma once
// Key commands, caret movements, view scrolling, files and streams on top of the editor.
// Command takes virtual-key codes (the edit control maps its keys onto them).
#include "richtext/Uextexteditor.h"

#include <iosfwd>
#include <string>

class TExTextCommand : public TExTextEditor {
public:
    static constexpr unsigned short kVkBack = 0x08;
    static constexpr unsigned short kVkTab = 0x09;
    static constexpr unsigned short kVkReturn = 0x0D;
    static constexpr unsigned short kVkPrior = 0x21;
    static constexpr unsigned short kVkNext = 0x22;
    static constexpr unsigned short kVkEnd = 0x23;
    static constexpr unsigned short kVkHome = 0x24;
    static constexpr unsigned short kVkLeft = 0x25;
    static constexpr unsigned short kVkUp = 0x26;
    static constexpr unsigned short kVkRight = 0x27;
    static constexpr unsigned short kVkDown = 0x28;
    static constexpr unsigned short kVkInsert = 0x2D;
    static constexpr unsigned short kVkDelete = 0x2E;

    TExTextCommand() = default;

    // One key-down in an editor update; key becomes 0 when handled.
    void Command(bool shift, bool ctrl, unsigned short& key);

    void MoveLeft();
    void MoveRight();
    void MovePrevWord();
    void MoveNextWord();
    void MoveUp();
    void MoveDown();
    void MoveHome();
    void MoveEnd();
    void MoveLineHome();
    void MoveLineEnd();
    void MovePageHome();
    void MovePageEnd();
    void RollUp();
    void RollDown();
    void LineUp();
    void LineDown();

    // RTF when RichFormat is on and the name ends in ".rtf" (any case), else code-page-932 text.
    // A file that cannot be written or read raises platform::FileError naming it; a failed save
    // keeps the old file.
    void SaveToFile(const std::string& name);
    void LoadFromFile(const std::string& name);
    void AnalyzeFromFile(const std::string& name);

    void SaveToRichStream(std::ostream& stream);
    void SaveToTextStream(std::ostream& stream);
    void LoadFromRichStream(std::istream& stream);
    void LoadFromTextStream(std::istream& stream);

private:
    bool IsRichName(const std::string& name) const;
    // Past the next or previous word and the blanks after it.
    void MoveWord(bool forward);
    // The caret to the end of `row`, before a paragraph end (and a line break if asked) that closes it.
    void CaretToRowEnd(const TLineInfo& row, bool beforeLineBreak);
    // The caret x kept for vertical moves.
    int TakeDesiredX();
    // LineTailSpace after a vertical move to `row` at DesiredX.
    int TailAfterVertical() const;
    void VerticalTo(const TLineInfo& row);
    void Load(std::istream& stream, int format);
};
