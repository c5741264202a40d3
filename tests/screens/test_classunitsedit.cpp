// The master-data panels alone (edit cycles, icon grids, icon files, resize rules), the class, form
// and unit page on the sample database, and the class tree and navigator it builds on.
#include <gtest/gtest.h>

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/IconList.h"
#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/ImageList.h"
#include "richtext/Exview.h"
#include "screens/Fattributeeditpanel.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassunitsedit.h"
#include "screens/Fclassview.h"
#include "screens/Fdealereditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Funitseditpanel.h"
#include "support/Keys.h"
#include "support/PaintedRegion.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using vkttest::SampleDatabase;

using vkttest::Key;
using vkttest::Type;

void Enter(QWidget* control) { control->setFocus(Qt::MouseFocusReason); }

// Icons of distinct colours, pixel (0, 0) transparent.
platform::ImageList Icons(int count)
{
    platform::ImageList images;
    for (int i = 0; i < count; ++i) {
        platform::Picture picture(16, 16, platform::RgbColor(20 * i, 100, 200));
        picture.SetPixel(0, 0, platform::RgbColor(254, 254, 254));
        images.AddMasked(picture, platform::RgbColor(254, 254, 254));
    }
    return images;
}

// A panel in an active window.
template <class Panel>
class Hosted : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(&panel);
        window.resize(500, 380);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void ClickRow(TGridEdit* grid, int row)
    {
        QTableView* view = grid->GetStringGrid();
        const QRect rect = view->visualRect(grid->GetModel()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    QWidget window;
    Panel panel;
    std::vector<std::string> log;
};

TTreeIndex Tree(const char* text) { return TTreeIndex(std::string(text)); }

// ===== Class tree =====================================================================================

TEST(ClassTree, FamiliesWithoutTheirRootStandOnTopAndTheSelectionReportsLeavingFirst)
{
    TClassView view;
    view.AddClass(4, 2, 0, "料理", Tree("20001"));
    view.AddClass(2, 1, 0, "食材", Tree("20000"));
    view.AddClass(3, 1, 0, "肉類", Tree("2000000"));
    view.AddClass(6, 1, 0, "牛肉", Tree("200000000"));
    QTreeWidget* tree = view.GetClassTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(0)), 2);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(1)), 4);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(0)->child(0)), 3);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(0)->child(0)->child(0)), 6);

    std::vector<std::string> events;
    view.OnChanging = [&](QTreeWidgetItem* leaving, QTreeWidgetItem* entering) {
        events.push_back("changing " + std::to_string(view.GetNodeID(leaving)) + ">" +
                         std::to_string(view.GetNodeID(entering)) + " selected " +
                         std::to_string(view.GetNodeID(view.GetCurrentNode())));
    };
    view.OnChange = [&](TClassView*) { events.push_back("change " + std::to_string(view.GetSelectedID())); };
    view.SelectID(3);
    view.SelectID(6);
    view.DeleteClass(6);
    EXPECT_EQ(events, (std::vector<std::string>{"changing 0>3 selected 0", "change 3", "changing 3>6 selected 3",
                                                "change 6", "changing 6>3 selected 6", "change 3"}));
}

struct ListedClass {
    int id;
    int image;
    std::string name;
    const char* tree;
};

void Load(TClassView& view, const std::vector<ListedClass>& classes)
{
    view.BeginLoad();
    for (const ListedClass& c : classes) view.AddClass(c.id, 1, c.image, c.name, Tree(c.tree));
    view.EndLoad();
}

// Each node as id, text, image, tree index and expansion, children indented below it.
std::string Dump(const TClassView& view)
{
    std::string text;
    const auto walk = [&](const auto& self, QTreeWidgetItem* node, int depth) -> void {
        text += std::string(2 * static_cast<std::size_t>(depth), ' ') + std::to_string(view.GetNodeID(node)) + " " +
                view.GetNodeText(node) + " " + std::to_string(view.GetNodeImage(node)) + " " +
                view.GetNodeTreeIndex(node).GetAsString() + (node->isExpanded() ? " open" : "") + "\n";
        for (int i = 0; i < node->childCount(); ++i) self(self, node->child(i), depth + 1);
    };
    QTreeWidget* tree = view.GetClassTree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) walk(walk, tree->topLevelItem(i), 0);
    return text;
}

