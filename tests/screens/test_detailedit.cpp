// The record detail panel over the sample kitchen database, driven with keys, clicks and focus
// moves in an active window: the dealer and price history of an ingredient, the items of a recipe
// with in-place edits, moves, categories and repricing, the record list echoing an item edit, the
// erase states and the item columns' widths.
#include <gtest/gtest.h>

#include "data/Ufilterstruct.h"
#include "data/Uvktdbstruct.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "richtext/Exview.h"
#include "screens/Fattributeselectpanel.h"
#include "screens/Fdataview.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fimageeditpanel.h"
#include "screens/Fitemchartpanel.h"
#include "screens/Fitemlistview.h"
#include "screens/Fmemoeditpanel.h"
#include "screens/Fmhistoryeditpanel.h"
#include "support/Keys.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Imageview.h"
#include "support/Ids.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPieSeries>
#include <QPieSlice>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using platform::Currency;
using platform::EncodeDate;
using platform::Variant;

using vkttest::Ids;

using vkttest::Key;
using vkttest::Type;

class DetailPanel : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFixedNow(EncodeDate(2024, 6, 15) + 0.4);
        db = std::make_unique<vkttest::SampleDatabase>();
        TVktObject& o = db->Object();
        tsukiji = o.AddDealer("築地の問屋");
        maruyama = o.AddDealer("丸山青果");
        const std::pair<F, const char*> contacts[] = {{F::Dealer, "山田 太郎"}, {F::Tel, "03-3541-0000"},
                                                      {F::Address, "東京都中央区築地5-2-1"}};
        for (const auto& [field, text] : contacts) o.EditData(field, Variant(std::string(text)), Ids({tsukiji}));
        o.EditData(F::Dealer, Variant(std::string("丸山 花子")), Ids({maruyama}));
        wagyu = db->Record("和牛サーロイン");
        steak = db->Record("和牛のステーキ");
        o.EditData(F::Dealer_Key, Variant(tsukiji), Ids({wagyu}));
        for (int m = 0; m < 12; ++m) {
            const int month = 6 - m > 0 ? 6 - m : 18 - m;
            o.SetMHistoryPrice(wagyu, EncodeDate(m < 6 ? 2024 : 2023, month, 10), Currency::FromInt(60 + m));
        }
        o.SetMHistoryPrice(wagyu, EncodeDate(2024, 6, 14), Currency::FromInt(64));

        auto* layout = new QVBoxLayout(&window);
        panel = new TDetailEditPanel(&window);
        layout->addWidget(panel);
        layout->addWidget(&other);
        window.resize(600, 420);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        panel->SetVktObject(&o);
    }
    void TearDown() override
    {
        delete panel;
        platform::SetClock({});
        vkttest::Scripted().Reset();
    }

    TVktObject& Object() { return db->Object(); }
    TItemListView* Items() { return panel->GetItemEditPanel(); }
    QTableView* ItemGrid() { return Items()->GetStringGrid(); }
    void FocusItem(int row, int col)
    {
        ItemGrid()->setFocus();
        ItemGrid()->setCurrentIndex(ItemGrid()->model()->index(row, col));
    }
    std::string ItemNames()
    {
        std::string names;
        for (int row = 0; row < Items()->GetRowCount(); ++row)
            names += (row ? "," : "") + Items()->GetModel()->GetCell(TItemListView::ColName, row);
        return names;
    }
    // The stored items of the steak: "name use" in order.
    std::string StoredItems()
    {
        TVDBItem items(&Object());
        TFilterObject filter;
        filter.Add(F::Item_Key, foEqual, Variant(steak), {});
        items.SetFilter(filter);
        std::string text;
        for (int row = 0; row < items.GetRowCount(); ++row) {
            items.SetRowIndex(row);
            text += (row ? "," : "") + items.GetData() + " " + platform::FloatToStr(items.GetItemUse());
        }
        return text;
    }

    // The record's stored picture.
    std::string StoredImage(int id)
    {
        TVDBDetail detail(&Object());
        TFilterObject filter;
        filter.Add(F::Data_ID, foEqual, Variant(id), {});
        detail.SetFilter(filter);
        return detail.GetRowCount() > 0 ? detail.GetImage() : std::string();
    }
    // The record shown on its picture page, the picture focused as by a click.
    TImageView* ShowPicture(int id)
    {
        panel->SetData(id);
        panel->GetPageControl()->setCurrentWidget(panel->GetTab("TabImage"));
        TImageView* view = panel->GetImageEditPanel()->GetImageView();
        view->setFocus(Qt::MouseFocusReason);
        return view;
    }

    std::unique_ptr<vkttest::SampleDatabase> db;
    QWidget window;
    TDetailEditPanel* panel = nullptr;
    QLineEdit other{&window};
    int tsukiji = 0, maruyama = 0, wagyu = 0, steak = 0;
};

