#pragma once
// TVktApplication: the program's registry of databases. It keeps the list of name=folder entries,
// most recently used first, and one TVktObject per registered database that has been asked for
// (GetObject is the only place that creates database objects; the registry owns them). It creates,
// registers, renames, unregisters and deletes databases, and shows the messages of these
// operations through the shell services it holds.
//
// Names and folders are compared as exact strings. A folder is an absolute path without a
// trailing '/' ("/home/cook/db"); a malformed folder given to IsPathRegistered, an empty name
// given to IsRegistered and an unregistered name given to GetObject or MoveToFront end the
// operation with the silent abort (platform::Abort). Names holding '=', CR, LF or NUL and folders
// holding CR, LF or NUL would corrupt the list text: they are refused like a registered name.
//
// List text (LoadDatabaseList / GetListText): one "name=folder" line per entry, CR LF after each.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/Uvktshellservices.h"
#include "platform/StringList.h"

class TVktObject;
class TVktFunctor;

class TVktApplication {
public:
    TVktApplication();
    // Frees every database object, the last created first, then the list.
    virtual ~TVktApplication();
    TVktApplication(const TVktApplication&) = delete;
    TVktApplication& operator=(const TVktApplication&) = delete;

    // Set by the main window at start-up; read by the shell.
    const std::string& GetProductName() const { return productName_; }
    void SetProductName(const std::string& value) { productName_ = value; }
    const std::string& GetRegistrySubPath() const { return registrySubPath_; }
    void SetRegistrySubPath(const std::string& value) { registrySubPath_ = value; }

    // The shell's services; never null (the default one until the shell installs its own).
    TVktShellServices& GetShellServices() const { return *shell_; }
    // Installs the shell's services; null restores the default.
    void SetShellServices(std::unique_ptr<TVktShellServices> services);

    // --- The list -----------------------------------------------------------------------------
    // Sets the list from the text, then drops every entry whose folder is missing or holds no
    // database (GetDatabaseFormat 0), from the last entry to the first, each with one stop message
    // naming it. The other entries keep their order.
    void LoadDatabaseList(const std::string& text);
    std::string GetListText() const;
    int GetCount() const;
    // Index of the entry with that name; -1 when there is none.
    int IndexOf(const std::string& name) const;
    // Name and folder of entry i; "" for a negative i; an index past the end raises
    // platform::ListIndexError.
    std::string GetName(int index) const;
    std::string GetPath(int index) const;
    // Silent abort for an empty name.
    bool IsRegistered(const std::string& name) const;
    // Silent abort unless the folder is absolute without a trailing '/'; whether an entry has
    // exactly that folder.
    bool IsPathRegistered(const std::string& folder) const;
    // 2 when the folder holds every current table, else 1 when it holds the old-format tables,
    // else 0.
    int GetDatabaseFormat(const std::string& folder) const;
    // "新規データベース", or that text followed by the first number from 1 that no entry has.
    std::string NewDatabaseName() const;

    // --- Database objects ---------------------------------------------------------------------
    // The existing object of the name (exact comparison); null when none was created.
    TVktObject* FindObject(const std::string& name) const;
    // An object of the name exists and its open count is not 0.
    bool IsObjectOpen(const std::string& name) const;
    // The object of a registered name, created on first use: an old-format folder is first
    // announced and upgraded through the shell (the result is not examined); a new object whose
    // DatabaseID equals that of another existing object gives the other database a new id.
    TVktObject* GetObject(const std::string& name);
    // Moves the entry to index 0; unless it was there already, fires OnChange and calls
    // MakeCurrent on the name's object (when one exists).
    void MoveToFront(const std::string& name);

    // --- Registry operations ------------------------------------------------------------------
    // False when the old name is not registered or the new one is (or is refused); otherwise the
    // entry and the object get the new name (the object fires its rename notice once, after the
    // entry carries the new name). A call nested in the object's SetName returns true at once.
    bool RenameDatabase(const std::string& oldName, const std::string& newName);
    // Continues only when the folder exists, the name and the folder are not registered and
    // ConfirmOverwrite agrees; creates the table files (ShowCreateError on failure), fills the new
    // database (on failure ShowInitError and the table files are deleted) and registers the name
    // at the end of the list. A filling that raises also has the table files deleted; its error
    // then propagates instead of ShowInitError.
    bool CreateDatabase(const std::string& name, const std::string& folder);
    // Converts an old-format database in its folder: creates the table files (ShowCreateError on
    // failure) and converts the old tables into them (ShowInitError on failure). On either
    // failure, and when the conversion raises (its error then propagates instead of
    // ShowInitError), what the upgrade made goes again; the old tables are only read.
    bool UpgradeDatabase(const std::string& name);
    // Moves the database's tables to another folder.
    bool MoveDatabase(const std::string& name, const std::string& newFolder);
    // Copies the database into another folder under a new name, returned in `newName`.
    bool CopyDatabase(const std::string& name, const std::string& newFolder, std::string& newName);
    // Adds the entry at the end when the folder exists and neither the name nor the folder is
    // registered (nor refused). The folder's tables are not examined.
    bool RegisterDatabase(const std::string& name, const std::string& folder);
    // When registered: frees the name's object, deletes the table files in its folder and
    // removes the entry.
    bool DeleteDatabase(const std::string& name);
    // When registered: frees the name's object and removes the entry; the files stay.
    bool UnregisterDatabase(const std::string& name);
    // For a folder holding a current database: asks whether to overwrite it (default No) and
    // returns whether Yes was chosen; true without asking for any other folder.
    bool ConfirmOverwrite(const std::string& folder);
    void ShowCreateError(const std::string& name, const std::string& folder);
    void ShowInitError(const std::string& name, const std::string& folder);

    // Called when MoveToFront reorders the list.
    std::function<void(TVktApplication* sender)> OnChange;
    // Called whenever the list changes (an entry added, renamed, moved to the front or to another
    // folder, removed, or dropped by LoadDatabaseList), after the change: the shell stores the
    // list at once, so that a program that ends without closing keeps it.
    std::function<void(TVktApplication* sender)> OnListChange;

protected:
    // Fills the new database in the folder with its first content through a temporary
    // operations module; false when that fails (a failure raised by binding the module counts
    // as false). Virtual so that a test can make it fail.
    virtual bool FillNewDatabase(const std::string& folder);
    // Writes the first content and the converted old tables into the new tables of the folder
    // through a temporary operations module; false when that fails (an error raised in the
    // module counts as false). Virtual so that a test can make it fail or raise.
    virtual bool ConvertOldData(const std::string& folder);

private:
    // Removes the object of the name, if any, from the registry and frees it.
    void FreeObject(const std::string& name);
    // Fires OnListChange.
    void ListChanged();

    std::string productName_;
    std::string registrySubPath_;
    platform::StringList list_;
    bool renaming_ = false;
    std::vector<std::unique_ptr<TVktObject>> objects_;
    std::unique_ptr<TVktShellServices> shell_;
};

// The program's one registry, created on first use; it lives until the program ends.
TVktApplication& VktApplication();
