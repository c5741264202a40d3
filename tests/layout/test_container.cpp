// The layout document and its containers: font inheritance and change notices, the layout file
// with every built-in type, unknown and memo items, its error messages, and the notifiers.
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Umemocontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/JpegWriter.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// Every element's name and attributes in document order.
std::vector<std::pair<std::string, Attributes>> Elements(const platform::XmlNode& node)
{
    std::vector<std::pair<std::string, Attributes>> out{{node.GetName(), node.GetAttributes()}};
    for (const platform::XmlNode& child : node.GetChildren())
        for (auto& element : Elements(child))
            out.push_back(std::move(element));
    return out;
}

std::vector<std::pair<std::string, Attributes>> FileElements(const std::string& path)
{
    platform::XmlDocument doc;
    doc.LoadFromFile(path);
    return Elements(doc.GetDocumentElement());
}

platform::Picture Checker(int w, int h)
{
    platform::Picture picture(w, h, 0xFFFFFF);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x / 4 + y / 4) % 2)
                picture.SetPixel(x, y, platform::RgbColor(200, 40, 40));
    return picture;
}

// An enhanced metafile of nothing but its header: record type 1, frame 0,0 – 10 mm, " EMF".
std::string MetafileBytes()
{
    std::string bytes(88, '\0');
    bytes[0] = 1;
    bytes[4] = 88;
    bytes[32] = static_cast<char>(1000 & 0xFF);
    bytes[33] = static_cast<char>(1000 >> 8);
    bytes[36] = bytes[32];
    bytes[37] = bytes[33];
    bytes.replace(40, 4, " EMF");
    return bytes;
}

class ContainerTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenPixelsPerInch(96);
        vkttest::InstallRecordingPrinter();
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("layout");
        preview = std::make_unique<TPreview>();
    }

    template <typename T>
    T* Add(int type, TViewItem* parent, TRect mm)
    {
        preview->SetSelected(parent);
        TViewItem* item = preview->AddContainer(type);
        item->SetMMBoundRect_(mm);
        return dynamic_cast<T*>(ContainerOf(item));
    }

    // Every built-in type, nested items and Japanese texts.
    void BuildFixture()
    {
        auto* box = Add<TContainer>(1, nullptr, {1000, 1000, 20000, 28000});
        box->GetViewItem()->SetName("枠");
        box->SetFont("ＭＳ Ｐ明朝", 110, 0x400000, {fsBold});
        const struct { int kind; int angle; bool outline; const char* text; } texts[] = {
            {0, 0, false, "原価表 Cost"}, {1, 0, false, ""}, {2, 900, false, ""}, {3, 0, false, "社外秘"},
            {0, 450, true, "回転"}};
        int top = 1500;
        for (const auto& t : texts) {
            auto* text = Add<TTextContainer>(2, box->GetViewItem(), {1500, top, 9000, top + 1200});
            text->SetTextType(t.kind);
            text->SetTextAngle(t.angle);
            text->SetOutLine(t.outline);
            text->SetText(t.text);
            text->SetHorzAlign(1);
            text->SetVertAlign(2);
            text->SetTextBrushColor(t.outline ? 0xC0FFC0 : -1);
            top += 1400;
        }
        for (int shape = 0; shape <= 10; ++shape) {
            auto* g = Add<TGraphicContainer>(4, nullptr, {10000 + shape % 4 * 2200, 1500 + shape / 4 * 2200,
                                                          12000 + shape % 4 * 2200, 3500 + shape / 4 * 2200});
            g->SetGraphicType(shape);
            g->SetLineWidth(shape);
            g->SetBrushColor(shape % 2 ? 0xFFE0C0 : -1);
            g->SetMasking(shape == 1 || shape == 9);
            g->SetRoundSize({60, 40});
            g->SetArrowAngle(450);
            g->SetArrowWidth(20);
        }
        auto* image = Add<TImageContainer>(5, nullptr, {1000, 8500, 9000, 12500});
        image->SetColCount(2);
        image->SetDrawName(true);
        image->SetDrawType(idtCenter);
        const std::string jpeg = platform::EncodeJpeg(Checker(32, 24));
        const std::string bmp = platform::EncodeBmp(Checker(16, 16));
        const std::string emf = MetafileBytes();
        platform::WriteFileAtomic(folder + "/写真.jpg", jpeg);
        platform::WriteFileAtomic(folder + "/b.bmp", bmp);
        platform::WriteFileAtomic(folder + "/c.emf", emf);
        image->AddFile(folder + "/写真.jpg");
        image->AddFile(folder + "/b.bmp");
        image->AddFile(folder + "/c.emf");
        auto* grid = Add<TGridContainer>(6, nullptr, {1000, 13000, 20000, 20000});
        grid->SetRowCount(5);
        grid->SetColCount(3);
        grid->SetParagraph(2);
        grid->SetParaGap(50);
        grid->SetTitles("品名,\"単 価\",数量");
        grid->SetCSV("\"玉ねぎ, 新\",120,3\r\nにんじん,80,5\nじゃがいも,60,10\n牛肉,980,1\n米,400,2");
        grid->SetRowColor2(0xF0F0F0);
        auto* chart = Add<TChartContainer>(7, nullptr, {1000, 20500, 20000, 27500});
        chart->SetGraphCount(2);
        chart->SetXTypeDate(true);
        chart->SetDateFormat(1);
        chart->SetChartLimit({45000 * 100, 1000, 45010 * 100, 0});
        TSeriesStruct series;
        series.Kind = 3;
        series.Color = 255;
        series.Title = "単価: 玉ねぎ;月";
        series.MarksVisible = true;
        for (int d = 0; d < 6; ++d)
            series.Add(45000 + d * 2, 3 + d * 0.5, "");
        chart->SetData(0, series);
        series.Kind = 2;
        series.Title = "bar";
        chart->SetData(1, series);
    }

    std::string folder;
    std::unique_ptr<TPreview> preview;
};

