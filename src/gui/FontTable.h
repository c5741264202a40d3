#pragma once
// The program's font faces: the old Japanese and Latin face names stay in files and font lists and
// are drawn with installed fonts (Noto CJK, DejaVu) through Qt's substitutions. The faces pictures
// ask for are matched to installed ones as the system matches them.
#include "gui/Canvas.h"

#include <QFont>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

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
// positive Height is turned into the em that gives that cell). A family class in PitchAndFamily
// draws a face that is not installed in an installed one of that class. Escapement and Width are left to
// the canvas, which turns and stretches what it draws.
QFont MakeQFont(const FontSpec& spec, int dpiY);

// The class of face a drawing asks for beside the face's name (a metafile font's pitch and family).
enum class FaceClass : std::uint8_t { Any, Serif, Sans, Mono, Script, Decorative };

// The installed faces that draw text asked for in a face, as the system's font matching
// (fontconfig) picks them. `Families`: the face of that name, or the one the system's configuration
// gives for the name; where no face of that name is installed, one of the class unless the
// configuration knows the name better. The second, when there is one, draws the Japanese
// characters the first lacks, as the system falls back for that face (for an old Japanese name,
// as for its substitute: "ＭＳ Ｐ明朝" draws in a Mincho). Never empty. `Hint`: the class of that
// Japanese face; Qt keeps one chain of fallbacks per first family, hint and size in a thread, so
// the hint keeps fonts that fall back to different faces apart.
struct MatchedFace {
    QStringList Families;
    QFont::StyleHint Hint = QFont::AnyStyle;
};
// Remembered by face and class.
MatchedFace MatchFace(const QString& face, FaceClass kind);
// The class a logical font's pitch-and-family byte names in its high four bits (1 roman, 2 swiss,
// 3 modern, 4 script, 5 decorative); Any for "don't care" and unknown values.
FaceClass ClassOfFamily(int pitchAndFamily);

} // namespace platform
