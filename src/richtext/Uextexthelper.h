#pragma once
// Formatting values of the rich-text engine and the tables its indexes point to:
//   TExStyle      character style of a run (fonts, colours, size, class, flags)
//   TExParaStyle  paragraph style (lengths in twips)
//   TExDocStyle   page and document settings (twips)
//   TFontAttributes / TColorAttributes / TStyleAttributes  font, colour and style-sheet tables
// Each renders itself as an RTF fragment. Every field of TExStyle and TExParaStyle can be unset,
// which is how a style names a mixed selection or a partial change.
//
// Text is UTF-8. A character class says how the character is written as bytes (RTF, plain text):
//   1 ASCII, 9 ASCII space                       one byte, one position unit
//   2 single byte: half-width katakana as its code-page-932 byte, others as Windows-1252; also
//     the characters no code page writes (emoji), which RTF holds as \uN
//   4 two code-page-932 bytes, 12 the full-width space U+3000: two position units
#include "gui/Canvas.h"
#include "platform/Color.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

using platform::TColor;

inline constexpr int kClassAscii = 1;
inline constexpr int kClassEuro = 2;
inline constexpr int kClassDouble = 4;
inline constexpr int kClassWide6 = 6;   // wide text only: a character above U+00FF written as one byte
inline constexpr int kClassSpace = 9;
inline constexpr int kClassWideSpace = 12;

class TExStyle {
public:
    static constexpr std::uint8_t kUnsetFlag = 255;

    std::int32_t DBFont = 0;     // \dbch font index
    std::int32_t HighFont = 0;   // \hich font index
    std::int32_t LowFont = 0;    // \loch font index
    std::int32_t Color = 0;      // \cf, 0 automatic
    std::int32_t Highlight = 0;  // \highlight, 0 none
    std::int32_t ULColor = 0;    // \ulc
    std::int32_t Size = 0;       // tenths of a point; 0 or less is unset
    std::int32_t CharClass = 0;
    std::uint8_t Bold = 0;       // flags: 0/1 (strike 0/1/2, underline 0-17), 255 unset
    std::uint8_t Italic = 0;
    std::uint8_t Outline = 0;
    std::uint8_t Underline = 0;
    std::uint8_t Strike = 0;
    std::uint8_t Spare = 0;

    TExStyle() = default;

    void Clear() { *this = TExStyle(); }
    TExStyle& Invisible();
    void And(const TExStyle& b);
    void Add(const TExStyle& b);
    void CopyLimited(const TExStyle& b) { Add(b); }
    void Sub(const TExStyle& b);
    bool Equal(const TExStyle& b) const;
    bool EqualLimited(const TExStyle& b) const;
    std::string RTString() const;

    bool DoubleByte() const { return CharClass == kClassDouble || CharClass == kClassWideSpace; }
    bool SpaceChar() const { return CharClass == kClassSpace || CharClass == kClassWideSpace; }
    // The font index that draws the class: bit 0 low-ANSI, else bit 1 high-ANSI, else double-byte.
    std::int32_t ClassFont() const;

    TExStyle& operator&=(const TExStyle& b) { And(b); return *this; }
    TExStyle& operator+=(const TExStyle& b) { Add(b); return *this; }
    TExStyle& operator-=(const TExStyle& b) { Sub(b); return *this; }
    TExStyle& operator<<(const TExStyle& b) { CopyLimited(b); return *this; }
    friend TExStyle operator&(TExStyle a, const TExStyle& b) { return a &= b; }
    friend TExStyle operator+(TExStyle a, const TExStyle& b) { return a += b; }
    friend TExStyle operator-(TExStyle a, const TExStyle& b) { return a -= b; }
    friend bool operator==(const TExStyle& a, const TExStyle& b) { return a.Equal(b); }
};

class TExParaStyle {
public:
    static constexpr std::int32_t kUnset = INT32_MIN;
    static constexpr std::uint8_t kUnsetAlign = 255;

