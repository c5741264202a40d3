#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SqlFixture.h"
#include "core/Priorityitem.h"
#include "core/Uvktsupport.h"
#include "data/Ufilterstruct.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/StringList.h"
#include "platform/Xml.h"

namespace {

using F = TVktField;
using platform::Variant;

TPriorityItem Ints(std::initializer_list<int> values) {
    TPriorityItem list;
    for (int v : values) list << v;
    return list;
}

std::vector<std::string> Texts(const std::vector<TFilterTextPiece>& pieces) {
    std::vector<std::string> texts;
    for (const auto& piece : pieces) texts.push_back(piece.Text);
    return texts;
}

// Field order of a filter's entries, as a compact text.
std::string EntryOrder(const TFilterObject& filter) {
    std::string text;
    for (int i = 0; i < filter.GetCount(); ++i) {
        if (i > 0) text += ",";
        text += GetFieldName(filter.GetFilters(i).GetField());
    }
    return text;
}

// ---- TFilters ----------------------------------------------------------------------------------------

TEST(Filters, ValueSemantics) {
    TFilters a(F::Data);
    a.Add(foEqual, Variant("x"), Variant());
    a.Add(foBetween, Variant("a"), Variant("k"));
    TFilters b = a;
    EXPECT_EQ(a, b);
    b.Add(foIsEmpty, Variant(), Variant());
    EXPECT_EQ(a.GetCount(), 2);
    EXPECT_NE(a, b);

    a = a;   // self-assignment keeps everything
    EXPECT_EQ(a.GetCount(), 2);
    EXPECT_EQ(a.GetBegin(1), Variant("a"));
    EXPECT_EQ(a.GetEnd(1), Variant("k"));
    EXPECT_EQ(a.GetOperator(1), foBetween);

    // The order of the conditions counts, and so does the field.
    TFilters reversed(F::Data);
    reversed.Add(foBetween, Variant("a"), Variant("k"));
    reversed.Add(foEqual, Variant("x"), Variant());
    EXPECT_NE(a, reversed);
    TFilters otherField = a;
    otherField.SetField(F::Data2);
    EXPECT_NE(a, otherField);

    EXPECT_THROW(a.GetOperator(2), platform::ListIndexError);
    EXPECT_THROW(a.GetBegin(-1), platform::ListIndexError);
    a.Clear();
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.GetField(), F::None);
}

