#include "screens/Fuserfilteredit.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/FlagScope.h"
#include "platform/StringList.h"
#include "screens/Ffiltereditdialog.h"
#include "screens/Fgridedit.h"
#include "screens/Finvdatebar.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr char kHookedProperty[] = "vktFilterNameHooked";

bool IsUnitField(TVktField field)
{
    switch (field) {
    case TVktField::Form_Key:
    case TVktField::UseUnit_Key:
    case TVktField::BuyUnit_Key:
    case TVktField::MHistoryUnit_Key:
    case TVktField::YHistoryUnit_Key:
    case TVktField::ItemUnit_Key:
    case TVktField::InvUnit_Key: return true;
    default: return false;
    }
}

void* IdObject(int id) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(id)); }

// The grids hand Esc and Ctrl+Enter to the page.
class TFilterGrid : public TGridEdit {
public:
    TFilterGrid(QWidget* parent, TUserFilterEdit* page) : TGridEdit(parent), page_(page) {}

    std::function<void(QLineEdit*)> OnEditorShown;
    std::function<void(int col, int row, std::string& text, QRect& rect)> OnCellText;

protected:
    bool GridKeyPress(QKeyEvent* event) override { return page_->EditKey(event->key(), event->modifiers()); }
    void GetCellText(int col, int row, std::string& text, QRect& rect) override
    {
        if (OnCellText) OnCellText(col, row, text, rect);
        else TGridEdit::GetCellText(col, row, text, rect);
    }

public:
    QPainter* Painter() const { return PaintingPainter(); }

private:
    TUserFilterEdit* page_;
};

// Hooks each in-place editor of a grid when it is shown: keystrokes and the page's keys.
class TEditorHook : public QObject {
public:
    TEditorHook(TFilterGrid* grid, TUserFilterEdit* page) : QObject(grid), grid_(grid), page_(page)
    {
        grid->GetStringGrid()->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished) {
            auto* line = qobject_cast<QLineEdit*>(static_cast<QChildEvent*>(event)->child());
            if (line && !line->property(kHookedProperty).toBool()) {
                line->setProperty(kHookedProperty, true);
                line->installEventFilter(this);
                if (grid_->OnEditorShown) grid_->OnEditorShown(line);
            }
        } else if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched)) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                grid_->GetStringGrid()->setFocus();   // closes the editor without committing
                page_->EditKey(key->key(), key->modifiers());
                return true;
            }
            if (page_->EditKey(key->key(), key->modifiers())) return true;
        } else if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape) event->accept();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFilterGrid* grid_;
    TUserFilterEdit* page_;
};

// Shares a grid's client width (less 2) among its columns by percentages on every resize.
class TColumnFitter : public QObject {
public:
    TColumnFitter(TGridEdit* grid, std::vector<int> percents) : QObject(grid), grid_(grid), percents_(std::move(percents))
    {
        grid->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The view's viewport follows the grid's size only after this event.
        if (event->type() == QEvent::Resize) QTimer::singleShot(0, this, [this] { Fit(); });
        return false;
    }

private:
    void Fit()
    {
        const int width = grid_->GetStringGrid()->viewport()->width() - 2;
        for (std::size_t col = 0; col < percents_.size(); ++col)
            grid_->GetHeaderControl()->resizeSection(static_cast<int>(col), width * percents_[col] / 100);
    }

    TGridEdit* grid_;
    std::vector<int> percents_;
};

} // namespace

