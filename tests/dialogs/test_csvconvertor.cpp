// The CSV import wizard on a temporary database: the page walk and its button rules, help by page,
// the table check with its message and current cell, widening on page 1, the status line, unknown
// names mapped and created, the data-check table, the import through the batch dialog (closed by a
// queued click) with a row failing mid-run, re-arming the start button, the save question, and a
// spreadsheet's price list with its encoding shown and chosen again.
#include <gtest/gtest.h>

#include "data/Uvktdbstruct.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "dialogs/CsvWizardSupport.h"
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Fcsvedit.h"
#include "dialogs/Fcsveditor.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Fitemactivatepanel.h"
#include "dialogs/Uwizardpages.h"
#include "gui/Services.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "screens/Ffieldselector.h"
#include "widgets/Fstatelistview.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using vkttest::Scripted;

class CsvWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scripted().Reset();
        wizard.SetDataObject(&db.Object());
        wizard.GetCsvFieldSelector()->GetRBFoodFamily()->setChecked(true);
        wizard.GetCsvFieldSelector()->ClassTypeSelectorClick();
        wizard.show();
        wizard.ShowPage(0);
    }
    void Choose(std::initializer_list<F> fields, int perLine = 1) { vkttest::ChooseCsvFields(wizard, fields, perLine); }
    TCsvEdit* Csv() { return wizard.GetCsvEditor()->GetCsvEdit(); }
    bool NextEnabled()
    {
        wizard.UpdateActions();
        return wizard.GetBtnNext()->isEnabled();
    }
    // Loads text as a UTF-8 file with a mark through the page's load button.
    void Load(const std::string& text)
    {
        const std::string path = folder + "/in.csv";
        platform::WriteFileAtomic(path, "\xEF\xBB\xBF" + text);
        Scripted().files.push_back(path);
        wizard.GetCsvEditor()->GetBtnLoad()->click();
    }
    std::string LastMessage() const { return Scripted().messages.empty() ? "" : Scripted().messages.back().text; }
    // Walks from page 0 with the fields chosen to page 2 with `text` loaded.
    void ToTable(std::initializer_list<F> fields, const std::string& text, int perLine = 1)
    {
        wizard.BtnNextClick();
        Choose(fields, perLine);
        wizard.BtnNextClick();
        Load(text);
    }
    int Records()
    {
        TVDBKernel reader(&db.Object());
        reader.Refresh();
        return reader.GetRowCount();
    }

    vkttest::SampleDatabase db{false};
    TCsvConvertor wizard;
    vkttest::BatchCloser closer{&db.Object()};
    std::string folder = vkttest::NewTempFolder("wizard");
};

TEST_F(CsvWizard, PageWalkButtonsAndHelp)
{
    EXPECT_EQ(wizard.GetPage(), 0);
    EXPECT_TRUE(NextEnabled());
    EXPECT_FALSE(wizard.GetBtnPrev()->isEnabled());
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 1);
    Choose({F::UsePrice});
    EXPECT_FALSE(NextEnabled()) << "名称 is needed";
    Choose({F::Data, F::UsePrice}, 2);
    EXPECT_TRUE(NextEnabled());

    // Page 1's next widens the table to n*p and narrows it only over blank columns.
    wizard.BtnPrevClick();
    wizard.BtnNextClick();
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 2);
    EXPECT_EQ(Csv()->GetColCount(), 4);
    EXPECT_EQ(Csv()->GetCell(2, 0), GetFieldCaption(F::Data));
    Load("a,1,b,2,x\nc,3,d,4\n");
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(wizard.GetStatusPanel()->text().toStdString(), "1行目: 列の数が項目の数（4）を超えています。");
    wizard.BtnPrevClick();
    wizard.BtnNextClick();
    EXPECT_EQ(Csv()->GetColCount(), 5) << "the fifth column holds x";
    Csv()->SetCurrent(4, 1);
    Csv()->DeleteCol();
    EXPECT_TRUE(NextEnabled());
    EXPECT_EQ(wizard.GetStatusPanel()->text().toStdString(), "");
    EXPECT_EQ(Csv()->GetCell(3, 0), GetFieldCaption(F::UsePrice)) << "the header follows column changes";

    // F1 opens the page's help context (an empty help folder names the missing page).
    platform::SetHelpFolder(folder);
    QTest::keyClick(&wizard, Qt::Key_F1);
    platform::SetHelpFolder({});
    EXPECT_EQ(LastMessage(), "ヘルプファイルが見つかりません。\r\n" + folder + "/8240.html");

    // No name fields: page 2 goes straight to page 4 and back.
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 4);
    EXPECT_EQ(wizard.GetComplete().GetDataCount(), 4) << "two records a line";
    wizard.BtnPrevClick();
    EXPECT_EQ(wizard.GetPage(), 2);

    // Cancel asks; No stays.
    Scripted().answers.push_back(platform::MsgAnswer::No);
    wizard.GetBtnCancel()->click();
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_EQ(LastMessage(), "ウィザードは完了していません。ウィザードを終了しますか？");
    Scripted().answers.push_back(platform::MsgAnswer::Yes);
    QTest::keyClick(&wizard, Qt::Key_Escape);
    EXPECT_FALSE(wizard.isVisible());
}

