#pragma once
// The program's font faces: the old Japanese and Latin face names stay in files and font lists and
// are drawn with installed fonts (Noto CJK, DejaVu) through Qt's substitutions.
#include "gui/Canvas.h"

#include <string>
#include <vector>

class QFont;

namespace platform {

// Registers the substitutions once; Application does it at start.
void InstallFontSubstitutions();
// The face names the program offers and writes ("ＭＳ Ｐゴシック", "Arial", …).
const std::vector<std::string>& OldFaceNames();
// The installed face that draws `face` (itself when it needs no substitute).
std::string InstalledFace(const std::string& face);
// True when the face draws Japanese text.
bool FaceSupportsJapanese(const std::string& face);
// The QFont for a font description on a device of `dpiY` pixels per inch, sized in pixels (a
// positive Height is turned into the em that gives that cell). Escapement and Width are left to
// the canvas, which turns and stretches what it draws.
QFont MakeQFont(const FontSpec& spec, int dpiY);

} // namespace platform
