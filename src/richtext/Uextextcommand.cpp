#include "richtext/Uextextcommand.h"

#include "platform/Files.h"

#include <algorithm>
#include <sstream>

namespace {

std::string LowerExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return ext;
}

} // namespace

void TExTextCommand::Command(bool shift, bool ctrl, unsigned short& key)
{
    BeginUpdate();
    const bool movement = key >= kVkPrior && key <= kVkDown;
    if (movement) {
        if (shift)
            BeginSelection();
        else
            EndSelection();
    }
    bool handled = true;
    switch (key) {
    case kVkPrior: ctrl ? MovePageHome() : RollUp(); break;
    case kVkNext: ctrl ? MovePageEnd() : RollDown(); break;
    case kVkEnd: ctrl ? MoveLineEnd() : MoveEnd(); break;
    case kVkHome: ctrl ? MoveLineHome() : MoveHome(); break;
    case kVkLeft: ctrl ? MovePrevWord() : MoveLeft(); break;
    case kVkUp: ctrl ? LineUp() : MoveUp(); break;
    case kVkRight: ctrl ? MoveNextWord() : MoveRight(); break;
    case kVkDown: ctrl ? LineDown() : MoveDown(); break;
    case kVkBack: BackChar(); break;
    case kVkTab: InsertTab(); break;
    case kVkReturn: InsertReturn(); break;
    case kVkInsert: SetOverwrite(!Overwrite); break;
    case kVkDelete: DeleteChar(); break;
    case 'A': ctrl ? SelectAll() : void(handled = false); break;
    case 'C': ctrl ? CopyToClipboard() : void(handled = false); break;
    case 'V': ctrl ? PasteFromClipboard() : void(handled = false); break;
    case 'X': ctrl ? CutToClipboard() : void(handled = false); break;
    case 'Z':
        if (!ctrl)
            handled = false;
        else if (shift)
            Redo();
        else
            Undo();
        break;
    default: handled = false; break;
    }
    if (handled)
        key = 0;
    EndUpdate();
}

// ---- horizontal moves ----