TEST(ClassTree, AReloadKeepsTheNodesOfListedClassesAndEndsAsAFreshBuild)
{
    const std::vector<ListedClass> before{
        {1, 0, "分類", "200"},          {2, 1, "食材", "20000"},
        {3, 2, "肉類", "2000000"},      {6, 3, "牛肉", "200000000"},
        {7, 3, "豚肉", "200000001"},    {5, 2, "魚類", "2000001"},
        {8, 4, "鮭", "200000100"},      {9, 4, "紅鮭", "20000010000"},
        {10, 2, "野菜", "2000002"},     {4, 1, "料理", "20001"},
    };
    // Meat and fish swapped with their sub-trees, pork renamed, salmon's icon changed, the
    // vegetables gone, a new class, beef moved to the dishes, the dishes' family before the
    // ingredients' (the top level reordered).
    const std::vector<ListedClass> after{
        {1, 0, "分類", "200"},          {4, 1, "料理", "20000"},
        {6, 3, "牛肉", "2000000"},      {2, 1, "食材", "20001"},
        {5, 2, "魚類", "2000100"},      {8, 5, "鮭", "200010000"},
        {9, 4, "紅鮭", "20001000000"},  {3, 2, "肉類", "2000101"},
        {7, 3, "豚ロース", "200010100"}, {11, 6, "乳製品", "2000102"},
    };
    const std::vector<ListedClass> swappedOnly{
        {1, 0, "分類", "200"},          {2, 1, "食材", "20000"},
        {5, 2, "魚類", "2000000"},      {8, 4, "鮭", "200000000"},
        {9, 4, "紅鮭", "20000000000"},  {3, 2, "肉類", "2000001"},
        {6, 3, "牛肉", "200000100"},    {7, 3, "豚肉", "200000101"},
        {10, 2, "野菜", "2000002"},     {4, 1, "料理", "20001"},
    };
    for (const auto* listing : {&after, &swappedOnly, &before}) {
        SCOPED_TRACE(listing == &after ? "after" : listing == &before ? "before" : "swapped only");
        TClassView view;
        view.show();
        Load(view, before);
        // Expanded and collapsed by the user: a reload restores what a fresh build shows.
        view.FindNode(3)->setExpanded(true);
        view.FindNode(2)->setExpanded(false);
        std::vector<QTreeWidgetItem*> kept;
        for (int id : {1, 2, 3, 5, 8, 9}) kept.push_back(view.FindNode(id));
        Load(view, *listing);

        TClassView fresh;
        fresh.show();
        Load(fresh, *listing);
        EXPECT_EQ(Dump(view), Dump(fresh));
        for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(view.FindNode(view.GetNodeID(kept[i])), kept[i]);
        EXPECT_EQ(view.FindNode(10) != nullptr, listing != &after);
        EXPECT_EQ(view.FindNode(11) != nullptr, listing == &after);
        // Looked up by the tree index it has now.
        view.SelectID(9);
        EXPECT_EQ(view.GetSelectedTreeIndex().GetAsString(), listing == &after ? "20001000000"
                                                              : listing == &before ? "20000010000"
                                                                                   : "20000000000");
    }
}

TEST(ClassTree, RowsLookAsTheStyleDrawsThemNamesTooLongElided)
{
    platform::IconList icons;
    for (const QColor colour : {QColor(200, 40, 40), QColor(40, 160, 40), QColor(40, 40, 200)}) {
        QPixmap pixmap(16, 16);
        pixmap.fill(colour);
        icons.Add(pixmap);
    }
    for (const bool leafOnly : {false, true}) {
        TClassView view;
        view.SetImages(&icons);
        view.SetLeafOnly(leafOnly);
        view.AddClass(2, 1, 1, "食材", Tree("20000"));
        view.AddClass(3, 1, 2, "肉類 Viandes", Tree("2000000"));
        view.AddClass(6, 1, 1, "牛肉", Tree("200000000"));
        view.AddClass(7, 1, 1, "とても長い分類の名前はこの狭い木には入りきらない", Tree("200000001"));
        view.AddClass(8, 1, 0, "gjpqy Ågÿ", Tree("200000002"));
        view.resize(170, 140);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.SelectID(6);
        QTreeWidget* tree = view.GetClassTree();
        const QImage laid = tree->viewport()->grab().toImage();
        view.SetTextLaidOnce(false);
        const QImage styled = tree->viewport()->grab().toImage();
        EXPECT_FALSE(laid.isNull());
        EXPECT_EQ(laid, styled) << "leaf only " << leafOnly;
    }
}

