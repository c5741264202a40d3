#pragma once
// The text of the drawing as it is written: numbers without the locale (at most 4 decimals),
// texts escaped for XML, outlines as path data. Appends only; the caller checks the size.
#include "emfplay/Path.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace emfplay {

class SvgWriter {
public:
    std::string Release() { return std::move(out_); }
    std::size_t Size() const { return out_.size(); }
    void Reserve(std::size_t bytes) { out_.reserve(bytes); }

    SvgWriter& Raw(std::string_view text)
    {
        out_.append(text);
        return *this;
    }
    SvgWriter& Number(double value);
    // ` name="value"`
    SvgWriter& Attribute(std::string_view name, double value);
    SvgWriter& Attribute(std::string_view name, std::string_view text);
    // ` name="#rrggbb"` of 0xRRGGBB.
    SvgWriter& Color(std::string_view name, std::uint32_t rgb);
    // UTF-8 `text` with & < > " ' escaped; control characters other than tab, characters XML does
    // not allow and bytes that are not UTF-8 are left out.
    SvgWriter& Escaped(std::string_view text);
    // The outline's path data: absolute moves, lines, cubics and closes.
    SvgWriter& PathData(const Path& path);

private:
    std::string out_;
};

} // namespace emfplay
