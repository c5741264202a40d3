// The preset layouts and the templates: the shipped files are the builder's output and round trip
// byte for byte; the templates' properties read and write their named children, with the height
// rules, the field-list merges, the frames and pictures, and layouts that lack children.
// VKT_WRITE_PRESETS=1 writes the builder's output over the shipped files.
#include "layout/Preview.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/Xml.h"
#include "reports/PresetBuilder.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmenu.h"
#include "reports/Uvktrecipe.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

using F = TVktField;

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A layout document with the report types installed, not bound to a database.
struct Document {
    Document() : binding(preview.get()) {}
    ~Document() { preview->Clear(); }
    std::unique_ptr<TPreview> preview = std::make_unique<TPreview>();
    TVktLayoutBinding binding;

    template <typename T>
    T* Find(const char* name) const { return dynamic_cast<T*>(preview->GetContainerOfName(name)); }
    TViewItem* Item(const char* name) const { return preview->GetItems()->ItemOfName(name); }
};

TPreviewFieldStruct Columns(std::initializer_list<std::tuple<F, int, int>> columns)
{
    TPreviewFieldStruct fields;
    for (auto [field, order, ret] : columns) {
        fields.GetName() << ToInt(field);
        fields.GetWidth() << 300;
        fields.GetOrder() << order;
        fields.GetReturn() << ret;
    }
    return fields;
}

