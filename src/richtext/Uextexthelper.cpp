#include "richtext/Uextexthelper.h"

#include "gui/BitmapCanvas.h"
#include "gui/FontTable.h"
#include "platform/Codec.h"
#include "platform/Errors.h"

#include <QFontDatabase>
#include <QString>

#include <algorithm>
#include <cctype>
#include <array>
#include <memory>
#include <unordered_map>

namespace {

std::string Num(std::int64_t value) { return std::to_string(value); }

bool FlagSet(std::uint8_t flag) { return flag != TExStyle::kUnsetFlag; }
bool FlagOn(std::uint8_t flag) { return flag > 0 && flag < 128; }   // a signed byte above 0
bool IntSet(std::int32_t value) { return value != -1; }
bool ParaSet(std::int32_t value) { return value != TExParaStyle::kUnset; }

template <typename T> void AndField(T& field, T other, T unset)
{
    if (field != other)
        field = unset;
}
template <typename T> void SubField(T& field, T other, T unset)
{
    if (field == other)
        field = unset;
}

// The int32 fields of a character style (size excluded), for the field-by-field operations.
template <typename S> auto StyleInts(S& s)
{
    return std::array{&s.DBFont, &s.HighFont, &s.LowFont, &s.Color, &s.Highlight, &s.ULColor, &s.CharClass};
}
template <typename S> auto StyleFlags(S& s)
{
    return std::array{&s.Bold, &s.Italic, &s.Outline, &s.Underline, &s.Strike, &s.Spare};
}
template <typename P> auto ParaInts(P& p)
{
    return std::array{&p.LineSpacing,     &p.LineMult,       &p.LineBefore,      &p.LineAfter,   &p.SpaceBefore,
                      &p.SpaceAfter,      &p.FirstIndent,    &p.LeftIndent,      &p.RightIndent, &p.CharFirstIndent,
                      &p.CharLeftIndent,  &p.CharRightIndent, &p.OutlineLevel};
}

const char* const kUnderlineWords[] = {"",        "\\ul",        "\\ulw",      "\\uldb",      "\\ulth",
                                       "\\uld",   "\\ulthd",     "\\uldash",   "\\ulthdash",  "\\ulldash",
                                       "\\ulthldash", "\\uldashd", "\\ulthdashd", "\\uldashdd", "\\ulthdashdd",
                                       "\\ulwave", "\\ulhwave",   "\\ululdbwave"};

} // namespace

// ---- TExStyle ----

TExStyle& TExStyle::Invisible()
{
    for (auto* f : StyleInts(*this))
        *f = -1;
    Size = -1;
    for (auto* f : StyleFlags(*this))
        *f = kUnsetFlag;
    return *this;
}

void TExStyle::And(const TExStyle& b)
{
    const auto mine = StyleInts(*this);
    const auto theirs = StyleInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        AndField(*mine[i], *theirs[i], -1);
    AndField(Size, b.Size, -1);
    const auto myFlags = StyleFlags(*this);
    const auto theirFlags = StyleFlags(b);
    for (std::size_t i = 0; i < myFlags.size(); ++i)
        AndField(*myFlags[i], *theirFlags[i], kUnsetFlag);
}

void TExStyle::Add(const TExStyle& b)
{
    const auto mine = StyleInts(*this);
    const auto theirs = StyleInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (IntSet(*theirs[i]))
            *mine[i] = *theirs[i];
    if (b.Size > 0)
        Size = b.Size;
    const auto myFlags = StyleFlags(*this);
    const auto theirFlags = StyleFlags(b);
    for (std::size_t i = 0; i < myFlags.size(); ++i)
        if (FlagSet(*theirFlags[i]))
            *myFlags[i] = *theirFlags[i];
}

void TExStyle::Sub(const TExStyle& b)
{
    const auto mine = StyleInts(*this);
    const auto theirs = StyleInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        SubField(*mine[i], *theirs[i], -1);
    SubField(Size, b.Size, 0);
    const auto myFlags = StyleFlags(*this);
    const auto theirFlags = StyleFlags(b);
    for (std::size_t i = 0; i < myFlags.size(); ++i)
        SubField(*myFlags[i], *theirFlags[i], kUnsetFlag);
}

bool TExStyle::Equal(const TExStyle& b) const
{
    const auto mine = StyleInts(*this);
    const auto theirs = StyleInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (*mine[i] != *theirs[i])
            return false;
    const auto myFlags = StyleFlags(*this);
    const auto theirFlags = StyleFlags(b);
    for (std::size_t i = 0; i < myFlags.size(); ++i)
        if (*myFlags[i] != *theirFlags[i])
            return false;
    return Size == b.Size;
}

