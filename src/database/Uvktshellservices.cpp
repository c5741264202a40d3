#include "database/Uvktshellservices.h"

#include "database/Uvktapplication.h"

void TVktShellServices::ShowError(const std::string&, const std::string&) {}

void TVktShellServices::ShowInformation(const std::string&, const std::string&) {}

bool TVktShellServices::AskYesNo(const std::string&, const std::string&) { return false; }

bool TVktShellServices::UpgradeDatabase(TVktApplication& registry, const std::string& name)
{
    return registry.UpgradeDatabase(name);
}