TUserFilterEdit::TUserFilterEdit(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    using platform::AnchorSide;
    setObjectName(QStringLiteral("UserFilterEdit"));
    resize(560, 300);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->setHandleWidth(6);
    splitter_->setOpaqueResize(true);
    splitter_->setGeometry(rect());

    auto* filterList = new TFilterGrid(splitter_, this);
    filterList_ = filterList;
    filterList_->setObjectName(QStringLiteral("FilterList"));
    filterList_->AddColumn("", 120, true, true, 0);
    filterList_->GetHeaderControl()->hide();
    filterList_->OnCanEdit = [](TGridEdit* grid, int, int row, bool& allowed) {
        allowed = row < grid->GetModel()->GetRowCount() && grid->GetModel()->Row(row).ID == 1;
    };
    filterList_->OnSetEditText = [this](TGridEdit*, int, int, std::string& text) { SetFilterName(text); };
    filterList->OnEditorShown = [this](QLineEdit* line) {
        connect(line, &QLineEdit::textEdited, this,
                [this](const QString& text) { platform::Guard([&] { SetFilterName(platform::FromQString(text)); }); });
    };
    new TEditorHook(filterList, this);

    auto* panel = new QWidget(splitter_);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->resize(420, 300);
    auto* fieldList = new TFilterGrid(panel, this);
    fieldList_ = fieldList;
    fieldList_->setObjectName(QStringLiteral("FieldList"));
    fieldList_->AddColumn("フィールド", 80, true, true, 0);
    fieldList_->AddColumn("フィルター", 117, true, true, 0);
    fieldList_->GetStringGrid()->setSelectionBehavior(QAbstractItemView::SelectRows);
    fieldList_->setGeometry(0, 0, 280, 300);
    const std::vector<TVktField> fields = FilterFields.Fields();
    fieldList_->GetModel()->SetRowCount(static_cast<int>(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int row = static_cast<int>(i);
        fieldList_->GetModel()->SetCell(0, row, GetFieldCaption(fields[i]));
        fieldList_->GetModel()->Row(row).ID = ToInt(fields[i]);
    }
    fieldList->OnCellText = [this, fieldList](int col, int row, std::string& text, QRect& rect) {
        if (col != 1) return;
        text.clear();
        const TVktField field = ToVktField(fieldList->GetModel()->Row(row).ID);
        const int entry = workFilter_.IndexOf(field);
        QPainter* painter = fieldList->Painter();
        if (entry < 0 || !painter) return;
        const bool selected = fieldList->GetStringGrid()->selectionModel()->isRowSelected(row, {});
        painter->save();
        painter->setPen(palette().color(selected && fieldList->IsActive() ? QPalette::HighlightedText : QPalette::Text));
        painter->setClipRect(rect);
        int x = rect.left();
        for (const TFilterTextPiece& piece : workFilter_.GetTextPieces(entry, NamesOf(field))) {
            const QFont font = piece.Latin ? GridLatinFont(fieldList->font()) : fieldList->font();
            painter->setFont(font);
            const QString shown = platform::ToQString(piece.Text);
            // As the grid places its texts: 2 pixels down, or centred when the font is too tall.
            const int height = QFontMetrics(font).height();
            const int top = height <= rect.height() - 2 ? rect.top() + 2 : rect.top() + (rect.height() - height) / 2;
            painter->drawText(QRect(x, top, 10000, rect.bottom() - top + 1), Qt::AlignLeft | Qt::AlignTop, shown);
            x += QFontMetrics(font).horizontalAdvance(shown);
        }
        painter->restore();
    };
    connect(fieldList_->GetStringGrid(), &QAbstractItemView::doubleClicked, this,
            [this] { platform::Guard([this] { EditField(); }); });

    const auto button = [this, panel](const char* name, const char* caption, int top) {
        auto* b = new QPushButton(platform::ToQString(caption), panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(291, top, 121, 22);
        platform::Anchor(*b, AnchorSide::Right | AnchorSide::Top);
        return b;
    };
    btnNew_ = button("BtnNew", "新規作成(&N)", 4);
    btnDelete_ = button("BtnDelete", "削除(&D)", 30);
    btnEdit_ = button("BtnEdit", "フィルター編集(&E)", 64);
    btnClear_ = button("BtnClear", "フィルタークリア(&C)", 90);
    btnSetting_ = button("BtnSetting", "設定", 124);
    btnUndo_ = button("BtnUndo", "元に戻す", 150);
    btnUp_ = button("BtnUp", "上に移動(&T)", 184);
    btnDown_ = button("BtnDown", "下に移動(&B)", 210);
    platform::Anchor(*fieldList_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);
    const auto click = [this](QPushButton* b, void (TUserFilterEdit::*op)()) {
        connect(b, &QPushButton::clicked, this, [this, op] { platform::Guard([this, op] { (this->*op)(); }); });
    };
    click(btnNew_, &TUserFilterEdit::NewFilter);
    click(btnEdit_, &TUserFilterEdit::EditField);
    click(btnClear_, &TUserFilterEdit::ClearField);
    click(btnSetting_, &TUserFilterEdit::Apply);
    click(btnUndo_, &TUserFilterEdit::Revert);
    connect(btnUp_, &QPushButton::clicked, this, [this] { platform::Guard([this] { MoveFilter(-1); }); });
    connect(btnDown_, &QPushButton::clicked, this, [this] { platform::Guard([this] { MoveFilter(1); }); });

    splitter_->setSizes({140, 420});
    platform::Anchor(*splitter_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);
    connect(filterList_->GetStringGrid()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { platform::Guard([&] { FilterRowChanged(current.row()); }); });

    // The field list's columns share its width 30 : 70; the filter list's column fills it.
    new TColumnFitter(fieldList_, {30, 70});
    new TColumnFitter(filterList_, {100});

    TVktObjEvent& events = GetObjEvent();
    const auto records = [this](TVktObject*, TVktObjKind kind, const TPriorityItem&) {
        if (kind == TVktObjKind::Form || kind == TVktObjKind::Unit) LoadUnitNames();
        else if (kind == TVktObjKind::Dealer) LoadDealerNames();
        else if (kind == TVktObjKind::InvDate) LoadInvDateNames();
        else return;
        RepaintFields();
    };
    events.OnRecordsAdd = records;
    events.OnRecordsDelete = records;
    events.OnFieldChange = [this](TVktObject*, TVktField field, const TPriorityItem&) {
        const int n = ToInt(field);
        // The unit table (7-11) and its views (12-25).
        if (n >= 7 && n <= 25) LoadUnitNames();
        else if (n >= 27 && n <= 34) LoadDealerNames();
        else return;
        RepaintFields();
    };
    events.OnFilterSetChange = [this](TVktObject*) {
        if (updating_) return;
        const int previous = filterIndex_;
        LoadFilters();
        const int last = filterList_->GetModel()->GetRowCount() - 1;
        if (previous >= 0 && HasFilters()) SelectFilter(std::min(previous, last));
    };
    Clear();
}

TUserFilterEdit::~TUserFilterEdit()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

bool TUserFilterEdit::Active()
{
    TVktObject* object = GetVktObject();
    return object && object->IsValid();
}

bool TUserFilterEdit::HasFilters() const
{
    return filterList_->GetModel()->GetRowCount() > 0 && filterList_->GetModel()->Row(0).ID == 1;
}

void TUserFilterEdit::DoAttach()
{
    unitNames_ = std::make_unique<platform::StringList>();
    dealerNames_ = std::make_unique<platform::StringList>();
    invDateNames_ = std::make_unique<platform::StringList>();
    LoadUnitNames();
    LoadDealerNames();
    LoadInvDateNames();
    LoadFilters();
}

void TUserFilterEdit::DoDetach()
{
    Clear();
    unitNames_.reset();
    dealerNames_.reset();
    invDateNames_.reset();
}

void TUserFilterEdit::LoadUnitNames()
{
    TVktObject* object = GetVktObject();
    if (!unitNames_ || !object || !object->IsValid()) return;
    unitNames_->Clear();
    TVDBUnits reader(object);
    reader.Refresh();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        unitNames_->AddObject(reader.GetUnits(), IdObject(reader.GetUnitsID()));
    }
}

void TUserFilterEdit::LoadDealerNames()
{
    TVktObject* object = GetVktObject();
    if (!dealerNames_ || !object || !object->IsValid()) return;
    dealerNames_->Clear();
    TVDBDealer reader(object);
    reader.Refresh();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        dealerNames_->AddObject(reader.GetCompany(), IdObject(reader.GetDealerID()));
    }
}

