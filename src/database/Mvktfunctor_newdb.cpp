// The content of a new database: default settings, forms and units, class tree and dealer.
#include "database/Mvktfunctor.h"

#include "core/Uvktsupport.h"
#include "database/Mvktclassicons.h"
#include "platform/Guid.h"

namespace {

// One default row of TblUnits; Units_ID is the row number from 1. The French name carries the
// backslash escapes of accented letters and goes through StrToEuro before it is stored.
struct DefaultUnit {
    bool Kind;          // false a form, true a unit of measure
    int Type;           // class type served: 1 ingredients, 2 recipes, 3 menus; 0 the placeholder
    const char* Name;
    const char* Name2;
};

constexpr DefaultUnit kDefaultUnits[] = {
    {false, 0, "---", "---"},
    {false, 1, "生鮮", "Frais"},
    {false, 1, "冷凍", "Gracer"},
    {false, 1, "缶、瓶", "Bo\\i3te"},
    {true, 1, "グラム", "g"},
    {true, 1, "キログラム", "kg"},
    {true, 1, "リットル", "l"},
    {true, 1, "シーシー", "cc"},
    {true, 1, "ケース", "c/s"},
    {true, 1, "パック", "p/c"},
    {true, 1, "個", "Pi\\e1ce"},
    {true, 1, "缶、瓶", "Bo\\i3te"},
    {false, 2, "温製", "Chaud"},
    {false, 2, "冷製", "Froid"},
    {true, 2, "グラム", "g"},
    {true, 2, "キログラム", "kg"},
    {true, 2, "リットル", "l"},
    {true, 2, "シーシー", "cc"},
    {true, 2, "皿盛", "Assiette"},
    {true, 2, "大皿盛", "Plat"},
    {false, 3, "コース", "Menu"},
    {false, 3, "アラカルト", "\\a2 la carte"},
    {true, 3, "皿盛", "Assiette"},
    {true, 3, "大皿盛", "Plat"},
};

// One default row of TblClass; Class_ID is the row number from 1.
struct DefaultClass {
    const char* TreeID;
    int Type;           // 0 root, 1 ingredients, 2 recipes, 3 menus, -1 trash
    const char* Name;
    const char* Name2;  // escaped as in DefaultUnit
    int Icon;           // index into the class-icon set
};

constexpr DefaultClass kDefaultClasses[] = {
    {"200", 0, "データベース", "Donn\\e1es", 0},
    {"20000", 1, "食材", "Aliment", 2},
    {"2000000", 1, "肉類", "Viandes", 5},
    {"200000000", 1, "牛肉", "B\\o5uf", 5},
    {"200000001", 1, "豚肉", "Porc", 5},
    {"200000002", 1, "鶏肉", "Volaille", 5},
    {"200000003", 1, "その他", "en dehors", 5},
    {"2000001", 1, "魚介類", "Poissons", 5},
    {"200000100", 1, "魚類", "Poisson", 5},
    {"200000101", 1, "甲殻類", "Crustac\\e1", 5},
    {"200000102", 1, "貝類", "Coquillage", 5},
    {"200000103", 1, "その他", "en dehors", 5},
    {"2000002", 1, "野菜類", "L\\e1gumes", 5},
    {"200000200", 1, "野菜", "L\\e1gume", 5},
    {"200000201", 1, "香草", "Herbe", 5},
    {"200000202", 1, "果物", "Fruit", 5},
    {"200000203", 1, "その他", "en dehors", 5},
    {"2000003", 1, "乳製品", "Laitages", 5},
    {"200000300", 1, "乳飲料", "Laitages", 5},
    {"200000301", 1, "チーズ", "Fromage", 5},
    {"200000302", 1, "その他", "en dehors", 5},
    {"2000004", 1, "調味料", "Condiments", 5},
    {"200000400", 1, "香辛料", "\\E1pice", 5},
    {"200000401", 1, "調味料", "Condiments", 5},
    {"200000402", 1, "その他", "en dehors", 5},
    {"2000005", 1, "飲料", "Boissons", 5},
    {"200000500", 1, "アルコール飲料", "Alcool", 5},
    {"200000501", 1, "清涼飲料", "Boisson", 5},
    {"200000502", 1, "その他", "en dehors", 5},
    {"2000006", 1, "その他", "en dehors", 5},
    {"200000600", 1, "穀類", "Grains", 5},
    {"200000601", 1, "乾麺類", "P\\a2te", 5},
    {"200000602", 1, "その他", "en dehors", 5},
    {"20001", 2, "料理", "Cuisine", 3},
    {"2000100", 2, "ベース", "Base", 6},
    {"2000101", 2, "ソース", "Sauce", 6},
    {"2000102", 2, "生地", "P\\a2te", 6},
    {"2000103", 2, "肉料理", "Viande", 6},
    {"2000104", 2, "魚料理", "Poisson", 6},
    {"2000105", 2, "野菜料理", "L\\e1gume", 6},
    {"2000106", 2, "デザート", "Dessert", 6},
    {"2000107", 2, "その他", "en dehors", 6},
    {"20002", 3, "メニュー", "Menu", 4},
    {"2000200", 3, "バンケット", "Banquet", 7},
    {"2000201", 3, "レストラン", "Restrant", 7},
    {"2000202", 3, "その他", "en dehors", 7},
    {"201", -1, "ごみ箱", "Garbage", 1},
};

constexpr const char* kDefaultViewFields =
    "<ViewFields><ViewField Name=\"Class\" Order=\"0\" Width=\"100\"/><ViewField Name=\"Form\" "
    "Order=\"0\" Width=\"100\"/><ViewField Name=\"Data\" Order=\"0\" Width=\"100\"/><ViewField "
    "Name=\"UseUnit\" Order=\"0\" Width=\"100\"/><ViewField Name=\"UsePrice\" Order=\"0\" "
    "Width=\"100\"/></ViewFields>";

constexpr const char* kDefaultInvViewFields =
    "<InvViewFields><InvViewField Name=\"Class\" Order=\"0\" Width=\"100\"/><InvViewField "
    "Name=\"Form\" Order=\"0\" Width=\"100\"/><InvViewField Name=\"Data\" Order=\"0\" "
    "Width=\"100\"/><InvViewField Name=\"InvUnit\" Order=\"0\" Width=\"100\"/><InvViewField "
    "Name=\"InvPrice\" Order=\"0\" Width=\"100\"/><InvViewField Name=\"Remained\" Order=\"0\" "
    "Width=\"100\"/><InvViewField Name=\"InvTotalPrice\" Order=\"0\" Width=\"100\"/></InvViewFields>";

constexpr const char* kDefaultItemViewFields =
    "<ItemViewFields><ItemViewField Name=\"ItemCatIndex\" Order=\"0\" Width=\"100\"/><ItemViewField "
    "Name=\"Class\" Order=\"0\" Width=\"100\"/><ItemViewField Name=\"Data\" Order=\"0\" "
    "Width=\"100\"/><ItemViewField Name=\"ItemUnit\" Order=\"0\" Width=\"100\"/><ItemViewField "
    "Name=\"ItemPrice\" Order=\"0\" Width=\"100\"/><ItemViewField Name=\"ItemUse\" Order=\"0\" "
    "Width=\"100\"/><ItemViewField Name=\"ItemUsePrice\" Order=\"0\" Width=\"100\"/></ItemViewFields>";

// The default class-icon set text, built once.
const std::string& DefaultClassIcons() {
    static const std::string text = GetVktClassIcons();
    return text;
}

} // namespace