TEST_F(DetailPanel, AnIngredientShowsItsDealerAndAYearOfHistory)
{
    panel->SetData(wagyu);
    EXPECT_EQ(panel->GetClassType(), 1);
    QTabWidget* tabs = panel->GetPageControl();
    EXPECT_EQ(tabs->tabText(tabs->indexOf(panel->GetTab("TabDetail"))), "業者");
    EXPECT_EQ(tabs->tabText(tabs->indexOf(panel->GetTab("TabChart"))), "履歴チャート");
    EXPECT_FALSE(panel->TabShown("TabKernel"));
    EXPECT_TRUE(panel->GetItemEditPanel()->isHidden());
    TDealerSelectPanel* dealer = panel->GetDealerEditPanel();
    EXPECT_EQ(dealer->GetCompanySelector()->currentText(), "築地の問屋");
    EXPECT_EQ(dealer->GetDealerEdit()->text(), "山田 太郎");
    EXPECT_EQ(dealer->GetAddressEdit()->text(), "東京都中央区築地5-2-1");
    THistoryChartPanel* chart = panel->GetHistoryChartPanel();
    EXPECT_GE(chart->GetMonthList()->count(), 12);
    EXPECT_EQ(chart->GetMonthList()->currentText(), "2024年6月");
    // The 10th and the 14th, and today's price from the record's buy price.
    EXPECT_EQ(chart->GetModel().PointsOfMonth(EncodeDate(2024, 6, 1)).size(), 3u);
    // The attribute checks of the record.
    EXPECT_EQ(panel->GetAttributeEditPanel()->GetCheck(db->Domestic()), 2);
    EXPECT_EQ(panel->GetAttributeEditPanel()->GetCheck(db->Organic()), 0);
}

TEST_F(DetailPanel, ChoosingAnotherDealerWritesItAndShowsItsContacts)
{
    panel->SetData(wagyu);
    QComboBox* selector = panel->GetDealerEditPanel()->GetCompanySelector();
    selector->setFocus();
    Key(Qt::Key_Down);
    EXPECT_EQ(panel->GetDealerEditPanel()->GetDealerEdit()->text(), "丸山 花子");
    EXPECT_TRUE(panel->IsEditing());
    // The write runs under the busy cursor, which is back when it returns.
    vkttest::Scripted().busyDepth = 0;
    int busyDuringWrite = -1;
    TVktObjEvent probe;
    probe.OnFieldChange = [&](TVktObject*, TVktField field, TPriorityItem) {
        if (field == F::Dealer_Key) busyDuringWrite = vkttest::Scripted().busyDepth;
    };
    Object().GetEvents().Add(&probe);
    other.setFocus();
    probe.Detach();
    EXPECT_EQ(busyDuringWrite, 1);
    EXPECT_FALSE(panel->IsEditing());
    TVDBFood food(&Object());
    TFilterObject filter;
    filter.Add(F::Food_Key, foEqual, Variant(wagyu), {});
    food.SetFilter(filter);
    EXPECT_EQ(food.GetDealerKey(), maruyama);
    EXPECT_EQ(panel->GetDealerEditPanel()->GetCompanySelector()->currentText(), "丸山青果");
    EXPECT_EQ(vkttest::Scripted().busyDepth, 0);
}

