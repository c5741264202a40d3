// Batch insert of records: one new ingredient, recipe or menu from one row of comma text, with its
// family rows and, for an ingredient with a price, its first monthly price-history row.
#include "database/Mvktfunctor.h"

#include <optional>
#include <string_view>
#include <vector>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

namespace {

using platform::Currency;

// TreeIDs of the family classes that hold the ingredient, recipe and menu classes.
constexpr const char* kFoodRoot = "20000";
constexpr const char* kCookRoot = "20001";
constexpr const char* kMenuRoot = "20002";

// Second-language name of a new record.
constexpr const char* kNewData2 = "NouveauArticle";

// The row's values, each found through the first position of its field in the field list.
class RowValues {
public:
    RowValues(const std::string& row, const TPriorityItem& fields)
        : values_(platform::SplitCommaText(row)), fields_(fields) {}

    // The text of the field; nullopt when the field list does not name it. A field named by the
    // list but missing from the row is a malformed row and raises ConvertError.
    std::optional<std::string> Text(TVktField field) const {
        const int position = fields_.IndexOf(ToInt(field));
        if (position < 0) return std::nullopt;
        if (position >= static_cast<int>(values_.size()))
            throw platform::ConvertError("The row has no value for " + GetFieldName(field));
        return values_[static_cast<std::size_t>(position)];
    }
    std::optional<int> Int(TVktField field) const {
        const auto text = Text(field);
        if (!text) return std::nullopt;
        return platform::StrToInt(*text);
    }
    // Floating values read with "." whatever the locale.
    std::optional<double> Float(TVktField field) const {
        const auto text = Text(field);
        if (!text) return std::nullopt;
        return platform::StrToFloat(*text);
    }
    // Money: the floating value rounded to four decimals, halves to even.
    std::optional<Currency> Money(TVktField field) const {
        const auto value = Float(field);
        if (!value) return std::nullopt;
        return Currency::FromDouble(*value);
    }

private:
    std::vector<std::string> values_;
    TPriorityItem fields_;
};

// The text cut to the field's size in code-page-932 bytes, on a character boundary.
std::string FitToField(const std::string& text, TVktField field) {
    const std::size_t limit = static_cast<std::size_t>(GetFieldSize(field));
    if (limit == 0 || platform::SjisLength(text) <= limit) return text;
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = pos;
        platform::NextCodePoint(text, next);
        const std::size_t width = platform::SjisLength(std::string_view(text).substr(pos, next - pos));
        if (used + width > limit) break;
        used += width;
        pos = next;
    }
    return text.substr(0, pos);
}

const char* FamilyRoot(TVktObjKind kind) {
    switch (kind) {
    case TVktObjKind::Food: return kFoodRoot;
    case TVktObjKind::Cook: return kCookRoot;
    default: return kMenuRoot;
    }
}

} // namespace

