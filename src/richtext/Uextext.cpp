#include "richtext/Uextext.h"

#include "platform/Codec.h"

#include <algorithm>

namespace {

bool IsLead(unsigned char c) { return (c & 0xC0) != 0x80; }

std::size_t CountCodePoints(std::string_view s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        if (IsLead(c))
            ++n;
    return n;
}

// Byte index of code point k (clamped to the end).
std::size_t BytesOfCodePoint(std::string_view s, std::size_t k)
{
    std::size_t i = 0;
    while (i < s.size() && k > 0) {
        ++i;
        while (i < s.size() && !IsLead(static_cast<unsigned char>(s[i])))
            ++i;
        --k;
    }
    return i;
}

std::size_t CodePointEnd(std::string_view s, std::size_t i)
{
    if (i >= s.size())
        return i;
    ++i;
    while (i < s.size() && !IsLead(static_cast<unsigned char>(s[i])))
        ++i;
    return i;
}

const char* ControlString(TExWordType type)
{
    switch (type) {
    case kWordTab: return "\t";
    case kWordPara: return "\r\n";
    case kWordLine: return "\n";
    case kWordBack: return "\b";
    default: return "";
    }
}

template <typename T> int WrapValue(const std::vector<T>& v, int i, int T::*field)
{
    return i >= 0 && i < static_cast<int>(v.size()) ? v[static_cast<std::size_t>(i)].*field : 0;
}

} // namespace

// ---- TExWord ----

TExWord::TExWord(TExLine* owner) : TItemCollection(owner) {}

TExLine* TExWord::GetOwner() const { return static_cast<TExLine*>(GetParent()); }

TExWord* TExWord::GetPrevWord() const
{
    if (auto* w = static_cast<TExWord*>(GetPrev()))
        return w;
    for (TExLine* line = GetOwner() ? GetOwner()->GetPrevLine() : nullptr; line; line = line->GetPrevLine())
        if (line->GetCount() > 0)
            return line->GetLastWord();
    return nullptr;
}

TExWord* TExWord::GetNextWord() const
{
    if (auto* w = static_cast<TExWord*>(GetNext()))
        return w;
    for (TExLine* line = GetOwner() ? GetOwner()->GetNextLine() : nullptr; line; line = line->GetNextLine())
        if (line->GetCount() > 0)
            return line->GetWords(0);
    return nullptr;
}

int TExWord::GetWordCharCount() const
{
    switch (type_) {
    case kWordText: return chars_ * GetUnitWidth();
    case kWordTab:
    case kWordLine:
    case kWordBack: return 1;
    case kWordPara: return 2;
    default: return 0;
    }
}

void TExWord::Recount() { chars_ = static_cast<int>(CountCodePoints(text_)); }

void TExWord::SetString(const std::string& text)
{
    if (text == text_)
        return;
    text_ = text;
    Recount();
    Change();
}

void TExWord::SetStyle(const TExStyle& style)
{
    if (style == style_)
        return;
    style_ = style;
    Change();
}

void TExWord::SetType(TExWordType type)
{
    if (type == type_)
        return;
    type_ = type;
    if (type != kWordText) {
        text_.clear();
        chars_ = 0;
    }
    Change();
}

void TExWord::SetStyleIndex(int index)
{
    if (index == styleIndex_)
        return;
    styleIndex_ = index;
    Change();
}

std::size_t TExWord::ByteOf(int n) const
{
    return BytesOfCodePoint(text_, static_cast<std::size_t>(std::max(0, n) / GetUnitWidth()));
}

TExWord* TExWord::Split(int n)
{
    TExLine* line = GetOwner();
    if (type_ != kWordText || !line)
        return nullptr;
    const std::size_t at = ByteOf(n);
    line->BeginUpdate();
    auto* word = line->InsertWord(GetIndex() + 1);
    word->BeginUpdate();
    word->style_ = style_;
    word->styleIndex_ = styleIndex_;
    word->ascent_ = ascent_;
    word->descent_ = descent_;
    word->SetString(text_.substr(at));
    word->EndUpdate();
    SetString(text_.substr(0, at));
    line->EndUpdate();
    return word;
}

void TExWord::JoinNext()
{
    auto* next = static_cast<TExWord*>(GetNext());
    if (!next)
        return;
    const std::string tail = next->text_;
    GetOwner()->BeginUpdate();
    GetOwner()->Delete(next);
    SetString(text_ + tail);
    GetOwner()->EndUpdate();
}

