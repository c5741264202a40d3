// Old-format conversion. The sixteen Paradox tables of an old database folder are loaded into
// tables of the same names and columns in an in-memory database attached to the module's
// connection ("vktold"), then copied into the current tables of the same folder by one
// insert-from-select each (the inventory dates row by row, numbered in the old table's order).
//
// Values as loaded: texts become UTF-8 (the columns that hold a French name, where the program
// stores accented letters, from Windows-1252, every other from code page 932), memos and pictures
// keep their bytes, dates and date-times become the ISO texts of the column they go to, logical
// values 0/1, money and numbers REAL. The old files are only read.
#include "database/Mvktfunctor.h"

#include <string_view>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Paradox.h"
#include "platform/Text.h"

namespace {

using platform::ParadoxType;

constexpr int kOldTableCount = 16;

// A number of two digits or more: "01", "16".
std::string TwoDigits(int number) {
    return (number < 10 ? "0" : "") + platform::IntToStr(number);
}

// "Vktdb01.db" .. "Vktdb16.db" (found regardless of letter case).
std::string OldFileName(int number) { return "Vktdb" + TwoDigits(number) + ".db"; }

// "vktold.vktdb01": the loaded copy of an old table.
std::string OldTable(int number) { return "vktold.vktdb" + TwoDigits(number); }

// The current column an old text, date or memo column is copied into. Columns not listed are
// read by no statement; they are loaded by their own type.
struct OldColumn {
    int Table;
    std::string_view Name;
    TVktField Target;
};

constexpr OldColumn kOldColumns[] = {
    {1, "TreeID", TVktField::TreeID},
    {1, "Name", TVktField::Class},
    {1, "Name2", TVktField::Class2},
    {2, "Name", TVktField::Units},
    {2, "Name2", TVktField::Units2},
    {3, "Name", TVktField::Data},
    {3, "Name2", TVktField::Data2},
    {3, "Create", TVktField::CreateDate},
    {3, "Change", TVktField::ChangeDate},
    {7, "Date", TVktField::MHistoryDate},
    {8, "Date", TVktField::YHistoryDate},
    {9, "Data", TVktField::Memo},
    {10, "Data", TVktField::Image},
    {11, "Company", TVktField::Company},
    {11, "Dealer", TVktField::Dealer},
    {11, "PostCode", TVktField::PostCode},
    {11, "Address", TVktField::Address},
    {11, "Tel", TVktField::Tel},
    {11, "Tel2", TVktField::Tel2},
    {11, "Fax", TVktField::Fax},
    {12, "Attribute", TVktField::Attribute},
    {14, "Date", TVktField::InvDate},   // joined with the inventory dates
    {15, "Date", TVktField::InvDate},
    {16, "Date", TVktField::EraseDate},
};

TVktField OldColumnTarget(int table, std::string_view column) {
    for (const OldColumn& entry : kOldColumns)
        if (entry.Table == table && platform::SameText(entry.Name, column)) return entry.Target;
    return TVktField::None;
}

// Columns where the program stores Western European letters: the French names (Units2 is the
// column behind the French unit names).
bool IsFrenchColumn(TVktField field) {
    return FrenchFields.Contains(field) || field == TVktField::Units2;
}

bool IsTextType(ParadoxType type) {
    return type == ParadoxType::Alpha || type == ParadoxType::Memo || type == ParadoxType::FmtMemo;
}

std::string DeclaredType(ParadoxType type) {
    switch (type) {
    case ParadoxType::Short:
    case ParadoxType::Long:
    case ParadoxType::AutoInc:
    case ParadoxType::Logical: return "INTEGER";
    case ParadoxType::Number:
    case ParadoxType::Currency:
    case ParadoxType::Bcd: return "REAL";
    case ParadoxType::Alpha:
    case ParadoxType::Memo:
    case ParadoxType::Date:
    case ParadoxType::Time:
    case ParadoxType::Timestamp: return "TEXT";
    default: return "BLOB";
    }
}

std::string TimeText(platform::TDateTime value) {
    const platform::TimeParts t = platform::DecodeTime(value);
    return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// The value of one old field as it is loaded; raises ConvertError for bytes the column's code
// page cannot convert.
platform::Variant LoadedValue(const platform::Variant& value, ParadoxType type, TVktField target) {
    if (value.IsNull()) return value;
    const platform::FieldType targetType = target == TVktField::None ? platform::FieldType::Unknown
                                                                     : GetFieldType(target);
    if (value.GetKind() == platform::Variant::Kind::Bytes) {
        const platform::Bytes& bytes = value.AsBytes();
        // Memos and pictures keep their bytes, and so do blobs that no text column receives.
        if (targetType == platform::FieldType::FmtMemo || targetType == platform::FieldType::Graphic ||
            (target == TVktField::None && !IsTextType(type)))
            return value;
        const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (IsFrenchColumn(target)) return platform::Variant(platform::Cp1252ToUtf8(raw));
        if (target == TVktField::None) {
            // Read by no statement: a text the code page cannot convert keeps its bytes.
            try {
                return platform::Variant(platform::SjisToUtf8(raw));
            } catch (const platform::ConvertError&) {
                return value;
            }
        }
        return platform::Variant(platform::SjisToUtf8(raw));
    }
    if (value.GetKind() == platform::Variant::Kind::DateTime) {
        const platform::TDateTime moment = value.AsDateTime();
        if (targetType == platform::FieldType::Date) return platform::Variant(platform::ToIsoDate(moment));
        if (targetType == platform::FieldType::DateTime) return platform::Variant(platform::ToIsoDateTime(moment));
        if (type == ParadoxType::Date) return platform::Variant(platform::ToIsoDate(moment));
        if (type == ParadoxType::Time) return platform::Variant(TimeText(moment));
        return platform::Variant(platform::ToIsoDateTime(moment));
    }
    return value;
}

// Loads old table `number` of the folder into vktold.vktdbNN with the file's columns.
void LoadOldTable(platform::Connection& db, const std::string& folder, int number) {
    const std::string file = platform::FindFileNoCase(folder, OldFileName(number));
    if (file.empty()) throw platform::FileError("Old table " + OldFileName(number) + " missing in " + folder);
    platform::ParadoxTable table(file);
    const std::vector<platform::ParadoxField>& fields = table.GetFields();

    std::vector<TVktField> targets;
    std::string create = "create table " + OldTable(number) + " (";
    std::string insert = "insert into " + OldTable(number) + " values (";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string name = table.GetFieldLabel(i);
        targets.push_back(OldColumnTarget(number, name));
        if (i > 0) {
            create += ", ";
            insert += ", ";
        }
        create += platform::QuoteIdentifier(name) + " " + DeclaredType(fields[i].Type);
        insert += ":P" + platform::IntToStr(static_cast<std::int64_t>(i));
    }
    db.Execute(create + ")");

    platform::Statement statement(db, insert + ")");
    const int count = table.GetRecordCount();
    for (int record = 0; record < count; ++record) {
        const std::vector<platform::Variant> values = table.ReadRecord(record);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            platform::Variant loaded;
            try {
                loaded = LoadedValue(values[i], fields[i].Type, targets[i]);
            } catch (const platform::ConvertError& error) {
                throw platform::ConvertError(file + ", record " + platform::IntToStr(record + 1) + ", field " +
                                             table.GetFieldLabel(i) + ": " + error.what());
            }
            statement.Bind("P" + platform::IntToStr(static_cast<std::int64_t>(i)), loaded);
        }
        statement.Execute();
        statement.Reset();
    }
}

} // namespace

