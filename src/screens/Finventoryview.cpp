#include "screens/Finventoryview.h"

#include "core/Unumericstring.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/FlagScope.h"
#include "platform/NumberText.h"
#include "screens/Fdatalistview.h"
#include "screens/Uviewfieldcolumns.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>

#include <array>

namespace {

using F = TVktField;

constexpr int kIconWidth = 19;

// The fields of the seven cell columns, in cell order.
constexpr std::array<F, TInvListView::ColCount> kCellFields = {
    F::Class, F::Form, F::Data, F::InvUnit, F::InvPrice, F::Remained, F::InvTotalPrice};

int IntOr(const platform::Variant& value, int fallback)
{
    if (value.IsEmptyOrNull()) return fallback;
    try {
        return value.AsInt();
    } catch (const std::exception&) {
        return fallback;
    }
}

platform::Currency CurrencyOf(const platform::Variant& value)
{
    if (value.IsEmptyOrNull()) return {};
    try {
        return value.AsCurrency();
    } catch (const std::exception&) {
        return {};
    }
}

double DoubleOf(const platform::Variant& value)
{
    if (value.IsEmptyOrNull()) return 0;
    try {
        return value.AsDouble();
    } catch (const std::exception&) {
        return 0;
    }
}

bool ParseCurrency(const std::string& text, platform::Currency& value)
{
    try {
        value = platform::Currency::FromText(text);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

platform::Currency InventoryLineTotal(platform::Currency price, double remained)
{
    // Currency's product keeps a 128-bit intermediate and truncates.
    return price * platform::Currency::FromDouble(remained);
}

// ===== TInvListView ===================================================================================

TInvListView::TInvListView(QWidget* parent) : TCellEditGrid(parent)
{
    setObjectName(QStringLiteral("InvListView"));
    Clear();
}

void TInvListView::Clear()
{
    CancelEdit();
    GetModel()->SetRowCount(0);
    SetEditing(false);
    GetStringGrid()->setEnabled(false);
}

void TInvListView::AddRow(const TInvRow& row) { AddRows({row}); }

void TInvListView::AddRows(const std::vector<TInvRow>& rows)
{
    if (rows.empty()) return;
    TGridModel* model = GetModel();
    const int first = model->GetRowCount();
    model->SetRowCount(first + static_cast<int>(rows.size()));
    {
        // One repaint for the whole batch instead of one per cell.
        const QSignalBlocker blocker(model);
        for (size_t i = 0; i < rows.size(); ++i) {
            const TInvRow& source = rows[i];
            const int row = first + static_cast<int>(i);
            model->Row(row).ID = source.DataID;
            model->Row(row).Selected = source.IconKey;
            model->SetCell(ColClass, row, source.ClassName);
            model->SetCell(ColForm, row, source.FormName);
            model->SetCell(ColData, row, source.Name);
            model->SetCell(ColUnit, row, source.UnitName);
            model->SetCell(ColPrice, row, source.InvPrice.ToText());
            model->SetCell(ColRemained, row, platform::FloatToStr(source.Remained));
            model->SetCell(ColTotal, row, source.InvTotalPrice.ToText());
        }
    }
    SetEditing(true);
    GetStringGrid()->setEnabled(true);
    model->Repaint();
}

int TInvListView::GetRowID(int row) const
{
    return row >= 0 && row < GetModel()->GetRowCount() ? GetModel()->Row(row).ID : 0;
}

int TInvListView::GetIconKey(int row) const
{
    return row >= 0 && row < GetModel()->GetRowCount() ? GetModel()->Row(row).Selected : 0;
}

void TInvListView::SetIconKey(int row, int iconKey)
{
    if (row >= 0 && row < GetModel()->GetRowCount()) GetModel()->Row(row).Selected = iconKey;
}

platform::Currency TInvListView::GetInvPrice(int row) const
{
    platform::Currency price;
    ParseCurrency(GetModel()->GetCell(ColPrice, row), price);
    return price;
}

bool TInvListView::GetRemained(int row, double& value) const
{
    const std::string text = GetModel()->GetCell(ColRemained, row);
    if (text.empty()) {
        value = 0;
        return true;
    }
    return platform::TryStrToFloat(text, value);
}

void TInvListView::SetRemained(int row, double value)
{
    GetModel()->SetCell(ColRemained, row, platform::FloatToStr(value));
}

void TInvListView::SetTotal(int row, platform::Currency total) { GetModel()->SetCell(ColTotal, row, total.ToText()); }

void TInvListView::SetImages(const platform::IconList* images)
{
    images_ = images;
    GetModel()->Repaint();
}

void TInvListView::GetCellText(int col, int row, std::string& text, QRect& rect)
{
    TGridEdit::GetCellText(col, row, text, rect);
    if (IsEmpty() || row >= GetModel()->GetRowCount()) return;
    switch (col) {
    case ColClass:
        if (images_) {
            if (QPainter* painter = PaintingPainter()) {
                const int left = rect.left() - 2 + 1;   // the cell's left edge, one pixel in
                painter->drawPixmap(left, rect.top() + (rect.height() - 16) / 2, images_->Pixmap(GetIconKey(row)));
            }
            rect.setLeft(rect.left() + kIconWidth);
        }
        break;
    case ColPrice:
    case ColTotal: {
        platform::Currency value;
        if (ParseCurrency(text, value)) text = NumericString().GetAsString(platform::Variant(value));
        break;
    }
    case ColRemained: {
        double value = 0;
        if (!text.empty() && platform::TryStrToFloat(text, value))
            text = NumericString().GetAsString(platform::Variant(value));
        break;
    }
    default: break;
    }
}

void TInvListView::CanEdit(int col, int row, bool& allowed)
{
    allowed = col == ColRemained && !IsEmpty();
    TGridEdit::CanEdit(col, row, allowed);
}

void TInvListView::GetRowSelected(int col, int row, bool& selected)
{
    selected = GetStringGrid()->currentIndex().row() == row;
    TGridEdit::GetRowSelected(col, row, selected);
}

bool TInvListView::AcceptsText(int col, int, const std::string& text) const
{
    double value = 0;
    return col != ColRemained || text.empty() || platform::TryStrToFloat(text, value);
}

// ===== TInventoryView =================================================================================

TInventoryView::TInventoryView(QWidget* parent, TPanelOwner* owner)
    : TGuiPanel(parent, owner), sortImages_(SortStatePixmaps())
{
    setObjectName(QStringLiteral("InventoryView"));
    setFrameShape(QFrame::Box);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    list_ = new TInvListView(this);
    layout->addWidget(list_);
    list_->GetStringGrid()->setToolTip({});
    list_->GetStringGrid()->setStatusTip(QStringLiteral("インベントリービュー"));
    list_->SetHeaderImages(&sortImages_);
    list_->ClearColumns();
    list_->OnApply = [this](QObject*) { WriteRemained(); };
    list_->OnModifiedChange = [this](QObject*) {
        if (OnModifiedChange) OnModifiedChange(this);
    };

    QHeaderView* header = list_->GetHeaderControl();
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) { HeaderClick(section); });
    connect(header, &QHeaderView::sectionResized, this, [this] { HeaderResized(); });

    TVktObjEvent& events = GetObjEvent();
    events.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem) {
        switch (kind) {
        case TVktObjKind::Data:
        case TVktObjKind::Food:
        case TVktObjKind::Cook:
        case TVktObjKind::Menu:
        case TVktObjKind::Inventory: Changed(); break;
        default: break;
        }
    };
    // Purged records leave the sheet with their entries.
    events.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem) {
        if (kind == TVktObjKind::Inventory || kind == TVktObjKind::Data) Changed();
    };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem) {
        if (MasterFields.Contains(ToInt(field))) PatchMasterField(field);
        Repaint();
    };
    events.OnIconSetChange = [this](TVktObject*) { Changed(); };
}