bool TExStyle::EqualLimited(const TExStyle& b) const
{
    const auto mine = StyleInts(*this);
    const auto theirs = StyleInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (IntSet(*theirs[i]) && *mine[i] != *theirs[i])
            return false;
    const auto myFlags = StyleFlags(*this);
    const auto theirFlags = StyleFlags(b);
    for (std::size_t i = 0; i < myFlags.size(); ++i)
        if (FlagSet(*theirFlags[i]) && *myFlags[i] != *theirFlags[i])
            return false;
    return !(Size > 0 && b.Size > 0) || Size == b.Size;
}

std::int32_t TExStyle::ClassFont() const
{
    if (CharClass & 1)
        return LowFont;
    if (CharClass & 2)
        return HighFont;
    return DBFont;
}

std::string TExStyle::RTString() const
{
    std::string s;
    // Unset fields write nothing, so a partial style (a character style-sheet entry) stays partial.
    const auto font = [](const char* word, std::int32_t index) {
        return IntSet(index) ? word + Num(index) : std::string();
    };
    // An association word goes only with its font: a bare one would name font 0 to other readers.
    const auto associated = [&](const char* association, const char* word, std::int32_t index) {
        const std::string f = font(word, index);
        return f.empty() ? f : association + f;
    };
    const std::string lo = associated("\\loch", "\\af", LowFont), hi = associated("\\hich", "\\af", HighFont),
                      db = associated("\\dbch", "\\af", DBFont);
    if (CharClass == kClassAscii || CharClass == kClassSpace)
        s = hi + db + associated("\\loch", "\\f", LowFont);
    else if (CharClass == kClassEuro)
        s = lo + db + associated("\\hich", "\\f", HighFont);
    else if (CharClass == kClassDouble || CharClass == kClassWideSpace)
        s = lo + hi + associated("\\dbch", "\\f", DBFont);
    else
        s = lo + hi + db;
    if (Size > 0)
        s += "\\fs" + Num(Size / 5);
    if (Color > 0)
        s += "\\cf" + Num(Color);
    if (FlagOn(Bold))
        s += "\\b";
    if (FlagOn(Italic))
        s += "\\i";
    if (FlagOn(Outline))
        s += "\\outl";
    if (Strike == 2)
        s += "\\striked1";
    else if (FlagOn(Strike))
        s += "\\strike";
    if (FlagOn(Underline))
        s += Underline < std::size(kUnderlineWords) ? kUnderlineWords[Underline] : "\\ul";
    if (ULColor >= 1 && ULColor != Color)
        s += "\\ulc" + Num(ULColor);
    if (Highlight > 0)
        s += "\\highlight" + Num(Highlight);
    return s;
}

// ---- TExParaStyle ----

TExParaStyle& TExParaStyle::Invisible()
{
    for (auto* f : ParaInts(*this))
        *f = kUnset;
    Align = kUnsetAlign;
    return *this;
}

void TExParaStyle::And(const TExParaStyle& b)
{
    const auto mine = ParaInts(*this);
    const auto theirs = ParaInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        AndField(*mine[i], *theirs[i], kUnset);
    AndField(Align, b.Align, kUnsetAlign);
}

void TExParaStyle::Add(const TExParaStyle& b)
{
    const auto mine = ParaInts(*this);
    const auto theirs = ParaInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (ParaSet(*theirs[i]))
            *mine[i] = *theirs[i];
    if (b.Align != kUnsetAlign)
        Align = b.Align;
}

void TExParaStyle::Sub(const TExParaStyle& b)
{
    const auto mine = ParaInts(*this);
    const auto theirs = ParaInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        SubField(*mine[i], *theirs[i], kUnset);
    SubField(Align, b.Align, kUnsetAlign);
}

bool TExParaStyle::Equal(const TExParaStyle& b) const
{
    const auto mine = ParaInts(*this);
    const auto theirs = ParaInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (*mine[i] != *theirs[i])
            return false;
    return Align == b.Align;
}

bool TExParaStyle::EqualLimited(const TExParaStyle& b) const
{
    const auto mine = ParaInts(*this);
    const auto theirs = ParaInts(b);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (ParaSet(*theirs[i]) && *mine[i] != *theirs[i])
            return false;
    return b.Align == kUnsetAlign || Align == b.Align;
}

bool TExParaStyle::Visible() const
{
    for (auto* f : ParaInts(*this))
        if (!ParaSet(*f))
            return false;
    return Align != kUnsetAlign;
}

bool TExParaStyle::Enabled() const
{
    for (auto* f : ParaInts(*this))
        if (ParaSet(*f))
            return true;
    return Align != kUnsetAlign;
}