TEST(Filters, QuickToFilters) {
    const TFilters quick = QuickToFilters(Ints({3, 7}), Ints({1, 0}));
    EXPECT_EQ(quick.GetField(), F::AttrCheck);
    ASSERT_EQ(quick.GetCount(), 2);
    EXPECT_EQ(quick.GetOperator(0), foAttrCheck);
    EXPECT_EQ(quick.GetBegin(1).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(quick.GetBegin(1).AsInt(), 7);
    EXPECT_EQ(quick.GetEnd(0).GetKind(), Variant::Kind::Boolean);
    EXPECT_TRUE(quick.GetEnd(0).AsBool());
    EXPECT_FALSE(quick.GetEnd(1).AsBool());

    const TFilters none = QuickToFilters(TPriorityItem(), TPriorityItem());
    EXPECT_EQ(none.GetField(), F::AttrCheck);
    EXPECT_EQ(none.GetCount(), 0);
}

// ---- TFilterObject -----------------------------------------------------------------------------------

TEST(FilterObject, Entries) {
    TFilterObject filter;
    EXPECT_EQ(filter.GetKind(), 0);
    EXPECT_EQ(filter.GetName(), "");
    filter.Add(F::Data, foContains, Variant("a"), Variant());
    filter.Add(F::UsePrice, foAtLeast, Variant(10), Variant());
    filter.Add(F::Data, foContains, Variant("b"), Variant());
    EXPECT_EQ(EntryOrder(filter), "Data,UsePrice");
    EXPECT_EQ(filter.GetFilters(0).GetCount(), 2);
    EXPECT_EQ(filter.IndexOf(F::UsePrice), 1);
    EXPECT_EQ(filter.IndexOf(F::Data2), -1);

    TFilters price(F::UsePrice);
    price.Add(foAtMost, Variant(99), Variant());
    filter.SetFilters(price);   // replaces in place
    EXPECT_EQ(EntryOrder(filter), "Data,UsePrice");
    EXPECT_EQ(filter.GetFilters(1), price);
    filter.SetFilters(TFilters(F::Yield));   // appended
    EXPECT_EQ(EntryOrder(filter), "Data,UsePrice,Yield");

    filter.Remove(F::BuyPrice);   // no entry: nothing
    filter.Remove(F::Data);
    EXPECT_EQ(EntryOrder(filter), "UsePrice,Yield");
    EXPECT_THROW(filter.GetFilters(2), platform::ListIndexError);

    filter.SetName("n");
    filter.SetKind(2);
    filter.Clear();
    EXPECT_EQ(filter.GetCount(), 0);
    EXPECT_EQ(filter.GetName(), "n");
    EXPECT_EQ(filter.GetKind(), 2);
}

TEST(FilterObject, EqualityIgnoresEntryOrderOnly) {
    TFilterObject a;
    a.Add(F::Data, foEqual, Variant("x"), Variant());
    a.Add(F::UsePrice, foAtLeast, Variant(10), Variant());
    TFilterObject b;
    b.Add(F::UsePrice, foAtLeast, Variant(10), Variant());
    b.Add(F::Data, foEqual, Variant("x"), Variant());
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);

    TFilterObject c = a;
    c.Add(F::Data, foEqual, Variant("y"), Variant());
    TFilterObject d = a;
    d.Remove(F::Data);
    d.Add(F::Data, foEqual, Variant("y"), Variant());
    d.Add(F::Data, foEqual, Variant("x"), Variant());
    EXPECT_NE(c, d);   // the conditions of one field in opposite order

    TFilterObject named = a;
    named.SetName("N");
    EXPECT_NE(a, named);
    TFilterObject kind = a;
    kind.SetKind(1);
    EXPECT_NE(a, kind);
}

TEST(FilterObject, Assignment) {
    TFilterObject a;
    a.Add(F::Data, foEqual, Variant("x"), Variant());
    a.Add(F::UsePrice, foAtLeast, Variant(10), Variant());
    TFilterObject b;
    b.Add(F::UsePrice, foAtLeast, Variant(10), Variant());
    b.Add(F::Data, foEqual, Variant("x"), Variant());

    a = b;   // equal: nothing happens, the entry order stays
    EXPECT_EQ(EntryOrder(a), "Data,UsePrice");
    a = a;
    EXPECT_EQ(EntryOrder(a), "Data,UsePrice");

    b.SetName("other");
    b.SetKind(4);
    a = b;
    EXPECT_EQ(a, b);
    EXPECT_EQ(EntryOrder(a), "UsePrice,Data");
    EXPECT_EQ(a.GetName(), "other");
    EXPECT_EQ(a.GetKind(), 4);
}