void TExWord::JoinPrev()
{
    auto* prev = static_cast<TExWord*>(GetPrev());
    if (!prev)
        return;
    const std::string head = prev->text_;
    GetOwner()->BeginUpdate();
    GetOwner()->Delete(prev);
    SetString(head + text_);
    GetOwner()->EndUpdate();
}

void TExWord::InsertChar(int n, char32_t c)
{
    const std::string bytes = CodePointsToUtf8(std::u32string(1, c));
    std::string text = text_;
    text.insert(std::min(ByteOf(n), text.size()), bytes);
    SetString(text);
}

char32_t TExWord::DeleteChar(int n)
{
    if (n < 0 || n >= GetWordCharCount() || type_ != kWordText)
        return 0;
    const std::size_t at = ByteOf(n);
    const std::size_t end = CodePointEnd(text_, at);
    const std::u32string cps = CodePoints(std::string_view(text_).substr(at, end - at));
    std::string text = text_;
    text.erase(at, end - at);
    SetString(text);
    return cps.empty() ? 0 : cps.front();
}

char32_t TExWord::BackChar(int n)
{
    if (n <= 0 || n > GetWordCharCount() || type_ != kWordText)
        return 0;
    return DeleteChar(n - GetUnitWidth());
}

int TExWord::GetWordWrapCharCount(int i) const { return WrapValue(wraps_, i, &TWordWrap::CharCount); }
int TExWord::GetWordWrapWidth(int i) const { return WrapValue(wraps_, i, &TWordWrap::Width); }

std::string TExWord::GetString() const { return type_ == kWordText ? text_ : ControlString(type_); }

std::u16string TExWord::GetUniString() const { return platform::Utf8ToUtf16(GetString()); }

void TExWord::Changing()
{
    if (!GetDestroying())
        wraps_.clear();
}

// ---- TExLine ----

TExLine::TExLine(TExPage* owner) : TItemCollection(owner)
{
    Add(new TExWord(this));
}

TExPage* TExLine::GetOwner() const { return static_cast<TExPage*>(GetParent()); }

TExWord* TExLine::GetLastWord() const { return GetCount() > 0 ? GetWords(GetCount() - 1) : nullptr; }

TExLine* TExLine::GetPrevLine() const
{
    if (auto* l = static_cast<TExLine*>(GetPrev()))
        return l;
    for (TExPage* page = GetOwner() ? GetOwner()->GetPrevPage() : nullptr; page; page = page->GetPrevPage())
        if (page->GetCount() > 0)
            return page->GetLastLine();
    return nullptr;
}

TExLine* TExLine::GetNextLine() const
{
    if (auto* l = static_cast<TExLine*>(GetNext()))
        return l;
    for (TExPage* page = GetOwner() ? GetOwner()->GetNextPage() : nullptr; page; page = page->GetNextPage())
        if (page->GetCount() > 0)
            return page->GetLines(0);
    return nullptr;
}

TExWord* TExLine::InsertWord(int i)
{
    auto* word = new TExWord(this);
    Insert(std::clamp(i, 0, GetCount()), word);
    return word;
}

TExLine* TExLine::Split(int i)
{
    TExPage* page = GetOwner();
    page->BeginUpdate();
    TExLine* line = page->InsertLine(GetIndex() + 1);
    line->BeginUpdate();
    line->paraStyle_ = paraStyle_;
    line->styleIndex_ = styleIndex_;
    std::copy(std::begin(px_), std::end(px_), std::begin(line->px_));
    i = std::clamp(i, 0, GetCount());
    if (i < GetCount())
        line->Delete(line->GetItems(0));
    while (GetCount() > i) {
        TItemCollection* word = GetItems(i);
        Erase(i);
        line->Add(word);
    }
    if (i == 0)
        InsertWord(0);
    line->EndUpdate();
    page->EndUpdate();
    return line;
}

void TExLine::RemoveEmptyWords()
{
    for (int i = GetCount() - 1; i >= 0; --i)
        if (GetWords(i)->GetWordCharCount() == 0)
            Delete(GetItems(i));
    if (GetCount() == 0)
        InsertWord(0)->SetType(kWordPara);
}

