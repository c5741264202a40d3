// The common controls: the scrolled canvas centred and scrolled, the number, up-down and zoom
// fields (with the zoom menu open), the image view fitted, at natural size and with a metafile,
// and the field chooser with its three states.
#include "gui/Canvas.h"
#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"
#include "support/Snapshot.h"
#include "support/TestPictures.h"
#include "widgets/Fnumberedit.h"
#include "widgets/Fscaleselecter.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Imageview.h"
#include "widgets/Scrollcanvas.h"

#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdint>
#include <string>

namespace {

using platform::RgbColor;

// A numbered 40-pixel grid over the document.
void DrawGrid(TScrollCanvas* sender, platform::Canvas& canvas, int x, int y)
{
    canvas.FillRect({0, 0, sender->GetClientWidth(), sender->GetClientHeight()}, RgbColor(230, 230, 230));
    platform::FontSpec font;
    font.Face = "ＭＳ Ｐゴシック";
    font.Height = -12;
    canvas.SetFont(font);
    for (int j = 0; j * 40 < sender->GetDocHeight(); ++j)
        for (int i = 0; i * 40 < sender->GetDocWidth(); ++i) {
            const platform::Rect cell{i * 40 - x, j * 40 - y, i * 40 + 40 - x, j * 40 + 40 - y};
            canvas.FillRect(cell, (i + j) % 2 ? RgbColor(255, 255, 255) : RgbColor(200, 220, 255));
            canvas.TextOut(cell.Left + 4, cell.Top + 4, std::to_string(j) + "," + std::to_string(i));
        }
}

QWidget* Labelled(QWidget* panel, QGridLayout* grid, int row, const char* label, QWidget* control)
{
    grid->addWidget(new QLabel(QString::fromUtf8(label), panel), row, 0);
    grid->addWidget(control, row, 1);
    return control;
}

// A landscape picture: sky, hills and a sun.
platform::Picture Landscape(int width, int height)
{
    platform::Picture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int hill = height * 2 / 3 + static_cast<int>(20 * ((x / 30) % 2 ? 1 : -1) * ((x % 30) / 30.0));
            const int dx = x - width * 3 / 4;
            const int dy = y - height / 4;
            platform::TColor color = y > hill ? RgbColor(60, 140 + y % 40, 60) : RgbColor(120, 170, 240 - y / 4);
            if (dx * dx + dy * dy < 900)
                color = RgbColor(250, 210, 60);
            picture.SetPixel(x, y, color);
        }
    return picture;
}

} // namespace

VKT_SNAPSHOT(controls_scrollcanvas)
{
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    auto* centred = new TScrollCanvas(panel);
    centred->setFixedSize(300, 140);
    centred->SetScrollStyle(scsBoth);
    centred->SetDocSize(160, 80);
    centred->OnDraw = DrawGrid;
    auto* scrolled = new TScrollCanvas(panel);
    scrolled->setFixedSize(300, 140);
    scrolled->SetScrollStyle(scsBoth);
    scrolled->SetDocSize(800, 600);
    scrolled->OnDraw = DrawGrid;
    layout->addWidget(centred);
    layout->addWidget(scrolled);
    QTimer::singleShot(0, scrolled, [scrolled] { scrolled->SetDocPoint(60, 100); });
    return panel;
}

VKT_SNAPSHOT(controls_numberfields)
{
    auto* panel = new QWidget;
    panel->resize(280, 150);
    auto* grid = new QGridLayout(panel);
    auto* number = new TNumberEdit(panel);
    number->SetScale(100);
    number->SetSuffix("mm");
    number->SetValueQuiet(1250);
    Labelled(panel, grid, 0, "余白", number);
    auto* updown = new TUpDownEdit(panel);
    updown->SetScale(10);
    updown->SetLimitType(3);
    updown->SetRange(10, 720);
    updown->SetSuffix("pt");
    updown->SetValueQuiet(105);
    Labelled(panel, grid, 1, "文字サイズ", updown);
    auto* zoom = new TScaleSelecter(panel);
    zoom->SetScale(7500);
    Labelled(panel, grid, 2, "倍率", zoom);
    auto* disabled = new TUpDownEdit(panel);
    disabled->SetValueQuiet(3);
    disabled->setEnabled(false);
    Labelled(panel, grid, 3, "部数", disabled);
    return panel;
}

VKT_SNAPSHOT(controls_zoommenu)
{
    auto* panel = new QWidget;
    panel->resize(220, 380);
    auto* zoom = new TScaleSelecter(panel);
    zoom->move(10, 10);
    zoom->SetScale(10000);
    zoom->SetScaleMode(2);
    // The open menu drawn into the panel, below the field.
    QMenu* menu = zoom->GetPopupMenu();
    auto* shot = new QLabel(panel);
    shot->move(10, 10 + zoom->height());
    QTimer::singleShot(0, shot, [menu, shot] {
        menu->ensurePolished();
        menu->adjustSize();
        shot->setPixmap(menu->grab());
        shot->adjustSize();
    });
    return panel;
}

VKT_SNAPSHOT(controls_imageview)
{
    auto* panel = new QWidget;
    auto* layout = new QGridLayout(panel);
    const std::string jpeg = platform::EncodeJpeg(Landscape(480, 320));
    auto* fitted = new TImageView(panel);
    fitted->setFixedSize(240, 200);
    fitted->SetData(jpeg);
    auto* natural = new TImageView(panel);
    natural->setFixedSize(240, 200);
    natural->SetEqual(false);
    natural->SetData(jpeg);
    auto* metafile = new TImageView(panel);
    metafile->setFixedSize(240, 200);
    metafile->SetData(vkttest::KitchenEmf());
    layout->addWidget(new QLabel(QStringLiteral("全体 (JPEG)")), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("原寸 (JPEG)")), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("メタファイル")), 0, 2);
    layout->addWidget(fitted, 1, 0);
    layout->addWidget(natural, 1, 1);
    layout->addWidget(metafile, 1, 2);
    QTimer::singleShot(0, natural, [natural] { natural->SetDocPoint(120, 60); });
    return panel;
}

VKT_SNAPSHOT(controls_statelist)
{
    auto* view = new TStateListView;
    view->resize(220, 160);
    const char* const fields[] = {"名称", "よみ", "分類", "単価", "原価率", "備考"};
    for (int i = 0; i < 6; ++i)
        view->AddItem(fields[i], i + 1);
    TDblPriorityItem states;
    states.Ids << 4 << 1 << 5;
    states.States << 0 << 1 << 0;
    view->SetStates(states);
    return view;
}
