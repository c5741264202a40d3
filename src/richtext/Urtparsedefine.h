#pragma once
// The data that drives the RTF reader: what each control word does (keyword rows) and which field
// of which record a property word sets (property rows).
//
// Keyword row arguments by parse state:
//   1 property            property row (-1: read and ignored), default value, added value
//   2 destination         destination code (0 font table, 1 colour table, 2 style sheet)
//   3 control             -, word type (1 tab, 2 paragraph, 3 page, 4 line)
//   4 character           -, the character's code point (Unicode)
//   5 "\*"                -
//   6 skipped destination -
//   7 font association    kind (0 \f, 1 \af, 2 \hich, 3 \loch, 4 \dbch), default value, added value
#include <cstdint>
#include <string>
#include <vector>

enum TRTPropertySize : std::uint8_t {
    rtpsEnd = 0,
    rtpsReset = 1,
    rtpsByte = 2,
    rtpsInt = 3,
    rtpsHighNibble = 4,   // font family
    rtpsLowNibble = 5,    // pitch
    rtpsFlag = 6,         // a byte that a toggle word turns on (any value but 0) or off (0)
};

enum TRTPropertyType : std::uint8_t {
    rtptNone = 0,
    rtptCharStyle = 1,
    rtptParaStyle = 2,
    rtptSection = 3,
    rtptDocument = 4,
    rtptFont = 5,
    rtptColor = 6,
    rtptStyleIndex = 7,
};

enum TRTFParseState : std::uint8_t {
    rtfpsProperty = 1,
    rtfpsDestination = 2,
    rtfpsControl = 3,
    rtfpsCharacter = 4,
    rtfpsAsterisk = 5,
    rtfpsSkip = 6,
    rtfpsFontAssociation = 7,
};

// The properties, numbered as their rows; the field is named by the row number itself.
enum TRTProperty : int {
    rtpParaReset, rtpCharReset, rtpSectionReset, rtpBold, rtpItalic, rtpUnderline, rtpStrike, rtpOutline,
    rtpColor, rtpHighlight, rtpULColor, rtpCharClass, rtpSize, rtpFirstIndent, rtpLeftIndent, rtpRightIndent,
    rtpCharFirstIndent, rtpCharLeftIndent, rtpCharRightIndent, rtpLineSpacing, rtpLineMult, rtpSpaceBefore,
    rtpSpaceAfter, rtpLineBefore, rtpLineAfter, rtpOutlineLevel, rtpAlign, rtpStyleIndex, rtpCharStyleIndex,
    rtpColumns, rtpSectionBreak, rtpPageNumberX, rtpPageNumberY, rtpPageNumberFormat, rtpPaperWidth,
    rtpPaperHeight, rtpLeftMargin, rtpRightMargin, rtpTopMargin, rtpBottomMargin, rtpPageStart,
    rtpFacingPages, rtpLandscape, rtpDefaultFont, rtpDefaultTab, rtpViewKind, rtpFontCharset, rtpFontFamily,
    rtpFontPitch, rtpRed, rtpGreen, rtpBlue, rtpCount
};

struct TRTPropertyDefine {
    TRTPropertySize Size = rtpsEnd;
    TRTPropertyType Type = rtptNone;
    int Field = 0;   // the TRTProperty of the row
};

struct TRTKeywordDefine {
    std::string Name;   // without the backslash
    TRTFParseState State = rtfpsProperty;
    int Arg1 = 0;
    int Arg2 = 0;
    int Arg3 = 0;
};

// Keyword rows sorted by name (byte order, case-sensitive) and property rows in table order.
class TRTKeywordList {
public:
    TRTKeywordList();

    // -1 when absent.
    int IndexOf(const std::string& name) const;
    int Count() const { return static_cast<int>(keywords_.size()); }
    const TRTKeywordDefine& Keyword(int i) const { return keywords_[static_cast<std::size_t>(i)]; }
    int PropertyCount() const { return static_cast<int>(properties_.size()); }
    // The property row a keyword row names; nullptr for none.
    const TRTPropertyDefine* Property(const TRTKeywordDefine& keyword) const;

private:
    std::vector<TRTKeywordDefine> keywords_;
    std::vector<TRTPropertyDefine> properties_;
};

// The list built once, shared by every parser.
const TRTKeywordList& RTKeywordList();
