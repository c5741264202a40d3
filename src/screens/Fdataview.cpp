#include "screens/Fdataview.h"

#include "data/Uvktaccesser.h"
#include "data/Uvktrowpatch.h"
#include "database/Uvktobject.h"
#include "screens/Unoticesupport.h"
#include "screens/Uviewfieldcolumns.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>

#include <utility>

namespace {

using F = TVktField;

bool Truthy(const platform::Variant& value)
{
    if (value.IsEmptyOrNull()) return false;
    try {
        return value.AsBool();
    } catch (const std::exception&) {
        return false;
    }
}

int IntOr(const platform::Variant& value, int fallback)
{
    if (value.IsEmptyOrNull()) return fallback;
    try {
        return value.AsInt();
    } catch (const std::exception&) {
        return fallback;
    }
}

void MoveItem(TPriorityItem& list, int from, int to)
{
    const int value = list.GetItem(from);
    std::vector<int> items;
    for (int i = 0; i < list.GetCount(); ++i)
        if (i != from) items.push_back(list.GetItem(i));
    items.insert(items.begin() + to, value);
    list.Clear();
    for (int item : items) list << item;
}

// The fields a change of `field` makes the list re-read.
TPriorityItem AffectedFields(F field)
{
    TPriorityItem fields;
    switch (field) {
    case F::Class_Key: fields << ToInt(F::Class) << ToInt(F::Class2) << ToInt(F::Icon_Key); break;
    case F::Form_Key: fields << ToInt(F::Form) << ToInt(F::Form2); break;
    case F::UseUnit_Key: fields << ToInt(F::UseUnit) << ToInt(F::UseUnit2); break;
    case F::BuyUnit_Key: fields << ToInt(F::BuyUnit) << ToInt(F::BuyUnit2); break;
    case F::BuyPrice:
    case F::Quantity:
    case F::Yield:
    case F::Complete:
    case F::TotalPrice: fields << ToInt(field) << ToInt(F::UsePrice); break;
    case F::Dealer_Key: fields << ToInt(F::Company); break;
    case F::SalePrice: fields << ToInt(F::SalePrice) << ToInt(F::CostRate); break;
    // A recipe item changes the recipe's price.
    case F::ItemIndex:
    case F::ItemUse:
    case F::ItemUsePrice:
        fields << ToInt(field) << ToInt(F::UsePrice) << ToInt(F::TotalPrice) << ToInt(F::CostRate);
        break;
    default: fields << ToInt(field); break;
    }
    return fields;
}

} // namespace

TFilterObject DefaultSelectionFilter()
{
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, 1, {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

TDataView::TDataView(QWidget* parent, TPanelOwner* owner)
    : TGuiPanel(parent, owner), sortImages_(SortStatePixmaps()), filter_(DefaultSelectionFilter())
{
    setObjectName(QStringLiteral("DataView"));
    setFrameShape(QFrame::Box);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    list_ = new TDataListView(this);
    layout->addWidget(list_);
    list_->GetStringGrid()->setToolTip({});
    list_->GetStringGrid()->setStatusTip(QStringLiteral("データビュー"));
    list_->SetHeaderImages(&sortImages_);
    list_->OnCellText = [this](TDataListView*, int col, std::string& text, int row) { CellText(col, text, row); };
    list_->OnRowImages = [this](TDataListView*, int, int& state, int& image, int row) { RowImages(state, image, row); };

    QHeaderView* header = list_->GetHeaderControl();
    header->setSectionsMovable(true);
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) { HeaderClick(section); });
    connect(header, &QHeaderView::sectionMoved, this,
            [this](int, int from, int to) { SectionMoved(from, to); });

    TVktObjEvent& events = GetObjEvent();
    events.OnIconSetChange = [this](TVktObject*) { Changed(); };
    events.OnViewFieldsChange = [this](TVktObject* sender) {
        BeginUpdate();
        SetViewFields(sender->GetViewFields());
        EndUpdate();
    };
    events.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (kind == TVktObjKind::Data || kind == TVktObjKind::Food || kind == TVktObjKind::Cook ||
            kind == TVktObjKind::Menu)
            Changed();
        else if (kind == TVktObjKind::RecipeItem)
            FieldChanged(F::ItemIndex, FirstIdOnly(ids));
    };
    events.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (kind == TVktObjKind::Data)
            Changed();
        else if (kind == TVktObjKind::RecipeItem)
            FieldChanged(F::ItemIndex, FirstIdOnly(ids));
    };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) { FieldChanged(field, ids); };
}

