// The database object: opening by reference count, its settings (layouts, filters, icons), its
// notices, its identity, and the batch loop of the facade.
#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "ObjSubscriber.h"
#include "RegistryFixture.h"
#include "data/Mvkttables.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/Bitmap.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Sqlite.h"
#include "support/Ids.h"
#include "support/Jpeg.h"

namespace {

namespace fs = std::filesystem;
using platform::Picture;
using platform::RgbColor;

// A database object that counts its open and release hooks and lets the tests run its batch loop.
class ProbeObject : public TVktObject {
public:
    using TVktObject::TVktObject;
    using TVktObject::RunBatch;
    using TVktObject::RunBatchLoop;
    using TVktObject::TVktBatchMode;
    using TVktObject::TVktBatchStep;
    TVktObjectFunctor& Module() { return BoundFunctor(); }

    int opens = 0;
    int releases = 0;

protected:
    void DoOpen() override {
        ++opens;
        TVktObject::DoOpen();
    }
    void DoRelease() override {
        ++releases;
        TVktObject::DoRelease();
    }
};

class VktObjectTest : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        folder = MakeDatabase("db", "db");
        object = registry->GetObject("db");
    }

    std::string MakeDatabase(const std::string& name, const std::string& sub) {
        const std::string path = Folder(sub);
        EXPECT_TRUE(registry->CreateDatabase(name, path));
        return path;
    }

    // A stored setting, read through a connection of the test's own.
    std::string Stored(const std::string& setting) {
        TVktFunctor module;
        module.SetPath(folder);
        return module.GetInitial(setting);
    }
    void Store(const std::string& setting, const std::string& text) {
        TVktFunctor module;
        module.SetPath(folder);
        module.SetInitial(setting, text);
    }
    // The WAL file exists while some connection to the database is open.
    bool SessionOpen() const { return platform::FileExists(folder + "/vektara.db-wal"); }

    std::string folder;
    TVktObject* object = nullptr;
};

TPriorityItem Fields(std::initializer_list<TVktField> fields)
{
    TPriorityItem list;
    for (TVktField field : fields) list.Push(ToInt(field));
    return list;
}

using vkttest::Ids;

// ---- Opening and closing ----------------------------------------------------------------------------

TEST_F(VktObjectTest, TwoAddRefsReadTheSettingsOnceAndTwoReleasesCloseOnce)
{
    ProbeObject probe(registry.get(), "db");
    probe.AddRef();
    EXPECT_EQ(probe.opens, 1);
    EXPECT_EQ(probe.GetViewFields().GetName().GetCount(), 5);

    Store("ViewField", "<ViewFields><ViewField Name=\"Data\" Order=\"1\" Width=\"50\"/></ViewFields>");
    probe.AddRef();
    EXPECT_EQ(probe.opens, 1);
    EXPECT_EQ(probe.GetOpenCount(), 2);
    EXPECT_EQ(probe.GetViewFields().GetName().GetCount(), 5);   // not read again
    EXPECT_TRUE(SessionOpen());

    probe.Release();
    EXPECT_EQ(probe.releases, 0);
    EXPECT_TRUE(SessionOpen());
    probe.Release();
    EXPECT_EQ(probe.releases, 1);
    EXPECT_FALSE(SessionOpen());

    probe.Release();   // nothing outstanding: nothing happens
    EXPECT_EQ(probe.releases, 1);
    EXPECT_EQ(probe.GetOpenCount(), 0);

    // Opening again reads the settings again.
    probe.AddRef();
    EXPECT_EQ(probe.opens, 2);
    EXPECT_EQ(probe.GetViewFields().GetName(), Fields({TVktField::Data}));
    probe.Release();
}

TEST_F(VktObjectTest, OpeningStoresNothing)
{
    const std::string icons = Stored("ClassIcon");
    const std::string filters = Stored("Filter");
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    EXPECT_EQ(object->GetClassIcons().GetCount(), 8);
    EXPECT_EQ(Stored("ClassIcon"), icons);
    EXPECT_EQ(Stored("Filter"), filters);
    EXPECT_TRUE(subscriber.log.empty());
}

