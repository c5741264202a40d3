#include "data/Uvktaccesser.h"

#include <algorithm>

#include "data/Mvktdatalister.h"
#include "data/Uvktrowcache.h"
#include "data/Usqlwiz.h"
#include "platform/ConnectionPool.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/Text.h"

namespace {

// Runs `body` inside BeginUpdate / EndUpdate of the accessor; on an exception the bracket is
// closed without listing and the exception goes on.
template <class Body>
void WithinUpdate(TVktAccesser& accesser, int& updateCount, Body&& body) {
    accesser.BeginUpdate();
    try {
        body();
    } catch (...) {
        if (updateCount > 0) --updateCount;
        throw;
    }
    accesser.EndUpdate();
}

} // namespace

TVktAccesser::TVktAccesser(TVktAccesserOwner owner)
    : subscription_(std::make_unique<TVktObjEvent>()), rows_(std::make_unique<TVktRowCache>()) {
    subscription_->OnClose = [this](TVktObject*) { SetVktObject(nullptr); };
    subscription_->OnRelease = [this](TVktObject*) { SetVktObject(nullptr); };
    WithinUpdate(*this, updateCount_, [&] {
        if (owner.GetObject()) SetVktObject(owner.GetObject());
        ClearDirty();
    });
    if (owner.GetAccesser()) {
        owner_ = owner.GetAccesser();
        owner_->components_.push_back(this);
    }
}

TVktAccesser::~TVktAccesser() {
    destroying_ = true;
    try {
        SetVktObject(nullptr);
    } catch (...) {
        // A destructor reports nothing (a failing Release or a component's listing).
    }
    subscription_->Detach();
    for (TVktAccesser* component : components_) component->owner_ = nullptr;
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

TVktAccesser* TVktAccesser::GetComponent(int index) const {
    if (index < 0 || index >= GetComponentCount())
        platform::RaiseListIndex(index);
    return components_[static_cast<std::size_t>(index)];
}

void TVktAccesser::SetVktObject(TVktObjectLink* object) {
    if (object == object_) return;
    subscription_->Detach();
    if (object_) {
        DoDetach();
        TVktObjectLink* old = object_;
        object_ = nullptr;
        old->Release();
    }
    if (object) {
        object->AddRef();
        object_ = object;
        object->GetEvents().Add(subscription_.get());
        DoAttach();
    }
    // A component may leave its owner while being rebound: walk a copy.
    const std::vector<TVktAccesser*> components = components_;
    for (TVktAccesser* component : components)
        if (std::find(components_.begin(), components_.end(), component) != components_.end())
            component->SetVktObject(object);
    if (!destroying_) Refresh();
}

std::string TVktAccesser::GetPath() const {
    return object_ ? object_->GetPath() : path_;
}

void TVktAccesser::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
    Update();
}

void TVktAccesser::Update() {
    if (updateCount_ != 0 || !dirty_) return;
    dirty_ = false;
    listed_ = Execute();
}

void TVktAccesser::Refresh() {
    dirty_ = true;
    listed_ = true;
    Update();
}

void TVktAccesser::SetTable(TVktTable table) {
    WithinUpdate(*this, updateCount_, [&] {
        TPriorityItem fields;
        TPriorityItem orders;
        if (StoredTables.Contains(table)) {
            const int first = ToInt(GetTableFirstField(table));
            for (int i = 0; i < GetTableFieldCount(table); ++i) {
                fields << first + i;
                orders << 0;
            }
            orders.SetItem(0, 1);
        }
        if (table != table_) {
            table_ = table;
            Refresh();
        }
        SetFields(fields);
        SetOrder(orders);
        SetFilter(TFilterObject());
    });
}

void TVktAccesser::SetFields(const TPriorityItem& fields) {
    if (fields == fields_) return;
    fields_ = fields;
    Refresh();
}

void TVktAccesser::SetOrder(const TPriorityItem& orders) {
    if (orders == orders_) return;
    orders_ = orders;
    Refresh();
}

void TVktAccesser::SetFilter(const TFilterObject& filter) {
    if (!(filter != filter_)) return;
    filter_ = filter;
    Refresh();
}

int TVktAccesser::GetRowCount() const {
    return partial_ ? counted_ : rows_->GetRowCount();
}

int TVktAccesser::GetCachedRowCount() const {
    return rows_->GetRowCount();
}

void TVktAccesser::SetRowIndex(int row) {
    rowIndex_ = row;
    if (!partial_ || listing_ || row < rows_->GetRowCount() || row >= counted_) return;
    ListRows(0);
    rowIndex_ = row;
}

