#pragma once
// What a main window leaves behind, forgotten between tests: its values in the user's settings and
// the layouts it saved in the data folder.
#include "gui/Settings.h"
#include "widgets/Mvktmodule.h"

#include <cstdio>
#include <string>

inline void ForgetMainWindowState()
{
    platform::SettingsKey key(platform::SettingsScope::User, VktMdl()->GetRegistrySubKey());
    for (const char* suffix : {"Bound", "State", "ClassPanel", "FilterPanel", "EditorPanel", "ShowKernelEditor",
                               "ClassBar", "PreviewToolBar"})
        key.DeleteValue(std::string("VktSingleViewer") + suffix);
    for (const char* file : {"FoodList.xml", "Recipe.xml", "Menu.xml"})
        std::remove((VktMdl()->GetDataFolder() + file).c_str());
}