bool TVktFunctor::ConvertOldDatabase() {
    bool result = false;
    try {
        Db().Execute("ATTACH DATABASE ':memory:' AS vktold");
        result = Write(false, [&] {
            for (int number = 1; number <= kOldTableCount; ++number) LoadOldTable(Db(), GetPath(), number);

            auto empty = [&](TVktTable table) { Exec("delete from " + Tbl(table)); };

            // 1. Classes.
            empty(TVktTable::TblClass);
            Exec("insert into " + Tbl(TVktTable::TblClass) +
                 "(Class_ID,TreeID,ClassType,Class,Class2,Icon_Key)"
                 "select ID,TreeID,cast(Type as smallint),Name,Name2,cast(Image as smallint) from " + OldTable(1));
            // 2. Forms and units.
            empty(TVktTable::TblUnits);
            Exec("insert into " + Tbl(TVktTable::TblUnits) +
                 "(Units_ID,UnitsKind,UnitsType,Units,Units2)"
                 "select ID,cast(Kind as boolean),cast(Type as smallint),Name,Name2 from " + OldTable(2));
            // 3. Dealers.
            empty(TVktTable::TblDealer);
            Exec("insert into " + Tbl(TVktTable::TblDealer) +
                 "(Dealer_ID,Company,Dealer,PostCode,Address,Tel,Tel2,Fax)"
                 "select ID,Company,Dealer,PostCode,Address,Tel,Tel2,Fax from " + OldTable(11));
            // 4. Attribute items.
            empty(TVktTable::TblAttrItem);
            Exec("insert into " + Tbl(TVktTable::TblAttrItem) + "(AttrItem_ID,Attribute)select ID,Attribute from " +
                 OldTable(12));
            // 5. Inventory dates, numbered 1, 2, ... in the old table's order.
            empty(TVktTable::TblInvDate);
            {
                platform::Statement dates = Prepare("select \"Date\", PriceType from " + OldTable(15) + " order by rowid");
                const std::string insert = "insert into " + Tbl(TVktTable::TblInvDate) +
                                           "(InvDate_ID,InvDate,InvType)values ( :ID, :Date, :Type )";
                int position = 0;
                while (dates.Step()) {
                    ++position;
                    Exec(insert, {{"ID", position},
                                  {"Date", dates.GetVariant(0, platform::FieldType::Unknown)},
                                  {"Type", dates.GetVariant(1, platform::FieldType::Unknown)}});
                }
            }
            // 6. Records.
            empty(TVktTable::TblData);
            Exec("insert into " + Tbl(TVktTable::TblData) +
                 "(Data_ID,Conserve,InvItem,Class_Key,Form_Key,Data,Data2,UseUnit_Key,UsePrice,CreateDate,ChangeDate)"
                 "select ID,Conserve,Inventory,Class,Form,Name,Name2,UseUnit,UsePrice,tbl.\"Create\",tbl.\"Change\" from " +
                 OldTable(3) + " tbl");
            // 7. Trash.
            empty(TVktTable::TblErase);
            Exec("insert into " + Tbl(TVktTable::TblErase) + "(Erase_Key,EraseDate)select ID,tbl.\"Date\" from " +
                 OldTable(16) + " tbl");
            // 8. Memos.
            empty(TVktTable::TblMemo);
            Exec("insert into " + Tbl(TVktTable::TblMemo) + "(Memo_Key,Memo)select ID,Data from " + OldTable(9));
            // 9. Images.
            empty(TVktTable::TblImage);
            Exec("insert into " + Tbl(TVktTable::TblImage) + "(Image_Key,Image)select ID,Data from " + OldTable(10));
            // 10. Attribute checks.
            empty(TVktTable::TblAttribute);
            Exec("insert into " + Tbl(TVktTable::TblAttribute) +
                 "(Attribute_Key,AttrItem_Key,AttrCheck)select ID,Attribute,tbl.\"Check\" from " + OldTable(13) + " tbl");
            // 11. Ingredient prices.
            empty(TVktTable::TblFood);
            Exec("insert into " + Tbl(TVktTable::TblFood) +
                 "(Food_Key,BuyUnit_Key,BuyPrice,Quantity,Yield,Dealer_Key)"
                 "select ID,BuyUnit,BuyPrice,Quantity,Yield,Dealer from " + OldTable(4));
            // 12. Monthly prices.
            empty(TVktTable::TblMHistory);
            Exec("insert into " + Tbl(TVktTable::TblMHistory) +
                 "(MHistory_Key,MHistoryDate,MHistoryUnit_Key,MHistoryPrice)"
                 "select ID,tbl.\"Date\",Unit,Price from " + OldTable(7) + " tbl");
            // 13. Yearly summaries.
            empty(TVktTable::TblYHistory);
            Exec("insert into " + Tbl(TVktTable::TblYHistory) +
                 "(YHistory_Key,YHistoryDate,YHistoryUnit_Key,YHLastPrice,YHMaxPrice,YHAvePrice,YHMinPrice)"
                 "select ID,tbl.\"Date\",Unit,Last,Maximum,Average,Minimum from " + OldTable(8) + " tbl");
            // 14. Recipe and menu totals.
            empty(TVktTable::TblCook);
            Exec("insert into " + Tbl(TVktTable::TblCook) +
                 "(Cook_Key,Complete,TotalPrice,SalePrice)select ID,Complete,TotalPrice,SalePrice from " + OldTable(5));
            // 15. Recipe items; the old category is a character code, 65 for the first.
            empty(TVktTable::TblItem);
            Exec("insert into " + Tbl(TVktTable::TblItem) +
                 "(Item_Key,ItemIndex,Category,CatIndex,Data_Key,ItemUse,ItemPrice,ItemUnit_Key,ItemUsePrice)"
                 "select ID,tbl.\"Index\",Category - 64,Number,Item,Use,Price,cast(Unit as integer),UsePrice from " +
                 OldTable(6) + " tbl");
            // 16. Inventory entries, each joined to the inventory date of its date (entries of
            //     other dates are dropped).
            empty(TVktTable::TblInventory);
            Exec("insert into " + Tbl(TVktTable::TblInventory) +
                 "(Inventory_Key,InvDate_Key,InvUnit_Key,InvPrice,Remained)"
                 "select inv.ID,InvDate_ID,inv.Unit,inv.UsePrice,inv.Remained from " + OldTable(14) + " inv, " +
                 Tbl(TVktTable::TblInvDate) + " list where list.InvDate=inv.\"Date\"");
            return true;
        });
    } catch (const std::exception&) {
        result = false;
    }
    Deactivate();
    return result;
}
