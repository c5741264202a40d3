#include "database/Uvktsamplekitchen.h"

#include "data/Vktcodes.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <string_view>
#include <vector>

#include "database/Mvktcosting.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using F = TVktField;
using platform::Variant;

// Classes, forms and units of the new-database content (CreateDefaultData).
enum Class : int {
    kBeef = 4, kPork = 5, kChicken = 6, kOtherMeat = 7, kFish = 9, kCrustacean = 10, kShellfish = 11,
    kVegetable = 14, kHerb = 15, kFruit = 16, kDairyDrink = 19, kCheese = 20, kOtherDairy = 21, kSpice = 23,
    kCondiment = 24, kAlcohol = 27, kSoftDrink = 28, kGrain = 31, kPasta = 32, kOtherFood = 33,
    kBase = 35, kSauce = 36, kDough = 37, kMeatDish = 38, kFishDish = 39, kVegetableDish = 40, kDessert = 41,
    kBanquet = 44, kRestaurant = 45,
};
enum Unit : int {
    kNoForm = 1, kFresh = 2, kFrozen = 3, kJarred = 4,
    kGram = 5, kKilogram = 6, kLitre = 7, kCc = 8, kCase = 9, kPack = 10, kPiece = 11, kBottle = 12,
    kHot = 13, kCold = 14, kDishGram = 15, kDishCc = 18, kPlate = 19,
    kCourse = 21, kMenuPlate = 23,
};

struct Dealer {
    const char* name;
    const char* tel;
};
constexpr Dealer kDealers[] = {
    {"丸福水産", "03-3541-2207"},
    {"八百清青果", "03-3712-4480"},
    {"三河屋食品", "03-3851-0931"},
};

// The months of price history before this one: the last kMonthlyMonths stay monthly history, the
// earlier ones are folded into the yearly history.
constexpr int kHistoryMonths = 12;
constexpr int kMonthlyMonths = 3;

// A price trend (0 steady, 1 rising, 2 falling, 3 seasonal) as the factor of today's use price
// `monthsAgo` months before this one.
double TrendFactor(int trend, int monthsAgo)
{
    switch (trend) {
    case 1: return 0.985 - 0.015 * monthsAgo;
    case 2: return 1.0 + 0.02 * monthsAgo;
    case 3: return 1.0 + 0.08 * std::cos(3.14159265358979 * monthsAgo / 6);
    default: return 1.0;
    }
}

