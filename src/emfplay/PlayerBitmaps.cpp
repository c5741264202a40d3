// The player's bitmap records and raster operations.
#include "emfplay/Player.h"

#include <uemf.h>

#include <algorithm>
#include <cmath>

namespace emfplay {

namespace {

// The ternary raster operations drawn; the others depend on the pixels below and are passed over.
constexpr std::uint32_t kBlackness = 0x00, kNotSrcCopy = 0x33, kPatInvert = 0x5A, kSrcAnd = 0x88, kMergeCopy = 0xC0,
                        kSrcCopy = 0xCC, kSrcPaint = 0xEE, kPatCopy = 0xF0, kWhiteness = 0xFF;

std::uint32_t RgbOf(std::uint32_t colorref)
{
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

// The source rectangle's corner through the record's source transform (its scale and offset).
void SourceThrough(const U_XFORM& x, double& sx, double& sy, double& sw, double& sh)
{
    if (!std::isfinite(x.eM11) || !std::isfinite(x.eM22) || !std::isfinite(x.eDx) || !std::isfinite(x.eDy) ||
        x.eM11 == 0 || x.eM22 == 0)
        return;
    sx = sx * x.eM11 + x.eDx;
    sy = sy * x.eM22 + x.eDy;
    sw *= x.eM11;
    sh *= x.eM22;
}

// The destination, the source rectangle (cSrc, or cDest where the record stretches nothing) and
// where the bitmap lies, as every blit record has them.
template <typename R, typename B>
void ReadBlit(const R& rec, const U_POINTL& sourceSize, B& blit)
{
    blit.Dest = {double(rec.Dest.x), double(rec.Dest.y), double(rec.Dest.x) + rec.cDest.x,
                 double(rec.Dest.y) + rec.cDest.y};
    blit.SrcX = rec.Src.x, blit.SrcY = rec.Src.y, blit.SrcW = sourceSize.x, blit.SrcH = sourceSize.y;
    blit.Place = {rec.offBmiSrc, rec.cbBmiSrc, rec.offBitsSrc, rec.cbBitsSrc, rec.iUsageSrc};
}

} // namespace

void Player::BitBlt(const Record& r, std::uint32_t type)
{
    Blit blit;
    switch (type) {
    case U_EMR_BITBLT: {
        const auto& rec = r.As<U_EMRBITBLT>();
        ReadBlit(rec, rec.cDest, blit);
        SourceThrough(rec.xformSrc, blit.SrcX, blit.SrcY, blit.SrcW, blit.SrcH);
        blit.Rop = rec.dwRop;
        break;
    }
    case U_EMR_STRETCHBLT: {
        const auto& rec = r.As<U_EMRSTRETCHBLT>();
        ReadBlit(rec, rec.cSrc, blit);
        SourceThrough(rec.xformSrc, blit.SrcX, blit.SrcY, blit.SrcW, blit.SrcH);
        blit.Rop = rec.dwRop;
        break;
    }
    case U_EMR_STRETCHDIBITS: {
        const auto& rec = r.As<U_EMRSTRETCHDIBITS>();
        ReadBlit(rec, rec.cSrc, blit);
        blit.FromBottom = true;
        blit.Rop = rec.dwRop;
        break;
    }
    case U_EMR_SETDIBITSTODEVICE: {
        const auto& rec = r.As<U_EMRSETDIBITSTODEVICE>();
        // Pixel for pixel at the destination's corner.
        const Point at = ToOutput().Map({double(rec.Dest.x), double(rec.Dest.y)});
        blit.Dest = {at.X, at.Y, at.X + rec.cSrc.x, at.Y + rec.cSrc.y};
        blit.InDevicePixels = true;
        blit.SrcX = rec.Src.x, blit.SrcY = rec.Src.y, blit.SrcW = rec.cSrc.x, blit.SrcH = rec.cSrc.y;
        blit.FromBottom = true;
        blit.Place = {rec.offBmiSrc, rec.cbBmiSrc, rec.offBitsSrc, rec.cbBitsSrc, rec.iUsageSrc};
        blit.Options.Rows = rec.cScans;
        blit.BandTop = rec.iStartScan;
        break;
    }
    case U_EMR_ALPHABLEND: {
        const auto& rec = r.As<U_EMRALPHABLEND>();
        ReadBlit(rec, rec.cSrc, blit);
        SourceThrough(rec.xformSrc, blit.SrcX, blit.SrcY, blit.SrcW, blit.SrcH);
        blit.Opacity = rec.Blend.Global / 255.0;
        blit.Options.PremultipliedAlpha = (rec.Blend.Op & U_AC_SRC_ALPHA) != 0;
        break;
    }
    default: { // TRANSPARENTBLT
        const auto& rec = r.As<U_EMRTRANSPARENTBLT>();
        ReadBlit(rec, rec.cSrc, blit);
        SourceThrough(rec.xformSrc, blit.SrcX, blit.SrcY, blit.SrcW, blit.SrcH);
        blit.Transparent = RgbOf(rec.TColor);
        break;
    }
    }

    const std::uint32_t rop = (blit.Rop >> 16) & 0xFF;
    const bool source = blit.Place.CbBmi != 0;
    switch (rop) {
    case kPatCopy:
        if (const std::optional<FillStyle> fill = FillOf(dc_.CurrentBrush, false))
            FillDest(blit.Dest, *fill);
        return;
    case kBlackness:
    case kWhiteness:
        FillDest(blit.Dest, FillStyle::Solid(rop == kBlackness ? 0x000000 : 0xFFFFFF));
        return;
    case kPatInvert:
        if (!source && ToOutput().IsAxisAligned())
            if (const std::optional<FillStyle> fill = FillOf(dc_.CurrentBrush, false))
                Xor(RectanglePath(blit.Dest).Transformed(ToOutput()), *fill);
        return;
    case kSrcCopy:
    case kNotSrcCopy:
    case kSrcAnd:
    case kSrcPaint:
    case kMergeCopy:
        if (source)
            DrawBitmap(r, blit);
        return;
    default:
        return;
    }
}

void Player::FillDest(const Box& dest, const FillStyle& fill)
{
    FillStyle box = fill;
    box.EvenOdd = false;
    Emit(RectanglePath(dest), ToOutput(), &box, nullptr);
}

void Player::DrawBitmap(const Record& r, Blit blit)
{
    Dib dib;
    switch (DecodeDib(r.Data, r.Size, blit.Place, blit.Options, dib)) {
    case DibStatus::Damaged: Damaged(); return;
    case DibStatus::Decoded: break;
    default: return;
    }
    if ((pixelsLeft_ -= std::int64_t(dib.Width) * dib.Height) < 0) {
        TooLarge();
        return;
    }
    if (blit.SrcW == 0 || blit.SrcH == 0 || !std::isfinite(blit.SrcW) || !std::isfinite(blit.SrcH))
        return;
    // A negative source extent mirrors: the destination turns instead.
    Box& d = blit.Dest;
    if (blit.SrcW < 0) {
        blit.SrcX += blit.SrcW;
        blit.SrcW = -blit.SrcW;
        std::swap(d.Left, d.Right);
    }
    if (blit.SrcH < 0) {
        blit.SrcY += blit.SrcH;
        blit.SrcH = -blit.SrcH;
        std::swap(d.Top, d.Bottom);
    }
    // The source in rows from the bitmap's top; a band of scan lines holds rows from bandTop on.
    const double fullHeight = blit.Options.Rows ? dib.FullHeight : dib.Height;
    double top = blit.SrcY;
    if (blit.FromBottom && !dib.TopDown)
        top = fullHeight - blit.SrcY - blit.SrcH;
    double bandTop = 0;
    if (blit.Options.Rows)
        bandTop = dib.TopDown ? double(blit.BandTop) : fullHeight - double(blit.BandTop) - dib.Height;
    // What of it the bitmap holds, and the part of the destination that shows it.
    const double x0 = std::max(blit.SrcX, 0.0), x1 = std::min(blit.SrcX + blit.SrcW, double(dib.Width));
    const double y0 = std::max(top, bandTop), y1 = std::min(top + blit.SrcH, bandTop + dib.Height);
    if (!(x0 < x1 && y0 < y1))
        return;
    const auto across = [&](double from, double to, double at, double length) {
        return from + (at / length) * (to - from);
    };
    const Box dest{across(d.Left, d.Right, x0 - blit.SrcX, blit.SrcW), across(d.Top, d.Bottom, y0 - top, blit.SrcH),
                   across(d.Left, d.Right, x1 - blit.SrcX, blit.SrcW), across(d.Top, d.Bottom, y1 - top, blit.SrcH)};
    const Affine toOutput = blit.InDevicePixels ? Affine{} : ToOutput();
    if (!dib.Encoded.empty()) {
        // A JPEG or PNG is drawn whole: where only a part of it is wanted, the rest is clipped.
        const Box whole{across(d.Left, d.Right, -blit.SrcX, blit.SrcW),
                        across(d.Top, d.Bottom, -top, blit.SrcH),
                        across(d.Left, d.Right, dib.Width - blit.SrcX, blit.SrcW),
                        across(d.Top, d.Bottom, fullHeight - top, blit.SrcH)};
        const bool part = x0 > 0 || y0 > 0 || x1 < dib.Width || y1 < fullHeight;
        const Path clip = RectanglePath(dest).Transformed(toOutput);
        EmitPicture(dib.Encoded, dib.Kind, dib.Width, dib.Height, whole, toOutput, blit.Opacity,
                    part ? &clip : nullptr);
        return;
    }
    const int ix0 = int(std::floor(x0)), ix1 = int(std::ceil(x1));
    const int iy0 = int(std::floor(y0 - bandTop)), iy1 = int(std::ceil(y1 - bandTop));
    Picture picture = ix0 == 0 && iy0 == 0 && ix1 == dib.Width && iy1 == dib.Height
                          ? std::move(dib.Pixels)
                          : dib.Pixels.Cropped(ix0, iy0, ix1 - ix0, iy1 - iy0);
    const std::uint32_t rop = (blit.Rop >> 16) & 0xFF;
    for (std::size_t i = 0; i < picture.Rgba.size(); i += 4) {
        std::uint8_t* p = &picture.Rgba[i];
        const std::uint32_t rgb = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
        if (rop == kNotSrcCopy) {
            p[0] = 255 - p[0], p[1] = 255 - p[1], p[2] = 255 - p[2];
        } else if ((rop == kSrcAnd && rgb == 0xFFFFFF) || (rop == kSrcPaint && rgb == 0) ||
                   (blit.Transparent && rgb == *blit.Transparent)) {
            // AND with white and OR with black leave what is below; so does the transparent colour.
            p[3] = 0;
        }
    }
    EmitPicture(EncodePng(picture, 1), "png", picture.Width, picture.Height, dest, toOutput, blit.Opacity, nullptr);
}

} // namespace emfplay
