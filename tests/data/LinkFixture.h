#pragma once
// Fixture of the read accessor tests: a temporary database folder with empty stored tables, a
// connection of the test's own for filling them, and a fake open database over the folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/Mvkttables.h"
#include "data/Uvktaccesser.h"
#include "data/Uvktobjevent.h"
#include "platform/Sqlite.h"
#include "support/DataRows.h"
#include "support/TempFolder.h"

// An open database as the accessors see it: counts references, keeps the subscriptions.
class FakeLink : public TVktObjectLink {
public:
    explicit FakeLink(std::string folder) : folder_(std::move(folder)) {}
    void AddRef() override { ++refs; }
    void Release() override { --refs; }
    bool IsValid() override { return true; }
    std::string GetPath() const override { return folder_; }
    TVktObjEvents& GetEvents() override { return events; }
    TVktObject* GetSender() override { return nullptr; }

    void Close() { events.FireClose(nullptr); }

    int refs = 0;
    TVktObjEvents events;

private:
    std::string folder_;
};

// Counts the listings of an accessor class.
template <class Base>
class Counted : public Base {
public:
    using Base::Base;
    bool Execute() override {
        ++listings;
        return Base::Execute();
    }
    int listings = 0;
};

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder = temp.Make("vktacc");
        ASSERT_TRUE(GetVktTblFunctor().CreateTables(folder));
        db.Open(platform::DatabaseFilePath(folder));
        link = std::make_unique<FakeLink>(folder);
    }

    void TearDown() override {
        link.reset();
        db.Close();
        temp.Remove();
    }

    void Sql(const std::string& sql) { db.Execute(sql); }
    // Inserts a vkttest row (DataRow, CookRow, ItemRow).
    template <typename Row> void Add(const Row& row) { vkttest::Insert(db, row); }

    std::string folder;
    vkttest::TempFolder temp;
    platform::Connection db;
    std::unique_ptr<FakeLink> link;
};