void TExLine::JoinNext()
{
    auto* next = static_cast<TExLine*>(GetNext());
    if (!next)
        return;
    BeginUpdate();
    const bool empty = next->GetCount() == 1 && next->GetWords(0)->GetWordCharCount() == 0;
    while (!empty && next->GetCount() > 0) {
        TItemCollection* word = next->GetItems(0);
        next->Erase(0);
        Add(word);
    }
    styleIndex_ = next->styleIndex_;
    paraStyle_ = next->paraStyle_;
    GetOwner()->Delete(next);
    RemoveEmptyWords();
    Change();
    EndUpdate();
}

void TExLine::JoinPrev()
{
    auto* prev = static_cast<TExLine*>(GetPrev());
    if (!prev)
        return;
    BeginUpdate();
    int at = 0;
    while (prev->GetCount() > 0) {
        TItemCollection* word = prev->GetItems(0);
        prev->Erase(0);
        Insert(at++, word);
    }
    GetOwner()->Delete(prev);
    RemoveEmptyWords();
    EndUpdate();
}

void TExLine::SetStyleIndex(int i)
{
    if (i == styleIndex_)
        return;
    styleIndex_ = i;
    Change();
}

void TExLine::SetParaStyle(const TExParaStyle& style)
{
    if (style == paraStyle_)
        return;
    paraStyle_ = style;
    Change();
}

void TExLine::AddLineWrap(int ascent, int descent, int chars, int width)
{
    wraps_.push_back({ascent, descent, 0, width, chars});
}

int TExLine::GetAscent(int i) const { return WrapValue(wraps_, i, &TLineWrap::Ascent); }
int TExLine::GetDescent(int i) const { return WrapValue(wraps_, i, &TLineWrap::Descent); }
int TExLine::GetLineWrapWidth(int i) const { return WrapValue(wraps_, i, &TLineWrap::Width); }
int TExLine::GetLineWrapCharCount(int i) const { return WrapValue(wraps_, i, &TLineWrap::CharCount); }
int TExLine::GetUnderLine(int i) const { return WrapValue(wraps_, i, &TLineWrap::UnderLine); }

void TExLine::SetUnderLine(int i, int v)
{
    if (i >= 0 && i < GetLineWrapCount())
        wraps_[static_cast<std::size_t>(i)].UnderLine = v;
}

int TExLine::GetLineWrapHeight(int i) const
{
    if (i < 0 || i >= GetLineWrapCount())
        return 0;
    const TLineWrap& w = wraps_[static_cast<std::size_t>(i)];
    int h = std::max(static_cast<int>((w.Ascent + w.Descent) * 1.2), GetLineSpacePx());
    if (i == 0)
        h += GetSpaceBeforePx();
    if (i == GetLineWrapCount() - 1)
        h += GetSpaceAfterPx();
    return h;
}

bool TExLine::FindTextA(const std::u16string& text, int& pos, int& len) const
{
    const int start = pos;
    pos = len = 0;
    const std::u32string needle = CodePoints(platform::Utf16ToUtf8(text));
    if (needle.empty() || GetCount() < 2)
        return false;
    // The line's characters with the unit offset where each starts (the final paragraph end left out).
    std::u32string chars;
    std::vector<int> offsets;
    int offset = 0;
    for (int i = 0; i + 1 < GetCount(); ++i) {
        const TExWord* w = GetWords(i);
        if (w->GetType() == kWordText) {
            for (char32_t c : CodePoints(w->GetText())) {
                chars.push_back(c);
                offsets.push_back(offset);
                offset += w->GetUnitWidth();
            }
        } else {
            for (char32_t c : CodePoints(w->GetString())) {
                chars.push_back(c);
                offsets.push_back(offset);
            }
            offset += w->GetWordCharCount();
        }
    }
    offsets.push_back(offset);
    if (start < 0 || start >= offset)
        return false;
    std::size_t from = 0;
    while (from + 1 < offsets.size() && offsets[from + 1] <= start)
        ++from;
    const std::size_t found = chars.find(needle, from);
    if (found == std::u32string::npos)
        return false;
    pos = offsets[found];
    len = offsets[found + needle.size()] - pos;
    return true;
}

std::string TExLine::GetString() const
{
    std::string s;
    for (int i = 0; i < GetCount(); ++i)
        s += GetWords(i)->GetString();
    return s;
}

std::u16string TExLine::GetUniString() const { return platform::Utf8ToUtf16(GetString()); }

