// The facade over recipe items, recosting and the batch insert of records: each operation runs
// its module operation on this database's folder and announces what changed.
#include "database/Uvktobject.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"

// ---- Recipe items and recosting ---------------------------------------------------------------------

bool TVktObject::MoveRecipeItemUp(int recipeId, int itemIndex) {
    if (!Change(false, [&] { return BoundFunctor().MoveRecipeItemUp(recipeId, itemIndex); })) return false;
    DoFieldChange(TVktField::ItemIndex, Single(recipeId));
    return true;
}

bool TVktObject::MoveRecipeItemDown(int recipeId, int itemIndex) {
    if (!Change(false, [&] { return BoundFunctor().MoveRecipeItemDown(recipeId, itemIndex); })) return false;
    DoFieldChange(TVktField::ItemIndex, Single(recipeId));
    return true;
}

bool TVktObject::SplitItemCategory(int recipeId, int itemIndex) {
    if (!Change(false, [&] { return BoundFunctor().SplitItemCategory(recipeId, itemIndex); })) return false;
    DoFieldChange(TVktField::ItemIndex, Single(recipeId));
    return true;
}

bool TVktObject::ClearItemCategories(int recipeId) {
    if (!Change(false, [&] { return BoundFunctor().ClearItemCategories(recipeId); })) return false;
    DoFieldChange(TVktField::ItemIndex, Single(recipeId));
    return true;
}

// One notice for the whole run, however many sub-recipes it recosted.
bool TVktObject::RefreshItemPrices(int recipeId, TVktPriceMode mode) {
    if (!Change(false, [&] {
            return WithWriteFunctor([&](TVktObjectFunctor& functor) {
                return functor.RefreshItemPrices(recipeId, mode, TPriorityItem(), 0);
            });
        }))
        return false;
    DoFieldChange(TVktField::ItemIndex, Single(recipeId));
    return true;
}

bool TVktObject::DeleteRecipeItem(int recipeId, int itemIndex) {
    if (!Change(false, [&] { return BoundFunctor().DeleteRecipeItem(recipeId, itemIndex); })) return false;
    DoRecordsDelete(TVktObjKind::RecipeItem, Single(recipeId));
    return true;
}

// The notice names the recipe, not the appended records, and fires also when none was appended.
bool TVktObject::AppendRecipeItem(int recipeId, int tag, const TPriorityItem& items,
                                  const TVktProgressEvent& progress) {
    return RunBatch(
        items, TVktBatchMode::Batch, tag, progress,
        [&](int id) { return GetFunctor().AppendRecipeItem(recipeId, id, pmNow); },
        [&](const TPriorityItem&) { DoRecordsAdd(TVktObjKind::RecipeItem, Single(recipeId)); });
}

// ---- Batch insert of records ---------------------------------------------------------------------------

// One record per line; the loop stops at the first line that makes none. The progress text is the
// line's value in the column of Data (empty when the field list has no such column).
bool TVktObject::InsertData(TVktObjKind kind, const std::string& rows, const TPriorityItem& fields, int tag,
                            const TVktProgressEvent& progress) {
    const std::vector<std::string_view> lines = platform::SplitLines(rows);
    const int nameColumn = fields.IndexOf(ToInt(TVktField::Data));
    return RunBatchLoop(
        static_cast<int>(lines.size()), TVktBatchMode::Batch, tag, progress,
        [&](int index) {
            const std::string_view line = lines[static_cast<std::size_t>(index)];
            TVktBatchStep result;
            result.done = GetFunctor().InsertData(kind, line, fields);
            result.ok = result.done != 0;
            if (progress && nameColumn >= 0) {   // the text is only for the progress callback
                const std::vector<std::string> values = platform::SplitCommaText(line);
                if (nameColumn < static_cast<int>(values.size())) result.text = values[static_cast<std::size_t>(nameColumn)];
            }
            return result;
        },
        [&](const TPriorityItem& done) {
            if (done.GetCount() > 0) DoRecordsAdd(kind, done);
        });
}
