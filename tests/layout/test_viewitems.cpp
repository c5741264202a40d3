#include "layout/Uviewitems.h"

#include "gui/QtSupport.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string JoinStrings(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : "|") + part;
    return out;
}

std::string RectDump(const TRect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

class ViewItemsTest : public testing::Test {
protected:
    // A child of `parent` (the page when null) at (x, y, r, b) in 1/100 mm.
    TViewItem* Add(TViewItem* parent, TRect mm, const std::string& name = {})
    {
        TViewItem* item = items.AddViewItem(parent, nullptr);
        item->SetMMBoundRect_(mm);
        if (!name.empty())
            item->SetName(name);
        return item;
    }
    void SetUp() override { items.GetPageRoot()->SetMMBoundRect_({0, 0, 21000, 29700}); }

    TViewItems items;
};

} // namespace

TEST_F(ViewItemsTest, DualUnitsKeepTheMillimetreSizeOnAMove)
{
    TViewItem* item = Add(nullptr, {1000, 1000, 4333, 2777});
    EXPECT_EQ(RectDump(item->GetBoundRect_()), "39,39,170,108");
    for (int step = 0; step < 20; ++step)
        item->SetPoint_(item->GetLeft_() + 7, item->GetTop_() + 3);
    EXPECT_EQ(item->GetMMWidth_(), 3333) << "moves keep the millimetre size";
    EXPECT_EQ(item->GetMMHeight_(), 1777);
    // Each inch edge is taken back from the millimetres, truncated.
    EXPECT_EQ(RectDump(item->GetBoundRect_()), "163,87,294,156");
    item->SetWidth_(200);
    EXPECT_EQ(item->GetMMWidth_(), 5080);

    item->SetMarginRect_({500, 10, 500, 10});
    EXPECT_EQ(RectDump(item->GetMarginRect_()), "200,10,0,10") << "margins clamped to the width";
    EXPECT_EQ(RectDump(item->GetMMMarginRect_()), "5080,254,0,254");
    item->SetMMMarginRect_({100, 100, 100, 100});
    EXPECT_EQ(RectDump(item->GetMarginRect_()), "3,3,3,3");
    EXPECT_EQ(RectDump(item->GetTrueRect_()), "166,90,360,153");
}

TEST_F(ViewItemsTest, AlignedLayoutBySizeAndRate)
{
    TViewItem* parent = Add(nullptr, {0, 0, 10000, 20000});
    TViewItem* fixed = Add(parent, {0, 0, 500, 4000});
    fixed->SetAlign(alTop);
    TViewItem* half1 = Add(parent, {0, 0, 100, 100});
    half1->SetAlign(alTop);
    half1->SetAlignRate(50);
    TViewItem* half2 = Add(parent, {0, 0, 100, 100});
    half2->SetAlign(alTop);
    half2->SetAlignRate(50);
    EXPECT_EQ(RectDump(fixed->GetMMBoundRect_()), "0,0,10000,4000");
    EXPECT_EQ(RectDump(half1->GetMMBoundRect_()), "0,4000,10000,12000") << "half of the 160 mm left";
    EXPECT_EQ(RectDump(half2->GetMMBoundRect_()), "0,12000,10000,20000");

    TViewItem* left = Add(parent, {0, 0, 3000, 100});
    left->SetAlign(alLeft);
    EXPECT_EQ(RectDump(left->GetMMBoundRect_()), "0,20000,3000,20000") << "no height left below the top items";
    half2->SetAlignSize_(30000);
    EXPECT_EQ(half2->GetAlignRate(), 0);
    EXPECT_EQ(RectDump(half1->GetMMBoundRect_()), "0,4000,10000,4000") << "no space left for the rate";
    EXPECT_EQ(RectDump(half2->GetMMBoundRect_()), "0,4000,10000,20000") << "cut to the space left";

    TViewItem* client = Add(parent, {0, 0, 1, 1});
    half1->SetAlign(alNone);
    half2->SetAlign(alNone);
    client->SetAlign(alClient);
    EXPECT_EQ(RectDump(client->GetMMBoundRect_()), "3000,4000,10000,20000");
    parent->SetMMMarginRect_({1000, 0, 0, 0});
    EXPECT_EQ(RectDump(fixed->GetMMBoundRect_()), "1000,0,10000,4000");
    EXPECT_EQ(RectDump(client->GetMMBoundRect_()), "4000,4000,10000,20000");
    EXPECT_EQ(RectDump(parent->GetMMClientRect_()), RectDump(client->GetMMBoundRect_()));
}

