// A real-world import: 10 000 ingredients written as a Linux spreadsheet exports CSV (UTF-8 with
// a byte-order mark, quotes only where needed, LF line ends, a header row, money as shown), loaded
// into the wizard, the header row deleted, names mapped and created, checked and imported through
// the batch dialog; every record read back equals the generator's expectation field by field.
#include <gtest/gtest.h>

#include "data/Uvktdbstruct.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "dialogs/CsvWizardSupport.h"
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Fcsvedit.h"
#include "dialogs/Fcsveditor.h"
#include "dialogs/Fitemactivatepanel.h"
#include "screens/Fgridedit.h"
#include "platform/Codec.h"
#include "platform/Currency.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"

#include <QRadioButton>
#include <QTableView>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using platform::Currency;

const F kFields[] = {F::Data,     F::Class_Key, F::Form_Key,   F::BuyUnit_Key, F::BuyPrice,
                     F::Quantity, F::Yield,     F::Dealer_Key, F::UseUnit_Key};
constexpr int kRows = 10000;

// One field as the spreadsheet writes it.
std::string SheetField(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

struct Expected {
    std::string name;
    std::string names[4];   // class, form, unit (buy), dealer texts as written
    std::string useUnit;
    double buyPrice = 0, quantity = 0, yield = 0;
};

class CsvRealWorld : public ::testing::Test {
protected:
    vkttest::SampleDatabase db{false};
    TVktObject& Object() { return db.Object(); }
};

TEST_F(CsvRealWorld, TenThousandIngredientsFromASpreadsheetExport)
{
    // Registered names of each kind, and new ones.
    std::vector<std::string> choices[4];
    const std::vector<std::string> fresh[4] = {
        {"新分類", "Légumes d'été", "Épices, sel"},
        {"冷凍品", "Surgelé"},
        {"ケース", "botte", "sachet \"zip\""},
        {"ABC Foods, Ltd.", "Maison \"Dupont\"", "魚河岸 商店"},
    };
    for (TCsvNameKind kind : kCsvNameKinds) {
        const auto k = static_cast<std::size_t>(kind);
        for (const auto& item : RegisteredItems(Object(), kind, 7)) choices[k].push_back(item.Name);
        choices[k].insert(choices[k].end(), fresh[k].begin(), fresh[k].end());
    }
    const std::vector<std::string> words = {
        "鶏もも肉", "牛ヒレ肉", "玉ねぎ", "crème fraîche", "bœuf bourguignon", "l'oignon", "pâte \"maison\"",
        "sel, poivre", "filet\nde bœuf", "北海道産特選黒毛和牛サーロインステーキ用厚切り熟成肉", "œufs frais",
        "Tomates   cerises", "抹茶"};

    std::mt19937 random(1207);
    std::vector<Expected> expected;
    std::string file = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        file += (i ? "," : "") + SheetField(GetFieldCaption(kFields[i]));
    file += "\n";
    for (int row = 0; row < kRows; ++row) {
        Expected e;
        e.name = words[random() % words.size()] + " " + std::to_string(row);
        for (std::size_t k = 0; k < 4; ++k) e.names[k] = choices[k][random() % choices[k].size()];
        e.useUnit = choices[2][random() % choices[2].size()];
        e.buyPrice = 1 + static_cast<double>(random() % 20000);
        e.quantity = random() % 5 == 0 ? 0.5 : 1 + static_cast<double>(random() % 50);
        e.yield = 50 + static_cast<double>(random() % 51);
        const std::string cells[] = {e.name,
                                     e.names[0],
                                     e.names[1],
                                     e.names[2],
                                     platform::FormatCurrency(e.buyPrice),
                                     platform::FloatToStr(e.quantity),
                                     platform::FloatToStr(e.yield),
                                     e.names[3],
                                     e.useUnit};
        for (std::size_t i = 0; i < std::size(cells); ++i) file += (i ? "," : "") + SheetField(cells[i]);
        file += "\n";
        expected.push_back(e);
    }
    const std::string path = vkttest::NewTempFolder("csvreal") + "/foods.csv";
    platform::WriteFileAtomic(path, file);

    // Through the wizard: fields, the file, the header row deleted, unknown names mapped or
    // created (every other one), the data check and the run.
    vkttest::Scripted().Reset();
    vkttest::BatchCloser closer(&Object());
    TCsvConvertor wizard;
    wizard.SetDataObject(&Object());
    wizard.GetCsvFieldSelector()->GetRBFoodFamily()->setChecked(true);
    wizard.GetCsvFieldSelector()->ClassTypeSelectorClick();
    wizard.show();
    wizard.ShowPage(0);
    wizard.BtnNextClick();
    vkttest::ChooseCsvFields(wizard, {std::begin(kFields), std::end(kFields)});
    wizard.BtnNextClick();
    vkttest::Scripted().files.push_back(path);
    wizard.GetCsvEditor()->GetBtnLoad()->click();
    TCsvEdit* table = wizard.GetCsvEditor()->GetCsvEdit();
    ASSERT_EQ(table->GetEncoding(), TCsvEncoding::Utf8);
    ASSERT_EQ(table->GetRowCount(), kRows + 2);
    table->SetCurrent(0, 1);
    table->DeleteRow();
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 3) << (vkttest::Scripted().messages.empty() ? "" : vkttest::Scripted().messages.back().text);

    std::map<std::string, int> ids[4];
    for (TCsvNameKind kind : kCsvNameKinds) {
        const auto k = static_cast<std::size_t>(kind);
        TItemActivateEdit* edit = wizard.GetActivateEdit(kind);
        TItemActivatePanel* panel = edit->GetItemActivatePanel();
        for (const auto& item : panel->GetNameMap().GetItems()) ids[k].emplace(item.Name, item.Id);
        QTableView* unknown = panel->GetStringGrid1()->GetStringGrid();
        for (bool create = true; !panel->GetNameMap().GetUnknownItems().empty(); create = !create) {
            const std::string name = panel->GetNameMap().GetUnknownItems().front();
            unknown->setCurrentIndex(unknown->model()->index(0, 0));
            panel->SetItemRow(0);
            (create ? edit->GetBtnItemNew() : edit->GetBtnItemSet())->click();
            ids[k][name] = panel->GetItemID(name);
            ASSERT_NE(ids[k][name], 0) << name;
            if (!create) {
                EXPECT_EQ(ids[k][name], panel->GetNameMap().GetItems().front().Id);
            }
        }
    }
    wizard.BtnNextClick();
    ASSERT_EQ(wizard.GetPage(), 4);
    ASSERT_EQ(wizard.GetComplete().GetDataCount(), kRows);
    wizard.BtnNextClick();
    wizard.GetBtnCsvComp()->click();
    EXPECT_EQ(closer.EndText, "終了しました。");

    TVDBFood food(&Object());
    food.Refresh();
    ASSERT_EQ(food.GetRowCount(), kRows);
    std::map<int, Currency> usePrices;
    for (int row = 0; row < kRows; ++row) {
        const Expected& e = expected[static_cast<std::size_t>(row)];
        food.SetRowIndex(row);
        SCOPED_TRACE(e.name);
        EXPECT_EQ(food.GetData(), std::string(platform::SjisTruncate(CellText(e.name), 50)));
        EXPECT_EQ(food.GetClassKey(), ids[0].at(e.names[0]));
        EXPECT_EQ(food.GetFormKey(), ids[1].at(e.names[1]));
        EXPECT_EQ(food.GetBuyUnitKey(), ids[2].at(e.names[2]));
        EXPECT_EQ(food.GetUseUnitKey(), ids[2].at(e.useUnit));
        EXPECT_EQ(food.GetDealerKey(), ids[3].at(e.names[3]));
        EXPECT_DOUBLE_EQ(food.GetBuyPrice().ToDouble(), e.buyPrice);
        EXPECT_DOUBLE_EQ(food.GetQuantity(), e.quantity);
        EXPECT_DOUBLE_EQ(food.GetYield(), e.yield);
        // Computed in double and rounded once to the currency, as an edit of the price computes it.
        const Currency use = Currency::FromDouble(e.buyPrice * (100 / e.yield) / e.quantity);
        EXPECT_EQ(food.GetUsePrice(), use);
        usePrices[std::stoi(food.GetText(F::Data_ID))] = use;
        if (::testing::Test::HasFailure()) break;
    }
    // One price-history row per ingredient with a use price.
    TVDBMonthHistory history(&Object());
    history.Refresh();
    ASSERT_EQ(history.GetRowCount(), kRows);
    for (int row = 0; row < history.GetRowCount(); ++row) {
        history.SetRowIndex(row);
        const int key = std::stoi(history.GetText(F::MHistory_Key));
        ASSERT_EQ(history.GetMHistoryPrice(), usePrices.at(key)) << key;
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

} // namespace