// An ingredient: bought per buy unit at `price` yen, holding `quantity` use units of which
// `yield` percent can be used. `stock`: the count on this month's stock-taking sheet, in use
// units; negative for fresh goods that are not counted.
struct Food {
    int cls;
    const char* name;
    const char* french;
    int form;
    int buyUnit;
    double price;
    double quantity;
    double yield;
    int useUnit;
    int dealer;   // 1..3, an index of kDealers plus one
    int trend;    // see TrendFactor
    double stock;
};
// clang-format off
constexpr Food kFoods[] = {
    {kBeef, "牛ヒレ肉", "Filet de bœuf", kFresh, kKilogram, 9800, 1000, 90, kGram, 3, 1, 1200},
    {kBeef, "牛すね肉", "Jarret de bœuf", kFresh, kKilogram, 2400, 1000, 85, kGram, 3, 0, 2000},
    {kBeef, "仔牛の骨", "Os de veau", kFrozen, kKilogram, 600, 1000, 100, kGram, 3, 0, 4000},
    {kPork, "豚ロース", "Longe de porc", kFresh, kKilogram, 1900, 1000, 92, kGram, 3, 3, 1500},
    {kPork, "豚バラ肉", "Poitrine de porc", kFresh, kKilogram, 1600, 1000, 95, kGram, 3, 0, 1000},
    {kPork, "ベーコン", "Lard fumé", kFresh, kPack, 780, 500, 100, kGram, 3, 0, 500},
    {kChicken, "鶏もも肉", "Cuisse de poulet", kFresh, kKilogram, 1200, 1000, 90, kGram, 3, 1, 2000},
    {kChicken, "鶏ガラ", "Carcasse de poulet", kFrozen, kKilogram, 250, 1000, 100, kGram, 3, 0, 5000},
    {kChicken, "鴨胸肉", "Magret de canard", kFrozen, kKilogram, 4800, 1000, 88, kGram, 3, 2, 1800},
    {kOtherMeat, "仔羊ロース", "Carré d'agneau", kFrozen, kKilogram, 6800, 1000, 80, kGram, 3, 1, 800},
    {kFish, "真鯛", "Daurade royale", kFresh, kPiece, 3600, 1200, 45, kGram, 1, 3, -1},
    {kFish, "鮭", "Saumon", kFresh, kKilogram, 2800, 1000, 75, kGram, 1, 1, -1},
    {kFish, "平目", "Turbot", kFresh, kPiece, 4200, 1500, 40, kGram, 1, 3, -1},
    {kFish, "鱸", "Bar", kFresh, kKilogram, 3200, 1000, 50, kGram, 1, 2, -1},
    {kFish, "白身魚のアラ", "Arêtes de poisson", kFresh, kKilogram, 400, 1000, 100, kGram, 1, 0, -1},
    {kCrustacean, "車海老", "Gambas", kFrozen, kPack, 3800, 500, 55, kGram, 1, 1, 1000},
    {kCrustacean, "オマール海老", "Homard", kFresh, kPiece, 6500, 600, 40, kGram, 1, 3, -1},
    {kShellfish, "帆立貝柱", "Noix de Saint-Jacques", kFrozen, kKilogram, 5200, 1000, 100, kGram, 1, 1, 1000},
    {kShellfish, "ムール貝", "Moules", kFresh, kKilogram, 1400, 1000, 45, kGram, 1, 0, -1},
    {kShellfish, "あさり", "Palourdes", kFresh, kKilogram, 1200, 1000, 40, kGram, 1, 3, -1},
    {kVegetable, "玉ねぎ", "Oignon", kFresh, kKilogram, 280, 1000, 90, kGram, 2, 2, -1},
    {kVegetable, "人参", "Carotte", kFresh, kKilogram, 320, 1000, 88, kGram, 2, 0, -1},
    {kVegetable, "セロリ", "Céleri", kFresh, kPack, 250, 400, 70, kGram, 2, 3, -1},
    {kVegetable, "じゃがいも", "Pomme de terre", kFresh, kKilogram, 300, 1000, 85, kGram, 2, 0, -1},
    {kVegetable, "トマト", "Tomate", kFresh, kKilogram, 680, 1000, 92, kGram, 2, 3, -1},
    {kVegetable, "にんにく", "Ail", kFresh, kKilogram, 1800, 1000, 85, kGram, 2, 1, -1},
    {kVegetable, "エシャロット", "Échalote", kFresh, kKilogram, 2400, 1000, 88, kGram, 2, 0, -1},
    {kVegetable, "マッシュルーム", "Champignon de Paris", kFresh, kPack, 380, 200, 95, kGram, 2, 0, -1},
    {kVegetable, "ほうれん草", "Épinard", kFresh, kPack, 198, 200, 80, kGram, 2, 3, -1},
    {kVegetable, "ズッキーニ", "Courgette", kFresh, kPiece, 150, 200, 95, kGram, 2, 3, -1},
    {kVegetable, "なす", "Aubergine", kFresh, kPiece, 80, 150, 90, kGram, 2, 3, -1},
    {kVegetable, "パプリカ", "Poivron", kFresh, kPiece, 180, 150, 85, kGram, 2, 2, -1},
    {kVegetable, "ポロねぎ", "Poireau", kFresh, kPack, 450, 300, 70, kGram, 2, 0, -1},
    {kHerb, "タイム", "Thym", kFresh, kPack, 280, 20, 90, kGram, 2, 0, -1},
    {kHerb, "パセリ", "Persil", kFresh, kPack, 150, 50, 70, kGram, 2, 0, -1},
    {kHerb, "バジル", "Basilic", kFresh, kPack, 300, 30, 80, kGram, 2, 3, -1},
    {kHerb, "ローリエ", "Laurier", kNoForm, kPack, 250, 20, 100, kGram, 2, 0, 20},
    {kFruit, "レモン", "Citron", kFresh, kPiece, 90, 1, 100, kPiece, 2, 1, -1},
    {kFruit, "りんご", "Pomme", kFresh, kPiece, 150, 300, 85, kGram, 2, 3, -1},
    {kFruit, "苺", "Fraise", kFresh, kPack, 680, 300, 90, kGram, 2, 3, -1},
    {kFruit, "オレンジ", "Orange", kFresh, kPiece, 120, 1, 100, kPiece, 2, 0, -1},
    {kDairyDrink, "牛乳", "Lait", kFresh, kLitre, 220, 1000, 100, kCc, 3, 0, 3000},
    {kDairyDrink, "生クリーム", "Crème fleurette", kFresh, kPack, 980, 1000, 100, kCc, 3, 1, 2000},
    {kCheese, "パルミジャーノ", "Parmesan", kFresh, kKilogram, 5800, 1000, 95, kGram, 3, 1, 600},
    {kCheese, "グリュイエール", "Gruyère", kFresh, kKilogram, 4600, 1000, 95, kGram, 3, 0, 400},
    {kOtherDairy, "無塩バター", "Beurre doux", kFresh, kPack, 1050, 450, 100, kGram, 3, 1, 1800},
    {kOtherDairy, "卵", "Œuf", kFresh, kPack, 300, 10, 100, kPiece, 3, 3, 60},
    {kSpice, "黒胡椒", "Poivre noir", kNoForm, kPack, 900, 250, 100, kGram, 3, 0, 200},
    {kSpice, "ナツメグ", "Muscade", kNoForm, kPack, 600, 100, 100, kGram, 3, 0, 80},
    {kCondiment, "塩", "Sel", kNoForm, kKilogram, 200, 1000, 100, kGram, 3, 0, 3000},
    {kCondiment, "グラニュー糖", "Sucre semoule", kNoForm, kKilogram, 260, 1000, 100, kGram, 3, 0, 5000},
    {kCondiment, "オリーブ油", "Huile d'olive", kJarred, kBottle, 2200, 1000, 100, kCc, 3, 1, 2500},
    {kCondiment, "白ワインビネガー", "Vinaigre de vin blanc", kJarred, kBottle, 650, 500, 100, kCc, 3, 0, 800},
    {kCondiment, "ディジョンマスタード", "Moutarde de Dijon", kJarred, kBottle, 780, 370, 100, kGram, 3, 0, 300},
    {kCondiment, "トマトピューレ", "Purée de tomate", kJarred, kBottle, 320, 800, 100, kGram, 3, 0, 2400},
    {kAlcohol, "白ワイン（料理用）", "Vin blanc", kJarred, kBottle, 1200, 750, 100, kCc, 3, 0, 3000},
    {kAlcohol, "赤ワイン（料理用）", "Vin rouge", kJarred, kBottle, 1300, 750, 100, kCc, 3, 0, 3000},
    {kAlcohol, "コニャック", "Cognac", kJarred, kBottle, 4800, 700, 100, kCc, 3, 0, 500},
    {kAlcohol, "ポルト酒", "Porto", kJarred, kBottle, 2600, 750, 100, kCc, 3, 2, 600},
    {kSoftDrink, "ミネラルウォーター", "Eau minérale", kJarred, kCase, 1800, 12000, 100, kCc, 3, 0, 24000},
    {kGrain, "米", "Riz", kNoForm, kKilogram, 520, 1000, 100, kGram, 3, 1, 10000},
    {kGrain, "強力粉", "Farine de gruau", kNoForm, kKilogram, 380, 1000, 100, kGram, 3, 0, 5000},
    {kGrain, "薄力粉", "Farine", kNoForm, kKilogram, 340, 1000, 100, kGram, 3, 0, 5000},
    {kPasta, "スパゲッティ", "Spaghetti", kNoForm, kPack, 480, 1000, 100, kGram, 3, 0, 3000},
    {kOtherFood, "板ゼラチン", "Gélatine", kNoForm, kPack, 900, 100, 100, kGram, 3, 0, 100},
    {kOtherFood, "アーモンドプードル", "Poudre d'amande", kNoForm, kKilogram, 2800, 1000, 100, kGram, 3, 2, 800},
    {kOtherFood, "製菓用チョコレート", "Chocolat de couverture", kNoForm, kKilogram, 3600, 1000, 100, kGram, 3, 1, 1000},
    {kOtherFood, "バニラビーンズ", "Gousse de vanille", kNoForm, kPack, 1800, 5, 100, kPiece, 3, 1, 10},
};
// clang-format on

