// The template pages on the shipped layouts over the report database: the data list's style
// values, presets, columns, empty columns and sums; the recipe and menu pages' style values,
// detail block, background picture and their three field lists; each change saved and reloaded.
#include "layout/Preview.h"
#include "layout/Uviewitems.h"
#include "reports/Fvktdatalistproperty.h"
#include "reports/Fvktmenuproperty.h"
#include "reports/Fvktrecipeproperty.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/PresetBuilder.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktmenu.h"
#include "reports/Uvktrecipe.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Uimagecontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "platform/Files.h"
#include "support/ScriptedServices.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QImage>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

namespace {

using vkttest::ReportDatabase;
using F = TVktField;

TContainer* ContainerOf(TViewItem* item) { return dynamic_cast<TContainer*>(item->GetObject()); }

// Selects the item of that id in the field list and presses the button.
void Press(TVktFieldListBox* box, int id, QPushButton* button)
{
    QListWidgetItem* item = box->StateListView->ItemOfId(id);
    ASSERT_NE(item, nullptr) << id;
    box->StateListView->GetListView()->setCurrentItem(item);
    item->setSelected(true);
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    button->click();
}

// A shipped layout loaded into a document bound to the report database, its database container
// listing the ingredients.
class TemplatePropsTest : public testing::Test {
protected:
    void Load(const char* file, int type)
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object());
        path = vkttest::PresetSourceFolder() + "/" + file;
        layout->preview->LoadFromFile(path);
        if (auto* top = dynamic_cast<TVktTopContainer*>(ContainerOf(Item("DataTop"))))
            top->SetFilter(ReportDatabase::FoodFilter());
        TViewItems* items = layout->preview->GetItems();
        for (int i = 0; i < items->GetCount() && !root; ++i) {
            auto* item = static_cast<TViewItem*>(items->GetItem(i));
            if (ContainerOf(item) && ContainerOf(item)->GetType() == type) root = item;
        }
        ASSERT_NE(root, nullptr);
        host.SetPreview(layout->preview.get());
        Show();
    }
    void TearDown() override { host.SetPreview(nullptr); }
    TViewItem* Item(const char* name) const { return layout->preview->GetItems()->ItemOfName(name); }
    void Show()
    {
        layout->preview->SetSelected(nullptr);
        layout->preview->SetSelected(root);
        page = host.GetCurrentPage();
        ASSERT_NE(page, nullptr);
    }
    // The layout saved and loaded again into a new document.
    std::unique_ptr<vkttest::BoundLayout> Reloaded()
    {
        const std::string file = db->Folder() + "/saved.xml";
        layout->preview->SaveToFile(file);
        auto again = std::make_unique<vkttest::BoundLayout>(&db->Object());
        again->preview->LoadFromFile(file);
        return again;
    }
    template <typename T>
    T* Child(const char* name)
    {
        auto* child = page->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void Pick(const char* name, int index)
    {
        auto* list = Child<QComboBox>(name);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
    std::string path;
    TVktItemPropertyEx host;
    TViewItem* root = nullptr;
    TContainerProperty* page = nullptr;
};

std::string Names(const TPreviewFieldStruct& f) { return f.GetName().GetCommaText(); }

TEST_F(TemplatePropsTest, DataListPresetsColumnsAndSums)
{
    Load("FoodList.xml", 8);
    auto* list = dynamic_cast<TVktDataList*>(ContainerOf(root));
    auto* dataPage = dynamic_cast<TVktDataListProperty*>(page);
    ASSERT_NE(dataPage, nullptr);
    TVktFieldListBox* box = dataPage->GetFieldBox();
    EXPECT_EQ(Names(dataPage->GetFields()), Names(list->GetFields()));
    for (QWidget* w : std::initializer_list<QWidget*>{box->BtnShowField, box->BtnHideField, box->BtnColInsert,
                                                      box->FieldWidthEdit, box->CBReturnField})
        EXPECT_FALSE(w->isEnabled()) << "nothing selected";

    Pick("DefFieldList", 3);
    const TPreviewFieldStruct order = list->GetFields();
    ASSERT_EQ(order.GetName().GetCount(), 11);
    EXPECT_EQ(EmptyColumnCount(order), 8);
    EXPECT_EQ(order.GetName().GetItem(0), ToInt(F::Class));
    EXPECT_EQ(order.GetOrder().GetItem(0), 1);
    EXPECT_EQ(list->GetTitle(), "発注表");
    EXPECT_EQ(Child<QLineEdit>("TitleEdit")->text().toStdString(), "発注表");
    int empties = 0;
    for (int row = 0; row < box->StateListView->GetListView()->count(); ++row)
        if (box->StateListView->GetListView()->item(row)->text().toStdString() == "空の列") ++empties;
    EXPECT_EQ(empties, 8);

    // An empty column asked to sort is hidden instead; the preset shown is cleared.
    Press(box, -1, box->BtnAscField);
    EXPECT_EQ(EmptyColumnCount(list->GetFields()), 7);
    EXPECT_EQ(Child<QComboBox>("DefFieldList")->currentIndex(), -1);

    // A field switched on gets 30.0 mm and no break; its width and break are saved.
    Pick("DefFieldList", 0);
    EXPECT_EQ(list->GetTitle(), "食材リスト");
    Press(box, ToInt(F::BuyPrice), box->BtnShowField);
    const TPreviewFieldStruct shown = list->GetFields();
    const int at = shown.GetName().IndexOf(ToInt(F::BuyPrice));
    ASSERT_GE(at, 0);
    EXPECT_EQ(shown.GetWidth().GetItem(at), kNewColumnWidth);
    EXPECT_EQ(shown.GetReturn().GetItem(at), 0);
    box->FieldWidthEdit->SetValue(275);
    box->CBReturnField->click();
    auto* sumField = Child<QComboBox>("CBSumField");
    ASSERT_GE(sumField->findData(ToInt(F::BuyPrice)), 1);
    Pick("CBSumField", sumField->findData(ToInt(F::BuyPrice)));
    EXPECT_EQ(list->GetSumField(), ToInt(F::BuyPrice));

    auto again = Reloaded();
    TViewItems* items = again->preview->GetItems();
    TVktDataList* loaded = nullptr;
    for (int i = 0; i < items->GetCount() && !loaded; ++i)
        loaded = dynamic_cast<TVktDataList*>(ContainerOf(static_cast<TViewItem*>(items->GetItem(i))));
    ASSERT_NE(loaded, nullptr);
    const TPreviewFieldStruct read = loaded->GetFields();
    EXPECT_EQ(Names(read), Names(list->GetFields()));
    EXPECT_EQ(read.GetWidth().GetItem(at), 275);
    EXPECT_EQ(read.GetReturn().GetItem(at), 1);
    EXPECT_EQ(loaded->GetSumField(), ToInt(F::BuyPrice));
    EXPECT_EQ(loaded->GetTitle(), "食材リスト");
}

TEST_F(TemplatePropsTest, DataListStyleValues)
{
    Load("FoodList.xml", 8);
    auto* list = dynamic_cast<TVktDataList*>(ContainerOf(root));
    // Showing the template again writes nothing.
    const std::string file = db->Folder() + "/shown.xml";
    layout->preview->SaveToFile(file);
    const std::string before = platform::ReadFileBytes(file);
    Show();
    layout->preview->SaveToFile(file);
    EXPECT_EQ(platform::ReadFileBytes(file), before);
    Child<TUpDownEdit>("RowHeightEdit")->SetValue(70);
    EXPECT_EQ(list->GetRowHeight(), 70);
    Child<TUpDownEdit>("ParagraphEdit")->SetValue(2);
    EXPECT_EQ(list->GetParagraph(), 2);
    Child<TUpDownEdit>("FontSize2Edit")->SetValue(95);
    EXPECT_EQ(list->GetFontSize2(), 95);
    Pick("NumSjisList", 2);
    EXPECT_EQ(list->GetNumSjis(), 2);
    Pick("FloatTypeList", 1);
    EXPECT_EQ(list->GetFloatType(), TNSFloatType::General);
    for (const char* name : {"CBPageVisible", "CBDateVisible", "CBRowLine", "CBColLine"}) {
        auto* box = Child<QCheckBox>(name);
        box->setChecked(!box->isChecked());
    }
    const bool page = list->GetPageVisible();
    EXPECT_EQ(page, Child<QCheckBox>("CBPageVisible")->isChecked());
    EXPECT_EQ(list->GetRowLine(), Child<QCheckBox>("CBRowLine")->isChecked());
    auto* title = Child<QLineEdit>("TitleEdit");
    title->setText(QString::fromUtf8("和牛の在庫"));
    emit title->editingFinished();
    EXPECT_EQ(list->GetTitle(), "和牛の在庫");
}

// Selects the item of that id on the card's field tab and presses the button.
void PressOnTab(TVktCardFieldTab* tab, int tabIndex, int id, QPushButton* button)
{
    tab->TabControl->setCurrentIndex(tabIndex);
    Press(tab->Fields, id, button);
}

int OrderOf(const TPreviewFieldStruct& fields, F field)
{
    const int at = fields.GetName().IndexOf(ToInt(field));
    return at < 0 ? -1 : fields.GetOrder().GetItem(at);
}

TEST_F(TemplatePropsTest, RecipeStyleDetailAndThreeFieldLists)
{
    Load("Recipe.xml", 9);
    auto* recipe = dynamic_cast<TVktRecipe*>(ContainerOf(root));
    ASSERT_NE(recipe, nullptr);
    const bool detail = recipe->GetDetailEnabled();
    Child<QCheckBox>("CBDetailEnabled")->setChecked(!detail);
    EXPECT_EQ(recipe->GetDetailEnabled(), !detail);
    Child<QCheckBox>("CBDetailEnabled")->setChecked(true);
    Pick("DetailPosList", 1);
    EXPECT_TRUE(recipe->GetDetailPos());
    Pick("DetailPosList", 0);
    EXPECT_FALSE(recipe->GetDetailPos());
    Child<TUpDownEdit>("ImageFixRateEdit")->SetValue(40);
    EXPECT_EQ(recipe->GetImageFixRate(), 40);
    Child<TUpDownEdit>("ImageFixRateEdit")->SetValue(250);
    EXPECT_EQ(Child<TUpDownEdit>("ImageFixRateEdit")->GetValue(), 100) << "a share stays within 1..100";
    Pick("ChartFieldList", 1);
    EXPECT_EQ(recipe->GetChartField(), 1);
    Child<TUpDownEdit>("RowHeightEdit")->SetValue(60);
    EXPECT_EQ(recipe->GetRowHeight(), 60);

    auto* tab = dynamic_cast<TVktRecipeProperty*>(page)->GetFieldTab();
    TVktFieldListBox* box = tab->Fields;
    // On the ingredient rows a sort order hides the field; on the header it sorts the records.
    PressOnTab(tab, 2, ToInt(F::BuyPrice), box->BtnShowField);
    EXPECT_EQ(OrderOf(recipe->GetItemFields(), F::BuyPrice), 0);
    PressOnTab(tab, 2, ToInt(F::BuyPrice), box->BtnAscField);
    EXPECT_EQ(OrderOf(recipe->GetItemFields(), F::BuyPrice), -1);
    PressOnTab(tab, 0, ToInt(F::BuyPrice), box->BtnAscField);
    EXPECT_EQ(OrderOf(recipe->GetHeaderFields(), F::BuyPrice), 1);
    // The footer is written after the header: its state wins in the query.
    PressOnTab(tab, 1, ToInt(F::BuyPrice), box->BtnDescField);
    auto* top = dynamic_cast<TVktTopContainer*>(ContainerOf(Item("DataTop")));
    const TAccessFieldStruct access = top->GetAccessFields();
    const int at = access.GetFields().IndexOf(ToInt(F::BuyPrice));
    ASSERT_GE(at, 0);
    EXPECT_EQ(access.GetOrders().GetItem(at), 2);

    // Each tab keeps its own widths across tab changes and a new show.
    PressOnTab(tab, 0, ToInt(F::BuyPrice), box->BtnShowField);
    box->FieldWidthEdit->SetValue(180);
    tab->TabControl->setCurrentIndex(1);
    EXPECT_EQ(box->FieldWidthEdit->GetValue(), kNewColumnWidth);
    tab->TabControl->setCurrentIndex(0);
    EXPECT_EQ(box->FieldWidthEdit->GetValue(), 180);
    Show();
    const TPreviewFieldStruct header = recipe->GetHeaderFields();
    EXPECT_EQ(header.GetWidth().GetItem(header.GetName().IndexOf(ToInt(F::BuyPrice))), 180);

    auto again = Reloaded();
    TVktRecipe* loaded = nullptr;
    TViewItems* items = again->preview->GetItems();
    for (int i = 0; i < items->GetCount() && !loaded; ++i)
        loaded = dynamic_cast<TVktRecipe*>(ContainerOf(static_cast<TViewItem*>(items->GetItem(i))));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetImageFixRate(), 100);
    EXPECT_EQ(loaded->GetChartField(), 1);
    EXPECT_EQ(OrderOf(loaded->GetFooterFields(), F::BuyPrice), 2);
    EXPECT_EQ(OrderOf(loaded->GetItemFields(), F::BuyPrice), -1);
}

