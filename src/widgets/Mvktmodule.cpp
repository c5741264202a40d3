#include "widgets/Mvktmodule.h"

#include "gui/QtSupport.h"
#include "gui/Settings.h"
#include "platform/ProgramFiles.h"
#include "widgets/Vktversion.h"

#include <QStandardPaths>

#include <filesystem>
#include <memory>

namespace {

constexpr const char* kProductName = "Vektara 2005";
constexpr const char* kMaker = "Quillore";
// The key of the machine values and of the database list, shared by every version.
constexpr const char* kProgramKey = "Quillore\\Vektara";

std::string ReadValue(platform::SettingsScope scope, const char* name)
{
    const platform::SettingsKey key(scope, kProgramKey);
    return key.ReadString(name);
}

} // namespace

std::string FourPartVersion(const std::string& version)
{
    std::string result;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) result += '.';
        if (start <= version.size()) {
            const std::size_t dot = version.find('.', start);
            const std::string piece = version.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
            result += piece.empty() ? "0" : piece;
            start = dot == std::string::npos ? version.size() + 1 : dot + 1;
        } else {
            result += '0';
        }
    }
    return result;
}

TVktModule::TVktModule()
    : productName_(kProductName), fileVersion_(FourPartVersion(kVktProjectVersion))
{
    shippedFolder_ = platform::ProgramDataFolder();
    registrySubKey_ = std::string(kMaker) + "\\" + productName_;
    documentsFolder_ = platform::FromQString(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dataFolder_ = platform::FromQString(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + "/" +
                  kMaker + "/" + productName_ + "/";
    std::error_code ignored;   // a folder that cannot be made shows when it is used
    std::filesystem::create_directories(dataFolder_, ignored);
    homePage_ = ReadHomePage();
    cgi_ = ReadCgi();
    mail_ = ReadMail();
    aliases_ = ReadAliases();
}

std::string TVktModule::ReadHomePage() const { return ReadValue(platform::SettingsScope::System, "HomePage"); }
std::string TVktModule::ReadMail() const { return ReadValue(platform::SettingsScope::System, "Mail"); }
std::string TVktModule::ReadCgi() const { return ReadValue(platform::SettingsScope::System, "Cgi"); }
std::string TVktModule::ReadAliases() const { return ReadValue(platform::SettingsScope::User, "Aliases"); }

void TVktModule::WriteAliases(const std::string& text)
{
    platform::SettingsKey key(platform::SettingsScope::User, kProgramKey);
    key.WriteString("Aliases", text);
    key.Flush();
}

TSampleRecord TVktModule::GetSampleKitchen() const
{
    const std::string value = ReadValue(platform::SettingsScope::User, "SampleKitchen");
    if (value == "1") return TSampleRecord::Made;
    if (value == "failed") return TSampleRecord::Failed;
    return TSampleRecord::None;
}

void TVktModule::WriteSampleKitchen(TSampleRecord record)
{
    platform::SettingsKey key(platform::SettingsScope::User, kProgramKey);
    if (record == TSampleRecord::None) key.DeleteValue("SampleKitchen");
    else key.WriteString("SampleKitchen", record == TSampleRecord::Made ? "1" : "failed");
    key.Flush();
}

std::string TVktModule::GetLastDatabase() const { return ReadValue(platform::SettingsScope::User, "LastDatabase"); }

void TVktModule::WriteLastDatabase(const std::string& name)
{
    platform::SettingsKey key(platform::SettingsScope::User, kProgramKey);
    if (name.empty()) key.DeleteValue("LastDatabase");
    else key.WriteString("LastDatabase", name);
    key.Flush();
}

TSampleMemory TVktModule::SampleMemory()
{
    return {[this] { return GetSampleKitchen(); },
            [this](TSampleRecord record) {
                try {
                    WriteSampleKitchen(record);
                } catch (const std::exception&) {
                    // not remembered: the next start tries again
                }
            }};
}

TVktModule* VktMdl()
{
    static const std::unique_ptr<TVktModule> module = std::make_unique<TVktModule>();
    return module.get();
}