// One item of a recipe or menu: the record used by its name and the use in that record's unit.
struct Use {
    const char* name;
    double use;
};
// A recipe or menu: `complete` is how much of its use unit one making gives. Every record it
// uses comes before it (in kFoods or earlier in kDishes), so that items take finished prices.
struct Dish {
    int cls;
    const char* name;
    const char* french;
    int form;
    int useUnit;
    double complete;
    double salePrice;
    Use uses[10];   // up to the first without a name
};
// clang-format off
constexpr Dish kDishes[] = {
    {kBase, "フォン・ド・ヴォー", "Fond de veau", kHot, kDishCc, 3000, 0,
     {{"仔牛の骨", 3000}, {"玉ねぎ", 300}, {"人参", 200}, {"セロリ", 100}, {"トマトピューレ", 100},
      {"赤ワイン（料理用）", 375}, {"タイム", 2}, {"ローリエ", 1}}},
    {kBase, "フュメ・ド・ポワソン", "Fumet de poisson", kHot, kDishCc, 1200, 0,
     {{"白身魚のアラ", 1000}, {"玉ねぎ", 150}, {"セロリ", 50}, {"白ワイン（料理用）", 200}, {"パセリ", 5}}},
    {kBase, "ブイヨン・ド・ヴォライユ", "Bouillon de volaille", kHot, kDishCc, 2000, 0,
     {{"鶏ガラ", 2000}, {"玉ねぎ", 200}, {"人参", 150}, {"セロリ", 100}, {"ローリエ", 1}, {"タイム", 2}}},
    {kSauce, "ソース・ボルドレーズ", "Sauce bordelaise", kHot, kDishCc, 500, 0,
     {{"フォン・ド・ヴォー", 600}, {"赤ワイン（料理用）", 300}, {"エシャロット", 50}, {"無塩バター", 40},
      {"タイム", 1}, {"黒胡椒", 1}}},
    {kSauce, "ソース・ブールブラン", "Sauce beurre blanc", kHot, kDishCc, 400, 0,
     {{"フュメ・ド・ポワソン", 150}, {"白ワイン（料理用）", 100}, {"白ワインビネガー", 50}, {"エシャロット", 40},
      {"無塩バター", 200}, {"塩", 2}}},
    {kSauce, "ヴィネグレット", "Vinaigrette", kCold, kDishCc, 280, 0,
     {{"オリーブ油", 200}, {"白ワインビネガー", 70}, {"ディジョンマスタード", 20}, {"塩", 3}, {"黒胡椒", 1}}},
    {kDough, "パート・ブリゼ", "Pâte brisée", kCold, kDishGram, 420, 0,
     {{"薄力粉", 250}, {"無塩バター", 125}, {"卵", 1}, {"塩", 5}, {"ミネラルウォーター", 50}}},
    {kMeatDish, "牛ヒレ肉のポワレ ボルドレーズソース", "Filet de bœuf poêlé", kHot, kPlate, 1, 4800,
     {{"牛ヒレ肉", 160}, {"ソース・ボルドレーズ", 60}, {"じゃがいも", 150}, {"無塩バター", 15}, {"塩", 2},
      {"黒胡椒", 0.5}}},
    {kMeatDish, "鴨胸肉のロースト オレンジソース", "Magret de canard à l'orange", kHot, kPlate, 1, 4200,
     {{"鴨胸肉", 180}, {"オレンジ", 1}, {"フォン・ド・ヴォー", 80}, {"グラニュー糖", 10}, {"コニャック", 10},
      {"塩", 2}}},
    {kFishDish, "真鯛のポワレ ブールブラン", "Daurade poêlée au beurre blanc", kHot, kPlate, 1, 3800,
     {{"真鯛", 120}, {"ソース・ブールブラン", 50}, {"ほうれん草", 60}, {"オリーブ油", 10}, {"塩", 2}}},
    {kFishDish, "帆立貝と海老のソテー", "Saint-Jacques et gambas sautées", kHot, kPlate, 1, 3200,
     {{"帆立貝柱", 90}, {"車海老", 40}, {"マッシュルーム", 30}, {"無塩バター", 10}, {"パセリ", 2},
      {"レモン", 0.25}}},
    {kVegetableDish, "ラタトゥイユ", "Ratatouille", kHot, kPlate, 8, 1200,
     {{"ズッキーニ", 300}, {"なす", 300}, {"パプリカ", 300}, {"トマト", 400}, {"玉ねぎ", 200}, {"にんにく", 10},
      {"オリーブ油", 60}, {"タイム", 2}, {"塩", 6}}},
    {kVegetableDish, "季節のサラダ", "Salade de saison", kCold, kPlate, 1, 1400,
     {{"トマト", 80}, {"パプリカ", 30}, {"ほうれん草", 40}, {"ヴィネグレット", 20}, {"パルミジャーノ", 10}}},
    {kDessert, "タルト・オ・ポム", "Tarte aux pommes", kCold, kPlate, 8, 900,
     {{"パート・ブリゼ", 420}, {"りんご", 900}, {"グラニュー糖", 80}, {"無塩バター", 40}, {"卵", 1}}},
    {kDessert, "クレーム・ブリュレ", "Crème brûlée", kCold, kPlate, 6, 800,
     {{"生クリーム", 500}, {"牛乳", 100}, {"卵", 6}, {"グラニュー糖", 90}, {"バニラビーンズ", 1}}},
};
constexpr Dish kMenus[] = {
    {kRestaurant, "春のディナーコース", "Menu dîner de printemps", kCourse, kMenuPlate, 1, 9800,
     {{"季節のサラダ", 1}, {"真鯛のポワレ ブールブラン", 1}, {"牛ヒレ肉のポワレ ボルドレーズソース", 1},
      {"クレーム・ブリュレ", 1}}},
    {kRestaurant, "ランチコース", "Menu déjeuner", kCourse, kMenuPlate, 1, 4500,
     {{"ラタトゥイユ", 1}, {"鴨胸肉のロースト オレンジソース", 1}, {"タルト・オ・ポム", 1}}},
    {kBanquet, "宴会プラン「桜」", "Banquet Sakura", kCourse, kMenuPlate, 1, 12000,
     {{"帆立貝と海老のソテー", 1}, {"季節のサラダ", 1}, {"牛ヒレ肉のポワレ ボルドレーズソース", 1},
      {"タルト・オ・ポム", 1}}},
};
// clang-format on

