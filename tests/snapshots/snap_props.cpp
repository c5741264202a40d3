// The property pages of layout items in their host: the page settings with nothing selected, and
// each page on a realistic item with its own tab open.
#include "gui/Application.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Umemocontainer.h"
#include "layout/Utextcontainer.h"
#include "reports/Fcontainerproperty.h"
#include "reports/Fpreviewitempropertyex.h"
#include "richtext/Exview.h"
#include "support/Snapshot.h"
#include "support/ScriptedServices.h"

#include <QImage>
#include <QTabWidget>

#include <functional>
#include <sstream>

namespace {

TPreview* Document()
{
    auto* preview = new TPreview;
    platform::Application::Instance()->AtExit([preview] { delete preview; });
    return preview;
}

// The host showing the item `make` adds to a new document, with tab `tab` of its page open.
QWidget* Host(int type, int tab, const std::function<void(TContainer&)>& make)
{
    TPreview* preview = Document();
    TViewItem* item = preview->AddContainer(type);
    item->SetMMBoundRect_({2000, 2000, 12000, 8000});
    make(*dynamic_cast<TContainer*>(item->GetObject()));
    auto* host = new TPreviewItemPropertyEx;
    host->resize(440, 560);
    host->SetPreview(preview);
    preview->SetSelected(nullptr);
    preview->SetSelected(item);
    if (TContainerProperty* page = host->GetCurrentPage()) page->GetPageControl()->setCurrentIndex(tab);
    return host;
}

std::string Picture(const std::string& name, QColor color)
{
    const std::string path = vkttest::NewTempFolder("snap") + "/" + name;
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(color);
    image.save(QString::fromStdString(path), "BMP");
    return path;
}

} // namespace

VKT_SNAPSHOT(props_page_settings)
{
    TPreview* preview = Document();
    preview->SetPaperType(kA4PaperID);
    preview->SetMMMargin_({1500, 2000, 1500, 2000});
    auto* host = new TPreviewItemPropertyEx;
    host->resize(440, 560);
    host->SetPreview(preview);
    return host;
}

VKT_SNAPSHOT(props_container)
{
    return Host(1, 0, [](TContainer& c) { c.GetViewItem()->SetMMMarginRect_({200, 200, 200, 200}); });
}

VKT_SNAPSHOT(props_text)
{
    return Host(2, 1, [](TContainer& c) {
        auto& text = dynamic_cast<TTextContainer&>(c);
        text.SetText("本日のおすすめ");
        text.SetTextAngle(150);
        text.SetFont("ＭＳ Ｐ明朝", 180, 0x000080, {fsBold});
    });
}

VKT_SNAPSHOT(props_memo)
{
    return Host(3, 1, [](TContainer& c) {
        TExView writer;
        writer.SetText("季節の献立\n筍ご飯と若竹煮、桜鱒の塩焼き。\n");
        std::ostringstream rtf;
        writer.GetEditor()->SaveToRichStream(rtf);
        dynamic_cast<TMemoContainer&>(c).SetRichText(rtf.str());
    });
}

VKT_SNAPSHOT(props_graphic_round)
{
    return Host(4, 1, [](TContainer& c) {
        auto& shape = dynamic_cast<TGraphicContainer&>(c);
        shape.SetGraphicType(2);
        shape.SetRoundSize({60, 60});
        shape.SetBrushColor(0xE0F0FF);
        shape.SetLineWidth(5);
    });
}

VKT_SNAPSHOT(props_graphic_arrow)
{
    return Host(4, 1, [](TContainer& c) {
        auto& shape = dynamic_cast<TGraphicContainer&>(c);
        shape.SetGraphicType(10);
        shape.SetRoundSize({80, 40});
        shape.SetArrowAngle(450);
        shape.SetArrowWidth(30);
    });
}

VKT_SNAPSHOT(props_image)
{
    return Host(5, 2, [](TContainer& c) {
        auto& image = dynamic_cast<TImageContainer&>(c);
        image.AddFile(Picture("鮪.bmp", QColor(200, 60, 60)));
        image.AddFile(Picture("鯛.bmp", QColor(240, 160, 160)));
        image.AddFile(Picture("海老.bmp", QColor(250, 120, 40)));
    });
}

VKT_SNAPSHOT(props_grid)
{
    return Host(6, 2, [](TContainer& c) {
        auto& grid = dynamic_cast<TGridContainer&>(c);
        grid.SetColCount(3);
        grid.SetRowCount(4);
        grid.SetTitles("料理,分類,価格");
        grid.SetCSV("天ぷら盛り合わせ,揚げ物,1800\r\n刺身五点盛り,お造り,2200\r\n茶碗蒸し,蒸し物,680\r\n"
                    "鯛めし,ご飯,1200\r\n");
    });
}

VKT_SNAPSHOT(props_chart)
{
    return Host(7, 2, [](TContainer& c) {
        auto& chart = dynamic_cast<TChartContainer&>(c);
        chart.SetTitle("月別売上");
        chart.SetGraphCount(2);
        const char* titles[] = {"ランチ", "ディナー"};
        for (int s = 0; s < 2; ++s) {
            TSeriesStruct series;
            series.Title = titles[s];
            series.Kind = s == 0 ? 2 : 1;
            series.Color = s == 0 ? 0x40A0E0 : 0x2040C0;
            for (int month = 1; month <= 6; ++month) series.Add(month, 100 + month * 20 + s * 150, "");
            chart.SetData(s, series);
        }
    });
}
