#include "reports/Fcontainerproperty.h"

#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "layout/Ucontainer.h"
#include "layout/Uviewitems.h"
#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <vector>

// The tool bar's glyphs, compiled into the library.
static QIcon LayoutPropIcon(int index)
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(reports);
        return true;
    }();
    (void)registered;
    return platform::ProgramIcons("layoutprops").Icon(index);
}

namespace {

QLabel* Caption(QWidget* parent, const char* text) { return new QLabel(platform::ToQString(text), parent); }

// The container's update bracket.
class ContainerUpdate {
public:
    explicit ContainerUpdate(TContainer& container) : container_(container) { container_.BeginUpdate(); }
    ~ContainerUpdate() noexcept(false) { container_.EndUpdate(); }
    ContainerUpdate(const ContainerUpdate&) = delete;
    ContainerUpdate& operator=(const ContainerUpdate&) = delete;

private:
    TContainer& container_;
};

void ShowValue(TUpDownEdit* edit, int value)
{
    if (edit->GetValue() != value) edit->SetValueQuiet(value);
}

} // namespace

TContainerProperty::TContainerProperty(QWidget* parent) : QFrame(parent)
{
    setObjectName("ContainerProperty");
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    PageControl = Named(new QTabWidget(this), "PageControl");
    box->addWidget(PageControl);
    BuildActions();
    BuildContainerTab();
}

TContainerProperty::~TContainerProperty() = default;

TUpDownEdit* TContainerProperty::MakeNumber(QWidget* parent, const char* name, int limitType, int scale,
                                            const char* suffix, int min, int max)
{
    auto* edit = Named(new TUpDownEdit(parent), name);
    edit->SetLimitType(limitType);
    if (scale != 1) edit->SetScale(scale);
    edit->SetRange(min, max);
    edit->SetSuffix(suffix);
    edit->SetValueQuiet(min);
    return edit;
}

QComboBox* TContainerProperty::MakeList(QWidget* parent, const char* name, std::initializer_list<const char*> items)
{
    auto* list = Named(new QComboBox(parent), name);
    for (const char* item : items) list->addItem(platform::ToQString(item));
    list->setCurrentIndex(0);
    return list;
}

QVBoxLayout* TContainerProperty::AddTab(const char* caption, const char* scrollName)
{
    auto* scroll = Named(new QScrollArea, scrollName);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);   // its fields take the keys, and scroll it into view
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(6, 6, 6, 6);
    scroll->setWidget(content);
    PageControl->addTab(scroll, platform::ToQString(caption));
    return column;
}

void TContainerProperty::BuildActions()
{
    const struct {
        QAction** action;
        const char* name;
        const char* caption;
        int tag;
        int image;
        const char* button;
    } rows[] = {
        {&ActNoFixed, "ActNoFixed", "指定位置", 0, 5, "BtnNoneAlign"},
        {&ActLeftFixed, "ActLeftFixed", "左辺位置固定", 1, 0, "BtnLeftAlign"},
        {&ActTopFixed, "ActTopFixed", "上辺位置固定", 2, 1, "BtnTopAlign"},
        {&ActRightFixed, "ActRightFixed", "右辺位置固定", 3, 2, "BtnRightAlign"},
        {&ActBottomFixed, "ActBottomFixed", "下辺位置固定", 4, 3, "BtnBottomAlign"},
        {&ActClientFixed, "ActClientFixed", "全辺位置固定", 5, 4, "BtnClientAlign"},
        {nullptr, nullptr, nullptr, 0, 0, nullptr},
        {&ActLeftPosition, "ActLeftPosition", "左辺位置揃え", 6, 6, "BtnLeftOrder"},
        {&ActTopPosition, "ActTopPosition", "上辺位置揃え", 7, 7, "BtnTopOrder"},
        {&ActRightPosition, "ActRightPosition", "右辺位置揃え", 8, 8, "BtnRightOrder"},
        {&ActBottomPosition, "ActBottomPosition", "下辺位置揃え", 9, 9, "BtnBottomOrder"},
        {&ActHorzCenter, "ActHorzCenter", "水平中心位置", 10, 10, "BtnHorzCenter"},
        {&ActVertCenter, "ActVertCenter", "垂直中心位置", 11, 11, "BtnVertCenter"},
        {&ActCenterPosition, "ActCenterPosition", "中心位置", 12, 12, "BtnBothCenter"},
        {nullptr, nullptr, nullptr, 0, 0, nullptr},
        {&ActForeground, "ActForeground", "最全面", -1, 13, "BtnFront"},
        {&ActBackground, "ActBackground", "最背面", -1, 14, "BtnLast"},
    };
    ToolBar = Named(new QToolBar(this), "ToolBar");
    ToolBar->setIconSize(QSize(16, 16));
    AlignGroup = new QActionGroup(this);
    AlignGroup->setExclusive(true);
    for (const auto& row : rows) {
        if (!row.action) {
            ToolBar->addSeparator();
            continue;
        }
        auto* action = Named(new QAction(LayoutPropIcon(row.image), platform::ToQString(row.caption), this), row.name);
        *row.action = action;
        if (row.tag >= 0) action->setData(row.tag);
        if (row.tag >= 0 && row.tag < 6) {
            action->setCheckable(true);
            AlignGroup->addAction(action);
            platform::SetHint(*action, row.caption);
        }
        ToolBar->addAction(action);
        ToolBar->widgetForAction(action)->setObjectName(QString::fromLatin1(row.button));
        const int tag = row.tag;
        if (tag >= 0)
            connect(action, &QAction::triggered, this, platform::Guarded([this, tag](bool) { ActNoFixedExecute(tag); }));
    }
    platform::TabFocusButtons(*ToolBar);
    ActNoFixed->setChecked(true);
    connect(ActForeground, &QAction::triggered, this, platform::Guarded([this](bool) { ActForegroundExecute(); }));
    connect(ActBackground, &QAction::triggered, this, platform::Guarded([this](bool) { ActBackgroundExecute(); }));
}