// Memos in a small markup: lines are paragraphs; "# " starts a heading; **bold**, !!red!!.
struct Memo {
    const char* record;
    const char* text;
};
constexpr Memo kMemos[] = {
    {"真鯛", "# 仕入れメモ\n月・木に入荷。天然物は**前日の15時まで**に丸福水産へ注文。\n"
             "歩留まりは三枚おろしで約45%。!!皮目の鱗は必ず確認!!すること。"},
    {"牛ヒレ肉のポワレ ボルドレーズソース", "# 調理手順\n1. 牛ヒレ肉を常温に戻し、塩・胡椒をする。\n"
                                             "2. 強火で両面を焼き、**180℃のオーブンで4分**。\n"
                                             "3. 休ませてからソース・ボルドレーズを添える。"},
    {"フォン・ド・ヴォー", "# 仕込み\n骨は**230℃で40分**焼いてから使う。\n"
                           "弱火で8時間。!!沸騰させない!!。出来上がりは約3リットル。"},
    {"春のディナーコース", "# コースの説明\n旬の真鯛と牛ヒレ肉を中心にした4品のコース。\n"
                           "原価率の目安は**30%前後**。アレルギーの確認を!!予約時に!!行う。"},
    {"タルト・オ・ポム", "# メモ\n紅玉が手に入る季節は紅玉を使う。1台8カット。"},
};

