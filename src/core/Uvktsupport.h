#pragma once
// Text and byte codecs: the backslash escape of Latin letters, the Latin-letter mapping to and from
// UTF-16, Base64, upper-case hexadecimal, one image-list picture as bitmap bytes, and small text
// helpers. Text is UTF-8; byte strings are std::string. Nothing here keeps state.
//
// Escapes of EuroToStr / StrToEuro name Windows-1252 codes from 0x80:
//   \A0..\A6 ÀÁÂÃÄÅÆ  \C Ç  \E0..\E3 ÈÉÊË  \I0..\I3 ÌÍÎÏ  \O0..\O4 ÒÓÔÕÖ  \O5 Œ  \U0..\U3 ÙÚÛÜ
//   \a0..\a6 àáâãäåæ  \c ç  \e0..\e3 èéêë  \i0..\i3 ìíîï  \o0..\o4 òóôõö  \o5 œ  \u0..\u3 ùúûü
//   \0xHH any other Windows-1252 code HH (two hexadecimal digits), \\ one backslash.
#include "platform/Color.h"
#include "platform/ImageList.h"
#include "platform/Variant.h"

#include <iosfwd>
#include <string>
#include <string_view>

// Escapes every character that Windows-1252 codes at 0x80 or above and doubles backslashes;
// every other character (ASCII, and characters Windows-1252 lacks) is copied.
std::string EuroToStr(std::string_view text);
// Replaces each escape by the character it names. A vowel escape takes any decimal digit: its
// code is the run's first code plus the digit, modulo 256 (\O and \o with 5..9 give Œ and œ).
// A backslash that starts no escape, or ends the text, is copied unchanged.
std::string StrToEuro(std::string_view text);

// One UTF-16 unit per character: U+0020..U+007F, U+00A0..U+00FF, Œ and œ are kept; controls,
// U+0080..U+009F and every other character become a space.
std::u16string EuroToWide(std::string_view text);
// One character per UTF-16 unit: units below U+0100 (controls included), Œ and œ are kept; every
// other unit (surrogates included) becomes a space.
std::string WideToEuro(std::u16string_view text);

// Base64 with an alphabet of 64 digits followed by the padding character; an alphabet of any
// other length (the empty one included) selects the standard one with "=".
// With lineBreaks, CR LF follows every 80 output characters while at least two input bytes remain.
std::string BinToBase64(std::string_view bytes, std::string_view alphabet = {}, bool lineBreaks = false);
std::string BinToBase64(const platform::Bytes& bytes, std::string_view alphabet = {}, bool lineBreaks = false);
// Encodes the rest of the stream (from its position to its end).
std::string BinToBase64(std::istream& input, std::string_view alphabet = {}, bool lineBreaks = false);
// Characters outside the alphabet (line ends, blanks) are skipped; the first padding character
// ends the data; a last group of 2 or 3 digits gives the 1 or 2 bytes it encodes (1 digit gives
// none), whether or not padding follows.
std::string Base64ToBin(std::string_view text, std::string_view alphabet = {});
void Base64ToBin(std::ostream& output, std::string_view text, std::string_view alphabet = {});

// Two upper-case hexadecimal digits per byte, high half first.
std::string BinToAsc(std::string_view bytes);
// The reverse; lower-case digits are read too, a last odd character is ignored and any other
// character counts as 0.
std::string AscToBin(std::string_view text);

// The bytes of a 24-bit bitmap file of the list's image size: the back colour, with image `index`
// drawn over it (an index outside the list leaves the back colour alone).
std::string GetImagesTo(const platform::ImageList& images, int index, platform::TColor backColor);
// Adds the picture of a bitmap file, masked by the colour of its bottom-left pixel; `color` is
// not used. Bytes that are no bitmap raise platform::InvalidPictureError and add nothing.
void AddImages(platform::ImageList& images, std::string_view bitmapBytes, platform::TColor color);

// Keeps only the digits and points of the text, in order, and reads the longest number at the
// front of "0" + that ("¥1,234.5" gives 1234.5; "-3" gives 3).
long double CurrStrToDouble(std::string_view text);
// Puts the first character of `specials` before every character of the text that is one of
// `specials`.
std::string StrToFmt(std::string_view text, std::string_view specials);
// Removes each first character of `specials` and keeps the character after it as it is.
std::string FmtToStr(std::string_view text, std::string_view specials);
// For the character at the byte position (from 1): when it is the first character of `specials`
// and the next one is one of `specials`, moves the position onto that next character and returns
// false (an escaped character); when the next one is not, returns true (a marker); otherwise false.
bool CheckFmtStr(std::string_view text, std::string_view specials, int& position);
// The text without any byte of value 0x20 or below.
std::string SpaceCutter(std::string_view text);
// Both return the text unchanged.
std::string StrToQuotedPrintable(std::string_view text);
std::string QuotedPrintableToStr(std::string_view text);
