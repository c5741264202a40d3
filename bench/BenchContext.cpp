#include "BenchContext.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string_view>

#include "PlainSqlite.h"
#include "data/Uviewfieldstruct.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/Sqlite.h"
#include "platform/Text.h"

namespace bench {

namespace {

constexpr const char* kDatabaseName = "ベンチマーク";

// The default place of the database: memory-backed /dev/shm where there is one, so that a commit's
// flush costs nothing and the figures measure the data layer rather than the disk's flush latency
// (on a virtual disk it varies tenfold from run to run); else the temp folder.
std::filesystem::path DefaultDirectory() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

std::string MakeFolderIn(const std::filesystem::path& base) {
    std::error_code error;
    std::filesystem::create_directories(base, error);
    std::string pattern = (base / "vkt-bench-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

// A new folder in `directory`, or in the default place (the temp folder when /dev/shm refuses).
std::string MakeFolder(const std::string& directory) {
    std::string folder = MakeFolderIn(directory.empty() ? DefaultDirectory() : std::filesystem::path(directory));
    if (folder.empty() && directory.empty()) folder = MakeFolderIn(std::filesystem::temp_directory_path());
    if (folder.empty())
        throw std::runtime_error("Cannot make the database folder in " +
                                 (directory.empty() ? std::string("the temp folder") : directory));
    return folder;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The generated prices are those of the system's own price chain and recosting: running them over
// a sample of records must leave every price as it was.
void VerifyPrices(const GeneratedDatabase& db) {
    TVktFunctor functor;
    functor.SetPath(db.Folder);
    PlainDb plain(platform::DatabaseFilePath(db.Folder));
    PlainStmt use(plain, "select UsePrice from VktDB1F where Data_ID = ?1");
    PlainStmt items(plain, "select ItemPrice, ItemUsePrice from VktDB1O where Item_Key = ?1 order by ItemIndex");
    auto usePrice = [&](int id) {
        use.Bind(1, id);
        if (!use.Step()) throw std::runtime_error("Record " + platform::IntToStr(id) + " is missing");
        const double value = use.Double(0);
        use.Reset();
        return value;
    };
    auto itemPrices = [&](int id) {
        std::vector<double> prices;
        items.Bind(1, id);
        while (items.Step()) {
            prices.push_back(items.Double(0));
            prices.push_back(items.Double(1));
        }
        items.Reset();
        return prices;
    };
    auto check = [&](int id, bool recost) {
        const double before = usePrice(id);
        const std::vector<double> itemsBefore = itemPrices(id);
        const bool ran =
            recost ? functor.RefreshItemPrices(id, pmNow, TPriorityItem(), 0) : functor.UpdatePriceChain(id);
        if (!ran) throw std::runtime_error("The price chain failed on record " + platform::IntToStr(id));
        if (usePrice(id) != before || itemPrices(id) != itemsBefore)
            throw std::runtime_error("Record " + platform::IntToStr(id) + ": generated prices differ from the chain's");
    };
    // Row counts first: the chain adds a history row of today to each ingredient it runs on.
    PlainStmt counts(plain,
                     "select (select count(*) from VktDB1F), (select count(*) from VktDB1L), "
                     "(select min(n) from (select count(*) n from VktDB1O group by Item_Key)), "
                     "(select max(n) from (select count(*) n from VktDB1O group by Item_Key))");
    counts.Step();
    const std::size_t records = db.IngredientIds.size() + db.RecipeIds.size() + db.MenuIds.size();
    if (counts.Int(0) != static_cast<std::int64_t>(records) ||
        counts.Int(1) != static_cast<std::int64_t>(12 * db.IngredientIds.size()) ||
        (!db.RecipeIds.empty() && (counts.Int(2) < 4 || counts.Int(3) > 15)))
        throw std::runtime_error("The generated database does not have the rows it should");
    counts.Reset();
    for (int id : PickIds(db.IngredientIds, 50, 1)) check(id, false);
    for (int id : PickIds(db.RecipeIds, 50, 2)) check(id, true);
    for (int id : PickIds(db.MenuIds, 10, 3)) check(id, true);

    functor.SetPath("");
}

} // namespace

BenchContext& BenchContext::Get() {
    static BenchContext context;
    return context;
}

platform::TDateTime BenchContext::StartTime() { return platform::EncodeDateTime(2024, 4, 15, 9, 30, 0); }

platform::TDateTime BenchContext::AdvanceClock() {
    clock_ += platform::EncodeTime(0, 1, 0);
    platform::SetFixedNow(clock_);
    return clock_;
}

void BenchContext::Prepare() {
    if (prepared_) return;
    clock_ = StartTime();
    platform::SetFixedNow(clock_);

    const std::string folder = MakeFolder(options_.Directory);
    const GeneratorSizes& s = options_.Sizes;
    std::fprintf(stderr, "Generating %d ingredients, %d recipes, %d menus (seed %u) in %s ...\n", s.Ingredients,
                 s.Recipes, s.Menus, s.Seed, folder.c_str());
    const auto start = std::chrono::steady_clock::now();
    database_ = GenerateDatabase(folder, s);
    std::fprintf(stderr, "Generated in %.1f s, %.1f MB.\n", Seconds(start),
                 static_cast<double>(std::filesystem::file_size(DatabaseFile())) / 1e6);
    if (options_.Verify) {
        VerifyPrices(database_);
        std::fprintf(stderr, "Generated prices agree with the system's price chain and recosting.\n");
    }

    application_ = std::make_unique<TVktApplication>();
    if (!application_->RegisterDatabase(kDatabaseName, folder))
        throw std::runtime_error("Cannot register the generated database");
    object_ = application_->GetObject(kDatabaseName);
    object_->AddRef();
    prepared_ = true;
}

void BenchContext::Finish() {
    if (!prepared_) return;
    object_->Release();
    object_ = nullptr;
    application_.reset();
    platform::SetClock({});
    if (!options_.Keep) {
        std::error_code ignored;
        std::filesystem::remove_all(database_.Folder, ignored);
    } else {
        std::fprintf(stderr, "Kept the database in %s\n", database_.Folder.c_str());
    }
    prepared_ = false;
}

std::string BenchContext::DatabaseFile() const { return platform::DatabaseFilePath(database_.Folder); }

TVktObject& BenchContext::Object() {
    if (!object_) throw std::runtime_error("The benchmark database is not prepared");
    return *object_;
}

void RegisterPair(PairSpec pair, BenchFunction system, BenchFunction baseline) {
    for (const auto& [side, function] : {std::pair{std::string("System"), system}, std::pair{pair.Baseline, baseline}})
        benchmark::RegisterBenchmark((pair.Name + "/" + side).c_str(), function)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    BenchContext::Get().AddPair(std::move(pair));
}

bool ParseBenchOptions(int& argc, char** argv, BenchOptions& options) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.rfind("--vkt_", 0) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const std::string value(equals == std::string_view::npos ? std::string_view() : arg.substr(equals + 1));
        try {
            if (name == "--vkt_size") {
                const std::uint32_t seed = options.Sizes.Seed;
                if (value == "tiny") {
                    options.Sizes = {400, 80, 8, seed};
                    options.Operations = 50;
                } else if (value == "small") {
                    options.Sizes = {10000, 2000, 200, seed};
                    options.Operations = 1000;
                } else if (value == "standard") {
                    options.Sizes = {100000, 20000, 2000, seed};
                    options.Operations = 10000;
                } else {
                    throw std::invalid_argument(value);
                }
            } else if (name == "--vkt_ingredients") {
                options.Sizes.Ingredients = platform::StrToInt(value);
            } else if (name == "--vkt_recipes") {
                options.Sizes.Recipes = platform::StrToInt(value);
            } else if (name == "--vkt_menus") {
                options.Sizes.Menus = platform::StrToInt(value);
            } else if (name == "--vkt_operations") {
                options.Operations = platform::StrToInt(value);
            } else if (name == "--vkt_seed") {
                options.Sizes.Seed = static_cast<std::uint32_t>(platform::StrToInt64(value));
            } else if (name == "--vkt_dir") {
                options.Directory = value;
            } else if (name == "--vkt_keep") {
                options.Keep = true;
            } else if (name == "--vkt_verify") {
                options.Verify = true;
            } else {
                throw std::invalid_argument("unknown");
            }
        } catch (const std::exception&) {
            std::fprintf(stderr, "Bad option %s\n", argv[i]);
            return false;
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (options.Sizes.Ingredients < 1 || options.Sizes.Recipes < 0 || options.Sizes.Menus < 0 ||
        options.Operations < 1) {
        std::fprintf(stderr, "Sizes: at least one ingredient and one operation\n");
        return false;
    }
    return true;
}

ListingQuery IngredientListing() {
    BenchContext& context = BenchContext::Get();
    ListingQuery query;
    query.Fields = context.Object().GetViewFields().GetName();
    for (int i = 0; i < query.Fields.GetCount(); ++i)
        query.Orders << (query.Fields.GetItem(i) == ToInt(TVktField::Data) ? 1 : 0);
    if (query.Fields.IndexOf(ToInt(TVktField::Data)) < 0) throw std::runtime_error("The default view lists no name");
    query.Filter.Add(TVktField::Class_ID, foEqual, platform::Variant(context.Database().IngredientRootClass),
                     platform::Variant());
    return query;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<int> PickIds(const std::vector<int>& from, int count, std::uint32_t seed) {
    std::vector<int> ids = from;
    std::mt19937 engine(seed);
    for (std::size_t i = ids.size(); i > 1; --i) std::swap(ids[i - 1], ids[engine() % i]);
    ids.resize(std::min(ids.size(), static_cast<std::size_t>(std::max(count, 0))));
    return ids;
}

} // namespace bench