// Pictures of records: the record by its name and the file in the picture folder.
struct Picture {
    const char* record;
    const char* file;
};
constexpr Picture kPictures[] = {
    {"真鯛のポワレ ブールブラン", "daurade.jpg"},
    {"タルト・オ・ポム", "tarte.jpg"},
    {"春のディナーコース", "menu.emf"},
};

// Attribute items and the records checked for them.
constexpr const char* kDomestic[] = {"牛ヒレ肉", "牛すね肉", "豚ロース", "鶏もも肉", "真鯛", "平目", "帆立貝柱",
                                     "玉ねぎ", "人参", "じゃがいも", "トマト", "ほうれん草", "牛乳", "生クリーム", "卵", "米"};
constexpr const char* kChilled[] = {"牛ヒレ肉", "豚ロース", "豚バラ肉", "ベーコン", "鶏もも肉", "真鯛", "鮭", "牛乳",
                                    "生クリーム", "パルミジャーノ", "グリュイエール", "無塩バター", "卵"};

TPriorityItem Ids(std::initializer_list<int> values)
{
    TPriorityItem ids;
    for (int value : values) ids << value;
    return ids;
}

// The memo's markup as paragraphs of marked runs: a heading, or text with bold and red runs.
std::vector<TMemoParagraph> MemoParagraphs(std::string_view markup)
{
    std::vector<TMemoParagraph> paragraphs;
    for (std::string_view line : platform::SplitLines(markup)) {
        TMemoParagraph& paragraph = paragraphs.emplace_back();
        if (line.substr(0, 2) == "# ") {
            paragraph.push_back({std::string(line.substr(2)), true, false, true});
            continue;
        }
        bool bold = false;
        bool red = false;
        while (!line.empty()) {
            const std::size_t mark = std::min(line.find("**"), line.find("!!"));
            if (mark > 0) paragraph.push_back({std::string(line.substr(0, mark)), bold, red, false});
            if (mark == std::string_view::npos) break;
            if (line[mark] == '*') bold = !bold;
            else red = !red;
            line.remove_prefix(mark + 2);
        }
    }
    return paragraphs;
}

void AppendRow(std::string& rows, const std::vector<std::string>& values)
{
    rows += platform::JoinCommaText(values);
    rows += "\r\n";
}

std::string Number(double value) { return platform::FloatToStr(value); }

// The log's size past which the making checkpoints it.
constexpr std::uintmax_t kLogLimit = 256 * 1024;

// Fills the database step by step; each step false at its first failed operation.
class SampleMaker {
public:
    SampleMaker(TVktObject& object, std::string pictureFolder, const TVktShellServices& writer)
        : db_(object), pictureFolder_(std::move(pictureFolder)), writer_(writer) {}

    bool Run()
    {
        // A short log: SQLite's own checkpoint lets it grow to a thousand pages, sixteen times the
        // finished database; here it is checkpointed into the file and cut back after a record's
        // operations once it passes kLogLimit (by a connection of its own, which syncs nothing: the sample counts only
        // once it is renamed into place, closed).
        log_.Open(platform::DatabaseFilePath(db_.GetPath()));
        log_.Execute("PRAGMA synchronous = OFF");
        const bool made = AddDealers() && AddFoods() && AddHistory() && AddDishes(TVktObjKind::Cook, kDishes) &&
                          AddDishes(TVktObjKind::Menu, kMenus) && AddMemos() && AddPictures() && AddAttributes() &&
                          AddStockSheet() && AddFilters();
        log_.Close();
        return made;
    }

private:
    // Once the log holds more than kLogLimit bytes, moves it into the database file and empties
    // it; true (a checkpoint that cannot be made now is made by a later one).
    bool Checkpoint()
    {
        std::error_code unknown;
        if (std::filesystem::file_size(log_.GetPath() + "-wal", unknown) <= kLogLimit || unknown) return true;
        try {
            log_.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        } catch (const platform::DatabaseError&) {
        }
        return true;
    }

    int Id(const char* name) const
    {
        const auto found = ids_.find(name);
        return found == ids_.end() ? 0 : found->second;
    }

