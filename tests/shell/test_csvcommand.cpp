// データ一括変換...: enabled with a valid database (V), it opens the import wizard on the bound
// database at its first page with ingredients chosen.
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Uwizardpages.h"
#include "screens/Ffieldselector.h"
#include "test_vktpanel_fixture.h"

#include <QAction>
#include <QRadioButton>

namespace {

TEST_F(PanelTest, CsvImportCommandFollowsTheDatabaseAndOpensTheWizard)
{
    module->updateActions();
    ASSERT_TRUE(module->ActShowCsvImportDialog->isEnabled());
    bool shown = false;
    bool food = false;
    int page = -1;
    TVktObject* bound = nullptr;
    QTimer::singleShot(0, [&] {
        TCsvConvertor* wizard = CsvConvertor();
        shown = wizard->isVisible();
        bound = wizard->GetDataObject();
        page = wizard->GetPage();
        food = wizard->GetCsvFieldSelector()->GetRBFoodFamily()->isChecked();
        vkttest::Scripted().answers.push_back(platform::MsgAnswer::Yes);
        wizard->GetBtnCancel()->click();
    });
    module->ActShowCsvImportDialog->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(bound, &db->Object());
    EXPECT_EQ(page, 0);
    EXPECT_TRUE(food);
    EXPECT_FALSE(CsvConvertor()->isVisible());

    panel->SetVktObject(nullptr);
    module->updateActions();
    EXPECT_FALSE(module->ActShowCsvImportDialog->isEnabled());
}

} // namespace
