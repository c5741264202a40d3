#include "platform/Sqlite.h"

#include "platform/DateTime.h"
#include "platform/Errors.h"

#include <sqlite3.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <utility>

namespace platform {

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::string ErrorMessage(sqlite3* db, int rc) {
    if (db != nullptr) return sqlite3_errmsg(db);
    return sqlite3_errstr(rc);
}

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

std::string DatabaseFilePath(const std::string& folder) {
    if (folder.empty()) return kDatabaseFileName;
    return (std::filesystem::path(folder) / kDatabaseFileName).string();
}

// ---------------------------------------------------------------------------------------------
// Connection

Connection::Connection(const std::string& file, OpenMode mode) {
    Open(file, mode);
}

Connection::~Connection() {
    Close();
}

Connection::Connection(Connection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)) {
    other.path_.clear();
}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

Connection Connection::OpenFolder(const std::string& folder, OpenMode mode) {
    return Connection(DatabaseFilePath(folder), mode);
}

void Connection::Open(const std::string& file, OpenMode mode) {
    Close();
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::Create) flags |= SQLITE_OPEN_CREATE;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = ErrorMessage(db, rc);
        sqlite3_close_v2(db);
        throw DatabaseError(message + ": " + file);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // The pragmas read the file: a file that is not a database fails here.
    const char* setup = "PRAGMA foreign_keys = OFF; PRAGMA journal_mode = WAL;";
    char* error = nullptr;
    rc = sqlite3_exec(db, setup, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error != nullptr ? error : ErrorMessage(db, rc);
        sqlite3_free(error);
        sqlite3_close_v2(db);
        throw DatabaseError(message + ": " + file);
    }
    db_ = db;
    path_ = file;
}

