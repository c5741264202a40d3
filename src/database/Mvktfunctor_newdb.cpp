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
    TVktClassType Type; // the family served; ctRoot for the placeholder
    const char* Name;
    const char* Name2;
};

constexpr DefaultUnit kDefaultUnits[] = {
    {false, ctRoot, "---", "---"},
    {false, ctFood, "生鮮", "Frais"},
    {false, ctFood, "冷凍", "Gracer"},
    {false, ctFood, "缶、瓶", "Bo\\i3te"},
    {true, ctFood, "グラム", "g"},
    {true, ctFood, "キログラム", "kg"},
    {true, ctFood, "リットル", "l"},
    {true, ctFood, "シーシー", "cc"},
    {true, ctFood, "ケース", "c/s"},
    {true, ctFood, "パック", "p/c"},
    {true, ctFood, "個", "Pi\\e1ce"},
    {true, ctFood, "缶、瓶", "Bo\\i3te"},
    {false, ctCook, "温製", "Chaud"},
    {false, ctCook, "冷製", "Froid"},
    {true, ctCook, "グラム", "g"},
    {true, ctCook, "キログラム", "kg"},
    {true, ctCook, "リットル", "l"},
    {true, ctCook, "シーシー", "cc"},
    {true, ctCook, "皿盛", "Assiette"},
    {true, ctCook, "大皿盛", "Plat"},
    {false, ctMenu, "コース", "Menu"},
    {false, ctMenu, "アラカルト", "\\a2 la carte"},
    {true, ctMenu, "皿盛", "Assiette"},
    {true, ctMenu, "大皿盛", "Plat"},
};

// One default row of TblClass; Class_ID is the row number from 1.
struct DefaultClass {
    const char* TreeID;
    TVktClassType Type;
    const char* Name;
    const char* Name2;  // escaped as in DefaultUnit
    int Icon;           // index into the class-icon set
};

constexpr DefaultClass kDefaultClasses[] = {
    {"200", ctRoot, "データベース", "Donn\\e1es", 0},
    {"20000", ctFood, "食材", "Aliment", 2},
    {"2000000", ctFood, "肉類", "Viandes", 5},
    {"200000000", ctFood, "牛肉", "B\\o5uf", 5},
    {"200000001", ctFood, "豚肉", "Porc", 5},
    {"200000002", ctFood, "鶏肉", "Volaille", 5},
    {"200000003", ctFood, "その他", "en dehors", 5},
    {"2000001", ctFood, "魚介類", "Poissons", 5},
    {"200000100", ctFood, "魚類", "Poisson", 5},
    {"200000101", ctFood, "甲殻類", "Crustac\\e1", 5},
    {"200000102", ctFood, "貝類", "Coquillage", 5},
    {"200000103", ctFood, "その他", "en dehors", 5},
    {"2000002", ctFood, "野菜類", "L\\e1gumes", 5},
    {"200000200", ctFood, "野菜", "L\\e1gume", 5},
    {"200000201", ctFood, "香草", "Herbe", 5},
    {"200000202", ctFood, "果物", "Fruit", 5},
    {"200000203", ctFood, "その他", "en dehors", 5},
    {"2000003", ctFood, "乳製品", "Laitages", 5},
    {"200000300", ctFood, "乳飲料", "Laitages", 5},
    {"200000301", ctFood, "チーズ", "Fromage", 5},
    {"200000302", ctFood, "その他", "en dehors", 5},
    {"2000004", ctFood, "調味料", "Condiments", 5},
    {"200000400", ctFood, "香辛料", "\\E1pice", 5},
    {"200000401", ctFood, "調味料", "Condiments", 5},
    {"200000402", ctFood, "その他", "en dehors", 5},
    {"2000005", ctFood, "飲料", "Boissons", 5},
    {"200000500", ctFood, "アルコール飲料", "Alcool", 5},
    {"200000501", ctFood, "清涼飲料", "Boisson", 5},
    {"200000502", ctFood, "その他", "en dehors", 5},
    {"2000006", ctFood, "その他", "en dehors", 5},
    {"200000600", ctFood, "穀類", "Grains", 5},
    {"200000601", ctFood, "乾麺類", "P\\a2te", 5},
    {"200000602", ctFood, "その他", "en dehors", 5},
    {"20001", ctCook, "料理", "Cuisine", 3},
    {"2000100", ctCook, "ベース", "Base", 6},
    {"2000101", ctCook, "ソース", "Sauce", 6},
    {"2000102", ctCook, "生地", "P\\a2te", 6},
    {"2000103", ctCook, "肉料理", "Viande", 6},
    {"2000104", ctCook, "魚料理", "Poisson", 6},
    {"2000105", ctCook, "野菜料理", "L\\e1gume", 6},
    {"2000106", ctCook, "デザート", "Dessert", 6},
    {"2000107", ctCook, "その他", "en dehors", 6},
    {"20002", ctMenu, "メニュー", "Menu", 4},
    {"2000200", ctMenu, "バンケット", "Banquet", 7},
    {"2000201", ctMenu, "レストラン", "Restrant", 7},
    {"2000202", ctMenu, "その他", "en dehors", 7},
    {"201", ctTrash, "ごみ箱", "Garbage", 1},
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
