// The Paradox reader and the conversion of an old-format database folder.
#include "DbFixture.h"
#include "ParadoxFixture.h"

#include <filesystem>
#include <map>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Paradox.h"

namespace {

using platform::Variant;

std::string BytesText(const Variant& value) {
    const platform::Bytes& bytes = value.AsBytes();
    return std::string(bytes.begin(), bytes.end());
}

// The bytes of every file of a folder, by name.
std::map<std::string, std::string> FolderBytes(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().filename().string()] = platform::ReadFileBytes(entry.path().string());
    return files;
}

// ---- The reader ------------------------------------------------------------------------------------

class ParadoxTableTest : public DbFixture {
protected:
    std::string File(const std::string& name) { return folder + "/" + name; }
};

TEST_F(ParadoxTableTest, ReadsEveryScalarKind) {
    WriteParadoxTable(File("scalars.db"),
                      {PxColumn::Alpha("Name", 10), PxColumn::Short("Small"), PxColumn::Long("Big"),
                       PxColumn::Number("Ratio"), PxColumn::Money("Price"), PxColumn::Logical("Flag"),
                       PxColumn::Date("Day"), PxColumn::Time("Clock"), PxColumn::Stamp("Moment")},
                      {{Sjis("牛肉"), -5, 123456, 0.25, -12.5, PxCell::Bool(true), PxDate{2001, 2, 28}, 37230000,
                        PxStamp{2024, 3, 15, 10, 20, 30}},
                       {PxCell::Null(), 0, PxCell::Null(), PxCell::Null(), 0.0, PxCell::Bool(false), PxCell::Null(),
                        PxCell::Null(), PxCell::Null()},
                       {"x", 32767, -123456, -0.5, 1e9, PxCell::Bool(true), PxDate{1850, 7, 14}, 0,
                        PxStamp{1, 1, 1, 0, 0, 0}}});

    platform::ParadoxTable table(File("scalars.db"));
    ASSERT_EQ(table.GetRecordCount(), 3);
    ASSERT_EQ(table.GetFields().size(), 9u);
    EXPECT_EQ(table.GetFields()[0].Name, "Name");
    EXPECT_EQ(table.GetFields()[0].Type, platform::ParadoxType::Alpha);
    EXPECT_EQ(table.GetFields()[0].Size, 10);
    EXPECT_EQ(table.GetFields()[8].Type, platform::ParadoxType::Timestamp);

    const std::vector<Variant> first = table.ReadRecord(0);
    EXPECT_EQ(BytesText(first[0]), Sjis("牛肉"));   // raw bytes, no trailing zeros
    EXPECT_EQ(first[1].AsInt64(), -5);
    EXPECT_EQ(first[2].AsInt64(), 123456);
    EXPECT_EQ(first[3].AsDouble(), 0.25);
    EXPECT_EQ(first[4].AsDouble(), -12.5);
    EXPECT_EQ(first[5].GetKind(), Variant::Kind::Boolean);
    EXPECT_TRUE(first[5].AsBool());
    EXPECT_EQ(platform::ToIsoDate(first[6].AsDateTime()), "2001-02-28");
    EXPECT_EQ(first[6].AsDateTime(), platform::EncodeDate(2001, 2, 28));
    EXPECT_EQ(platform::ToIsoDateTime(first[7].AsDateTime()), "1899-12-30 10:20:30");
    EXPECT_EQ(platform::ToIsoDateTime(first[8].AsDateTime()), "2024-03-15 10:20:30");

    // Paradox keeps an empty field apart from zero and false.
    const std::vector<Variant> second = table.ReadRecord(1);
    EXPECT_TRUE(second[0].IsNull());
    EXPECT_EQ(second[1].AsInt64(), 0);
    EXPECT_TRUE(second[2].IsNull());
    EXPECT_TRUE(second[3].IsNull());
    EXPECT_EQ(second[4].AsDouble(), 0.0);
    EXPECT_FALSE(second[5].AsBool());
    EXPECT_FALSE(second[5].IsNull());
    EXPECT_TRUE(second[6].IsNull());
    EXPECT_TRUE(second[8].IsNull());

    EXPECT_TRUE(second[7].IsNull());

    // Signs, limits and dates far from the date-time type's origin.
    const std::vector<Variant> third = table.ReadRecord(2);
    EXPECT_EQ(third[1].AsInt64(), 32767);
    EXPECT_EQ(third[2].AsInt64(), -123456);
    EXPECT_EQ(third[3].AsDouble(), -0.5);
    EXPECT_EQ(third[4].AsDouble(), 1e9);
    EXPECT_EQ(platform::ToIsoDate(third[6].AsDateTime()), "1850-07-14");
    EXPECT_FALSE(third[7].IsNull());   // midnight is a time, not an empty field
    EXPECT_EQ(third[7].AsDateTime(), 0.0);
    EXPECT_EQ(platform::ToIsoDateTime(third[8].AsDateTime()), "0001-01-01 00:00:00");

    EXPECT_THROW(table.ReadRecord(3), platform::FileError);
    EXPECT_THROW(table.ReadRecord(-1), platform::FileError);
}