    std::int32_t LineSpacing = 240;   // \sl
    std::int32_t LineMult = 1;        // \slmult
    std::int32_t LineBefore = 0;      // \lisb
    std::int32_t LineAfter = 0;       // \lisa
    std::int32_t SpaceBefore = 0;     // \sb
    std::int32_t SpaceAfter = 0;      // \sa
    std::int32_t FirstIndent = 0;     // \fi
    std::int32_t LeftIndent = 0;      // \li
    std::int32_t RightIndent = 0;     // \ri
    std::int32_t CharFirstIndent = 0; // \cufi, 1/100 character
    std::int32_t CharLeftIndent = 0;  // \culi
    std::int32_t CharRightIndent = 0; // \curi
    std::int32_t OutlineLevel = 0;    // level + 1, 0 none
    std::uint8_t Align = 0;           // 0 left, 1 centre, 2 right, 3 justified, 4 distributed

    TExParaStyle() = default;

    void Clear() { *this = TExParaStyle(); }
    TExParaStyle& Invisible();
    void And(const TExParaStyle& b);
    void Add(const TExParaStyle& b);
    void CopyLimited(const TExParaStyle& b) { Add(b); }
    void Sub(const TExParaStyle& b);
    bool Equal(const TExParaStyle& b) const;
    bool EqualLimited(const TExParaStyle& b) const;
    std::string RTString() const;
    bool Visible() const;   // no field unset
    bool Enabled() const;   // at least one field set

    TExParaStyle& operator&=(const TExParaStyle& b) { And(b); return *this; }
    TExParaStyle& operator+=(const TExParaStyle& b) { Add(b); return *this; }
    TExParaStyle& operator-=(const TExParaStyle& b) { Sub(b); return *this; }
    TExParaStyle& operator<<(const TExParaStyle& b) { CopyLimited(b); return *this; }
    friend TExParaStyle operator&(TExParaStyle a, const TExParaStyle& b) { return a &= b; }
    friend TExParaStyle operator+(TExParaStyle a, const TExParaStyle& b) { return a += b; }
    friend TExParaStyle operator-(TExParaStyle a, const TExParaStyle& b) { return a -= b; }
    friend bool operator==(const TExParaStyle& a, const TExParaStyle& b) { return a.Equal(b); }
};

class TExDocStyle {
public:
    std::int32_t PaperWidth = 12240;
    std::int32_t PaperHeight = 15480;
    std::int32_t LeftMargin = 1800;
    std::int32_t RightMargin = 1800;
    std::int32_t TopMargin = 1440;
    std::int32_t BottomMargin = 1440;
    std::int32_t PageStart = 0;
    std::uint8_t FacingPages = 0;
    std::uint8_t Landscape = 0;
    std::int32_t DefaultFont = 0;
    std::int32_t ViewKind = 1;
    std::int32_t DefaultTab = 840;

    TExDocStyle() = default;
    void Clear() { *this = TExDocStyle(); }
    bool Equal(const TExDocStyle& b) const;
    std::string RTString() const;
    friend bool operator==(const TExDocStyle& a, const TExDocStyle& b) { return a.Equal(b); }
};

// ---- code page rules ----

bool IsHalfKatakana(char32_t cp);
// The class of a character entering as text: U+3000 12, space 9, other ASCII 1, two code-page-932
// bytes 4, anything else 2 (TAB, LF and CR are classed 1; callers treat them first).
int CharClassOf(char32_t cp);
// The class of a character of wide (pasted) text: below U+0080 as CharClassOf, U+0080-U+00FF 2,
// U+3000 12, others 4 when code page 932 writes them in two bytes, else 6.
int WideCharClassOf(char32_t cp);
// Position units of one character of the class.
inline int ClassWidth(int charClass) { return charClass == kClassDouble || charClass == kClassWideSpace ? 2 : 1; }
// The bytes of one character written in its class; empty when the class cannot write it.
std::string CharBytes(char32_t cp, int charClass);
// The bytes of a text written in its class; characters the class cannot write become "?".
std::string ClassBytes(std::string_view utf8, int charClass);
// Code points of a UTF-8 text; malformed bytes become U+FFFD.
std::u32string CodePoints(std::string_view utf8);
std::string CodePointsToUtf8(std::u32string_view cps);

