// Every program icon list: each index at its size and enlarged four times, with its meaning.
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "support/Snapshot.h"

#include <QGridLayout>
#include <QLabel>
#include <QWidget>

namespace {

QWidget* IconSheet(const std::string& name)
{
    const platform::IconList& icons = platform::ProgramIcons(name);
    auto* sheet = new QWidget;
    sheet->setWindowTitle(platform::ToQString(name));
    sheet->setAutoFillBackground(true);
    auto* grid = new QGridLayout(sheet);
    constexpr int kRows = 14;
    for (int index = 0; index < icons.GetCount(); ++index) {
        const int row = index % kRows;
        const int column = index / kRows * 4;
        const QPixmap pixmap = icons.Pixmap(index);
        auto* small = new QLabel;
        small->setPixmap(pixmap);
        auto* large = new QLabel;
        large->setPixmap(pixmap.scaled(pixmap.size() * 4, Qt::KeepAspectRatio, Qt::FastTransformation));
        grid->addWidget(new QLabel(QString::number(index)), row, column);
        grid->addWidget(small, row, column + 1);
        grid->addWidget(large, row, column + 2);
        grid->addWidget(new QLabel(platform::ToQString(platform::ProgramIconMeaning(name, index))), row, column + 3);
    }
    return sheet;
}

} // namespace

VKT_SNAPSHOT(icons_commands) { return IconSheet("commands"); }
VKT_SNAPSHOT(icons_filters) { return IconSheet("filters"); }
