#include "richtext/Urtparsedefine.h"

namespace {

struct TStaticKeyword {
    const char* Name;
    TRTFParseState State;
    int Arg1;
    int Arg2;
    int Arg3;
};

constexpr TRTFParseState P = rtfpsProperty;
constexpr TRTFParseState D = rtfpsDestination;
constexpr TRTFParseState C = rtfpsControl;
constexpr TRTFParseState H = rtfpsCharacter;
constexpr TRTFParseState A = rtfpsAsterisk;
constexpr TRTFParseState S = rtfpsSkip;
constexpr TRTFParseState F = rtfpsFontAssociation;

// In no particular order; the list sorts them. The row with an empty name ends the table.
const TStaticKeyword kKeywords[] = {
    {"pard", P, rtpParaReset, 0, 0}, {"plain", P, rtpCharReset, 0, 0}, {"sectd", P, rtpSectionReset, 0, 0},
    {"b", P, rtpBold, 1, 0}, {"ab", P, rtpBold, 1, 0}, {"i", P, rtpItalic, 1, 0}, {"ai", P, rtpItalic, 1, 0},
    {"ulnone", P, rtpUnderline, 0, 0}, {"ul", P, rtpUnderline, 1, 0}, {"ulw", P, rtpUnderline, 2, 0},
    {"uldb", P, rtpUnderline, 3, 0}, {"ulth", P, rtpUnderline, 4, 0}, {"uld", P, rtpUnderline, 5, 0},
    {"ulthd", P, rtpUnderline, 6, 0}, {"uldash", P, rtpUnderline, 7, 0}, {"ulthdash", P, rtpUnderline, 8, 0},
    {"ulldash", P, rtpUnderline, 9, 0}, {"ulthldash", P, rtpUnderline, 10, 0},
    {"uldashd", P, rtpUnderline, 11, 0}, {"ulthdashd", P, rtpUnderline, 12, 0},
    {"uldashdd", P, rtpUnderline, 13, 0}, {"ulthdashdd", P, rtpUnderline, 14, 0},
    {"ulwave", P, rtpUnderline, 15, 0}, {"ulhwave", P, rtpUnderline, 16, 0},
    {"ululdbwave", P, rtpUnderline, 17, 0}, {"aulnone", P, rtpUnderline, 0, 0}, {"aul", P, rtpUnderline, 1, 0},
    {"aulw", P, rtpUnderline, 2, 0}, {"auldb", P, rtpUnderline, 3, 0}, {"auld", P, rtpUnderline, 5, 0},
    {"strike", P, rtpStrike, 1, 0}, {"astrike", P, rtpStrike, 0, 0}, {"striked", P, rtpStrike, 1, 1},
    {"outl", P, rtpOutline, 1, 0}, {"aoutl", P, rtpOutline, 0, 0}, {"cf", P, rtpColor, 0, 0},
    {"acf", P, rtpColor, 0, 0}, {"highlight", P, rtpHighlight, 0, 0}, {"ulc", P, rtpULColor, 0, 0},
    {"fs", P, rtpSize, 0, 0}, {"afs", P, rtpSize, 0, 0}, {"fi", P, rtpFirstIndent, 0, 0},
    {"li", P, rtpLeftIndent, 0, 0}, {"lin", P, rtpLeftIndent, 0, 0}, {"ri", P, rtpRightIndent, 0, 0},
    {"rin", P, rtpRightIndent, 0, 0}, {"cufi", P, rtpCharFirstIndent, 0, 0},
    {"culi", P, rtpCharLeftIndent, 0, 0}, {"curi", P, rtpCharRightIndent, 0, 0},
    {"sl", P, rtpLineSpacing, 0, 0}, {"slmult", P, rtpLineMult, 0, 0}, {"sb", P, rtpSpaceBefore, 0, 0},
    {"sa", P, rtpSpaceAfter, 0, 0}, {"lisb", P, rtpLineBefore, 0, 0}, {"lisa", P, rtpLineAfter, 0, 0},
    {"outlinelevel", P, rtpOutlineLevel, 0, 1}, {"ql", P, rtpAlign, 0, 0}, {"qc", P, rtpAlign, 1, 0},
    {"qr", P, rtpAlign, 2, 0}, {"qj", P, rtpAlign, 3, 0}, {"qd", P, rtpAlign, 4, 0},
    {"s", P, rtpStyleIndex, 0, 0}, {"cs", P, rtpCharStyleIndex, 0, 0}, {"cols", P, rtpColumns, 1, 0},
    {"sbknone", P, rtpSectionBreak, 0, 0}, {"sbkcol", P, rtpSectionBreak, 1, 0},
    {"sbkeven", P, rtpSectionBreak, 2, 0}, {"sbkodd", P, rtpSectionBreak, 3, 0},
    {"sbkpage", P, rtpSectionBreak, 4, 0}, {"pgnx", P, rtpPageNumberX, 0, 0}, {"pgny", P, rtpPageNumberY, 0, 0},
    {"pgndec", P, rtpPageNumberFormat, 0, 0}, {"pgnucrm", P, rtpPageNumberFormat, 1, 0},
    {"pgnlcrm", P, rtpPageNumberFormat, 2, 0}, {"pgnucltr", P, rtpPageNumberFormat, 3, 0},
    {"pgnlcltr", P, rtpPageNumberFormat, 4, 0}, {"paperw", P, rtpPaperWidth, 12240, 0},
    {"paperh", P, rtpPaperHeight, 15480, 0}, {"margl", P, rtpLeftMargin, 1800, 0},
    {"margr", P, rtpRightMargin, 1800, 0}, {"margt", P, rtpTopMargin, 1440, 0},
    {"margb", P, rtpBottomMargin, 1440, 0}, {"pgnstart", P, rtpPageStart, 1, 0},
    {"facingp", P, rtpFacingPages, 1, 0}, {"landscape", P, rtpLandscape, 1, 0},
    {"deff", P, rtpDefaultFont, 0, 0}, {"deftab", P, rtpDefaultTab, 720, 0}, {"viewkind", P, rtpViewKind, 1, 0},
    {"fcharset", P, rtpFontCharset, 0, 0}, {"fnil", P, rtpFontFamily, 0, 0}, {"froman", P, rtpFontFamily, 16, 0},
    {"fswiss", P, rtpFontFamily, 32, 0}, {"fmodern", P, rtpFontFamily, 48, 0},
    {"fscript", P, rtpFontFamily, 64, 0}, {"fdecor", P, rtpFontFamily, 80, 0},
    {"ftech", P, rtpFontFamily, 96, 0}, {"fprq", P, rtpFontPitch, 0, 0}, {"red", P, rtpRed, 0, 0},
    {"green", P, rtpGreen, 0, 0}, {"blue", P, rtpBlue, 0, 0},
    // read and ignored
    {"ansi", P, -1, 0, 0}, {"ansicpg", P, -1, 0, 0}, {"lang", P, -1, 0, 0}, {"langfe", P, -1, 0, 0},
    {"langnp", P, -1, 0, 0}, {"langfenp", P, -1, 0, 0}, {"deflang", P, -1, 0, 0}, {"deflangfe", P, -1, 0, 0},
    {"kerning", P, -1, 0, 0}, {"horzdoc", P, -1, 0, 0}, {"vertdoc", P, -1, 0, 0}, {"uc", P, -1, 0, 0},
    {"sect", P, -1, 0, 0}, {"shad", P, -1, 0, 0}, {"sub", P, -1, 0, 0}, {"super", P, -1, 0, 0},
    {"keepn", P, -1, 0, 0}, {"nowidctlpar", P, -1, 0, 0}, {"aspalpha", P, -1, 0, 0}, {"aspnum", P, -1, 0, 0},
    {"faauto", P, -1, 0, 0}, {"snext", P, -1, 0, 0}, {"sbasedon", P, -1, 0, 0}, {"cgrid", P, -1, 0, 0},
    {"dgmargin", P, -1, 0, 0}, {"dghspace", P, -1, 0, 0}, {"dgvspace", P, -1, 0, 0},
    {"dghorigin", P, -1, 0, 0}, {"dgvorigin", P, -1, 0, 0}, {"dgvshow", P, -1, 0, 0}, {"dghshow", P, -1, 0, 0},
    {"lnongrid", P, -1, 0, 0},
    // destinations, controls, characters
    {"fonttbl", D, 0, 0, 0}, {"colortbl", D, 1, 0, 0}, {"stylesheet", D, 2, 0, 0},
    {"par", C, 0, 2, 0}, {"line", C, 0, 4, 0}, {"tab", C, 0, 1, 0}, {"page", C, 0, 3, 0},
    // a table's cells part like tabs and its rows like paragraphs (the document holds no tables)
    {"cell", C, 0, 1, 0}, {"row", C, 0, 2, 0}, {"intbl", P, -1, 0, 0},
    // characters written as control words (their code points)
    {"~", H, 0, 0x00A0, 0}, {"_", H, 0, 0x2011, 0}, {"-", H, 0, 0x00AD, 0}, {"bullet", H, 0, 0x2022, 0},
    {"endash", H, 0, 0x2013, 0}, {"emdash", H, 0, 0x2014, 0}, {"lquote", H, 0, 0x2018, 0},
    {"rquote", H, 0, 0x2019, 0}, {"ldblquote", H, 0, 0x201C, 0}, {"rdblquote", H, 0, 0x201D, 0},
    {"enspace", H, 0, 0x2002, 0}, {"emspace", H, 0, 0x2003, 0}, {"qmspace", H, 0, 0x2005, 0},
    {"*", A, 0, 0, 0},
    // skipped destinations
    {"author", S, 0, 0, 0}, {"bin", S, 0, 0, 0}, {"buptim", S, 0, 0, 0}, {"comment", S, 0, 0, 0},
    {"creatim", S, 0, 0, 0}, {"doccomm", S, 0, 0, 0}, {"filetbl", S, 0, 0, 0}, {"footer", S, 0, 0, 0},
    {"footerf", S, 0, 0, 0}, {"footerl", S, 0, 0, 0}, {"footerr", S, 0, 0, 0}, {"footnote", S, 0, 0, 0},
    {"ftncn", S, 0, 0, 0}, {"ftnsep", S, 0, 0, 0}, {"ftnsepc", S, 0, 0, 0}, {"header", S, 0, 0, 0},
    {"headerf", S, 0, 0, 0}, {"headerl", S, 0, 0, 0}, {"headerr", S, 0, 0, 0}, {"info", S, 0, 0, 0},
    {"keywords", S, 0, 0, 0}, {"listtable", S, 0, 0, 0}, {"operator", S, 0, 0, 0}, {"pict", S, 0, 0, 0},
    {"printim", S, 0, 0, 0}, {"private1", S, 0, 0, 0}, {"revtim", S, 0, 0, 0}, {"rxe", S, 0, 0, 0},
    {"subject", S, 0, 0, 0}, {"tc", S, 0, 0, 0}, {"title", S, 0, 0, 0}, {"txe", S, 0, 0, 0},
    {"xe", S, 0, 0, 0},
    // font association
    {"f", F, 0, 0, 0}, {"af", F, 1, 0, 0}, {"hich", F, 2, 0, 0}, {"loch", F, 3, 0, 0}, {"dbch", F, 4, 0, 0},
    {"", P, 0, 0, 0},
};

constexpr TRTPropertySize R = rtpsReset;
constexpr TRTPropertySize B = rtpsByte;
constexpr TRTPropertySize I = rtpsInt;
constexpr TRTPropertySize T = rtpsFlag;

// Row n sets property n; the row of size 0 ends the table.
const TRTPropertyDefine kProperties[] = {
    {R, rtptParaStyle, rtpParaReset}, {R, rtptCharStyle, rtpCharReset}, {R, rtptSection, rtpSectionReset},
    {T, rtptCharStyle, rtpBold}, {T, rtptCharStyle, rtpItalic}, {B, rtptCharStyle, rtpUnderline},
    {T, rtptCharStyle, rtpStrike}, {T, rtptCharStyle, rtpOutline}, {I, rtptCharStyle, rtpColor},
    {I, rtptCharStyle, rtpHighlight}, {I, rtptCharStyle, rtpULColor}, {I, rtptCharStyle, rtpCharClass},
    {I, rtptCharStyle, rtpSize}, {I, rtptParaStyle, rtpFirstIndent}, {I, rtptParaStyle, rtpLeftIndent},
    {I, rtptParaStyle, rtpRightIndent}, {I, rtptParaStyle, rtpCharFirstIndent},
    {I, rtptParaStyle, rtpCharLeftIndent}, {I, rtptParaStyle, rtpCharRightIndent},
    {I, rtptParaStyle, rtpLineSpacing}, {I, rtptParaStyle, rtpLineMult}, {I, rtptParaStyle, rtpSpaceBefore},
    {I, rtptParaStyle, rtpSpaceAfter}, {I, rtptParaStyle, rtpLineBefore}, {I, rtptParaStyle, rtpLineAfter},
    {I, rtptParaStyle, rtpOutlineLevel}, {I, rtptParaStyle, rtpAlign}, {I, rtptStyleIndex, rtpStyleIndex},
    {I, rtptStyleIndex, rtpCharStyleIndex}, {I, rtptSection, rtpColumns}, {B, rtptSection, rtpSectionBreak},
    {I, rtptSection, rtpPageNumberX}, {I, rtptSection, rtpPageNumberY}, {B, rtptSection, rtpPageNumberFormat},
    {I, rtptDocument, rtpPaperWidth}, {I, rtptDocument, rtpPaperHeight}, {I, rtptDocument, rtpLeftMargin},
    {I, rtptDocument, rtpRightMargin}, {I, rtptDocument, rtpTopMargin}, {I, rtptDocument, rtpBottomMargin},
    {I, rtptDocument, rtpPageStart}, {B, rtptDocument, rtpFacingPages}, {B, rtptDocument, rtpLandscape},
    {I, rtptDocument, rtpDefaultFont}, {I, rtptDocument, rtpDefaultTab}, {I, rtptDocument, rtpViewKind},
    {B, rtptFont, rtpFontCharset}, {rtpsHighNibble, rtptFont, rtpFontFamily},
    {rtpsLowNibble, rtptFont, rtpFontPitch}, {I, rtptColor, rtpRed}, {I, rtptColor, rtpGreen},
    {I, rtptColor, rtpBlue}, {rtpsEnd, rtptNone, 0},
};

} // namespace

