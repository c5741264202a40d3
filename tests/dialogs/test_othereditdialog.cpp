// The master-data dialog on the sample database: tabs and pending edits, deletes with their
// questions, new rows and moves, dealer and attribute writes, the enable rules, layout values and
// help.
#include <gtest/gtest.h>

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "dialogs/Fothereditdialog.h"
#include "gui/Application.h"
#include "gui/Services.h"
#include "gui/Settings.h"
#include "richtext/Exview.h"
#include "screens/Fattributeeditpanel.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Fclassunitsedit.h"
#include "screens/Fclassview.h"
#include "screens/Fdealereditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Funitseditpanel.h"
#include "screens/Fuserfilteredit.h"
#include "support/Keys.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using platform::MsgAnswer;
using vkttest::SampleDatabase;
using vkttest::Scripted;

using vkttest::Key;
using vkttest::Type;

void Enter(QWidget* control) { control->setFocus(Qt::MouseFocusReason); }

// The layout operations are the form's own; the test reaches them.
class Dialog : public TOtherEditDialog {
public:
    using TOtherEditDialog::LoadLayout;
    using TOtherEditDialog::SaveLayout;
};

class OtherEditDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scripted().Reset();
        dealer_ = db.Object().AddDealer("");
        ASSERT_GT(dealer_, 1);
        TPriorityItem ids;
        ids << dealer_;
        ASSERT_TRUE(db.Object().EditData(F::Company, std::string("築地の問屋"), ids));
        dialog.SetDataObject(&db.Object());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        Scripted().Reset();
    }
    void TearDown() override { dialog.SetDataObject(nullptr); }
    void Reopen()
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    TClassUnitsEdit* Page() const { return dialog.GetClassUnitsEdit(); }
    TClassView* Tree() const { return Page()->GetClassView(); }
    std::string Stored(TVktField field, int id)
    {
        TVktAccesser reader(&db.Object());
        reader.SetTable(GetFieldTable(field));
        reader.Refresh();
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            if (reader.GetValue(KeyOf(GetFieldTable(field))).AsInt() == id) return reader.GetValue(field).AsString();
        }
        return "<none>";
    }
    static TVktField KeyOf(TVktTable table)
    {
        switch (table) {
        case TVktTable::TblClass: return F::Class_ID;
        case TVktTable::TblUnits: return F::Units_ID;
        case TVktTable::TblDealer: return F::Dealer_ID;
        default: return F::AttrItem_ID;
        }
    }
    std::vector<std::string> Questions() const
    {
        std::vector<std::string> lines;
        for (const auto& m : Scripted().messages) lines.push_back(m.caption + "|" + m.text);
        return lines;
    }

    SampleDatabase db;
    Dialog dialog;
    int dealer_ = 0;
};

TEST_F(OtherEditDialogTest, LeavingATabWithAnEditAsksOnceYesWritesNoRestores)
{
    dialog.SetTab(TOtherEditDialog::tbClass);
    Tree()->SelectID(SampleDatabase::kBeef);
    dialog.UpdateActions();
    TClassEditPanel* panel = Page()->GetClassEditPanel();
    for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        Scripted().Reset();
        Scripted().answers.push_back(answer);
        dialog.GetTabControl()->setCurrentIndex(TOtherEditDialog::tbClass);
        dialog.UpdateActions();
        Enter(panel->GetNameEdit());
        Key(Qt::Key_End);
        Type("X");
        dialog.GetTabControl()->setCurrentIndex(TOtherEditDialog::tbDealer);
        ASSERT_EQ(Scripted().messages.size(), 1u);
        EXPECT_EQ(Questions()[0], "分類項目変更の確認|'分類'は変更されています。変更を設定しますか？");
        EXPECT_EQ(Scripted().messages[0].defaultButton, MsgAnswer::Yes);
        EXPECT_FALSE(panel->GetModified());
        EXPECT_TRUE(dialog.GetDealerEditPanel()->isVisible());
        EXPECT_FALSE(Page()->isVisible());
    }
    EXPECT_EQ(Stored(F::Class, SampleDatabase::kBeef), "牛肉X") << "No restored the name, Yes wrote it";
    EXPECT_EQ(panel->GetName(), "牛肉X");
}