TEST_F(ViewItemsTest, ChangeBoundPlacesAgainstTheParent)
{
    TViewItem* parent = Add(nullptr, {2540, 2540, 27940, 27940}); // 100 … 1100 in 1/100 inch
    TViewItem* item = Add(parent, {2540, 2540, 7620, 5080});     // 200 × 100
    const struct {
        int kind;
        const char* rect;
    } cases[] = {{8, "900,100,1100,200"}, {9, "900,1000,1100,1100"}, {6, "100,1000,300,1100"},
                 {7, "100,100,300,200"},  {12, "500,550,700,650"},   {10, "500,550,700,650"}};
    for (const auto& c : cases) {
        items.ChangeBound(item, c.kind);
        EXPECT_EQ(RectDump(item->GetBoundRect_()), c.rect) << c.kind;
    }
    items.ChangeBound(item, 2);
    EXPECT_EQ(item->GetAlign(), alTop);
    items.ChangeBound(items.GetPageRoot(), 2);
    EXPECT_EQ(items.GetPageRoot()->GetAlign(), alNone) << "an item without parent is not placed";
}

TEST_F(ViewItemsTest, HitTestNearestSiblingNamesAndPaths)
{
    TViewItem* a = Add(nullptr, {0, 0, 5080, 5080}, "title");
    TViewItem* b = Add(nullptr, {7620, 0, 12700, 5080}, "B");
    TViewItem* c = Add(nullptr, {0, 7620, 5080, 12700}, "title");
    TViewItem* logo = Add(c, {1000, 8000, 2000, 9000}, "Logo");
    EXPECT_EQ(items.Find(items.GetPageRoot(), 50, 50), a);
    EXPECT_EQ(items.Find(items.GetPageRoot(), 60, 330), logo) << "the deepest item";
    EXPECT_EQ(items.Find(items.GetPageRoot(), 250, 250), nullptr) << "the page itself is no hit";
    logo->SetOptions({voDeletable});
    EXPECT_EQ(items.Find(items.GetPageRoot(), 60, 330), c) << "not selectable";

    EXPECT_EQ(items.Find(a, 1), c);
    EXPECT_EQ(items.Find(b, 2), a);
    EXPECT_EQ(items.Find(c, 0), a);
    EXPECT_EQ(items.Find(logo, 0), nullptr) << "no sibling";
    EXPECT_EQ(items.Find(nullptr, 0), nullptr);

    EXPECT_EQ(items.ItemOfName("TITLE"), a) << "letter case ignored, the first entry wins";
    EXPECT_EQ(items.GetPageRoot()->GetItemOfName("Title"), nullptr) << "paths compare exactly";
    EXPECT_EQ(items.GetPageRoot()->GetItemOfName("title"), a);
    EXPECT_EQ(items.GetPageRoot()->GetItemOfName("B/Logo"), nullptr);
    c->SetName("Header");
    EXPECT_EQ(items.GetPageRoot()->GetItemOfName("Header/Logo"), logo);
    EXPECT_EQ(items.GetPageRoot()->GetItemOfName("Header/None"), nullptr);
    a->Delete();
    EXPECT_EQ(items.ItemOfName("title"), nullptr) << "the entry goes with its item";
}

TEST_F(ViewItemsTest, SelectionAndNotices)
{
    std::vector<std::string> log;
    items.OnChangeSelected = [&](TObject*, TViewItem* item, bool select) {
        log.push_back((item ? item->GetName() : std::string("null")) + (select ? "+" : "-"));
    };
    items.OnSelItemChange = [&](TObject*, TViewItem* item) { log.push_back("data " + item->GetName()); };
    TViewItem* a = Add(nullptr, {0, 0, 100, 100}, "a");
    TViewItem* b = Add(a, {0, 0, 50, 50}, "b");
    items.SetSelected(a);
    items.SetSelected(b);
    b->SetMMPoint_(10, 10);
    items.SetSelected(items.GetPageRoot());
    EXPECT_EQ(items.GetSelected(), nullptr);
    b->SetSelected(true);
    a->SetExpanded(false);
    items.SetSelected(b);
    a->SetExpanded(true);
    b->Delete();
    EXPECT_EQ(items.GetSelected(), nullptr);
    a->SetOptions({});
    items.SetSelected(a);
    EXPECT_EQ(items.GetSelected(), nullptr);
    EXPECT_EQ(JoinStrings(log), "a+|a-|b+|data b|b-|null+|b+|-");
}