TEST(ClassTree, NavigatorReportsADeletionThatMovesItsSelection)
{
    SampleDatabase db;
    TClassFilterView nav(nullptr);
    nav.SetVktObject(&db.Object());
    int reports = 0;
    nav.OnChange = [&](TClassFilterBase*) { ++reports; };
    const int duck = db.Object().AddClass(SampleDatabase::kMeat, "鴨肉");
    const int other = db.Object().AddClass(SampleDatabase::kMeat, "羊肉");
    ASSERT_GT(duck, 0);
    nav.SetSelection(duck, 0, {}, {}, -1);
    reports = 0;
    ASSERT_TRUE(db.Object().DeleteClass(other));
    EXPECT_EQ(reports, 0) << "another class deleted: the selection stays";
    ASSERT_TRUE(db.Object().DeleteClass(duck));
    EXPECT_EQ(nav.GetClassView()->GetSelectedID(), SampleDatabase::kMeat);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(nav.BuildFilter().Filters(nav.BuildFilter().IndexOf(TVktField::Class_ID)).GetBegin(0).AsInt(),
              SampleDatabase::kMeat);
}

// ===== Panels alone ===================================================================================

using ClassEdit = Hosted<TClassEditPanel>;

TEST_F(ClassEdit, EnteringAnotherPartCommitsTheFirstAndEscRestoresAllSelected)
{
    const platform::ImageList images = Icons(5);
    panel.SetImages(&images);
    panel.Load("肉類", "Viandes", 2);
    panel.OnReturn = [this](QObject*) {
        const int part = panel.GetEditPart();
        log.push_back(std::to_string(part) + ":" +
                      (part == 0 ? std::to_string(panel.GetIcon()) : part == 1 ? panel.GetName() : panel.GetName2()));
    };
    Enter(panel.GetNameEdit());
    Key(Qt::Key_End);
    Type("X");
    EXPECT_TRUE(panel.GetModified());
    Enter(panel.GetName2Edit());
    EXPECT_EQ(log, std::vector<std::string>{"1:肉類X"});
    Key(Qt::Key_End);
    Type("s");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(panel.GetName2(), "Viandes");
    EXPECT_TRUE(panel.GetName2Edit()->GetCanCopy()) << "the restored text is selected";

    // The icon: a click past the last icon chooses nothing; a chosen icon is written on Ctrl+Enter.
    TIconGrid* grid = panel.GetIconGrid();
    Enter(grid);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(grid->GetColCount() * 3).center());
    EXPECT_EQ(panel.GetIcon(), 2);
    EXPECT_FALSE(panel.GetModified());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(4).center());
    EXPECT_TRUE(panel.GetModified());
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(log, (std::vector<std::string>{"1:肉類X", "0:4"}));
    // A newly shown class is the undo state: nothing pending, Esc brings back its values.
    panel.Load("牛肉", "Boeuf", 1);
    Enter(panel.GetNameEdit());
    Type("Y");
    Key(Qt::Key_Escape);
    EXPECT_EQ(panel.GetName(), "牛肉");
}

