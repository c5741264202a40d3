// Report layouts in layout files and the binding: round trips of the database group, the types
// kept for later, refused and unknown items, bad sort fields, and where items may be created or
// moved.
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/Files.h"
#include "platform/Xml.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmemocontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

namespace {

using F = TVktField;
using vkttest::ReportDatabase;
using Attributes = std::vector<std::pair<std::string, std::string>>;

std::vector<std::pair<std::string, Attributes>> Elements(const platform::XmlNode& node)
{
    std::vector<std::pair<std::string, Attributes>> out{{node.GetName(), node.GetAttributes()}};
    for (const platform::XmlNode& child : node.GetChildren())
        for (auto& element : Elements(child)) out.push_back(std::move(element));
    return out;
}

std::vector<std::pair<std::string, Attributes>> FileElements(const std::string& path)
{
    platform::XmlDocument doc;
    doc.LoadFromFile(path);
    return Elements(doc.GetDocumentElement());
}

class ReportLayoutFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object(), ReportDatabase::FoodFilter());
    }

    // A record card: name and French name, memo and picture of three records per page.
    TVktTopContainer* Card()
    {
        auto* top = layout->Add<TVktTopContainer>(11, nullptr);
        TAccessFieldStruct sort;
        sort.GetFields() << ToInt(F::Data);
        sort.GetOrders() << 2;
        top->SetAccessFields(sort);
        top->SetPageDataCount(3);
        top->SetFontName2("Arial");
        for (int slot = 1; slot <= 3; ++slot) {
            auto* group = layout->Add<TVktContainer>(12, top);
            group->SetPageDataIndex(slot);
            layout->Add<TVktFieldContainer>(13, group)->SetField(ToInt(F::Data));
            layout->Add<TVktFieldContainer>(13, group)->SetField(ToInt(F::Data2));
            layout->Add(14, group);
            layout->Add(15, group);
        }
        return top;
    }

    std::string Save(TPreview& preview, const std::string& name)
    {
        const std::string path = db->Folder() + "/" + name;
        preview.SaveToFile(path);
        return path;
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
};

TEST_F(ReportLayoutFileTest, TheDatabaseGroupRoundTripsWithDefaultsLeftOut)
{
    Card();
    const std::string first = Save(*layout->preview, "first.xml");
    ASSERT_TRUE(vkttest::Scripted().messages.empty());
    const auto elements = FileElements(first);
    std::vector<Attributes> items;
    for (const auto& [name, attributes] : elements)
        if (name == "Item") items.push_back(attributes);
    ASSERT_EQ(items.size(), 16u);
    auto value = [](const Attributes& a, const std::string& name) {
        for (const auto& [key, v] : a)
            if (key == name) return v;
        return std::string("-");
    };
    EXPECT_EQ(value(items[0], "Container"), "VktBaseContainer");
    EXPECT_EQ(value(items[0], "PageDataCount"), "3");
    EXPECT_EQ(value(items[0], "Fields"), "Data");
    EXPECT_EQ(value(items[0], "Orders"), "2");
    EXPECT_EQ(value(items[0], "FontName2"), "Arial");
    EXPECT_EQ(value(items[0], "FontSize2"), "-");
    EXPECT_EQ(value(items[6], "Container"), "VktContainer");
    EXPECT_EQ(value(items[6], "PageDataIndex"), "2");
    EXPECT_EQ(value(items[6], "SubData"), "-");
    EXPECT_EQ(value(items[7], "Container"), "VktField");
    EXPECT_EQ(value(items[7], "PageDataIndex"), "-");   // the group's slot
    EXPECT_EQ(value(items[7], "Field"), "45");
    EXPECT_EQ(value(items[9], "Container"), "VktMemo");
    EXPECT_EQ(value(items[9], "RichText"), "-");
    EXPECT_EQ(value(items[10], "Container"), "VktImage");
    EXPECT_EQ(value(items[10], "ImageData"), "-");

    vkttest::BoundLayout second(&db->Object(), ReportDatabase::FoodFilter());
    second.preview->LoadFromFile(first);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());
    EXPECT_EQ(FileElements(Save(*second.preview, "again.xml")), elements);
    // Loaded and bound, the layout shows what the original shows.
    EXPECT_EQ(second.Dump(1), layout->Dump(1));
    EXPECT_EQ(second.Dump(4), layout->Dump(4));
    EXPECT_NE(second.Dump(1).find("[食材11][Aliment 11]"), std::string::npos) << second.Dump(1);
}

