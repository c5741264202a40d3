// The record export: document shape, record attributes per kind, the records and master rows an
// export pulls in, value forms, and failures.
#include "DbFixture.h"

#include <filesystem>
#include <string>
#include <vector>

#include "core/Uvktsupport.h"
#include "database/Mvktxml.h"
#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Xml.h"

namespace {

constexpr const char* kDatabaseId = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

// A small database written with plain SQL. Classes (Class_ID TreeID type):
//   1 "200" root, 2 "20000" ingredients, 3 "20001" recipes, 4 "20002" menus,
//   5 "2000000" ingredient class (depth 3), 6 "200000000" (depth 4), 7 "20000000000" (depth 5),
//   8 "2000100" recipe class, 9 "2000200" menu class.
// Units: 1 form "生", 2 unit "g", 3 unit "kg", 4 unit "皿", 5 unit "本". Dealers 1, 2. AttrItems 1..3.
// Records: 10 beef and 11 salt (ingredients, class 5, dealer 1), 12 pepper (class 7, dealer 2),
//   20 steak (recipe, class 8: items 10 then 11), 30 dinner (menu, class 9: item 20).
class XmlExportTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        file = folder + "/export.xml";
        Sql("insert into VktDB1R values (1, '" + std::string(kDatabaseId) + "')");
        Sql("insert into VktDB1A values (1, '200', 0, 'データベース', 'Données', 0), "
            "(2, '20000', 1, '食材', 'Aliment', 2), (3, '20001', 2, '料理', 'Cuisine', 3), "
            "(4, '20002', 3, 'メニュー', 'Menu', 4), (5, '2000000', 1, '肉類', 'Viandes', 5), "
            "(6, '200000000', 1, '牛肉', 'Bœuf', 5), (7, '20000000000', 1, '和牛', 'Wagyu', 5), "
            "(8, '2000100', 2, 'ソース', 'Sauce', 6), (9, '2000200', 3, 'コース', 'Cours', 7)");
        Sql("insert into VktDB1B values (1, 0, 1, '生', 'Cru'), (2, 1, 1, 'g', 'g'), (3, 1, 1, 'kg', 'kg'), "
            "(4, 1, 2, '皿', 'Assiette'), (5, 1, 1, '本', NULL)");
        Sql("insert into VktDB1C values (1, '大和商店', '山田', '100-0001', '東京', '03-1111', NULL, NULL, "
            "'a@b.jp'), (2, '海商', NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
        Sql("insert into VktDB1D values (1, '辛い'), (2, '冷凍'), (3, '国産')");

        AddData(10, 5, "牛肉", "Bœuf", 2, 1.5);
        Sql("insert into VktDB1K values (10, 3, 1500, 1000, 90, 1)");
        AddData(11, 5, "塩", "", 2, 0.1);
        Sql("insert into VktDB1K values (11, 3, 100, 1000, 100, 1)");
        AddData(12, 7, "胡椒", "Poivre", 2, 2);
        Sql("insert into VktDB1K values (12, 2, 2000, 1000, 100, 2)");
        AddData(20, 8, "ステーキ", "Steak", 4, 1.6);
        Sql("insert into VktDB1N values (20, 1, 1.6, 5)");
        // Stored out of order: the export lists items by ItemIndex.
        Sql("insert into VktDB1O values (20, 2, 0, 0, 11, 1, 0.1, 5, 0.1), (20, 1, 0, 0, 10, 1, 1.5, 2, 1.5)");
        AddData(30, 9, "ディナー", "Dîner", 4, 1.6);
        Sql("insert into VktDB1N values (30, 1, 1.6, 4000)");
        Sql("insert into VktDB1P values (30, 'コースの説明', 'Menu du soir')");
        Sql("insert into VktDB1O values (30, 1, 0, 0, 20, 1, 1.6, 4, 1.6)");
    }