int TVktFunctor::InsertData(TVktObjKind kind, const std::string& row, TPriorityItem fields) {
    using F = TVktField;
    // The class type each kind's records belong to.
    int classType = 0;
    switch (kind) {
    case TVktObjKind::Food: classType = 1; break;
    case TVktObjKind::Cook: classType = 2; break;
    case TVktObjKind::Menu: classType = 3; break;
    default: return 0;
    }

    // One savepoint for the whole record: a row that fails leaves none of its rows behind.
    return Write(0, [&]() -> int {
        const RowValues values(row, fields);
        const platform::TDateTime now = platform::Now();
        const std::string classTable = Tbl(TVktTable::TblClass);

        // The class: the one given, when it is a leaf of the kind's family; else the family's first
        // leaf reached through first sub-classes.
        int classId = 0;
        if (const auto given = values.Int(F::Class_Key)) {
            classId = *given;
            if (GetClassType(classId) != classType) platform::Abort();
            const std::string tree = GetClassTreeID(classId).GetAsString();
            const auto below = QueryInt("select count(*) from " + classTable +
                                            " where substr(TreeID, 1, :Length) = :Tree",
                                        {{"Length", static_cast<int>(tree.size())}, {"Tree", tree}});
            if (below > 1) platform::Abort();
        } else {
            const std::string root = FamilyRoot(kind);
            platform::Statement classes =
                Prepare("select Class_ID, TreeID from " + classTable +
                            " where TreeID <> :Root and substr(TreeID, 1, :Length) = :Root order by TreeID",
                        {{"Root", root}, {"Length", static_cast<int>(root.size())}});
            int depth = TTreeIndex(root).Depth();
            while (classes.Step()) {
                const int rowDepth = TTreeIndex(classes.GetText("TreeID")).Depth();
                if (rowDepth <= depth) break;
                depth = rowDepth;
                classId = classes.GetInt("Class_ID");
            }
            if (classId == 0) platform::Abort();
        }

        const int id = NextKey(F::Data_ID);
        Currency usePrice = values.Money(F::UsePrice).value_or(Currency());

        if (kind == TVktObjKind::Food) {
            const int buyUnit = values.Int(F::BuyUnit_Key).value_or(values.Int(F::UseUnit_Key).value_or(1));
            Currency buyPrice = values.Money(F::BuyPrice).value_or(usePrice);
            if (buyPrice <= Currency()) buyPrice = Currency();
            double quantity = values.Float(F::Quantity).value_or(1.0);
            if (quantity <= 0) quantity = 1.0;
            double yield = values.Float(F::Yield).value_or(100.0);
            if (yield <= 0 || yield > 100) yield = 100.0;
            const int dealer = values.Int(F::Dealer_Key).value_or(1);
            usePrice = buyPrice * Currency::FromDouble(100.0 / yield) / Currency::FromDouble(quantity);
            Exec("insert into " + Tbl(TVktTable::TblFood) +
                     " ( Food_Key, BuyUnit_Key, BuyPrice, Quantity, Yield, Dealer_Key )"
                     " values ( :ID, :BuyUnit_Key, :BuyPrice, :Quantity, :Yield, :Dealer_Key )",
                 {{"ID", id}, {"BuyUnit_Key", buyUnit}, {"BuyPrice", buyPrice}, {"Quantity", quantity},
                  {"Yield", yield}, {"Dealer_Key", dealer}});
        } else {
            if (kind == TVktObjKind::Menu) {
                Exec("insert into " + Tbl(TVktTable::TblInformation) +
                         " ( Information_Key, Information, Information2 ) values ( :ID, :Information, :Information2 )",
                     {{"ID", id},
                      {"Information", FitToField(values.Text(F::Information).value_or(""), F::Information)},
                      {"Information2", FitToField(values.Text(F::Information2).value_or(""), F::Information2)}});
            }
            double complete = values.Float(F::Complete).value_or(1.0);
            if (complete <= 0) complete = 1.0;
            Currency total = values.Money(F::TotalPrice).value_or(Currency());
            if (total <= Currency()) total = Currency();
            Currency sale = values.Money(F::SalePrice).value_or(Currency());
            if (sale <= Currency()) sale = Currency();
            usePrice = total / Currency::FromDouble(complete);
            Exec("insert into " + Tbl(TVktTable::TblCook) +
                     " ( Cook_Key, Complete, TotalPrice, SalePrice ) values ( :ID, :Complete, :TotalPrice, :SalePrice )",
                 {{"ID", id}, {"Complete", complete}, {"TotalPrice", total}, {"SalePrice", sale}});
        }

        const auto name = values.Text(F::Data);
        const bool invItem = [&] {
            const auto text = values.Text(F::InvItem);
            return text ? platform::LowerCase(*text) != "false" : kind == TVktObjKind::Food;
        }();
        const int useUnit = values.Int(F::UseUnit_Key).value_or(values.Int(F::BuyUnit_Key).value_or(1));
        const std::string stamp = platform::ToIsoDateTime(now);
        Exec("insert into " + Tbl(TVktTable::TblData) +
                 " ( Data_ID, Conserve, InvItem, Class_Key, Form_Key, Data, Data2, UseUnit_Key, UsePrice,"
                 " CreateDate, ChangeDate ) values ( :ID, 0, :InvItem, :Class_Key, :Form_Key, :Data, :Data2,"
                 " :UseUnit_Key, :UsePrice, :Now, :Now )",
             {{"ID", id},
              {"InvItem", invItem},
              {"Class_Key", classId},
              {"Form_Key", values.Int(F::Form_Key).value_or(1)},
              {"Data", FitToField(name ? *name : MakeNewName(kind), F::Data)},
              {"Data2", FitToField(values.Text(F::Data2).value_or(kNewData2), F::Data2)},
              {"UseUnit_Key", useUnit},
              {"UsePrice", usePrice},
              {"Now", stamp}});

        // The first monthly price row; a row left under this key by an earlier record goes first.
        if (kind == TVktObjKind::Food && usePrice > Currency()) {
            const std::string history = Tbl(TVktTable::TblMHistory);
            Exec("delete from " + history + " where MHistory_Key = :ID", {{"ID", id}});
            Exec("insert into " + history +
                     " ( MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice )"
                     " values ( :ID, :Date, :Unit, :Price )",
                 {{"ID", id}, {"Date", platform::ToIsoDate(platform::DateOf(now))}, {"Unit", useUnit},
                  {"Price", usePrice}});
        }
        return id;
    });
}
