#include "richtext/Uexlighttext_.h"

#include "gui/Clipboard.h"
#include "platform/Codec.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Plain letters of the Windows-1252 European letters (nullptr: written unchanged).
const char* EuroLetter(unsigned char b)
{
    switch (b) {
    case 192: case 193: case 194: case 196: return "A";
    case 198: return "AE";
    case 199: return "C";
    case 200: case 201: case 202: case 203: return "E";
    case 204: case 205: case 206: case 207: return "I";
    case 210: case 211: case 212: case 214: return "O";
    case 140: return "OE";
    case 217: case 218: case 219: case 220: return "U";
    case 224: case 225: case 226: case 228: return "a";
    case 230: return "ae";
    case 231: return "c";
    case 232: case 233: case 234: case 235: return "e";
    case 236: case 237: case 238: case 239: return "i";
    case 242: case 243: case 244: case 246: return "o";
    case 156: return "oe";
    case 249: case 250: case 251: case 252: return "u";
    default: return nullptr;
    }
}

std::u32string WideCodePoints(std::u16string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else {
            out += (u >= 0xD800 && u <= 0xDFFF) ? U'\uFFFD' : u;
        }
    }
    return out;
}

void AppendUtf16(std::u16string& out, std::string_view utf8)
{
    for (char32_t cp : CodePoints(utf8)) {
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
}

const char* ControlText(TExWordType type)
{
    switch (type) {
    case kWordTab: return "\t";
    case kWordPara: return "\r\n";
    case kWordLine: return "\n";
    case kWordBack: return "\b";
    default: return "";
    }
}

// Split key of a character: its class, with katakana apart within classes 2 and 6.
int SplitKey(const TDecodedChar& c)
{
    const bool single = c.Class == kClassEuro || c.Class == kClassWide6;
    return c.Class * 2 + (single && IsHalfKatakana(c.Code) ? 1 : 0);
}

} // namespace

int TExLightWord::GetCharCount() const
{
    switch (Type) {
    case kWordText: return static_cast<int>(CodePoints(Text).size()) * ClassWidth(Style.CharClass);
    case kWordPara: return 2;
    case kWordPage: return 0;
    default: return 1;
    }
}

TExLightText_::TExLightText_() { TExLightText_::Clear(); }

TExLightText_::~TExLightText_() = default;

void TExLightText_::Clear()
{
    words_.clear();
    fonts_.Clear();
    colors_.Clear();
    styles_.Clear();
    styleIndex_ = charStyleIndex_ = 0;
    paraStyle_.Invisible();
    style_.Invisible();
}

void TExLightText_::Assign(const TExLightText_* source, int first)
{
    Clear();
    if (!source)
        return;
    fonts_.Assign(&source->fonts_);
    colors_.Assign(&source->colors_);
    styles_.Assign(&source->styles_);
    for (int i = std::max(first, 0); i < source->Count(); ++i)
        words_.push_back(std::make_unique<TExLightWord>(*source->words_[static_cast<std::size_t>(i)]));
}

TExLightWord* TExLightText_::GetWords(int i)
{
    return i >= 0 && i < Count() ? words_[static_cast<std::size_t>(i)].get() : nullptr;
}

const TExLightWord* TExLightText_::GetWords(int i) const
{
    return i >= 0 && i < Count() ? words_[static_cast<std::size_t>(i)].get() : nullptr;
}

TExLightWord* TExLightText_::GetLastWord() { return words_.empty() ? nullptr : words_.back().get(); }

void TExLightText_::DeleteWord(int i)
{
    if (i >= 0 && i < Count())
        words_.erase(words_.begin() + i);
}

int TExLightText_::GetCharCount() const
{
    int count = 0;
    for (const auto& w : words_)
        count += w->GetCharCount();
    return count;
}

int TExLightText_::GetStyleIndex(const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle)
{
    return styles_.IndexOfStyle(name, style, paraStyle);
}

