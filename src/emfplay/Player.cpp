#include "emfplay/Player.h"

#include "emfplay/EmfPlayer.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace emfplay {

namespace {

// Whether libuemf can check records of `type` (it passes the others unchecked, with a warning).
bool Checkable(std::uint32_t type)
{
    return (type >= 1 && type <= 68) || (type >= 70 && type <= 95) || (type >= 98 && type <= 101) || type == 104 ||
           type == 108 || (type >= 114 && type <= 116) || type == 118 || type == 122;
}

// The fixed part of the records played, which their fields are read from.
std::size_t MinimumSize(std::uint32_t type)
{
    switch (type) {
    case U_EMR_HEADER: return U_SIZE_EMRHEADER_MIN;
    case U_EMR_POLYBEZIER: case U_EMR_POLYGON: case U_EMR_POLYLINE: case U_EMR_POLYBEZIERTO: case U_EMR_POLYLINETO:
        return U_SIZE_EMRPOLYLINE;
    case U_EMR_POLYBEZIER16: case U_EMR_POLYGON16: case U_EMR_POLYLINE16: case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16:
        return U_SIZE_EMRPOLYLINE16;
    case U_EMR_POLYPOLYLINE: case U_EMR_POLYPOLYGON: case U_EMR_POLYPOLYLINE16: case U_EMR_POLYPOLYGON16:
        return U_SIZE_EMRPOLYPOLYLINE;
    case U_EMR_POLYDRAW: return U_SIZE_EMRPOLYDRAW;
    case U_EMR_POLYDRAW16: return U_SIZE_EMRPOLYDRAW16;
    case U_EMR_SETWINDOWEXTEX: case U_EMR_SETVIEWPORTEXTEX: return U_SIZE_EMRSETWINDOWEXTEX;
    case U_EMR_SETWINDOWORGEX: case U_EMR_SETVIEWPORTORGEX: return U_SIZE_EMRSETWINDOWORGEX;
    case U_EMR_SETPIXELV: return U_SIZE_EMRSETPIXELV;
    case U_EMR_SETMAPMODE: case U_EMR_SETBKMODE: case U_EMR_SETPOLYFILLMODE: case U_EMR_SETROP2:
    case U_EMR_SETTEXTALIGN: case U_EMR_SELECTCLIPPATH: case U_EMR_SETARCDIRECTION: case U_EMR_SETMITERLIMIT:
    case U_EMR_SETTEXTCOLOR: case U_EMR_SETBKCOLOR: case U_EMR_RESTOREDC: case U_EMR_SELECTOBJECT:
    case U_EMR_DELETEOBJECT:
        return U_SIZE_EMRSETMAPMODE;
    case U_EMR_OFFSETCLIPRGN: case U_EMR_MOVETOEX: case U_EMR_LINETO: return U_SIZE_EMRMOVETOEX;
    case U_EMR_EXCLUDECLIPRECT: case U_EMR_INTERSECTCLIPRECT: return U_SIZE_EMRINTERSECTCLIPRECT;
    case U_EMR_SCALEVIEWPORTEXTEX: case U_EMR_SCALEWINDOWEXTEX: return U_SIZE_EMRSCALEVIEWPORTEXTEX;
    case U_EMR_SETWORLDTRANSFORM: return U_SIZE_EMRSETWORLDTRANSFORM;
    case U_EMR_MODIFYWORLDTRANSFORM: return U_SIZE_EMRMODIFYWORLDTRANSFORM;
    case U_EMR_CREATEPEN: return U_SIZE_EMRCREATEPEN;
    case U_EMR_CREATEBRUSHINDIRECT: return U_SIZE_EMRCREATEBRUSHINDIRECT;
    case U_EMR_ANGLEARC: return U_SIZE_EMRANGLEARC;
    case U_EMR_ELLIPSE: case U_EMR_RECTANGLE: return U_SIZE_EMRRECTANGLE;
    case U_EMR_ROUNDRECT: return U_SIZE_EMRROUNDRECT;
    case U_EMR_ARC: case U_EMR_CHORD: case U_EMR_PIE: case U_EMR_ARCTO: return U_SIZE_EMRARC;
    case U_EMR_CREATEPALETTE: return U_SIZE_EMRCREATEPALETTE;
    case U_EMR_FILLRGN: return U_SIZE_EMRFILLRGN;
    case U_EMR_FRAMERGN: return U_SIZE_EMRFRAMERGN;
    case U_EMR_PAINTRGN: return U_SIZE_EMRPAINTRGN;
    case U_EMR_EXTSELECTCLIPRGN: return U_SIZE_EMREXTSELECTCLIPRGN;
    case U_EMR_BITBLT: return U_SIZE_EMRBITBLT;
    case U_EMR_STRETCHBLT: return U_SIZE_EMRSTRETCHBLT;
    case U_EMR_SETDIBITSTODEVICE: return U_SIZE_EMRSETDIBITSTODEVICE;
    case U_EMR_STRETCHDIBITS: return U_SIZE_EMRSTRETCHDIBITS;
    case U_EMR_EXTCREATEFONTINDIRECTW: return U_SIZE_EMREXTCREATEFONTINDIRECTW_LOGFONT;
    case U_EMR_EXTTEXTOUTA: case U_EMR_EXTTEXTOUTW: return U_SIZE_EMREXTTEXTOUTW;
    case U_EMR_CREATEMONOBRUSH: return U_SIZE_EMRCREATEMONOBRUSH;
    case U_EMR_CREATEDIBPATTERNBRUSHPT: return U_SIZE_EMRCREATEDIBPATTERNBRUSHPT;
    case U_EMR_EXTCREATEPEN: return U_SIZE_EMREXTCREATEPEN;
    case U_EMR_CREATECOLORSPACE: return U_SIZE_EMRCREATECOLORSPACE;
    case U_EMR_CREATECOLORSPACEW: return U_SIZE_EMRCREATECOLORSPACEW;
    case U_EMR_SMALLTEXTOUT: return U_SIZE_EMRSMALLTEXTOUT;
    case U_EMR_ALPHABLEND: return U_SIZE_EMRALPHABLEND;
    case U_EMR_TRANSPARENTBLT: return U_SIZE_EMRTRANSPARENTBLT;
    case U_EMR_GRADIENTFILL: return U_SIZE_EMRGRADIENTFILL;
    default: return sizeof(U_EMR);
    }
}

Affine AffineOf(const U_XFORM& x) { return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }

std::uint32_t RgbOf(U_COLORREF c) { return std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue; }

} // namespace