TEST_F(ContainerTest, FontsFollowTheParentChainAndNotifyOncePerBracket)
{
    auto* parent = Add<TContainer>(1, nullptr, {0, 0, 10000, 10000});
    auto* child = Add<TTextContainer>(2, parent->GetViewItem(), {0, 0, 5000, 5000});
    auto* grandchild = Add<TTextContainer>(2, child->GetViewItem(), {0, 0, 2000, 2000});
    EXPECT_FALSE(parent->GetParentFont());
    EXPECT_TRUE(grandchild->GetParentFont());
    parent->SetFontSize(140);
    EXPECT_EQ(grandchild->GetFontSize(), 140);
    grandchild->SetFontColor(grandchild->GetFontColor());   // the colour it shows: still following
    EXPECT_TRUE(grandchild->GetParentFont());
    child->SetTextBrushColor(0x00FF00);
    child->SetFontColor(0x00FF00);   // text never disappears on its own colour
    EXPECT_EQ(child->GetTextBrushColor(), -1);
    EXPECT_FALSE(child->GetParentFont());
    EXPECT_EQ(grandchild->GetFontColor(), 0x00FF00);

    int notices = 0;
    preview->GetItems()->OnItemChange = [&](TObject*, TTreeItem*) { ++notices; };
    child->BeginUpdate();
    child->SetText("a");
    child->SetHorzAlign(2);
    child->SetTextAngle(100);
    child->SetTextAngle(100);
    child->EndUpdate();
    EXPECT_EQ(notices, 1);
    child->SetLoading(true);
    child->SetText("b");
    child->SetLoading(false);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(parent->GetItemOfName("nothing"), nullptr);
    grandchild->GetViewItem()->SetName("孫");
    EXPECT_EQ(parent->GetItemOfName("孫"), grandchild);
}

TEST_F(ContainerTest, LayoutFileRoundTripKeepsEveryElement)
{
    BuildFixture();
    const std::string first = folder + "/first.xml";
    preview->SaveToFile(first);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());

    // An unknown type with extra attributes and a memo, made from saved items.
    platform::XmlDocument doc;
    doc.LoadFromFile(first);
    platform::XmlNode page = doc.GetDocumentElement().FindChild("PageObject");
    const std::vector<platform::XmlNode> tops = page.GetChildren();
    platform::XmlNode box = tops.front();
    box.SetAttribute("Container", "Mystery");
    box.SetAttribute("Foo", "1");
    box.SetAttribute("Bar", "値 x");
    platform::XmlNode memo = tops.back();
    memo.SetAttribute("Container", "Memo");
    for (const char* name : {"LegendVisible", "LegendAlign", "View3D", "XTypeDate", "DateFormat", "ChartLimit",
                             "GraphCount", "GraphData"})
        memo.Handle().remove_attribute(name);
    TMemoContainer written;   // a memo writes its text back in its own RTF form
    written.SetRichText("{\\rtf1\\ansi 献立}");
    written.SaveToXml(memo);
    const std::string fixture = folder + "/fixture.xml";
    doc.SaveToFile(fixture, platform::XmlEncoding::ShiftJis);

    TPreview second;
    int added = 0;
    second.AddActionNotifier({}, [&](TPreview*, TViewItem*, TViewItem*) { ++added; });
    second.LoadFromFile(fixture);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());
    EXPECT_EQ(added, second.GetItems()->GetCount() - 2);
    const std::string again = folder + "/again.xml";
    second.SaveToFile(again);
    EXPECT_EQ(FileElements(again), FileElements(fixture));
    EXPECT_EQ(platform::ReadFileBytes(again).substr(0, 40), platform::ReadFileBytes(fixture).substr(0, 40));

    // The picture bytes come back unchanged.
    TImageContainer* image = nullptr;
    for (int i = 0; i < second.GetItems()->GetCount() && !image; ++i)
        image = dynamic_cast<TImageContainer*>(ContainerOf(second.GetItems()->GetItem(i)));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetItemCount(), 3);
    EXPECT_EQ(image->GetImageData(0), platform::ReadFileBytes(folder + "/写真.jpg"));
    EXPECT_EQ(image->GetImageData(2), platform::ReadFileBytes(folder + "/c.emf"));
    EXPECT_EQ(image->GetFileNames(), "写真.jpg,b.bmp,c.emf");
}

