#include "reports/Fvktfieldlists.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

enum class Glyph { None, Shown, Ascending, Descending };

QPixmap StateGlyph(Glyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 13, 13);
    const QColor ink(0x20, 0x50, 0xA0);
    painter.setPen(QPen(ink, 2));
    painter.setBrush(ink);
    switch (glyph) {
    case Glyph::None: break;
    case Glyph::Shown: painter.drawPolyline(QPolygon({QPoint(4, 8), QPoint(7, 11), QPoint(12, 4)})); break;
    case Glyph::Ascending:
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(QPolygon({QPoint(8, 3), QPoint(13, 12), QPoint(3, 12)}));
        break;
    case Glyph::Descending:
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(QPolygon({QPoint(3, 4), QPoint(13, 4), QPoint(8, 13)}));
        break;
    }
    return pixmap;
}

constexpr const char* kEmptyColumn = "空の列";

QPushButton* Button(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(platform::ToQString(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

platform::IconList SortStateImages(bool shown)
{
    platform::IconList images(16, 16);
    images.Add(StateGlyph(Glyph::None));
    if (shown) images.Add(StateGlyph(Glyph::Shown));
    images.Add(StateGlyph(Glyph::Ascending));
    images.Add(StateGlyph(Glyph::Descending));
    return images;
}

void FillFieldList(TStateListView& list, const TVktFieldSet& fields)
{
    if (list.GetListView()->count() > 0) return;
    QListWidget* view = list.GetListView();
    view->setUpdatesEnabled(false);
    for (int id = 1; id < VktFieldCount; ++id)
        if (fields.Contains(id)) list.AddItem(GetFieldCaption(ToVktField(id)), id);
    view->setUpdatesEnabled(true);
}

TFieldStates ReadStates(const TStateListView& list)
{
    const TDblPriorityItem states = list.GetStates();
    return {states.Ids, states.States};
}

void WriteStates(TStateListView& list, const TFieldStates& states)
{
    // Cleared first: equal states would leave the listed items where they are, not at the front.
    list.SetStates({});
    list.SetStates({states.Ids, states.States});
}

void ShowColumnStates(TStateListView& list, const TFieldStates& states)
{
    QListWidget* view = list.GetListView();
    const int position = view->currentItem() ? TStateListView::GetItemPosition(view->currentItem()) : -1;
    const int id = view->currentItem() ? TStateListView::GetItemId(view->currentItem()) : 0;
    for (int row = view->count() - 1; row >= 0; --row)
        if (TStateListView::GetItemId(view->item(row)) < 0) list.DeleteItem(view->item(row));
    int empty = 0;
    for (int i = 0; i < states.Ids.GetCount(); ++i)
        if (states.Ids.GetItem(i) < 0) ++empty;
    for (int n = 1; n <= empty; ++n) list.AddItem(kEmptyColumn, -n);
    WriteStates(list, states);
    // A field stays selected; an empty column, renumbered, by its place.
    if (QListWidgetItem* item = id > 0 ? list.ItemOfId(id) : list.ItemOfPosition(position)) {
        view->setCurrentItem(item);
        item->setSelected(true);
    } else {
        view->setCurrentItem(nullptr);
    }
}

TVktFieldListBox::TVktFieldListBox(QWidget* parent, int options, int minWidth) : QWidget(parent), options_(options)
{
    setObjectName("FieldListBox");
    StateListView = new TStateListView(this);
    StateListView->setObjectName("StateListView");
    StateListView->SetImages(SortStateImages(true));
    const bool grid = (options & GridCaptions) != 0;
    BtnShowField = Button(this, "BtnShowField", grid ? "表示" : "ソート無し");
    if (options & SortButtons) {
        BtnAscField = Button(this, "BtnAscField", "昇順で表示");
        BtnDescField = Button(this, "BtnDescField", "降順で表示");
    }
    BtnHideField = Button(this, "BtnHideField", "非表示");
    BtnUpField = Button(this, "BtnUpField", "上に");
    BtnDownField = Button(this, "BtnDownField", "下に");
    if (options & ColInsert) BtnColInsert = Button(this, "BtnColInsert", "空列追加");
    LabelFieldWidth = new QLabel(platform::ToQString("項目幅"), this);
    LabelFieldWidth->setObjectName("LabelFieldWidth");
    FieldWidthEdit = new TUpDownEdit(this);
    FieldWidthEdit->setObjectName("FieldWidthEdit");
    FieldWidthEdit->SetLimitType(1);
    FieldWidthEdit->SetScale(10);
    FieldWidthEdit->SetRange(minWidth, minWidth);
    FieldWidthEdit->SetSuffix("mm");
    FieldWidthEdit->SetValueQuiet(minWidth);
    CBReturnField = new QCheckBox(platform::ToQString("この項目で改行する"), this);
    CBReturnField->setObjectName("CBReturnField");
    if (options & NullField) {
        CBNullField = new QCheckBox(platform::ToQString("項目値を表示しない"), this);
        CBNullField->setObjectName("CBNullField");
    }

    auto* grid_ = new QGridLayout(this);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->addWidget(StateListView, 0, 0, 9, 1);
    int row = 0;
    for (QPushButton* button : {BtnShowField, BtnAscField, BtnDescField, BtnHideField, BtnUpField, BtnDownField,
                                BtnColInsert})
        if (button) grid_->addWidget(button, row++, 1, 1, 2);
    grid_->addWidget(LabelFieldWidth, row, 1);
    grid_->addWidget(FieldWidthEdit, row++, 2);
    grid_->addWidget(CBReturnField, row++, 1, 1, 2);
    if (CBNullField) grid_->addWidget(CBNullField, row++, 1, 1, 2);
    grid_->setRowStretch(row, 1);
    grid_->setColumnStretch(0, 1);
    StateListView->setMinimumHeight(220);

    const auto state = [this](QPushButton* button, int image) {
        if (button)
            connect(button, &QPushButton::clicked, this,
                    platform::Guarded([this, image](bool) { StateListView->SetSelectedState(image); }));
    };
    state(BtnShowField, 1);
    state(BtnAscField, 2);
    state(BtnDescField, 3);
    state(BtnHideField, 0);
    connect(BtnUpField, &QPushButton::clicked, this, platform::Guarded([this](bool) { StateListView->MoveUp(); }));
    connect(BtnDownField, &QPushButton::clicked, this,
            platform::Guarded([this](bool) { StateListView->MoveDown(); }));
    if (BtnColInsert)
        connect(BtnColInsert, &QPushButton::clicked, this, platform::Guarded([this](bool) {
                    if (OnColInsert) OnColInsert();
                }));
    StateListView->OnChange = [this](QObject*) {
        if (OnListChange) OnListChange();
    };
    connect(StateListView->GetListView(), &QListWidget::currentItemChanged, this,
            platform::Guarded([this](QListWidgetItem*, QListWidgetItem*) {
                if (OnSelect) OnSelect();
            }));
    connect(StateListView->GetListView(), &QListWidget::itemSelectionChanged, this, platform::Guarded([this] {
                if (OnSelect) OnSelect();
            }));
    FieldWidthEdit->OnChange = [this](QObject*) {
        platform::Guard([this] {
            if (OnWidthChange) OnWidthChange(FieldWidthEdit->GetValue());
        });
    };
    connect(CBReturnField, &QCheckBox::clicked, this, platform::Guarded([this](bool checked) {
                if (OnReturnClick) OnReturnClick(checked);
            }));
    ShowSelection({});
}

int TVktFieldListBox::SelectedId() const
{
    const QListWidgetItem* item = StateListView->GetListView()->currentItem();
    return item && item->isSelected() ? TStateListView::GetItemId(item) : 0;
}

int TVktFieldListBox::SelectedPosition() const
{
    const QListWidgetItem* item = StateListView->GetListView()->currentItem();
    return item && item->isSelected() ? TStateListView::GetItemPosition(item) : -1;
}

bool TVktFieldListBox::SelectedShown() const
{
    const QListWidgetItem* item = StateListView->GetListView()->currentItem();
    return item && item->isSelected() && StateListView->GetItemImage(item) > 0;
}

void TVktFieldListBox::ShowSelection(const TPreviewFieldStruct& fields)
{
    const int position = SelectedPosition();
    const bool selected = position >= 0;
    const int count = StateListView->GetListView()->count();
    for (QPushButton* button : {BtnShowField, BtnAscField, BtnDescField, BtnHideField, BtnColInsert})
        if (button) button->setEnabled(selected);
    BtnUpField->setEnabled(selected && position > 0);
    BtnDownField->setEnabled(selected && position < count - 1);
    const bool widthOn = (options_ & GridCaptions) ? selected : SelectedShown();
    for (QWidget* control : std::initializer_list<QWidget*>{LabelFieldWidth, FieldWidthEdit, CBReturnField, CBNullField})
        if (control) control->setEnabled(widthOn);
    int width = 0;
    int lineBreak = 0;
    if (selected) ColumnValues(fields, SelectedId(), width, lineBreak);
    if (FieldWidthEdit->GetValue() != width) FieldWidthEdit->SetValueQuiet(width);
    const QSignalBlocker blocker(CBReturnField);
    CBReturnField->setChecked(lineBreak != 0);
}

TVktCardFieldTab::TVktCardFieldTab(QWidget* parent) : QWidget(parent)
{
    setObjectName("CardFieldTab");
    TabControl = new QTabBar(this);
    TabControl->setObjectName("TabControl");
    for (const char* caption : {"ヘッダー", "フッター", "材料"}) TabControl->addTab(platform::ToQString(caption));
    Fields = new TVktFieldListBox(this, TVktFieldListBox::SortButtons | TVktFieldListBox::NullField, 10);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(TabControl);
    column->addWidget(Fields, 1);
    connect(TabControl, &QTabBar::currentChanged, this, platform::Guarded([this](int) { TabControlChange(); }));
    Fields->OnListChange = [this] { StateListViewChange(); };
    Fields->OnSelect = [this] { Fields->ShowSelection(current_); };
    Fields->OnWidthChange = [this](int width) { FieldWidthChange(width); };
    Fields->OnReturnClick = [this](bool lineBreak) { CBReturnFieldClick(lineBreak); };
}

TPreviewFieldStruct& TVktCardFieldTab::TabList()
{
    switch (TabControl->currentIndex()) {
    case 0: return header_;
    case 1: return footer_;
    default: return items_;
    }
}

void TVktCardFieldTab::SetLists(const TPreviewFieldStruct& header, const TPreviewFieldStruct& footer,
                                const TPreviewFieldStruct& items)
{
    header_ = header;
    footer_ = footer;
    items_ = items;
    TabControlChange();
}

void TVktCardFieldTab::ShowCurrent(const TPreviewFieldStruct& fields)
{
    const QScopedValueRollback<bool> changing(changing_, true);
    current_ = fields;
    WriteStates(*Fields->StateListView, StatesOfFields(fields));
}

void TVktCardFieldTab::ReadCurrent()
{
    const TFieldStates states = ReadStates(*Fields->StateListView);
    if (states == StatesOfFields(current_)) return;
    current_ = FieldsOfStates(states, current_);
}

void TVktCardFieldTab::TabControlChange()
{
    ShowCurrent(TabList());
    Fields->ShowSelection(current_);
}

void TVktCardFieldTab::StateListViewChange()
{
    if (changing_) return;
    const QScopedValueRollback<bool> changing(changing_, true);
    if (TabControl->currentIndex() == 2) {
        // Item rows are not sorted: a sort state hides the field.
        TStateListView& list = *Fields->StateListView;
        for (int id : SortingIds(ReadStates(list), false))
            if (QListWidgetItem* item = list.ItemOfId(id)) list.SetItemImage(item, 0);
    }
    ReadCurrent();
    TabList() = current_;
    Fields->ShowSelection(current_);
    if (OnApply) OnApply();
}

void TVktCardFieldTab::FieldWidthChange(int width)
{
    if (SetColumnWidth(current_, Fields->SelectedId(), width)) TabChanged();
}

void TVktCardFieldTab::CBReturnFieldClick(bool lineBreak)
{
    if (SetColumnBreak(current_, Fields->SelectedId(), lineBreak)) TabChanged();
}

void TVktCardFieldTab::TabChanged()
{
    TabList() = current_;
    if (OnApply) OnApply();
}
