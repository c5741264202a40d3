#include "reports/Fvktrecipeproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktrecipe.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

TVktCardFieldTab* AddCardFieldTab(TContainerProperty* page, QVBoxLayout* column)
{
    auto* tab = new TVktCardFieldTab(column->parentWidget());
    column->addWidget(tab, 1);
    FillFieldList(*tab->Fields->StateListView, ListFieldSet);
    tab->OnApply = [page] { page->ApplyAll(); };
    return tab;
}

TVktRecipeProperty::TVktRecipeProperty(QWidget* parent)
    : TVktTemplateProperty(parent, ctVktRecipe, Title | Paragraphs | Colours | Visibles)
{
    setObjectName("VktRecipeProperty");
    QWidget* tab = TabSheet2->parentWidget();
    const auto check = [tab](const char* name, const char* caption) {
        return Named(new QCheckBox(platform::ToQString(caption), tab), name);
    };
    const auto rate = [this, tab](const char* name) {
        return AddStyleRow("サイズ", MakeNumber(tab, name, 1, 1, "%", 1, 100));
    };
    CBDetailEnabled = check("CBDetailEnabled", "詳細表示");
    DetailPosList = MakeList(tab, "DetailPosList", {"右側", "下側"});
    AddStylePair(CBDetailEnabled, DetailPosList);
    DetailFixRateEdit = rate("DetailFixRateEdit");
    CBImageEnabled = check("CBImageEnabled", "イメージ表示");
    CBImageTrim = check("CBImageTrim", "トリミング");
    AddStylePair(CBImageEnabled, CBImageTrim);
    ImageFixRateEdit = rate("ImageFixRateEdit");
    CBChartEnabled = check("CBChartEnabled", "チャート表示");
    ChartFieldList = MakeList(tab, "ChartFieldList", {"名称", "仏名", "インデックス"});
    AddStylePair(CBChartEnabled, ChartFieldList);
    ChartFixRateEdit = rate("ChartFixRateEdit");

    for (QCheckBox* box : {CBDetailEnabled, CBImageEnabled, CBImageTrim, CBChartEnabled})
        connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) { ApplyAll(); }));
    for (QComboBox* list : {DetailPosList, ChartFieldList})
        connect(list, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    for (TUpDownEdit* edit : {DetailFixRateEdit, ImageFixRateEdit, ChartFixRateEdit})
        edit->OnChange = [this](QObject*) { ApplyAll(); };

    FieldTab = AddCardFieldTab(this, AddTab("データ", "ScrollBox3"));
}

void TVktRecipeProperty::GetProperty(TContainer* container)
{
    const Updating updating(*this);
    TFontProperty::GetProperty(container);
    auto* recipe = dynamic_cast<TVktRecipe*>(container);
    if (!recipe) return;
    ShowStyle(StyleOf(*recipe));
    CBDetailEnabled->setChecked(recipe->GetDetailEnabled());
    CBImageEnabled->setChecked(recipe->GetImageEnabled());
    CBImageTrim->setChecked(recipe->GetImageTrim());
    CBChartEnabled->setChecked(recipe->GetChartEnabled());
    DetailFixRateEdit->SetValueQuiet(recipe->GetDetailFixRate());
    ImageFixRateEdit->SetValueQuiet(recipe->GetImageFixRate());
    ChartFixRateEdit->SetValueQuiet(recipe->GetChartFixRate());
    const int field = recipe->GetChartField();
    ChartFieldList->setCurrentIndex(field >= 0 && field <= 2 ? field : 2);
    DetailPosList->setCurrentIndex(recipe->GetDetailPos() ? 1 : 0);
    CBChildVisible->setChecked(recipe->GetChildVisible());
    FieldTab->SetLists(recipe->GetHeaderFields(), recipe->GetFooterFields(), recipe->GetItemFields());
}

void TVktRecipeProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* recipe = dynamic_cast<TVktRecipe*>(container);
    if (!recipe) return;
    const TVktStyleValues style = ReadStyle();
    WriteStyleHead(*recipe, style);
    WriteStyleTail(*recipe, style);
    recipe->SetDetailEnabled(CBDetailEnabled->isChecked());
    recipe->SetImageEnabled(CBImageEnabled->isChecked());
    recipe->SetImageTrim(CBImageTrim->isChecked());
    recipe->SetChartEnabled(CBChartEnabled->isChecked());
    recipe->SetDetailFixRate(DetailFixRateEdit->GetValue());
    recipe->SetImageFixRate(ImageFixRateEdit->GetValue());
    recipe->SetChartFixRate(ChartFixRateEdit->GetValue());
    recipe->SetChartField(std::max(0, ChartFieldList->currentIndex()));
    recipe->SetDetailPos(DetailPosList->currentIndex() == 1);
    recipe->SetHeaderFields(FieldTab->GetHeader());
    recipe->SetFooterFields(FieldTab->GetFooter());
    recipe->SetItemFields(FieldTab->GetItems());
    recipe->SetChildVisible(CBChildVisible->isChecked());
}
