#include "platform/Jpeg.h"

#include "platform/Errors.h"
#include "platform/PictureLimits.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Everything the decode touches lives here, outside the frame that calls setjmp, so no automatic
// object of that frame changes between setjmp and longjmp.
struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager error;
    std::vector<unsigned char> rgb;
    int width = 0;
    int height = 0;
    bool tooLarge = false;
};

extern "C" void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

extern "C" void OnJpegOutput(j_common_ptr) {}

// Only trivially destructible automatic objects here (see DecodeState).
bool DecodeInto(const unsigned char* data, unsigned long size, DecodeState& state)
{
    state.info.err = jpeg_std_error(&state.error.pub);
    state.error.pub.error_exit = OnJpegError;
    state.error.pub.emit_message = OnJpegWarning;
    state.error.pub.output_message = OnJpegOutput;
    state.error.message[0] = '\0';
    if (setjmp(state.error.jump)) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    jpeg_create_decompress(&state.info);
    jpeg_mem_src(&state.info, data, size);
    jpeg_read_header(&state.info, TRUE);
    state.info.out_color_space = JCS_RGB;
    if (!StartBoundedJpegDecode(state.info, size)) {
        state.tooLarge = true;
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    state.width = static_cast<int>(state.info.output_width);
    state.height = static_cast<int>(state.info.output_height);
    // The pixel buffer grows with the rows decoded: a header claiming a huge picture over
    // missing data fails at its first missing row, not after allocating the whole picture.
    const std::size_t rowBytes = static_cast<std::size_t>(state.width) * 3;
    while (state.info.output_scanline < state.info.output_height) {
        const std::size_t end = (static_cast<std::size_t>(state.info.output_scanline) + 1) * rowBytes;
        try {
            if (state.rgb.size() < end) state.rgb.resize(std::max(end, std::min(state.rgb.size() * 2, rowBytes * state.height)));
        } catch (...) {
            jpeg_destroy_decompress(&state.info);
            throw;
        }
        JSAMPROW row = state.rgb.data() + end - rowBytes;
        jpeg_read_scanlines(&state.info, &row, 1);
    }
    jpeg_finish_decompress(&state.info);
    jpeg_destroy_decompress(&state.info);
    return true;
}

} // namespace

bool StartBoundedJpegDecode(jpeg_decompress_struct& info, std::size_t size)
{
    jpeg_calc_output_dimensions(&info);
    if (static_cast<std::uint64_t>(info.output_width) * info.output_height > kMaxJpegPixels)
        return false;
    info.mem->max_memory_to_use = static_cast<long>(kJpegMemoryBase + kJpegMemoryPerByte * size);
    jpeg_start_decompress(&info);
    return true;
}

extern "C" void OnJpegWarning(jpeg_common_struct* info, int level)
{
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        (*info->err->error_exit)(info);
        break;
    default:
        break;
    }
}

Picture DecodeJpeg(std::string_view bytes)
{
    if (bytes.empty())
        throw InvalidPictureError("Invalid JPEG picture: no data");
    auto state = std::make_unique<DecodeState>();
    std::memset(&state->info, 0, sizeof state->info);
    if (!DecodeInto(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()),
                    *state)) {
        if (state->tooLarge)
            throw InvalidPictureError("Invalid JPEG picture: the picture is too large");
        throw InvalidPictureError(std::string("Invalid JPEG picture: ") + state->error.message);
    }
    Picture picture(state->width, state->height);
    const unsigned char* p = state->rgb.data();
    for (int y = 0; y < state->height; ++y)
        for (int x = 0; x < state->width; ++x, p += 3)
            picture.SetPixel(x, y, RgbColor(p[0], p[1], p[2]));
    return picture;
}

} // namespace platform
