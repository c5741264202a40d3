#include "richtext/Uexlighttext.h"

#include "gui/Clipboard.h"
#include "platform/FlagScope.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <istream>
#include <ostream>
#include <map>
#include <sstream>
#include <string_view>

namespace {

const char* const kRichFormats[] = {"text/rtf", "application/rtf", "text/richtext"};

// Source-view styles (character styles 1 to 6 of a cleared style sheet) and their colours.
enum : int { kViewPlain = 1, kViewSkipped, kViewValue, kViewSlash, kViewName, kViewMark };
const TColor kViewColors[] = {0xC0C0C0, 0x0000FF, 0x008000, 0xFF0000, 0x808080};

std::string Crlf(const std::string& line) { return line + "\r\n"; }

} // namespace

TExLightText::TExLightText() : parser_(std::make_unique<TRTParser>())
{
    TRTParser& p = *parser_;
    p.OnStyle = [this](TRTParser* s, const std::string& name, const TExStyle& style, const TExParaStyle& para,
                       int& index) { ParseStyle(s, name, style, para, index); };
    p.OnColor = [this](TRTParser* s, int r, int g, int b, int& index) { ParseColor(s, r, g, b, index); };
    p.OnFont = [this](TRTParser* s, const std::string& name, int charset, int family, int& index) {
        ParseFont(s, name, charset, family, index);
    };
    p.OnText = [this](TRTParser* s, const std::string& text, bool unicode) { ParseText(s, text, unicode); };
    p.OnControl = [this](TRTParser* s, int type) { ParseCtrl(s, type); };
    p.OnGroup = [this](TRTParser* s, bool open) { ParseIndent(s, open); };
    p.OnRawText = [this](TRTParser* s, const std::string& text) { ParseString(s, text); };
    p.OnKeyword = [this](TRTParser* s, bool known, const std::string& name, int value, bool hasValue) {
        ParseKeyword(s, known, name, value, hasValue);
    };
}

TExLightText::~TExLightText() = default;

void TExLightText::Clear()
{
    TExLightText_::Clear();
    docStyle_.Clear();
}

// ---- RTF writer ----

namespace {

bool FlagOn(std::uint8_t flag) { return flag > 0 && flag < 128; }

// The underline colour a style's words set (RTString leaves out one equal to the text colour).
int WrittenULColor(const TExStyle& s) { return s.ULColor >= 1 && s.ULColor != s.Color ? s.ULColor : 0; }

// Words that turn off what the paragraph mark's style sets and the run's own does not: a run group
// inherits the mark's formatting, and RTString writes only what is on.
std::string ResetWords(const TExStyle& run, const TExStyle& mark)
{
    std::string s;
    if (run.Size <= 0 && mark.Size > 0)
        s += "\\fs0";
    if (run.Color == 0 && mark.Color > 0)
        s += "\\cf0";
    const auto off = [&s](std::uint8_t runFlag, std::uint8_t markFlag, const char* word) {
        if (!FlagOn(runFlag) && FlagOn(markFlag))
            s += word;
    };
    off(run.Bold, mark.Bold, "\\b0");
    off(run.Italic, mark.Italic, "\\i0");
    off(run.Outline, mark.Outline, "\\outl0");
    off(run.Strike, mark.Strike, "\\strike0");
    off(run.Underline, mark.Underline, "\\ulnone");
    if (WrittenULColor(run) == 0 && WrittenULColor(mark) != 0)
        s += "\\ulc0";
    if (run.Highlight == 0 && mark.Highlight > 0)
        s += "\\highlight0";
    return s;
}

// The font associations a run group of the class names with \f (RTString): 1 \loch, 2 \hich,
// 4 \dbch, 0 none.
int NamedAssociation(int charClass)
{
    switch (charClass) {
    case kClassAscii:
    case kClassSpace: return 1;
    case kClassEuro: return 2;
    case kClassDouble:
    case kClassWideSpace: return 4;
    default: return 0;
    }
}

// The font words of RTF text (\fN, \afN, \deffN, \stshfdbchN…): `visit` gets each number and
// returns the number to write. Escaped characters and \'xx bytes are no words.
template <typename Visit>
std::string RewriteFontWords(std::string_view rtf, Visit visit)
{
    static constexpr std::string_view kWords[] = {"f", "af", "deff", "adeff", "stshfdbch", "stshfloch",
                                                   "stshfhich", "stshfbi"};
    std::string out;
    out.reserve(rtf.size());
    std::size_t copied = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] != '\\')
            continue;
        std::size_t end = i + 1;
        while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end])))
            ++end;
        const std::string_view word = rtf.substr(i + 1, end - i - 1);
        if (word.empty()) {
            ++i;   // an escaped symbol: \\, \{, \', …
            continue;
        }
        std::size_t digits = end;
        while (digits < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[digits])))
            ++digits;
        if (digits > end && std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords)) {
            int number = 0;
            std::from_chars(rtf.data() + end, rtf.data() + digits, number);
            out.append(rtf.substr(copied, end - copied));
            out += std::to_string(visit(number));
            copied = digits;
        }
        i = digits - 1;
    }
    out.append(rtf.substr(copied));
    return out;
}

} // namespace

