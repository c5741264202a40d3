#include "platform/JpegWriter.h"

#include "platform/Errors.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Everything the encoder touches between setjmp and longjmp lives here (see the decoder).
struct EncodeState {
    jpeg_compress_struct info;
    ErrorManager error;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    std::vector<unsigned char> row;
};

extern "C" void OnJpegWriteError(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

extern "C" void OnJpegWriteOutput(j_common_ptr) {}

bool EncodeInto(const Picture& picture, int quality, EncodeState& state)
{
    state.info.err = jpeg_std_error(&state.error.pub);
    state.error.pub.error_exit = OnJpegWriteError;
    state.error.pub.output_message = OnJpegWriteOutput;
    state.error.message[0] = '\0';
    if (setjmp(state.error.jump)) {
        jpeg_destroy_compress(&state.info);
        return false;
    }
    jpeg_create_compress(&state.info);
    jpeg_mem_dest(&state.info, &state.output, &state.outputSize);
    state.info.image_width = static_cast<JDIMENSION>(picture.GetWidth());
    state.info.image_height = static_cast<JDIMENSION>(picture.GetHeight());
    state.info.input_components = 3;
    state.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&state.info);
    jpeg_set_quality(&state.info, quality, TRUE);
    jpeg_start_compress(&state.info, TRUE);
    const int width = picture.GetWidth();
    while (state.info.next_scanline < state.info.image_height) {
        const int y = static_cast<int>(state.info.next_scanline);
        unsigned char* p = state.row.data();
        for (int x = 0; x < width; ++x) {
            const TColor c = picture.GetPixel(x, y);
            *p++ = static_cast<unsigned char>(RedOf(c));
            *p++ = static_cast<unsigned char>(GreenOf(c));
            *p++ = static_cast<unsigned char>(BlueOf(c));
        }
        JSAMPROW row = state.row.data();
        jpeg_write_scanlines(&state.info, &row, 1);
    }
    jpeg_finish_compress(&state.info);
    jpeg_destroy_compress(&state.info);
    return true;
}

} // namespace

std::string EncodeJpeg(const Picture& picture, int quality)
{
    if (picture.IsEmpty())
        throw InvalidPictureError("Invalid JPEG picture: no pixels to write");
    auto state = std::make_unique<EncodeState>();
    state->row.resize(static_cast<std::size_t>(picture.GetWidth()) * 3);
    const bool done = EncodeInto(picture, std::clamp(quality, 1, 100), *state);
    // The memory destination allocates with malloc, also when the encode failed half way.
    std::unique_ptr<unsigned char, decltype(&std::free)> output(state->output, &std::free);
    if (!done)
        throw InvalidPictureError(std::string("Invalid JPEG picture: ") + state->error.message);
    return std::string(reinterpret_cast<const char*>(output.get()), state->outputSize);
}

} // namespace platform
