#include "Generator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <random>
#include <stdexcept>
#include <string_view>

#include "PlainSqlite.h"
#include "data/Mvkttables.h"
#include "data/Vkttabledefine.h"
#include "database/Mvktfunctor.h"
#include "database/Mvktfunctor.h"
#include "platform/DateTime.h"
#include "platform/Sqlite.h"
#include "platform/Text.h"

namespace bench {

namespace {

constexpr int kDealerCount = 60; // beside the default dealer 1

// clang-format off
constexpr std::array<std::string_view, 8> kAttrItemNames = {
    "国産", "輸入", "有機栽培", "冷凍可", "アレルゲン含有", "季節限定", "常温保存", "要冷蔵",
};

// Ingredient words per family group of the default class tree (meat, seafood, vegetables, dairy,
// condiments, drinks, other), Japanese and French.
struct Word {
    std::string_view Name;
    std::string_view Name2;
};
constexpr std::array<std::array<Word, 8>, 7> kIngredientWords = {{
    {{{"牛肩ロース", "Epaule de boeuf"}, {"牛ヒレ", "Filet de boeuf"}, {"豚バラ", "Poitrine de porc"},
      {"豚ロース", "Longe de porc"}, {"鶏もも", "Cuisse de poulet"}, {"鴨胸", "Magret de canard"},
      {"仔羊ロース", "Carre d'agneau"}, {"生ハム", "Jambon cru"}}},
    {{{"真鯛", "Dorade"}, {"平目", "Turbot"}, {"鮭", "Saumon"}, {"鱸", "Bar"}, {"帆立貝", "Saint-Jacques"},
      {"車海老", "Gambas"}, {"ずわい蟹", "Crabe"}, {"牡蠣", "Huitre"}}},
    {{{"玉葱", "Oignon"}, {"人参", "Carotte"}, {"セロリ", "Celeri"}, {"馬鈴薯", "Pomme de terre"},
      {"トマト", "Tomate"}, {"エシャロット", "Echalote"}, {"タイム", "Thym"}, {"苺", "Fraise"}}},
    {{{"牛乳", "Lait"}, {"生クリーム", "Creme"}, {"無塩バター", "Beurre doux"}, {"パルミジャーノ", "Parmesan"},
      {"ヨーグルト", "Yaourt"}, {"卵", "Oeuf"}, {"マスカルポーネ", "Mascarpone"}, {"コンテ", "Comte"}}},
    {{{"ゲランドの塩", "Sel de Guerande"}, {"黒胡椒", "Poivre noir"}, {"グラニュー糖", "Sucre"},
      {"白ワインビネガー", "Vinaigre"}, {"オリーブ油", "Huile d'olive"}, {"ディジョンマスタード", "Moutarde"},
      {"ナツメグ", "Muscade"}, {"醤油", "Sauce soja"}}},
    {{{"赤ワイン", "Vin rouge"}, {"白ワイン", "Vin blanc"}, {"コニャック", "Cognac"}, {"マデラ酒", "Madere"},
      {"ミネラルウォーター", "Eau minerale"}, {"オレンジジュース", "Jus d'orange"}, {"シードル", "Cidre"},
      {"ポルト酒", "Porto"}}},
    {{{"強力粉", "Farine forte"}, {"薄力粉", "Farine"}, {"米", "Riz"}, {"スパゲッティ", "Spaghetti"},
      {"パン粉", "Chapelure"}, {"板ゼラチン", "Gelatine"}, {"アーモンドプードル", "Poudre d'amande"},
      {"カカオ", "Cacao"}}},
}};

constexpr std::array<std::string_view, 6> kGrades = {"国産", "輸入", "特選", "業務用", "冷凍", "有機"};

constexpr std::array<Word, 12> kDishWords = {{
    {"フォン・ド・ヴォー", "Fond de veau"}, {"ソース・ベアルネーズ", "Sauce bearnaise"},
    {"パート・ブリゼ", "Pate brisee"}, {"牛ヒレ肉のポワレ", "Filet poele"}, {"真鯛のグリル", "Dorade grillee"},
    {"野菜のテリーヌ", "Terrine de legumes"}, {"クレーム・ブリュレ", "Creme brulee"},
    {"オニオングラタンスープ", "Soupe a l'oignon"}, {"鴨のコンフィ", "Confit de canard"},
    {"ブイヤベース", "Bouillabaisse"}, {"タルト・タタン", "Tarte Tatin"}, {"ラタトゥイユ", "Ratatouille"},
}};

constexpr std::array<Word, 5> kMenuWords = {{
    {"ディナーコース", "Menu diner"}, {"ランチコース", "Menu dejeuner"}, {"宴会プラン", "Banquet"},
    {"季節のおまかせ", "Menu de saison"}, {"アラカルト", "A la carte"},
}};

constexpr std::array<std::string_view, 8> kSurnames = {"山田", "佐藤", "鈴木", "高橋", "田中", "渡辺", "伊藤", "中村"};
constexpr std::array<std::string_view, 5> kTrades = {"食品", "商店", "水産", "青果", "酒販"};
// clang-format on

// A deterministic source: mt19937's output is fixed by the standard; the ranges are ours.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    // 0 .. n-1 (n > 0).
    int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    // [0, 1).
    double Unit() { return engine_() / 4294967296.0; }
    bool Chance(double p) { return Unit() < p; }
    template <class List>
    const auto& Pick(const List& list) {
        return list[static_cast<std::size_t>(Below(static_cast<int>(list.size())))];
    }

private:
    std::mt19937 engine_;
};

// Shortest round-trip decimal text, "." whatever the locale.
std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Digits(int value, int width) {
    std::string text = platform::IntToStr(value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width - text.size()), '0');
    return text;
}

