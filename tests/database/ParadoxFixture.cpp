#include "ParadoxFixture.h"

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/Codec.h"

namespace {

// pxlib counts days from 0001-01-01 as day 1 (the serial day number 1721426).
constexpr long kSdnOffset = 1721425;

void RecordError(pxdoc_t*, int level, const char* message, void* data) {
    if (level == PX_Warning) return;
    *static_cast<std::string*>(data) = message ? message : "unknown error";
}

bool IsBlobType(int type) {
    return type == pxfMemoBLOb || type == pxfBLOb || type == pxfFmtMemoBLOb || type == pxfOLE || type == pxfGraphic;
}

long PxDays(int year, int month, int day) { return PX_GregorianToSdn(year, month, day) - kSdnOffset; }

void PutLe32(std::string& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

// Owns a pxlib document; closes the memo file and the table on every exit.
class PxWriter {
public:
    PxWriter() : doc_(PX_new3(&RecordError, nullptr, nullptr, nullptr, &error_)) {
        if (!doc_) throw std::runtime_error("pxlib: out of memory");
    }
    ~PxWriter() {
        if (doc_->px_blob) {
            PX_delete_blob(doc_->px_blob);
            doc_->px_blob = nullptr;
        }
        PX_close(doc_);
        PX_delete(doc_);
    }
    PxWriter(const PxWriter&) = delete;
    PxWriter& operator=(const PxWriter&) = delete;

    pxdoc_t* Doc() const { return doc_; }
    [[noreturn]] void Fail(const std::string& what) const { throw std::runtime_error("pxlib: " + what + ": " + error_); }

private:
    std::string error_;
    pxdoc_t* doc_;
};

void PutValue(pxdoc_t* doc, char* data, const PxColumn& column, const PxCell& cell, const PxWriter& writer) {
    if (cell.GetKind() == PxCell::Kind::Null) return;   // a zeroed field is empty
    switch (column.Type) {
    case pxfAlpha: {
        std::string bytes = cell.GetBytes();
        PX_put_data_alpha(doc, data, column.Size, bytes.data());
        return;
    }
    case pxfShort: PX_put_data_short(doc, data, 2, static_cast<short>(cell.GetInteger())); return;
    case pxfLong: PX_put_data_long(doc, data, 4, static_cast<int>(cell.GetInteger())); return;
    case pxfNumber:
    case pxfCurrency: PX_put_data_double(doc, data, 8, cell.GetNumber()); return;
    case pxfLogical: PX_put_data_byte(doc, data, 1, static_cast<char>(cell.GetInteger())); return;
    case pxfDate: {
        const PxDate date = cell.GetDate();
        PX_put_data_long(doc, data, 4, static_cast<int>(PxDays(date.Year, date.Month, date.Day)));
        return;
    }
    case pxfTime: PX_put_data_long(doc, data, 4, static_cast<int>(cell.GetInteger())); return;
    case pxfTimestamp: {
        const PxStamp s = cell.GetStamp();
        const double seconds = static_cast<double>(PxDays(s.Year, s.Month, s.Day)) * 86400.0 + s.Hour * 3600.0 +
                               s.Minute * 60.0 + s.Second;
        PX_put_data_double(doc, data, 8, seconds * 1000.0);
        return;
    }
    default:
        if (IsBlobType(column.Type)) {
            std::string bytes = cell.GetBytes();
            if (column.Type == pxfGraphic) {
                std::string prefix;
                PutLe32(prefix, 0);
                PutLe32(prefix, static_cast<std::uint32_t>(bytes.size()));
                bytes = prefix + bytes;
            }
            if (PX_put_data_blob(doc, data, column.Size, bytes.data(), static_cast<int>(bytes.size())) < 0)
                writer.Fail("cannot write the memo of " + column.Name);
            return;
        }
        throw std::runtime_error("pxlib fixture: unsupported column type of " + column.Name);
    }
}

} // namespace

PxColumn PxColumn::Alpha(std::string name, int size) { return {std::move(name), pxfAlpha, size}; }
PxColumn PxColumn::Short(std::string name) { return {std::move(name), pxfShort, 2}; }
PxColumn PxColumn::Long(std::string name) { return {std::move(name), pxfLong, 4}; }
PxColumn PxColumn::Number(std::string name) { return {std::move(name), pxfNumber, 8}; }
PxColumn PxColumn::Money(std::string name) { return {std::move(name), pxfCurrency, 8}; }
PxColumn PxColumn::Logical(std::string name) { return {std::move(name), pxfLogical, 1}; }
PxColumn PxColumn::Date(std::string name) { return {std::move(name), pxfDate, 4}; }
PxColumn PxColumn::Time(std::string name) { return {std::move(name), pxfTime, 4}; }
PxColumn PxColumn::Stamp(std::string name) { return {std::move(name), pxfTimestamp, 8}; }
PxColumn PxColumn::Memo(std::string name, int size) { return {std::move(name), pxfMemoBLOb, size}; }
PxColumn PxColumn::FmtMemo(std::string name, int size) { return {std::move(name), pxfFmtMemoBLOb, size}; }
PxColumn PxColumn::Blob(std::string name, int size) { return {std::move(name), pxfBLOb, size}; }
PxColumn PxColumn::Graphic(std::string name, int size) { return {std::move(name), pxfGraphic, size}; }

void WriteParadoxTable(const std::string& file, const std::vector<PxColumn>& columns, const std::vector<PxRow>& rows) {
    const std::filesystem::path path(file);
    const std::string memoFile = (path.parent_path() / (path.stem().string() + ".mb")).string();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::filesystem::remove(memoFile, ignored);

    PxWriter writer;
    pxdoc_t* doc = writer.Doc();
    // pxlib takes the field array and its names over and frees them with free().
    auto* fields = static_cast<pxfield_t*>(std::calloc(columns.size(), sizeof(pxfield_t)));
    bool hasBlob = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        fields[i].px_fname = strdup(columns[i].Name.c_str());
        fields[i].px_ftype = static_cast<char>(columns[i].Type);
        fields[i].px_flen = columns[i].Size;
        fields[i].px_fdc = 0;
        hasBlob = hasBlob || IsBlobType(columns[i].Type);
    }
    if (PX_create_file(doc, fields, static_cast<int>(columns.size()), file.c_str(), pxfFileTypNonIndexDB) < 0)
        writer.Fail("cannot create " + file);
    if (hasBlob) {
        pxblob_t* blob = PX_new_blob(doc);
        if (!blob || PX_create_blob_file(blob, memoFile.c_str()) < 0) writer.Fail("cannot create " + memoFile);
    }

