// The content of a new database.
#include "DbFixture.h"

#include <map>
#include <set>

#include "core/Treeindex.h"
#include "database/Mvktclassicons.h"
#include "platform/Errors.h"
#include "platform/Guid.h"
#include "platform/Xml.h"

namespace {

class NewDbTest : public DbFixture {
protected:
    std::string Setting(int id) {
        return Text("select Initial from VktDB1R where Initial_ID = " + std::to_string(id));
    }
    // Names of the children of a settings text's root element, with their Name attribute.
    std::vector<std::string> ChildNames(const std::string& xml) {
        platform::XmlDocument document;
        document.LoadFromString(xml);
        std::vector<std::string> names;
        for (const auto& child : document.GetDocumentElement().GetChildren())
            names.push_back(child.GetName() + ":" + child.GetAttribute("Name"));
        return names;
    }
    // Some content of every kind a database holds.
    void FillSomeContent() {
        Sql("insert into VktDB1A values (48, '2000007', 1, 'extra', null, 5)");
        Sql("insert into VktDB1B values (25, 1, 1, 'extra', null)");
        Sql("insert into VktDB1C (Dealer_ID, Company) values (2, 'extra')");
        Sql("insert into VktDB1D values (1, 'attr')");
        Sql("insert into VktDB1E values (1, '2024-02-29', 0)");
        Add(vkttest::DataRow{.Data_ID = 1, .Class_Key = 3, .Data = "r"});
        Sql("insert into VktDB1G values (1, '2024-03-01 00:00:00')");
        Sql("insert into VktDB1H values (1, 'memo')");
        Sql("insert into VktDB1J values (1, 1, 1)");
        Sql("insert into VktDB1K values (1, 5, 100, 1, 100, 1)");
        Sql("insert into VktDB1L values (1, '2024-03-01', 5, 100)");
        Sql("insert into VktDB1M values (1, '2024-03-31', 5, 1, 1, 1, 1)");
        Sql("insert into VktDB1N values (1, 1, 1, 1)");
        Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key) values (1, 1, 1, 1, 1)");
        Sql("insert into VktDB1P values (1, 'a', 'b')");
        Sql("insert into VktDB1Q values (1, 1, 5, 10, 2)");
        Sql("insert into VktDB1R values (8, 'custom')");
    }
};

TEST_F(NewDbTest, ClassTreeHasTheDefaultClasses) {
    CreateDefaults();
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
    EXPECT_EQ(Int("select min(Class_ID) from VktDB1A"), 1);
    EXPECT_EQ(Int("select max(Class_ID) from VktDB1A"), 47);
    EXPECT_EQ(Text("select TreeID from VktDB1A where Class_ID = 1"), "200");
    EXPECT_EQ(Text("select TreeID from VktDB1A where Class_ID = 47"), "201");
    EXPECT_EQ(Text("select Class || '/' || Class2 from VktDB1A where Class_ID = 2"), "食材/Aliment");
    EXPECT_EQ(Text("select Class || '/' || Class2 from VktDB1A where Class_ID = 47"), "ごみ箱/Garbage");

    // Class type and icon of every class by family: root, ingredients, recipes, menus, trash.
    EXPECT_EQ(Text("select group_concat(t, ' ') from (select ClassType || ':' || Icon_Key || 'x' || "
                   "count(*) as t from VktDB1A group by ClassType, Icon_Key order by ClassType, Icon_Key)"),
              "-1:1x1 0:0x1 1:2x1 1:5x31 2:3x1 2:6x8 3:4x1 3:7x3");

    // Every class below the top level has its parent; siblings carry 0, 1, 2 ... without gaps.
    std::set<std::string> paths;
    std::map<std::string, std::set<int>> children;
    platform::Statement rows(Db(), "select TreeID, ClassType from VktDB1A");
    while (rows.Step()) {
        const TTreeIndex key(rows.GetText(0));
        paths.insert(key.GetPath());
        children[key.GetParent().GetPath()].insert(key.GetIndex());
        EXPECT_LE(key.Depth(), 4) << rows.GetText(0);
    }
    for (const auto& [parent, indexes] : children) {
        if (!parent.empty()) {
            EXPECT_TRUE(paths.count(parent)) << parent;
        }
        EXPECT_EQ(*indexes.rbegin() + 1, static_cast<int>(indexes.size())) << parent;
    }
}

TEST_F(NewDbTest, FrenchNamesReceiveTheirAccentedLetters) {
    CreateDefaults();
    EXPECT_EQ(Text("select Class2 from VktDB1A where Class_ID = 1"), "Données");
    EXPECT_EQ(Text("select Class2 from VktDB1A where Class_ID = 4"), "Bœuf");
    EXPECT_EQ(Text("select Class2 from VktDB1A where Class_ID = 23"), "Épice");
    EXPECT_EQ(Text("select Class2 from VktDB1A where Class_ID = 32"), "Pâte");
    EXPECT_EQ(Text("select Units2 from VktDB1B where Units_ID = 4"), "Boïte");
    EXPECT_EQ(Text("select Units2 from VktDB1B where Units_ID = 11"), "Piéce");
    EXPECT_EQ(Text("select Units2 from VktDB1B where Units_ID = 22"), "â la carte");
    EXPECT_EQ(Int("select count(*) from VktDB1A where Class2 like '%\\%' escape '!'"), 0);
    EXPECT_EQ(Int("select count(*) from VktDB1B where Units2 like '%\\%' escape '!'"), 0);
}

