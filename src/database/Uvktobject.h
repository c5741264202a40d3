#pragma once
// TVktObject: one registered database as the rest of the program sees it. Screens, read accessors
// and reports hold a reference to it (AddRef / Release), subscribe to its change notices
// (GetEvents) and ask it, never the operations module directly, to change data.
//
// Opening by reference count: the first AddRef reads the settings sections below; the last
// Release tells the remaining subscribers to let go and closes the module's session. Close makes
// every subscriber let go (each releases its reference).
//
// Settings sections, each an XML element stored under its setting name by the module's settings
// store (GetInitial / SetInitial); the stored text is the element's XML without a declaration:
//   setting          element          children                                 held in
//   "ClassIcon"      IconSet          Icon  Icon_ID="i" Value="Base64 of a     the class-icon list
//                                           16 × 16 bitmap file" per image
//   "Filter"         FilterSet        one Filter per user filter               the filter set
//   "ViewField"      ViewFields       ViewField per column                     GetViewFields
//   "InvViewField"   InvViewFields    the same                                 GetInvViewFields
//   "ItemViewField"  ItemViewFields   the same                                 GetItemViewFields
// A missing section reads as an absent element: the icon list, the filter set and the layouts
// are left empty.
//
// Notices are fired after the writes of the operation that causes them, so handlers may call
// back into the object (re-read, release).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Uviewfieldstruct.h"
#include "data/Uvktobjevent.h"
#include "data/Vkttabledefine.h"
#include "database/Mvktfunctor.h"
#include "platform/Bitmap.h"
#include "platform/Color.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/ImageList.h"
#include "platform/Sqlite.h"
#include "platform/Variant.h"
#include "platform/Xml.h"

class TVktApplication;

// Progress callback of the batch operations: called once per record with the database object,
// a text (empty except for InsertData, where it is the record's name), the continue flag and the
// caller's tag (passed through unchanged). Clearing `cont` stops the batch after this record.
using TVktProgressEvent =
    std::function<void(TVktObject* sender, const std::string& text, bool& cont, int tag)>;

// The operations module as the database object holds it: the module plus the two things the
// object does with its connection (closing the session, running a batch in one transaction).
class TVktObjectFunctor : public TVktFunctor {
public:
    // The module's connection, opened on first use; raises platform::DatabaseError when the
    // folder holds no database.
    platform::Connection& GetConnection() { return Db(); }
    // Closes the session; the next operation reopens it.
    void CloseSession() { Deactivate(); }
};

// Back colour of the class icons as text and transparent colour of icons added from pictures.
inline constexpr platform::TColor kIconBackColor = platform::RgbColor(254, 254, 254);

class TVktObject : public TVktObjectLink {
public:
    // Creates the module, the subscriber list, the filter set and the class-icon list (their
    // change events store them) and three empty layouts; reads nothing. `owner` may be null.
    TVktObject(TVktApplication* owner, std::string name);
    // Tells every subscriber to let go (OnRelease), then frees the parts.
    ~TVktObject() override;
    TVktObject(const TVktObject&) = delete;
    TVktObject& operator=(const TVktObject&) = delete;

    // ===== Lifecycle and identity (Uvktobject.cpp) ================================================
    // The first call reads the settings sections; every call counts one reference. A database
    // that could be read only through a private copy that cannot be made (see platform::OpenMode)
    // is not opened: the first call raises platform::DatabaseError with the reason for the cook.
    void AddRef() override;
    // Uncounts one reference; at 0 the remaining subscribers let go and the session closes.
    // A call with no reference outstanding does nothing.
    void Release() override;
    // False while the object is destroyed or a batch runs; otherwise whether every stored table
    // exists in the folder. Subscribers test it before they re-read. While the object is open the
    // test runs on its session; otherwise on a connection of its own.
    bool IsValid() override;
    // Number of IsValid tests (of every object) that opened a connection of their own.
    static std::size_t FreshTableProbeCount();
    // Makes this database the registry's first entry (when it is not) and fires OnCurrent.
    void MakeCurrent();
    // Fires OnClose: every subscriber lets go; the count and the object stay.
    void Close();
    // The registry folder of this name; "" without an owner or when the name is not registered.
    std::string GetPath() const override;
    TVktObjEvents& GetEvents() override { return *events_; }
    TVktObject* GetSender() override { return this; }
    // The registry name (not a component name).
    const std::string& GetName() const { return name_; }
    // To a different name: the name is taken and the registry is asked to rename the entry; on
    // refusal (or an exception) the old name is put back and nothing fires, else OnRename fires.
    virtual void SetName(const std::string& newName);
    // The "DatabaseID" setting (a GUID text), read on every call.
    std::string GetDatabaseID();
    int GetOpenCount() const { return openCount_; }
    TVktApplication* GetApplication() const { return owner_; }
    // Whether this opening cannot change the database: decided by the first AddRef (the folder,
    // the file or its medium is write-protected for this user) and kept until the last Release;
    // a database made writable meanwhile is changed once it is opened again. While read-only,
    // every change of the facade is refused with a message (nothing written, nothing announced),
    // the column layouts are taken for the session without being stored, and storing the icon or
    // filter set raises.
    bool IsReadOnly() const { return readOnly_; }
    // For the cook (Japanese): why the database cannot be written.
    std::string GetReadOnlyReason() const;
    // The same for any database folder: what keeps this user from writing its file.
    static std::string WriteBarrierText(const std::string& folder);
    // The notice the shell shows when it opens a read-only database.
    std::string GetReadOnlyNotice() const;

