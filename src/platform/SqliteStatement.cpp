// A prepared statement: binding, stepping and reading columns.
#include "platform/SqliteInternal.h"

#include "platform/DateTime.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace platform {

namespace {

// A parameter name as SQLite reports it (":Name", "@Name", "$Name") without its prefix.
std::string_view StripParameterPrefix(std::string_view name) {
    if (!name.empty() && (name.front() == ':' || name.front() == '@' || name.front() == '$'))
        name.remove_prefix(1);
    return name;
}

bool IsWholeDay(TDateTime value) {
    return value == std::floor(value);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Statement

Statement::Statement(Connection& connection, std::string_view sql) {
    Prepare(connection, sql);
}

Statement::~Statement() {
    Finalize();
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      stmt_(std::exchange(other.stmt_, nullptr)),
      watch_(std::move(other.watch_)),
      sql_(std::move(other.sql_)),
      columnNames_(std::move(other.columnNames_)),
      parameterNames_(std::move(other.parameterNames_)),
      parameterIndexes_(std::move(other.parameterIndexes_)),
      nextParameter_(std::exchange(other.nextParameter_, 0)),
      hasRow_(std::exchange(other.hasRow_, false)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        Finalize();
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
        watch_ = std::move(other.watch_);
        sql_ = std::move(other.sql_);
        columnNames_ = std::move(other.columnNames_);
        parameterNames_ = std::move(other.parameterNames_);
        parameterIndexes_ = std::move(other.parameterIndexes_);
        nextParameter_ = std::exchange(other.nextParameter_, 0);
        hasRow_ = std::exchange(other.hasRow_, false);
    }
    return *this;
}

void Statement::Finalize() noexcept {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    db_ = nullptr;
    watch_.reset();
    hasRow_ = false;
    columnNames_.clear();
    parameterNames_.clear();
    parameterIndexes_.clear();
    nextParameter_ = 0;
}

void Statement::Prepare(Connection& connection, std::string_view sql) {
    Prepare(connection.Handle(), sql, 0, connection.watch_);
}

void Statement::Prepare(sqlite3* db, std::string_view sql, unsigned flags, std::shared_ptr<TransactionWatch> watch) {
    Finalize();
    watch_ = std::move(watch);
    sql_.assign(sql);
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db, sql_.data(), static_cast<int>(sql_.size()), flags, &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throw DatabaseError(ErrorMessage(db, rc), sql_);
    }
    if (stmt == nullptr) throw DatabaseError("no SQL statement", sql_);
    // Whatever follows the statement may be blanks, semicolons and comments, nothing more.
    const char* end = sql_.data() + sql_.size();
    if (tail != nullptr && tail < end) {
        sqlite3_stmt* next = nullptr;
        rc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &next, nullptr);
        bool extra = rc != SQLITE_OK || next != nullptr;
        sqlite3_finalize(next);
        if (extra) {
            sqlite3_finalize(stmt);
            throw DatabaseError("more than one SQL statement", sql_);
        }
    }
    db_ = db;
    stmt_ = stmt;

    const int columns = sqlite3_column_count(stmt_);
    columnNames_.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt_, i);
        columnNames_.emplace_back(name != nullptr ? name : "");
    }

    const int parameters = sqlite3_bind_parameter_count(stmt_);
    for (int i = 1; i <= parameters; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt_, i);
        if (raw == nullptr) continue;   // an anonymous "?"
        std::string_view name = StripParameterPrefix(raw);
        const int found = FindName(parameterNames_, name);
        if (found < 0) {
            parameterNames_.emplace_back(name);
            parameterIndexes_.push_back({i});
        } else {
            parameterIndexes_[static_cast<std::size_t>(found)].push_back(i);
        }
    }
}

int Statement::FindName(const std::vector<std::string>& names, std::string_view name, std::size_t from) {
    const std::size_t count = names.size();
    if (from >= count) from = 0;
    for (std::size_t n = 0, i = from; n < count; ++n, i = i + 1 == count ? 0 : i + 1)
        if (EqualNoCase(names[i], name)) return static_cast<int>(i);
    return -1;
}

void Statement::CheckPrepared() const {
    if (stmt_ == nullptr) throw DatabaseError("statement is not prepared", sql_);
}

void Statement::CheckColumn(int index) const {
    if (!hasRow_) throw DatabaseError("no current row", sql_);
    if (index < 0 || index >= ColumnCount())
        throw DatabaseError("column index out of range (" + std::to_string(index) + ")", sql_);
}