TEST_F(CsvWizard, CheckKeepsThePageAndShowsTheCell)
{
    ToTable({F::Data, F::BuyPrice}, "a,\"¥1,200\"\n,5\nb,\"-¥1,200\"\n");
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 2);
    EXPECT_EQ(LastMessage(), "空白の項目があります。空白の項目は許可されません。");
    EXPECT_EQ(Scripted().messages.back().caption, "確認");
    EXPECT_EQ(Csv()->GetCol(), 0);
    EXPECT_EQ(Csv()->GetRow(), 2);
    Csv()->DeleteRow();

    // The refusal's message box holds the activation while it is shown; once the wizard has it
    // back, the bad cell has the focus: the digits typed replace its text and Return commits them
    // there without checking again.
    wizard.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
    wizard.GetBtnNext()->setFocus();
    QWidget box;
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    wizard.BtnNextClick();
    box.hide();
    wizard.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
    EXPECT_EQ(LastMessage(), "単価項目に異常な値が含まれています。");
    EXPECT_EQ(Csv()->GetCol(), 1);
    EXPECT_EQ(Csv()->GetRow(), 2);
    const std::size_t shown = Scripted().messages.size();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus, Csv()->GetEditor()) << focus->objectName().toStdString();
    QTest::keyClicks(focus, "12");
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(Scripted().messages.size(), shown) << "Return stays with the cell";
    EXPECT_EQ(Csv()->GetCell(1, 2), "12");
    EXPECT_EQ(wizard.GetPage(), 2);
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 4);
}