TEST_F(VktObjectTest, AMissingSectionLeavesItsPartEmpty)
{
    {
        platform::Connection db(platform::DatabaseFilePath(folder));
        db.Execute("delete from " + GetTableFileName(TVktTable::TblInitialize) + " where Initial_ID in (2, 4)");
    }
    object->AddRef();
    EXPECT_EQ(object->GetClassIcons().GetCount(), 0);
    EXPECT_EQ(object->GetViewFields().GetName().GetCount(), 0);
    EXPECT_EQ(object->GetInvViewFields().GetName().GetCount(), 7);
    object->Release();
}

TEST_F(VktObjectTest, CloseMakesEverySubscriberLetGoAndClosesTheSession)
{
    ObjSubscriber first;
    ObjSubscriber second;
    ObjSubscriber third;
    first.Bind(object);
    second.Bind(object);
    third.Bind(object);
    EXPECT_EQ(object->GetOpenCount(), 3);
    EXPECT_TRUE(SessionOpen());

    object->Close();
    EXPECT_EQ(first.log, std::vector<std::string>{"Close"});
    EXPECT_EQ(second.log, std::vector<std::string>{"Close"});
    EXPECT_EQ(third.log, std::vector<std::string>{"Close"});
    EXPECT_EQ(object->GetOpenCount(), 0);
    EXPECT_EQ(object->GetEvents().GetCount(), 0);
    EXPECT_FALSE(SessionOpen());
    EXPECT_EQ(registry->FindObject("db"), object);   // still registered and reusable

    first.Bind(object);
    EXPECT_EQ(object->GetOpenCount(), 1);
}

TEST_F(VktObjectTest, TheLastReleaseLetsTheRemainingRecordsGo)
{
    ObjSubscriber holder;
    holder.Bind(object);
    TVktObjEvent loose;   // a record without a reference of its own
    bool released = false;
    loose.OnRelease = [&](TVktObject*) {
        released = true;
        loose.Detach();
    };
    object->GetEvents().Add(&loose);
    holder.Bind(nullptr);
    EXPECT_TRUE(released);
    EXPECT_EQ(loose.GetOwner(), nullptr);
}

TEST_F(VktObjectTest, IsValidWithTablesOutsideBatchesOnly)
{
    EXPECT_TRUE(object->IsValid());
    {
        platform::Connection db(platform::DatabaseFilePath(folder));
        db.Execute("drop table " + GetTableFileName(TVktTable::TblDealer));
    }
    EXPECT_FALSE(object->IsValid());

    TVktObject stray(nullptr, "db");   // no registry: no folder
    EXPECT_EQ(stray.GetPath(), "");
    EXPECT_FALSE(stray.IsValid());
}

TEST_F(VktObjectTest, IsValidOfAnOpenObjectTestsOnItsSession)
{
    using Damage = std::function<void(const std::string& file)>;
    const std::vector<std::pair<std::string, Damage>> damages = {
        {"dropped", [](const std::string& file) {
             platform::Connection db(file);
             db.Execute("drop table " + GetTableFileName(TVktTable::TblDealer));
         }},
        {"removed", [](const std::string& file) {
             for (const char* suffix : {"", "-wal", "-shm"}) platform::RemoveFile(file + suffix);
         }},
    };
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        const std::string path = MakeDatabase(name, name);
        TVktObject* open = registry->GetObject(name);
        open->AddRef();
        const std::size_t probes = TVktObject::FreshTableProbeCount();
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(open->IsValid());
        damage(platform::DatabaseFilePath(path));
        EXPECT_FALSE(open->IsValid());
        EXPECT_EQ(TVktObject::FreshTableProbeCount(), probes);
        open->Release();
    }
    const std::size_t probes = TVktObject::FreshTableProbeCount();
    EXPECT_TRUE(object->IsValid());   // not open: a connection of its own
    EXPECT_EQ(TVktObject::FreshTableProbeCount(), probes + 1);
}

TEST_F(VktObjectTest, GetPathAndDatabaseIdComeFromTheRegistryFolder)
{
    EXPECT_EQ(object->GetPath(), folder);
    EXPECT_EQ(object->GetDatabaseID(), Stored("DatabaseID"));
    Store("DatabaseID", "{X}");
    EXPECT_EQ(object->GetDatabaseID(), "{X}");   // read on every call
}