// "insert into F (c1, ..., cn) values (?1, ..., ?n)" over the stored columns of a table.
std::string InsertSql(TVktTable table) {
    const int first = ToInt(GetTableFirstField(table));
    const int count = GetTableFieldCount(table);
    std::string columns;
    std::string values;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            columns += ", ";
            values += ", ";
        }
        columns += GetFieldName(ToVktField(first + i));
        values += "?" + platform::IntToStr(i + 1);
    }
    return "insert into " + GetTableFileName(table) + " (" + columns + ") values (" + values + ")";
}

// A date-time between two dates, at a minute of the working day.
std::string RandomStamp(Random& random, platform::TDateTime from, int days) {
    const platform::TDateTime day = from + random.Below(days);
    return platform::ToIsoDateTime(day +
                                   platform::EncodeTime(random.Between(7, 22), random.Below(60), random.Below(60)));
}

// A memo as the rich-text editor stores it.
std::string MemoText(Random& random, int id) {
    static constexpr std::array<std::string_view, 4> lines = {
        "\\'93\\'fc\\'89\\'d7\\'8e\\'9e\\'82\\'c9\\'95\\'69\\'8e\\'bf\\'82\\'f0\\'8a\\'6d\\'94\\'46 ",
        "Conserver au frais. ",
        "\\'8e\\'64\\'8d\\'9e\\'82\\'dd\\'82\\'cd\\'91\\'4f\\'93\\'fa\\'82\\'dc\\'82\\'c5 ",
        "Livraison le mardi et le vendredi. ",
    };
    std::string text =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
        "\\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs18 ";
    const int count = random.Between(1, 6);
    for (int i = 0; i < count; ++i) {
        text += random.Pick(lines);
        text += "No." + platform::IntToStr(id) + "\\par\n";
    }
    text += "}";
    return text;
}

struct ClassInfo {
    int Id = 0;
    std::string TreeID;
    int Type = 0;
};

struct UnitInfo {
    int Id = 0;
    bool Kind = false; // true: a unit of measure, false: a form
    int Type = 0;
};

// The classes and units of the new-database content, read back from the file.
void ReadMasters(PlainDb& db, std::vector<ClassInfo>& classes, std::vector<UnitInfo>& units) {
    PlainStmt classRows(
        db, "select Class_ID, TreeID, ClassType from " + GetTableFileName(TVktTable::TblClass) + " order by Class_ID");
    while (classRows.Step())
        classes.push_back(
            {static_cast<int>(classRows.Int(0)), std::string(classRows.Text(1)), static_cast<int>(classRows.Int(2))});
    PlainStmt unitRows(db, "select Units_ID, UnitsKind, UnitsType from " + GetTableFileName(TVktTable::TblUnits) +
                               " order by Units_ID");
    while (unitRows.Step())
        units.push_back({static_cast<int>(unitRows.Int(0)), unitRows.Int(1) != 0, static_cast<int>(unitRows.Int(2))});
}

bool IsLeaf(const std::vector<ClassInfo>& classes, const ClassInfo& c) {
    for (const ClassInfo& other : classes)
        if (other.Id != c.Id && other.TreeID.size() > c.TreeID.size() &&
            other.TreeID.compare(0, c.TreeID.size(), c.TreeID) == 0)
            return false;
    return true;
}