Player::Player(std::string_view bytes) : bytes_(bytes) {}

bool Player::Play(std::string& drawing, std::string& error)
{
    size_ = bytes_.size();
    if (reinterpret_cast<std::uintptr_t>(bytes_.data()) % alignof(std::uint32_t) != 0) {
        aligned_.resize((size_ + 3) / 4);
        std::memcpy(aligned_.data(), bytes_.data(), size_);
        data_ = reinterpret_cast<const char*>(aligned_.data());
    } else {
        data_ = bytes_.data();
    }
    writer_.Reserve(std::min<std::size_t>(size_ * 2 + 4096, kMaxDrawingBytes));

    std::vector<std::uint32_t> scratch; // a record that does not start 4-byte aligned, copied
    std::size_t offset = 0;
    std::size_t furthest = 0;
    std::uint64_t records = 0;
    bool headerRead = false;
    while (!ended_) {
        if (size_ - offset < sizeof(U_EMR)) {
            if (capture_) {
                BreakCapture();
            } else {
                if (!headerRead) {
                    error = "the header cannot be read";
                    return false;
                }
                break; // the bytes end without an end-of-file record: what came before is drawn
            }
        }
        if (!captureBroken_) {
            U_EMR head;
            std::memcpy(&head, data_ + offset, sizeof head);
            if (head.nSize < sizeof(U_EMR) || head.nSize > size_ - offset) {
                error = headerRead ? "the records cannot be read" : "the header cannot be read";
                return false;
            }
            if (offset >= furthest) {
                furthest = offset + head.nSize;
                if (++records > kMaxRecords) {
                    error = "the picture has too many records";
                    return false;
                }
            }
            const char* at = data_ + offset;
            if (offset % alignof(std::uint32_t) != 0) {
                scratch.resize((head.nSize + 3) / 4);
                std::memcpy(scratch.data(), at, head.nSize);
                at = reinterpret_cast<const char*>(scratch.data());
            }
            if (head.nSize < MinimumSize(head.iType) || (Checkable(head.iType) && !U_emf_record_safe(at))) {
                error = headerRead ? "the records cannot be read" : "the header cannot be read";
                return false;
            }
            const Record record{head.iType, at, head.nSize};
            offset_ = offset;
            if (!headerRead) {
                if (head.iType != U_EMR_HEADER) {
                    error = "the header cannot be read";
                    return false;
                }
                if (!ReadHeader(record, error))
                    return false;
                headerRead = true;
            } else {
                Dispatch(record);
            }
            if (damaged_) {
                error = "the records cannot be read";
                return false;
            }
            if (tooLarge_ || writer_.Size() > kMaxDrawingBytes) {
                error = "the drawing is too large";
                return false;
            }
            offset += head.nSize;
            if (capture_ && (++capture_->Records > 20000 || replayBudget_ == 0 || --replayBudget_ == 0))
                BreakCapture();
        }
        if (captureBroken_) {
            // Not the idiom: played again from its first fill on, which is passed over.
            offset = capture_->Resume;
            noCaptureAt_ = offset;
            Restore(std::move(capture_->State));
            capture_.reset();
            captureBroken_ = false;
            ended_ = false;
        }
    }
    painter_.End();
    if (writer_.Size() > kMaxDrawingBytes) {
        error = "the drawing is too large";
        return false;
    }
    drawing = writer_.Release();
    return true;
}