TEST_F(ViewItemsTest, ReportedRectanglesSnapToTheGridAndReachTheMaster)
{
    std::vector<std::string> log;
    items.OnChangeRect = [&](TObject*, TViewItem*, TRect& r, bool mm) { log.push_back((mm ? "mm " : "in ") + RectDump(r)); };
    items.OnChangeSlaveRect = [&](TObject*, TViewItem* owner, TViewItem*, TRect&, bool mm) {
        if (mm)
            log.push_back("owner " + owner->GetName());
    };
    items.SetMMPositioning(500);
    EXPECT_EQ(items.GetPositioning(), 0);
    TViewItem* owner = Add(nullptr, {0, 0, 100, 100}, "owner");
    TViewItem* middle = Add(owner, {0, 0, 100, 100}, "middle");
    middle->SetOptions({voSlave});
    TViewItem* slave = Add(middle, {0, 0, 100, 100}, "slave");
    slave->SetOptions({voSlave});
    log.clear();
    slave->SetMMBoundRect_({1234, 567, 2345, 1999});
    EXPECT_EQ(JoinStrings(log), "mm 1000,500,2000,1500|owner owner|in 48,22,91,78");
}

TEST_F(ViewItemsTest, ItemXmlOmitsDefaultsAndReadsBackEqual)
{
    TViewItem* a = Add(nullptr, {100, 200, 5100, 3200}, "原価表");
    a->SetMMMarginRect_({100, 100, 100, 100});
    a->SetDrawPage({2, 3});
    TViewItem* top = Add(a, {0, 0, 10, 1000});
    top->SetAlign(alTop);
    top->SetAlignSize_(1500);
    TViewItem* client = Add(a, {0, 0, 10, 10});
    client->SetAlign(alClient);
    client->SetOptions({voSelectable, voHidden});
    client->SetExpanded(false);
    TViewItem* odd = Add(nullptr, {0, 0, 10, 10});
    odd->SetDrawPageType(1);

    platform::XmlDocument doc;
    const platform::XmlNode root = doc.CreateDocumentElement("PageObject");
    items.SaveToXml(a, root);
    items.SaveToXml(odd, root);
    EXPECT_EQ(root.GetXml(),
              "<PageObject>\n"
              "  <Item Name=\"原価表\" Align=\"None\" BoundRect=\"3,7,199,125\" MMBoundRect=\"100,200,5100,3200\" "
              "MarginRect=\"3,3,3,3\" MMMarginRect=\"100,100,100,100\" Options=\"0,1,2\" DrawPageType=\"2,3\">\n"
              "    <Item Align=\"Top\" AlignSize=\"1500\" MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\" "
              "Options=\"0,1,2\" />\n"
              "    <Item Expanded=\"False\" Align=\"Client\" MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\" "
              "Options=\"0,4\" />\n"
              "  </Item>\n"
              "  <Item Align=\"None\" BoundRect=\"0,0,0,0\" MMBoundRect=\"0,0,10,10\" MarginRect=\"0,0,0,0\" "
              "MMMarginRect=\"0,0,0,0\" Options=\"0,1,2\" DrawPageType=\"OddPage\" />\n"
              "</PageObject>");

    TViewItems back;
    std::vector<std::string> loaded;
    back.OnLoadXml = [&](TObject* sender, TViewItem* item, const platform::XmlNode&) {
        EXPECT_TRUE(static_cast<TViewItems*>(sender)->GetLoading());
        loaded.push_back(item->GetName());
    };
    back.LoadFromXml(nullptr, root);
    platform::XmlDocument again;
    const platform::XmlNode root2 = again.CreateDocumentElement("PageObject");
    for (int i = 0; i < back.GetPageRoot()->GetCountOfChildren(); ++i)
        back.SaveToXml(back.GetPageRoot()->GetItem(i), root2);
    EXPECT_EQ(root2.GetXml(), root.GetXml());
    EXPECT_EQ(JoinStrings(loaded), "原価表|||");
    EXPECT_FALSE(back.GetLoading());
}

