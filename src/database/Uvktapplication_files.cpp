// TVktApplication: the upgrade, move and copy of databases. Placeholders until the file operations
// are built: each refuses and changes nothing.
#include "database/Uvktapplication.h"

bool TVktApplication::UpgradeDatabase(const std::string&)
{
    return false;
}

bool TVktApplication::MoveDatabase(const std::string&, const std::string&)
{
    return false;
}

bool TVktApplication::CopyDatabase(const std::string&, const std::string&, std::string&)
{
    return false;
}