void TUserFilterEdit::LoadInvDateNames()
{
    TVktObject* object = GetVktObject();
    if (!invDateNames_ || !object || !object->IsValid()) return;
    invDateNames_->Clear();
    TVDBInvDate reader(object);
    reader.Refresh();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        invDateNames_->AddObject(MonthText(reader.GetInvDate()), IdObject(reader.GetInvDateID()));
    }
}

const platform::StringList* TUserFilterEdit::NamesOf(TVktField field) const
{
    if (IsUnitField(field)) return unitNames_.get();
    if (field == TVktField::Dealer_Key) return dealerNames_.get();
    if (field == TVktField::InvDate_Key) return invDateNames_.get();
    return nullptr;
}

std::string TUserFilterEdit::FieldText(TVktField field) const
{
    return workFilter_.GetText(workFilter_.IndexOf(field), NamesOf(field));
}

void TUserFilterEdit::RepaintFields() { fieldList_->GetStringGrid()->viewport()->update(); }

void TUserFilterEdit::LoadFilters()
{
    Clear();
    TVktObject* object = GetVktObject();
    if (object) {
        const TFilterObjects& filters = object->GetFilterSet();
        for (int i = 0; i < filters.GetCount(); ++i) AddRow(filters.Get(i).GetName());
    }
    SelectFilter(0);
}

void TUserFilterEdit::Clear()
{
    if (GetDestroying()) return;
    filterIndex_ = -1;
    workFilter_ = TFilterObject();
    TGridModel* model = filterList_->GetModel();
    if (filterList_->IsEditorShown()) filterList_->GetStringGrid()->setFocus();
    model->SetRowCount(1);
    model->SetCell(0, 0, "");
    model->Row(0).ID = 0;
    filterList_->SetEditing(false);
    RepaintFields();
}

