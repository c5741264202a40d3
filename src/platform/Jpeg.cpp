#include "platform/Jpeg.h"

#include "platform/Errors.h"
#include "platform/PictureLimits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <lcms2.h>

namespace platform {

namespace {

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;
constexpr std::string_view kIccSignature{"ICC_PROFILE\0", 12};

// The pixel words of JpegPixels: blue, green, red, 0xFF in memory on a little-endian machine.
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
constexpr J_COLOR_SPACE kWordColourSpace = kLittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
constexpr cmsUInt32Number kWordFormat = kLittleEndian ? TYPE_BGRA_8 : TYPE_ARGB_8;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// How the decoded rows become pixel words.
enum class RowPath {
    Direct,        // libjpeg writes the words (colour or greyscale without a profile)
    InPlace,       // libjpeg writes the words, the RGB profile's transform converts them in place
    Profile,       // libjpeg writes grey or CMYK samples, the profile's transform makes the words
    PlainCmyk,     // libjpeg writes CMYK samples, converted without a profile
};

class RowTransform;

// Everything the decode touches lives here, outside the frame that calls setjmp, so no automatic
// object of that frame changes between setjmp and longjmp.
struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager error;
    JpegPixels* out = nullptr;
    JOCTET* icc = nullptr;   // malloc'd by libjpeg
    std::shared_ptr<const RowTransform> transform;   // of the TransformCache
    std::vector<unsigned char> samples;
    RowPath path = RowPath::Direct;
    bool inverted = false;   // CMYK stored as 255 − ink (an Adobe marker)
    int orientation = 1;
    bool tooLarge = false;
    bool noRoom = false;
};

extern "C" void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

extern "C" void OnJpegOutput(j_common_ptr) {}

void Release(DecodeState& state)
{
    jpeg_destroy_decompress(&state.info);
    state.transform.reset();
    std::free(state.icc);
    state.icc = nullptr;
}

// A conversion of decoded rows to sRGB pixel words.
class RowTransform {
public:
    virtual ~RowTransform() = default;
    // `samples` are in the input format the transform was made for; they may be `row` itself when
    // that format is the words'. The words' fourth byte is left as it was.
    virtual void Apply(const void* samples, std::uint32_t* row, int width) const = 0;
};

// Any profile, through lcms2; made without its one-pixel cache, so that decodes on several threads
// may use one at once.
class LcmsTransform final : public RowTransform {
public:
    explicit LcmsTransform(cmsHTRANSFORM transform) : transform_(transform) {}
    ~LcmsTransform() override { cmsDeleteTransform(transform_); }
    void Apply(const void* samples, std::uint32_t* row, int width) const override
    {
        cmsDoTransform(transform_, samples, row, static_cast<cmsUInt32Number>(width));
    }

private:
    cmsHTRANSFORM transform_;
};

// An RGB matrix-shaper profile (a camera's or a phone's: Adobe RGB, Display P3), as lcms2 converts
// it, by tables: each channel through the profile's curve, the colorants' matrix into sRGB's linear
// RGB, clipped, and sRGB's curve. lcms2 takes about 25 ns a pixel for this, four seconds for a
// 48-megapixel photo; these tables a few.
class MatrixShaperTransform final : public RowTransform {
public:
    static constexpr int kOutSteps = 8192;