TEST_F(CsvWizard, UnknownNamesMappedOrCreatedThenImported)
{
    const auto units = RegisteredItems(db.Object(), TCsvNameKind::Unit, 7);
    const auto classes = RegisteredItems(db.Object(), TCsvNameKind::Class, 7);
    ASSERT_FALSE(units.empty());
    ASSERT_GE(classes.size(), 2u);
    const std::string leaf = classes[0].Name;
    ToTable({F::Data, F::Class_Key, F::BuyUnit_Key, F::Dealer_Key, F::BuyPrice},
            "名称,分類,単位,業者,単価\n"
            "鶏もも肉," + leaf + ",botte,ABC Foods,\"¥1,280\"\n"
            "crème," + classes[1].Name + "," + units[0].Name + ",\"Maison \"\"Dupont\"\"\",300\n"
            "œuf,Légumes d'été,botte,ABC Foods,40\n");
    Csv()->SetCurrent(0, 1);
    Csv()->DeleteRow();   // the file's header line
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 3);
    QTabWidget* tabs = wizard.GetPageControl1();
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(tabs->isTabVisible(0));
    EXPECT_FALSE(tabs->isTabVisible(1)) << "forms were not chosen";
    EXPECT_TRUE(tabs->isTabVisible(2));
    EXPECT_TRUE(tabs->isTabVisible(3));

    wizard.BtnNextClick();
    EXPECT_EQ(LastMessage(), "すべての不明項目を定義済みの項目に関連付ける必要があります。");
    EXPECT_EQ(wizard.GetPage(), 3);

    // Class: created; unit: mapped to a registered one; dealers: both created.
    TItemActivateEdit* classEdit = wizard.GetActivateEdit(TCsvNameKind::Class);
    EXPECT_EQ(classEdit->GetItemActivatePanel()->GetNameMap().GetUnknownItems(),
              std::vector<std::string>{"Légumes d'été"});
    classEdit->GetBtnItemNew()->click();
    TItemActivatePanel* unitPanel = wizard.GetActivateEdit(TCsvNameKind::Unit)->GetItemActivatePanel();
    unitPanel->SetItemRow(0);
    wizard.GetActivateEdit(TCsvNameKind::Unit)->GetBtnItemSet()->click();
    TItemActivateEdit* dealerEdit = wizard.GetActivateEdit(TCsvNameKind::Dealer);
    dealerEdit->GetBtnItemNew()->click();
    dealerEdit->GetBtnItemNew()->click();
    dealerEdit->GetBtnItemNew()->click();   // the empty list creates nothing
    EXPECT_TRUE(wizard.IsAllMapped());
    const int newClass = classEdit->GetItemActivatePanel()->GetItemID("Légumes d'été");
    const int abc = dealerEdit->GetItemActivatePanel()->GetItemID("ABC Foods");
    const int dupont = dealerEdit->GetItemActivatePanel()->GetItemID("Maison \"Dupont\"");
    ASSERT_NE(newClass, 0);
    ASSERT_NE(abc, 0);
    ASSERT_NE(dupont, 0);

    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 4);
    const TCsvCompleteGrid& complete = wizard.GetComplete();
    const std::string unit = platform::QuoteCommaItem(units[0].Name);
    EXPECT_EQ(GetCSV(complete.Grid),
              "鶏もも肉," + platform::QuoteCommaItem(leaf) + "," + unit + ",\"ABC Foods\",1280\r\ncrème," +
                  platform::QuoteCommaItem(classes[1].Name) + "," + unit + ",\"Maison \"\"Dupont\"\"\",300\r\nœuf," +
                  platform::QuoteCommaItem(ClassPathName(db.Object(), newClass)) + "," + unit + ",\"ABC Foods\",40\r\n");

    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 5);
    EXPECT_EQ(wizard.GetLabel12()->text().toStdString(), "3個のデータを変換します");
    EXPECT_EQ(wizard.GetBtnNext()->text().toStdString(), "閉じる");
    EXPECT_FALSE(NextEnabled());
    wizard.GetBtnCsvComp()->click();
    EXPECT_EQ(closer.EndText, "終了しました。");
    EXPECT_TRUE(NextEnabled());
    EXPECT_EQ(wizard.focusWidget(), wizard.GetBtnNext()); // Enter then closes, never goes back
    ASSERT_EQ(Records(), 3);

    TVDBFood food(&db.Object());
    food.Refresh();
    const int classIds[] = {classes[0].Id, classes[1].Id, newClass};
    const int dealers[] = {abc, dupont, abc};
    for (int row = 0; row < 3; ++row) {
        food.SetRowIndex(row);
        EXPECT_EQ(food.GetClassKey(), classIds[row]);
        EXPECT_EQ(food.GetBuyUnitKey(), units[0].Id);
        EXPECT_EQ(food.GetDealerKey(), dealers[row]);
    }
    food.SetRowIndex(0);
    EXPECT_EQ(food.GetData(), "鶏もも肉");
    EXPECT_DOUBLE_EQ(food.GetBuyPrice().ToDouble(), 1280);

    // Back and next without a rebuilt table does not import again; a rebuild re-arms the start.
    wizard.BtnPrevClick();
    wizard.BtnNextClick();
    EXPECT_FALSE(wizard.GetBtnCsvComp()->isEnabled());
    wizard.BtnPrevClick();
    wizard.BtnPrevClick();
    wizard.BtnNextClick();
    wizard.BtnNextClick();
    EXPECT_TRUE(wizard.GetBtnCsvComp()->isEnabled());
}

