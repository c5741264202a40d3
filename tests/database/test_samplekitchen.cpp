// The sample kitchen of a first start: made once, only when no database is registered and it was
// never made before; its content as the program's own operations store it, and every recipe's and
// menu's cost the costing of its items.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeShell.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktapplication.h"
#include "database/Uvktsamplekitchen.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/Sqlite.h"
#include "support/DataRows.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using T = TVktTable;

std::string Tbl(T table) { return GetTableFileName(table); }

class SampleKitchenTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = temp.Make("vktsample");
        pictures = root + "/pictures";
        fs::create_directories(pictures);
        for (const char* file : kSamplePictureFiles) std::ofstream(pictures + "/" + file) << "picture " << file;
        platform::SetFixedNow(platform::EncodeDateTime(2024, 3, 15, 10, 20, 30));
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
        memoryFile = root + "/memory";
    }

    void TearDown() override {
        db.Close();
        registry.reset();
        platform::SetClock({});
        temp.Remove();
    }

    // The user's settings as a file, shared by the processes of a test.
    TSampleMemory Memory() {
        return {[this] {
                    std::ifstream in(memoryFile);
                    int value = 0;
                    in >> value;
                    return static_cast<TSampleRecord>(value);
                },
                [this](TSampleRecord record) {
                    platform::WriteFileAtomic(memoryFile, std::to_string(static_cast<int>(record)));
                }};
    }
    TSampleRecord Remembered() { return Memory().Read(); }

    // The sample made by a first start, and a connection of the test's own to it.
    void MakeSample() {
        ASSERT_TRUE(MakeSampleOnFirstStart(*registry, Memory(), root, pictures));
        ASSERT_EQ(registry->IndexOf(kSampleKitchenName), 0);
        db.Open(platform::DatabaseFilePath(registry->GetPath(0)));
    }

    std::int64_t Int(const std::string& sql) { return vkttest::QueryInt(db, sql, -1); }

    std::string root;
    vkttest::TempFolder temp;
    std::string pictures;
    std::string memoryFile;
    std::unique_ptr<TVktApplication> registry;
    FakeShell* shell = nullptr;
    platform::Connection db;
};

// The rows of every table of the database in the folder, as "table rows" lines.
std::string Census(const std::string& folder) {
    platform::Connection db(platform::DatabaseFilePath(folder), platform::OpenMode::ReadOnly);
    std::string census;
    for (const std::string& table : db.TableNames()) {
        platform::Statement count(db, "select count(*) from " + table);
        count.Step();
        census += table + " " + std::to_string(count.GetInt64(0)) + "\n";
    }
    return census;
}

// The entries of the data folder that are not the test's own files.
std::set<std::string> Entries(const std::string& root) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (name != "pictures" && name != "memory" && name != "list" && name != ".sample.lock") names.insert(name);
    }
    return names;
}

