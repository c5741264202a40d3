// Data grids and charts in the layout view over the sample database: the ingredient list by class
// with subtotals and total; a recipe card with its item rows and the items' cost chart beside the
// month and year price charts of an ingredient. Then the three preset reports as shipped: the food
// list on its first page and on a later one with subtotals set through its template, a recipe
// card with picture and chart, and a menu card with its frames and a loaded background.
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "platform/Bitmap.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/ProgramFiles.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktmenu.h"
#include "reports/Uvkttopcontainer.h"
#include "screens/Fdataview.h"
#include "support/ScriptedServices.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QVBoxLayout>

#include <memory>

namespace {

using F = TVktField;

// A layout view on the sample database with the report types installed.
class SnapLayoutView : public QWidget {
public:
    SnapLayoutView() : db_(std::make_unique<vkttest::SampleDatabase>())
    {
        resize(560, 760);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        preview_ = new TPreview(this);
        layout->addWidget(preview_);
        binding_ = std::make_unique<TVktLayoutBinding>(preview_);
    }
    ~SnapLayoutView() override
    {
        binding_->Detach();
        preview_->Clear();
        binding_.reset();
    }

protected:
    void ShowPage(int page)
    {
        preview_->SetSelected(nullptr);
        preview_->SetShowItemMargin(false);
        preview_->SetPage(page);
        preview_->DrawFullPage();
    }

    std::unique_ptr<vkttest::SampleDatabase> db_;
    TPreview* preview_ = nullptr;
    std::unique_ptr<TVktLayoutBinding> binding_;
};

class SnapGridView : public SnapLayoutView {
public:
    explicit SnapGridView(bool list)
    {
        binding_->SetFilter(DefaultSelectionFilter());
        binding_->Attach(&db_->Object());
        if (list) List();
        else Card();
        ShowPage(1);
    }

private:
    TContainer* Add(int type, TContainer* parent, TRect mm)
    {
        preview_->SetSelected(parent ? parent->GetViewItem() : nullptr);
        TViewItem* item = preview_->AddContainer(type);
        item->SetMMBoundRect_(mm);
        return ContainerOf(item);
    }

    TVktTopContainer* Top(TRect mm, int perPage, std::initializer_list<F> sort)
    {
        auto* top = static_cast<TVktTopContainer*>(Add(11, nullptr, mm));
        TAccessFieldStruct fields;
        for (F f : sort) {
            fields.GetFields() << ToInt(f);
            fields.GetOrders() << 1;
        }
        top->SetAccessFields(fields);
        top->SetPageDataCount(perPage);
        top->SetFontName2("Arial");
        return top;
    }

    TVktGridContainer* Grid(TContainer* parent, TRect mm, std::initializer_list<std::pair<F, int>> columns)
    {
        auto* grid = static_cast<TVktGridContainer*>(Add(16, parent, mm));
        TPreviewFieldStruct fields;
        for (auto [f, width] : columns) {
            fields.GetName() << ToInt(f);
            fields.GetWidth() << width;
            fields.GetReturn() << 0;
            fields.GetOrder() << 0;
        }
        grid->SetPreviewFields(fields);
        grid->SetTitleColor(0xEEDDCC);
        return grid;
    }

    TVktTopContainer* Only(TVktTopContainer* top, int id)
    {
        TFilterObject filter;
        filter.Add(F::Data_ID, foEqual, id, {});
        top->SetFilter(filter);
        return top;
    }

    void List()
    {
        auto* top = Top({1500, 1500, 19500, 28200}, 0, {F::Class_Key, F::Data});
        auto* grid = Grid(top, {1500, 1500, 19500, 28200},
                          {{F::Class, 250}, {F::Data, 450}, {F::Data2, 500}, {F::UsePrice, 300}, {F::UseUnit, 250}});
        grid->SetSumField(ToInt(F::UsePrice));
        grid->SetSumClass(ToInt(F::Class));
    }