void TContainerProperty::BuildContainerTab()
{
    QVBoxLayout* column = AddTab("コンテナ", "ScrollBox1");
    QWidget* tab = column->parentWidget();
    ScrollBox1 = PageControl->findChild<QScrollArea*>("ScrollBox1");

    auto* bounds = new QGroupBox(platform::ToQString("位置とサイズ"), tab);
    auto* boundsGrid = new QGridLayout(bounds);
    LeftEdit = MakeNumber(bounds, "LeftEdit", 0, 100, "mm");
    TopEdit = MakeNumber(bounds, "TopEdit", 0, 100, "mm");
    WidthEdit = MakeNumber(bounds, "WidthEdit", 1, 100, "mm");
    HeightEdit = MakeNumber(bounds, "HeightEdit", 1, 100, "mm");
    auto* margins = new QGroupBox(platform::ToQString("余白"), tab);
    auto* marginsGrid = new QGridLayout(margins);
    TopMarginEdit = MakeNumber(margins, "TopMarginEdit", 1, 100, "mm");
    BottomMarginEdit = MakeNumber(margins, "BottomMarginEdit", 1, 100, "mm");
    LeftMarginEdit = MakeNumber(margins, "LeftMarginEdit", 1, 100, "mm");
    RightMarginEdit = MakeNumber(margins, "RightMarginEdit", 1, 100, "mm");
    const struct {
        QGridLayout* grid;
        QWidget* parent;
        const char* label;
        TUpDownEdit* edit;
        int row, column;
    } cells[] = {{boundsGrid, bounds, "左", LeftEdit, 0, 0},         {boundsGrid, bounds, "上", TopEdit, 0, 2},
                 {boundsGrid, bounds, "幅", WidthEdit, 1, 0},        {boundsGrid, bounds, "高さ", HeightEdit, 1, 2},
                 {marginsGrid, margins, "上", TopMarginEdit, 0, 0},  {marginsGrid, margins, "下", BottomMarginEdit, 0, 2},
                 {marginsGrid, margins, "左", LeftMarginEdit, 1, 0}, {marginsGrid, margins, "右", RightMarginEdit, 1, 2}};
    for (const auto& cell : cells) {
        cell.grid->addWidget(Caption(cell.parent, cell.label), cell.row, cell.column);
        cell.grid->addWidget(cell.edit, cell.row, cell.column + 1);
    }
    for (TUpDownEdit* edit : {LeftEdit, TopEdit, WidthEdit, HeightEdit})
        edit->OnChange = [this](QObject*) { WriteBounds(); };
    for (TUpDownEdit* edit : {TopMarginEdit, BottomMarginEdit, LeftMarginEdit, RightMarginEdit})
        edit->OnChange = [this](QObject*) { WriteMargins(); };
    column->addWidget(bounds);
    column->addWidget(margins);
    column->addWidget(ToolBar);
    // The bar, made first, is read where it stands: below the margins.
    std::vector<QWidget*> chain{RightMarginEdit};
    for (QAction* action : ToolBar->actions()) chain.push_back(ToolBar->widgetForAction(action));
    platform::TabChain(chain);

    auto* fixed = new QGroupBox(platform::ToQString("位置固定のサイズ指定"), tab);
    auto* fixedRow = new QHBoxLayout(fixed);
    AlignRateEdit = MakeNumber(fixed, "AlignRateEdit", 1, 1, "%", 0, 100);
    AlignSizeEdit = MakeNumber(fixed, "AlignSizeEdit", 1, 100, "mm");
    fixedRow->addWidget(AlignRateEdit);
    fixedRow->addWidget(Caption(fixed, "％"));
    fixedRow->addWidget(AlignSizeEdit);
    fixedRow->addWidget(Caption(fixed, "mm"));
    AlignRateEdit->setEnabled(false);
    AlignSizeEdit->setEnabled(false);
    AlignRateEdit->OnChange = [this](QObject*) { AlignRateChange(); };
    AlignSizeEdit->OnChange = [this](QObject*) { AlignSizeChange(); };
    column->addWidget(fixed);

    auto* pages = new QGroupBox(platform::ToQString("表示するページ"), tab);
    auto* pagesGrid = new QGridLayout(pages);
    RBNoSelPage = Named(new QRadioButton(platform::ToQString("ページ指定なし"), pages), "RBNoSelPage");
    RBOddPage = Named(new QRadioButton(platform::ToQString("奇数ページ"), pages), "RBOddPage");
    RBEvenPage = Named(new QRadioButton(platform::ToQString("偶数ページ"), pages), "RBEvenPage");
    RBSelPage = Named(new QRadioButton(platform::ToQString("指定ページ"), pages), "RBSelPage");
    RBNoSelPage->setChecked(true);
    StartPageEdit = MakeNumber(pages, "StartPageEdit", 1, 1, "");
    EndPageEdit = MakeNumber(pages, "EndPageEdit", 1, 1, "");
    StartPageEdit->setEnabled(false);
    EndPageEdit->setEnabled(false);
    pagesGrid->addWidget(RBNoSelPage, 0, 0);
    pagesGrid->addWidget(RBOddPage, 0, 1);
    pagesGrid->addWidget(RBEvenPage, 0, 2);
    pagesGrid->addWidget(RBSelPage, 1, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(StartPageEdit);
    range->addWidget(Caption(pages, "から"));
    range->addWidget(EndPageEdit);
    range->addWidget(Caption(pages, "まで"));
    pagesGrid->addLayout(range, 1, 1, 1, 2);
    int tag = 0;
    for (QRadioButton* button : {RBNoSelPage, RBOddPage, RBEvenPage, RBSelPage}) {
        connect(button, &QRadioButton::toggled, this, [this, tag](bool checked) {
            if (checked) platform::Guard([this, tag] { RBDrawPageChange(tag); });
        });
        ++tag;
    }
    for (TUpDownEdit* edit : {StartPageEdit, EndPageEdit}) edit->OnChange = [this](QObject*) { WritePages(); };
    column->addWidget(pages);

    LabelContainerName = Named(Caption(tab, "ContainerName"), "LabelContainerName");
    ContainerNameEdit = Named(new QLineEdit(tab), "ContainerNameEdit");
    CBItemExpanded = Named(new QCheckBox(QStringLiteral("CBItemExpanded"), tab), "CBItemExpanded");
    for (QWidget* w : std::initializer_list<QWidget*>{LabelContainerName, ContainerNameEdit, CBItemExpanded})
        w->hide();
    connect(ContainerNameEdit, &QLineEdit::editingFinished, this,
            platform::Guarded([this] { ContainerNameEditExit(); }));
    connect(CBItemExpanded, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBItemExpandedClick(); }));
    CBCanSelect = Named(new QCheckBox(QStringLiteral("CBCanSelect"), tab), "CBCanSelect");
    CBCanDelete = Named(new QCheckBox(QStringLiteral("CBCanDelete"), tab), "CBCanDelete");
    CBDrawViewRect = Named(new QCheckBox(QStringLiteral("CBDrawViewRect"), tab), "CBDrawViewRect");
    auto* options = new QHBoxLayout;
    for (QCheckBox* box : {CBCanSelect, CBCanDelete, CBDrawViewRect}) {
        options->addWidget(box);
        connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBOptionClick(); }));
    }
    column->addLayout(options);
    column->addStretch(1);
}