    // ===== Settings (Uvktobject_settings.cpp) ======================================================
    TViewFieldStruct GetViewFields() const { return viewFields_; }
    TViewFieldStruct GetInvViewFields() const { return invViewFields_; }
    TViewFieldStruct GetItemViewFields() const { return itemViewFields_; }
    // Only a layout different from the current one is taken, stored and announced
    // (OnViewFieldsChange); an equal one changes and fires nothing. A store that fails raises
    // platform::DatabaseError: the layout is not taken and nothing is announced.
    void SaveViewFields(TViewFieldStruct layout);
    void SaveInvViewFields(TViewFieldStruct layout);
    void SaveItemViewFields(TViewFieldStruct layout);

    // The user filters; their change event stores them and fires OnFilterSetChange.
    TFilterObjects& GetFilterSet() { return *filterSet_; }
    // Deletes filter `index` (which stores the set); false for an index outside the list and,
    // refused, while read-only.
    bool DeleteFilter(int index);
    // Moves a filter (which stores the set) and stores the set once more; true (false, refused,
    // while read-only). An index outside the list raises platform::ListIndexError.
    bool MoveFilter(int fromIndex, int toIndex);

    // The class icons (16 × 16); their change event stores them and fires OnIconSetChange.
    platform::ImageList& GetClassIcons() { return *classIcons_; }
    // Replaces the icons by those of an "IconSet" element (a null node leaves the list empty)
    // without storing them. A Value that is no bitmap raises platform::InvalidPictureError.
    void LoadIcons(const platform::XmlNode& iconSet);
    // Adds one "Icon" child per image to the element.
    void IconsToText(platform::XmlNode iconSet) const;
    // Adds the picture of a bitmap (.bmp) or JPEG (.jpg, .jpeg) file as a new icon; false when
    // the file cannot be read or decoded, or (refused) while read-only (nothing is added then).
    bool AddIconFromFile(const std::string& fileName);
    // Adds the whole picture, stretched to 16 × 16, masked by kIconBackColor; false for an empty
    // picture and (refused) while read-only.
    bool AddIconBitmap(const platform::Picture& picture);
    // Moves the icon key of every class at or above `index` down by one, then deletes the icon
    // (which stores the set); false when the module fails, the index is outside the list or
    // (refused) while read-only (nothing changes then).
    bool RemoveIcon(int index);

    // Store the icon set / the filter set and fire their notice; a store that fails raises
    // platform::DatabaseError and fires nothing.
    virtual void SaveIconSet();
    virtual void SaveFilterSet();

    // ===== Facade: every change and query screens ask of the database ==============================
    // Each operation points the module at GetPath(), runs the module operation of the same name
    // and fires its notice only on success. Batch operations (those taking a tag and a progress
    // callback) run through RunBatch below. Every change runs through Change or the batch loop:
    // refused with a message while read-only (IsReadOnly), and a write the database refused (an
    // error, not an outcome the operation defines) is said once through the registry's shell
    // services; screens show the stored values again when a change fails.

    // --- Lookups ---
    int GetDataClassType(int dataId);
    int GetDataEraseState(int dataId);
    bool GetClassesByIcon(int iconIndex);
    bool ClassHasContents(int classId);
    // TreeID of a class; an empty tree index when there is none or the query fails.
    TTreeIndex GetClassTreeID(int classId);
    bool GetUsedUnitKeys(int unitsId);
    bool GetFoodsByDealer(int dealerId);
    bool ClassIsBranchOrEmpty(int classId);