TEST_F(ContainerTest, FileErrorsAreReportedAndBadItemsDropped)
{
    auto* text = Add<TTextContainer>(2, nullptr, {0, 0, 5000, 1000});
    text->SetText("残る");
    preview->LoadFromFile(folder + "/missing.xml");
    platform::WriteFileAtomic(folder + "/not.xml", "this is no XML <");
    preview->LoadFromFile(folder + "/not.xml");
    ASSERT_EQ(vkttest::Scripted().messages.size(), 2u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "ファイル読み込みエラー");
    EXPECT_EQ(vkttest::Scripted().messages[1].caption, "エラー");
    EXPECT_EQ(preview->GetItems()->GetCount(), 3);   // the layout stays

    const std::string page = "<PageScript Version=\"1.0\"><PageObject Paper=\"9\" Orientation=\"0\" "
                             "MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\">";
    const std::string item = "<Item MMBoundRect=\"0,0,1000,1000\" BoundRect=\"0,0,39,39\" MarginRect=\"0,0,0,0\" "
                             "MMMarginRect=\"0,0,0,0\" ";
    platform::WriteFileAtomic(folder + "/items.xml",
                              page + item + "Container=\"Text\"/>" +                     // TextType missing
                                  item + "Container=\"Graphic\" GraphicType=\"10\"/>" +  // arrow fields missing
                                  item + "Container=\"Chart\" LegendVisible=\"True\" LegendAlign=\"1\" "
                                         "View3D=\"False\" XTypeDate=\"False\" GraphCount=\"1\" GraphData=\"x:y\"/>" +
                                  item + "Container=\"Refused\"><Item Container=\"Text\" TextType=\"0\"/></Item>" +
                                  item + "Container=\"Text\" TextType=\"0\" Text=\"兄弟\"/></PageObject></PageScript>");
    preview->OnContainerTypeFromName = [](TPreview*, const std::string& name, int& type) {
        if (name == "Refused")
            type = 12;
    };
    preview->OnCanNewContainer = [](TPreview*, TViewItem*, int type, bool& accept) { accept = type < 12; };
    vkttest::Scripted().Reset();
    preview->LoadFromFile(folder + "/items.xml");
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
    ASSERT_EQ(preview->GetItems()->GetCount(), 3);
    auto* sibling = dynamic_cast<TTextContainer*>(ContainerOf(preview->GetItems()->GetItem(1)));
    ASSERT_NE(sibling, nullptr);
    EXPECT_EQ(sibling->GetText(), "兄弟");

    platform::WriteFileAtomic(folder + "/page.xml", "<PageScript><PageObject Paper=\"A4\"/></PageScript>");
    preview->LoadFromFile(folder + "/page.xml");
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "ファイル解析エラー");

    preview->SaveToFile(folder + "/no/such/folder/x.xml");
    EXPECT_EQ(vkttest::Scripted().messages.back().text, "ファイル書き込みエラー");
}

