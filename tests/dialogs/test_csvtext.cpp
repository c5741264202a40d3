// CSV files: the encoding decision, the spreadsheet rules in every encoding, files written by a
// spreadsheet read as it shows them, refusals naming their line, atomic saves in the loaded
// encoding, and seeded random and mutated files that must load or raise.
#include <gtest/gtest.h>

#include "dialogs/CsvGridCells.h"
#include "dialogs/Ucsvtext.h"
#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/ScriptedServices.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Dump(const TCsvRows& rows)
{
    std::string out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r) out += '/';
        for (std::size_t c = 0; c < rows[r].size(); ++c) out += (c ? "|" : "") + rows[r][c];
    }
    return out;
}

std::string Error(std::string_view bytes)
{
    try {
        ParseCsvBytes(bytes, "/d/t.csv");
    } catch (const platform::FileError& e) {
        return e.what();
    }
    return "no error";
}

// A new folder of the test's; the names of files in it.
class TempFolder {
public:
    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_ = vkttest::NewTempFolder("csvtext");
};

TEST(CsvText, EncodingDecision)
{
    const struct {
        std::string bytes;
        TCsvEncoding encoding;
        const char* dump;
    } cases[] = {
        {"a b,c", TCsvEncoding::Utf8, "a b|c"},                       // ASCII is UTF-8
        {platform::Utf8ToSjis("醤油,\"a b\""), TCsvEncoding::Sjis, "醤油|a b"},
        {platform::Utf8ToSjis("トマト ソース,Marco Foods\r\n"), TCsvEncoding::Sjis, "トマト ソース|Marco Foods"},
        {platform::Utf8ToSjis("\"鶏\r\nガラ\",1"), TCsvEncoding::Sjis, "鶏 ガラ|1"},
        // Japanese beside ASCII letters stays code page 932.
        {platform::Utf8ToSjis("ポテトM,鶏肉,塩\r\nﾄﾏﾄ,Marco食品,kgパック,１２"), TCsvEncoding::Sjis,
         "ポテトM|鶏肉|塩/ﾄﾏﾄ|Marco食品|kgパック|１２"},
        // Well-formed code page 932 that is a Latin text, or that decodes to user-defined characters.
        {"Cr\xE8me,12", TCsvEncoding::Cp1252, "Crème|12"},
        {"Jalape\xF1" "o,Pi\xF1" "a", TCsvEncoding::Cp1252, "Jalapeño|Piña"},
        {"B\x9C" "uf \x80", TCsvEncoding::Cp1252, "Bœuf €"},
        {"\xEF\xBB\xBF" "a b,c", TCsvEncoding::Utf8, "a b|c"},           // BOM: spreadsheet rules
        {"crème brûlée,1", TCsvEncoding::Utf8, "crème brûlée|1"},     // well-formed UTF-8 without BOM
        {"醤油,\"x\"\"y\"", TCsvEncoding::Utf8, "醤油|x\"y"},
        // Well-formed UTF-8 first, code page 932 after a long run of ASCII: the whole file decides.
        {"abcdefghijklmnop,crème\r\n" + platform::Utf8ToSjis("醤油"), TCsvEncoding::Sjis,
         "abcdefghijklmnop|cr\uFF83\uFF68me/醤油"},
        {std::string(40, 'a') + "\r\n" + std::string(17, 'b') + ",é", TCsvEncoding::Utf8,
         "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/bbbbbbbbbbbbbbbbb|é"},
    };
    for (const auto& c : cases) {
        const TCsvFile file = ParseCsvBytes(c.bytes, "t.csv");
        EXPECT_EQ(file.Encoding, c.encoding) << c.dump;
        EXPECT_EQ(Dump(file.Rows), c.dump);
    }
}

