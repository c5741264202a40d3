#include "database/Mvktxml.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/Treeindex.h"
#include "core/Uvktsupport.h"
#include "data/Vkttabledefine.h"
#include "database/Mvktfunctor.h"
#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/Text.h"
#include "platform/Variant.h"

namespace {

using F = TVktField;
using T = TVktTable;
using platform::FieldType;
using platform::Statement;
using platform::XmlNode;

const std::string kValue = "Value";
const std::string kTrue = "True";
const std::string kFalse = "False";

// Classes deeper than this bring their parent into the class list.
constexpr int kExportedAncestorDepth = 3;

// Keys in the order of their first reference, each once.
class TKeyList {
public:
    void Add(int key) {
        if (seen_.insert(key).second) keys_.push_back(key);
    }
    int GetCount() const { return static_cast<int>(keys_.size()); }
    int GetItem(int index) const { return keys_[static_cast<std::size_t>(index)]; }

private:
    std::vector<int> keys_;
    std::unordered_set<int> seen_;
};

// Column names of the fields, as attribute and element names.
const std::string& FieldName(F field) {
    static const std::array<std::string, VktFieldCount> names = [] {
        std::array<std::string, VktFieldCount> all;
        for (int i = 0; i < VktFieldCount; ++i) all[static_cast<std::size_t>(i)] = GetFieldName(ToVktField(i));
        return all;
    }();
    return names[static_cast<std::size_t>(ToInt(field))];
}
std::string Table(T table) { return GetTableFileName(table); }
// Column reference qualified by its table: "VktDB1F.Data_ID".
std::string Qualified(F field) { return Table(GetFieldTable(field)) + "." + FieldName(field); }

// Appends an attribute to an element being built. Every name is written once per element, so the
// facade's replace-by-name lookup is skipped.
void AddAttribute(XmlNode node, const std::string& name, const std::string& value) {
    pugi::xml_attribute attribute = node.Handle().append_attribute(name.c_str());
    if (!attribute || !attribute.set_value(value.c_str()))
        throw platform::Error("Cannot set the attribute '" + name + "'");
}

// ---- Text forms of column values ---------------------------------------------------------------

bool IsXmlChar(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp < 0xD800) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The text with every character XML 1.0 cannot carry replaced: a control character by a space,
// a malformed byte or a non-character by U+FFFD. Well-formed text comes back unchanged.
std::string XmlSafe(std::string text) {
    // Checks first: nearly every text passes and is returned without a copy.
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x20 && byte < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        char32_t cp = 0;
        try {
            cp = platform::NextCodePoint(text, pos);
        } catch (const platform::ConvertError&) {
            pos = start;
            break;
        }
        if (!IsXmlChar(cp)) {
            pos = start;
            break;
        }
    }
    if (pos == text.size()) return text;

    std::string out = text.substr(0, pos);
    out.reserve(text.size());
    while (pos < text.size()) {
        const std::size_t start = pos;
        char32_t cp = 0;
        try {
            cp = platform::NextCodePoint(text, pos);
        } catch (const platform::ConvertError&) {
            pos = start + 1;
            cp = 0xFFFD;
        }
        if (!IsXmlChar(cp)) cp = cp < 0x20 ? U' ' : 0xFFFD;
        platform::AppendUtf8(out, cp);
    }
    return out;
}

// Shortest text that reads back as the same double, "." as decimal separator; plain decimal
// notation ("100000", "0.0001"), an exponent only below 0.0001 or from 1E15 on ("1e-05", "1e+15").
std::string NumberText(double value) {
    const double magnitude = std::fabs(value);
    const std::chars_format format = magnitude != 0 && (magnitude < 1e-4 || magnitude >= 1e15)
                                         ? std::chars_format::scientific
                                         : std::chars_format::fixed;
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
    return std::string(buffer.data(), result.ptr);
}

