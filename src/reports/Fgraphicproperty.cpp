#include "reports/Fgraphicproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Uviewitems.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kRounded = 2;
constexpr int kArrow = 10;

} // namespace

TGraphicProperty::TGraphicProperty(QWidget* parent) : TContainerProperty(parent)
{
    setObjectName("GraphicProperty");
    SetPageType(ctGraphic);
    QVBoxLayout* column = AddTab("グラフィック", "ScrollBox2");
    QWidget* tab = column->parentWidget();
    GraphicTypeList = MakeList(tab, "GraphicTypeList",
                               {"四角形", "楕円形", "四角形（角丸）", "上下罫線", "左右罫線", "左端線", "上端線",
                                "右端線", "下端線", "菱形", "矢印"});
    PenColorList = Named(new TColorDropDown(tab), "PenColorList");
    LineWidthEdit = MakeNumber(tab, "LineWidthEdit", 1, 10, "mm", 0, 0);
    CBFillInner = Named(new QCheckBox(platform::ToQString("中を塗りつぶす"), tab), "CBFillInner");
    BrushColorList = Named(new TColorDropDown(tab), "BrushColorList");
    LabelRoundX = Named(new QLabel(QStringLiteral("X"), tab), "LabelRoundX");
    RoundXEdit = MakeNumber(tab, "RoundXEdit", 1, 10, "mm", 0, 0);
    LabelRoundY = Named(new QLabel(QStringLiteral("Y"), tab), "LabelRoundY");
    RoundYEdit = MakeNumber(tab, "RoundYEdit", 1, 10, "mm", 0, 0);
    LabelArrowAngle = Named(new QLabel(platform::ToQString("方向"), tab), "LabelArrowAngle");
    ArrowAngleEdit = MakeNumber(tab, "ArrowAngleEdit", 1, 10, "°", 0, 3600);
    ArrowAngleTrack = Named(new QSlider(Qt::Horizontal, tab), "ArrowAngleTrack");
    ArrowAngleTrack->setRange(0, 3600);
    ArrowAngleTrack->setSingleStep(10);
    ArrowAngleTrack->setPageStep(100);
    ArrowAngleTrack->setTickInterval(360);
    ArrowAngleTrack->setTickPosition(QSlider::TicksBelow);
    LabelArrowWidth = Named(new QLabel(platform::ToQString("矢の幅"), tab), "LabelArrowWidth");
    ArrowWidthEdit = MakeNumber(tab, "ArrowWidthEdit", 1, 10, "mm", 0, 0);
    CBMasking = Named(new QCheckBox(platform::ToQString("マスキング"), tab), "CBMasking");

    auto* grid = new QGridLayout;
    const auto label = [tab](const char* text) { return new QLabel(platform::ToQString(text), tab); };
    grid->addWidget(label("図形"), 0, 0);
    grid->addWidget(GraphicTypeList, 0, 1, 1, 3);
    grid->addWidget(label("線色"), 1, 0);
    grid->addWidget(PenColorList, 1, 1);
    grid->addWidget(label("線幅"), 1, 2);
    grid->addWidget(LineWidthEdit, 1, 3);
    grid->addWidget(CBFillInner, 2, 0, 1, 2);
    grid->addWidget(BrushColorList, 2, 2, 1, 2);
    grid->addWidget(LabelRoundX, 3, 0);
    grid->addWidget(RoundXEdit, 3, 1);
    grid->addWidget(LabelRoundY, 3, 2);
    grid->addWidget(RoundYEdit, 3, 3);
    grid->addWidget(LabelArrowAngle, 4, 0);
    grid->addWidget(ArrowAngleEdit, 4, 1);
    grid->addWidget(ArrowAngleTrack, 4, 2, 1, 2);
    grid->addWidget(LabelArrowWidth, 5, 0);
    grid->addWidget(ArrowWidthEdit, 5, 1);
    grid->addWidget(CBMasking, 6, 0, 1, 2);
    grid->setColumnStretch(3, 1);
    column->addLayout(grid);
    column->addStretch(1);

    connect(GraphicTypeList, &QComboBox::activated, this, platform::Guarded([this](int) { GraphicTypeListChange(); }));
    connect(CBFillInner, &QCheckBox::toggled, this, platform::Guarded([this](bool) { PropertyChange(); }));
    connect(CBMasking, &QCheckBox::toggled, this, platform::Guarded([this](bool) { PropertyChange(); }));
    connect(ArrowAngleTrack, &QSlider::valueChanged, this,
            platform::Guarded([this](int) { ArrowAngleTrackChange(); }));
    for (TColorDropDown* list : {PenColorList, BrushColorList}) list->OnChange = [this](QObject*) { ApplyAll(); };
    for (TUpDownEdit* edit : {LineWidthEdit, RoundXEdit, RoundYEdit, ArrowWidthEdit})
        edit->OnChange = [this](QObject*) { ApplyAll(); };
    ArrowAngleEdit->OnChange = [this](QObject*) { ArrowAngleEditChange(); };
    EnableShapeControls();
}