    // Inserts the rows in one batch; the new records' ids by their names, in row order.
    bool Insert(TVktObjKind kind, const std::string& rows, std::initializer_list<TVktField> fields,
                const std::vector<const char*>& names)
    {
        TPriorityItem fieldList;
        for (TVktField field : fields) fieldList << ToInt(field);
        TPriorityItem added;
        TVktObjEvent probe;
        probe.OnRecordsAdd = [&added](TVktObject*, TVktObjKind, TPriorityItem ids) { added = ids; };
        db_.GetEvents().Add(&probe);
        const bool ok = db_.InsertData(kind, rows, fieldList, 0, nullptr);
        probe.Detach();
        if (!ok || added.GetCount() != static_cast<int>(names.size()) || !Checkpoint()) return false;
        for (int i = 0; i < added.GetCount(); ++i) ids_[names[static_cast<std::size_t>(i)]] = added.GetItem(i);
        return true;
    }

    bool AddDealers()
    {
        for (const Dealer& dealer : kDealers) {
            const int id = db_.AddDealer(dealer.name);
            if (id == 0 || !db_.EditData(F::Tel, Variant(std::string(dealer.tel)), Ids({id}))) return false;
            dealers_.push_back(id);
        }
        return true;
    }

    bool AddFoods()
    {
        std::string rows;
        std::vector<const char*> names;
        for (const Food& food : kFoods) {
            AppendRow(rows, {platform::IntToStr(food.cls), food.name, food.french, platform::IntToStr(food.form),
                             platform::IntToStr(food.useUnit), platform::IntToStr(food.buyUnit), Number(food.price),
                             Number(food.quantity), Number(food.yield),
                             platform::IntToStr(dealers_[static_cast<std::size_t>(food.dealer - 1)]),
                             food.stock < 0 ? "False" : "True"});
            names.push_back(food.name);
        }
        return Insert(TVktObjKind::Food, rows,
                      {F::Class_Key, F::Data, F::Data2, F::Form_Key, F::UseUnit_Key, F::BuyUnit_Key, F::BuyPrice,
                       F::Quantity, F::Yield, F::Dealer_Key, F::InvItem},
                      names);
    }

    // A price on the 15th of each of the kHistoryMonths before this one; all but the last
    // kMonthlyMonths folded into the yearly history, as the fold of monthly history does it.
    bool AddHistory()
    {
        const platform::DateParts today = platform::DecodeDate(platform::Today());
        const platform::TDateTime thisMonth = platform::EncodeDate(today.year, today.month, 15);
        for (const Food& food : kFoods) {
            const double usePrice = FoodUsePrice(food.price, food.quantity, food.yield).ToDouble();
            for (int monthsAgo = kHistoryMonths; monthsAgo > 0; --monthsAgo) {
                const auto price = platform::Currency::FromDouble(usePrice * TrendFactor(food.trend, monthsAgo));
                if (!db_.SetMHistoryPrice(Id(food.name), platform::IncMonth(thisMonth, -monthsAgo), price))
                    return false;
            }
            Checkpoint();
        }
        for (int monthsAgo = kHistoryMonths; monthsAgo > 0; --monthsAgo) {
            if (!db_.MakeYHistory(monthsAgo > kMonthlyMonths, 0, platform::IncMonth(thisMonth, -monthsAgo), nullptr))
                return false;
            Checkpoint();
        }
        return true;
    }

    // Recipes or menus: inserted in one batch, then each given its items and their uses in table
    // order, so that a recipe used as an item is costed before it is used.
    template <std::size_t N>
    bool AddDishes(TVktObjKind kind, const Dish (&dishes)[N])
    {
        std::string rows;
        std::vector<const char*> names;
        for (const Dish& dish : dishes) {
            AppendRow(rows, {platform::IntToStr(dish.cls), dish.name, dish.french, platform::IntToStr(dish.form),
                             platform::IntToStr(dish.useUnit), Number(dish.complete), Number(dish.salePrice)});
            names.push_back(dish.name);
        }
        if (!Insert(kind, rows,
                    {F::Class_Key, F::Data, F::Data2, F::Form_Key, F::UseUnit_Key, F::Complete, F::SalePrice}, names))
            return false;
        for (const Dish& dish : dishes) {
            const int id = Id(dish.name);
            TPriorityItem items;
            for (const Use& use : dish.uses)
                if (use.name) items << Id(use.name);
            if (items.IndexOf(0) >= 0 || !db_.AppendRecipeItem(id, 0, items, nullptr)) return false;
            int index = 0;
            for (const Use& use : dish.uses)
                if (use.name && !db_.EditData(F::ItemUse, Variant(use.use), Ids({id, ++index}))) return false;
            Checkpoint();
        }
        return true;
    }

    bool AddMemos()
    {
        for (const Memo& memo : kMemos)
            if (!db_.EditData(F::Memo, Variant(writer_.WriteMemo(MemoParagraphs(memo.text))), Ids({Id(memo.record)})) ||
                !Checkpoint())
                return false;
        return true;
    }

