#include "gui/DrawingSvg.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <string_view>
#include <unordered_set>
#include <vector>

namespace platform {

namespace {

const QString kSvgNamespace = QStringLiteral("http://www.w3.org/2000/svg");
const QString kXlinkNamespace = QStringLiteral("http://www.w3.org/1999/xlink");

// Deeper nesting is dropped: the renderer walks the tree recursively.
constexpr int kMaxDepth = 64;

std::u16string_view View(QStringView text) { return {text.utf16(), static_cast<std::size_t>(text.size())}; }

bool IsDrawingElement(QStringView name)
{
    static const std::unordered_set<std::u16string_view> names{
        u"svg", u"g", u"defs", u"clipPath", u"path", u"rect", u"circle", u"ellipse", u"line", u"polyline",
        u"polygon", u"text", u"tspan", u"image", u"use", u"pattern", u"linearGradient", u"radialGradient", u"stop",
    };
    return names.count(View(name)) != 0;
}

bool IsDrawingAttribute(QStringView name)
{
    static const std::unordered_set<std::u16string_view> names{
        u"id", u"x", u"y", u"width", u"height", u"rx", u"ry", u"cx", u"cy", u"r", u"fx", u"fy", u"x1", u"y1",
        u"x2", u"y2", u"d", u"points", u"transform", u"viewBox", u"preserveAspectRatio", u"version", u"style",
        u"opacity", u"color", u"visibility", u"display", u"fill", u"fill-opacity", u"fill-rule", u"stroke",
        u"stroke-width", u"stroke-opacity", u"stroke-linecap", u"stroke-linejoin", u"stroke-miterlimit",
        u"stroke-dasharray", u"stroke-dashoffset", u"clip-path", u"clip-rule", u"clipPathUnits", u"font-family",
        u"font-size", u"font-weight", u"font-style", u"font-variant", u"text-decoration", u"text-anchor",
        u"letter-spacing", u"word-spacing", u"dx", u"dy", u"rotate", u"patternUnits", u"patternContentUnits",
        u"patternTransform", u"gradientUnits", u"gradientTransform", u"spreadMethod", u"offset", u"stop-color",
        u"stop-opacity",
    };
    return names.count(View(name)) != 0;
}

// A value whose every url(…) names an element of the document, and which holds no escape that
// could spell one otherwise.
bool RefersOnlyWithin(QStringView value)
{
    if (value.contains(u'\\'))
        return false;
    for (qsizetype at = value.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = value.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        qsizetype i = at + 4;
        while (i < value.size() && (value[i] == u' ' || value[i] == u'\'' || value[i] == u'"'))
            ++i;
        if (i >= value.size() || value[i] != u'#')
            return false;
    }
    return true;
}

// The inline picture of a data URI as PNG bytes, or nothing. Decoded by the format its bytes start
// with (never guessed by a reader from the content), within `pixelsLeft`, which it takes from.
std::optional<QByteArray> InlinePng(QStringView href, std::int64_t& pixelsLeft)
{
    if (!href.startsWith(u"data:image/", Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype marker = href.indexOf(u";base64,", 0, Qt::CaseInsensitive);
    if (marker < 0)
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(href.mid(marker + 8).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    const QByteArray& bytes = *decoded;
    const char* format = bytes.startsWith("\x89PNG\r\n\x1a\n") ? "PNG"
                         : bytes.startsWith("\xff\xd8")        ? "JPEG"
                         : bytes.startsWith("BM")              ? "BMP"
                                                               : nullptr;
    if (!format)
        return std::nullopt;
    QBuffer input;
    input.setData(bytes);
    input.open(QIODevice::ReadOnly);
    QImageReader reader(&input, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || std::int64_t(size.width()) * size.height() > pixelsLeft)
        return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    pixelsLeft -= std::int64_t(image.width()) * image.height();
    QByteArray png;
    QBuffer output(&png);
    output.open(QIODevice::WriteOnly);
    if (!image.save(&output, "PNG", 80))
        return std::nullopt;
    return png;
}

class Rebuilder {
public:
    Rebuilder(std::string_view svg, std::int64_t maxImagePixels)
        : reader_(QByteArray::fromRawData(svg.data(), static_cast<qsizetype>(svg.size()))),
          pixelsLeft_(maxImagePixels)
    {
        output_.open(QIODevice::WriteOnly);
        writer_.setDevice(&output_);
    }

    std::optional<std::string> Run(std::string& error)
    {
        while (!reader_.atEnd()) {
            switch (reader_.readNext()) {
            case QXmlStreamReader::DTD:
                error = "the drawing declares a document type";
                return std::nullopt;
            case QXmlStreamReader::EntityReference:
                error = "the drawing refers to an entity";
                return std::nullopt;
            case QXmlStreamReader::StartElement:
                if (!StartElement(error))
                    return std::nullopt;
                break;
            case QXmlStreamReader::EndElement:
                writer_.writeEndElement();
                open_.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (!open_.empty() && (open_.back() == u"text" || open_.back() == u"tspan"))
                    writer_.writeCharacters(reader_.text().toString());
                break;
            default: // the declaration, comments and processing instructions are left out
                break;
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
        const QByteArray& bytes = output_.data();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

private:
    bool StartElement(std::string& error)
    {
        const QStringView name = reader_.name();
        const bool drawing = reader_.namespaceUri() == kSvgNamespace && IsDrawingElement(name);
        if (!rooted_) {
            if (!drawing || name != u"svg") {
                error = "the converted drawing is not an SVG document";
                return false;
            }
            rooted_ = true;
            writer_.writeDefaultNamespace(kSvgNamespace);
            writer_.writeNamespace(kXlinkNamespace, QStringLiteral("xlink"));
        } else if (!drawing || static_cast<int>(open_.size()) >= kMaxDepth) {
            reader_.skipCurrentElement();
            return true;
        }
        const QXmlStreamAttributes attributes = reader_.attributes();
        QString href;
        if (name == u"image" || name == u"use") {
            href = CheckedReference(name, attributes.value(kXlinkNamespace, QStringLiteral("href")));
            if (href.isEmpty()) {
                reader_.skipCurrentElement();
                return true;
            }
        }
        writer_.writeStartElement(kSvgNamespace, name.toString());
        for (const QXmlStreamAttribute& attribute : attributes)
            if (attribute.namespaceUri().isEmpty() && IsDrawingAttribute(attribute.name()) &&
                RefersOnlyWithin(attribute.value()))
                writer_.writeAttribute(attribute.name().toString(), attribute.value().toString());
        if (!href.isEmpty())
            writer_.writeAttribute(kXlinkNamespace, QStringLiteral("href"), href);
        if (name == u"image") {
            const QString id = attributes.value(QStringLiteral("id")).toString();
            if (!id.isEmpty())
                imageIds_.insert(id);
        }
        open_.push_back(name.toString());
        return true;
    }

    // The reference an <image> or <use> may keep, or "" when it may keep none.
    QString CheckedReference(QStringView element, QStringView href)
    {
        if (element == u"use")
            return href.startsWith(u'#') && imageIds_.contains(href.mid(1).toString()) ? href.toString()
                                                                                      : QString();
        const std::optional<QByteArray> png = InlinePng(href, pixelsLeft_);
        return png ? QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png->toBase64()) : QString();
    }

    QXmlStreamReader reader_;
    QBuffer output_;
    QXmlStreamWriter writer_;
    std::vector<QString> open_;
    QSet<QString> imageIds_;
    std::int64_t pixelsLeft_;
    bool rooted_ = false;
};

} // namespace

std::optional<std::string> RebuildDrawingSvg(std::string_view svg, std::int64_t maxImagePixels, std::string& error)
{
    return Rebuilder(svg, maxImagePixels).Run(error);
}

} // namespace platform
