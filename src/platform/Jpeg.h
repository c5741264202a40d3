#pragma once
// JPEG pictures through libjpeg-turbo.
#include "platform/Bitmap.h"

#include <string_view>

namespace platform {

// Decodes a JPEG file (baseline or progressive; greyscale or colour) into an RGB picture.
// Bytes that are not a JPEG file, a file cut short and corrupt entropy-coded data raise
// InvalidPictureError carrying libjpeg's message; nothing of a failed decode is kept.
Picture DecodeJpeg(std::string_view bytes);

} // namespace platform