    // Null when a curve or colorant cannot be read or the colorants do not invert.
    static std::unique_ptr<MatrixShaperTransform> Make(cmsHPROFILE source, cmsHPROFILE sRgb)
    {
        const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
        const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
        double from[3][3], to[3][3];
        for (int c = 0; c < 3; ++c) {
            const auto* a = static_cast<const cmsCIEXYZ*>(cmsReadTag(source, colorants[c]));
            const auto* b = static_cast<const cmsCIEXYZ*>(cmsReadTag(sRgb, colorants[c]));
            if (!a || !b)
                return nullptr;
            from[0][c] = a->X, from[1][c] = a->Y, from[2][c] = a->Z;
            to[0][c] = b->X, to[1][c] = b->Y, to[2][c] = b->Z;
        }
        double inverse[3][3];
        if (!Invert(to, inverse))
            return nullptr;
        auto transform = std::make_unique<MatrixShaperTransform>();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int k = 0; k < 3; ++k)
                    sum += inverse[r][k] * from[k][c];
                transform->matrix_[r][c] = static_cast<float>(sum);
            }
        for (int c = 0; c < 3; ++c) {
            const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(source, curves[c]));
            if (!curve)
                return nullptr;
            for (int v = 0; v < 256; ++v)
                transform->in_[c][v] = cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(v / 255.0));
        }
        const auto* srgbCurve = static_cast<const cmsToneCurve*>(cmsReadTag(sRgb, cmsSigRedTRCTag));
        cmsToneCurve* reverse = srgbCurve ? cmsReverseToneCurve(srgbCurve) : nullptr;
        if (!reverse)
            return nullptr;
        for (int i = 0; i <= kOutSteps; ++i) {
            const double v = cmsEvalToneCurveFloat(reverse, static_cast<cmsFloat32Number>(double(i) / kOutSteps));
            transform->out_[i] = static_cast<std::uint8_t>(std::clamp(v * 255 + 0.5, 0.0, 255.0));
        }
        cmsFreeToneCurve(reverse);
        return transform;
    }

    void Apply(const void* samples, std::uint32_t* row, int width) const override
    {
        const auto* in = static_cast<const std::uint32_t*>(samples);
        const auto out = [this](float v) {
            return static_cast<std::uint32_t>(out_[static_cast<int>(std::clamp(v, 0.0f, 1.0f) * kOutSteps + 0.5f)]);
        };
        for (int x = 0; x < width; ++x) {
            const std::uint32_t word = in[x];
            const float r = in_[0][(word >> 16) & 0xFF], g = in_[1][(word >> 8) & 0xFF], b = in_[2][word & 0xFF];
            const float m[3] = {matrix_[0][0] * r + matrix_[0][1] * g + matrix_[0][2] * b,
                                matrix_[1][0] * r + matrix_[1][1] * g + matrix_[1][2] * b,
                                matrix_[2][0] * r + matrix_[2][1] * g + matrix_[2][2] * b};
            row[x] = (word & 0xFF000000u) | out(m[0]) << 16 | out(m[1]) << 8 | out(m[2]);
        }
    }

private:
    static bool Invert(const double m[3][3], double inverse[3][3])
    {
        const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1])
                         - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
                         + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        if (!(std::abs(det) > 1e-9))
            return false;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                // The cofactor of (c, r), transposed.
                const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
                inverse[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
            }
        return true;
    }

    float in_[3][256] = {};
    float matrix_[3][3] = {};
    std::uint8_t out_[kOutSteps + 1] = {};
};

// The transforms to sRGB of the profiles met last, shared by every decode: making one takes 5 ms
// (an RGB profile) to 80 ms (a CMYK one), and a phone or a print shop writes the same profile into
// every file.
class TransformCache {
public:
    // Null when lcms2 cannot read the profile, or it is not of `space`.
    std::shared_ptr<const RowTransform> Find(std::string_view profile, cmsColorSpaceSignature space, cmsUInt32Number format)
    {
        {
            const std::lock_guard lock(mutex_);
            for (auto it = entries_.begin(); it != entries_.end(); ++it) {
                if (it->format == format && it->profile == profile) {
                    std::rotate(entries_.begin(), it, it + 1);
                    return entries_.front().transform;
                }
            }
        }
        std::shared_ptr<const RowTransform> transform = Make(profile, space, format);
        if (!transform)
            return nullptr;
        const std::lock_guard lock(mutex_);
        entries_.insert(entries_.begin(), Entry{std::string(profile), format, transform});
        if (entries_.size() > kSize)
            entries_.pop_back();
        return transform;
    }

private:
    static constexpr std::size_t kSize = 8;
    struct Entry {
        std::string profile;
        cmsUInt32Number format;
        std::shared_ptr<const RowTransform> transform;
    };

