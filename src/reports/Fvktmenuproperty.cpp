#include "reports/Fvktmenuproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "reports/Fimageproperty.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Fvktrecipeproperty.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktmenu.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Imageview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TVktMenuProperty::TVktMenuProperty(QWidget* parent) : TVktTemplateProperty(parent, ctVktMenu, Formats)
{
    setObjectName("VktMenuProperty");
    QWidget* tab = TabSheet2->parentWidget();
    CBImageEnabled = Named(new QCheckBox(platform::ToQString("背景表示"), tab), "CBImageEnabled");
    BtnImageLoad = Named(new QPushButton(platform::ToQString("読み込み"), tab), "BtnImageLoad");
    CBImageTrim = Named(new QCheckBox(platform::ToQString("トリミング"), tab), "CBImageTrim");
    ImageTypeList =
        MakeList(tab, "ImageTypeList", {"全体に表示", "等比", "等比(センター)", "等比(右下)", "並べて表示"});
    CBFrameEnabled = Named(new QCheckBox(platform::ToQString("フレーム表示"), tab), "CBFrameEnabled");
    FrameTypeList = MakeList(tab, "FrameTypeList", {"四角形", "楕円形", "四角形（角丸）"});
    FrameRoundEdit = MakeNumber(tab, "FrameRoundEdit", 1, 10, "mm", 0, 0);
    FrameColorList = Named(new TColorDropDown(tab), "FrameColorList");
    AddStylePair(CBImageEnabled, BtnImageLoad);
    AddStylePair(CBImageTrim, ImageTypeList);
    AddStylePair(CBFrameEnabled, FrameTypeList);
    AddStyleRow("半径", FrameRoundEdit);
    AddStyleRow("色", FrameColorList);

    for (QCheckBox* box : {CBImageEnabled, CBImageTrim, CBFrameEnabled})
        connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) { ApplyAll(); }));
    for (QComboBox* list : {ImageTypeList, FrameTypeList})
        connect(list, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    FrameRoundEdit->OnChange = [this](QObject*) { ApplyAll(); };
    FrameColorList->OnChange = [this](QObject*) { ApplyAll(); };
    connect(BtnImageLoad, &QPushButton::clicked, this, platform::Guarded([this](bool) { BtnImageLoadClick(); }));

    FieldTab = AddCardFieldTab(this, AddTab("データ", "ScrollBox3"));
}

std::optional<std::string> TVktMenuProperty::PickPicture()
{
    return platform::Services().OpenFile("イメージ読み込み", TImageProperty::kPictureFilter, {}, {});
}

void TVktMenuProperty::BtnImageLoadClick()
{
    auto* menu = dynamic_cast<TVktMenu*>(GetContainer());
    if (!menu) return;
    const std::optional<std::string> file = PickPicture();
    if (!file) return;
    menu->LoadFromFile(*file);
    TellUndrawablePicture(menu->GetImageData(), *this);
    if (CBImageEnabled->isChecked())
        ApplyAll();
    else
        CBImageEnabled->setChecked(true);
}

void TVktMenuProperty::GetProperty(TContainer* container)
{
    const Updating updating(*this);
    TFontProperty::GetProperty(container);
    auto* menu = dynamic_cast<TVktMenu*>(container);
    if (!menu) return;
    Font2.Show(menu->GetFontName2(), menu->GetFontSize2());
    if (RowHeightEdit->GetValue() != menu->GetRowHeight()) RowHeightEdit->SetValueQuiet(menu->GetRowHeight());
    if (ColGapEdit->GetValue() != menu->GetColGap()) ColGapEdit->SetValueQuiet(menu->GetColGap());
    NumSjisList->setCurrentIndex(menu->GetNumSjis());
    ImageTypeList->setCurrentIndex(menu->GetImageType());
    FrameTypeList->setCurrentIndex(menu->GetFrameType());
    CBImageEnabled->setChecked(menu->GetImageEnabled());
    CBFrameEnabled->setChecked(menu->GetFrameEnabled());
    CBImageTrim->setChecked(menu->GetImageTrim());
    if (FrameColorList->GetColor() != menu->GetFrameColor()) FrameColorList->SetColor(menu->GetFrameColor());
    if (FrameRoundEdit->GetValue() != menu->GetFrameRound()) FrameRoundEdit->SetValueQuiet(menu->GetFrameRound());
    CBChildVisible->setChecked(menu->GetChildVisible());
    FieldTab->SetLists(menu->GetHeaderFields(), menu->GetFooterFields(), menu->GetItemFields());
}

void TVktMenuProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* menu = dynamic_cast<TVktMenu*>(container);
    if (!menu) return;
    const std::string face = Font2.GetName();
    if (!face.empty()) menu->SetFontName2(face);
    menu->SetFontSize2(Font2.GetSize());
    menu->SetRowHeight(RowHeightEdit->GetValue());
    menu->SetColGap(ColGapEdit->GetValue());
    menu->SetNumSjis(std::max(0, NumSjisList->currentIndex()));
    menu->SetImageType(std::max(0, ImageTypeList->currentIndex()));
    menu->SetFrameType(std::max(0, FrameTypeList->currentIndex()));
    menu->SetImageEnabled(CBImageEnabled->isChecked());
    menu->SetFrameEnabled(CBFrameEnabled->isChecked());
    menu->SetImageTrim(CBImageTrim->isChecked());
    menu->SetFrameColor(FrameColorList->GetColor());
    menu->SetFrameRound(FrameRoundEdit->GetValue());
    menu->SetHeaderFields(FieldTab->GetHeader());
    menu->SetFooterFields(FieldTab->GetFooter());
    menu->SetItemFields(FieldTab->GetItems());
    menu->SetChildVisible(CBChildVisible->isChecked());
}