int Statement::RequireColumn(std::string_view name) const {
    int index = ColumnIndex(name);
    if (index < 0) throw DatabaseError("no column named '" + std::string(name) + "'", sql_);
    return index;
}

void Statement::Fail(int rc) const {
    throw DatabaseError(ErrorMessage(db_, rc), sql_);
}

void Statement::Check(int rc) const {
    if (rc != SQLITE_OK) Fail(rc);
}

bool Statement::HasParameter(std::string_view name) const {
    return FindName(parameterNames_, StripParameterPrefix(name)) >= 0;
}

std::vector<std::string> Statement::ParameterNames() const {
    return parameterNames_;
}

const std::vector<int>& Statement::ParameterIndexes(std::string_view name) const {
    CheckPrepared();
    const std::string_view bare = StripParameterPrefix(name);
    // Binds mostly follow the statement's order, each name spelled as in the statement.
    std::size_t at = nextParameter_;
    if (at >= parameterNames_.size() || parameterNames_[at] != bare) {
        const int found = FindName(parameterNames_, bare, at);
        if (found < 0) throw DatabaseError("parameter '" + std::string(name) + "' not found", sql_);
        at = static_cast<std::size_t>(found);
    }
    nextParameter_ = at + 1;
    return parameterIndexes_[at];
}

void Statement::BindNull(std::string_view name) {
    for (int i : ParameterIndexes(name)) Check(sqlite3_bind_null(stmt_, i));
}

void Statement::BindText(std::string_view name, std::string_view value) {
    if (value.empty()) {
        BindNull(name);
        return;
    }
    for (int i : ParameterIndexes(name))
        Check(sqlite3_bind_text(stmt_, i, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void Statement::BindTextRef(std::string_view name, std::string_view value) {
    if (value.empty()) {
        BindNull(name);
        return;
    }
    for (int i : ParameterIndexes(name))
        Check(sqlite3_bind_text(stmt_, i, value.data(), static_cast<int>(value.size()), SQLITE_STATIC));
}

void Statement::BindInt64(std::string_view name, std::int64_t value) {
    for (int i : ParameterIndexes(name)) Check(sqlite3_bind_int64(stmt_, i, value));
}

void Statement::BindDouble(std::string_view name, double value) {
    for (int i : ParameterIndexes(name)) Check(sqlite3_bind_double(stmt_, i, value));
}

void Statement::BindBool(std::string_view name, bool value) {
    BindInt64(name, value ? 1 : 0);
}

void Statement::BindBlob(std::string_view name, const Bytes& value) {
    if (value.empty()) {
        BindNull(name);
        return;
    }
    for (int i : ParameterIndexes(name))
        Check(sqlite3_bind_blob(stmt_, i, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void Statement::Bind(std::string_view name, const Variant& value, FieldType type) {
    if (value.IsEmptyOrNull()) {
        BindNull(name);
        return;
    }
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        BindText(name, value.AsString());
        return;
    case FieldType::SmallInt:
    case FieldType::Integer:
        BindInt64(name, value.AsInt64());
        return;
    case FieldType::Boolean:
        BindBool(name, value.AsBool());
        return;
    case FieldType::Float:
    case FieldType::Currency:
        BindDouble(name, value.AsDouble());
        return;
    case FieldType::Date:
        BindText(name, ToIsoDate(value.AsDateTime()));
        return;
    case FieldType::DateTime:
        BindText(name, ToIsoDateTime(value.AsDateTime()));
        return;
    case FieldType::Graphic:
    case FieldType::FmtMemo:
        if (value.GetKind() == Variant::Kind::Bytes) {
            BindBlob(name, value.AsBytes());
        } else {
            std::string text = value.AsString();
            BindBlob(name, Bytes(text.begin(), text.end()));
        }
        return;
    case FieldType::Unknown:
        break;
    }
    Bind(name, value);
}

void Statement::Bind(std::string_view name, const Variant& value) {
    switch (value.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
        BindNull(name);
        return;
    case Variant::Kind::Integer:
        BindInt64(name, value.AsInt64());
        return;
    case Variant::Kind::Double:
    case Variant::Kind::Currency:
        BindDouble(name, value.AsDouble());
        return;
    case Variant::Kind::Boolean:
        BindBool(name, value.AsBool());
        return;
    case Variant::Kind::Text:
        BindText(name, value.AsString());
        return;
    case Variant::Kind::DateTime: {
        TDateTime dt = value.AsDateTime();
        BindText(name, IsWholeDay(dt) ? ToIsoDate(dt) : ToIsoDateTime(dt));
        return;
    }
    case Variant::Kind::Bytes:
        BindBlob(name, value.AsBytes());
        return;
    }
}

void Statement::ClearBindings() {
    CheckPrepared();
    sqlite3_clear_bindings(stmt_);
}

bool Statement::Step() {
    CheckPrepared();
    const bool inTransaction = sqlite3_get_autocommit(db_) == 0;
    if (Lost(watch_.get(), inTransaction)) throw LostError(watch_.get(), sql_);
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        hasRow_ = true;
        return true;
    }
    hasRow_ = false;
    if (rc == SQLITE_DONE) return false;
    DatabaseError failure(ErrorMessage(db_, rc), sql_, rc);
    sqlite3_reset(stmt_);
    if (inTransaction) NoteFailure(db_, watch_.get(), failure);
    throw failure;
}

int Statement::Execute() {
    while (Step()) {
    }
    return sqlite3_changes(db_);
}

void Statement::Reset() {
    CheckPrepared();
    hasRow_ = false;
    // The result of reset repeats the error of the last step, already raised there.
    sqlite3_reset(stmt_);
}

const std::string& Statement::ColumnName(int index) const {
    if (index < 0 || index >= ColumnCount())
        throw DatabaseError("column index out of range (" + std::to_string(index) + ")", sql_);
    return columnNames_[static_cast<std::size_t>(index)];
}

int Statement::ColumnIndex(std::string_view name) const {
    return FindName(columnNames_, name);
}

StorageClass Statement::GetStorageClass(int index) const {
    CheckColumn(index);
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER: return StorageClass::Integer;
    case SQLITE_FLOAT: return StorageClass::Real;
    case SQLITE_TEXT: return StorageClass::Text;
    case SQLITE_BLOB: return StorageClass::Blob;
    default: return StorageClass::Null;
    }
}

bool Statement::IsNull(int index) const {
    CheckColumn(index);
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

std::string_view Statement::GetTextView(int index) const {
    CheckColumn(index);
    const unsigned char* text = sqlite3_column_text(stmt_, index);
    if (text == nullptr) return {};
    return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))};
}

std::string Statement::GetText(int index) const {
    return std::string(GetTextView(index));
}

std::int64_t Statement::GetInt64(int index) const {
    CheckColumn(index);
    return sqlite3_column_int64(stmt_, index);
}

double Statement::GetDouble(int index) const {
    CheckColumn(index);
    return sqlite3_column_double(stmt_, index);
}

bool Statement::GetBool(int index) const {
    CheckColumn(index);
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
        return sqlite3_column_int64(stmt_, index) != 0;
    case SQLITE_TEXT: {
        std::string_view text = GetTextView(index);
        if (EqualNoCase(text, "true")) return true;
        if (EqualNoCase(text, "false")) return false;
        return sqlite3_column_double(stmt_, index) != 0.0;
    }
    default:
        return sqlite3_column_double(stmt_, index) != 0.0;
    }
}