TEST_F(CsvWizard, ARowFailingMidRunStopsThereNamed)
{
    const auto classes = RegisteredItems(db.Object(), TCsvNameKind::Class, 7);
    ASSERT_GE(classes.size(), 2u);
    ToTable({F::Data, F::Class_Key}, "a," + classes[0].Name + "\nb," + classes[0].Name + "\nc," + classes[1].Name +
                                         "\nd," + classes[0].Name + "\n");
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 4);
    wizard.BtnNextClick();
    // The third row's class gets a sub-class after the check: the import refuses that row.
    ASSERT_NE(db.Object().AddClass(classes[1].Id, "下位"), 0);
    wizard.GetBtnCsvComp()->click();
    EXPECT_NE(closer.EndText.find("3行目: c"), std::string::npos) << closer.EndText;
    EXPECT_EQ(Records(), 2);
}

TEST_F(CsvWizard, SavesForceCsvAndAskBeforeOverwriting)
{
    ToTable({F::Data}, "crème\n鶏\n");
    const std::string chosen = folder + "/table.txt";
    const std::string forced = folder + "/table.csv";
    platform::WriteFileAtomic(forced, "old");
    Scripted().files.push_back(chosen);
    Scripted().answers.push_back(platform::MsgAnswer::No);
    Csv()->SetCurrent(0, 1);
    Csv()->InsertRow();
    wizard.GetCsvEditor()->UpdateButtons();
    wizard.GetCsvEditor()->GetBtnSave()->click();
    EXPECT_EQ(LastMessage(), "同名のファイルがすでに存在します。ファイルを上書きしますか？");
    EXPECT_EQ(Scripted().messages.back().caption, "ファイル上書き確認");
    EXPECT_EQ(Scripted().messages.back().defaultButton, platform::MsgAnswer::No);
    EXPECT_EQ(platform::ReadFileBytes(forced), "old");
    Scripted().files.push_back(chosen);
    Scripted().answers.push_back(platform::MsgAnswer::Yes);
    wizard.GetCsvEditor()->UpdateButtons();
    wizard.GetCsvEditor()->GetBtnSave()->click();
    EXPECT_EQ(platform::ReadFileBytes(forced), "\xEF\xBB\xBF\r\ncrème\r\n鶏\r\n") << "in the loaded file's encoding";
    EXPECT_FALSE(std::filesystem::exists(chosen));
    EXPECT_FALSE(Csv()->CanUndo());

    // Page 4's save writes the shown table to the name as chosen.
    Csv()->DeleteRow();
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 4);
    Scripted().files.push_back(chosen);
    wizard.GetBtnSave()->click();
    EXPECT_EQ(platform::ReadFileBytes(chosen), "\xEF\xBB\xBF" "crème\r\n鶏\r\n");
}

