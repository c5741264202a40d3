#pragma once
// The program's fixed table of paper sizes: Windows paper id, Japanese display name and portrait
// size (landscape where the name says "(横)") in hundredths of a millimetre. The last row, id 256
// "ユーザ定義" (0 x 0), ends every walk of the table.
#include "gui/Canvas.h"
#include "platform/StringList.h"

#include <cstdint>
#include <span>
#include <string>

struct TPaperName {
    TPaperName(int id, const char* name, int width, int height) : ID(id), Name(name), Width(width), Height(height) {}

    int ID;
    std::string Name;
    int Width;
    int Height;
};

// Id of the user-defined paper, the table's last row.
inline constexpr int kUserPaperID = 256;
// Id of A4, the paper of a new layout and of a printer that names no default.
inline constexpr int kA4PaperID = 9;

// All 103 rows in order, id 256 last.
std::span<const TPaperName> PaperNames();

// A paper id carried as a string list's object, and back.
inline void* PaperIDToObject(int id) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(id)); }
inline int PaperIDOfObject(const void* object) { return static_cast<int>(reinterpret_cast<std::intptr_t>(object)); }

// Appends every name with its id as the line's object; the list is not cleared first.
void EnumPaper(platform::StringList& list);
// Id of the first row of that name, letter case ignored; 0 when there is none.
int PaperNameToID(const std::string& name);
// Name of the row with that id; empty when there is none.
std::string PaperIDToName(int id);
// Portrait size (x = width, y = height) in hundredths of a millimetre; (0, 0) for an id not in the
// table.
platform::Point GetMMPaperSize_(int id);