std::vector<int> UnitsOf(const std::vector<UnitInfo>& units, bool kind, int type) {
    std::vector<int> ids;
    for (const UnitInfo& u : units)
        if (u.Kind == kind && u.Type == type) ids.push_back(u.Id);
    if (ids.empty())
        throw std::runtime_error("The default content has no units for class type " + platform::IntToStr(type));
    return ids;
}

// Leaf classes of a family (ClassType) below its root.
std::vector<const ClassInfo*> Leaves(const std::vector<ClassInfo>& classes, int type) {
    std::vector<const ClassInfo*> leaves;
    for (const ClassInfo& c : classes)
        if (c.Type == type && c.TreeID.size() > 5 && IsLeaf(classes, c)) leaves.push_back(&c);
    if (leaves.empty())
        throw std::runtime_error("The default class tree has no leaf of class type " + platform::IntToStr(type));
    return leaves;
}

// Group of an ingredient class (0..6): the digit of its depth-3 ancestor ("2000000".."2000006").
int IngredientGroup(const ClassInfo& c) {
    if (c.TreeID.size() < 7) return 6;
    const int group = c.TreeID[6] - '0';
    return group >= 0 && group < static_cast<int>(kIngredientWords.size()) ? group : 6;
}

// The price facts of an ingredient, drawn alike for the database and for CSV rows.
struct IngredientDraw {
    std::string Name;
    std::string Name2;
    int Form = 0;
    int UseUnit = 0;
    int BuyUnit = 0;
    double BuyPrice = 0;
    double Quantity = 0;
    double Yield = 0;
    int Dealer = 0;
};

IngredientDraw DrawIngredient(Random& random, const ClassInfo& cls, const std::vector<int>& forms,
                              const std::vector<int>& units, int dealers, int serial) {
    IngredientDraw d;
    const Word& word = random.Pick(kIngredientWords[static_cast<std::size_t>(IngredientGroup(cls))]);
    d.Name = std::string(word.Name) + "（" + std::string(random.Pick(kGrades)) + "）" + Digits(serial, 6);
    d.Name2 = std::string(word.Name2) + " " + Digits(serial, 6);
    d.Form = random.Pick(forms);
    // Units in their default order: g, kg, l, cc, case, pack, piece, can.
    auto unit = [&](std::size_t index) { return units[std::min(index, units.size() - 1)]; };
    const int shape = random.Below(10);
    if (shape < 7) { // weighed: bought by kg, case or pack, used by the gram
        d.UseUnit = unit(0);
        static constexpr std::array<std::size_t, 3> buyUnits = {1, 4, 5};
        d.BuyUnit = unit(random.Pick(buyUnits));
        static constexpr std::array<double, 6> contents = {1000, 500, 2000, 5000, 10000, 250};
        d.Quantity = random.Pick(contents);
        d.BuyPrice = random.Between(200, 9000);
    } else if (shape < 8) { // liquids by the litre, used by the cc
        d.UseUnit = unit(3);
        d.BuyUnit = unit(2);
        static constexpr std::array<double, 4> contents = {1000, 750, 500, 1800};
        d.Quantity = random.Pick(contents);
        d.BuyPrice = random.Between(300, 6000);
    } else { // counted pieces
        d.UseUnit = unit(6);
        d.BuyUnit = unit(random.Chance(0.5) ? 4 : 7);
        static constexpr std::array<double, 6> contents = {1, 6, 10, 12, 24, 50};
        d.Quantity = random.Pick(contents);
        d.BuyPrice = random.Between(50, 4000);
    }
    if (random.Chance(0.1)) d.BuyPrice += 0.5;
    d.Yield = random.Chance(0.4) ? 100 : random.Between(50, 99);
    d.Dealer = random.Between(1, dealers);
    return d;
}

} // namespace