TEST_F(TemplatePropsTest, MenuBackgroundFrameAndFields)
{
    Load("Menu.xml", 10);
    auto* menu = dynamic_cast<TVktMenu*>(ContainerOf(root));
    ASSERT_NE(menu, nullptr);
    auto* background = Child<QCheckBox>("CBImageEnabled");
    background->setChecked(false);
    EXPECT_FALSE(menu->GetImageEnabled());

    // A cancelled dialog changes nothing; a picture loaded switches the background on.
    vkttest::Scripted().files.push_back(std::nullopt);
    Child<QPushButton>("BtnImageLoad")->click();
    EXPECT_FALSE(menu->GetImageEnabled());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const std::string file = db->Folder() + "/washi.bmp";
    ASSERT_TRUE(picture.save(QString::fromStdString(file), "BMP"));
    vkttest::Scripted().files.push_back(file);
    Child<QPushButton>("BtnImageLoad")->click();
    EXPECT_TRUE(menu->GetImageEnabled());
    EXPECT_TRUE(background->isChecked());
    auto* image = dynamic_cast<TImageContainer*>(ContainerOf(Item("Image")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetItemCount(), 1);

    Pick("ImageTypeList", 2);
    EXPECT_EQ(menu->GetImageType(), 2);
    Child<QCheckBox>("CBFrameEnabled")->setChecked(true);
    Pick("FrameTypeList", 2);
    EXPECT_EQ(menu->GetFrameType(), 2);
    Child<TUpDownEdit>("FrameRoundEdit")->SetValue(30);
    EXPECT_EQ(menu->GetFrameRound(), 30);
    auto* inner = dynamic_cast<TGraphicContainer*>(ContainerOf(Item("Graphic2")));
    EXPECT_EQ(inner->GetRoundSize().X, 30 - Item("Graphic2")->GetMMMarginRect_().Top / 10);
    Pick("NumSjisList", 3);
    EXPECT_EQ(menu->GetNumSjis(), 3);

    auto* tab = dynamic_cast<TVktMenuProperty*>(page)->GetFieldTab();
    PressOnTab(tab, 2, ToInt(F::Data2), tab->Fields->BtnShowField);
    EXPECT_EQ(OrderOf(menu->GetItemFields(), F::Data2), 0);
    EXPECT_TRUE(tab->Fields->CBNullField->isEnabled());
}

} // namespace
