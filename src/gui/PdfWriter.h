#pragma once
// A PDF file drawn page by page through the canvas. The page size is in hundredths of a
// millimetre; drawing is in pixels at `dpi`.
#include "gui/Canvas.h"

#include <map>
#include <memory>
#include <string>

namespace platform {

class PdfWriter {
public:
    // Opens the file for writing (a file of that name is replaced only by Finish); an unwritable
    // path raises FileError. `title` is the document's
    // title in its properties.
    PdfWriter(const std::string& fileName, int pageWidth, int pageHeight, int dpi, const std::string& title = {});
    // An unfinished writer is aborted.
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // The canvas of the current page.
    Canvas& GetCanvas();
    void NewPage();
    // Glyphs shared with lower code points drawn on the pages by other canvases (pictures played
    // into this one), as QtCanvas::SharedGlyphs gives them.
    void NoteSharedGlyphs(const std::map<char32_t, char32_t>& glyphs);
    // Writes the document in the file's place; a failed write raises FileError and leaves the
    // place as it was.
    void Finish();
    // Stops; nothing is written, a file of that name stays as it was.
    void Abort();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