    // --- Field edits and the price chain ---
    // Field change (field, ids).
    bool EditData(TVktField field, const platform::Variant& value, const TPriorityItem& ids);
    // Batch: one field change per field of `fields`, then one for ChangeDate, each with the ids
    // done.
    bool UpdateDataKeys(const std::string& values, int tag, const TPriorityItem& ids, TPriorityItem fields,
                        const TVktProgressEvent& progress);
    // Batch: `checks` (TAttrCheckState) is padded with acNoEntry to the length of `attrItems`; field
    // change (Attribute_Key, ids done).
    bool SetDataAttributes(int tag, const TPriorityItem& ids, const TPriorityItem& attrItems, TPriorityItem checks,
                           const TVktProgressEvent& progress);
    // Batch: field change (Class_Key, ids done).
    bool ChangeDataClass(int classId, int tag, const TPriorityItem& ids, const TVktProgressEvent& progress);

    // --- Recipe items and recosting ---
    // Each: field change (ItemIndex, {recipeId}).
    bool MoveRecipeItemUp(int recipeId, int itemIndex);
    bool MoveRecipeItemDown(int recipeId, int itemIndex);
    bool SplitItemCategory(int recipeId, int itemIndex);
    bool ClearItemCategories(int recipeId);
    bool RefreshItemPrices(int recipeId, TVktPriceMode mode);
    // Records delete (RecipeItem, {recipeId}).
    bool DeleteRecipeItem(int recipeId, int itemIndex);
    // Batch: the data ids are appended one by one to the recipe; records add (RecipeItem,
    // {recipeId}).
    bool AppendRecipeItem(int recipeId, int tag, const TPriorityItem& items, const TVktProgressEvent& progress);

    // --- Price history ---
    // Field change (UseUnit_Key, {dataId}).
    bool ConvertHistoryUnit(int dataId, int unitKey, double rate);
    // Field change (MHistoryPrice, {dataId}).
    bool SetMHistoryPrice(int dataId, platform::TDateTime date, platform::Currency price);
    // Over every data record (no batch flag): records add (Food, ids done).
    bool MakeYHistory(bool removeMHistory, int tag, platform::TDateTime date, const TVktProgressEvent& progress);
    TPriorityItem GetMHistoryMonths();

    // --- Trash, restore, purge and deletes ---
    // Batch: field change (EraseDate, ids done).
    bool EraseData(int tag, const TPriorityItem& ids, const TVktProgressEvent& progress);
    bool RestoreData(int tag, const TPriorityItem& ids, const TVktProgressEvent& progress);
    // Batch: records delete (Data, ids done).
    bool PurgeData(int tag, const TPriorityItem& ids, const TVktProgressEvent& progress);
    // The live records among `ids` that recipes or menus use as items (so that an erase leaves
    // them where they are), with the names of those that use them.
    std::vector<TVktItemUse> GetItemUses(const TPriorityItem& ids);
    // Records delete (Class / Form / Unit / Dealer / AttrItem, {id}).
    bool DeleteClass(int classId);
    bool DeleteForm(int unitsId);
    bool DeleteUnit(int unitsId);
    bool DeleteDealer(int dealerId);
    bool DeleteAttrItem(int attrItemId);

    // --- Adding records and master rows ---
    // Each gives the new id (0 on failure) and fires records add (kind, {new id}) when not 0.
    int AddNewData(int classId, const std::string& name);
    int AddClass(int parentId, const std::string& name);
    int AddForm(std::int8_t unitType, const std::string& name);
    int AddUnit(std::int8_t unitType, const std::string& name);
    int AddDealer(const std::string& name);
    int AddAttrItem(const std::string& name);
    // Batch over the lines of `rows`: records add (kind, new ids) when any.
    bool InsertData(TVktObjKind kind, const std::string& rows, const TPriorityItem& fields, int tag,
                    const TVktProgressEvent& progress);

    // --- Inventory sheets ---
    TPriorityItem GetInvDateMonths();
    TPriorityItem GetInvDates();
    TPriorityItem GetInventoryItems();
    int FindInvDate(platform::TDateTime date);
    // No batch flag: records delete (Inventory, ids done) when any.
    bool DeleteInventoryEntry(int invDateId, int tag, const TPriorityItem& ids, const TVktProgressEvent& progress);
    // The month's sheet and all its entries in one transaction, committed only when every entry
    // is written (a stop or a failure leaves the sheet as it was, or not there); then records add
    // (InvDate, {sheet id}) and records add (Inventory, ids done) when any.
    bool SetInventoryEntry(std::uint8_t inventoryType, bool resetRemained, const TPriorityItem& ids,
                           platform::TDateTime date, int tag, const TVktProgressEvent& progress);
    // Records add (Inventory, ids done) when any.
    bool SetInventoryEntries(int invDateId, int tag, const TPriorityItem& ids, const TVktProgressEvent& progress);