    void AddData(int id, int classId, const std::string& name, const std::string& name2, int useUnit,
                 double usePrice) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = name,
                             .Data2 = name2.empty() ? platform::Variant::Null() : platform::Variant(name2),
                             .UseUnit_Key = useUnit, .UsePrice = usePrice, .CreateDate = "2024-01-02 00:00:00",
                             .ChangeDate = "2024-03-15 09:05:07"});
    }

    // Exports the records and reads the file back; fails the test when it is no valid UTF-8 XML.
    platform::XmlNode Export(std::vector<int> ids) {
        TPriorityItem list;
        for (int id : ids) list.Push(id);
        GetVktXmlFunctor(folder + "/").SaveXml(file, list);
        raw = platform::ReadFileBytes(file);
        EXPECT_TRUE(platform::IsValidUtf8(raw));
        document.LoadFromString(raw);
        return document.GetDocumentElement();
    }

    static platform::XmlNode List(platform::XmlNode root, const std::string& name) { return root.FindChild(name); }
    // One attribute of every child element, comma-joined.
    static std::string Keys(platform::XmlNode list, const std::string& attribute) {
        std::string out;
        for (const platform::XmlNode& child : list.GetChildren())
            out += (out.empty() ? "" : ",") + child.GetAttribute(attribute);
        return out;
    }
    // Attributes as "Name=Value" in document order, joined by "|".
    static std::string Dump(platform::XmlNode node) {
        std::string out;
        for (const auto& [name, value] : node.GetAttributes()) out += (out.empty() ? "" : "|") + name + "=" + value;
        return out;
    }
    platform::XmlNode DataOf(platform::XmlNode root, int id) {
        for (const platform::XmlNode& data : List(root, "DataList").GetChildren())
            if (data.GetAttribute("Data_ID") == std::to_string(id)) return data;
        return {};
    }

    std::string file;
    std::string raw;
    platform::XmlDocument document;
};

// ---- Document shape ---------------------------------------------------------------------------

