// The facade over the trash, deletes and their dependency queries, reordering and the inventory
// sheets: each operation runs its module operation on this database's folder and announces what
// changed, only when the module reports success.
#include "database/Uvktobject.h"

#include <exception>
#include <optional>

namespace {

// Highest inventory price type (4: the yearly history's minimum price).
constexpr std::uint8_t kLastInventoryType = 4;

// GetDataEraseState of a record kept for the inventory sheets (Conserve set).
constexpr int kKeptState = -2;

} // namespace

// ---- Trash, restore, purge ------------------------------------------------------------------------

bool TVktObject::EraseData(int tag, const TPriorityItem& ids, const TVktProgressEvent& progress) {
    return RunBatch(
        ids, TVktBatchMode::Batch, tag, progress, [&](int id) { return GetFunctor().EraseData(id); },
        [&](const TPriorityItem& done) { DoFieldChange(TVktField::EraseDate, done); });
}

bool TVktObject::RestoreData(int tag, const TPriorityItem& ids, const TVktProgressEvent& progress) {
    return RunBatch(
        ids, TVktBatchMode::Batch, tag, progress, [&](int id) { return GetFunctor().RestoreData(id); },
        [&](const TPriorityItem& done) { DoFieldChange(TVktField::EraseDate, done); });
}

// A record an inventory sheet still counts is kept (conserved) instead of gone: the purge did all it
// may, so it is a done step, announced with the deleted ones, and the batch goes on.
bool TVktObject::PurgeData(int tag, const TPriorityItem& ids, const TVktProgressEvent& progress) {
    return RunBatch(
        ids, TVktBatchMode::Batch, tag, progress,
        [&](int id) { return GetFunctor().PurgeData(id) || GetFunctor().GetDataEraseState(id) == kKeptState; },
        [&](const TPriorityItem& done) { DoRecordsDelete(TVktObjKind::Data, done); });
}

std::vector<TVktItemUse> TVktObject::GetItemUses(const TPriorityItem& ids) { return BoundFunctor().GetItemUses(ids); }

// ---- Deletes of master rows -----------------------------------------------------------------------

bool TVktObject::DeleteClass(int classId) {
    if (!Change(false, [&] { return BoundFunctor().DeleteClass(classId); })) return false;
    DoRecordsDelete(TVktObjKind::Class, Single(classId));
    return true;
}

bool TVktObject::DeleteForm(int unitsId) {
    if (!Change(false, [&] { return BoundFunctor().DeleteForm(unitsId); })) return false;
    DoRecordsDelete(TVktObjKind::Form, Single(unitsId));
    return true;
}

bool TVktObject::DeleteUnit(int unitsId) {
    if (!Change(false, [&] { return BoundFunctor().DeleteUnit(unitsId); })) return false;
    DoRecordsDelete(TVktObjKind::Unit, Single(unitsId));
    return true;
}

bool TVktObject::DeleteDealer(int dealerId) {
    if (!Change(false, [&] { return BoundFunctor().DeleteDealer(dealerId); })) return false;
    DoRecordsDelete(TVktObjKind::Dealer, Single(dealerId));
    return true;
}

bool TVktObject::DeleteAttrItem(int attrItemId) {
    if (!Change(false, [&] { return BoundFunctor().DeleteAttrItem(attrItemId); })) return false;
    DoRecordsDelete(TVktObjKind::AttrItem, Single(attrItemId));
    return true;
}

// ---- Dependency queries ---------------------------------------------------------------------------

int TVktObject::GetDataClassType(int dataId) { return BoundFunctor().GetDataClassType(dataId); }

int TVktObject::GetDataEraseState(int dataId) { return BoundFunctor().GetDataEraseState(dataId); }

bool TVktObject::GetClassesByIcon(int iconIndex) { return BoundFunctor().GetClassesByIcon(iconIndex); }

bool TVktObject::ClassHasContents(int classId) { return BoundFunctor().ClassHasContents(classId); }

TTreeIndex TVktObject::GetClassTreeID(int classId) { return BoundFunctor().GetClassTreeID(classId); }

bool TVktObject::GetUsedUnitKeys(int unitsId) { return BoundFunctor().GetUsedUnitKeys(unitsId); }

bool TVktObject::GetFoodsByDealer(int dealerId) { return BoundFunctor().GetFoodsByDealer(dealerId); }

bool TVktObject::ClassIsBranchOrEmpty(int classId) { return BoundFunctor().ClassIsBranchOrEmpty(classId); }

// ---- Reordering (a move is announced as an add of the new position) -------------------------------

bool TVktObject::MoveClassUp(int classId) {
    if (!Change(false, [&] { return BoundFunctor().MoveClassUp(classId); })) return false;
    DoFieldChange(TVktField::TreeID, Single(classId));
    return true;
}