TEST_F(OtherEditDialogTest, ClosingWithAPendingDealerEditAsksFirstByButtonAndByWindow)
{
    dialog.SetTab(TOtherEditDialog::tbDealer);
    TDealerEditPanel* panel = dialog.GetDealerEditPanel();
    panel->SelectRow(panel->GetDealerList()->FindID(dealer_));
    EXPECT_EQ(panel->GetCompany(), "築地の問屋");
    Enter(panel->GetEdit(TDealerEditPanel::dpTel));
    Type("03");
    Scripted().answers.push_back(MsgAnswer::Yes);
    dialog.GetBtnOk()->click();
    EXPECT_EQ(Questions(), std::vector<std::string>{"業者項目変更の確認|'業者'は変更されています。変更を設定しますか？"});
    EXPECT_EQ(Stored(F::Tel, dealer_), "03");
    EXPECT_FALSE(dialog.isVisible());

    // The window's close button: the same question; No restores and nothing is written later.
    Reopen();
    Scripted().Reset();
    Enter(panel->GetEdit(TDealerEditPanel::dpFax));
    Type("06");
    Scripted().answers.push_back(MsgAnswer::No);
    dialog.close();
    EXPECT_EQ(Scripted().messages.size(), 1u);
    EXPECT_FALSE(panel->GetModified());
    EXPECT_EQ(panel->GetFax(), "");
    EXPECT_EQ(Stored(F::Fax, dealer_), "");
    // Esc never closes the window.
    Reopen();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OtherEditDialogTest, EachTabDeletesItsSelectionAfterItsQuestion)
{
    const int unit = db.Object().AddUnit(1, "束");
    const int form = db.Object().AddForm(1, "乾燥");
    const int attribute = db.Object().AddAttrItem("冷凍品");
    const int icons = db.Object().GetClassIcons().GetCount();
    const int filters = db.Object().GetFilterSet().GetCount();
    const int leaf = db.Object().AddClass(SampleDatabase::kMeat, "鴨肉");
    struct Case {
        int tab;
        std::function<void()> select;
        std::function<bool()> done;
    };
    const Case cases[] = {
        {TOtherEditDialog::tbIcon, [&] { dialog.GetIconEditPanel()->GetIconGrid()->SetSelectedIndex(icons - 1); },
         [&] { return db.Object().GetClassIcons().GetCount() == icons - 1; }},
        {TOtherEditDialog::tbClass, [&] { Tree()->SelectID(leaf); }, [&] { return Tree()->FindNode(leaf) == nullptr; }},
        {TOtherEditDialog::tbForm, [&] { Page()->GetFormEditPanel()->SelectID(form); },
         [&] { return Stored(F::Units, form) == "<none>"; }},
        {TOtherEditDialog::tbUnit, [&] { Page()->GetUnitEditPanel()->SelectID(unit); },
         [&] { return Stored(F::Units, unit) == "<none>"; }},
        {TOtherEditDialog::tbDealer,
         [&] { dialog.GetDealerEditPanel()->SelectRow(dialog.GetDealerEditPanel()->GetDealerList()->FindID(dealer_)); },
         [&] { return Stored(F::Company, dealer_) == "<none>"; }},
        {TOtherEditDialog::tbAttribute,
         [&] { dialog.GetAttributeEditPanel()->SelectRow(dialog.GetAttributeEditPanel()->GetRowCount() - 1); },
         [&] { return Stored(F::Attribute, attribute) == "<none>"; }},
        {TOtherEditDialog::tbFilter, [&] { dialog.GetUserFilterEdit()->SelectFilter(0); },
         [&] { return db.Object().GetFilterSet().GetCount() == filters - 1; }},
    };
    for (const Case& c : cases) {
        dialog.SetTab(c.tab);
        c.select();
        const std::string kind = TOtherEditDialog::KindName(c.tab);
        for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
            Scripted().Reset();
            Scripted().answers.push_back(answer);
            dialog.BtnDeleteClick();
            ASSERT_EQ(Scripted().messages.size(), 1u) << c.tab;
            EXPECT_EQ(Questions()[0], kind + "削除の確認|選択されている" + kind +
                                          "を削除してもよろしいですか？削除すると元には戻せません。");
            EXPECT_EQ(Scripted().messages[0].defaultButton, MsgAnswer::No);
            EXPECT_EQ(c.done(), answer == MsgAnswer::Yes) << c.tab;
        }
    }
    EXPECT_EQ(TOtherEditDialog::KindName(TOtherEditDialog::tbAttribute), "属性項目");
}

