// The key-field change dialog on the sample kitchen database: the kinds' lists, marking and
// clearing, the fields and values sent, the question and the Shift path, the records afterwards
// and the lists following new master rows.
#include "SetUpDialogFixture.h"
#include "dialogs/Fdatapropertychangedialog.h"
#include "screens/Fclassbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <functional>
#include <string>

namespace {

using vkttest::SampleDatabase;
using platform::MsgAnswer;
using D = TDataPropertyChangeDialog;

class DataPropertyChangeDialogTest : public SetUpDialogTest {
protected:
    void TearDown() override
    {
        ShowDataPropertyChangeDlg(nullptr);
        SetUpDialogTest::TearDown();
    }
    D* Dialog() const { return ShowDataPropertyChangeDlg(object); }
    // Runs `act` inside the dialog shown for `kind` and `ids`; closes it when still open.
    void Show(int kind, const TPriorityItem& ids, const std::function<void(D*)>& act)
    {
        Inside<D>(Dialog(), act, [&] { Dialog()->Execute(static_cast<std::uint8_t>(kind), ids); });
    }
    // The user picks the list item showing `text`.
    static void Pick(QComboBox* list, const char* text)
    {
        const int index = list->findText(QString::fromUtf8(text));
        ASSERT_GE(index, 0) << text;
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    static void PickClass(D* d, int id)
    {
        QComboBox* drop = d->GetCBClass()->GetDropDown();
        const int index = d->GetCBClass()->FindItem(id);
        drop->setCurrentIndex(index);
        emit drop->activated(index);
    }
    // OK enabled, BtnCancel's caption and the fields to send, e.g. "1 キャンセル 43,65".
    static std::string State(D* d)
    {
        return std::string(d->GetBtnOk()->isEnabled() ? "1 " : "0 ") + d->GetBtnCancel()->text().toStdString() + " " +
               d->ChangedFields().GetCommaText();
    }
};

TEST_F(DataPropertyChangeDialogTest, EachKindListsItsClassesFormsAndUnits)
{
    struct Case {
        int kind;
        int classIn, classOut;
        const char* form;
        const char* unit;
        bool foodOnly;
    } const cases[] = {
        {1, SampleDatabase::kBeef, SampleDatabase::kSauce, "生鮮", "グラム", true},
        {2, SampleDatabase::kSauce, SampleDatabase::kBeef, "", "", false},
        {3, SampleDatabase::kBanquet, SampleDatabase::kSauce, "", "", false},
    };
    for (const Case& c : cases) {
        Show(c.kind, {}, [&c](D* d) {
            EXPECT_GE(d->GetCBClass()->FindItem(c.classIn), 0) << c.kind;
            EXPECT_LT(d->GetCBClass()->FindItem(c.classOut), 0) << c.kind;
            EXPECT_GT(d->GetList(D::tagForm)->count(), 0);
            EXPECT_GT(d->GetList(D::tagUseUnit)->count(), 0);
            if (*c.unit) {
                EXPECT_GE(d->GetList(D::tagUseUnit)->findText(c.unit), 0);
            }
            for (int tag : {D::tagBuyUnit, D::tagDealer}) {
                EXPECT_EQ(d->GetList(tag)->isEnabled(), c.foodOnly);
                EXPECT_EQ(d->GetBtnClear(tag)->isEnabled(), false);
            }
            EXPECT_EQ(d->GetList(D::tagBuyUnit)->count() > 0, c.foodOnly);
            EXPECT_EQ(d->GetCBInvItem()->checkState(), Qt::PartiallyChecked);
            EXPECT_EQ(State(d), "0 閉じる ");
            d->GetBtnCancel()->click();
            EXPECT_FALSE(d->isVisible()) << "閉じる asks nothing";
        });
    }
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

TEST_F(DataPropertyChangeDialogTest, MarkingAndClearingFollowTheFieldsInTheirSendingOrder)
{
    const int dealer = object->AddDealer("築地の問屋");
    Show(1, {}, [dealer](D* d) {
        Pick(d->GetList(D::tagDealer), "築地の問屋");
        EXPECT_EQ(State(d), "1 キャンセル 65");
        PickClass(d, SampleDatabase::kMeat);
        EXPECT_EQ(State(d), "1 キャンセル 65") << "a branch is refused";
        PickClass(d, SampleDatabase::kPork);
        EXPECT_EQ(State(d), "1 キャンセル 43,65");
        EXPECT_EQ(d->ValueText(), std::to_string(SampleDatabase::kPork) + "," + std::to_string(dealer));
        // The first click from grey checks the box and ends grey.
        d->GetCBInvItem()->click();
        EXPECT_EQ(d->GetCBInvItem()->checkState(), Qt::Checked);
        d->GetCBInvItem()->click();
        EXPECT_EQ(d->GetCBInvItem()->checkState(), Qt::Unchecked);
        Pick(d->GetList(D::tagForm), "生鮮");
        Pick(d->GetList(D::tagUseUnit), "キログラム");
        Pick(d->GetList(D::tagBuyUnit), "グラム");
        EXPECT_EQ(State(d), "1 キャンセル 43,42,44,47,61,65");
        for (int tag = 0; tag < D::tagCount; ++tag) EXPECT_TRUE(d->GetBtnClear(tag)->isEnabled()) << tag;
        const std::string values = d->ValueText();
        EXPECT_EQ(values.substr(0, 4), std::to_string(SampleDatabase::kPork) + ",0,");
        const char* const after[] = {"1 キャンセル 42,44,47,61,65", "1 キャンセル 44,47,61,65", "1 キャンセル 47,61,65",
                                     "1 キャンセル 61,65", "1 キャンセル 65", "0 閉じる "};
        for (int tag = 0; tag < D::tagCount; ++tag) {
            d->GetBtnClear(tag)->click();
            EXPECT_EQ(State(d), after[tag]) << tag;
            EXPECT_FALSE(d->GetBtnClear(tag)->isEnabled());
        }
        EXPECT_EQ(d->GetCBInvItem()->checkState(), Qt::PartiallyChecked);
        EXPECT_EQ(d->GetList(D::tagForm)->currentIndex(), -1);
        EXPECT_EQ(d->GetCBClass()->GetClassID(), 0);
    });
}

TEST_F(DataPropertyChangeDialogTest, OkAsksThenWritesAndTheDialogStaysOpen)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    const int onion = sample->Record("玉ねぎ");
    const int carrot = sample->Record("人参");
    const int dealer = object->AddDealer("築地の問屋");
    TPriorityItem ids;
    ids << onion << carrot;
    Show(1, ids, [&](D* d) {
        Pick(d->GetList(D::tagDealer), "築地の問屋");
        d->GetCBInvItem()->click();
        d->GetCBInvItem()->click();
        s.answers = {MsgAnswer::No};
        d->GetBtnOk()->click();
        ASSERT_EQ(s.messages.size(), 1u);
        EXPECT_EQ(s.messages[0].text, "選択されているすべてのデータを変更しますか？");
        EXPECT_EQ(s.messages[0].defaultButton, MsgAnswer::Yes);
        EXPECT_EQ(State(d), "1 キャンセル 42,65") << "No changes nothing";
        s.answers = {MsgAnswer::Yes};
        d->GetBtnOk()->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(State(d), "0 閉じる 42,65");
        // Cancel asks only while something is marked and not sent.
        Pick(d->GetList(D::tagForm), "生鮮");
        s.answers = {MsgAnswer::No};
        d->GetBtnCancel()->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(s.messages.back().text, "データは変更されていません。終了しますか？");
        EXPECT_EQ(s.messages.back().defaultButton, MsgAnswer::No);
        s.shift = true;
        d->GetBtnCancel()->click();
        EXPECT_FALSE(d->isVisible());
    });
    const std::string list = std::to_string(onion) + "," + std::to_string(carrot);
    EXPECT_EQ(Sql("select group_concat(InvItem) from VktDB1F where Data_ID in (" + list + ")"), "0,0");
    EXPECT_EQ(Sql("select group_concat(Dealer_Key) from VktDB1K where Food_Key in (" + list + ")"),
              std::to_string(dealer) + "," + std::to_string(dealer));
}

TEST_F(DataPropertyChangeDialogTest, ShiftSkipsTheQuestionAndTheBatchClosesItself)
{
    closing = false;
    vkttest::ScriptedServices& s = vkttest::Scripted();
    const int sauce = sample->Record("デミグラスソース");
    TPriorityItem ids;
    ids << sauce;
    Show(2, ids, [&](D* d) {
        PickClass(d, SampleDatabase::kMeatDish);
        s.shift = true;
        d->GetBtnOk()->click();
        EXPECT_TRUE(s.messages.empty());
        EXPECT_FALSE(batch->isVisible());
        EXPECT_FALSE(batch->GetAutoClose());
        EXPECT_EQ(State(d), "0 閉じる 43");
    });
    EXPECT_EQ(Sql("select Class_Key from VktDB1F where Data_ID = " + std::to_string(sauce)),
              std::to_string(SampleDatabase::kMeatDish));
}

TEST_F(DataPropertyChangeDialogTest, ListsFollowNewMasterRowsAndKeepTheChoice)
{
    Show(1, {}, [this](D* d) {
        Pick(d->GetList(D::tagUseUnit), "グラム");
        const int dealer = object->AddDealer("築地の問屋");
        EXPECT_GE(d->GetList(D::tagDealer)->findData(dealer), 0);
        const int unit = object->AddUnit(1, "箱");
        EXPECT_GE(d->GetList(D::tagUseUnit)->findData(unit), 0);
        EXPECT_EQ(d->GetList(D::tagUseUnit)->currentText(), QStringLiteral("グラム"));
        const int cls = object->AddClass(SampleDatabase::kMeat, "羊肉");
        EXPECT_GE(d->GetCBClass()->FindItem(cls), 0);
        PickClass(d, cls);
        EXPECT_TRUE(object->DeleteClass(cls));
        EXPECT_LT(d->GetCBClass()->FindItem(cls), 0);
        EXPECT_EQ(State(d), "1 キャンセル 47") << "a deleted class leaves the set";
    });
}

} // namespace