// ---- Identity and the current database --------------------------------------------------------------

TEST_F(VktObjectTest, MakeCurrentOfTheFirstDatabaseFiresOnce)
{
    MakeDatabase("other", "other");
    int changes = 0;
    registry->OnChange = [&](TVktApplication*) { ++changes; };
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    object->MakeCurrent();
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"Current"});
    EXPECT_EQ(changes, 0);
}

TEST_F(VktObjectTest, MakeCurrentOfALaterDatabaseMovesItFirstAndFiresTwice)
{
    MakeDatabase("other", "other");
    TVktObject* other = registry->GetObject("other");
    int changes = 0;
    registry->OnChange = [&](TVktApplication*) { ++changes; };
    ObjSubscriber subscriber;
    subscriber.Bind(other);
    other->MakeCurrent();
    EXPECT_EQ(subscriber.log, (std::vector<std::string>{"Current", "Current"}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(registry->GetName(0), "other");
}

TEST_F(VktObjectTest, ARefusedNameKeepsTheOldOne)
{
    MakeDatabase("other", "other");
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    object->SetName("db");   // the same name: nothing
    object->SetName("other");
    EXPECT_EQ(object->GetName(), "db");
    EXPECT_THROW(object->SetName(""), platform::SilentAbort);
    EXPECT_EQ(object->GetName(), "db");
    EXPECT_TRUE(subscriber.log.empty());
    EXPECT_EQ(registry->IndexOf("db"), 0);
    EXPECT_EQ(object->GetPath(), folder);
}

// ---- Column layouts ---------------------------------------------------------------------------------

TEST_F(VktObjectTest, TheDefaultLayoutsAfterTheFirstOpening)
{
    object->AddRef();
    const TViewFieldStruct view = object->GetViewFields();
    EXPECT_EQ(view.GetName(), Fields({TVktField::Class, TVktField::Form, TVktField::Data, TVktField::UseUnit,
                                      TVktField::UsePrice}));
    EXPECT_EQ(view.GetOrder(), Ids({0, 0, 0, 0, 0}));
    EXPECT_EQ(view.GetWidth(), Ids({100, 100, 100, 100, 100}));
    EXPECT_EQ(object->GetInvViewFields().GetName(),
              Fields({TVktField::Class, TVktField::Form, TVktField::Data, TVktField::InvUnit, TVktField::InvPrice,
                      TVktField::Remained, TVktField::InvTotalPrice}));
    EXPECT_EQ(object->GetItemViewFields().GetName(),
              Fields({TVktField::ItemCatIndex, TVktField::Class, TVktField::Data, TVktField::ItemUnit,
                      TVktField::ItemPrice, TVktField::ItemUse, TVktField::ItemUsePrice}));
    object->Release();
}

TEST_F(VktObjectTest, SavingAnEqualLayoutWritesAndFiresNothing)
{
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    // A stored text in another spelling shows whether it was written again.
    const std::string marker = Stored("ViewField") + " ";
    Store("ViewField", marker);
    object->SaveViewFields(object->GetViewFields());
    object->SaveInvViewFields(object->GetInvViewFields());
    object->SaveItemViewFields(object->GetItemViewFields());
    EXPECT_EQ(Stored("ViewField"), marker);
    EXPECT_TRUE(subscriber.log.empty());
}

TEST_F(VktObjectTest, ADifferentLayoutIsStoredAnnouncedAndReadBack)
{
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    TViewFieldStruct layout;
    layout.SetName(Fields({TVktField::Data, TVktField::UsePrice}));
    layout.SetOrder(Ids({1, 0}));
    layout.SetWidth(Ids({180, 60}));
    object->SaveViewFields(layout);
    TViewFieldStruct items = object->GetItemViewFields();
    items.GetWidth().SetItem(0, 33);
    object->SaveItemViewFields(items);
    EXPECT_EQ(subscriber.log, (std::vector<std::string>{"ViewFieldsChange", "ViewFieldsChange"}));

    subscriber.Bind(nullptr);
    subscriber.Bind(object);
    EXPECT_FALSE(object->GetViewFields() != layout);
    EXPECT_FALSE(object->GetItemViewFields() != items);
    EXPECT_EQ(object->GetInvViewFields().GetName().GetCount(), 7);
}

TEST_F(VktObjectTest, ALayoutThatCannotBeWrittenIsNotTaken)
{
    object->AddRef();
    TViewFieldStruct broken;
    broken.SetName(Fields({TVktField::Data}));   // no order and width
    EXPECT_THROW(object->SaveViewFields(broken), platform::ListIndexError);
    EXPECT_EQ(object->GetViewFields().GetName().GetCount(), 5);
    object->Release();
}

// ---- User filters -----------------------------------------------------------------------------------

TEST_F(VktObjectTest, FiltersAreStoredAndReadBackAfterReopening)
{
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    TFilterObjects& filters = object->GetFilterSet();
    filters.AddNew();
    TFilterObject filter = filters.GetItem(0);
    filter.SetName("牛肉料理");
    filter.Add(TVktField::Data, foContains, platform::Variant(std::string("牛")), platform::Variant(std::string()));
    filters.SetItem(0, filter);
    filters.AddNew();
    EXPECT_EQ(subscriber.log, (std::vector<std::string>{"FilterSetChange", "FilterSetChange", "FilterSetChange"}));

    subscriber.Bind(nullptr);
    ASSERT_EQ(object->GetOpenCount(), 0);
    subscriber.Bind(object);
    ASSERT_EQ(object->GetFilterSet().GetCount(), 2);
    EXPECT_EQ(object->GetFilterSet().GetItem(0), filter);

    // A fresh object has nothing but what is stored.
    TVktObject fresh(registry.get(), "db");
    fresh.AddRef();
    ASSERT_EQ(fresh.GetFilterSet().GetCount(), 2);
    EXPECT_EQ(fresh.GetFilterSet().GetItem(0), filter);
    EXPECT_EQ(fresh.GetFilterSet().GetItem(1).GetName(), "新規ユーザーフィルター1");
    fresh.Release();
}

TEST_F(VktObjectTest, MoveFilterStoresAndAnnouncesTwice)
{
    object->AddRef();
    TFilterObjects& filters = object->GetFilterSet();
    filters.AddNew();
    filters.AddNew();
    ObjSubscriber subscriber;
    subscriber.Bind(object);

    EXPECT_TRUE(object->MoveFilter(0, 1));
    EXPECT_EQ(subscriber.log, (std::vector<std::string>{"FilterSetChange", "FilterSetChange"}));
    EXPECT_EQ(filters.GetItem(0).GetName(), "新規ユーザーフィルター2");
    EXPECT_NE(Stored("Filter").find("新規ユーザーフィルター2"), std::string::npos);
    EXPECT_LT(Stored("Filter").find("新規ユーザーフィルター2"), Stored("Filter").find("新規ユーザーフィルター1"));
    EXPECT_THROW(object->MoveFilter(0, 5), platform::ListIndexError);
    object->Release();
}

TEST_F(VktObjectTest, DeleteFilterInRangeOnly)
{
    object->AddRef();
    object->GetFilterSet().AddNew();
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    EXPECT_FALSE(object->DeleteFilter(1));
    EXPECT_FALSE(object->DeleteFilter(-1));
    EXPECT_TRUE(subscriber.log.empty());
    EXPECT_TRUE(object->DeleteFilter(0));
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"FilterSetChange"});
    EXPECT_EQ(object->GetFilterSet().GetCount(), 0);
    object->Release();
}