int TExLightText_::GetFontIndex(const std::string& name, int charset, int family)
{
    return fonts_.IndexOfFont(name, charset, family);
}

void TExLightText_::FitHighFont(bool katakana)
{
    if (fonts_.Count() < 2)
        return;
    style_.HighFont = fonts_.IndexOfFont(fonts_.GetName(1), katakana ? 128 : 0, fonts_.GetFamily(1));
}

TExLightWord* TExLightText_::AddWord(int position, const std::string& text, TExWordType type, int charClass)
{
    auto word = std::make_unique<TExLightWord>();
    style_.CharClass = charClass;
    word->Text = text;
    if (charClass == kClassEuro && type == kWordText) {
        const std::u32string cps = CodePoints(word->Text);
        if (!givenFonts_)
            FitHighFont(!cps.empty() && IsHalfKatakana(cps.front()));
    }
    word->Type = type;
    word->StyleIndex = styleIndex_;
    word->CharStyleIndex = charStyleIndex_;
    word->ParaStyle = paraStyle_;
    word->Style = style_;
    FitFonts(*word);
    TExLightWord* added = word.get();
    if (position < 0 || position >= Count())
        words_.push_back(std::move(word));
    else
        words_.insert(words_.begin() + position, std::move(word));
    return added;
}

TExLightWord* TExLightText_::AddWord(int position, const std::u16string& text, TExWordType type,
                                     int charClass)
{
    return AddWord(position, CodePointsToUtf8(WideCodePoints(text)), type,
                   charClass == kClassWide6 ? kClassEuro : charClass);
}

namespace {

template <typename Text> bool InsertWordInto(TExLightText_& runs, int position, const Text& text, int type)
{
    if (text.empty())
        runs.AddWord(position, std::string(), static_cast<TExWordType>(type), 0);
    else if (type == kWordText)
        runs.TextAnalyze(text, position);
    else
        runs.AddWord(position, text, kWordText, type);
    return true;
}

} // namespace

bool TExLightText_::InsertWord(int position, const std::string& text, int type)
{
    return InsertWordInto(*this, position, text, type);
}

bool TExLightText_::InsertWord(int position, const std::u16string& text, int type)
{
    return InsertWordInto(*this, position, text, type);
}

bool TExLightText_::AddWord(const std::string& text, int type) { return InsertWord(-1, text, type); }

bool TExLightText_::AddWord(const std::u16string& text, int type) { return InsertWord(-1, text, type); }

int TExLightText_::AddRuns(const std::vector<TDecodedChar>& chars, int position)
{
    int added = 0;
    std::string pending;
    int pendingKey = -1;
    int pendingClass = 0;
    const auto add = [&](const std::string& text, TExWordType type, int charClass) {
        AddWord(position, text, type, charClass == kClassWide6 ? kClassEuro : charClass);
        if (position >= 0)
            ++position;
        ++added;
    };
    const auto flush = [&] {
        if (!pending.empty())
            add(pending, kWordText, pendingClass);
        pending.clear();
        pendingKey = -1;
    };
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const TDecodedChar& c = chars[i];
        if (c.Code == '\t' || c.Code == '\n' || c.Code == '\r') {
            flush();
            if (c.Code == '\t') {
                add(std::string(), kWordTab, 0);
            } else {
                // Text ends its lines with LF, CR LF or CR; each ends a paragraph.
                add(std::string(), kWordPara, 0);
                if (c.Code == '\r' && i + 1 < chars.size() && chars[i + 1].Code == '\n')
                    ++i;
            }
            continue;
        }
        const int key = SplitKey(c);
        if (key != pendingKey) {
            flush();
            pendingKey = key;
            pendingClass = c.Class;
        }
        platform::AppendUtf8(pending, c.Code);
    }
    flush();
    return added;
}