// The stored rich text of a memo. A memo stored as bytes holds code-page-932 text; bytes that do
// not decode as such are kept for XmlSafe to repair.
std::string MemoText(const Statement& row, int index) {
    if (row.GetStorageClass(index) != platform::StorageClass::Blob) return row.GetText(index);
    const platform::Bytes bytes = row.GetBlob(index);
    const std::string raw(bytes.begin(), bytes.end());
    try {
        return platform::SjisToUtf8(raw);
    } catch (const platform::ConvertError&) {
        return raw;
    }
}

// The export text of a column read as a field of `type`; NULL gives "".
std::string ColumnText(const Statement& row, int index, FieldType type) {
    if (row.IsNull(index)) return {};
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer: return platform::IntToStr(row.GetInt64(index));
    case FieldType::Boolean: return row.GetBool(index) ? kTrue : kFalse;
    case FieldType::Float:
    case FieldType::Currency: return NumberText(row.GetDouble(index));
    case FieldType::Date:
    case FieldType::DateTime: return row.GetVariant(index, type).ToText(type);
    case FieldType::FmtMemo: return XmlSafe(MemoText(row, index));
    case FieldType::Graphic: return BinToBase64(row.GetBlob(index), {}, true);
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::Unknown: break;
    }
    return XmlSafe(row.GetText(index));
}

// ---- Statements ---------------------------------------------------------------------------------

// A select of fixed columns: the statement text and where each field lies in the result.
class TSelect {
public:
    TSelect(std::initializer_list<F> fields, const std::string& fromWhere) : fields_(fields) {
        sql_ = "select ";
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (i > 0) sql_ += ", ";
            sql_ += Qualified(fields_[i]);
            column_[static_cast<std::size_t>(ToInt(fields_[i]))] = static_cast<int>(i);
        }
        sql_ += " from " + fromWhere;
    }
    const std::string& GetSql() const { return sql_; }
    const std::vector<F>& GetFields() const { return fields_; }
    int Column(F field) const { return column_[static_cast<std::size_t>(ToInt(field))]; }

private:
    std::string sql_;
    std::vector<F> fields_;
    std::array<int, VktFieldCount> column_{};
};

// The data row with its class type, erase date, memo, picture and the detail rows of its kind.
const TSelect& DataSelect() {
    static const TSelect select = [] {
        const std::string data = Table(T::TblData);
        auto join = [&](T table, F key, const std::string& other) {
            return " left outer join " + Table(table) + " on " + Qualified(key) + " = " + other;
        };
        return TSelect({F::Data_ID, F::Class_Key, F::Form_Key, F::Data, F::Data2, F::UseUnit_Key, F::UsePrice,
                        F::CreateDate, F::ChangeDate, F::EraseDate, F::Memo, F::Image, F::ClassType,
                        F::Conserve, F::InvItem, F::BuyUnit_Key, F::BuyPrice, F::Quantity, F::Yield,
                        F::Dealer_Key, F::Complete, F::TotalPrice, F::SalePrice, F::Information,
                        F::Information2},
                       data + join(T::TblClass, F::Class_ID, Qualified(F::Class_Key)) +
                           join(T::TblErase, F::Erase_Key, Qualified(F::Data_ID)) +
                           join(T::TblMemo, F::Memo_Key, Qualified(F::Data_ID)) +
                           join(T::TblImage, F::Image_Key, Qualified(F::Data_ID)) +
                           join(T::TblFood, F::Food_Key, Qualified(F::Data_ID)) +
                           join(T::TblCook, F::Cook_Key, Qualified(F::Data_ID)) +
                           join(T::TblInformation, F::Information_Key, Qualified(F::Data_ID)) + " where " +
                           Qualified(F::Data_ID) + " = :ID");
    }();
    return select;
}

const TSelect& ItemSelect() {
    static const TSelect select({F::ItemIndex, F::Category, F::CatIndex, F::Data_Key, F::ItemUse, F::ItemPrice,
                                 F::ItemUnit_Key, F::ItemUsePrice},
                                Table(T::TblItem) + " where " + Qualified(F::Item_Key) + " = :ID order by " +
                                    Qualified(F::ItemIndex));
    return select;
}

