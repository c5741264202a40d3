#pragma once
// Painting of the SVG a metafile's converter writes. The converter copies texts and face names from
// the picture into its SVG unescaped, so that SVG is as hostile as the picture itself. It is not
// handed to a general SVG renderer: it is read here, in one pass, as the drawing operations it may
// hold and nothing else, and those are painted. So nothing in it can name a file or any other
// outside resource, and its cost is bounded by its size and the limits below.
//
// What is painted (SVG 1.1 meaning):
//   svg        the root; width and height map onto the target size
//   g          transform, clip-path and the inherited paint attributes below
//   path rect circle ellipse line polyline polygon
//              fill, fill-opacity, fill-rule, stroke, stroke-width, stroke-opacity,
//              stroke-dasharray, stroke-linecap, stroke-linejoin, stroke-miterlimit, opacity,
//              transform, clip-path; a fill of url(#pattern)
//   text tspan the characters at x, y with font-family, font-size, font-weight, font-style,
//              text-decoration, text-anchor, fill
//   image      an inline picture (data URI), decoded by the format its bytes start with: PNG,
//              JPEG or BMP; any other reference draws nothing
//   defs       clipPath (its shapes), image and pattern definitions, referred to as "#id" only
//   use        an earlier image, by "#id"
// The `style` attribute may give the paint attributes as declarations. Other elements are skipped
// with their content; other attributes are ignored. A document type declaration, an entity
// reference, malformed XML or a root other than svg refuses the drawing.
#include <cstdint>
#include <string>
#include <string_view>

class QPainter;
class QSizeF;

namespace platform {

struct DrawingLimits {
    std::int64_t ImagePixels; // inline pictures together; those beyond are not drawn
    int Elements;             // shapes, texts and pictures; more refuse the drawing
    std::int64_t Points;      // the points of every shape's outline; more refuse the drawing
};

// Paints `svg` onto `painter`, its width and height mapped onto (0, 0)–`target`. False, with
// `error` set, when the drawing is refused (what was painted before is the caller's to discard).
bool PaintDrawingSvg(std::string_view svg, QPainter& painter, const QSizeF& target, const DrawingLimits& limits,
                     std::string& error);

} // namespace platform
