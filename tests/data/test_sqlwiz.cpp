#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "SqlFixture.h"
#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Usqlwiz.h"
#include "data/Vkttabledefine.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/Xml.h"

namespace {

using F = TVktField;
using T = TVktTable;
using platform::Variant;

TPriorityItem Fields(std::initializer_list<F> fields) {
    TPriorityItem list;
    for (F f : fields) list << ToInt(f);
    return list;
}

TPriorityItem Ints(std::initializer_list<int> values) {
    TPriorityItem list;
    for (int v : values) list << v;
    return list;
}

std::string Select(T table, const TPriorityItem& fields, const TPriorityItem& orders = TPriorityItem(),
                   const TFilterObject& filter = TFilterObject()) {
    return VktSQLString(table, fields, orders, filter);
}

std::string Where(const TFilters& filters, T table = T::TblData) {
    TSqlWiz wiz;
    wiz.SetTable(table);
    return wiz.FilterToSql(filters);
}

TFilters One(F field, std::uint8_t op) {
    TFilters filters(field);
    filters.Add(op, Variant(1), Variant(2));
    return filters;
}

// ---- Select statements ------------------------------------------------------------------------------

TEST(SqlWizSelect, WorkedExample) {
    EXPECT_EQ(Select(T::TblData, Fields({F::Data, F::Class, F::UseUnit, F::CostRate}), Ints({1, 0, 0, 2})),
              "select distinct\n"
              "  Data,\n"
              "  Class,\n"
              "  TblUseUnit.Units as UseUnit,\n"
              "  ( cast( UsePrice as numeric ) / cast( SalePrice as numeric ) * 100 ) as CostRate,\n"
              "  Data_ID\n"
              "From\n"
              "  VktDB1F /* TblData */\n"
              "  left outer join VktDB1A /* TblClass */ on Class_ID = Class_Key\n"
              "  left outer join VktDB1B as TblUseUnit on TblUseUnit.Units_ID = UseUnit_Key\n"
              "  left outer join VktDB1N /* TblCook */ on Cook_Key = Data_ID\n"
              "order by\n"
              "  Data,\n"
              "  CostRate desc,\n"
              "  Data_ID\n");
}

TEST(SqlWizSelect, EmptyClassListSortsByTreePosition) {
    EXPECT_EQ(Select(T::TblClass, TPriorityItem()),
              "select distinct\n  TreeID,\n  Class_ID\nFrom\n  VktDB1A /* TblClass */\norder by\n  TreeID \n");
    // Descending: TreeID, two blanks, desc.
    EXPECT_EQ(Select(T::TblClass, Fields({F::Class}), Ints({2})),
              "select distinct\n  TreeID,\n  Class,\n  Class_ID\nFrom\n  VktDB1A /* TblClass */\n"
              "order by\n  TreeID  desc,\n  TreeID \n");
}

TEST(SqlWizSelect, ItemBaseJoinsItsRecordAndSplitsCatIndex) {
    EXPECT_EQ(Select(T::TblItem, Fields({F::Data})),
              "select distinct\n  Data,\n  Item_Key,\n  ItemIndex\nFrom\n  VktDB1O /* TblItem */\n"
              "  left outer join VktDB1F /* TblData */ on Data_ID = Data_Key\n"
              "order by\n  Item_Key,\n  ItemIndex\n");
    EXPECT_EQ(Select(T::TblItem, Fields({F::ItemCatIndex}), Ints({2})),
              "select distinct\n  Category,\n  CatIndex,\n  Item_Key,\n  ItemIndex\nFrom\n  VktDB1O /* TblItem */\n"
              "order by\n  Category desc,\n  CatIndex desc,\n  Item_Key,\n  ItemIndex\n");
}

TEST(SqlWizSelect, TwoColumnsOfOneViewJoinOnce) {
    EXPECT_EQ(Select(T::TblData, Fields({F::BuyUnit, F::BuyUnit2})),
              "select distinct\n  TblBuyUnit.Units as BuyUnit,\n  TblBuyUnit.Units2 as BuyUnit2,\n  Data_ID\n"
              "From\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1K /* TblFood */ on Food_Key = Data_ID\n"
              "  left outer join VktDB1B as TblBuyUnit on TblBuyUnit.Units_ID = BuyUnit_Key\n"
              "order by\n  Data_ID\n");
}

TEST(SqlWizSelect, OrderValues) {
    // Any value other than 0 and 1 sorts descending; Memo and Image are never ordered.
    EXPECT_EQ(Select(T::TblData, Fields({F::Data, F::Memo, F::Image}), Ints({5, 1, 2})),
              "select distinct\n  Data,\n  Memo,\n  Image,\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1H /* TblMemo */ on Memo_Key = Data_ID\n"
              "  left outer join VktDB1I /* TblImage */ on Image_Key = Data_ID\n"
              "order by\n  Data desc,\n  Data_ID\n");
    // A shorter order list leaves the rest unordered; a longer one is cut.
    EXPECT_EQ(Select(T::TblData, Fields({F::Data, F::Data2}), Ints({1, 2, 1, 1})),
              Select(T::TblData, Fields({F::Data, F::Data2}), Ints({1, 2})));
}

TEST(SqlWizSelect, DroppedFieldTakesItsOrderAlong) {
    TPriorityItem fields;
    fields << ToInt(VktFieldNotFound) << ToInt(F::Data) << 0;
    EXPECT_EQ(Select(T::TblData, fields, Ints({2, 1, 2})),
              "select distinct\n  Data,\n  Data_ID\nFrom\n  VktDB1F /* TblData */\norder by\n  Data,\n  Data_ID\n");
    // CostRate is not a column of TblCook's own field set: dropped with its descending order.
    EXPECT_EQ(Select(T::TblCook, Fields({F::CostRate, F::Complete}), Ints({2, 0})),
              "select distinct\n  Complete,\n  Cook_Key\nFrom\n  VktDB1N /* TblCook */\norder by\n  Cook_Key\n");
}

TEST(SqlWizSelect, UnitViewBase) {
    EXPECT_EQ(Select(T::TblForm, Fields({F::Form})),
              "select distinct\n  TblForm.Units as Form\nFrom\n  VktDB1B as TblForm\n");
}

TEST(SqlWizSelect, UnitColumnSortsBySelectedExpression) {
    EXPECT_EQ(Select(T::TblData, Fields({F::UseUnit, F::Form2}), Ints({2, 1})),
              "select distinct\n  TblUseUnit.Units as UseUnit,\n  TblForm.Units2 as Form2,\n  Data_ID\n"
              "From\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1B as TblUseUnit on TblUseUnit.Units_ID = UseUnit_Key\n"
              "  left outer join VktDB1B as TblForm on TblForm.Units_ID = Form_Key\n"
              "order by\n  TblUseUnit.Units desc,\n  TblForm.Units2,\n  Data_ID\n");
    EXPECT_EQ(Select(T::TblForm, Fields({F::Form}), Ints({2})),
              "select distinct\n  TblForm.Units as Form\nFrom\n  VktDB1B as TblForm\norder by\n  TblForm.Units desc\n");
}

TEST(SqlWizSelect, EachTableJoinedOnceFirstRequestWins) {
    // Alone, each field keeps its own join.
    EXPECT_EQ(Select(T::TblData, Fields({F::InvUnit})),
              "select distinct\n  TblInvUnit.Units as InvUnit,\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1Q /* TblInventory */ on Inventory_Key = Data_ID\n"
              "  left outer join VktDB1B as TblInvUnit on TblInvUnit.Units_ID = InvUnit_Key\n"
              "order by\n  Data_ID\n");
    EXPECT_EQ(Select(T::TblData, Fields({F::InvPrice})),
              "select distinct\n  InvPrice,\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1Q /* TblInventory */ on ( Inventory_Key = Data_ID ) and ( InvDate_Key = 1 )\n"
              "order by\n  Data_ID\n");
    // Together, the first request decides.
    EXPECT_EQ(Select(T::TblData, Fields({F::InvUnit, F::Remained})),
              "select distinct\n  TblInvUnit.Units as InvUnit,\n  Remained,\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1Q /* TblInventory */ on Inventory_Key = Data_ID\n"
              "  left outer join VktDB1B as TblInvUnit on TblInvUnit.Units_ID = InvUnit_Key\n"
              "order by\n  Data_ID\n");
    EXPECT_EQ(Select(T::TblData, Fields({F::ItemUse, F::ItemUnit})),
              "select distinct\n  ItemUse,\n  TblItemUnit.Units as ItemUnit,\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1O /* TblItem */ on ( Item_Key = Data_ID ) and ( ItemIndex = 1 )\n"
              "  left outer join VktDB1B as TblItemUnit on TblItemUnit.Units_ID = ItemUnit_Key\n"
              "order by\n  Data_ID\n");
}

TEST(SqlWizSelect, JoinedAttributeTableIsQualified) {
    EXPECT_EQ(Select(T::TblData, Fields({F::Attribute, F::AttrCheck}), Ints({0, 1})),
              "select distinct\n  Attribute,\n  VktDB1J.AttrCheck as AttrCheck,\n  Data_ID\n"
              "From\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1J /* TblAttribute */ on VktDB1J.Attribute_Key = Data_ID\n"
              "  left outer join VktDB1D /* TblAttrItem */ on AttrItem_ID = VktDB1J.AttrItem_Key\n"
              "order by\n  VktDB1J.AttrCheck,\n  Data_ID\n");
    // On its own table nothing is qualified.
    EXPECT_EQ(Select(T::TblAttribute, Fields({F::AttrItem_Key, F::AttrCheck})),
              "select distinct\n  AttrItem_Key,\n  AttrCheck,\n  Attribute_Key\nFrom\n  VktDB1J /* TblAttribute */\n"
              "order by\n  Attribute_Key\n");
}

// ---- Filter conditions --------------------------------------------------------------------------------

TEST(SqlWizFilter, OperatorTexts) {
    const struct {
        std::uint8_t op;
        const char* text;
    } cases[] = {
        {0, "Data=:Data_b0"},
        {1, "Data<>:Data_b0"},
        {2, "Data>=:Data_b0"},
        {3, "Data<=:Data_b0"},
        {4, "(Data>=:Data_b0)and(Data<=:Data_e0)"},
        {5, "((Data<:Data_b0)or(Data>:Data_e0))"},
        {6, "(Data like :Data_b0)"},
        {7, "not(Data like :Data_b0)"},
        {8, "Data=:Data_b0"},
        {9, "Data is null"},
        {10, "Data is not null"},
        {11, "Data=:Data_b0"},
        {200, "Data=:Data_b0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Where(One(F::Data, c.op)), c.text) << "operator " << int(c.op);
}

TEST(SqlWizFilter, ConditionsOfOneFieldAreAlternatives) {
    EXPECT_EQ(Where(One(F::BuyPrice, 2)), "BuyPrice>=:BuyPrice_b0");
    TFilters data(F::Data);
    data.Add(6, Variant("a"), Variant());
    data.Add(6, Variant("b"), Variant());
    EXPECT_EQ(Where(data), "((Data like :Data_b0)or(Data like :Data_b1))");
    TFilters remained(F::Remained);
    remained.Add(9, Variant(), Variant());
    remained.Add(3, Variant(1.0), Variant());
    EXPECT_EQ(Where(remained), "((Remained is null)or(Remained<=:Remained_b1))");
}

TEST(SqlWizFilter, CostRateIsWrappedEvenAlone) {
    EXPECT_EQ(Where(One(F::CostRate, 4)),
              "(((( UsePrice / SalePrice ) * 100 )>=:CostRate_b0)and((( UsePrice / SalePrice ) * 100 )<=:CostRate_e0))");
    EXPECT_EQ(Where(One(F::CostRate, 0)), "((( UsePrice / SalePrice ) * 100 )=:CostRate_b0)");
    // The stored inventory total is computed too: its expression stands in the condition.
    EXPECT_EQ(Where(One(F::InvTotalPrice, 9)), "(( InvPrice * cast( Remained as money )) is null)");
}

TEST(SqlWizFilter, ClassSubtreeAndTextTogether) {
    TFilterObject filter;
    filter.Add(F::Class_ID, 0, Variant(3), Variant());
    filter.Add(F::Data, 6, Variant("x"), Variant());
    EXPECT_EQ(Select(T::TblData, Fields({F::Data_ID}), TPriorityItem(), filter),
              "select distinct\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1A /* TblClass */ on Class_ID = Class_Key\n"
              "where\n"
              "  (treeid like ( select treeid || '%' from vktdb1a where class_id = :Class_ID_b0 ))and\n"
              "  (Data like :Data_b0)\n"
              "order by\n  Data_ID\n");
}

TEST(SqlWizFilter, AttributeChecksJoinOneAliasEach) {
    TFilterObject filter;
    filter.SetFilters(QuickToFilters(Ints({3, 4}), Ints({1, 0})));
    EXPECT_EQ(Select(T::TblData, Fields({F::Data_ID}), TPriorityItem(), filter),
              "select distinct\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1J as TblAttribute0 on Data_ID = TblAttribute0.Attribute_Key and "
              "TblAttribute0.AttrItem_Key = :AttrCheck_b0\n"
              "  left outer join VktDB1J as TblAttribute1 on Data_ID = TblAttribute1.Attribute_Key and "
              "TblAttribute1.AttrItem_Key = :AttrCheck_b1\n"
              "where\n"
              "  ( TblAttribute0.AttrItem_Key = :AttrCheck_b0 )and( TblAttribute0.AttrCheck = :AttrCheck_e0 )and\n"
              "  ( TblAttribute1.AttrItem_Key = :AttrCheck_b1 )and( TblAttribute1.AttrCheck = :AttrCheck_e1 )\n"
              "order by\n  Data_ID\n");
}

TEST(SqlWizFilter, TrashState) {
    TFilterObject live;
    live.Add(F::Erase_Key, 9, Variant(), Variant());
    EXPECT_EQ(Select(T::TblData, Fields({F::Data_ID}), TPriorityItem(), live),
              "select distinct\n  Data_ID\nFrom\n  VktDB1F /* TblData */\n"
              "  left outer join VktDB1G /* TblErase */ on Erase_Key = Data_ID\n"
              "where\n  Conserve = false and Erase_Key is null\norder by\n  Data_ID\n");
    TFilterObject trash;
    trash.Add(F::Erase_Key, 10, Variant(), Variant());
    EXPECT_NE(Select(T::TblData, Fields({F::Data_ID}), TPriorityItem(), trash)
                  .find("where\n  Conserve = true or Erase_Key is not null\n"),
              std::string::npos);
}

TEST(SqlWizFilter, FilterKinds) {
    TFilterObject units;
    units.SetKind(3);
    units.Add(F::Data, 0, Variant("ignored"), Variant());
    EXPECT_EQ(Select(T::TblUnits, Fields({F::Units}), TPriorityItem(), units),
              "select distinct\n  Units,\n  Units_ID\nFrom\n  VktDB1B /* TblUnits */\n"
              "where\n  UnitsType=0 or (UnitsType=3 and UnitsKind=false)\norder by\n  Units_ID\n");
    units.SetKind(4);
    EXPECT_NE(Select(T::TblUnits, Fields({F::Units}), TPriorityItem(), units)
                  .find("  UnitsType=0 or (UnitsType=1 and UnitsKind=true)\n"),
              std::string::npos);

    const std::string plain = Select(T::TblData, Fields({F::Data}));
    TFilterObject other;
    other.SetKind(7);
    other.Add(F::Data, 0, Variant("x"), Variant());
    EXPECT_EQ(Select(T::TblData, Fields({F::Data}), TPriorityItem(), other), plain);
    // An entry whose conditions were all removed adds no join and no condition.
    TFilterObject emptied;
    emptied.SetFilters(TFilters(F::BuyPrice));
    emptied.SetFilters(TFilters(F::Class_ID));
    EXPECT_EQ(Select(T::TblData, Fields({F::Data}), TPriorityItem(), emptied), plain);
}

TEST(SqlWizFilter, ParameterNumbersRestartPerField) {
    TFilterObject filter;
    filter.Add(F::Data, 0, Variant("a"), Variant());
    filter.Add(F::Data2, 0, Variant("b"), Variant());
    const std::string sql = Select(T::TblData, Fields({F::Data_ID}), TPriorityItem(), filter);
    EXPECT_NE(sql.find("  (Data=:Data_b0)and\n  (Data2=:Data2_b0)\n"), std::string::npos) << sql;
}

// ---- Write statements ---------------------------------------------------------------------------------

TEST(SqlWizWrite, Texts) {
    EXPECT_EQ(GetUpdateSql(F::Data, "EditData", Ints({12})), "update VktDB1F set Data=:EditData where Data_ID=12");
    EXPECT_EQ(GetInsertSql(F::Memo, "EditData", Ints({12})), "insert into VktDB1H (Memo_Key,Memo) values (12,:EditData)");
    EXPECT_EQ(GetDeleteSql(F::Memo, Ints({12})), "delete from VktDB1H where Memo_Key=12");
    EXPECT_EQ(GetUpdateSql(F::AttrCheck, "EditData", Ints({12, 3})),
              "update VktDB1J set AttrCheck=:EditData where Attribute_Key=12 and AttrItem_Key=3");
    EXPECT_EQ(GetUpdateSql(F::ItemUse, "EditData", Ints({12, 3})),
              "update VktDB1O set ItemUse=:EditData where Item_Key=12 and ItemIndex=3");
    // Key values are matched to the table's columns by position only.
    EXPECT_EQ(GetInsertSql(F::Information2, "EditData", Ints({12, 5})),
              "insert into VktDB1P (Information_Key,Information,Information2) values (12,5,:EditData)");
    EXPECT_EQ(GetDeleteSql(F::AttrCheck, Ints({-1, 3})), "delete from VktDB1J where Attribute_Key=-1 and AttrItem_Key=3");
}

TEST(SqlWizWrite, EmptyKeyListIsRefused) {
    EXPECT_THROW(GetUpdateSql(F::Data, "EditData", TPriorityItem()), platform::Error);
    EXPECT_THROW(GetDeleteSql(F::Memo, TPriorityItem()), platform::Error);
    EXPECT_THROW(GetInsertSql(F::Memo, "EditData", TPriorityItem()), platform::Error);
}

using SqlWizDb = SqlFixture;

TEST_F(SqlWizDb, WriteStatementsRun) {
    Add(vkttest::DataRow{.Data_ID = 12, .InvItem = false, .Class_Key = 1, .Data = "Old"});
    auto run = [&](const std::string& sql, const Variant& value) {
        platform::Statement statement(db, sql);
        if (statement.HasParameter("EditData")) statement.Bind("EditData", value);
        return statement.Execute();
    };
    EXPECT_EQ(run(GetUpdateSql(F::Data, "EditData", Ints({12})), Variant("New")), 1);
    EXPECT_EQ(run(GetInsertSql(F::AttrCheck, "EditData", Ints({12, 3})), Variant(true)), 1);
    EXPECT_EQ(run(GetUpdateSql(F::AttrCheck, "EditData", Ints({12, 3})), Variant(false)), 1);
    EXPECT_EQ(run(GetDeleteSql(F::AttrCheck, Ints({12, 3})), Variant()), 1);
    platform::Statement check(db, "select Data from VktDB1F where Data_ID=12");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.GetText(0), "New");
}

// ---- Saved queries ------------------------------------------------------------------------------------

TEST(SqlWizQuery, SavedQueryReadsBackToTheSameStatement) {
    TFilterObject filter;
    filter.SetName("q");
    filter.Add(F::Data, 6, Variant("on"), Variant());
    filter.Add(F::UsePrice, 4, Variant(100.0), Variant(500.0));
    const TPriorityItem fields = Fields({F::Data, F::UsePrice});
    const TPriorityItem orders = Ints({1, 2});

    platform::XmlDocument doc;
    platform::XmlNode root = doc.CreateDocumentElement("Queries");
    VktQueryToXML(root, T::TblData, fields, orders, filter);
    const platform::XmlNode query = root.FindChild("VktQuery");
    ASSERT_FALSE(query.IsNull());
    EXPECT_EQ(query.GetAttribute("Version"), "1.0");
    EXPECT_EQ(query.GetAttribute("TableType"), "TblData");
    EXPECT_EQ(query.FindChild("Select").GetAttribute("Fields"), "Data,UsePrice");
    EXPECT_EQ(query.FindChild("Order").GetAttribute("Fields"), "Data=Asc,UsePrice=Desc");
    EXPECT_EQ(query.FindChild("Filter").GetAttribute("Name"), "q");

    // Through the text form, as a file would carry it.
    platform::XmlDocument reread;
    reread.LoadFromString(doc.SaveToString());
    EXPECT_EQ(XMLToVktSQLString(reread.GetDocumentElement().FindChild("VktQuery")),
              VktSQLString(T::TblData, fields, orders, filter));
}

TEST(SqlWizQuery, OptionalChildren) {
    platform::XmlDocument doc;
    platform::XmlNode root = doc.CreateDocumentElement("Queries");
    VktQueryToXML(root, T::TblClass, TPriorityItem(), Ints({1}), TFilterObject());
    const platform::XmlNode query = root.FindChild("VktQuery");
    EXPECT_EQ(query.GetChildCount(), 1);
    EXPECT_TRUE(query.HasAttribute("TableType"));
    EXPECT_EQ(query.FindChild("Select").GetAttribute("Fields", "absent"), "");
    EXPECT_EQ(XMLToVktSQLString(query), VktSQLString(T::TblClass, TPriorityItem(), TPriorityItem(), TFilterObject()));
}

TEST(SqlWizQuery, BadElements) {
    platform::XmlDocument doc;
    doc.LoadFromString(R"(<Q>
        <VktQuery Version="1.0" TableType="TblNothing"><Select Fields="Data"/></VktQuery>
        <VktQuery Version="1.0" TableType="TblData"/>
        <VktQuery Version="1.0" TableType="TblData"><Select Fields="Data"/><Order Fields="Data2=Asc"/></VktQuery>
        <VktQuery Version="1.0" TableType="TblData"><Select Fields="Nothing,Data"/><Order Fields="Nothing=Desc,Data=Asc"/></VktQuery>
        <VktQuery Version="1.0" TableType=""><Select Fields="Data"/></VktQuery>
    </Q>)");
    const platform::XmlNode q = doc.GetDocumentElement();
    EXPECT_THROW(XMLToVktSQLString(q.GetChild(0)), platform::Error);
    EXPECT_THROW(XMLToVktSQLString(q.GetChild(1)), platform::Error);
    EXPECT_THROW(XMLToVktSQLString(q.GetChild(2)), platform::ListIndexError);
    // The unknown name is dropped with its order; Data keeps its own.
    EXPECT_EQ(XMLToVktSQLString(q.GetChild(3)), Select(T::TblData, Fields({F::Data}), Ints({1})));
    EXPECT_THROW(XMLToVktSQLString(q.GetChild(4)), platform::Error);
}

// Columns the base cannot reach are left out of a saved query with their orders, as stored layouts
// leave them out; a unit view left with nothing to select is refused.
TEST_F(SqlWizDb, SavedQueryLeavesOutColumnsItsBaseCannotReach) {
    platform::XmlDocument doc;
    doc.LoadFromString(R"(<Q>
        <VktQuery Version="1.0" TableType="TblData"><Select Fields="Data,Initial,Units,Units2,Form2"/>
          <Order Fields="Units=Desc,Form2=Desc,Data=Asc"/></VktQuery>
        <VktQuery Version="1.0" TableType="TblDealer"><Select Fields="Company,Data,UsePrice"/>
          <Order Fields="Data=Asc"/></VktQuery>
        <VktQuery Version="1.0" TableType="TblForm"><Select Fields="Units,Form2"/></VktQuery>
        <VktQuery Version="1.0" TableType="TblForm"><Select Fields="Units,Data"/></VktQuery>
    </Q>)");
    const platform::XmlNode q = doc.GetDocumentElement();
    const std::string records = XMLToVktSQLString(q.GetChild(0));
    EXPECT_EQ(records, Select(T::TblData, Fields({F::Data, F::Form2}), Ints({1, 2})));
    const std::string dealers = XMLToVktSQLString(q.GetChild(1));
    EXPECT_EQ(dealers, Select(T::TblDealer, Fields({F::Company}), Ints({0})));
    const std::string forms = XMLToVktSQLString(q.GetChild(2));
    EXPECT_EQ(forms, Select(T::TblForm, Fields({F::Form2}), Ints({0})));
    for (const std::string& sql : {records, dealers, forms}) {
        platform::Statement statement(db, sql);
        EXPECT_FALSE(statement.Step());
    }
    EXPECT_THROW(XMLToVktSQLString(q.GetChild(3)), platform::Error);
}

// ---- Every combination prepares ------------------------------------------------------------------------

const T kBaseTables[] = {T::TblData, T::TblItem, T::TblInventory};

// A sample value of the field's type.
Variant Sample(F field) {
    switch (GetFieldType(field)) {
    case platform::FieldType::String: return Variant("a");
    case platform::FieldType::Boolean: return Variant(true);
    case platform::FieldType::Float: return Variant(1.5);
    case platform::FieldType::Currency: return Variant(platform::Currency::FromInt(2));
    case platform::FieldType::Date:
    case platform::FieldType::DateTime: return Variant::FromDateTime(platform::EncodeDate(2024, 3, 1));
    default: return Variant(1);
    }
}

TEST_F(SqlWizDb, EverySingleFieldAndOrderPrepares) {
    std::vector<std::string> failures;
    for (T table : kBaseTables)
        for (F field : ListFields.Fields())
            for (int order : {0, 1, 2}) {
                const std::string sql = Select(table, Fields({field}), Ints({order}));
                try {
                    platform::Statement statement(db, sql);
                    statement.Step();
                } catch (const platform::Error& e) {
                    failures.push_back(e.what());
                }
            }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first:\n" << failures.front();
}

TEST_F(SqlWizDb, EveryPairOfFieldsPrepares) {
    std::vector<std::string> failures;
    int count = 0;
    for (T table : kBaseTables)
        for (F first : ListFields.Fields())
            for (F second : ListFields.Fields()) {
                const std::string sql = Select(table, Fields({first, second}), Ints({0, 0}));
                ++count;
                try {
                    platform::Statement statement(db, sql);
                } catch (const platform::Error& e) {
                    failures.push_back(e.what());
                }
            }
    EXPECT_EQ(count, 3 * ListFields.Count() * ListFields.Count());
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first:\n" << failures.front();
}

TEST_F(SqlWizDb, EveryFilterFieldAndOperatorPreparesAndBinds) {
    std::vector<std::string> failures;
    for (T table : kBaseTables)
        for (F field : FilterFields.Fields())
            for (int op = 0; op <= 10; ++op) {
                TFilterObject filter;
                filter.Add(field, static_cast<std::uint8_t>(op), Sample(field), Sample(field));
                filter.Add(field, static_cast<std::uint8_t>((op + 4) % 11), Sample(field), Sample(field));
                filter.Add(F::Data, 6, Variant("b"), Variant());
                for (const TPriorityItem& fields : {TPriorityItem(), Fields({field, F::Class})}) {
                    const std::string sql = Select(table, fields, Ints({1, 2}), filter);
                    try {
                        platform::Statement statement(db, sql);
                        SetFilterParams(filter, statement, table);
                        statement.Step();
                    } catch (const platform::Error& e) {
                        failures.push_back(e.what());
                    }
                }
            }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first:\n" << failures.front();
}

// A condition on a field of the base table itself always stands in the statement and binds; a
// condition on a field the base cannot reach is left out of both, without an error.
TEST_F(SqlWizDb, EveryBaseFiltersOnItsOwnFieldsAndLeavesOutTheOthers) {
    std::vector<std::string> failures;
    auto run = [&](T base, F field, bool reached) {
        TFilterObject filter;
        const std::uint8_t op = field == F::AttrCheck ? foAttrCheck : foEqual;
        filter.Add(field, op, Sample(field), Sample(field));
        const std::string where = std::string(GetTableName(base)) + " " + GetFieldName(field) + ": ";
        // A unit view lists no key of its own: its first column stands in the select.
        const std::string sql = Select(base, Fields({GetTableFirstField(base)}), TPriorityItem(), filter);
        if ((sql.find(":" + FilterBeginParam(field, 0)) != std::string::npos) != reached)
            failures.push_back(where + (reached ? "condition left out\n" : "condition kept\n") + sql);
        try {
            platform::Statement statement(db, sql);
            SetFilterParams(filter, statement, base);
            statement.Step();
        } catch (const platform::Error& e) {
            failures.push_back(where + e.what());
        }
    };
    for (int b = 1; b < VktTableCount; ++b) {
        const T base = ToVktTable(b);
        const TVktFieldSet reachable = GetTableFieldSet(base);
        for (int f = 1; f < VktFieldCount; ++f) {
            const F field = ToVktField(f);
            if (GetFieldTable(field) == base && reachable.Contains(field)) run(base, field, true);
            else if (!reachable.Contains(field)) run(base, field, false);
        }
        // The units table's and the settings' columns are reached only from their own tables.
        if (base != T::TblUnits)
            for (F field : {F::Units, F::Units2, F::UnitsType}) run(base, field, false);
        if (base != T::TblInitialize) run(base, F::Initial, false);
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first:\n" << failures.front();
}

TEST_F(SqlWizDb, QuickFilterReachesTheRecordFromItemAndInventoryRows) {
    // The attribute joins test Data_ID: on an item or inventory base the record must be joined
    // before them, even when no listed field asks for it.
    Add(vkttest::DataRow{.Data_ID = 1, .Class_Key = 1, .Data = "A"});
    Add(vkttest::DataRow{.Data_ID = 2, .Class_Key = 1, .Data = "B"});
    Sql("insert into VktDB1J (Attribute_Key, AttrItem_Key, AttrCheck) values (1,7,1),(2,7,0)");
    Sql("insert into VktDB1Q (Inventory_Key, InvDate_Key, InvUnit_Key, InvPrice, Remained) values (1,1,0,10,1),(2,1,0,20,1)");
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key) values (9,1,0,0,1),(9,2,0,1,2)");
    TFilterObject filter;
    filter.SetFilters(QuickToFilters(Ints({7}), Ints({1})));
    for (const auto& [table, key] : {std::pair{T::TblInventory, F::Inventory_Key}, std::pair{T::TblItem, F::Data_Key}}) {
        const std::string sql = Select(table, Fields({key}), TPriorityItem(), filter);
        platform::Statement statement(db, sql);
        SetFilterParams(filter, statement, table);
        std::vector<int> keys;
        while (statement.Step()) keys.push_back(statement.GetInt(GetFieldName(key)));
        EXPECT_EQ(keys, std::vector<int>{1}) << sql;
    }
}

TEST_F(SqlWizDb, QuickFilterWithListedAttributePrepares) {
    TFilterObject filter;
    filter.SetFilters(QuickToFilters(Ints({1, 2}), Ints({1, 1})));
    filter.Add(F::Data, 6, Variant("a"), Variant());
    for (T table : {T::TblData}) {
        const std::string sql = Select(table, Fields({F::Attribute, F::AttrCheck, F::AttrItem_Key}), Ints({1, 2, 0}), filter);
        platform::Statement statement(db, sql);
        SetFilterParams(filter, statement, table);
        EXPECT_FALSE(statement.Step());
    }
}

// ---- Filters select the expected records ----------------------------------------------------------------

class SqlWizFilterDb : public SqlFixture {
protected:
    void SetUp() override {
        SqlFixture::SetUp();
        // Class tree: 3 has the sub-classes 4 and 5; 6 is its sibling; 8 a recipe class.
        Sql("insert into VktDB1A (Class_ID, TreeID, ClassType, Class) values "
            "(1,'01',0,'root'),(2,'0101',1,'食材'),(3,'010101',1,'野菜'),(4,'01010101',1,'葉物'),"
            "(5,'01010102',1,'根菜'),(6,'010102',1,'肉'),(7,'0102',2,'料理'),(8,'010201',2,'ソース'),"
            "(9,'02',-1,'ゴミ箱')");
        struct Record { int id; bool conserve; int classKey; const char* name; platform::Variant name2; int price; };
        const auto null = platform::Variant::Null();
        const Record records[] = {
            {1, false, 4, "Spinach", "Épinard", 120},      {2, false, 5, "Carrot", null, 80},
            {3, false, 6, "Beef", "Bœuf", 900},            {4, false, 8, "Tomato sauce", null, 250},
            {5, false, 8, "Demi-glace", "Demi-glace", 600}, {6, false, 5, "Onion", "Oignon", 50},
            {7, true, 6, "Old pork", null, 300},
        };
        for (const Record& r : records)
            Add(vkttest::DataRow{.Data_ID = r.id, .Conserve = r.conserve, .InvItem = false, .Class_Key = r.classKey,
                                 .Data = r.name, .Data2 = r.name2, .UsePrice = r.price});
        Sql("insert into VktDB1G (Erase_Key, EraseDate) values (6,'2024-03-01 10:00:00')");
        Sql("insert into VktDB1D (AttrItem_ID, Attribute) values (1,'有機'),(2,'国産')");
        Sql("insert into VktDB1J (Attribute_Key, AttrItem_Key, AttrCheck) values "
            "(1,1,1),(1,2,1),(2,1,1),(2,2,0),(3,2,1)");
        Sql("insert into VktDB1N (Cook_Key, Complete, TotalPrice, SalePrice) values (4,1,250,1000),(5,1,600,1500)");
    }
};

TEST_F(SqlWizFilterDb, ClassWithItsSubClasses) {
    TFilterObject filter;
    filter.Add(F::Class_ID, 0, Variant(3), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{1, 2, 6}));
    filter.Clear();
    filter.Add(F::Class_ID, 0, Variant(4), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{1}));
}