    std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(doc)));
    for (const PxRow& row : rows) {
        if (row.size() != columns.size()) throw std::runtime_error("pxlib fixture: row of the wrong width");
        std::fill(record.begin(), record.end(), 0);
        int offset = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            PutValue(doc, record.data() + offset, columns[i], row[i], writer);
            offset += columns[i].Size;
        }
        if (PX_put_record(doc, record.data()) < 0) writer.Fail("cannot write a record of " + file);
    }
}

std::string Sjis(const std::string& utf8) { return platform::Utf8ToSjis(utf8); }

std::string Cp1252(const std::string& utf8) { return platform::Utf8ToCp1252(utf8); }

std::string SamplePicture() {
    std::string bytes = "BM";
    for (int i = 0; bytes.size() < 3000; ++i) bytes += static_cast<char>(i % 251);
    return bytes;
}

std::string SampleLongMemo() {
    std::string memo = "{\\rtf1\\ansi\\ansicpg932 ";
    while (memo.size() < 2600) memo += "\\'8b\\'8d\\'83\\'71\\'83\\'8c ";
    return memo + "}";
}

void WriteOldDatabase(const std::string& folder, const OldDatabaseOptions& options) {
    auto table = [&](const char* name, const std::vector<PxColumn>& columns, const std::vector<PxRow>& rows) {
        WriteParadoxTable(folder + "/" + name, columns, rows);
    };
    const PxCell null = PxCell::Null();
    const PxCell yes = PxCell::Bool(true);
    const PxCell no = PxCell::Bool(false);

    table("Vktdb01.db",
          {PxColumn::Long("ID"), PxColumn::Alpha("TreeID", 21), PxColumn::Number("Type"), PxColumn::Alpha("Name", 50),
           PxColumn::Alpha("Name2", 50), PxColumn::Short("Image")},
          {{1, "200", 0.0, Sjis("データベース"), Cp1252("Données"), 0},
           {2, "20000", 1.0, Sjis("食材"), "Aliment", 2},
           {3, "2000000", 1.0, Sjis("肉類"), "Viandes", 5},
           {4, "20001", 2.0, Sjis("料理"), "Cuisine", 3},
           {5, "20002", 3.0, Sjis("メニュー"), "Menu", 4},
           {6, "201", -1.0, Sjis("ごみ箱"), "Garbage", 1}});
    table("Vktdb02.db",
          {PxColumn::Long("ID"), PxColumn::Short("Kind"), PxColumn::Short("Type"), PxColumn::Alpha("Name", 50),
           PxColumn::Alpha("Name2", 50)},
          {{1, 0, 0, "---", "---"},
           {2, 1, 1, Sjis("グラム"), "g"},
           {3, 1, 1, Sjis("個"), Cp1252("Pièce")},
           {4, 0, 1, Sjis("生鮮"), "Frais"}});
    table("Vktdb03.db",
          {PxColumn::Long("ID"), PxColumn::Logical("Conserve"), PxColumn::Logical("Inventory"), PxColumn::Long("Class"),
           PxColumn::Long("Form"), PxColumn::Alpha("Name", 50), PxColumn::Alpha("Name2", 50), PxColumn::Long("UseUnit"),
           PxColumn::Money("UsePrice"), PxColumn::Stamp("Create"), PxColumn::Stamp("Change")},
          {{1, no, yes, 3, 4, Sjis("牛ヒレ肉"), Cp1252("Filet de bœuf"), 2, 12.5, PxStamp{2001, 4, 1, 9, 30, 0},
            PxStamp{2001, 5, 2, 10, 0, 0}},
           {2, no, no, 4, 1, Sjis("ソース"), "Sauce", 2, 3.25, PxStamp{2001, 4, 2, 8, 0, 0}, null},
           {3, yes, no, 3, 4, Sjis("豚肉"), "Porc", 3, 100.0, PxStamp{2000, 12, 31, 23, 59, 59},
            PxStamp{2001, 1, 1, 0, 0, 0}}});
    std::vector<PxColumn> food{PxColumn::Long("ID"), PxColumn::Long("BuyUnit"), PxColumn::Money("BuyPrice"),
                               PxColumn::Number("Quantity"), PxColumn::Number("Yield"), PxColumn::Long("Dealer")};
    std::vector<PxRow> foodRows{{1, 3, 2500.0, 200.0, 80.0, 2}, {3, 3, 800.0, 1.0, 100.0, 1}};
    if (options.foodWithoutYield) {
        food.erase(food.begin() + 4);
        for (PxRow& row : foodRows) row.erase(row.begin() + 4);
    }
    table("Vktdb04.db", food, foodRows);
    table("Vktdb05.db",
          {PxColumn::Long("ID"), PxColumn::Number("Complete"), PxColumn::Money("TotalPrice"), PxColumn::Money("SalePrice")},
          {{2, 4.0, 50.75, 300.0}});
    table("Vktdb06.db",
          {PxColumn::Long("ID"), PxColumn::Short("Index"), PxColumn::Short("Category"), PxColumn::Short("Number"),
           PxColumn::Long("Item"), PxColumn::Number("Use"), PxColumn::Money("Price"), PxColumn::Number("Unit"),
           PxColumn::Money("UsePrice")},
          {{2, 0, 65, 0, 1, 100.0, 12.5, 2.0, 1250.0}, {2, 1, 67, 0, 3, 2.0, 100.0, 3.0, 200.0}});
    table("Vktdb07.db",
          {PxColumn::Long("ID"), PxColumn::Date("Date"), PxColumn::Long("Unit"), PxColumn::Money("Price")},
          {{1, PxDate{2001, 4, 1}, 2, 12.5}, {1, PxDate{2001, 5, 1}, 2, 13.0}});
    table("Vktdb08.db",
          {PxColumn::Long("ID"), PxColumn::Date("Date"), PxColumn::Long("Unit"), PxColumn::Money("Last"),
           PxColumn::Money("Maximum"), PxColumn::Money("Average"), PxColumn::Money("Minimum")},
          {{1, PxDate{2000, 1, 1}, 2, 12.0, 14.0, 12.75, 11.5}});
    table("Vktdb09.db", {PxColumn::Long("ID"), PxColumn::FmtMemo("Data", 30)},
          {{1, "{\\rtf1 short}"},
           {2, "{\\rtf1\\ansi\\ansicpg932 \\'83\\'81\\'83\\'82 a memo of the memo file}"},
           {3, SampleLongMemo()}});
    table("Vktdb10.db", {PxColumn::Long("ID"), PxColumn::Graphic("Data", 20)}, {{1, SamplePicture()}});
    table("Vktdb11.db",
          {PxColumn::Long("ID"), PxColumn::Alpha("Company", 50), PxColumn::Alpha("Dealer", 20),
           PxColumn::Alpha("PostCode", 8), PxColumn::Alpha("Address", 50), PxColumn::Alpha("Tel", 13),
           PxColumn::Alpha("Tel2", 13), PxColumn::Alpha("Fax", 13)},
          {{1, "---", null, null, null, null, null, null},
           {2, Sjis("築地魚河岸"), Sjis("山田"), "104-0045", Sjis("東京都中央区"), "03-1234-5678", "090-1111-2222",
            "03-1234-5679"}});
    table("Vktdb12.db", {PxColumn::Long("ID"), PxColumn::Alpha("Attribute", 50)},
          {{1, Sjis("国産")}, {2, Sjis("有機")}});
    table("Vktdb13.db", {PxColumn::Long("ID"), PxColumn::Long("Attribute"), PxColumn::Logical("Check")},
          {{1, 1, yes}, {1, 2, no}});
    table("Vktdb14.db",
          {PxColumn::Long("ID"), PxColumn::Date("Date"), PxColumn::Long("Unit"), PxColumn::Money("UsePrice"),
           PxColumn::Number("Remained")},
          {{1, PxDate{2001, 3, 31}, 2, 12.5, 3.0},
           {3, PxDate{2001, 3, 31}, 3, 100.0, 1.5},
           {1, PxDate{2001, 4, 30}, 2, 12.5, 2.0},
           {1, PxDate{2001, 1, 31}, 2, 12.0, 5.0},
           {3, PxDate{1999, 12, 31}, 3, 1.0, 1.0}});
    table("Vktdb15.db", {PxColumn::Date("Date"), PxColumn::Short("PriceType")},
          {{PxDate{2001, 4, 30}, 1}, {PxDate{2001, 1, 31}, 0}, {PxDate{2001, 3, 31}, 2}});
    table("Vktdb16.db", {PxColumn::Long("ID"), PxColumn::Stamp("Date")}, {{3, PxStamp{2001, 6, 1, 12, 0, 0}}});
}