TDataView::~TDataView()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

void TDataView::SetFilter(const TFilterObject& filter)
{
    if (!isVisible()) return;
    if (filter != filter_) newSelection_ = true;
    filter_ = filter;
    Changed();
}

int TDataView::RowOfID(int id) const
{
    const auto found = rowOfId_.find(id);
    return found == rowOfId_.end() ? -1 : found->second;
}

void TDataView::SetViewFields(const TViewFieldStruct& fields)
{
    if (!(fields != viewFields_)) return;
    viewFields_ = fields;
    list_->BeginHeaderUpdate();
    list_->ClearColumns();
    AddViewFieldColumns(*list_, viewFields_);
    list_->EndHeaderUpdate();
    Changed();
}

void TDataView::DoAttach()
{
    classIcons_ = platform::IconList::FromImageList(GetVktObject()->GetClassIcons());
    list_->SetClassImages(&classIcons_);
    SetViewFields(GetVktObject()->GetViewFields());
}

void TDataView::DoDetach()
{
    accesser_.reset();
    rowOfId_.clear();
    viewFields_ = {};
    list_->SetClassImages(nullptr);
    list_->BeginHeaderUpdate();
    list_->ClearColumns();
    list_->ClearRows();
    list_->UpdateRows();
    list_->EndHeaderUpdate();
}

void TDataView::DoUpdate()
{
    accesser_.reset();
    rowOfId_.clear();
    list_->ClearRows();
    TVktObject* object = GetVktObject();
    if (object && object->IsValid() && viewFields_.GetName().GetCount() > 0) {
        classIcons_ = platform::IconList::FromImageList(object->GetClassIcons());
        accesser_ = std::make_unique<TVktAccesser>(object);
        accesser_->BeginUpdate();
        accesser_->SetTable(TVktTable::TblData);
        TPriorityItem fields = viewFields_.GetName();
        fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key) << ToInt(F::Conserve) << ToInt(F::InvItem);
        TPriorityItem orders = viewFields_.GetOrder();
        orders.SetCount(viewFields_.GetName().GetCount());
        orders << 0 << 0 << 0 << 0;
        accesser_->SetFields(fields);
        accesser_->SetOrder(orders);
        accesser_->SetFilter(filter_);
        accesser_->EndUpdate();
        ++queryCount_;
        const int count = accesser_->GetRowCount();
        list_->ReserveRows(count);
        rowOfId_.reserve(count);
        for (int row = 0; row < count; ++row) {
            accesser_->SetRowIndex(row);
            const int id = IntOr(accesser_->GetValue(F::Data_ID), 0);
            list_->AddRow(id);
            rowOfId_.emplace(id, row);
        }
    }
    list_->UpdateRows();
    if (std::exchange(newSelection_, false)) list_->ShowFromTop();
}

void TDataView::CellText(int col, std::string& text, int row)
{
    if (!accesser_ || col < 0 || col >= viewFields_.GetName().GetCount()) return;
    accesser_->SetRowIndex(row);
    text = accesser_->GetText(ToVktField(viewFields_.GetName().GetItem(col)));
}

void TDataView::RowImages(int& stateImage, int& classImage, int row)
{
    if (!accesser_) return;
    accesser_->SetRowIndex(row);
    classImage = IntOr(accesser_->GetValue(F::Icon_Key), -1);
    if (Truthy(accesser_->GetValue(F::Conserve))) stateImage = 1;
    else if (Truthy(accesser_->GetValue(F::InvItem))) stateImage = 0;
}