int TExLightText_::TextAnalyze(const std::string& text, int position)
{
    std::vector<TDecodedChar> chars;
    for (char32_t cp : CodePoints(text)) {
        if (cp == 0)
            break;
        chars.push_back({cp, CharClassOf(cp)});
    }
    return AddRuns(chars, position);
}

int TExLightText_::TextAnalyze(const std::u16string& text, int position)
{
    std::vector<TDecodedChar> chars;
    for (char32_t cp : WideCodePoints(text)) {
        if (cp == 0)
            break;
        chars.push_back({cp, WideCharClassOf(cp)});
    }
    return AddRuns(chars, position);
}

void TExLightText_::SetAnsi(const std::string& text)
{
    Clear();
    autoHighFont_ = true;
    AddWord(text, kWordText);
}

void TExLightText_::SetWide(const std::u16string& text)
{
    Clear();
    AddWord(text, kWordText);
}

TExStyle TExLightText_::EffectiveStyle(const TExLightWord& word) const
{
    TExStyle style = styles_.GetStyle(word.StyleIndex);
    if (word.CharStyleIndex != 0)
        style += styles_.GetStyle(word.CharStyleIndex);
    style += word.Style;
    return style;
}

TExParaStyle TExLightText_::EffectiveParaStyle(const TExLightWord& word) const
{
    return styles_.GetParaStyle(word.StyleIndex) + word.ParaStyle;
}

std::string TExLightText_::GetAnsi() const
{
    std::string out;
    for (const auto& w : words_) {
        if (w->Type != kWordText) {
            out += ControlText(w->Type);
            continue;
        }
        const TExStyle style = EffectiveStyle(*w);
        const std::string bytes = ClassBytes(w->Text, style.CharClass);
        if (style.CharClass != kClassEuro || fonts_.GetCharset(style.HighFont) != 0) {
            out += bytes;
            continue;
        }
        for (char c : bytes) {
            const char* letter = EuroLetter(static_cast<unsigned char>(c));
            if (letter)
                out += letter;
            else
                out += c;
        }
    }
    return out;
}

std::u16string TExLightText_::GetWide() const
{
    std::u16string out;
    for (const auto& w : words_) {
        if (w->Type == kWordText)
            AppendUtf16(out, w->Text);
        else
            AppendUtf16(out, ControlText(w->Type));
    }
    return out;
}

std::string TExLightText_::PlainText() const
{
    std::string out;
    for (const auto& w : words_)
        out += w->Type == kWordText ? w->Text : std::string(ControlText(w->Type));
    return out;
}

void TExLightText_::SaveToAnsiStream(std::ostream& stream) const
{
    const std::string bytes = GetAnsi();
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<TDecodedChar> TExLightText_::DecodeFontBytes(std::string_view bytes, int font, int association) const
{
    if (euro_)
        return DecodeBytes(bytes, TByteDecoding::Western);
    const int charset = fonts_.GetCharset(font);
    if (TFontAttributes::Cp932Charset(charset))
        return DecodeBytes(bytes, association == 2 ? TByteDecoding::SingleByte : TByteDecoding::DoubleByte);
    const int codePage = CodePageOfCharset(charset);
    if (codePage == 0) {
        // A symbol font: each byte is the character the font's own map gives.
        std::vector<TDecodedChar> out;
        for (char c : bytes) {
            const char32_t cp = SymbolFontChar(fonts_.GetName(font), static_cast<unsigned char>(c));
            out.push_back({cp, CharClassOf(cp)});
        }
        return out;
    }
    if (codePage == 1252)
        return DecodeBytes(bytes, TByteDecoding::Western);
    return DecodeCodePageBytes(bytes, codePage);
}

std::vector<TDecodedChar> TExLightText_::DecodeStyledBytes(std::string_view bytes, const TExStyle& style) const
{
    switch (style.CharClass) {
    case 1: return DecodeFontBytes(bytes, style.LowFont, 1);
    case 2: return DecodeFontBytes(bytes, style.HighFont, 2);
    case 4: return DecodeFontBytes(bytes, style.DBFont, 4);
    default: break;
    }
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const auto pairAt = [&](std::size_t i) {
        return !euro_ && i + 1 < bytes.size() && IsLeadByte(at(i)) && IsTrailByte(at(i + 1));
    };
    std::vector<TDecodedChar> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t end = i;
        int association = 2;
        if (at(i) < 0x80) {
            association = 1;
            while (end < bytes.size() && at(end) < 0x80)
                ++end;
        } else if (pairAt(i)) {
            association = 4;
            while (pairAt(end))
                end += 2;
        } else {
            while (end < bytes.size() && at(end) >= 0x80 && !pairAt(end))
                ++end;
        }
        const int font = association == 1 ? style.LowFont : association == 4 ? style.DBFont : style.HighFont;
        const std::vector<TDecodedChar> piece = DecodeFontBytes(bytes.substr(i, end - i), font, association);
        out.insert(out.end(), piece.begin(), piece.end());
        i = end;
    }
    return out;
}

