// The operations module itself: binding to a folder, the shared statement helpers, the small
// lookups that other operations share, the change stamp and the per-database settings store.
#include "database/Mvktfunctor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "data/Mvkttables.h"
#include "data/Ufilterstruct.h"
#include "data/Usqlwiz.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/Xml.h"

namespace {

// The setting map a database starts with (row 0 of TblInitialize).
constexpr const char* kDefaultInitialIds =
    "<InitialID DatabaseID=\"1\" ClassIcon=\"2\" Filter=\"3\" ViewField=\"4\" InvViewField=\"5\" "
    "ItemViewField=\"6\" />";

// Attribute value text: the characters that would end or break a double-quoted value escaped.
std::string XmlAttributeText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

TVktFunctor::TVktFunctor() = default;

TVktFunctor::~TVktFunctor() { Deactivate(); }

// ---- Folder and connection ------------------------------------------------------------------------

void TVktFunctor::SetPath(const std::string& path) {
    ForgetReadOnlyConnection();
    std::string folder = path;
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    if (folder != path_) {
        Deactivate();
        path_ = folder;
    }
    if (!path_.empty()) LoadInitialIDs();
}

void TVktFunctor::SetPathForWrite(const std::string& path) {
    EndPendingTransaction();
    ForgetReadOnlyConnection();
    std::string folder = path;
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    if (folder != path_) {
        Deactivate();
        path_ = folder;
    }
    if (path_.empty()) return;
    std::unique_ptr<platform::Transaction> transaction;
    try {
        platform::Connection& db = Db();
        if (!db.InTransaction() && !db.IsReadOnly()) transaction = std::make_unique<platform::Transaction>(db);
    } catch (const platform::DatabaseError&) {
        // No database, or the write lock is not to be had: the read alone reports it, as SetPath's.
    }
    if (!transaction) {
        LoadInitialIDs();
        return;
    }
    // A write of the map that fails ends the transaction with the raise: nothing to keep.
    if (LoadInitialIDs())
        transaction->Commit();
    else
        pending_ = std::move(transaction);
}

void TVktFunctor::EndPendingTransaction() noexcept {
    pending_.reset();   // it holds no change: only the lock goes
}

void TVktFunctor::ForgetReadOnlyConnection() noexcept {
    if (db_.IsOpen() && !pending_ && db_.IsIdle() && db_.IsReadOnly()) Deactivate();
}

std::string TVktFunctor::GetPath() const { return path_; }

bool TVktFunctor::IsReadOnly() {
    try {
        return Db().IsReadOnly();
    } catch (const platform::DatabaseError&) {
        return false;   // no database: nothing to protect
    }
}

std::optional<platform::DatabaseError> TVktFunctor::TakeWriteError() { return std::exchange(writeError_, std::nullopt); }

void TVktFunctor::NoteWriteError(const platform::DatabaseError& error) {
    // A statement that cannot run is how some operations refuse what they do not write.
    if (!writeError_ && platform::KindOfFailure(error.Code()) != platform::FailureKind::Statement) writeError_ = error;
}

platform::Connection& TVktFunctor::Db() {
    if (!db_.IsOpen()) {
        if (path_.empty()) throw platform::DatabaseError("No database folder is set");
        // A database that cannot be opened for writing (write-protected media) is read; every
        // write on it is refused.
        db_.Open(platform::DatabaseFilePath(path_), platform::OpenMode::ReadWriteOrReadOnly);
        if (!db_.IsReadOnly()) {
            // Batches nest a savepoint per record (and statements that may undo themselves) in
            // one of their own: with SQLite's in-memory statement journal each release walked
            // the whole batch's journal. Without it the connection is only slower.
            try {
                db_.UseOwnStatementJournal();
            } catch (const platform::DatabaseError&) {
            }
            // A database made before its secondary indexes gets them once; one that cannot take
            // them now (busy, or not writable after all) is used as it is.
            try {
                CreateSecondaryIndexes(db_);
            } catch (const platform::DatabaseError&) {
            }
        }
    }
    return db_;
}

void TVktFunctor::Deactivate() {
    pending_.reset();   // closing the connection ends its transaction
    ForgetBatchMemo();
    db_.Close();
}

// ---- Statement helpers ----------------------------------------------------------------------------

platform::Statement TVktFunctor::Prepare(const std::string& sql, const SqlParams& params) {
    platform::Statement statement(Db(), sql);
    for (const auto& [name, value] : params) statement.Bind(name, value);
    return statement;
}

platform::StatementLease TVktFunctor::Lease(const std::string& sql, const SqlParams& params) {
    platform::StatementLease statement = Db().Lease(sql);
    for (const auto& [name, value] : params) statement->Bind(name, value);
    return statement;
}

int TVktFunctor::Exec(const std::string& sql, const SqlParams& params) {
    return Lease(sql, params)->Execute();
}

std::int64_t TVktFunctor::QueryInt(const std::string& sql, const SqlParams& params, std::int64_t whenNone) {
    platform::StatementLease statement = Lease(sql, params);
    if (!statement->Step() || statement->IsNull(0)) return whenNone;
    return statement->GetInt64(0);
}

std::string TVktFunctor::QueryText(const std::string& sql, const SqlParams& params) {
    platform::StatementLease statement = Lease(sql, params);
    if (!statement->Step()) return {};
    return statement->GetText(0);
}

bool TVktFunctor::QueryHasRow(const std::string& sql, const SqlParams& params) {
    return Lease(sql, params)->Step();
}

TPriorityItem TVktFunctor::QueryIntList(const std::string& sql, const SqlParams& params) {
    platform::StatementLease statement = Lease(sql, params);
    TPriorityItem list;
    while (statement->Step())
        if (!statement->IsNull(0)) list.Push(statement->GetInt(0));
    return list;
}

int TVktFunctor::NextKey(TVktField keyField) {
    return static_cast<int>(QueryInt("select coalesce(max(" + Col(keyField) + "), 0) + 1 from " +
                                     Tbl(GetFieldTable(keyField))));
}

std::string TVktFunctor::Tbl(TVktTable table) { return GetTableFileName(table); }

std::string TVktFunctor::Col(TVktField field) { return GetFieldName(field); }

std::string TVktFunctor::SqlText(std::string_view text) { return platform::QuoteSql(text); }

std::string TVktFunctor::SqlDate(platform::TDateTime value) {
    return "'" + platform::ToIsoDate(value) + "'";
}

std::string TVktFunctor::SqlDateTime(platform::TDateTime value) {
    return "'" + platform::ToIsoDateTime(value) + "'";
}

std::string TVktFunctor::SqlInt(std::int64_t value) { return platform::IntToStr(value); }

std::string TVktFunctor::SqlFloat(double value) {
    if (!std::isfinite(value)) throw platform::ConvertError("Not a finite number");
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) throw platform::ConvertError("Number cannot be written");
    return std::string(buffer, end);
}

