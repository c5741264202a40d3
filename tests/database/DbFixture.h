#pragma once
// Shared fixture of the database tests: a temporary database folder with every stored table
// created (empty), a TVktFunctor bound to it, the clock fixed at kFixedNow, and a connection of
// the test's own for arranging and inspecting rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/Mvkttables.h"
#include "database/Mvktfunctor.h"
#include "platform/DateTime.h"
#include "platform/Sqlite.h"
#include "support/DataRows.h"
#include "support/TempFolder.h"

class DbFixture : public ::testing::Test {
protected:
    // 2024-03-15 10:20:30.
    static platform::TDateTime FixedNow() { return platform::EncodeDateTime(2024, 3, 15, 10, 20, 30); }

    void SetUp() override {
        folder = temp.Make("vktdb");
        platform::SetFixedNow(FixedNow());
        ASSERT_TRUE(GetVktTblFunctor().CreateTables(folder));
        functor.SetPath(folder);
    }

    void TearDown() override {
        functor.SetPath("");   // closes the functor's connection
        db.Close();
        platform::SetClock({});
        temp.Remove();
    }

    // Fills the database with the new-database content and binds the functor again (which writes
    // row 0 of the settings map, as after creating a database).
    void CreateDefaults() {
        ASSERT_TRUE(functor.CreateDefaultData());
        functor.SetPath(folder);
    }

    // The test's own connection to the database file.
    platform::Connection& Db() {
        if (!db.IsOpen()) db.Open(platform::DatabaseFilePath(folder));
        return db;
    }
    void Sql(const std::string& sql) { Db().Execute(sql); }
    // Inserts a vkttest row (DataRow, CookRow, ItemRow).
    template <typename Row> void Add(const Row& row) { vkttest::Insert(Db(), row); }
    // First column of the first row (0 / "" / NaN when there is none or it is NULL).
    std::int64_t Int(const std::string& sql) { return vkttest::QueryInt(Db(), sql); }
    double Real(const std::string& sql) { return vkttest::QueryReal(Db(), sql); }
    std::string Text(const std::string& sql) {
        platform::Statement statement(Db(), sql);
        return statement.Step() ? statement.GetText(0) : std::string();
    }
    // Rows of a stored table.
    std::int64_t Count(TVktTable table) { return Int("select count(*) from " + GetTableFileName(table)); }

    std::string folder;
    vkttest::TempFolder temp;
    TVktFunctor functor;
    platform::Connection db;
};