TEST_F(DetailPanel, CorrectingYesterdaysPriceWritesTheMonthAndMovesThePoint)
{
    panel->SetData(wagyu);
    THistoryChartPanel* chart = panel->GetHistoryChartPanel();
    chart->GetBtnMHistEdit()->click();
    auto* editor = dynamic_cast<TMHistoryEditPanel*>(chart->GetMonthEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isHidden());
    QTableView* grid = editor->GetStringGrid()->GetStringGrid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(13, 1));
    Type("70");
    Key(Qt::Key_Up);
    TVDBMonthHistory months(&Object());
    TFilterObject filter;
    filter.Add(F::MHistory_Key, foEqual, Variant(wagyu), {});
    months.SetFilter(filter);
    std::string june14;
    for (int row = 0; row < months.GetRowCount(); ++row) {
        months.SetRowIndex(row);
        if (platform::DateOf(months.GetMHistoryDate()) == EncodeDate(2024, 6, 14))
            june14 += months.GetMHistoryPrice().ToText();
    }
    EXPECT_EQ(june14, "70");
    const auto june = chart->GetModel().PointsOfMonth(EncodeDate(2024, 6, 1));
    ASSERT_EQ(june.size(), 3u);
    EXPECT_DOUBLE_EQ(june[1].price, 70);
    EXPECT_DOUBLE_EQ(chart->GetMonthSeries()->at(chart->GetMonthSeries()->count() - 2).y(), 70);
}

// A month price the database does not store: the editor and the chart show the stored one again.
TEST_F(DetailPanel, AMonthPriceTheDatabaseRefusesShowsTheStoredOneAgain)
{
    panel->SetData(wagyu);
    platform::Connection refusing(platform::DatabaseFilePath(db->Folder()));
    for (const char* event : {"insert", "update"})
        refusing.Execute("create trigger Refuse" + std::string(event) + " before " + event + " on " +
                         GetTableFileName(TVktTable::TblMHistory) + " begin select raise(abort, 'disk full'); end");
    THistoryChartPanel* chart = panel->GetHistoryChartPanel();
    chart->GetBtnMHistEdit()->click();
    auto* editor = dynamic_cast<TMHistoryEditPanel*>(chart->GetMonthEditor());
    ASSERT_NE(editor, nullptr);
    QTableView* grid = editor->GetStringGrid()->GetStringGrid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(13, 1));
    Type("70");
    Key(Qt::Key_Up);
    EXPECT_EQ(editor->GetPrice(EncodeDate(2024, 6, 14)).ToText(), "64");
    const auto june = chart->GetModel().PointsOfMonth(EncodeDate(2024, 6, 1));
    ASSERT_EQ(june.size(), 3u);
    EXPECT_DOUBLE_EQ(june[1].price, 64);
}

TEST_F(DetailPanel, AHistoryReloadBehindAnotherTabShowsWithTheTab)
{
    // Found as a child: the panel's getter would fill the chart.
    auto* chart = panel->findChild<THistoryChartPanel*>();
    QTabWidget* tabs = panel->GetPageControl();
    panel->SetData(wagyu);
    tabs->setCurrentWidget(panel->GetTab("TabChart"));
    ASSERT_EQ(chart->GetModel().PointsOfMonth(EncodeDate(2024, 6, 1)).size(), 3u);
    const double today = chart->GetModel().GetDayPoints().back().price;
    // Repriced behind the memo tab: today's point follows once the chart's tab shows.
    tabs->setCurrentWidget(panel->GetTab("TabMemo"));
    ASSERT_TRUE(Object().EditData(F::BuyPrice, Variant(25600.0), Ids({wagyu})));
    tabs->setCurrentWidget(panel->GetTab("TabChart"));
    EXPECT_DOUBLE_EQ(chart->GetModel().GetDayPoints().back().price, 2 * today);
    // A reload left behind goes with the ingredient.
    tabs->setCurrentWidget(panel->GetTab("TabMemo"));
    ASSERT_TRUE(Object().EditData(F::BuyPrice, Variant(12800.0), Ids({wagyu})));
    panel->SetData(steak);
    EXPECT_TRUE(panel->GetHistoryChartPanel()->GetModel().GetDayPoints().empty());
}

