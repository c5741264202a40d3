// The property host of database layouts and the pages of the data-bound containers on a layout
// over the report database: pages by type, the record slot and ingredient-row controls, the field
// list, the chart's data types, the content tabs that cannot reach a data container, and a show
// that never changes the layout file.
#include "layout/Preview.h"
#include "reports/Fvktdataproperty.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmemocontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/Child.h"
#include "support/ScriptedServices.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QListWidget>
#include <QPushButton>

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using vkttest::ReportDatabase;

using vkttest::Child;

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class VktPropsTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object());
        top = layout->Add<TVktTopContainer>(11, nullptr);
        top->SetFilter(ReportDatabase::FoodFilter());
        top->SetPageDataCount(3);
        field = layout->Add<TVktFieldContainer>(13, top);
        field->SetField(ToInt(TVktField::Data));
        field->SetPageDataIndex(1);
        host.SetPreview(layout->preview.get());
    }
    void TearDown() override { host.SetPreview(nullptr); }
    TContainerProperty* Show(TContainer* container)
    {
        layout->preview->SetSelected(nullptr);
        layout->preview->SetSelected(container->GetViewItem());
        return host.GetCurrentPage();
    }
    std::string Saved(const char* name)
    {
        const std::string file = db->Folder() + "/" + name;
        layout->preview->SaveToFile(file);
        return ReadBytes(file);
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
    TVktItemPropertyEx host;
    TVktTopContainer* top = nullptr;
    TVktFieldContainer* field = nullptr;
};

TEST_F(VktPropsTest, HostMakesOnePagePerTypeOnFirstUse)
{
    struct Case {
        int type;
        const char* pageName;
    };
    const Case cases[] = {{12, "VktContainerProperty"}, {13, "VktFieldProperty"}, {14, "VktMemoProperty"},
                          {15, "VktImageProperty"},     {17, "VktChartProperty"}};
    for (const Case& c : cases) {
        TContainer* container = layout->Add(c.type, top);
        TContainerProperty* page = Show(container);
        ASSERT_NE(page, nullptr) << c.type;
        EXPECT_EQ(page->GetPageType(), c.type);
        EXPECT_EQ(page->objectName().toStdString(), c.pageName);
        TContainer* second = layout->Add(c.type, top);
        EXPECT_EQ(Show(second), page) << "one page object per type " << c.type;
        EXPECT_EQ(page->GetViewItem(), second->GetViewItem());
    }
    // A generic type still has its page; a placeholder of an unknown type has none.
    EXPECT_EQ(Show(layout->Add(2, nullptr))->GetPageType(), 2);
    layout->preview->OnNewContainer = [](TPreview*, int type, TContainer*& c) {
        if (type == 42) c = new TContainer(42);
    };
    layout->preview->SetSelected(nullptr);
    layout->preview->AddContainer(42);
    EXPECT_EQ(host.GetCurrentPage(), nullptr);
}

TEST_F(VktPropsTest, SlotAndIngredientRowFollowTheirRules)
{
    const std::string before = Saved("before.xml");
    TContainerProperty* page = Show(field);
    EXPECT_EQ(Saved("shown.xml"), before) << "showing writes nothing";
    auto* slot = Child<TUpDownEdit>(page, "DataIndexEdit");
    auto* itemData = Child<QCheckBox>(page, "CBItemData");
    auto* itemIndex = Child<TUpDownEdit>(page, "ItemIndexEdit");
    EXPECT_EQ(slot->GetValue(), 1);
    EXPECT_TRUE(itemData->isEnabled());
    EXPECT_FALSE(itemIndex->isEnabled());

    itemData->setChecked(true);
    EXPECT_TRUE(field->GetSubData());
    EXPECT_TRUE(itemIndex->isEnabled());
    itemIndex->SetValue(2);
    EXPECT_EQ(field->GetSubDataIndex(), 2);

    // No slot: no ingredient rows, whatever the box says.
    slot->SetValue(0);
    EXPECT_EQ(field->GetPageDataIndex(), 0);
    EXPECT_FALSE(field->GetSubData());
    EXPECT_EQ(field->GetSubDataIndex(), 0);
    EXPECT_FALSE(itemData->isEnabled());
    EXPECT_FALSE(itemIndex->isEnabled());

    // A slot above the records per page is normalised by the container and shown as it holds it.
    slot->SetValue(2);
    EXPECT_EQ(field->GetPageDataIndex(), 2);
    slot->SetValue(9);
    EXPECT_EQ(field->GetPageDataIndex(), 2);
    EXPECT_EQ(slot->GetValue(), 2);

    const std::string saved = Saved("bound.xml");
    EXPECT_NE(saved.find("PageDataIndex=\"2\""), std::string::npos);
}

TEST_F(VktPropsTest, FieldListOffersTheDatabaseNameAndKeepsAFieldItLacks)
{
    auto* page = Show(field);
    auto* list = Child<QComboBox>(page, "FieldList");
    ASSERT_GT(list->count(), 1);
    EXPECT_EQ(list->itemText(0).toStdString(), "データベース名称");
    EXPECT_EQ(list->itemText(1).toStdString(), GetFieldName(TVktField::Class));
    EXPECT_EQ(list->currentData().toInt(), ToInt(TVktField::Data));
    const int count = list->count();

    const int french = list->findData(ToInt(TVktField::Data2));
    list->setCurrentIndex(french);
    emit list->activated(french);
    EXPECT_EQ(field->GetField(), ToInt(TVktField::Data2));

    // A field the list lacks survives a write of another value.
    field->SetField(ToInt(TVktField::Class_ID));
    Show(field);
    EXPECT_EQ(list->currentIndex(), -1);
    Child<TUpDownEdit>(page, "DataIndexEdit")->SetValue(2);
    EXPECT_EQ(field->GetField(), ToInt(TVktField::Class_ID));
    EXPECT_EQ(list->count(), count) << "filled once";
}