void TExTextCommand::MoveLeft()
{
    BeginUpdate();
    DesiredX = 0;
    if (LineTailSpace > 0) {
        SetLineTailSpace(LineTailSpace - 1);
    } else {
        const TLineInfo& row = CaretInfo.LineInfo;
        const bool firstRow = row.Wrap == 0;
        if (!(!LeftAcrossLines && firstRow && CaretInfo.WordInfo.RowOffset <= 0) && Caret > 0) {
            const int n = text_->GetDecCount(CaretInfo.WordInfo.Word, CaretInfo.WordInfo.CharOffset);
            SetCaretInfo(text_->DecrementCaretInfo(CaretInfo, std::max(1, n)));
        }
    }
    if (!CanInsert)
        SetLineTailSpace(0);
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MoveRight()
{
    BeginUpdate();
    DesiredX = 0;
    const TLineInfo& row = CaretInfo.LineInfo;
    const bool lastRow = row.Line && row.Wrap == row.Line->GetLineWrapCount() - 1;
    const int cell = row.GetENSquare();
    bool tail = false;
    if (text_->GetFixedFont() && LineTailSpacing && lastRow &&
        Caret >= row.Position + row.GetWrapCount() - 2) {
        if (!text_->GetWordWrap() || text_->GetWrapWidth() >= CaretInfo.WordInfo.X + (LineTailSpace + 1) * cell) {
            SetLineTailSpace(LineTailSpace + 1);
            tail = true;
        }
    }
    const int limit = text_->GetSingleLine() ? text_->GetCharCount() : text_->GetCharCount() - 2;
    if (!tail && Caret < limit) {
        const int n = text_->GetIncCount(CaretInfo.WordInfo.Word, CaretInfo.WordInfo.CharOffset);
        Forward = true;
        SetCaretInfo(text_->IncrementCaretInfo(CaretInfo, std::max(1, n)));
        SetLineTailSpace(0);
    }
    if (!CanInsert)
        SetLineTailSpace(0);
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MoveWord(bool forward)
{
    BeginUpdate();
    SetLineTailSpace(0);
    DesiredX = 0;
    TCaretInfo c = CaretInfo;
    while (forward ? text_->NextWordInfo(c) : text_->PrevWordInfo(c)) {
        const TExWord* w = c.WordInfo.Word;
        if (!w || !((w->GetType() == kWordText && w->GetStyle().SpaceChar()) || w->GetType() == kWordTab))
            break;
    }
    if (forward)
        Forward = true;
    SetCaretInfo(c);
    if (forward)
        Forward = true; // SetCaretInfo clears it; the caret keeps its direction
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MovePrevWord() { MoveWord(false); }

void TExTextCommand::MoveNextWord() { MoveWord(true); }

void TExTextCommand::CaretToRowEnd(const TLineInfo& row, bool beforeLineBreak)
{
    int n = row.GetWrapCount();
    text_->ForRowPieces(row, [&](const TExTextWrapper::TRowPiece& p) {
        if (p.Last && (p.Word->GetType() == kWordPara || (beforeLineBreak && p.Word->GetType() == kWordLine)))
            n = p.RowOffset;
        return true;
    });
    Forward = true;
    SetCaretInfo(TCaretInfo{row, text_->PositionToWordInfo(row, n)});
}

void TExTextCommand::MoveHome()
{
    BeginUpdate();
    DesiredX = 0;
    SetLineTailSpace(0);
    SetCaretInfo(TCaretInfo{CaretInfo.LineInfo, text_->PositionToWordInfo(CaretInfo.LineInfo, 0)});
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MoveEnd()
{
    BeginUpdate();
    DesiredX = 0;
    SetLineTailSpace(0);
    const TLineInfo row = CaretInfo.LineInfo;
    CaretToRowEnd(row, true);
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MoveLineHome()
{
    BeginUpdate();
    DesiredX = 0;
    SetLineTailSpace(0);
    TLineInfo row = CaretInfo.LineInfo;
    while (row.Wrap != 0 && text_->PrevLineInfo(row)) {
    }
    SetCaretInfo(TCaretInfo{row, text_->PositionToWordInfo(row, 0)});
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MoveLineEnd()
{
    BeginUpdate();
    DesiredX = 0;
    SetLineTailSpace(0);
    TLineInfo row = CaretInfo.LineInfo;
    while (row.Line && row.LineOffset + row.GetWrapCount() < row.Line->GetCharCount() && text_->NextLineInfo(row)) {
    }
    CaretToRowEnd(row, false);
    VisibleCaret();
    EndUpdate();
}

// ---- vertical moves ----

int TExTextCommand::TakeDesiredX()
{
    if (DesiredX == 0)
        DesiredX = CaretInfo.WordInfo.X + LineTailSpace * CaretInfo.LineInfo.GetENSquare();
    return DesiredX;
}

int TExTextCommand::TailAfterVertical() const
{
    const TLineInfo& row = CaretInfo.LineInfo;
    const bool lastRow = row.Line && row.Wrap == row.Line->GetLineWrapCount() - 1;
    const int cell = row.GetENSquare();
    if (!CanInsert || !text_->GetFixedFont() || !LineTailSpacing || !lastRow || cell <= 0 ||
        CaretInfo.WordInfo.X >= DesiredX)
        return 0;
    return (DesiredX - CaretInfo.WordInfo.X) / cell;
}

void TExTextCommand::VerticalTo(const TLineInfo& row)
{
    const int desired = DesiredX;
    SetCaretInfo(TCaretInfo{row, text_->PointToWordInfo(row, desired)});
    DesiredX = desired;
    LineTailSpace = TailAfterVertical();
    Change();
}

void TExTextCommand::MoveUp()
{
    BeginUpdate();
    TakeDesiredX();
    TLineInfo row = CaretInfo.LineInfo;
    if (text_->PrevLineInfo(row))
        VerticalTo(row);
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MoveDown()
{
    BeginUpdate();
    TakeDesiredX();
    TLineInfo row = CaretInfo.LineInfo;
    if (text_->NextLineInfo(row)) {
        Forward = true;
        VerticalTo(row);
    }
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::RollUp()
{
    BeginUpdate();
    const int height = text_->GetWrapHeight();
    TLineInfo top = text_->PointToLineInfo(TopPixel - height);
    TLineInfo row = text_->PointToLineInfo(CaretInfo.LineInfo.Top - height);
    if (top.Top < TopPixel - height) {
        text_->NextLineInfo(top);
        text_->NextLineInfo(row);
    }
    const int desired = DesiredX;
    const int x = CaretInfo.WordInfo.X;
    SetTopLineInfo(top);
    SetCaretInfo(TCaretInfo{row, text_->PointToWordInfo(row, x)});
    DesiredX = desired;
    LineTailSpace = desired ? TailAfterVertical() : 0;
    Change();
    EndUpdate();
}

void TExTextCommand::RollDown()
{
    BeginUpdate();
    const int height = text_->GetWrapHeight();
    const TLineInfo top = text_->PointToLineInfo(TopPixel + height);
    const TLineInfo row = text_->PointToLineInfo(CaretInfo.LineInfo.Top + height);
    const int desired = DesiredX;
    const int x = CaretInfo.WordInfo.X;
    SetTopLineInfo(top);
    Forward = true;
    SetCaretInfo(TCaretInfo{row, text_->PointToWordInfo(row, x)});
    DesiredX = desired;
    LineTailSpace = desired ? TailAfterVertical() : 0;
    Change();
    EndUpdate();
}

void TExTextCommand::LineUp()
{
    TLineInfo row = TopLineInfo;
    if (text_->PrevLineInfo(row))
        SetTopLineInfo(row);
}

void TExTextCommand::LineDown()
{
    TLineInfo row = TopLineInfo;
    if (text_->NextLineInfo(row))
        SetTopLineInfo(row);
}

void TExTextCommand::MovePageHome()
{
    BeginUpdate();
    SetLineTailSpace(0);
    const TLineInfo& row = CaretInfo.LineInfo;
    const TExPage* page = row.Line ? row.Line->GetOwner() : nullptr;
    int p = page ? page->GetIndex() : 0;
    if (page && p > 0 && row.Line->GetIndex() == 0 && row.Wrap == 0)
        --p;
    int pos = 0;
    for (int i = 0; i < p; ++i)
        pos += text_->GetPages(i)->GetCharCount();
    SetCaret(pos);
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::MovePageEnd()
{
    BeginUpdate();
    SetLineTailSpace(0);
    const TLineInfo& row = CaretInfo.LineInfo;
    const TExPage* page = row.Line ? row.Line->GetOwner() : nullptr;
    int p = page ? page->GetIndex() : 0;
    if (page && page->GetNextPage() && row.Line == page->GetLastLine() &&
        row.Wrap == row.Line->GetLineWrapCount() - 1)
        ++p;
    int pos = 0;
    for (int i = 0; i <= p && i < text_->GetCount(); ++i)
        pos += text_->GetPages(i)->GetCharCount();
    Forward = true;
    SetCaret(pos - 2);
    VisibleCaret();
    EndUpdate();
}

// ---- files and streams ----

bool TExTextCommand::IsRichName(const std::string& name) const
{
    return RichFormat && LowerExtension(name) == ".rtf";
}

void TExTextCommand::SaveToFile(const std::string& name)
{
    std::ostringstream out(std::ios::binary);
    if (IsRichName(name))
        SaveToRichStream(out);
    else
        SaveToTextStream(out);
    platform::WriteFileAtomic(name, out.str());
    ClearHistory();
}

void TExTextCommand::LoadFromFile(const std::string& name)
{
    std::istringstream in(platform::ReadFileBytes(name), std::ios::binary);
    if (IsRichName(name))
        LoadFromRichStream(in);
    else
        LoadFromTextStream(in);
    VisibleCaret();
}

void TExTextCommand::AnalyzeFromFile(const std::string& name)
{
    BeginUpdate();
    Clear();
    if (LowerExtension(name) == ".rtf") {
        std::istringstream in(platform::ReadFileBytes(name), std::ios::binary);
        Load(in, kExStreamRichSource);
    }
    VisibleCaret();
    EndUpdate();
}

void TExTextCommand::SaveToRichStream(std::ostream& stream) { text_->SaveToStream(stream, kExStreamRich); }

void TExTextCommand::SaveToTextStream(std::ostream& stream) { text_->SaveToStream(stream, kExStreamText); }

void TExTextCommand::LoadFromRichStream(std::istream& stream) { Load(stream, kExStreamRich); }

void TExTextCommand::LoadFromTextStream(std::istream& stream) { Load(stream, kExStreamText); }

void TExTextCommand::Load(std::istream& stream, int format)
{
    BeginUpdate();
    ClearHistory();
    EndSelection();
    Caret = 0;
    TopLineInfo.Clear();
    text_->LoadFromStream(stream, format);
    SetCaret(0);
    EndUpdate();
}
