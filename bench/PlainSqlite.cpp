#include "PlainSqlite.h"

#include <sqlite3.h>

#include <stdexcept>

namespace bench {

namespace {

[[noreturn]] void Raise(sqlite3* db, std::string_view sql) {
    std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    if (!sql.empty()) message += " [" + std::string(sql) + "]";
    throw std::runtime_error(message);
}

} // namespace

PlainDb::PlainDb(const std::string& file) { Open(file); }

PlainDb::~PlainDb() { Close(); }

void PlainDb::Open(const std::string& file) {
    Close();
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        Close();
        throw std::runtime_error(message + " [" + file + "]");
    }
    sqlite3_busy_timeout(db_, 5000);
    Exec("PRAGMA journal_mode = WAL");
    Exec("PRAGMA temp_store = MEMORY");   // as the program's connections
}

void PlainDb::Close() noexcept {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void PlainDb::Exec(std::string_view sql) {
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Raise(db_, sql);
}

PlainStmt::PlainStmt(PlainDb& db, std::string_view sql) : db_(db.Handle()) {
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
        Raise(db_, sql);
}

PlainStmt::~PlainStmt() { sqlite3_finalize(stmt_); }

void PlainStmt::Fail(int) const { Raise(db_, sqlite3_sql(stmt_) ? sqlite3_sql(stmt_) : ""); }

PlainStmt& PlainStmt::Bind(int index, std::int64_t value) {
    if (int rc = sqlite3_bind_int64(stmt_, index, value); rc != SQLITE_OK) Fail(rc);
    return *this;
}

PlainStmt& PlainStmt::Bind(int index, double value) {
    if (int rc = sqlite3_bind_double(stmt_, index, value); rc != SQLITE_OK) Fail(rc);
    return *this;
}

PlainStmt& PlainStmt::Bind(int index, std::string_view value) {
    const int rc =
        value.empty() ? sqlite3_bind_null(stmt_, index)
                      : sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) Fail(rc);
    return *this;
}

PlainStmt& PlainStmt::BindBlob(int index, std::string_view bytes) {
    if (int rc = sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        Fail(rc);
    return *this;
}

PlainStmt& PlainStmt::BindNull(int index) {
    if (int rc = sqlite3_bind_null(stmt_, index); rc != SQLITE_OK) Fail(rc);
    return *this;
}

int PlainStmt::ParameterIndex(const std::string& name) const {
    return sqlite3_bind_parameter_index(stmt_, name.c_str());
}

bool PlainStmt::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(rc);
}

void PlainStmt::Run() {
    while (Step()) {}
    Reset();
}

void PlainStmt::Reset() { sqlite3_reset(stmt_); }

int PlainStmt::ColumnCount() const { return sqlite3_column_count(stmt_); }

bool PlainStmt::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t PlainStmt::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

double PlainStmt::Double(int column) const { return sqlite3_column_double(stmt_, column); }

std::string_view PlainStmt::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (!text) return {};
    return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

} // namespace bench

namespace bench {

PlainTransaction::~PlainTransaction() {
    if (!open_) return;
    try {
        db_.Exec("ROLLBACK");
    } catch (...) {
        // Nothing to do: the connection ends the transaction when it closes.
    }
}

void PlainTransaction::Commit() {
    open_ = false;
    db_.Exec("COMMIT");
}

std::string_view PlainStmt::ColumnName(int column) const {
    const char* name = sqlite3_column_name(stmt_, column);
    return name ? std::string_view(name) : std::string_view();
}

} // namespace bench