TEST_F(ViewItemsTest, AFaultyItemIsDroppedWithItsSubtree)
{
    platform::XmlDocument doc;
    doc.LoadFromString(
        "<PageObject>"
        "<Item Name=\"one\" Align=\"None\" BoundRect=\"0,0,1,1\" MMBoundRect=\"0,0,1,1\" MarginRect=\"0,0,0,0\" "
        "MMMarginRect=\"0,0,0,0\" Options=\"0,7,2\"/>"
        "<Item Name=\"two\" Align=\"None\" BoundRect=\"0,0,1,1\" MMBoundRect=\"0,0,1,1\" MMMarginRect=\"0,0,0,0\">"
        "<Item Name=\"child\" Align=\"Client\" MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\"/></Item>"
        "<Other/>"
        "<Item Name=\"three\" Align=\"Left\" AlignRate=\"30\" MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,x\"/>"
        "<Item Name=\"four\" Align=\"Bottom\" AlignRate=\"30\" MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\" "
        "DrawPageType=\"3\"/>"
        "<Item Name=\"five\" Align=\"Right\" AlignRate=\"30\" MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\"/>"
        "</PageObject>");
    int failures = 0;
    items.OnLoadXml = [&](TObject*, TViewItem* item, const platform::XmlNode&) {
        if (item->GetName() == "five" && ++failures)
            throw platform::SilentAbort();
    };
    items.LoadFromXml(nullptr, doc.GetDocumentElement());
    ASSERT_EQ(items.GetPageRoot()->GetCountOfChildren(), 1);
    EXPECT_EQ(items.GetPageRoot()->GetItem(0)->GetName(), "one");
    EXPECT_EQ(items.GetPageRoot()->GetItem(0)->GetOptions(), (TVIOptions{voSelectable, voShowFrame}));
    EXPECT_EQ(items.ItemOfName("child"), nullptr);
    EXPECT_EQ(failures, 1);
    items.LoadFromXml(nullptr, doc.GetDocumentElement().FindChild("Other"));
    EXPECT_EQ(items.GetCount(), 3) << "only a PageObject element is read";
}

TEST_F(ViewItemsTest, DrawWalkFollowsPagesHiddenAndCollapsedItems)
{
    std::vector<std::string> log;
    items.OnDrawItem = [&](TObject*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas&, int page, int,
                           bool) { log.push_back(item->GetName() + "@" + std::to_string(page) + " " + RectDump(r) +
                                                 " +" + std::to_string(x) + "," + std::to_string(y)); };
    TViewItem* page = items.GetPageRoot();
    page->SetName("page");
    TViewItem* odd = Add(nullptr, {2540, 2540, 5080, 5080}, "odd");
    odd->SetDrawPageType(1);
    Add(odd, {2540, 2540, 3810, 3810}, "oddChild");
    TViewItem* hidden = Add(nullptr, {0, 0, 2540, 2540}, "hidden");
    hidden->SetOptions({voHidden});
    Add(hidden, {0, 0, 2540, 2540}, "hiddenChild");
    TViewItem* collapsed = Add(nullptr, {0, 0, 2540, 2540}, "collapsed");
    Add(collapsed, {0, 0, 2540, 2540}, "collapsedChild");
    collapsed->SetExpanded(false);

    vkttest::RecordingCanvas at96(100, 100, 96);
    page->Draw(at96, 10, 20, 10000, 3, 3, false, false);
    page->Draw(at96, 0, 0, 10000, 2, 3, false, false);
    EXPECT_EQ(JoinStrings(log), "page@3 0,0,792,1122 +10,20|odd@3 96,96,192,192 +10,20|oddChild@3 96,96,144,144 +10,20|"
                                "hiddenChild@3 0,0,96,96 +10,20|page@2 0,0,792,1122 +0,0|hiddenChild@2 0,0,96,96 +0,0");
    log.clear();
    vkttest::RecordingCanvas at600(100, 100, 600);
    odd->Draw(at600, 0, 0, 5000, 1, 1, true, true);
    EXPECT_EQ(JoinStrings(log), "odd@1 300,300,600,600 +0,0|oddChild@1 300,300,450,450 +0,0");
    EXPECT_EQ(at600.Log().find("Rectangle"), std::string::npos) << "no frames on the printer";
    at96.ClearLog();
    odd->Draw(at96, 0, 0, 10000, 2, 2, false, true);
    EXPECT_NE(at96.Log().find("Rectangle(96,96,192,192)"), std::string::npos) << at96.Log();
}
