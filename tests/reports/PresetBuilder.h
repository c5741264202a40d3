#pragma once
// The preset report layouts shipped beside the program, built through the layout document and
// the templates: "FoodList.xml" (a data list), "Recipe.xml" (a recipe card a page) and "Menu.xml"
// (a menu card a page in a double frame). The shipped files are what TPreview::SaveToFile writes
// for them.
#include <string>
#include <vector>

class TPreview;

namespace vkttest {

struct PresetFile {
    const char* File;
    const char* Title;
};
const std::vector<PresetFile>& PresetFiles();

// Builds the preset of that file name into an empty document with the report types installed
// (a TVktLayoutBinding on it).
void BuildPreset(TPreview& preview, const std::string& file);

// The folder of the shipped files in the source tree.
std::string PresetSourceFolder();

} // namespace vkttest
