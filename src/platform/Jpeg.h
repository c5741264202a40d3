#pragma once
// JPEG pictures through libjpeg-turbo.
#include "platform/Bitmap.h"

#include <string_view>

struct jpeg_common_struct;

namespace platform {

// libjpeg emit_message hook for decoding: the warnings that mean corrupt or cut data end the
// decode through the error_exit hook; libjpeg would otherwise fill the missing part of the
// picture with grey and report success.
extern "C" void OnJpegWarning(jpeg_common_struct* info, int level);

// Decodes a JPEG file (baseline or progressive; greyscale or colour) into an RGB picture.
// Bytes that are not a JPEG file, a file cut short and corrupt entropy-coded data raise
// InvalidPictureError carrying libjpeg's message; nothing of a failed decode is kept.
Picture DecodeJpeg(std::string_view bytes);

} // namespace platform