TEST(FilterObject, DescriptionPieces) {
    TFilterObject filter;
    filter.Add(F::Data, foEqual, Variant("abc"), Variant());
    filter.Add(F::Data, foBetween, Variant("a"), Variant("k"));
    filter.Add(F::Data, foIsEmpty, Variant(), Variant());
    EXPECT_EQ(Texts(filter.GetTextPieces(0)),
              (std::vector<std::string>{"'", "abc", "'", " に一致する", "か または ", "'", "a", "'", " から ", "'", "k",
                                        "'", " までを含む", "か または ", "'", "", "'"}));
    EXPECT_EQ(filter.GetText(0), "'abc' に一致するか または 'a' から 'k' までを含むか または ''");
    for (const auto& piece : filter.GetTextPieces(0)) EXPECT_FALSE(piece.Latin);
    EXPECT_TRUE(filter.GetTextPieces(1).empty());
    EXPECT_EQ(filter.GetText(-1), "");

    // Second-language values are Latin pieces; the fixed pieces are not.
    TFilterObject french;
    french.Add(F::Data2, foOutside, Variant("Épinard"), Variant("Oignon"));
    EXPECT_EQ(french.GetTextPieces(0),
              (std::vector<TFilterTextPiece>{{"'", false}, {"Épinard", true}, {"'", false}, {" から ", false},
                                             {"'", false}, {"Oignon", true}, {"'", false}, {" までを含まない", false}}));

    // Ids shown as the names of a value list; an id the list lacks shows as itself.
    platform::StringList names;
    names.AddObject("業者A", reinterpret_cast<void*>(std::intptr_t{1}));
    names.AddObject("業者B", reinterpret_cast<void*>(std::intptr_t{2}));
    TFilterObject dealer;
    dealer.Add(F::Dealer_Key, foNotEqual, Variant(2), Variant());
    dealer.Add(F::Dealer_Key, foEqual, Variant(9), Variant());
    EXPECT_EQ(dealer.GetText(0, &names), "'業者B' に一致しないか または '9' に一致する");
    EXPECT_EQ(dealer.GetText(0), "'2' に一致しないか または '9' に一致する");
}

// ---- Filter XML --------------------------------------------------------------------------------------

// A filter over every value type; ends of non-range conditions are the zero values of their types.
TFilterObject AllTypes() {
    const platform::TDateTime day = platform::EncodeDate(2024, 3, 1);
    TFilterObject filter;
    filter.SetName("全部");
    filter.Add(F::Data, foContains, Variant("トマト"), Variant(""));
    filter.Add(F::Data2, foEqual, Variant("Épinard \\ \"q\""), Variant(""));
    filter.Add(F::Data2, foBetween, Variant("Bœuf"), Variant("Crème"));
    filter.Add(F::Form_Key, foBetween, Variant(10), Variant(5));
    filter.Add(F::Dealer_Key, foIsEmpty, Variant(), Variant(0));
    filter.Add(F::BuyPrice, foAtLeast, Variant(platform::Currency::FromText("12.5")), Variant(platform::Currency()));
    filter.Add(F::Yield, foAtMost, Variant(85.25), Variant(0.0));
    filter.Add(F::InvItem, foEqual, Variant(true), Variant(false));
    filter.Add(F::CreateDate, foOutside, Variant::FromDateTime(day + platform::EncodeTime(9, 5, 7)),
               Variant::FromDateTime(day + 30));
    filter.Add(F::InvDate_Key, foNotEqual, Variant(3), Variant(0));
    filter.Add(F::MHistoryDate, foEqual, Variant::FromDateTime(day), Variant::FromDateTime(0.0));
    return filter;
}