// ---- Shared lookups -------------------------------------------------------------------------------

bool TVktFunctor::TouchChangeDate(int dataId) {
    return Write(false, [&] {
        StampChangeDate(dataId);
        return true;
    });
}

void TVktFunctor::StampChangeDate(int dataId) {
    Exec("update " + Tbl(TVktTable::TblData) + " set ChangeDate = :Now where Data_ID = :ID",
         {{"Now", platform::ToIsoDateTime(platform::Now())}, {"ID", dataId}});
}

int TVktFunctor::GetClassType(int classId) {
    return Read(-2, [&] {
        platform::StatementLease statement =
            Lease("select TreeID, ClassType from " + Tbl(TVktTable::TblClass) + " where Class_ID = :ID",
                  {{"ID", classId}});
        return statement->Step() ? statement->GetInt("ClassType") : ctRoot;
    });
}

TTreeIndex TVktFunctor::GetClassTreeID(int classId) {
    return Read(TTreeIndex(), [&] {
        platform::StatementLease statement =
            Lease("select TreeID, ClassType from " + Tbl(TVktTable::TblClass) + " where Class_ID = :ID",
                  {{"ID", classId}});
        if (!statement->Step()) return TTreeIndex();
        return TTreeIndex(statement->GetText("TreeID"));
    });
}

int TVktFunctor::GetDataClassType(int dataId) {
    return Read(static_cast<int>(ctRoot), [&] {
        return static_cast<int>(QueryInt("select ClassType from " + Tbl(TVktTable::TblData) +
                                             " left outer join " + Tbl(TVktTable::TblClass) +
                                             " on Class_Key = Class_ID where Data_ID = :ID",
                                         {{"ID", dataId}}));
    });
}

int TVktFunctor::GetDataEraseState(int dataId) {
    return Read(0, [&] {
        platform::StatementLease statement =
            Lease("select Conserve, EraseDate from " + Tbl(TVktTable::TblData) + " left outer join " +
                      Tbl(TVktTable::TblErase) + " on Erase_Key = Data_ID where Data_ID = :ID",
                  {{"ID", dataId}});
        if (!statement->Step()) return 0;
        if (statement->GetBool("Conserve")) return -2;
        return statement->IsNull("EraseDate") ? 0 : -1;
    });
}

TPriorityItem TVktFunctor::SelectDataIDs(TFilterObject filter) {
    return Read(TPriorityItem(), [&] {
        TPriorityItem fields;
        fields << ToInt(TVktField::Data_ID);
        TPriorityItem orders;
        orders << 0;
        platform::Statement statement(Db(), VktSQLString(TVktTable::TblData, fields, orders, filter));
        if (filter.GetKind() == 0) SetFilterParams(filter, statement, TVktTable::TblData);
        TPriorityItem ids;
        while (statement.Step()) ids.Push(statement.GetInt(0));
        return ids;
    });
}

