#pragma once
// The SVG that reaches the renderer. A metafile's converter copies texts and face names from the
// picture into its SVG unescaped, so its output is as hostile as the picture itself. It is read
// here and written anew from what draws: a fixed set of shape, text, group and paint elements with
// their geometry and style attributes. Nothing in the result names a file or any other outside
// resource, so the renderer never opens one:
//   - a reference (href, url(…)) names an element of the document ("#id"); a <use> only an
//     earlier <image>, so references neither loop nor multiply;
//   - an <image> carries its pixels inline: the converter's data URI is decoded by the format its
//     bytes start with, bounded in size, and written again as PNG (never handed on as received,
//     since the renderer's image reader guesses formats by content);
//   - elements outside the set (script, style, foreignObject, a, animation, …) are dropped with
//     their content, as are unknown attributes, backslash escapes and nesting beyond a fixed depth.
// A document type declaration, an undeclared entity or malformed XML refuses the whole drawing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The drawing part of `svg`, or nothing with `error` set. Embedded images together may hold at
// most `maxImagePixels` pixels; those beyond are dropped.
std::optional<std::string> RebuildDrawingSvg(std::string_view svg, std::int64_t maxImagePixels, std::string& error);

} // namespace platform
