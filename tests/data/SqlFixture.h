#pragma once
// Fixture of the SQL builder and filter tests: a temporary database folder whose stored tables are
// created empty by the table-file module, and a connection of the test's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Priorityitem.h"
#include "data/Mvkttables.h"
#include "data/Ufilterstruct.h"
#include "data/Usqlwiz.h"
#include "platform/Sqlite.h"
#include "support/DataRows.h"
#include "support/TempFolder.h"

class SqlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder = temp.Make("vktsql");
        ASSERT_TRUE(GetVktTblFunctor().CreateTables(folder));
        db.Open(platform::DatabaseFilePath(folder));
    }

    void TearDown() override {
        db.Close();
        temp.Remove();
    }

    void Sql(const std::string& sql) { db.Execute(sql); }
    // Inserts a vkttest row (DataRow, CookRow, ItemRow).
    template <typename Row> void Add(const Row& row) { vkttest::Insert(db, row); }

    // The Data_ID column of a query on TblData for the filter, in the query's order.
    std::vector<int> Ids(const TFilterObject& filter) {
        TPriorityItem fields;
        fields << ToInt(TVktField::Data_ID);
        const std::string sql = VktSQLString(TVktTable::TblData, fields, TPriorityItem(), filter);
        platform::Statement statement(db, sql);
        SetFilterParams(filter, statement, TVktTable::TblData);
        std::vector<int> ids;
        while (statement.Step()) ids.push_back(statement.GetInt("Data_ID"));
        return ids;
    }

    std::string folder;
    vkttest::TempFolder temp;
    platform::Connection db;
};
