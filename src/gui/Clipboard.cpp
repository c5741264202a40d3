#include "gui/Clipboard.h"

#include "gui/QtSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace platform {

namespace {

QClipboard& SystemClipboard() { return *QGuiApplication::clipboard(); }

QByteArray ToBytes(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

const QMimeData* Current() { return SystemClipboard().mimeData(); }

} // namespace

namespace Clipboard {

void SetText(const std::string& text) { SystemClipboard().setText(ToQString(text)); }

std::string GetText() { return FromQString(SystemClipboard().text()); }

bool HasText()
{
    const QMimeData* data = Current();
    return data && data->hasText();
}

void SetImage(const Image& image) { SystemClipboard().setImage(image.Q()); }

std::optional<Image> GetImage()
{
    const QImage image = SystemClipboard().image();
    if (image.isNull()) return std::nullopt;
    return Image(image);
}

void SetData(const std::string& format, const std::string& bytes)
{
    auto* data = new QMimeData;
    data->setData(ToQString(format), ToBytes(bytes));
    SystemClipboard().setMimeData(data);
}

bool HasFormat(const std::string& format)
{
    const QMimeData* data = Current();
    return data && data->hasFormat(ToQString(format));
}

std::string GetData(const std::string& format)
{
    const QMimeData* data = Current();
    if (!data) return {};
    return data->data(ToQString(format)).toStdString();
}

} // namespace Clipboard

ClipboardWriter::ClipboardWriter() : data_(std::make_unique<QMimeData>()) {}

ClipboardWriter::~ClipboardWriter() { Commit(); }

void ClipboardWriter::SetText(const std::string& text) { data_->setText(ToQString(text)); }

void ClipboardWriter::SetImage(const Image& image) { data_->setImageData(image.Q()); }

void ClipboardWriter::SetData(const std::string& format, const std::string& bytes)
{
    data_->setData(ToQString(format), ToBytes(bytes));
}

void ClipboardWriter::Commit()
{
    if (!data_ || data_->formats().isEmpty()) return;
    SystemClipboard().setMimeData(data_.release());   // the clipboard takes ownership
    data_ = std::make_unique<QMimeData>();
}

} // namespace platform
