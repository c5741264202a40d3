#include "gui/DrawingSvg.h"

#include "gui/FontTable.h"
#include "platform/PictureLimits.h"

#include <QBrush>
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

const QString kSvgNamespace = QStringLiteral("http://www.w3.org/2000/svg");
const QString kXlinkNamespace = QStringLiteral("http://www.w3.org/1999/xlink");

constexpr double kPi = 3.14159265358979323846;

enum class Element {
    Svg, Group, Defs, ClipPath, Pattern, LinearGradient, Stop, Path, Rect, Circle, Ellipse, Line, Polyline, Polygon,
    Text, Span, Image, Use, Other,
};

Element ElementOf(QStringView name)
{
    static const std::unordered_map<std::u16string_view, Element> elements{
        {u"svg", Element::Svg},         {u"g", Element::Group},           {u"defs", Element::Defs},
        {u"clipPath", Element::ClipPath}, {u"pattern", Element::Pattern}, {u"path", Element::Path},
        {u"linearGradient", Element::LinearGradient}, {u"stop", Element::Stop},
        {u"rect", Element::Rect},       {u"circle", Element::Circle},     {u"ellipse", Element::Ellipse},
        {u"line", Element::Line},       {u"polyline", Element::Polyline}, {u"polygon", Element::Polygon},
        {u"text", Element::Text},       {u"tspan", Element::Span},        {u"image", Element::Image},
        {u"use", Element::Use},
    };
    const auto it = elements.find({name.utf16(), static_cast<std::size_t>(name.size())});
    return it == elements.end() ? Element::Other : it->second;
}

bool IsShape(Element e)
{
    return e == Element::Path || e == Element::Rect || e == Element::Circle || e == Element::Ellipse ||
           e == Element::Line || e == Element::Polyline || e == Element::Polygon;
}

// ---- numbers, lengths, lists ----------------------------------------------------------------------

// A cursor over an attribute's characters (Latin-1: what a number or a keyword is written in).
class Scanner {
public:
    explicit Scanner(QStringView text) : bytes_(text.toLatin1()), at_(bytes_.constData()), end_(at_ + bytes_.size()) {}

