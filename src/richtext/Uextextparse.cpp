#include "richtext/Uextextparse.h"

#include "platform/FlagScope.h"

#include <fstream>
#include <map>
#include <sstream>

namespace {

const char* const kKeyWords[] = {"class",  "struct", "enum",   "public",   "protected", "private", "typedef",
                                 "sizeof", "virtual", "void",  "signed",   "unsigned",  "bool",    "int",
                                 "char",   "double", "float",  "for",      "while",     "do",      "continue",
                                 "if",     "else",   "new",    "delete",   "switch",    "case",    "break",
                                 "default", "try",   "catch",  "return"};

// Fields of a rule line: split by commas, blanks beside them skipped, "..." with "" for a quote.
std::vector<std::string> RuleFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    const auto blank = [&] { return i < line.size() && (line[i] == ' ' || line[i] == '\t'); };
    for (;;) {
        while (blank())
            ++i;
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        } else {
            while (i < line.size() && line[i] != ',' && line[i] != ' ' && line[i] != '\t')
                field += line[i++];
        }
        fields.push_back(field);
        while (blank())
            ++i;
        if (i >= line.size() || line[i] != ',')
            break;
        ++i;
    }
    return fields;
}

int RuleInt(const std::vector<std::string>& f, std::size_t i)
{
    if (i >= f.size())
        return 0;
    std::string_view s = f[i];
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    long long v = 0;
    for (char c : s) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            break;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL)
            break;
    }
    return static_cast<int>(static_cast<std::uint32_t>(v));
}

bool Delimiter(char32_t c, const std::u32string& set) { return c < 33 || c == 127 || set.find(c) != std::u32string::npos; }

// A rule line as read from a rule text; its colour reaches a text's colour table when the rules
// are applied to that text.
struct TRuleLine {
    char Kind = 0;              // 'd', 'q' or 'k'
    std::u32string Fields[3];   // d: delimiters; q: begin, end, cancel; k: the word
    bool CarryOver = false;
    TColor Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
};

std::vector<TRuleLine> ReadRuleLines(const std::string& text)
{
    std::vector<TRuleLine> rules;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> f = RuleFields(line);
        if (f.size() < 2 || (f[0] != "d" && f[0] != "q" && f[0] != "k"))
            continue;
        TRuleLine rule;
        rule.Kind = f[0][0];
        const auto styled = [&](std::size_t at) {
            rule.Color = static_cast<TColor>(RuleInt(f, at));
            rule.Bold = RuleInt(f, at + 1) != 0;
            rule.Italic = RuleInt(f, at + 2) != 0;
            rule.Underline = RuleInt(f, at + 3) != 0;
        };
        rule.Fields[0] = CodePoints(f[1]);
        if (rule.Kind == 'q') {
            rule.Fields[1] = CodePoints(f.size() > 2 ? f[2] : "");
            rule.Fields[2] = CodePoints(f.size() > 3 ? f[3] : "");
            rule.CarryOver = RuleInt(f, 4) != 0;
            styled(5);
        } else if (rule.Kind == 'k') {
            styled(2);
        }
        rules.push_back(std::move(rule));
    }
    return rules;
}

// Every text is cleared and loaded with the same few rule texts: each is read once.
const std::vector<TRuleLine>& RuleLines(const std::string& text)
{
    static std::map<std::string, std::vector<TRuleLine>, std::less<>> read;
    auto found = read.find(text);
    if (found == read.end()) {
        if (read.size() >= 8)
            read.clear();
        found = read.emplace(text, ReadRuleLines(text)).first;
    }
    return found->second;
}

} // namespace

TExTextParse::TExTextParse() { InitParseWord(); }

TExTextParse::~TExTextParse() = default;

std::string TExTextParse::DefaultRules()
{
    std::string text = "d,\"!#$%&()-=^~\\|@`[{;+:*]},<.>/?\"\r\n"
                       "q,\"\"\"\",\"\"\"\",\"\\\"\"\",  0,0xff0000,0,0,0\r\n"
                       "q,',',\\',    0,0xff0000,0,0,0\r\n"
                       "q,/*,*/,,    1,0x880000,0,0,0\r\n"
                       "q,//,,,        0,0x880000,0,0,0\r\n"
                       "q,#,,,         0,0x008800,0,0,0\r\n";
    for (const char* word : kKeyWords) {
        std::string line = std::string("k,") + word + ",";
        line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
        text += line + "0x000000,1,0,0\r\n";
    }
    return text;
}