std::size_t TExLightText::TRunCharHash::operator()(const TRunChar& c) const
{
    std::size_t h = c.Code;
    for (int v : {c.CharClass, c.LowFont, c.HighFont, c.DBFont})
        h = h * 1000003u ^ static_cast<std::size_t>(static_cast<unsigned>(v));
    return h;
}

const std::string& TExLightText::TRunGroups::Opening(int charStyle, const TExStyle& style, const TExStyle& mark)
{
    for (const TRunGroup& g : recent_)
        if (g.CharStyle == charStyle && g.Style.Equal(style) && g.Mark.Equal(mark))
            return g.Text;
    std::string text = "{";
    if (charStyle != 0)
        text += "\\cs" + std::to_string(charStyle);
    text += style.RTString();
    text += ResetWords(style, mark);
    TRunGroup made{charStyle, style, mark, std::move(text)};
    if (recent_.size() < kRecent) {
        recent_.push_back(std::move(made));
        return recent_.back().Text;
    }
    TRunGroup& slot = recent_[next_];
    next_ = (next_ + 1) % kRecent;
    slot = std::move(made);
    return slot.Text;
}

std::string TExLightText::RunText(const std::string& text, const TExStyle& style, TRunChars& written) const
{
    TExStyle reading = style;
    reading.CharClass = NamedAssociation(style.CharClass);
    std::string out;
    for (char32_t cp : CodePoints(text)) {
        const auto [at, added] =
            written.try_emplace(TRunChar{cp, style.CharClass, style.LowFont, style.HighFont, style.DBFont});
        if (added) {
            std::string& piece = at->second;
            const std::string bytes = CharBytes(cp, style.CharClass);
            bool readBack = false;
            if (!bytes.empty()) {
                const std::vector<TDecodedChar> back = DecodeStyledBytes(bytes, reading);
                readBack = back.size() == 1 && back.front().Code == cp;
            }
            if (readBack)
                piece = StrToRTString(CodePointsToUtf8(std::u32string(1, cp)), style.CharClass);
            else
                AppendRTUnicode(piece, cp);
        }
        out += at->second;
    }
    return out;
}

