// Listings of an open database object run on pooled read connections kept while it is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "data/Mvktdatalister.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/ConnectionPool.h"
#include "platform/Errors.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::ConnectionPool;

class ListingConnectionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = temp.Make("vktlisting");
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        ASSERT_TRUE(registry->CreateDatabase("db", folder));
        object = registry->GetObject("db");
        file = platform::DatabaseFilePath(folder);
    }
    void TearDown() override {
        registry.reset();
        while (ConnectionPool::IsRetained(file)) ConnectionPool::Release(file);
        temp.Remove();
    }

    // The dealers' company names; `nested` runs inside the handler of the first row.
    std::vector<std::string> Companies(const std::function<void()>& nested = {}) {
        TVktDataLister lister;
        lister.SetPath(folder);
        lister.SetTable(TVktTable::TblDealer);
        std::vector<std::string> names;
        lister.OnListCell = [&](TVktDataLister*, int row, TVktField, const std::string& text,
                                const platform::Variant&, void*) {
            names.push_back(text);
            if (row == 0 && nested) nested();
        };
        EXPECT_TRUE(
            lister.List(nullptr, TPriorityItem() << ToInt(TVktField::Company), TPriorityItem(), TFilterObject()));
        return names;
    }

    std::string folder;
    vkttest::TempFolder temp;
    std::string file;
    std::unique_ptr<TVktApplication> registry;
    TVktObject* object = nullptr;
};

TEST_F(ListingConnectionsTest, AnOpenObjectsListingsReuseNestAndSeeItsWritesUntilTheLastRelease) {
    object->AddRef();
    const std::vector<std::string> before = Companies();
    EXPECT_EQ(Companies(), before);
    EXPECT_EQ(ConnectionPool::IdleCount(file), 1u);   // the one connection again

    std::vector<std::string> inner;
    EXPECT_EQ(Companies([&] { inner = Companies(); }), before);
    EXPECT_EQ(inner, before);
    EXPECT_EQ(ConnectionPool::IdleCount(file), 2u);

    ASSERT_NE(object->AddDealer("Beta"), 0);
    const std::vector<std::string> after = Companies();
    EXPECT_EQ(after.size(), before.size() + 1);
    EXPECT_NE(std::find(after.begin(), after.end(), "Beta"), after.end());

    object->Release();
    EXPECT_EQ(ConnectionPool::IdleCount(file), 0u);
    EXPECT_FALSE(fs::exists(file + "-wal") || fs::exists(file + "-shm"));
}

TEST_F(ListingConnectionsTest, AConnectionLeftReadingOrOfAReplacedFileIsNotReused) {
    ConnectionPool::Retain(file);
    {
        ConnectionPool::Lease lease = ConnectionPool::Acquire(file);
        platform::Statement statement(*lease, "select Company from VktDB1C");
        statement.Step();
        lease.Return();   // its read still open
    }
    EXPECT_EQ(ConnectionPool::IdleCount(file), 0u);

    const std::size_t count = Companies().size();
    fs::copy_file(file, folder + "/new.db");
    platform::Connection(folder + "/new.db").Execute("insert into VktDB1C (Dealer_ID, Company) values (99, 'New')");
    fs::rename(folder + "/new.db", file);
    EXPECT_EQ(Companies().size(), count + 1);

    fs::remove(file);
    EXPECT_THROW(ConnectionPool::Acquire(file), platform::DatabaseError);
}

} // namespace