TEST_F(ParadoxTableTest, ReadsMemosFromTheRecordAndBothKindsOfMemoBlock) {
    const std::string middle(100, 'm');   // a sub-allocated block (type 3)
    const std::string big(2500, 'b');     // a block of its own (type 2)
    WriteParadoxTable(File("memos.db"), {PxColumn::Long("ID"), PxColumn::Memo("Text", 20), PxColumn::Graphic("Pic", 20)},
                      {{1, "short", PxCell::Null()},
                       {2, middle, SamplePicture()},
                       {3, big, "tiny"},
                       {4, PxCell::Null(), PxCell::Null()}});

    platform::ParadoxTable table(File("memos.db"));
    ASSERT_EQ(table.GetRecordCount(), 4);
    EXPECT_EQ(BytesText(table.ReadRecord(0)[1]), "short");
    EXPECT_TRUE(table.ReadRecord(0)[2].IsNull());
    EXPECT_EQ(BytesText(table.ReadRecord(1)[1]), middle);
    EXPECT_EQ(BytesText(table.ReadRecord(1)[2]), SamplePicture());   // without the graphic prefix
    EXPECT_EQ(BytesText(table.ReadRecord(2)[1]), big);
    EXPECT_EQ(BytesText(table.ReadRecord(2)[2]), "tiny");
    EXPECT_TRUE(table.ReadRecord(3)[1].IsNull());
}

TEST_F(ParadoxTableTest, MemoFileIsFoundRegardlessOfCaseAndItsLossIsAnError) {
    WriteParadoxTable(File("notes.db"), {PxColumn::Long("ID"), PxColumn::Memo("Text", 30)},
                      {{1, "in the record"}, {2, std::string(300, 'x')}});
    std::filesystem::rename(File("notes.mb"), File("NOTES.MB"));
    {
        platform::ParadoxTable table(File("notes.db"));
        EXPECT_EQ(BytesText(table.ReadRecord(1)[1]), std::string(300, 'x'));
    }
    std::filesystem::remove(File("NOTES.MB"));
    platform::ParadoxTable table(File("notes.db"));
    EXPECT_EQ(BytesText(table.ReadRecord(0)[1]), "in the record");   // needs no memo file
    EXPECT_THROW(table.ReadRecord(1), platform::FileError);
}

// A damaged descriptor claiming a value of 4 GB fails without allocating it.
TEST_F(ParadoxTableTest, AMemoLengthBeyondTheMemoFileIsAnError) {
    const std::string big(2500, 'b');   // a block of type 2
    WriteParadoxTable(File("long.db"), {PxColumn::Long("ID"), PxColumn::Memo("Text", 20)}, {{1, big}});
    std::string table = platform::ReadFileBytes(File("long.db"));
    std::string memo = platform::ReadFileBytes(File("long.mb"));
    const std::size_t leader = table.find(std::string(10, 'b'));
    ASSERT_NE(leader, std::string::npos);
    const auto byteAt = [](const std::string& bytes, std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]));
    };
    const std::size_t block = byteAt(table, leader + 11) << 8 | byteAt(table, leader + 12) << 16 |
                              byteAt(table, leader + 13) << 24;
    ASSERT_EQ(memo[block], 2);
    const std::string huge("\xf0\xff\xff\xff", 4);
    table.replace(leader + 14, 4, huge);   // the record's length
    memo.replace(block + 3, 4, huge);      // the block's length
    platform::WriteFileAtomic(File("long.db"), table);
    platform::WriteFileAtomic(File("long.mb"), memo);

    platform::ParadoxTable damaged(File("long.db"));
    EXPECT_THROW(damaged.ReadRecord(0), platform::FileError);
}

