#pragma once
// The inch in the metric units that layouts, papers and pictures use. Layout rectangles and paper
// sizes are hundredths of a millimetre or of an inch; pictures and devices count pixels per inch.

namespace platform {

inline constexpr double kMMPerInch = 25.4;
// The same for integer conversions of hundredths of a millimetre.
inline constexpr int kHundredthMMPerInch = 2540;
// Metres per inch, for the dots per metre of a bitmap.
inline constexpr double kMetresPerInch = 0.0254;

} // namespace platform
