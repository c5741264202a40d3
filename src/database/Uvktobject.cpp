// TVktObject: construction, opening and closing by reference count, identity, the notices and the
// batch loop of the facade.
#include "database/Uvktobject.h"

#include "platform/ConnectionPool.h"
#include "platform/Files.h"
#include "platform/FlagScope.h"

#include <exception>
#include <optional>
#include <utility>

#include "data/Mvkttables.h"
#include "database/Uvktapplication.h"

namespace {

// The one transaction of a batch. Begins only when the connection can be opened and no
// transaction is open on it; commits what is done on every exit (a raising commit on the normal
// path propagates; on an exceptional path the commit is tried and, failing, rolled back).
// Whether `failure` holds a platform::DatabaseError.
bool IsDatabaseError(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    }
    catch (const platform::DatabaseError&) {
        return true;
    }
    catch (...) {
        return false;
    }
}

class BatchTransaction {
public:
    explicit BatchTransaction(TVktObjectFunctor& functor) {
        try {
            platform::Connection& db = functor.GetConnection();
            if (!db.InTransaction()) own_.emplace(db);
            db_ = &db;
        }
        catch (const std::exception&) {
            // No database: every step fails on its own and reports it.
        }
    }
    BatchTransaction(const BatchTransaction&) = delete;
    BatchTransaction& operator=(const BatchTransaction&) = delete;

    // The connection the per-record savepoints go on; null when the batch runs without one.
    platform::Connection* Connection() const { return db_; }
    // Whether a failure of the storage ended the transaction the batch runs in: nothing of the
    // batch is kept then, and nothing more may be written in it.
    bool Lost() const { return db_ != nullptr && db_->IsOpen() && !db_->InTransaction(); }

    // A commit that fails rolls the batch back and raises.
    void Commit() {
        if (!own_ || !own_->IsActive()) return;
        try {
            own_->Commit();
        }
        catch (...) {
            own_.reset();   // rolled back
            throw;
        }
    }

private:
    platform::Connection* db_ = nullptr;          // the batch's transaction, its own or a caller's
    std::optional<platform::Transaction> own_;   // the transaction this batch began
};

// The module's batch (TVktFunctor::BeginBatch) until End or the end of the scope; none for a
// null module.
class BatchScope {
public:
    explicit BatchScope(TVktObjectFunctor* functor) : functor_(functor) {
        if (functor_) functor_->BeginBatch();
    }
    ~BatchScope() { End(); }
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

    void End() {
        if (TVktObjectFunctor* functor = std::exchange(functor_, nullptr)) functor->EndBatch();
    }
    // Ends the batch and begins another: what it learned is forgotten.
    void Restart() {
        if (functor_) {
            functor_->EndBatch();
            functor_->BeginBatch();
        }
    }

private:
    TVktObjectFunctor* functor_;
};

// One row of the module's batch (TVktFunctor::BeginBatchRow) until End or the end of the scope.
class BatchRow {
public:
    explicit BatchRow(TVktObjectFunctor& functor) : functor_(&functor) { functor_->BeginBatchRow(); }
    ~BatchRow() { End(); }
    BatchRow(const BatchRow&) = delete;
    BatchRow& operator=(const BatchRow&) = delete;

    // Whether the row failed after writing: its savepoint must be rolled back.
    bool End() {
        TVktObjectFunctor* functor = std::exchange(functor_, nullptr);
        return functor && functor->EndBatchRow();
    }

private:
    TVktObjectFunctor* functor_;
};

} // namespace

// ---- Construction ---------------------------------------------------------------------------------

TVktObject::TVktObject(TVktApplication* owner, std::string name)
    : owner_(owner),
      functor_(std::make_unique<TVktObjectFunctor>()),
      events_(std::make_unique<TVktObjEvents>()),
      filterSet_(std::make_unique<TFilterObjects>()),
      classIcons_(std::make_unique<platform::ImageList>(16, 16)),
      name_(std::move(name))
{
    filterSet_->OnChange = [this](TObject*) {
        if (!loadingSettings_) SaveFilterSet();
    };
    classIcons_->OnChange = [this](platform::ImageList*) {
        if (!loadingSettings_) SaveIconSet();
    };
}

TVktObject::~TVktObject()
{
    destroying_ = true;
    try {
        DoRelease();
    }
    catch (...) {
        // A destructor does not throw; the subscribers are detached regardless.
    }
    classIcons_->OnChange = nullptr;
    filterSet_->OnChange = nullptr;
    filterSet_.reset();
    functor_.reset();
    ReleaseConnections();
}

