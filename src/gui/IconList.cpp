#include "gui/IconList.h"

#include "gui/QtSupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <map>

namespace platform {

namespace {

// A stand-in for a missing icon: its index in small digits in a grey frame.
QPixmap NumberPixmap(int index, int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, width - 1, height - 1);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(6, height / 2));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, width, height), Qt::AlignCenter, QString::number(index));
    return pixmap;
}

struct ProgramList {
    IconList icons;
    std::map<int, std::string> meanings;
};

// Reads resources/icons/<name>/manifest.txt ("NN meaning" lines, "#" comments) and NN.png of
// every index named there.
ProgramList LoadProgramList(const std::string& name)
{
    ProgramList list;
    const QString folder = QStringLiteral(":/icons/") + ToQString(name) + QLatin1Char('/');
    QFile manifest(folder + QStringLiteral("manifest.txt"));
    if (!manifest.open(QIODevice::ReadOnly)) return list;
    for (const QByteArray& raw : manifest.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        bool ok = false;
        const int index = line.left(blank).toInt(&ok);
        if (ok && index >= 0) list.meanings[index] = FromQString(blank < 0 ? QString() : line.mid(blank + 1).trimmed());
    }
    const int count = list.meanings.empty() ? 0 : list.meanings.rbegin()->first + 1;
    for (int index = 0; index < count; ++index) {
        QPixmap pixmap;
        if (list.meanings.contains(index))
            pixmap.load(folder + QStringLiteral("%1.png").arg(index, 2, 10, QLatin1Char('0')));
        list.icons.Add(pixmap.isNull() ? NumberPixmap(index, list.icons.GetWidth(), list.icons.GetHeight()) : pixmap);
    }
    return list;
}

const ProgramList& ProgramListNamed(const std::string& name)
{
    static std::map<std::string, ProgramList> lists;
    auto found = lists.find(name);
    if (found == lists.end()) found = lists.emplace(name, LoadProgramList(name)).first;
    return found->second;
}

} // namespace

IconList::IconList(int width, int height) : width_(width), height_(height) {}

int IconList::Add(const QPixmap& pixmap)
{
    // The top-left width × height pixels; a smaller picture leaves the rest transparent.
    QPixmap icon(width_, height_);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.drawPixmap(0, 0, pixmap);
    painter.end();
    pixmaps_.push_back(icon);
    return GetCount() - 1;
}

void IconList::Clear() { pixmaps_.clear(); }

QIcon IconList::Icon(int index) const { return QIcon(Pixmap(index)); }

QPixmap IconList::Pixmap(int index) const
{
    if (index < 0 || index >= GetCount()) return NumberPixmap(index, width_, height_);
    return pixmaps_[static_cast<std::size_t>(index)];
}

IconList IconList::FromImageList(const ImageList& images)
{
    IconList list(images.GetWidth(), images.GetHeight());
    for (int index = 0; index < images.GetCount(); ++index) {
        const Picture& picture = images.GetImage(index);
        QImage image(images.GetWidth(), images.GetHeight(), QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const TColor color = picture.GetPixel(x, y);
                line[x] = images.IsTransparent(index, x, y) ? qRgba(0, 0, 0, 0)
                                                            : qRgb(RedOf(color), GreenOf(color), BlueOf(color));
            }
        }
        list.pixmaps_.push_back(QPixmap::fromImage(image));
    }
    return list;
}

const IconList& ProgramIcons(const std::string& name) { return ProgramListNamed(name).icons; }

std::string ProgramIconMeaning(const std::string& name, int index)
{
    const auto& meanings = ProgramListNamed(name).meanings;
    const auto found = meanings.find(index);
    return found == meanings.end() ? std::string() : found->second;
}

} // namespace platform