TEST_F(ReportLayoutFileTest, LaterTypesComeBackUnchangedAndMisplacedItemsDrop)
{
    Card();
    platform::XmlDocument doc;
    doc.LoadFromFile(Save(*layout->preview, "card.xml"));
    platform::XmlNode page = doc.GetDocumentElement().FindChild("PageObject");
    platform::XmlNode top = page.GetChild(0);
    platform::XmlNode field = top.GetChild(0).GetChild(0);
    // The templates anywhere, with the font attributes only.
    for (const char* name : {"VktDataList", "VktRecipe", "VktMenu"}) {
        platform::XmlNode item = page.AddChild("Item");
        for (const auto& [key, v] : top.GetAttributes())
            if (key != "PageDataCount" && key != "Fields" && key != "Orders" && key != "FontName2" &&
                key != "FontSize2")
                item.SetAttribute(key, key == "Container" ? std::string(name) : v);
    }
    const std::string kept = db->Folder() + "/kept.xml";
    doc.SaveToFile(kept, platform::XmlEncoding::ShiftJis);
    vkttest::BoundLayout second(&db->Object());
    second.preview->LoadFromFile(kept);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());
    EXPECT_EQ(FileElements(Save(*second.preview, "kept2.xml")), FileElements(kept));

    // A data container directly on the page stops the reading there, and a name in other letter
    // case is no type of the table.
    platform::XmlNode stray = page.AddChild("Item");
    for (const auto& [key, v] : field.GetAttributes()) stray.SetAttribute(key, v);
    stray.AddChild("Item").SetAttribute("Container", "Text");
    platform::XmlNode lower = top.AddChild("Item");
    for (const auto& [key, v] : field.GetAttributes()) lower.SetAttribute(key, v);
    lower.SetAttribute("Container", "vktfield");
    const std::string bad = db->Folder() + "/bad.xml";
    doc.SaveToFile(bad, platform::XmlEncoding::ShiftJis);
    vkttest::BoundLayout third(&db->Object());
    third.preview->LoadFromFile(bad);
    TViewItems* items = third.preview->GetItems();
    int types[18] = {};
    for (int i = 0; i < items->GetCount(); ++i)
        if (TContainer* c = ContainerOf(items->GetItem(i))) ++types[c->GetType() >= 0 && c->GetType() < 18 ? c->GetType() : 0];
    EXPECT_EQ(types[13], 6);   // the stray field is gone
    EXPECT_EQ(types[2], 0);    // with what it held
    EXPECT_EQ(types[0], 1);    // the lower-case name as a placeholder
    EXPECT_EQ(types[8] + types[9] + types[10], 3);
}

TEST_F(ReportLayoutFileTest, BadSortFieldsStayOutOfTheQuery)
{
    auto* top = Card();
    platform::XmlDocument doc;
    doc.LoadFromFile(Save(*layout->preview, "card.xml"));
    platform::XmlNode node = doc.GetDocumentElement().FindChild("PageObject").GetChild(0);
    node.SetAttribute("Fields", "Bogus,Units,Data,data");
    node.SetAttribute("Orders", "1,1,2");
    const std::string path = db->Folder() + "/bad.xml";
    doc.SaveToFile(path, platform::XmlEncoding::ShiftJis);
    vkttest::BoundLayout second(&db->Object(), ReportDatabase::FoodFilter());
    second.preview->LoadFromFile(path);
    auto* loaded = second.binding->GetTopContainers().at(0);
    EXPECT_EQ(loaded->GetAccessFields().GetFields().GetCommaText(), "10,45");
    EXPECT_EQ(loaded->GetAccessFields().GetOrders().GetCommaText(), "1,2");
    // Units cannot be listed on the records' table: the query still lists every record.
    EXPECT_EQ(loaded->GetRowCount(), 11);
    EXPECT_EQ(loaded->GetQueryFields().GetItem(0), ToInt(F::Data));
    EXPECT_EQ(second.Dump(1), layout->Dump(1));

    // Without a count the container holds one page.
    platform::XmlNode bare = doc.GetDocumentElement().AddChild("Item");
    bare.SetAttribute("Fields", "Data");
    top->LoadFromXml(bare);
    EXPECT_EQ(top->GetPageDataCount(), 0);
    EXPECT_EQ(top->GetPageMax(), 1);
}

