#pragma once
// Pixels the player makes or decodes, and their PNG file, written with zlib.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace emfplay {

// Rows top to bottom, 4 bytes a pixel: red, green, blue, alpha (not premultiplied).
struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgba;

    Picture() = default;
    // Transparent pixels.
    Picture(int width, int height);
    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    std::uint8_t* At(int x, int y) { return Rgba.data() + (std::size_t(y) * Width + x) * 4; }
    const std::uint8_t* At(int x, int y) const { return Rgba.data() + (std::size_t(y) * Width + x) * 4; }
    bool IsOpaque() const;
    // The pixels of (x, y, width, height), which lies inside.
    Picture Cropped(int x, int y, int width, int height) const;
};

// The PNG file of `picture` (RGB when it is opaque), compressed at zlib `level`.
std::string EncodePng(const Picture& picture, int level = 2);

// Appends the Base64 form of `bytes`.
void AppendBase64(std::string& out, std::string_view bytes);

} // namespace emfplay
