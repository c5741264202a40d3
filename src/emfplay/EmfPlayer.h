#pragma once
// The player of enhanced metafiles (EMF): the records played as the system's graphics interface
// plays them onto the header's reference device, written as a drawing in the small SVG vocabulary
// that the program's drawing reader takes (Painter.h lists it). No Qt: it runs in a process of its
// own (main/vkt-emfplay.cpp), with limits, since the bytes are as hostile as any file.
#include <string>
#include <string_view>

namespace emfplay {

// Plays `bytes`. True with `drawing` set; false with a short English reason in `error` ("the
// records cannot be read", "the picture's frame is empty", "the drawing is too large", …).
// Never throws.
bool PlayEnhancedMetafile(std::string_view bytes, std::string& drawing, std::string& error);

} // namespace emfplay
