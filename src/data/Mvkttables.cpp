#include "data/Mvkttables.h"

#include "data/Vkttabledefine.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Guid.h"
#include "platform/Sqlite.h"
#include "platform/Text.h"

#include <exception>
#include <filesystem>
#include <vector>

namespace {

constexpr int kOldTableCount = 16;

// "Vktdb01.db" .. "Vktdb09.db", "Vktdb10.db" .. "Vktdb16.db".
std::string OldTableFileName(int number) {
    std::string name = "Vktdb";
    if (number < 10) name += '0';
    name += std::to_string(number);
    name += ".db";
    return name;
}

std::vector<TVktTable> StoredTableList() {
    std::vector<TVktTable> tables;
    for (int i = 0; i < VktTableCount; ++i)
        if (StoredTables.Contains(ToVktTable(i))) tables.push_back(ToVktTable(i));
    return tables;
}

// Declared column type: it gives SQLite the affinity the field type needs (REAL for float and
// currency, so that arithmetic on them never becomes integer division).
std::string DeclaredType(TVktField field) {
    switch (GetFieldType(field)) {
    case platform::FieldType::String: return "VARCHAR(" + std::to_string(GetFieldSize(field)) + ")";
    case platform::FieldType::SmallInt: return "SMALLINT";
    case platform::FieldType::Integer: return "INTEGER";
    case platform::FieldType::Boolean: return "BOOLEAN";
    case platform::FieldType::Float:
    case platform::FieldType::Currency: return "REAL";
    case platform::FieldType::Date:
    case platform::FieldType::DateTime:
    case platform::FieldType::Memo: return "TEXT";
    case platform::FieldType::Graphic:
    case platform::FieldType::FmtMemo: return "BLOB";
    case platform::FieldType::Unknown: break;
    }
    throw platform::DatabaseError("field " + GetFieldName(field) + " has no storable type");
}

// CREATE TABLE of a stored table: its stored columns in schema order, the primary key over the
// first key-count columns.
std::string CreateTableSql(TVktTable table) {
    const int first = ToInt(GetTableFirstField(table));
    const int count = GetTableFieldCount(table);
    const int keys = GetTableKeyCount(table);
    std::string sql = "CREATE TABLE " + platform::QuoteIdentifier(GetTableFileName(table)) + " (";
    std::string key;
    for (int i = 0; i < count; ++i) {
        const TVktField field = ToVktField(first + i);
        const std::string name = platform::QuoteIdentifier(GetFieldName(field));
        if (i > 0) sql += ", ";
        sql += name + " " + DeclaredType(field);
        if (i < keys) key += (key.empty() ? "" : ", ") + name;
    }
    if (!key.empty()) sql += ", PRIMARY KEY (" + key + ")";
    sql += ")";
    return sql;
}

// Lookup columns of stored tables that are not the first column of their primary key.
struct SecondaryIndex {
    TVktTable Table;
    TVktField Column;
};

constexpr SecondaryIndex kSecondaryIndexes[] = {
    {TVktTable::TblItem, TVktField::Data_Key},   // the "used as an item" tests
    {TVktTable::TblClass, TVktField::TreeID},    // a class by its tree index, the children of a class
    {TVktTable::TblClass, TVktField::Class},     // the default names a new class may not take
    {TVktTable::TblMHistory, TVktField::MHistoryDate},   // the months with monthly history
};

std::string CreateIndexSql(const SecondaryIndex& index) {
    const std::string table = GetTableFileName(index.Table);
    const std::string column = GetFieldName(index.Column);
    return "CREATE INDEX IF NOT EXISTS " + platform::QuoteIdentifier(table + "_" + column) + " ON " +
           platform::QuoteIdentifier(table) + " (" + platform::QuoteIdentifier(column) + ")";
}

void RemoveDatabaseFiles(const std::string& file) {
    platform::RemoveFile(file);
    platform::RemoveFile(file + "-wal");
    platform::RemoveFile(file + "-shm");
}

} // namespace

bool HoldsAllStoredTables(platform::Connection& db) {
    // A leased statement: an open session answers repeated tests without preparing again.
    std::vector<std::string> names;
    {
        platform::StatementLease query = db.Lease("SELECT name FROM sqlite_master WHERE type = 'table'");
        while (query->Step()) names.push_back(query->GetText(0));
    }
    for (TVktTable table : StoredTableList()) {
        const std::string fileName = GetTableFileName(table);
        bool found = false;
        for (const std::string& name : names)
            if (platform::SameText(name, fileName)) {
                found = true;
                break;
            }
        if (!found) return false;
    }
    return true;
}