void TDataView::Repaint() { list_->GetStringGrid()->viewport()->update(); }

void TDataView::HeaderClick(int section)
{
    if (CycleColumnSort(*list_, viewFields_, section)) Changed();
}

void TDataView::HeaderMouseUp()
{
    StoreColumnWidths(*list_, viewFields_);
    if (TVktObject* object = GetVktObject()) object->SaveViewFields(viewFields_);
}

void TDataView::SectionMoved(int from, int to)
{
    QHeaderView* header = list_->GetHeaderControl();
    {
        const QSignalBlocker blocker(header);
        header->moveSection(to, from);
    }
    const int count = viewFields_.GetName().GetCount();
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return;
    TViewFieldStruct moved = viewFields_;
    StoreColumnWidths(*list_, moved);
    MoveItem(moved.GetName(), from, to);
    MoveItem(moved.GetOrder(), from, to);
    MoveItem(moved.GetWidth(), from, to);
    if (TVktObject* object = GetVktObject()) object->SaveViewFields(moved);
}

bool TDataView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched == list_->GetHeaderControl()->viewport()) {
        // After the header has handled the release (a click's sort comes first).
        QMetaObject::invokeMethod(this, [this] { HeaderMouseUp(); }, Qt::QueuedConnection);
    }
    return TGuiPanel::eventFilter(watched, event);
}

void TDataView::FieldChanged(TVktField field, const TPriorityItem& ids)
{
    const int number = ToInt(field);
    if (field == F::EraseDate || field == F::Attribute_Key) {
        Changed();
    } else if (DataFields.Contains(number)) {
        PatchRows(AffectedFields(field), NoticeRecordIds(field, ids));
    } else if (MasterFields.Contains(number)) {
        PatchMasterField(field);
    }
    Repaint();
}

void TDataView::PatchRows(TPriorityItem fields, const TPriorityItem& ids)
{
    TVktObject* object = GetVktObject();
    if (!object || !accesser_ || !object->IsValid()) return;
    if (ids.GetCount() > kPatchLimit) {
        Changed();
        return;
    }
    // Only fields the list holds (its columns and the row images' fields), and only records it lists.
    TPriorityItem shown;
    for (int i = 0; i < fields.GetCount(); ++i) {
        const int field = fields.GetItem(i);
        if (viewFields_.GetName().IndexOf(field) >= 0 || field == ToInt(F::Icon_Key) ||
            field == ToInt(F::Conserve) || field == ToInt(F::InvItem))
            shown << field;
    }
    if (shown.GetCount() == 0) return;
    const TRowOfId rowOf = [this](int id) { return RowOfID(id); };
    const std::optional<TFilterObject> filter = ListedRecordsFilter({}, ids, rowOf);
    if (!filter) return;
    ++patchCount_;
    patchedRows_ += PatchListedRows(*accesser_, rowOf, TVktTable::TblData, shown, shown, *filter);
}

void TDataView::PatchMasterField(TVktField field)
{
    TVktObject* object = GetVktObject();
    if (!object || !accesser_ || !object->IsValid() || !VktFieldContains(viewFields_.GetName(), field)) return;
    const TPriorityItem& names = viewFields_.GetName();
    for (int col = 0; col < names.GetCount(); ++col) {
        const TVktField shown = ToVktField(names.GetItem(col));
        if (!VktFieldEqual(shown, field)) continue;
        TPriorityItem fields;
        fields << ToInt(shown) << ToInt(F::Data_ID) << ToInt(F::Icon_Key);
        ++patchCount_;
        patchedRows_ += PatchListedRows(*accesser_, [this](int id) { return RowOfID(id); }, TVktTable::TblData,
                                        fields, TPriorityItem() << ToInt(shown), filter_);
    }
}