// One character decoded from bytes with the class it writes back in.
struct TDecodedChar {
    char32_t Code = 0;
    int Class = 0;
};
enum class TByteDecoding {
    DoubleByte,   // code page 932 with lead-byte pairs
    SingleByte,   // code page 932 one byte per character (0xA1-0xDF katakana)
    Western,      // Windows-1252 byte by byte
};
// Decodes every byte: a byte code page 932 cannot decode (or a lead byte without its trail inside
// the bytes) reads as Windows-1252, so writing the characters back gives the same bytes.
std::vector<TDecodedChar> DecodeBytes(std::string_view bytes, TByteDecoding decoding);
// Code page 932 text with the Windows-1252 fallback, as UTF-8 (names of fonts and styles).
std::string DecodeCp932(std::string_view bytes);

// The code page of a font charset (\fcharset): 932 for Shift-JIS (128) and the default (1), 1252
// for Western (0) and any charset without one of its own, 0 for the symbol charset (2), whose
// fonts map bytes by their own tables.
int CodePageOfCharset(int charset);
// The charset of a code page (\ansicpg); 0 (Western) for one no charset stands for.
int CharsetOfCodePage(int codePage);
// Decodes bytes written in a code page through iconv: each character with its class as it enters
// (CharClassOf); a byte the code page cannot decode reads as Windows-1252.
std::vector<TDecodedChar> DecodeCodePageBytes(std::string_view bytes, int codePage);
// The character a symbol font draws for a byte (its own map, for Symbol and Wingdings' list marks;
// U+F000 + byte, where such fonts' characters lie, for any other).
char32_t SymbolFontChar(std::string_view face, unsigned char byte);

// RTF escaping of bytes: "\", "{", "}" get a backslash; bytes below 32 and from 128 become \'hh.
std::string EscapeRTBytes(std::string_view bytes);
// RTF escaping of a UTF-8 text, each character written in `charClass` (-1: the class of the
// character as it enters; "?" where the class cannot write it), every byte of a non-ASCII
// character escaped ("ゴ" gives \'83\'53).
std::string StrToRTString(std::string_view utf8, int charClass = -1);
// RTF escaping of code-page-932 bytes, each character they read as escaped as StrToRTString
// escapes it, in the bytes given.
std::string BytesToRTString(std::string_view bytes);
// \uN? for a character (two units for one beyond U+FFFF), N the signed UTF-16 unit.
void AppendRTUnicode(std::string& out, char32_t cp);
// RTF held as characters (an attribute of a layout file, decoded from the file's encoding) as the
// bytes the reader takes: a non-ASCII character inside the font table or the style sheet as the
// escaped code-page-932 bytes the names are read in, any other as \uN?.
std::string RTBytesOfText(std::string_view rtf);

// Charset and pitch-and-family of a face: fixed for the program's own faces, else from the font
// database (charset 128 when the face draws Japanese, else 0; pitch 1 fixed, 2 variable).
void GetFontFamilyInfo(const std::string& name, std::int32_t& charset, std::int32_t& family);

// The measuring device shared by every font table: 96 pixels per inch. Tests inject their own
// (nullptr returns to the built-in one); the caller keeps an injected canvas alive.
platform::Canvas* MeasureCanvas();
void SetMeasureCanvas(platform::Canvas* canvas);

// ---- tables ----

struct TFontAttribute {
    std::string Name;
    // The code-page-932 bytes Name was read in when Name is written in others (code page 932
    // gives some characters two codes; bytes that make no character read one by one): the name is
    // written back as read.
    std::string Bytes;
    std::int32_t Charset = 1;
    std::int32_t Family = 0;
    std::int32_t Ascent = 0;    // at a character height of 2048
    std::int32_t Descent = 0;
    bool Measured = false;      // ascent and descent are measured on first use
};

class TFontAttributes {
public:
    TFontAttributes();
    virtual ~TFontAttributes() = default;

    virtual void Clear();
    virtual void Assign(const TFontAttributes* source);
    int Count() const { return static_cast<int>(fonts_.size()); }