bool TVktTblFunctor::OldTablesExist(const std::string& path) {
    try {
        for (int i = 1; i <= kOldTableCount; ++i)
            if (platform::FindFileNoCase(path, OldTableFileName(i)).empty()) return false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TVktTblFunctor::TablesExist(const std::string& path) {
    try {
        const std::string file = platform::DatabaseFilePath(path);
        if (!platform::FileExists(file)) return false;
        // Read only: a database on write-protected media exists as well.
        platform::Connection db(file, platform::OpenMode::ReadOnly);
        return HoldsAllStoredTables(db);
    } catch (const std::exception&) {
        return false;
    }
}

bool TVktTblFunctor::CreateTables(const std::string& path) {
    if (!platform::FolderExists(path)) return false;
    // A failure leaves the folder as it was: an existing file keeps its content through the rolled
    // back transaction; the files this call made are removed.
    const std::string file = platform::DatabaseFilePath(path);
    std::vector<std::string> made;
    for (const std::string& name : {file, file + "-wal", file + "-shm"}) {
        std::error_code error;
        if (!std::filesystem::exists(name, error)) made.push_back(name);
    }
    try {
        platform::Connection db(file, platform::OpenMode::Create);
        platform::Transaction transaction(db);
        for (TVktTable table : StoredTableList()) {
            db.Execute("DROP TABLE IF EXISTS " + platform::QuoteIdentifier(GetTableFileName(table)));
            db.Execute(CreateTableSql(table));
        }
        CreateSecondaryIndexes(db);
        transaction.Commit();
        return true;
    } catch (const std::exception&) {
        // The connection is closed here; the companions of a file that stays are its own.
        if (!made.empty() && made.front() == file) {
            for (const std::string& name : made) {
                std::error_code ignored;   // a folder turned read-only keeps them: nothing more to do
                std::filesystem::remove(name, ignored);
            }
        }
        return false;
    }
}

void TVktTblFunctor::DeleteTables(const std::string& path) {
    try {
        const std::string file = platform::DatabaseFilePath(path);
        if (!platform::FileExists(file)) return;
        bool empty = false;
        {
            platform::Connection db(file, platform::OpenMode::ReadWrite);
            for (TVktTable table : StoredTableList()) {
                try {
                    db.Execute("DROP TABLE " + platform::QuoteIdentifier(GetTableFileName(table)));
                } catch (const platform::DatabaseError&) {
                    break;
                }
            }
            empty = db.TableNames().empty();
        }
        if (empty) RemoveDatabaseFiles(file);
    } catch (const std::exception&) {
        // Nothing to report: the caller learns the state from TablesExist.
    }
}

bool TVktTblFunctor::CopyTables(const std::string& sourcePath, const std::string& destPath) {
    try {
        const std::string sourceFile = platform::DatabaseFilePath(sourcePath);
        const std::string destFile = platform::DatabaseFilePath(destPath);
        if (!platform::FileExists(sourceFile) || !platform::FolderExists(destPath)) return false;
        // A backup of a file onto itself would wipe what it copies.
        if (platform::FileExists(destFile) && std::filesystem::equivalent(sourceFile, destFile)) return false;

        platform::Connection source(sourceFile, platform::OpenMode::ReadWrite);
        if (!HoldsAllStoredTables(source)) return false;
        platform::Connection dest(destFile, platform::OpenMode::Create);
        platform::BackupDatabase(source, dest);
        source.Close();

        // The copy gets an identity of its own: row 1 of the settings table holds the database id.
        platform::Statement update(dest,
            "UPDATE " + platform::QuoteIdentifier(GetTableFileName(TVktTable::TblInitialize)) +
            " SET " + platform::QuoteIdentifier(GetFieldName(TVktField::Initial)) + " = :Guid" +
            " WHERE " + platform::QuoteIdentifier(GetFieldName(TVktField::Initial_ID)) + " = 1");
        update.BindText("Guid", platform::CreateGuidText());
        update.Execute();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void CreateSecondaryIndexes(platform::Connection& db) {
    for (const SecondaryIndex& index : kSecondaryIndexes)
        if (db.TableExists(GetTableFileName(index.Table))) db.Execute(CreateIndexSql(index));
}

TVktTblFunctor& GetVktTblFunctor() {
    static TVktTblFunctor functor;
    return functor;
}
