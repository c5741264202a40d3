#pragma once
// Writing JPEG pictures through libjpeg-turbo.
#include "platform/Bitmap.h"

#include <string>

namespace platform {

// The default quality of written pictures.
inline constexpr int kJpegQuality = 90;

// The bytes of a baseline colour JPEG file holding the picture (quality 1 to 100, clamped).
// An empty picture raises InvalidPictureError.
std::string EncodeJpeg(const Picture& picture, int quality = kJpegQuality);

} // namespace platform