TEST_F(DetailPanel, ARecipeShowsItsItemsAndAnItemEditReachesTheRecordList)
{
    TDataView list(&window);
    TViewFieldStruct fields;
    fields.GetName() << ToInt(F::Data) << ToInt(F::TotalPrice);
    fields.GetOrder() << 0 << 0;
    fields.GetWidth() << 120 << 80;
    list.SetVktObject(&Object());
    list.SetViewFields(fields);
    list.show();
    const int listRow = list.RowOfID(steak);
    ASSERT_GE(listRow, 0);
    const std::string before = list.GetDataListView()->CellText(1, listRow);

    panel->SetData(steak);
    QTabWidget* tabs = panel->GetPageControl();
    EXPECT_EQ(tabs->tabText(tabs->indexOf(panel->GetTab("TabDetail"))), "材料");
    EXPECT_EQ(ItemNames(), "和牛サーロイン,玉ねぎ,デミグラスソース");
    QPieSeries* pie = panel->GetItemChartPanel()->GetItemSeries();
    ASSERT_EQ(pie->count(), 3);
    EXPECT_NEAR(pie->slices()[1]->brush().color().hsvHue(), 25, 1);

    FocusItem(1, TItemListView::ColUse);
    Type("1");
    Key(Qt::Key_Up);
    EXPECT_EQ(StoredItems(), "和牛サーロイン 200,玉ねぎ 1,デミグラスソース 0.06");
    const Currency price = Currency::FromDouble(std::stod(Items()->GetModel()->GetCell(TItemListView::ColPrice, 1)));
    EXPECT_EQ(Items()->GetModel()->GetCell(TItemListView::ColUsePrice, 1), price.ToText());
    EXPECT_NE(list.GetDataListView()->CellText(1, listRow), before);

    // Use 0 writes the use, then the use price typed for it.
    FocusItem(2, TItemListView::ColUse);
    Type("0");
    other.setFocus();
    FocusItem(2, TItemListView::ColUsePrice);
    Type("300");
    other.setFocus();
    TVDBItem items(&Object());
    TFilterObject filter;
    filter.Add(F::Item_Key, foEqual, Variant(steak), {});
    items.SetFilter(filter);
    items.SetRowIndex(2);
    EXPECT_EQ(items.GetItemUse(), 0);
    EXPECT_EQ(items.GetItemUsePrice(), Currency::FromInt(300));
}

TEST_F(DetailPanel, ItemActionsMoveTheSelectionAsTheyShould)
{
    panel->SetData(steak);
    struct Step { const char* action; int from; const char* names; int row; };
    const Step steps[] = {
        {"ActItemUp", 0, "和牛サーロイン,玉ねぎ,デミグラスソース", 0},    // refused: stays
        {"ActItemDown", 0, "玉ねぎ,和牛サーロイン,デミグラスソース", 1},  // follows the item
        {"ActItemUp", 1, "和牛サーロイン,玉ねぎ,デミグラスソース", 0},
        {"ActItemDelete", 2, "和牛サーロイン,玉ねぎ", 1},                  // the new last row
    };
    for (const Step& s : steps) {
        FocusItem(s.from, 0);
        panel->GetAction(s.action)->trigger();
        EXPECT_EQ(ItemNames(), s.names) << s.action << " " << s.from;
        EXPECT_EQ(ItemGrid()->currentIndex().row(), s.row) << s.action << " " << s.from;
        EXPECT_TRUE(ItemGrid()->hasFocus());
    }
    // A category split at the selected item, then the categories cleared again.
    const auto categories = [this] {
        std::string text;
        for (int row = 0; row < Items()->GetRowCount(); ++row)
            text += (row ? "," : "") + Items()->GetModel()->GetCell(TItemListView::ColCategory, row);
        return text;
    };
    const std::string single = categories();
    FocusItem(1, 0);
    panel->GetAction("ActItemChangeIndex")->trigger();
    EXPECT_NE(categories(), single);
    EXPECT_EQ(ItemGrid()->currentIndex().row(), 1);
    panel->GetAction("ActItemInitIndex")->trigger();
    EXPECT_EQ(categories(), single);
    // A new current price comes in through the reprice action.
    Object().EditData(F::BuyPrice, Variant(500.0), Ids({db->Record("玉ねぎ")}));
    const std::string old = Items()->GetModel()->GetCell(TItemListView::ColPrice, 1);
    FocusItem(1, 0);
    panel->GetAction("ActItemRepriceNow")->trigger();
    EXPECT_NE(Items()->GetModel()->GetCell(TItemListView::ColPrice, 1), old);
    EXPECT_EQ(ItemGrid()->currentIndex().row(), 1);
}

