// Batch insert of records: one new ingredient, recipe or menu from one row of comma text, with its
// family rows and, for an ingredient with a price, its first monthly price-history row.
#include "database/Mvktfunctor.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
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
    RowValues(std::string_view row, const TPriorityItem& fields)
        : values_(platform::SplitCommaText(row)), fields_(fields) {}

    // The text of the field (valid while the row values live); nullopt when the field list does
    // not name it. A field named by the list but missing from the row is a malformed row and
    // raises ConvertError.
    std::optional<std::string_view> Text(TVktField field) const {
        const int position = fields_.IndexOf(ToInt(field));
        if (position < 0) return std::nullopt;
        if (position >= static_cast<int>(values_.size()))
            throw platform::ConvertError("The row has no value for " + GetFieldName(field));
        return std::string_view(values_[static_cast<std::size_t>(position)]);
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
    const TPriorityItem& fields_;
};

// The text cut to the field's size in code-page-932 bytes, on a character boundary: a prefix of
// `text`.
std::string_view FitToField(std::string_view text, TVktField field) {
    const std::size_t limit = static_cast<std::size_t>(GetFieldSize(field));
    return limit == 0 ? text : platform::SjisTruncate(text, limit);
}

// The stamp and the date of a clock reading as ISO text; the rows of a batch mostly share one.
struct Stamps {
    platform::TDateTime Time = std::numeric_limits<double>::quiet_NaN();
    std::string DateTime;
    std::string Date;
};

const Stamps& StampsOf(platform::TDateTime now) {
    thread_local Stamps last;
    if (!(last.Time == now)) {
        last.DateTime = platform::ToIsoDateTime(now);
        last.Date = platform::ToIsoDate(platform::DateOf(now));
        last.Time = now;
    }
    return last;
}

// Runs a statement to its end and rewinds it, also when it fails: a statement a batch holds is
// never left running, whatever its row does.
void Run(platform::Statement& statement) {
    try {
        statement.Execute();
    } catch (...) {
        statement.Reset();
        throw;
    }
    statement.Reset();
}

const char* FamilyRoot(TVktObjKind kind) {
    switch (kind) {
    case TVktObjKind::Food: return kFoodRoot;
    case TVktObjKind::Cook: return kCookRoot;
    default: return kMenuRoot;
    }
}

} // namespace

// Both ends forget: a batch that ends early (by an exception) may leave undone what its rows wrote.
void TVktFunctor::BeginBatch() {
    ++batchDepth_;
    ForgetBatchMemo();
}

void TVktFunctor::EndBatch() {
    if (batchDepth_ > 0) --batchDepth_;
    ForgetBatchMemo();
    rowSavepoint_ = rowFailed_ = false;
}

void TVktFunctor::BeginBatchRow() {
    rowSavepoint_ = batchDepth_ > 0;
    rowFailed_ = false;
}

bool TVktFunctor::EndBatchRow() {
    rowSavepoint_ = false;
    return std::exchange(rowFailed_, false);
}

TVktFunctor::ClassShape TVktFunctor::ShapeOfClass(int classId) {
    if (batchDepth_ > 0)
        if (const auto known = classShapes_.find(classId); known != classShapes_.end()) return known->second;
    const std::string classTable = Tbl(TVktTable::TblClass);
    ClassShape shape;
    std::string tree;
    {
        platform::StatementLease row =
            Lease("select TreeID, ClassType from " + classTable + " where Class_ID = :ID", {{"ID", classId}});
        if (row->Step()) {
            shape.Type = row->GetInt("ClassType");
            tree = TTreeIndex(row->GetText("TreeID")).GetAsString();
        }
    }
    if (shape.Type != ctRoot)
        shape.Below = QueryInt("select count(*) from " + classTable + " where substr(TreeID, 1, :Length) = :Tree",
                               {{"Length", static_cast<int>(tree.size())}, {"Tree", tree}});
    if (batchDepth_ > 0) classShapes_.emplace(classId, shape);
    return shape;
}

int TVktFunctor::FamilyDefaultClass(TVktObjKind kind) {
    const int key = static_cast<int>(kind);
    if (batchDepth_ > 0)
        if (const auto known = defaultClasses_.find(key); known != defaultClasses_.end()) return known->second;
    const std::string root = FamilyRoot(kind);
    int classId = 0;
    {
        platform::StatementLease classes =
            Lease("select Class_ID, TreeID from " + Tbl(TVktTable::TblClass) +
                      " where TreeID <> :Root and substr(TreeID, 1, :Length) = :Root order by TreeID",
                  {{"Root", root}, {"Length", static_cast<int>(root.size())}});
        int depth = TTreeIndex(root).Depth();
        while (classes->Step()) {
            const int rowDepth = TTreeIndex(classes->GetText("TreeID")).Depth();
            if (rowDepth <= depth) break;
            depth = rowDepth;
            classId = classes->GetInt("Class_ID");
        }
    }
    if (batchDepth_ > 0) defaultClasses_.emplace(key, classId);
    return classId;
}

