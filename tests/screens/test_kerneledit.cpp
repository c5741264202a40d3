// The kernel panel on the sample database, driven with real focus moves and keys: the controls per
// class type, the edit cycle (one write per left control, Esc, Ctrl+Enter, numbers that do not
// convert, a cleared price), the use-unit question, the read-only states after trash, keep and
// batch notices, and the pixel rules of the layout.
#include <gtest/gtest.h>

#include "data/Uvktdbstruct.h"
#include "data/Mvkttables.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "richtext/Exview.h"
#include "screens/Fclassbar.h"
#include "screens/Fkerneleditpanel.h"
#include "support/Keys.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using platform::Variant;
using vkttest::SampleDatabase;

using vkttest::Ids;

using vkttest::Key;
using vkttest::Type;

// Characters as a keyboard layout delivers them, one key event per character.
void TypeText(const QString& text)
{
    for (char32_t c : text.toStdU32String()) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
}

class KernelEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        probe.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
            writes.push_back(std::to_string(ToInt(field)) + ":" + ids.GetCommaText());
        };
        db.Object().GetEvents().Add(&probe);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&panel);
        layout->addWidget(&other);
        window.resize(330, 520);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        panel.SetVktObject(&db.Object());
        vkttest::Scripted().Reset();
    }
    void TearDown() override { probe.Detach(); }

    void Open(const char* name)
    {
        panel.SetData(db.Record(name));
        writes.clear();
    }
    void Enter(QWidget* control)
    {
        control->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    void Leave()
    {
        other.setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    std::string Stored(F field) const
    {
        TVDBFood reader(&db.Object());
        TFilterObject filter;
        filter.Add(F::Data_ID, foEqual, panel.GetDataID(), {});
        reader.SetFilter(filter);
        reader.Refresh();
        reader.SetRowIndex(0);
        return reader.GetText(field);
    }
    static std::string Text(QLineEdit* edit) { return edit->text().toStdString(); }

    SampleDatabase db;
    TVktObjEvent probe;
    std::vector<std::string> writes;
    QWidget window;
    TKernelEditPanel panel{&window};
    QLineEdit other{&window};
};

TEST_F(KernelEdit, ControlsFollowTheClassType)
{
    struct Case { const char* record; int type; bool food; bool cook; bool menu; int detailHeight; };
    const Case cases[] = {{"和牛サーロイン", 1, true, false, false, 80},
                          {"和牛のステーキ", 2, false, true, false, 80},
                          {"春の宴コース", 3, false, true, true, 160}};
    // Each record set in the shown panel, then set while the panel is hidden and shown after.
    for (const bool hidden : {false, true})
    for (const Case& c : cases) {
        if (hidden) window.hide();
        Open(c.record);
        window.show();
        EXPECT_EQ(panel.GetClassType(), c.type) << c.record;
        EXPECT_EQ(panel.GetNameEdit()->GetText(), c.record);
        EXPECT_TRUE(panel.LabelOf(panel.GetFormSelector())->isVisible());
        EXPECT_EQ(panel.GetBuyPriceEdit()->isVisible(), c.food) << c.record;
        EXPECT_EQ(panel.LabelOf(panel.GetQuantityEdit())->isVisible(), c.food) << c.record;
        EXPECT_EQ(panel.GetSalePriceEdit()->isVisible(), c.cook) << c.record;
        EXPECT_EQ(panel.GetCostRateEdit()->isVisible(), c.cook) << c.record;
        EXPECT_EQ(panel.GetInformationEdit()->isVisible(), c.menu) << c.record;
        EXPECT_EQ(panel.GetPanelDetail()->height(), c.detailHeight) << c.record;
        // Only classes of the record's own type are offered.
        for (int i = 0; i < panel.GetClassSelector()->GetCount(); ++i)
            EXPECT_EQ(panel.GetClassSelector()->GetItem(i).ClassType, c.type) << c.record;
    }
    EXPECT_EQ(panel.LabelOf(panel.GetCompleteEdit())->text().toStdString(), "出来上がり量");
    EXPECT_EQ(Text(panel.GetCreateDateEdit()).size(), 10u);   // yyyy/mm/dd
    panel.SetData(0);
    EXPECT_FALSE(panel.GetNameEdit()->isVisible());
    EXPECT_FALSE(panel.GetBtnShow()->isVisible());
}

TEST_F(KernelEdit, ANameIsWrittenOnceWhenLeftAndEscRestores)
{
    Open("玉ねぎ");
    const int id = panel.GetDataID();
    Enter(panel.GetNameEdit());
    Type("X");
    EXPECT_TRUE(panel.GetModified());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(panel.GetNameEdit()->GetText(), "玉ねぎ");
    Leave();
    EXPECT_TRUE(writes.empty());

    Enter(panel.GetNameEdit());
    Key(Qt::Key_End);
    Type("A");
    Leave();
    EXPECT_EQ(writes, std::vector<std::string>{"45:" + std::to_string(id)});
    EXPECT_EQ(Stored(F::Data), "玉ねぎA");

    // Ctrl+Enter writes at once and keeps the focus; leaving then writes nothing more.
    writes.clear();
    const std::string french = Stored(F::Data2);
    Enter(panel.GetName2Edit());
    Key(Qt::Key_End);
    Type("s");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(writes, std::vector<std::string>{"46:" + std::to_string(id)});
    EXPECT_EQ(QApplication::focusWidget(), panel.GetName2Edit());
    EXPECT_EQ(Stored(F::Data2), french + "s");
    Leave();
    EXPECT_EQ(writes.size(), 1u);
}

TEST_F(KernelEdit, NameFieldsPassTabOnKeepWhatIsTypedAndStopAtTheirSize)
{
    Open("玉ねぎ");
    const int id = panel.GetDataID();
    Enter(panel.GetNameEdit());
    Key(Qt::Key_End);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), panel.GetName2Edit());
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), panel.GetNameEdit());
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(Stored(F::Data), "玉ねぎ");

    // A character code page 932 lacks is stored and shown again as typed.
    Key(Qt::Key_End);
    TypeText(QStringLiteral("🥕"));
    Leave();
    EXPECT_EQ(writes, std::vector<std::string>{"45:" + std::to_string(id)});
    EXPECT_EQ(Stored(F::Data), "玉ねぎ🥕");
    EXPECT_EQ(panel.GetNameEdit()->GetText(), "玉ねぎ🥕");

    // 50 bytes: typing stops there (the name above takes 7), and so does a paste over the name.
    Enter(panel.GetNameEdit());
    Key(Qt::Key_End);
    Type(std::string(60, 'a'));
    Leave();
    EXPECT_EQ(Stored(F::Data), "玉ねぎ🥕" + std::string(43, 'a'));
    Enter(panel.GetNameEdit());
    QApplication::clipboard()->setText(QString(300, QLatin1Char('b')));
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    Leave();
    EXPECT_EQ(Stored(F::Data), std::string(50, 'b'));
}

