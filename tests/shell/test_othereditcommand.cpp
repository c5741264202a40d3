// The master-data command: it follows the bound database, opens the dialog on the icon tab, and
// what is changed there reaches the side navigator.
#include "dialogs/Fothereditdialog.h"
#include "richtext/Exview.h"
#include "screens/Fattributeeditpanel.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Fclassunitsedit.h"
#include "screens/Ffilterselector.h"
#include "test_vktpanel_fixture.h"

#include <QAction>
#include <QFocusEvent>

#include <string>

namespace {

using vkttest::SampleDatabase;

// A name typed into a panel's editor and committed with its 設定 button.
void Rename(QWidget* panel, TExView* edit, QPushButton* apply, const std::string& text)
{
    QFocusEvent enter(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &enter);
    edit->SetText(text);
    if (edit->OnChange) edit->OnChange(edit);
    (void)panel;
    apply->click();
}

TEST_F(PanelTest, OtherDataCommandOpensOnTheIconTabAndItsEditsReachTheNavigator)
{
    Choose(SampleDatabase::kBeef);
    module->updateActions();
    ASSERT_TRUE(module->ActShowOtherDataDialog->isEnabled());
    int tab = -1;
    TVktObject* bound = nullptr;
    int added = 0;
    int removed = 0;
    QTimer::singleShot(0, [&] {
        TOtherEditDialog* dialog = OtherEditDlg();
        tab = dialog->GetShownTab();
        bound = dialog->GetDataObject();
        TClassUnitsEdit* page = dialog->GetClassUnitsEdit();
        dialog->SetTab(TOtherEditDialog::tbClass);
        page->GetClassView()->SelectID(SampleDatabase::kPork);
        TClassEditPanel* classes = page->GetClassEditPanel();
        Rename(classes, classes->GetNameEdit(), classes->GetBtnReturn(), "黒豚");
        page->GetClassView()->SelectID(SampleDatabase::kMeat);
        page->ClassEditPanelBtnChildNewClick();
        added = page->GetClassView()->GetSelectedID();
        page->ClassEditPanelBtnNewClick();
        removed = page->GetClassView()->GetSelectedID();
        vkttest::Scripted().answers.push_back(platform::MsgAnswer::Yes);
        dialog->BtnDeleteClick();

        dialog->SetTab(TOtherEditDialog::tbAttribute);
        TAttributeEditPanel* attributes = dialog->GetAttributeEditPanel();
        attributes->SelectRow(0);
        attributes->GetAttributeList()->GetModel()->SetCell(0, 0, "国内産");
        attributes->GetAttributeList()->SetModified(true);
        attributes->ApplyEdit();
        dialog->GetBtnOk()->click();
    });
    module->ActShowOtherDataDialog->trigger();
    EXPECT_EQ(tab, TOtherEditDialog::tbIcon);
    EXPECT_EQ(bound, &db->Object());
    EXPECT_EQ(Side()->GetClassView()->GetNodeText(Node(SampleDatabase::kPork)), "黒豚");
    ASSERT_NE(added, 0);
    EXPECT_NE(Node(added), nullptr) << "the added class is in the navigator";
    ASSERT_NE(removed, added);
    EXPECT_EQ(Node(removed), nullptr) << "the deleted class left the navigator";
    QTreeWidgetItem* quick = Side()->GetFilterSelector()->GetQuickRoot();
    ASSERT_GT(quick->childCount(), 0);
    EXPECT_EQ(quick->child(0)->text(0).toStdString(), "国内産");
}

} // namespace