// Moves `count` bytes of declared length from field `from` to field `to` in a table file's header
// (field descriptors of type and size from 0x78); the record size stays what the lengths add up to.
void MoveFieldLength(const std::string& file, int from, int to, int count) {
    std::string bytes = platform::ReadFileBytes(file);
    bytes[0x78 + 2 * from + 1] = static_cast<char>(static_cast<unsigned char>(bytes[0x78 + 2 * from + 1]) - count);
    bytes[0x78 + 2 * to + 1] = static_cast<char>(static_cast<unsigned char>(bytes[0x78 + 2 * to + 1]) + count);
    platform::WriteFileAtomic(file, bytes);
}

// A field declared shorter than its type, last in the record, would be read past the record. The
// message names the field, or gives its position when it has no name.
TEST_F(ParadoxTableTest, AFieldDeclaredTooShortForItsTypeMakesTheTableDamaged) {
    using platform::ParadoxType;
    struct Case {
        ParadoxType type;
        int size, shortSize;
    };
    const Case cases[] = {
        {ParadoxType::Alpha, 10, 0},    {ParadoxType::Date, 4, 2},      {ParadoxType::Short, 2, 1},
        {ParadoxType::Long, 4, 2},      {ParadoxType::Currency, 8, 4},  {ParadoxType::Number, 8, 7},
        {ParadoxType::Logical, 1, 0},   {ParadoxType::Memo, 20, 9},     {ParadoxType::Blob, 20, 9},
        {ParadoxType::FmtMemo, 20, 9},  {ParadoxType::Ole, 20, 9},      {ParadoxType::Graphic, 20, 9},
        {ParadoxType::Time, 4, 3},      {ParadoxType::Timestamp, 8, 6}, {ParadoxType::AutoInc, 4, 2},
        {ParadoxType::Bcd, 17, 8},      {ParadoxType::Bytes, 10, 0},
    };
    bool named = false;
    for (const Case& c : cases) {
        const int code = static_cast<int>(c.type);
        SCOPED_TRACE("type " + std::to_string(code));
        const std::string file = File("short" + std::to_string(code) + ".db");
        named = !named;
        WriteParadoxTable(file, {PxColumn::Alpha("Pad", 30), PxColumn{named ? "Value" : "", code, c.size}},
                          {{"padding", PxCell::Null()}});
        {
            platform::ParadoxTable sound(file);
            EXPECT_EQ(sound.ReadRecord(0)[0].AsBytes().size(), 7u);
        }
        MoveFieldLength(file, 1, 0, c.size - c.shortSize);
        try {
            platform::ParadoxTable table(file);
            table.ReadRecord(0);
            ADD_FAILURE() << "a field too short for its type was read";
        } catch (const platform::FileError& error) {
            // pxlib takes a BCD field's length from its type: the pad's longer length overruns the record.
            const std::string expected =
                c.type == ParadoxType::Bcd
                    ? "damaged (fields exceed the record size)"
                    : "damaged (field " + std::string(named ? "Value" : "#2") + " of type " + std::to_string(code) +
                          " declared " + std::to_string(c.shortSize) + " bytes long)";
            EXPECT_NE(error.Message().find(expected), std::string::npos) << error.Message();
        }
    }
}

TEST_F(ParadoxTableTest, RefusesMissingFilesAndOtherFiles) {
    EXPECT_THROW(platform::ParadoxTable(File("absent.db")), platform::FileError);
    platform::WriteFileAtomic(File("text.db"), std::string(4096, 'x'));
    EXPECT_THROW(platform::ParadoxTable(File("text.db")), platform::FileError);
}

// ---- The conversion ---------------------------------------------------------------------------------

class ConvertTest : public DbFixture {
protected:
    // The registry's order: the current tables exist (the fixture made them), then the defaults,
    // then the conversion on the same module.
    bool Convert() {
        EXPECT_TRUE(functor.CreateDefaultData());
        return functor.ConvertOldDatabase();
    }
    std::string Row(const std::string& sql) {
        platform::Statement statement(Db(), sql);
        if (!statement.Step()) return "<none>";
        std::string text;
        for (int i = 0; i < statement.ColumnCount(); ++i) {
            if (i > 0) text += "|";
            text += statement.IsNull(i) ? "NULL" : statement.GetText(i);
        }
        return text;
    }
    std::vector<std::string> Rows(const std::string& sql) {
        platform::Statement statement(Db(), sql);
        std::vector<std::string> rows;
        while (statement.Step()) {
            std::string text;
            for (int i = 0; i < statement.ColumnCount(); ++i) {
                if (i > 0) text += "|";
                text += statement.IsNull(i) ? "NULL" : statement.GetText(i);
            }
            rows.push_back(text);
        }
        return rows;
    }
};