TEST(IconGrid, ColumnsFollowTheWidthAndKeepTheSelectedIcon)
{
    const platform::ImageList images = Icons(10);
    TIconGrid grid;
    grid.SetImages(&images);
    grid.resize(5 * 32 + 2 * grid.frameWidth() + grid.verticalScrollBar()->sizeHint().width(), 200);
    grid.show();
    ASSERT_EQ(grid.GetColCount(), 5);
    EXPECT_EQ(grid.GetRowCount(), 2);
    grid.SetSelectedIndex(7);
    EXPECT_EQ(grid.CellRect(7).topLeft(), QPoint(64, 32));
    grid.resize(grid.width() - 2 * 32, 200);
    ASSERT_EQ(grid.GetColCount(), 3);
    EXPECT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(grid.GetSelectedIndex(), 7);
    EXPECT_EQ(grid.CellRect(7).topLeft(), QPoint(32, 64 - grid.verticalScrollBar()->value()));

    // Without icons: one cell that cannot be chosen.
    int chosen = 0;
    grid.OnSelect = [&](TIconGrid*) { ++chosen; };
    grid.SetImages(nullptr);
    EXPECT_EQ(grid.GetRowCount(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(grid.IconAt(QPoint(16, 16)), -1);
    EXPECT_EQ(chosen, 0);
}

// A new selection repaints the two cells whose look changed; the same selection repaints nothing.
TEST(IconGrid, SelectionRepaintsOnlyTheCellsItChanges)
{
    const platform::ImageList images = Icons(10);
    TIconGrid grid;
    grid.SetImages(&images);
    grid.resize(5 * 32 + 2 * grid.frameWidth() + grid.verticalScrollBar()->sizeHint().width(), 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.SetSelectedIndex(1);
    QApplication::processEvents();
    vkttest::PaintedRegion painted;
    grid.viewport()->installEventFilter(&painted);
    grid.SetSelectedIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(painted.Painted.isEmpty());
    grid.SetSelectedIndex(7);
    QApplication::processEvents();
    EXPECT_EQ(painted.Painted, QRegion(grid.CellRect(1)) + grid.CellRect(7));
}

TEST(IconEdit, SavesBitmapOrIconByTheLowerCasedExtensionOnly)
{
    namespace fs = std::filesystem;
    const platform::ImageList images = Icons(3);
    TIconEditPanel panel;
    panel.SetImages(&images);
    panel.GetIconGrid()->SetSelectedIndex(2);
    const fs::path folder = vkttest::NewTempFolder("icons");
    struct Case {
        const char* name;
        bool written;
    };
    for (const Case& c : {Case{"a.BMP", true}, Case{"b.ico", true}, Case{"c.png", false}, Case{"d", false}}) {
        const std::string path = (folder / c.name).string();
        EXPECT_EQ(panel.SaveIcon(path), c.written) << c.name;
        EXPECT_EQ(fs::exists(path), c.written) << c.name;
    }
    EXPECT_EQ(platform::DecodeBmp(platform::ReadFileBytes((folder / "a.BMP").string())), images.GetImage(2));
    const QImage icon(QString::fromStdString((folder / "b.ico").string()), "ico");
    ASSERT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "the mask is kept";
    EXPECT_EQ(QColor(icon.pixel(5, 5)), QColor(40, 100, 200));

    // Saved through the panel's button with its filter.
    vkttest::Scripted().Reset();
    vkttest::Scripted().files.push_back((folder / "e.bmp").string());
    panel.GetBtnSave()->click();
    EXPECT_TRUE(fs::exists(folder / "e.bmp"));
    ASSERT_EQ(vkttest::Scripted().calls.size(), 1u);
    EXPECT_NE(vkttest::Scripted().calls[0].find(TIconEditPanel::kSaveFilter), std::string::npos);
}

using UnitsEdit = Hosted<TUnitsEditPanel>;

TEST_F(UnitsEdit, ANameTypedForOneRowIsWrittenForThatRowOnly)
{
    panel.SetRows({{1, "---", ""}, {2, "生鮮", "Frais"}, {3, "冷凍", "Surgelé"}}, 2);
    panel.OnReturn = [this](QObject*) { log.push_back(std::to_string(panel.GetEditID()) + ":" + panel.GetName()); };
    EXPECT_EQ(panel.GetName2(), "Frais");
    Enter(panel.GetNameEdit());
    Key(Qt::Key_End);
    Type("X");
    ClickRow(panel.GetUnitsList(), 2);
    EXPECT_EQ(log, std::vector<std::string>{"2:生鮮X"});
    EXPECT_EQ(panel.GetCurrentID(), 3);
    EXPECT_EQ(panel.GetName(), "冷凍");

    // A refill keeping the edited row keeps the edit; one whose row went drops it.
    Enter(panel.GetNameEdit());
    Key(Qt::Key_End);
    Type("Y");
    panel.SetRows({{1, "---", ""}, {2, "生鮮X", "Frais"}, {3, "冷凍", "Surgelé"}}, 0);
    EXPECT_TRUE(panel.GetModified());
    EXPECT_EQ(panel.GetName(), "冷凍Y");
    panel.SetRows({{1, "---", ""}, {2, "生鮮X", "Frais"}}, 0);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(panel.GetCurrentID(), 2);
    EXPECT_EQ(panel.GetName(), "生鮮X");
    EXPECT_EQ(log.size(), 1u);

    panel.Clear();
    panel.AddUnit(5, "グラム", "gramme");
    panel.AddUnit(6, "キログラム", "kilogramme");
    EXPECT_EQ(panel.GetRowCount(), 2);
    EXPECT_EQ(panel.GetName2(), "gramme");
}

using DealerEdit = Hosted<TDealerEditPanel>;

TEST_F(DealerEdit, ACommitByEnteringAnotherEditorShowsTheCompanyInTheList)
{
    panel.SetRows({{1, "---", {}}, {7, "築地の問屋", {}}}, 7);
    panel.OnReturn = [this](QObject*) {
        log.push_back(std::to_string(panel.GetEditID()) + ":" + std::to_string(panel.GetEditPart()) + ":" +
                      panel.GetText(panel.GetEditPart()));
    };
    Enter(panel.GetEdit(TDealerEditPanel::dpCompany));
    Type("A");
    Enter(panel.GetEdit(TDealerEditPanel::dpTel));
    EXPECT_EQ(log, std::vector<std::string>{"7:0:A"});
    EXPECT_EQ(panel.GetDealerList()->GetModel()->GetCell(0, 1), "A");
    Type("03");
    Key(Qt::Key_Escape);
    EXPECT_EQ(panel.GetTel(), "");
    EXPECT_FALSE(panel.GetModified());
    Type("045");
    ClickRow(panel.GetDealerList(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"7:0:A", "7:4:045"}));
    EXPECT_EQ(panel.GetEditID(), 1);
}

using AttributeEdit = Hosted<TAttributeEditPanel>;

TEST_F(AttributeEdit, InPlaceRenamesCommitForTheRowLeftAndEscWithoutChangeDoesNothing)
{
    panel.SetRows({{1, "国産", {}}, {2, "有機", {}}}, 1);
    panel.OnReturn = [this](QObject*) { log.push_back(std::to_string(panel.GetEditID()) + ":" + panel.GetEditName()); };
    QTableView* view = panel.GetAttributeList()->GetStringGrid();
    Enter(view);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(panel.GetCurrentName(), "国産");
    Key(Qt::Key_F2);
    Key(Qt::Key_End);
    Type("Z");
    EXPECT_TRUE(panel.GetModified());
    Key(Qt::Key_Down);
    EXPECT_EQ(log, std::vector<std::string>{"1:国産Z"});
    EXPECT_EQ(panel.GetCurrentID(), 2);
    panel.Clear();
    EXPECT_EQ(panel.GetCurrentID(), 0);
}

TEST(PanelLayout, ResizeRulesPlaceListsEditorsAndButtons)
{
    TClassEditPanel classPanel;
    TUnitsEditPanel unitsPanel;
    TAttributeEditPanel attributePanel;
    TIconEditPanel iconPanel;
    for (QWidget* p : {static_cast<QWidget*>(&classPanel), static_cast<QWidget*>(&unitsPanel),
                       static_cast<QWidget*>(&attributePanel), static_cast<QWidget*>(&iconPanel)}) {
        p->resize(500, 300);
        p->show();
    }
    struct Case {
        QWidget* control;
        QRect expected;
    };
    const Case cases[] = {
        {classPanel.GetNameEdit(), {8, 24, 347, 22}},
        {classPanel.GetIconGrid(), {8, 104, 347, 188}},
        {classPanel.GetBtnDown(), {371, 128, 121, 22}},
        {classPanel.GetBtnReturn(), {371, 232, 121, 22}},
        {classPanel.GetBtnCancel(), {371, 272, 121, 22}},
        {unitsPanel.GetUnitsList(), {8, 24, 347, 188}},
        {unitsPanel.GetNameEdit(), {8, 232, 347, 22}},
        {unitsPanel.GetName2Edit(), {8, 272, 347, 22}},
        {unitsPanel.GetBtnNew(), {371, 24, 121, 22}},
        {attributePanel.GetAttributeList(), {8, 8, 347, 284}},
        {iconPanel.GetIconGrid(), {8, 8, 347, 284}},
        {iconPanel.GetBtnDelete(), {371, 76, 121, 22}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.control->geometry(), c.expected) << c.control->objectName().toStdString();
    QTableView* units = unitsPanel.GetUnitsList()->GetStringGrid();
    EXPECT_EQ(units->columnWidth(0), units->viewport()->width() / 2 - 1);
    QTableView* attributes = attributePanel.GetAttributeList()->GetStringGrid();
    EXPECT_EQ(attributes->columnWidth(0), attributes->viewport()->width() - 1);

    TDealerEditPanel dealerPanel;
    dealerPanel.resize(600, 400);
    dealerPanel.show();
    dealerPanel.SetListWidth(150);
    QWidget* editors = dealerPanel.GetPanel();
    EXPECT_EQ(dealerPanel.GetListWidth(), 150);
    EXPECT_EQ(dealerPanel.GetEdit(TDealerEditPanel::dpMail)->width(), editors->width() - 153);
    EXPECT_EQ(dealerPanel.GetBtnNew()->x(), editors->width() - 129);
}

// ===== The class, form and unit page ==================================================================

class ClassPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&page);
        window.resize(640, 360);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        page.SetVktObject(&db.Object());
        probe.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
            writes.push_back(std::to_string(ToInt(field)) + ":" + ids.GetCommaText());
        };
        db.Object().GetEvents().Add(&probe);
    }
    void TearDown() override { probe.Detach(); }

    TClassView* Tree() const { return page.GetClassView(); }
    void Select(int classId) { Tree()->SelectID(classId); }
    struct ClassRow {
        std::string name, french;
        int icon = 0;
        const std::string& GetClass() const { return name; }
        const std::string& GetClass2() const { return french; }
        int GetIconKey() const { return icon; }
    };
    ClassRow Row(int classId)
    {
        TVDBClass reader(&db.Object());
        reader.Refresh();
        reader.Locate(classId);
        return {reader.GetClass(), reader.GetClass2(), reader.GetIconKey()};
    }
    std::vector<int> Children(int classId) const
    {
        std::vector<int> ids;
        QTreeWidgetItem* node = Tree()->FindNode(classId);
        for (int i = 0; node && i < node->childCount(); ++i) ids.push_back(Tree()->GetNodeID(node->child(i)));
        return ids;
    }
    std::vector<int> ListIds(TUnitsEditPanel* panel) const
    {
        std::vector<int> ids;
        for (int row = 0; row < panel->GetRowCount(); ++row) ids.push_back(panel->GetRowID(row));
        return ids;
    }

    SampleDatabase db;
    QWidget window;
    TClassUnitsEdit page{nullptr};
    TVktObjEvent probe;
    std::vector<std::string> writes;
};