Bytes Statement::GetBlob(int index) const {
    CheckColumn(index);
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, index));
    if (data == nullptr) return {};
    return Bytes(data, data + sqlite3_column_bytes(stmt_, index));
}

Variant Statement::GetVariant(int index, FieldType type) const {
    CheckColumn(index);
    const int storage = sqlite3_column_type(stmt_, index);
    if (storage == SQLITE_NULL) return Variant::Null();
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return Variant(GetText(index));
    case FieldType::SmallInt:
    case FieldType::Integer:
        return Variant(GetInt64(index));
    case FieldType::Boolean:
        return Variant(GetBool(index));
    case FieldType::Float:
        return Variant(GetDouble(index));
    case FieldType::Currency:
        return Variant(Currency::FromDouble(GetDouble(index)));
    case FieldType::Date:
    case FieldType::DateTime:
        if (storage == SQLITE_TEXT || storage == SQLITE_BLOB) {
            std::string_view text = GetTextView(index);
            if (text.empty()) return Variant::Null();
            return Variant::FromDateTime(FromIsoText(text));
        }
        return Variant::FromDateTime(GetDouble(index));
    case FieldType::Graphic:
    case FieldType::FmtMemo:
        return Variant(GetBlob(index));
    case FieldType::Unknown:
        break;
    }
    switch (storage) {
    case SQLITE_INTEGER: return Variant(GetInt64(index));
    case SQLITE_FLOAT: return Variant(GetDouble(index));
    case SQLITE_BLOB: return Variant(GetBlob(index));
    default: return Variant(GetText(index));
    }
}

} // namespace platform