// ---- Settings store (table Initialize) ------------------------------------------------------------

bool TVktFunctor::LoadInitialIDs() {
    const std::string table = Tbl(TVktTable::TblInitialize);
    std::string text = Read(std::string(), [&] {
        return QueryText("select Initial from " + table + " where Initial_ID = 0");
    });
    bool wrote = text.empty();
    if (text.empty() && Db().IsReadOnly()) {
        // Nothing can be stored: the defaults serve this session.
        text = kDefaultInitialIds;
        wrote = false;
    } else if (text.empty()) {
        // Another program opening the same new database may have written the map first: keep its map.
        Exec("insert or ignore into " + table + " values ( 0, :Text )", {{"Text", kDefaultInitialIds}});
        text = QueryText("select Initial from " + table + " where Initial_ID = 0");
        if (text.empty()) text = kDefaultInitialIds;
    }
    // Parsing merges the text's ids into the map and only RegisterInitialID changes the map
    // otherwise, adding names the last text did not hold: the text parsed last changes nothing.
    if (text == parsedInitialText_) return wrote;
    platform::XmlDocument document;
    document.LoadFromString(text);
    for (const platform::XmlNode& node : document.GetDocumentNode().GetChildren()) {
        if (node.GetName() != "InitialID") continue;
        for (const auto& [name, value] : node.GetAttributes()) {
            bool found = false;
            for (auto& line : initialIds_) {
                if (platform::SameText(line.first, name)) {
                    line.second = value;
                    found = true;
                    break;
                }
            }
            if (!found) initialIds_.emplace_back(name, value);
        }
        break;
    }
    parsedInitialText_ = std::move(text);
    return wrote;
}

std::string TVktFunctor::InitialMapText() const {
    std::string text = "<InitialID ";
    for (const auto& [name, value] : initialIds_) text += name + "=\"" + XmlAttributeText(value) + "\" ";
    text += "/>";
    return text;
}

namespace {

// The row id a map value names; 0 for a value that is not a positive integer (no row).
int InitialRowId(const std::string& value) {
    const int id = platform::StrToIntDef(platform::Trim(value), 0);
    return id > 0 ? id : 0;
}

} // namespace

int TVktFunctor::RegisterInitialID(const std::string& name) {
    bool mapStored = true;
    return RegisterInitialID(name, mapStored);
}

int TVktFunctor::RegisterInitialID(const std::string& name, bool& mapStored) {
    mapStored = true;
    std::pair<std::string, std::string>* entry = nullptr;
    int highest = 0;
    for (auto& line : initialIds_) {
        if (!entry && platform::SameText(line.first, name)) entry = &line;
        highest = std::max(highest, InitialRowId(line.second));
    }
    if (entry && InitialRowId(entry->second) > 0) return InitialRowId(entry->second);

    // A new name, or one whose id names no row: the next id above every id in the map, so that
    // no two settings share a row.
    const int id = highest + 1;
    if (entry)
        entry->second = platform::IntToStr(id);
    else
        initialIds_.emplace_back(name, platform::IntToStr(id));
    // The id stays registered even when row 0 cannot be rewritten.
    mapStored = Write(false, [&] {
        Exec("update " + Tbl(TVktTable::TblInitialize) + " set Initial = :Text where Initial_ID = 0",
             {{"Text", InitialMapText()}});
        return true;
    });
    return id;
}

std::string TVktFunctor::GetInitial(const std::string& name) {
    const int id = RegisterInitialID(name);
    return Read(std::string(), [&] {
        return QueryText("select Initial from " + Tbl(TVktTable::TblInitialize) + " where Initial_ID = :ID",
                         {{"ID", id}});
    });
}

void TVktFunctor::StoreInitial(const std::string& name, const std::string& text) {
    bool mapStored = true;
    const int id = RegisterInitialID(name, mapStored);
    if (text.empty()) return;
    const std::string table = Tbl(TVktTable::TblInitialize);
    ForgetBatchMemo();
    platform::Savepoint savepoint(Db());
    // A row the stored map does not name would be lost on the next reading of the map.
    if (!mapStored)
        Exec("update " + table + " set Initial = :Text where Initial_ID = 0", {{"Text", InitialMapText()}});
    Exec("delete from " + table + " where Initial_ID = :ID", {{"ID", id}});
    Exec("insert into " + table + " values ( :ID, :Text )", {{"ID", id}, {"Text", text}});
    savepoint.Release();
}

bool TVktFunctor::SetInitial(const std::string& name, const std::string& text) {
    return Read(false, [&] {
        StoreInitial(name, text);
        return true;
    });
}

std::string TVktFunctor::GetDatabaseID() { return GetInitial("DatabaseID"); }
