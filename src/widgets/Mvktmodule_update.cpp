// TVktModule: the update check. The update file published beside the home page holds two
// INI-like sections: "[Quillore\Vektara]" with HomePageDate, LastUpdate, HomePage, Cgi and Mail,
// and "[" + RegistrySubKey + "]" with LastUpdate and FileVersion. Newer dates are recorded in the
// machine values of the matching keys, file texts unchanged.
#include "widgets/Mvktmodule.h"

#include "gui/Settings.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "widgets/Uhttpthread.h"

#include <QCoreApplication>

#include <array>
#include <vector>

namespace {

constexpr const char* kProductKey = "Quillore\\Vektara";
constexpr const char* kUpdateFile = "vktupdatefile.txt";
constexpr const char* kAgent = "VktFindUpdate";

// The lines of the text (CR LF, LF or CR), blank lines left out.
std::vector<std::string> NonBlankLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++start;
    }
    return lines;
}

// The lines after the header line (compared whole, ignoring case) up to the next line beginning
// with '['; empty when there is no such header.
std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& header)
{
    std::vector<std::string> section;
    std::size_t i = 0;
    while (i < lines.size() && !platform::SameText(lines[i], header)) ++i;
    for (++i; i < lines.size() && lines[i].front() != '['; ++i) section.push_back(lines[i]);
    return section;
}

// The value of the first name=value line with that name (ignoring case); "" when none.
std::string ValueOf(const std::vector<std::string>& section, const std::string& name)
{
    for (const std::string& line : section) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && platform::SameText(std::string_view(line).substr(0, equals), name))
            return line.substr(equals + 1);
    }
    return {};
}

// A date as the program writes it ("yyyy/mm/dd"), else an ISO date.
bool ReadDate(const std::string& text, platform::TDateTime& value)
{
    return platform::TryStrToDateTime(text, value) || platform::TryFromIsoText(text, value);
}

// The file's date is new when it reads and the stored one is absent, unreadable or earlier.
bool IsNewDate(const platform::SettingsKey& key, const std::string& name, const std::string& fileText)
{
    platform::TDateTime fileDate = 0;
    if (fileText.empty() || !ReadDate(fileText, fileDate)) return false;
    platform::TDateTime storedDate = 0;
    if (!ReadDate(key.ReadString(name), storedDate)) return true;
    return storedDate < fileDate;
}

// Four dot-separated integers; false for anything else.
bool ReadVersion(const std::string& text, std::array<int, 4>& parts)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t dot = text.find('.', start);
        if ((dot == std::string::npos) != (i + 1 == parts.size())) return false;
        try {
            parts[i] = platform::StrToInt(std::string_view(text).substr(start, dot - start));
        } catch (const platform::ConvertError&) {
            return false;
        }
        start = dot + 1;
    }
    return true;
}

} // namespace

void TVktModule::StartUpdateCheck(bool attempt, std::function<void(THTTPThread* sender)> onTerminate)
{
    (void)attempt;   // there is no connection to attempt: a fetch that cannot connect fails
    auto* thread = new THTTPThread(kAgent, QCoreApplication::instance());
    thread->SetURL(homePage_ + kUpdateFile);
    thread->OnComplete = [this](THTTPThread* sender, const std::string& text, bool complete) {
        ParseUpdateFile(sender, text, complete);
    };
    thread->OnTerminate = std::move(onTerminate);
    thread->Start();
}

void TVktModule::ParseUpdateFile(THTTPThread*, const std::string& text, bool)
{
    const std::vector<std::string> lines = NonBlankLines(text);
    if (lines.empty()) return;

    platform::SettingsKey product(platform::SettingsScope::System, kProductKey);
    std::vector<std::string> section = Section(lines, std::string("[") + kProductKey + "]");
    const std::string homePageDate = ValueOf(section, "HomePageDate");
    if (IsNewDate(product, "HomePageDate", homePageDate)) {
        newsFound_ = true;
        product.WriteString("HomePageDate", homePageDate);
    }
    const std::string productUpdate = ValueOf(section, "LastUpdate");
    if (IsNewDate(product, "LastUpdate", productUpdate)) {
        product.WriteString("LastUpdate", productUpdate);
        for (const char* name : {"HomePage", "Cgi", "Mail"}) {
            const std::string value = ValueOf(section, name);
            if (!value.empty()) product.WriteString(name, value);
        }
    }
    product.Flush();

    platform::SettingsKey edition(platform::SettingsScope::System, registrySubKey_);
    section = Section(lines, "[" + registrySubKey_ + "]");
    const std::string editionUpdate = ValueOf(section, "LastUpdate");
    if (IsNewDate(edition, "LastUpdate", editionUpdate)) {
        newsFound_ = true;
        edition.WriteString("LastUpdate", editionUpdate);
        const std::string version = ValueOf(section, "FileVersion");
        if (!version.empty()) edition.WriteString("InternetFileVersion", version);
    }
    edition.Flush();
}

bool TVktModule::IsNewerVersion() const
{
    const platform::SettingsKey key(platform::SettingsScope::System, registrySubKey_);
    if (!key.ValueExists("InternetFileVersion")) return false;
    std::array<int, 4> own{};
    std::array<int, 4> published{};
    if (!ReadVersion(fileVersion_, own) || !ReadVersion(key.ReadString("InternetFileVersion"), published))
        return false;
    return published > own;
}
