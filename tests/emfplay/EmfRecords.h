#pragma once
// Metafiles for the player's tests, made of libuemf's own records.
#include <uemf.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace emftest {

// A metafile on a 96 dpi reference device, its frame (0, 0)–(width, height) pixels.
class Emf {
public:
    explicit Emf(int width = 192, int height = 96)
    {
        const U_RECTL bounds{0, 0, width - 1, height - 1};
        const U_RECTL frame{0, 0, width * 2540 / 96, height * 2540 / 96};
        Add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, U_SIZEL{960, 960}, U_SIZEL{254, 254}, 0));
    }

    // Appends `record` (freed here).
    Emf& Add(char* record)
    {
        EXPECT_NE(record, nullptr);
        if (record) {
            records_.append(record, U_EMRSIZE(record));
            ++count_;
            std::free(record);
        }
        return *this;
    }
    // Appends raw bytes as they are (damaged records).
    Emf& Raw(const std::string& bytes)
    {
        records_ += bytes;
        ++count_;
        return *this;
    }
    std::uint32_t Handle() { return handles_++; }

    // The file: the records, the end record, the header's counts.
    std::string Bytes() const
    {
        EMFTRACK track{};
        std::string bytes = records_;
        char* end = U_EMREOF_set(0, nullptr, &track);
        bytes.append(end, U_EMRSIZE(end));
        std::free(end);
        auto* header = reinterpret_cast<U_EMRHEADER*>(bytes.data());
        header->nBytes = static_cast<std::uint32_t>(bytes.size());
        header->nRecords = count_ + 1;
        header->nHandles = static_cast<std::uint16_t>(handles_);
        return bytes;
    }

private:
    std::string records_;
    std::uint32_t count_ = 0;
    std::uint32_t handles_ = 1;
};

inline U_COLORREF Rgb(unsigned rgb) { return colorref3_set(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }
inline U_POINTL Pt(int x, int y) { return point32_set(x, y); }
inline U_RECTL Rect(int left, int top, int right, int bottom) { return U_RECTL{left, top, right, bottom}; }
inline const U_RECTL kNoBounds{0, 0, -1, -1};

// A pen, brush or font created and selected.
inline void SolidPen(Emf& emf, unsigned rgb, int width, std::uint32_t style = U_PS_SOLID)
{
    const std::uint32_t handle = emf.Handle();
    emf.Add(U_EMRCREATEPEN_set(handle, logpen_set(style, Pt(width, 0), Rgb(rgb))));
    emf.Add(U_EMRSELECTOBJECT_set(handle));
}
inline void SolidBrush(Emf& emf, unsigned rgb, std::uint32_t style = U_BS_SOLID, std::uint32_t hatch = 0)
{
    const std::uint32_t handle = emf.Handle();
    emf.Add(U_EMRCREATEBRUSHINDIRECT_set(handle, logbrush_set(style, Rgb(rgb), hatch)));
    emf.Add(U_EMRSELECTOBJECT_set(handle));
}

// A bitmap information header and colour table for `bits`-bit pixels.
struct Bitmap {
    std::vector<char> Info;
    U_BITMAPINFO* Bmi() { return reinterpret_cast<U_BITMAPINFO*>(Info.data()); }
    Bitmap(int width, int height, int bits, std::uint32_t compression, std::uint32_t imageSize,
           const std::vector<unsigned>& colours = {})
    {
        const U_BITMAPINFOHEADER header = bitmapinfoheader_set(width, height, 1, bits, compression, imageSize, 3780,
                                                               3780, std::uint32_t(colours.size()), 0);
        Info.resize(sizeof header + colours.size() * sizeof(U_RGBQUAD));
        std::memcpy(Info.data(), &header, sizeof header);
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const U_RGBQUAD q = rgbquad_set(colours[i] >> 16, (colours[i] >> 8) & 0xFF, colours[i] & 0xFF, 0);
            std::memcpy(Info.data() + sizeof header + i * sizeof q, &q, sizeof q);
        }
    }
};

} // namespace emftest