TContainer* TContainerProperty::GetContainer() const
{
    return item_ ? dynamic_cast<TContainer*>(item_->GetObject()) : nullptr;
}

void TContainerProperty::GetProperty(TContainer*) {}
void TContainerProperty::SetProperty(TContainer*) {}

void TContainerProperty::EnableAlignEdits()
{
    const bool sized = !ActNoFixed->isChecked() && !ActClientFixed->isChecked();
    AlignRateEdit->setEnabled(sized);
    AlignSizeEdit->setEnabled(sized);
}

void TContainerProperty::ShowRects()
{
    const TRect b = item_->GetMMBoundRect_();
    ShowValue(LeftEdit, b.Left);
    ShowValue(TopEdit, b.Top);
    ShowValue(WidthEdit, b.Width());
    ShowValue(HeightEdit, b.Height());
    const TRect m = item_->GetMMMarginRect_();
    ShowValue(LeftMarginEdit, m.Left);
    ShowValue(TopMarginEdit, m.Top);
    ShowValue(RightMarginEdit, m.Right);
    ShowValue(BottomMarginEdit, m.Bottom);
}

void TContainerProperty::SetViewItem(TViewItem* item)
{
    item_ = item;
    if (!item) return;
    const Updating updating(*this);
    QAction* fixed = ActNoFixed;
    switch (item->GetAlign()) {
    case alTop: fixed = ActTopFixed; break;
    case alBottom: fixed = ActBottomFixed; break;
    case alLeft: fixed = ActLeftFixed; break;
    case alRight: fixed = ActRightFixed; break;
    case alClient: fixed = ActClientFixed; break;
    default: break;
    }
    fixed->setChecked(true);
    EnableAlignEdits();
    AlignSizeEdit->SetValueQuiet(item->GetAlignSize_());
    AlignRateEdit->SetValueQuiet(item->GetAlignRate());
    ShowRects();

    QRadioButton* type = item->GetDrawPageType() == 1 ? RBOddPage : item->GetDrawPageType() == 2 ? RBEvenPage : RBNoSelPage;
    type->setChecked(true);
    const TPoint range = item->GetDrawPage();
    StartPageEdit->SetValueQuiet(range.X);
    EndPageEdit->SetValueQuiet(range.Y);
    if (range.X != 0 || range.Y != 0) RBSelPage->setChecked(true);
    StartPageEdit->setEnabled(RBSelPage->isChecked());
    EndPageEdit->setEnabled(RBSelPage->isChecked());

    ContainerNameEdit->setText(platform::ToQString(item->GetName()));
    CBItemExpanded->setChecked(item->GetExpanded());
    const TVIOptions options = item->GetOptions();
    CBCanSelect->setChecked(options.Contains(voSelectable));
    CBCanDelete->setChecked(options.Contains(voDeletable));
    CBDrawViewRect->setChecked(options.Contains(voShowFrame));
    if (TContainer* container = GetContainer()) GetProperty(container);
}