TEST(FilterXml, Structure) {
    TFilterObject filter;
    filter.SetName("F1");
    filter.Add(F::Data, foContains, Variant("abc"), Variant("ignored"));
    filter.Add(F::UsePrice, foBetween, Variant(1.5), Variant(3));
    filter.Add(F::Data2, foBetween, Variant("é"), Variant(""));
    filter.SetFilters(TFilters(F::Yield));   // no conditions: not written

    platform::XmlDocument doc;
    filter.SaveToXml(doc.CreateDocumentElement("Filter"));
    const platform::XmlNode root = doc.GetDocumentElement();
    EXPECT_EQ(root.GetAttribute("Name"), "F1");
    ASSERT_EQ(root.GetChildCount(), 3);
    const platform::XmlNode data = root.GetChild(0);
    EXPECT_EQ(data.GetName(), "Field");
    EXPECT_EQ(data.GetAttribute("Name"), "Data");
    ASSERT_EQ(data.GetChildCount(), 1);
    EXPECT_EQ(data.GetChild(0).GetName(), "Logic");
    EXPECT_EQ(data.GetChild(0).GetAttributes(),
              (std::vector<std::pair<std::string, std::string>>{{"Type", "6"}, {"Begin", "abc"}, {"End", ""}}));
    EXPECT_EQ(root.GetChild(1).GetChild(0).GetAttributes(),
              (std::vector<std::pair<std::string, std::string>>{{"Type", "4"}, {"Begin", "1.5"}, {"End", "3"}}));
    // French values in hexadecimal of their bytes; an empty end stays empty.
    EXPECT_EQ(root.GetChild(2).GetChild(0).GetAttribute("Begin"), "C3A9");
    EXPECT_EQ(root.GetChild(2).GetChild(0).GetAttribute("End"), "");

    TFilterObject empty;
    empty.SetName("E");
    empty.SetFilters(TFilters(F::Data));
    platform::XmlDocument emptyDoc;
    empty.SaveToXml(emptyDoc.CreateDocumentElement("Filter"));
    EXPECT_EQ(emptyDoc.GetDocumentElement().GetChildCount(), 0);
    EXPECT_EQ(emptyDoc.GetDocumentElement().GetAttributeCount(), 1);
}

TEST(FilterXml, RoundTripKeepsEveryValue) {
    TFilterObjects list;
    list.AddNew();
    TFilterObject filter = AllTypes();
    filter.SetKind(5);
    list.SetItem(0, filter);
    list.AddNew();

    platform::XmlDocument doc;
    list.SaveToXML(doc.CreateDocumentElement("FilterSet"));
    platform::XmlDocument reread;
    reread.LoadFromString(doc.SaveToString());
    EXPECT_NE(doc.SaveToString().find(BinToAsc("Bœuf")), std::string::npos);

    TFilterObjects loaded;
    loaded.LoadFromXML(reread.GetDocumentElement());
    ASSERT_EQ(loaded.GetCount(), 2);
    filter.SetKind(0);   // the kind is not stored
    EXPECT_EQ(loaded.GetItem(0), filter);
    EXPECT_EQ(EntryOrder(loaded.GetItem(0)), EntryOrder(filter));
    EXPECT_EQ(loaded.Get(1).GetName(), "新規ユーザーフィルター1");
    EXPECT_EQ(loaded.Get(1).GetCount(), 0);

    // A single filter read in place keeps its kind.
    TFilterObject single;
    single.SetKind(3);
    single.LoadFromXml(reread.GetDocumentElement().GetChild(0));
    EXPECT_EQ(single.GetKind(), 3);
    EXPECT_EQ(single.GetName(), "全部");
}

TEST(FilterXml, ReadingTypesTheValuesByField) {
    platform::XmlDocument doc;
    doc.LoadFromString(R"(<Filter Name="x">
        <Field Name="Form_Key"><Logic Type="0" Begin="7" End="99"/></Field>
        <Field Name="NoSuchField"><Logic Type="0" Begin="1" End=""/></Field>
        <Field Name="None"><Logic Type="0" Begin="1" End=""/></Field>
        <Field Name="Quantity"><Logic Type="5" Begin="0.5" End="2"/></Field>
        <Field Name="Data"><Logic Type="9" Begin="" End=""/></Field>
        <Field Name="ChangeDate"><Logic Type="2" Begin="2024/03/01 9:05:00" End=""/></Field>
    </Filter>)");
    TFilterObject filter;
    filter.LoadFromXml(doc.GetDocumentElement());
    EXPECT_EQ(EntryOrder(filter), "Form_Key,Quantity,Data,ChangeDate");
    const TFilters form = filter.GetFilters(0);
    EXPECT_EQ(form.GetBegin(0).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(form.GetBegin(0).AsInt(), 7);
    EXPECT_EQ(form.GetEnd(0), Variant(0));   // not a range: the zero value, "End" unread
    EXPECT_EQ(filter.GetFilters(1).GetEnd(0), Variant(2.0));
    EXPECT_EQ(filter.GetFilters(2).GetBegin(0), Variant(""));
    EXPECT_EQ(filter.GetFilters(3).GetBegin(0).GetKind(), Variant::Kind::DateTime);
    EXPECT_EQ(platform::ToIsoDateTime(filter.GetFilters(3).GetBegin(0).AsDateTime()), "2024-03-01 09:05:00");
}

// ---- TFilterObjects ----------------------------------------------------------------------------------

class FilterObjectsNotice : public ::testing::Test {
protected:
    void SetUp() override {
        list.OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, &list);
            ++fired;
        };
    }
    TFilterObjects list;
    int fired = 0;
};