int TExLine::GetCharCount() const
{
    if (charCount_ < 0) {
        charCount_ = 0;
        for (int i = 0; i < GetCount(); ++i)
            charCount_ += GetWords(i)->GetWordCharCount();
    }
    return charCount_;
}

void TExLine::Changing()
{
    charCount_ = -1;
    wraps_.clear();
}

// ---- TExPage ----

TExPage::TExPage(TExText* owner) : TItemCollection(owner)
{
    Add(new TExLine(this));
}

TExText* TExPage::GetOwner() const { return static_cast<TExText*>(GetParent()); }

TExLine* TExPage::GetLastLine() const { return GetCount() > 0 ? GetLines(GetCount() - 1) : nullptr; }

TExLine* TExPage::InsertLine(int i)
{
    auto* line = new TExLine(this);
    Insert(std::clamp(i, 0, GetCount()), line);
    return line;
}

TExPage* TExPage::Split(int i)
{
    TExText* doc = GetOwner();
    doc->BeginUpdate();
    TExPage* page = doc->InsertPage(GetIndex() + 1);
    i = std::clamp(i, 0, GetCount());
    if (i < GetCount())
        page->Delete(page->GetItems(0));
    while (GetCount() > i) {
        TItemCollection* line = GetItems(i);
        Erase(i);
        page->Add(line);
    }
    if (i == 0) {
        // A page is never left without a paragraph end: the fresh line ends like the one it replaces.
        TExLine* line = InsertLine(0);
        TExWord* word = line->GetWords(0);
        if (TExLine* moved = page->GetCount() > 0 ? page->GetLines(0) : nullptr) {
            line->SetStyleIndex(moved->GetStyleIndex());
            line->SetParaStyle(moved->GetParaStyle());
            word->SetStyle(moved->GetWords(0)->GetStyle());
        }
        word->SetType(kWordPara);
    }
    doc->EndUpdate();
    return page;
}

void TExPage::JoinPrev()
{
    auto* prev = GetPrevPage();
    if (!prev)
        return;
    GetOwner()->BeginUpdate();
    int at = 0;
    while (prev->GetCount() > 0) {
        TItemCollection* line = prev->GetItems(0);
        prev->Erase(0);
        Insert(at++, line);
    }
    GetOwner()->Delete(prev);
    GetOwner()->EndUpdate();
}

void TExPage::JoinNext()
{
    auto* next = GetNextPage();
    if (!next)
        return;
    GetOwner()->BeginUpdate();
    while (next->GetCount() > 0) {
        TItemCollection* line = next->GetItems(0);
        next->Erase(0);
        Add(line);
    }
    GetOwner()->Delete(next);
    GetOwner()->EndUpdate();
}

int TExPage::GetPageWrapHeight(int i) const { return WrapValue(wraps_, i, &TPageWrap::Height); }
int TExPage::GetPageWrapCharCount(int i) const { return WrapValue(wraps_, i, &TPageWrap::CharCount); }
int TExPage::GetPageWrapLineCount(int i) const { return WrapValue(wraps_, i, &TPageWrap::LineCount); }

std::string TExPage::GetString() const
{
    std::string s;
    for (int i = 0; i < GetCount(); ++i)
        s += GetLines(i)->GetString();
    return s;
}

std::u16string TExPage::GetUniString() const { return platform::Utf8ToUtf16(GetString()); }

void TExPage::Changing()
{
    charCount_ = rowCount_ = 0;
    for (int i = 0; i < GetCount(); ++i) {
        charCount_ += GetLines(i)->GetCharCount();
        rowCount_ += GetLines(i)->GetLineWrapCount();
    }
    wraps_.clear();
}

// ---- TExText ----

TExText::TExText() : TItemCollection(nullptr)
{
    styles_.OnChange = [this](TStyleAttributes* sender, int index, const TExParaStyle& oldPara,
                              const TExStyle& oldStyle) { StyleChange(sender, index, oldPara, oldStyle); };
    InsertPage(0);
}

TExText::~TExText()
{
    styles_.OnChange = nullptr;
    BeginUpdate();
    while (GetCount() > 0)
        Delete(GetItems(0));
}

TExPage* TExText::GetLastPage() const { return GetCount() > 0 ? GetPages(GetCount() - 1) : nullptr; }

TExPage* TExText::InsertPage(int i)
{
    auto* page = new TExPage(this);
    Insert(std::clamp(i, 0, GetCount()), page);
    return page;
}