bool TVktFunctor::CreateDefaultData() {
    const bool result = Write(false, [&] {
        // 1. Empty every stored table (this removes row 0 of TblInitialize as well).
        for (int t = 1; t < VktTableCount; ++t) {
            const TVktTable table = ToVktTable(t);
            if (StoredTables.Contains(table)) Exec("delete from " + Tbl(table));
        }

        // 2. The settings. Registering "InventoryPriceType" rewrites row 0, which is absent now;
        //    the next SetPath writes the default map again.
        const std::pair<const char*, std::string> settings[] = {
            {"DatabaseID", platform::CreateGuidText()},
            {"ClassIcon", DefaultClassIcons()},
            {"Filter", "<FilterSet/>"},
            {"ViewField", kDefaultViewFields},
            {"InvViewField", kDefaultInvViewFields},
            {"ItemViewField", kDefaultItemViewFields},
            {"InventoryPriceType", "0"},
        };
        const std::string initialize =
            "insert into " + Tbl(TVktTable::TblInitialize) + " values( :ID, :Text )";
        for (const auto& [name, text] : settings)
            Exec(initialize, {{"ID", RegisterInitialID(name)}, {"Text", text}});

        // 3. The class tree.
        const std::string classInsert = "insert into " + Tbl(TVktTable::TblClass) +
                                        " values( :ID, :TreeID, :ClassType, :Class, :Class2, :Icon_Key )";
        int id = 0;
        for (const DefaultClass& row : kDefaultClasses) {
            ++id;
            Exec(classInsert, {{"ID", id},
                               {"TreeID", std::string(row.TreeID)},
                               {"ClassType", row.Type},
                               {"Class", std::string(row.Name)},
                               {"Class2", StrToEuro(row.Name2)},
                               {"Icon_Key", row.Icon}});
        }

        // 4. Forms and units.
        const std::string unitInsert = "insert into " + Tbl(TVktTable::TblUnits) +
                                       " values( :ID, :UnitsKind, :UnitsType, :Units, :Units2 )";
        id = 0;
        for (const DefaultUnit& row : kDefaultUnits) {
            ++id;
            Exec(unitInsert, {{"ID", id},
                              {"UnitsKind", row.Kind},
                              {"UnitsType", row.Type},
                              {"Units", std::string(row.Name)},
                              {"Units2", StrToEuro(row.Name2)}});
        }

        // 5. The default dealer.
        Exec("insert into " + Tbl(TVktTable::TblDealer) + " (Dealer_ID,Company) values( 1, '---' )");
        return true;
    });
    Deactivate();
    return result;
}