TEST_F(SqlWizFilterDb, LiveAndTrashStates) {
    TFilterObject live;
    live.Add(F::Erase_Key, 9, Variant(), Variant());
    EXPECT_EQ(Ids(live), (std::vector<int>{1, 2, 3, 4, 5}));
    TFilterObject trash;
    trash.Add(F::Erase_Key, 10, Variant(), Variant());
    EXPECT_EQ(Ids(trash), (std::vector<int>{6, 7}));
}

TEST_F(SqlWizFilterDb, TwoAttributeChecksMustBothHold) {
    TFilterObject filter;
    filter.SetFilters(QuickToFilters(Ints({1, 2}), Ints({1, 1})));
    EXPECT_EQ(Ids(filter), (std::vector<int>{1}));
    filter.SetFilters(QuickToFilters(Ints({1, 2}), Ints({1, 0})));
    EXPECT_EQ(Ids(filter), (std::vector<int>{2}));
    filter.SetFilters(QuickToFilters(Ints({2}), Ints({1})));
    EXPECT_EQ(Ids(filter), (std::vector<int>{1, 3}));
}

TEST_F(SqlWizFilterDb, CostRateRangeInEitherDirection) {
    TFilterObject filter;
    filter.Add(F::CostRate, 4, Variant(20.0), Variant(30.0));
    EXPECT_EQ(Ids(filter), (std::vector<int>{4}));
    filter.Clear();
    filter.Add(F::CostRate, 4, Variant(45), Variant(35));
    EXPECT_EQ(Ids(filter), (std::vector<int>{5}));
    filter.Clear();
    filter.Add(F::CostRate, 5, Variant(50), Variant(30));
    EXPECT_EQ(Ids(filter), (std::vector<int>{4}));
}