TRTKeywordList::TRTKeywordList()
{
    for (const TStaticKeyword* k = kKeywords; k->Name[0] != '\0'; ++k) {
        TRTKeywordDefine row{k->Name, k->State, k->Arg1, k->Arg2, k->Arg3};
        auto at = keywords_.begin();
        while (at != keywords_.end() && at->Name <= row.Name)
            ++at;
        keywords_.insert(at, std::move(row));
    }
    for (const TRTPropertyDefine* p = kProperties; p->Size != rtpsEnd; ++p)
        properties_.push_back(*p);
}

int TRTKeywordList::IndexOf(const std::string& name) const
{
    if (keywords_.empty())
        return -1;
    int low = 0;
    int high = Count() - 1;
    if (keywords_.front().Name == name)
        return low;
    if (keywords_.back().Name == name)
        return high;
    // The answer lies strictly between low and high.
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        const int cmp = keywords_[static_cast<std::size_t>(mid)].Name.compare(name);
        if (cmp == 0)
            return mid;
        if (cmp < 0)
            low = mid;
        else
            high = mid;
    }
    return -1;
}

const TRTPropertyDefine* TRTKeywordList::Property(const TRTKeywordDefine& keyword) const
{
    if (keyword.State != rtfpsProperty || keyword.Arg1 < 0 || keyword.Arg1 >= PropertyCount())
        return nullptr;
    return &properties_[static_cast<std::size_t>(keyword.Arg1)];
}

const TRTKeywordList& RTKeywordList()
{
    static const TRTKeywordList list;
    return list;
}