    // A picture that cannot be read is left out.
    bool AddPictures()
    {
        for (const Picture& picture : kPictures) {
            std::string bytes;
            try {
                bytes = platform::ReadFileBytes(platform::JoinPath(pictureFolder_, picture.file));
            } catch (const std::exception&) {
                continue;
            }
            if (!db_.EditData(F::Image, Variant(std::move(bytes)), Ids({Id(picture.record)}))) return false;
            Checkpoint();
        }
        return true;
    }

    template <std::size_t N>
    bool Check(const char* attribute, const char* const (&records)[N])
    {
        const int item = db_.AddAttrItem(attribute);
        if (item == 0) return false;
        TPriorityItem ids;
        for (const char* record : records) ids << Id(record);
        return db_.SetDataAttributes(0, ids, Ids({item}), Ids({acChecked}), nullptr);
    }

    bool AddAttributes() { return Check("国産", kDomestic) && Check("要冷蔵", kChilled) && Checkpoint(); }

    // This month's sheet of every counted ingredient, with its count.
    bool AddStockSheet()
    {
        const platform::TDateTime today = platform::Today();
        const TPriorityItem items = db_.GetInventoryItems();
        if (!db_.SetInventoryEntry(0, true, items, today, 0, nullptr)) return false;
        const int sheet = db_.FindInvDate(today);
        if (sheet == 0) return false;
        for (const Food& food : kFoods)
            if (food.stock > 0 && !db_.EditData(F::Remained, Variant(food.stock), Ids({Id(food.name), sheet})))
                return false;
        return Checkpoint();
    }

    bool AddFilters()
    {
        TFilterObjects& filters = db_.GetFilterSet();
        TFilterObject expensive;
        expensive.SetName("高価な食材");
        expensive.Add(F::BuyPrice, foAtLeast, Variant(3000.0), {});
        filters.AddNew();
        filters.SetItem(filters.GetCount() - 1, expensive);
        return true;
    }

    TVktObject& db_;
    platform::Connection log_;
    std::string pictureFolder_;
    const TVktShellServices& writer_;
    std::vector<int> dealers_;
    std::map<std::string, int, std::less<>> ids_;
};

} // namespace

bool FillSampleKitchen(TVktObject& object, const std::string& pictureFolder, const TVktShellServices& writer)
{
    object.AddRef();
    struct Release {
        TVktObject& object;
        ~Release() { object.Release(); }
    } release{object};
    return SampleMaker(object, pictureFolder, writer).Run();
}

namespace {

constexpr const char* kMakingFolder = ".sample-making";
// In the folder of a whole sample: written before it is renamed into place.
constexpr const char* kWholeMark = ".sample-kitchen";
constexpr const char* kLockFile = ".sample.lock";
// Less free room than this after a failed making: the disk was full.
constexpr std::uintmax_t kRoomNeeded = 2 * 1024 * 1024;

// The shell of the private registry that makes the sample: the first error it is told is kept
// for the one message of the failure.
class KeepFirstError : public TVktShellServices {
public:
    explicit KeepFirstError(std::string& first) : first_(first) {}
    void ShowError(const std::string& text, const std::string&) override {
        if (first_.empty()) first_ = text;
    }

private:
    std::string& first_;
};

// The data folder's lock, held while it lives (flock: a killed holder lets it go). Waits a few
// seconds for another start; `Held` false after that or when the lock file cannot be made
// (`Error` its errno then).
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
    {
        fd_ = ::open(platform::JoinPath(folder, kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        for (int wait = 0; wait < 500 && !held_; ++wait) {
            held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
            if (!held_) ::usleep(10000);
        }
    }
    ~FolderLock()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return held_; }
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
    bool held_ = false;
};

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// Why the making in `folder` failed, in the user's words: a full disk, a folder that cannot be
// written, else what the failing operation said.
std::string FailureCause(const std::string& folder, int error, const std::string& said)
{
    const std::string full = "ディスクの空き容量が足りません。";
    const std::string readOnly = "フォルダー'" + folder + "'に書き込めません(読み取り専用です)。";
    if (error == ENOSPC || error == EDQUOT) return full;
    if (error == EROFS || error == EACCES || error == EPERM) return readOnly;
    if (Contains(said, "disk is full") || Contains(said, "No space left")) return full;
    struct statvfs medium {};
    if (Contains(said, "readonly") || Contains(said, "Read-only") || Contains(said, "Permission denied") ||
        (::statvfs(folder.c_str(), &medium) == 0 && (medium.f_flag & ST_RDONLY) != 0) ||
        ::access(folder.c_str(), W_OK) != 0)
        return readOnly;
    std::error_code ignored;
    const std::filesystem::space_info space = std::filesystem::space(folder, ignored);
    if (!ignored && space.available < kRoomNeeded) return full;
    return said.empty() ? std::string("原因は分かりません。") : said;
}

void SayFailure(TVktApplication& registry, const std::string& folder, int error, const std::string& said)
{
    registry.GetShellServices().ShowError("サンプルデータベース'" + std::string(kSampleKitchenName) + "'(" + folder +
                                              ")の作成に失敗しました。\n" + FailureCause(folder, error, said),
                                          "エラー確認");
}

// The place of a new sample: "Sample", or the first of "Sample1", "Sample2", ... that does not exist.
std::string FreePlace(const std::string& dataFolder)
{
    std::string folder = platform::JoinPath(dataFolder, "Sample");
    for (int n = 1; std::filesystem::exists(folder); ++n)
        folder = platform::JoinPath(dataFolder, "Sample" + platform::IntToStr(n));
    return folder;
}

// A whole sample in its place that no entry lists: the first "Sample…" folder holding the mark and
// a current database. "" when there is none.
std::string UnlistedSample(const TVktApplication& registry, const std::string& dataFolder)
{
    std::string folder = platform::JoinPath(dataFolder, "Sample");
    for (int n = 1; std::filesystem::exists(folder); ++n) {
        if (platform::FileExists(platform::JoinPath(folder, kWholeMark)) && !registry.IsPathRegistered(folder) &&
            registry.GetDatabaseFormat(folder) == 2)
            return folder;
        folder = platform::JoinPath(dataFolder, "Sample" + platform::IntToStr(n));
    }
    return {};
}

// Makes the sample in `making` through a registry of its own (memos written by `writer`), which
// closes the database (its log checkpointed into the file) before this returns. `said`: the first
// error, when it fails.
bool MakeInFolder(const std::string& making, const std::string& pictureFolder, const TVktShellServices& writer,
                  std::string& said)
{
    TVktApplication maker;
    maker.SetShellServices(std::make_unique<KeepFirstError>(said));
    try {
        return maker.CreateDatabase(kSampleKitchenName, making) &&
               FillSampleKitchen(*maker.GetObject(kSampleKitchenName), pictureFolder, writer);
    } catch (const std::exception& error) {
        if (said.empty()) said = error.what();
        return false;
    }
}

} // namespace

