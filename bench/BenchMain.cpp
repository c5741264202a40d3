// The benchmark program: generates the database, runs the pairs (Google Benchmark) and prints the
// ratio system / plain SQLite of each pair from the medians of its repetitions.
//
// Options of its own (the rest are Google Benchmark's):
//   --vkt_size=tiny|small|standard   standard: 100000 ingredients, 20000 recipes, 2000 menus,
//                                    10000 operations; small: a tenth; tiny: a smoke run
//   --vkt_ingredients=N --vkt_recipes=N --vkt_menus=N --vkt_operations=N --vkt_seed=N
//   --vkt_dir=PATH                   where the database folder is made
//   --vkt_keep                       keep the database folder
//   --vkt_verify                     check the generated prices with the system's chain first
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BenchContext.h"
#include "MemoryCounter.h"
#include "platform/Text.h"

namespace {

using bench::BenchContext;
using bench::Median;
using bench::Metric;

std::string Amount(double value, Metric metric) {
    char text[32];
    if (metric == Metric::PeakBytes)
        std::snprintf(text, sizeof text, "%.1f MB", value / 1e6);
    else if (value >= 1)
        std::snprintf(text, sizeof text, "%.2f s", value);
    else
        std::snprintf(text, sizeof text, "%.1f ms", value * 1e3);
    return text;
}

// The console report, then the summary of the pairs: medians and their ratio against the target.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred) {
                errors_[name] = run.error_message;
                continue;
            }
            samples_[name].time.push_back(run.real_accumulated_time / static_cast<double>(run.iterations));
            const auto peak = run.counters.find("PeakBytes");
            if (peak != run.counters.end()) samples_[name].bytes.push_back(peak->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        const bench::BenchOptions& options = BenchContext::Get().Options();
        std::printf("\nData layer against plain SQLite: %d ingredients, %d recipes, %d menus, %d operations\n",
                    options.Sizes.Ingredients, options.Sizes.Recipes, options.Sizes.Menus, options.Operations);
        std::printf("%-8s %12s %12s %7s %7s  %-6s %s\n", "pair", "system", "baseline", "ratio", "target", "", "runs");
        for (const bench::PairSpec& pair : BenchContext::Get().Pairs()) {
            const std::string system = pair.Name + "/System";
            const std::string sqlite = pair.Name + "/" + pair.Baseline;
            for (const std::string& name : {system, sqlite})
                if (errors_.count(name))
                    std::printf("%-8s failed: %s: %s\n", pair.Name.c_str(), name.c_str(), errors_[name].c_str());
            if (errors_.count(system) || errors_.count(sqlite)) continue;
            if (!samples_.count(system) || !samples_.count(sqlite)) continue; // filtered out
            const bool bytes = pair.Measure == Metric::PeakBytes;
            const auto& s = bytes ? samples_[system].bytes : samples_[system].time;
            const auto& b = bytes ? samples_[sqlite].bytes : samples_[sqlite].time;
            if (s.empty() || b.empty()) continue;
            const double ms = Median(s);
            const double mb = Median(b);
            const double ratio = mb > 0 ? ms / mb : 0;
            std::printf("%-8s %12s %12s %7.2f %7.1f  %-6s %zu   %s\n", pair.Name.c_str(),
                        Amount(ms, pair.Measure).c_str(), Amount(mb, pair.Measure).c_str(), ratio, pair.Target,
                        ratio <= pair.Target ? "met" : "MISSED", std::min(s.size(), b.size()), pair.Note.c_str());
        }
        std::fflush(stdout);
    }

    bool Failed() const { return !errors_.empty(); }

private:
    struct Samples {
        std::vector<double> time;  // seconds per iteration
        std::vector<double> bytes; // peak heap bytes
    };
    std::map<std::string, Samples> samples_;
    std::map<std::string, std::string> errors_;
};

} // namespace

int main(int argc, char** argv) {
    if (!bench::InstallSqliteCounter()) std::fprintf(stderr, "SQLite's allocations are not counted\n");

    bench::BenchOptions options;
    if (!bench::ParseBenchOptions(argc, argv, options)) return 2;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

    BenchContext& context = BenchContext::Get();
    context.Configure(options);
    try {
        context.Prepare();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Cannot prepare the benchmark database: %s\n", error.what());
        return 1;
    }

    bench::RegisterListingBenchmarks();
    bench::RegisterMemoryBenchmarks();
    bench::RegisterExportBenchmarks();
    bench::RegisterEditBenchmarks();
    bench::RegisterRecostBenchmarks();
    bench::RegisterInsertBenchmarks();
    bench::RegisterInventoryBenchmarks();
    bench::RegisterHistoryBenchmarks();
    bench::RegisterBatchBenchmarks();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    context.Finish();
    return reporter.Failed() ? 1 : 0;
}