void TContainerProperty::WriteAlign()
{
    StoreAlign();
    ShowRects();
}

void TContainerProperty::StoreAlign()
{
    // The item keeps one of the two: each setter clears the other.
    if (AlignRateEdit->GetValue() != 0)
        item_->SetAlignRate(AlignRateEdit->GetValue());
    else
        item_->SetAlignSize_(AlignSizeEdit->GetValue());
}

void TContainerProperty::WriteBounds()
{
    if (!item_ || GetUpdating()) return;
    const int left = LeftEdit->GetValue();
    const int top = TopEdit->GetValue();
    item_->SetMMBoundRect_({left, top, left + WidthEdit->GetValue(), top + HeightEdit->GetValue()});
    WriteAlign();
}

void TContainerProperty::WriteMargins()
{
    if (!item_ || GetUpdating()) return;
    item_->SetMMMarginRect_({LeftMarginEdit->GetValue(), TopMarginEdit->GetValue(), RightMarginEdit->GetValue(),
                             BottomMarginEdit->GetValue()});
    WriteAlign();
}

void TContainerProperty::WritePages()
{
    if (!item_ || GetUpdating()) return;
    item_->SetDrawPage({StartPageEdit->GetValue(), EndPageEdit->GetValue()});
}

void TContainerProperty::AlignRateChange()
{
    if (!item_ || GetUpdating()) return;
    AlignSizeEdit->SetValueQuiet(0);
    WriteMargins();
}