    static std::shared_ptr<const RowTransform> Make(std::string_view profile, cmsColorSpaceSignature space,
                                                    cmsUInt32Number format)
    {
        const cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
        if (!source)
            return nullptr;
        std::shared_ptr<const RowTransform> transform;
        const cmsHPROFILE sRgb = cmsCreate_sRGBProfile();
        if (sRgb && cmsGetColorSpace(source) == space && cmsGetDeviceClass(source) != cmsSigLinkClass
            && cmsGetDeviceClass(source) != cmsSigAbstractClass) {
            // lcms2 draws a profile with a table for the intent by the table, else by its matrix and curves.
            if (format == kWordFormat && cmsIsMatrixShaper(source) && !cmsIsCLUT(source, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT))
                transform = MatrixShaperTransform::Make(source, sRgb);
            if (!transform)
                if (const cmsHTRANSFORM lcms = cmsCreateTransform(source, format, sRgb, kWordFormat, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE))
                    transform = std::make_shared<LcmsTransform>(lcms);
        }
        if (sRgb)
            cmsCloseProfile(sRgb);
        cmsCloseProfile(source);
        return transform;
    }

    std::mutex mutex_;
    std::vector<Entry> entries_;
};

TransformCache& Transforms()
{
    static TransformCache cache;
    return cache;
}

int OrientationOfMarkers(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == kApp1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return ExifOrientation({reinterpret_cast<const char*>(m->data), m->data_length});
    return 1;
}

// The bytes of the embedded profile's segments, or more than kMaxIccProfileBytes when they are not to be read.
std::size_t IccBytes(const jpeg_decompress_struct& info)
{
    std::size_t total = 0;
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == kApp2 && m->data_length >= kIccSignature.size()
            && std::memcmp(m->data, kIccSignature.data(), kIccSignature.size()) == 0)
            total += m->data_length;
    return total;
}

// Picks the path of the rows and, with a profile that fits the picture's colours, its transform to
// sRGB. The output colour space is set for the path.
void ChooseRowPath(DecodeState& state)
{
    jpeg_decompress_struct& info = state.info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    state.inverted = cmyk && info.saw_Adobe_marker;
    state.path = cmyk ? RowPath::PlainCmyk : RowPath::Direct;
    info.out_color_space = cmyk ? JCS_CMYK : kWordColourSpace;

    const std::size_t iccBytes = IccBytes(info);
    unsigned int length = 0;
    if (iccBytes == 0 || iccBytes > kMaxIccProfileBytes || !jpeg_read_icc_profile(&info, &state.icc, &length))
        return;
    cmsColorSpaceSignature space = cmsSigRgbData;
    cmsUInt32Number format = kWordFormat;
    if (cmyk) {
        space = cmsSigCmykData;
        format = state.inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8;
    } else if (grey) {
        space = cmsSigGrayData;
        format = TYPE_GRAY_8;
    }
    try {
        state.transform = Transforms().Find({reinterpret_cast<const char*>(state.icc), length}, space, format);
    } catch (const std::bad_alloc&) {
        return;   // drawn as without the profile
    }
    if (!state.transform)
        return;
    if (format == kWordFormat) {
        state.path = RowPath::InPlace;
    } else {
        state.path = RowPath::Profile;
        info.out_color_space = grey ? JCS_GRAYSCALE : JCS_CMYK;
    }
}

// Ink to light without a profile, as the usual naive conversion: each channel (1 − ink)(1 − black).
void PlainCmykRow(const unsigned char* cmyk, std::uint32_t* row, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4) {
        const unsigned flip = inverted ? 0 : 255;
        const unsigned c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
        // c, m, y, k are now 255 − ink: the light each lets through.
        const auto light = [k](unsigned v) { return (v * k + 127) / 255; };
        row[x] = 0xFF000000u | light(c) << 16 | light(m) << 8 | light(y);
    }
}