const TSelect& AttrCheckSelect() {
    static const TSelect select({F::AttrItem_Key, F::AttrCheck},
                                Table(T::TblAttribute) + " where " + Qualified(F::Attribute_Key) +
                                    " = :ID order by " + Qualified(F::AttrItem_Key));
    return select;
}

// The exported columns of a master row, found by its key.
TSelect MasterSelect(T table, std::initializer_list<F> fields, F key) {
    return TSelect(fields, Table(table) + " where " + Qualified(key) + " = :ID");
}

const TSelect& ClassSelect() {
    static const TSelect select = MasterSelect(
        T::TblClass, {F::Class_ID, F::TreeID, F::ClassType, F::Class, F::Class2, F::Icon_Key}, F::Class_ID);
    return select;
}

const TSelect& UnitsSelect() {
    static const TSelect select =
        MasterSelect(T::TblUnits, {F::Units_ID, F::UnitsType, F::Units, F::Units2}, F::Units_ID);
    return select;
}

const TSelect& DealerSelect() {
    static const TSelect select =
        MasterSelect(T::TblDealer,
                     {F::Dealer_ID, F::Company, F::Dealer, F::PostCode, F::Address, F::Tel, F::Tel2, F::Fax, F::EMail},
                     F::Dealer_ID);
    return select;
}

const TSelect& AttrItemSelect() {
    static const TSelect select = MasterSelect(T::TblAttrItem, {F::AttrItem_ID, F::Attribute}, F::AttrItem_ID);
    return select;
}

// Writes the attribute named as the field's column from the field's column of the row.
void Put(XmlNode node, const Statement& row, const TSelect& select, F field) {
    AddAttribute(node, FieldName(field), ColumnText(row, select.Column(field), GetFieldType(field)));
}

void PutAll(XmlNode node, const Statement& row, const TSelect& select) {
    for (const F field : select.GetFields()) Put(node, row, select, field);
}

// The statement of `select`, prepared on first use and rewound on every later one, with `id` bound.
Statement& Rebind(platform::Connection& db, Statement& statement, const TSelect& select, int id) {
    if (statement.IsPrepared())
        statement.Reset();
    else
        statement.Prepare(db, select.GetSql());
    statement.BindInt64("ID", id);
    return statement;
}

// One element per key that has a row, in the order of the keys.
void WriteMasterRows(platform::Connection& db, Statement& statement, const TSelect& select, const TKeyList& keys,
                     XmlNode list, std::string_view element) {
    for (int i = 0; i < keys.GetCount(); ++i) {
        Statement& row = Rebind(db, statement, select, keys.GetItem(i));
        if (row.Step()) PutAll(list.AddChild(element), row, select);
    }
}

// Runs `body`; any failure ends it where it happened and is dropped.
template <typename Body>
void Guarded(Body&& body) {
    try {
        body();
    } catch (const std::exception&) {
    }
}

} // namespace

// ---- The state of one export --------------------------------------------------------------------

struct TVktXmlFunctor::TExport {
    // Opens the folder's database without creating it and starts a read transaction, so that every
    // statement of the export sees one state of the database.
    // The export looks records up all over the file, each with its detail rows, items and masters:
    // SQLite's default 2 MB page cache would read most pages several times.
    explicit TExport(const std::string& folder) : db(platform::DatabaseFilePath(folder)) {
        db.Execute("PRAGMA cache_size = -32768");
        db.Execute("begin");
    }

    Statement& Run(Statement& statement, const TSelect& select, int id) { return Rebind(db, statement, select, id); }

    // Class_ID of the class whose TreeID is `treeId`; 0 when none. The first use reads the map.
    int ClassByTreeID(const std::string& treeId) {
        if (!treeIdsLoaded) {
            Statement statement(db, "select TreeID, Class_ID from " + Table(T::TblClass) + " order by Class_ID");
            while (statement.Step()) treeIds.emplace(statement.GetText(0), statement.GetInt(1));
            treeIdsLoaded = true;
        }
        const auto found = treeIds.find(treeId);
        return found == treeIds.end() ? 0 : found->second;
    }