TEST_F(DetailPanel, AnOpenedRecipeHasACurrentItemAndItsToolsWorkAtOnce)
{
    panel->SetData(steak);
    panel->GetPageControl()->setCurrentWidget(panel->GetTab("TabDetail"));
    EXPECT_EQ(ItemGrid()->currentIndex().row(), 0);
    // No row clicked: the tool bar's down button moves the first item.
    QToolBar* bar = panel->GetItemToolBar();
    QTest::mouseClick(bar->widgetForAction(panel->GetAction("ActItemDown")), Qt::LeftButton);
    EXPECT_EQ(ItemNames(), "玉ねぎ,和牛サーロイン,デミグラスソース");
    EXPECT_EQ(ItemGrid()->currentIndex().row(), 1);
    panel->SetData(db->Record("デミグラスソース"));
    EXPECT_EQ(ItemGrid()->currentIndex().row(), 0);

    // Reopened after a new buy price: the reprice menu takes it at once.
    panel->SetData(wagyu);
    Object().EditData(F::BuyPrice, Variant(500.0), Ids({db->Record("玉ねぎ")}));
    panel->SetData(steak);
    const std::string old = Items()->GetModel()->GetCell(TItemListView::ColPrice, 0);
    auto* reprice = bar->findChild<QToolButton*>("BtnItemReprice");
    ASSERT_NE(reprice, nullptr);
    QTimer::singleShot(0, [this] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        QAction* now = panel->GetAction("ActItemRepriceNow");
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(now).center());
    });
    QTest::mouseClick(reprice, Qt::LeftButton);
    EXPECT_NE(Items()->GetModel()->GetCell(TItemListView::ColPrice, 0), old);

    // With nothing to act on the tools are disabled.
    for (int left = 3; left > 0; --left) {
        EXPECT_TRUE(panel->GetAction("ActItemDelete")->isEnabled());
        QTest::mouseClick(bar->widgetForAction(panel->GetAction("ActItemDelete")), Qt::LeftButton);
    }
    EXPECT_EQ(Items()->GetRowCount(), 0);
    for (const char* name : {"ActItemUp", "ActItemDown", "ActItemInitIndex", "ActItemChangeIndex", "ActItemDelete",
                             "ActItemRepriceNow", "ActItemRepriceMHLast"})
        EXPECT_FALSE(panel->GetAction(name)->isEnabled()) << name;
    EXPECT_FALSE(reprice->isEnabled());
}

// Another recipe opened over one with items: its item tools stay enabled without a change notice;
// a recipe without items disables them once.
TEST_F(DetailPanel, ItemToolsChangeOnlyWhenTheOpenedRecipeChangesThem)
{
    panel->SetData(steak);
    QAction* down = panel->GetAction("ActItemDown");
    ASSERT_TRUE(down->isEnabled());
    int notices = 0;
    QObject::connect(down, &QAction::changed, [&] { ++notices; });
    panel->SetData(db->Record("デミグラスソース"));
    panel->SetData(steak);
    EXPECT_TRUE(down->isEnabled());
    EXPECT_EQ(notices, 0);
    for (int left = Items()->GetRowCount(); left > 0; --left) panel->GetAction("ActItemDelete")->trigger();
    panel->SetData(steak);
    EXPECT_FALSE(down->isEnabled());
    EXPECT_EQ(notices, 1);
}

TEST_F(DetailPanel, EveryActionWithAPictureShowsIt)
{
    for (const char* name : {"ActImageLoad", "ActImageSave", "ActImageDelete", "ActImageCopy", "ActImagePaste",
                             "ActImageCut", "ActImageLeftRotate", "ActImageRightRotate", "ActImageHorzMirror",
                             "ActImageVertMirror", "ActItemUp", "ActItemDown", "ActItemInitIndex",
                             "ActItemChangeIndex", "ActItemDelete"})
        EXPECT_FALSE(panel->GetAction(name)->icon().isNull()) << name;
}

// Each tool button of the panel's pages (items, memo and its style bar, picture, history) takes the
// focus by Tab and shows it.
TEST_F(DetailPanel, EveryToolButtonTakesTheFocusByTabAndShowsIt)
{
    panel->SetData(steak);
    const QList<QToolButton*> buttons = panel->findChildren<QToolButton*>();
    ASSERT_GE(buttons.size(), 30);
    for (const char* name : {"BtnLoad", "BtnSave", "BtnCut", "BtnBold", "BtnItalic"})
        EXPECT_TRUE(std::any_of(buttons.begin(), buttons.end(), [name](const QToolButton* b) {
            return b->defaultAction() && b->defaultAction()->objectName() == QLatin1String(name);
        })) << name;
    for (QToolButton* button : buttons) {
        const std::string name = button->defaultAction() ? button->defaultAction()->objectName().toStdString()
                                                         : button->objectName().toStdString();
        EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus) << name;
    }
    // In each bar Tab reaches the bar's » (the buttons it has no room for) after its buttons.
    for (const QToolBar* bar : panel->findChildren<QToolBar*>()) {
        std::vector<const QWidget*> order;
        for (const QWidget* w = bar->nextInFocusChain(); w != bar; w = w->nextInFocusChain())
            if (w->parentWidget() == bar && qobject_cast<const QToolButton*>(w)) order.push_back(w);
        ASSERT_FALSE(order.empty()) << bar->objectName().toStdString();
        EXPECT_EQ(order.back()->objectName(), QStringLiteral("qt_toolbar_ext_button")) << bar->objectName().toStdString();
    }
    panel->GetPageControl()->setCurrentWidget(panel->GetTab("TabDetail"));
    QToolButton* up = nullptr;
    for (QToolButton* button : buttons)
        if (button->defaultAction() == panel->GetAction("ActItemUp")) up = button;
    ASSERT_NE(up, nullptr);
    up->setEnabled(true);
    const QImage plain = up->grab().toImage();
    // Reached by keys: away by Shift+Tab and back by Tab.
    up->setFocus(Qt::TabFocusReason);
    QTest::keyClick(up, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(up->hasFocus());
    EXPECT_NE(up->grab().toImage(), plain) << "the focus shows";
}