GeneratedDatabase GenerateDatabase(const std::string& folder, const GeneratorSizes& sizes) {
    if (sizes.Ingredients < 1 || sizes.Recipes < 0 || sizes.Menus < 0)
        throw std::runtime_error("A database needs at least one ingredient");
    if (!GetVktTblFunctor().CreateTables(folder)) throw std::runtime_error("Cannot create the tables in " + folder);
    {
        TVktFunctor functor;
        functor.SetPath(folder);
        if (!functor.CreateDefaultData()) throw std::runtime_error("Cannot write the default content in " + folder);
        functor.SetPath(folder); // writes the settings map of row 0, as a new database has it
        functor.SetPath("");
    }

    GeneratedDatabase out;
    out.Folder = folder;
    Random random(sizes.Seed);

    PlainDb db(platform::DatabaseFilePath(folder));
    db.Exec("PRAGMA cache_size = -131072");
    std::vector<ClassInfo> classes;
    std::vector<UnitInfo> units;
    ReadMasters(db, classes, units);

    const std::vector<const ClassInfo*> foodClasses = Leaves(classes, 1);
    const std::vector<const ClassInfo*> cookClasses = Leaves(classes, 2);
    const std::vector<const ClassInfo*> menuClasses = Leaves(classes, 3);
    for (const ClassInfo& c : classes)
        if (c.Type == 1 && c.TreeID.size() == 5) out.IngredientRootClass = c.Id;
    for (const ClassInfo* c : foodClasses) {
        out.IngredientClasses.push_back(c->Id);
        out.IngredientClassTrees.push_back(c->TreeID);
    }
    out.IngredientUnits = UnitsOf(units, true, 1);
    out.IngredientForms = UnitsOf(units, false, 1);
    const std::vector<int> cookUnits = UnitsOf(units, true, 2);
    const std::vector<int> cookForms = UnitsOf(units, false, 2);
    const std::vector<int> menuUnits = UnitsOf(units, true, 3);
    const std::vector<int> menuForms = UnitsOf(units, false, 3);
    out.DealerCount = kDealerCount + 1;

    db.Exec("BEGIN IMMEDIATE");

    PlainStmt dealer(db, InsertSql(TVktTable::TblDealer));
    for (int i = 0; i < kDealerCount; ++i) {
        const int id = i + 2;
        const std::string surname(random.Pick(kSurnames));
        dealer.Bind(1, id)
            .Bind(2, "株式会社" + surname + std::string(random.Pick(kTrades)) + Digits(id, 2))
            .Bind(3, surname)
            .Bind(4, Digits(random.Between(100, 999), 3) + "-" + Digits(random.Below(10000), 4))
            .Bind(5, "東京都中央区築地" + platform::IntToStr(random.Between(1, 7)) + "-" +
                         platform::IntToStr(random.Between(1, 30)))
            .Bind(6, "03-" + Digits(random.Below(10000), 4) + "-" + Digits(random.Below(10000), 4))
            .Bind(7, "090-" + Digits(random.Below(10000), 4) + "-" + Digits(random.Below(10000), 4))
            .Bind(8, "03-" + Digits(random.Below(10000), 4) + "-" + Digits(random.Below(10000), 4))
            .Bind(9, "order" + Digits(id, 2) + "@example.jp")
            .Run();
    }

    PlainStmt attrItem(db, InsertSql(TVktTable::TblAttrItem));
    for (std::size_t i = 0; i < kAttrItemNames.size(); ++i)
        attrItem.Bind(1, static_cast<int>(i + 1)).Bind(2, kAttrItemNames[i]).Run();

    PlainStmt data(db, InsertSql(TVktTable::TblData));
    PlainStmt food(db, InsertSql(TVktTable::TblFood));
    PlainStmt history(db, InsertSql(TVktTable::TblMHistory));
    PlainStmt cook(db, InsertSql(TVktTable::TblCook));
    PlainStmt item(db, InsertSql(TVktTable::TblItem));
    PlainStmt information(db, InsertSql(TVktTable::TblInformation));
    PlainStmt memo(db, InsertSql(TVktTable::TblMemo));
    PlainStmt attribute(db, InsertSql(TVktTable::TblAttribute));

    const platform::TDateTime created = platform::EncodeDate(2020, 4, 1);
    const platform::TDateTime changed = platform::EncodeDate(2024, 1, 5);
    const int total = sizes.Ingredients + sizes.Recipes + sizes.Menus;
    std::vector<double> usePrice(static_cast<std::size_t>(total) + 1, 0.0);
    std::vector<int> useUnit(static_cast<std::size_t>(total) + 1, 0);

    auto writeData = [&](int id, int classId, bool invItem, int form, const std::string& name, const std::string& name2,
                         int unit, double price) {
        data.Bind(1, id)
            .Bind(2, 0)
            .Bind(3, invItem ? 1 : 0)
            .Bind(4, classId)
            .Bind(5, form)
            .Bind(6, name)
            .Bind(7, name2)
            .Bind(8, unit)
            .Bind(9, price)
            .Bind(10, RandomStamp(random, created, 1000))
            .Bind(11, RandomStamp(random, changed, 90))
            .Run();
        usePrice[static_cast<std::size_t>(id)] = price;
        useUnit[static_cast<std::size_t>(id)] = unit;
    };
    // Attribute checks on about a third of the records, a memo on a tenth.
    auto writeExtras = [&](int id) {
        if (random.Chance(0.33)) {
            std::array<int, 8> order = {1, 2, 3, 4, 5, 6, 7, 8};
            std::shuffle(order.begin(), order.end(), std::mt19937(static_cast<std::uint32_t>(id)));
            const int checks = random.Between(1, 3);
            std::sort(order.begin(), order.begin() + checks);
            for (int i = 0; i < checks; ++i)
                attribute.Bind(1, id)
                    .Bind(2, order[static_cast<std::size_t>(i)])
                    .Bind(3, random.Chance(0.7) ? 1 : 0)
                    .Run();
        }
        if (random.Below(10) == 0) memo.Bind(1, id).BindBlob(2, MemoText(random, id)).Run();
    };

    // Ingredients, with twelve months of history ending with the month before the benchmark clock.
    int id = 0;
    for (int i = 0; i < sizes.Ingredients; ++i) {
        ++id;
        const ClassInfo& cls = *random.Pick(foodClasses);
        const IngredientDraw d =
            DrawIngredient(random, cls, out.IngredientForms, out.IngredientUnits, out.DealerCount, id);
        // As the chain computes it.
        const double price = FoodUsePrice(d.BuyPrice, d.Quantity, d.Yield).ToDouble();
        food.Bind(1, id)
            .Bind(2, d.BuyUnit)
            .Bind(3, d.BuyPrice)
            .Bind(4, d.Quantity)
            .Bind(5, d.Yield)
            .Bind(6, d.Dealer)
            .Run();
        writeData(id, cls.Id, true, d.Form, d.Name, d.Name2, d.UseUnit, price);
        for (int m = 0; m < 12; ++m) {
            const double factor = m == 11 ? 1.0 : 0.85 + 0.3 * random.Unit();
            history.Bind(1, id)
                .Bind(2, platform::ToIsoDate(platform::IncMonth(platform::EncodeDate(2023, 4, 1), m)))
                .Bind(3, d.UseUnit)
                .Bind(4, price * factor)
                .Run();
        }
        writeExtras(id);
        out.IngredientIds.push_back(id);
    }

    // Items of a recipe or menu; returns the total as sum( ItemUsePrice ) in ItemIndex order.
    auto writeItems = [&](int owner, const std::vector<std::pair<int, double>>& uses) {
        const int count = static_cast<int>(uses.size());
        const int categories = std::min(count, random.Between(1, 3));
        std::vector<int> starts = {1};
        while (static_cast<int>(starts.size()) < categories) {
            const int start = random.Between(2, count);
            if (std::find(starts.begin(), starts.end(), start) == starts.end()) starts.push_back(start);
        }
        std::sort(starts.begin(), starts.end());
        double sum = 0.0;
        int category = 0;
        int catIndex = 0;
        for (int k = 1; k <= count; ++k) {
            if (category < categories && starts[static_cast<std::size_t>(category)] == k) {
                ++category;
                catIndex = 0;
            }
            ++catIndex;
            const auto& [used, use] = uses[static_cast<std::size_t>(k - 1)];
            const double price = usePrice[static_cast<std::size_t>(used)];
            // A use of 0 keeps the price entered for the item.
            const double itemUsePrice = use != 0 ? use * price : static_cast<double>(random.Between(20, 400));
            item.Bind(1, owner)
                .Bind(2, k)
                .Bind(3, category)
                .Bind(4, catIndex)
                .Bind(5, used)
                .Bind(6, use)
                .Bind(7, price)
                .Bind(8, useUnit[static_cast<std::size_t>(used)])
                .Bind(9, itemUsePrice)
                .Run();
            sum += itemUsePrice;
        }
        return sum;
    };

    // The first recipe classes (base, sauce, dough) hold the preparations other recipes use: a dish
    // takes one now and then, a preparation seldom takes another.
    std::vector<const ClassInfo*> baseClasses(
        cookClasses.begin(), cookClasses.begin() + std::min<std::ptrdiff_t>(3, std::ssize(cookClasses)));
    std::vector<int> baseRecipeIds;
    for (int r = 0; r < sizes.Recipes; ++r) {
        ++id;
        const ClassInfo& cls = *random.Pick(cookClasses);
        const bool base = std::find(baseClasses.begin(), baseClasses.end(), &cls) != baseClasses.end();
        std::vector<std::pair<int, double>> uses;
        const int count = random.Between(5, 15);
        for (int k = 0; k < count; ++k) {
            if (!baseRecipeIds.empty() && random.Chance(base ? 0.04 : 0.12)) {
                uses.emplace_back(random.Pick(baseRecipeIds), random.Between(1, 30) / 10.0);
            } else {
                uses.emplace_back(random.Pick(out.IngredientIds),
                                  random.Chance(0.02) ? 0.0 : random.Between(1, 3000) / 10.0);
            }
        }
        const double complete = random.Between(1, 20);
        const double sale = base || random.Chance(0.3) ? 0.0 : random.Between(8, 60) * 100.0;
        const double sum = writeItems(id, uses);
        cook.Bind(1, id).Bind(2, complete).Bind(3, sum).Bind(4, sale).Run();
        const Word& word =
            base ? kDishWords[static_cast<std::size_t>(random.Below(3))]
                 : kDishWords[static_cast<std::size_t>(random.Between(3, static_cast<int>(kDishWords.size()) - 1))];
        writeData(id, cls.Id, false, random.Pick(cookForms), std::string(word.Name) + Digits(id, 6),
                  std::string(word.Name2) + " " + Digits(id, 6), random.Pick(cookUnits), CookUsePrice(sum, complete).ToDouble());
        writeExtras(id);
        out.RecipeIds.push_back(id);
        if (base) baseRecipeIds.push_back(id);
    }

    for (int m = 0; m < sizes.Menus; ++m) {
        ++id;
        const ClassInfo& cls = *random.Pick(menuClasses);
        std::vector<std::pair<int, double>> uses;
        const int count = out.RecipeIds.empty() ? 0 : random.Between(4, 10);
        for (int k = 0; k < count; ++k) uses.emplace_back(random.Pick(out.RecipeIds), 1.0);
        information.Bind(1, id)
            .Bind(2, "季節の素材を使った" + platform::IntToStr(count) + "品のコース")
            .Bind(3, "Menu de " + platform::IntToStr(count) + " plats")
            .Run();
        const double sum = writeItems(id, uses);
        cook.Bind(1, id).Bind(2, 1.0).Bind(3, sum).Bind(4, random.Between(30, 200) * 100.0).Run();
        const Word& word = random.Pick(kMenuWords);
        writeData(id, cls.Id, false, random.Pick(menuForms), std::string(word.Name) + Digits(id, 6),
                  std::string(word.Name2) + " " + Digits(id, 6), random.Pick(menuUnits), CookUsePrice(sum, 1.0).ToDouble());
        writeExtras(id);
        out.MenuIds.push_back(id);
    }

    db.Exec("COMMIT");
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return out;
}