TEST_F(ConvertTest, CopiesEveryOldTableIntoTheCurrentOnes) {
    WriteOldDatabase(folder);
    ASSERT_TRUE(Convert());

    EXPECT_EQ(Rows("select Class_ID, TreeID, ClassType, Class, Class2, Icon_Key, typeof(ClassType) from VktDB1A "
                   "order by Class_ID"),
              (std::vector<std::string>{"1|200|0|データベース|Données|0|integer", "2|20000|1|食材|Aliment|2|integer",
                                        "3|2000000|1|肉類|Viandes|5|integer", "4|20001|2|料理|Cuisine|3|integer",
                                        "5|20002|3|メニュー|Menu|4|integer", "6|201|-1|ごみ箱|Garbage|1|integer"}));
    EXPECT_EQ(Rows("select * from VktDB1B order by Units_ID"),
              (std::vector<std::string>{"1|0|0|---|---", "2|1|1|グラム|g", "3|1|1|個|Pièce", "4|0|1|生鮮|Frais"}));
    EXPECT_EQ(Rows("select * from VktDB1C order by Dealer_ID"),
              (std::vector<std::string>{"1|---|NULL|NULL|NULL|NULL|NULL|NULL|NULL",
                                        "2|築地魚河岸|山田|104-0045|東京都中央区|03-1234-5678|090-1111-2222|03-1234-5679|NULL"}));
    EXPECT_EQ(Rows("select * from VktDB1D order by AttrItem_ID"), (std::vector<std::string>{"1|国産", "2|有機"}));
    EXPECT_EQ(Rows("select * from VktDB1F order by Data_ID"),
              (std::vector<std::string>{
                  "1|0|1|3|4|牛ヒレ肉|Filet de bœuf|2|12.5|2001-04-01 09:30:00|2001-05-02 10:00:00",
                  "2|0|0|4|1|ソース|Sauce|2|3.25|2001-04-02 08:00:00|NULL",
                  "3|1|0|3|4|豚肉|Porc|3|100.0|2000-12-31 23:59:59|2001-01-01 00:00:00"}));
    EXPECT_EQ(Rows("select * from VktDB1G"), (std::vector<std::string>{"3|2001-06-01 12:00:00"}));
    EXPECT_EQ(Rows("select Memo_Key, typeof(Memo) from VktDB1H order by Memo_Key"),
              (std::vector<std::string>{"1|blob", "2|blob", "3|blob"}));
    EXPECT_EQ(Text("select Memo from VktDB1H where Memo_Key = 1"), "{\\rtf1 short}");
    EXPECT_EQ(Text("select Memo from VktDB1H where Memo_Key = 2"),
              "{\\rtf1\\ansi\\ansicpg932 \\'83\\'81\\'83\\'82 a memo of the memo file}");
    EXPECT_EQ(Text("select Memo from VktDB1H where Memo_Key = 3"), SampleLongMemo());
    {
        platform::Statement image(Db(), "select Image_Key, Image from VktDB1I");
        ASSERT_TRUE(image.Step());
        EXPECT_EQ(image.GetInt(0), 1);
        const platform::Bytes bytes = image.GetBlob(1);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), SamplePicture());
        EXPECT_FALSE(image.Step());
    }
    EXPECT_EQ(Rows("select * from VktDB1J order by AttrItem_Key"), (std::vector<std::string>{"1|1|1", "1|2|0"}));
    EXPECT_EQ(Rows("select * from VktDB1K order by Food_Key"),
              (std::vector<std::string>{"1|3|2500.0|200.0|80.0|2", "3|3|800.0|1.0|100.0|1"}));
    EXPECT_EQ(Rows("select * from VktDB1L order by MHistoryDate"),
              (std::vector<std::string>{"1|2001-04-01|2|12.5", "1|2001-05-01|2|13.0"}));
    EXPECT_EQ(Rows("select * from VktDB1M"), (std::vector<std::string>{"1|2000-01-01|2|12.0|14.0|12.75|11.5"}));
    EXPECT_EQ(Rows("select * from VktDB1N"), (std::vector<std::string>{"2|4.0|50.75|300.0"}));
    EXPECT_EQ(Rows("select *, typeof(ItemUnit_Key) from VktDB1O order by ItemIndex"),
              (std::vector<std::string>{"2|0|1|0|1|100.0|12.5|2|1250.0|integer", "2|1|3|0|3|2.0|100.0|3|200.0|integer"}));
}