TEST_F(KernelEdit, NumbersConvertOrFallBackToTheEntryValue)
{
    Open("玉ねぎ");
    const std::string entryQuantity = Stored(F::Quantity);
    const std::string shown = Text(panel.GetQuantityEdit());
    Enter(panel.GetQuantityEdit());
    Type("a");
    Key(Qt::Key_End);
    Type("1a");
    EXPECT_EQ(Text(panel.GetQuantityEdit()), "a1a");   // kept while typing
    Leave();
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(Stored(F::Quantity), entryQuantity);
    EXPECT_EQ(Text(panel.GetQuantityEdit()), shown);
    EXPECT_FALSE(panel.GetModified());

    // A cleared buy price writes 0; the derived use price comes back through the notices.
    Enter(panel.GetBuyPriceEdit());
    EXPECT_EQ(Text(panel.GetBuyPriceEdit()), "250");
    panel.GetBuyPriceEdit()->selectAll();
    Key(Qt::Key_Delete);
    EXPECT_TRUE(panel.GetModified());
    Leave();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), "62:" + std::to_string(panel.GetDataID()));
    EXPECT_EQ(Stored(F::BuyPrice), "¥0");
    EXPECT_EQ(Text(panel.GetBuyPriceEdit()), "¥0");
    EXPECT_EQ(Text(panel.GetUsePriceEdit()), "¥0");
}

