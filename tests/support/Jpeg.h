#pragma once
// Pictures compressed with libjpeg, as a camera or another program writes them.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/Bitmap.h"
#include "platform/Color.h"

namespace vkttest {

// At quality 100: three components, or one when `grey` (the red channel), baseline or progressive.
inline std::string EncodeJpeg(const platform::Picture& picture, bool grey = false, bool progressive = false)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.GetWidth());
    info.image_height = static_cast<JDIMENSION>(picture.GetHeight());
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.GetWidth()) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const platform::TColor c = picture.GetPixel(x, y);
            if (grey) {
                row[static_cast<std::size_t>(x)] = static_cast<unsigned char>(platform::RedOf(c));
            } else {
                row[static_cast<std::size_t>(x) * 3] = static_cast<unsigned char>(platform::RedOf(c));
                row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<unsigned char>(platform::GreenOf(c));
                row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<unsigned char>(platform::BlueOf(c));
            }
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

} // namespace vkttest