CsvRows MakeIngredientCsv(const GeneratedDatabase& database, int count, std::uint32_t seed) {
    using F = TVktField;
    CsvRows rows;
    for (F field : {F::Class_Key, F::Data, F::Data2, F::Form_Key, F::UseUnit_Key, F::BuyUnit_Key, F::BuyPrice,
                    F::Quantity, F::Yield, F::Dealer_Key})
        rows.Fields.push_back(ToInt(field));

    // The classes of the ingredient leaves, as ClassInfo for the word groups.
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        const std::size_t pick =
            static_cast<std::size_t>(random.Below(static_cast<int>(database.IngredientClasses.size())));
        ClassInfo cls;
        cls.Id = database.IngredientClasses[pick];
        cls.TreeID = database.IngredientClassTrees[pick];
        const IngredientDraw d = DrawIngredient(random, cls, database.IngredientForms, database.IngredientUnits,
                                                database.DealerCount, 900000 + i);
        const std::vector<std::string> values = {
            platform::IntToStr(cls.Id),  platform::QuoteCommaItem(d.Name), platform::QuoteCommaItem(d.Name2),
            platform::IntToStr(d.Form),  platform::IntToStr(d.UseUnit),    platform::IntToStr(d.BuyUnit),
            NumberText(d.BuyPrice),      NumberText(d.Quantity),           NumberText(d.Yield),
            platform::IntToStr(d.Dealer)};
        std::string line;
        for (std::size_t v = 0; v < values.size(); ++v) {
            if (v > 0) line += ',';
            line += values[v];
        }
        rows.Lines.push_back(std::move(line));
    }
    return rows;
}

} // namespace bench