// Only trivially destructible automatic objects here (see DecodeState).
bool DecodeInto(const unsigned char* data, unsigned long size, DecodeState& state)
{
    state.info.err = jpeg_std_error(&state.error.pub);
    state.error.pub.error_exit = OnJpegError;
    state.error.pub.emit_message = OnJpegWarning;
    state.error.pub.output_message = OnJpegOutput;
    state.error.message[0] = '\0';
    if (setjmp(state.error.jump)) {
        Release(state);
        return false;
    }
    jpeg_create_decompress(&state.info);
    jpeg_mem_src(&state.info, data, size);
    jpeg_save_markers(&state.info, kApp1, 0xFFFF);
    jpeg_save_markers(&state.info, kApp2, 0xFFFF);
    jpeg_read_header(&state.info, TRUE);
    state.orientation = OrientationOfMarkers(state.info);
    ChooseRowPath(state);
    if (!StartBoundedJpegDecode(state.info, size)) {
        state.tooLarge = true;
        Release(state);
        return false;
    }
    const int width = static_cast<int>(state.info.output_width);
    const int height = static_cast<int>(state.info.output_height);
    const std::size_t sampleBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(state.info.output_components);
    bool room = state.out->Start(width, height);
    if (room && (state.path == RowPath::Profile || state.path == RowPath::PlainCmyk)) {
        try {
            state.samples.resize(sampleBytes);
        } catch (const std::bad_alloc&) {
            room = false;
        }
    }
    if (!room) {
        state.noRoom = true;
        Release(state);
        return false;
    }
    while (state.info.output_scanline < state.info.output_height) {
        std::uint32_t* row = state.out->Row(static_cast<int>(state.info.output_scanline));
        if (!row) {
            state.noRoom = true;
            Release(state);
            return false;
        }
        if (state.path == RowPath::Direct || state.path == RowPath::InPlace) {
            JSAMPROW samples = reinterpret_cast<JSAMPROW>(row);
            jpeg_read_scanlines(&state.info, &samples, 1);
            if (state.path == RowPath::InPlace)
                state.transform->Apply(row, row, width);
            continue;
        }
        JSAMPROW samples = state.samples.data();
        jpeg_read_scanlines(&state.info, &samples, 1);
        if (state.path == RowPath::PlainCmyk) {
            PlainCmykRow(state.samples.data(), row, width, state.inverted);
        } else {
            state.transform->Apply(state.samples.data(), row, width);
            for (int x = 0; x < width; ++x)
                row[x] |= 0xFF000000u;   // lcms2 leaves the extra channel of its output as it was
        }
    }
    jpeg_finish_decompress(&state.info);
    Release(state);
    return true;
}

// A bounded reader of a TIFF structure in memory, in its own byte order; reads past the end are 0.
class TiffReader {
public:
    TiffReader(std::string_view tiff, bool bigEndian) : tiff_(tiff), big_(bigEndian) {}
    bool Has(std::size_t at, std::size_t count) const { return at <= tiff_.size() && count <= tiff_.size() - at; }
    std::uint32_t U16(std::size_t at) const
    {
        if (!Has(at, 2))
            return 0;
        const std::uint32_t a = Byte(at), b = Byte(at + 1);
        return big_ ? (a << 8 | b) : (b << 8 | a);
    }
    std::uint32_t U32(std::size_t at) const
    {
        if (!Has(at, 4))
            return 0;
        const std::uint32_t hi = U16(at + (big_ ? 0 : 2)), lo = U16(at + (big_ ? 2 : 0));
        return hi << 16 | lo;
    }

private:
    std::uint32_t Byte(std::size_t at) const { return static_cast<unsigned char>(tiff_[at]); }
    std::string_view tiff_;
    bool big_;
};

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

int ExifOrientation(std::string_view app1)
{
    constexpr std::uint32_t kOrientationTag = 0x0112;
    constexpr std::uint32_t kShort = 3;
    if (app1.size() < 14 || app1.substr(0, 6) != std::string_view("Exif\0\0", 6))
        return 1;
    const std::string_view tiff = app1.substr(6);
    bool big = false;
    if (tiff.substr(0, 4) == std::string_view("MM\0*", 4))
        big = true;
    else if (tiff.substr(0, 4) != std::string_view("II*\0", 4))
        return 1;
    const TiffReader in(tiff, big);
    const std::size_t directory = in.U32(4);
    if (!in.Has(directory, 2))
        return 1;
    const int entries = std::min<int>(static_cast<int>(in.U16(directory)), kMaxExifEntries);
    for (int i = 0; i < entries; ++i) {
        const std::size_t at = directory + 2 + 12 * static_cast<std::size_t>(i);
        if (!in.Has(at, 12))
            break;
        if (in.U16(at) != kOrientationTag)
            continue;
        const std::uint32_t value = in.U16(at + 8);
        if (in.U16(at + 2) != kShort || in.U32(at + 4) != 1 || value < 1 || value > 8)
            return 1;
        return static_cast<int>(value);
    }
    return 1;
}

