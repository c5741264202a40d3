#include "database/Uvktshellservices.h"

#include "database/Uvktapplication.h"

void TVktShellServices::ShowError(const std::string&, const std::string&) {}

void TVktShellServices::ShowInformation(const std::string&, const std::string&) {}

bool TVktShellServices::AskYesNo(const std::string&, const std::string&) { return false; }

bool TVktShellServices::UpgradeDatabase(TVktApplication& registry, const std::string& name)
{
    return registry.UpgradeDatabase(name);
}

std::string TVktShellServices::WriteMemo(const std::vector<TMemoParagraph>& paragraphs) const
{
    std::string text;
    for (const TMemoParagraph& paragraph : paragraphs) {
        for (const TMemoRun& run : paragraph) text += run.Text;
        text += "\r\n";
    }
    return text;
}