void TUserFilterEdit::AddRow(const std::string& name)
{
    TGridModel* model = filterList_->GetModel();
    if (HasFilters()) model->SetRowCount(model->GetRowCount() + 1);
    const int row = model->GetRowCount() - 1;
    model->SetCell(0, row, name);
    model->Row(row).ID = 1;
    filterList_->SetEditing(true);
}

void TUserFilterEdit::SelectFilter(int row)
{
    if (GetDestroying() || row == filterIndex_ || !HasFilters()) return;
    if (row < 0 || row >= filterList_->GetModel()->GetRowCount()) return;
    if (IsModified()) Apply();
    filterIndex_ = row;
    if (!selecting_) {
        const platform::FlagScope scope(selecting_);
        filterList_->GetStringGrid()->setCurrentIndex(filterList_->GetModel()->index(row, 0));
    }
    TVktObject* object = GetVktObject();
    workFilter_ = object && object->IsValid() ? object->GetFilterSet().GetItem(row) : TFilterObject();
    RepaintFields();
}

void TUserFilterEdit::FilterRowChanged(int row)
{
    if (selecting_ || !Active() || !HasFilters() || row < 0) return;
    const platform::FlagScope scope(selecting_);
    SelectFilter(row);
}

bool TUserFilterEdit::IsModified()
{
    if (!Active() || filterIndex_ < 0) return false;
    const TFilterObjects& filters = GetVktObject()->GetFilterSet();
    return filterIndex_ < filters.GetCount() && workFilter_ != filters.Get(filterIndex_);
}

void TUserFilterEdit::Apply()
{
    if (!Active() || filterIndex_ < 0) return;
    const platform::FlagScope scope(updating_);
    GetVktObject()->GetFilterSet().SetItem(filterIndex_, workFilter_);
}

void TUserFilterEdit::Revert()
{
    if (!Active() || filterIndex_ < 0) return;
    workFilter_ = GetVktObject()->GetFilterSet().GetItem(filterIndex_);
    filterList_->GetModel()->SetCell(0, filterIndex_, workFilter_.GetName());
    RepaintFields();
}

void TUserFilterEdit::SetFilterName(const std::string& text)
{
    if (text != workFilter_.GetName()) workFilter_.SetName(text);
}

void TUserFilterEdit::EditField()
{
    if (!Active() || !HasFilters()) return;
    const int row = fieldList_->GetStringGrid()->currentIndex().row();
    if (row < 0 || row >= fieldList_->GetModel()->GetRowCount()) return;
    const TVktField field = ToVktField(fieldList_->GetModel()->Row(row).ID);
    const int entry = workFilter_.IndexOf(field);
    const TFilters filters = entry >= 0 ? workFilter_.GetFilters(entry) : TFilters(field);
    TFilterEditDialog* dialog = FilterEditDlg();
    bool changed = false;
    if (!ForeignKeyFields.Contains(field))
        changed = dialog->EditFilter(filters);
    else if (const platform::StringList* names = NamesOf(field))
        changed = dialog->EditListFilter(filters, *names);
    if (changed) SetFieldFilters(dialog->GetResult());
}

void TUserFilterEdit::SetFieldFilters(const TFilters& filters)
{
    workFilter_.SetFilters(filters);
    RepaintFields();
}

void TUserFilterEdit::ClearField()
{
    if (!Active()) return;
    const int row = fieldList_->GetStringGrid()->currentIndex().row();
    if (row < 0 || row >= fieldList_->GetModel()->GetRowCount()) return;
    workFilter_.Remove(ToVktField(fieldList_->GetModel()->Row(row).ID));
    RepaintFields();
}

void TUserFilterEdit::NewFilter()
{
    if (!Active()) return;
    if (IsModified()) Apply();
    GetVktObject()->GetFilterSet().AddNew();
}

void TUserFilterEdit::MoveFilter(int delta)
{
    if (!Active() || filterIndex_ < 0) return;
    const int target = filterIndex_ + delta;
    if (target < 0 || target >= GetVktObject()->GetFilterSet().GetCount()) return;
    if (IsModified()) Apply();
    GetVktObject()->MoveFilter(filterIndex_, target);
}

bool TUserFilterEdit::EditKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        Revert();
        return true;
    }
    if (enter && modifiers.testFlag(Qt::ControlModifier)) {
        if (filterList_->IsEditorShown()) filterList_->CommitCell();
        Apply();
        return true;
    }
    return false;
}

int TUserFilterEdit::GetFilterListWidth() const { return filterList_->width(); }

void TUserFilterEdit::SetFilterListWidth(int width)
{
    const int total = splitter_->sizes().value(0) + splitter_->sizes().value(1);
    splitter_->setSizes({width, std::max(0, total - width)});
}