TEST_F(ClassPage, FamiliesOnTopAndListsFollowTheFamily)
{
    QTreeWidget* tree = Tree()->GetClassTree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(Tree()->GetNodeID(tree->topLevelItem(0)), SampleDatabase::kFoods);
    EXPECT_EQ(Tree()->GetSelectedID(), SampleDatabase::kFoods);
    EXPECT_EQ(page.GetBranch(), 0);
    EXPECT_EQ(ListIds(page.GetFormEditPanel()), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(page.GetUnitEditPanel()->GetRowID(0), 1);
    Select(SampleDatabase::kBeef);
    EXPECT_EQ(page.GetClassEditPanel()->GetName(), "牛肉");
    const int recipeUnits = db.Object().AddUnit(2, "皿");
    Select(SampleDatabase::kSauce);
    EXPECT_EQ(page.GetBranch(), 1);
    const std::vector<int> units = ListIds(page.GetUnitEditPanel());
    EXPECT_NE(std::find(units.begin(), units.end(), recipeUnits), units.end()) << "the recipe family's units";
    EXPECT_EQ(std::find(units.begin(), units.end(), 25), units.end()) << "not the ingredients' own unit";
    EXPECT_EQ(page.GetTreeLoadCount(), 1);
}

TEST_F(ClassPage, AClassEditIsWrittenForTheClassLeftAndPatchesItsNode)
{
    Select(SampleDatabase::kBeef);
    Enter(page.GetClassEditPanel()->GetNameEdit());
    Key(Qt::Key_End);
    Type("X");
    Select(SampleDatabase::kPork);
    EXPECT_EQ(writes, std::vector<std::string>{"4:" + std::to_string(SampleDatabase::kBeef)});
    EXPECT_EQ(Row(SampleDatabase::kBeef).GetClass(), "牛肉X");
    EXPECT_EQ(Tree()->GetNodeText(Tree()->FindNode(SampleDatabase::kBeef)), "牛肉X");
    EXPECT_EQ(page.GetClassEditPanel()->GetName(), "豚肉");
    EXPECT_EQ(page.GetTreeLoadCount(), 1) << "a rename reloads no tree";

    // The French name and the icon, committed with Ctrl+Enter.
    Enter(page.GetClassEditPanel()->GetName2Edit());
    Key(Qt::Key_End);
    Type("e");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Row(SampleDatabase::kPork).GetClass2(), page.GetClassEditPanel()->GetName2());
    EXPECT_EQ(page.GetFrenchName(SampleDatabase::kPork), page.GetClassEditPanel()->GetName2());
    TIconGrid* grid = page.GetClassEditPanel()->GetIconGrid();
    Enter(grid);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(5).center());
    Select(SampleDatabase::kChicken);
    EXPECT_EQ(Row(SampleDatabase::kPork).GetIconKey(), 5);
    EXPECT_EQ(Tree()->GetNodeImage(Tree()->FindNode(SampleDatabase::kPork)), 5);
}