TEST_F(VktPropsTest, ContentTabsThatCannotReachTheContainerAreHidden)
{
    struct Case {
        int type;
        const char* hidden;
        const char* data;
    };
    const Case cases[] = {{14, "メモ", "データ"},
                          {15, "イメージ", "データと表示スタイル"},
                          {17, "グラフ", "データとグラフスタイル"},
                          {16, "グリッド", "データ"},
                          {12, nullptr, "データとグラフィック"},
                          {13, nullptr, "データとスタイル"}};
    for (const Case& c : cases) {
        TContainerProperty* page = Show(layout->Add(c.type, top));
        QTabWidget* tabs = page->GetPageControl();
        for (int i = 0; i < tabs->count(); ++i) {
            const std::string caption = tabs->tabText(i).toStdString();
            if (c.hidden && caption == c.hidden) {
                EXPECT_FALSE(tabs->isTabVisible(i)) << c.type;
            }
        }
        bool found = false;
        for (int i = 0; i < tabs->count(); ++i)
            found = found || (tabs->tabText(i).toStdString() == c.data && tabs->isTabVisible(i));
        EXPECT_TRUE(found) << c.type << " " << c.data;
    }
}

TEST_F(VktPropsTest, ChartDataTypeShowsItsControls)
{
    auto* chart = layout->Add<TVktChartContainer>(17, top);
    chart->SetPageDataIndex(1);
    TContainerProperty* page = Show(chart);
    auto* types = Child<QComboBox>(page, "DataTypeList");
    auto* years = Child<TUpDownEdit>(page, "YHViewRangeEdit");
    auto* items = Child<QComboBox>(page, "ItemChartFieldList");
    struct Case {
        int type;
        bool years;
        bool items;
    };
    for (const Case c : {Case{1, true, false}, Case{2, false, true}, Case{0, false, false}}) {
        types->setCurrentIndex(c.type);
        emit types->activated(c.type);
        EXPECT_EQ(chart->GetDataType(), c.type);
        Show(chart);
        EXPECT_EQ(!years->isHidden(), c.years) << c.type;
        EXPECT_EQ(!items->isHidden(), c.items) << c.type;
    }
    types->setCurrentIndex(1);
    emit types->activated(1);
    years->SetValue(5);
    EXPECT_EQ(chart->GetYHViewRange(), 5);
    types->setCurrentIndex(2);
    emit types->activated(2);
    items->setCurrentIndex(1);
    emit items->activated(1);
    EXPECT_EQ(chart->GetItemFieldType(), 1);
}

TAccessFieldStruct Access(std::initializer_list<std::pair<TVktField, int>> pairs)
{
    TAccessFieldStruct fields;
    for (auto [field, order] : pairs) {
        fields.GetFields() << ToInt(field);
        fields.GetOrders() << order;
    }
    return fields;
}

TEST_F(VktPropsTest, DatabaseContainerSortFieldsCountAndSecondFont)
{
    top->SetAccessFields(Access({{TVktField::Data, 1}}));
    TContainerProperty* page = Show(top);
    EXPECT_EQ(page->GetPageType(), 11);
    auto* list = Child<TStateListView>(page, "StateListView");
    auto* asc = Child<QPushButton>(page, "BtnFieldAsc");
    auto* desc = Child<QPushButton>(page, "BtnFieldDesc");
    auto* none = Child<QPushButton>(page, "BtnFieldShow");
    auto* up = Child<QPushButton>(page, "BtnUpField");
    for (QPushButton* b : {asc, desc, none, up, Child<QPushButton>(page, "BtnDownField")})
        EXPECT_FALSE(b->isEnabled()) << "nothing selected";
    EXPECT_EQ(TStateListView::GetItemId(list->GetListView()->item(0)), ToInt(TVktField::Data)) << "sorted first";

    const auto select = [list](TVktField field) {
        QListWidgetItem* item = list->ItemOfId(ToInt(field));
        list->GetListView()->setCurrentItem(item);
        item->setSelected(true);
    };
    select(TVktField::BuyPrice);
    EXPECT_TRUE(desc->isEnabled());
    desc->click();
    EXPECT_FALSE(top->GetAccessFields() != Access({{TVktField::Data, 1}, {TVktField::BuyPrice, 2}}));
    const int queries = top->GetQueryCount();
    desc->click();
    EXPECT_EQ(top->GetQueryCount(), queries) << "the same state does not re-apply";
    while (up->isEnabled()) up->click();
    EXPECT_FALSE(top->GetAccessFields() != Access({{TVktField::BuyPrice, 2}, {TVktField::Data, 1}}))
        << "moved above, it becomes the first key";
    none->click();
    EXPECT_FALSE(top->GetAccessFields() != Access({{TVktField::Data, 1}}));

    Child<TUpDownEdit>(page, "DataCountEdit")->SetValue(0);
    EXPECT_EQ(top->GetPageDataCount(), 0);
    EXPECT_EQ(top->GetPageMax(), 1);
    Child<TUpDownEdit>(page, "FontSize2Edit")->SetValue(95);
    EXPECT_EQ(top->GetFontSize2(), 95);

    // A face this machine lacks is shown and written back unchanged.
    top->SetFontName2("Fremde Antiqua");
    Show(top);
    EXPECT_EQ(Child<TFontDropDown>(page, "FontNameList2")->GetFontName(), "Fremde Antiqua");
    Child<TUpDownEdit>(page, "DataCountEdit")->SetValue(2);
    EXPECT_EQ(top->GetFontName2(), "Fremde Antiqua");
    EXPECT_EQ(top->GetPageDataCount(), 2);
}

} // namespace