TInventoryView::~TInventoryView()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

void TInventoryView::SetFilter(const TFilterObject& filter)
{
    if (!isVisible()) return;
    filter_ = filter;
    invDateId_ = 0;
    const int index = filter_.IndexOf(F::InvDate_Key);
    if (index >= 0) {
        const TFilters conditions = filter_.GetFilters(index);
        if (conditions.GetCount() > 0) invDateId_ = IntOr(conditions.GetBegin(0), 0);
    }
    Changed();
}

int TInventoryView::RowOfID(int id) const
{
    const auto found = rowOfId_.find(id);
    return found == rowOfId_.end() ? -1 : found->second;
}

void TInventoryView::SetViewFields(const TViewFieldStruct& fields)
{
    if (!(fields != viewFields_)) return;
    viewFields_ = fields;
    {
        const QSignalBlocker blocker(list_->GetHeaderControl());
        list_->ClearColumns();
        AddViewFieldColumns(*list_, viewFields_);
    }
    Changed();
}

void TInventoryView::DoAttach()
{
    classIcons_ = platform::IconList::FromImageList(GetVktObject()->GetClassIcons());
    list_->SetImages(&classIcons_);
    SetViewFields(GetVktObject()->GetInvViewFields());
}

void TInventoryView::DoDetach()
{
    list_->CancelEdit();
    viewFields_ = {};
    rowOfId_.clear();
    list_->SetImages(nullptr);
    const QSignalBlocker blocker(list_->GetHeaderControl());
    list_->ClearColumns();
    list_->Clear();
}