bool CreateSampleKitchen(TVktApplication& registry, const std::string& dataFolder, const std::string& pictureFolder)
{
    if (registry.IndexOf(kSampleKitchenName) >= 0) return false;   // the cook's own database of that name
    const std::string making = platform::JoinPath(dataFolder, kMakingFolder);
    std::error_code error;
    std::filesystem::remove_all(making, error);   // a half sample of a start that was killed
    if (error || !std::filesystem::create_directories(making, error)) {
        SayFailure(registry, dataFolder, error.value(), error.message());
        return false;
    }
    std::string said;
    bool made = MakeInFolder(making, pictureFolder, registry.GetShellServices(), said);
    const std::string place = FreePlace(dataFolder);
    if (made) {
        try {
            platform::WriteFileAtomic(platform::JoinPath(making, kWholeMark), kSampleKitchenName);
        } catch (const std::exception& failure) {
            said = failure.what();
            made = false;
        }
    }
    if (made) {
        std::filesystem::rename(making, place, error);
        if (error) {
            said = error.message();
            made = false;
        }
    }
    if (!made) {
        const int cause = error.value();
        std::filesystem::remove_all(making, error);
        SayFailure(registry, dataFolder, cause, said);
        return false;
    }
    return registry.RegisterDatabase(kSampleKitchenName, place);
}

bool MakeSampleOnFirstStart(TVktApplication& registry, const TSampleMemory& memory, const std::string& dataFolder,
                            const std::string& pictureFolder)
{
    const TSampleRecord before = memory.Read();
    // Listed by a start that ended before it could remember it.
    if (before == TSampleRecord::None && registry.IndexOf(kSampleKitchenName) >= 0) memory.Write(TSampleRecord::Made);
    if (registry.GetCount() > 0) return false;
    if (before == TSampleRecord::Failed) return false;
    const FolderLock lock(dataFolder);
    if (!lock.Held()) {
        if (lock.Error() == 0 || before != TSampleRecord::None) return false;   // another start holds it
        SayFailure(registry, dataFolder, lock.Error(), std::strerror(lock.Error()));
        memory.Write(TSampleRecord::Failed);
        return false;
    }
    const TSampleRecord now = memory.Read();
    // Made by a start that ended before listing it, or by another start while this one waited.
    const bool adopt = now == TSampleRecord::None || (now == TSampleRecord::Made && before == TSampleRecord::None);
    if (adopt) {
        const std::string whole = UnlistedSample(registry, dataFolder);
        if (!whole.empty() && registry.RegisterDatabase(kSampleKitchenName, whole)) {
            if (now == TSampleRecord::None) memory.Write(TSampleRecord::Made);
            return true;
        }
    }
    if (now != TSampleRecord::None) return false;
    const bool made = CreateSampleKitchen(registry, dataFolder, pictureFolder);
    memory.Write(made ? TSampleRecord::Made : TSampleRecord::Failed);
    return made;
}