// A write the database refuses is said once and the field shows the stored price again (typing
// 4200 and leaving used to show ¥4,200 while 250 stayed stored); the next edit writes.
TEST_F(KernelEdit, AWriteTheDatabaseRefusesShowsTheStoredValueAgain)
{
    struct Told : TVktShellServices {
        std::vector<std::string> errors;
        void ShowError(const std::string& text, const std::string&) override { errors.push_back(text); }
    };
    auto told = std::make_unique<Told>();
    const std::vector<std::string>& errors = told->errors;
    db.Registry().SetShellServices(std::move(told));
    Open("玉ねぎ");
    const std::string table = GetTableFileName(GetFieldTable(F::BuyPrice));
    platform::Connection other(platform::DatabaseFilePath(db.Folder()));
    other.Execute("create trigger Refuse before update on " + table + " begin select raise(abort, 'disk full'); end");
    Enter(panel.GetBuyPriceEdit());
    panel.GetBuyPriceEdit()->selectAll();
    Type("4200");
    Leave();
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(Stored(F::BuyPrice), "¥250");
    EXPECT_EQ(Text(panel.GetBuyPriceEdit()), "¥250");
    EXPECT_FALSE(panel.GetModified());

    other.Execute("drop trigger Refuse");
    Enter(panel.GetBuyPriceEdit());
    EXPECT_EQ(Text(panel.GetBuyPriceEdit()), "250");
    panel.GetBuyPriceEdit()->selectAll();
    Type("300");
    Leave();
    EXPECT_EQ(Stored(F::BuyPrice), "¥300");
    EXPECT_EQ(Text(panel.GetBuyPriceEdit()), "¥300");
    EXPECT_EQ(errors.size(), 1u);
    db.Registry().SetShellServices(nullptr);
}

TEST_F(KernelEdit, SignsAndPointsWaitForTheFieldToBeLeft)
{
    Open("玉ねぎ");
    QLineEdit* yield = panel.GetYieldEdit();
    const std::string shown = Text(yield);
    // Replacing the whole text with a sign keeps the sign.
    Enter(yield);
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("-");
    EXPECT_EQ(Text(yield), "-");
    Key(Qt::Key_Backspace);
    Type("8.");
    EXPECT_EQ(Text(yield), "8.");
    Type("5");
    Leave();
    EXPECT_EQ(writes, std::vector<std::string>{"64:" + std::to_string(panel.GetDataID())});
    EXPECT_EQ(Stored(F::Yield), "8.50");

    // A sign alone reverts when the field is left; a negative yield is refused with a message.
    writes.clear();
    const std::string now = Text(yield);
    for (const char* typed : {"-", "-5", "0", "101"}) {
        Enter(yield);
        Key(Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_Delete);
        Type(typed);
        vkttest::Scripted().messages.clear();
        Leave();
        EXPECT_TRUE(writes.empty()) << typed;
        EXPECT_EQ(Text(yield), now) << typed;
        EXPECT_EQ(vkttest::Scripted().messages.size(), std::string(typed) == "-" ? 0u : 1u) << typed;
        EXPECT_FALSE(panel.GetModified());
    }
    EXPECT_EQ(Stored(F::Yield), "8.50");
    EXPECT_NE(shown, now);

    // Esc puts back the number the field was entered with.
    Enter(panel.GetQuantityEdit());
    const std::string bare = Text(panel.GetQuantityEdit());
    Type("-");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Text(panel.GetQuantityEdit()), bare);
    Leave();
    EXPECT_TRUE(writes.empty());
}