TEST_F(ReportLayoutFileTest, WhereItemsMayBeCreatedAndMoved)
{
    auto* top = Card();
    auto* plain = layout->Add(1, nullptr);
    auto* text = layout->Add(2, plain);
    TViewItem* group = top->GetViewItem()->GetItem(0);
    TViewItem* field = group->GetItem(0);
    TVktLayoutBinding& b = *layout->binding;
    // Created while reading a file: data containers only below a database or data container.
    const struct { TViewItem* parent; int type; bool allowed; } creates[] = {
        {nullptr, 11, true}, {nullptr, 8, true}, {nullptr, 13, false}, {plain->GetViewItem(), 13, false},
        {top->GetViewItem(), 13, true}, {group, 14, true}, {plain->GetViewItem(), 11, true}};
    for (const auto& c : creates) {
        TViewItem* probe = layout->preview->GetItems()->AddViewItem(c.parent, nullptr);
        bool accept = !c.allowed;
        b.PreviewCanNewContainer(layout->preview.get(), probe, c.type, accept);
        EXPECT_EQ(accept, c.allowed) << c.type;
        probe->Delete();
    }
    auto* other = layout->Add<TVktTopContainer>(11, nullptr);
    const struct { TViewItem* moved; TViewItem* target; bool asChild; bool allowed; } moves[] = {
        {top->GetViewItem(), other->GetViewItem(), true, false},
        {top->GetViewItem(), plain->GetViewItem(), true, true},
        {field, plain->GetViewItem(), true, false},
        {field, other->GetViewItem(), true, true},
        {field, group, false, true},
        {field, text->GetViewItem(), false, false},
        {text->GetViewItem(), group, true, true}};
    for (const auto& m : moves) {
        bool accept = !m.allowed;
        b.PreviewCanMoveItem(layout->preview.get(), m.moved, m.target, m.asChild, accept);
        EXPECT_EQ(accept, m.allowed);
    }

    // A moved field finds its new database container and takes its values; both re-query.
    other->SetFilter(ReportDatabase::IdFilter({db->Ingredients()[4]}));
    other->SetPageDataCount(1);
    auto* moved = dynamic_cast<TVktFieldContainer*>(ContainerOf(field));
    const int before = top->GetQueryCount();
    const int otherBefore = other->GetQueryCount();
    layout->preview->ItemMove(field, other->GetViewItem(), true);
    EXPECT_EQ(moved->GetTopContainer(), other);
    EXPECT_EQ(moved->GetPageDataCount(), 1);
    EXPECT_EQ(moved->GetPageDataIndex(), 0);
    EXPECT_EQ(top->GetQueryCount(), before + 1);
    EXPECT_EQ(other->GetQueryCount(), otherBefore + 1);
    EXPECT_EQ(other->GetQueryFields().GetCommaText(), "45,40");
    moved->SetPageDataIndex(1);
    moved->SetPage(1);
    EXPECT_EQ(moved->GetText(), "食材05");
}

TEST_F(ReportLayoutFileTest, TypeTableNamesAndCaptions)
{
    TVktLayoutBinding& b = *layout->binding;
    std::string name = "x";
    b.PreviewContainerTypeToName(nullptr, 7, name);
    EXPECT_EQ(name, "x");
    int type = 0;
    b.PreviewContainerTypeFromName(nullptr, "VKTMEMO", type);
    EXPECT_EQ(type, 0);
    for (const TVktContainerType& row : VktContainerTypes) {
        b.PreviewContainerTypeToName(nullptr, row.Code, name);
        b.PreviewContainerTypeFromName(nullptr, name, type);
        EXPECT_EQ(type, row.Code);
        EXPECT_EQ(layout->preview->GetContainerCaption(row.Code), row.Caption);
        TContainer* made = nullptr;
        b.PreviewNewContainer(nullptr, row.Code, made);
        EXPECT_NE(made, nullptr) << row.Code;
        if (made) {
            EXPECT_EQ(made->GetType(), row.Code);
        }
        delete made;
    }
    EXPECT_EQ(layout->preview->GetContainerCaption(14), "データメモ");
}

} // namespace
