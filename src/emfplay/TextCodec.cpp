#include "emfplay/TextCodec.h"

#include <iconv.h>

#include <cstring>

namespace emfplay {

std::vector<Character> DecodeUtf16(const char* data, std::size_t units)
{
    std::vector<Character> result;
    result.reserve(units);
    const auto unit = [&](std::size_t i) {
        std::uint16_t u;
        std::memcpy(&u, data + 2 * i, 2);
        return u;
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint16_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            const std::uint16_t low = unit(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                result.push_back({0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00), i, 2});
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u < 0xE000)
            continue;
        result.push_back({u, i, 1});
    }
    return result;
}

AnsiDecoder::~AnsiDecoder()
{
    if (cp1252_)
        iconv_close(static_cast<iconv_t>(cp1252_));
    if (cp932_)
        iconv_close(static_cast<iconv_t>(cp932_));
}

std::vector<Character> AnsiDecoder::Decode(std::string_view bytes, bool shiftJis)
{
    void*& handle = shiftJis ? cp932_ : cp1252_;
    bool& tried = shiftJis ? tried932_ : tried1252_;
    if (!tried) {
        tried = true;
        const iconv_t opened = iconv_open("UTF-32LE", shiftJis ? "CP932" : "CP1252");
        handle = opened == iconv_t(-1) ? nullptr : opened;
    }
    std::vector<Character> result;
    result.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 1;
        if (shiftJis && ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && i + 1 < bytes.size())
            length = 2;
        if (lead < 0x80) {
            result.push_back({lead, i, 1});
        } else if (handle) {
            char in[2] = {bytes[i], length == 2 ? bytes[i + 1] : '\0'};
            char out[8];
            char* from = in;
            char* to = out;
            std::size_t inLeft = length, outLeft = sizeof out;
            iconv(static_cast<iconv_t>(handle), nullptr, nullptr, nullptr, nullptr);
            if (iconv(static_cast<iconv_t>(handle), &from, &inLeft, &to, &outLeft) != std::size_t(-1) &&
                inLeft == 0 && outLeft == 4) {
                char32_t code;
                std::memcpy(&code, out, 4);
                result.push_back({code, i, length});
            }
        }
        i += length;
    }
    return result;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        if (code >= 0xD800 && code < 0xE000)
            return;
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace emfplay