TEST_F(OtherEditDialogTest, DealerFieldsAttributeNamesAndNewRowsAreWritten)
{
    dialog.SetTab(TOtherEditDialog::tbDealer);
    TDealerEditPanel* dealers = dialog.GetDealerEditPanel();
    dealers->SelectRow(dealers->GetDealerList()->FindID(dealer_));
    const F fields[] = {F::Company, F::Dealer, F::PostCode, F::Address, F::Tel, F::Tel2, F::Fax, F::EMail};
    for (int part = TDealerEditPanel::dpDealer; part < TDealerEditPanel::dpCount; ++part) {
        Enter(dealers->GetEdit(part));
        Type(std::to_string(part));
        Key(Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(Stored(fields[part], dealer_), std::to_string(part)) << part;
    }
    EXPECT_EQ(Stored(F::Company, dealer_), "築地の問屋");
    dealers->GetBtnNew()->click();
    EXPECT_EQ(dealers->GetRowCount(), 3);

    dialog.SetTab(TOtherEditDialog::tbAttribute);
    TAttributeEditPanel* attributes = dialog.GetAttributeEditPanel();
    attributes->SelectRow(0);
    Enter(attributes->GetAttributeList()->GetStringGrid());
    Key(Qt::Key_F2);
    Key(Qt::Key_End);
    Type("2");
    Key(Qt::Key_Down);
    EXPECT_EQ(Stored(F::Attribute, db.Domestic()), "国産2");
    EXPECT_EQ(attributes->GetCurrentID(), db.Organic());
    attributes->GetBtnNew()->click();
    EXPECT_EQ(attributes->GetRowCount(), 4);
    EXPECT_EQ(attributes->GetCurrentID(), db.Organic());
}

TEST_F(OtherEditDialogTest, DealerTextsStopAtTheirColumnsSizes)
{
    dialog.SetTab(TOtherEditDialog::tbDealer);
    TDealerEditPanel* dealers = dialog.GetDealerEditPanel();
    dealers->SelectRow(dealers->GetDealerList()->FindID(dealer_));
    // Typing stops at the size: 20 bytes of contact, 13 of telephone.
    Enter(dealers->GetEdit(TDealerEditPanel::dpDealer));
    Type(std::string(25, 'k'));
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Stored(F::Dealer, dealer_), std::string(20, 'k'));
    Enter(dealers->GetEdit(TDealerEditPanel::dpTel));
    Type("03-1234-5678-9999");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Stored(F::Tel, dealer_), "03-1234-5678-");

    // A paste is cut at the size, a double-byte character counting two; what was typed after the
    // cursor stays.
    QLineEdit* company = dealers->GetEdit(TDealerEditPanel::dpCompany);
    Enter(company);
    company->selectAll();
    Type("z");
    Key(Qt::Key_Home);
    QString wide;
    for (int i = 0; i < 30; ++i) wide += QStringLiteral("魚");
    QApplication::clipboard()->setText(wide);
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Return, Qt::ControlModifier);
    std::string expected;
    for (int i = 0; i < 24; ++i) expected += "魚";
    EXPECT_EQ(Stored(F::Company, dealer_), expected + "z");
}

