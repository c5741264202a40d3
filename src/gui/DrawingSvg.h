#pragma once
// Reading of the SVG a metafile's player writes (EnhancedMetafile.h). The player runs on the
// picture's bytes in a process of its own, so what it writes is as hostile as the picture itself.
// It is not handed to a general SVG renderer: it is read here, in one pass, as the drawing
// operations it may hold and nothing else, and those are recorded. So nothing in it can name a file
// or any other outside resource, and its cost is bounded by the limits below.
//
// What is drawn (SVG 1.1 meaning):
//   svg        the root; width and height map onto the target size
//   g          transform, clip-path and the inherited paint attributes below
//   path rect circle ellipse line polyline polygon
//              fill, fill-opacity, fill-rule, stroke, stroke-width, stroke-opacity,
//              stroke-dasharray, stroke-linecap, stroke-linejoin, stroke-miterlimit, opacity,
//              transform, clip-path; a fill of url(#pattern) or url(#gradient)
//   text tspan the characters at x, y with font-family, font-size, font-weight, font-style,
//              text-decoration, text-anchor, fill; x may list each character's position; of
//              font-family, the first family and a generic one ending the list, matched to
//              installed faces as the system matches them (FontTable.h)
//   image      an inline picture (data URI), decoded by the format its bytes start with: PNG,
//              JPEG or BMP; any other reference draws nothing
//   defs       clipPath (its shapes, by the first one's clip-rule), image, pattern and
//              linearGradient (x1 y1 x2 y2 in user space; stop: offset, stop-color,
//              stop-opacity) definitions, referred to as "#id" only
//   use        an earlier image, by "#id"
// The `style` attribute may give the paint attributes as declarations. Other elements are skipped
// with their content; other attributes are ignored. A document type declaration, an entity
// reference, malformed XML or a root other than svg refuses the drawing.
//
// The drawing is recorded as a display list (DisplayList.h), within limits of what it holds and
// what a redraw of it costs; a drawing beyond them is refused whole.
#include "gui/DisplayList.h"

#include <optional>
#include <string>
#include <string_view>

class QSizeF;

namespace platform {

// Reads `svg` as a drawing whose width and height map onto (0, 0)–`target`. Nothing, with `error`
// set, when the drawing is refused.
std::optional<DisplayList> ReadDrawingSvg(std::string_view svg, const QSizeF& target, const DrawingLimits& limits,
                                          std::string& error);

} // namespace platform