void TGraphicProperty::EnableShapeControls()
{
    const int type = GraphicTypeList->currentIndex();
    const bool round = type == kRounded || type == kArrow;
    for (QWidget* w : std::initializer_list<QWidget*>{LabelRoundX, LabelRoundY, RoundXEdit, RoundYEdit})
        w->setEnabled(round);
    const bool arrow = type == kArrow;
    for (QWidget* w : std::initializer_list<QWidget*>{LabelArrowWidth, LabelArrowAngle, ArrowWidthEdit, ArrowAngleEdit,
                                                      ArrowAngleTrack})
        w->setEnabled(arrow);
    ArrowAngleTrack->setVisible(arrow);
}

void TGraphicProperty::GraphicTypeListChange()
{
    TViewItem* item = GetViewItem();
    const int type = GraphicTypeList->currentIndex();
    if (item && (type == kRounded || type == kArrow)) {
        const int width = item->GetMMWidth_();
        const int height = item->GetMMHeight_();
        const QScopedValueRollback<bool> quiet(updating_, true);
        RoundXEdit->SetValueQuiet(type == kRounded ? std::max(width, height) / 50 : width / 50);
        RoundYEdit->SetValueQuiet(type == kRounded ? std::max(width, height) / 50 : height / 50);
    }
    EnableShapeControls();
    PropertyChange();
}

void TGraphicProperty::PropertyChange()
{
    if (!updating_) ApplyAll();
}

void TGraphicProperty::ArrowAngleTrackChange()
{
    // The angle edit catches up when the item is shown again.
    if (updating_) return;
    {
        const QScopedValueRollback<bool> quiet(updating_, true);
        ArrowAngleEdit->SetValueQuiet(ArrowAngleTrack->value());
    }
    ApplyAll();
}

void TGraphicProperty::ArrowAngleEditChange()
{
    if (updating_) return;
    {
        const QSignalBlocker quiet(ArrowAngleTrack);
        ArrowAngleTrack->setValue(ArrowAngleEdit->GetValue());
    }
    ApplyAll();
}

void TGraphicProperty::GetProperty(TContainer* container)
{
    auto* graphic = dynamic_cast<TGraphicContainer*>(container);
    if (!graphic) return;
    const QScopedValueRollback<bool> quiet(updating_, true);
    GraphicTypeList->setCurrentIndex(graphic->GetGraphicType());
    EnableShapeControls();
    RoundXEdit->SetValueQuiet(graphic->GetRoundSize().X);
    RoundYEdit->SetValueQuiet(graphic->GetRoundSize().Y);
    LineWidthEdit->SetValueQuiet(graphic->GetLineWidth());
    ArrowWidthEdit->SetValueQuiet(graphic->GetArrowWidth());
    ArrowAngleEdit->SetValueQuiet(graphic->GetArrowAngle());
    {
        const QSignalBlocker blocker(ArrowAngleTrack);
        ArrowAngleTrack->setValue(graphic->GetArrowAngle());
    }
    PenColorList->SetColor(graphic->GetPenColor());
    const TColor brush = graphic->GetBrushColor();
    CBFillInner->setChecked(brush != -1);
    BrushColorList->SetColor(brush == -1 ? 0xFFFFFF : brush);
    CBMasking->setChecked(graphic->GetMasking());
}

void TGraphicProperty::SetProperty(TContainer* container)
{
    auto* graphic = dynamic_cast<TGraphicContainer*>(container);
    if (!graphic) return;
    const int type = GraphicTypeList->currentIndex();
    graphic->SetGraphicType(type);
    TPoint round{0, 0};
    if (type == kRounded) {
        // Corners at most a twentieth of the side.
        const TViewItem* item = GetViewItem();
        const QScopedValueRollback<bool> quiet(updating_, true);
        if (RoundXEdit->GetValue() * 20 > item->GetMMWidth_()) RoundXEdit->SetValueQuiet(item->GetMMWidth_() / 20);
        if (RoundYEdit->GetValue() * 20 > item->GetMMHeight_()) RoundYEdit->SetValueQuiet(item->GetMMHeight_() / 20);
        round = {RoundXEdit->GetValue(), RoundYEdit->GetValue()};
    } else if (type == kArrow) {
        round = {RoundXEdit->GetValue(), RoundYEdit->GetValue()};
    }
    graphic->SetRoundSize(round);
    graphic->SetLineWidth(LineWidthEdit->GetValue());
    graphic->SetArrowWidth(ArrowWidthEdit->GetValue());
    graphic->SetArrowAngle(ArrowAngleTrack->value());
    graphic->SetPenColor(PenColorList->GetColor());
    graphic->SetBrushColor(CBFillInner->isChecked() ? BrushColorList->GetColor() : -1);
    graphic->SetMasking(CBMasking->isChecked());
}