TEST_F(OtherEditDialogTest, MovesSelectTheMovedRowAndApplyAPendingEditFirst)
{
    dialog.SetTab(TOtherEditDialog::tbUnit);
    TUnitsEditPanel* units = Page()->GetUnitEditPanel();
    units->SelectID(6);   // キログラム
    dialog.UpdateActions();
    Enter(units->GetNameEdit());
    Key(Qt::Key_End);
    Type("s");
    units->GetBtnDown()->click();
    EXPECT_EQ(Stored(F::Units, 7), "キログラムs") << "written, then moved to the next key";
    EXPECT_EQ(units->GetCurrentID(), 7);
    EXPECT_EQ(units->GetName(), "キログラムs");
    // A form moved past the units' keys shifts them: each list keeps its own order.
    const int dried = db.Object().AddForm(1, "乾燥");
    dialog.SetTab(TOtherEditDialog::tbForm);
    TUnitsEditPanel* forms = Page()->GetFormEditPanel();
    forms->SelectID(dried);
    dialog.UpdateActions();
    forms->GetBtnUp()->click();
    EXPECT_EQ(Stored(F::Units, 4), "乾燥");
    EXPECT_EQ(Stored(F::Units, 5), "缶、瓶");
    EXPECT_EQ(Stored(F::Units, 6), "グラム");
    EXPECT_EQ(forms->GetCurrentID(), 4);
    EXPECT_EQ(forms->GetName(), "乾燥");
    EXPECT_EQ(units->GetRowID(1), 6);

    dialog.SetTab(TOtherEditDialog::tbAttribute);
    TAttributeEditPanel* attributes = dialog.GetAttributeEditPanel();
    attributes->SelectRow(0);
    dialog.UpdateActions();
    attributes->GetBtnDown()->click();
    EXPECT_EQ(attributes->GetCurrentRow(), 1);
    EXPECT_EQ(attributes->GetCurrentName(), "国産");
    EXPECT_EQ(Stored(F::Attribute, 2), "国産");
}

TEST_F(OtherEditDialogTest, TheSharedFirstKeyIsNeverMovedDeletedOrMovedOnto)
{
    dialog.SetTab(TOtherEditDialog::tbForm);
    TUnitsEditPanel* forms = Page()->GetFormEditPanel();
    forms->SelectID(2);   // the row after "---"
    dialog.UpdateActions();
    EXPECT_FALSE(forms->GetBtnUp()->isEnabled());
    EXPECT_TRUE(forms->GetBtnDown()->isEnabled());
    dialog.MoveRow(-1);
    EXPECT_EQ(Stored(F::Units, 1), "---");
    forms->SelectID(1);
    dialog.UpdateActions();
    EXPECT_FALSE(forms->GetBtnDown()->isEnabled());
    EXPECT_FALSE(forms->GetBtnDelete()->isEnabled());
    EXPECT_FALSE(forms->GetNameEdit()->isEnabled());
    dialog.MoveRow(1);
    EXPECT_EQ(Stored(F::Units, 1), "---");
}

