#include "support/screens/SampleDatabase.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "support/ScriptedServices.h"

#include <stdexcept>

namespace vkttest {

namespace {

using F = TVktField;
using platform::Variant;

TPriorityItem Ids(std::initializer_list<int> values)
{
    TPriorityItem ids;
    for (int value : values) ids << value;
    return ids;
}

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

    struct Food {
        int classId;
        const char* name;
        const char* french;
        double price;
    };
    const Food foods[] = {
        {kBeef, "和牛サーロイン", "Aloyau de boeuf wagyu", 12800},
        {kBeef, "牛ヒレ肉", "Filet de boeuf", 9800},
        {kPork, "豚バラ肉", "Poitrine de porc", 1980},
        {kChicken, "鶏もも肉", "Cuisse de poulet", 1280},
        {kFish, "真鯛", "Daurade royale", 3600},
        {kVegetable, "玉ねぎ", "Oignon", 250},
        {kVegetable, "人参", "Carotte", 180},
        {kVegetable, "じゃがいも", "Pomme de terre", 320},
        {kHerb, "バジル", "Basilic", 450},
        {kDairyDrink, "生クリーム", "Creme fraiche", 980},
    };
    for (const Food& food : foods) {
        const int id = Add(food.classId, food.name, food.french);
        Check(db.EditData(F::BuyPrice, Variant(food.price), Ids({id})), "buy price");
    }
    const int sauce = Add(kSauce, "デミグラスソース", "Sauce demi-glace");
    const int steak = Add(kMeatDish, "和牛のステーキ", "Steak de boeuf wagyu");
    Add(kBanquet, "春の宴コース", "Menu du printemps");
    Check(db.AppendRecipeItem(steak, 0, Ids({Record("和牛サーロイン"), Record("玉ねぎ"), sauce}), nullptr), "items");
    const double uses[] = {0.2, 0.3, 1.0};
    for (int item = 1; item <= 3; ++item)
        Check(db.EditData(F::ItemUse, Variant(uses[item - 1]), Ids({steak, item})), "item use");
    Check(db.EditData(F::SalePrice, Variant(4800.0), Ids({steak})), "sale price");
    Check(db.EditData(F::Conserve, Variant(true), Ids({Record("生クリーム")})), "conserve");
    Check(db.EditData(F::InvItem, Variant(true), Ids({Record("玉ねぎ")})), "inventory item");

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
