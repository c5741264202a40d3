#pragma once
// Where the files that come with the program lie. The program runs as <prefix>/bin/vektara; its
// shipped files are under <prefix>/share/vektara/ (the preset layouts in layouts/, the help pages
// in help/) and its metafile player is <prefix>/lib/vektara/vkt-emfplay. The build tree is laid
// out the same way, so one lookup serves an installed program and a built one. The program only
// reads there: what it writes goes to the user's folders.
#include <string>

namespace platform {

// <prefix>/share/vektara/, with a trailing '/'.
std::string ProgramDataFolder();
// <prefix>/lib/vektara/vkt-emfplay: the one player the program starts (never one found on PATH).
std::string ProgramPlayerPath();
// The prefix taken instead of the running program's: for test programs, which do not run from
// <prefix>/bin. An empty one returns to the running program's.
void SetProgramPrefix(const std::string& prefix);

} // namespace platform