TEST(OtherEditRules, EnableTable)
{
    using T = TOtherEditDialog;
    struct Case {
        const char* name;
        std::function<void(TOtherEditState&)> set;
        std::function<bool(const TOtherEditEnables&)> get;
        bool expected;
    };
    const auto state = [](int tab) {
        TOtherEditState s;
        s.tab = tab;
        s.active = true;
        s.iconCount = 3;
        s.classSelected = true;
        s.classDepth = 3;
        s.unitRow = 2;
        s.unitRows = 4;
        s.unitId = 3;
        s.previousUnitId = 2;
        s.dealerRow = 1;
        s.dealerRows = 3;
        s.dealerId = 4;
        s.previousDealerId = 1;
        s.attrRow = 0;
        s.attrRows = 2;
        s.attrId = 1;
        s.filterIndex = 0;
        s.filterCount = 2;
        return s;
    };
    const Case cases[] = {
        {"icon delete when unused", [](auto&) {}, [](auto& e) { return e.iconDelete; }, true},
        {"icon in use", [](auto& s) { s.iconUsed = true; }, [](auto& e) { return e.iconDelete; }, false},
        {"no icon selected", [](auto& s) { s.iconIndex = 3; }, [](auto& e) { return e.iconDelete; }, false},
        {"inactive", [](auto& s) { s.active = false; }, [](auto& e) { return e.iconLoadSave; }, false},
        {"other tab", [](auto& s) { s.tab = T::tbClass; }, [](auto& e) { return e.iconLoadSave; }, false},
        {"family not editable", [](auto& s) { s.tab = T::tbClass, s.classDepth = 2; }, [](auto& e) { return e.classEdits; }, false},
        {"class editable", [](auto& s) { s.tab = T::tbClass; }, [](auto& e) { return e.classEdits && e.classDelete; }, true},
        {"class with contents", [](auto& s) { s.tab = T::tbClass, s.classHasContents = true; }, [](auto& e) { return e.classDelete; }, false},
        {"child of a leaf with records", [](auto& s) { s.tab = T::tbClass; }, [](auto& e) { return e.classChildNew; }, false},
        {"child of a branch", [](auto& s) { s.tab = T::tbClass, s.classBranchOrEmpty = true; }, [](auto& e) { return e.classChildNew; }, true},
        {"class return only with an edit", [](auto& s) { s.tab = T::tbClass; }, [](auto& e) { return e.classReturn; }, false},
        {"unit in use", [](auto& s) { s.tab = T::tbUnit, s.unitUsed = true; }, [](auto& e) { return e.unitDelete; }, false},
        {"unit free", [](auto& s) { s.tab = T::tbForm; }, [](auto& e) { return e.unitDelete && e.unitUp && e.unitDown; }, true},
        {"last unit", [](auto& s) { s.tab = T::tbUnit, s.unitRow = 3; }, [](auto& e) { return e.unitDown; }, false},
        {"after key 1", [](auto& s) { s.tab = T::tbUnit, s.previousUnitId = 1; }, [](auto& e) { return e.unitUp; }, false},
        {"key 1 kept", [](auto& s) { s.tab = T::tbUnit, s.unitId = 1, s.unitRow = 0; },
         [](auto& e) { return e.unitDelete || e.unitDown || e.unitEdits; }, false},
        {"dealer after key 1", [](auto& s) { s.tab = T::tbDealer; }, [](auto& e) { return e.dealerUp; }, false},
        {"dealer used", [](auto& s) { s.tab = T::tbDealer, s.dealerUsed = true; }, [](auto& e) { return e.dealerDelete; }, false},
        {"dealer free", [](auto& s) { s.tab = T::tbDealer; }, [](auto& e) { return e.dealerDelete && e.dealerDown; }, true},
        {"no attribute", [](auto& s) { s.tab = T::tbAttribute, s.attrId = 0; }, [](auto& e) { return e.attrDelete; }, false},
        {"first attribute", [](auto& s) { s.tab = T::tbAttribute; }, [](auto& e) { return !e.attrUp && e.attrDown; }, true},
        {"no filter", [](auto& s) { s.tab = T::tbFilter, s.filterIndex = -1; }, [](auto& e) { return e.filterChosen; }, false},
        {"filter changed", [](auto& s) { s.tab = T::tbFilter, s.filterModified = true; }, [](auto& e) { return e.filterChanged; }, true},
        {"last filter", [](auto& s) { s.tab = T::tbFilter, s.filterIndex = 1; }, [](auto& e) { return e.filterDown; }, false},
    };
    for (const Case& c : cases) {
        TOtherEditState s = state(T::tbIcon);
        c.set(s);
        EXPECT_EQ(c.get(OtherEditEnables(s)), c.expected) << c.name;
    }
}

TEST_F(OtherEditDialogTest, LookupsAreAskedAfterSelectionChangesAndNoticesOnly)
{
    dialog.SetTab(TOtherEditDialog::tbClass);
    dialog.UpdateActions();
    const int first = dialog.GetLookupCount();
    for (int i = 0; i < 5; ++i) dialog.UpdateActions();
    EXPECT_EQ(dialog.GetLookupCount(), first);
    Tree()->SelectID(SampleDatabase::kBeef);
    dialog.UpdateActions();
    EXPECT_EQ(dialog.GetLookupCount(), first + 1);
    EXPECT_TRUE(dialog.GetState().classHasContents);
    EXPECT_FALSE(Page()->GetClassEditPanel()->GetBtnDelete()->isEnabled());
    TPriorityItem ids;
    ids << SampleDatabase::kPork;
    db.Object().EditData(F::Class, std::string("豚"), ids);
    dialog.UpdateActions();
    dialog.UpdateActions();
    EXPECT_EQ(dialog.GetLookupCount(), first + 2);

    // An edit on the filter page enables its undo without asking the database.
    dialog.SetTab(TOtherEditDialog::tbFilter);
    dialog.GetUserFilterEdit()->SelectFilter(0);
    dialog.UpdateActions();
    const int filters = dialog.GetLookupCount();
    EXPECT_FALSE(dialog.GetUserFilterEdit()->GetBtnUndo()->isEnabled());
    dialog.GetUserFilterEdit()->SetFilterName("高価");
    dialog.UpdateActions();
    EXPECT_TRUE(dialog.GetUserFilterEdit()->GetBtnUndo()->isEnabled());
    EXPECT_EQ(dialog.GetLookupCount(), filters);
}

