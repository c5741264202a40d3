#include "data/Mvktdatalister.h"

#include <sqlite3.h>

#include <atomic>
#include <exception>
#include <memory>
#include <vector>

#include "core/Unumericstring.h"
#include "data/Usqlwiz.h"
#include "platform/ConnectionPool.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/Text.h"

namespace {

std::atomic<unsigned long long> sessionCounter{0};

// How one listed field is read from its statement column.
enum class CellKind { Text, Integer, Boolean, Float, Currency, Date, DateTime, Bytes, CatIndex };

struct CellPlan {
    TVktField field = TVktField::None;
    CellKind kind = CellKind::Text;
    int column = -1;        // statement column; Category for ItemCatIndex
    int column2 = -1;       // CatIndex for ItemCatIndex
    bool percent = false;   // CostRate: "%" after the text
    bool unitPrice = false;   // a price of one use unit: the decimals it holds are shown
};

bool IsUnitPrice(TVktField field) {
    switch (field) {
    case TVktField::UsePrice:
    case TVktField::ItemPrice:
    case TVktField::MHistoryPrice:
    case TVktField::YHLastPrice:
    case TVktField::YHMaxPrice:
    case TVktField::YHAvePrice:
    case TVktField::YHMinPrice: return true;
    default: return false;
    }
}

CellKind KindOf(TVktField field) {
    using FT = platform::FieldType;
    if (field == TVktField::ItemCatIndex) return CellKind::CatIndex;
    switch (GetFieldType(field)) {
    case FT::SmallInt:
    case FT::Integer: return CellKind::Integer;
    case FT::Boolean: return CellKind::Boolean;
    case FT::Float: return CellKind::Float;
    case FT::Currency: return CellKind::Currency;
    case FT::Date: return CellKind::Date;
    case FT::DateTime: return CellKind::DateTime;
    case FT::Graphic:
    case FT::FmtMemo: return CellKind::Bytes;
    default: return CellKind::Text;
    }
}

// Column plans of the fields, resolved once per statement; `missing` names the first field whose
// column the statement lacks (empty when every column is there).
std::vector<CellPlan> PlanCells(const platform::Statement& statement, const TPriorityItem& fields,
                                std::string& missing) {
    std::vector<CellPlan> plans;
    plans.reserve(static_cast<std::size_t>(fields.GetCount()));
    for (int i = 0; i < fields.GetCount(); ++i) {
        CellPlan plan;
        plan.field = ToVktField(fields.GetItem(i));
        plan.kind = KindOf(plan.field);
        plan.percent = plan.field == TVktField::CostRate;
        plan.unitPrice = IsUnitPrice(plan.field);
        if (plan.kind == CellKind::CatIndex) {
            plan.column = statement.ColumnIndex(GetFieldName(TVktField::Category));
            plan.column2 = statement.ColumnIndex(GetFieldName(TVktField::CatIndex));
            if ((plan.column < 0 || plan.column2 < 0) && missing.empty()) missing = GetFieldName(plan.field);
        } else {
            const std::string name = GetFieldName(plan.field);
            plan.column = name.empty() ? -1 : statement.ColumnIndex(name);
            if (plan.column < 0 && missing.empty()) missing = name.empty() ? platform::IntToStr(fields.GetItem(i)) : name;
        }
        plans.push_back(plan);
    }
    return plans;
}

// The letter of a recipe item category.
char CategoryLetter(std::int64_t category) {
    if (category < 1) category = 1;
    if (category > 53) category = 53;
    return VktCategoryAlphabet[static_cast<std::size_t>(category - 1)];
}

// Reads one cell of the current row into value and text. The columns are read through the raw
// statement: one or two engine calls per cell.
void ReadCell(const platform::Statement& statement, const CellPlan& plan, std::string& text,
              platform::Variant& value) {
    using platform::Variant;
    sqlite3_stmt* const st = statement.Handle();
    const int c = plan.column;
    switch (plan.kind) {
    case CellKind::CatIndex:
        // A NULL category counts as 0 (letter "A"); a NULL CatIndex gives no digits.
        text.assign(1, CategoryLetter(sqlite3_column_int64(st, c)));
        text += '-';
        if (sqlite3_column_type(st, plan.column2) != SQLITE_NULL)
            text += platform::IntToStr(sqlite3_column_int64(st, plan.column2));
        value.AssignText(text);
        return;
    case CellKind::Text:
    case CellKind::Bytes: {   // the bytes as they are
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        if (p == nullptr && sqlite3_column_type(st, c) == SQLITE_NULL) {
            text.clear();
            value = Variant::Null();
            return;
        }
        text.assign(p == nullptr ? "" : p, static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
        value.AssignText(text);
        return;
    }
    default:
        break;
    }
    const int type = sqlite3_column_type(st, c);
    if (type == SQLITE_NULL) {
        text.clear();
        value = Variant::Null();
        return;
    }
    switch (plan.kind) {
    case CellKind::Integer: {
        const std::int64_t v = sqlite3_column_int64(st, c);
        text = platform::IntToStr(v);
        value = Variant(v);
        return;
    }
    case CellKind::Boolean: {
        const bool v = type == SQLITE_INTEGER ? sqlite3_column_int64(st, c) != 0 : statement.GetBool(c);
        text = v ? VktCheckedText : VktUncheckedText;
        value = Variant(v);
        return;
    }
    case CellKind::Float:
    case CellKind::Currency: {
        const double v = sqlite3_column_double(st, c);
        value = plan.kind == CellKind::Float ? Variant(v) : Variant(platform::Currency::FromDouble(v));
        // The shared formatter may have been left in another style by a report.
        const TNumericString& format = NumericString(TNSFloatType::Formatted, 0);
        text = plan.unitPrice ? format.GetUnitPriceText(value.AsCurrency()) : format.GetAsString(value);
        if (plan.percent) text += '%';
        return;
    }
    default: {   // Date, DateTime
        value = statement.GetVariant(c, plan.kind == CellKind::Date ? platform::FieldType::Date
                                                                    : platform::FieldType::DateTime);
        if (value.IsNull()) {
            text.clear();
            return;
        }
        const platform::TDateTime v = value.AsDateTime();
        text = plan.kind == CellKind::Date ? platform::DateToStr(v) : platform::DateTimeToStr(v);
        return;
    }
    }
}

} // namespace

bool VktValueIsText(TVktField field) {
    const CellKind kind = KindOf(field);
    return kind == CellKind::Text || kind == CellKind::Bytes || kind == CellKind::CatIndex;
}

TVktDataLister::TVktDataLister() : sessionName_("VktLister" + platform::IntToStr(static_cast<std::int64_t>(++sessionCounter))) {}

TVktDataLister::~TVktDataLister() = default;

void TVktDataLister::SetPath(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    if (path != path_) path_ = std::move(path);
}

bool TVktDataLister::Prepare(const TFilterObject& filter, platform::ConnectionPool::Lease& connection,
                             platform::StatementLease& lease) const {
    try {
        connection = platform::ConnectionPool::Acquire(platform::DatabaseFilePath(path_));
        lease = connection->Lease(sql_);
    } catch (const std::exception&) {
        return false;
    }
    if (filter.GetKind() == 0) SetFilterParams(filter, *lease, table_);
    return true;
}

int TVktDataLister::Count(TPriorityItem fields, TFilterObject filter) {
    sql_ = "select count(*) from (" + VktSQLString(table_, fields, TPriorityItem(), filter) + ")";
    if (path_.empty()) return 0;
    platform::ConnectionPool::Lease connection;
    platform::StatementLease lease;
    if (!Prepare(filter, connection, lease)) return -1;
    int count = -1;
    try {
        if (lease->Step()) count = lease->GetInt(0);
    } catch (const std::exception&) {
        count = -1;
    }
    lease.Return();
    connection.Return();
    return count;
}

bool TVktDataLister::List(void* user, TPriorityItem fields, TPriorityItem orders, TFilterObject filter) {
    if (fields.GetCount() == 0) return true;
    sql_ = VktSQLString(table_, fields, orders, filter);
    if (path_.empty()) return true;

    platform::ConnectionPool::Lease connection;
    platform::StatementLease lease;
    if (!Prepare(filter, connection, lease)) return false;
    platform::Statement& statement = *lease;

    bool result = true;
    try {
        std::string missing;
        const std::vector<CellPlan> plans = PlanCells(statement, fields, missing);
        // A row is read whole before it is handed out: a failing cell hands out nothing of its row.
        std::vector<std::string> texts(plans.size());
        std::vector<platform::Variant> values(plans.size());
        bool more = true;
        for (int row = 0; more && statement.Step(); ++row) {
            if (!missing.empty()) throw platform::DatabaseError("Field '" + missing + "' not found", sql_);
            for (std::size_t i = 0; i < plans.size(); ++i) ReadCell(statement, plans[i], texts[i], values[i]);
            if (OnListRow) OnListRow(this, row, user);
            if (OnListCell)
                for (std::size_t i = 0; i < plans.size(); ++i)
                    OnListCell(this, row, plans[i].field, texts[i], values[i], user);
            if (OnListRowDone) OnListRowDone(this, row, more, user);
        }
    } catch (const std::exception&) {
        result = false;
    }
    // The statement is reset before its connection goes back: no read is left open on it.
    lease.Return();
    connection.Return();
    return result;
}