TEST_F(SampleKitchenTest, FirstStartMakesItOnlyWithoutDatabasesAndNeverAgain) {
    struct Case {
        const char* what;
        TSampleRecord remembered;
        bool ownDatabase;
        bool made;
    };
    const Case cases[] = {
        {"a first start", TSampleRecord::None, false, true},
        {"a start after the cook deleted it", TSampleRecord::Made, false, false},
        {"a start after a making that failed", TSampleRecord::Failed, false, false},
        {"a start with a database registered", TSampleRecord::None, true, false},
        {"a start with both", TSampleRecord::Made, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        Memory().Write(c.remembered);
        const std::string own = root + "/own-" + std::to_string(&c - cases);
        if (c.ownDatabase) {
            fs::create_directories(own);
            ASSERT_TRUE(registry->CreateDatabase("厨房", own));
        }
        EXPECT_EQ(MakeSampleOnFirstStart(*registry, Memory(), root, pictures), c.made);
        EXPECT_EQ(registry->IndexOf(kSampleKitchenName) >= 0, c.made);
        EXPECT_EQ(registry->GetCount(), (c.made ? 1 : 0) + (c.ownDatabase ? 1 : 0));
        EXPECT_EQ(Remembered(), c.made ? TSampleRecord::Made : c.remembered);
        if (c.made) {
            const std::string folder = registry->GetPath(registry->IndexOf(kSampleKitchenName));
            EXPECT_EQ(fs::path(folder).parent_path(), fs::path(root));
            EXPECT_EQ(registry->GetDatabaseFormat(folder), 2);
            // Deleted like any database: the entry and its tables go.
            ASSERT_TRUE(registry->DeleteDatabase(kSampleKitchenName));
            EXPECT_EQ(registry->GetDatabaseFormat(folder), 0);
            // It is remembered: the next start makes none.
            EXPECT_FALSE(MakeSampleOnFirstStart(*registry, Memory(), root, pictures));
            EXPECT_EQ(registry->IndexOf(kSampleKitchenName), -1);
            fs::remove_all(folder);
        }
    }
}

TEST_F(SampleKitchenTest, AnotherFolderWhenSampleExistsAndTheCooksOwnSampleIsKept) {
    // A folder left by an earlier sample is not overwritten (nor asked about).
    fs::create_directories(root + "/Sample");
    std::ofstream(root + "/Sample/keep.txt") << "kept";
    ASSERT_TRUE(CreateSampleKitchen(*registry, root, pictures));
    EXPECT_EQ(registry->GetPath(0), root + "/Sample1");
    EXPECT_TRUE(fs::exists(root + "/Sample/keep.txt"));
    EXPECT_TRUE(shell->messages.empty());

    // A database of the cook registered under the sample's name is neither replaced nor deleted.
    const std::string own = registry->GetPath(0);
    EXPECT_FALSE(CreateSampleKitchen(*registry, root, pictures));
    EXPECT_EQ(registry->GetCount(), 1);
    EXPECT_EQ(registry->GetDatabaseFormat(own), 2);
    EXPECT_FALSE(fs::exists(root + "/Sample2"));
}

// A start of the program in a child process: its registry's list is stored as the shell stores it
// (at every change, in a file of its own); the memory in the test's file. Ends with _exit.
[[noreturn]] void StartInChild(SampleKitchenTest& test, const std::string& root, const std::string& pictures,
                               TSampleMemory memory) {
    int status = 0;
    try {
        TVktApplication start;
        InstallFakeShell(start);
        start.OnListChange = [&root](TVktApplication* sender) {
            platform::WriteFileAtomic(root + "/list", sender->GetListText());
        };
        status = MakeSampleOnFirstStart(start, memory, root, pictures) ? 0 : 1;
    } catch (...) {
        status = 2;
    }
    (void)test;
    std::_Exit(status);
}

// The entry the stored list holds; "" when none.
std::string ListedFolder(const std::string& root) {
    std::ifstream in(root + "/list");
    std::string line;
    std::getline(in, line);
    const std::string prefix = std::string(kSampleKitchenName) + "=";
    if (line.rfind(prefix, 0) != 0) return {};
    line = line.substr(prefix.size());
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

TEST_F(SampleKitchenTest, AKillAtAnyMomentLeavesNoTraceOrAWholeSample) {
    // In memory where the system has it: a making then takes the time it takes on a quiet disk,
    // and the kills fall anywhere in it.
    vkttest::TempFolder shm;
    if (fs::is_directory("/dev/shm")) {
        std::string pattern = "/dev/shm/vktsample-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        memoryFile = root + "/memory";
    }
    struct RemoveShm {
        std::string folder;
        ~RemoveShm() {
            if (folder.rfind("/dev/shm/", 0) == 0) fs::remove_all(folder);
        }
    } removeShm{root};
    // A reference sample, made whole, to count against, and the time it takes.
    const auto started = std::chrono::steady_clock::now();
    MakeSample();
    const auto making = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    db.Close();
    const std::string whole = Census(registry->GetPath(0));
    ASSERT_EQ(whole.find("VktDB1F 0\n"), std::string::npos) << whole;   // a census of rows, not of empty tables
    registry.reset();
    fs::remove_all(root + "/Sample");
    fs::remove(memoryFile);

    std::mt19937 random(94);
    // A child starts slower than the making measured here: past three times it, most have ended.
    std::uniform_int_distribution<int> delay(0, static_cast<int>(making.count() * 3) + 30);
    for (int round = 0; round < 16; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) StartInChild(*this, root, pictures, Memory());
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        // What the kill left: nothing listed, or a whole sample listed.
        const std::string listed = ListedFolder(root);
        if (!listed.empty()) {
            EXPECT_EQ(Census(listed), whole);
        }
        // The next start removes a half sample and makes it, or finds it whole.
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
        if (!listed.empty()) {
            ASSERT_TRUE(registry->RegisterDatabase(kSampleKitchenName, listed));
        }
        MakeSampleOnFirstStart(*registry, Memory(), root, pictures);
        ASSERT_EQ(registry->IndexOf(kSampleKitchenName), 0);
        EXPECT_EQ(Census(registry->GetPath(0)), whole);
        EXPECT_EQ(Entries(root), std::set<std::string>{"Sample"});
        EXPECT_EQ(Remembered(), TSampleRecord::Made);
        EXPECT_TRUE(shell->messages.empty());
        registry.reset();
        fs::remove_all(root + "/Sample");
        fs::remove(root + "/list");
        fs::remove(memoryFile);
    }
}

TEST_F(SampleKitchenTest, TwoFirstStartsAtOnceMakeOneSampleBothList) {
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Each keeps its own list: the second child's file name.
            const std::string own = root + "/start-" + std::to_string(::getpid());
            fs::create_directories(own);
            int status = 0;
            {
                TVktApplication start;
                InstallFakeShell(start);
                status = MakeSampleOnFirstStart(start, Memory(), root, pictures) ? 0 : 1;
                platform::WriteFileAtomic(own + "/list", start.GetListText());
            }
            std::_Exit(status);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::ifstream in(root + "/start-" + std::to_string(child) + "/list");
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, std::string(kSampleKitchenName) + "=" + root + "/Sample\r");
        fs::remove_all(root + "/start-" + std::to_string(child));
    }
    EXPECT_EQ(Entries(root), std::set<std::string>{"Sample"});
}

