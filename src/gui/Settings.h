#pragma once
// The settings store of the old registry keys: one INI file per key, a user scope and a system
// (machine) scope. Reading looks in the user file, then the system file; writing goes to the user
// file. Names are case-sensitive.
#include <memory>
#include <string>

class QSettings;

namespace platform {

enum class SettingsScope { User, System };

// The folder of a scope's files (tests point both at temporary folders).
void SetSettingsFolder(SettingsScope scope, const std::string& folder);
std::string GetSettingsFolder(SettingsScope scope);

class SettingsKey {
public:
    // The key "Quillore\Vektara 2005" is the file <scope folder>/Quillore/Vektara 2005.ini.
    SettingsKey(SettingsScope scope, const std::string& path);
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // "" when missing. A value written by hand as an unquoted list is joined with ",".
    std::string ReadString(const std::string& name) const;
    // `fallback` when missing; a value that is no integer raises ConvertError.
    int ReadInteger(const std::string& name, int fallback = 0) const;
    bool ValueExists(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void DeleteValue(const std::string& name);
    // Writes pending changes; a failed write raises FileError.
    void Flush();

private:
    std::unique_ptr<QSettings> user_;
    std::unique_ptr<QSettings> system_;
};

} // namespace platform