std::string TExLightText::GetRich()
{
    const TStyleAttributes& styles = GetStyleAttributes();
    // A paragraph's runs read back in the paragraph's style-sheet entry (that of its end, or of the
    // last run when it has none), so each is written over that entry.
    int sheet = 0;
    for (int i = Count() - 1; i >= 0; --i) {
        TExLightWord& w = *GetWords(i);
        if (w.Type == kWordPara || i == Count() - 1) {
            sheet = w.StyleIndex;
        } else if (w.StyleIndex != sheet && (w.Type == kWordText || w.Type == kWordTab)) {
            TExStyle base = styles.GetStyle(sheet);
            if (w.CharStyleIndex != 0)
                base += styles.GetStyle(w.CharStyleIndex);
            w.Style = EffectiveStyle(w) - base;
            w.StyleIndex = sheet;
        }
    }
    for (int i = 0; i < Count(); ++i)
        FitFonts(*GetWords(i));
    Restore();
    std::string body;
    std::string runs;
    TRunChars written;
    TRunGroups groups;
    // The paragraph mark's style opens each paragraph group; runs are written over it. A last
    // paragraph without an end opens with its last run's style, which reads back as written.
    const auto markStyle = [&](int at) {
        for (int i = at; i < Count(); ++i) {
            const TExLightWord& w = *GetWords(i);
            if (w.Type == kWordPara || i == Count() - 1) {
                TExStyle mark = w.Type == kWordPara ? styles.GetStyle(w.StyleIndex) + w.Style : EffectiveStyle(w);
                mark.CharClass = 0;
                return mark;
            }
        }
        return TExStyle();
    };
    TExStyle mark = markStyle(0);
    // The opening of the text group `runs` ends with, empty when it ends otherwise.
    std::string textGroup;
    const auto paragraph = [&](const TExLightWord& w, int next, bool last) {
        body += "{\\pard\\plain";
        if (w.StyleIndex != 0)
            body += "\\s" + std::to_string(w.StyleIndex);
        body += EffectiveParaStyle(w).RTString();
        body += mark.RTString();
        body += runs;
        body += last ? "}\n" : "\\par}\n";
        runs.clear();
        textGroup.clear();
        mark = markStyle(next);
    };
    for (int i = 0; i < Count(); ++i) {
        const TExLightWord& w = *GetWords(i);
        switch (w.Type) {
        case kWordText:
        case kWordTab: {
            const TExStyle style = EffectiveStyle(w);
            const std::string& group = groups.Opening(w.CharStyleIndex, style, mark);
            if (w.Type == kWordTab) {
                runs += group + "\\tab}";
                textGroup.clear();
                break;
            }
            // Text written in the same group as the text before it continues that group: runs that
            // differ only in what is not written read back as one.
            if (group == textGroup) {
                runs.pop_back();
            } else {
                runs += group;
                if (group.back() != '{')
                    runs += ' ';
                textGroup = group;
            }
            runs += RunText(w.Text, style, written);
            runs += "}";
            break;
        }
        case kWordLine:
            runs += "\\line";
            textGroup.clear();
            break;
        case kWordPage:
            runs += "\\page";
            textGroup.clear();
            break;
        case kWordPara:
            paragraph(w, i + 1, false);
            break;
        default:
            break;
        }
    }
    if (!runs.empty())
        paragraph(*GetWords(Count() - 1), Count(), true);

    // The table holds the fonts the words written name, numbered in their order from 0 (as a
    // read numbers them): those of deleted text stay out.
    std::string sheetText = styles.GetRTString();
    std::string doc = docStyle_.RTString();
    std::map<int, int> fontNumbers;
    for (const std::string* part : {&sheetText, &doc, &body})
        RewriteFontWords(*part, [&](int n) { return fontNumbers[n] = 0; });
    int next = 0;
    for (auto& [index, number] : fontNumbers)
        number = next++;
    for (std::string* part : {&sheetText, &doc, &body})
        *part = RewriteFontWords(*part, [&](int n) { return fontNumbers[n]; });
    std::string out = Crlf("{\\rtf1\\ansi\\ansicpg932\\deflang1033\\deflangfe1041");
    out += Crlf(GetFontAttributes().GetRTString(&fontNumbers));
    out += Crlf(GetColorAttributes().GetRTString());
    out += Crlf(sheetText);
    out += Crlf(doc);
    out += Crlf("\\lang1033\\langfe1041");
    out += Crlf(body);
    out += Crlf("}");
    return out;
}

void TExLightText::SaveToRichStream(std::ostream& stream)
{
    const std::string rich = GetRich();
    stream.write(rich.data(), static_cast<std::streamsize>(rich.size()));
}

// ---- RTF reader ----

bool TExLightText::LoadFromRichStream(std::istream& stream)
{
    Clear();
    // Text in no style an RTF names has RTF's default size; its own Normal replaces this one.
    TExStyle normal = GetStyleAttributes().GetStyle(0);
    normal.Size = TRTParser::kDefaultSize;
    GetStyleAttributes().SetStyle(0, normal);
    const platform::FlagScope given(givenFonts_);
    const bool ok = parser_->Parse(stream);
    docStyle_ = parser_->GetDocStyle();
    return ok;
}

bool TExLightText::AnalyzeFromRichStream(std::istream& stream)
{
    Clear();
    analyze_ = true;
    viewState_ = 0;
    TColorAttributes& colors = GetColorAttributes();
    for (TColor c : kViewColors)
        colors.AddColor(c);
    TExStyle style;
    style.DBFont = style.HighFont = style.LowFont = 1;
    style.Size = 105;
    const TExParaStyle para = TExParaStyle().Invisible();
    const int colorOf[] = {1, 2, 3, 4, 5, 6};
    for (int color : colorOf) {
        style.Color = color;
        GetStyleAttributes().IndexOfStyle(std::string(), style, para);
    }
    const platform::FlagScope given(givenFonts_);
    const bool ok = parser_->Parse(stream);
    docStyle_ = parser_->GetDocStyle();
    analyze_ = false;
    return ok;
}