// ---- Class icons ------------------------------------------------------------------------------------

// A 24 × 20 picture: a back-coloured frame (transparent) around red, with a blue bar.
Picture IconPicture()
{
    Picture picture(24, 20, RgbColor(254, 254, 254));
    for (int y = 4; y < 16; ++y)
        for (int x = 4; x < 20; ++x) picture.SetPixel(x, y, x < 12 ? RgbColor(220, 0, 0) : RgbColor(0, 0, 200));
    return picture;
}

using vkttest::EncodeJpeg;

// Image i of the list drawn on black: the pixels and the mask in one picture.
Picture Drawn(const platform::ImageList& icons, int index)
{
    Picture picture(16, 16, RgbColor(0, 0, 0));
    icons.Draw(picture, 0, 0, index);
    return picture;
}

class IconFileTest : public VktObjectTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(IconFileTest, AnIconFromAPictureFileIsStoredAndLoadsBackAfterReopening)
{
    const std::string extension = GetParam();
    const std::string file = root + "/icon" + extension;
    const bool jpeg = extension != ".bmp";
    platform::WriteFileAtomic(file, jpeg ? EncodeJpeg(IconPicture()) : platform::EncodeBmp(IconPicture()));

    ObjSubscriber subscriber;
    subscriber.Bind(object);
    ASSERT_EQ(object->GetClassIcons().GetCount(), 8);
    ASSERT_TRUE(object->AddIconFromFile(file));
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"IconSetChange"});
    platform::ImageList& icons = object->GetClassIcons();
    ASSERT_EQ(icons.GetCount(), 9);
    const Picture added = Drawn(icons, 8);
    if (!jpeg) {
        // 24 × 20 stretched to 16 × 16: the frame is transparent, the middle red and blue.
        EXPECT_TRUE(icons.IsTransparent(8, 0, 0));
        EXPECT_TRUE(icons.IsTransparent(8, 15, 15));
        EXPECT_EQ(added.GetPixel(5, 8), RgbColor(220, 0, 0));
        EXPECT_EQ(added.GetPixel(10, 8), RgbColor(0, 0, 200));
    }
    else {
        EXPECT_GT(platform::RedOf(added.GetPixel(5, 8)), 150);
        EXPECT_GT(platform::BlueOf(added.GetPixel(10, 8)), 150);
    }

    subscriber.Bind(nullptr);
    object->GetClassIcons().OnChange = nullptr;   // nothing is stored from here on by the test
    subscriber.Bind(object);
    ASSERT_EQ(object->GetClassIcons().GetCount(), 9);
    EXPECT_EQ(Drawn(object->GetClassIcons(), 8), added);
}