TEST_F(ClassPage, NewChildAndMovesAndTheNoticesThatFollow)
{
    // A family has no parent here: no sibling for it.
    const int families = Tree()->GetClassTree()->topLevelItemCount();
    page.ClassEditPanelBtnNewClick();
    EXPECT_EQ(Tree()->GetClassTree()->topLevelItemCount(), families);
    EXPECT_TRUE(writes.empty());

    Select(SampleDatabase::kPork);
    page.GetClassEditPanel()->GetBtnNew()->click();
    const int sibling = Tree()->GetSelectedID();
    EXPECT_EQ(Children(SampleDatabase::kMeat).back(), sibling) << "the new class is selected";
    page.GetClassEditPanel()->GetBtnChildNew()->click();
    const int child = Tree()->GetSelectedID();
    EXPECT_EQ(Children(sibling), std::vector<int>{child});
    EXPECT_EQ(page.GetTreeLoadCount(), 1) << "adding reloads no tree";

    // Moving up rewrites tree indexes: the tree reloads and keeps the selection.
    Select(sibling);
    page.GetClassEditPanel()->GetBtnUp()->click();
    EXPECT_EQ(page.GetTreeLoadCount(), 2);
    EXPECT_EQ(Tree()->GetSelectedID(), sibling);
    const std::vector<int> meat = Children(SampleDatabase::kMeat);
    EXPECT_EQ(meat[meat.size() - 2], sibling);
    EXPECT_EQ(Children(sibling), std::vector<int>{child});

    // A pending name is written before the move; deleting the class takes its sub-tree.
    const std::string name = Row(sibling).GetClass();
    Enter(page.GetClassEditPanel()->GetNameEdit());
    Key(Qt::Key_End);
    Type("Duck");
    page.GetClassEditPanel()->GetBtnDown()->click();
    EXPECT_EQ(Row(sibling).GetClass(), name + "Duck");
    Select(child);
    ASSERT_TRUE(db.Object().DeleteClass(child));
    ASSERT_TRUE(db.Object().DeleteClass(sibling));
    EXPECT_EQ(Tree()->FindNode(sibling), nullptr);
    EXPECT_EQ(Tree()->GetSelectedID(), SampleDatabase::kMeat);
}

