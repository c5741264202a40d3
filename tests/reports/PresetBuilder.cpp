#include "reports/PresetBuilder.h"

#include "layout/Preview.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Utextcontainer.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmenu.h"
#include "reports/Uvktrecipe.h"
#include "reports/Uvkttopcontainer.h"

#include <stdexcept>

namespace vkttest {

namespace {

using F = TVktField;

constexpr const char* kGothic = "ＭＳ Ｐゴシック";

class Builder {
public:
    explicit Builder(TPreview& preview) : preview_(preview) { preview_.SetMMMargin_({1000, 1000, 1000, 1000}); }

    template <typename T = TContainer>
    T* Add(int type, TContainer* parent, const char* name, TAlign align, int size = 0)
    {
        preview_.SetSelected(parent ? parent->GetViewItem() : nullptr);
        TViewItem* item = preview_.AddContainer(type);
        auto* container = dynamic_cast<T*>(ContainerOf(item));
        if (!container) throw std::runtime_error(std::string("preset: cannot add ") + name);
        if (*name) item->SetName(name);
        item->SetAlign(align);
        if (size != 0) item->SetAlignSize_(size);
        return container;
    }

    // The page title at the left of its band and the date at the right.
    void TitleAndDate(TContainer* band, const char* title)
    {
        auto* date = Add<TTextContainer>(2, band, "Date", alRight, 5000);
        date->SetTextType(2);
        date->SetHorzAlign(2);
        date->SetVertAlign(2);
        auto* text = Add<TTextContainer>(2, band, "Title", alClient);
        text->SetText(title);
        text->SetVertAlign(2);
        text->SetFont(kGothic, 160, 0, {fsBold});
    }

    void PageNumber(TContainer* band)
    {
        auto* page = Add<TTextContainer>(2, band, "Page", alClient);
        page->SetTextType(1);
        page->SetHorzAlign(1);
        page->SetVertAlign(1);
    }

    TVktTopContainer* DataTop(TContainer* parent, int perPage, const char* font2)
    {
        auto* top = Add<TVktTopContainer>(11, parent, "DataTop", alClient);
        top->SetPageDataCount(perPage);
        top->SetFontName2(font2);
        return top;
    }

    // The record slot of one-record pages (a group draws nothing of its own).
    TVktContainer* Slot(TContainer* top, const char* name)
    {
        auto* slot = Add<TVktContainer>(12, top, name, alClient);
        slot->SetPageDataIndex(1);
        return slot;
    }