    // --- Reordering ---
    // Field change (TreeID, {classId}).
    bool MoveClassUp(int classId);
    bool MoveClassDown(int classId);
    // Records add (Form, {to}), then records add (Unit, {to}).
    bool MoveUnit(int from, int to);
    // Records add (Dealer / AttrItem, {to}).
    bool MoveDealer(int from, int to);
    bool MoveAttrItem(int from, int to);

protected:
    // ===== Notices (slots a derived class may intercept) ===========================================
    // Empty hook, called by the first AddRef before the settings are read.
    virtual void DoOpen();
    virtual void DoRelease();
    virtual void DoCurrent();
    virtual void DoClose();
    virtual void DoRename();
    // Fires OnNotify; nothing in the system calls it.
    virtual void DoNotify();
    virtual void DoViewFieldsChange();
    virtual void DoRecordsAdd(TVktObjKind kind, const TPriorityItem& ids);
    virtual void DoRecordsDelete(TVktObjKind kind, const TPriorityItem& ids);
    virtual void DoFieldChange(TVktField field, const TPriorityItem& ids);

    // ===== The batch loop shared by the facade's batch operations ===================================
    //
    // Two families share one shape:
    //   TVktBatchMode::Batch  ChangeDataClass, UpdateDataKeys, SetDataAttributes, EraseData,
    //                         RestoreData, PurgeData, AppendRecipeItem, InsertData.
    //                         An empty item list returns true at once: no SetPath, no step, no
    //                         notice. The batch flag is set while the loop runs (IsValid is false,
    //                         so subscribers do not re-read in the middle).
    //   TVktBatchMode::Plain  DeleteInventoryEntry, SetInventoryEntry, SetInventoryEntries,
    //                         MakeYHistory: no early return and no batch flag.
    //
    // RunBatchLoop(count, mode, tag, progress, step, notice):
    //   1. (Batch mode, count 0) return true. While read-only: the refusal is shown, return false.
    //   2. Set the batch flag (Batch mode); point the module at GetPath().
    //   3. Begin one transaction on the module's connection (when none is open yet; when the
    //      folder holds no database the steps run without it and report their own failures).
    //   4. For i = 0, 1, ... while ok and i < count: step(i) runs as inside a savepoint of its own;
    //      ok = its `ok`; when ok, its `done` id is appended to the done list; then, when progress
    //      is assigned, progress(this, its `text`, ok, tag), which may clear ok to stop the loop.
    //      The steps first run together in one savepoint (SQLite copies every page a savepoint
    //      changes, once per savepoint). When a step raises or asks for its own rollback, the batch
    //      is rolled back to its start and run again with a savepoint per record, the progress
    //      skipping the records already reported: the outcome, the notices and the progress are
    //      those of a savepoint per record.
    //   5. Commit: the records done are stored before any notice fires, so subscribers re-reading
    //      through their own connections see them.
    //   6. Clear the batch flag.
    //   7. notice(done): the caller fires its notices from the done list (an operation whose
    //      notice fires "when any" tests done.GetCount() itself). Not called at step 1.
    //   8. Return ok: false when a step failed or the callback asked to stop; a step that failed
    //      with a database error is reported (ReportWriteFailure) after the notice, unless the
    //      loop ran inside a transaction of its caller, which reports it once that has ended.
    // A step or callback that raises: that record's savepoint is rolled back, the records done
    // before it are committed, the batch flag is cleared, notice(done) announces them (when there
    // are any) and the exception propagates. A step must not point the module at another folder
    // (that would end the transaction).
    enum class TVktBatchMode : std::uint8_t { Batch, Plain };

    // The outcome of one step.
    struct TVktBatchStep {
        bool ok = false;       // the module operation succeeded
        int done = 0;          // the id appended to the done list when ok
        std::string text;      // the progress text
    };
    using TVktBatchStepFunc = std::function<TVktBatchStep(int index)>;
    using TVktBatchNoticeFunc = std::function<void(const TPriorityItem& done)>;

    bool RunBatchLoop(int count, TVktBatchMode mode, int tag, const TVktProgressEvent& progress,
                      const TVktBatchStepFunc& step, const TVktBatchNoticeFunc& notice);
    // The usual case: one step per id, `operation(id)` the module call; the id itself is what is
    // done, the progress text is empty. Example (EraseData):
    //   return RunBatch(ids, TVktBatchMode::Batch, tag, progress,
    //                   [&](int id) { return GetFunctor().EraseData(id); },
    //                   [&](const TPriorityItem& done) { DoFieldChange(TVktField::EraseDate, done); });
    bool RunBatch(const TPriorityItem& ids, TVktBatchMode mode, int tag, const TVktProgressEvent& progress,
                  const std::function<bool(int id)>& operation, const TVktBatchNoticeFunc& notice);
    bool IsBatch() const { return batch_; }
    // Off: every batch runs with a savepoint per record from the start (for comparing the two ways).
    void SetOptimisticBatches(bool optimistic) { optimisticBatches_ = optimistic; }