TEST_F(SqlWizFilterDb, TextConditions) {
    TFilterObject filter;
    filter.Add(F::Data, 6, Variant("SPIN"), Variant());   // ASCII letters regardless of case
    filter.Add(F::Data, 6, Variant("glace"), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{1, 5}));
    filter.Clear();
    filter.Add(F::Data2, 9, Variant(), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{2, 4, 7}));
    filter.Clear();
    filter.Add(F::Data2, 6, Variant("œ"), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{3}));
    filter.Clear();
    filter.Add(F::Data, 7, Variant("o"), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{1, 3, 5}));
}

TEST_F(SqlWizFilterDb, PriceRangeEnteredBackwardsAndCombinedFields) {
    TFilterObject filter;
    filter.Add(F::UsePrice, 4, Variant(300), Variant(100));
    EXPECT_EQ(Ids(filter), (std::vector<int>{1, 4, 7}));
    filter.Add(F::Class_ID, 0, Variant(6), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{7}));
}

// Conditions on the columns that are no plain column of their own base: a unit view's names, the
// category index of recipe items (the text the lists show) and the attribute rows' checks.
TEST_F(SqlWizFilterDb, ComputedAndViewColumnsSelectOnTheirOwnBase) {
    Sql("insert into VktDB1B (Units_ID, UnitsKind, UnitsType, Units, Units2) values "
        "(1,0,1,'kg','kilo'),(2,0,1,'g','gramme'),(3,0,1,'L','litre')");
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key) values "
        "(4,1,1,2,1),(4,2,27,0,2),(4,3,0,5,3),(4,4,99,1,6)");
    auto keys = [&](T base, F key, const TFilterObject& filter) {
        const std::string sql = Select(base, Fields({key}), TPriorityItem(), filter);
        platform::Statement statement(db, sql);
        SetFilterParams(filter, statement, base);
        std::vector<int> out;
        while (statement.Step()) out.push_back(statement.GetInt(0));
        return out;
    };
    auto one = [](F field, std::uint8_t op, Variant begin, Variant end = Variant()) {
        TFilterObject filter;
        filter.Add(field, op, begin, end);
        return filter;
    };
    EXPECT_EQ(keys(T::TblItem, F::ItemIndex, one(F::ItemCatIndex, foEqual, Variant("a-0"))), std::vector<int>{2});
    EXPECT_EQ(keys(T::TblItem, F::ItemIndex, one(F::ItemCatIndex, foNotEqual, Variant("A-2"))), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(keys(T::TblItem, F::ItemIndex, one(F::ItemCatIndex, foEqual, Variant("@-1"))), std::vector<int>{4});
    EXPECT_EQ(keys(T::TblData, F::Data_ID, one(F::ItemCatIndex, foEqual, Variant("A-2"))), std::vector<int>{4});
    // A view's rows are the units; its Form2 is their second name.
    const std::string sql = Select(T::TblForm, Fields({F::Form2}), TPriorityItem(), one(F::Form2, foContains, Variant("l")));
    platform::Statement forms(db, sql);
    SetFilterParams(one(F::Form2, foContains, Variant("l")), forms, T::TblForm);
    std::vector<std::string> names;
    while (forms.Step()) names.push_back(forms.GetText(0));
    EXPECT_EQ(names, (std::vector<std::string>{"kilo", "litre"}));
    // On the attribute rows, a check is the row's own item and state.
    TFilterObject checks;
    checks.SetFilters(QuickToFilters(Ints({2}), Ints({1})));
    EXPECT_EQ(keys(T::TblAttribute, F::Attribute_Key, checks), (std::vector<int>{1, 3}));
    // On the trash rows, Erase_Key is a plain column.
    EXPECT_EQ(keys(T::TblErase, F::Erase_Key, one(F::Erase_Key, foEqual, Variant(6))), std::vector<int>{6});
}

TEST_F(SqlWizFilterDb, InventoryTotalIsComputedInTheCondition) {
    Sql("insert into VktDB1Q (Inventory_Key, InvDate_Key, InvUnit_Key, InvPrice, Remained) values "
        "(1,1,0,100,2.5),(2,1,0,80,10),(2,2,0,80,1)");
    TFilterObject filter;
    filter.Add(F::InvTotalPrice, 2, Variant(300), Variant());
    EXPECT_EQ(Ids(filter), (std::vector<int>{2}));
    filter.Add(F::InvTotalPrice, 4, Variant(200), Variant(260));
    EXPECT_EQ(Ids(filter), (std::vector<int>{1, 2}));
}

} // namespace