TEST_F(ConvertTest, InventoryDatesAreNumberedInTheOldOrderAndEntriesJoinThem) {
    WriteOldDatabase(folder);
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Rows("select * from VktDB1E order by InvDate_ID"),
              (std::vector<std::string>{"1|2001-04-30|1", "2|2001-01-31|0", "3|2001-03-31|2"}));
    // The entry of 1999-12-31 has no inventory date and is dropped.
    EXPECT_EQ(Rows("select * from VktDB1Q order by InvDate_Key, Inventory_Key"),
              (std::vector<std::string>{"1|1|2|12.5|2.0", "1|2|2|12.0|5.0", "1|3|2|12.5|3.0", "3|3|3|100.0|1.5"}));
}

TEST_F(ConvertTest, KeepsTheNewSettingsAndLeavesTheOldFilesAsTheyWere) {
    WriteOldDatabase(folder);
    // The database file and its journal are the conversion's; the old files must not change.
    auto oldFiles = [&] {
        std::map<std::string, std::string> files = FolderBytes(folder);
        std::erase_if(files, [](const auto& file) { return file.first.rfind("vektara.db", 0) == 0; });
        return files;
    };
    const std::map<std::string, std::string> before = oldFiles();
    ASSERT_EQ(before.size(), 18u);   // sixteen tables and the memo files of 09 and 10
    ASSERT_TRUE(Convert());
    EXPECT_EQ(oldFiles(), before);

    EXPECT_EQ(Count(TVktTable::TblInformation), 0);
    EXPECT_EQ(Int("select count(*) from VktDB1R where Initial_ID between 1 and 7"), 7);
    EXPECT_EQ(Text("select Initial from VktDB1R where Initial_ID = 3"), "<FilterSet/>");
    EXPECT_FALSE(Text("select Initial from VktDB1R where Initial_ID = 1").empty());
    // The loaded copies of the old tables lived only for the conversion.
    EXPECT_FALSE(Db().TableExists("vktdb01"));
}

TEST_F(ConvertTest, AFailingStatementConvertsNothing) {
    WriteOldDatabase(folder, {.foodWithoutYield = true});
    EXPECT_FALSE(Convert());
    // Everything the conversion wrote is rolled back: the defaults stay whole.
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
    EXPECT_EQ(Count(TVktTable::TblUnits), 24);
    EXPECT_EQ(Text("select Company from VktDB1C"), "---");
    EXPECT_EQ(Count(TVktTable::TblData), 0);
    EXPECT_EQ(Count(TVktTable::TblInvDate), 0);
    EXPECT_EQ(Count(TVktTable::TblMemo), 0);
    EXPECT_EQ(Count(TVktTable::TblAttribute), 0);
}

TEST_F(ConvertTest, FailsOnAMissingTableAndOnTextItsCodePageCannotRead) {
    WriteOldDatabase(folder);
    std::filesystem::remove(folder + "/Vktdb13.db");
    EXPECT_FALSE(Convert());
    EXPECT_EQ(Count(TVktTable::TblClass), 47);

    WriteOldDatabase(folder);
    // A lone lead byte of code page 932 in a name that is read.
    WriteParadoxTable(folder + "/Vktdb12.db", {PxColumn::Long("ID"), PxColumn::Alpha("Attribute", 50)},
                      {{1, "\x81"}});
    EXPECT_FALSE(Convert());
    EXPECT_EQ(Count(TVktTable::TblAttrItem), 0);
}

TEST_F(ConvertTest, FailsOnAnOldTableWithAFieldTooShortForItsType) {
    WriteOldDatabase(folder);
    MoveFieldLength(folder + "/Vktdb16.db", 1, 0, 2);   // the trash date, a timestamp, of 6 bytes
    EXPECT_FALSE(Convert());
    EXPECT_EQ(Count(TVktTable::TblErase), 0);
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
}

TEST_F(ConvertTest, ColumnsNoStatementReadsDoNotStopTheConversion) {
    WriteOldDatabase(folder);
    // An extra column whose bytes are no code page 932 text, and old table names in capitals.
    WriteParadoxTable(folder + "/VKTDB12.DB",
                      {PxColumn::Long("ID"), PxColumn::Alpha("Attribute", 50), PxColumn::Alpha("Note", 10)},
                      {{1, Sjis("国産"), "\x81"}});
    std::filesystem::remove(folder + "/Vktdb12.db");
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Rows("select * from VktDB1D"), (std::vector<std::string>{"1|国産"}));
}

} // namespace