    // The id list {id} that single-record notices carry.
    static TPriorityItem Single(int id) {
        TPriorityItem ids;
        ids << id;
        return ids;
    }
    // Points the module at this database's folder and returns it.
    TVktObjectFunctor& BoundFunctor();
    // Runs one writing operation of the module on this database's folder: the module is pointed
    // at it with TVktFunctor::SetPathForWrite, and a transaction the operation did not take ends
    // with the call.
    template <typename Operation>
    auto WithWriteFunctor(Operation&& operation) {
        struct End {
            TVktObjectFunctor& functor;
            ~End() { functor.EndPendingTransaction(); }
        } end{*functor_};
        functor_->SetPathForWrite(GetPath());
        return operation(*functor_);
    }
    // The module as it is (SetMHistoryPrice uses the folder it already has).
    TVktObjectFunctor& GetFunctor() { return *functor_; }

    // Runs one change of the facade, `operation` giving its result (an id, or whether it was
    // done): while read-only it is refused with a message and gives `refused`; a failure (0 or
    // false) that a write of the module met as a database error is reported with its cause.
    // Example: const int id = Change(0, [&] { return BoundFunctor().AddDealer(name); });
    template <typename Result, typename Operation>
    Result Change(Result refused, Operation&& operation) {
        if (!MayChange()) return refused;
        functor_->TakeWriteError();   // one of an earlier call, reported then or not at all
        Result result = operation();
        if (!result) ReportWriteFailure();
        return result;
    }
    // False, with the refusal shown, while read-only.
    bool MayChange();
    // Whether the module's connection is inside a transaction (one a caller of the batch loop
    // holds once the loop has committed its own).
    bool InCallersTransaction();
    // Shows the database error a write of the module met since the last look, if any.
    void ReportWriteFailure();

private:
    // The steps of RunBatchLoop in one savepoint; false (everything rolled back) at the first step
    // that raised or failed after writing. `reported` counts the records whose progress was given.
    bool RunBatchAtOnce(platform::Connection& db, int count, int tag, const TVktProgressEvent& progress,
                        const TVktBatchStepFunc& step, bool& ok, TPriorityItem& done, int& reported);
    // The steps each in a savepoint of its own (none without a connection); no progress for the
    // first `reported` records.
    void RunBatchByRecord(platform::Connection* db, int count, int tag, const TVktProgressEvent& progress,
                          const TVktBatchStepFunc& step, bool& ok, TPriorityItem& done, int reported);

    // Reads the five settings sections into the icons, the filters and the layouts.
    void ReadSettings();
    // Stores one settings section; while read-only raises platform::DatabaseError with the refusal.
    void StoreSetting(const std::string& setting, const std::string& text);
    // The message of a change refused while read-only.
    std::string ReadOnlyRefusal() const;
    // The message of an opening refused because the database could not be copied to be read.
    std::string ReadCopyRefusal(const platform::ReadCopyError& error) const;
    // A stop message through the registry's shell services (none without a registry).
    void ShowError(const std::string& text) const;
    // Ends the retain of the database file's pooled connections taken by the first AddRef.
    void ReleaseConnections();
    void SaveLayout(TViewFieldStruct& target, const TViewFieldStruct& layout, const std::string& setting,
                    const std::string& element);

    TVktApplication* owner_;
    std::unique_ptr<TVktObjectFunctor> functor_;
    std::unique_ptr<TVktObjEvents> events_;
    std::unique_ptr<TFilterObjects> filterSet_;
    std::unique_ptr<platform::ImageList> classIcons_;
    bool destroying_ = false;
    bool batch_ = false;
    bool optimisticBatches_ = true;
    bool loadingSettings_ = false;   // the change events of icons and filters store nothing
    bool readOnly_ = false;          // IsReadOnly
    std::string name_;
    int openCount_ = 0;
    std::string retainedFile_;   // retained in platform::ConnectionPool while open
    std::optional<platform::FileIdentity> validFile_;   // the file and schema IsValid last found whole
    std::int64_t validSchema_ = 0;
    TViewFieldStruct viewFields_;
    TViewFieldStruct invViewFields_;
    TViewFieldStruct itemViewFields_;
};