bool TExLightText::SetRich(const std::string& text)
{
    std::istringstream stream(text);
    return analyze_ ? AnalyzeFromRichStream(stream) : LoadFromRichStream(stream);
}

void TExLightText::ParseFont(TRTParser*, const std::string& name, int charset, int family, int& index)
{
    const std::string face = DecodeCp932(name);
    TFontAttributes& fonts = GetFontAttributes();
    // Entry 0 changes only before any text: runs read already keep the font they were read in.
    if (analyze_ || Count() > 0)
        index = fonts.IndexOfFont(face, charset, family);
    else
        index = fonts.AddFont(index, face, charset, family);
    fonts.SetReadName(index, name);
}

void TExLightText::ParseColor(TRTParser*, int red, int green, int blue, int& index)
{
    index = GetColorAttributes().IndexOfColor(red, green, blue);
}

void TExLightText::ParseStyle(TRTParser*, const std::string& name, const TExStyle& style,
                              const TExParaStyle& paraStyle, int& index)
{
    const std::string decoded = DecodeCp932(name);
    TStyleAttributes& styles = GetStyleAttributes();
    if (analyze_) {
        index = styles.IndexOfStyle(decoded, style, paraStyle);
        return;
    }
    constexpr std::int32_t unset = TExParaStyle::kUnset;
    TExParaStyle p = paraStyle;
    if (p.LineBefore != unset && p.LineBefore > 0)
        p.SpaceBefore = p.LineBefore / 10 * 36;
    if (p.LineAfter != unset && p.LineAfter > 0)
        p.SpaceAfter = p.LineAfter / 10 * 36;
    if (p.CharFirstIndent != unset && p.CharFirstIndent != 0)
        p.FirstIndent = p.CharFirstIndent / 50 * style.Size;
    if (p.CharLeftIndent != unset && p.CharLeftIndent > 0)
        p.LeftIndent = p.CharLeftIndent / 10 * 21;
    if (p.CharRightIndent != unset && p.CharRightIndent > 0)
        p.RightIndent = p.CharRightIndent / 10 * 21;
    // Entry 0 changes only before any text, as in ParseFont.
    index = Count() > 0 ? styles.IndexOfStyle(decoded, style, p) : styles.AddStyle(index, decoded, style, p);
}

void TExLightText::TakeParserStyle(TRTParser* sender)
{
    const auto [styleIndex, charStyleIndex] = sender->GetStyleIndexes();
    SetCurrentStyleIndex(styleIndex);
    SetCurrentCharStyleIndex(charStyleIndex);
    // The run's own fields: those that differ from its paragraph entry overlaid by its character entry.
    TExStyle base = GetStyleAttributes().GetStyle(styleIndex);
    if (charStyleIndex > 0)
        base += GetStyleAttributes().GetStyle(charStyleIndex);
    SetCurrentStyle(sender->GetStyle() - base);
}

std::vector<TDecodedChar> TExLightText::DecodeText(TRTParser* sender, const std::string& text, bool unicode) const
{
    if (unicode) {
        const TExStyle style = sender->GetStyle();
        std::vector<TDecodedChar> chars;
        for (char32_t cp : CodePoints(text)) {
            // Symbol fonts' characters written as U+F020-U+F0FF: the character the font draws there.
            if (cp >= 0xF020 && cp <= 0xF0FF) {
                const int charClass = CharClassOf(cp);
                const int font = charClass == kClassDouble ? style.DBFont
                                 : charClass == kClassEuro ? style.HighFont
                                                           : style.LowFont;
                const TFontAttributes& fonts = GetFontAttributes();
                if (fonts.GetCharset(font) == 2)
                    cp = SymbolFontChar(fonts.GetName(font), static_cast<unsigned char>(cp - 0xF000));
            }
            chars.push_back({cp, CharClassOf(cp)});
        }
        return chars;
    }
    return DecodeStyledBytes(text, sender->GetStyle());
}

