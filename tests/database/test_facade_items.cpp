// The database object's facade over recipe items, recosting and the batch insert of records: the
// notices, the loop over lines or items with its progress texts, and what stops it.
#include "FacadeFixture.h"

#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"

namespace {

constexpr int kBeef = 4;
constexpr int kBase = 35;
constexpr int kBanquet = 44;
constexpr const char* kOld = "2024-01-01 00:00:00";

TPriorityItem List(std::initializer_list<int> values) {
    TPriorityItem list;
    for (int v : values) list << v;
    return list;
}

class FacadeItemsTest : public FacadeFixture {
protected:
    void SetUp() override {
        FacadeFixture::SetUp();
        recorder.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
            notices.push_back("add " + std::to_string(static_cast<int>(kind)) + ": " + ids.GetCommaText() +
                              " (" + std::to_string(Count(TVktTable::TblData)) + " records)");
        };
        progress = [this](TVktObject* sender, const std::string& text, bool& cont, int tag) {
            EXPECT_EQ(sender, object);
            EXPECT_EQ(tag, 42);
            texts.push_back(text);
            if (static_cast<int>(texts.size()) == stopAfter) cont = false;
        };
    }

    void AddData(int id, int classId, double usePrice) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = 5, .UsePrice = usePrice, .ChangeDate = kOld});
    }
    void AddCook(int id, int classId, double usePrice) {
        AddData(id, classId, usePrice);
        Add(vkttest::CookRow{.Cook_Key = id, .Complete = 1, .TotalPrice = usePrice});
    }
    void AddItem(int recipe, int index, int record, double use, double price) {
        Add(vkttest::ItemRow{.Item_Key = recipe, .ItemIndex = index, .Data_Key = record, .ItemUse = use,
                             .ItemPrice = price, .ItemUsePrice = use * price});
    }
    std::string Places(int recipe) {
        return Text("select group_concat(s, ' ') from (select Data_Key || '(' || Category || ',' || CatIndex || ')' "
                    "as s from VktDB1O where Item_Key = " + std::to_string(recipe) + " order by ItemIndex)");
    }

    TVktProgressEvent progress;
    std::vector<std::string> texts;
    int stopAfter = 0;
};

// ---- Batch insert -------------------------------------------------------------------------------------

TEST_F(FacadeItemsTest, InsertDataStopsAtTheFirstLineWithoutARecord) {
    const std::string rows = "Carrot,100\r\n\"Bad line\",x\r\nOnion,50\r\n";
    EXPECT_FALSE(object->InsertData(TVktObjKind::Food, rows, List({ToInt(TVktField::Data), ToInt(TVktField::BuyPrice)}),
                                    42, progress));
    EXPECT_EQ(notices, Notices({"add 7: 1 (1 records)"}));
    EXPECT_EQ(texts, (std::vector<std::string>{"Carrot", "Bad line"})) << "the third line is not tried";
    EXPECT_EQ(Text("select group_concat(Data) from VktDB1F"), "Carrot");
    EXPECT_EQ(Count(TVktTable::TblFood), 1) << "the failed line leaves no family row";
}

TEST_F(FacadeItemsTest, InsertDataAnnouncesEveryNewRecordOnceAfterTheBatch) {
    const std::string rows = "\"Stock\",4\n\"Jus\",2\n";
    EXPECT_TRUE(object->InsertData(TVktObjKind::Cook, rows,
                                   List({ToInt(TVktField::Data), ToInt(TVktField::Complete)}), 42, progress));
    EXPECT_EQ(notices, Notices({"add 8: 1,2 (2 records)"})) << "committed before the notice";
    EXPECT_EQ(texts, (std::vector<std::string>{"Stock", "Jus"}));
    EXPECT_EQ(Int("select count(*) from VktDB1F where Class_Key = " + std::to_string(kBase)), 2);
}

TEST_F(FacadeItemsTest, InsertDataProgressMayStopIt) {
    stopAfter = 1;
    EXPECT_FALSE(object->InsertData(TVktObjKind::Menu, "A\nB\nC", List({ToInt(TVktField::Data)}), 42, progress));
    EXPECT_EQ(notices, Notices({"add 9: 1 (1 records)"}));
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = 1"), kBanquet);
}