bool TVktObject::MoveClassDown(int classId) {
    if (!Change(false, [&] { return BoundFunctor().MoveClassDown(classId); })) return false;
    DoFieldChange(TVktField::TreeID, Single(classId));
    return true;
}

// Forms and units share one key space: both lists re-read.
bool TVktObject::MoveUnit(int from, int to) {
    if (!Change(false, [&] { return BoundFunctor().MoveUnit(from, to); })) return false;
    DoRecordsAdd(TVktObjKind::Form, Single(to));
    DoRecordsAdd(TVktObjKind::Unit, Single(to));
    return true;
}

bool TVktObject::MoveDealer(int from, int to) {
    if (!Change(false, [&] { return BoundFunctor().MoveDealer(from, to); })) return false;
    DoRecordsAdd(TVktObjKind::Dealer, Single(to));
    return true;
}

bool TVktObject::MoveAttrItem(int from, int to) {
    if (!Change(false, [&] { return BoundFunctor().MoveAttrItem(from, to); })) return false;
    DoRecordsAdd(TVktObjKind::AttrItem, Single(to));
    return true;
}

// ---- Month lists and inventory sheets -------------------------------------------------------------

TPriorityItem TVktObject::GetMHistoryMonths() { return BoundFunctor().GetMHistoryMonths(); }

TPriorityItem TVktObject::GetInvDateMonths() { return BoundFunctor().GetInvDateMonths(); }

TPriorityItem TVktObject::GetInvDates() { return BoundFunctor().GetInvDates(); }

TPriorityItem TVktObject::GetInventoryItems() { return BoundFunctor().GetInventoryItems(); }

int TVktObject::FindInvDate(platform::TDateTime date) { return BoundFunctor().FindInvDate(date); }

bool TVktObject::DeleteInventoryEntry(int invDateId, int tag, const TPriorityItem& ids,
                                      const TVktProgressEvent& progress) {
    if (invDateId == 0) return true;
    return RunBatch(
        ids, TVktBatchMode::Plain, tag, progress,
        [&](int id) { return GetFunctor().DeleteInventoryEntry(invDateId, id); },
        [&](const TPriorityItem& done) {
            if (done.GetCount() > 0) DoRecordsDelete(TVktObjKind::Inventory, done);
        });
}

// The month's sheet is stored (or its price type updated) and announced even for an empty id
// list. The sheet and its entries change together: one transaction, committed only when every
// entry is written, so that no sheet claims a price type its entries were not valued at. A
// failed entry, a stop asked by the callback or an exception rolls all of it back (a new sheet
// included) and announces nothing. A price type without a price column, or a sheet that cannot
// be stored, is a failure.
bool TVktObject::SetInventoryEntry(std::uint8_t inventoryType, bool resetRemained, const TPriorityItem& ids,
                                   platform::TDateTime date, int tag, const TVktProgressEvent& progress) {
    if (inventoryType > kLastInventoryType || !MayChange()) return false;
    TVktObjectFunctor& functor = BoundFunctor();
    std::optional<platform::Savepoint> whole;
    try {
        whole.emplace(functor.GetConnection());
    } catch (const std::exception&) {
        return false;   // no database to write in
    }
    const int sheet = Change(0, [&] { return functor.AddInvDate(inventoryType, date); });
    if (sheet == 0) return false;
    TPriorityItem entries;
    const bool ok = RunBatch(
        ids, TVktBatchMode::Plain, tag, progress,
        [&](int id) { return GetFunctor().SetInventoryEntry(sheet, id, resetRemained); },
        [&](const TPriorityItem& done) { entries = done; });
    if (!ok) {
        whole.reset();   // rolled back before a failure is said
        ReportWriteFailure();
        return false;
    }
    whole->Release();
    DoRecordsAdd(TVktObjKind::InvDate, Single(sheet));
    if (entries.GetCount() > 0) DoRecordsAdd(TVktObjKind::Inventory, entries);
    return true;
}

// Adds records to an existing sheet, keeping the counted remainders; an unknown sheet does nothing.
bool TVktObject::SetInventoryEntries(int invDateId, int tag, const TPriorityItem& ids,
                                     const TVktProgressEvent& progress) {
    if (BoundFunctor().GetInvDates().IndexOf(invDateId) < 0) return true;
    return RunBatch(
        ids, TVktBatchMode::Plain, tag, progress,
        [&](int id) { return GetFunctor().SetInventoryEntry(invDateId, id, false); },
        [&](const TPriorityItem& done) {
            if (done.GetCount() > 0) DoRecordsAdd(TVktObjKind::Inventory, done);
        });
}
