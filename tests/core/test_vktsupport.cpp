#include "core/Uvktsupport.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/ImageList.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

using platform::RgbColor;

// --- Latin-letter escape -------------------------------------------------------------------------

TEST(EuroEscape, EscapesLatinLettersByTheTable)
{
    EXPECT_EQ(EuroToStr("Données"), "Donn\\e1es");
    EXPECT_EQ(EuroToStr("Bœuf"), "B\\o5uf");
    EXPECT_EQ(EuroToStr("Œuvre"), "\\O5uvre");
    EXPECT_EQ(EuroToStr("Pâte Épice Ç ç Ù ü"), "P\\a2te \\E1pice \\C \\c \\U0 \\u3");
    EXPECT_EQ(EuroToStr("Ñ€"), "\\0xD1\\0x80");
    EXPECT_EQ(EuroToStr("a\\b"), "a\\\\b");
}

TEST(EuroEscape, CopiesWhatWindows1252CannotCode)
{
    EXPECT_EQ(EuroToStr("データ 123"), "データ 123");
    EXPECT_EQ(EuroToStr("\xFF\xFE"), "\xFF\xFE");   // stray bytes pass through
}

TEST(EuroEscape, UnescapesTheDefaultNames)
{
    EXPECT_EQ(StrToEuro("Donn\\e1es"), "Données");
    EXPECT_EQ(StrToEuro("B\\o5uf"), "Bœuf");
    EXPECT_EQ(StrToEuro("P\\a2te"), "Pâte");
    EXPECT_EQ(StrToEuro("\\E1pice"), "Épice");
    EXPECT_EQ(StrToEuro("NouveauUnit\\e1'"), "NouveauUnité'");
    EXPECT_EQ(StrToEuro("\\O5"), "Œ");
    EXPECT_EQ(StrToEuro("a\\\\b"), "a\\b");
    EXPECT_EQ(StrToEuro("\\0xD1and"), "Ñand");
    EXPECT_EQ(StrToEuro("\\0x80\\0x41"), "€A");
    EXPECT_EQ(StrToEuro("\\C\\c"), "Çç");
}

TEST(EuroEscape, VowelDigitsRunOnAndOeTakesEveryHighDigit)
{
    EXPECT_EQ(StrToEuro("\\A7"), "Ç");   // 0xC0 + 7
    EXPECT_EQ(StrToEuro("\\a9"), "é");   // 0xE0 + 9
    EXPECT_EQ(StrToEuro("\\O4\\O9\\o7"), "ÖŒœ");
}

TEST(EuroEscape, KeepsJapaneseTextWhole)
{
    // In code page 932 the second byte of ソ is a backslash; in UTF-8 no byte of it is.
    EXPECT_EQ(StrToEuro("ソ\\e1ソ"), "ソéソ");
    EXPECT_EQ(StrToEuro("表示"), "表示");
}

TEST(EuroEscape, BackslashWithoutAnEscapeIsCopied)
{
    EXPECT_EQ(StrToEuro("end\\"), "end\\");
    EXPECT_EQ(StrToEuro("\\z"), "\\z");
    EXPECT_EQ(StrToEuro("\\A"), "\\A");
    EXPECT_EQ(StrToEuro("\\Ax"), "\\Ax");
    EXPECT_EQ(StrToEuro("\\0x4"), "\\0x4");
    EXPECT_EQ(StrToEuro("\\0xZZ"), "\\0xZZ");
    EXPECT_EQ(StrToEuro("\\1234"), "\\1234");
    EXPECT_EQ(StrToEuro("\\\\\\"), "\\\\");
}

TEST(EuroEscape, EveryHighWindows1252CharacterRoundTrips)
{
    std::string all;
    for (unsigned code = 0x80; code <= 0xFF; ++code)
        all += StrToEuro("\\0x" + BinToAsc(std::string(1, static_cast<char>(code))));
    const std::string escaped = EuroToStr(all);
    for (char c : escaped)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << escaped;
    EXPECT_EQ(StrToEuro(escaped), all);
    EXPECT_EQ(StrToEuro(EuroToStr("\\ \\\\ x")), "\\ \\\\ x");
}

