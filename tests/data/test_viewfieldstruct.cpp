#include <gtest/gtest.h>

#include <string>

#include "data/Uviewfieldstruct.h"
#include "data/Vkttabledefine.h"
#include "platform/Errors.h"
#include "platform/Xml.h"

namespace {

TPriorityItem List(std::initializer_list<int> items) {
    TPriorityItem list;
    for (int i : items) list << i;
    return list;
}

TViewFieldStruct View(std::initializer_list<int> names, std::initializer_list<int> orders,
                      std::initializer_list<int> widths) {
    TViewFieldStruct view;
    view.SetName(List(names));
    view.SetOrder(List(orders));
    view.SetWidth(List(widths));
    return view;
}

// Comma texts of the three lists, for readable failures.
std::string Dump(const TViewFieldStruct& view) {
    return view.GetName().GetCommaText() + "|" + view.GetOrder().GetCommaText() + "|" +
           view.GetWidth().GetCommaText();
}

constexpr int kData = ToInt(TVktField::Data);
constexpr int kUsePrice = ToInt(TVktField::UsePrice);
constexpr int kForm2 = ToInt(TVktField::Form2);

TEST(FieldStructs, InequalityComparesEveryList) {
    const TViewFieldStruct a = View({kData, kUsePrice}, {1, 0}, {120, 80});
    EXPECT_FALSE(a != View({kData, kUsePrice}, {1, 0}, {120, 80}));
    EXPECT_TRUE(a != View({kData, kUsePrice}, {1, 0}, {120, 81}));
    EXPECT_TRUE(a != View({kData, kUsePrice}, {2, 0}, {120, 80}));
    EXPECT_TRUE(a != View({kUsePrice, kData}, {1, 0}, {120, 80}));
    EXPECT_FALSE(TViewFieldStruct() != TViewFieldStruct());

    TAccessFieldStruct x, y;
    x.SetFields(List({kData}));
    y.SetFields(List({kData}));
    EXPECT_FALSE(x != y);
    y.SetOrders(List({2}));
    EXPECT_TRUE(x != y);

    TPreviewFieldStruct p, q;
    p.GetName() << kData;
    q.GetName() << kData;
    EXPECT_FALSE(p != q);
    q.SetReturn(List({1}));
    EXPECT_TRUE(p != q);
}

TEST(FieldStructs, CopiesAreIndependentValues) {
    TPreviewFieldStruct p;
    p.SetName(List({kData}));
    p.SetReturn(List({1}));
    TPreviewFieldStruct copy(p);
    EXPECT_FALSE(copy != p);
    copy.GetReturn().SetItem(0, 0);
    EXPECT_TRUE(copy != p);
    EXPECT_EQ(p.GetReturn().GetItem(0), 1);

    TViewFieldStruct v = View({kData}, {1}, {120});
    const TViewFieldStruct& alias = v;
    v = alias;  // self-assignment keeps the lists
    EXPECT_EQ(Dump(v), "45|1|120");
}

class ViewFieldXml : public ::testing::Test {
protected:
    platform::XmlDocument doc_;
    platform::XmlNode root_ = doc_.CreateDocumentElement("ViewFields");
};

TEST_F(ViewFieldXml, SaveWritesOneElementPerColumn) {
    View({kData, kUsePrice}, {1, 0}, {120, 80}).SaveToXml(root_);
    ASSERT_EQ(root_.GetChildCount(), 2);
    const platform::XmlNode first = root_.GetChild(0);
    EXPECT_EQ(first.GetName(), "ViewField");
    using Attrs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(first.GetAttributes(), (Attrs{{"Name", "Data"}, {"Order", "1"}, {"Width", "120"}}));
    EXPECT_EQ(root_.GetChild(1).GetAttributes(), (Attrs{{"Name", "UsePrice"}, {"Order", "0"}, {"Width", "80"}}));
}

TEST_F(ViewFieldXml, SaveThenLoadIsEqual) {
    const TViewFieldStruct saved = View({kData, kUsePrice, kForm2, ToInt(TVktField::InvTotalPrice)},
                                        {1, 0, 2, -1}, {120, 80, 0, -5});
    saved.SaveToXml(root_);
    // Through the text form as well, as the settings store keeps it.
    platform::XmlDocument reread;
    reread.LoadFromString(doc_.SaveToString());
    TViewFieldStruct loaded = View({kData}, {9}, {9});  // replaced, not appended to
    loaded.LoadFromXml(reread.GetDocumentElement());
    EXPECT_FALSE(loaded != saved) << Dump(loaded);
    EXPECT_EQ(Dump(loaded), Dump(saved));
}

TEST_F(ViewFieldXml, SaveWithShortListsRaisesBeforeWriting) {
    EXPECT_THROW(View({kData, kUsePrice}, {1, 0}, {120}).SaveToXml(root_), platform::ListIndexError);
    EXPECT_THROW(View({kData, kUsePrice}, {1}, {120, 80}).SaveToXml(root_), platform::ListIndexError);
    EXPECT_EQ(root_.GetChildCount(), 0);
    View({}, {}, {}).SaveToXml(root_);
    EXPECT_EQ(root_.GetChildCount(), 0);
}

TEST_F(ViewFieldXml, LoadReadsEveryChildElementWhateverItsName) {
    platform::XmlNode a = root_.AddChild("ViewField");
    a.SetAttribute("Width", "30");
    a.SetAttribute("Name", "Class");
    a.SetAttribute("Order", "2");
    platform::XmlNode b = root_.AddChild("Column");
    b.SetAttribute("Name", "None");
    b.SetAttribute("Order", "0");
    b.SetAttribute("Width", "0");
    TViewFieldStruct view;
    view.LoadFromXml(root_);
    EXPECT_EQ(Dump(view), "4,0|2,0|30,0");
}

TEST_F(ViewFieldXml, LoadWithoutChildrenOrNodeGivesEmptyLists) {
    TViewFieldStruct view = View({kData}, {1}, {120});
    view.LoadFromXml(root_);
    EXPECT_EQ(Dump(view), "||");
    view = View({kData}, {1}, {120});
    view.LoadFromXml(platform::XmlNode());
    EXPECT_EQ(Dump(view), "||");
}

// A column whose name is no field is dropped whole, so the lists stay parallel and a later save
// writes only real columns.
TEST_F(ViewFieldXml, LoadSkipsUnknownColumnNames) {
    doc_.LoadFromString(
        "<ViewFields>"
        "<ViewField Name=\"Data\" Order=\"1\" Width=\"120\"/>"
        "<ViewField Name=\"NoSuchField\" Order=\"1\" Width=\"50\"/>"
        "<ViewField Name=\"data\" Order=\"0\" Width=\"50\"/>"
        "<ViewField Order=\"0\" Width=\"50\"/>"
        "<ViewField Name=\"UsePrice\" Order=\"0\" Width=\"80\"/>"
        "</ViewFields>");
    TViewFieldStruct view;
    view.LoadFromXml(doc_.GetDocumentElement());
    EXPECT_EQ(Dump(view), "45,48|1,0|120,80");

    platform::XmlDocument out;
    platform::XmlNode root = out.CreateDocumentElement("ViewFields");
    view.SaveToXml(root);
    ASSERT_EQ(root.GetChildCount(), 2);
    EXPECT_EQ(root.GetChild(1).GetAttribute("Name"), "UsePrice");
}

TEST_F(ViewFieldXml, LoadRaisesOnMissingOrNonIntegerNumbersKeepingEarlierColumns) {
    for (const char* bad : {"<ViewField Name=\"UsePrice\" Order=\"0\"/>",
                            "<ViewField Name=\"UsePrice\" Order=\"x\" Width=\"80\"/>",
                            "<ViewField Name=\"UsePrice\" Order=\"0\" Width=\"12a\"/>"}) {
        SCOPED_TRACE(bad);
        doc_.LoadFromString(std::string("<V><ViewField Name=\"Data\" Order=\"1\" Width=\"120\"/>") + bad +
                            "<ViewField Name=\"Data2\" Order=\"0\" Width=\"60\"/></V>");
        TViewFieldStruct view;
        EXPECT_THROW(view.LoadFromXml(doc_.GetDocumentElement()), platform::VariantError);
        EXPECT_EQ(Dump(view), "45|1|120");
    }
}

} // namespace
