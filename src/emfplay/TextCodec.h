#pragma once
// The characters of a text record: UTF-16 (wide records) or the bytes of a code page (ANSI
// records: 1252, or 932 for a Shift-JIS font), each with the index of its first code unit, by
// which its spacing is found.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace emfplay {

struct Character {
    char32_t Code;
    std::size_t Unit; // the index of its first 16-bit unit or byte in the record's string
    std::size_t Units; // how many it takes
};

// Surrogate pairs joined; a lone surrogate is left out.
std::vector<Character> DecodeUtf16(const char* data, std::size_t units);

// Converted with iconv; bytes that make no character are left out.
class AnsiDecoder {
public:
    AnsiDecoder() = default;
    AnsiDecoder(const AnsiDecoder&) = delete;
    AnsiDecoder& operator=(const AnsiDecoder&) = delete;
    ~AnsiDecoder();

    std::vector<Character> Decode(std::string_view bytes, bool shiftJis);

private:
    void* cp1252_ = nullptr; // iconv_t, opened on first use
    void* cp932_ = nullptr;
    bool tried1252_ = false;
    bool tried932_ = false;
};

// Appends `code` as UTF-8 (nothing for a surrogate or a code past U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);

} // namespace emfplay
