#pragma once
// JPEG pictures through libjpeg-turbo.
#include "platform/Bitmap.h"

#include <cstddef>
#include <string_view>

struct jpeg_common_struct;
struct jpeg_decompress_struct;

namespace platform {

// libjpeg emit_message hook for decoding: the warnings that mean corrupt or cut data end the
// decode through the error_exit hook; libjpeg would otherwise fill the missing part of the
// picture with grey and report success.
extern "C" void OnJpegWarning(jpeg_common_struct* info, int level);

// Starts the decode of a JPEG of `size` bytes whose header has been read and whose output colour
// space is set, within the bounds of PictureLimits.h: false, nothing started, when the picture has
// more than kMaxJpegPixels. libjpeg's own buffers (the whole-image coefficients of a progressive
// file) are held to kJpegMemoryBase + kJpegMemoryPerByte × size: a file asking far beyond what its
// data can fill fails as corrupt, through the error manager's error_exit.
bool StartBoundedJpegDecode(jpeg_decompress_struct& info, std::size_t size);

// Decodes a JPEG file (baseline or progressive; greyscale or colour) into an RGB picture.
// Bytes that are not a JPEG file, a file cut short and corrupt entropy-coded data raise
// InvalidPictureError carrying libjpeg's message; nothing of a failed decode is kept.
Picture DecodeJpeg(std::string_view bytes);

} // namespace platform