void TExLightText_::FitFonts(TExLightWord& word)
{
    if (word.Type != kWordText || word.Text.empty())
        return;
    const TExStyle effective = EffectiveStyle(word);
    const int charClass = effective.CharClass;
    if (charClass == kClassDouble || charClass == kClassWideSpace) {
        if (!fonts_.Holds(effective.DBFont, charClass, false))
            word.Style.DBFont = fonts_.FittingFont(charClass, false, {effective.LowFont, effective.HighFont});
    } else if (charClass == kClassEuro) {
        const bool katakana = IsHalfKatakana(CodePoints(word.Text).front());
        if (!fonts_.Holds(effective.HighFont, charClass, katakana))
            word.Style.HighFont =
                fonts_.FittingFont(charClass, katakana, {effective.LowFont, effective.DBFont});
    }
}

void TExLightText_::LoadFromAnsiStream(std::istream& stream)
{
    Clear();
    autoHighFont_ = true;
    const TByteDecoding decoding = euro_ ? TByteDecoding::Western : TByteDecoding::DoubleByte;
    std::string line;
    line.reserve(1024);
    bool sawCR = false;
    std::streambuf* buf = stream.rdbuf();
    if (!buf)
        return;
    for (auto c = buf->sbumpc(); c != std::char_traits<char>::eof(); c = buf->sbumpc()) {
        line += static_cast<char>(c);
        if (c == '\r') {
            sawCR = true;
        } else if (c == '\n' && sawCR) {
            AddRuns(DecodeBytes(line, decoding), -1);
            line.clear();
            sawCR = false;
        }
    }
    if (!line.empty())
        AddRuns(DecodeBytes(line, decoding), -1);
}

void TExLightText_::Restore()
{
    for (std::size_t i = 0; i + 1 < words_.size();) {
        TExLightWord& a = *words_[i];
        const TExLightWord& b = *words_[i + 1];
        if (a.Type == kWordText && b.Type == kWordText && a.StyleIndex == b.StyleIndex &&
            a.CharStyleIndex == b.CharStyleIndex && a.ParaStyle == b.ParaStyle && a.Style == b.Style) {
            a.Text += b.Text;
            words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        } else {
            ++i;
        }
    }
}

void TExLightText_::SetClipboard()
{
    platform::ClipboardWriter writer;
    writer.SetText(PlainText());
    writer.Commit();
}

void TExLightText_::GetClipboard(bool)
{
    if (!platform::Clipboard::HasText())
        return;
    const std::string text = platform::Clipboard::GetText();
    std::u16string wide;
    AppendUtf16(wide, text);
    SetWide(wide);
}

int TExLightText_::ClipboardHasText(bool rich)
{
    if (rich)
        for (const char* format : {"text/rtf", "application/rtf", "text/richtext"})
            if (platform::Clipboard::HasFormat(format))
                return 3;
    return platform::Clipboard::HasText() ? 2 : 0;
}