// A folder that cannot take the sample: the making fails once, said with its cause, nothing of it
// stays, and the next start neither tries again nor says it again.
class SampleFailureTest : public SampleKitchenTest {
protected:
    void SetUp() override {
        SampleKitchenTest::SetUp();
        if (geteuid() != 0) GTEST_SKIP() << "a small or read-only medium needs root (mount tmpfs)";
        mountPoint = root + "/medium";
        fs::create_directories(mountPoint);
    }
    void TearDown() override {
        if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
        SampleKitchenTest::TearDown();
    }
    void Mount(const char* options) {
        ASSERT_EQ(mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, options), 0);
        mounted = true;
    }
    // Fills the medium but for `room` bytes.
    void Fill(std::uintmax_t room) {
        {
            std::ofstream filler(mountPoint + "/filler", std::ios::binary);
            const std::string block(4096, 'x');
            while (filler.write(block.data(), block.size())) filler.flush();
        }
        fs::resize_file(mountPoint + "/filler", fs::file_size(mountPoint + "/filler") - room);
    }
    std::string mountPoint;
    bool mounted = false;
};

TEST_F(SampleFailureTest, ASmallDiskHoldsTheSampleAndAFullOneIsSaidOnce) {
    struct Case {
        const char* what;
        std::uintmax_t room;
        bool made;
    };
    // The sample is some 250 KB: its log must not grow past the room it leaves.
    const Case cases[] = {{"a disk with 1.5 MB free", 1536 * 1024, true}, {"a disk with 96 KB free", 96 * 1024, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mount("size=8m");
        Fill(c.room);
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
        fs::remove(memoryFile);
        const std::string data = mountPoint + "/data";
        fs::create_directories(data);
        EXPECT_EQ(MakeSampleOnFirstStart(*registry, Memory(), data, pictures), c.made);
        EXPECT_EQ(Remembered(), c.made ? TSampleRecord::Made : TSampleRecord::Failed);
        if (c.made) {
            EXPECT_TRUE(shell->messages.empty());
            EXPECT_EQ(Entries(data), std::set<std::string>{"Sample"});
        } else {
            ASSERT_EQ(shell->Texts(FakeShell::Kind::Error).size(), 1u);
            EXPECT_NE(shell->messages[0].text.find("ディスクの空き容量が足りません"), std::string::npos)
                << shell->messages[0].text;
            EXPECT_EQ(registry->GetCount(), 0);
            EXPECT_TRUE(Entries(data).empty());
            // The next start is quiet.
            EXPECT_FALSE(MakeSampleOnFirstStart(*registry, Memory(), data, pictures));
            EXPECT_EQ(shell->messages.size(), 1u);
        }
        registry.reset();
        umount2(mountPoint.c_str(), MNT_DETACH);
        mounted = false;
    }
}

TEST_F(SampleFailureTest, AReadOnlyFolderIsSaidOnce) {
    Mount("size=1m,ro");
    EXPECT_FALSE(MakeSampleOnFirstStart(*registry, Memory(), mountPoint, pictures));
    ASSERT_EQ(shell->Texts(FakeShell::Kind::Error).size(), 1u);
    EXPECT_NE(shell->messages[0].text.find("読み取り専用"), std::string::npos) << shell->messages[0].text;
    EXPECT_EQ(Remembered(), TSampleRecord::Failed);
    EXPECT_FALSE(MakeSampleOnFirstStart(*registry, Memory(), mountPoint, pictures));
    EXPECT_EQ(shell->messages.size(), 1u);
}

TEST_F(SampleKitchenTest, HoldsAKitchensRecordsMadeByTheOperations) {
    MakeSample();
    const std::string data = Tbl(T::TblData);
    const std::string cls = " join " + Tbl(T::TblClass) + " on Class_ID = Class_Key where ClassType = ";
    EXPECT_GE(Int("select count(*) from " + data + cls + "1"), 60);
    EXPECT_GE(Int("select count(*) from " + data + cls + "2"), 12);
    EXPECT_EQ(Int("select count(*) from " + data + cls + "3"), 3);
    // Three dealers besides the default one, each buying some ingredients.
    EXPECT_EQ(Int("select count(distinct Dealer_Key) from " + Tbl(T::TblFood)), 3);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblFood) + " where Dealer_Key = 1"), 0);
    // Four months of prices per ingredient: this month's and the three before.
    EXPECT_EQ(Int("select min(n) from (select count(distinct substr(MHistoryDate, 1, 7)) n from " +
                  Tbl(T::TblMHistory) + " group by MHistory_Key)"),
              4);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblMHistory) + " where MHistoryDate = '2023-12-15'"),
              Int("select count(*) from " + Tbl(T::TblFood)));
    // Recipes used as items of recipes, and menus serving recipes.
    EXPECT_GE(Int("select count(distinct i.Data_Key) from " + Tbl(T::TblItem) + " i join " + data +
                  " d on d.Data_ID = i.Item_Key join " + data + " u on u.Data_ID = i.Data_Key join " +
                  Tbl(T::TblClass) + " c on c.Class_ID = u.Class_Key join " + Tbl(T::TblClass) +
                  " k on k.Class_ID = d.Class_Key where c.ClassType = 2 and k.ClassType = 2"),
              4);
    // Memos as the shell's writer writes them (here the registry's own: the text alone, its
    // markup taken as marks); the pictures' bytes as shipped.
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblMemo)), 5);
    platform::Statement memo(db, "select cast(Memo as text) from " + Tbl(T::TblMemo) + " join " + data +
                                     " on Data_ID = Memo_Key where Data = '真鯛'");
    ASSERT_TRUE(memo.Step());
    EXPECT_EQ(memo.GetText(0), "仕入れメモ\r\n月・木に入荷。天然物は前日の15時までに丸福水産へ注文。\r\n"
                               "歩留まりは三枚おろしで約45%。皮目の鱗は必ず確認すること。\r\n");
    platform::Statement image(db, "select Image from " + Tbl(T::TblImage) + " join " + data +
                                      " on Data_ID = Image_Key where Data = 'タルト・オ・ポム'");
    ASSERT_TRUE(image.Step());
    EXPECT_EQ(image.GetText(0), "picture tarte.jpg");
    // Every shipped picture on a record of its own.
    std::multiset<std::string> stored;
    platform::Statement images(db, "select Image from " + Tbl(T::TblImage));
    while (images.Step()) stored.insert(images.GetText(0));
    std::multiset<std::string> shipped;
    for (const char* file : kSamplePictureFiles) shipped.insert(std::string("picture ") + file);
    EXPECT_EQ(stored, shipped);
    // This month's stock-taking sheet of the stored goods, counted.
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblInvDate) + " where InvDate like '2024-03-%'"), 1);
    EXPECT_GE(Int("select count(*) from " + Tbl(T::TblInventory) + " where Remained > 0"), 30);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblInventory) + " join " + data +
                  " on Data_ID = Inventory_Key where Data = '真鯛'"),
              0);
    // Attribute checks and the user filter.
    EXPECT_GE(Int("select count(*) from " + Tbl(T::TblAttribute) + " where AttrCheck = 1"), 20);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblInitialize) + " where Initial like '<FilterSet>%高価な食材%'"), 1);
    EXPECT_TRUE(shell->messages.empty());
}