TEST_F(OtherEditDialogTest, LayoutValuesAreReadBackAndBadOnesGiveTheDesignWidth)
{
    platform::SettingsKey key(platform::SettingsScope::User, "Test/OtherEdit");
    key.WriteString("ClassUnitsEditClass", "210");
    key.WriteString("ClassUnitsEditForm", "abc");
    key.WriteString("ClassUnitsEditUnit", "-5");
    key.WriteString("DealerEditPanel", "190");
    key.DeleteValue("UserFilterEdit");
    dialog.LoadLayout(key);
    EXPECT_EQ(Page()->GetClassModeWidth(), 210);
    EXPECT_EQ(Page()->GetFormModeWidth(), TClassUnitsEdit::kDesignWidth);
    EXPECT_EQ(Page()->GetUnitModeWidth(), TClassUnitsEdit::kDesignWidth);
    dialog.SetTab(TOtherEditDialog::tbDealer);
    EXPECT_EQ(dialog.GetDealerEditPanel()->GetListWidth(), 190);
    dialog.SetTab(TOtherEditDialog::tbClass);
    EXPECT_EQ(Tree()->width(), 210);
    dialog.SaveLayout(key);
    EXPECT_EQ(key.ReadString("ClassUnitsEditForm"), std::to_string(TClassUnitsEdit::kDesignWidth));
    EXPECT_EQ(key.ReadString("DealerEditPanel"), "190");
    EXPECT_TRUE(key.ValueExists("UserFilterEdit"));
}

TEST_F(OtherEditDialogTest, HelpByButtonAndByF1PerTabAndARefusedIconFileNamed)
{
    const std::string folder = vkttest::NewTempFolder("help");
    platform::SetHelpFolder(folder);
    dialog.GetBtnHelp()->click();
    dialog.SetTab(TOtherEditDialog::tbUnit);
    QTest::keyClick(&dialog, Qt::Key_F1);
    ASSERT_EQ(Scripted().messages.size(), 2u);
    EXPECT_NE(Scripted().messages[0].text.find("4160.html"), std::string::npos);
    EXPECT_NE(Scripted().messages[1].text.find("5184.html"), std::string::npos);
    platform::SetHelpFolder({});

    Scripted().Reset();
    const std::string bad = folder + "/broken.bmp";
    std::ofstream(bad) << "not a picture";
    Scripted().files.push_back(bad);
    dialog.SetTab(TOtherEditDialog::tbIcon);
    const int icons = db.Object().GetClassIcons().GetCount();
    dialog.GetIconEditPanel()->GetBtnLoad()->click();
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].icon, platform::MsgIcon::Stop);
    EXPECT_NE(Scripted().messages[0].text.find(bad), std::string::npos);
    EXPECT_EQ(db.Object().GetClassIcons().GetCount(), icons);
    EXPECT_NE(Scripted().calls[0].find(TOtherEditDialog::kLoadFilter), std::string::npos);
}

// At the bottom right, 10 pixels from the edges, or, when that would run past the screen's
// available area (a window larger than it), moved and shrunk wholly into it.
TEST(OtherEditPlacement, BottomRightAndWhollyOnTheScreen)
{
    Scripted().Reset();
    SampleDatabase db;
    for (const bool larger : {false, true}) {
        Dialog dialog;
        dialog.SetDataObject(&db.Object());
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        if (larger) dialog.resize(area.size() + QSize(60, 80));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(50);
        const QRect frame = dialog.frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << larger;
        if (!larger) {
            EXPECT_EQ(area.right() - frame.right(), 10);
            EXPECT_EQ(area.bottom() - frame.bottom(), 10);
        }
        dialog.SetDataObject(nullptr);
    }
}

} // namespace
