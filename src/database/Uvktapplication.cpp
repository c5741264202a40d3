// TVktApplication: the registry list, the database objects and the registry operations (the
// upgrade, move and copy of databases are in Uvktapplication_transfer.cpp).
#include "database/Uvktapplication.h"

#include "platform/FlagScope.h"

#include <string_view>
#include <utility>

#include "data/Mvkttables.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktobject.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Guid.h"
#include "platform/Text.h"

namespace {

constexpr const char* kNewDatabaseName = "新規データベース";
constexpr const char* kErrorCaption = "エラー確認";
constexpr const char* kConfirmCaption = "確認";

// An absolute path without a trailing '/' ("/" itself has one).
bool IsWellFormedFolder(std::string_view folder)
{
    return folder.size() > 1 && folder.front() == '/' && folder.back() != '/';
}

// Texts that would break a "name=folder" line of the list text.
bool IsListSafeName(std::string_view name)
{
    return name.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
}

bool IsListSafeFolder(std::string_view folder)
{
    return folder.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The DatabaseID of an object; "" when it cannot be read (no comparison is made then).
std::string ReadDatabaseID(TVktObject& object)
{
    try {
        return object.GetDatabaseID();
    }
    catch (const platform::Error&) {
        return {};
    }
}

} // namespace

TVktApplication::TVktApplication() : shell_(std::make_unique<TVktShellServices>())
{
    list_.SetCaseSensitive(true);
}

TVktApplication::~TVktApplication()
{
    while (!objects_.empty()) {
        std::unique_ptr<TVktObject> object = std::move(objects_.back());
        objects_.pop_back();
        object.reset();
    }
}

void TVktApplication::SetShellServices(std::unique_ptr<TVktShellServices> services)
{
    shell_ = services ? std::move(services) : std::make_unique<TVktShellServices>();
}

// ---- The list ---------------------------------------------------------------------------------------

void TVktApplication::LoadDatabaseList(const std::string& text)
{
    list_.SetText(text);
    bool dropped = false;
    for (int i = GetCount() - 1; i >= 0; --i) {
        const std::string name = GetName(i);
        const std::string folder = GetPath(i);
        if (platform::FolderExists(folder) && GetDatabaseFormat(folder) != 0) continue;
        shell_->ShowError("データベース'" + name + "'(" + folder + ")は確認できませんでした登録を削除します。",
                          kErrorCaption);
        // Entry i itself goes: by name, an empty name would abort and a repeated one would take
        // the first entry of that name instead.
        list_.Delete(i);
        dropped = true;
        if (IndexOf(name) < 0) FreeObject(name);
    }
    if (dropped) ListChanged();
}

void TVktApplication::ListChanged()
{
    if (OnListChange) OnListChange(this);
}

std::string TVktApplication::GetListText() const { return list_.GetText(); }

int TVktApplication::GetCount() const { return list_.GetCount(); }

int TVktApplication::IndexOf(const std::string& name) const { return list_.IndexOfName(name); }

std::string TVktApplication::GetName(int index) const
{
    if (index < 0) return {};
    return list_.GetName(index);
}

std::string TVktApplication::GetPath(int index) const
{
    if (index < 0) return {};
    return list_.GetValueFromIndex(index);
}

bool TVktApplication::IsRegistered(const std::string& name) const
{
    if (name.empty()) platform::Abort();
    return IndexOf(name) >= 0;
}

bool TVktApplication::IsPathRegistered(const std::string& folder) const
{
    if (!IsWellFormedFolder(folder)) platform::Abort();
    for (int i = 0; i < GetCount(); ++i)
        if (GetPath(i) == folder) return true;
    return false;
}

int TVktApplication::GetDatabaseFormat(const std::string& folder) const
{
    TVktTblFunctor& tables = GetVktTblFunctor();
    if (tables.TablesExist(folder)) return 2;
    if (tables.OldTablesExist(folder)) return 1;
    return 0;
}

std::string TVktApplication::NewDatabaseName() const
{
    std::string name = kNewDatabaseName;
    for (int number = 1; IndexOf(name) >= 0; ++number) name = kNewDatabaseName + platform::IntToStr(number);
    return name;
}

// ---- Database objects -------------------------------------------------------------------------------

TVktObject* TVktApplication::FindObject(const std::string& name) const
{
    for (const auto& object : objects_)
        if (object->GetName() == name) return object.get();
    return nullptr;
}

bool TVktApplication::IsObjectOpen(const std::string& name) const
{
    const TVktObject* object = FindObject(name);
    return object && object->GetOpenCount() != 0;
}

TVktObject* TVktApplication::GetObject(const std::string& name)
{
    const int index = IndexOf(name);
    if (index < 0) platform::Abort();
    if (TVktObject* existing = FindObject(name)) return existing;

    const std::string folder = GetPath(index);
    if (IsPathRegistered(folder) && GetDatabaseFormat(folder) == 1) {
        shell_->ShowInformation("'" + name +
                                    "' は旧形式のデータベースですので、新しい形式にアップグレードする必要があります。"
                                    "\n\rアップグレード後も旧形式のデータベースはそのまま保存されます。",
                                kConfirmCaption);
        shell_->UpgradeDatabase(*this, name);
    }

    objects_.push_back(std::make_unique<TVktObject>(this, name));
    TVktObject* object = objects_.back().get();

    // Database identities stay unique: another known database with the same id gets a new one.
    std::string id;
    bool idRead = false;
    for (int j = 0; j < GetCount(); ++j) {
        TVktObject* other = FindObject(GetName(j));
        if (!other || other == object) continue;
        if (!idRead) {
            id = ReadDatabaseID(*object);
            idRead = true;
        }
        if (id.empty()) break;
        if (ReadDatabaseID(*other) != id) continue;
        TVktFunctor module;
        module.SetPath(GetPath(j));
        module.SetInitial("DatabaseID", platform::CreateGuidText());
    }
    return object;
}

void TVktApplication::MoveToFront(const std::string& name)
{
    const int index = IndexOf(name);
    if (index < 0) platform::Abort();
    if (index == 0) return;
    list_.Move(index, 0);
    ListChanged();
    if (OnChange) OnChange(this);
    if (TVktObject* object = FindObject(name)) object->MakeCurrent();
}

void TVktApplication::FreeObject(const std::string& name)
{
    for (auto it = objects_.begin(); it != objects_.end(); ++it) {
        if ((*it)->GetName() != name) continue;
        // Out of the list before it goes, so that its subscribers' handlers no longer find it.
        std::unique_ptr<TVktObject> object = std::move(*it);
        objects_.erase(it);
        object.reset();
        return;
    }
}

// ---- Registry operations ----------------------------------------------------------------------------

bool TVktApplication::RenameDatabase(const std::string& oldName, const std::string& newName)
{
    if (renaming_) return true;   // the nested call from the object's SetName
    platform::FlagScope guard(renaming_);

    const int index = IndexOf(oldName);
    if (index < 0 || IsRegistered(newName) || !IsListSafeName(newName)) return false;

    // Called from the object's own SetName, the object carries the new name already.
    TVktObject* object = FindObject(oldName);
    if (!object) object = FindObject(newName);
    if (!object) object = GetObject(oldName);

    // The entry is renamed before the object, so that the rename notice finds it.
    list_.SetString(index, newName + "=" + GetPath(index));
    ListChanged();
    object->SetName(newName);
    return true;
}

bool TVktApplication::CreateDatabase(const std::string& name, const std::string& folder)
{
    if (!platform::FolderExists(folder) || IsRegistered(name)) return false;
    if (!IsListSafeName(name) || !IsListSafeFolder(folder)) return false;
    if (IsPathRegistered(folder) || !ConfirmOverwrite(folder)) return false;

    TVktTblFunctor& tables = GetVktTblFunctor();
    if (!tables.CreateTables(folder)) {
        ShowCreateError(name, folder);
        return false;
    }
    bool filled = false;
    try {
        filled = FillNewDatabase(folder);
    } catch (...) {
        // The raised error is the report: the folder goes back to what it was, then it goes on.
        tables.DeleteTables(folder);
        throw;
    }
    if (!filled) {
        ShowInitError(name, folder);
        tables.DeleteTables(folder);
        return false;
    }
    list_.SetValue(name, folder);
    ListChanged();
    return true;
}

bool TVktApplication::FillNewDatabase(const std::string& folder)
{
    try {
        TVktFunctor module;
        module.SetPath(folder);
        return module.CreateDefaultData();
    }
    catch (const std::exception&) {
        return false;
    }
}

bool TVktApplication::RegisterDatabase(const std::string& name, const std::string& folder)
{
    if (!platform::FolderExists(folder) || IsRegistered(name)) return false;
    if (!IsListSafeName(name) || !IsListSafeFolder(folder)) return false;
    if (IsPathRegistered(folder)) return false;
    list_.SetValue(name, folder);
    ListChanged();
    return true;
}

bool TVktApplication::DeleteDatabase(const std::string& name)
{
    if (!IsRegistered(name)) return false;
    const std::string folder = GetPath(IndexOf(name));
    FreeObject(name);
    TVktTblFunctor& tables = GetVktTblFunctor();
    tables.DeleteTables(folder);
    // Tables that could not be dropped (a write-protected folder) keep their entry: the database
    // is still there.
    if (tables.TablesExist(folder)) {
        shell_->ShowError("データベース'" + name + "'(" + folder + ")を削除できませんでした。\r\n" +
                              TVktObject::WriteBarrierText(folder),
                          kErrorCaption);
        return false;
    }
    const int index = IndexOf(name);
    if (index >= 0) list_.Delete(index);
    ListChanged();
    return true;
}

bool TVktApplication::UnregisterDatabase(const std::string& name)
{
    if (!IsRegistered(name)) return false;
    FreeObject(name);
    const int index = IndexOf(name);
    if (index >= 0) list_.Delete(index);
    ListChanged();
    return true;
}

bool TVktApplication::ConfirmOverwrite(const std::string& folder)
{
    if (GetDatabaseFormat(folder) != 2) return true;
    return shell_->AskYesNo("フォルダに未登録のデータベースを確認しました。\r\n続行するとこのデータベースを上書きします。"
                            "\r\n続行しますか？",
                            kErrorCaption);
}

void TVktApplication::ShowCreateError(const std::string& name, const std::string& folder)
{
    shell_->ShowError("データベース'" + name + "'(" + folder +
                          ")の作成に失敗しました。\n\rデータベースの作成はキャンセルします。",
                      kErrorCaption);
}

void TVktApplication::ShowInitError(const std::string& name, const std::string& folder)
{
    shell_->ShowError("データベース'" + name + "'(" + folder +
                          ")の初期化に失敗しました。\n\rデータベースの作成はキャンセルします。",
                      kErrorCaption);
}

TVktApplication& VktApplication()
{
    static TVktApplication application;
    return application;
}
