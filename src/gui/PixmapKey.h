#pragma once
// PixmapKey: a key of the pixmap cache made of a tag and the values a drawing depends on, each
// value's bits written as characters: no number is formatted (QString::arg took a third of a
// cached scroll bar's paint).
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringView>

#include <bit>
#include <cstdint>

namespace platform {

class PixmapKey {
public:
    explicit PixmapKey(QStringView tag)
    {
        key_.reserve(tag.size() + 64);
        key_ += tag;
    }

    PixmapKey& Add(std::int64_t value)
    {
        const auto bits = static_cast<std::uint64_t>(value);
        for (int shift = 0; shift < 64; shift += 16) key_ += QChar(static_cast<char16_t>(bits >> shift));
        return *this;
    }
    PixmapKey& AddReal(double value) { return Add(std::bit_cast<std::int64_t>(value)); }
    PixmapKey& AddSize(const QSize& size) { return Add(size.width()).Add(size.height()); }
    PixmapKey& AddRect(const QRect& rect) { return Add(rect.x()).Add(rect.y()).AddSize(rect.size()); }
    // A text, its length first: no two texts and what follows them read alike.
    PixmapKey& AddText(QStringView text)
    {
        Add(text.size());
        key_ += text;
        return *this;
    }

    const QString& Get() const { return key_; }

private:
    QString key_;
};

} // namespace platform