bool TVktAccesser::CellOf(TVktField field, int& col, int& row) const {
    const int count = rows_->GetRowCount();
    if (count == 0) return false;
    col = fields_.IndexOf(ToInt(field));
    // Under the update lock the list may hold fields not listed yet.
    if (col < 0 || col >= rows_->GetColCount()) return false;
    row = rowIndex_ >= 0 && rowIndex_ < count ? rowIndex_ : 0;
    return true;
}

platform::Variant TVktAccesser::GetValue(TVktField field) const {
    int col = 0, row = 0;
    return CellOf(field, col, row) ? rows_->GetValue(col, row) : platform::Variant();
}

std::string TVktAccesser::GetText(TVktField field) const {
    int col = 0, row = 0;
    return CellOf(field, col, row) ? rows_->GetText(col, row) : std::string();
}

void TVktAccesser::SetValue(TVktField field, const platform::Variant& value) {
    int col = 0, row = 0;
    if (CellOf(field, col, row)) rows_->SetValue(col, row, value);
}

void TVktAccesser::SetText(TVktField field, const std::string& text) {
    int col = 0, row = 0;
    if (CellOf(field, col, row)) rows_->SetText(col, row, text);
}

int TVktAccesser::FindRow(TVktField field, const platform::Variant& value) const {
    const int col = fields_.IndexOf(ToInt(field));
    return col < 0 ? -1 : rows_->Find(col, value);
}

bool TVktAccesser::Execute() {
    if (updateCount_ != 0 || listing_) return false;
    partial_ = false;
    SetRowIndex(0);
    if (window_ == 0 || fields_.GetCount() == 0 || GetPath().empty()) return ListRows(0);
    const int count = CountRows();
    if (count < 0) {
        // The count fails as the listing would: nothing is listed.
        rows_->Reset(fields_.GetCount());
        return false;
    }
    const bool result = ListRows(window_);
    // A query that ended within the window holds its rows whatever was counted.
    partial_ = result && rows_->GetRowCount() == window_ && count > window_;
    counted_ = count;
    return result;
}

int TVktAccesser::CountRows() const {
    TVktDataLister lister;
    lister.SetPath(GetPath());
    lister.SetTable(table_);
    TPriorityItem keys;
    keys << ToInt(GetTableFirstField(table_));
    return lister.Count(keys, filter_);
}

bool TVktAccesser::ListRows(int limit) {
    partial_ = false;
    rows_->Reset(fields_.GetCount());
    textColumns_.assign(static_cast<std::size_t>(fields_.GetCount()), false);
    for (int i = 0; i < fields_.GetCount(); ++i)
        textColumns_[static_cast<std::size_t>(i)] = VktValueIsText(ToVktField(fields_.GetItem(i)));

    auto lister = std::make_unique<TVktDataLister>();
    lister->SetPath(GetPath());
    lister->SetTable(table_);
    lister->OnListRow = [this](TVktDataLister*, int row, void*) { ListRow(row); };
    lister->OnListCell = [this](TVktDataLister*, int row, TVktField field, const std::string& text,
                                const platform::Variant& value, void*) { ListCell(row, field, text, value); };
    lister->OnListRowDone = [this, limit](TVktDataLister*, int row, bool& more, void*) {
        DoRowDone(row, more);
        if (limit > 0 && row + 1 >= limit) more = false;
    };
    listing_ = true;
    try {
        const bool result = lister->List(nullptr, fields_, orders_, filter_);
        listing_ = false;
        return result;
    } catch (...) {
        listing_ = false;
        throw;
    }
}

void TVktAccesser::ListRow(int row) {
    rows_->AddRow();
    listColumn_ = 0;
    DoRowAdded(row);
}

void TVktAccesser::ListCell(int row, TVktField field, const std::string& text, const platform::Variant& value) {
    const int col = listColumn_++;
    if (col >= rows_->GetColCount()) return;
    rows_->Put(col, text, value, textColumns_[static_cast<std::size_t>(col)]);
    DoCellAdded(row, field, text, value);
}

void TVktAccesser::DoRowAdded(int row) {
    if (!destroying_ && OnRowAdded) OnRowAdded(this, row);
}

void TVktAccesser::DoCellAdded(int row, TVktField field, const std::string& text, const platform::Variant& value) {
    if (destroying_) return;
    if (OnCellAdded) OnCellAdded(this, row, field);
    if (OnCellValue) OnCellValue(this, row, field, text, value);
}

void TVktAccesser::DoRowDone(int row, bool& more) {
    if (!destroying_ && OnRowDone) OnRowDone(this, row, more);
}
