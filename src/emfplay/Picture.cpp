#include "emfplay/Picture.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace emfplay {

Picture::Picture(int width, int height)
    : Width(width), Height(height), Rgba(std::size_t(std::max(width, 0)) * std::max(height, 0) * 4, 0)
{
}

bool Picture::IsOpaque() const
{
    for (std::size_t i = 3; i < Rgba.size(); i += 4)
        if (Rgba[i] != 255)
            return false;
    return true;
}

Picture Picture::Cropped(int x, int y, int width, int height) const
{
    Picture result(width, height);
    for (int row = 0; row < height; ++row)
        std::memcpy(result.At(0, row), At(x, y + row), std::size_t(width) * 4);
    return result;
}

namespace {

void AppendUint32(std::string& out, std::uint32_t value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

// A chunk: length, type, data, CRC of type and data.
void AppendChunk(std::string& out, const char* type, std::string_view data)
{
    AppendUint32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t from = out.size();
    out.append(type, 4);
    out.append(data);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + from), static_cast<uInt>(out.size() - from));
    AppendUint32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

std::string EncodePng(const Picture& picture, int level)
{
    const bool opaque = picture.IsOpaque();
    const int channels = opaque ? 3 : 4;
    std::string header;
    AppendUint32(header, static_cast<std::uint32_t>(picture.Width));
    AppendUint32(header, static_cast<std::uint32_t>(picture.Height));
    header += char(8);                 // bits per sample
    header += char(opaque ? 2 : 6);    // truecolour, with alpha or not
    header.append(3, char(0));         // deflate, adaptive filters, no interlace

    z_stream stream{};
    if (deflateInit(&stream, level) != Z_OK)
        return {};
    std::string compressed;
    std::vector<Bytef> row(1 + std::size_t(picture.Width) * channels);
    for (int y = 0; y <= picture.Height; ++y) {
        const int flush = y == picture.Height ? Z_FINISH : Z_NO_FLUSH;
        if (flush == Z_NO_FLUSH) {
            row[0] = 0; // no filter
            const std::uint8_t* from = picture.At(0, y);
            if (opaque) {
                for (int x = 0; x < picture.Width; ++x)
                    std::memcpy(&row[1 + std::size_t(x) * 3], from + std::size_t(x) * 4, 3);
            } else {
                std::memcpy(&row[1], from, std::size_t(picture.Width) * 4);
            }
            stream.next_in = row.data();
            stream.avail_in = static_cast<uInt>(row.size());
        }
        // Output space is never short, so each call makes progress; all input is taken once a
        // call leaves space over.
        int status;
        do {
            if (compressed.size() - stream.total_out < 65536)
                compressed.resize(std::max(compressed.size() * 2, std::size_t(stream.total_out) + 65536));
            stream.next_out = reinterpret_cast<Bytef*>(compressed.data() + stream.total_out);
            stream.avail_out = static_cast<uInt>(compressed.size() - stream.total_out);
            status = deflate(&stream, flush);
            if (status == Z_STREAM_ERROR) {
                deflateEnd(&stream);
                return {};
            }
        } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    }
    compressed.resize(stream.total_out);
    deflateEnd(&stream);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(compressed.size() + 64);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", compressed);
    AppendChunk(png, "IEND", {});
    return png;
}

void AppendBase64(std::string& out, std::string_view bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t from = out.size();
    out.resize(from + (bytes.size() + 2) / 3 * 4);
    char* to = out.data() + from;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16 |
                                std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 | std::uint8_t(bytes[i + 2]);
        *to++ = kDigits[v >> 18];
        *to++ = kDigits[(v >> 12) & 63];
        *to++ = kDigits[(v >> 6) & 63];
        *to++ = kDigits[v & 63];
    }
    if (i < bytes.size()) {
        std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            v |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
        *to++ = kDigits[v >> 18];
        *to++ = kDigits[(v >> 12) & 63];
        *to++ = i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        *to++ = '=';
    }
}

} // namespace emfplay
