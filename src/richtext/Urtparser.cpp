#include "richtext/Urtparser.h"

#include "platform/Codec.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace {

// Word type of a paragraph's end (see the keyword rows).
constexpr int kControlParagraph = 2;

bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

int HexValue(int c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Whether a document that declares no code page wrote its bytes in a Western one. A writer of
// code page 932 writes a character's lead byte as \'xx followed by its trail byte as \'xx; a
// Western writer's escaped letter is followed by plain text or a control ("Cr\'e8me", "caf\'e9\par").
// The more frequent of the two decides; a declared \ansicpg, or a stream that cannot be read again,
// leaves code page 932.
bool WrittenInWesternBytes(std::istream& stream)
{
    std::streambuf* buf = stream.rdbuf();
    if (!buf)
        return false;
    const auto start = buf->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (start == std::streampos(std::streamoff(-1)))
        return false;
    const auto next = [buf] {
        const auto c = buf->sbumpc();
        return c == std::char_traits<char>::eof() ? -1 : static_cast<unsigned char>(c);
    };
    std::int64_t pairs = 0;
    std::int64_t lone = 0;
    bool leadWaits = false;   // an escaped lead byte, its trail not yet seen
    bool declared = false;
    for (int c = next(); c >= 0 && !declared;) {
        if (c == '\r' || c == '\n') {
            c = next();
            continue;
        }
        if (c != '\\') {
            lone += std::exchange(leadWaits, false);
            c = next();
            continue;
        }
        c = next();
        if (c == '\'') {
            const int high = HexValue(next());
            const int low = HexValue(next());
            c = next();
            if (high < 0 || low < 0) {
                leadWaits = false;
                continue;
            }
            const auto byte = static_cast<unsigned char>(high * 16 + low);
            if (leadWaits && IsTrail(byte)) {
                ++pairs;
                leadWaits = false;
                continue;
            }
            lone += std::exchange(leadWaits, false);
            leadWaits = IsLead(byte);
            continue;
        }
        lone += std::exchange(leadWaits, false);
        if (!IsLetter(c)) {   // a control symbol (\\, \{, \~ …)
            c = next();
            continue;
        }
        std::string name;
        for (; IsLetter(c) && name.size() < 8; c = next())
            name += static_cast<char>(c);
        declared = name == "ansicpg";
    }
    buf->pubseekpos(start, std::ios_base::in);
    return !declared && lone > pairs;
}

int ClampInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

// A length or size read for the field, held to what a page can hold, so that what is computed from
// it (pixels, line heights) stays in range.
int HoldToPage(int field, int value)
{
    const auto hold = [value](std::int64_t limit) {
        return static_cast<int>(std::clamp<std::int64_t>(value, -limit, limit));
    };
    switch (field) {
    case rtpSize: return std::clamp(value, 0, static_cast<int>(kRtfMaxLengthTwips / 10));   // half-points
    case rtpLineMult: return std::clamp(value, 0, 1);
    case rtpCharFirstIndent:
    case rtpCharLeftIndent:
    case rtpCharRightIndent: return hold(kRtfMaxLengthTwips * 10 / 21);   // 1/100 of a character of 210 twips
    case rtpLineBefore:
    case rtpLineAfter: return hold(kRtfMaxLengthTwips * 10 / 36);         // 1/100 of a line of 360 twips
    case rtpFirstIndent:
    case rtpLeftIndent:
    case rtpRightIndent:
    case rtpLineSpacing:
    case rtpSpaceBefore:
    case rtpSpaceAfter:
    case rtpPaperWidth:
    case rtpPaperHeight:
    case rtpLeftMargin:
    case rtpRightMargin:
    case rtpTopMargin:
    case rtpBottomMargin:
    case rtpDefaultTab: return hold(kRtfMaxLengthTwips);
    default: return value;
    }
}

// True when the bytes end in a lead byte that no trail follows (pairs counted from the start).
bool EndsInLeadByte(const std::string& bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (IsLead(static_cast<unsigned char>(bytes[i]))) {
            if (i + 1 == bytes.size())
                return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

// The styles of the style-sheet entries, each with the size of its nearest base that has one when
// it has none. Each entry is completed once, after its base; a base on the walk that leads to it
// (a cycle) gives nothing.
std::vector<TExStyle> CompletedStyles(const std::vector<TRTStyleEntry>& sheet)
{
    const int count = static_cast<int>(sheet.size());
    std::map<std::pair<bool, int>, int> byNumber;
    for (int i = 0; i < count; ++i)
        byNumber.emplace(std::pair(sheet[i].Character, sheet[i].Number), i);
    std::vector<int> base(sheet.size(), -1);
    for (int i = 0; i < count; ++i) {
        const auto it = byNumber.find({sheet[i].Character, sheet[i].BasedOn});
        if (sheet[i].BasedOn >= 0 && it != byNumber.end())
            base[i] = it->second;
    }
    enum : char { kOpen, kOnWalk, kDone };
    std::vector<char> state(sheet.size(), kOpen);
    std::vector<TExStyle> done(sheet.size());
    std::vector<int> walk;
    for (int i = 0; i < count; ++i) {
        walk.clear();
        for (int at = i; at >= 0 && state[at] == kOpen; at = base[at]) {
            state[at] = kOnWalk;
            walk.push_back(at);
        }
        for (auto k = walk.rbegin(); k != walk.rend(); ++k) {
            TExStyle style = sheet[*k].Style;
            if (style.Size <= 0 && base[*k] >= 0 && state[base[*k]] == kDone)
                style.Size = done[base[*k]].Size;
            if (!sheet[*k].Character && style.Size <= 0)
                style.Size = TRTParser::kDefaultSize;
            done[*k] = style;
            state[*k] = kDone;
        }
    }
    return done;
}

} // namespace

// ---- TRTStreamParser ----

void TRTStreamParser::DoGroup(bool) {}

void TRTStreamParser::Reset()
{
    pushed_ = -1;
    state_ = 0;
    binLeft_ = 0;
    hexDigits_ = hexValue_ = 0;
    depth_ = 0;
    fallback_ = 0;
    text_.clear();
    text_.reserve(kRtfMaxPiece + 1);
    stop_ = false;
}

int TRTStreamParser::Next()
{
    if (pushed_ >= 0) {
        const int c = pushed_;
        pushed_ = -1;
        return c;
    }
    std::streambuf* buf = stream_->rdbuf();
    const auto c = buf ? buf->sbumpc() : std::char_traits<char>::eof();
    return c == std::char_traits<char>::eof() ? -1 : static_cast<unsigned char>(c);
}

void TRTStreamParser::AppendText(char byte)
{
    if (fallback_ > 0) {
        --fallback_;
        return;
    }
    text_ += byte;
    if (static_cast<int>(text_.size()) < kRtfMaxPiece)
        return;
    if (EndsInLeadByte(text_)) {
        const char lead = text_.back();
        text_.pop_back();
        const std::string piece = std::move(text_);
        text_.assign(1, lead);
        DoDestinationText(piece);
    } else {
        FlushText();
    }
}

void TRTStreamParser::FlushText()
{
    if (text_.empty())
        return;
    const std::string piece = std::move(text_);
    text_.clear();
    DoDestinationText(piece);
}

// After a backslash: a control word, a control symbol or an escaped character. False when the
// stream ends where the syntax needs a byte.
bool TRTStreamParser::ReadControl()
{
    const int c = Next();
    if (c < 0)
        return false;
    if (c == '\\' || c == '{' || c == '}') {
        AppendText(static_cast<char>(c));
        return true;
    }
    if (c == '\'') {
        state_ = 2;
        hexDigits_ = hexValue_ = 0;
        return true;
    }
    FlushText();
    fallback_ = 0;
    if (c == '\r' || c == '\n') {
        // A backslash ending a line ends a paragraph (as Cocoa's writers end them).
        DoKeyword("par", 0, false);
        return true;
    }
    if (!IsLetter(c)) {
        DoKeyword(std::string(1, static_cast<char>(c)), 0, false);
        return true;
    }
    std::string name(1, static_cast<char>(c));
    int d = Next();
    for (; IsLetter(d); d = Next())
        if (static_cast<int>(name.size()) < kRtfMaxName)
            name += static_cast<char>(d);
    bool negative = false;
    bool hasValue = false;
    std::int64_t value = 0;
    if (d == '-') {
        negative = true;
        d = Next();
        if (d < 0)
            return false;
    }
    for (; IsDigit(d); d = Next()) {
        hasValue = true;
        value = std::min<std::int64_t>(value * 10 + (d - '0'), std::int64_t{1} << 32);
    }
    if (d >= 0 && d != ' ')
        pushed_ = d;
    const int number = ClampInt(negative ? -value : value);
    if (name == "bin") {
        if (hasValue && number > 0) {
            state_ = 1;
            binLeft_ = number;
        }
        return true;
    }
    DoKeyword(name, number, hasValue);
    return true;
}

bool TRTStreamParser::Parse(std::istream& stream)
{
    Reset();
    BeginStream(stream);
    stream_ = &stream;
    bool ok = true;
    while (!stop_) {
        if (depth_ < 0) {
            ok = false;
            break;
        }
        const int c = Next();
        if (c < 0)
            break;
        if (state_ == 1) {
            if (--binLeft_ <= 0)
                state_ = 0;
            continue;
        }
        if (state_ == 2) {
            const int h = HexValue(c);
            if (h < 0) {
                ok = false;
                break;
            }
            hexValue_ = hexValue_ * 16 + h;
            if (++hexDigits_ == 2) {
                state_ = 0;
                AppendText(static_cast<char>(hexValue_));
            }
            continue;
        }
        switch (c) {
        case '{':
            FlushText();
            fallback_ = 0;
            if (depth_ >= kRtfMaxDepth) {
                ok = false;
                stop_ = true;
                break;
            }
            ++depth_;
            DoGroup(true);
            break;
        case '}':
            FlushText();
            fallback_ = 0;
            --depth_;
            if (depth_ >= 0)
                DoGroup(false);
            break;
        case '\r':
        case '\n':
            break;
        case '\\':
            if (!ReadControl()) {
                ok = false;
                stop_ = true;
            }
            break;
        default:
            AppendText(static_cast<char>(c));
            break;
        }
    }
    FlushText();
    const bool stopped = stop_;
    stream_ = nullptr;
    if (!ok)
        return false;
    return stopped || depth_ == 0;
}

// ---- TRTParser ----

TRTParser::TRTParser() : keywords_(RTKeywordList()) {}

void TRTParser::BeginStream(std::istream& stream) { westernBytes_ = WrittenInWesternBytes(stream); }

void TRTParser::Reset()
{
    TRTStreamParser::Reset();
    asterisk_ = false;
    highSurrogate_ = 0;
    stack_.clear();
    state_ = TParseStruct{};
    doc_.Clear();
    fontMap_.clear();
    colorMap_.clear();
    styleMap_.clear();
    sheet_.clear();
    rowCells_ = 0;
    cellPara_.reset();
    ansiCodePage_ = 0;
    cellPar_ = false;
}

namespace {

// Number 0 maps to entry 0 unless the owner put the table's entry 0 elsewhere; a negative
// number (a font a style-sheet entry leaves unset) stays.
int MapNumber(const std::map<int, int>& map, int number)
{
    if (number < 0)
        return number;
    const auto it = map.find(number);
    return it == map.end() ? 0 : it->second;
}

int MapColor(const std::vector<int>& map, int number)
{
    return number <= 0 || number >= static_cast<int>(map.size()) ? 0 : map[static_cast<std::size_t>(number)];
}

} // namespace

TExStyle TRTParser::GetStyle() const
{
    TExStyle s = state_.Style;
    s.LowFont = MapNumber(fontMap_, s.LowFont);
    s.HighFont = MapNumber(fontMap_, s.HighFont);
    s.DBFont = MapNumber(fontMap_, s.DBFont);
    s.Color = MapColor(colorMap_, s.Color);
    s.Highlight = MapColor(colorMap_, s.Highlight);
    s.ULColor = MapColor(colorMap_, s.ULColor);
    s.Size = ClampInt(std::int64_t{s.Size} * 5);
    return s;
}

TExDocStyle TRTParser::GetDocStyle() const
{
    TExDocStyle d = doc_;
    d.DefaultFont = MapNumber(fontMap_, d.DefaultFont);
    return d;
}

std::pair<int, int> TRTParser::GetStyleIndexes() const
{
    return {MapNumber(styleMap_, state_.StyleIndex), MapNumber(styleMap_, state_.CharStyleIndex)};
}

void TRTParser::DoKeyword(const std::string& name, int value, bool hasValue)
{
    const int index = keywords_.IndexOf(name);
    if (state_.DestState == 0) {
        const bool rtf = name == "rtf" && hasValue && value == 1;
        if (rtf) {
            state_.DestState = 1;
            state_.DestKind = 0;
        }
        DoKeywordEvent(rtf || index >= 0, name, value, hasValue);
        return;
    }
    if (state_.DestState == rtfpsSkip) {
        DoKeywordEvent(index >= 0, name, value, hasValue);
        return;
    }
    const bool wasAsterisk = asterisk_;
    asterisk_ = false;
    if (name == "u" && hasValue) {
        DoUnicode(value);
        DoKeywordEvent(true, name, value, hasValue);
        return;
    }
    EndSurrogate();
    if (name == "uc")
        state_.UnicodeSkip = hasValue ? std::max(value, 0) : 1;
    if (name == "ansicpg" && hasValue)
        ansiCodePage_ = value;
    if (name == "intbl")
        state_.InTable = true;
    if (name == "pard")
        state_.InTable = false;
    if (name == "cell" || name == "row")
        cellPar_ = false;   // the cell's or row's end ends the paragraph that closed it
    if (name == "cell") {
        ++rowCells_;
        cellPara_ = state_.ParaStyle;
    }
    // A row ended outside its cells' groups ({\pard\intbl A\cell}…\row) is laid out as its cells
    // were, not as the paragraph around the table.
    std::optional<TExParaStyle> around;
    if (name == "row") {
        if (!state_.InTable && cellPara_)
            around = std::exchange(state_.ParaStyle, *cellPara_);
        if (rowCells_ > 1)
            state_.ParaStyle.Align = 0;
        rowCells_ = 0;
        cellPara_.reset();
    }
    if (name == "sbasedon")
        state_.BasedOn = hasValue ? value : -1;
    if (name == "rtlch" || name == "ltrch") {
        state_.RightToLeft = name == "rtlch";
        DoKeywordEvent(true, name, value, hasValue);
        return;
    }
    if (index < 0) {
        if (wasAsterisk)
            state_.DestState = rtfpsSkip;
        DoKeywordEvent(false, name, value, hasValue);
        return;
    }
    const TRTKeywordDefine& row = keywords_.Keyword(index);
    if (state_.RightToLeft && Associated(row)) {
        DoKeywordEvent(true, name, value, hasValue);
        return;
    }
    switch (row.State) {
    case rtfpsProperty:
        if (const TRTPropertyDefine* property = keywords_.Property(row)) {
            std::int64_t v = hasValue ? value : row.Arg2;
            if (property->Size == rtpsFlag)
                v = v != 0;   // \b8 is bold as \b is; \striked5 a double strike as \striked1
            SetProperty(*property, ClampInt(v + row.Arg3));
        }
        break;
    case rtfpsDestination:
        ChangeDestination(row.Arg1);
        break;
    case rtfpsControl:
        DoControl(row.Arg2);
        if (around)
            state_.ParaStyle = *around;
        break;
    case rtfpsCharacter:
        DoCharacter(static_cast<char32_t>(row.Arg2));
        break;
    case rtfpsAsterisk:
        asterisk_ = true;
        break;
    case rtfpsSkip:
        state_.DestState = rtfpsSkip;
        break;
    case rtfpsFontAssociation:
        DoFontAssociation(row.Arg1, ClampInt(std::int64_t{hasValue ? value : row.Arg2} + row.Arg3));
        break;
    }
    DoKeywordEvent(true, name, value, hasValue);
}

bool TRTParser::Associated(const TRTKeywordDefine& row) const
{
    if (row.Name.size() < 2 || row.Name.front() != 'a')
        return false;
    if (row.State == rtfpsFontAssociation)
        return row.Arg1 == 1;
    const TRTPropertyDefine* property = keywords_.Property(row);
    return property && property->Type == rtptCharStyle;
}

void TRTParser::DoUnicode(int value)
{
    SkipFallback(state_.UnicodeSkip);
    if (state_.DestState != 1)
        return;
    char32_t cp = static_cast<char32_t>(value < 0 ? value + 65536 : value);
    if (cp >= 0xDC00 && cp <= 0xDFFF && highSurrogate_ != 0) {
        cp = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (cp - 0xDC00);
        highSurrogate_ = 0;
    } else {
        EndSurrogate();
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            highSurrogate_ = cp;
            return;
        }
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0)
        cp = U'?';
    std::string utf8;
    platform::AppendUtf8(utf8, cp);
    DoText(utf8, true);
}

void TRTParser::DoCharacter(char32_t cp)
{
    if (state_.DestState == 1) {
        std::string utf8;
        platform::AppendUtf8(utf8, cp);
        DoText(utf8, true);
    } else if (cp < 0x80) {
        DoDestinationText(std::string(1, static_cast<char>(cp)));
    } else if (cp == 0xA0) {
        DoDestinationText(" ");   // a name's no-break space
    }
}

void TRTParser::EndSurrogate()
{
    if (highSurrogate_ == 0)
        return;
    highSurrogate_ = 0;
    if (state_.DestState == 1)
        DoText("?", true);
}

void TRTParser::ChangeDestination(int code)
{
    state_.DestState = 2;
    state_.DestKind = code;
    switch (code) {
    case 0:
        state_.Font = TRTFontEntry{};
        state_.Style.CharClass = 0;
        break;
    case 1:
        state_.Color = TRTColorEntry{};
        break;
    case 2:
        ClearStyleEntry();
        break;
    default:
        break;
    }
}

void TRTParser::ClearStyleEntry()
{
    state_.StyleIndex = state_.CharStyleIndex = 0;
    state_.BasedOn = -1;
    state_.Style.Clear();
    // Fonts an entry does not name stay unset, as the writer leaves them.
    state_.Style.DBFont = state_.Style.HighFont = state_.Style.LowFont = -1;
    state_.ParaStyle.Clear();
}

void TRTParser::SetProperty(const TRTPropertyDefine& row, int value)
{
    TParseStruct& s = state_;
    if (row.Size == rtpsReset) {
        switch (row.Type) {
        case rtptCharStyle:
            s.Style.Clear();
            s.CharStyleIndex = 0;
            s.RightToLeft = false;
            break;
        case rtptParaStyle:
            s.ParaStyle.Clear();
            s.StyleIndex = s.CharStyleIndex = 0;
            break;
        case rtptSection:
            s.Section = TRTSection{};
            break;
        case rtptDocument:
            doc_.Clear();
            break;
        default:
            break;
        }
        return;
    }
    std::int32_t* intField = nullptr;
    std::uint8_t* byteField = nullptr;
    switch (row.Field) {
    case rtpBold: byteField = &s.Style.Bold; break;
    case rtpItalic: byteField = &s.Style.Italic; break;
    case rtpUnderline: byteField = &s.Style.Underline; break;
    case rtpStrike: byteField = &s.Style.Strike; break;
    case rtpOutline: byteField = &s.Style.Outline; break;
    case rtpColor: intField = &s.Style.Color; break;
    case rtpHighlight: intField = &s.Style.Highlight; break;
    case rtpULColor: intField = &s.Style.ULColor; break;
    case rtpCharClass: intField = &s.Style.CharClass; break;
    case rtpSize: intField = &s.Style.Size; break;
    case rtpFirstIndent: intField = &s.ParaStyle.FirstIndent; break;
    case rtpLeftIndent: intField = &s.ParaStyle.LeftIndent; break;
    case rtpRightIndent: intField = &s.ParaStyle.RightIndent; break;
    case rtpCharFirstIndent: intField = &s.ParaStyle.CharFirstIndent; break;
    case rtpCharLeftIndent: intField = &s.ParaStyle.CharLeftIndent; break;
    case rtpCharRightIndent: intField = &s.ParaStyle.CharRightIndent; break;
    case rtpLineSpacing: intField = &s.ParaStyle.LineSpacing; break;
    case rtpLineMult: intField = &s.ParaStyle.LineMult; break;
    case rtpSpaceBefore: intField = &s.ParaStyle.SpaceBefore; break;
    case rtpSpaceAfter: intField = &s.ParaStyle.SpaceAfter; break;
    case rtpLineBefore: intField = &s.ParaStyle.LineBefore; break;
    case rtpLineAfter: intField = &s.ParaStyle.LineAfter; break;
    case rtpOutlineLevel: intField = &s.ParaStyle.OutlineLevel; break;
    case rtpAlign: byteField = &s.ParaStyle.Align; break;
    case rtpStyleIndex: intField = &s.StyleIndex; break;
    case rtpCharStyleIndex: intField = &s.CharStyleIndex; break;
    case rtpColumns: intField = &s.Section.Columns; break;
    case rtpSectionBreak: byteField = &s.Section.BreakKind; break;
    case rtpPageNumberX: intField = &s.Section.PageNumberX; break;
    case rtpPageNumberY: intField = &s.Section.PageNumberY; break;
    case rtpPageNumberFormat: byteField = &s.Section.PageNumberFormat; break;
    case rtpPaperWidth: intField = &doc_.PaperWidth; break;
    case rtpPaperHeight: intField = &doc_.PaperHeight; break;
    case rtpLeftMargin: intField = &doc_.LeftMargin; break;
    case rtpRightMargin: intField = &doc_.RightMargin; break;
    case rtpTopMargin: intField = &doc_.TopMargin; break;
    case rtpBottomMargin: intField = &doc_.BottomMargin; break;
    case rtpPageStart: intField = &doc_.PageStart; break;
    case rtpFacingPages: byteField = &doc_.FacingPages; break;
    case rtpLandscape: byteField = &doc_.Landscape; break;
    case rtpDefaultFont: intField = &doc_.DefaultFont; break;
    case rtpDefaultTab: intField = &doc_.DefaultTab; break;
    case rtpViewKind: intField = &doc_.ViewKind; break;
    case rtpFontCharset: byteField = &s.Font.Charset; break;
    case rtpFontFamily:
    case rtpFontPitch: byteField = &s.Font.Family; break;
    case rtpRed: intField = &s.Color.Red; break;
    case rtpGreen: intField = &s.Color.Green; break;
    case rtpBlue: intField = &s.Color.Blue; break;
    default: break;
    }
    const auto byte = static_cast<std::uint8_t>(value);
    switch (row.Size) {
    case rtpsByte:
    case rtpsFlag:
        if (byteField)
            *byteField = byte;
        else if (intField)
            *intField = byte;
        break;
    case rtpsInt:
        if (intField)
            *intField = HoldToPage(row.Field, value);
        else if (byteField)
            *byteField = byte;
        break;
    case rtpsHighNibble:
        if (byteField)
            *byteField = static_cast<std::uint8_t>((*byteField & 0x0F) | (byte & 0xF0));
        break;
    case rtpsLowNibble:
        if (byteField)
            *byteField = static_cast<std::uint8_t>((*byteField & 0xF0) | (byte & 0x0F));
        break;
    default:
        break;
    }
}

void TRTParser::DoFontAssociation(int kind, int value)
{
    if (kind >= 2) {
        state_.FontAssociation = kind;
        if (kind != 2)
            state_.RightToLeft = false;
        return;
    }
    TExStyle& s = state_.Style;
    const bool plainFont = kind == 0;
    switch (state_.FontAssociation) {
    case 2:
        s.HighFont = value;
        if (plainFont)
            s.CharClass |= 2;
        break;
    case 3:
        s.LowFont = value;
        if (plainFont)
            s.CharClass |= 1;
        break;
    case 4:
        s.DBFont = value;
        if (plainFont)
            s.CharClass |= 4;
        break;
    default:
        // A font named for no kind of characters draws them all.
        s.LowFont = s.HighFont = s.DBFont = value;
        s.CharClass = state_.DestState == 1 ? 7 : value;
        break;
    }
    state_.FontAssociation = 0;
}

void TRTParser::DoDestinationText(const std::string& text)
{
    EndSurrogate();
    if (state_.DestState == 2 && state_.DestKind == 0) {
        const bool ends = !text.empty() && text.back() == ';';
        state_.Font.Name += ends ? text.substr(0, text.size() - 1) : text;
        if (ends) {
            const int number = state_.Style.CharClass;
            int index = number;
            DoFont(state_.Font.Name, FontCharset(state_.Font.Charset), state_.Font.Family, index);
            if (number >= 0)
                fontMap_[number] = index;
            state_.Font = TRTFontEntry{};
        }
    } else if (state_.DestState == 2 && state_.DestKind == 1) {
        for (char c : text) {
            if (c != ';')
                continue;
            int index = static_cast<int>(colorMap_.size());
            DoColor(state_.Color.Red, state_.Color.Green, state_.Color.Blue, index);
            colorMap_.push_back(index);
            state_.Color = TRTColorEntry{};
        }
    } else if (state_.DestState == 2 && state_.DestKind == 2) {
        const bool ends = !text.empty() && text.back() == ';';
        if (ends) {
            const std::string name = text.substr(0, text.size() - 1);
            const TExStyle style = GetStyle();
            TExParaStyle para = state_.ParaStyle;
            int number = state_.StyleIndex;
            if (state_.CharStyleIndex != 0) {
                number = state_.CharStyleIndex;
                para.Invisible();
            }
            sheet_.push_back({name, style, para, number, state_.BasedOn, state_.CharStyleIndex != 0});
            ClearStyleEntry();
        }
    }
    if (OnRawText)
        OnRawText(this, text);
    if (state_.DestState == 1)
        DoText(text, false);
}

void TRTParser::DoGroup(bool open)
{
    EndSurrogate();
    asterisk_ = false;
    if (open) {
        stack_.push_back(state_);
    } else if (!stack_.empty()) {
        const auto inSheet = [this] { return state_.DestState == 2 && state_.DestKind == 2; };
        const bool leaving = inSheet();
        state_ = std::move(stack_.back());
        stack_.pop_back();
        if (leaving && !inSheet())
            EndStyleSheet();
    }
    if (!open && GetDepth() == 0)
        EndCellParagraph();   // the document ends: a cell's paragraph end that waits is one
    if (OnGroup)
        OnGroup(this, open);
}

void TRTParser::EndStyleSheet()
{
    const std::vector<TRTStyleEntry> entries = std::move(sheet_);
    sheet_.clear();
    const std::vector<TExStyle> styles = CompletedStyles(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TRTStyleEntry& e = entries[i];
        int index = e.Number;
        DoStyle(e.Name, styles[i], e.ParaStyle, index);
        if (e.Number >= 0)
            styleMap_[e.Number] = index;
    }
}

void TRTParser::DoKeywordEvent(bool known, const std::string& name, int value, bool hasValue)
{
    if (OnKeyword)
        OnKeyword(this, known, name, value, hasValue);
}

void TRTParser::DoControl(int wordType)
{
    if (state_.DestState != 1)
        return;
    // A paragraph's end inside a table cell waits: the cell's end that follows it ends it (a row
    // keeps its cells on one line); anything else in the cell makes it a paragraph of its own.
    if (wordType == kControlParagraph && state_.InTable && !cellPar_) {
        cellPar_ = true;
        return;
    }
    EndCellParagraph();
    if (OnControl)
        OnControl(this, wordType);
}

void TRTParser::EndCellParagraph()
{
    if (!std::exchange(cellPar_, false))
        return;
    if (OnControl)
        OnControl(this, kControlParagraph);
}

void TRTParser::DoText(const std::string& text, bool unicode)
{
    EndCellParagraph();
    if (OnText)
        OnText(this, text, unicode);
}

int TRTParser::FontCharset(int charset) const
{
    // \fcharset1 (the default) and no \fcharset: the document's code page; where it names none, 932
    // unless its bytes were written in a Western one.
    if (charset != 1 || ansiCodePage_ == 932)
        return charset;
    if (ansiCodePage_ == 0)
        return westernBytes_ ? 0 : charset;
    return CharsetOfCodePage(ansiCodePage_);
}

void TRTParser::DoStyle(const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle, int& index)
{
    if (OnStyle)
        OnStyle(this, name, style, paraStyle, index);
}

void TRTParser::DoFont(const std::string& name, int charset, int family, int& index)
{
    if (OnFont)
        OnFont(this, name, charset, family, index);
}

void TRTParser::DoColor(int red, int green, int blue, int& index)
{
    if (OnColor)
        OnColor(this, red, green, blue, index);
}