    void SkipSeparators()
    {
        while (at_ < end_ && (*at_ == ' ' || *at_ == ',' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r'))
            ++at_;
    }
    bool AtEnd()
    {
        SkipSeparators();
        return at_ >= end_;
    }
    char Peek() const { return at_ < end_ ? *at_ : '\0'; }
    char Take() { return at_ < end_ ? *at_++ : '\0'; }
    std::optional<double> Number()
    {
        SkipSeparators();
        const char* from = at_ < end_ && *at_ == '+' ? at_ + 1 : at_;
        double value = 0;
        const auto [next, ec] = std::from_chars(from, end_, value);
        if (ec != std::errc() || !std::isfinite(value))
            return std::nullopt;
        at_ = next;
        return std::clamp(value, -kMaxDrawingLength, kMaxDrawingLength);
    }
    // A flag of an arc: one digit, which may stand right before the next number.
    std::optional<bool> Flag()
    {
        SkipSeparators();
        if (at_ < end_ && (*at_ == '0' || *at_ == '1'))
            return *at_++ == '1';
        return std::nullopt;
    }
    std::string_view Rest() const { return {at_, static_cast<std::size_t>(end_ - at_)}; }

private:
    QByteArray bytes_;
    const char* at_;
    const char* end_;
};

// A length in user units: a number with an optional unit (pt counted at 96 pixels an inch).
std::optional<double> Length(QStringView text)
{
    Scanner scanner(text);
    const std::optional<double> value = scanner.Number();
    if (value && scanner.Rest().substr(0, 2) == "pt")
        return *value * 96 / 72;
    return value;
}

std::vector<double> Numbers(QStringView text)
{
    std::vector<double> numbers;
    Scanner scanner(text);
    while (!scanner.AtEnd()) {
        const std::optional<double> n = scanner.Number();
        if (!n)
            break;
        numbers.push_back(*n);
    }
    return numbers;
}

// A transform list: matrix, translate, scale, rotate, skewX and skewY, applied left to right.
QTransform TransformOf(QStringView text)
{
    QTransform result;
    Scanner scanner(text);
    while (!scanner.AtEnd()) {
        std::string name;
        while (std::isalpha(static_cast<unsigned char>(scanner.Peek())))
            name += scanner.Take();
        scanner.SkipSeparators();
        if (scanner.Take() != '(')
            break;
        std::vector<double> a;
        while (!scanner.AtEnd() && scanner.Peek() != ')') {
            const std::optional<double> n = scanner.Number();
            if (!n)
                return result;
            a.push_back(*n);
        }
        scanner.Take();
        QTransform t;
        if (name == "matrix" && a.size() == 6)
            t = QTransform(a[0], a[1], a[2], a[3], a[4], a[5]);
        else if (name == "translate" && !a.empty())
            t.translate(a[0], a.size() > 1 ? a[1] : 0);
        else if (name == "scale" && !a.empty())
            t.scale(a[0], a.size() > 1 ? a[1] : a[0]);
        else if (name == "rotate" && a.size() == 1)
            t.rotate(a[0]);
        else if (name == "rotate" && a.size() == 3)
            t.translate(a[1], a[2]).rotate(a[0]).translate(-a[1], -a[2]);
        else if (name == "skewX" && a.size() == 1)
            t.shear(std::tan(a[0] * kPi / 180), 0);
        else if (name == "skewY" && a.size() == 1)
            t.shear(0, std::tan(a[0] * kPi / 180));
        result = t * result;
    }
    return result;
}

// "#rrggbb", "#rgb", a colour name; none and references give nothing.
std::optional<QColor> ColorOf(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text == u"none" || text.startsWith(u"url("))
        return std::nullopt;
    QColor color = QColor::fromString(text);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

// The element id a reference names: "#id" or "url(#id)".
QString ReferenceOf(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(u"url(") && text.endsWith(u')'))
        text = text.mid(4, text.size() - 5).trimmed();
    if (text.size() > 1 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    return text.startsWith(u'#') ? text.mid(1).toString() : QString();
}

// ---- path data ----------------------------------------------------------------------------------

// An elliptical arc from the path's current point, as cubic curves.
void ArcTo(QPainterPath& path, double rx, double ry, double angle, bool large, bool sweep, QPointF end)
{
    const QPointF start = path.currentPosition();
    if (start == end)
        return;
    rx = std::abs(rx);
    ry = std::abs(ry);
    if (rx == 0 || ry == 0) {
        path.lineTo(end);
        return;
    }
    const double phi = angle * kPi / 180;
    const double c = std::cos(phi);
    const double s = std::sin(phi);
    const double dx = (start.x() - end.x()) / 2;
    const double dy = (start.y() - end.y()) / 2;
    const double x1 = c * dx + s * dy;
    const double y1 = -s * dx + c * dy;
    // Radii too small for the end points grow to just reach them (in quotients, which neither
    // overflow nor underflow for radii near the doubles' limits).
    const double reach = std::hypot(x1 / rx, y1 / ry);
    if (reach > 1) {
        rx *= reach;
        ry *= reach;
    }
    if (!std::isfinite(rx) || !std::isfinite(ry) || rx == 0 || ry == 0) {
        path.lineTo(end);
        return;
    }
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    const double k = (large == sweep ? -1 : 1) * std::sqrt(std::max(0.0, den > 0 ? num / den : 0.0));
    const double cx1 = k * rx * y1 / ry;
    const double cy1 = -k * ry * x1 / rx;
    const double cx = c * cx1 - s * cy1 + (start.x() + end.x()) / 2;
    const double cy = s * cx1 + c * cy1 + (start.y() + end.y()) / 2;
    const auto angleBetween = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const double ux = (x1 - cx1) / rx, uy = (y1 - cy1) / ry;
    const double vx = (-x1 - cx1) / rx, vy = (-y1 - cy1) / ry;
    const double theta = angleBetween(1, 0, ux, uy);
    double delta = angleBetween(ux, uy, vx, vy);
    if (!std::isfinite(theta) || !std::isfinite(delta) || !std::isfinite(cx) || !std::isfinite(cy)) {
        path.lineTo(end);
        return;
    }
    if (!sweep && delta > 0)
        delta -= 2 * kPi;
    else if (sweep && delta < 0)
        delta += 2 * kPi;
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(delta) / (kPi / 2) - 1e-9)));
    const double step = delta / segments;
    const double t = 4.0 / 3 * std::tan(step / 4);
    const auto map = [&](double x, double y) {
        return QPointF(cx + c * rx * x - s * ry * y, cy + s * rx * x + c * ry * y);
    };
    for (int i = 0; i < segments; ++i) {
        const double a1 = theta + i * step;
        const double a2 = a1 + step;
        const double c1 = std::cos(a1), s1 = std::sin(a1), c2 = std::cos(a2), s2 = std::sin(a2);
        path.cubicTo(map(c1 - t * s1, s1 + t * c1), map(c2 + t * s2, s2 - t * c2),
                     i + 1 == segments ? end : map(c2, s2));
    }
}