TEST_F(KernelEdit, UseUnitChangesAskAndConvert)
{
    Open("玉ねぎ");
    const int id = panel.GetDataID();
    QComboBox* units = panel.GetUseUnitSelector();
    ASSERT_GE(units->count(), 2);
    std::vector<std::string> asked;
    panel.OnUseUnitChange = [&](TKernelEditPanel*, int dataId, bool& convert, double& rate, int newUnit, int oldUnit) {
        asked.push_back(std::to_string(dataId) + ":" + std::to_string(newUnit) + "<" + std::to_string(oldUnit));
        convert = false;
        rate = 2;
    };
    const int before = units->currentIndex();
    Enter(units);
    Key(before + 1 < units->count() ? Qt::Key_Down : Qt::Key_Up);
    Leave();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(units->currentIndex(), before);
    EXPECT_TRUE(writes.empty());

    // With Shift held the change is written without a question and the history converted at 1.
    vkttest::Scripted().shift = true;
    Enter(units);
    Key(before + 1 < units->count() ? Qt::Key_Down : Qt::Key_Up);
    Leave();
    vkttest::Scripted().shift = false;
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(writes, (std::vector<std::string>{"47:" + std::to_string(id), "47:" + std::to_string(id)}));
    EXPECT_NE(units->currentIndex(), before);
    EXPECT_EQ(vkttest::Scripted().busyDepth, 0);

    // A recipe's unit back and forth: each change is written.
    Open("和牛のステーキ");
    units = panel.GetUseUnitSelector();
    ASSERT_GE(units->count(), 2);
    Enter(units);
    const int start = units->currentIndex();
    const int key = start + 1 < units->count() ? Qt::Key_Down : Qt::Key_Up;
    const int back = key == Qt::Key_Down ? Qt::Key_Up : Qt::Key_Down;
    Key(key);
    Key(Qt::Key_Return, Qt::ControlModifier);
    Key(back);
    Leave();
    EXPECT_EQ(writes.size(), 2u);
    EXPECT_EQ(units->currentIndex(), start);
}

TEST_F(KernelEdit, TrashedAndKeptRecordsAreReadOnly)
{
    Open("鶏もも肉");
    EXPECT_TRUE(panel.GetNameEdit()->isEnabled());
    const platform::TColor editable = panel.GetNameEdit()->GetColor();
    // A batch naming the shown record among others.
    ASSERT_TRUE(db.Object().EraseData(0, Ids({db.Record("豚バラ肉"), panel.GetDataID()}), nullptr));
    EXPECT_EQ(panel.GetEraseState(), -1);
    for (QWidget* control : {static_cast<QWidget*>(panel.GetNameEdit()), static_cast<QWidget*>(panel.GetClassSelector()),
                             static_cast<QWidget*>(panel.GetBuyPriceEdit()), static_cast<QWidget*>(panel.GetInventoryCheck())})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    // The text edits paint their own background: a disabled one must not look editable.
    for (TExView* edit : {panel.GetNameEdit(), panel.GetName2Edit(), panel.GetInformationEdit()})
        EXPECT_NE(edit->GetColor(), editable) << edit->objectName().toStdString();
    EXPECT_TRUE(panel.GetPanelDetail()->isVisibleTo(&panel));

    Open("生クリーム");   // kept
    EXPECT_EQ(panel.GetEraseState(), -2);
    EXPECT_FALSE(panel.GetPanelDetail()->isVisibleTo(&panel));
    EXPECT_EQ(panel.GetPanelDate()->y(), panel.GetPanelKernel()->height());
    panel.SetSideBySide(true);
    EXPECT_EQ(panel.GetPanelDate()->y(), 0);

    Open("豚バラ肉");
    EXPECT_NE(panel.GetName2Edit()->GetColor(), editable);
    Open("真鯛");
    EXPECT_EQ(panel.GetName2Edit()->GetColor(), editable);

    // Purging the shown record clears the panel.
    Open("牛ヒレ肉");
    ASSERT_TRUE(db.Object().PurgeData(0, Ids({panel.GetDataID()}), nullptr));
    EXPECT_EQ(panel.GetDataID(), 0);
}