    TVktGridContainer* Grid(TContainer* parent, const char* name, TAlign align, int headerStyle)
    {
        auto* grid = Add<TVktGridContainer>(16, parent, name, align);
        grid->SetHeaderStyle(headerStyle);
        grid->SetTitleColor(0xEEE4D8);
        return grid;
    }

private:
    TPreview& preview_;
};

TPreviewFieldStruct Columns(std::initializer_list<std::tuple<F, int, int, int>> columns)
{
    TPreviewFieldStruct fields;
    for (auto [field, width, order, ret] : columns) {
        fields.GetName() << ToInt(field);
        fields.GetWidth() << width;
        fields.GetOrder() << order;
        fields.GetReturn() << ret;
    }
    return fields;
}

void FoodList(Builder& b, const char* title)
{
    auto* list = b.Add<TVktDataList>(8, nullptr, "DataList", alClient);
    b.TitleAndDate(b.Add(1, list, "Header", alTop), title);
    b.PageNumber(b.Add(1, list, "Footer", alBottom));
    auto* top = b.DataTop(list, 0, "Arial");
    b.Grid(top, "DataGrid", alClient, 0);
    list->SetRowHeight(60);
    // The columns with their lines stay within the 190 mm between the margins of A4.
    list->SetFields(Columns({{F::Class, 350, 1, 0},
                             {F::Form, 240, 0, 0},
                             {F::Data, 390, 0, 0},
                             {F::UseUnit, 240, 0, 0},
                             {F::UsePrice, 250, 0, 0},
                             {F::Company, 380, 0, 0}}));
    list->SetChildVisible(false);
}

void Recipe(Builder& b, const char* title)
{
    auto* recipe = b.Add<TVktRecipe>(9, nullptr, "Recipe", alClient);
    b.TitleAndDate(b.Add(1, recipe, "PageHeader", alTop), title);
    b.PageNumber(b.Add(1, recipe, "PageFooter", alBottom));
    auto* top = b.DataTop(recipe, 1, "Arial");
    auto* slot = b.Slot(top, "Card");
    b.Grid(slot, "Header", alTop, 2);
    b.Grid(slot, "Footer", alBottom, 2);
    auto* detail = b.Add<TVktContainer>(12, slot, "Detail", alBottom);
    detail->GetViewItem()->SetAlignRate(40);
    detail->GetViewItem()->SetMMMarginRect_({200, 200, 200, 200});
    // The frame lies under the picture and the chart, around the whole block.
    auto* frame = b.Add<TGraphicContainer>(4, detail, "DetailFrame", alNone);
    frame->SetGraphicType(0);
    frame->SetBrushColor(-1);
    auto* image = b.Add<TVktImageContainer>(15, detail, "Image", alRight);
    image->GetViewItem()->SetAlignRate(40);
    image->GetViewItem()->SetMMMarginRect_({300, 300, 300, 300});
    image->SetDrawType(idtCenter);
    auto* chart = b.Add<TVktChartContainer>(17, detail, "Chart", alRight);
    chart->GetViewItem()->SetAlignRate(60);
    chart->GetViewItem()->SetMMMarginRect_({300, 300, 300, 300});   // clear of the frame, as the picture
    chart->SetDataType(2);
    auto* items = b.Grid(slot, "Item", alClient, 0);
    items->SetSubData(true);
    recipe->SetRowHeight(50);
    recipe->SetItemFields(Columns({{F::Data, 600, 0, 0},
                                   {F::ItemUse, 250, 0, 0},
                                   {F::ItemUnit, 250, 0, 0},
                                   {F::ItemPrice, 300, 0, 0},
                                   {F::ItemUsePrice, 300, 0, 0}}));
    recipe->SetHeaderFields(Columns({{F::Class, 300, 0, 0},
                                     {F::Data, 600, 1, 0},
                                     {F::Data2, 500, 0, 1},
                                     {F::Complete, 300, 0, 0},
                                     {F::UseUnit, 300, 0, 0}}));
    recipe->SetFooterFields(Columns({{F::TotalPrice, 450, 0, 0},
                                     {F::UsePrice, 450, 0, 0},
                                     {F::SalePrice, 450, 0, 0},
                                     {F::CostRate, 450, 0, 0}}));
    recipe->SetDetailPos(true);
    frame->GetViewItem()->SetMMBoundRect_(detail->GetViewItem()->GetMMTrueRect_());
    recipe->SetChildVisible(false);
}

void Menu(Builder& b, const char*)
{
    auto* menu = b.Add<TVktMenu>(10, nullptr, "Menu", alClient);
    auto* image = b.Add<TImageContainer>(5, menu, "Image", alClient);
    image->SetDrawType(idtCenter);
    image->GetViewItem()->SetExpanded(false);
    auto* outer = b.Add<TGraphicContainer>(4, menu, "Graphic1", alClient);
    outer->SetBrushColor(-1);
    outer->SetLineWidth(8);
    auto* inner = b.Add<TGraphicContainer>(4, menu, "Graphic2", alClient);
    inner->SetBrushColor(-1);
    inner->SetLineWidth(3);
    inner->GetViewItem()->SetMMMarginRect_({400, 400, 400, 400});
    auto* top = b.DataTop(menu, 1, "Times New Roman");
    top->GetViewItem()->SetMMMarginRect_({2000, 2500, 2000, 2500});
    auto* slot = b.Slot(top, "Card");
    auto* header = b.Grid(slot, "Header", alTop, 1);
    auto* footer = b.Grid(slot, "Footer", alBottom, 1);
    auto* items = b.Grid(slot, "Item", alClient, 1);
    for (TVktGridContainer* grid : {header, footer, items}) {
        grid->SetGridLines({});
        grid->SetHorzAlign(1);
    }
    header->SetFont("ＭＳ Ｐ明朝", 160, 0, {fsBold});
    items->SetFont("ＭＳ Ｐ明朝", 120, 0, {});
    footer->SetFont("ＭＳ Ｐ明朝", 110, 0, {});
    items->SetSubData(true);
    menu->SetItemFields(Columns({{F::Data, 1400, 0, 0}}));
    menu->SetHeaderFields(Columns({{F::Data, 1400, 1, 1}, {F::Data2, 1400, 0, 0}}));
    menu->SetFooterFields(Columns({{F::Information, 1400, 0, 1}, {F::SalePrice, 1400, 0, 0}}));
    menu->SetRowHeight(100);
    menu->SetFrameType(2);
    menu->SetFrameRound(60);
    menu->SetChildVisible(false);
}

} // namespace

const std::vector<PresetFile>& PresetFiles()
{
    static const std::vector<PresetFile> files = {
        {"FoodList.xml", "食材リスト"}, {"Recipe.xml", "原価率表"}, {"Menu.xml", "メニュー"}};
    return files;
}

void BuildPreset(TPreview& preview, const std::string& file)
{
    Builder builder(preview);
    for (const PresetFile& preset : PresetFiles()) {
        if (file != preset.File) continue;
        if (file == "FoodList.xml") FoodList(builder, preset.Title);
        else if (file == "Recipe.xml") Recipe(builder, preset.Title);
        else Menu(builder, preset.Title);
        preview.SetSelected(nullptr);
        return;
    }
    throw std::runtime_error("no preset " + file);
}

std::string PresetSourceFolder()
{
    std::string here = __FILE__;
    here.erase(here.rfind('/'));   // tests/reports
    here.erase(here.rfind('/'));   // tests
    here.erase(here.rfind('/'));   // the source tree
    return here + "/resources/layouts";
}

} // namespace vkttest