bool Player::ReadHeader(const Record& r, std::string& error)
{
    if (r.Size < U_SIZE_EMRHEADER_MIN) {
        error = "the header cannot be read";
        return false;
    }
    const auto& h = r.As<U_EMRHEADER>();
    if (h.dSignature != U_ENHMETA_SIGNATURE) {
        error = "the header cannot be read";
        return false;
    }
    objects_.assign(std::size_t(h.nHandles), nullptr);
    if (h.szlDevice.cx > 0 && h.szlDevice.cy > 0 && h.szlMillimeters.cx > 0 && h.szlMillimeters.cy > 0) {
        devicePixels_ = {double(h.szlDevice.cx), double(h.szlDevice.cy)};
        deviceMm_ = {double(h.szlMillimeters.cx), double(h.szlMillimeters.cy)};
        // The device's size in micrometres, where the header has it, says the same more exactly.
        if (r.Size >= sizeof(U_EMRHEADER)) {
            const Point micrometres{h.szlMicrometers.cx / 1000.0, h.szlMicrometers.cy / 1000.0};
            if (micrometres.X > 0 && micrometres.Y > 0 && std::abs(micrometres.X - deviceMm_.X) < 1 &&
                std::abs(micrometres.Y - deviceMm_.Y) < 1)
                deviceMm_ = micrometres;
        }
        pixelsPerMmX_ = devicePixels_.X / deviceMm_.X;
        pixelsPerMmY_ = devicePixels_.Y / deviceMm_.Y;
    } else {
        devicePixels_ = {1024, 768};
        deviceMm_ = {1024 * kMMPerInch / 96, 768 * kMMPerInch / 96};
    }
    // The frame (hundredths of a millimetre) in device pixels; the bounds (device pixels,
    // inclusive) when the frame is empty.
    double left = h.rclFrame.left / 100.0 * pixelsPerMmX_;
    double top = h.rclFrame.top / 100.0 * pixelsPerMmY_;
    double width = (double(h.rclFrame.right) - h.rclFrame.left) / 100.0 * pixelsPerMmX_;
    double height = (double(h.rclFrame.bottom) - h.rclFrame.top) / 100.0 * pixelsPerMmY_;
    if (!(width > 0 && height > 0)) {
        left = h.rclBounds.left;
        top = h.rclBounds.top;
        width = double(h.rclBounds.right) - h.rclBounds.left + 1;
        height = double(h.rclBounds.bottom) - h.rclBounds.top + 1;
    }
    if (!(width > 0 && height > 0)) {
        error = "the picture's frame is empty";
        return false;
    }
    if (width > 1e6 || height > 1e6) {
        error = "the picture's frame is too large";
        return false;
    }
    deviceToOutput_ = Affine::Translation(-left, -top);
    pixel_ = std::clamp(pixelsPerMmX_ * kMMPerInch / 96, 0.01, 1000.0);
    outputWidth_ = width;
    outputHeight_ = height;
    MappingChanged();
    painter_.Begin(width, height);
    return true;
}

// ---- mapping ------------------------------------------------------------------------------------

Affine Player::PageToDevice() const
{
    const double sx = dc_.ViewportExt.X / dc_.WindowExt.X;
    const double sy = dc_.ViewportExt.Y / dc_.WindowExt.Y;
    return {sx, 0, 0, sy, dc_.ViewportOrg.X - dc_.WindowOrg.X * sx, dc_.ViewportOrg.Y - dc_.WindowOrg.Y * sy};
}

const Affine& Player::ToOutput()
{
    if (!mappingValid_) {
        toOutput_ = dc_.World.Then(PageToDevice()).Then(deviceToOutput_);
        if (!toOutput_.IsFinite())
            toOutput_ = Affine{0, 0, 0, 0, 0, 0};
        mappingValid_ = true;
    }
    return toOutput_;
}

void Player::SetMapMode(std::uint32_t mode)
{
    if (mode < U_MM_TEXT || mode > U_MM_ANISOTROPIC)
        return;
    dc_.MapMode = mode;
    // The fixed modes' units per millimetre; the isotropic mode starts as the metric one.
    double perMm = 0;
    switch (mode) {
    case U_MM_TEXT:
        dc_.WindowExt = dc_.ViewportExt = {1, 1};
        break;
    case U_MM_LOMETRIC:
    case U_MM_ISOTROPIC: perMm = 10; break;
    case U_MM_HIMETRIC: perMm = 100; break;
    case U_MM_LOENGLISH: perMm = 100 / kMMPerInch; break;
    case U_MM_HIENGLISH: perMm = 1000 / kMMPerInch; break;
    case U_MM_TWIPS: perMm = 1440 / kMMPerInch; break;
    default: break;
    }
    if (perMm > 0) {
        dc_.WindowExt = {deviceMm_.X * perMm, deviceMm_.Y * perMm};
        dc_.ViewportExt = {devicePixels_.X, -devicePixels_.Y};
    }
    MappingChanged();
}