void TExTextParse::InitParseWord()
{
    keyWords_.clear();
    quotes_.clear();
    static const std::string defaultRules = DefaultRules();
    std::string fileRules;
    bool fromFile = false;
    if (!iniFile_.empty()) {
        std::ifstream file(iniFile_, std::ios::binary);
        if (file) {
            std::ostringstream read;
            read << file.rdbuf();
            fileRules = read.str();
            fromFile = true;
        }
    }
    baseStyle_ = GetStyles().GetStyle(0);
    baseStyle_.DBFont = baseStyle_.HighFont = baseStyle_.LowFont = baseStyle_.CharClass = -1;
    quotes_.push_back({{}, {}, {}, false, baseStyle_});
    ReadRules(fromFile ? fileRules : defaultRules);
}

void TExTextParse::ReadRules(const std::string& text)
{
    TExStyle style = baseStyle_;
    for (const TRuleLine& rule : RuleLines(text)) {
        const auto styled = [&] {
            style.Color = GetColorIndex(rule.Color);
            style.Bold = static_cast<std::uint8_t>(rule.Bold);
            style.Italic = static_cast<std::uint8_t>(rule.Italic);
            style.Underline = static_cast<std::uint8_t>(rule.Underline);
            return style;
        };
        if (rule.Kind == 'd')
            delimiters_ = rule.Fields[0];
        else if (rule.Kind == 'q')
            quotes_.push_back({rule.Fields[0], rule.Fields[1], rule.Fields[2], rule.CarryOver, styled()});
        else
            keyWords_.push_back({rule.Fields[0], styled()});
    }
}

void TExTextParse::AddKeyWord(const std::string& word, const TExStyle& style)
{
    keyWords_.push_back({CodePoints(word), style});
}

void TExTextParse::AddQuote(const std::string& begin, const std::string& end, const std::string& cancel,
                            bool carryOver, const TExStyle& style)
{
    quotes_.push_back({CodePoints(begin), CodePoints(end), CodePoints(cancel), carryOver, style});
}

std::string TExTextParse::GetKeyWord(int i) const
{
    return i >= 0 && i < GetKeyWordCount() ? CodePointsToUtf8(keyWords_[static_cast<std::size_t>(i)].Word) : "";
}

TExStyle TExTextParse::GetKeyWordStyle(int i) const
{
    return i >= 0 && i < GetKeyWordCount() ? keyWords_[static_cast<std::size_t>(i)].Style : TExStyle();
}

std::string TExTextParse::GetBeginQuote(int i) const
{
    return i >= 0 && i < GetQuoteCount() ? CodePointsToUtf8(quotes_[static_cast<std::size_t>(i)].Begin) : "";
}

std::string TExTextParse::GetEndQuote(int i) const
{
    return i >= 0 && i < GetQuoteCount() ? CodePointsToUtf8(quotes_[static_cast<std::size_t>(i)].End) : "";
}

std::string TExTextParse::GetCancelQuote(int i) const
{
    return i >= 0 && i < GetQuoteCount() ? CodePointsToUtf8(quotes_[static_cast<std::size_t>(i)].Cancel) : "";
}

bool TExTextParse::GetTransmitQuote(int i) const
{
    return i >= 0 && i < GetQuoteCount() && quotes_[static_cast<std::size_t>(i)].CarryOver;
}

TExStyle TExTextParse::GetQuoteStyle(int i) const
{
    return i >= 0 && i < GetQuoteCount() ? quotes_[static_cast<std::size_t>(i)].Style : TExStyle();
}

void TExTextParse::SetWordParse(bool on)
{
    if (on == wordParse_)
        return;
    BeginUpdate();
    wordParse_ = on;
    Parsing(true);
    pending_ = false;
    Change();
    EndUpdate();
}

void TExTextParse::SetIniFile(const std::string& name)
{
    if (name.empty())
        return;
    BeginUpdate();
    iniFile_ = name;
    InitParseWord();
    Parsing(true);
    pending_ = false;
    Change();
    EndUpdate();
}

void TExTextParse::Parsing(bool all)
{
    if (GetDestroying())
        return;
    parsing_ = true;
    int state = 0;
    for (int p = 0; p < GetCount(); ++p) {
        TExPage* page = GetPages(p);
        for (int l = 0; l < page->GetCount(); ++l) {
            TExLine* line = page->GetLines(l);
            if (all || !line->GetEnabled() || line->quoteStart_ != state)
                ParseLine(state, line);
            state = line->quoteEnd_;
        }
    }
    parsing_ = false;
}

void TExTextParse::Changing()
{
    TExText::Changing();
    if (wordParse_ && !parsing_) {
        Parsing(pending_);
        pending_ = false;
    }
}

void TExTextParse::Clear()
{
    BeginUpdate();
    TExText::Clear();
    if (!GetDestroying()) {
        // A replace reads the rules once its runs' colours are in.
        if (!replacing_)
            InitParseWord();
        pending_ = true;
    }
    EndUpdate();
}

