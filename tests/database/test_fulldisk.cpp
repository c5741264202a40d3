// A batch whose storage fails while it runs (a disk that fills, a statement journal that cannot
// grow): nothing of it stays, and the first error is what the user is told.
#include "DbFixture.h"
#include "FakeShell.h"

#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"

namespace {

constexpr int kBeef = 4;
constexpr int kPork = 5;
constexpr int kRecords = 6000;

struct BatchCase {
    const char* name;
    const char* arrange;   // SQL run before the disk fills, or null
    std::function<bool(TVktObject&)> run;
};

// A database of kRecords ingredients with buy prices, monthly history and attribute checks,
// registered with an application whose messages are recorded.
class BatchFailureTest : public DbFixture {
protected:
    void Populate() {
        platform::SetFixedNow(FixedNow());
        ASSERT_TRUE(GetVktTblFunctor().CreateTables(folder));
        functor.SetPath(folder);
        CreateDefaults();
        Sql("begin");
        for (int id = 1; id <= kRecords; ++id) {
            const std::string key = std::to_string(id);
            Add(vkttest::DataRow{.Data_ID = id, .Class_Key = kBeef, .Form_Key = 1, .Data = "R" + key,
                                 .UseUnit_Key = 5, .UsePrice = 250});
            Sql("insert into VktDB1K values (" + key + ", 5, 1000, 4, 100, 1)");
            Sql("insert into VktDB1L values (" + key + ", '2024-02-03', 5, 100)");
            Sql("insert into VktDB1J values (" + key + ", 1, 1)");
        }
        Sql("insert into VktDB1E values (1, '2024-02-29', 0)");
        Sql("commit");
        Sql("pragma wal_checkpoint(truncate)");
        app = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*app);
        ASSERT_TRUE(app->RegisterDatabase("Kitchen", folder));
        object = app->GetObject("Kitchen");
        ASSERT_NE(object, nullptr);
    }
    // Runs the batch; what it raised and the errors shown, one text.
    std::string Run(const BatchCase& c, bool& ok) {
        ok = true;
        std::string said;
        try {
            ok = c.run(*object);
        } catch (const std::exception& error) {
            said = error.what();
        }
        for (const std::string& e : shell->Texts(FakeShell::Kind::Error)) said += e + "\n";
        return said;
    }
    // The rows of the tables a batch writes, to compare before and after.
    std::string Rows() {
        std::string rows;
        for (const char* table : {"VktDB1E", "VktDB1F", "VktDB1G", "VktDB1J", "VktDB1K", "VktDB1L", "VktDB1M", "VktDB1Q"}) {
            platform::Statement all(Db(), std::string("select * from ") + table + " order by 1, 2");
            while (all.Step()) {
                for (int c = 0; c < all.ColumnCount(); ++c) rows += all.GetText(c) + "|";
                rows += "\n";
            }
        }
        return rows;
    }

    std::unique_ptr<TVktApplication> app;
    FakeShell* shell = nullptr;
    TVktObject* object = nullptr;
};

// The database in a small tmpfs of its own (mounting one needs root; skipped without).
class FullDiskTest : public BatchFailureTest {
protected:
    void SetUp() override {
        mountPoint_ = mountFolder_.Make("vktfull");
        if (geteuid() != 0 || mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, "size=8m") != 0) {
            mountFolder_.Remove();
            mountPoint_.clear();
            GTEST_SKIP() << "a size-limited folder needs root (mount tmpfs)";
        }
        folder = mountPoint_ + "/db";
        std::filesystem::create_directory(folder);
        Populate();
    }
    void TearDown() override {
        if (mountPoint_.empty()) return;
        app.reset();
        DbFixture::TearDown();
        umount2(mountPoint_.c_str(), MNT_DETACH);
        mountFolder_.Remove();
    }
    // Fills the folder's disk but for `room` bytes.
    void Fill(std::size_t room) {
        std::ofstream filler(mountPoint_ + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) filler.flush();
        filler.close();
        std::filesystem::resize_file(mountPoint_ + "/filler",
                                     std::filesystem::file_size(mountPoint_ + "/filler") - room);
    }

    vkttest::TempFolder mountFolder_;
    std::string mountPoint_;
};

// SQLite's allocator with the statement journal's blocks (its only allocations of 64 KiB) failing
// from the n-th on, installed while no connection is open.
class JournalMemoryTest : public BatchFailureTest {
protected:
    static constexpr int kJournalBlock = 64 * 1024;
    static inline sqlite3_mem_methods system{};
    static inline std::atomic<int> blocksLeft{-1};   // -1: none fails