int JpegOrientation(std::string_view bytes)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return 1;
    // Marker segments up to the first frame or scan: each FF, its code, a two-byte length that counts itself.
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (byte(at) != 0xFF)
            return 1;
        const unsigned marker = byte(at + 1);
        if (marker == 0xFF) {   // fill byte
            ++at;
            continue;
        }
        if ((marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) || marker == 0xDA
            || marker == 0xD9)
            return 1;
        const std::size_t length = std::size_t(byte(at + 2)) << 8 | byte(at + 3);
        if (length < 2 || length > bytes.size() - at - 2)
            return 1;
        const std::string_view data = bytes.substr(at + 4, length - 2);
        if (marker == 0xE1 && data.substr(0, 6) == std::string_view("Exif\0\0", 6))
            return ExifOrientation(data);
        at += 2 + length;
    }
    return 1;
}

void OrientPixels(const std::uint32_t* src, int width, int height, std::size_t srcStride, int orientation,
                  std::uint32_t* dst, std::size_t dstStride)
{
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint32_t* line = src + y * srcStride;
        // Where the stored (x, y) goes: column and row of the upright picture.
        for (std::size_t x = 0; x < w; ++x) {
            std::size_t tx = x, ty = y;
            switch (orientation) {
            case 2: tx = w - 1 - x; break;
            case 3: tx = w - 1 - x; ty = h - 1 - y; break;
            case 4: ty = h - 1 - y; break;
            case 5: tx = y; ty = x; break;
            case 6: tx = h - 1 - y; ty = x; break;
            case 7: tx = h - 1 - y; ty = w - 1 - x; break;
            case 8: tx = y; ty = w - 1 - x; break;
            default: break;
            }
            dst[ty * dstStride + tx] = line[x];
        }
    }
}

int DecodeJpegPixels(std::string_view bytes, JpegPixels& out)
{
    if (bytes.empty())
        throw InvalidPictureError("Invalid JPEG picture: no data");
    auto state = std::make_unique<DecodeState>();
    std::memset(&state->info, 0, sizeof state->info);
    state->out = &out;
    if (!DecodeInto(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()),
                    *state)) {
        if (state->tooLarge)
            throw InvalidPictureError("Invalid JPEG picture: the picture is too large");
        if (state->noRoom)
            throw InvalidPictureError("Invalid JPEG picture: no memory for the picture");
        throw InvalidPictureError(std::string("Invalid JPEG picture: ") + state->error.message);
    }
    return state->orientation;
}

namespace {

// The pixels of DecodeJpeg: the buffer grows with the rows decoded, so a header claiming a huge
// picture over missing data fails at its first missing row, not after allocating the whole picture.
class GrowingPixels final : public JpegPixels {
public:
    bool Start(int width, int height) override
    {
        width_ = static_cast<std::size_t>(width);
        height_ = static_cast<std::size_t>(height);
        return true;
    }
    std::uint32_t* Row(int y) override
    {
        const std::size_t end = (static_cast<std::size_t>(y) + 1) * width_;
        try {
            if (words.size() < end)
                words.resize(std::max(end, std::min(words.size() * 2, width_ * height_)));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return words.data() + end - width_;
    }
    int Width() const { return static_cast<int>(width_); }
    int Height() const { return static_cast<int>(height_); }
    std::vector<std::uint32_t> words;

private:
    std::size_t width_ = 0;
    std::size_t height_ = 0;
};

} // namespace

Picture DecodeJpeg(std::string_view bytes)
{
    GrowingPixels pixels;
    const int orientation = DecodeJpegPixels(bytes, pixels);
    const int width = pixels.Width(), height = pixels.Height();
    std::vector<std::uint32_t> upright;
    const std::uint32_t* words = pixels.words.data();
    const bool swaps = OrientationSwapsSides(orientation);
    const int shownWidth = swaps ? height : width;
    const int shownHeight = swaps ? width : height;
    if (orientation != 1) {
        upright.resize(pixels.words.size());
        OrientPixels(words, width, height, static_cast<std::size_t>(width), orientation, upright.data(),
                     static_cast<std::size_t>(shownWidth));
        words = upright.data();
    }
    Picture picture(shownWidth, shownHeight);
    for (int y = 0; y < shownHeight; ++y)
        for (int x = 0; x < shownWidth; ++x, ++words)
            picture.SetPixel(x, y, RgbColor(static_cast<int>(*words >> 16), static_cast<int>(*words >> 8),
                                            static_cast<int>(*words)));
    return picture;
}

} // namespace platform
