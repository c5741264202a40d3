// CSV files: the encoding decision, the spreadsheet rules of UTF-8 files, the old rules of code
// page 932, refusals naming their line, atomic saves in the loaded encoding, and seeded random and
// mutated files that must load or raise.
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
        {"a b,c", TCsvEncoding::Sjis, "a|b|c"},                       // ASCII: the old rules, a blank splits
        {platform::Utf8ToSjis("醤油,\"a b\""), TCsvEncoding::Sjis, "醤油|a b"},
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
        {"ok\r\n\x81\x20\r\n", "/d/t.csv\n2行目: 文字コードを変換できません。"},
        {"a\n\"b,c\n", "/d/t.csv\n2行目: 引用符が閉じていません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Error(c.bytes), c.message);
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
        platform::Utf8ToSjis("醤油,\"a b\"\r\n鶏"), "a b,c",
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
    for (const std::string& bad :
         {bom + rows + "\"open", bom + rows + "\"q\"x", bom + rows + "\xC3", rows + std::string(1, '\0')}) {
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

// Random tables written in both encodings come back cell for cell; random mutations of such
// files load or raise FileError, nothing else.
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
        const TCsvEncoding written = WriteCsvFile(path, text, TCsvEncoding::Sjis);
        const TCsvFile file = ReadCsvFile(path);
        EXPECT_EQ(file.Encoding, written);
        TCsvGrid back;
        SetRows(back, file.Rows);
        EXPECT_EQ(GetCSV(back), text);
    }
    const std::string seeds[] = {"\xEF\xBB\xBF\"a,b\",\"c\"\"d\"\r\ne,f\n", platform::Utf8ToSjis("醤油,\"a b\"\r\n鶏,1\r\n"),
                                 "crème,\"x\ny\",z"};
    const char bytes[] = {'"', ',', '\r', '\n', ' ', '\0', '\x81', '\xC3', '\xA9', 'a', '\xFF'};
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string data = seeds[round % 3];
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
