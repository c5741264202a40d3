#include "gui/Settings.h"

#include "gui/QtSupport.h"
#include "platform/Errors.h"
#include "platform/Text.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

namespace platform {

namespace {

std::string& Folder(SettingsScope scope)
{
    static std::string user;
    static std::string system;
    return scope == SettingsScope::User ? user : system;
}

// The user's config folder (~/.config) and the last system one (/etc/xdg).
std::string DefaultFolder(SettingsScope scope)
{
    if (scope == SettingsScope::User)
        return FromQString(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    return folders.size() > 1 ? FromQString(folders.back()) : std::string("/etc/xdg");
}

std::unique_ptr<QSettings> OpenFile(SettingsScope scope, std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string file = GetSettingsFolder(scope) + "/" + path + ".ini";
    return std::make_unique<QSettings>(ToQString(file), QSettings::IniFormat);
}

// A value written by hand as "a,b" reads as a list; the program only stores strings.
std::string ValueText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) return FromQString(value.toStringList().join(QLatin1Char(',')));
    return FromQString(value.toString());
}

} // namespace

void SetSettingsFolder(SettingsScope scope, const std::string& folder) { Folder(scope) = folder; }

std::string GetSettingsFolder(SettingsScope scope)
{
    const std::string& folder = Folder(scope);
    return folder.empty() ? DefaultFolder(scope) : folder;
}

// Both scopes read the user file before the system file and write the user file: a user cannot
// write the system folder.
SettingsKey::SettingsKey(SettingsScope, const std::string& path)
    : user_(OpenFile(SettingsScope::User, path)), system_(OpenFile(SettingsScope::System, path))
{
}

SettingsKey::~SettingsKey() = default;

std::string SettingsKey::ReadString(const std::string& name) const
{
    const QString key = ToQString(name);
    if (user_->contains(key)) return ValueText(user_->value(key));
    if (system_->contains(key)) return ValueText(system_->value(key));
    return {};
}

int SettingsKey::ReadInteger(const std::string& name, int fallback) const
{
    if (!ValueExists(name)) return fallback;
    return StrToInt(ReadString(name));
}

bool SettingsKey::ValueExists(const std::string& name) const
{
    const QString key = ToQString(name);
    return user_->contains(key) || system_->contains(key);
}

// A value the user file holds already is not written again: a flush then has nothing to write
// (writing a settings file syncs it to the disk).
void SettingsKey::WriteString(const std::string& name, const std::string& value)
{
    const QString key = ToQString(name);
    if (user_->contains(key) && ValueText(user_->value(key)) == value) return;
    user_->setValue(key, ToQString(value));
}

void SettingsKey::WriteInteger(const std::string& name, int value) { WriteString(name, IntToStr(value)); }

void SettingsKey::DeleteValue(const std::string& name)
{
    const QString key = ToQString(name);
    if (user_->contains(key)) user_->remove(key);
}

// Why a settings file could not be written, as far as its folder tells: full, or not writable.
std::string WriteFailureCause(const std::string& file)
{
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    std::error_code missing;
    while (!folder.empty() && !std::filesystem::is_directory(folder, missing) && folder != folder.parent_path())
        folder = folder.parent_path();
    std::error_code unknown;
    const std::filesystem::space_info space = std::filesystem::space(folder, unknown);
    if (!unknown && space.available < 64 * 1024) return "ディスクの空き容量が足りません。";
    if (::access(folder.c_str(), W_OK) != 0) return "フォルダー'" + folder.string() + "'に書き込めません。";
    return {};
}

void SettingsKey::Flush()
{
    user_->sync();
    if (user_->status() != QSettings::NoError) {
        const std::string file = FromQString(user_->fileName());
        throw FileError("設定ファイル'" + file + "'に書き込めません。" + WriteFailureCause(file));
    }
}

} // namespace platform
