#include "support/screens/SampleDatabase.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "support/ScriptedServices.h"
#include "support/Ids.h"

#include <stdexcept>

namespace vkttest {

namespace {

using F = TVktField;
using platform::Variant;

void Check(bool ok, const char* what)
{
    if (!ok) throw std::runtime_error(std::string("sample database: ") + what);
}

} // namespace

SampleDatabase::SampleDatabase(bool filled) : registry_(std::make_unique<TVktApplication>())
{
    folder_ = NewTempFolder("sample");
    Check(registry_->CreateDatabase("サンプル", folder_), "create");
    object_ = registry_->GetObject("サンプル");
    if (!filled) return;
    TVktObject& db = *object_;
    db.AddRef();

    // Units of the new database (ingredients 5..12, recipes 15..20, menus 23, 24) and one added.
    constexpr int gram = 5, kilogram = 6, cc = 8, pack = 10, piece = 11, litre = 17, plate = 19, menuPlate = 23;
    const int stick = db.AddUnit(1, "本");
    Check(stick != 0 && db.EditData(F::Units2, Variant(std::string("Baton")), Ids({stick})), "unit");

    // Bought per buy unit holding `quantity` use units of which `yield` percent is usable: the use
    // price is price × 100 / yield / quantity. Stock-taking items are the stored goods; fresh
    // vegetables and herbs are not counted (a new ingredient is one until told otherwise).
    struct Food {
        int classId;
        const char* name;
        const char* french;
        int buyUnit;
        double price;
        double quantity;
        double yield;
        int useUnit;
        bool counted;
    };
    const Food foods[] = {
        {kBeef, "和牛サーロイン", "Aloyau de boeuf wagyu", kilogram, 12800, 1000, 85, gram, true},
        {kBeef, "牛ヒレ肉", "Filet de boeuf", kilogram, 9800, 1000, 90, gram, true},
        {kPork, "豚バラ肉", "Poitrine de porc", kilogram, 1980, 1000, 95, gram, true},
        {kChicken, "鶏もも肉", "Cuisse de poulet", kilogram, 1280, 1000, 90, gram, true},
        {kFish, "真鯛", "Daurade royale", piece, 3600, 1200, 45, gram, true},
        {kVegetable, "玉ねぎ", "Oignon", kilogram, 250, 4, 90, piece, true},
        {kVegetable, "人参", "Carotte", pack, 180, 3, 90, stick, false},
        {kVegetable, "じゃがいも", "Pomme de terre", kilogram, 320, 1, 85, kilogram, false},
        {kHerb, "バジル", "Basilic", pack, 450, 20, 80, gram, false},
        {kDairyDrink, "生クリーム", "Creme fraiche", pack, 980, 1000, 100, cc, true},
    };
    for (const Food& food : foods) {
        const TPriorityItem id = Ids({Add(food.classId, food.name, food.french)});
        Check(db.EditData(F::UseUnit_Key, Variant(food.useUnit), id) &&
                  db.EditData(F::BuyUnit_Key, Variant(food.buyUnit), id) &&
                  db.EditData(F::Quantity, Variant(food.quantity), id) &&
                  db.EditData(F::Yield, Variant(food.yield), id) && db.EditData(F::BuyPrice, Variant(food.price), id),
              "ingredient");
        if (!food.counted) Check(db.EditData(F::InvItem, Variant(false), id), "inventory item");
    }

    // Recipes and the menu with their items (use units of the used records); each item takes the
    // used record's price when appended, so the used recipes are costed first.
    struct Use {
        const char* name;
        double use;
    };
    auto compose = [&](int recipe, int useUnit, double complete, std::initializer_list<Use> uses) {
        TPriorityItem items;
        for (const Use& use : uses) items << Record(use.name);
        Check(db.EditData(F::UseUnit_Key, Variant(useUnit), Ids({recipe})) &&
                  db.AppendRecipeItem(recipe, 0, items, nullptr),
              "items");
        int index = 0;
        for (const Use& use : uses)
            Check(db.EditData(F::ItemUse, Variant(use.use), Ids({recipe, ++index})), "item use");
        Check(db.EditData(F::Complete, Variant(complete), Ids({recipe})), "complete");
    };
    const int sauce = Add(kSauce, "デミグラスソース", "Sauce demi-glace");
    compose(sauce, litre, 1, {{"玉ねぎ", 2}, {"人参", 2}, {"生クリーム", 100}});
    const int steak = Add(kMeatDish, "和牛のステーキ", "Steak de boeuf wagyu");
    compose(steak, plate, 1, {{"和牛サーロイン", 200}, {"玉ねぎ", 0.5}, {"デミグラスソース", 0.06}});
    Check(db.EditData(F::SalePrice, Variant(8800.0), Ids({steak})), "sale price");
    const int banquet = Add(kBanquet, "春の宴コース", "Menu du printemps");
    compose(banquet, menuPlate, 1, {{"和牛のステーキ", 1}, {"真鯛", 80}});
    Check(db.EditData(F::SalePrice, Variant(12000.0), Ids({banquet})), "sale price");
    // Kept for the stock-taking sheets as a purge leaves a counted record: no longer counted itself.
    Check(db.EditData(F::InvItem, Variant(false), Ids({Record("生クリーム")})) &&
              db.EditData(F::Conserve, Variant(true), Ids({Record("生クリーム")})),
          "conserve");

    domestic_ = db.AddAttrItem("国産");
    organic_ = db.AddAttrItem("有機");
    frozen_ = db.AddAttrItem("冷凍");
    Check(db.SetDataAttributes(0, Ids({Record("和牛サーロイン"), Record("玉ねぎ"), Record("人参")}), Ids({domestic_}),
                               Ids({2}), nullptr),
          "attributes");
    Check(db.SetDataAttributes(0, Ids({Record("人参")}), Ids({organic_}), Ids({2}), nullptr), "attributes");
    Check(db.SetDataAttributes(0, Ids({Record("真鯛")}), Ids({domestic_}), Ids({1}), nullptr), "attributes");

    TFilterObjects& filters = db.GetFilterSet();
    filters.AddNew();
    TFilterObject expensive;
    expensive.SetName("高価な食材");
    expensive.Add(F::BuyPrice, foAtLeast, Variant(1000.0), {});
    filters.SetItem(kExpensiveFilter, expensive);
    filters.AddNew();
    TFilterObject domestic;
    domestic.SetName("国産品");
    domestic.SetFilters(QuickToFilters(Ids({domestic_}), Ids({1})));
    filters.SetItem(kDomesticFilter, domestic);

    Check(db.SetInventoryEntry(0, false, Ids({Record("玉ねぎ")}), platform::EncodeDate(2024, 3, 1), 0, nullptr),
          "sheet");
    Check(db.SetInventoryEntry(0, false, Ids({Record("玉ねぎ")}), platform::EncodeDate(2024, 4, 1), 0, nullptr),
          "sheet");
    olderSheet_ = db.FindInvDate(platform::EncodeDate(2024, 3, 1));
    newerSheet_ = db.FindInvDate(platform::EncodeDate(2024, 4, 1));
    Check(db.EraseData(0, Ids({Record("牛ヒレ肉")}), nullptr), "erase");
}

SampleDatabase::~SampleDatabase()
{
    if (object_ && object_->GetOpenCount() > 0) object_->Release();
}

int SampleDatabase::Add(int classId, const std::string& name, const std::string& french)
{
    const int id = object_->AddNewData(classId, name);
    Check(id != 0, "add");
    Check(object_->EditData(F::Data2, Variant(french), Ids({id})), "french name");
    return id;
}

int SampleDatabase::Record(const std::string& name) const
{
    TVDBKernel reader(object_);
    TFilterObject filter;
    filter.Add(F::Data, foEqual, Variant(name), {});
    reader.SetFilter(filter);
    reader.Refresh();
    if (reader.GetRowCount() == 0) return 0;
    reader.SetRowIndex(0);
    return reader.GetValue(F::Data_ID).AsInt();
}

TPriorityItem SampleDatabase::AddIngredients(int classId, int count)
{
    std::string rows;
    for (int i = 0; i < count; ++i) rows += std::to_string(classId) + ",食材" + std::to_string(i + 1) + "\r\n";
    TPriorityItem fields = Ids({ToInt(F::Class_Key), ToInt(F::Data)});
    TPriorityItem ids;
    TVktObjEvent probe;
    probe.OnRecordsAdd = [&ids](TVktObject*, TVktObjKind, TPriorityItem added) { ids = added; };
    object_->GetEvents().Add(&probe);
    Check(object_->InsertData(TVktObjKind::Food, rows, fields, 0, nullptr), "insert");
    probe.Detach();
    return ids;
}

} // namespace vkttest
