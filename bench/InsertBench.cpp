// Pair "Insert": a batch insert of ingredient CSV rows (kind 7: class, names, form, units, buy
// price, quantity, yield, dealer) through the facade (TVktObject::InsertData: one transaction,
// the records together in one savepoint), against the same inserts with prepared statements in one
// transaction:
// per row the food row, the data row with the use price and its first monthly history row.
// After each iteration (untimed) the new records are deleted again, so every iteration starts
// from the generated database.
#include <charconv>
#include <stdexcept>
#include <string_view>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktobject.h"
#include "platform/Currency.h"
#include "platform/Text.h"

namespace bench {

namespace {

const CsvRows& Rows() {
    static const CsvRows rows = [] {
        BenchContext& context = BenchContext::Get();
        return MakeIngredientCsv(context.Database(), context.Options().Operations, 77);
    }();
    return rows;
}

// The records above the generated ones, and what hangs on them, deleted.
void RemoveInserted(PlainDb& db) {
    const GeneratedDatabase& generated = BenchContext::Get().Database();
    // Generated ids are dense from 1.
    const std::string above =
        std::to_string(generated.IngredientIds.size() + generated.RecipeIds.size() + generated.MenuIds.size());
    PlainTransaction transaction(db);
    db.Exec("delete from VktDB1F where Data_ID > " + above);
    db.Exec("delete from VktDB1K where Food_Key > " + above);
    db.Exec("delete from VktDB1L where MHistory_Key > " + above);
    transaction.Commit();
}

// Fields of one CSV line: comma-separated, double-quoted where the text needs it.
std::vector<std::string> SplitLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i <= line.size()) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                } else {
                    field += line[i];
                }
            }
        }
        const std::size_t comma = line.find(',', i);
        field.append(line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i));
        fields.push_back(std::move(field));
        if (comma == std::string_view::npos) break;
        i = comma + 1;
    }
    return fields;
}

int Integer(const std::string& text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc()) throw std::runtime_error("Not an integer: " + text);
    return value;
}

double Number(const std::string& text) {
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc()) throw std::runtime_error("Not a number: " + text);
    return value;
}

void InsertSystem(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    TVktObject& object = context.Object();
    const CsvRows& rows = Rows();
    std::string text;
    for (const std::string& line : rows.Lines) text += line + "\r\n";
    TPriorityItem fields;
    for (int field : rows.Fields) fields << field;
    PlainDb cleaner(context.DatabaseFile());
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            if (!object.InsertData(TVktObjKind::Food, text, fields, 0, nullptr))
                throw std::runtime_error("InsertData stopped before the last row");
        });
        state.PauseTiming();
        RemoveInserted(cleaner);
        state.ResumeTiming();
        if (!ok) break;
    }
    state.counters["Rows"] = static_cast<double>(rows.Lines.size());
}

void InsertSqlite(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const CsvRows& rows = Rows();
    PlainDb db(context.DatabaseFile());
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            const platform::TDateTime now = platform::Now();
            const std::string stamp = platform::ToIsoDateTime(now);
            const std::string today = platform::ToIsoDate(now);
            PlainTransaction transaction(db);
            PlainStmt next(db, "select coalesce( max( Data_ID ), 0 ) + 1 from VktDB1F");
            next.Step();
            int id = static_cast<int>(next.Int(0));
            next.Reset();
            PlainStmt food(db,
                           "insert into VktDB1K ( Food_Key, BuyUnit_Key, BuyPrice, Quantity, Yield, Dealer_Key ) "
                           "values ( ?1, ?2, ?3, ?4, ?5, ?6 )");
            PlainStmt data(db,
                           "insert into VktDB1F ( Data_ID, Conserve, InvItem, Class_Key, Form_Key, Data, Data2, "
                           "UseUnit_Key, UsePrice, CreateDate, ChangeDate ) values ( ?1, 0, 1, ?2, ?3, ?4, ?5, ?6, "
                           "?7, ?8, ?8 )");
            PlainStmt history(db,
                              "insert into VktDB1L ( MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice ) "
                              "values ( ?1, ?2, ?3, ?4 )");
            data.Bind(8, stamp);
            history.Bind(2, today);
            for (const std::string& line : rows.Lines) {
                // Class_Key, Data, Data2, Form_Key, UseUnit_Key, BuyUnit_Key, BuyPrice, Quantity, Yield, Dealer_Key
                const std::vector<std::string> v = SplitLine(line);
                if (v.size() < 10) throw std::runtime_error("Short CSV line: " + line);
                const platform::Currency buyPrice = platform::Currency::FromDouble(Number(v[6]));
                const double quantity = Number(v[7]);
                const double yield = Number(v[8]);
                const platform::Currency usePrice = FoodUsePrice(buyPrice.ToDouble(), quantity, yield);
                food.Bind(1, id)
                    .Bind(2, Integer(v[5]))
                    .Bind(3, buyPrice.ToDouble())
                    .Bind(4, quantity)
                    .Bind(5, yield)
                    .Bind(6, Integer(v[9]))
                    .Run();
                data.Bind(1, id)
                    .Bind(2, Integer(v[0]))
                    .Bind(3, Integer(v[3]))
                    .Bind(4, v[1])
                    .Bind(5, v[2])
                    .Bind(6, Integer(v[4]))
                    .Bind(7, usePrice.ToDouble())
                    .Run();
                if (usePrice > platform::Currency())
                    history.Bind(1, id).Bind(3, Integer(v[4])).Bind(4, usePrice.ToDouble()).Run();
                ++id;
            }
            transaction.Commit();
        });
        state.PauseTiming();
        RemoveInserted(db);
        state.ResumeTiming();
        if (!ok) break;
    }
    state.counters["Rows"] = static_cast<double>(rows.Lines.size());
}

} // namespace

void RegisterInsertBenchmarks() {
    RegisterPair({"Insert", 1.3, Metric::RealTime,
                  "ingredient CSV rows in one batch: facade InsertData vs prepared inserts in one transaction"},
                 InsertSystem, InsertSqlite);
}

} // namespace bench
