// The property pages of database layouts beside the page view, on the shipped layouts over the
// sample database: each page on its item with the tab a user would work in.
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/ProgramFiles.h"
#include "reports/Fcontainerproperty.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktmenu.h"
#include "reports/Uvkttemplate.h"
#include "screens/Fdataview.h"
#include "support/ScriptedServices.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Fstatelistview.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <memory>

namespace {

using F = TVktField;

platform::Picture Washi(int w, int h)
{
    platform::Picture picture(w, h, platform::RgbColor(250, 246, 232));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x * 7 + y * 3) % 29 == 0) picture.SetPixel(x, y, platform::RgbColor(222, 206, 170));
    return picture;
}

// A shipped layout over the sample database, its page view and the property host side by side,
// the host showing the item named `item` (the layout's template for "") with tab `tab` open.
class SnapPropsView : public QWidget {
public:
    SnapPropsView(const char* file, const char* item, int tab,
                  const std::function<void(SnapPropsView&, TContainerProperty&)>& act = {})
        : db_(std::make_unique<vkttest::SampleDatabase>())
    {
        resize(1000, 720);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        preview_ = new TPreview(this);
        host_ = new TVktItemPropertyEx(this);
        host_->setFixedWidth(440);
        row->addWidget(preview_, 1);
        row->addWidget(host_);
        binding_ = std::make_unique<TVktLayoutBinding>(preview_);

        TVktObject& object = db_->Object();
        const std::string name = file;
        TFilterObject filter;
        if (name == "FoodList.xml") {
            filter.Add(F::Class_ID, foEqual, vkttest::SampleDatabase::kFoods, {});
        } else if (name == "Recipe.xml") {
            object.EditData(F::Image, platform::Variant(platform::EncodeBmp(Washi(64, 48))),
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
        preview_->SetShowItemMargin(false);
        host_->SetPreview(preview_);
        Select(item);
        if (TContainerProperty* page = host_->GetCurrentPage()) {
            page->GetPageControl()->setCurrentIndex(tab);
            if (act) act(*this, *page);
        }
        preview_->SetPage(1);
        preview_->DrawFullPage();
    }
    ~SnapPropsView() override
    {
        host_->SetPreview(nullptr);
        binding_->Detach();
        preview_->Clear();
        binding_.reset();
    }

    TPreview* Preview() const { return preview_; }
    vkttest::SampleDatabase& Database() const { return *db_; }
    // A new item of `type` in the item named `parent`, shown with tab `tab` open.
    TContainer* AddShown(const char* parent, int type, TRect mm, int tab)
    {
        Select(parent);
        TViewItem* item = preview_->AddContainer(type);
        item->SetMMBoundRect_(mm);
        preview_->SetSelected(nullptr);
        preview_->SetSelected(item);
        if (TContainerProperty* page = host_->GetCurrentPage()) page->GetPageControl()->setCurrentIndex(tab);
        preview_->DrawFullPage();
        return ContainerOf(item);
    }
    // The item of that name, the prepared subtree made selectable; the template for "".
    void Select(const char* name)
    {
        TViewItem* item = nullptr;
        TViewItems* items = preview_->GetItems();
        for (int i = 0; i < items->GetCount() && !item; ++i) {
            auto* c = dynamic_cast<TVktTemplate*>(ContainerOf(items->GetItem(i)));
            if (!c) continue;
            if (*name) c->SetChildVisible(true);
            item = *name ? items->ItemOfName(name) : c->GetViewItem();
        }
        preview_->SetSelected(nullptr);
        preview_->SetSelected(item);
    }

private:
    std::unique_ptr<vkttest::SampleDatabase> db_;
    TPreview* preview_ = nullptr;
    TVktItemPropertyEx* host_ = nullptr;
    std::unique_ptr<TVktLayoutBinding> binding_;
};

void Pick(TContainerProperty& page, const char* name, int index)
{
    if (auto* list = page.findChild<QComboBox*>(QString::fromLatin1(name))) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
}

void SelectField(TContainerProperty& page, int id)
{
    for (auto* list : page.findChildren<TStateListView*>()) {
        if (!list->isVisibleTo(&page)) continue;
        if (QListWidgetItem* item = list->ItemOfId(id)) {
            list->GetListView()->setCurrentItem(item);
            item->setSelected(true);
            list->GetListView()->scrollToItem(item);
        }
    }
}

} // namespace

VKT_SNAPSHOT(vktprops_datalist_order_sheet)
{
    return new SnapPropsView("FoodList.xml", "", 2, [](SnapPropsView&, TContainerProperty& page) {
        Pick(page, "DefFieldList", 3);
        SelectField(page, -1);
    });
}

VKT_SNAPSHOT(vktprops_datalist_style) { return new SnapPropsView("FoodList.xml", "", 1); }

VKT_SNAPSHOT(vktprops_database_container)
{
    return new SnapPropsView("FoodList.xml", "DataTop", 2,
                             [](SnapPropsView&, TContainerProperty& page) { SelectField(page, ToInt(F::Data)); });
}

VKT_SNAPSHOT(vktprops_grid_sums)
{
    return new SnapPropsView("FoodList.xml", "DataGrid", 3, [](SnapPropsView&, TContainerProperty& page) {
        SelectField(page, ToInt(F::UsePrice));
        Pick(page, "CBSumField", 1);
        Pick(page, "CBSumClass", 1);
    });
}

VKT_SNAPSHOT(vktprops_recipe_items)
{
    return new SnapPropsView("Recipe.xml", "", 2, [](SnapPropsView&, TContainerProperty& page) {
        if (auto* tabs = page.findChild<QTabBar*>("TabControl")) tabs->setCurrentIndex(2);
        SelectField(page, ToInt(F::Data));
    });
}

VKT_SNAPSHOT(vktprops_recipe_style) { return new SnapPropsView("Recipe.xml", "", 1); }

VKT_SNAPSHOT(vktprops_menu_background)
{
    return new SnapPropsView("Menu.xml", "", 1, [](SnapPropsView&, TContainerProperty& page) {
        const std::string back = vkttest::NewTempFolder("washi") + "/washi.bmp";
        platform::WriteFileAtomic(back, platform::EncodeBmp(Washi(210, 297)));
        vkttest::Scripted().files.push_back(back);
        if (auto* load = page.findChild<QPushButton*>("BtnImageLoad")) load->click();
    });
}

VKT_SNAPSHOT(vktprops_menu_fields)
{
    return new SnapPropsView("Menu.xml", "", 2, [](SnapPropsView&, TContainerProperty& page) {
        SelectField(page, ToInt(F::Data));
    });
}

VKT_SNAPSHOT(vktprops_data_container) { return new SnapPropsView("Recipe.xml", "Detail", 1); }
VKT_SNAPSHOT(vktprops_data_image) { return new SnapPropsView("Recipe.xml", "Image", 1); }
VKT_SNAPSHOT(vktprops_data_chart) { return new SnapPropsView("Recipe.xml", "Chart", 1); }

VKT_SNAPSHOT(vktprops_data_field)
{
    auto* view = new SnapPropsView("Recipe.xml", "Detail", 1);
    auto* field = dynamic_cast<TVktFieldContainer*>(view->AddShown("Detail", 13, {3000, 16000, 15000, 17200}, 1));
    field->SetField(ToInt(F::Data2));
    field->SetPageDataIndex(1);
    return view;
}

VKT_SNAPSHOT(vktprops_data_memo)
{
    auto* view = new SnapPropsView("Recipe.xml", "Detail", 1);
    view->AddShown("Detail", 14, {3000, 15500, 18000, 17800}, 2);
    return view;
}
