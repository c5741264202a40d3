// Layout documents with content: a page with every container type at 100 % and 200 %, a grid in
// two paragraphs, each chart kind flat and a bar and a pie chart in 3-D, and turned and outlined
// texts.
#include "core/Uvktsupport.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"
#include "support/Snapshot.h"
#include "support/TestPictures.h"

#include <QTimer>

#include <functional>

namespace {

class SnapPreview : public TPreview {
public:
    explicit SnapPreview(std::function<void(SnapPreview&)> then = {}, int width = 860, int height = 700)
        : then_(std::move(then))
    {
        resize(width, height);
        SetShowItemMargin(false);
    }
    template <typename T>
    T* Add(int type, TRect mm, TViewItem* parent = nullptr)
    {
        SetSelected(parent);
        TViewItem* item = AddContainer(type);
        item->SetMMBoundRect_(mm);
        SetSelected(nullptr);
        return dynamic_cast<T*>(ContainerOf(item));
    }
    TTextContainer* Text(TRect mm, const std::string& text, int horz = 0, int vert = 0)
    {
        auto* t = Add<TTextContainer>(2, mm);
        t->SetText(text);
        t->SetHorzAlign(horz);
        t->SetVertAlign(vert);
        return t;
    }
    TGridContainer* Grid(TRect mm, int paragraphs)
    {
        auto* grid = Add<TGridContainer>(6, mm);
        grid->SetRowCount(12);
        grid->SetColCount(4);
        grid->SetParagraph(paragraphs);
        grid->SetParaGap(40);
        grid->SetTitles("品名,単価,数量,金額");
        grid->SetTitleWidths([] { TPriorityItem w; w << 250 << 150 << 120 << 170; return w; }());
        grid->SetTitleColor(0xE0E0E0);
        grid->SetRowColor2(0xF4F0E8);
        std::string csv;
        const char* names[] = {"玉ねぎ", "にんじん", "じゃがいも", "牛肉", "豚肉", "鶏もも", "米", "味噌",
                               "醤油", "砂糖", "\"塩, 粗\"", "卵"};
        for (int i = 0; i < 12; ++i)
            csv += std::string(names[i]) + "," + std::to_string(80 + i * 35) + "," + std::to_string(i % 5 + 1) +
                   "," + std::to_string((80 + i * 35) * (i % 5 + 1)) + "\n";
        grid->SetCSV(csv);
        return grid;
    }
    TChartContainer* Chart(TRect mm, int kind, const std::string& title)
    {
        auto* chart = Add<TChartContainer>(7, mm);
        chart->SetTitle(title);
        chart->SetGraphCount(kind == 0 ? 1 : 2);
        for (int s = 0; s < chart->GetGraphCount(); ++s) {
            TSeriesStruct series = chart->GetData(s);
            series.Kind = kind;
            series.Title = s ? "鶏肉" : "玉ねぎ";
            series.MarksVisible = kind == 0;
            for (int i = 0; i < 6; ++i)
                series.Add(45292 + i * 30, 80 + (i * 37 + s * 50) % 90, kind == 0 ? std::to_string(i + 1) + "月" : "");
            chart->SetData(s, series);
        }
        if (kind == 3) {
            chart->SetXTypeDate(true);
            chart->SetDateFormat(1);
        }
        return chart;
    }
    void EveryType()
    {
        auto* frame = Add<TGraphicContainer>(4, {1500, 1500, 19500, 4000});
        frame->SetGraphicType(2);
        frame->SetRoundSize({60, 60});
        frame->SetBrushColor(0xF8F0E0);
        frame->SetLineWidth(5);
        auto* title = Text({1800, 1700, 14000, 3800}, "献立原価表　2024年春", 0, 1);
        title->SetFont("ＭＳ Ｐゴシック", 200, 0x402000, {fsBold});
        auto* page = Text({14000, 1700, 19200, 2700}, "", 2, 0);
        page->SetTextType(1);
        auto* date = Text({14000, 2800, 19200, 3800}, "", 2, 2);
        date->SetTextType(2);
        const int shapes[] = {0, 1, 9, 10, 3, 5};
        for (int i = 0; i < 6; ++i) {
            auto* g = Add<TGraphicContainer>(4, {1500 + i * 3000, 4500, 4000 + i * 3000, 6500});
            g->SetGraphicType(shapes[i]);
            g->SetLineWidth(i + 3);
            g->SetPenColor(0x804000);
            g->SetBrushColor(i % 2 ? 0xC0E0FF : 0xD0FFD0);
            g->SetRoundSize({40, 60});
            g->SetArrowWidth(50);
            g->SetArrowAngle(-300);
        }
        auto* image = Add<TImageContainer>(5, {1500, 7000, 9500, 12000});
        image->SetColCount(3);
        image->SetDrawType(idtCenter);
        image->SetDrawName(true);
        image->SetVertAlign(2);
        platform::Picture a(64, 48, 0xE0F0FF), b(40, 60, 0x2060C0);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if ((x / 8 + y / 8) % 2)
                    a.SetPixel(x, y, 0x3080E0);
        image->AddImage(BinToBase64(platform::EncodeJpeg(a)));
        image->SetFileName(0, "市場.jpg");
        image->AddImage(BinToBase64(platform::EncodeBmp(b)));
        image->SetFileName(1, "b.bmp");
        image->AddImage(BinToBase64(vkttest::KitchenEmf()));
        image->SetFileName(2, "皿.emf");
        Grid({10000, 7000, 19500, 12000}, 1);
        Chart({1500, 12500, 19500, 19000}, 3, "単価の推移");
        auto* secret = Add<TTextContainer>(2, {1500, 19500, 19500, 27000});
        secret->SetTextType(3);
        secret->SetText("社外秘");
        secret->SetFontColor(0x0000C0);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        TPreview::showEvent(event);
        if (then_)
            QTimer::singleShot(20, this, [this] {
                then_(*this);
                then_ = nullptr;
            });
    }

private:
    std::function<void(SnapPreview&)> then_;
};

// One chart of `kind` in 3-D with `depth` percent, at 100 %.
SnapPreview* DepthChart(int kind, const std::string& title, int depth)
{
    auto* view = new SnapPreview([](SnapPreview& v) { v.SetScale_(10000); });
    auto* chart = view->Chart({1000, 1000, 20000, 13000}, kind, title);
    chart->SetView3D(true);
    chart->SetView3DWidth(depth);
    return view;
}

} // namespace