TEST_F(XmlExportTest, NoIdsGiveTheRootWithTheDatabaseIdAndSixEmptyLists) {
    const platform::XmlNode root = Export({});
    EXPECT_EQ(raw.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_EQ(root.GetName(), "VktDataObject");
    EXPECT_EQ(Dump(root), "Version=1.0");
    std::string names;
    for (const platform::XmlNode& child : root.GetChildren()) {
        names += child.GetName() + ";";
        if (child.GetName() != "DataBase") {
            EXPECT_EQ(child.GetChildCount(), 0) << child.GetName();
        }
    }
    EXPECT_EQ(names, "DataBase;DataList;ClassList;FormList;UnitList;DealerList;AttrItemList;");
    EXPECT_EQ(Dump(root.FindChild("DataBase")), std::string("ID=") + kDatabaseId);
    EXPECT_EQ(root.FindChild("DataBase").GetChildCount(), 0);
}

TEST_F(XmlExportTest, TheAccessorBindsTheFolderWithoutItsTrailingSeparator) {
    TVktXmlFunctor& module = GetVktXmlFunctor(folder + "/");
    EXPECT_EQ(module.GetPath(), folder);
    EXPECT_EQ(&GetVktXmlFunctor("/elsewhere"), &module);
    EXPECT_EQ(module.GetPath(), "/elsewhere");
}

// ---- Records ------------------------------------------------------------------------------------

TEST_F(XmlExportTest, AnIngredientCarriesItsPurchaseValues) {
    const platform::XmlNode root = Export({10});
    const platform::XmlNode data = DataOf(root, 10);
    ASSERT_FALSE(data.IsNull());
    EXPECT_EQ(data.GetName(), "Data");
    EXPECT_EQ(Dump(data),
              "Data_ID=10|ClassType=1|Class_Key=5|Form_Key=1|Data=牛肉|Data2=Bœuf|UseUnit_Key=2|UsePrice=1.5|"
              "InvItem=True|CreateDate=2024/01/02|ChangeDate=2024/03/15 9:05:07|"
              "BuyUnit_Key=3|BuyPrice=1500|Quantity=1000|Yield=90|Dealer_Key=1");
    EXPECT_EQ(data.GetChildCount(), 0);
}

TEST_F(XmlExportTest, ARecipeCarriesItsTotalsAndItemsByItemIndex) {
    Sql("insert into VktDB1J values (20, 2, 1), (20, 1, 0)");
    const platform::XmlNode root = Export({20});
    const platform::XmlNode data = DataOf(root, 20);
    EXPECT_EQ(Dump(data),
              "Data_ID=20|ClassType=2|Class_Key=8|Form_Key=1|Data=ステーキ|Data2=Steak|UseUnit_Key=4|"
              "UsePrice=1.6|InvItem=True|CreateDate=2024/01/02|ChangeDate=2024/03/15 9:05:07|"
              "Complete=1|TotalPrice=1.6|SalePrice=5");
    std::vector<std::string> children;
    for (const platform::XmlNode& child : data.GetChildren()) children.push_back(child.GetName() + " " + Dump(child));
    const std::vector<std::string> expected = {
        "Item ItemIndex=1|Category=0|CatIndex=0|Data_Key=10|ItemUse=1|ItemPrice=1.5|ItemUnit_Key=2|ItemUsePrice=1.5",
        "Item ItemIndex=2|Category=0|CatIndex=0|Data_Key=11|ItemUse=1|ItemPrice=0.1|ItemUnit_Key=5|ItemUsePrice=0.1",
        "AttrCheck AttrItem_Key=1|Value=False",
        "AttrCheck AttrItem_Key=2|Value=True",
    };
    EXPECT_EQ(children, expected);
}

TEST_F(XmlExportTest, AMenuCarriesItsInformationBeforeItsTotals) {
    const platform::XmlNode data = DataOf(Export({30}), 30);
    EXPECT_EQ(Dump(data),
              "Data_ID=30|ClassType=3|Class_Key=9|Form_Key=1|Data=ディナー|Data2=Dîner|UseUnit_Key=4|"
              "UsePrice=1.6|InvItem=True|CreateDate=2024/01/02|ChangeDate=2024/03/15 9:05:07|"
              "Information=コースの説明|Information2=Menu du soir|Complete=1|TotalPrice=1.6|SalePrice=4000");
}

TEST_F(XmlExportTest, AnIngredientListsNoItemsEvenWhenItemRowsCarryItsId) {
    Sql("insert into VktDB1O values (10, 1, 0, 0, 12, 1, 2, 2, 2)");
    const platform::XmlNode root = Export({10});
    EXPECT_EQ(DataOf(root, 10).GetChildCount(), 0);
    EXPECT_EQ(Keys(List(root, "DataList"), "Data_ID"), "10");
}

TEST_F(XmlExportTest, MemoAndImageComeFirstAsChildren) {
    // The memo is code-page-932 rich text ("あ" is 0x82 0xA0); the picture 100 bytes.
    Sql("insert into VktDB1H values (11, x'7B5C727466312082A0207D')");
    std::string picture;
    for (int i = 0; i < 100; ++i) picture += static_cast<char>(i * 7);
    platform::Bytes bytes(picture.begin(), picture.end());
    {
        platform::Statement insert(Db(), "insert into VktDB1I values (11, :Image)");
        insert.BindBlob("Image", bytes);
        insert.Execute();
    }
    Sql("insert into VktDB1J values (11, 3, 1)");
    const platform::XmlNode data = DataOf(Export({11}), 11);
    ASSERT_EQ(data.GetChildCount(), 3);
    EXPECT_EQ(data.GetChild(0).GetName(), "Memo");
    EXPECT_EQ(data.GetChild(0).GetAttribute("Value"), "{\\rtf1 あ }");
    EXPECT_EQ(data.GetChild(1).GetName(), "Image");
    const std::string base64 = data.GetChild(1).GetAttribute("Value");
    EXPECT_EQ(base64, BinToBase64(picture, {}, true));
    EXPECT_EQ(base64.substr(80, 2), "\r\n");
    EXPECT_EQ(Base64ToBin(base64), picture);
    EXPECT_EQ(data.GetChild(2).GetName(), "AttrCheck");
}

// ---- States -------------------------------------------------------------------------------------

TEST_F(XmlExportTest, TrashAndConservedStatesAppearOnlyWhenSet) {
    Sql("insert into VktDB1G values (11, '2024-03-15 10:20:30')");
    Sql("update VktDB1F set Conserve = 1 where Data_ID = 12");
    const platform::XmlNode root = Export({10, 11, 12});
    const platform::XmlNode live = DataOf(root, 10);
    EXPECT_FALSE(live.HasAttribute("EraseDate"));
    EXPECT_FALSE(live.HasAttribute("Conserve"));
    const platform::XmlNode erased = DataOf(root, 11);
    EXPECT_EQ(erased.GetAttribute("EraseDate"), "2024/03/15 10:20:30");
    EXPECT_FALSE(erased.HasAttribute("Conserve"));
    // The state attributes follow ChangeDate and precede the ingredient's own.
    EXPECT_EQ(erased.GetAttributes()[11].first, "EraseDate");
    EXPECT_EQ(erased.GetAttributes()[12].first, "BuyUnit_Key");
    const platform::XmlNode conserved = DataOf(root, 12);
    EXPECT_EQ(conserved.GetAttribute("Conserve"), "True");
    EXPECT_EQ(conserved.GetAttributes()[11].first, "Conserve");
    EXPECT_FALSE(conserved.HasAttribute("EraseDate"));
}

// ---- What an export pulls in --------------------------------------------------------------------

TEST_F(XmlExportTest, ARecipeBringsTheRecordsItsItemsNameInItemOrder) {
    EXPECT_EQ(Keys(List(Export({20}), "DataList"), "Data_ID"), "20,10,11");
}

TEST_F(XmlExportTest, AMenuBringsItsRecipeAndThroughItTheIngredients) {
    EXPECT_EQ(Keys(List(Export({30}), "DataList"), "Data_ID"), "30,20,10,11");
}

TEST_F(XmlExportTest, ARecordChosenAndUsedIsExportedOnceAtItsFirstPosition) {
    EXPECT_EQ(Keys(List(Export({11, 20, 11}), "DataList"), "Data_ID"), "11,20,10");
}

TEST_F(XmlExportTest, ItemsThatFormACycleEndTheWalk) {
    Sql("insert into VktDB1O values (20, 3, 0, 0, 30, 1, 1, 4, 1)");   // the recipe uses the menu
    EXPECT_EQ(Keys(List(Export({30}), "DataList"), "Data_ID"), "30,20,10,11");
}

// A mend: a chosen id (or an item's record) without a data row gives no empty record.
TEST_F(XmlExportTest, IdsWithoutADataRowAreSkipped) {
    Sql("insert into VktDB1O values (20, 3, 0, 0, 77, 1, 1, 4, 1)");
    const platform::XmlNode root = Export({99, 20, 0});
    EXPECT_EQ(Keys(List(root, "DataList"), "Data_ID"), "20,10,11");
    EXPECT_EQ(DataOf(root, 20).GetChildCount(), 3);   // the item naming 77 is still written
}

TEST_F(XmlExportTest, ClassesBringTheirAncestorsDownToTheFirstUserLevel) {
    // 12 lies at depth 5 and 13 in the ingredients family root (depth 2): the ancestors of depths 4
    // and 3 follow the classes referenced directly; the family root and the root come only when
    // referenced.
    AddData(13, 2, "水", "Eau", 2, 0);
    const platform::XmlNode root = Export({12, 13});
    EXPECT_EQ(Keys(List(root, "ClassList"), "Class_ID"), "7,2,6,5");
    EXPECT_EQ(Dump(List(root, "ClassList").GetChild(2)),
              "Class_ID=6|TreeID=200000000|ClassType=1|Class=牛肉|Class2=Bœuf|Icon_Key=5");
    // A class of depth 3 brings nothing more.
    EXPECT_EQ(Keys(List(Export({10}), "ClassList"), "Class_ID"), "5");
}

TEST_F(XmlExportTest, AClassReferencedDirectlyKeepsItsFirstPosition) {
    Sql("update VktDB1F set Class_Key = 6 where Data_ID = 11");
    // 12 (class 7) brings 6 and 5; 11 references 6 directly before that walk.
    EXPECT_EQ(Keys(List(Export({12, 11, 10}), "ClassList"), "Class_ID"), "7,6,5");
}

TEST_F(XmlExportTest, MasterRowsAreListedOnceInOrderOfFirstReference) {
    Sql("insert into VktDB1J values (10, 3, 0), (11, 3, 1), (11, 1, 1)");
    const platform::XmlNode root = Export({20});
    EXPECT_EQ(Keys(List(root, "FormList"), "Units_ID"), "1");
    // Use units first, then purchase units; an item's unit (5) adds nothing.
    EXPECT_EQ(Keys(List(root, "UnitList"), "Units_ID"), "4,2,3");
    EXPECT_EQ(Keys(List(root, "DealerList"), "Dealer_ID"), "1");
    EXPECT_EQ(Keys(List(root, "AttrItemList"), "AttrItem_ID"), "3,1");

    EXPECT_EQ(List(root, "FormList").GetChild(0).GetName(), "Form");
    EXPECT_EQ(Dump(List(root, "FormList").GetChild(0)), "Units_ID=1|UnitsType=1|Units=生|Units2=Cru");
    EXPECT_EQ(List(root, "UnitList").GetChild(0).GetName(), "Unit");
    EXPECT_EQ(Dump(List(root, "UnitList").GetChild(0)), "Units_ID=4|UnitsType=2|Units=皿|Units2=Assiette");
    EXPECT_EQ(List(root, "DealerList").GetChild(0).GetName(), "Dealer");
    EXPECT_EQ(Dump(List(root, "DealerList").GetChild(0)),
              "Dealer_ID=1|Company=大和商店|Dealer=山田|PostCode=100-0001|Address=東京|Tel=03-1111|Tel2=|Fax=|"
              "EMail=a@b.jp");
    EXPECT_EQ(List(root, "AttrItemList").GetChild(0).GetName(), "AttrItem");
    EXPECT_EQ(Dump(List(root, "AttrItemList").GetChild(1)), "AttrItem_ID=1|Attribute=辛い");
}

TEST_F(XmlExportTest, KeysWithoutAMasterRowGiveNoElement) {
    Sql("update VktDB1F set Form_Key = NULL, UseUnit_Key = 42 where Data_ID = 12");
    Sql("delete from VktDB1C where Dealer_ID = 2");
    const platform::XmlNode root = Export({12});
    EXPECT_EQ(List(root, "FormList").GetChildCount(), 0);
    EXPECT_EQ(Keys(List(root, "UnitList"), "Units_ID"), "2");
    EXPECT_EQ(List(root, "DealerList").GetChildCount(), 0);
    EXPECT_EQ(DataOf(root, 12).GetAttribute("Form_Key"), "");
    EXPECT_TRUE(DataOf(root, 12).HasAttribute("Form_Key"));
}

// ---- Value forms --------------------------------------------------------------------------------

TEST_F(XmlExportTest, NumbersAreWrittenInTheirShortestExactForm) {
    Sql("update VktDB1F set UsePrice = 1.0 / 3 where Data_ID = 10");
    Sql("update VktDB1K set BuyPrice = 1234.5678, Quantity = 0.1 + 0.2, Yield = 1e-5 where Food_Key = 10");
    const platform::XmlNode data = DataOf(Export({10}), 10);
    EXPECT_EQ(data.GetAttribute("UsePrice"), "0.3333333333333333");
    EXPECT_EQ(data.GetAttribute("BuyPrice"), "1234.5678");
    EXPECT_EQ(data.GetAttribute("Quantity"), "0.30000000000000004");
    EXPECT_EQ(data.GetAttribute("Yield"), "1e-05");

    // Round and small amounts keep their decimal notation.
    Sql("update VktDB1F set UsePrice = 100000 where Data_ID = 11");
    Sql("update VktDB1K set BuyPrice = 0.0001, Quantity = 1e15 where Food_Key = 11");
    const platform::XmlNode salt = DataOf(Export({11}), 11);
    EXPECT_EQ(salt.GetAttribute("UsePrice"), "100000");
    EXPECT_EQ(salt.GetAttribute("BuyPrice"), "0.0001");
    EXPECT_EQ(salt.GetAttribute("Quantity"), "1e+15");
}

TEST_F(XmlExportTest, NullColumnsAndEmptyFrenchNamesAreEmptyAttributes) {
    Sql("update VktDB1F set CreateDate = NULL, InvItem = NULL where Data_ID = 11");
    Sql("update VktDB1K set Yield = NULL where Food_Key = 11");
    const platform::XmlNode data = DataOf(Export({11}), 11);
    EXPECT_TRUE(data.HasAttribute("Data2"));
    EXPECT_EQ(data.GetAttribute("Data2", "absent"), "");
    EXPECT_EQ(data.GetAttribute("CreateDate", "absent"), "");
    EXPECT_EQ(data.GetAttribute("InvItem", "absent"), "");
    EXPECT_EQ(data.GetAttribute("Yield", "absent"), "");
}

TEST_F(XmlExportTest, FrenchAndJapaneseNamesComeOutAsTheirLetters) {
    const platform::XmlNode root = Export({12});
    EXPECT_NE(raw.find("Data2=\"Poivre\""), std::string::npos);
    EXPECT_NE(raw.find("Class2=\"Bœuf\""), std::string::npos);   // ancestor class of 12
    EXPECT_NE(raw.find("Data=\"胡椒\""), std::string::npos);
    EXPECT_EQ(DataOf(root, 12).GetAttribute("Data"), "胡椒");
}

TEST_F(XmlExportTest, CharactersXmlCannotCarryAreReplaced) {
    Sql("update VktDB1F set Data = 'a' || char(1) || 'b<&\"' || char(9) || 'c', Data2 = cast(x'42C3' as text) "
        "where Data_ID = 10");
    const platform::XmlNode data = DataOf(Export({10}), 10);
    EXPECT_EQ(data.GetAttribute("Data"), "a b<&\"\tc");
    EXPECT_EQ(data.GetAttribute("Data2"), "B\uFFFD");
}

// ---- Failures -----------------------------------------------------------------------------------

TEST_F(XmlExportTest, AnErrorInOneRecordEndsOnlyThatRecord) {
    Sql("update VktDB1F set ChangeDate = 'not a date' where Data_ID = 10");
    const platform::XmlNode root = Export({10, 11});
    EXPECT_EQ(Keys(List(root, "DataList"), "Data_ID"), "10,11");
    EXPECT_FALSE(DataOf(root, 10).HasAttribute("ChangeDate"));
    EXPECT_EQ(DataOf(root, 11).GetAttribute("Dealer_Key"), "1");
    // The master rows the broken record referenced before the error are not listed.
    EXPECT_EQ(Keys(List(root, "UnitList"), "Units_ID"), "2,3");
}

TEST_F(XmlExportTest, AFileThatCannotBeWrittenRaisesAndLeavesNothing) {
    const std::string blocker = folder + "/plain-file";
    platform::WriteFileAtomic(blocker, "x");
    const auto before = std::distance(std::filesystem::directory_iterator(folder), {});
    TVktXmlFunctor& module = GetVktXmlFunctor(folder);
    EXPECT_THROW(module.SaveXml(blocker + "/export.xml", TPriorityItem() << 10), platform::FileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), before);
    EXPECT_EQ(platform::ReadFileBytes(blocker), "x");
}

TEST_F(XmlExportTest, AFailedExportLeavesTheEarlierFileIntact) {
    Export({10});
    const std::string earlier = raw;
    TVktXmlFunctor& module = GetVktXmlFunctor(folder + "/missing");
    EXPECT_THROW(module.SaveXml(file, TPriorityItem() << 11), platform::DatabaseError);
    EXPECT_EQ(platform::ReadFileBytes(file), earlier);
}

TEST_F(XmlExportTest, AnExportReplacesTheEarlierFileAndLeavesNoTemporaryFile) {
    Export({10, 11});
    EXPECT_EQ(Keys(List(Export({12}), "DataList"), "Data_ID"), "12");
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("vektara.db", 0) != 0) others.push_back(name);
    }
    EXPECT_EQ(others, std::vector<std::string>{"export.xml"});
}

} // namespace