void TContainerProperty::AlignSizeChange()
{
    if (!item_ || GetUpdating()) return;
    AlignRateEdit->SetValueQuiet(0);
    WriteMargins();
}

void TContainerProperty::RBDrawPageChange(int tag)
{
    if (GetUpdating()) return;
    StartPageEdit->setEnabled(false);
    EndPageEdit->setEnabled(false);
    const int first = tag == 3 ? 1 : 0;
    StartPageEdit->SetValueQuiet(first);
    EndPageEdit->SetValueQuiet(first);
    if (tag == 3) {
        StartPageEdit->setEnabled(true);
        EndPageEdit->setEnabled(true);
    }
    if (!item_) return;
    item_->SetDrawPageType(tag == 1 || tag == 2 ? tag : 0);
    item_->SetDrawPage({first, first});
}

void TContainerProperty::ActNoFixedExecute(int tag)
{
    if (tag < 6) AlignGroup->actions().at(tag)->setChecked(true);
    if (!item_) return;
    item_->GetOwner()->ChangeBound(item_, tag);
    {
        const Updating updating(*this);
        ShowRects();
    }
    EnableAlignEdits();
}

void TContainerProperty::ActForegroundExecute()
{
    if (item_) item_->Foreground();
}

void TContainerProperty::ActBackgroundExecute()
{
    if (item_) item_->Background();
}

void TContainerProperty::ContainerNameEditExit()
{
    if (item_ && !GetUpdating()) item_->SetName(platform::FromQString(ContainerNameEdit->text()));
}

void TContainerProperty::CBItemExpandedClick()
{
    if (item_ && !GetUpdating()) item_->SetExpanded(CBItemExpanded->isChecked());
}

void TContainerProperty::CBOptionClick()
{
    if (!item_ || GetUpdating()) return;
    // The boxes' three options; the others the item has are kept.
    TVIOptions options = item_->GetOptions();
    const struct {
        QCheckBox* box;
        TVIOption option;
    } bits[] = {{CBCanSelect, voSelectable}, {CBCanDelete, voDeletable}, {CBDrawViewRect, voShowFrame}};
    for (const auto& bit : bits) {
        if (bit.box->isChecked())
            options << bit.option;
        else
            options >> bit.option;
    }
    item_->SetOptions(options);
}

void TContainerProperty::ApplyAll()
{
    if (!item_ || GetUpdating()) return;
    {
        const platform::BusyCursor busy;
        const Updating updating(*this);
        const QScopedValueRollback<bool> applying(applying_, true);
        reshow_ = false;
        const TViewItemsUpdate update(*item_->GetOwner());
        const int left = LeftEdit->GetValue();
        const int top = TopEdit->GetValue();
        item_->SetMMBoundRect_({left, top, left + WidthEdit->GetValue(), top + HeightEdit->GetValue()});
        item_->SetMMMarginRect_({LeftMarginEdit->GetValue(), TopMarginEdit->GetValue(), RightMarginEdit->GetValue(),
                                 BottomMarginEdit->GetValue()});
        StoreAlign();
        item_->SetDrawPage({StartPageEdit->GetValue(), EndPageEdit->GetValue()});
        ShowRects();
        AlignSizeEdit->SetValueQuiet(item_->GetAlignSize_());
        AlignRateEdit->SetValueQuiet(item_->GetAlignRate());
        if (TContainer* container = GetContainer()) {
            const ContainerUpdate bracket(*container);
            SetProperty(container);
        }
    }
    // A show asked for while the item was being written.
    if (std::exchange(reshow_, false) && item_) SetViewItem(item_);
}