TEST_F(FacadeItemsTest, InsertDataWithoutLinesOrNameColumn) {
    EXPECT_TRUE(object->InsertData(TVktObjKind::Food, "", List({ToInt(TVktField::Data)}), 42, progress));
    EXPECT_TRUE(notices.empty());
    EXPECT_TRUE(texts.empty());

    EXPECT_TRUE(object->InsertData(TVktObjKind::Food, std::to_string(kBeef), List({ToInt(TVktField::Class_Key)}),
                                   42, progress));
    EXPECT_EQ(texts, (std::vector<std::string>{""}));
    EXPECT_EQ(notices, Notices({"add 7: 1 (1 records)"}));
}

// ---- Items ----------------------------------------------------------------------------------------------

TEST_F(FacadeItemsTest, ItemOperationsAnnounceTheRecipeOnlyOnSuccess) {
    AddCook(1, kBase, 0);
    for (int i = 1; i <= 3; ++i) AddItem(1, i, 100 + i, 1, 1);

    EXPECT_TRUE(object->MoveRecipeItemDown(1, 1));
    EXPECT_FALSE(object->MoveRecipeItemDown(1, 3));
    EXPECT_TRUE(object->MoveRecipeItemUp(1, 2));
    EXPECT_FALSE(object->MoveRecipeItemUp(1, 1));
    EXPECT_TRUE(object->SplitItemCategory(1, 2));
    EXPECT_FALSE(object->SplitItemCategory(1, 2));
    EXPECT_TRUE(object->ClearItemCategories(1));
    EXPECT_TRUE(object->DeleteRecipeItem(1, 3));
    EXPECT_FALSE(object->DeleteRecipeItem(1, 3));
    EXPECT_EQ(notices, Notices({"field 83: 1", "field 83: 1", "field 83: 1", "field 83: 1", "delete 10: 1"}));
    EXPECT_EQ(Places(1), "101(1,1) 102(1,2)");
}

TEST_F(FacadeItemsTest, AppendRecipeItemAnnouncesTheRecipeOnceEvenWhenItStops) {
    AddCook(1, kBase, 0);
    AddData(10, kBeef, 25);
    AddData(11, kBeef, 30);
    EXPECT_FALSE(object->AppendRecipeItem(1, 42, List({10, 1, 11}), progress)) << "the recipe in itself";
    EXPECT_EQ(notices, Notices({"add 10: 1 (3 records)"}));
    EXPECT_EQ(texts, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Places(1), "10(1,1)");

    notices.clear();
    EXPECT_TRUE(object->AppendRecipeItem(1, 42, List({}), progress));
    EXPECT_TRUE(notices.empty());
}

TEST_F(FacadeItemsTest, RecostingAChainAnnouncesTheTopRecipeOnce) {
    AddData(10, kBeef, 30);
    AddCook(20, kBase, 25);
    AddItem(20, 1, 10, 2, 25);
    AddCook(30, kBanquet, 75);
    AddItem(30, 1, 20, 3, 25);

    EXPECT_TRUE(object->RefreshItemPrices(30, pmNow));
    EXPECT_EQ(notices, Notices({"field 83: 30"}));
    EXPECT_EQ(Text("select ItemPrice || '|' || ItemUsePrice from VktDB1O where Item_Key = 20"), "30.0|60.0");
    EXPECT_EQ(Text("select TotalPrice || '|' || UsePrice from VktDB1N, VktDB1F where Cook_Key = 20 and Data_ID = 20"),
              "60.0|60.0");
    EXPECT_EQ(Text("select ItemPrice || '|' || ItemUsePrice from VktDB1O where Item_Key = 30"), "60.0|180.0");
    EXPECT_EQ(Text("select TotalPrice || '|' || UsePrice from VktDB1N, VktDB1F where Cook_Key = 30 and Data_ID = 30"),
              "180.0|180.0");

    notices.clear();
    EXPECT_FALSE(object->RefreshItemPrices(30, static_cast<TVktPriceMode>(7)));
    EXPECT_TRUE(notices.empty());
}

} // namespace