// --- Latin letters and UTF-16 --------------------------------------------------------------------

TEST(EuroWide, MapsCharactersOneToOne)
{
    EXPECT_EQ(EuroToWide("Œœ"), std::u16string(u"\u0152\u0153"));
    EXPECT_EQ(EuroToWide("a\tb\r\n"), std::u16string(u"a b  "));
    EXPECT_EQ(EuroToWide("é~\x7F"), std::u16string(u"\u00E9~\u007F"));
    EXPECT_EQ(EuroToWide("€\u0085あ"), std::u16string(u"   "));
    EXPECT_EQ(EuroToWide(""), std::u16string());
}

TEST(EuroWide, WideToEuroKeepsLatinAndBlanksTheRest)
{
    EXPECT_EQ(WideToEuro(u"\u3042"), " ");
    EXPECT_EQ(WideToEuro(u"\u0152\u0153\u00E9"), "Œœé");
    EXPECT_EQ(WideToEuro(u"a\tb"), "a\tb");
    EXPECT_EQ(WideToEuro(u"\U0001F600"), "  ");   // a surrogate pair is two units
    EXPECT_EQ(WideToEuro(EuroToWide("Crème brûlée")), "Crème brûlée");
}

// --- Base64 --------------------------------------------------------------------------------------

TEST(Base64, EncodesWithPadding)
{
    EXPECT_EQ(BinToBase64("abc"), "YWJj");
    EXPECT_EQ(BinToBase64("ab"), "YWI=");
    EXPECT_EQ(BinToBase64("a"), "YQ==");
    EXPECT_EQ(BinToBase64(""), "");
    EXPECT_EQ(BinToBase64(std::string("\0\xFF", 2)), "AP8=");
    EXPECT_EQ(BinToBase64(platform::Bytes{0x61, 0x62, 0x63}), "YWJj");
}

TEST(Base64, BreaksLinesEvery80CharactersWhileInputRemains)
{
    const std::string sixty(60, 'x');
    const std::string oneLine = BinToBase64(sixty, "", true);
    EXPECT_EQ(oneLine.size(), 80u);
    EXPECT_EQ(oneLine.find('\r'), std::string::npos);

    const std::string twoLines = BinToBase64(std::string(62, 'x'), "", true);
    EXPECT_EQ(twoLines.find("\r\n"), 80u);
    EXPECT_EQ(twoLines.size(), 80u + 2u + 4u);

    const std::string many = BinToBase64(std::string(300, 'y'), "", true);
    EXPECT_EQ(many.find("\r\n"), 80u);
    EXPECT_EQ(many.find("\r\n", 82), 162u);
    EXPECT_NE(many.substr(many.size() - 2), "\r\n");
    EXPECT_EQ(BinToBase64(std::string(300, 'y')).find('\r'), std::string::npos);
}

TEST(Base64, DecodesSkippingLineEndsAndBlanks)
{
    EXPECT_EQ(Base64ToBin("YQ=="), "a");
    EXPECT_EQ(Base64ToBin("YWI="), "ab");
    EXPECT_EQ(Base64ToBin("YW\r\nJj"), "abc");
    EXPECT_EQ(Base64ToBin(" Y W J j "), "abc");
    EXPECT_EQ(Base64ToBin(""), "");
    EXPECT_EQ(Base64ToBin("YQ==YWJj"), "a");   // padding ends the data
}

TEST(Base64, LastPartialGroupGivesOnlyItsBytes)
{
    // Regression: trailing line ends hid the padding, and a group without padding gave three bytes.
    EXPECT_EQ(Base64ToBin("YQ==\r\n"), "a");
    EXPECT_EQ(Base64ToBin("YWI=\r\n \r\n"), "ab");
    EXPECT_EQ(Base64ToBin("YQ"), "a");
    EXPECT_EQ(Base64ToBin("YWI"), "ab");
    EXPECT_EQ(Base64ToBin("YQ="), "a");
    EXPECT_EQ(Base64ToBin("YWJjY"), "abc");
}

