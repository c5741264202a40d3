#include "reports/PrintSupport.h"

#include "core/Unumericstring.h"

#include <cstdio>
#include <cstdlib>

namespace vkttest {


std::string PdfPageText(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    return Capture("pdftotext -raw -f " + p + " -l " + p + " '" + pdf + "' -");
}

int PdfPageCount(const std::string& pdf)
{
    const std::string info = Capture("pdfinfo '" + pdf + "'");
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

std::string Money(platform::Currency value)
{
    return NumericString(TNSFloatType::Formatted, 0).GetAsString(platform::Variant(value));
}

} // namespace vkttest