void TExLightText::ParseText(TRTParser* sender, const std::string& text, bool unicode)
{
    if (analyze_)
        return;
    TakeParserStyle(sender);
    // Text carries its paragraph's style too: a last paragraph without an end keeps it.
    SetCurrentParaStyle(OwnParaStyle(sender));
    AddRuns(DecodeText(sender, text, unicode), -1);
}

TExParaStyle TExLightText::OwnParaStyle(TRTParser* sender) const
{
    TExParaStyle para = sender->GetParaStyle();
    const int size = sender->GetStyle().Size;
    if (para.CharFirstIndent != 0)
        para.FirstIndent = para.CharFirstIndent / 50 * size;
    if (para.CharLeftIndent != 0)
        para.LeftIndent = para.CharLeftIndent / 10 * 21;
    if (para.CharRightIndent != 0)
        para.RightIndent = para.CharRightIndent / 10 * 21;
    return para - GetStyleAttributes().GetParaStyle(GetCurrentStyleIndex());
}

void TExLightText::ParseCtrl(TRTParser* sender, int wordType)
{
    if (analyze_)
        return;
    TakeParserStyle(sender);
    SetCurrentParaStyle(wordType == kWordPara ? OwnParaStyle(sender) : sender->GetParaStyle());
    AddWord(std::string(), wordType);
}

// ---- source view ----

void TExLightText::AddStyled(const std::string& text, int charStyle)
{
    SetCurrentStyleIndex(0);
    SetCurrentCharStyleIndex(parser_->Skipping() ? kViewSkipped : charStyle);
    SetCurrentStyle(TExStyle().Invisible());
    SetCurrentParaStyle(TExParaStyle().Invisible());
    AddWord(text, kWordText);
}

void TExLightText::NewLine(int depth)
{
    SetCurrentStyleIndex(0);
    SetCurrentCharStyleIndex(0);
    SetCurrentStyle(TExStyle().Invisible());
    SetCurrentParaStyle(TExParaStyle().Invisible());
    AddWord(std::string(), kWordPara);
    if (depth * indentWidth_ > 0)
        AddStyled(std::string(static_cast<std::size_t>(depth * indentWidth_), ' '), kViewPlain);
}

void TExLightText::ParseIndent(TRTParser* sender, bool open)
{
    if (!analyze_)
        return;
    if (open) {
        if (viewState_ != 0)
            NewLine(sender->GetDepth() - 1);
        AddStyled("{", kViewMark);
        viewState_ = 1;
    } else {
        NewLine(sender->GetDepth());
        AddStyled("}", kViewMark);
    }
}

void TExLightText::ParseKeyword(TRTParser* sender, bool known, const std::string& name, int value, bool hasValue)
{
    if (!analyze_)
        return;
    if (viewState_ != 2)
        NewLine(sender->GetDepth());
    AddStyled("\\", kViewSlash);
    AddStyled(DecodeCp932(name), known ? kViewName : kViewMark);
    if (hasValue)
        AddStyled(std::to_string(value), known ? kViewValue : kViewMark);
    viewState_ = 2;
}

void TExLightText::ParseString(TRTParser* sender, const std::string& text)
{
    if (!analyze_)
        return;
    if (viewState_ == 3 && Count() > 0) {
        // Pieces of one text stay inside one pair of quote marks.
        DeleteWord(Count() - 1);
    } else {
        if (viewState_ < 2)
            NewLine(sender->GetDepth());
        AddStyled("\"", kViewMark);
    }
    if (sender->InBody() && !sender->Skipping()) {
        TExStyle style = sender->GetStyle();
        style.Size = 105;
        SetCurrentStyleIndex(0);
        SetCurrentCharStyleIndex(0);
        SetCurrentStyle(style);
        AddRuns(DecodeText(sender, text, false), -1);
    } else {
        AddStyled(DecodeCp932(text), kViewPlain);
    }
    AddStyled("\"", kViewMark);
    viewState_ = 3;
}

// ---- clipboard ----

void TExLightText::SetClipboard()
{
    platform::ClipboardWriter writer;
    writer.SetData("text/rtf", GetRich());
    writer.SetText(PlainText());
    writer.Commit();
}

void TExLightText::GetClipboard(bool rich)
{
    if (rich)
        for (const char* format : kRichFormats)
            if (platform::Clipboard::HasFormat(format)) {
                SetRich(platform::Clipboard::GetData(format));
                return;
            }
    TExLightText_::GetClipboard(rich);
}
