// Pair "Export": the XML export of chosen records (recipes with what they use, and ingredients)
// through TVktXmlFunctor::SaveXml into a file, against plain SQLite selecting the same rows: per
// exported record its data row with the detail rows joined, its items (recipes and menus, whose
// used records join the list) and attribute checks, then the referenced classes (with their
// ancestors), forms, units, dealers and attribute items, every column read as text.
#include <filesystem>
#include <stdexcept>
#include <unordered_set>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "core/Treeindex.h"
#include "database/Mvktxml.h"
#include "platform/Text.h"

namespace bench {

namespace {

// The chosen records: a twentieth of the count in recipes, each followed by the records its items
// use (down to the ingredients of its preparations), then other ingredients up to the count. The
// export walks the same closure, so it writes exactly `count` records (fewer only at tiny sizes).
const std::vector<int>& ChosenIds() {
    static const std::vector<int> chosen = [] {
        BenchContext& context = BenchContext::Get();
        const std::size_t count = static_cast<std::size_t>(context.Options().Operations);
        PlainDb db(context.DatabaseFile());
        PlainStmt items(db, "select Data_Key from VktDB1O where Item_Key = ?1 order by ItemIndex");
        std::vector<int> ids;
        std::unordered_set<int> seen;
        auto add = [&](int id) {
            if (ids.size() < count && seen.insert(id).second) ids.push_back(id);
        };
        for (int recipe : PickIds(context.Database().RecipeIds, static_cast<int>(count / 20), 32)) {
            const std::size_t first = ids.size();
            add(recipe);
            for (std::size_t i = first; i < ids.size(); ++i) {
                items.Bind(1, ids[i]);
                while (items.Step()) add(static_cast<int>(items.Int(0)));
                items.Reset();
            }
        }
        for (int id : PickIds(context.Database().IngredientIds, static_cast<int>(count), 31)) add(id);
        return ids;
    }();
    return chosen;
}

std::string ExportFile() { return BenchContext::Get().Database().Folder + "/export.xml"; }

// Keys in order of first reference, each once.
struct KeyList {
    std::vector<int> Keys;
    std::unordered_set<int> Seen;
    void Add(int key) {
        if (Seen.insert(key).second) Keys.push_back(key);
    }
};

// Reads every column of the current row as text, as an export writes them.
std::size_t ReadRow(const PlainStmt& statement) {
    std::size_t bytes = 0;
    for (int c = 0; c < statement.ColumnCount(); ++c) bytes += std::string(statement.Text(c)).size();
    return bytes;
}

void ExportSystem(benchmark::State& state) {
    const std::vector<int>& chosen = ChosenIds();
    TPriorityItem ids;
    for (int id : chosen) ids << id;
    const std::string folder = BenchContext::Get().Database().Folder;
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] { GetVktXmlFunctor(folder).SaveXml(ExportFile(), ids); });
        if (!ok) break;
    }
    std::error_code error;
    state.counters["FileBytes"] = static_cast<double>(std::filesystem::file_size(ExportFile(), error));
    std::filesystem::remove(ExportFile(), error);
}