void TExTextParse::ReplaceFromLightText(TExLightText* runs)
{
    BeginUpdate();
    {
        const platform::FlagScope replacing(replacing_);
        TExText::ReplaceFromLightText(runs);
    }
    InitParseWord();
    pending_ = true;
    EndUpdate();
}

void TExTextParse::ParseLine(int startState, TExLine* line)
{
    line->BeginUpdate();
    if (line->GetCount() > 0)
        SetWordStyle(line->GetWords(0), line->GetLastWord()->GetNextWord(), baseStyle_);
    if (!wordParse_) {
        line->quoteStart_ = line->quoteEnd_ = 0;
        line->EndUpdate();
        return;
    }
    line->quoteStart_ = startState;
    // The line's characters (its paragraph end left out) with the unit offset where each starts.
    std::u32string chars;
    std::vector<int> units;
    int offset = 0;
    for (int i = 0; i + 1 < line->GetCount(); ++i) {
        const TExWord* w = line->GetWords(i);
        const int step = w->GetType() == kWordText ? w->GetUnitWidth() : 0;
        for (char32_t c : CodePoints(w->GetString())) {
            chars.push_back(c);
            units.push_back(offset);
            offset += step;
        }
        if (step == 0)
            offset += w->GetWordCharCount();
    }
    units.push_back(offset);
    const int n = static_cast<int>(chars.size());
    const auto find = [&](const std::u32string& what, int from) {
        if (what.empty())
            return -1;
        const std::size_t at = chars.find(what, static_cast<std::size_t>(from));
        return at == std::u32string::npos ? -1 : static_cast<int>(at);
    };
    int q = startState < GetQuoteCount() ? startState : 0;
    int pos = 0;
    while (pos <= n) {
        int begin = pos;
        int from = pos;
        if (q == 0) {
            int best = -1;
            for (int i = 1; i < GetQuoteCount(); ++i) {
                const int at = find(quotes_[static_cast<std::size_t>(i)].Begin, pos);
                if (at >= 0 && (best < 0 || at < begin)) {
                    best = i;
                    begin = at;
                }
            }
            if (best < 0) {
                ParseText(line, chars, units, pos, n);
                break;
            }
            q = best;
            from = begin + static_cast<int>(quotes_[static_cast<std::size_t>(q)].Begin.size());
        }
        const TQuote& quote = quotes_[static_cast<std::size_t>(q)];
        int close = -1;
        for (int s = from; !quote.End.empty();) {
            const int e = find(quote.End, s);
            if (e < 0)
                break;
            const int c = find(quote.Cancel, s);
            if (c < 0 || e <= c) {
                close = e + static_cast<int>(quote.End.size());
                break;
            }
            s = c + static_cast<int>(quote.Cancel.size());
        }
        ParseText(line, chars, units, pos, begin);
        ParseQuote(line, units[static_cast<std::size_t>(begin)], units[static_cast<std::size_t>(close < 0 ? n : close)],
                   quote.Style);
        if (close < 0 || close <= pos)
            break;
        q = 0;
        pos = close;
    }
    if (q != 0 && !quotes_[static_cast<std::size_t>(q)].CarryOver)
        q = 0;
    line->quoteEnd_ = q;
    line->EndUpdate();
}

void TExTextParse::ParseText(TExLine* line, const std::u32string& chars, const std::vector<int>& units, int from,
                             int to)
{
    int start = from;
    for (int i = from; i <= to; ++i) {
        if (i < to && !Delimiter(chars[static_cast<std::size_t>(i)], delimiters_))
            continue;
        if (i > start) {
            const std::u32string word = chars.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start));
            for (const TKeyWord& k : keyWords_)
                if (k.Word == word) {
                    ParseQuote(line, units[static_cast<std::size_t>(start)], units[static_cast<std::size_t>(i)], k.Style);
                    break;
                }
        }
        start = i + 1;
    }
}

void TExTextParse::ParseQuote(TExLine* line, int from, int to, const TExStyle& style)
{
    if (to <= from)
        return;
    // Cut the words so that [from, to) is whole words, then style them.
    TExWord* first = nullptr;
    TExWord* after = nullptr;
    int offset = 0;
    for (int i = 0; i < line->GetCount() && !after; ++i) {
        TExWord* w = line->GetWords(i);
        const int count = w->GetWordCharCount();
        if (!first && from < offset + count) {
            if (from > offset && w->GetType() == kWordText) {
                w->Split(from - offset);
                offset += from - offset;
                continue;   // the piece from `from` on is the next word
            }
            first = w;
        }
        if (first && to < offset + count) {
            if (to > offset && w->GetType() == kWordText)
                after = w->Split(to - offset);
            else
                after = to > offset ? static_cast<TExWord*>(w->GetNext()) : w;
            break;
        }
        offset += count;
    }
    if (first) {
        if (!after)
            after = line->GetLastWord();
        SetWordStyle(first, after, style);
    }
}