TEST_F(FilterObjectsNotice, FiresAfterEachChange) {
    list.AddNew();
    list.AddNew();
    list.AddNew();
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(list.Get(2).GetName(), "新規ユーザーフィルター3");

    TFilterObject same = list.GetItem(1);
    list.SetItem(1, same);
    EXPECT_EQ(fired, 3);   // equal: no notice
    same.Add(F::Data, foEqual, Variant("x"), Variant());
    list.SetItem(1, same);
    EXPECT_EQ(fired, 4);
    EXPECT_EQ(list.Get(1), same);

    list.Move(1, 2);
    EXPECT_EQ(fired, 5);
    EXPECT_EQ(list.Get(2), same);
    list.Delete(0);
    EXPECT_EQ(fired, 6);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_THROW(list.Delete(2), platform::ListIndexError);
    EXPECT_EQ(fired, 6);

    list.Clear();   // once per deleted filter
    EXPECT_EQ(fired, 8);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(FilterObjectsNotice, LoadingFiresOnce) {
    list.AddNew();
    list.AddNew();
    fired = 0;
    platform::XmlDocument doc;
    doc.LoadFromString(R"(<FilterSet><Filter Name="a"/><Other Name="b"><Field Name="Data"><Logic Type="6" Begin="x" End=""/></Field></Other></FilterSet>)");
    list.LoadFromXML(doc.GetDocumentElement());
    EXPECT_EQ(fired, 1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Get(0).GetName(), "a");
    EXPECT_EQ(list.Get(1).GetName(), "b");
    EXPECT_EQ(list.Get(1).GetFilters(0).GetBegin(0), Variant("x"));

    list.LoadFromXML(platform::XmlNode());   // no node: just cleared
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(FilterObjectsNotice, FailedLoadKeepsWhatWasReadAndNoticesAgain) {
    platform::XmlDocument doc;
    doc.LoadFromString(R"(<FilterSet><Filter Name="good"/>
        <Filter Name="bad"><Field Name="UsePrice"><Logic Type="0" Begin="12x" End=""/></Field></Filter>
        <Filter Name="never"/></FilterSet>)");
    EXPECT_THROW(list.LoadFromXML(doc.GetDocumentElement()), platform::ConvertError);
    EXPECT_EQ(fired, 0);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Get(0).GetName(), "good");
    list.AddNew();   // the loading flag is cleared again
    EXPECT_EQ(fired, 1);
}

TEST_F(FilterObjectsNotice, NothingWhileDestroyingOrWithoutHandler) {
    int destroyedFired = 0;
    {
        TFilterObjects temporary;
        temporary.AddNew();
        temporary.OnChange = [&](TObject*) { ++destroyedFired; };
    }
    EXPECT_EQ(destroyedFired, 0);
    TFilterObjects silent;
    silent.AddNew();
    silent.Delete(0);
    EXPECT_EQ(silent.GetCount(), 0);
}

TEST(FilterObjects, NewNameTakesTheFirstFreeNumber) {
    TFilterObjects list;
    EXPECT_EQ(list.NewName(), "新規ユーザーフィルター1");
    list.AddNew();
    list.AddNew();
    list.AddNew();
    TFilterObject renamed = list.GetItem(1);
    renamed.SetName("mine");
    list.SetItem(1, renamed);
    EXPECT_EQ(list.NewName(), "新規ユーザーフィルター2");
}

// ---- Binding -----------------------------------------------------------------------------------------

using FilterParams = SqlFixture;

// The values bound to the statement's parameters, read back as their SQL texts and types.
std::vector<std::string> Bound(platform::Statement& statement) {
    EXPECT_TRUE(statement.Step());
    std::vector<std::string> values;
    for (int i = 0; i < statement.ColumnCount(); ++i) {
        static const char* const kinds[] = {"null", "int", "real", "text", "blob"};
        values.push_back(std::string(kinds[static_cast<int>(statement.GetStorageClass(i))]) + ":" +
                         statement.GetText(i));
    }
    return values;
}

TEST_F(FilterParams, BindsThePartValues) {
    TFilterObject filter;
    filter.Add(F::Form_Key, foBetween, Variant(10), Variant(5));
    filter.Add(F::Form_Key, foOutside, Variant(5), Variant(5));
    filter.Add(F::Data, foContains, Variant("abc"), Variant("unused"));
    filter.Add(F::Data, foIsNotEmpty, Variant(), Variant());
    filter.Add(F::Data, foNotContains, Variant(12), Variant());
    filter.Add(F::UsePrice, foAtLeast, Variant(platform::Currency::FromText("12.5")), Variant());
    filter.Add(F::CreateDate, foAtMost, Variant::FromDateTime(platform::EncodeDateTime(2024, 3, 1, 9, 5, 0)), Variant());
    filter.Add(F::MHistoryDate, foEqual, Variant::FromDateTime(platform::EncodeDate(2024, 3, 1)), Variant());
    filter.Add(F::MHistoryDate, foContains, Variant::FromDateTime(platform::EncodeDate(2024, 3, 1)), Variant());
    filter.Add(F::InvItem, foEqual, Variant(true), Variant());
    filter.SetFilters(QuickToFilters(Ints({3}), Ints({1})));
    filter.Add(F::Class_ID, foEqual, Variant(4), Variant());
    filter.Add(F::Erase_Key, foIsEmpty, Variant(), Variant());

    platform::Statement statement(
        db, "select :Form_Key_b0, :Form_Key_e0, :Form_Key_b1, :Form_Key_e1, :Data_b0, :Data_b2, :UsePrice_b0, "
            ":CreateDate_b0, :MHistoryDate_b0, :MHistoryDate_b1, :InvItem_b0, :AttrCheck_b0, :AttrCheck_e0, "
            ":Class_ID_b0");
    SetFilterParams(filter, statement, TVktTable::TblData);
    EXPECT_EQ(Bound(statement),
              (std::vector<std::string>{"int:5", "int:10", "int:5", "int:5", "text:%abc%", "text:%12%", "real:12.5",
                                        "text:2024-03-01 09:05:00", "text:2024-03-01", "text:%2024-03-01%", "int:1",
                                        "int:3", "int:1", "int:4"}));
}

TEST_F(FilterParams, NamesOnlyWhatTheStatementHolds) {
    TFilterObject emptyOnly;
    emptyOnly.Add(F::Data, foIsEmpty, Variant(), Variant());
    emptyOnly.Add(F::UsePrice, foIsNotEmpty, Variant(), Variant());
    platform::Statement plain(db, "select 1");
    EXPECT_NO_THROW(SetFilterParams(emptyOnly, plain, TVktTable::TblData));

    TFilterObject units;   // a unit-list filter binds nothing
    units.SetKind(2);
    units.Add(F::Data, foEqual, Variant("x"), Variant());
    EXPECT_NO_THROW(SetFilterParams(units, plain, TVktTable::TblData));

    TFilterObject data;
    data.Add(F::Data, foEqual, Variant("x"), Variant());
    EXPECT_THROW(SetFilterParams(data, plain, TVktTable::TblData), platform::DatabaseError);
}

} // namespace