// The class, form and unit lists are read once per class type and kept while other records
// show; every change to classes or units made meanwhile must still reach them.
TEST_F(KernelEdit, KeptListsFollowClassAndUnitChanges)
{
    const auto classes = [this](bool stored, int type) {
        std::vector<std::string> names;
        if (!stored) {
            for (int i = 0; i < panel.GetClassSelector()->GetCount(); ++i)
                names.push_back(panel.GetClassSelector()->GetItem(i).Name);
            return names;
        }
        TVDBClass reader(&db.Object());
        TFilterObject filter;
        filter.Add(F::ClassType, foEqual, Variant(type), {});
        reader.SetFilter(filter);
        reader.Refresh();
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            names.push_back(reader.GetClass());
        }
        return names;
    };
    const auto offers = [](QComboBox* box, const char* text) { return box->findText(QString::fromUtf8(text)) >= 0; };
    int added = 0;
    // Each change made with the panel closed (true) or on another record of the type.
    const std::pair<std::function<void()>, bool> changes[] = {
        {[&] { added = db.Object().AddClass(SampleDatabase::kVegetables, "根菜"); }, true},
        {[&] { db.Object().EditData(F::Class, Variant("香草類"), Ids({SampleDatabase::kHerb})); }, true},
        {[&] { db.Object().MoveClassUp(SampleDatabase::kHerb); }, false},
        {[&] { db.Object().AddClass(SampleDatabase::kMeatDish, "煮込み"); }, true},
        {[&] { db.Object().DeleteClass(added); }, false},
        {[&] { db.Object().AddForm(1, "缶詰"), db.Object().AddUnit(1, "束"); }, true},
    };
    for (const auto& [change, closed] : changes) {
        Open("玉ねぎ");
        if (closed) panel.SetData(0);
        change();
        Open("和牛サーロイン");
        EXPECT_EQ(classes(false, 0), classes(true, 1));
    }
    EXPECT_TRUE(offers(panel.GetFormSelector(), "缶詰"));
    EXPECT_TRUE(offers(panel.GetUseUnitSelector(), "束") && offers(panel.GetBuyUnitSelector(), "束"));
    // The lists of another type in between.
    Open("和牛のステーキ");
    EXPECT_FALSE(offers(panel.GetUseUnitSelector(), "束"));
    EXPECT_EQ(classes(false, 0), classes(true, 2));
    Open("玉ねぎ");
    EXPECT_TRUE(offers(panel.GetUseUnitSelector(), "束"));
    EXPECT_EQ(classes(false, 0), classes(true, 1));
}

TEST_F(KernelEdit, BlocksFollowThePixelRules)
{
    Open("春の宴コース");
    panel.resize(400, panel.height());
    QCoreApplication::processEvents();
    const int width = panel.GetScrollArea()->viewport()->width();
    auto check = [&](bool sideBySide) {
        const int half = sideBySide ? width / 2 : width;
        const int column = (half - 24) / 2;
        EXPECT_EQ(panel.GetPanelKernel()->width(), half);
        EXPECT_EQ(panel.GetPanelDetail()->x(), sideBySide ? half : 0);
        EXPECT_EQ(panel.GetPanelDetail()->y(), sideBySide ? 0 : 200);
        EXPECT_EQ(panel.GetPanelDate()->y(), panel.GetPanelDetail()->geometry().bottom() + 1);
        EXPECT_EQ(panel.GetBtnShow()->geometry().right() + 1, half - 8);
        EXPECT_EQ(panel.GetFormSelector()->width(), column);
        EXPECT_EQ(panel.GetUseUnitSelector()->x(), 8 + column + 8);
        EXPECT_EQ(panel.LabelOf(panel.GetUseUnitSelector())->x(), 8 + column + 16);
        EXPECT_EQ(panel.GetCostRateEdit()->x(), 8 + column + 8);
        EXPECT_EQ(panel.GetChangeDateEdit()->width(), column);
    };
    check(false);
    panel.SetSideBySide(true);
    check(true);
}

} // namespace