VKT_SNAPSHOT(containers_page_100)
{
    auto* view = new SnapPreview([](SnapPreview& v) { v.SetScale_(10000); });
    view->EveryType();
    return view;
}

VKT_SNAPSHOT(containers_page_200)
{
    auto* view = new SnapPreview([](SnapPreview& v) {
        v.SetScale_(20000);
        v.SetDocPoint(0, 120);
    });
    view->EveryType();
    return view;
}

VKT_SNAPSHOT(containers_page_whole)
{
    auto* view = new SnapPreview([](SnapPreview& v) { v.DrawFullPage(); }, 560, 780);
    view->EveryType();
    return view;
}

VKT_SNAPSHOT(containers_grid_two_paragraphs)
{
    auto* view = new SnapPreview([](SnapPreview& v) { v.SetScale_(12000); });
    view->Grid({1000, 1000, 20000, 9000}, 2)->SetHeaderStyle(0);
    view->Grid({1000, 10000, 20000, 17000}, 2)->SetHeaderStyle(2);
    return view;
}

VKT_SNAPSHOT(containers_chart_kinds)
{
    auto* view = new SnapPreview([](SnapPreview& v) { v.DrawFullPage(); }, 620, 860);
    const char* titles[] = {"円", "高速折れ線", "棒", "折れ線", "面"};
    for (int kind = 0; kind < 5; ++kind)
        view->Chart({1000 + kind % 2 * 9800, 1000 + kind / 2 * 9000, 10000 + kind % 2 * 9800, 9500 + kind / 2 * 9000},
                    kind, titles[kind]);
    return view;
}

VKT_SNAPSHOT(containers_turned_texts)
{
    auto* view = new SnapPreview([](SnapPreview& v) { v.SetScale_(10000); });
    const int angles[] = {0, 300, 900, 1800, 2700, 450};
    for (int i = 0; i < 6; ++i) {
        auto* t = view->Text({1500 + i % 3 * 6200, 1500 + i / 3 * 6500, 7200 + i % 3 * 6200, 7500 + i / 3 * 6500},
                             "回転 " + std::to_string(angles[i] / 10) + "°", i % 3, i / 3 * 2);
        t->SetTextAngle(angles[i]);
        t->SetFont("ＭＳ Ｐゴシック", 180, 0x303030, {});
        t->SetOutLine(i % 2 == 1);
        t->SetTextBrushColor(i == 3 ? 0xC0F0FF : -1);
        auto* box = view->Add<TGraphicContainer>(4, {1500 + i % 3 * 6200, 1500 + i / 3 * 6500, 7200 + i % 3 * 6200,
                                                     7500 + i / 3 * 6500});
        box->SetLineWidth(1);
        box->SetPenColor(0xC0C0C0);
    }
    return view;
}

VKT_SNAPSHOT(containers_chart_3d_bars) { return DepthChart(2, "棒（立体）", 20); }

VKT_SNAPSHOT(containers_chart_3d_pie) { return DepthChart(0, "円（立体）", 25); }
