#include "reports/Fvkttopcontainerproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "reports/Fvktdataproperty.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

void TVktFont2Controls::Build(TContainerProperty* page, QWidget* parent, QGridLayout* grid, int row)
{
    FontNameList2 = new TFontDropDown(parent);
    FontNameList2->setObjectName("FontNameList2");
    FontSize2Edit = new TUpDownEdit(parent);
    FontSize2Edit->setObjectName("FontSize2Edit");
    FontSize2Edit->SetLimitType(1);
    FontSize2Edit->SetScale(10);
    FontSize2Edit->SetRange(10, 10);
    FontSize2Edit->SetSuffix("pt");
    FontSize2Edit->SetValueQuiet(10);
    grid->addWidget(new QLabel(platform::ToQString("欧文フォント"), parent), row, 0);
    grid->addWidget(FontNameList2, row, 1);
    grid->addWidget(new QLabel(platform::ToQString("サイズ"), parent), row + 1, 0);
    grid->addWidget(FontSize2Edit, row + 1, 1);
    FontNameList2->OnChange = [page](QObject*) { page->ApplyAll(); };
    FontSize2Edit->OnChange = [page](QObject*) { page->ApplyAll(); };
}

void TVktFont2Controls::Show(const std::string& name, int size)
{
    QComboBox* faces = FontNameList2->GetDropDown();
    const QString face = platform::ToQString(name);
    if (faces->currentText() != face) {
        int index = faces->findText(face);
        if (index < 0 && !face.isEmpty()) {
            faces->addItem(face);
            index = faces->count() - 1;
        }
        faces->setCurrentIndex(index);
    }
    if (FontSize2Edit->GetValue() != size) FontSize2Edit->SetValueQuiet(size);
}

std::string TVktFont2Controls::GetName() const { return FontNameList2->GetFontName(); }
int TVktFont2Controls::GetSize() const { return FontSize2Edit->GetValue(); }

TVktTopContainerProperty::TVktTopContainerProperty(QWidget* parent) : TFontProperty(parent)
{
    setObjectName("VktTopContainerProperty");
    SetPageType(ctVktBaseContainer);
    HideGroupOf(RBNoSelPage);
    TextAlign->hide();
    QVBoxLayout* column = AddTab("データ", "ScrollBox3");
    QWidget* tab = column->parentWidget();
    Splitter = Named(new QSplitter(Qt::Horizontal, tab), "Splitter");
    StateListView = Named(new TStateListView(Splitter), "StateListView");
    StateListView->SetImages(SortStateImages(false));
    StateListView->setMinimumHeight(220);
    auto* controls = new QWidget(Splitter);
    auto* buttons = new QVBoxLayout(controls);
    const auto button = [controls, buttons](const char* name, const char* caption) {
        auto* b = Named(new QPushButton(platform::ToQString(caption), controls), name);
        b->setEnabled(false);
        buttons->addWidget(b);
        return b;
    };
    BtnUpField = button("BtnUpField", "上に");
    BtnDownField = button("BtnDownField", "下に");
    BtnFieldAsc = button("BtnFieldAsc", "昇順でソート");
    BtnFieldDesc = button("BtnFieldDesc", "降順でソート");
    BtnFieldShow = button("BtnFieldShow", "ソート無し");
    buttons->addStretch(1);
    Splitter->setStretchFactor(0, 1);
    Splitter->setHandleWidth(6);
    column->addWidget(Splitter, 1);

    auto* grid = new QGridLayout;
    DataCountEdit = MakeNumber(tab, "DataCountEdit", 1, 1, "", 0, 0);
    grid->addWidget(new QLabel(platform::ToQString("１ページのデータ数"), tab), 0, 0);
    grid->addWidget(DataCountEdit, 0, 1);
    Font2.Build(this, tab, grid, 1);
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);

    StateListView->OnChange = [this](QObject*) { platform::Guard([this] { FieldsChange(); }); };
    connect(StateListView->GetListView(), &QListWidget::itemSelectionChanged, this,
            platform::Guarded([this] { FieldsChange(); }));
    connect(BtnUpField, &QPushButton::clicked, this, platform::Guarded([this](bool) { StateListView->MoveUp(); }));
    connect(BtnDownField, &QPushButton::clicked, this,
            platform::Guarded([this](bool) { StateListView->MoveDown(); }));
    int image = 0;
    for (QPushButton* b : {BtnFieldShow, BtnFieldAsc, BtnFieldDesc}) {
        connect(b, &QPushButton::clicked, this,
                platform::Guarded([this, image](bool) { StateListView->SetSelectedState(image); }));
        ++image;
    }
    DataCountEdit->OnChange = [this](QObject*) { ApplyAll(); };
}

TAccessFieldStruct TVktTopContainerProperty::GetAccessFields() const { return AccessOfStates(ReadStates(*StateListView)); }

void TVktTopContainerProperty::SetAccessFields(const TAccessFieldStruct& fields)
{
    if (!(fields != GetAccessFields())) return;
    accessFields_ = fields;
    WriteStates(*StateListView, StatesOfAccess(fields));
}

int TVktTopContainerProperty::GetDataCount() const { return DataCountEdit->GetValue(); }

void TVktTopContainerProperty::FieldsChange()
{
    const QListWidget* view = StateListView->GetListView();
    const QListWidgetItem* item = view->currentItem();
    const bool selected = item && item->isSelected();
    const int position = selected ? TStateListView::GetItemPosition(item) : -1;
    for (QPushButton* b : {BtnFieldShow, BtnFieldAsc, BtnFieldDesc}) b->setEnabled(selected);
    BtnUpField->setEnabled(selected && position > 0);
    BtnDownField->setEnabled(selected && position < view->count() - 1);
    const TAccessFieldStruct fields = GetAccessFields();
    if (fields != accessFields_) {
        accessFields_ = fields;
        ApplyAll();
    }
}

void TVktTopContainerProperty::GetProperty(TContainer* container)
{
    FillFieldList(*StateListView, ListFieldSet);
    const Updating updating(*this);
    TFontProperty::GetProperty(container);
    auto* top = dynamic_cast<TVktTopContainer*>(container);
    if (!top) return;
    if (DataCountEdit->GetValue() != top->GetPageDataCount()) DataCountEdit->SetValueQuiet(top->GetPageDataCount());
    SetAccessFields(top->GetAccessFields());
    Font2.Show(top->GetFontName2(), top->GetFontSize2());
}

void TVktTopContainerProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* top = dynamic_cast<TVktTopContainer*>(container);
    if (!top) return;
    top->SetPageDataCount(DataCountEdit->GetValue());
    accessFields_ = GetAccessFields();
    top->SetAccessFields(accessFields_);
    const std::string face = Font2.GetName();
    if (!face.empty()) top->SetFontName2(face);
    top->SetFontSize2(Font2.GetSize());
}