// A new class far below the shown rows: selected and scrolled into view, the window shows what a
// full paint shows, and the scroll bar repaints only what its slider moved.
TEST_F(ClassPage, ANewClassFarBelowIsScrolledToAndTheBarRepaintsItsSlider)
{
    Select(SampleDatabase::kPork);
    for (int i = 0; i < 150; ++i) page.ClassEditPanelBtnNewClick();
    QTreeWidget* tree = Tree()->GetClassTree();
    QScrollBar* bar = tree->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 140);
    // Shown from a class halfway down (neither end of the bar changes its look).
    Select(Children(SampleDatabase::kMeat)[60]);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    ASSERT_GT(bar->value(), 40);
    vkttest::PaintedRegion painted;
    bar->installEventFilter(&painted);
    Select(SampleDatabase::kPork);
    page.ClassEditPanelBtnNewClick();
    tree->viewport()->repaint();
    const int added = Tree()->GetSelectedID();
    EXPECT_EQ(Children(SampleDatabase::kMeat).back(), added);
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualItemRect(Tree()->FindNode(added))));
    EXPECT_GT(bar->value(), 140);
    // The slider's old place and its new one, not the groove between nor the place it passed.
    int rows = 0;
    for (const QRect& part : painted.Painted) rows += part.height();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, bar->height() / 2);
    const auto shown = [](QWidget* widget) {
        const QPoint at = widget->mapTo(widget->window(), QPoint());
        return widget->screen()
            ->grabWindow(widget->window()->winId(), at.x(), at.y(), widget->width(), widget->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(shown(bar), bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(shown(tree->viewport()), tree->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(page.GetTreeLoadCount(), 1);
}

TEST_F(ClassPage, FormEditsCommitOnlyWhenTheSelectionCrossesFamilies)
{
    page.SetEditMode(TClassUnitsEdit::emForm);
    TUnitsEditPanel* forms = page.GetFormEditPanel();
    forms->SelectID(2);
    Enter(forms->GetNameEdit());
    Key(Qt::Key_End);
    Type("S");
    Select(SampleDatabase::kBeef);
    EXPECT_TRUE(writes.empty()) << "same family";
    EXPECT_TRUE(forms->GetModified());
    Select(SampleDatabase::kSauce);
    EXPECT_EQ(writes, std::vector<std::string>{"10:2"});

    // Back in the ingredients: the stored name; a new form comes last and the selection stays.
    Select(SampleDatabase::kBeef);
    forms->SelectID(2);
    EXPECT_EQ(forms->GetName(), "生鮮S");
    forms->GetBtnNew()->click();
    EXPECT_EQ(forms->GetRowCount(), 5);
    EXPECT_EQ(forms->GetCurrentID(), 2);
}

TEST_F(ClassPage, ModeWidthsAreKeptPerModeAndSplitterMovesRecorded)
{
    page.SetFormModeWidth(230);
    EXPECT_EQ(Tree()->width(), TClassUnitsEdit::kDesignWidth);
    page.SetEditMode(TClassUnitsEdit::emForm);
    EXPECT_EQ(Tree()->width(), 230);
    page.GetSplitter()->setSizes({250, 380});
    emit page.GetSplitter()->splitterMoved(250, 1);
    EXPECT_EQ(page.GetFormModeWidth(), 250);
    page.SetEditMode(TClassUnitsEdit::emClass);
    EXPECT_EQ(Tree()->width(), TClassUnitsEdit::kDesignWidth);
    EXPECT_EQ(page.GetClassModeWidth(), TClassUnitsEdit::kDesignWidth);
}

} // namespace
