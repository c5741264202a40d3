// TVktApplication: the upgrade of an old-format database, and the move and copy of a database to
// another folder.
#include "database/Uvktapplication.h"

#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "data/Mvkttables.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktobject.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

// Whether two folder texts name the same folder ("/db/a", "/db/./a", a link to it); false when
// either is missing.
bool SameFolder(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// True when the folder is registered, under this text or as the same folder under another text
// (a link, "/db/./a"): moving or copying onto a registered database's file would empty that
// database first. Silent abort for a malformed folder, as IsPathRegistered.
bool IsFolderInUse(const TVktApplication& registry, const std::string& folder)
{
    if (registry.IsPathRegistered(folder)) return true;
    for (int i = 0; i < registry.GetCount(); ++i)
        if (SameFolder(registry.GetPath(i), folder)) return true;
    return false;
}

// The database file of the folder and the journals SQLite keeps beside it that do not exist yet.
std::vector<std::string> MissingDatabaseFiles(const std::string& folder)
{
    std::vector<std::string> missing;
    const std::string file = platform::DatabaseFilePath(folder);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::error_code error;
        if (!std::filesystem::exists(file + suffix, error) && !error) missing.push_back(file + suffix);
    }
    return missing;
}

} // namespace

bool TVktApplication::UpgradeDatabase(const std::string& name)
{
    const int index = IndexOf(name);
    if (index < 0) return false;
    const std::string folder = GetPath(index);
    if (GetDatabaseFormat(folder) != 1) return false;

    // Only what the upgrade made goes: the new tables, and the files that were not there.
    TVktTblFunctor& tables = GetVktTblFunctor();
    const std::vector<std::string> missing = MissingDatabaseFiles(folder);
    const auto discard = [&] {
        tables.DeleteTables(folder);
        for (const std::string& file : missing) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
    };
    if (!tables.CreateTables(folder)) {
        discard();
        ShowCreateError(name, folder);
        return false;
    }
    bool converted = false;
    try {
        converted = ConvertOldData(folder);
    } catch (...) {
        // The raised error is the report: the folder goes back to what it was, then it goes on.
        discard();
        throw;
    }
    if (!converted) {
        // As for a new database: reported, then the half-made tables go, so that the folder stays
        // an old-format database whose upgrade can be tried again.
        ShowInitError(name, folder);
        discard();
        return false;
    }
    return true;
}

bool TVktApplication::ConvertOldData(const std::string& folder)
{
    try {
        TVktFunctor module;
        module.SetPath(folder);
        return module.CreateDefaultData() && module.ConvertOldDatabase();
    }
    catch (const std::exception&) {
        return false;
    }
}

bool TVktApplication::MoveDatabase(const std::string& name, const std::string& newFolder)
{
    const int index = IndexOf(name);
    if (index < 0) return false;
    if (!platform::FolderExists(newFolder) || IsFolderInUse(*this, newFolder) || !ConfirmOverwrite(newFolder))
        return false;

    const std::string oldFolder = GetPath(index);
    TVktTblFunctor& tables = GetVktTblFunctor();
    if (!tables.CreateTables(newFolder)) {
        ShowCreateError(name, newFolder);
        return false;
    }
    if (!tables.CopyTables(oldFolder, newFolder)) {
        tables.DeleteTables(newFolder);
        return false;
    }
    list_.SetValue(name, newFolder);
    ListChanged();
    // The object follows the entry: binding its module to the new folder closes its connection
    // to the old file before that file's tables go.
    if (TVktObject* object = FindObject(name)) {
        try {
            object->GetDatabaseID();
        }
        catch (const std::exception&) {
            // SetPath closes the old connection before it reads the new folder: nothing stays
            // open on the old file.
        }
    }
    tables.DeleteTables(oldFolder);
    return true;
}

bool TVktApplication::CopyDatabase(const std::string& name, const std::string& newFolder, std::string& newName)
{
    const int index = IndexOf(name);
    if (index < 0) return false;
    if (!platform::FolderExists(newFolder) || IsFolderInUse(*this, newFolder) || !ConfirmOverwrite(newFolder))
        return false;

    const std::string copyName = name + "のコピー";
    newName = copyName;
    for (int number = 1; IsRegistered(newName); ++number) newName = copyName + platform::IntToStr(number);

    TVktTblFunctor& tables = GetVktTblFunctor();
    if (!tables.CreateTables(newFolder)) {
        ShowCreateError(name, newFolder);
        return false;
    }
    if (!tables.CopyTables(GetPath(index), newFolder)) {
        tables.DeleteTables(newFolder);
        return false;
    }
    list_.SetValue(newName, newFolder);
    ListChanged();
    return true;
}