std::int64_t TVktFunctor::HistoryCeiling() {
    if (historyCeiling_ < 0) {
        // Text and blobs sort above numbers, reals among them: only an integer maximum (or none)
        // bounds the integer keys.
        static const std::string top = "select max(MHistory_Key) from " + Tbl(TVktTable::TblMHistory);
        platform::StatementLease query = Lease(top);
        query->Step();
        switch (query->GetStorageClass(0)) {
        case platform::StorageClass::Null: historyCeiling_ = 0; break;
        case platform::StorageClass::Integer: historyCeiling_ = std::max<std::int64_t>(query->GetInt64(0), 0); break;
        default: historyCeiling_ = std::numeric_limits<std::int64_t>::max(); break;
        }
    }
    return historyCeiling_;
}

TInsertFoodPrices InsertFoodPrices(std::optional<double> usePrice, std::optional<double> buyPrice,
                                   std::optional<double> quantity, std::optional<double> yield) {
    TInsertFoodPrices prices;
    const Currency given = usePrice ? Currency::FromDouble(*usePrice) : Currency();
    prices.BuyPrice = buyPrice ? Currency::FromDouble(*buyPrice) : given;
    if (prices.BuyPrice <= Currency()) prices.BuyPrice = Currency();
    if (quantity && *quantity > 0) prices.Quantity = *quantity;
    if (yield && *yield > 0 && *yield <= 100) prices.Yield = *yield;
    prices.UsePrice = FoodUsePrice(prices.BuyPrice.ToDouble(), prices.Quantity, prices.Yield);
    return prices;
}

TInsertCookPrices InsertCookPrices(std::optional<double> complete, std::optional<double> totalPrice) {
    TInsertCookPrices prices;
    if (complete && *complete > 0) prices.Complete = *complete;
    if (totalPrice) prices.TotalPrice = Currency::FromDouble(*totalPrice);
    if (prices.TotalPrice <= Currency()) prices.TotalPrice = Currency();
    prices.UsePrice = CookUsePrice(prices.TotalPrice.ToDouble(), prices.Complete);
    return prices;
}

platform::Statement& TVktFunctor::BatchStatement(const std::string& text, platform::StatementLease& local) {
    if (batchDepth_ == 0) {
        local = Lease(text);
        return *local;
    }
    platform::StatementLease& held = batchStatements_[&text];
    if (!held.IsLeased()) held = Lease(text);
    return *held;
}

