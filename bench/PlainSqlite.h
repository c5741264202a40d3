#pragma once
// The plain-SQLite side of the benchmarks: a connection and a prepared statement over the raw
// sqlite3 API, with positional parameters and nothing else. The baselines use it for the work the
// system does through its own layers, and the generator for its bulk rows.
//
// Failures raise std::runtime_error with SQLite's message and the statement text.
#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

class PlainDb {
public:
    PlainDb() = default;
    // Opens an existing database file with WAL journaling, as the system's connections do.
    explicit PlainDb(const std::string& file);
    ~PlainDb();
    PlainDb(const PlainDb&) = delete;
    PlainDb& operator=(const PlainDb&) = delete;

    void Open(const std::string& file);
    void Close() noexcept;
    void Exec(std::string_view sql);
    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// One prepared statement; parameters are numbered from 1, columns from 0.
class PlainStmt {
public:
    PlainStmt(PlainDb& db, std::string_view sql);
    ~PlainStmt();
    PlainStmt(const PlainStmt&) = delete;
    PlainStmt& operator=(const PlainStmt&) = delete;

    PlainStmt& Bind(int index, std::int64_t value);
    PlainStmt& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
    PlainStmt& Bind(int index, double value);
    // Empty text binds NULL, as the system stores an empty text.
    PlainStmt& Bind(int index, std::string_view value);
    PlainStmt& Bind(int index, const char* value) { return Bind(index, std::string_view(value)); }
    PlainStmt& BindBlob(int index, std::string_view bytes);
    PlainStmt& BindNull(int index);
    // Index of a named parameter (":Name"), 0 when the statement has none of that name.
    int ParameterIndex(const std::string& name) const;

    // True while a row is available.
    bool Step();
    // Runs to the end and rewinds; bindings stay.
    void Run();
    void Reset();

    int ColumnCount() const;
    bool IsNull(int column) const;
    std::int64_t Int(int column) const;
    double Double(int column) const;
    std::string_view Text(int column) const;
    std::string_view ColumnName(int column) const;

private:
    [[noreturn]] void Fail(int rc) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE (a writer) or BEGIN (a reader) on construction; Commit() ends it, the
// destructor rolls back one still open.
class PlainTransaction {
public:
    explicit PlainTransaction(PlainDb& db, bool write = true) : db_(db) {
        db_.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    ~PlainTransaction();
    PlainTransaction(const PlainTransaction&) = delete;
    PlainTransaction& operator=(const PlainTransaction&) = delete;
    void Commit();

private:
    PlainDb& db_;
    bool open_ = true;
};

} // namespace bench