// An item naming its container type twice: the reader would take one, the unknown-type container
// would write back the other.
TEST_F(ContainerTest, AnItemRepeatingAnAttributeIsRefusedAndTheUnknownTypeKeepsOneOccurrence)
{
    auto* text = Add<TTextContainer>(2, nullptr, {0, 0, 5000, 1000});
    text->SetText("残る");
    platform::WriteFileAtomic(folder + "/twice.xml",
                              "<PageScript Version=\"1.0\"><PageObject Paper=\"9\" Orientation=\"0\" "
                              "MarginRect=\"0,0,0,0\" MMMarginRect=\"0,0,0,0\"><Item MMBoundRect=\"0,0,1000,1000\" "
                              "BoundRect=\"0,0,39,39\" Container=\"Mystery\" Container=\"Text\" TextType=\"0\"/>"
                              "</PageObject></PageScript>");
    preview->LoadFromFile(folder + "/twice.xml");
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "ファイル読み込みエラー");
    ASSERT_EQ(preview->GetItems()->GetCount(), 3);   // the layout stays
    EXPECT_EQ(ContainerOf(text->GetViewItem()), text);
    EXPECT_EQ(text->GetText(), "残る");

    // A node built with the repetition (no file reader lets one through) loads and saves the first.
    platform::XmlDocument doc;
    pugi::xml_node item = doc.CreateDocumentElement("Item").Handle();
    item.append_attribute("Container").set_value("Mystery");
    item.append_attribute("Foo").set_value("1");
    item.append_attribute("Container").set_value("Text");
    TNullContainer unknown;
    unknown.LoadFromXml(platform::XmlNode(item));
    platform::XmlDocument out;
    const platform::XmlNode saved = out.CreateDocumentElement("Item");
    unknown.SaveToXml(saved);
    EXPECT_EQ(saved.GetAttribute("Container"), "Mystery");
    EXPECT_EQ(saved.GetAttribute("Foo"), "1");
}

TEST_F(ContainerTest, NotifiersFireInOrderAndCanBeRemoved)
{
    std::vector<std::string> log;
    TPVActionNotifier* first = preview->AddActionNotifier(
        [&](TPreview*) { log.push_back("1:view"); }, [&](TPreview*, TViewItem*, TViewItem*) { log.push_back("1:add"); });
    preview->AddActionNotifier({}, [&](TPreview*, TViewItem*, TViewItem*) { log.push_back("2:add"); }, {}, {}, {},
                               [&](TPreview*) { log.push_back("2:clear"); });
    preview->AddContainer(1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "1:add"), 1);
    const auto add1 = std::find(log.begin(), log.end(), "1:add");
    const auto add2 = std::find(log.begin(), log.end(), "2:add");
    EXPECT_LT(add1, add2);
    preview->DeleteActionNotifier(first);
    preview->DeleteActionNotifier(first);   // unknown now: ignored
    log.clear();
    preview->Clear();
    EXPECT_EQ(log, std::vector<std::string>{"2:clear"});
    EXPECT_EQ(preview->GetActionNotifyCount(), 1);
    EXPECT_EQ(preview->GetContainerCaption(7), "グラフ");
    EXPECT_EQ(preview->GetContainerCaption(42), "形式不明");
    EXPECT_EQ(preview->ContainerTypeFromStr("grid"), 0);   // names compare exactly
    EXPECT_EQ(preview->ContainerTypeToStr(6), "Grid");
}

TEST_F(ContainerTest, HandlerMadeTypesUseTheVirtualSlots)
{
    // A type of an owner: a text container whose text is its own and that spans three pages.
    struct Field : TTextContainer {
        Field() : TTextContainer(13) {}
        std::string GetText() override { return "field"; }
        int GetPageMax() override { return 3; }
    };
    preview->OnNewContainer = [](TPreview*, int type, TContainer*& c) {
        if (type == 13)
            c = new Field();
    };
    preview->OnContainerTypeToName = [](TPreview*, int type, std::string& s) {
        if (type == 13)
            s = "VktField";
    };
    preview->OnContainerTypeFromName = [](TPreview*, const std::string& s, int& type) {
        if (s == "VktField")
            type = 13;
    };
    preview->AddContainer(13);
    EXPECT_EQ(preview->GetPageMax(), 3);
    const std::string path = folder + "/field.xml";
    preview->SaveToFile(path);
    const auto elements = FileElements(path);
    const Attributes& item = elements.back().second;
    EXPECT_NE(std::find(item.begin(), item.end(), std::pair<std::string, std::string>{"Container", "VktField"}),
              item.end());
    EXPECT_EQ(std::find_if(item.begin(), item.end(), [](const auto& a) { return a.first == "Text"; }), item.end());
    preview->LoadFromFile(path);
    EXPECT_NE(dynamic_cast<Field*>(ContainerOf(preview->GetItems()->GetItem(1))), nullptr);
}

} // namespace