    // The connection outlives the statements declared after it; closing it ends the read
    // transaction.
    platform::Connection db;
    Statement data, items, attrChecks, classRow, unitsRow, dealerRow, attrItemRow;
    std::unordered_map<std::string, int> treeIds;   // TreeID -> Class_ID (the smallest on duplicates)
    bool treeIdsLoaded = false;

    TKeyList ids, classes, forms, units, dealers, attrItems;
};

// ---- The module ---------------------------------------------------------------------------------

TVktXmlFunctor::TVktXmlFunctor() = default;
TVktXmlFunctor::~TVktXmlFunctor() = default;

void TVktXmlFunctor::SetPath(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    path_ = folder;
}

std::string TVktXmlFunctor::GetPath() const { return path_; }

void TVktXmlFunctor::SaveXml(const std::string& fileName, TPriorityItem ids) {
    platform::XmlDocument document;
    XmlNode root = document.CreateDocumentElement("VktDataObject");
    root.SetAttribute("Version", "1.0");
    WriteDataBase(root, std::move(ids));
    document.SaveToFile(fileName, platform::XmlEncoding::Utf8);
}

void TVktXmlFunctor::WriteDataBase(XmlNode root, TPriorityItem ids) {
    std::string databaseId;
    {
        TVktFunctor functor;
        functor.SetPath(path_);
        databaseId = functor.GetDatabaseID();
    }
    root.AddChild("DataBase").SetAttribute("ID", XmlSafe(databaseId));

    TExport run(path_);
    for (int i = 0; i < ids.GetCount(); ++i) run.ids.Add(ids.GetItem(i));

    // The list grows while it is walked: items bring the records they name.
    const XmlNode dataList = root.AddChild("DataList");
    for (int i = 0; i < run.ids.GetCount(); ++i) {
        const int id = run.ids.GetItem(i);
        Guarded([&] { WriteDataList(run, dataList, id); });
    }

    const XmlNode classList = root.AddChild("ClassList");
    Guarded([&] { WriteClassList(run, classList); });
    const XmlNode formList = root.AddChild("FormList");
    Guarded([&] { WriteFormList(run, formList); });
    const XmlNode unitList = root.AddChild("UnitList");
    Guarded([&] { WriteUnitList(run, unitList); });
    const XmlNode dealerList = root.AddChild("DealerList");
    Guarded([&] { WriteDealerList(run, dealerList); });
    const XmlNode attrItemList = root.AddChild("AttrItemList");
    Guarded([&] { WriteAttrItemList(run, attrItemList); });
}