TEST(Base64, RoundTripsEveryLengthAndByte)
{
    std::mt19937 random(7);
    for (std::size_t length = 0; length < 400; length += 1 + length / 10) {
        std::string bytes(length, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xFF);
        for (bool breaks : {false, true})
            EXPECT_EQ(Base64ToBin(BinToBase64(bytes, "", breaks)), bytes) << "length " << length;
    }
}

TEST(Base64, OwnAlphabetOrTheDefault)
{
    const std::string urlSafe = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.";
    const std::string bytes("\xFB\xFF\xBE", 3);
    EXPECT_EQ(BinToBase64(bytes, urlSafe), "-_--");
    EXPECT_EQ(BinToBase64("a", urlSafe), "YQ..");
    EXPECT_EQ(Base64ToBin("-_--", urlSafe), bytes);
    EXPECT_EQ(Base64ToBin("YQ..", urlSafe), "a");
    EXPECT_EQ(BinToBase64(bytes, "short"), "+/++");
    EXPECT_EQ(Base64ToBin("+/++", "short"), bytes);
}

TEST(Base64, StreamsReadFromTheirPositionAndWrite)
{
    std::istringstream input("skip-abc");
    input.seekg(5);
    EXPECT_EQ(BinToBase64(input, "", false), "YWJj");
    std::ostringstream output;
    output << "x";
    Base64ToBin(output, "YWI=", "");
    EXPECT_EQ(output.str(), "xab");
}

// --- Hexadecimal ---------------------------------------------------------------------------------

TEST(Hex, UpperCaseTwoDigitsPerByte)
{
    EXPECT_EQ(BinToAsc(std::string("\x01\xAB", 2)), "01AB");
    EXPECT_EQ(AscToBin("01AB"), std::string("\x01\xAB", 2));
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(AscToBin(BinToAsc(all)), all);
    EXPECT_EQ(BinToAsc("Crème"), "4372C3A86D65");
}

TEST(Hex, LowerCaseOddAndStrayCharacters)
{
    EXPECT_EQ(AscToBin("01ab"), std::string("\x01\xAB", 2));
    EXPECT_EQ(AscToBin("41F"), "A");
    EXPECT_EQ(AscToBin("G1"), std::string("\x01", 1));
    EXPECT_EQ(AscToBin(""), "");
}

// --- Image-list pictures -------------------------------------------------------------------------

constexpr platform::TColor kBack = RgbColor(254, 254, 254);

platform::Picture IconPicture()
{
    platform::Picture picture(16, 16, kBack);
    for (int y = 2; y < 14; ++y)
        for (int x = 3; x < 12; ++x)
            picture.SetPixel(x, y, RgbColor(x * 10, y * 10, 200));
    picture.SetPixel(15, 0, RgbColor(1, 2, 3));
    return picture;
}

TEST(ImagePictures, GetImagesToDrawsOnTheBackColour)
{
    platform::ImageList list;
    list.AddMasked(IconPicture(), kBack);
    const platform::Picture saved = platform::DecodeBmp(GetImagesTo(list, 0, RgbColor(0, 0, 255)));
    ASSERT_EQ(saved.GetWidth(), 16);
    ASSERT_EQ(saved.GetHeight(), 16);
    EXPECT_EQ(saved.GetPixel(0, 0), RgbColor(0, 0, 255));
    EXPECT_EQ(saved.GetPixel(3, 2), RgbColor(30, 20, 200));
    EXPECT_EQ(saved.GetPixel(15, 0), RgbColor(1, 2, 3));

    list.SetBkColor(kBack);   // the list's own background fills transparent pixels
    EXPECT_EQ(platform::DecodeBmp(GetImagesTo(list, 0, RgbColor(0, 0, 255))).GetPixel(0, 0), kBack);
    EXPECT_EQ(platform::DecodeBmp(GetImagesTo(list, 5, RgbColor(9, 9, 9))), platform::Picture(16, 16, RgbColor(9, 9, 9)));
}