TEST(CsvText, SpreadsheetRules)
{
    const struct {
        const char* text;
        const char* dump;
    } cases[] = {
        {"", ""},
        {"a\n", "a"},
        {"a\r\n\r\nb", "a//b"},
        {" a , b ", " a | b "},
        {"\"a,b\",c", "a,b|c"},
        {"\"line\r\none\",\"two\nlines\"", "line one|two lines"},
        {"ab\"c,d", "ab\"c|d"},
        {"\"x\"  ,y", "x|y"},
        {"a,", "a|"},
        {",", "|"},
        {"\"\"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Dump(ParseSpreadsheetCsv(c.text, "t.csv")), c.dump) << c.text;
}

TEST(CsvText, RefusalsNameTheLine)
{
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"\xFF\xFE" "a", "/d/t.csv\nUTF-16のファイルは読み込めません。"},
        {std::string("a\r\nb\0c", 6), "/d/t.csv\n2行目: NUL文字が含まれています。"},
        {bom + "a\nb\n\"open\n\nx", "/d/t.csv\n3行目: 引用符が閉じていません。"},
        {bom + "a\n\"q\"x,b", "/d/t.csv\n2行目: 閉じた引用符の後に文字があります。"},
        {bom + "a\r\n\xC3", "/d/t.csv\n2行目: 文字コードを変換できません。"},
        {bom + "abcdefghij\r\nklmnop\nqrs\rcrème\n\xE3\x83", "/d/t.csv\n5行目: 文字コードを変換できません。"},
        {bom + "レ\r\n\xED\xA0\x80\r\n", "/d/t.csv\n2行目: 文字コードを変換できません。"},   // a surrogate
        {bom + "\xFF\r\n" + std::string("a\0", 2), "/d/t.csv\n2行目: NUL文字が含まれています。"},
        {platform::Utf8ToSjis("a\n\"b,c\n"), "/d/t.csv\n2行目: 引用符が閉じていません。"},
        {platform::Utf8ToSjis("名称\n\"鶏\"ガラ,1\n"), "/d/t.csv\n2行目: 閉じた引用符の後に文字があります。"},
        {"a\n\"b\xE8,c\n", "/d/t.csv\n2行目: 引用符が閉じていません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Error(c.bytes), c.message);

    // Named encodings read the bytes in that encoding only.
    const struct {
        std::string bytes;
        TCsvEncoding encoding;
        const char* message;
    } named[] = {
        {"ok\r\n\x81\x20\r\n", TCsvEncoding::Sjis, "/d/t.csv\n2行目: 文字コードを変換できません。"},
        {platform::Utf8ToSjis("醤油\r\n\r\n鶏"), TCsvEncoding::Utf8, "/d/t.csv\n1行目: 文字コードを変換できません。"},
        {"a\r\nb\r\ncr\xE8me", TCsvEncoding::Utf8, "/d/t.csv\n3行目: 文字コードを変換できません。"},
        {"a\n\"b\n", TCsvEncoding::Cp1252, "/d/t.csv\n2行目: 引用符が閉じていません。"},
    };
    for (const auto& c : named) {
        try {
            ParseCsvBytes(c.bytes, "/d/t.csv", c.encoding);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const platform::FileError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    EXPECT_EQ(Dump(ParseCsvBytes("\xEF\xBB\xBF" "Cr\xE8me", "t", TCsvEncoding::Cp1252).Rows), "Crème");
    EXPECT_EQ(Dump(ParseCsvBytes("caf\xC3\xA9", "t", TCsvEncoding::Cp1252).Rows), "cafÃ©");
}

// Files written by a spreadsheet (tests/data/csv, with how each was made) read with the encoding
// and the rows and fields the spreadsheet shows.
TEST(CsvText, SpreadsheetFilesReadAsTheSpreadsheetShowsThem)
{
    const std::string prices = "分類|名称|単位|単価|数量|歩留|業者/油脂類|Olive oil|本|980|1|100|Marco Foods/"
                               "調味料|トマト ソース|缶|120|1|95|Marco Foods/肉類|鶏もも肉|kg|1280|1|90|東京青果";
    const struct {
        const char* file;
        TCsvEncoding encoding;
        std::string dump;
    } cases[] = {
        {"calc-932-prices.csv", TCsvEncoding::Sjis, prices},
        {"calc-utf8-prices.csv", TCsvEncoding::Utf8, prices},
        {"calc-932-memo.csv", TCsvEncoding::Sjis,
         "名称|単価|メモ/鶏もも肉|1280|皮を取る/ブイヨン|300|鶏ガラで取る 一晩寝かせる/Olive oil|980|extra virgin, \"cold\""},
        {"calc-utf8-ascii.csv", TCsvEncoding::Utf8,
         "Class|Name|Unit|Price|Dealer/Oils|Olive oil|bottle|9.8|Marco Foods/Sauces|Tomato sauce|can|1.2|Marco Foods"},
        {"calc-1252-dealer.csv", TCsvEncoding::Cp1252,
         "Crème|Produits laitiers|pot|4.5|Maison Dupont/Pâté de campagne|Charcuterie|kg|12.8|Maison Dupont/"
         "Bœuf bourguignon|Viande|kg|18|Boucherie Müller"},
        {"calc-1252-short.csv", TCsvEncoding::Cp1252, "Crème|12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(VKT_CSV_DATA_DIR) + "/" + c.file;
        const TCsvFile file = ReadCsvFile(path);
        EXPECT_EQ(file.Encoding, c.encoding);
        EXPECT_EQ(Dump(file.Rows), c.dump);
        EXPECT_EQ(DetectCsvEncoding(platform::ReadFileBytes(path)), c.encoding);
        TCsvGrid grid(3, 2);
        grid.SetFixedRows(1);
        EXPECT_EQ(ReadCsvFile(path, grid), c.encoding);
        TCsvRows rows;
        for (int row = 1; row < grid.GetRowCount(); ++row) {
            rows.emplace_back();
            for (int col = 0; col < grid.GetColCount(); ++col) rows.back().push_back(grid.GetCell(col, row));
        }
        EXPECT_EQ(Dump(rows), c.dump);
    }
}

TEST(CsvText, SavesInTheLoadedEncodingAndNeverLoseText)
{
    TempFolder folder;
    const std::string path = folder.File("out.csv");
    EXPECT_EQ(WriteCsvFile(path, "醤油,1\r\n", TCsvEncoding::Sjis), TCsvEncoding::Sjis);
    EXPECT_EQ(platform::ReadFileBytes(path), platform::Utf8ToSjis("醤油,1\r\n"));
    // Characters code page 932 lacks or would change: UTF-8 with a mark instead.
    for (const char* text : {"crème,1\r\n", "œuf\r\n", "\u00A51,200\r\n"}) {
        EXPECT_EQ(WriteCsvFile(path, text, TCsvEncoding::Sjis), TCsvEncoding::Utf8) << text;
        const TCsvFile back = ReadCsvFile(path);
        EXPECT_EQ(back.Encoding, TCsvEncoding::Utf8);
        TCsvGrid grid;
        SetRows(grid, back.Rows);
        EXPECT_EQ(GetCSV(grid), text);
    }
    EXPECT_EQ(WriteCsvFile(path, "Crème,\"a b\"\r\n", TCsvEncoding::Cp1252), TCsvEncoding::Cp1252);
    EXPECT_EQ(platform::ReadFileBytes(path), "Cr\xE8me,\"a b\"\r\n");
    EXPECT_EQ(WriteCsvFile(path, "鶏,1\r\n", TCsvEncoding::Cp1252), TCsvEncoding::Utf8);
    EXPECT_EQ(platform::ReadFileBytes(path), "\xEF\xBB\xBF鶏,1\r\n");
    EXPECT_EQ(WriteCsvFile(path, "a\r\n", TCsvEncoding::Utf8), TCsvEncoding::Utf8);
    EXPECT_EQ(platform::ReadFileBytes(path), "\xEF\xBB\xBF" "a\r\n");

    // A failed save keeps the old file.
    std::filesystem::create_directory(folder.File("dir.csv"));
    EXPECT_THROW(WriteCsvFile(folder.File("dir.csv"), "x\r\n", TCsvEncoding::Sjis), platform::FileError);
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("dir.csv")));
    EXPECT_THROW(ReadCsvFile(folder.File("missing.csv")), platform::Error);
}

// Read into a grid, a file leaves the cells SetRows leaves over any earlier content (more or fewer
// rows and columns, longer texts, fixed rows and columns); a file that cannot be read, however late
// its fault, leaves the grid as it was.
TEST(CsvText, ReadIntoAGridAsSetRowsFillsIt)
{
    TempFolder folder;
    const std::string path = folder.File("g.csv");
    const std::string bom = "\xEF\xBB\xBF";
    const std::string files[] = {
        "", bom, bom + "a", bom + "a,b,c\r\nd\r\n\"e\r\nf\",\"g\"\"h\"  ,\n", "crème,\"a,b\"\n\n,x,y,z,w\r",
        platform::Utf8ToSjis("醤油,\"a b\"\r\n鶏"), "a b,c", platform::Utf8ToSjis("\"鶏\nガラ\",x y\r\n,,z"),
        "Cr\xE8me,\"a\r\nb\"\r\n",
    };
    std::vector<TCsvGrid> earlier;
    for (const auto [cols, rows, fixedCols, fixedRows] : {std::array{1, 1, 0, 0}, std::array{3, 2, 0, 1},
                                                          std::array{8, 20, 1, 1}, std::array{2, 5, 1, 0}}) {
        TCsvGrid grid(cols, rows);
        grid.SetFixedCols(fixedCols);
        grid.SetFixedRows(fixedRows);
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < cols; ++col)
                grid.SetCell(col, row, "an earlier cell longer than a short string " + std::to_string(col * 100 + row));
        earlier.push_back(grid);
    }
    for (const std::string& file : files) {
        platform::WriteFileAtomic(path, file);
        for (const TCsvGrid& before : earlier) {
            SCOPED_TRACE(file + " over " + vkttest::GridCells(before).substr(0, 6));
            TCsvGrid expected = before;
            const TCsvFile rows = ReadCsvFile(path);
            SetRows(expected, rows.Rows);
            TCsvGrid read = before;
            EXPECT_EQ(ReadCsvFile(path, read), rows.Encoding);
            EXPECT_EQ(vkttest::GridCells(read), vkttest::GridCells(expected));
        }
    }

    std::string rows;
    for (int i = 0; i < 200; ++i) rows += "crème " + std::to_string(i) + ",x\r\n";
    for (const std::string& bad : {bom + rows + "\"open", bom + rows + "\"q\"x", bom + rows + "\xC3",
                                   rows + std::string(1, '\0'), platform::Utf8ToSjis("醤油\r\n\"open\r\n")}) {
        platform::WriteFileAtomic(path, bad);
        for (const TCsvGrid& before : earlier) {
            TCsvGrid read = before;
            try {
                ReadCsvFile(path, read);
                ADD_FAILURE() << "no error";
            } catch (const platform::FileError& e) {
                EXPECT_EQ(path + Error(bad).substr(std::string("/d/t.csv").size()), e.what());
            }
            EXPECT_EQ(vkttest::GridCells(read), vkttest::GridCells(before));
        }
    }
}

// Random tables written in every encoding come back cell for cell (a pure ASCII file reads as
// UTF-8); random mutations of such files load or raise FileError, nothing else.
TEST(CsvText, SeededFilesRoundTripAndMutationsNeverCrash)
{
    TempFolder folder;
    const std::string path = folder.File("r.csv");
    const std::vector<std::string> jp = {"", "醤油", "鶏もも肉", "a b", "x,y", "\"q\"", "１２", "¥1,200"};
    const std::vector<std::string> fr = {"", "crème", "œuf", "l'été", "a b", "x,y", "\"q\"", "12,5"};
    std::mt19937 random(38);
    for (int round = 0; round < 60; ++round) {
        const auto& pieces = round % 2 ? fr : jp;
        TCsvGrid grid(1 + static_cast<int>(random() % 4), 1 + static_cast<int>(random() % 5));
        for (int row = 0; row < grid.GetRowCount(); ++row)
            for (int col = 0; col < grid.GetColCount(); ++col) grid.SetCell(col, row, pieces[random() % pieces.size()]);
        const std::string text = GetCSV(grid);
        const TCsvEncoding written = WriteCsvFile(path, text, round % 3 ? TCsvEncoding::Sjis : TCsvEncoding::Cp1252);
        const bool ascii = platform::AsciiPrefixLength(text) == text.size();
        // Windows-1252 is read in the named encoding: a short Latin text may also be code page 932.
        const TCsvFile file = written == TCsvEncoding::Cp1252 ? ReadCsvFile(path, written) : ReadCsvFile(path);
        EXPECT_EQ(file.Encoding, ascii && written == TCsvEncoding::Sjis ? TCsvEncoding::Utf8 : written);
        TCsvGrid back;
        SetRows(back, file.Rows);
        EXPECT_EQ(GetCSV(back), text);
    }
    const std::string seeds[] = {"\xEF\xBB\xBF\"a,b\",\"c\"\"d\"\r\ne,f\n", platform::Utf8ToSjis("醤油,\"a b\"\r\n鶏,1\r\n"),
                                 "crème,\"x\ny\",z", "Cr\xE8me,\"x\ny\",p\xE2t\xE9"};
    const char bytes[] = {'"', ',', '\r', '\n', ' ', '\0', '\x81', '\xC3', '\xA9', 'a', '\xFF'};
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string data = seeds[round % 4];
        for (int m = static_cast<int>(random() % 4); m >= 0 && !data.empty(); --m) {
            const std::size_t at = random() % data.size();
            switch (random() % 3) {
            case 0: data[at] = bytes[random() % sizeof bytes]; break;
            case 1: data.insert(at, 1, bytes[random() % sizeof bytes]); break;
            default: data.erase(at, 1); break;
            }
        }
        try {
            ParseCsvBytes(data, "m.csv");
            ++loaded;
        } catch (const platform::FileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("m.csv\n", 0), 0U);
        }
    }
    EXPECT_GT(loaded, 100);
}

} // namespace