    void Card()
    {
        TVktObject& object = db_->Object();
        const int beef = db_->Record("和牛サーロイン");
        const platform::TDateTime today = platform::Today();
        const platform::DateParts parts = platform::DecodeDate(today);
        // Prices per gram, as the history keeps them.
        for (int day = 1; day < parts.day; day += 2)
            object.SetMHistoryPrice(beef, platform::EncodeDate(parts.year, parts.month, day),
                                    platform::Currency::FromDouble(12.2 + day % 5 * 0.15));
        for (int months = 1; months <= 14; ++months)
            object.SetMHistoryPrice(beef, platform::IncMonth(today, -months),
                                    platform::Currency::FromDouble(11.0 + months % 4 * 0.4));
        for (int months = 14; months >= 0; --months)
            object.MakeYHistory(false, 0, platform::IncMonth(today, -months), nullptr);

        auto* recipe = Only(Top({1500, 1500, 19500, 13000}, 1, {F::Data}), db_->Record("和牛のステーキ"));
        auto* slot = static_cast<TVktContainer*>(Add(12, recipe, {1500, 1500, 19500, 13000}));
        slot->SetPageDataIndex(1);
        Grid(slot, {1500, 1500, 19500, 2700}, {{F::Data, 700}, {F::TotalPrice, 350}, {F::SalePrice, 350},
                                                {F::CostRate, 350}});
        auto* items = Grid(slot, {1500, 3000, 19500, 7000},
                           {{F::Data, 700}, {F::ItemUse, 350}, {F::ItemUnit, 350}, {F::ItemUsePrice, 350}});
        items->SetSubData(true);
        auto* pie = static_cast<TVktChartContainer*>(Add(17, slot, {1500, 7200, 19500, 13000}));
        pie->SetDataType(2);

        auto* food = Only(Top({1500, 13300, 19500, 28200}, 1, {F::Data}), beef);
        auto* slot2 = static_cast<TVktContainer*>(Add(12, food, {1500, 13300, 19500, 28200}));
        slot2->SetPageDataIndex(1);
        auto* month = static_cast<TVktChartContainer*>(Add(17, slot2, {1500, 13300, 19500, 20500}));
        month->SetDataType(0);
        auto* year = static_cast<TVktChartContainer*>(Add(17, slot2, {1500, 20800, 19500, 28200}));
        year->SetDataType(1);
        year->SetYHViewRange(2);
    }

};

platform::Picture Backdrop(int w, int h)
{
    platform::Picture picture(w, h, platform::RgbColor(252, 248, 236));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x / 8 + y / 8) % 2 == 0 && (x < 12 || y < 12 || x >= w - 12 || y >= h - 12))
                picture.SetPixel(x, y, platform::RgbColor(214, 190, 140));
    return picture;
}

// A shipped preset over the sample database, at a page.
class SnapPresetView : public SnapLayoutView {
public:
    SnapPresetView(const char* file, int page)
    {
        TVktObject& object = db_->Object();
        const std::string name = file;
        TFilterObject filter;
        if (name == "FoodList.xml") {
            db_->AddIngredients(vkttest::SampleDatabase::kHerb, 48);
            filter.Add(F::Class_ID, foEqual, vkttest::SampleDatabase::kFoods, {});
        } else if (name == "Recipe.xml") {
            object.EditData(F::Image, platform::Variant(platform::EncodeBmp(Backdrop(64, 48))),
                            TPriorityItem() << db_->Record("和牛のステーキ"));
            filter.Add(F::Data_ID, foEqual, db_->Record("和牛のステーキ"), {});
        } else {
            filter.Add(F::Data_ID, foEqual, db_->Record("春の宴コース"), {});
        }
        filter.Add(F::Erase_Key, foIsEmpty, {}, {});
        binding_->SetFilter(filter);
        preview_->LoadFromFile(platform::ProgramDataFolder() + "layouts/" + file);
        binding_->Attach(&object);
        binding_->Update();
        TViewItems* items = preview_->GetItems();
        for (int i = 0; i < items->GetCount(); ++i) {
            TContainer* c = ContainerOf(items->GetItem(i));
            if (auto* list = dynamic_cast<TVktDataList*>(c)) {
                list->SetSumField(ToInt(F::UsePrice));
                list->SetSumClass(ToInt(F::Class));
            }
            if (auto* menu = dynamic_cast<TVktMenu*>(c)) {
                const std::string back = vkttest::NewTempFolder("backdrop") + "/back.bmp";
                platform::WriteFileAtomic(back, platform::EncodeBmp(Backdrop(210, 297)));
                menu->LoadFromFile(back);
                menu->SetImageEnabled(true);
            }
        }
        ShowPage(page);
    }
};

} // namespace

VKT_SNAPSHOT(reports_preset_foodlist) { return new SnapPresetView("FoodList.xml", 1); }
VKT_SNAPSHOT(reports_preset_foodlist_page2) { return new SnapPresetView("FoodList.xml", 2); }
VKT_SNAPSHOT(reports_preset_recipe) { return new SnapPresetView("Recipe.xml", 1); }
VKT_SNAPSHOT(reports_preset_menu) { return new SnapPresetView("Menu.xml", 1); }
VKT_SNAPSHOT(reports_grid_list) { return new SnapGridView(true); }
VKT_SNAPSHOT(reports_grid_recipe_charts) { return new SnapGridView(false); }