std::string TExParaStyle::RTString() const
{
    static const char* const kAlignWords[] = {"", "\\qc", "\\qr", "\\qj", "\\qd"};
    std::string s;
    if (Align < std::size(kAlignWords))
        s += kAlignWords[Align];
    const auto word = [&s](const char* name, std::int32_t value) {
        if (ParaSet(value))
            s += name + Num(value);
    };
    word("\\fi", FirstIndent);
    word("\\li", LeftIndent);
    word("\\ri", RightIndent);
    word("\\sb", SpaceBefore);
    word("\\sa", SpaceAfter);
    word("\\sl", LineSpacing);
    word("\\slmult", LineMult);
    if (ParaSet(OutlineLevel) && OutlineLevel > 0)
        s += "\\keepn\\outlinelevel" + Num(std::int64_t{OutlineLevel} - 1);
    word("\\cufi", CharFirstIndent);
    word("\\culi", CharLeftIndent);
    word("\\curi", CharRightIndent);
    word("\\lisb", LineBefore);
    word("\\lisa", LineAfter);
    return s;
}

// ---- TExDocStyle ----

bool TExDocStyle::Equal(const TExDocStyle& b) const
{
    return PaperWidth == b.PaperWidth && PaperHeight == b.PaperHeight && LeftMargin == b.LeftMargin &&
           RightMargin == b.RightMargin && TopMargin == b.TopMargin && BottomMargin == b.BottomMargin &&
           PageStart == b.PageStart && FacingPages == b.FacingPages && Landscape == b.Landscape &&
           DefaultFont == b.DefaultFont && ViewKind == b.ViewKind && DefaultTab == b.DefaultTab;
}

std::string TExDocStyle::RTString() const
{
    std::string s = "\\paperw" + Num(PaperWidth) + "\\paperh" + Num(PaperHeight) + "\\margl" + Num(LeftMargin) +
                    "\\margr" + Num(RightMargin) + "\\margt" + Num(TopMargin) + "\\margb" + Num(BottomMargin) +
                    "\\pgnstart" + Num(PageStart);
    if (FacingPages)
        s += "\\facingp";
    if (Landscape)
        s += "\\landscape";
    s += "\\deff" + Num(DefaultFont) + "\\viewkind" + Num(ViewKind);
    s += "\\dgmargin\\dghspace105\\dgvspace180\\dghorigin851\\dgvorigin567\\lnongrid";
    return s;
}

// ---- code page rules ----

namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

constexpr char32_t kPairUnknown = 0xFFFFFFFF;

// The code point of a code-page-932 byte pair, 0 when the pair decodes to nothing. Each pair is
// converted on first use and remembered (the GUI thread alone decodes rich text).
char32_t PairCodePoint(unsigned char lead, unsigned char trail)
{
    static std::vector<char32_t> table(0x10000, kPairUnknown);
    char32_t& entry = table[static_cast<std::size_t>(lead << 8 | trail)];
    if (entry != kPairUnknown)
        return entry;
    entry = 0;
    if (trail < 0x40 || trail > 0xFC || trail == 0x7F)
        return entry;
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    try {
        const std::string utf8 = platform::SjisToUtf8(std::string_view(pair, 2));
        std::size_t pos = 0;
        char32_t cp = 0;
        if (platform::TryNextCodePoint(utf8, pos, cp) && pos == utf8.size())
            entry = cp;
    } catch (const platform::ConvertError&) {
    }
    return entry;
}

// The code-page-932 code of a character (one byte below 0x100, else a pair), -1 when it has none.
int Cp932Code(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<int>(cp);
    if (IsHalfKatakana(cp))
        return static_cast<int>(0xA1 + (cp - 0xFF61));
    static std::unordered_map<char32_t, int> cache;
    if (const auto it = cache.find(cp); it != cache.end())
        return it->second;
    int code = -1;
    try {
        std::string utf8;
        platform::AppendUtf8(utf8, cp);
        const std::string bytes = platform::Utf8ToSjis(utf8);
        if (bytes.size() == 1)
            code = static_cast<unsigned char>(bytes[0]);
        else if (bytes.size() == 2)
            code = static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
    } catch (const platform::ConvertError&) {
    }
    cache.emplace(cp, code);
    return code;
}

void AppendCode(std::string& out, int code)
{
    if (code > 0xFF)
        out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

TDecodedChar AsciiChar(unsigned char b) { return {b, b == ' ' ? kClassSpace : kClassAscii}; }

} // namespace

bool IsHalfKatakana(char32_t cp) { return cp >= 0xFF61 && cp <= 0xFF9F; }

