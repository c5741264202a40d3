// The data grid's page on a grid under a database container: columns shown, hidden, moved and
// inserted empty, their widths and breaks across a write and a new show, the sum lists, the
// number formats, and the page view's text after each change.
#include "layout/Preview.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Fvktgridproperty.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/Fvkttopcontainerproperty.h"
#include "reports/PrintSupport.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using vkttest::ReportDatabase;
using F = TVktField;

std::string Names(const TPreviewFieldStruct& f) { return f.GetName().GetCommaText(); }
std::string Widths(const TPreviewFieldStruct& f) { return f.GetWidth().GetCommaText(); }

class VktGridPropsTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object());
        top = layout->Add<TVktTopContainer>(11, nullptr);
        top->SetFilter(ReportDatabase::FoodFilter());
        top->SetPageDataCount(0);   // one list over the pages
        top->GetViewItem()->SetMMBoundRect_({1000, 1000, 19000, 27000});
        grid = layout->Add<TVktGridContainer>(16, top);
        grid->GetViewItem()->SetMMBoundRect_({1000, 1000, 19000, 27000});
        host.SetPreview(layout->preview.get());
        Show();
        box = page->GetFieldBox();
    }
    void TearDown() override { host.SetPreview(nullptr); }
    void Show()
    {
        layout->preview->SetSelected(nullptr);
        layout->preview->SetSelected(grid->GetViewItem());
        page = dynamic_cast<TVktGridProperty*>(host.GetCurrentPage());
        ASSERT_NE(page, nullptr);
    }
    // Selects the item of that id and presses the button.
    void Press(int id, QPushButton* button)
    {
        QListWidgetItem* item = box->StateListView->ItemOfId(id);
        ASSERT_NE(item, nullptr) << id;
        box->StateListView->GetListView()->setCurrentItem(item);
        item->setSelected(true);
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        button->click();
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
    TVktItemPropertyEx host;
    TVktTopContainer* top = nullptr;
    TVktGridContainer* grid = nullptr;
    TVktGridProperty* page = nullptr;
    TVktFieldListBox* box = nullptr;
};

TEST_F(VktGridPropsTest, ColumnsShownHiddenAndEmpty)
{
    EXPECT_EQ(ReadStates(*box->StateListView).Ids.GetCount(), 0) << "a new grid shows no field";
    for (QWidget* w : std::initializer_list<QWidget*>{box->BtnShowField, box->BtnHideField, box->BtnUpField,
                                                      box->FieldWidthEdit, box->CBReturnField})
        EXPECT_FALSE(w->isEnabled());

    const int name = ToInt(F::Data);
    Press(name, box->BtnShowField);
    EXPECT_EQ(Names(grid->GetPreviewFields()), std::to_string(name));
    EXPECT_EQ(Widths(grid->GetPreviewFields()), "300") << "a newly shown field is visible";
    EXPECT_NE(layout->Dump(1).find("食材01"), std::string::npos);
    Press(name, box->BtnColInsert);
    EXPECT_EQ(Names(grid->GetPreviewFields()), "0," + std::to_string(name)) << "inserted at the selection";
    // Nothing shown selected: a second empty column goes after the last column.
    Press(ToInt(F::BuyPrice), box->BtnColInsert);
    EXPECT_EQ(Names(grid->GetPreviewFields()), "0," + std::to_string(name) + ",0");

    // Each empty column keeps its own width across a write and a new show.
    Press(-2, box->BtnShowField);
    box->FieldWidthEdit->SetValue(120);
    Press(-1, box->BtnShowField);
    box->FieldWidthEdit->SetValue(80);
    box->CBReturnField->click();
    EXPECT_EQ(Widths(grid->GetPreviewFields()), "80,300,120");
    EXPECT_EQ(grid->GetPreviewFields().GetReturn().GetCommaText(), "1,0,0");
    layout->preview->SetSelected(top->GetViewItem());
    Show();
    EXPECT_EQ(Widths(grid->GetPreviewFields()), "80,300,120");
    EXPECT_EQ(page->GetStoredFields().GetWidth().GetCommaText(), "80,300,120");
    Press(-2, box->BtnUpField);
    EXPECT_EQ(Names(grid->GetPreviewFields()), "0,0," + std::to_string(name));
    EXPECT_EQ(Widths(grid->GetPreviewFields()), "80,120,300") << "moved with its width";

    // Hiding drops the column but keeps the item.
    Press(name, box->BtnHideField);
    EXPECT_EQ(Names(grid->GetPreviewFields()), "0,0");
    EXPECT_NE(box->StateListView->ItemOfId(name), nullptr);
    EXPECT_FALSE(box->FieldWidthEdit->isEnabled() && box->SelectedShown());
}