void TInventoryView::DoUpdate()
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return;
    classIcons_ = platform::IconList::FromImageList(object->GetClassIcons());

    TVktAccesser accesser(object);
    accesser.BeginUpdate();
    accesser.SetTable(TVktTable::TblInventory);
    TPriorityItem fields = viewFields_.GetName();
    TPriorityItem orders = viewFields_.GetOrder();
    orders.SetCount(fields.GetCount());
    // The cells need their seven fields even when the layout leaves some out.
    for (F field : kCellFields)
        if (fields.IndexOf(ToInt(field)) < 0) {
            fields << ToInt(field);
            orders << 0;
        }
    fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key);
    orders << 0 << 0;
    accesser.SetFields(fields);
    accesser.SetOrder(orders);
    accesser.SetFilter(filter_);
    accesser.EndUpdate();
    ++queryCount_;

    const platform::FlagScope loading(loading_);
    rowOfId_.clear();
    list_->Clear();
    std::vector<TInvRow> rows;
    const int count = accesser.GetRowCount();
    rows.reserve(count);
    rowOfId_.reserve(count);
    for (int row = 0; row < count; ++row) {
        accesser.SetRowIndex(row);
        TInvRow line;
        line.ClassName = accesser.GetText(F::Class);
        line.FormName = accesser.GetText(F::Form);
        line.Name = accesser.GetText(F::Data);
        line.UnitName = accesser.GetText(F::InvUnit);
        line.InvPrice = CurrencyOf(accesser.GetValue(F::InvPrice));
        line.Remained = DoubleOf(accesser.GetValue(F::Remained));
        line.InvTotalPrice = CurrencyOf(accesser.GetValue(F::InvTotalPrice));
        line.IconKey = IntOr(accesser.GetValue(F::Icon_Key), 0);
        line.DataID = IntOr(accesser.GetValue(F::Data_ID), 0);
        rowOfId_.emplace(line.DataID, row);
        rows.push_back(std::move(line));
    }
    list_->AddRows(rows);
    // The counts of a database opened read-only are only shown.
    if (object->IsReadOnly()) list_->SetEditing(false);
}

void TInventoryView::WriteRemained()
{
    TVktObject* object = GetVktObject();
    const int row = list_->EditRow();
    if (loading_ || !object || !object->IsValid() || row < 0 || list_->IsEmpty()) return;
    double remained = 0;
    if (!list_->GetRemained(row, remained)) return;
    list_->SetRemained(row, remained);
    TPriorityItem ids;
    ids << list_->GetRowID(row) << invDateId_;
    platform::Guard([&] {
        const platform::BusyCursor busy;
        if (object->EditData(F::Remained, platform::Variant(remained), ids))
            list_->SetTotal(row, InventoryLineTotal(list_->GetInvPrice(row), remained));
        else
            ShowStoredRemained(row);   // not stored (the database object said why)
    });
}

void TInventoryView::ShowStoredRemained(int row)
{
    TVktAccesser stored(GetVktObject());
    stored.BeginUpdate();
    stored.SetTable(TVktTable::TblInventory);
    TFilterObject filter;
    filter.Add(F::Inventory_Key, foEqual, list_->GetRowID(row), {});
    filter.Add(F::InvDate_Key, foEqual, invDateId_, {});
    stored.SetFilter(filter);
    stored.EndUpdate();
    if (stored.GetRowCount() > 0) list_->SetRemained(row, DoubleOf(stored.GetValue(F::Remained)));
}

void TInventoryView::PatchMasterField(TVktField field)
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid() || list_->IsEmpty()) return;
    // The master fields the cells show; a class's icon shows with its name.
    struct Patched {
        F field;
        int col;
    };
    constexpr Patched patched[] = {{F::Class, TInvListView::ColClass},
                                   {F::Form, TInvListView::ColForm},
                                   {F::InvUnit, TInvListView::ColUnit}};
    TPriorityItem fields;
    std::vector<Patched> copies;
    for (const Patched& item : patched)
        if (VktFieldEqual(item.field, field) && VktFieldContains(viewFields_.GetName(), item.field)) {
            fields << ToInt(item.field);
            copies.push_back(item);
        }
    const bool icons = field == F::Icon_Key;
    if (copies.empty() && !icons) return;
    fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key);

    TVktAccesser accesser(object);
    accesser.BeginUpdate();
    accesser.SetTable(TVktTable::TblInventory);
    accesser.SetFields(fields);
    TPriorityItem orders;
    orders.SetCount(fields.GetCount());
    accesser.SetOrder(orders);
    accesser.SetFilter(filter_);
    accesser.EndUpdate();
    ++patchCount_;
    // Rows are matched by their ingredient, not by position: the grid may be sorted differently.
    for (int i = 0; i < accesser.GetRowCount(); ++i) {
        accesser.SetRowIndex(i);
        const int row = RowOfID(IntOr(accesser.GetValue(F::Data_ID), 0));
        if (row < 0) continue;
        for (const Patched& item : copies) list_->GetModel()->SetCell(item.col, row, accesser.GetText(item.field));
        list_->SetIconKey(row, IntOr(accesser.GetValue(F::Icon_Key), 0));
    }
}

void TInventoryView::Repaint() { list_->GetModel()->Repaint(); }

void TInventoryView::HeaderClick(int section)
{
    if (CycleColumnSort(*list_, viewFields_, section)) Changed();
}

void TInventoryView::HeaderResized() { StoreColumnWidths(*list_, viewFields_); }

void TInventoryView::HeaderMouseUp()
{
    HeaderResized();
    if (TVktObject* object = GetVktObject()) object->SaveInvViewFields(viewFields_);
}

bool TInventoryView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched == list_->GetHeaderControl()->viewport())
        QMetaObject::invokeMethod(this, platform::Guarded([this] { HeaderMouseUp(); }), Qt::QueuedConnection);
    return TGuiPanel::eventFilter(watched, event);
}
