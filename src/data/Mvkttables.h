#pragma once
// The table-file module: tells whether a folder holds a current database, an old-format one or
// none, and creates, copies and deletes the stored tables of a database folder.
//
// A current database is the file "vektara.db" of the folder holding every stored table of the
// schema (VktDB1A .. VktDB1R). An old-format database is a folder of the sixteen Paradox tables
// Vktdb01.db .. Vktdb16.db (names compared regardless of case).
//
// The module keeps no connection between operations: each one opens its own and closes it before
// returning. No operation raises or shows anything; failures give the results stated below.
//
// Besides the primary keys, a database has the secondary indexes of the hot lookups that filter by
// another column (the records a recipe or menu uses, by TblItem.Data_Key); each is named
// <table>_<column>.
#include <string>

namespace platform {
class Connection;
}

class TVktTblFunctor {
public:
    TVktTblFunctor() = default;
    TVktTblFunctor(const TVktTblFunctor&) = delete;
    TVktTblFunctor& operator=(const TVktTblFunctor&) = delete;

    // True when all sixteen old-format table files are in the folder; false on any error.
    bool OldTablesExist(const std::string& path);
    // True when the folder's database file holds every stored table; false on any error (a missing
    // folder or file among them). Opens the file read-only; never creates a file.
    bool TablesExist(const std::string& path);
    // Drops and recreates every stored table, empty, in one transaction (creating the database
    // file when needed). False when anything fails; nothing changes then. The folder must exist.
    bool CreateTables(const std::string& path);
    // Drops the stored tables in identifier order, stopping silently at the first that cannot be
    // dropped (a missing file or table); when no table remains, removes the database file with its
    // -wal and -shm companions.
    void DeleteTables(const std::string& path);
    // Replaces the destination folder's database by a copy of the source's (the whole file content,
    // copied through SQLite's backup), then gives the copy a new database id: the Initial text of
    // the settings row 1, when that row exists. False when the source lacks a stored table, the
    // destination folder is missing, both name the same file, or anything else fails.
    bool CopyTables(const std::string& sourcePath, const std::string& destPath);
};

// Creates the secondary indexes the connection's database lacks (a database made before they
// existed), skipping a table that is not there. Raises platform::DatabaseError when a statement
// fails (a write-protected database among others).
void CreateSecondaryIndexes(platform::Connection& db);

// True when the connection's database holds every stored table; raises platform::DatabaseError
// when the query fails.
bool HoldsAllStoredTables(platform::Connection& db);

// The process-wide module, created on first use.
TVktTblFunctor& GetVktTblFunctor();
