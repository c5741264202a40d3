#pragma once
// What every benchmark of the data layer shares: the options of the run, the generated database
// (built once per process, before the first benchmark), the database object opened on it through
// the registry, the fixed clock, and the pairs whose ratio the summary prints.
//
// Naming: a pair "X" is the two benchmarks "X/System" (the system's path) and "X/SQLite" (plain
// SQLite doing the same work on the same database), or "X/<Baseline>" where the pair names another
// baseline. Each iteration of either is one whole unit of
// work (a listing, 10 000 inserts, ...); the summary compares the medians over repetitions.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "Generator.h"
#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "platform/DateTime.h"

class TVktApplication;
class TVktObject;

namespace bench {

struct BenchOptions {
    GeneratorSizes Sizes;
    int Operations = 10000; // rows inserted, prices edited, records exported per iteration
    std::string Directory;  // where the database folder is made (default: /dev/shm, else the temp folder)
    bool Keep = false;      // keep the database folder at exit
    bool Verify = false;    // check the generated prices with the system's own chain first
};

// Takes the options of its own ("--vkt_size=tiny|small|standard", "--vkt_ingredients=N",
// "--vkt_recipes=N", "--vkt_menus=N", "--vkt_operations=N", "--vkt_seed=N", "--vkt_dir=PATH",
// "--vkt_keep", "--vkt_verify") out of argv, leaving the rest; false (with a message) on a bad one.
bool ParseBenchOptions(int& argc, char** argv, BenchOptions& options);

// What the summary compares for a pair.
enum class Metric { RealTime, PeakBytes };

struct PairSpec {
    std::string Name;
    double Target = 0; // the ratio system / baseline not to exceed
    Metric Measure = Metric::RealTime;
    std::string Note; // what is compared, one line
    // The second side: "SQLite" (plain SQLite doing the same work), or another path of the system
    // that does comparable work.
    std::string Baseline = "SQLite";
};

class BenchContext {
public:
    static BenchContext& Get();

    void Configure(const BenchOptions& options) { options_ = options; }
    const BenchOptions& Options() const { return options_; }

    // Generates the database (once) and opens the database object on it.
    void Prepare();
    // Closes the object, frees the registry and removes the folder (unless kept).
    void Finish();

    const GeneratedDatabase& Database() const { return database_; }
    std::string DatabaseFile() const;
    // The opened database object of the generated database.
    TVktObject& Object();

    // The benchmark clock: every Now() of the system reads it.
    static platform::TDateTime StartTime();
    // Moves the clock one minute on (recosting runs need a run time later than the last one).
    platform::TDateTime AdvanceClock();

    void AddPair(PairSpec pair) { pairs_.push_back(std::move(pair)); }
    const std::vector<PairSpec>& Pairs() const { return pairs_; }

private:
    BenchContext() = default;

    BenchOptions options_;
    GeneratedDatabase database_;
    std::unique_ptr<TVktApplication> application_;
    TVktObject* object_ = nullptr;
    platform::TDateTime clock_ = 0;
    std::vector<PairSpec> pairs_;
    bool prepared_ = false;
};

// The median of the values (the mean of the middle two when their count is even); 0 when none.
double Median(std::vector<double> values);

// `count` ids of a list (all of them when it holds fewer), in an order shuffled by `seed`.
std::vector<int> PickIds(const std::vector<int>& from, int count, std::uint32_t seed);

class PlainDb;

// The record list the listing and memory pairs read: the database's default view fields, sorted
// by name (Data ascending), every record of the ingredient family's root class and its
// sub-classes.
struct ListingQuery {
    TPriorityItem Fields;
    TPriorityItem Orders;
    TFilterObject Filter;
};
ListingQuery IngredientListing();
// Plain SQLite over the same select text (VktSQLString): prepares it, binds the class and steps
// every row, keeping the columns of the listed fields as strings.
std::vector<std::vector<std::string>> PlainListing(PlainDb& db, const ListingQuery& query);

// Runs `body`; an exception ends the benchmark with its message (SkipWithError). False then.
template <class Body>
bool Guarded(benchmark::State& state, Body&& body) {
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return false;
    }
}

// Registers a pair: its summary line and the benchmarks "<Name>/System" and "<Name>/<Baseline>",
// each iteration one whole unit of work, timed in real time.
using BenchFunction = void (*)(benchmark::State&);
void RegisterPair(PairSpec pair, BenchFunction system, BenchFunction baseline);

// Registration of the pairs, one function per file.
void RegisterListingBenchmarks();
void RegisterInsertBenchmarks();
void RegisterEditBenchmarks();
void RegisterRecostBenchmarks();
void RegisterExportBenchmarks();
void RegisterMemoryBenchmarks();
void RegisterInventoryBenchmarks();
void RegisterHistoryBenchmarks();
void RegisterBatchBenchmarks();

} // namespace bench