// The path of a `d` attribute, up to its first error (as SVG draws it).
QPainterPath PathOf(QStringView d)
{
    QPainterPath path;
    Scanner scanner(d);
    char command = 0;
    QPointF current;
    QPointF start;
    QPointF control; // the last curve's second control point, reflected by S and T
    char previous = 0;
    while (!scanner.AtEnd()) {
        if (std::isalpha(static_cast<unsigned char>(scanner.Peek())))
            command = scanner.Take();
        else if (command == 0)
            break;
        const bool relative = std::islower(static_cast<unsigned char>(command));
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(command)));
        const QPointF origin = relative ? current : QPointF();
        const auto number = [&] { return scanner.Number(); };
        const auto point = [&]() -> std::optional<QPointF> {
            const auto x = number();
            const auto y = x ? number() : std::nullopt;
            if (!y)
                return std::nullopt;
            return QPointF(*x, *y) + origin;
        };
        bool ok = true;
        switch (upper) {
        case 'M':
            if (const auto p = point()) {
                path.moveTo(*p);
                start = current = *p;
                command = relative ? 'l' : 'L'; // further pairs are lines
            } else {
                ok = false;
            }
            break;
        case 'L':
            if (const auto p = point())
                path.lineTo(current = *p);
            else
                ok = false;
            break;
        case 'H':
            if (const auto x = number())
                path.lineTo(current = QPointF(*x + origin.x(), current.y()));
            else
                ok = false;
            break;
        case 'V':
            if (const auto y = number())
                path.lineTo(current = QPointF(current.x(), *y + origin.y()));
            else
                ok = false;
            break;
        case 'C':
        case 'S': {
            std::optional<QPointF> c1;
            if (upper == 'C')
                c1 = point();
            else
                c1 = previous == 'C' || previous == 'S' ? 2 * current - control : current;
            const auto c2 = c1 ? point() : std::nullopt;
            const auto p = c2 ? point() : std::nullopt;
            if (!p) {
                ok = false;
                break;
            }
            path.cubicTo(*c1, *c2, *p);
            control = *c2;
            current = *p;
            break;
        }
        case 'Q':
        case 'T': {
            std::optional<QPointF> c1;
            if (upper == 'Q')
                c1 = point();
            else
                c1 = previous == 'Q' || previous == 'T' ? 2 * current - control : current;
            const auto p = c1 ? point() : std::nullopt;
            if (!p) {
                ok = false;
                break;
            }
            path.quadTo(*c1, *p);
            control = *c1;
            current = *p;
            break;
        }
        case 'A': {
            const auto rx = number();
            const auto ry = rx ? number() : std::nullopt;
            const auto angle = ry ? number() : std::nullopt;
            const auto large = angle ? scanner.Flag() : std::nullopt;
            const auto sweep = large ? scanner.Flag() : std::nullopt;
            const auto p = sweep ? point() : std::nullopt;
            if (!p) {
                ok = false;
                break;
            }
            ArcTo(path, *rx, *ry, *angle, *large, *sweep, *p);
            current = *p;
            break;
        }
        case 'Z':
            path.closeSubpath();
            current = start;
            command = 0; // takes no numbers: a number after it ends the path
            break;
        default:
            ok = false;
        }
        if (!ok)
            break;
        previous = upper;
    }
    return path;
}

QPolygonF PointsOf(QStringView text)
{
    const std::vector<double> n = Numbers(text);
    QPolygonF points;
    for (std::size_t i = 0; i + 1 < n.size(); i += 2)
        points << QPointF(n[i], n[i + 1]);
    return points;
}

// ---- inline pictures ------------------------------------------------------------------------------