TExWord* TExText::GetFirstWord() const
{
    for (int p = 0; p < GetCount(); ++p)
        for (int l = 0; l < GetPages(p)->GetCount(); ++l)
            if (GetPages(p)->GetLines(l)->GetCount() > 0)
                return GetPages(p)->GetLines(l)->GetWords(0);
    return nullptr;
}

TExWord* TExText::GetLastWord() const
{
    for (int p = GetCount() - 1; p >= 0; --p)
        for (int l = GetPages(p)->GetCount() - 1; l >= 0; --l)
            if (GetPages(p)->GetLines(l)->GetCount() > 0)
                return GetPages(p)->GetLines(l)->GetLastWord();
    return nullptr;
}

void TExText::SetFixedFont(bool fixed)
{
    if (fixed == fonts_.GetFixedFont())
        return;
    BeginUpdate();
    fonts_.SetFixedFont(fixed);
    Change();
    EndUpdate();
}

void TExText::SetSingleLine(bool on)
{
    if (on == singleLine_)
        return;
    singleLine_ = on;
    Clear();
}

int TExText::GetTabChar() const
{
    const int size = styles_.GetStyle(0).Size;
    return size > 0 ? docStyle_.DefaultTab / size : 0;
}

void TExText::SetTabChar(int n)
{
    TExDocStyle style = docStyle_;
    style.DefaultTab = n * std::max(0, styles_.GetStyle(0).Size);
    SetDocStyle(style);
}

void TExText::SetDocStyle(const TExDocStyle& style)
{
    if (style == docStyle_)
        return;
    docStyle_ = style;
    Change();
}

TExStyle TExText::BaseStyle(int lineIndex, int charIndex) const
{
    TExStyle style = styles_.GetStyle(lineIndex);
    if (charIndex != 0)
        style += styles_.GetStyle(charIndex);
    return style;
}

void TExText::Rebase(TExWord* word, int from, int to)
{
    if (from == to)
        return;
    TExStyle own = word->GetStyle() - BaseStyle(from, word->GetStyleIndex());
    word->SetStyle(BaseStyle(to, word->GetStyleIndex()) + own);
}

void TExText::StyleChange(TStyleAttributes*, int index, const TExParaStyle& oldPara, const TExStyle& oldStyle)
{
    if (GetDestroying())
        return;
    BeginUpdate();
    const TExParaStyle para = styles_.GetParaStyle(index);
    const TExStyle style = styles_.GetStyle(index);
    for (int p = 0; p < GetCount(); ++p) {
        TExPage* page = GetPages(p);
        for (int l = 0; l < page->GetCount(); ++l) {
            TExLine* line = page->GetLines(l);
            if (line->GetStyleIndex() != index)
                continue;
            if (!(line->GetParaStyle() == para))
                line->SetParaStyle(para + (line->GetParaStyle() - oldPara));
            for (int w = 0; w < line->GetCount(); ++w) {
                TExWord* word = line->GetWords(w);
                if (word->GetStyle() == style)
                    continue;
                TExStyle c;
                if (word->GetStyleIndex() != 0)
                    c = styles_.GetStyle(word->GetStyleIndex());
                else
                    c.Invisible();
                const TExStyle own = word->GetStyle() - c - oldStyle;
                word->SetStyle(style + c + own);
            }
        }
    }
    Change();
    EndUpdate();
}

void TExText::Clear()
{
    BeginUpdate();
    while (GetCount() > 0)
        Delete(GetItems(0));
    if (!GetDestroying()) {
        fonts_.Clear();
        colors_.Clear();
        styles_.Clear();
        TExPage* page = InsertPage(0);
        TExLine* line = page->GetLines(0);
        line->SetParaStyle(styles_.GetParaStyle(0));
        TExWord* word = line->GetWords(0);
        word->SetType(kWordPara);
        word->SetStyle(styles_.GetStyle(0));
        SetDocStyle(TExDocStyle());
    }
    Change();
    EndUpdate();
}

std::string TExText::GetString() const
{
    std::string s;
    for (int i = 0; i < GetCount(); ++i)
        s += GetPages(i)->GetString();
    return s;
}

std::u16string TExText::GetUniString() const { return platform::Utf8ToUtf16(GetString()); }

void TExText::Changing()
{
    charCount_ = 0;
    for (int i = 0; i < GetCount(); ++i)
        charCount_ += GetPages(i)->GetCharCount();
    if (singleLine_)
        charCount_ -= 2;
}