void TVktXmlFunctor::WriteDataList(TExport& run, XmlNode parent, int id) {
    const TSelect& select = DataSelect();
    Statement& row = run.Run(run.data, select, id);
    // A chosen id without a data row (a record purged meanwhile, an item naming a record that is
    // gone) gives no element.
    if (!row.Step()) return;

    const XmlNode data = parent.AddChild(FieldName(F::Data));
    for (const F field : {F::Data_ID, F::ClassType, F::Class_Key, F::Form_Key, F::Data, F::Data2, F::UseUnit_Key,
                          F::UsePrice, F::InvItem, F::CreateDate, F::ChangeDate})
        Put(data, row, select, field);
    const int conserve = select.Column(F::Conserve);
    if (!row.IsNull(conserve) && row.GetBool(conserve)) Put(data, row, select, F::Conserve);
    if (!row.IsNull(select.Column(F::EraseDate))) Put(data, row, select, F::EraseDate);

    for (const F field : {F::Memo, F::Image}) {
        if (row.IsNull(select.Column(field))) continue;
        AddAttribute(data.AddChild(FieldName(field)), kValue,
                     ColumnText(row, select.Column(field), GetFieldType(field)));
    }

    const int classType = row.GetInt(select.Column(F::ClassType));
    run.classes.Add(row.GetInt(select.Column(F::Class_Key)));
    run.forms.Add(row.GetInt(select.Column(F::Form_Key)));
    run.units.Add(row.GetInt(select.Column(F::UseUnit_Key)));
    switch (classType) {
    case ctFood:
        for (const F field : {F::BuyUnit_Key, F::BuyPrice, F::Quantity, F::Yield, F::Dealer_Key})
            Put(data, row, select, field);
        run.units.Add(row.GetInt(select.Column(F::BuyUnit_Key)));
        run.dealers.Add(row.GetInt(select.Column(F::Dealer_Key)));
        break;
    case ctMenu:
        Put(data, row, select, F::Information);
        Put(data, row, select, F::Information2);
        [[fallthrough]];
    case ctCook:
        for (const F field : {F::Complete, F::TotalPrice, F::SalePrice}) Put(data, row, select, field);
        break;
    default:
        break;
    }
    row.Reset();

    if (classType > ctFood) {
        const TSelect& itemSelect = ItemSelect();
        Statement& item = run.Run(run.items, itemSelect, id);
        const int dataKey = itemSelect.Column(F::Data_Key);
        while (item.Step()) {
            const XmlNode node = data.AddChild("Item");
            for (const F field : itemSelect.GetFields()) {
                if (field == F::Data_Key)
                    AddAttribute(node, FieldName(field), platform::IntToStr(item.GetInt64(dataKey)));
                else
                    Put(node, item, itemSelect, field);
            }
            // The record the item uses is exported too, once.
            run.ids.Add(item.GetInt(dataKey));
        }
    }

    const TSelect& checkSelect = AttrCheckSelect();
    Statement& check = run.Run(run.attrChecks, checkSelect, id);
    const int attrItemKey = checkSelect.Column(F::AttrItem_Key);
    while (check.Step()) {
        const XmlNode node = data.AddChild("AttrCheck");
        AddAttribute(node, FieldName(F::AttrItem_Key), platform::IntToStr(check.GetInt64(attrItemKey)));
        AddAttribute(node, kValue, check.GetBool(checkSelect.Column(F::AttrCheck)) ? kTrue : kFalse);
        run.attrItems.Add(check.GetInt(attrItemKey));
    }
}

void TVktXmlFunctor::WriteClassList(TExport& run, XmlNode list) {
    const TSelect& select = ClassSelect();
    // The list grows while it is walked: deep classes bring their parents.
    for (int i = 0; i < run.classes.GetCount(); ++i) {
        Statement& row = run.Run(run.classRow, select, run.classes.GetItem(i));
        if (!row.Step()) continue;
        PutAll(list.AddChild("Class"), row, select);
        const TTreeIndex treeId(row.GetText(select.Column(F::TreeID)));
        row.Reset();
        if (treeId.Depth() > kExportedAncestorDepth) {
            const int parent = run.ClassByTreeID(treeId.GetParent().GetAsString());
            if (parent != 0) run.classes.Add(parent);
        }
    }
}

void TVktXmlFunctor::WriteFormList(TExport& run, XmlNode list) {
    WriteMasterRows(run.db, run.unitsRow, UnitsSelect(), run.forms, list, "Form");
}

void TVktXmlFunctor::WriteUnitList(TExport& run, XmlNode list) {
    WriteMasterRows(run.db, run.unitsRow, UnitsSelect(), run.units, list, "Unit");
}

void TVktXmlFunctor::WriteDealerList(TExport& run, XmlNode list) {
    WriteMasterRows(run.db, run.dealerRow, DealerSelect(), run.dealers, list, FieldName(F::Dealer));
}

void TVktXmlFunctor::WriteAttrItemList(TExport& run, XmlNode list) {
    WriteMasterRows(run.db, run.attrItemRow, AttrItemSelect(), run.attrItems, list, "AttrItem");
}

TVktXmlFunctor& GetVktXmlFunctor(const std::string& path) {
    static TVktXmlFunctor functor;
    functor.SetPath(path);
    return functor;
}