INSTANTIATE_TEST_SUITE_P(Formats, IconFileTest, ::testing::Values(".bmp", ".jpg", ".JPEG"));

TEST_F(VktObjectTest, AnUnreadablePictureFileAddsNothing)
{
    object->AddRef();
    platform::WriteFileAtomic(root + "/broken.bmp", "BMnot a bitmap");
    platform::WriteFileAtomic(root + "/picture.gif", "GIF89a");
    EXPECT_FALSE(object->AddIconFromFile(root + "/broken.bmp"));
    EXPECT_FALSE(object->AddIconFromFile(root + "/missing.jpg"));
    EXPECT_FALSE(object->AddIconFromFile(root + "/picture.gif"));
    EXPECT_FALSE(object->AddIconBitmap(Picture()));
    EXPECT_EQ(object->GetClassIcons().GetCount(), 8);
    object->Release();
}

TEST_F(VktObjectTest, IconsToTextAndLoadIconsRoundTrip)
{
    object->AddRef();
    platform::XmlDocument document;
    platform::XmlNode set = document.CreateDocumentElement("IconSet");
    object->IconsToText(set);
    ASSERT_EQ(set.GetChildCount(), 8);
    EXPECT_EQ(set.GetChild(3).GetAttribute("Icon_ID"), "3");

    std::vector<Picture> before;
    for (int i = 0; i < 8; ++i) before.push_back(Drawn(object->GetClassIcons(), i));
    object->LoadIcons(platform::XmlNode());
    EXPECT_EQ(object->GetClassIcons().GetCount(), 0);
    object->LoadIcons(set);
    ASSERT_EQ(object->GetClassIcons().GetCount(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Drawn(object->GetClassIcons(), i), before[static_cast<std::size_t>(i)]);
    object->Release();
}

TEST_F(VktObjectTest, RemoveIconShiftsTheClassesIconKeysAndStoresTheSet)
{
    ObjSubscriber subscriber;
    subscriber.Bind(object);
    auto classesWithIcon = [&](int icon) {
        platform::Connection db(platform::DatabaseFilePath(folder));
        platform::Statement statement(db, "select count(*) from " + GetTableFileName(TVktTable::TblClass) +
                                              " where Icon_Key = " + std::to_string(icon));
        statement.Step();
        return statement.GetInt(0);
    };
    const int menuClasses = classesWithIcon(7);
    ASSERT_GT(menuClasses, 0);

    EXPECT_FALSE(object->RemoveIcon(8));   // outside the list: nothing changes
    EXPECT_FALSE(object->RemoveIcon(-1));
    EXPECT_EQ(classesWithIcon(7), menuClasses);
    EXPECT_TRUE(subscriber.log.empty());

    EXPECT_TRUE(object->RemoveIcon(7));
    EXPECT_EQ(object->GetClassIcons().GetCount(), 7);
    EXPECT_EQ(classesWithIcon(7), 0);
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"IconSetChange"});
    platform::XmlDocument stored;
    stored.LoadFromString(Stored("ClassIcon"));
    EXPECT_EQ(stored.GetDocumentElement().GetChildCount(), 7);
}