int TVktFunctor::InsertData(TVktObjKind kind, std::string_view row, const TPriorityItem& fields) {
    using F = TVktField;
    // The class type each kind's records belong to.
    TVktClassType classType = ctRoot;
    switch (kind) {
    case TVktObjKind::Food: classType = ctFood; break;
    case TVktObjKind::Cook: classType = ctCook; break;
    case TVktObjKind::Menu: classType = ctMenu; break;
    default: return 0;
    }

    // One savepoint for the whole record: a row that fails leaves none of its rows behind. It
    // writes no class; the next Data_ID follows the one it wrote, and the history keys end there.
    // Inside a batch's row the batch's savepoint is the record's (EndBatchRow undoes a failure).
    const auto record = [&]() -> int {
        const RowValues values(row, fields);
        const Stamps& now = StampsOf(platform::Now());   // valid until the next StampsOf: this row

        // The class: the one given, when it is a leaf of the kind's family; else the family's first
        // leaf reached through first sub-classes.
        int classId = 0;
        if (const auto given = values.Int(F::Class_Key)) {
            classId = *given;
            const ClassShape shape = ShapeOfClass(classId);
            if (shape.Type != classType || shape.Below > 1) platform::Abort();
        } else {
            classId = FamilyDefaultClass(kind);
            if (classId == 0) platform::Abort();
        }

        const int id = batchDepth_ > 0 && nextDataId_ > 0 ? nextDataId_ : NextKey(F::Data_ID);
        Currency usePrice = values.Money(F::UsePrice).value_or(Currency());

        if (kind == TVktObjKind::Food) {
            const int buyUnit = values.Int(F::BuyUnit_Key).value_or(values.Int(F::UseUnit_Key).value_or(1));
            const TInsertFoodPrices prices = InsertFoodPrices(values.Float(F::UsePrice), values.Float(F::BuyPrice),
                                                              values.Float(F::Quantity), values.Float(F::Yield));
            const Currency buyPrice = prices.BuyPrice;
            const double quantity = prices.Quantity;
            const double yield = prices.Yield;
            const int dealer = values.Int(F::Dealer_Key).value_or(1);
            usePrice = prices.UsePrice;
            static const std::string food = "insert into " + Tbl(TVktTable::TblFood) +
                                             " ( Food_Key, BuyUnit_Key, BuyPrice, Quantity, Yield, Dealer_Key )"
                                             " values ( :ID, :BuyUnit_Key, :BuyPrice, :Quantity, :Yield, :Dealer_Key )";
            platform::StatementLease local;
            platform::Statement& insert = BatchStatement(food, local);
            insert.BindInt64("ID", id);
            insert.BindInt64("BuyUnit_Key", buyUnit);
            insert.BindDouble("BuyPrice", buyPrice.ToDouble());
            insert.BindDouble("Quantity", quantity);
            insert.BindDouble("Yield", yield);
            insert.BindInt64("Dealer_Key", dealer);
            Run(insert);
        } else {
            if (kind == TVktObjKind::Menu) {
                static const std::string information =
                    "insert into " + Tbl(TVktTable::TblInformation) +
                    " ( Information_Key, Information, Information2 ) values ( :ID, :Information, :Information2 )";
                platform::StatementLease local;
                platform::Statement& insert = BatchStatement(information, local);
                insert.BindInt64("ID", id);
                insert.BindTextRef("Information", FitToField(values.Text(F::Information).value_or(""), F::Information));
                insert.BindTextRef("Information2",
                                   FitToField(values.Text(F::Information2).value_or(""), F::Information2));
                Run(insert);
            }
            const TInsertCookPrices prices = InsertCookPrices(values.Float(F::Complete), values.Float(F::TotalPrice));
            const double complete = prices.Complete;
            const Currency total = prices.TotalPrice;
            Currency sale = values.Money(F::SalePrice).value_or(Currency());
            if (sale <= Currency()) sale = Currency();
            usePrice = prices.UsePrice;
            static const std::string cook =
                "insert into " + Tbl(TVktTable::TblCook) +
                " ( Cook_Key, Complete, TotalPrice, SalePrice ) values ( :ID, :Complete, :TotalPrice, :SalePrice )";
            platform::StatementLease local;
            platform::Statement& insert = BatchStatement(cook, local);
            insert.BindInt64("ID", id);
            insert.BindDouble("Complete", complete);
            insert.BindDouble("TotalPrice", total.ToDouble());
            insert.BindDouble("SalePrice", sale.ToDouble());
            Run(insert);
        }

        const auto name = values.Text(F::Data);
        const std::string newName = name ? std::string() : MakeNewName(kind);
        const bool invItem = [&] {
            const auto text = values.Text(F::InvItem);
            return text ? platform::LowerCase(*text) != "false" : kind == TVktObjKind::Food;
        }();
        const int useUnit = values.Int(F::UseUnit_Key).value_or(values.Int(F::BuyUnit_Key).value_or(1));
        {
            static const std::string data =
                "insert into " + Tbl(TVktTable::TblData) +
                " ( Data_ID, Conserve, InvItem, Class_Key, Form_Key, Data, Data2, UseUnit_Key, UsePrice,"
                " CreateDate, ChangeDate ) values ( :ID, 0, :InvItem, :Class_Key, :Form_Key, :Data, :Data2,"
                " :UseUnit_Key, :UsePrice, :Now, :Now )";
            platform::StatementLease local;
            platform::Statement& insert = BatchStatement(data, local);
            insert.BindInt64("ID", id);
            insert.BindBool("InvItem", invItem);
            insert.BindInt64("Class_Key", classId);
            insert.BindInt64("Form_Key", values.Int(F::Form_Key).value_or(1));
            insert.BindTextRef("Data", FitToField(name ? *name : std::string_view(newName), F::Data));
            insert.BindTextRef("Data2", FitToField(values.Text(F::Data2).value_or(kNewData2), F::Data2));
            insert.BindInt64("UseUnit_Key", useUnit);
            insert.BindDouble("UsePrice", usePrice.ToDouble());
            insert.BindTextRef("Now", now.DateTime);
            Run(insert);
        }

        // The first monthly price row; a row left under this key by an earlier record goes first
        // (inside a batch only when some history key reaches this one).
        if (kind == TVktObjKind::Food && usePrice > Currency()) {
            static const std::string dropRows =
                "delete from " + Tbl(TVktTable::TblMHistory) + " where MHistory_Key = :ID";
            static const std::string addRow = "insert into " + Tbl(TVktTable::TblMHistory) +
                                              " ( MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice )"
                                              " values ( :ID, :Date, :Unit, :Price )";
            if (!(batchDepth_ > 0 && id > HistoryCeiling())) {
                platform::StatementLease local;
                platform::Statement& drop = BatchStatement(dropRows, local);
                drop.BindInt64("ID", id);
                Run(drop);
            }
            platform::StatementLease local;
            platform::Statement& insert = BatchStatement(addRow, local);
            insert.BindInt64("ID", id);
            insert.BindTextRef("Date", now.Date);
            insert.BindInt64("Unit", useUnit);
            insert.BindDouble("Price", usePrice.ToDouble());
            Run(insert);
            if (historyCeiling_ >= 0 && id > historyCeiling_) historyCeiling_ = id;
        }
        return id;
    };
    const int written = InBatchRow(0, record);
    if (written > 0 && written < std::numeric_limits<int>::max() && batchDepth_ > 0) nextDataId_ = written + 1;
    return written;
}