// ---- Opening and closing --------------------------------------------------------------------------

void TVktObject::AddRef()
{
    if (openCount_ == 0) {
        DoOpen();
        const std::string path = GetPath();
        try {
            functor_->SetPath(path);
        } catch (const platform::ReadCopyError& error) {
            throw platform::DatabaseError(ReadCopyRefusal(error), {}, error.Code());
        }
        readOnly_ = !path.empty() && functor_->IsReadOnly();
        // Listings of the open database reuse pooled read connections.
        ReleaseConnections();   // left by a first AddRef that raised
        if (!path.empty()) {
            retainedFile_ = platform::DatabaseFilePath(path);
            platform::ConnectionPool::Retain(retainedFile_);
        }
        ReadSettings();
    }
    ++openCount_;
}

void TVktObject::Release()
{
    if (openCount_ <= 0) return;
    if (--openCount_ == 0) {
        DoRelease();
        functor_->CloseSession();
        ReleaseConnections();
        readOnly_ = false;
    }
}

void TVktObject::ReleaseConnections()
{
    if (!retainedFile_.empty()) platform::ConnectionPool::Release(std::exchange(retainedFile_, {}));
}

namespace {
std::size_t freshTableProbes = 0;
}

bool TVktObject::IsValid()
{
    if (destroying_ || batch_) return false;
    std::string path = GetPath();
    if (path.empty()) return false;
    if (path.back() == '/') path.pop_back();
    // While open and bound to this folder the session serves the test: no connection of its own
    // per call. The file test catches a database removed under the open session.
    // A test passed stays good while the file and its schema stay the same.
    if (openCount_ > 0 && functor_->GetPath() == path) {
        const platform::FileIdentity file = platform::FileIdentity::Of(platform::DatabaseFilePath(path));
        if (!file.exists) return false;
        try {
            platform::Connection& db = functor_->GetConnection();
            std::int64_t schema = 0;
            {
                platform::StatementLease query = db.Lease("PRAGMA schema_version");
                if (query->Step()) schema = query->GetInt64(0);
            }
            if (validFile_ && *validFile_ == file && validSchema_ == schema) return true;
            validFile_.reset();
            if (!HoldsAllStoredTables(db)) return false;
            validFile_ = file;
            validSchema_ = schema;
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    ++freshTableProbes;
    return GetVktTblFunctor().TablesExist(path);
}

std::size_t TVktObject::FreshTableProbeCount() { return freshTableProbes; }

void TVktObject::MakeCurrent()
{
    if (owner_ && owner_->IndexOf(name_) != 0) owner_->MoveToFront(name_);
    DoCurrent();
}

void TVktObject::Close() { DoClose(); }

std::string TVktObject::GetPath() const
{
    if (!owner_) return {};
    return owner_->GetPath(owner_->IndexOf(name_));
}

void TVktObject::SetName(const std::string& newName)
{
    if (newName == name_) return;
    std::string oldName = std::exchange(name_, newName);
    bool renamed = false;
    try {
        renamed = owner_ ? owner_->RenameDatabase(oldName, newName) : true;
    }
    catch (...) {
        name_ = std::move(oldName);
        throw;
    }
    if (!renamed) {
        name_ = std::move(oldName);
        return;
    }
    DoRename();
}

std::string TVktObject::GetDatabaseID() { return BoundFunctor().GetDatabaseID(); }

TVktObjectFunctor& TVktObject::BoundFunctor()
{
    functor_->SetPath(GetPath());
    return *functor_;
}

// ---- Write protection and failed writes -----------------------------------------------------------

namespace {

constexpr const char* kErrorCaption = "エラー確認";

// For the cook: why the database refused a write or an opening.
std::string FailureCause(const platform::DatabaseError& error)
{
    switch (platform::KindOfFailure(error.Code())) {
    case platform::FailureKind::ReadOnly: break;
    case platform::FailureKind::Busy: return "他のプログラムがデータベースを使用しています。";
    case platform::FailureKind::Full: return "ディスクの空き容量が足りません。";
    case platform::FailureKind::Io: return "ディスクの読み書きに失敗しました。";
    case platform::FailureKind::Corrupt: return "データベースが壊れています。";
    case platform::FailureKind::Memory: return "メモリが足りません。";
    case platform::FailureKind::Statement:
    case platform::FailureKind::Other: break;
    }
    return "(" + error.SqliteMessage() + ")";
}

} // namespace

std::string TVktObject::GetReadOnlyReason() const { return WriteBarrierText(GetPath()); }

std::string TVktObject::WriteBarrierText(const std::string& folder)
{
    switch (platform::FindWriteBarrier(platform::DatabaseFilePath(folder))) {
    case platform::WriteBarrier::Medium: return "データベースのあるドライブが書き込み禁止になっています。";
    case platform::WriteBarrier::File: return "データベースのファイルに書き込む権限がありません。";
    case platform::WriteBarrier::Folder: return "フォルダ'" + folder + "'に書き込む権限がありません。";
    case platform::WriteBarrier::None: break;
    }
    return "データベースのファイルを書き込み用に開けませんでした。";
}

std::string TVktObject::GetReadOnlyNotice() const
{
    return "データベース'" + name_ + "'には書き込みできません。\r\n" + GetReadOnlyReason() +
           "\r\n読み取り専用で開きます。データを変更することはできません。"
           "\r\n書き込みできるようにした後で開き直すと、変更できるようになります。";
}

std::string TVktObject::ReadOnlyRefusal() const
{
    return "データベース'" + name_ + "'は読み取り専用で開かれているため、変更できません。\r\n" + GetReadOnlyReason();
}

std::string TVktObject::ReadCopyRefusal(const platform::ReadCopyError& error) const
{
    return "データベース'" + name_ + "'には書き込みできません。\r\n" + GetReadOnlyReason() +
           "\r\n読み取り専用で開くための複製を一時フォルダに作れなかったため、開けませんでした。\r\n" +
           FailureCause(error) + "\r\n(" + error.SqliteMessage() + ")";
}

bool TVktObject::MayChange()
{
    if (!readOnly_) return true;
    ShowError(ReadOnlyRefusal());
    return false;
}

void TVktObject::ReportWriteFailure()
{
    const std::optional<platform::DatabaseError> error = functor_->TakeWriteError();
    if (!error) return;
    const std::string cause = platform::KindOfFailure(error->Code()) == platform::FailureKind::ReadOnly
                                  ? GetReadOnlyReason()
                                  : FailureCause(*error);
    ShowError("データベース'" + name_ + "'に書き込めませんでした。変更は保存されていません。\r\n" + cause);
}

void TVktObject::ShowError(const std::string& text) const
{
    if (owner_) owner_->GetShellServices().ShowError(text, kErrorCaption);
}

// ---- Notices --------------------------------------------------------------------------------------

void TVktObject::DoOpen() {}

void TVktObject::DoRelease() { events_->FireRelease(this); }

void TVktObject::DoCurrent() { events_->FireCurrent(this); }

void TVktObject::DoClose() { events_->FireClose(this); }

void TVktObject::DoRename() { events_->FireRename(this); }

void TVktObject::DoNotify() { events_->FireNotify(this); }

void TVktObject::DoViewFieldsChange() { events_->FireViewFieldsChange(this); }

void TVktObject::DoRecordsAdd(TVktObjKind kind, const TPriorityItem& ids)
{
    events_->FireRecordsAdd(this, kind, ids);
}

void TVktObject::DoRecordsDelete(TVktObjKind kind, const TPriorityItem& ids)
{
    events_->FireRecordsDelete(this, kind, ids);
}

void TVktObject::DoFieldChange(TVktField field, const TPriorityItem& ids)
{
    events_->FireFieldChange(this, field, ids);
}

// ---- Batch loop -----------------------------------------------------------------------------------

bool TVktObject::RunBatchLoop(int count, TVktBatchMode mode, int tag, const TVktProgressEvent& progress,
                              const TVktBatchStepFunc& step, const TVktBatchNoticeFunc& notice)
{
    if (mode == TVktBatchMode::Batch && count <= 0) return true;
    if (!MayChange()) return false;
    functor_->TakeWriteError();   // one of an earlier call

    bool ok = true;
    TPriorityItem done;
    std::exception_ptr failure;   // a step or callback that raised
    {
        std::optional<platform::FlagScope> batchFlag;
        if (mode == TVktBatchMode::Batch) batchFlag.emplace(batch_);
        functor_->SetPath(GetPath());
        if (count > 0) {
            BatchTransaction transaction(*functor_);
            platform::Connection* const db = transaction.Connection();
            // What the steps learn (classes, keys) holds while the transaction does.
            BatchScope scope(db ? functor_.get() : nullptr);
            int reported = 0;   // records whose progress was given
            try {
                if (!db || !optimisticBatches_ || !RunBatchAtOnce(*db, count, tag, progress, step, ok, done, reported)) {
                    // Undone to the batch's start: what the steps learned goes with it.
                    scope.Restart();
                    ok = true;
                    done.SetCount(0);
                    if (!transaction.Lost()) RunBatchByRecord(db, count, tag, progress, step, ok, done, reported);
                }
            }
            catch (...) {
                failure = std::current_exception();
            }
            scope.End();
            if (transaction.Lost()) {
                // Nothing of the batch stays; the failure that ended it is what is said, not what
                // failed after it (a savepoint or commit with no transaction left).
                functor_->NoteWriteError(db->LostTransactionError());
                done.SetCount(0);
                ok = false;
                if (failure && IsDatabaseError(failure)) failure = nullptr;
            }
            try {
                transaction.Commit();
            }
            catch (const platform::DatabaseError& error) {
                functor_->NoteWriteError(error);
                done.SetCount(0);   // nothing was kept
                ok = false;
                if (failure && IsDatabaseError(failure)) failure = nullptr;
            }
            catch (...) {
                if (!failure) throw;
                done.SetCount(0);   // nothing was kept
            }
        }
    }
    if (failure) {
        // The records done before the raise are kept: they are announced before the error goes on.
        if (notice && done.GetCount() > 0) notice(done);
        std::rethrow_exception(failure);
    }
    if (notice) notice(done);
    // Said once nothing is held: a caller's transaction around the loop says it when it has ended.
    if (!ok && !InCallersTransaction()) ReportWriteFailure();
    return ok;
}

bool TVktObject::InCallersTransaction()
{
    try {
        return functor_->GetConnection().InTransaction();
    } catch (const std::exception&) {
        return false;
    }
}

bool TVktObject::RunBatchAtOnce(platform::Connection& db, int count, int tag, const TVktProgressEvent& progress,
                                const TVktBatchStepFunc& step, bool& ok, TPriorityItem& done, int& reported)
{
    platform::Savepoint batch(db);
    const auto keep = [&] {
        if (batch.IsActive() && db.IsOpen()) batch.Release();
    };
    for (int i = 0; ok && i < count; ++i) {
        TVktBatchStep result;
        bool undo = false;
        {
            BatchRow row(*functor_);
            try {
                result = step(i);
            }
            catch (...) {
                undo = true;   // raised again when replayed, inside its own savepoint
            }
            if (row.End()) undo = true;
        }
        if (undo) {
            if (batch.IsActive() && db.IsOpen()) batch.Rollback();
            return false;
        }
        ok = result.ok;
        if (ok) done.Push(result.done);
        if (progress) {
            try {
                progress(this, result.text, ok, tag);
            }
            catch (...) {
                // The record stays done, as with a savepoint of its own released before the call.
                try {
                    keep();
                }
                catch (...) {
                }
                throw;
            }
        }
        reported = i + 1;
    }
    keep();
    return true;
}

void TVktObject::RunBatchByRecord(platform::Connection* db, int count, int tag, const TVktProgressEvent& progress,
                                  const TVktBatchStepFunc& step, bool& ok, TPriorityItem& done, int reported)
{
    for (int i = 0; ok && i < count; ++i) {
        TVktBatchStep result;
        if (db) {
            platform::Savepoint record(*db);
            BatchRow row(*functor_);
            result = step(i);
            if (row.End())
                record.Rollback();
            else if (record.IsActive() && db->IsOpen())
                record.Release();
        }
        else {
            result = step(i);
        }
        ok = result.ok;
        if (ok) done.Push(result.done);
        if (progress && i >= reported) progress(this, result.text, ok, tag);
    }
}

bool TVktObject::RunBatch(const TPriorityItem& ids, TVktBatchMode mode, int tag, const TVktProgressEvent& progress,
                          const std::function<bool(int id)>& operation, const TVktBatchNoticeFunc& notice)
{
    return RunBatchLoop(
        ids.GetCount(), mode, tag, progress,
        [&](int index) {
            const int id = ids.GetItem(index);
            TVktBatchStep result;
            result.ok = operation(id);
            result.done = id;
            return result;
        },
        notice);
}