int CharClassOf(char32_t cp)
{
    if (cp == 0x3000)
        return kClassWideSpace;
    if (cp == ' ')
        return kClassSpace;
    if (cp < 0x80)
        return kClassAscii;
    return Cp932Code(cp) > 0xFF ? kClassDouble : kClassEuro;
}

int WideCharClassOf(char32_t cp)
{
    if (cp < 0x80 || cp == 0x3000)
        return CharClassOf(cp);
    if (cp <= 0xFF)
        return kClassEuro;
    return Cp932Code(cp) > 0xFF ? kClassDouble : kClassWide6;
}

std::string CharBytes(char32_t cp, int charClass)
{
    std::string out;
    int code = -1;
    switch (charClass) {
    case kClassAscii:
    case kClassSpace:
        code = cp < 0x80 ? static_cast<int>(cp) : -1;
        break;
    case kClassEuro:
    case kClassWide6:
        code = IsHalfKatakana(cp) ? Cp932Code(cp) : platform::CodePointToCp1252(cp);
        break;
    case kClassDouble:
    case kClassWideSpace:
        code = Cp932Code(cp);
        break;
    default:
        code = Cp932Code(cp);
        if (code < 0)
            code = platform::CodePointToCp1252(cp);
        break;
    }
    if (code >= 0)
        AppendCode(out, code);
    return out;
}

std::u32string CodePoints(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        if (platform::TryNextCodePoint(utf8, pos, cp)) {
            out += cp;
        } else {
            out += U'\uFFFD';
            ++pos;
        }
    }
    return out;
}

std::string CodePointsToUtf8(std::u32string_view cps)
{
    std::string out;
    out.reserve(cps.size());
    for (char32_t cp : cps)
        platform::AppendUtf8(out, cp);
    return out;
}

std::string ClassBytes(std::string_view utf8, int charClass)
{
    std::string out;
    out.reserve(utf8.size());
    for (char32_t cp : CodePoints(utf8)) {
        const std::string bytes = CharBytes(cp, charClass);
        out += bytes.empty() ? std::string("?") : bytes;
    }
    return out;
}

std::vector<TDecodedChar> DecodeBytes(std::string_view bytes, TByteDecoding decoding)
{
    std::vector<TDecodedChar> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(AsciiChar(b));
            continue;
        }
        if (decoding != TByteDecoding::Western) {
            if (b >= 0xA1 && b <= 0xDF) {
                out.push_back({static_cast<char32_t>(0xFF61 + (b - 0xA1)), kClassEuro});
                continue;
            }
            if (decoding == TByteDecoding::DoubleByte && IsLeadByte(b) && i + 1 < bytes.size()) {
                const auto trail = static_cast<unsigned char>(bytes[i + 1]);
                if (const char32_t cp = PairCodePoint(b, trail); cp != 0) {
                    const int code = b << 8 | trail;
                    out.push_back({cp, code == 0x8140 ? kClassWideSpace : kClassDouble});
                    ++i;
                    continue;
                }
            }
        }
        out.push_back({platform::Cp1252ToCodePoint(b), kClassEuro});
    }
    return out;
}

std::string DecodeCp932(std::string_view bytes)
{
    std::string out;
    for (const TDecodedChar& c : DecodeBytes(bytes, TByteDecoding::DoubleByte))
        platform::AppendUtf8(out, c.Code);
    return out;
}

