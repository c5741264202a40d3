#pragma once
// Reading what the PDF printer wrote, through poppler's command-line tools.
#include "platform/Currency.h"
#include "support/Command.h"

#include <string>

namespace vkttest {

// The text of one page (pdftotext -raw).
std::string PdfPageText(const std::string& pdf, int page);
// The page count pdfinfo gives; -1 when it gives none.
int PdfPageCount(const std::string& pdf);
// An amount as the grids print it by default.
std::string Money(platform::Currency value);

} // namespace vkttest