bool Connection::TryOpen(const std::string& file, OpenMode mode) {
    try {
        Open(file, mode);
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void Connection::Close() noexcept {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    path_.clear();
}

sqlite3* Connection::Handle() const {
    if (db_ == nullptr) throw DatabaseError("database connection is not open");
    return db_;
}

void Connection::Execute(std::string_view sql) {
    std::string text(sql);
    char* error = nullptr;
    int rc = sqlite3_exec(Handle(), text.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error != nullptr ? error : ErrorMessage(db_, rc);
        sqlite3_free(error);
        throw DatabaseError(message, text);
    }
}

std::int64_t Connection::LastInsertRowid() const {
    return sqlite3_last_insert_rowid(Handle());
}

int Connection::Changes() const {
    return sqlite3_changes(Handle());
}

bool Connection::TableExists(std::string_view name) {
    Statement query(*this, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :Name COLLATE NOCASE");
    query.BindText("Name", name);
    return query.Step();
}

std::vector<std::string> Connection::TableNames() {
    Statement query(*this, "SELECT name FROM sqlite_master WHERE type = 'table' "
                           "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    std::vector<std::string> names;
    while (query.Step()) names.push_back(query.GetText(0));
    return names;
}

bool Connection::InTransaction() const {
    return sqlite3_get_autocommit(Handle()) == 0;
}

// ---------------------------------------------------------------------------------------------
// Statement

std::size_t Statement::NoCaseHash::operator()(std::string_view s) const noexcept {
    // FNV-1a over the folded bytes.
    std::size_t hash = 1469598103934665603ull;
    for (char c : s) {
        hash ^= static_cast<unsigned char>(FoldAscii(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool Statement::NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    return EqualNoCase(a, b);
}

Statement::Statement(Connection& connection, std::string_view sql) {
    Prepare(connection, sql);
}

Statement::~Statement() {
    Finalize();
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      stmt_(std::exchange(other.stmt_, nullptr)),
      sql_(std::move(other.sql_)),
      columnNames_(std::move(other.columnNames_)),
      columnIndex_(std::move(other.columnIndex_)),
      parameterNames_(std::move(other.parameterNames_)),
      parameterIndexes_(std::move(other.parameterIndexes_)),
      parameterIndex_(std::move(other.parameterIndex_)),
      hasRow_(std::exchange(other.hasRow_, false)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        Finalize();
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
        sql_ = std::move(other.sql_);
        columnNames_ = std::move(other.columnNames_);
        columnIndex_ = std::move(other.columnIndex_);
        parameterNames_ = std::move(other.parameterNames_);
        parameterIndexes_ = std::move(other.parameterIndexes_);
        parameterIndex_ = std::move(other.parameterIndex_);
        hasRow_ = std::exchange(other.hasRow_, false);
    }
    return *this;
}

void Statement::Finalize() noexcept {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    db_ = nullptr;
    hasRow_ = false;
    columnNames_.clear();
    columnIndex_.clear();
    parameterNames_.clear();
    parameterIndexes_.clear();
    parameterIndex_.clear();
}

void Statement::Prepare(Connection& connection, std::string_view sql) {
    Finalize();
    sqlite3* db = connection.Handle();
    sql_.assign(sql);
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql_.data(), static_cast<int>(sql_.size()), &stmt, &tail);
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
        columnIndex_.emplace(columnNames_.back(), i);   // the first column of a name wins
    }

    const int parameters = sqlite3_bind_parameter_count(stmt_);
    for (int i = 1; i <= parameters; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt_, i);
        if (raw == nullptr) continue;   // an anonymous "?"
        std::string_view name = StripParameterPrefix(raw);
        auto found = parameterIndex_.find(name);
        if (found == parameterIndex_.end()) {
            parameterIndex_.emplace(std::string(name), static_cast<int>(parameterNames_.size()));
            parameterNames_.emplace_back(name);
            parameterIndexes_.push_back({i});
        } else {
            parameterIndexes_[static_cast<std::size_t>(found->second)].push_back(i);
        }
    }
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
    return parameterIndex_.find(StripParameterPrefix(name)) != parameterIndex_.end();
}

std::vector<std::string> Statement::ParameterNames() const {
    return parameterNames_;
}

const std::vector<int>& Statement::ParameterIndexes(std::string_view name) const {
    CheckPrepared();
    auto found = parameterIndex_.find(StripParameterPrefix(name));
    if (found == parameterIndex_.end())
        throw DatabaseError("parameter '" + std::string(name) + "' not found", sql_);
    return parameterIndexes_[static_cast<std::size_t>(found->second)];
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
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        hasRow_ = true;
        return true;
    }
    hasRow_ = false;
    if (rc == SQLITE_DONE) return false;
    std::string message = ErrorMessage(db_, rc);
    sqlite3_reset(stmt_);
    throw DatabaseError(message, sql_);
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
    auto found = columnIndex_.find(name);
    return found == columnIndex_.end() ? -1 : found->second;
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

// ---------------------------------------------------------------------------------------------
// Savepoint and Transaction

namespace {
std::atomic<unsigned long long> savepointCounter{0};
}

Savepoint::Savepoint(Connection& connection)
    : connection_(connection), name_("vkt_sp_" + std::to_string(++savepointCounter)) {
    connection_.Execute("SAVEPOINT " + name_);
    active_ = true;
}

Savepoint::~Savepoint() {
    if (!active_) return;
    try {
        Rollback();
    } catch (...) {
        // A destructor reports nothing; the transaction may already be gone.
    }
}

void Savepoint::Release() {
    if (!active_) throw DatabaseError("savepoint is not active", name_);
    connection_.Execute("RELEASE " + name_);   // stays active (to roll back) when this fails
    active_ = false;
}

void Savepoint::Rollback() {
    if (!active_) throw DatabaseError("savepoint is not active", name_);
    active_ = false;
    // An error may have ended the whole transaction already: nothing is left to undo then.
    if (!connection_.IsOpen() || !connection_.InTransaction()) return;
    connection_.Execute("ROLLBACK TO " + name_ + "; RELEASE " + name_);
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    connection_.Execute("BEGIN IMMEDIATE");
    active_ = true;
}

Transaction::~Transaction() {
    if (!active_) return;
    try {
        Rollback();
    } catch (...) {
        // A destructor reports nothing.
    }
}

void Transaction::Commit() {
    if (!active_) throw DatabaseError("transaction is not active");
    connection_.Execute("COMMIT");   // stays active (to roll back) when this fails
    active_ = false;
}

void Transaction::Rollback() {
    if (!active_) throw DatabaseError("transaction is not active");
    active_ = false;
    if (!connection_.IsOpen() || !connection_.InTransaction()) return;
    connection_.Execute("ROLLBACK");
}

// ---------------------------------------------------------------------------------------------
// Backup and quoting

void BackupDatabase(Connection& source, Connection& destination) {
    sqlite3* dst = destination.Handle();
    sqlite3_backup* backup = sqlite3_backup_init(dst, "main", source.Handle(), "main");
    if (backup == nullptr) throw DatabaseError(sqlite3_errmsg(dst), "backup " + source.GetPath());
    int rc = SQLITE_OK;
    int waited = 0;
    constexpr int kWaitStepMs = 20;
    for (;;) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_DONE) break;
        bool busy = rc == SQLITE_BUSY || rc == SQLITE_LOCKED ||
                    (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (rc != SQLITE_OK && !(busy && waited < Connection::kBusyTimeoutMs)) break;
        if (busy) {
            sqlite3_sleep(kWaitStepMs);
            waited += kWaitStepMs;
        }
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        std::string message = sqlite3_errcode(dst) != SQLITE_OK ? sqlite3_errmsg(dst) : sqlite3_errstr(rc);
        throw DatabaseError(message, "backup " + source.GetPath() + " to " + destination.GetPath());
    }
}

namespace {
std::string QuoteWith(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    out += quote;
    for (char c : text) {
        if (c == quote) out += quote;
        out += c;
    }
    out += quote;
    return out;
}
} // namespace

std::string QuoteSql(std::string_view text) {
    return QuoteWith(text, '\'');
}

std::string QuoteIdentifier(std::string_view name) {
    return QuoteWith(name, '"');
}

} // namespace platform