void Player::FixIsotropic()
{
    // Both axes get the smaller of their scales (in millimetres a unit), keeping their signs.
    const double xdim = std::abs(dc_.ViewportExt.X * deviceMm_.X / (devicePixels_.X * dc_.WindowExt.X));
    const double ydim = std::abs(dc_.ViewportExt.Y * deviceMm_.Y / (devicePixels_.Y * dc_.WindowExt.Y));
    if (!(xdim > 0) || !(ydim > 0) || !std::isfinite(xdim) || !std::isfinite(ydim))
        return;
    const auto rounded = [](double v) {
        const double r = std::floor(v + 0.5);
        return r == 0 ? (v < 0 ? -1.0 : 1.0) : r;
    };
    if (xdim > ydim)
        dc_.ViewportExt.X = rounded(dc_.ViewportExt.X * ydim / xdim);
    else
        dc_.ViewportExt.Y = rounded(dc_.ViewportExt.Y * xdim / ydim);
}

// ---- objects ------------------------------------------------------------------------------------

bool Player::HandleInRange(std::uint32_t index)
{
    if (index >= objects_.size()) {
        Damaged();
        return false;
    }
    return index != 0;
}

void Player::Store(std::uint32_t index, GraphicsObject object)
{
    if (HandleInRange(index))
        objects_[index] = std::make_shared<const GraphicsObject>(std::move(object));
}

const GraphicsObject* Player::ObjectAt(std::uint32_t index) const
{
    return index < objects_.size() && objects_[index] ? objects_[index].get() : nullptr;
}

void Player::Select(std::uint32_t index)
{
    if (index & U_STOCK_OBJECT) {
        const auto brush = [&](Brush::Kind kind, std::uint32_t rgb) {
            dc_.CurrentBrush = Brush{kind, rgb, 0, nullptr, 0};
        };
        switch (index) {
        case U_WHITE_BRUSH: brush(Brush::Kind::Solid, 0xFFFFFF); break;
        case U_LTGRAY_BRUSH: brush(Brush::Kind::Solid, 0xC0C0C0); break;
        case U_GRAY_BRUSH: brush(Brush::Kind::Solid, 0x808080); break;
        case U_DKGRAY_BRUSH: brush(Brush::Kind::Solid, 0x404040); break;
        case U_BLACK_BRUSH: brush(Brush::Kind::Solid, 0x000000); break;
        case U_NULL_BRUSH: brush(Brush::Kind::Null, 0); break;
        case U_WHITE_PEN:
        case U_BLACK_PEN:
            dc_.CurrentPen = Pen();
            dc_.CurrentPen.Rgb = index == U_WHITE_PEN ? 0xFFFFFF : 0x000000;
            break;
        case U_NULL_PEN:
            dc_.CurrentPen = Pen();
            dc_.CurrentPen.Null = true;
            break;
        case U_OEM_FIXED_FONT:
        case U_ANSI_FIXED_FONT:
        case U_SYSTEM_FIXED_FONT: dc_.CurrentFont = Font{-13, 0, 400, false, false, false, 0, "Courier New"}; break;
        case U_ANSI_VAR_FONT:
        case U_DEFAULT_GUI_FONT: dc_.CurrentFont = Font{-11, 0, 400, false, false, false, 0, "MS Shell Dlg"}; break;
        case U_SYSTEM_FONT:
        case U_DEVICE_DEFAULT_FONT: dc_.CurrentFont = Font{}; break;
        default: break;
        }
        return;
    }
    if (!HandleInRange(index))
        return;
    const GraphicsObject* object = ObjectAt(index);
    if (!object)
        return;
    if (const auto* pen = std::get_if<Pen>(object))
        dc_.CurrentPen = *pen;
    else if (const auto* brush = std::get_if<Brush>(object))
        dc_.CurrentBrush = *brush;
    else if (const auto* font = std::get_if<Font>(object))
        dc_.CurrentFont = *font;
}

void Player::Delete(std::uint32_t index)
{
    if (!(index & U_STOCK_OBJECT) && HandleInRange(index))
        objects_[index].reset();
}

void Player::CreatePen(const Record& r)
{
    const auto& rec = r.As<U_EMRCREATEPEN>();
    Pen pen;
    pen.Style = rec.lopn.lopnStyle & U_PS_STYLE_MASK;
    pen.Null = pen.Style == U_PS_NULL;
    pen.Rgb = RgbOf(rec.lopn.lopnColor);
    // Width 0 is one pixel whatever the transform; a styled pen is one pixel wide (or drawn solid
    // when wider).
    const std::int32_t width = rec.lopn.lopnWidth.x;
    const bool styled = pen.Style >= U_PS_DASH && pen.Style <= U_PS_DASHDOTDOT;
    pen.Cosmetic = width <= 0 || (styled && width == 1);
    pen.Width = std::max(width, 1);
    if (width > 1 && styled)
        pen.Style = U_PS_SOLID;
    Store(rec.ihPen, std::move(pen));
}

