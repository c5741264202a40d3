#pragma once
// A compact dump of a run list: "<class>:<text>" per text run (spaces as "_"), else the word
// type's name (tab, par, page, line, bs), separated by single spaces. And the test files of other
// writers.
#include "richtext/Uexlighttext_.h"

#include <fstream>
#include <sstream>
#include <string>

namespace vkttest {

inline std::string Dump(const TExLightText_& text)
{
    static const char* const kTypes[] = {"", "tab", "par", "page", "line", "bs"};
    std::string out;
    for (int i = 0; i < text.Count(); ++i) {
        const TExLightWord& w = *text.GetWords(i);
        if (!out.empty())
            out += ' ';
        if (w.Type != kWordText) {
            out += w.Type > 0 && w.Type < 6 ? kTypes[w.Type] : "?";
            continue;
        }
        out += std::to_string(w.Style.CharClass) + ":";
        for (char c : w.Text)
            out += c == ' ' ? '_' : c;
    }
    return out;
}

// The bytes of a file of tests/data/rtf, RTF that other writers wrote.
inline std::string RtfData(const std::string& name)
{
    std::ifstream in(std::string(VKT_RTF_DATA_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace vkttest