namespace {

// Charsets (\fcharset) and their code pages.
constexpr std::pair<int, int> kCharsetCodePages[] = {
    {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},
    {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251},
    {222, 874},  {238, 1250}, {255, 437},
};

// The Symbol font's characters for the bytes 0x20-0xFF (Adobe's Symbol encoding); 0 none.
constexpr char16_t kSymbolChars[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0x20AC, 0x03D2, 0x2032, 0x2264,
    0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9,
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,
};

// Wingdings' bytes that word processors write as list marks, and their characters.
constexpr std::pair<unsigned char, char32_t> kWingdingsMarks[] = {
    {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x71, 0x2751}, {0x75, 0x25C6}, {0x76, 0x2756}, {0x9F, 0x2022},
    {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xD8, 0x27A2}, {0xFC, 0x2713}, {0xFB, 0x2717}, {0xE8, 0x2794},
};

bool SameFace(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

int CodePageOfCharset(int charset)
{
    if (charset == 1)
        return 932;
    if (charset == 2)
        return 0;
    for (const auto& [set, page] : kCharsetCodePages)
        if (set == charset)
            return page;
    return 1252;
}

int CharsetOfCodePage(int codePage)
{
    for (const auto& [set, page] : kCharsetCodePages)
        if (page == codePage)
            return set;
    return 0;
}

std::vector<TDecodedChar> DecodeCodePageBytes(std::string_view bytes, int codePage)
{
    std::vector<std::pair<char32_t, std::size_t>> chars;
    if (!platform::DecodeCodePage(bytes, codePage, chars))
        return DecodeBytes(bytes, TByteDecoding::Western);
    std::vector<TDecodedChar> out;
    out.reserve(chars.size());
    std::size_t at = 0;
    for (const auto& [cp, size] : chars) {
        const char32_t code = cp == U'\uFFFD' && size == 1 ? platform::Cp1252ToCodePoint(static_cast<unsigned char>(bytes[at])) : cp;
        out.push_back({code, CharClassOf(code)});
        at += size;
    }
    return out;
}

char32_t SymbolFontChar(std::string_view face, unsigned char byte)
{
    if (SameFace(face, "Symbol") && byte >= 0x20 && kSymbolChars[byte - 0x20] != 0)
        return kSymbolChars[byte - 0x20];
    if (SameFace(face, "Wingdings"))
        for (const auto& [b, cp] : kWingdingsMarks)
            if (b == byte)
                return cp;
    return 0xF000 + byte;
}

namespace {

std::string HexEscape(unsigned char b)
{
    static const char kHex[] = "0123456789ABCDEF";
    return {'\\', '\'', kHex[b >> 4], kHex[b & 15]};
}

} // namespace

std::string EscapeRTBytes(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (b < 32 || b >= 128) {
            out += HexEscape(b);
        } else {
            out += c;
        }
    }
    return out;
}

std::string StrToRTString(std::string_view utf8, int charClass)
{
    std::string out;
    out.reserve(utf8.size() * 2);
    for (char32_t cp : CodePoints(utf8)) {
        std::string bytes = CharBytes(cp, charClass < 0 ? CharClassOf(cp) : charClass);
        if (bytes.empty())
            bytes = "?";
        if (cp < 0x80) {
            out += EscapeRTBytes(bytes);
            continue;
        }
        for (char b : bytes)
            out += HexEscape(static_cast<unsigned char>(b));
    }
    return out;
}

std::string BytesToRTString(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 4);
    std::size_t at = 0;
    for (const TDecodedChar& c : DecodeBytes(bytes, TByteDecoding::DoubleByte)) {
        const std::size_t n = ClassWidth(c.Class);
        const std::string_view piece = bytes.substr(at, n);
        at += n;
        if (c.Code < 0x80) {
            out += EscapeRTBytes(piece);
            continue;
        }
        for (char b : piece)
            out += HexEscape(static_cast<unsigned char>(b));
    }
    return out;
}

void AppendRTUnicode(std::string& out, char32_t cp)
{
    const auto unit = [&out](std::int32_t u) {
        out += "\\u" + std::to_string(u > 0x7FFF ? u - 0x10000 : u) + "?";
    };
    if (cp >= 0x10000) {
        unit(static_cast<std::int32_t>(0xD800 + ((cp - 0x10000) >> 10)));
        unit(static_cast<std::int32_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
        unit(static_cast<std::int32_t>(cp));
    }
}

std::string RTBytesOfText(std::string_view rtf)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::string out;
    out.reserve(rtf.size());
    std::vector<bool> inTable{false};   // per open group
    std::size_t pos = 0;
    while (pos < rtf.size()) {
        const char c = rtf[pos];
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
            ++pos;
            if (c == '{') {
                inTable.push_back(inTable.back());
            } else if (c == '}' && inTable.size() > 1) {
                inTable.pop_back();
            } else if (c == '\\' && pos < rtf.size() && static_cast<unsigned char>(rtf[pos]) < 0x80) {
                std::size_t end = pos;
                while (end < rtf.size() && letter(rtf[end]))
                    ++end;
                const std::string_view name = rtf.substr(pos, end - pos);
                if (name == "fonttbl" || name == "stylesheet")
                    inTable.back() = true;
                end = std::max(end, pos + 1);   // a control symbol is one character
                out += rtf.substr(pos, end - pos);
                pos = end;
            }
            continue;
        }
        char32_t cp = 0;
        if (!platform::TryNextCodePoint(rtf, pos, cp)) {
            out += c;
            ++pos;
            continue;
        }
        // Names are read as code-page-932 bytes; text takes any character as \uN.
        const std::string bytes = CharBytes(cp, kClassDouble);
        if (inTable.back() && !bytes.empty() && static_cast<unsigned char>(bytes.front()) >= 0x80)
            out += EscapeRTBytes(bytes);
        else
            AppendRTUnicode(out, cp);
    }
    return out;
}