// The picture of a data URI, decoded by the format its bytes start with (never guessed by a reader
// from the content), within `pixelsLeft`, which it takes from; a null image otherwise.
QImage InlineImage(QStringView href, std::int64_t& pixelsLeft)
{
    if (!href.startsWith(u"data:image/", Qt::CaseInsensitive))
        return {};
    const qsizetype marker = href.indexOf(u";base64,", 0, Qt::CaseInsensitive);
    if (marker < 0)
        return {};
    // A PNG's or a BMP's size stands in its first 26 bytes: a picture too large is not decoded.
    if (const auto decodedHead = QByteArray::fromBase64Encoding(href.mid(marker + 8, 36).toLatin1()); decodedHead) {
        const QByteArray& head = *decodedHead;
        const auto at = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(head[i])); };
        // Sides of up to 2^32 each: their product in a double.
        double pixels = -1;
        if (head.size() >= 24 && head.startsWith("\x89PNG\r\n\x1a\n"))
            pixels = double(at(16) << 24 | at(17) << 16 | at(18) << 8 | at(19)) *
                     double(at(20) << 24 | at(21) << 16 | at(22) << 8 | at(23));
        else if (head.size() >= 26 && head.startsWith("BM"))
            pixels = std::abs(double(std::int32_t(at(18) | at(19) << 8 | at(20) << 16 | at(21) << 24)) *
                              double(std::int32_t(at(22) | at(23) << 8 | at(24) << 16 | at(25) << 24)));
        if (pixels > double(pixelsLeft))
            return {};
    }
    const auto decoded = QByteArray::fromBase64Encoding(href.mid(marker + 8).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    const QByteArray& bytes = *decoded;
    const char* format = bytes.startsWith("\x89PNG\r\n\x1a\n") ? "PNG"
                         : bytes.startsWith("\xff\xd8")        ? "JPEG"
                         : bytes.startsWith("BM")              ? "BMP"
                                                               : nullptr;
    if (!format)
        return {};
    QBuffer input;
    input.setData(bytes);
    input.open(QIODevice::ReadOnly);
    QImageReader reader(&input, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || std::int64_t(size.width()) * size.height() > pixelsLeft)
        return {};
    QImage image = reader.read();
    if (image.isNull())
        return image;
    pixelsLeft -= std::int64_t(image.width()) * image.height();
    // In the format a painter draws from, so that no redraw converts it again.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// ---- paint attributes -----------------------------------------------------------------------------

struct PaintStyle {
    std::optional<QColor> Fill = QColor(Qt::black);
    QString FillPattern;
    double FillOpacity = 1;
    Qt::FillRule FillRule = Qt::WindingFill;
    Qt::FillRule ClipRule = Qt::WindingFill;
    std::optional<QColor> Stroke;
    double StrokeWidth = 1;
    double StrokeOpacity = 1;
    std::vector<double> Dashes;
    Qt::PenCapStyle Cap = Qt::FlatCap;
    Qt::PenJoinStyle Join = Qt::MiterJoin;
    double MiterLimit = 4;
    double Opacity = 1;
    QString Family;
    FaceClass Generic = FaceClass::Any; // the generic family that ends the list
    double FontSize = 16;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Anchor = 0; // start, middle, end
    std::optional<QColor> StopColor; // a gradient stop's
    double StopOpacity = 1;
};

// Sets one paint attribute (an attribute or a declaration of `style`); others are ignored.
void SetPaint(PaintStyle& paint, QStringView name, QStringView value)
{
    value = value.trimmed();
    const auto number = [&](double& field, double low, double high) {
        if (const auto n = Length(value))
            field = std::clamp(*n, low, high);
    };
    if (name == u"fill") {
        paint.FillPattern = value.startsWith(u"url(") ? ReferenceOf(value) : QString();
        paint.Fill = ColorOf(value);
    } else if (name == u"fill-opacity") {
        number(paint.FillOpacity, 0, 1);
    } else if (name == u"fill-rule") {
        paint.FillRule = value.contains(u"evenodd") ? Qt::OddEvenFill : Qt::WindingFill;
    } else if (name == u"clip-rule") {
        paint.ClipRule = value.contains(u"evenodd") ? Qt::OddEvenFill : Qt::WindingFill;
    } else if (name == u"stroke") {
        paint.Stroke = ColorOf(value);
    } else if (name == u"stroke-width") {
        number(paint.StrokeWidth, 0, kMaxDrawingLength);
    } else if (name == u"stroke-opacity") {
        number(paint.StrokeOpacity, 0, 1);
    } else if (name == u"stroke-dasharray") {
        paint.Dashes = value == u"none" ? std::vector<double>() : Numbers(value);
    } else if (name == u"stroke-linecap") {
        paint.Cap = value == u"round" ? Qt::RoundCap : value == u"square" ? Qt::SquareCap : Qt::FlatCap;
    } else if (name == u"stroke-linejoin") {
        paint.Join = value == u"round" ? Qt::RoundJoin : value == u"bevel" ? Qt::BevelJoin : Qt::SvgMiterJoin;
    } else if (name == u"stroke-miterlimit") {
        number(paint.MiterLimit, 1, 100);
    } else if (name == u"opacity") {
        double opacity = 1;
        number(opacity, 0, 1);
        paint.Opacity *= opacity;
    } else if (name == u"font-family") {
        // The first family of the list, and the generic one that ends it.
        const qsizetype comma = value.indexOf(u',');
        paint.Family = value.left(comma).trimmed().left(kMaxFamilyLength).toString();
        paint.Family.remove(u'"').remove(u'\'');
        const QStringView last = value.mid(value.lastIndexOf(u',') + 1).trimmed();
        paint.Generic = last == u"serif"       ? FaceClass::Serif
                        : last == u"sans-serif" ? FaceClass::Sans
                        : last == u"monospace"  ? FaceClass::Mono
                        : last == u"cursive"    ? FaceClass::Script
                        : last == u"fantasy"    ? FaceClass::Decorative
                                                : FaceClass::Any;
    } else if (name == u"font-size") {
        number(paint.FontSize, 0, kMaxDrawingLength);
    } else if (name == u"font-weight") {
        if (value == u"bold")
            paint.Weight = 700;
        else if (value == u"normal")
            paint.Weight = 400;
        else if (const auto n = Length(value))
            paint.Weight = static_cast<int>(std::clamp(*n, 1.0, 1000.0));
    } else if (name == u"font-style") {
        paint.Italic = value == u"italic" || value == u"oblique";
    } else if (name == u"text-decoration") {
        paint.Underline = value.contains(u"underline");
        paint.StrikeOut = value.contains(u"line-through");
    } else if (name == u"text-anchor") {
        paint.Anchor = value == u"middle" ? 1 : value == u"end" ? 2 : 0;
    } else if (name == u"stop-color") {
        paint.StopColor = ColorOf(value);
    } else if (name == u"stop-opacity") {
        number(paint.StopOpacity, 0, 1);
    }
}

// An element's paint attributes over those it inherits; `style` declarations over attributes.
PaintStyle StyleOf(const QXmlStreamAttributes& attributes, PaintStyle paint)
{
    for (const QXmlStreamAttribute& a : attributes)
        if (a.namespaceUri().isEmpty() && a.name() != u"style")
            SetPaint(paint, a.name(), a.value());
    const QStringView style = attributes.value(QLatin1String("style"));
    for (qsizetype from = 0; from < style.size();) {
        qsizetype to = style.indexOf(u';', from);
        if (to < 0)
            to = style.size();
        const QStringView declaration = style.mid(from, to - from);
        if (const qsizetype colon = declaration.indexOf(u':'); colon > 0)
            SetPaint(paint, declaration.left(colon).trimmed(), declaration.mid(colon + 1));
        from = to + 1;
    }
    return paint;
}

QColor WithAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

// ---- the reader -----------------------------------------------------------------------------------

// Reads the drawing into a display list. Each element is drawn under its whole transform (`Ctm`,
// from its units to the target's). A group's clip is set once for its content; the clip that
// leaves may each carry (a writer may put it on every element) is set once for a run of siblings
// with the same clip and transform.
class DrawingReader {
public:
    DrawingReader(std::string_view svg, const QSizeF& target, const DrawingLimits& limits)
        : reader_(QByteArray::fromRawData(svg.data(), static_cast<qsizetype>(svg.size()))), target_(target),
          recorder_(limits, target)
    {
    }

    std::optional<DisplayList> Run(std::string& error)
    {
        while (!reader_.atEnd()) {
            bool ok = true;
            switch (reader_.readNext()) {
            case QXmlStreamReader::DTD:
                error = "the drawing declares a document type";
                return std::nullopt;
            case QXmlStreamReader::EntityReference:
                error = "the drawing refers to an entity";
                return std::nullopt;
            case QXmlStreamReader::StartElement:
                ok = Start(error);
                break;
            case QXmlStreamReader::EndElement:
                ok = End();
                break;
            case QXmlStreamReader::Characters:
                if (text_ && text_->Characters.size() < kMaxDrawingText)
                    text_->Characters += reader_.text().left(kMaxDrawingText -
                                                             text_->Characters.size());
                break;
            default: // the declaration, comments and processing instructions are left out
                break;
            }
            if (!ok) {
                if (!recorder_.Error().empty())
                    error = recorder_.Error();
                return std::nullopt;
            }
        }
        if (reader_.hasError()) {
            error = "the converted drawing is not well-formed: " + reader_.errorString().toStdString();
            return std::nullopt;
        }
        if (!rooted_) {
            error = "the converted drawing is empty";
            return std::nullopt;
        }
        DisplayList list = recorder_.Finish();
        if (!recorder_.Error().empty()) {
            error = recorder_.Error();
            return std::nullopt;
        }
        return list;
    }

private:
    struct Frame {
        Element Kind;
        PaintStyle Paint;
        QTransform Transform; // the element's own, for the shapes of a clip path
        QTransform Ctm;       // from the element's units to the target's
        bool InDefs;
        bool Saved;
    };
    struct PictureDefinition {
        QImage Image;
        QRectF Place;
    };
    struct TextRun {
        QPointF At;
        std::vector<double> Xs; // the characters' own positions, when given
        PaintStyle Paint;
        QString Characters;
        QTransform Ctm;
    };
    struct GradientDefinition {
        QPointF From;
        QPointF To;
        QGradientStops Stops;
    };
    // A clip set for a run of sibling leaves: at `Depth`, by clip path `Id` under `Ctm`.
    struct LeafClip {
        std::size_t Depth;
        QString Id;
        QTransform Ctm;
    };

    bool Start(std::string& error)
    {
        if (!recorder_.ReadElement())
            return false;
        const Element kind = reader_.namespaceUri() == kSvgNamespace ? ElementOf(reader_.name()) : Element::Other;
        if (!rooted_) {
            if (kind != Element::Svg) {
                error = "the converted drawing is not an SVG document";
                return false;
            }
            rooted_ = true;
        } else if (kind == Element::Other || static_cast<int>(stack_.size()) >= kMaxDrawingDepth ||
                   (text_ && kind != Element::Span)) {
            reader_.skipCurrentElement();
            return true;
        }
        const QXmlStreamAttributes attributes = reader_.attributes();
        const auto attribute = [&](const char* name) { return attributes.value(QLatin1String(name)); };
        const auto href = [&] { return attributes.value(kXlinkNamespace, QStringLiteral("href")); };
        const Frame* parent = stack_.empty() ? nullptr : &stack_.back();
        Frame frame{kind,
                    StyleOf(attributes, parent ? parent->Paint : PaintStyle()),
                    QTransform(),
                    parent ? parent->Ctm : QTransform(),
                    kind == Element::Defs || (parent && parent->InDefs),
                    false};
        if (kind != Element::Svg && kind != Element::Defs)
            frame.Transform = TransformOf(attribute("transform"));
        if (kind == Element::Svg && !parent) {
            const double w = Length(attribute("width")).value_or(0);
            const double h = Length(attribute("height")).value_or(0);
            if (w > 0 && h > 0)
                frame.Ctm = QTransform::fromScale(target_.width() / w, target_.height() / h);
        } else {
            frame.Ctm = frame.Transform * frame.Ctm;
        }

        const bool drawing = !frame.InDefs && !clip_ && !pattern_;
        const bool leaf = IsShape(kind) || kind == Element::Text || kind == Element::Image || kind == Element::Use;
        if (drawing && parent && (kind == Element::Svg || kind == Element::Group || leaf)) {
            const QString clip = ReferenceOf(attribute("clip-path"));
            std::uint32_t clipPath = 0;
            const bool clipped = !clip.isEmpty() && ClipPathOf(clip, clipPath);
            if (leaf && clipped) {
                if (!OpenLeafClip(clip, clipPath, frame.Ctm))
                    return false;
            } else {
                if (!CloseLeafClip())
                    return false;
                if (clipped) {
                    if (!recorder_.Save() || !recorder_.SetTransform(frame.Ctm) || !recorder_.Clip(clipPath))
                        return false;
                    frame.Saved = true;
                }
            }
        }
        const bool shows = drawing && DisplayListRecorder::CanDrawUnder(frame.Ctm);

        switch (kind) {
        case Element::ClipPath:
            if (!clip_)
                clip_ = std::make_pair(attribute("id").toString(), QPainterPath());
            break;
        case Element::Pattern:
            if (!pattern_ && !clip_) {
                const QRectF tile(0, 0, Length(attribute("width")).value_or(0), Length(attribute("height")).value_or(0));
                pattern_ = std::make_pair(attribute("id").toString(), PictureDefinition{QImage(), tile});
            }
            break;
        case Element::LinearGradient:
            if (!gradient_ && !clip_ && !pattern_) {
                const auto length = [&](const char* name, double otherwise) {
                    return Length(attribute(name)).value_or(otherwise);
                };
                gradient_ = std::make_pair(attribute("id").toString(),
                                           GradientDefinition{QPointF(length("x1", 0), length("y1", 0)),
                                                              QPointF(length("x2", 1), length("y2", 0)), {}});
            }
            break;
        case Element::Stop:
            if (gradient_ && gradient_->second.Stops.size() < kMaxGradientStops && frame.Paint.StopColor) {
                // Offsets never go back (SVG takes the largest so far).
                const double last = gradient_->second.Stops.isEmpty() ? 0 : gradient_->second.Stops.back().first;
                const double offset = std::max(last, std::clamp(Length(attribute("offset")).value_or(0), 0.0, 1.0));
                gradient_->second.Stops.append({offset, WithAlpha(*frame.Paint.StopColor, frame.Paint.StopOpacity)});
            }
            break;
        case Element::Text: {
            const std::vector<double> xs = Numbers(attribute("x"));
            text_ = TextRun{QPointF(xs.empty() ? 0 : xs.front(), Length(attribute("y")).value_or(0)),
                            xs.size() > 1 ? xs : std::vector<double>(), frame.Paint, QString(), frame.Ctm};
            break;
        }
        case Element::Image: {
            const QRectF place(Length(attribute("x")).value_or(0), Length(attribute("y")).value_or(0),
                               Length(attribute("width")).value_or(0), Length(attribute("height")).value_or(0));
            const QImage image = clip_ ? QImage() : InlineImage(href());
            if (!image.isNull()) {
                if (const QString id = attribute("id").toString(); !id.isEmpty())
                    pictures_.insert(id, {image, place});
                if (pattern_)
                    pattern_->second.Image = image;
                else if (shows && !DrawPicture(image, place, frame))
                    return false;
            }
            break;
        }
        case Element::Use: {
            const auto it = pictures_.find(ReferenceOf(href()));
            if (it != pictures_.end()) {
                const QPointF at(Length(attribute("x")).value_or(0), Length(attribute("y")).value_or(0));
                if (pattern_)
                    pattern_->second.Image = it->Image;
                else if (shows && !DrawPicture(it->Image, it->Place.translated(at), frame))
                    return false;
            }
            break;
        }
        default:
            if (IsShape(kind)) {
                const QPainterPath path = ShapeOf(kind, attribute);
                if (clip_) {
                    // A clip path's region is its shapes' by the first one's rule (one shape is usual).
                    if (clip_->second.isEmpty())
                        clip_->second.setFillRule(frame.Paint.ClipRule);
                    clip_->second.addPath(frame.Transform.map(path));
                    // The definition is held until the end; each use costs its points again.
                    if (!recorder_.Hold(static_cast<std::size_t>(path.elementCount()) * sizeof(QPainterPath::Element)))
                        return false;
                } else if (shows && !DrawShape(kind, path, frame)) {
                    return false;
                }
            }
            break;
        }
        stack_.push_back(std::move(frame));
        return true;
    }

    bool End()
    {
        if (stack_.empty())
            return true;
        const Frame frame = std::move(stack_.back());
        stack_.pop_back();
        bool ok = true;
        if (frame.Kind == Element::Text && text_) {
            if (!frame.InDefs && !clip_ && !pattern_)
                ok = DrawText(*text_);
            text_.reset();
        } else if (frame.Kind == Element::ClipPath && clip_ && !IsInside(Element::ClipPath)) {
            clips_.insert(clip_->first, clip_->second);
            clip_.reset();
        } else if (frame.Kind == Element::LinearGradient && gradient_) {
            if (!gradient_->second.Stops.isEmpty())
                gradients_.insert(gradient_->first, gradient_->second);
            gradient_.reset();
        } else if (frame.Kind == Element::Pattern && pattern_ && !IsInside(Element::Pattern)) {
            if (!pattern_->second.Image.isNull() && !pattern_->second.Place.isEmpty())
                patterns_.insert(pattern_->first, pattern_->second);
            pattern_.reset();
        }
        // The leaves' clip ends with their parent.
        if (leafClip_ && leafClip_->Depth > stack_.size())
            ok = ok && CloseLeafClip();
        if (frame.Saved)
            ok = ok && recorder_.Restore();
        return ok;
    }

    bool IsInside(Element kind) const
    {
        for (const Frame& frame : stack_)
            if (frame.Kind == kind)
                return true;
        return false;
    }

    // The recorded outline of clip path `id`, recorded when first used; false when there is none.
    bool ClipPathOf(const QString& id, std::uint32_t& index)
    {
        if (const auto it = clipIndex_.find(id); it != clipIndex_.end()) {
            index = *it;
            return true;
        }
        const auto it = clips_.find(id);
        if (it == clips_.end())
            return false;
        index = recorder_.AddPath(*it);
        clipIndex_.insert(id, index);
        return true;
    }

    bool OpenLeafClip(const QString& id, std::uint32_t path, const QTransform& ctm)
    {
        if (leafClip_ && leafClip_->Depth == stack_.size() && leafClip_->Id == id && leafClip_->Ctm == ctm)
            return true;
        if (!CloseLeafClip() || !recorder_.Save() || !recorder_.SetTransform(ctm) || !recorder_.Clip(path))
            return false;
        leafClip_ = LeafClip{stack_.size(), id, ctm};
        return true;
    }

    bool CloseLeafClip()
    {
        if (!leafClip_)
            return true;
        leafClip_.reset();
        return recorder_.Restore();
    }

    // An inline picture within what the drawing may still hold and cost, which it then holds.
    QImage InlineImage(QStringView href)
    {
        std::int64_t pixelsLeft = recorder_.PicturePixelsLeft();
        QImage image = platform::InlineImage(href, pixelsLeft);
        if (!image.isNull() && !recorder_.HoldPicture(image))
            return {};
        return image;
    }

    template <typename Attribute>
    QPainterPath ShapeOf(Element kind, const Attribute& attribute) const
    {
        const auto length = [&](const char* name) { return Length(attribute(name)).value_or(0); };
        QPainterPath path;
        switch (kind) {
        case Element::Path:
            path = PathOf(attribute("d"));
            break;
        case Element::Rect: {
            const QRectF rect(length("x"), length("y"), length("width"), length("height"));
            if (rect.width() > 0 && rect.height() > 0) {
                const double rx = length("rx");
                const double ry = attribute("ry").isEmpty() ? rx : length("ry");
                if (rx > 0 || ry > 0)
                    path.addRoundedRect(rect, rx > 0 ? rx : ry, ry > 0 ? ry : rx);
                else
                    path.addRect(rect);
            }
            break;
        }
        case Element::Circle:
            path.addEllipse(QPointF(length("cx"), length("cy")), length("r"), length("r"));
            break;
        case Element::Ellipse:
            path.addEllipse(QPointF(length("cx"), length("cy")), length("rx"), length("ry"));
            break;
        case Element::Line:
            path.moveTo(length("x1"), length("y1"));
            path.lineTo(length("x2"), length("y2"));
            break;
        case Element::Polyline:
        case Element::Polygon:
            path.addPolygon(PointsOf(attribute("points")));
            if (kind == Element::Polygon && !path.isEmpty())
                path.closeSubpath();
            break;
        default:
            break;
        }
        return path;
    }

    // The transform of a leaf: its clip, when it has one, is already set under it.
    bool Place(const Frame& frame) { return recorder_.SetTransform(frame.Ctm); }

    // One drawing command a shape: a rectangle or an ellipse as itself, anything else as its path.
    bool DrawShape(Element kind, QPainterPath path, const Frame& frame)
    {
        const PaintStyle& paint = frame.Paint;
        QBrush brush(Qt::NoBrush);
        if (!paint.FillPattern.isEmpty()) {
            if (const auto it = patterns_.find(paint.FillPattern); it != patterns_.end()) {
                brush = recorder_.PictureBrush(it->Image,
                                               QTransform::fromScale(it->Place.width() / it->Image.width(),
                                                                     it->Place.height() / it->Image.height()));
            } else if (const auto g = gradients_.find(paint.FillPattern); g != gradients_.end()) {
                QLinearGradient gradient(g->From, g->To);
                QGradientStops stops = g->Stops;
                for (auto& stop : stops)
                    stop.second = WithAlpha(stop.second, paint.FillOpacity * paint.Opacity);
                gradient.setStops(stops);
                brush = QBrush(gradient);
            }
        } else if (paint.Fill) {
            brush = QBrush(WithAlpha(*paint.Fill, paint.FillOpacity * paint.Opacity));
        }
        QPen pen(Qt::NoPen);
        if (paint.Stroke && paint.StrokeWidth > 0) {
            pen = QPen(WithAlpha(*paint.Stroke, paint.StrokeOpacity * paint.Opacity), paint.StrokeWidth, Qt::SolidLine,
                       paint.Cap, paint.Join);
            pen.setMiterLimit(paint.MiterLimit);
            QList<qreal> dashes;
            for (double dash : paint.Dashes)
                dashes << std::max(dash, 0.0) / paint.StrokeWidth;
            if (dashes.size() % 2 == 1)
                dashes += dashes;
            if (std::any_of(dashes.begin(), dashes.end(), [](qreal d) { return d > 0; }))
                pen.setDashPattern(dashes);
        }
        if ((brush.style() == Qt::NoBrush && pen.style() == Qt::NoPen) || path.isEmpty())
            return true;
        if (!Place(frame))
            return false;
        const QRectF bounds = path.boundingRect();
        if (kind == Element::Rect && path.elementCount() == 5)
            return recorder_.FillRect(bounds, pen, brush);
        if (kind == Element::Ellipse || kind == Element::Circle)
            return recorder_.FillEllipse(bounds, pen, brush);
        path.setFillRule(paint.FillRule);
        return recorder_.FillPath(recorder_.AddPath(path), pen, brush);
    }

    bool DrawPicture(const QImage& image, const QRectF& place, const Frame& frame)
    {
        if (place.width() <= 0 || place.height() <= 0)
            return true;
        return Place(frame) && recorder_.DrawPicture(image, place, frame.Paint.Opacity);
    }

    bool DrawText(const TextRun& run)
    {
        const PaintStyle& paint = run.Paint;
        if (run.Characters.isEmpty() || !paint.Fill || paint.FontSize <= 0 ||
            !DisplayListRecorder::CanDrawUnder(run.Ctm))
            return true;
        QFont font;
        const MatchedFace face = FaceOf(paint);
        font.setFamilies(face.Families);
        font.setStyleHint(face.Hint);
        font.setWeight(static_cast<QFont::Weight>(paint.Weight));
        font.setItalic(paint.Italic);
        font.setUnderline(paint.Underline);
        font.setStrikeOut(paint.StrikeOut);
        const QColor color = WithAlpha(*paint.Fill, paint.FillOpacity * paint.Opacity);
        if (!recorder_.SetTransform(run.Ctm))
            return false;
        if (!run.Xs.empty()) {
            // Character i at position i; those beyond the list follow the last one.
            qsizetype from = 0;
            for (std::size_t i = 0; from < run.Characters.size(); ++i) {
                const bool last = i + 1 >= run.Xs.size();
                qsizetype to = run.Characters.size();
                if (!last)
                    to = from + (run.Characters[from].isHighSurrogate() && from + 1 < to ? 2 : 1);
                if (!recorder_.DrawText(run.Characters.mid(from, to - from),
                                        QPointF(run.Xs[std::min(i, run.Xs.size() - 1)], run.At.y()), font,
                                        paint.FontSize, color))
                    return false;
                from = to;
            }
            return true;
        }
        QPointF at = run.At;
        if (paint.Anchor != 0) {
            // Measured at a fixed size on a device of 96 dpi, then scaled.
            static const QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
            QFont measured(font);
            measured.setPixelSize(256);
            const double width =
                QFontMetricsF(measured, &device).horizontalAdvance(run.Characters) * paint.FontSize / 256;
            at.rx() -= paint.Anchor == 1 ? width / 2 : width;
        }
        return recorder_.DrawText(run.Characters, at, font, paint.FontSize, color);
    }

    // The installed faces that draw the text's face as the system matches it.
    MatchedFace FaceOf(const PaintStyle& paint)
    {
        const QString key = paint.Family + QChar(u'0' + static_cast<int>(paint.Generic));
        if (const auto it = faces_.constFind(key); it != faces_.cend())
            return *it;
        if (faces_.size() >= kMaxDrawingFaces)
            return MatchFace(QString(), paint.Generic);
        return *faces_.insert(key, MatchFace(paint.Family, paint.Generic));
    }

    QXmlStreamReader reader_;
    QSizeF target_;
    DisplayListRecorder recorder_;
    bool rooted_ = false;
    std::vector<Frame> stack_;
    QHash<QString, QPainterPath> clips_;
    QHash<QString, std::uint32_t> clipIndex_;
    QHash<QString, PictureDefinition> pictures_;
    QHash<QString, PictureDefinition> patterns_;
    std::optional<std::pair<QString, QPainterPath>> clip_;
    std::optional<std::pair<QString, PictureDefinition>> pattern_;
    QHash<QString, GradientDefinition> gradients_;
    std::optional<std::pair<QString, GradientDefinition>> gradient_;
    std::optional<TextRun> text_;
    std::optional<LeafClip> leafClip_;
    QHash<QString, MatchedFace> faces_;
};

} // namespace

std::optional<DisplayList> ReadDrawingSvg(std::string_view svg, const QSizeF& target, const DrawingLimits& limits,
                                          std::string& error)
{
    return DrawingReader(svg, target, limits).Run(error);
}

} // namespace platform