void Player::ExtCreatePen(const Record& r)
{
    const auto& rec = r.As<U_EMREXTCREATEPEN>();
    const U_EXTLOGPEN& elp = rec.elp;
    Pen pen;
    pen.Style = elp.elpPenStyle & U_PS_STYLE_MASK;
    pen.Null = pen.Style == U_PS_NULL || elp.elpBrushStyle == U_BS_NULL;
    pen.Cosmetic = (elp.elpPenStyle & U_PS_TYPE_MASK) != U_PS_GEOMETRIC;
    pen.Width = pen.Cosmetic ? 1 : std::max<double>(elp.elpWidth, 1);
    pen.Rgb = RgbOf(elp.elpColor);
    switch (elp.elpPenStyle & U_PS_ENDCAP_MASK) {
    case U_PS_ENDCAP_SQUARE: pen.Cap = StrokeStyle::Cap::Square; break;
    case U_PS_ENDCAP_FLAT: pen.Cap = StrokeStyle::Cap::Butt; break;
    default: pen.Cap = StrokeStyle::Cap::Round; break;
    }
    switch (elp.elpPenStyle & U_PS_JOIN_MASK) {
    case U_PS_JOIN_BEVEL: pen.Join = StrokeStyle::Join::Bevel; break;
    case U_PS_JOIN_MITER: pen.Join = StrokeStyle::Join::Miter; break;
    default: pen.Join = StrokeStyle::Join::Round; break;
    }
    if (pen.Style == U_PS_USERSTYLE) {
        // At most 16 entries, as the system takes.
        const std::size_t at = offsetof(U_EMREXTCREATEPEN, elp) + offsetof(U_EXTLOGPEN, elpStyleEntry);
        const std::uint64_t count = std::min<std::uint32_t>(elp.elpNumEntries, 16);
        if (at + count * sizeof(U_STYLEENTRY) > r.Size) {
            Damaged();
            return;
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            U_STYLEENTRY entry;
            std::memcpy(&entry, r.Data + at + i * sizeof entry, sizeof entry);
            pen.UserDashes.push_back(std::min<double>(entry, 1e6));
        }
    }
    Store(rec.ihPen, std::move(pen));
}

void Player::CreateBrush(const Record& r)
{
    const auto& rec = r.As<U_EMRCREATEBRUSHINDIRECT>();
    Brush brush;
    brush.Rgb = RgbOf(rec.lb.lbColor);
    if (rec.lb.lbStyle == U_BS_NULL)
        brush.Style = Brush::Kind::Null;
    else if (rec.lb.lbStyle == U_BS_HATCHED && rec.lb.lbHatch <= U_HS_DIAGCROSS) {
        brush.Style = Brush::Kind::Hatched;
        brush.Hatch = rec.lb.lbHatch;
    }
    Store(rec.ihBrush, std::move(brush));
}

void Player::CreatePatternBrush(const Record& r, bool monochrome)
{
    // Both records share the layout.
    const auto& rec = r.As<U_EMRCREATEDIBPATTERNBRUSHPT>();
    DibOptions options;
    if (monochrome)
        options.Monochrome = std::array<std::uint32_t, 2>{0x000000, 0xFFFFFF};
    Dib dib;
    Brush brush;
    brush.Style = Brush::Kind::Null;
    switch (DecodeDib(r.Data, r.Size, {rec.offBmi, rec.cbBmi, rec.offBits, rec.cbBits, rec.iUsage}, options, dib)) {
    case DibStatus::Damaged:
        Damaged();
        return;
    case DibStatus::Decoded:
        if ((pixelsLeft_ -= std::int64_t(dib.Width) * dib.Height) < 0) {
            TooLarge();
            return;
        }
        if (!dib.Pixels.IsEmpty() && std::int64_t(dib.Width) * dib.Height <= 1'000'000) {
            brush.Style = monochrome ? Brush::Kind::Monochrome : Brush::Kind::Pattern;
            brush.Tile = std::make_shared<const Picture>(std::move(dib.Pixels));
            brush.Serial = nextSerial_++;
        }
        break;
    default:
        break;
    }
    Store(rec.ihBrush, std::move(brush));
}

void Player::CreateFont(const Record& r)
{
    if (r.Size < offsetof(U_EMREXTCREATEFONTINDIRECTW, elfw) + sizeof(U_LOGFONT)) {
        Damaged();
        return;
    }
    const auto& rec = r.As<U_EMREXTCREATEFONTINDIRECTW>();
    const U_LOGFONT& lf = rec.elfw.elfLogFont;
    Font font;
    font.Height = lf.lfHeight;
    font.Escapement = lf.lfEscapement;
    font.Weight = lf.lfWeight <= 0 ? 400 : std::min(lf.lfWeight, 1000);
    font.Italic = lf.lfItalic != 0;
    font.Underline = lf.lfUnderline != 0;
    font.StrikeOut = lf.lfStrikeOut != 0;
    font.Charset = lf.lfCharSet;
    font.PitchAndFamily = lf.lfPitchAndFamily;
    std::size_t length = 0;
    while (length < U_LF_FACESIZE && lf.lfFaceName[length] != 0)
        ++length;
    for (const Character& c : DecodeUtf16(reinterpret_cast<const char*>(lf.lfFaceName), length))
        AppendUtf8(font.Face, c.Code);
    Store(rec.ihFont, std::move(font));
}

// ---- clip ---------------------------------------------------------------------------------------