TEST_F(VktGridPropsTest, SumsAndNumberFormats)
{
    const int name = ToInt(F::Data);
    const int price = ToInt(F::BuyPrice);
    Press(name, box->BtnShowField);
    Press(price, box->BtnShowField);
    auto* sumField = page->findChild<QComboBox*>("CBSumField");
    auto* sumClass = page->findChild<QComboBox*>("CBSumClass");
    ASSERT_EQ(sumField->count(), 2);
    EXPECT_EQ(sumField->itemText(0).toStdString(), "(なし)");
    EXPECT_EQ(sumField->itemData(1).toInt(), price);
    ASSERT_EQ(sumClass->count(), 2);
    EXPECT_EQ(sumClass->itemData(1).toInt(), name);
    sumField->setCurrentIndex(1);
    emit sumField->activated(1);
    EXPECT_EQ(grid->GetSumField(), price);

    // Another column change keeps a sum field that is still a column.
    Press(ToInt(F::Class), box->BtnShowField);
    EXPECT_EQ(grid->GetSumField(), price);
    Press(price, box->BtnHideField);
    EXPECT_EQ(grid->GetSumField(), 0);

    auto* numbers = page->findChild<QComboBox*>("NumSjisList");
    numbers->setCurrentIndex(1);
    emit numbers->activated(1);
    EXPECT_EQ(grid->GetNumSjis(), 1);
    auto* floats = page->findChild<QComboBox*>("FloatTypeList");
    floats->setCurrentIndex(2);
    emit floats->activated(2);
    EXPECT_EQ(grid->GetFloatType(), TNSFloatType::Ceiling);
    page->findChild<QCheckBox*>("CBRowExpand")->setChecked(true);
    EXPECT_TRUE(grid->GetRowExpand());
    Show();
    EXPECT_EQ(numbers->currentIndex(), 1);
    EXPECT_EQ(floats->currentIndex(), 2);
}

TEST_F(VktGridPropsTest, ChangesShowInThePrintedPage)
{
    const std::string pdf = db->Folder() + "/grid.pdf";
    const auto printed = [&] {
        layout->preview->SaveToEMF(pdf);
        return vkttest::PdfPageText(pdf, 1);
    };
    Press(ToInt(F::Data), box->BtnShowField);
    Press(ToInt(F::BuyPrice), box->BtnShowField);
    auto* sumField = page->findChild<QComboBox*>("CBSumField");
    sumField->setCurrentIndex(1);
    emit sumField->activated(1);
    std::string text = printed();
    EXPECT_NE(text.find("食材01"), std::string::npos) << text;
    EXPECT_NE(text.find("食材11"), std::string::npos) << text;
    EXPECT_NE(text.find(vkttest::Money(platform::Currency::FromDouble(6600))), std::string::npos) << text;

    Press(ToInt(F::Data), box->BtnHideField);
    text = printed();
    EXPECT_EQ(text.find("食材01"), std::string::npos) << text;
    EXPECT_NE(text.find(vkttest::Money(platform::Currency::FromDouble(1100))), std::string::npos) << text;

    // Records per page on the database container's page: the page count follows.
    layout->preview->SetSelected(top->GetViewItem());
    TContainerProperty* topPage = host.GetCurrentPage();
    ASSERT_NE(topPage, nullptr);
    topPage->findChild<TUpDownEdit*>("DataCountEdit")->SetValue(4);
    EXPECT_EQ(layout->preview->GetPageMax(), 3);
    text = printed();
    EXPECT_NE(text.find("¥400"), std::string::npos) << text;
    EXPECT_EQ(text.find("¥500"), std::string::npos) << "four records a page: " << text;
}

} // namespace