// What a cook reads in it is as a kitchen has it: a recipe made by weight or volume gives no more
// than its ingredients weigh, stocks are made from bones, French names carry their accents, and
// a year of prices stands in the yearly history.
TEST_F(SampleKitchenTest, ReadsAsAKitchenMakesIt) {
    MakeSample();
    const std::string data = Tbl(T::TblData);
    // Recipes made in grams or cc (units 15, 18) from items counted in grams or cc (5, 8, 15, 18).
    platform::Statement yields(db, "select d.Data, c.Complete, sum(i.ItemUse) from " + data + " d join " +
                                       Tbl(T::TblCook) + " c on c.Cook_Key = d.Data_ID join " + Tbl(T::TblItem) +
                                       " i on i.Item_Key = d.Data_ID join " + data +
                                       " u on u.Data_ID = i.Data_Key and u.UseUnit_Key in (5, 8, 15, 18)"
                                       " where d.UseUnit_Key in (15, 18) group by d.Data_ID");
    int recipes = 0;
    while (yields.Step()) {
        ++recipes;
        EXPECT_LE(yields.GetDouble(1), yields.GetDouble(2)) << yields.GetText(0);
    }
    EXPECT_GE(recipes, 7);

    struct Name {
        const char* name;
        const char* french;
    };
    const Name names[] = {{"生クリーム", "Crème fleurette"},  {"パート・ブリゼ", "Pâte brisée"},
                          {"クレーム・ブリュレ", "Crème brûlée"}, {"牛ヒレ肉", "Filet de bœuf"},
                          {"ランチコース", "Menu déjeuner"},     {"エシャロット", "Échalote"}};
    for (const Name& n : names) {
        platform::Statement french(db, "select Data2 from " + data + " where Data = '" + n.name + "'");
        ASSERT_TRUE(french.Step()) << n.name;
        EXPECT_EQ(french.GetText(0), n.french);
    }

    struct Made {
        const char* recipe;
        const char* from;
    };
    const Made stocks[] = {{"フォン・ド・ヴォー", "仔牛の骨"}, {"フュメ・ド・ポワソン", "白身魚のアラ"},
                           {"ブイヨン・ド・ヴォライユ", "鶏ガラ"}};
    for (const Made& stock : stocks) {
        EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblItem) + " i join " + data + " d on d.Data_ID = i.Item_Key join " +
                      data + " u on u.Data_ID = i.Data_Key where d.Data = '" + stock.recipe + "' and u.Data = '" +
                      stock.from + "'"),
                  1)
            << stock.recipe;
    }

    // Twelve months of yearly history per ingredient, the year before this month.
    EXPECT_EQ(Int("select min(n) from (select count(distinct substr(YHistoryDate, 1, 7)) n from " +
                  Tbl(T::TblYHistory) + " group by YHistory_Key)"),
              12);
    EXPECT_EQ(Int("select count(distinct YHistory_Key) from " + Tbl(T::TblYHistory)),
              Int("select count(*) from " + Tbl(T::TblFood)));
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblYHistory) + " where YHistoryDate >= '2024-03-01'"), 0);
}