TEST(ImagePictures, RoundTripKeepsPixelsAndTransparency)
{
    platform::ImageList source;
    source.AddMasked(IconPicture(), kBack);
    const std::string text = BinToBase64(GetImagesTo(source, 0, kBack), "", true);

    platform::ImageList target;
    int changes = 0;
    target.OnChange = [&](platform::ImageList*) { ++changes; };
    AddImages(target, Base64ToBin(text), RgbColor(0, 0, 0));
    ASSERT_EQ(target.GetCount(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.GetImage(0), source.GetImage(0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(target.IsTransparent(0, x, y), source.IsTransparent(0, x, y)) << x << "," << y;
}

TEST(ImagePictures, BottomLeftPixelIsTheTransparentColour)
{
    platform::Picture picture(16, 16, RgbColor(10, 20, 30));
    picture.SetPixel(0, 15, RgbColor(255, 0, 255));
    picture.SetPixel(7, 7, RgbColor(255, 0, 255));
    platform::ImageList list;
    AddImages(list, platform::EncodeBmp(picture), kBack);
    EXPECT_TRUE(list.IsTransparent(0, 0, 15));
    EXPECT_TRUE(list.IsTransparent(0, 7, 7));
    EXPECT_FALSE(list.IsTransparent(0, 0, 0));
}

TEST(ImagePictures, BytesThatAreNoBitmapAddNothing)
{
    platform::ImageList list;
    EXPECT_THROW(AddImages(list, "not a bitmap", kBack), platform::InvalidPictureError);
    EXPECT_THROW(AddImages(list, platform::EncodeBmp(IconPicture()).substr(0, 100), kBack),
                 platform::InvalidPictureError);
    EXPECT_EQ(list.GetCount(), 0);
}

// --- Small text helpers --------------------------------------------------------------------------

TEST(TextHelpers, CurrStrToDoubleKeepsDigitsAndPoints)
{
    EXPECT_DOUBLE_EQ(static_cast<double>(CurrStrToDouble("¥1,234.5")), 1234.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(CurrStrToDouble("-3")), 3.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(CurrStrToDouble("")), 0.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(CurrStrToDouble(".5円")), 0.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(CurrStrToDouble("1.2.3")), 1.2);
}

TEST(TextHelpers, FormatEscapes)
{
    const std::string specials = "\\%";
    EXPECT_EQ(StrToFmt("50% \\n", specials), "50\\% \\\\n");
    EXPECT_EQ(FmtToStr("50\\% \\\\n", specials), "50% \\n");
    EXPECT_EQ(FmtToStr(StrToFmt("%%\\あ%", specials), specials), "%%\\あ%");
    EXPECT_EQ(FmtToStr("end\\", specials), "end");
    EXPECT_EQ(StrToFmt("abc", ""), "abc");
}

TEST(TextHelpers, CheckFmtStrTellsMarkersFromEscapedCharacters)
{
    const std::string specials = "\\%";
    int position = 2;
    EXPECT_FALSE(CheckFmtStr("a\\%b", specials, position));   // escaped %
    EXPECT_EQ(position, 3);
    position = 2;
    EXPECT_TRUE(CheckFmtStr("a\\b", specials, position));     // a marker
    EXPECT_EQ(position, 2);
    position = 1;
    EXPECT_FALSE(CheckFmtStr("a\\b", specials, position));    // not the escape character
    position = 3;
    EXPECT_TRUE(CheckFmtStr("ab\\", specials, position));     // at the end: a marker
    position = 9;
    EXPECT_FALSE(CheckFmtStr("ab", specials, position));
}

TEST(TextHelpers, SpaceCutterKeepsMultiByteCharacters)
{
    EXPECT_EQ(SpaceCutter(" a\tb\r\nc \x01"), "abc");
    EXPECT_EQ(SpaceCutter("あ い"), "あい");
}

} // namespace