void ExportSqlite(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const std::vector<int>& chosen = ChosenIds();
    PlainDb db(context.DatabaseFile());
    std::size_t exported = 0;
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            PlainTransaction read(db, false); // one state of the database for the whole export
            PlainStmt data(db,
                           "select VktDB1F.Data_ID, VktDB1F.Class_Key, VktDB1F.Form_Key, VktDB1F.Data, VktDB1F.Data2, "
                           "VktDB1F.UseUnit_Key, VktDB1F.UsePrice, VktDB1F.CreateDate, VktDB1F.ChangeDate, "
                           "VktDB1G.EraseDate, VktDB1H.Memo, VktDB1I.Image, VktDB1A.ClassType, VktDB1F.Conserve, "
                           "VktDB1F.InvItem, VktDB1K.BuyUnit_Key, VktDB1K.BuyPrice, VktDB1K.Quantity, VktDB1K.Yield, "
                           "VktDB1K.Dealer_Key, VktDB1N.Complete, VktDB1N.TotalPrice, VktDB1N.SalePrice, "
                           "VktDB1P.Information, VktDB1P.Information2 from VktDB1F "
                           "left outer join VktDB1A on VktDB1A.Class_ID = VktDB1F.Class_Key "
                           "left outer join VktDB1G on VktDB1G.Erase_Key = VktDB1F.Data_ID "
                           "left outer join VktDB1H on VktDB1H.Memo_Key = VktDB1F.Data_ID "
                           "left outer join VktDB1I on VktDB1I.Image_Key = VktDB1F.Data_ID "
                           "left outer join VktDB1K on VktDB1K.Food_Key = VktDB1F.Data_ID "
                           "left outer join VktDB1N on VktDB1N.Cook_Key = VktDB1F.Data_ID "
                           "left outer join VktDB1P on VktDB1P.Information_Key = VktDB1F.Data_ID "
                           "where VktDB1F.Data_ID = ?1");
            PlainStmt items(db,
                            "select ItemIndex, Category, CatIndex, Data_Key, ItemUse, ItemPrice, ItemUnit_Key, "
                            "ItemUsePrice from VktDB1O where Item_Key = ?1 order by ItemIndex");
            PlainStmt checks(
                db, "select AttrItem_Key, AttrCheck from VktDB1J where Attribute_Key = ?1 order by AttrItem_Key");
            PlainStmt classRow(
                db, "select Class_ID, TreeID, ClassType, Class, Class2, Icon_Key from VktDB1A where Class_ID = ?1");
            PlainStmt classByTree(db, "select Class_ID from VktDB1A where TreeID = ?1 order by Class_ID");
            PlainStmt unitsRow(db, "select Units_ID, UnitsType, Units, Units2 from VktDB1B where Units_ID = ?1");
            PlainStmt dealerRow(db,
                                "select Dealer_ID, Company, Dealer, PostCode, Address, Tel, Tel2, Fax, EMail "
                                "from VktDB1C where Dealer_ID = ?1");
            PlainStmt attrItemRow(db, "select AttrItem_ID, Attribute from VktDB1D where AttrItem_ID = ?1");

            KeyList ids, classes, forms, units, dealers, attrItems;
            for (int id : chosen) ids.Add(id);
            std::size_t bytes = 0;
            for (std::size_t i = 0; i < ids.Keys.size(); ++i) {
                const int id = ids.Keys[i];
                data.Bind(1, id);
                if (!data.Step()) {
                    data.Reset();
                    continue;
                }
                bytes += ReadRow(data);
                const int classType = static_cast<int>(data.Int(12));
                classes.Add(static_cast<int>(data.Int(1)));
                forms.Add(static_cast<int>(data.Int(2)));
                units.Add(static_cast<int>(data.Int(5)));
                if (classType == 1) {
                    units.Add(static_cast<int>(data.Int(15)));
                    dealers.Add(static_cast<int>(data.Int(19)));
                }
                data.Reset();
                if (classType > 1) {
                    items.Bind(1, id);
                    while (items.Step()) {
                        bytes += ReadRow(items);
                        ids.Add(static_cast<int>(items.Int(3)));
                    }
                    items.Reset();
                }
                checks.Bind(1, id);
                while (checks.Step()) {
                    bytes += ReadRow(checks);
                    attrItems.Add(static_cast<int>(checks.Int(0)));
                }
                checks.Reset();
            }
            for (std::size_t i = 0; i < classes.Keys.size(); ++i) {
                classRow.Bind(1, classes.Keys[i]);
                if (classRow.Step()) {
                    bytes += ReadRow(classRow);
                    const TTreeIndex tree{std::string(classRow.Text(1))};
                    if (tree.Depth() > 3) {
                        classByTree.Bind(1, tree.GetParent().GetAsString());
                        if (classByTree.Step()) classes.Add(static_cast<int>(classByTree.Int(0)));
                        classByTree.Reset();
                    }
                }
                classRow.Reset();
            }
            auto masters = [&](PlainStmt& statement, const KeyList& keys) {
                for (int key : keys.Keys) {
                    statement.Bind(1, key);
                    if (statement.Step()) bytes += ReadRow(statement);
                    statement.Reset();
                }
            };
            masters(unitsRow, forms);
            masters(unitsRow, units);
            masters(dealerRow, dealers);
            masters(attrItemRow, attrItems);
            read.Commit();
            exported = ids.Keys.size();
            benchmark::DoNotOptimize(bytes);
        });
        if (!ok) break;
    }
    state.counters["Records"] = static_cast<double>(exported);
}

} // namespace

void RegisterExportBenchmarks() {
    RegisterPair({"Export", 1.1, Metric::RealTime,
                  "XML export of chosen records and what they reference: TVktXmlFunctor vs selecting the same rows"},
                 ExportSystem, ExportSqlite);
}

} // namespace bench