    static void* Malloc(int size) {
        if (size == kJournalBlock && blocksLeft.load() >= 0 && blocksLeft.fetch_sub(1) <= 0) return nullptr;
        return system.xMalloc(size);
    }
    static void* Realloc(void* p, int size) {
        if (size == kJournalBlock && blocksLeft.load() >= 0 && blocksLeft.fetch_sub(1) <= 0) return nullptr;
        return system.xRealloc(p, size);
    }
    void SetUp() override {
        ASSERT_EQ(sqlite3_shutdown(), SQLITE_OK);
        ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_GETMALLOC, &system), SQLITE_OK);
        sqlite3_mem_methods failing = system;
        failing.xMalloc = Malloc;
        failing.xRealloc = Realloc;
        ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_MALLOC, &failing), SQLITE_OK);
        ASSERT_EQ(sqlite3_initialize(), SQLITE_OK);
        DbFixture::SetUp();
        Populate();
    }
    void TearDown() override {
        blocksLeft = -1;
        app.reset();
        DbFixture::TearDown();
        if (sqlite3_shutdown() == SQLITE_OK) {
            sqlite3_config(SQLITE_CONFIG_MALLOC, &system);
            sqlite3_initialize();
        }
    }
};

TPriorityItem AllIds() {
    TPriorityItem ids;
    for (int id = 1; id <= kRecords; ++id) ids << id;
    return ids;
}


std::string InsertRows() {
    std::string rows;
    for (int i = 0; i < kRecords; ++i) rows += "4,New " + std::to_string(i) + ",120\r\n";
    return rows;
}

constexpr const char* kAllInTrash = "insert into VktDB1G select Data_ID, '2024-03-01' from VktDB1F";

// Every kind of batch, on all the records.
const std::vector<BatchCase>& Batches() {
    static const std::vector<BatchCase> cases = {
        {"class change", nullptr, [](TVktObject& o) { return o.ChangeDataClass(kPork, 0, AllIds(), nullptr); }},
        {"key change", nullptr,
         [](TVktObject& o) {
             TPriorityItem fields;
             fields << ToInt(TVktField::Form_Key);
             return o.UpdateDataKeys("2", 0, AllIds(), fields, nullptr);
         }},
        {"attribute change", nullptr,
         [](TVktObject& o) {
             TPriorityItem items, checks;
             items << 1 << 2;
             checks << 0 << 1;
             return o.SetDataAttributes(0, AllIds(), items, checks, nullptr);
         }},
        {"trash", nullptr, [](TVktObject& o) { return o.EraseData(0, AllIds(), nullptr); }},
        {"restore", kAllInTrash, [](TVktObject& o) { return o.RestoreData(0, AllIds(), nullptr); }},
        {"purge", kAllInTrash, [](TVktObject& o) { return o.PurgeData(0, AllIds(), nullptr); }},
        {"insert", nullptr,
         [](TVktObject& o) {
             TPriorityItem fields;
             fields << ToInt(TVktField::Class_Key) << ToInt(TVktField::Data) << ToInt(TVktField::BuyPrice);
             return o.InsertData(TVktObjKind::Food, InsertRows(), fields, 0, nullptr);
         }},
        {"yearly fold", nullptr,
         [](TVktObject& o) { return o.MakeYHistory(true, 0, platform::EncodeDate(2024, 2, 1), nullptr); }},
        {"stock-taking sheet", nullptr, [](TVktObject& o) { return o.SetInventoryEntries(1, 0, AllIds(), nullptr); }},
        {"new stock-taking sheet", nullptr,
         [](TVktObject& o) {
             return o.SetInventoryEntry(0, false, AllIds(), platform::EncodeDate(2024, 3, 31), 0, nullptr);
         }},
    };
    return cases;
}

TEST_F(FullDiskTest, ABatchThatFillsTheDiskLeavesNothingAndSaysSo) {
    for (const BatchCase& c : Batches()) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (mountPoint_.empty()) return;
        if (c.arrange) Sql(c.arrange);
        const std::string before = Rows();
        Fill(64 * 1024);
        bool ok = true;
        // Pages spill to the disk in the middle of the batch, not only at its commit.
        const sqlite3_int64 heapLimit = sqlite3_soft_heap_limit64(256 * 1024);
        const std::string said = Run(c, ok);
        sqlite3_soft_heap_limit64(heapLimit);
        std::filesystem::remove(mountPoint_ + "/filler");
        EXPECT_FALSE(ok && said.empty());
        EXPECT_EQ(Rows(), before) << "nothing of the batch stays";
        EXPECT_NE(said.find("ディスクの空き容量が足りません"), std::string::npos) << said;
        EXPECT_EQ(said.find("no such savepoint"), std::string::npos) << said;
    }
}

TEST_F(JournalMemoryTest, ABatchWhoseJournalCannotGrowLeavesNothingAndSaysSo) {
    for (const BatchCase& c : Batches()) {
        for (int block : {0, 2}) {
            SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block));
            TearDown();
            SetUp();
            if (c.arrange) Sql(c.arrange);
            const std::string before = Rows();
            bool ok = true;
            blocksLeft = block;
            const std::string said = Run(c, ok);
            const bool failed = blocksLeft < 0;
            blocksLeft = -1;
            if (!failed) continue;   // the batch's journal never reached that block
            EXPECT_FALSE(ok && said.empty());
            EXPECT_EQ(Rows(), before) << "nothing of the batch stays";
            EXPECT_NE(said.find("メモリが足りません"), std::string::npos) << said;
        }
    }
}

} // namespace