void GetFontFamilyInfo(const std::string& name, std::int32_t& charset, std::int32_t& family)
{
    if (name == "Arial") {
        charset = 0;
        family = 0x22;
    } else if (name == "ＭＳ Ｐゴシック") {
        charset = 128;
        family = 0x32;
    } else if (name == "ＭＳ ゴシック") {
        charset = 128;
        family = 0x31;
    } else {
        charset = platform::FaceSupportsJapanese(name) ? 128 : 0;
        const QString installed = QString::fromStdString(platform::InstalledFace(name));
        family = QFontDatabase::isFixedPitch(installed) ? 1 : 2;
    }
}

namespace {

platform::Canvas*& InjectedCanvas()
{
    static platform::Canvas* canvas = nullptr;
    return canvas;
}

} // namespace

platform::Canvas* MeasureCanvas()
{
    if (InjectedCanvas())
        return InjectedCanvas();
    static const std::unique_ptr<platform::BitmapCanvas> own = std::make_unique<platform::BitmapCanvas>(1, 1, 96);
    return own.get();
}

void SetMeasureCanvas(platform::Canvas* canvas) { InjectedCanvas() = canvas; }

// ---- TFontAttributes ----

TFontAttributes::TFontAttributes() { Clear(); }

void TFontAttributes::Clear()
{
    fonts_.clear();
    for (const char* name : {"Arial", fixedFont_ ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック"}) {
        TFontAttribute f;
        f.Name = name;
        GetFontFamilyInfo(f.Name, f.Charset, f.Family);
        f.Family = FixedFamily(f.Family);
        fonts_.push_back(f);
    }
}

void TFontAttributes::Assign(const TFontAttributes* source)
{
    if (!source || source == this)
        return;
    if (source->fonts_.empty()) {
        Clear();
        return;
    }
    fonts_ = source->fonts_;
    for (auto& f : fonts_)
        f.Family = FixedFamily(f.Family);
}

void TFontAttributes::SetFixedFont(bool fixed)
{
    fixedFont_ = fixed;
    for (auto& f : fonts_)
        f.Family = FixedFamily(f.Family);
}

int TFontAttributes::AddFont(int index, const std::string& name, int charset, int family)
{
    if (index >= 1)
        return IndexOfFont(name, charset, family);
    if (fonts_.empty())
        fonts_.emplace_back();
    TFontAttribute& f = fonts_[0];
    f = TFontAttribute{};
    f.Name = name;
    f.Charset = charset;
    f.Family = FixedFamily(family);
    return 0;
}

int TFontAttributes::IndexOfFont(const std::string& name, int charset, int family)
{
    family = FixedFamily(family);
    for (int i = 1; i < Count(); ++i) {
        const auto& f = fonts_[static_cast<std::size_t>(i)];
        if (f.Name == name && f.Charset == charset && GetFamily(i) == family)
            return i;
    }
    TFontAttribute f;
    f.Name = name;
    f.Charset = charset;
    f.Family = family;
    fonts_.push_back(f);
    return Count() - 1;
}

bool TFontAttributes::Holds(int i, int charClass, bool katakana) const
{
    const bool japanese = charClass == kClassDouble || charClass == kClassWideSpace || katakana;
    if (!japanese && charClass != kClassEuro)
        return true;
    return i >= 0 && i < Count() && Cp932Charset(GetCharset(i)) == japanese;
}

int TFontAttributes::FittingFont(int charClass, bool katakana, std::initializer_list<int> candidates)
{
    for (int i : candidates)
        if (Holds(i, charClass, katakana))
            return i;
    const bool japanese = charClass == kClassDouble || charClass == kClassWideSpace || katakana;
    if (Count() < 2)
        return IndexOfFont(japanese ? (fixedFont_ ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック") : "Arial");
    return IndexOfFont(GetName(1), japanese ? 128 : 0, GetFamily(1));
}

int TFontAttributes::IndexOfFont(const std::string& name)
{
    std::int32_t charset = 0, family = 0;
    GetFontFamilyInfo(name, charset, family);
    return IndexOfFont(name, charset, family);
}

void TFontAttributes::SetReadName(int i, std::string_view bytes)
{
    if (i < 0 || i >= Count())
        return;
    TFontAttribute& f = fonts_[static_cast<std::size_t>(i)];
    if (f.Name == DecodeCp932(bytes) && BytesToRTString(bytes) != StrToRTString(f.Name))
        f.Bytes = bytes;
}

std::string TFontAttributes::GetName(int i) const
{
    return i >= 0 && i < Count() ? fonts_[static_cast<std::size_t>(i)].Name : std::string();
}

int TFontAttributes::GetCharset(int i) const
{
    return i >= 0 && i < Count() ? fonts_[static_cast<std::size_t>(i)].Charset : 0;
}

int TFontAttributes::GetFamily(int i) const
{
    return i >= 0 && i < Count() ? FixedFamily(fonts_[static_cast<std::size_t>(i)].Family) : 0;
}

void TFontAttributes::Measure(int i)
{
    auto& f = fonts_[static_cast<std::size_t>(i)];
    if (f.Measured)
        return;
    int ascent = 0, descent = 0;
    GetHeight(i, ascent, descent);
    f.Ascent = ascent;
    f.Descent = descent;
    f.Measured = true;
}

int TFontAttributes::GetAscent(int i)
{
    if (i < 0 || i >= Count())
        return 0;
    Measure(i);
    return fonts_[static_cast<std::size_t>(i)].Ascent;
}

int TFontAttributes::GetDescent(int i)
{
    if (i < 0 || i >= Count())
        return 0;
    Measure(i);
    return fonts_[static_cast<std::size_t>(i)].Descent;
}

platform::FontSpec TFontAttributes::GetLOGFONT(int i) const
{
    if (i < 0 || i >= Count())
        i = 0;
    platform::FontSpec spec;
    spec.Face = GetName(i);
    spec.Height = 0;
    spec.CharSet = GetCharset(i);
    spec.PitchAndFamily = GetFamily(i);
    return spec;
}

platform::FontSpec TFontAttributes::GetLOGFONT(const TExStyle& style) const
{
    platform::FontSpec spec = GetLOGFONT(style.ClassFont());
    spec.Weight = style.Bold != 0 ? 700 : 400;
    spec.Italic = FlagOn(style.Italic);
    return spec;
}

void TFontAttributes::GetHeight(int i, int& ascent, int& descent)
{
    ascent = descent = 0;
    platform::Canvas* canvas = GetHDC();
    if (!canvas)
        return;
    platform::FontSpec spec = GetLOGFONT(i);
    spec.Height = -2048;
    platform::CanvasState state(*canvas);
    canvas->SetFont(spec);
    const platform::FontMetrics m = canvas->GetFontMetrics();
    ascent = m.Ascent;
    descent = m.Descent;
}

void TFontAttributes::GetExtent(const TExStyle& style, std::string_view text, std::vector<int>* extents,
                                int& ascent, int& descent)
{
    ascent = descent = 0;
    if (extents)
        extents->clear();
    platform::Canvas* canvas = GetHDC();
    if (!canvas)
        return;
    platform::FontSpec spec = GetLOGFONT(style);
    spec.Height = static_cast<int>(-(std::int64_t{96} * style.Size) / 720);
    platform::CanvasState state(*canvas);
    canvas->SetFont(spec);
    const platform::FontMetrics m = canvas->GetFontMetrics();
    ascent = m.Ascent;
    descent = m.Descent;
    if (!extents)
        return;
    const std::vector<int> edges = canvas->CharEdges(text);
    const int width = style.DoubleByte() ? 2 : 1;
    extents->reserve(edges.size() * static_cast<std::size_t>(width));
    for (int edge : edges)
        for (int k = 0; k < width; ++k)
            extents->push_back(edge);
}

std::string TFontAttributes::GetRTString(const std::map<int, int>* numbers) const
{
    static const char* const kFamilyWords[] = {"\\fnil", "\\froman", "\\fswiss", "\\fmodern",
                                               "\\fscript", "\\fdecor", "\\ftech"};
    if (fonts_.empty())
        return {};
    std::string s = "{\\fonttbl";
    for (int i = 0; i < Count(); ++i) {
        const auto number = numbers ? numbers->find(i) : std::map<int, int>::const_iterator();
        if (numbers && number == numbers->end())
            continue;
        const auto& f = fonts_[static_cast<std::size_t>(i)];
        const int family = GetFamily(i);
        const int kind = (family >> 4) & 15;
        s += "\r\n{\\f" + Num(numbers ? number->second : i);
        if (kind < 7)
            s += kFamilyWords[kind];
        s += "\\fcharset" + Num(f.Charset) + "\\fprq" + Num(family & 3);
        if (!f.Name.empty())
            s += " " + (f.Bytes.empty() ? StrToRTString(f.Name) : BytesToRTString(f.Bytes));
        s += ";}";
    }
    return s + "\r\n}";
}

// ---- TColorAttributes ----

TColorAttributes::TColorAttributes() { Clear(); }

void TColorAttributes::Clear() { colors_.assign(2, 0); }

void TColorAttributes::Assign(const TColorAttributes* source)
{
    if (!source || source == this)
        return;
    if (source->colors_.empty())
        Clear();
    else
        colors_ = source->colors_;
}

int TColorAttributes::IndexOfColor(TColor color)
{
    for (int i = 1; i < Count(); ++i)
        if (colors_[static_cast<std::size_t>(i)] == color)
            return i;
    colors_.push_back(color);
    return Count() - 1;
}

TColor TColorAttributes::GetColor(int i) const
{
    return i >= 0 && i < Count() ? colors_[static_cast<std::size_t>(i)] : 0;
}

std::string TColorAttributes::GetRTString() const
{
    if (Count() <= 1)
        return {};
    std::string s = "{\\colortbl;";
    for (int i = 1; i < Count(); ++i)
        s += "\r\n\\red" + Num(GetR(i)) + "\\green" + Num(GetG(i)) + "\\blue" + Num(GetB(i)) + ";";
    return s + "\r\n}";
}

// ---- TStyleAttributes ----

TStyleAttributes::TStyleAttributes() { Clear(); }

void TStyleAttributes::Clear()
{
    TStyleAttribute normal;
    normal.Name = "Normal";
    normal.Style.Size = 105;
    normal.Style.DBFont = 1;
    normal.Style.LowFont = 1;
    normal.Style.HighFont = 0;
    styles_.assign(1, normal);
}

void TStyleAttributes::Assign(const TStyleAttributes* source)
{
    if (!source || source == this)
        return;
    if (source->styles_.empty()) {
        TStyleAttribute normal;
        normal.Name = "Normal";
        normal.Style.Size = 105;
        styles_.assign(1, normal);
    } else {
        styles_ = source->styles_;
    }
}

int TStyleAttributes::AddStyle(int index, const std::string& name, const TExStyle& style,
                               const TExParaStyle& paraStyle)
{
    if (index >= 1)
        return IndexOfStyle(name, style, paraStyle);
    if (styles_.empty())
        styles_.emplace_back();
    styles_[0] = TStyleAttribute{name, paraStyle, style};
    return 0;
}

int TStyleAttributes::IndexOfStyle(const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle)
{
    for (int i = 1; i < Count(); ++i) {
        const auto& s = styles_[static_cast<std::size_t>(i)];
        if (s.Style == style && s.ParaStyle == paraStyle)
            return i;
    }
    styles_.push_back(TStyleAttribute{name, paraStyle, style});
    return Count() - 1;
}

void TStyleAttributes::SetName(int i, const std::string& name)
{
    if (Valid(i))
        styles_[static_cast<std::size_t>(i)].Name = name;
}

void TStyleAttributes::Change(int i, const TExStyle& style, const TExParaStyle& paraStyle)
{
    auto& entry = styles_[static_cast<std::size_t>(i)];
    const TExStyle oldStyle = entry.Style;
    const TExParaStyle oldPara = entry.ParaStyle;
    entry.Style = style;
    entry.ParaStyle = paraStyle;
    if (OnChange)
        OnChange(this, i, oldPara, oldStyle);
}

void TStyleAttributes::SetStyle(int i, const TExStyle& style)
{
    if (Valid(i))
        Change(i, style, styles_[static_cast<std::size_t>(i)].ParaStyle);
}

void TStyleAttributes::SetParaStyle(int i, const TExParaStyle& paraStyle)
{
    if (Valid(i))
        Change(i, styles_[static_cast<std::size_t>(i)].Style, paraStyle);
}

void TStyleAttributes::SetStyleList(int i, const TExStyle& style, const TExParaStyle& paraStyle)
{
    if (Valid(i))
        Change(i, style, paraStyle);
}

std::string TStyleAttributes::GetName(int i) const
{
    return Valid(i) ? styles_[static_cast<std::size_t>(i)].Name : std::string();
}

TExStyle TStyleAttributes::GetStyle(int i) const
{
    return Valid(i) ? styles_[static_cast<std::size_t>(i)].Style : TExStyle();
}

TExParaStyle TStyleAttributes::GetParaStyle(int i) const
{
    return Valid(i) ? styles_[static_cast<std::size_t>(i)].ParaStyle : TExParaStyle();
}

std::string TStyleAttributes::GetRTString() const
{
    if (styles_.empty())
        return {};
    std::string s = "{\\stylesheet";
    for (int i = 0; i < Count(); ++i) {
        const auto& e = styles_[static_cast<std::size_t>(i)];
        const bool para = e.ParaStyle.Visible();
        s += "\r\n{";
        if (i > 0)
            s += (para ? "\\s" : "\\*\\cs") + Num(i);
        if (para)
            s += e.ParaStyle.RTString();
        s += e.Style.RTString() + "\\snext0\\sbasedon0";
        if (!e.Name.empty())
            s += " " + StrToRTString(e.Name);
        s += ";}";
    }
    return s + "\r\n}";
}
