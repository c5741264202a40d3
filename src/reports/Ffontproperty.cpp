#include "reports/Ffontproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "layout/Ucontainer.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QCheckBox* StyleBox(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(platform::ToQString(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TFontProperty::TFontProperty(QWidget* parent) : TContainerProperty(parent)
{
    setObjectName("FontProperty");
    TabSheet2 = AddTab("テキスト", "ScrollBox2");
    QWidget* tab = TabSheet2->parentWidget();
    CBParentFont = StyleBox(tab, "CBParentFont", "親のフォントに合わせる");
    FontNameList = new TFontDropDown(tab);
    FontNameList->setObjectName("FontNameList");
    FontSizeEdit = MakeNumber(tab, "FontSizeEdit", 1, 10, "pt", 10, 10);
    FontColorList = new TColorDropDown(tab);
    FontColorList->setObjectName("FontColorList");
    CBBold = StyleBox(tab, "CBBold", "太字");
    CBItalic = StyleBox(tab, "CBItalic", "斜体");
    CBUnderLine = StyleBox(tab, "CBUnderLine", "下線");
    CBStrike = StyleBox(tab, "CBStrike", "取り消し線");
    TextAlign = MakeList(tab, "TextAlign", {"左上", "上", "右上", "左", "中心", "右", "左下", "下", "右下"});

    auto* grid = new QGridLayout;
    grid->addWidget(CBParentFont, 0, 0, 1, 4);
    grid->addWidget(FontNameList, 1, 0, 1, 4);
    auto* label12 = new QLabel(platform::ToQString("サイズ"), tab);
    label12->setObjectName("Label12");
    auto* label11 = new QLabel(platform::ToQString("色"), tab);
    label11->setObjectName("Label11");
    grid->addWidget(label12, 2, 0);
    grid->addWidget(FontSizeEdit, 2, 1);
    grid->addWidget(label11, 2, 2);
    grid->addWidget(FontColorList, 2, 3);
    grid->addWidget(CBBold, 3, 0);
    grid->addWidget(CBItalic, 3, 1);
    grid->addWidget(CBUnderLine, 3, 2);
    grid->addWidget(CBStrike, 3, 3);
    grid->addWidget(TextAlign, 4, 0, 1, 2);
    grid->setColumnStretch(3, 1);
    TabSheet2->addLayout(grid);
    TabSheet2->addStretch(1);

    FontNameList->OnChange = [this](QObject*) { ApplyAll(); };
    FontSizeEdit->OnChange = [this](QObject*) { ApplyAll(); };
    FontColorList->OnChange = [this](QObject*) { ApplyAll(); };
    for (QCheckBox* box : {CBBold, CBItalic, CBUnderLine, CBStrike})
        connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBClick(); }));
    connect(CBParentFont, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBParentFontClick(); }));
    connect(TextAlign, &QComboBox::activated, this, platform::Guarded([this](int) { TextAlignChange(); }));
}

void TFontProperty::SetHorzAlign(std::uint8_t value)
{
    if (value == horzAlign_) return;
    horzAlign_ = value;
    TextAlign->setCurrentIndex(vertAlign_ * 3 + horzAlign_);
}

void TFontProperty::SetVertAlign(std::uint8_t value)
{
    if (value == vertAlign_) return;
    vertAlign_ = value;
    TextAlign->setCurrentIndex(vertAlign_ * 3 + horzAlign_);
}

void TFontProperty::TextAlignChange()
{
    const int index = std::max(TextAlign->currentIndex(), 0);
    horzAlign_ = static_cast<std::uint8_t>(index % 3);
    vertAlign_ = static_cast<std::uint8_t>(index / 3);
    ApplyAll();
}

void TFontProperty::CBClick()
{
    if (!GetUpdating()) ApplyAll();
}

void TFontProperty::CBParentFontClick()
{
    TContainer* container = GetContainer();
    if (!container || GetUpdating()) return;
    container->SetParentFont(CBParentFont->isChecked());
    const Updating updating(*this);
    ShowFont(container);
}

void TFontProperty::ShowFont(TContainer* container)
{
    CBParentFont->setChecked(container->GetParentFont());
    QComboBox* faces = FontNameList->GetDropDown();
    const QString face = platform::ToQString(container->GetFontName());
    if (faces->currentText() != face) {
        int index = faces->findText(face);
        if (index < 0 && !face.isEmpty()) {
            // A face this machine lacks stays the container's own.
            faces->addItem(face);
            index = faces->count() - 1;
        }
        faces->setCurrentIndex(index);
    }
    if (FontSizeEdit->GetValue() != container->GetFontSize()) FontSizeEdit->SetValueQuiet(container->GetFontSize());
    const TFontStyles styles = container->GetFontStyles();
    CBBold->setChecked(styles.Contains(fsBold));
    CBItalic->setChecked(styles.Contains(fsItalic));
    CBUnderLine->setChecked(styles.Contains(fsUnderline));
    CBStrike->setChecked(styles.Contains(fsStrikeOut));
    if (FontColorList->GetColor() != container->GetFontColor()) FontColorList->SetColor(container->GetFontColor());
}

void TFontProperty::GetProperty(TContainer* container)
{
    const Updating updating(*this);
    ShowFont(container);
}

void TFontProperty::SetProperty(TContainer* container)
{
    const std::string face = FontNameList->GetFontName();
    if (!face.empty()) container->SetFontName(face);
    container->SetFontSize(FontSizeEdit->GetValue());
    TFontStyles styles;
    if (CBBold->isChecked()) styles << fsBold;
    if (CBItalic->isChecked()) styles << fsItalic;
    if (CBUnderLine->isChecked()) styles << fsUnderline;
    if (CBStrike->isChecked()) styles << fsStrikeOut;
    container->SetFontStyles(styles);
    container->SetFontColor(FontColorList->GetColor());
}

TFontProperty2::TFontProperty2(QWidget* parent) : TFontProperty(parent)
{
    setObjectName("FontProperty2");
    SetPageType(ctContainer);
}