TEST_F(SampleKitchenTest, EveryCostIsTheCostingOfItsItems) {
    MakeSample();
    // Ingredients: the use price from the buy price, quantity and yield.
    platform::Statement foods(db, "select Data, UsePrice, BuyPrice * 100 / Yield / Quantity from " + Tbl(T::TblData) +
                                      " join " + Tbl(T::TblFood) + " on Food_Key = Data_ID");
    int foodCount = 0;
    while (foods.Step()) {
        ++foodCount;
        EXPECT_NEAR(foods.GetDouble(1), foods.GetDouble(2), 1e-4) << foods.GetText(0);
    }
    EXPECT_GE(foodCount, 60);

    // Items: the used record's use price times the use; totals their sum, use prices per unit made.
    platform::Statement items(db, "select d.Data, i.ItemIndex, i.ItemPrice, u.UsePrice, i.ItemUse, i.ItemUsePrice from " +
                                      Tbl(T::TblItem) + " i join " + Tbl(T::TblData) + " d on d.Data_ID = i.Item_Key join " +
                                      Tbl(T::TblData) + " u on u.Data_ID = i.Data_Key");
    std::map<std::string, double> sums;
    while (items.Step()) {
        const std::string what = items.GetText(0) + " #" + std::to_string(items.GetInt64(1));
        EXPECT_NEAR(items.GetDouble(2), items.GetDouble(3), 1e-4) << what;
        EXPECT_NEAR(items.GetDouble(5), items.GetDouble(4) * items.GetDouble(3), 1e-3) << what;
        EXPECT_GT(items.GetDouble(5), 0) << what;
        sums[items.GetText(0)] += items.GetDouble(5);
    }
    platform::Statement cooks(db, "select Data, TotalPrice, Complete, UsePrice from " + Tbl(T::TblData) + " join " +
                                      Tbl(T::TblCook) + " on Cook_Key = Data_ID");
    int cookCount = 0;
    while (cooks.Step()) {
        ++cookCount;
        const std::string name = cooks.GetText(0);
        EXPECT_NEAR(cooks.GetDouble(1), sums[name], 1e-3) << name;
        EXPECT_NEAR(cooks.GetDouble(3), cooks.GetDouble(1) / cooks.GetDouble(2), 1e-3) << name;
    }
    EXPECT_EQ(cookCount, static_cast<int>(sums.size()));

    // One worked by hand: the vinaigrette (300 cc) of oil, vinegar, mustard, salt and pepper.
    const double vinaigrette = 200 * 2200.0 / 1000 + 70 * 650.0 / 500 + 20 * 780.0 / 370 + 3 * 200.0 / 1000 +
                               1 * 900.0 / 250;
    EXPECT_NEAR(sums["ヴィネグレット"], vinaigrette, 1e-3);
}

} // namespace