// ---- The batch loop ---------------------------------------------------------------------------------

class BatchTest : public VktObjectTest {
protected:
    using Mode = ProbeObject::TVktBatchMode;

    void SetUp() override {
        VktObjectTest::SetUp();
        probe = std::make_unique<ProbeObject>(registry.get(), "db");
        probe->AddRef();
    }
    void TearDown() override {
        probe.reset();
        VktObjectTest::TearDown();
    }

    // Writes a marker row for the id on the probe's connection (inside the batch).
    bool Mark(int id) {
        probe->Module().GetConnection().Execute("insert into " + GetTableFileName(TVktTable::TblDealer) +
                                                " (Dealer_ID, Company) values (" + std::to_string(100 + id) +
                                                ", 'batch')");
        return true;
    }
    // Whether the marker row is visible to a connection of the test's own.
    std::string Marked(int id) {
        platform::Connection db(platform::DatabaseFilePath(folder));
        platform::Statement statement(db, "select Company from " + GetTableFileName(TVktTable::TblDealer) +
                                              " where Dealer_ID = " + std::to_string(100 + id));
        return statement.Step() ? statement.GetText(0) : std::string();
    }

    std::unique_ptr<ProbeObject> probe;
    std::vector<std::string> progress;
    TVktProgressEvent Progress() {
        return [this](TVktObject* sender, const std::string& text, bool& cont, int tag) {
            EXPECT_EQ(sender, probe.get());
            progress.push_back(text + "/" + (cont ? "ok" : "failed") + "/" + std::to_string(tag));
        };
    }
};

TEST_F(BatchTest, AnEmptyBatchDoesNothing)
{
    bool stepped = false;
    bool noticed = false;
    EXPECT_TRUE(probe->RunBatch(TPriorityItem(), Mode::Batch, 1, Progress(),
                                [&](int) { return stepped = true; },
                                [&](const TPriorityItem&) { noticed = true; }));
    EXPECT_FALSE(stepped);
    EXPECT_FALSE(noticed);
    EXPECT_TRUE(progress.empty());

    // The plain family has no early return: its notice sees the empty list.
    TPriorityItem seen = Ids({99});
    EXPECT_TRUE(probe->RunBatch(TPriorityItem(), Mode::Plain, 1, Progress(), [&](int) { return stepped = true; },
                                [&](const TPriorityItem& done) { seen = done; }));
    EXPECT_FALSE(stepped);
    EXPECT_EQ(seen.GetCount(), 0);
}

