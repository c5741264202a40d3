#pragma once
// Writes small Paradox tables with pxlib's own writer, for the tests of the old-format reader and
// the conversion; and a whole old-format database folder of a few classes, units, records, items,
// inventory dates and entries, memos and a picture.
//
// Texts are written as the bytes given (code page 932 or Windows-1252, as the old program stored
// them). Memo, blob and graphic values longer than the field's in-record part go to the memo file
// (same name, ".mb"), which pxlib writes in blocks of type 3 (up to 2048 bytes) or type 2. pxlib's
// writer stores graphics like blobs; the 8-byte prefix a graphic value carries is added here.
#include <cstdint>
#include <string>
#include <vector>

// One column: a Paradox field type code (pxfAlpha ...) and its size in the record.
struct PxColumn {
    std::string Name;
    int Type;
    int Size;

    static PxColumn Alpha(std::string name, int size);
    static PxColumn Short(std::string name);
    static PxColumn Long(std::string name);
    static PxColumn Number(std::string name);
    static PxColumn Money(std::string name);
    static PxColumn Logical(std::string name);
    static PxColumn Date(std::string name);
    static PxColumn Time(std::string name);
    static PxColumn Stamp(std::string name);
    // Memo-like fields: `size` bytes in the record, of which the last 10 describe the value.
    static PxColumn Memo(std::string name, int size);
    static PxColumn FmtMemo(std::string name, int size);
    static PxColumn Blob(std::string name, int size);
    static PxColumn Graphic(std::string name, int size);
};

struct PxDate {
    int Year, Month, Day;
};

struct PxStamp {
    int Year, Month, Day, Hour, Minute, Second;
};

// One value: empty (NULL), an integer, a number, a logical value, bytes, a date, a time of day
// (milliseconds since midnight) or a timestamp. Which one a column takes follows its type.
class PxCell {
public:
    PxCell() = default;
    PxCell(int value) : kind_(Kind::Integer), integer_(value) {}
    PxCell(double value) : kind_(Kind::Number), number_(value) {}
    PxCell(const char* bytes) : kind_(Kind::Bytes), bytes_(bytes) {}
    PxCell(std::string bytes) : kind_(Kind::Bytes), bytes_(std::move(bytes)) {}
    PxCell(PxDate date) : kind_(Kind::Date), date_(date) {}
    PxCell(PxStamp stamp) : kind_(Kind::Stamp), stamp_(stamp) {}
    static PxCell Null() { return PxCell(); }
    static PxCell Bool(bool value) {
        PxCell cell;
        cell.kind_ = Kind::Logical;
        cell.integer_ = value ? 1 : 0;
        return cell;
    }

    enum class Kind { Null, Integer, Number, Logical, Bytes, Date, Stamp };
    Kind GetKind() const { return kind_; }
    std::int64_t GetInteger() const { return integer_; }
    double GetNumber() const { return kind_ == Kind::Integer ? static_cast<double>(integer_) : number_; }
    const std::string& GetBytes() const { return bytes_; }
    PxDate GetDate() const { return date_; }
    PxStamp GetStamp() const { return stamp_; }

private:
    Kind kind_ = Kind::Null;
    std::int64_t integer_ = 0;
    double number_ = 0;
    std::string bytes_;
    PxDate date_{};
    PxStamp stamp_{};
};

using PxRow = std::vector<PxCell>;

// Creates (replaces) the table file with the columns and rows; raises std::runtime_error when
// pxlib fails.
void WriteParadoxTable(const std::string& file, const std::vector<PxColumn>& columns, const std::vector<PxRow>& rows);

// Bytes of the sample texts: code page 932 and Windows-1252.
std::string Sjis(const std::string& utf8);
std::string Cp1252(const std::string& utf8);

// The sample picture of the old database (3000 bytes, more than one memo-file block of type 3).
std::string SamplePicture();
// The sample long memo (more than 2048 bytes: a block of type 2).
std::string SampleLongMemo();

// What the sample old database may lack, to make its conversion fail part way.
struct OldDatabaseOptions {
    bool foodWithoutYield = false;   // "vktdb04" without its Yield column
};

// Writes the sixteen tables "Vktdb01.db" .. "Vktdb16.db" (and their memo files) of the sample
// old database into the folder. Content (old table: rows):
//   01 classes   1 "200" root "データベース"/"Données", 2 "20000" "食材"/"Aliment",
//                3 "2000000" "肉類"/"Viandes", 4 "20001" "料理"/"Cuisine", 5 "20002" "メニュー"/"Menu",
//                6 "201" trash "ごみ箱"/"Garbage"; Type is a number, Image a short
//   02 units     1 form "---", 2 unit "グラム"/"g", 3 unit "個"/"Pièce", 4 form "生鮮"/"Frais"
//   03 records   1 "牛ヒレ肉"/"Filet de bœuf" (class 3, inventory), 2 "ソース"/"Sauce" (class 4),
//                3 "豚肉"/"Porc" (class 3, conserved)
//   04 prices    1 and 3;  05 totals 2;  06 items of 2 with categories 65 and 67
//   07/08 monthly and yearly history of 1;  09 memos 1 (in the record), 2 (type 3), 3 (type 2)
//   10 image of 1;  11 dealers 1 "---", 2 "築地魚河岸";  12 items "国産", "有機";  13 checks of 1
//   14 inventory entries of 2001-03-31, 2001-04-30, 2001-01-31 and 1999-12-31 (no such date)
//   15 inventory dates 2001-04-30 (1), 2001-01-31 (0), 2001-03-31 (2), in that order
//   16 trash: record 3 on 2001-06-01 12:00:00
void WriteOldDatabase(const std::string& folder, const OldDatabaseOptions& options = {});