    void SetFixedFont(bool fixed);
    bool GetFixedFont() const { return fixedFont_; }
    int AddFont(int index, const std::string& name, int charset, int family);
    // Code page 932 decodes the bytes of fonts of these charsets (Shift-JIS, and the default of a
    // font named without \fcharset); the bytes of any other font read in its charset's code page.
    static bool Cp932Charset(int charset) { return charset == 128 || charset == 1; }
    // Whether text of the class written in font i reads back unchanged: double-byte characters and
    // half-width katakana need a code-page-932 font, other single-byte characters a Western one.
    bool Holds(int i, int charClass, bool katakana) const;
    // The first of `candidates` that holds text of the class, else font 1's face in the charset
    // the class needs (appended when absent).
    int FittingFont(int charClass, bool katakana, std::initializer_list<int> candidates);
    int IndexOfFont(const std::string& name, int charset, int family);
    int IndexOfFont(const std::string& name);
    // Entry i was named by these bytes in a font table read: they are written back as they were.
    void SetReadName(int i, std::string_view bytes);

    std::string GetName(int i) const;
    int GetCharset(int i) const;
    int GetFamily(int i) const;
    int GetAscent(int i);
    int GetDescent(int i);
    // The font description of entry i (outside the table: entry 0), with no height.
    platform::FontSpec GetLOGFONT(int i) const;
    // The entry drawing the style's class, with its weight and italic.
    platform::FontSpec GetLOGFONT(const TExStyle& style) const;
    // Ascent and descent of entry i at a height of 2048 pixels.
    void GetHeight(int i, int& ascent, int& descent);
    // Cumulative extents per position unit of `text` drawn in the style (both units of a 2-unit
    // character share its right edge), with the ascent and descent of the font.
    void GetExtent(const TExStyle& style, std::string_view text, std::vector<int>* extents, int& ascent,
                   int& descent);
    platform::Canvas* GetHDC() const { return MeasureCanvas(); }
    // The font table; with `numbers`, only the entries it names, each written under the number it
    // maps the entry to.
    std::string GetRTString(const std::map<int, int>* numbers = nullptr) const;

private:
    int FixedFamily(int family) const { return fixedFont_ ? ((family & 0xFC) | 1) : family; }
    void Measure(int i);

    std::vector<TFontAttribute> fonts_;
    bool fixedFont_ = false;
};

class TColorAttributes {
public:
    TColorAttributes();
    virtual ~TColorAttributes() = default;

    virtual void Clear();
    virtual void Assign(const TColorAttributes* source);
    int Count() const { return static_cast<int>(colors_.size()); }

    // Finds the colour among entries 1 and up, else appends it; returns its index.
    int IndexOfColor(TColor color);
    int AddColor(TColor color) { return IndexOfColor(color); }
    int IndexOfColor(int r, int g, int b) { return IndexOfColor(platform::RgbColor(r, g, b)); }
    int AddColor(int r, int g, int b) { return IndexOfColor(r, g, b); }
    TColor GetColor(int i) const;
    int GetR(int i) const { return platform::RedOf(GetColor(i)); }
    int GetG(int i) const { return platform::GreenOf(GetColor(i)); }
    int GetB(int i) const { return platform::BlueOf(GetColor(i)); }
    std::string GetRTString() const;

private:
    std::vector<TColor> colors_;
};

struct TStyleAttribute {
    std::string Name;
    TExParaStyle ParaStyle;
    TExStyle Style;
};

class TStyleAttributes {
public:
    // (sender, entry index, previous paragraph style, previous character style)
    using TStyleChangeEvent =
        std::function<void(TStyleAttributes* sender, int index, const TExParaStyle&, const TExStyle&)>;

    TStyleAttributes();
    virtual ~TStyleAttributes() = default;

    virtual void Clear();
    virtual void Assign(const TStyleAttributes* source);
    int Count() const { return static_cast<int>(styles_.size()); }

    int AddStyle(int index, const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle);
    // Finds an entry from 1 with equal styles (names not compared), else appends one.
    int IndexOfStyle(const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle);
    void SetName(int i, const std::string& name);
    void SetStyle(int i, const TExStyle& style);
    void SetParaStyle(int i, const TExParaStyle& paraStyle);
    void SetStyleList(int i, const TExStyle& style, const TExParaStyle& paraStyle);
    // Outside the table: an empty name and cleared styles.
    std::string GetName(int i) const;
    TExStyle GetStyle(int i) const;
    TExParaStyle GetParaStyle(int i) const;
    std::string GetRTString() const;

    TStyleChangeEvent OnChange;

private:
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    void Change(int i, const TExStyle& style, const TExParaStyle& paraStyle);

    std::vector<TStyleAttribute> styles_;
};