TEST(PresetsTest, ShippedFilesAreTheBuildersOutputAndRoundTripByteForByte)
{
    vkttest::Scripted().Reset();
    const bool write = std::getenv("VKT_WRITE_PRESETS") != nullptr;
    const std::string folder = vkttest::NewTempFolder("presets");
    for (const vkttest::PresetFile& preset : vkttest::PresetFiles()) {
        Document built;
        vkttest::BuildPreset(*built.preview, preset.File);
        const std::string shipped = vkttest::PresetSourceFolder() + "/" + preset.File;
        const std::string path = write ? shipped : folder + "/" + preset.File;
        built.preview->SaveToFile(path);
        EXPECT_EQ(ReadBytes(shipped), ReadBytes(path)) << preset.File << " differs from the builder's output";

        Document loaded;
        loaded.preview->LoadFromFile(shipped);
        EXPECT_EQ(loaded.preview->GetItems()->GetCount(), built.preview->GetItems()->GetCount()) << preset.File;
        const std::string again = folder + "/again-" + preset.File;
        loaded.preview->SaveToFile(again);
        EXPECT_EQ(ReadBytes(again), ReadBytes(shipped)) << preset.File;
    }
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

TEST(PresetsTest, PreparedSubtreesAreLockedAndHoldTheirNamedChildren)
{
    const struct { const char* file; int type; std::vector<std::pair<const char*, int>> children; } presets[] = {
        {"FoodList.xml", 8, {{"Header", 1}, {"Title", 2}, {"Date", 2}, {"Footer", 1}, {"Page", 2}, {"DataTop", 11},
                             {"DataGrid", 16}}},
        {"Recipe.xml", 9, {{"PageHeader", 1}, {"Title", 2}, {"Date", 2}, {"PageFooter", 1}, {"Page", 2},
                           {"DataTop", 11}, {"Header", 16}, {"Footer", 16}, {"Item", 16}, {"Detail", 12},
                           {"Image", 15}, {"Chart", 17}, {"DetailFrame", 4}}},
        {"Menu.xml", 10, {{"Image", 5}, {"Graphic1", 4}, {"Graphic2", 4}, {"DataTop", 11}, {"Header", 16},
                          {"Item", 16}, {"Footer", 16}}},
    };
    for (const auto& p : presets) {
        auto doc = std::make_unique<Document>();
        doc->preview->LoadFromFile(vkttest::PresetSourceFolder() + "/" + p.file);
        TViewItems* items = doc->preview->GetItems();
        TViewItem* root = nullptr;
        for (int i = 0; i < items->GetCount() && !root; ++i)
            if (ContainerOf(items->GetItem(i)) && ContainerOf(items->GetItem(i))->GetType() == p.type)
                root = static_cast<TViewItem*>(items->GetItem(i));
        ASSERT_NE(root, nullptr) << p.file;
        auto* tmpl = dynamic_cast<TVktTemplate*>(ContainerOf(root));
        ASSERT_NE(tmpl, nullptr);
        EXPECT_FALSE(tmpl->GetChildVisible()) << p.file;
        for (const auto& [name, type] : p.children) {
            TViewItem* item = doc->Item(name);
            ASSERT_NE(item, nullptr) << p.file << " " << name;
            EXPECT_EQ(ContainerOf(item)->GetType(), type) << p.file << " " << name;
            EXPECT_TRUE(item->IsAncestor(root)) << p.file << " " << name;
            EXPECT_TRUE(item->GetOptions() == TVIOptions()) << p.file << " " << name;
            // Data containers reach the database container through data containers only.
            if (type >= 12) {
                TViewItem* up = item->GetParent();
                while (ContainerOf(up)->GetType() != 11) {
                    EXPECT_GE(ContainerOf(up)->GetType(), 12) << p.file << " " << name;
                    up = up->GetParent();
                }
            }
        }
        tmpl->SetChildVisible(true);
        EXPECT_TRUE(tmpl->GetChildVisible());
        EXPECT_TRUE(doc->Item("DataTop")->GetOptions() == (TVIOptions{voSelectable, voDeletable, voShowFrame}));
        EXPECT_TRUE(root->GetOptions() == (TVIOptions{voSelectable, voDeletable, voShowFrame}));
    }
}

// Element names and attributes, in document order.
std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> Elements(const std::string& path)
{
    platform::XmlDocument doc;
    doc.LoadFromFile(path);
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> out;
    std::function<void(const platform::XmlNode&)> walk = [&](const platform::XmlNode& node) {
        out.emplace_back(node.GetName(), node.GetAttributes());
        for (const platform::XmlNode& child : node.GetChildren()) walk(child);
    };
    walk(doc.GetDocumentElement());
    return out;
}

TEST(PresetsTest, EveryTypeNestedRoundTripsItsAttributes)
{
    vkttest::Scripted().Reset();
    Document doc;
    auto add = [&](int type, TContainer* parent, const char* name) {
        doc.preview->SetSelected(parent ? parent->GetViewItem() : nullptr);
        TViewItem* item = doc.preview->AddContainer(type);
        item->SetName(name);
        return ContainerOf(item);
    };
    TContainer* box = add(1, nullptr, "外枠");
    dynamic_cast<TTextContainer*>(add(2, box, "見出し"))->SetText("本日のおすすめ「季節の野菜」");
    add(3, box, "メモ");
    dynamic_cast<TGraphicContainer*>(add(4, box, "線"))->SetGraphicType(2);
    add(5, box, "写真");
    add(6, box, "表");
    add(7, box, "グラフ");
    TContainer* list = add(8, nullptr, "一覧");
    auto* top = dynamic_cast<TVktTopContainer*>(add(11, list, "データ"));
    top->SetPageDataCount(2);
    top->SetFontName2("Arial");
    auto* slot = dynamic_cast<TVktDataLink*>(add(12, top, "枠"));
    slot->SetPageDataIndex(2);
    TContainer* group = &slot->GetContainer();
    dynamic_cast<TVktFieldContainer*>(add(13, group, "名前"))->SetField(ToInt(F::Data));
    add(14, group, "メモ欄");
    add(15, group, "画像");
    add(16, group, "材料")->SetFontName("ＭＳ 明朝");
    dynamic_cast<TVktChartContainer*>(add(17, group, "原価"))->SetDataType(2);
    add(9, nullptr, "レシピ");
    add(10, nullptr, "メニュー");
    const std::string folder = vkttest::NewTempFolder("types");
    doc.preview->SaveToFile(folder + "/one.xml");
    Document loaded;
    loaded.preview->LoadFromFile(folder + "/one.xml");
    loaded.preview->SaveToFile(folder + "/two.xml");
    const auto first = Elements(folder + "/one.xml");
    EXPECT_EQ(first.size(), 2u + 17u);
    EXPECT_EQ(Elements(folder + "/two.xml"), first);
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

// ---- properties -------------------------------------------------------------------------------

class TemplatePropertiesTest : public testing::Test {
protected:
    void SetUp() override { vkttest::Scripted().Reset(); }
    void Load(const char* file)
    {
        doc = std::make_unique<Document>();
        doc->preview->LoadFromFile(vkttest::PresetSourceFolder() + "/" + file);
    }
    template <typename T>
    T* Template(int type)
    {
        TViewItems* items = doc->preview->GetItems();
        for (int i = 0; i < items->GetCount(); ++i)
            if (TContainer* c = ContainerOf(items->GetItem(i)); c && c->GetType() == type) return dynamic_cast<T*>(c);
        return nullptr;
    }
    TVktGridContainer* Grid(const char* name) { return doc->Find<TVktGridContainer>(name); }

    std::unique_ptr<Document> doc;
};

TEST_F(TemplatePropertiesTest, DataListPropertiesReadAndWriteTheirChildren)
{
    Load("FoodList.xml");
    auto* list = Template<TVktDataList>(8);
    ASSERT_NE(list, nullptr);
    TVktGridContainer* grid = Grid("DataGrid");
    auto* top = doc->Find<TVktTopContainer>("DataTop");
    const struct {
        const char* name;
        std::function<void()> write;
        std::function<bool()> check;
    } cases[] = {
        {"Title", [&] { list->SetTitle("仕入れ表"); },
         [&] { return doc->Find<TTextContainer>("Title")->GetText() == "仕入れ表" && list->GetTitle() == "仕入れ表"; }},
        {"FontName2", [&] { list->SetFontName2("Century"); },
         [&] { return top->GetFontName2() == "Century" && list->GetFontName2() == "Century"; }},
        {"FontSize2", [&] { list->SetFontSize2(85); }, [&] { return top->GetFontSize2() == 85 && list->GetFontSize2() == 85; }},
        {"Paragraph", [&] { list->SetParagraph(2); }, [&] { return grid->GetParagraph() == 2 && list->GetParagraph() == 2; }},
        {"ColGap", [&] { list->SetColGap(7); }, [&] { return grid->GetColGap() == 7 && list->GetColGap() == 7; }},
        {"ParaGap", [&] { list->SetParaGap(9); }, [&] { return grid->GetParaGap() == 9 && list->GetParaGap() == 9; }},
        {"FloatType", [&] { list->SetFloatType(TNSFloatType::General); },
         [&] { return grid->GetFloatType() == TNSFloatType::General && list->GetFloatType() == TNSFloatType::General; }},
        {"NumSjis", [&] { list->SetNumSjis(1); }, [&] { return grid->GetNumSjis() == 1 && list->GetNumSjis() == 1; }},
        {"SumField", [&] { list->SetSumField(ToInt(F::UsePrice)); },
         [&] { return grid->GetSumField() == ToInt(F::UsePrice) && list->GetSumField() == ToInt(F::UsePrice); }},
        {"SumClass", [&] { list->SetSumClass(ToInt(F::Class)); },
         [&] { return grid->GetSumClass() == ToInt(F::Class) && list->GetSumClass() == ToInt(F::Class); }},
        {"PageVisible", [&] { list->SetPageVisible(false); },
         [&] { return !doc->Item("Page")->GetExpanded() && !list->GetPageVisible(); }},
        {"DateVisible", [&] { list->SetDateVisible(false); },
         [&] { return !doc->Item("Date")->GetExpanded() && !list->GetDateVisible(); }},
        {"ParaOrient", [&] { list->SetParaOrient(true); }, [&] { return grid->GetParaOrient() && list->GetParaOrient(); }},
        {"DrawFullGrid", [&] { list->SetDrawFullGrid(true); },
         [&] { return grid->GetDrawFullGrid() && list->GetDrawFullGrid(); }},
        {"RowColor", [&] { list->SetRowColor(0x123456); },
         [&] { return grid->GetTitleColor() == 0x123456 && grid->GetRowColor2() == 0x123456 && list->GetRowColor() == 0x123456; }},
        {"GridColor", [&] { list->SetGridColor(0x654321); },
         [&] { return grid->GetLineColor() == 0x654321 && list->GetGridColor() == 0x654321; }},
        {"RowHeight", [&] { list->SetRowHeight(50); },
         [&] {
             return grid->GetRowHeight() == 50 && doc->Item("Header")->GetAlignSize_() == 600 &&
                    doc->Item("Footer")->GetAlignSize_() == 600;
         }},
    };
    for (const auto& c : cases) {
        c.write();
        EXPECT_TRUE(c.check()) << c.name;
    }

    // Lines: rows are top and bottom together, columns left and right.
    grid->SetGridLines({ebLeft});
    list->SetRowLine(true);
    EXPECT_EQ(grid->GetGridLines(), (TEdgeBorders{ebLeft, ebTop, ebBottom}));
    EXPECT_TRUE(list->GetRowLine());
    EXPECT_FALSE(list->GetColLine());
    list->SetRowLine(false);
    EXPECT_EQ(grid->GetGridLines(), TEdgeBorders{ebLeft});
    list->SetColLine(true);
    EXPECT_TRUE(list->GetColLine());

    // Fields: the grid takes the columns, the database container only the orders set.
    list->SetFields(Columns({{F::Data, 2, 0}, {F::UsePrice, 0, 0}, {F::Class, 1, 0}}));
    EXPECT_EQ(grid->GetFields(), TPriorityItem() << ToInt(F::Data) << ToInt(F::UsePrice) << ToInt(F::Class));
    EXPECT_EQ(top->GetAccessFields().GetFields(), TPriorityItem() << ToInt(F::Data) << ToInt(F::Class));
    EXPECT_EQ(list->GetFields().GetOrder(), TPriorityItem() << 2 << 0 << 1);
}

TEST_F(TemplatePropertiesTest, RecipeHeightsLinesColoursAndDetailLayout)
{
    Load("Recipe.xml");
    auto* recipe = Template<TVktRecipe>(9);
    ASSERT_NE(recipe, nullptr);
    TVktGridContainer* item = Grid("Item");
    item->SetLineWidth(1);
    recipe->SetHeaderFields(Columns({{F::Data, 1, 0}, {F::Data2, 0, 1}, {F::Class, 0, 0}, {F::UseUnit, 0, 1}}));
    recipe->SetFooterFields(Columns({{F::TotalPrice, 0, 0}}));
    recipe->SetRowHeight(40);
    EXPECT_EQ(doc->Item("Header")->GetAlignSize_(), 1660);
    EXPECT_EQ(doc->Item("Footer")->GetAlignSize_(), (40 * 2 + 4) * 10);
    EXPECT_EQ(doc->Item("PageHeader")->GetAlignSize_(), 500);
    EXPECT_EQ(doc->Item("PageFooter")->GetAlignSize_(), 500);
    for (const char* name : {"Header", "Footer", "Item"}) EXPECT_EQ(Grid(name)->GetRowHeight(), 40) << name;

    // Lines from the item grid given to all three; colours; the frame takes the grid colour only.
    item->SetGridLines({ebLeft});
    Grid("Header")->SetGridLines({ebRight});
    recipe->SetRowLine(true);
    for (const char* name : {"Header", "Footer", "Item"})
        EXPECT_EQ(Grid(name)->GetGridLines(), (TEdgeBorders{ebLeft, ebTop, ebBottom})) << name;
    auto* frame = doc->Find<TGraphicContainer>("DetailFrame");
    const TColor pen = frame->GetPenColor();
    recipe->SetRowColor(0xABCDEF);
    EXPECT_EQ(frame->GetPenColor(), pen);
    recipe->SetGridColor(0x0000FF);
    EXPECT_EQ(frame->GetPenColor(), 0x0000FF);
    for (const char* name : {"Header", "Footer", "Item"}) {
        EXPECT_EQ(Grid(name)->GetTitleColor(), 0xABCDEF) << name;
        EXPECT_EQ(Grid(name)->GetLineColor(), 0x0000FF) << name;
    }
    recipe->SetColGap(4);
    for (const char* name : {"Header", "Footer", "Item"}) EXPECT_EQ(Grid(name)->GetColGap(), 4) << name;
    recipe->SetParaGap(6);
    EXPECT_EQ(item->GetParaGap(), 6);
    EXPECT_EQ(Grid("Header")->GetParaGap(), 0);

    // The detail block: position, shares, shown flags through the ancestors.
    recipe->SetDetailPos(false);
    EXPECT_EQ(doc->Item("Detail")->GetAlign(), alRight);
    EXPECT_EQ(doc->Item("Image")->GetAlign(), alBottom);
    EXPECT_FALSE(recipe->GetDetailPos());
    recipe->SetDetailPos(true);
    EXPECT_EQ(doc->Item("Chart")->GetAlign(), alRight);
    EXPECT_TRUE(recipe->GetDetailPos());
    recipe->SetImageFixRate(30);
    recipe->SetChartFixRate(70);
    recipe->SetDetailFixRate(45);
    EXPECT_EQ(doc->Item("Image")->GetAlignRate(), 30);
    EXPECT_EQ(doc->Item("Chart")->GetAlignRate(), 70);
    EXPECT_EQ(recipe->GetDetailFixRate(), 45);
    recipe->SetDetailEnabled(false);
    EXPECT_FALSE(recipe->GetImageEnabled());
    EXPECT_TRUE(doc->Item("Image")->GetExpanded());
    recipe->SetDetailEnabled(true);
    recipe->SetChartEnabled(false);
    EXPECT_FALSE(doc->Item("Chart")->GetExpanded());
    EXPECT_TRUE(recipe->GetImageEnabled());
    recipe->SetChartField(1);
    EXPECT_EQ(doc->Find<TVktChartContainer>("Chart")->GetItemFieldType(), 1);
    recipe->SetImageTrim(true);
    EXPECT_TRUE(doc->Find<TVktImageContainer>("Image")->GetTrimming());
}

TEST_F(TemplatePropertiesTest, BandFieldsMergeIntoTheQueryTheLastWrittenOrderWinning)
{
    for (const char* file : {"Recipe.xml", "Menu.xml"}) {
        Load(file);
        auto* tmpl = Template<TVktCardTemplate>(std::string(file) == "Menu.xml" ? 10 : 9);
        ASSERT_NE(tmpl, nullptr);
        auto set = [&](bool header, const TPreviewFieldStruct& fields) {
            header ? tmpl->SetHeaderFields(fields) : tmpl->SetFooterFields(fields);
        };
        auto* top = doc->Find<TVktTopContainer>("DataTop");
        // Data in both lists: the header sorts it descending, the footer ascending.
        set(true, Columns({{F::Data, 2, 0}, {F::Class, 0, 0}}));
        set(false, Columns({{F::SalePrice, 1, 0}, {F::Data, 1, 0}}));
        EXPECT_EQ(top->GetAccessFields().GetFields(), TPriorityItem() << ToInt(F::Data) << ToInt(F::SalePrice)) << file;
        EXPECT_EQ(top->GetAccessFields().GetOrders(), TPriorityItem() << 1 << 1) << file;
        set(true, Columns({{F::Data, 2, 0}, {F::Class, 0, 0}}));
        EXPECT_EQ(top->GetAccessFields().GetOrders(), TPriorityItem() << 2 << 1) << file;
        EXPECT_EQ(Grid("Header")->GetFields(), TPriorityItem() << ToInt(F::Data) << ToInt(F::Class)) << file;
    }
}

TEST_F(TemplatePropertiesTest, MenuFramesHeightsAndBackground)
{
    Load("Menu.xml");
    auto* menu = Template<TVktMenu>(10);
    ASSERT_NE(menu, nullptr);
    menu->SetHeaderFields(Columns({{F::Data, 0, 1}, {F::Data2, 0, 0}, {F::Information, 0, 1}}));
    menu->SetRowHeight(30);
    // Two rows, each a line width taller than its height, and the grid's closing line.
    const int w = Grid("Item")->GetLineWidth();
    EXPECT_EQ(doc->Item("Header")->GetAlignSize_(), (30 * 2 + 3 * w) * 10);
    auto* outer = doc->Find<TGraphicContainer>("Graphic1");
    auto* inner = doc->Find<TGraphicContainer>("Graphic2");
    for (const auto& [margin, corner] : {std::pair{50, 295}, std::pair{5, 300}}) {
        doc->Item("Graphic2")->SetMMMarginRect_({margin, margin, margin, margin});
        menu->SetFrameRound(300);
        EXPECT_EQ(outer->GetRoundSize().X, 300);
        EXPECT_EQ(inner->GetRoundSize().Y, corner) << margin;
        EXPECT_EQ(menu->GetFrameRound(), 300);
    }
    menu->SetFrameEnabled(false);
    EXPECT_FALSE(doc->Item("Graphic1")->GetExpanded());
    EXPECT_TRUE(doc->Item("Graphic2")->GetExpanded());
    menu->SetFrameColor(0x3344AA);
    menu->SetFrameType(1);
    EXPECT_EQ(inner->GetPenColor(), 0x3344AA);
    EXPECT_EQ(inner->GetGraphicType(), 1);
    menu->SetNumSjis(2);
    for (const char* name : {"Header", "Footer", "Item"}) EXPECT_EQ(Grid(name)->GetNumSjis(), 2) << name;

    // The background: a loaded picture replaces the ones shown.
    const std::string folder = vkttest::NewTempFolder("menu");
    const std::string file = folder + "/back.bmp";
    platform::WriteFileAtomic(file, platform::EncodeBmp(platform::Picture(6, 4, platform::RgbColor(1, 2, 3))));
    auto* image = doc->Find<TImageContainer>("Image");
    image->AddFile(file);
    image->AddFile(file);
    menu->LoadFromFile(file);
    EXPECT_EQ(image->GetItemCount(), 1);
    menu->SetImageEnabled(true);
    EXPECT_TRUE(menu->GetImageEnabled());
    menu->SetImageType(1);
    EXPECT_EQ(image->GetDrawType(), 1);
}

TEST_F(TemplatePropertiesTest, MissingOrMistypedChildrenReadDefaultsAndChangeNothing)
{
    // Templates alone, and templates whose names point at containers of other types.
    for (bool mistyped : {false, true}) {
        doc = std::make_unique<Document>();
        auto add = [&](int type, const char* name) {
            doc->preview->SetSelected(nullptr);
            TViewItem* item = doc->preview->AddContainer(type);
            if (*name) item->SetName(name);
            return ContainerOf(item);
        };
        auto* list = dynamic_cast<TVktDataList*>(add(8, ""));
        auto* recipe = dynamic_cast<TVktRecipe*>(add(9, ""));
        auto* menu = dynamic_cast<TVktMenu*>(add(10, ""));
        if (mistyped) {
            for (const char* name : {"Title", "DataTop", "DataGrid", "Item", "Header", "Image", "Chart"}) add(4, name);
            add(2, "Graphic1");
            auto* text = dynamic_cast<TTextContainer*>(add(2, "Graphic2"));
            text->SetText("そのまま");
        }
        ASSERT_TRUE(list && recipe && menu);
        EXPECT_FALSE(list->GetChildVisible());
        EXPECT_EQ(list->GetTitle(), "");
        EXPECT_EQ(list->GetRowHeight(), 0);
        EXPECT_EQ(list->GetFields().GetName().GetCount(), 0);
        EXPECT_EQ(recipe->GetChartField(), 0);
        EXPECT_FALSE(recipe->GetImageEnabled());
        EXPECT_EQ(menu->GetFrameRound(), 0);
        list->SetTitle("x");
        list->SetRowHeight(80);
        list->SetFields(Columns({{F::Data, 1, 0}}));
        list->SetRowLine(false);
        recipe->SetRowHeight(80);
        recipe->SetHeaderFields(Columns({{F::Data, 1, 0}}));
        recipe->SetGridColor(0xFF);
        recipe->SetDetailPos(false);
        menu->SetFrameRound(100);
        menu->SetFrameColor(0xFF);
        menu->LoadFromFile("/nonexistent.bmp");
        list->SetChildVisible(true);
        if (mistyped) {
            EXPECT_EQ(doc->Find<TTextContainer>("Graphic2")->GetText(), "そのまま");
            EXPECT_EQ(doc->Find<TGraphicContainer>("Title")->GetPenColor(), 0);
            EXPECT_EQ(doc->Item("Header")->GetAlignSize_(), 0);
        }
        EXPECT_TRUE(vkttest::Scripted().messages.empty());
    }
}

} // namespace