// A metafile whose header is damaged, loaded from a file, is kept and said as a pasted one is. A
// pending clear survives the file picker that the next load opens, and Esc then brings back the
// kept bytes exactly: nothing is written on the way.
TEST_F(DetailPanel, AKeptMetafileSurvivesLoadClearLoadAndEsc)
{
    vkttest::ScriptedServices& scripted = vkttest::Scripted();
    scripted.Reset();
    scripted.showsWindows = true;
    const std::string folder = vkttest::NewTempFolder();
    std::string damaged = vkttest::KitchenEmf();
    damaged.replace(40, 4, "XXXX");   // the signature
    const std::string plate = vkttest::KitchenEmf();
    const std::string square = vkttest::EmfBuilder(60, 60).Rectangle(5, 5, 55, 55, 0x10A010).Bytes();
    platform::WriteFileAtomic(folder + "/damaged.emf", damaged);
    platform::WriteFileAtomic(folder + "/plate.emf", plate);
    platform::WriteFileAtomic(folder + "/square.emf", square);
    TImageView* view = ShowPicture(wagyu);
    TImageEditPanel* image = panel->GetImageEditPanel();

    scripted.files = {folder + "/damaged.emf"};
    panel->GetAction("ActImageLoad")->trigger();
    ASSERT_TRUE(vkttest::WaitForPlayers());   // said once tried
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_EQ(scripted.messages[0].text,
              "このメタファイルは表示できません。\nメタファイルの先頭が読み取れません。\n図のデータはそのまま残ります。");
    EXPECT_EQ(scripted.messages[0].caption, platform::Application::Instance()->GetDisplayName());
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(StoredImage(wagyu), damaged);

    scripted.files = {folder + "/plate.emf", folder + "/square.emf"};
    panel->GetAction("ActImageLoad")->trigger();
    EXPECT_EQ(image->GetImage(), plate);
    panel->GetAction("ActImageDelete")->trigger();
    EXPECT_EQ(image->GetImage(), "");
    panel->GetAction("ActImageLoad")->trigger();
    EXPECT_EQ(image->GetImage(), square);
    EXPECT_EQ(StoredImage(wagyu), damaged) << "a picker applied the pending edit";
    EXPECT_EQ(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(image->GetImage(), damaged);
    EXPECT_FALSE(image->IsModified());
    other.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(StoredImage(wagyu), damaged);
}

// The save picker proposes the file the shown record's picture came from or went to, never the
// file of another record's picture, nor one whose load was undone.
TEST_F(DetailPanel, TheSavePickerProposesOnlyTheShownPicturesFile)
{
    vkttest::ScriptedServices& scripted = vkttest::Scripted();
    scripted.Reset();
    const std::string folder = vkttest::NewTempFolder();
    platform::WriteFileAtomic(folder + "/plate.emf", vkttest::KitchenEmf());
    platform::WriteFileAtomic(folder + "/square.emf", vkttest::MakeEmf(254, 254));
    Object().EditData(F::Image, Variant(vkttest::MakeEmf(508, 254)), Ids({steak}));
    const auto proposed = [&] {
        panel->GetAction("ActImageSave")->trigger();   // cancelled
        const std::string call = scripted.calls.back();
        return call.substr(call.rfind('|') + 1);
    };

    scripted.files = {folder + "/plate.emf"};
    ShowPicture(wagyu);
    panel->GetAction("ActImageLoad")->trigger();
    other.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(proposed(), folder + "/plate.emf");
    ShowPicture(steak);
    EXPECT_EQ(proposed(), "");
    ShowPicture(wagyu);
    EXPECT_EQ(proposed(), folder + "/plate.emf");

    scripted.files = {folder + "/square.emf"};
    TImageView* view = ShowPicture(steak);
    panel->GetAction("ActImageLoad")->trigger();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(proposed(), "");
    EXPECT_EQ(scripted.calls.back().substr(0, scripted.calls.back().rfind('|')),
              std::string("SaveFile||") + TDetailEditPanel::kPictureFilter + "|" + folder)
        << "the picker still starts in the folder last used";
}

TEST_F(DetailPanel, ItemWidthsAreSavedOnMouseRelease)
{
    panel->SetData(steak);
    QHeaderView* header = Items()->GetHeaderControl();
    ASSERT_GT(header->count(), 1);
    const int width = panel->GetItemViewFields().GetWidth().GetItem(0);
    header->resizeSection(0, width + 30);
    EXPECT_EQ(panel->GetItemViewFields().GetWidth().GetItem(0), width + 30);
    EXPECT_EQ(Object().GetItemViewFields().GetWidth().GetItem(0), width);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::qWait(10);
    EXPECT_EQ(Object().GetItemViewFields().GetWidth().GetItem(0), width + 30);
}

TEST_F(DetailPanel, EraseStatesAndASwitchToAnIngredient)
{
    panel->SetData(db->Record("生クリーム"));
    EXPECT_EQ(panel->GetEraseState(), -2);
    for (const char* tab : {"TabDetail", "TabMemo", "TabImage", "TabAttribute", "TabChart"})
        EXPECT_FALSE(panel->TabShown(tab)) << tab;

    panel->SetData(db->Record("牛ヒレ肉"));
    EXPECT_EQ(panel->GetEraseState(), -1);
    for (const char* tab : {"TabDetail", "TabMemo", "TabImage", "TabAttribute", "TabChart"})
        EXPECT_TRUE(panel->TabShown(tab)) << tab;
    for (QWidget* frame : std::initializer_list<QWidget*>{panel->GetDealerEditPanel(), panel->GetMemoEditPanel(),
                                                          panel->GetImageEditPanel(), panel->GetAttributeEditPanel()})
        EXPECT_FALSE(frame->isEnabled()) << frame->objectName().toStdString();

    panel->SetData(steak);
    EXPECT_EQ(panel->GetEraseState(), 0);
    EXPECT_TRUE(panel->GetItemEditPanel()->isEnabled());
    // From a recipe to an ingredient: items and pie go before the dealer comes.
    panel->SetData(wagyu);
    EXPECT_EQ(Items()->GetRowCount(), 0);
    EXPECT_EQ(panel->GetItemChartPanel()->GetItemSeries()->count(), 0);
    EXPECT_EQ(panel->GetDealerEditPanel()->GetCompanySelector()->currentText(), "築地の問屋");
}

TEST_F(DetailPanel, ABatchNamingTheShownRecordReloadsIt)
{
    panel->SetData(wagyu);
    panel->GetPageControl()->setCurrentWidget(panel->GetTab("TabChart"));
    QComboBox* months = panel->GetHistoryChartPanel()->GetMonthList();
    months->setCurrentIndex(0);
    // A batch over several records, the shown one not first, reloads its history in sight.
    ASSERT_TRUE(Object().UpdateDataKeys("5", 0, Ids({db->Record("玉ねぎ"), wagyu}), Ids({ToInt(F::UseUnit_Key)}),
                                        nullptr));
    EXPECT_EQ(months->currentIndex(), months->count() - 1);
    // The memo round trips through the record.
    panel->GetMemoEditPanel()->GetExView()->setFocus();
    QTest::keyClicks(panel->GetMemoEditPanel()->GetExView(), "Marbre A5");
    other.setFocus();
    TVDBDetail detail(&Object());
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, Variant(wagyu), {});
    detail.SetFilter(filter);
    EXPECT_EQ(detail.GetMemo(), panel->GetMemoEditPanel()->GetMemo());
    TMemoEditPanel copy;
    copy.SetMemo(detail.GetMemo());
    EXPECT_EQ(copy.GetExView()->GetText(), "Marbre A5\r\n");
}

} // namespace
