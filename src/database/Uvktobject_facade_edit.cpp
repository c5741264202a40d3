// The facade over adding records and master rows, field edits and the price history: each
// operation runs its module operation on this database's folder and announces what changed.
#include "database/Uvktobject.h"

// ---- Adding records and master rows ---------------------------------------------------------------

int TVktObject::AddNewData(int classId, const std::string& name) {
    const int id = Change(0, [&] { return BoundFunctor().AddNewData(classId, name); });
    if (id != 0) DoRecordsAdd(TVktObjKind::Data, Single(id));
    return id;
}

int TVktObject::AddClass(int parentId, const std::string& name) {
    const int id = Change(0, [&] { return BoundFunctor().AddClass(parentId, name); });
    if (id != 0) DoRecordsAdd(TVktObjKind::Class, Single(id));
    return id;
}

int TVktObject::AddForm(std::int8_t unitType, const std::string& name) {
    const int id = Change(0, [&] { return BoundFunctor().AddForm(unitType, name); });
    if (id != 0) DoRecordsAdd(TVktObjKind::Form, Single(id));
    return id;
}

int TVktObject::AddUnit(std::int8_t unitType, const std::string& name) {
    const int id = Change(0, [&] { return BoundFunctor().AddUnit(unitType, name); });
    if (id != 0) DoRecordsAdd(TVktObjKind::Unit, Single(id));
    return id;
}

int TVktObject::AddDealer(const std::string& name) {
    const int id = Change(0, [&] { return BoundFunctor().AddDealer(name); });
    if (id != 0) DoRecordsAdd(TVktObjKind::Dealer, Single(id));
    return id;
}

int TVktObject::AddAttrItem(const std::string& name) {
    const int id = Change(0, [&] { return BoundFunctor().AddAttrItem(name); });
    if (id != 0) DoRecordsAdd(TVktObjKind::AttrItem, Single(id));
    return id;
}

bool TVktObject::ChangeDataClass(int classId, int tag, const TPriorityItem& ids, const TVktProgressEvent& progress) {
    return RunBatch(
        ids, TVktBatchMode::Batch, tag, progress, [&](int id) { return GetFunctor().ChangeDataClass(id, classId); },
        [&](const TPriorityItem& done) { DoFieldChange(TVktField::Class_Key, done); });
}

// ---- Field edits --------------------------------------------------------------------------------------

bool TVktObject::EditData(TVktField field, const platform::Variant& value, const TPriorityItem& ids) {
    if (!Change(false, [&] {
            return WithWriteFunctor([&](TVktObjectFunctor& functor) { return functor.EditData(field, value, ids); });
        }))
        return false;
    DoFieldChange(field, ids);
    return true;
}

bool TVktObject::UpdateDataKeys(const std::string& values, int tag, const TPriorityItem& ids, TPriorityItem fields,
                                const TVktProgressEvent& progress) {
    return RunBatch(
        ids, TVktBatchMode::Batch, tag, progress,
        [&](int id) { return GetFunctor().UpdateDataKeys(id, values, fields); },
        [&](const TPriorityItem& done) {
            // Every written record was stamped as well.
            TPriorityItem changed = fields;
            changed << ToInt(TVktField::ChangeDate);
            for (int i = 0; i < changed.GetCount(); ++i) DoFieldChange(ToVktField(changed.GetItem(i)), done);
        });
}

bool TVktObject::SetDataAttributes(int tag, const TPriorityItem& ids, const TPriorityItem& attrItems,
                                   TPriorityItem checks, const TVktProgressEvent& progress) {
    if (checks.GetCount() < attrItems.GetCount()) checks.SetCount(attrItems.GetCount());
    return RunBatch(
        ids, TVktBatchMode::Batch, tag, progress,
        [&](int id) { return GetFunctor().SetDataAttributes(id, attrItems, checks); },
        [&](const TPriorityItem& done) { DoFieldChange(TVktField::Attribute_Key, done); });
}

// ---- Price history ------------------------------------------------------------------------------------

bool TVktObject::ConvertHistoryUnit(int dataId, int unitKey, double rate) {
    if (!Change(false, [&] { return BoundFunctor().ConvertHistoryUnit(dataId, unitKey, rate); })) return false;
    DoFieldChange(TVktField::UseUnit_Key, Single(dataId));
    return true;
}

// Bound to the folder like every other operation: after the registry moved the database, the
// module would otherwise still point at the old folder.
bool TVktObject::SetMHistoryPrice(int dataId, platform::TDateTime date, platform::Currency price) {
    if (!Change(false, [&] { return BoundFunctor().SetMHistoryPrice(dataId, date, price); })) return false;
    DoFieldChange(TVktField::MHistoryPrice, Single(dataId));
    return true;
}

bool TVktObject::MakeYHistory(bool removeMHistory, int tag, platform::TDateTime date,
                              const TVktProgressEvent& progress) {
    const TPriorityItem ids = BoundFunctor().SelectDataIDs(TFilterObject());
    if (ids.GetCount() == 0) return true;
    return RunBatch(
        ids, TVktBatchMode::Plain, tag, progress,
        [&](int id) { return GetFunctor().MakeYHistory(id, removeMHistory, date); },
        [&](const TPriorityItem& done) { DoRecordsAdd(TVktObjKind::Food, done); });
}