TEST_F(BatchTest, AFailingStepEndsTheLoopAndOnlyTheDoneAreAnnounced)
{
    std::vector<int> tried;
    TPriorityItem announced;
    const bool ok = probe->RunBatch(
        Ids({3, 5, 7}), Mode::Batch, 42, Progress(),
        [&](int id) {
            tried.push_back(id);
            return id != 5 && Mark(id);
        },
        [&](const TPriorityItem& done) { announced = done; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(tried, (std::vector<int>{3, 5}));
    EXPECT_EQ(announced, Ids({3}));
    EXPECT_EQ(progress, (std::vector<std::string>{"/ok/42", "/failed/42"}));
}

TEST_F(BatchTest, TheCallbackCanStopTheLoop)
{
    std::vector<int> tried;
    TPriorityItem announced;
    const bool ok = probe->RunBatch(
        Ids({1, 2, 3}), Mode::Batch, 0,
        [&](TVktObject*, const std::string&, bool& cont, int) { cont = tried.size() < 2; },
        [&](int id) {
            tried.push_back(id);
            return true;
        },
        [&](const TPriorityItem& done) { announced = done; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(tried, (std::vector<int>{1, 2}));
    EXPECT_EQ(announced, Ids({1, 2}));
}

TEST_F(BatchTest, StepsSeeTheBatchFlagAndTheNoticeSeesTheRecordsCommitted)
{
    std::vector<bool> validInSteps;
    std::vector<std::string> seenOutside;
    bool validAtNotice = false;
    std::vector<std::string> seenAtNotice;
    ASSERT_TRUE(probe->RunBatch(
        Ids({1, 2}), Mode::Batch, 0, nullptr,
        [&](int id) {
            validInSteps.push_back(probe->IsValid());
            Mark(id);
            seenOutside.push_back(Marked(id));   // another connection
            return true;
        },
        [&](const TPriorityItem&) {
            validAtNotice = probe->IsValid();
            seenAtNotice = {Marked(1), Marked(2)};
        }));
    EXPECT_EQ(validInSteps, (std::vector<bool>{false, false}));
    EXPECT_EQ(seenOutside, (std::vector<std::string>{"", ""}));   // one transaction, not yet committed
    EXPECT_TRUE(validAtNotice);
    EXPECT_EQ(seenAtNotice, (std::vector<std::string>{"batch", "batch"}));
    EXPECT_TRUE(probe->IsValid());
}

TEST_F(BatchTest, ThePlainFamilySetsNoBatchFlag)
{
    bool valid = false;
    ASSERT_TRUE(probe->RunBatch(
        Ids({1}), Mode::Plain, 0, nullptr,
        [&](int) {
            valid = probe->IsValid();
            return true;
        },
        nullptr));
    EXPECT_TRUE(valid);
}

TEST_F(BatchTest, ARaisingStepKeepsTheRecordsDoneBeforeIt)
{
    TPriorityItem announced;
    EXPECT_THROW(probe->RunBatch(
                     Ids({1, 2}), Mode::Batch, 0, nullptr,
                     [&](int id) {
                         Mark(id);
                         if (id == 2) throw std::runtime_error("broken");
                         return true;
                     },
                     [&](const TPriorityItem& done) { announced = done; }),
                 std::runtime_error);
    EXPECT_EQ(announced, Ids({1}));   // the kept record is announced before the error goes on
    EXPECT_TRUE(probe->IsValid());   // the batch flag is cleared
    EXPECT_EQ(Marked(1), "batch");
    EXPECT_EQ(Marked(2), "");   // its own savepoint was rolled back
}

TEST_F(BatchTest, ALineThatFailsAfterWritingLeavesNothingOfItsRecord)
{
    {
        // The data row of a record named "bad" fails after its food row was written.
        platform::Connection db(platform::DatabaseFilePath(folder));
        db.Execute("create trigger NoBad before insert on " + GetTableFileName(TVktTable::TblData) +
                   " when new.Data = 'bad' begin select raise(abort, 'refused'); end");
    }
    EXPECT_FALSE(probe->InsertData(TVktObjKind::Food, "good\r\nbad\r\nnever", Fields({TVktField::Data}), 0, nullptr));
    platform::Connection db(platform::DatabaseFilePath(folder));
    platform::Statement rows(db, "select (select group_concat(Data) from " + GetTableFileName(TVktTable::TblData) +
                                     ") || '/' || (select count(*) from " + GetTableFileName(TVktTable::TblFood) + ")");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.GetText(0), "good/1");
}

TEST_F(BatchTest, InsertShapedLoopsCarryTextAndNewIds)
{
    TPriorityItem announced;
    const bool ok = probe->RunBatchLoop(
        3, Mode::Batch, 9, Progress(),
        [&](int index) {
            ProbeObject::TVktBatchStep step;
            step.ok = index < 2;
            step.done = step.ok ? 100 + index : 0;
            step.text = "line" + std::to_string(index);
            return step;
        },
        [&](const TPriorityItem& done) { announced = done; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(announced, Ids({100, 101}));
    EXPECT_EQ(progress, (std::vector<std::string>{"line0/ok/9", "line1/ok/9", "line2/failed/9"}));
}

} // namespace
