// Pair "Listing": the record list of every ingredient (default view fields, by name) listed
// through TVktAccesser into its row cache, against the same select text prepared with sqlite3 and
// every row stepped into strings.
#include <stdexcept>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "data/Usqlwiz.h"
#include "data/Uviewfieldstruct.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "platform/Text.h"

namespace bench {

std::vector<std::vector<std::string>> PlainListing(PlainDb& db, const ListingQuery& query) {
    PlainStmt statement(db, VktSQLString(TVktTable::TblData, query.Fields, query.Orders, query.Filter));
    const int parameter = statement.ParameterIndex(":" + GetFieldName(TVktField::Class_ID) + "_b0");
    if (parameter == 0) throw std::runtime_error("The listing statement takes no class");
    statement.Bind(parameter, query.Filter.Filters(0).GetBegin(0).AsInt());

    // The statement columns of the listed fields, found by name as the lister finds them.
    std::vector<int> columns;
    for (int i = 0; i < query.Fields.GetCount(); ++i) {
        const std::string name = GetFieldName(ToVktField(query.Fields.GetItem(i)));
        int found = -1;
        for (int c = 0; c < statement.ColumnCount() && found < 0; ++c)
            if (platform::SameText(statement.ColumnName(c), name)) found = c;
        if (found < 0) throw std::runtime_error("The listing statement has no column " + name);
        columns.push_back(found);
    }

    std::vector<std::vector<std::string>> rows;
    while (statement.Step()) {
        std::vector<std::string>& row = rows.emplace_back();
        row.reserve(columns.size());
        for (int column : columns) row.emplace_back(statement.Text(column));
    }
    return rows;
}

namespace {

void ListingSystem(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const ListingQuery query = IngredientListing();
    TVktAccesser accesser(&context.Object());
    accesser.BeginUpdate();
    accesser.SetTable(TVktTable::TblData);
    accesser.SetFields(query.Fields);
    accesser.SetOrder(query.Orders);
    accesser.SetFilter(query.Filter);
    accesser.EndUpdate(); // the first listing, untimed
    const int expected = static_cast<int>(context.Database().IngredientIds.size());
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            if (!accesser.Execute()) throw std::runtime_error("The accessor failed to list");
            if (accesser.GetRowCount() != expected)
                throw std::runtime_error("The accessor listed " + platform::IntToStr(accesser.GetRowCount()) +
                                         " rows, not " + platform::IntToStr(expected));
        });
        if (!ok) break;
    }
    state.counters["Rows"] = accesser.GetRowCount();
}

void ListingSqlite(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const ListingQuery query = IngredientListing();
    PlainDb db(context.DatabaseFile());
    const std::size_t expected = context.Database().IngredientIds.size();
    std::vector<std::vector<std::string>> rows;
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            rows.clear();
            rows = PlainListing(db, query);
            if (rows.size() != expected) throw std::runtime_error("The plain listing has the wrong row count");
        });
        if (!ok) break;
    }
    state.counters["Rows"] = static_cast<double>(rows.size());
}

} // namespace

void RegisterListingBenchmarks() {
    RegisterPair({"Listing", 1.1, Metric::RealTime,
                  "record list of every ingredient by name: TVktAccesser vs sqlite3 steps into strings"},
                 ListingSystem, ListingSqlite);
}

} // namespace bench