// A price list as a spreadsheet writes it (code page 932, text cells unquoted, names with blanks)
// loads whole and passes the check; its encoding is shown, and chosen again reads the file anew: in
// an encoding that cannot read it the refusal names the line and the table stays; an edited table
// is read again only after a question.
TEST_F(CsvWizard, ASpreadsheetPriceListShowsItsEncodingAndReadsAgainInAnother)
{
    wizard.BtnNextClick();
    Choose({F::Class_Key, F::Data, F::BuyUnit_Key, F::BuyPrice, F::Quantity, F::Yield, F::Dealer_Key});
    wizard.BtnNextClick();
    QComboBox* encoding = wizard.GetCbxEncoding();
    EXPECT_FALSE(encoding->isEnabled()) << "nothing loaded";
    auto choose = [&](const char* name) {
        const int index = encoding->findText(name);
        ASSERT_GE(index, 0) << name;
        encoding->setCurrentIndex(index);
        emit encoding->activated(index);
    };
    const std::string path = std::string(VKT_CSV_DATA_DIR) + "/calc-932-prices.csv";
    Scripted().files.push_back(path);
    wizard.GetCsvEditor()->GetBtnLoad()->click();
    EXPECT_TRUE(encoding->isEnabled());
    EXPECT_EQ(encoding->currentText().toStdString(), "Shift-JIS");
    ASSERT_EQ(Csv()->GetColCount(), 7);
    ASSERT_EQ(Csv()->GetRowCount(), 5);
    EXPECT_EQ(Csv()->GetCell(1, 2), "Olive oil");
    EXPECT_EQ(Csv()->GetCell(1, 3), "トマト ソース");
    EXPECT_EQ(Csv()->GetCell(6, 3), "Marco Foods");
    EXPECT_EQ(Csv()->GetCell(1, 0), "名称") << "the header row stays";

    choose("UTF-8");
    EXPECT_EQ(LastMessage(), path + "\n1行目: 文字コードを変換できません。");
    EXPECT_EQ(encoding->currentText().toStdString(), "Shift-JIS");
    EXPECT_EQ(Csv()->GetCell(1, 3), "トマト ソース");
    choose("Windows-1252");
    EXPECT_EQ(Csv()->GetEncoding(), TCsvEncoding::Cp1252);
    EXPECT_EQ(Csv()->GetCell(1, 2), "Olive oil");
    EXPECT_NE(Csv()->GetCell(1, 3), "トマト ソース");
    choose("Shift-JIS");
    EXPECT_EQ(Csv()->GetCell(1, 3), "トマト ソース");

    // The column captions deleted with the row: the table is edited.
    const std::size_t messages = Scripted().messages.size();
    Csv()->SetCurrent(0, 1);
    Csv()->DeleteRow();
    Scripted().answers.push_back(platform::MsgAnswer::No);
    choose("Windows-1252");
    ASSERT_EQ(Scripted().messages.size(), messages + 1);
    EXPECT_EQ(LastMessage(), "表の編集内容は失われます。ファイルをWindows-1252で読み直しますか？");
    EXPECT_EQ(encoding->currentText().toStdString(), "Shift-JIS");
    EXPECT_EQ(Csv()->GetRowCount(), 4);

    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 3) << LastMessage();
    EXPECT_EQ(Scripted().messages.size(), messages + 1);
}

// The part of `control` that its ancestors up to `page` do not clip away.
QRect ShownPart(QWidget* control, QWidget* page)
{
    QRect shown(QPoint(), control->size());
    for (QWidget* w = control; w != page; w = w->parentWidget()) {
        shown.translate(w->pos());
        shown &= w->parentWidget()->rect();
    }
    return shown;
}

// At the default size every page shows each of its controls whole (no ancestor clips one), and
// the field list shows every ingredient field without scrolling.
TEST_F(CsvWizard, EveryPageShowsItsControlsWholeAtTheDefaultSize)
{
    QApplication::processEvents();
    auto* pages = wizard.findChild<QTabWidget*>("PageControl");
    ASSERT_NE(pages, nullptr);
    for (int n = 0; n < pages->count(); ++n) {
        wizard.ShowPage(n);
        QApplication::processEvents();
        QWidget* page = pages->widget(n);
        for (QWidget* control : page->findChildren<QWidget*>()) {
            const bool checked = qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractItemView*>(control) ||
                                 qobject_cast<QLineEdit*>(control);
            if (!checked || !control->isVisibleTo(page) || control->size().isEmpty()) continue;
            const QRect whole(control->mapTo(page, QPoint()), control->size());
            const QRect shown = ShownPart(control, page);
            EXPECT_TRUE(shown == whole) << "page " << n << ": " << control->objectName().toStdString()
                                        << " shows only to y " << shown.bottom() << " of " << whole.bottom();
        }
    }
    wizard.ShowPage(1);
    QApplication::processEvents();
    QListWidget* list = wizard.GetCsvFieldSelector()->GetFieldSelector()->GetStateListView()->GetListView();
    ASSERT_EQ(list->count(), 10) << "the ingredient fields";
    EXPECT_EQ(list->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(list->count() - 1))));
    // Made smaller by the user, the wizard stops at that size.
    wizard.resize(wizard.width() - 50, wizard.height() - 50);
    EXPECT_EQ(wizard.size(), wizard.minimumSize());
}