bool Player::ReadRegion(const Record& r, std::size_t offset, std::uint32_t bytes, Region& region)
{
    if (bytes < sizeof(U_RGNDATAHEADER) || offset + std::uint64_t(bytes) > r.Size) {
        Damaged();
        return false;
    }
    U_RGNDATAHEADER header;
    std::memcpy(&header, r.Data + offset, sizeof header);
    if (std::uint64_t(header.nCount) * sizeof(U_RECTL) > bytes - sizeof header) {
        Damaged();
        return false;
    }
    if (header.nCount > kMaxRegionRectangles) {
        TooLarge();
        return false;
    }
    std::vector<Box> boxes(header.nCount);
    for (std::uint32_t i = 0; i < header.nCount; ++i) {
        U_RECTL rect;
        std::memcpy(&rect, r.Data + offset + sizeof header + std::size_t(i) * sizeof rect, sizeof rect);
        const Point a = deviceToOutput_.Map({double(rect.left), double(rect.top)});
        const Point b = deviceToOutput_.Map({double(rect.right), double(rect.bottom)});
        boxes[i] = {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
    }
    region = Region::Union(boxes);
    return true;
}

void Player::ClipRect(const Record& r, bool exclude)
{
    const U_RECTL& rect = r.As<U_EMRINTERSECTCLIPRECT>().rclClip;
    const Affine& m = ToOutput();
    const Point corners[4] = {
        m.Map({double(rect.left), double(rect.top)}), m.Map({double(rect.right), double(rect.top)}),
        m.Map({double(rect.right), double(rect.bottom)}), m.Map({double(rect.left), double(rect.bottom)})};
    const std::uint32_t mode = exclude ? U_RGN_DIFF : U_RGN_AND;
    if (m.IsAxisAligned()) {
        dc_.Clip.Combine(mode, Region(Box{std::min(corners[0].X, corners[2].X), std::min(corners[0].Y, corners[2].Y),
                                          std::max(corners[0].X, corners[2].X),
                                          std::max(corners[0].Y, corners[2].Y)}));
    } else {
        Path outline;
        outline.MoveTo(corners[0]);
        for (int i = 1; i < 4; ++i)
            outline.LineTo(corners[i]);
        outline.Close();
        dc_.Clip.Combine(mode, outline, false);
    }
}

void Player::SelectClipRegion(const Record& r)
{
    const auto& rec = r.As<U_EMREXTSELECTCLIPRGN>();
    // No region data with RGN_COPY: back to no clip.
    if (rec.cbRgnData < sizeof(U_RGNDATAHEADER)) {
        if (rec.iMode == U_RGN_COPY)
            dc_.Clip.Reset();
        return;
    }
    Region region;
    if (ReadRegion(r, offsetof(U_EMREXTSELECTCLIPRGN, RgnData), rec.cbRgnData, region))
        dc_.Clip.Combine(rec.iMode, region);
}

ClipChain Player::Chain() const
{
    // Rectangles that hold the whole frame clip nothing that shows (the picture is drawn within its
    // frame): they are left out, as LibreOffice's clip to its page is.
    const Box frame{0.01, 0.01, outputWidth_ - 0.01, outputHeight_ - 0.01};
    ClipChain chain;
    for (const ClipState* clip : {&dc_.Meta, &dc_.Clip})
        for (const auto& area : clip->Areas) {
            if (area->CoversFrame < 0)
                area->CoversFrame = area->Rectangles && Region(frame).Subtracted(*area->Rectangles).IsEmpty();
            if (!area->CoversFrame)
                chain.push_back(area);
        }
    return chain;
}

// ---- snapshots ----------------------------------------------------------------------------------

Player::Snapshot Player::Save() const { return {dc_, saved_, objects_, path_, inPath_, pathDone_}; }

void Player::Restore(Snapshot snapshot)
{
    dc_ = std::move(snapshot.Dc);
    saved_ = std::move(snapshot.Saved);
    objects_ = std::move(snapshot.Objects);
    path_ = std::move(snapshot.OpenPath);
    inPath_ = snapshot.InPath;
    pathDone_ = snapshot.PathDone;
    MappingChanged();
}

// ---- the records --------------------------------------------------------------------------------

void Player::Dispatch(const Record& r)
{
    switch (r.Type) {
    case U_EMR_EOF:
        if (capture_)
            BreakCapture();
        else
            ended_ = true;
        break;

    // Mapping.
    case U_EMR_SETMAPMODE: SetMapMode(r.As<U_EMRSETMAPMODE>().iMode); break;
    case U_EMR_SETWINDOWEXTEX:
    case U_EMR_SETVIEWPORTEXTEX: {
        const U_SIZEL& size = r.As<U_EMRSETWINDOWEXTEX>().szlExtent;
        if ((dc_.MapMode != U_MM_ISOTROPIC && dc_.MapMode != U_MM_ANISOTROPIC) || size.cx == 0 || size.cy == 0)
            break;
        (r.Type == U_EMR_SETWINDOWEXTEX ? dc_.WindowExt : dc_.ViewportExt) = {double(size.cx), double(size.cy)};
        if (dc_.MapMode == U_MM_ISOTROPIC)
            FixIsotropic();
        MappingChanged();
        break;
    }
    case U_EMR_SETWINDOWORGEX:
    case U_EMR_SETVIEWPORTORGEX: {
        const U_POINTL& origin = r.As<U_EMRSETWINDOWORGEX>().ptlOrigin;
        (r.Type == U_EMR_SETWINDOWORGEX ? dc_.WindowOrg : dc_.ViewportOrg) = {double(origin.x), double(origin.y)};
        MappingChanged();
        break;
    }
    case U_EMR_SCALEVIEWPORTEXTEX:
    case U_EMR_SCALEWINDOWEXTEX: {
        const auto& rec = r.As<U_EMRSCALEVIEWPORTEXTEX>();
        if ((dc_.MapMode != U_MM_ISOTROPIC && dc_.MapMode != U_MM_ANISOTROPIC) || rec.xDenom == 0 || rec.yDenom == 0)
            break;
        Point& extent = r.Type == U_EMR_SCALEVIEWPORTEXTEX ? dc_.ViewportExt : dc_.WindowExt;
        const Point scaled{std::trunc(extent.X * rec.xNum / rec.xDenom), std::trunc(extent.Y * rec.yNum / rec.yDenom)};
        if (scaled.X == 0 || scaled.Y == 0)
            break;
        extent = scaled;
        if (dc_.MapMode == U_MM_ISOTROPIC)
            FixIsotropic();
        MappingChanged();
        break;
    }
    case U_EMR_SETWORLDTRANSFORM: {
        const Affine world = AffineOf(r.As<U_EMRSETWORLDTRANSFORM>().xform);
        if (world.IsFinite()) {
            dc_.World = world;
            MappingChanged();
        }
        break;
    }
    case U_EMR_MODIFYWORLDTRANSFORM: {
        const auto& rec = r.As<U_EMRMODIFYWORLDTRANSFORM>();
        const Affine x = AffineOf(rec.xform);
        Affine world = dc_.World;
        switch (rec.iMode) {
        case U_MWT_IDENTITY: world = Affine{}; break;
        case U_MWT_LEFTMULTIPLY: world = x.Then(world); break;
        case U_MWT_RIGHTMULTIPLY: world = world.Then(x); break;
        case 4: world = x; break; // MWT_SET
        default: break;
        }
        if (world.IsFinite()) {
            dc_.World = world;
            MappingChanged();
        }
        break;
    }

    // State.
    case U_EMR_SAVEDC:
        if (saved_.size() < kMaxSavedStates)
            saved_.push_back(dc_);
        break;
    case U_EMR_RESTOREDC: {
        const std::int64_t n = r.As<U_EMRRESTOREDC>().iRelative;
        const std::int64_t target = n < 0 ? std::int64_t(saved_.size()) + n : n - 1;
        if (n != 0 && target >= 0 && target < std::int64_t(saved_.size())) {
            dc_ = std::move(saved_[std::size_t(target)]);
            saved_.resize(std::size_t(target));
            MappingChanged();
        }
        break;
    }
    case U_EMR_SETBKMODE: dc_.BkMode = r.As<U_EMRSETBKMODE>().iMode; break;
    case U_EMR_SETPOLYFILLMODE: dc_.PolyFillMode = r.As<U_EMRSETPOLYFILLMODE>().iMode; break;
    case U_EMR_SETROP2: dc_.Rop2 = r.As<U_EMRSETROP2>().iMode; break;
    case U_EMR_SETTEXTALIGN: dc_.TextAlign = r.As<U_EMRSETTEXTALIGN>().iMode; break;
    case U_EMR_SETTEXTCOLOR: dc_.TextColor = RgbOf(r.As<U_EMRSETTEXTCOLOR>().crColor); break;
    case U_EMR_SETBKCOLOR: dc_.BkColor = RgbOf(r.As<U_EMRSETBKCOLOR>().crColor); break;
    case U_EMR_SETMITERLIMIT:
        dc_.MiterLimit = std::clamp<double>(r.As<U_EMRSETMITERLIMIT>().eMiterLimit, 1, 100);
        break;
    case U_EMR_SETARCDIRECTION:
        dc_.Clockwise = r.As<U_EMRSETARCDIRECTION>().iArcDirection == U_AD_CLOCKWISE;
        break;
    case U_EMR_MOVETOEX: {
        const U_POINTL& p = r.As<U_EMRMOVETOEX>().ptl;
        dc_.Position = {double(p.x), double(p.y)};
        if (inPath_)
            path_.MoveTo(ToOutput().Map(dc_.Position));
        break;
    }

    // Objects.
    case U_EMR_CREATEPEN: CreatePen(r); break;
    case U_EMR_EXTCREATEPEN: ExtCreatePen(r); break;
    case U_EMR_CREATEBRUSHINDIRECT: CreateBrush(r); break;
    case U_EMR_CREATEDIBPATTERNBRUSHPT: CreatePatternBrush(r, false); break;
    case U_EMR_CREATEMONOBRUSH: CreatePatternBrush(r, true); break;
    case U_EMR_EXTCREATEFONTINDIRECTW: CreateFont(r); break;
    case U_EMR_CREATEPALETTE: Store(r.As<U_EMRCREATEPALETTE>().ihPal, std::monostate{}); break;
    case U_EMR_CREATECOLORSPACE: Store(r.As<U_EMRCREATECOLORSPACE>().ihCS, std::monostate{}); break;
    case U_EMR_CREATECOLORSPACEW: Store(r.As<U_EMRCREATECOLORSPACEW>().ihCS, std::monostate{}); break;
    case U_EMR_SELECTOBJECT: Select(r.As<U_EMRSELECTOBJECT>().ihObject); break;
    case U_EMR_DELETEOBJECT: Delete(r.As<U_EMRDELETEOBJECT>().ihObject); break;

    // Clip.
    case U_EMR_INTERSECTCLIPRECT: ClipRect(r, false); break;
    case U_EMR_EXCLUDECLIPRECT: ClipRect(r, true); break;
    case U_EMR_EXTSELECTCLIPRGN: SelectClipRegion(r); break;
    case U_EMR_OFFSETCLIPRGN: {
        const U_POINTL& by = r.As<U_EMROFFSETCLIPRGN>().ptlOffset;
        const Point v = ToOutput().MapVector({double(by.x), double(by.y)});
        dc_.Clip.Translate(v.X, v.Y);
        break;
    }
    case U_EMR_SETMETARGN:
        dc_.Meta.Areas.insert(dc_.Meta.Areas.end(), dc_.Clip.Areas.begin(), dc_.Clip.Areas.end());
        dc_.Meta.Nothing = dc_.Meta.Nothing || dc_.Clip.Nothing;
        dc_.Clip.Reset();
        break;

    // Paths.
    case U_EMR_BEGINPATH:
    case U_EMR_ENDPATH:
    case U_EMR_CLOSEFIGURE:
    case U_EMR_FILLPATH:
    case U_EMR_STROKEANDFILLPATH:
    case U_EMR_STROKEPATH:
    case U_EMR_FLATTENPATH:
    case U_EMR_WIDENPATH:
    case U_EMR_ABORTPATH:
        PathRecord(r.Type);
        break;
    case U_EMR_SELECTCLIPPATH: SelectClipPath(r.As<U_EMRSELECTCLIPPATH>().iMode); break;

    // Drawing.
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYGON:
    case U_EMR_POLYLINE:
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYLINETO:
    case U_EMR_POLYBEZIER16:
    case U_EMR_POLYGON16:
    case U_EMR_POLYLINE16:
    case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16:
        Polyline(r, r.Type);
        break;
    case U_EMR_POLYPOLYLINE: PolyPolyline(r, false, false); break;
    case U_EMR_POLYPOLYGON: PolyPolyline(r, false, true); break;
    case U_EMR_POLYPOLYLINE16: PolyPolyline(r, true, false); break;
    case U_EMR_POLYPOLYGON16: PolyPolyline(r, true, true); break;
    case U_EMR_POLYDRAW: PolyDraw(r, false); break;
    case U_EMR_POLYDRAW16: PolyDraw(r, true); break;
    case U_EMR_LINETO: {
        const U_POINTL& p = r.As<U_EMRLINETO>().ptl;
        Path line;
        line.MoveTo(dc_.Position);
        dc_.Position = {double(p.x), double(p.y)};
        line.LineTo(dc_.Position);
        Shape(line, false, true, true);
        break;
    }
    case U_EMR_ARC:
    case U_EMR_ARCTO:
    case U_EMR_CHORD:
    case U_EMR_PIE:
        ArcRecord(r, r.Type);
        break;
    case U_EMR_ANGLEARC: AngleArc(r); break;
    case U_EMR_ELLIPSE:
    case U_EMR_RECTANGLE:
    case U_EMR_ROUNDRECT:
        BoxRecord(r, r.Type);
        break;
    case U_EMR_SETPIXELV: SetPixel(r); break;
    case U_EMR_FILLRGN:
    case U_EMR_FRAMERGN:
    case U_EMR_PAINTRGN:
        FillRegion(r, r.Type);
        break;
    case U_EMR_GRADIENTFILL: GradientFill(r); break;

    // Text.
    case U_EMR_EXTTEXTOUTW: ExtTextOut(r, true); break;
    case U_EMR_EXTTEXTOUTA: ExtTextOut(r, false); break;
    case U_EMR_SMALLTEXTOUT: SmallTextOut(r); break;

    // Bitmaps.
    case U_EMR_BITBLT:
    case U_EMR_STRETCHBLT:
    case U_EMR_STRETCHDIBITS:
    case U_EMR_SETDIBITSTODEVICE:
    case U_EMR_ALPHABLEND:
    case U_EMR_TRANSPARENTBLT:
        BitBlt(r, r.Type);
        break;

    default: // comments (EMF+ among them), palettes, colour management, escapes and the unknown
        break;
    }
}

bool PlayEnhancedMetafile(std::string_view bytes, std::string& drawing, std::string& error)
{
    try {
        Player player(bytes);
        return player.Play(drawing, error);
    } catch (const std::bad_alloc&) {
        error = "the picture needs more memory than it may have";
        return false;
    }
}

} // namespace emfplay