TEST_F(NewDbTest, FormsUnitsAndDealer) {
    CreateDefaults();
    EXPECT_EQ(Count(TVktTable::TblUnits), 24);
    EXPECT_EQ(Int("select max(Units_ID) from VktDB1B"), 24);
    EXPECT_EQ(Text("select group_concat(Units_ID) from VktDB1B where UnitsKind = 0"), "1,2,3,4,13,14,21,22");
    EXPECT_EQ(Text("select group_concat(t, ' ') from (select UnitsType || 'x' || count(*) as t from VktDB1B "
                   "group by UnitsType order by UnitsType)"),
              "0x1 1x11 2x8 3x4");
    EXPECT_EQ(Text("select Units || '/' || Units2 from VktDB1B where Units_ID = 1"), "---/---");
    EXPECT_EQ(Text("select Units || '/' || Units2 from VktDB1B where Units_ID = 6"), "キログラム/kg");
    EXPECT_EQ(Count(TVktTable::TblDealer), 1);
    EXPECT_EQ(Text("select Dealer_ID || ':' || Company from VktDB1C"), "1:---");
}

TEST_F(NewDbTest, TheSevenSettings) {
    ASSERT_TRUE(functor.CreateDefaultData());
    EXPECT_EQ(Text("select group_concat(Initial_ID) from (select Initial_ID from VktDB1R order by 1)"),
              "1,2,3,4,5,6,7");
    EXPECT_TRUE(platform::IsGuidText(Setting(1))) << Setting(1);
    EXPECT_EQ(Setting(2), GetVktClassIcons());
    EXPECT_EQ(Setting(3), "<FilterSet/>");
    EXPECT_EQ(ChildNames(Setting(4)),
              (std::vector<std::string>{"ViewField:Class", "ViewField:Form", "ViewField:Data",
                                        "ViewField:UseUnit", "ViewField:UsePrice"}));
    EXPECT_EQ(ChildNames(Setting(5)),
              (std::vector<std::string>{"InvViewField:Class", "InvViewField:Form", "InvViewField:Data",
                                        "InvViewField:InvUnit", "InvViewField:InvPrice",
                                        "InvViewField:Remained", "InvViewField:InvTotalPrice"}));
    EXPECT_EQ(ChildNames(Setting(6)),
              (std::vector<std::string>{"ItemViewField:ItemCatIndex", "ItemViewField:Class",
                                        "ItemViewField:Data", "ItemViewField:ItemUnit",
                                        "ItemViewField:ItemPrice", "ItemViewField:ItemUse",
                                        "ItemViewField:ItemUsePrice"}));
    EXPECT_EQ(Setting(7), "0");

    // Row 0 appears with the next binding; the price type is registered again as 7.
    functor.SetPath(folder);
    EXPECT_EQ(Setting(0), "<InitialID DatabaseID=\"1\" ClassIcon=\"2\" Filter=\"3\" ViewField=\"4\" "
                          "InvViewField=\"5\" ItemViewField=\"6\" />");
    TVktFunctor fresh;
    fresh.SetPath(folder);
    EXPECT_EQ(fresh.GetInitial("InventoryPriceType"), "0");
    EXPECT_EQ(fresh.GetDatabaseID(), Setting(1));
    fresh.SetPath("");
}

TEST_F(NewDbTest, EachDatabaseGetsItsOwnId) {
    CreateDefaults();
    const std::string first = functor.GetDatabaseID();
    const std::string other = folder + "/other";
    std::filesystem::create_directory(other);
    ASSERT_TRUE(GetVktTblFunctor().CreateTables(other));
    TVktFunctor second;
    second.SetPath(other);
    ASSERT_TRUE(second.CreateDefaultData());
    second.SetPath(other);
    EXPECT_TRUE(platform::IsGuidText(second.GetDatabaseID()));
    EXPECT_NE(second.GetDatabaseID(), first);
    second.SetPath("");

    CreateDefaults();   // a second run on the same database writes a new id too
    EXPECT_NE(functor.GetDatabaseID(), first);
}

TEST_F(NewDbTest, RunningOnAFilledDatabaseLeavesOnlyTheDefaults) {
    CreateDefaults();
    FillSomeContent();
    CreateDefaults();
    for (TVktTable table : {TVktTable::TblAttrItem, TVktTable::TblInvDate, TVktTable::TblData,
                            TVktTable::TblErase, TVktTable::TblMemo, TVktTable::TblImage,
                            TVktTable::TblAttribute, TVktTable::TblFood, TVktTable::TblMHistory,
                            TVktTable::TblYHistory, TVktTable::TblCook, TVktTable::TblItem,
                            TVktTable::TblInformation, TVktTable::TblInventory})
        EXPECT_EQ(Count(table), 0) << GetTableFileName(table);
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
    EXPECT_EQ(Count(TVktTable::TblUnits), 24);
    EXPECT_EQ(Count(TVktTable::TblDealer), 1);
    EXPECT_EQ(Int("select max(Initial_ID) from VktDB1R"), 7);
}

TEST_F(NewDbTest, AFailureLeavesTheDatabaseUnchanged) {
    CreateDefaults();
    FillSomeContent();
    const std::string id = functor.GetDatabaseID();
    Sql("create trigger NoDealer before insert on VktDB1C begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.CreateDefaultData());
    EXPECT_EQ(Count(TVktTable::TblData), 1);
    EXPECT_EQ(Count(TVktTable::TblClass), 48);
    EXPECT_EQ(Count(TVktTable::TblDealer), 2);
    EXPECT_EQ(Text("select Initial from VktDB1R where Initial_ID = 8"), "custom");
    EXPECT_EQ(Text("select Initial from VktDB1R where Initial_ID = 1"), id);
    EXPECT_NE(Text("select Initial from VktDB1R where Initial_ID = 0"), "");
}

} // namespace