// Each page gives the keys to its first input, so Enter never presses キャンセル or ヘルプ; a page
// without one gives them to 進む.
TEST_F(CsvWizard, EachPageFocusesItsFirstInput)
{
    QApplication::setActiveWindow(&wizard);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
    auto* pages = wizard.findChild<QTabWidget*>("PageControl");
    ASSERT_NE(pages, nullptr);
    const char* expected[] = {"BtnNext", "", "", "", "", ""};
    for (int n = 0; n < pages->count(); ++n) {
        wizard.ShowPage(n);
        QApplication::processEvents();
        const QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << n;
        const std::string name = focus->objectName().toStdString();
        if (*expected[n]) EXPECT_EQ(name, expected[n]) << n;
        else EXPECT_TRUE(pages->widget(n)->isAncestorOf(focus)) << "page " << n << ": " << name;
        EXPECT_NE(focus, wizard.GetBtnCancel()) << n;
        EXPECT_NE(focus, wizard.GetBtnHelp()) << n;
    }
}

// The data check's table is read only: Tab leaves it for 保存 and the wizard's buttons.
TEST_F(CsvWizard, TabLeavesTheCheckedTable)
{
    QApplication::setActiveWindow(&wizard);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
    ToTable({F::Data, F::UsePrice}, "a,1\nb,2\n");
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 4) << LastMessage();
    QWidget* table = wizard.findChild<QWidget*>("CompleteGrid");
    table->setFocus(Qt::TabFocusReason);
    QTest::keyClick(table, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), table->parentWidget()->findChild<QWidget*>("BtnSave"));
}

// A too-long row deleted leaves its extra column empty: that column no longer holds the page.
TEST_F(CsvWizard, EmptiedExtraColumnsDoNotCount)
{
    ToTable({F::Data, F::UsePrice}, "a,1\nb,2,x\nc,3\n");
    EXPECT_FALSE(NextEnabled());
    Csv()->SetCurrent(0, 2);
    Csv()->DeleteRow();
    EXPECT_EQ(Csv()->GetColCount(), 3);
    EXPECT_TRUE(NextEnabled());
    EXPECT_EQ(wizard.GetStatusPanel()->text().toStdString(), "");
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 4) << LastMessage();
    EXPECT_EQ(wizard.GetComplete().GetDataCount(), 2);
}

// A price beyond the currency, or a buy price whose use price would be, is refused by the check
// with the price message on its cell; once corrected every row is imported.
TEST_F(CsvWizard, PricesBeyondTheCurrencyNeverReachTheImport)
{
    ToTable({F::Data, F::BuyPrice, F::Yield}, "a,100,90\nb,200000000000000,5\nc,922337203685478,100\n");
    const char* price = "単価項目に異常な値が含まれています。";
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 2);
    EXPECT_EQ(LastMessage(), price);
    EXPECT_EQ(Csv()->GetCol(), 1);
    EXPECT_EQ(Csv()->GetRow(), 2);
    Csv()->SetCell(2, 2, "100");
    wizard.BtnNextClick();
    EXPECT_EQ(wizard.GetPage(), 2);
    EXPECT_EQ(Csv()->GetCol(), 1);
    EXPECT_EQ(Csv()->GetRow(), 3);
    Csv()->SetCell(1, 3, "922337203685477");
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 4) << LastMessage();
    wizard.BtnNextClick();
    wizard.GetBtnCsvComp()->click();
    EXPECT_EQ(Records(), 3) << closer.EndText;
}

} // namespace
