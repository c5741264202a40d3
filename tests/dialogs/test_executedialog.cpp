// The batch progress dialog over a temporary database: each set-up's routine and notices, the
// run's cancel question, end texts, AutoClose, the refusals while running and failed runs.
#include <gtest/gtest.h>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "platform/Sqlite.h"
#include "screens/Fdataview.h"
#include "support/ScriptedServices.h"
#include "support/Ids.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using F = TVktField;
using Strings = std::vector<std::string>;

constexpr int kBeef = 4;
constexpr int kPork = 5;
constexpr int kMeat = 3;   // a branch class
const platform::TDateTime kSheetDate = platform::EncodeDateTime(2024, 3, 31, 18, 30, 0);

using vkttest::Ids;
std::string Text(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text().toStdString();
    return static_cast<const QPushButton*>(w)->text().toStdString();
}

// Records each progress call and the state at the end; closes the window by "閉じる" when a run
// has ended (unless `closer` is off).
class ProbeDialog : public TExecuteDialog {
public:
    ProbeDialog()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (!closer || !isVisible() || GetRunning() || GetOperation() != opNone) return;
            endText = Text(GetLabel());
            endButton = Text(GetBtnCancel());
            // Every line of the end text lies above the bar.
            const QLabel* label = GetLabel();
            endFits = label->height() >= label->heightForWidth(label->width()) &&
                      GetProgressBar()->y() > label->geometry().bottom();
            GetBtnCancel()->click();
        });
        timer_.start(5);
    }
    void Progress(TVktObject* sender, const std::string& text, bool& cont, int tag) override
    {
        calls.push_back(Text(GetLabel()));
        if (onProgress) onProgress(static_cast<int>(calls.size()));
        if (paintEach) std::this_thread::sleep_for(std::chrono::milliseconds(60));
        TExecuteDialog::Progress(sender, text, cont, tag);
        labels.push_back(Text(GetLabel()));
        caption = windowTitle().toStdString();
        max = GetProgressBar()->maximum();
    }
    std::function<void(int call)> onProgress;
    Strings calls, labels;   // the label before and after each call
    Strings painted;         // the label at each paint
    std::string caption, endText, endButton;
    bool endFits = false;
    int max = -1, paints = 0;
    bool closer = true;
    bool paintEach = false;   // each call comes past the paint interval: every record is painted

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        painted.push_back(Text(GetLabel()));
        TExecuteDialog::paintEvent(event);
    }

private:
    QTimer timer_;
};

class ExecuteDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("exec");
        registry = std::make_unique<TVktApplication>();
        ASSERT_TRUE(registry->CreateDatabase("厨房", folder));
        object = registry->GetObject("厨房");
        object->AddRef();
        const TPriorityItem fields = Ids({ToInt(F::Class_Key), ToInt(F::Data)});
        ASSERT_TRUE(object->InsertData(TVktObjKind::Food, "4,玉ねぎ\r\n4,人参\r\n4,じゃがいも", fields, 0, nullptr));
        ASSERT_TRUE(object->InsertData(TVktObjKind::Cook, "35,煮込み", fields, 0, nullptr));
        object->GetEvents().Add(&recorder);
        const auto log = [this](const char* what) {
            return [this, what](TVktObject*, auto kind, TPriorityItem ids) {
                notices.push_back(std::string(what) + " " + std::to_string(static_cast<int>(kind)) + ": " +
                                  ids.GetCommaText());
            };
        };
        recorder.OnRecordsAdd = log("add");
        recorder.OnRecordsDelete = log("delete");
        recorder.OnFieldChange = log("field");
        notices.clear();
        probe = std::make_unique<ProbeDialog>();
        probe->SetDataObject(object);
    }
    void TearDown() override
    {
        probe.reset();
        recorder.Detach();
        object->Release();
        registry.reset();
    }
    std::string Sql(const std::string& query)
    {
        platform::Connection db(platform::DatabaseFilePath(folder));
        platform::Statement statement(db, query);
        return statement.Step() ? statement.GetText(0) : std::string();
    }
    std::string Trashed() { return Sql("select group_concat(Erase_Key) from VktDB1G"); }

    std::unique_ptr<TVktApplication> registry;
    std::string folder;
    TVktObject* object = nullptr;
    TVktObjEvent recorder;
    Strings notices;
    std::unique_ptr<ProbeDialog> probe;
};

struct SetUpCase {
    const char* caption;
    const char* label;
    std::function<void(TVktObject&)> prepare;
    std::function<bool(TExecuteDialog&)> run;
    int max;
    const char* query;
    const char* rows;
    Strings notices;
};

TEST_F(ExecuteDialogTest, EachSetUpRunsItsRoutineInTheWindow)
{
    const int sheet = 1;   // the first sheet of the database
    const auto none = [](TVktObject&) {};
    const auto makeSheet = [](TVktObject& o) { o.SetInventoryEntry(0, false, Ids({1}), kSheetDate, 0, nullptr); };
    const SetUpCase cases[] = {
        {"データ一括変換", "B", none,
         [](TExecuteDialog& d) { return d.InsertData(TVktObjKind::Food, 2, "A\r\nB", Ids({ToInt(F::Data)})); }, 2,
         "select group_concat(Data) from VktDB1F where Data_ID > 4", "A,B", {"add 7: 5,6"}},
        {"データ分類変更", "データの分類を変更しています...", none,
         [](TExecuteDialog& d) { return d.ChangeDataClass(kPork, Ids({1, 2})); }, 2,
         "select group_concat(Data_ID) from VktDB1F where Class_Key = 5", "1,2", {"field 43: 1,2"}},
        {"データ削除", "データをゴミ箱に削除しています...", none,
         [](TExecuteDialog& d) { return d.EraseData(Ids({1, 2})); }, 2, "select group_concat(Erase_Key) from VktDB1G",
         "1,2", {"field 52: 1,2"}},
        {"データ復帰", "データをゴミ箱から復帰しています...",
         [](TVktObject& o) { o.EraseData(0, Ids({1, 2}), nullptr); },
         [](TExecuteDialog& d) { return d.RestoreData(Ids({2})); }, 1, "select group_concat(Erase_Key) from VktDB1G",
         "1", {"field 52: 2"}},
        {"データ削除", "ゴミ箱から削除しています...", [](TVktObject& o) { o.EraseData(0, Ids({3}), nullptr); },
         [](TExecuteDialog& d) { return d.PurgeData(Ids({3})); }, 1, "select count(*) from VktDB1F", "3",
         {"delete 6: 3"}},
        {"材料追加", "材料を追加しています...", none,
         [](TExecuteDialog& d) { return d.AppendRecipeItem(4, Ids({1, 2})); }, 2,
         "select group_concat(Data_Key) from VktDB1O where Item_Key = 4", "1,2", {"add 10: 4"}},
        {"棚卸し表作成", "項目を追加しています...", none,
         [](TExecuteDialog& d) { return d.SetInventoryEntry(0, false, kSheetDate); }, 3,
         "select InvDate || ':' || group_concat(Inventory_Key) from VktDB1E, VktDB1Q", "2024-03-31:1,2,3",
         {"add 5: 1", "add 11: 1,2,3"}},
        {"棚卸し表に追加", "項目を追加しています...", makeSheet,
         [&](TExecuteDialog& d) { return d.SetInventoryEntries(sheet, Ids({2, 3})); }, 2,
         "select group_concat(Inventory_Key) from VktDB1Q", "1,2,3", {"add 11: 2,3"}},
        {"棚卸し表から削除", "項目を削除しています...", makeSheet,
         [&](TExecuteDialog& d) { return d.DeleteInventoryEntry(sheet, Ids({1})); }, 1,
         "select count(*) from VktDB1Q", "0", {"delete 11: 1"}},
        {"データ属性変更", "データの属性を変更しています...", [](TVktObject& o) { o.AddAttrItem("国産"); },
         [](TExecuteDialog& d) { return d.SetDataAttributes(Ids({1, 3}), Ids({1}), Ids({2})); }, 2,
         "select group_concat(Attribute_Key || '=' || AttrCheck) from VktDB1J", "1=1,3=1", {"field 57: 1,3"}},
        {"データ一括変更", "データを変更しています...", none,
         [](TExecuteDialog& d) { return d.UpdateDataKeys("5", Ids({2}), Ids({ToInt(F::Class_Key)})); }, 1,
         "select group_concat(Data_ID) from VktDB1F where Class_Key = 5", "2", {"field 43: 2", "field 50: 2"}},
    };
    for (const SetUpCase& c : cases) {
        SCOPED_TRACE(c.caption);
        TearDown();
        SetUp();
        c.prepare(*object);
        notices.clear();
        probe->paintEach = true;
        EXPECT_TRUE(c.run(*probe));
        EXPECT_FALSE(probe->isVisible());
        EXPECT_EQ(probe->caption, c.caption);
        EXPECT_EQ(probe->labels.back(), c.label);
        EXPECT_EQ(probe->max, c.max);
        EXPECT_EQ(probe->calls.size(), static_cast<std::size_t>(c.max));
        EXPECT_EQ(Sql(c.query), c.rows);
        EXPECT_EQ(notices, c.notices);
        EXPECT_EQ(probe->endText, "終了しました。");
        EXPECT_EQ(probe->endButton, "閉じる");
    }
}

TEST_F(ExecuteDialogTest, NothingShowsWithoutAValidDatabaseAndAnEmptyListEndsAtOnce)
{
    TExecuteDialog unbound;
    EXPECT_TRUE(unbound.EraseData(Ids({1})));
    platform::Connection(platform::DatabaseFilePath(folder)).Execute("drop table VktDB1C");
    EXPECT_FALSE(object->IsValid());
    EXPECT_TRUE(probe->EraseData(Ids({1})));
    EXPECT_TRUE(probe->calls.empty());
    EXPECT_EQ(probe->endText, "");   // never shown
    EXPECT_EQ(Trashed(), "");
    TearDown();
    SetUp();

    EXPECT_TRUE(probe->EraseData(TPriorityItem()));
    EXPECT_TRUE(probe->calls.empty());
    EXPECT_EQ(probe->endText, "終了しました。");
    EXPECT_TRUE(notices.empty());
    for (int id : {1, 2, 3}) ASSERT_TRUE(object->EditData(F::InvItem, platform::Variant(false), Ids({id})));
    notices.clear();
    EXPECT_TRUE(probe->SetInventoryEntry(0, false, kSheetDate));   // no items: the sheet is still stored
    EXPECT_EQ(notices, Strings{"add 5: 1"});
}

TEST_F(ExecuteDialogTest, CancelAsksAndYesStopsBeforeTheNextRecord)
{
    for (const auto answer : {platform::MsgAnswer::No, platform::MsgAnswer::Yes}) {
        SCOPED_TRACE(answer == platform::MsgAnswer::Yes ? "yes" : "no");
        TearDown();
        SetUp();
        vkttest::Scripted().answers = {answer};
        probe->onProgress = [this](int call) {
            if (call == 1) QMetaObject::invokeMethod(probe->GetBtnCancel(), "click", Qt::QueuedConnection);
        };
        EXPECT_TRUE(probe->EraseData(Ids({1, 2, 3})));
        ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
        const auto& question = vkttest::Scripted().messages[0];
        EXPECT_EQ(question.text + question.caption, "キャンセルしますか？確認");
        EXPECT_EQ(question.defaultButton, platform::MsgAnswer::No);
        const bool yes = answer == platform::MsgAnswer::Yes;
        EXPECT_EQ(Trashed(), yes ? "1" : "1,2,3");
        EXPECT_EQ(notices, Strings{yes ? "field 52: 1" : "field 52: 1,2,3"});
        EXPECT_EQ(probe->endText, yes ? "実行はキャンセルされました。" : "終了しました。");
    }
}

// Two base recipes that other recipes use, and an onion nothing uses, to the trash: the onion
// goes, the bases stay, and the cook is told which stayed and where they are used.
TEST_F(ExecuteDialogTest, AnEraseNamesTheRecordsThatStayBecauseTheyAreInUse)
{
    const TPriorityItem fields = Ids({ToInt(F::Class_Key), ToInt(F::Data)});
    ASSERT_TRUE(object->InsertData(TVktObjKind::Cook, "35,フォン\r\n35,ルウ\r\n35,シチュー", fields, 0, nullptr));
    ASSERT_TRUE(object->AppendRecipeItem(4, 0, Ids({5, 6}), nullptr));   // 煮込み uses フォン and ルウ
    ASSERT_TRUE(object->AppendRecipeItem(7, 0, Ids({5}), nullptr));      // シチュー uses フォン
    notices.clear();
    EXPECT_TRUE(probe->EraseData(Ids({5, 1, 6})));
    EXPECT_EQ(Trashed(), "1");
    EXPECT_EQ(probe->endText, "終了しました。\n使用中の2件はゴミ箱に移動しませんでした。");
    EXPECT_TRUE(probe->endFits);
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    const auto& notice = vkttest::Scripted().messages[0];
    EXPECT_EQ(notice.text,
              "次のデータは他の料理やメニューの材料に使われているため、ゴミ箱に移動しませんでした。\r\n"
              "\r\n・フォン（使用: 煮込み、シチュー）\r\n・ルウ（使用: 煮込み）");
    EXPECT_EQ(notice.icon, platform::MsgIcon::Information);

    // Nothing in use, nothing to tell.
    vkttest::Scripted().Reset();
    EXPECT_TRUE(probe->EraseData(Ids({2})));
    EXPECT_EQ(probe->endText, "終了しました。");
    EXPECT_EQ(probe->height(), 105) << "a one-line end in the window's own size";
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

// A sheet re-valued at another price type and cancelled at the second of three records: the
// question says the sheet goes back as it was, and it does.
TEST_F(ExecuteDialogTest, ACancelledSheetRunLeavesTheSheetAsItWasAndSaysSo)
{
    ASSERT_TRUE(object->SetInventoryEntry(0, false, Ids({1, 2, 3}), kSheetDate, 0, nullptr));
    const std::string sheet = "select InvType || ':' || group_concat(InvPrice) from VktDB1E, VktDB1Q";
    platform::Connection(platform::DatabaseFilePath(folder))
        .Execute("insert into VktDB1M select Data_ID, InvDate, UseUnit_Key, 1, 1, 1, 1 from VktDB1F, VktDB1E");
    const std::string before = Sql(sheet);
    vkttest::Scripted().answers = {platform::MsgAnswer::Yes};
    probe->onProgress = [this](int call) {
        if (call == 1) QMetaObject::invokeMethod(probe->GetBtnCancel(), "click", Qt::QueuedConnection);
    };
    notices.clear();
    EXPECT_TRUE(probe->SetInventoryEntry(4, false, kSheetDate));
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "キャンセルしますか？\r\n棚卸し表は実行前の状態に戻ります。");
    EXPECT_EQ(probe->endText, "実行はキャンセルされました。\n棚卸し表は実行前のままです。");
    EXPECT_TRUE(probe->endFits);
    EXPECT_EQ(Sql(sheet), before);
    EXPECT_TRUE(notices.empty());

    probe->onProgress = nullptr;
    EXPECT_TRUE(probe->SetInventoryEntry(4, false, kSheetDate));
    EXPECT_EQ(Sql(sheet), "4:1.0,1.0,1.0");
}

TEST_F(ExecuteDialogTest, TheRunIsPaintedFirstAndRefusesEscCloseAndNestedSetUps)
{
    probe->onProgress = [this](int call) {
        if (call != 1) return;
        EXPECT_GT(probe->paints, 0);
        QTest::keyClick(probe.get(), Qt::Key_Escape);
        probe->close();
        probe->reject();
        EXPECT_FALSE(probe->EraseData(Ids({3})));
        EXPECT_TRUE(probe->isVisible());
    };
    EXPECT_TRUE(probe->EraseData(Ids({1, 2})));
    EXPECT_EQ(probe->calls.size(), 2u);
    EXPECT_EQ(Trashed(), "1,2");
}

TEST_F(ExecuteDialogTest, AutoCloseClosesARunThatDidNotFailAndIsResetAfterIt)
{
    probe->closer = false;
    probe->SetAutoClose(true);
    EXPECT_TRUE(probe->EraseData(Ids({1})));   // returns: the window closed itself
    EXPECT_FALSE(probe->GetAutoClose());

    // An import whose third row names a branch class: the rows before it stay and are announced.
    probe->closer = true;
    probe->SetAutoClose(true);
    probe->paintEach = true;
    probe->labels.clear();
    notices.clear();
    EXPECT_TRUE(probe->InsertData(TVktObjKind::Food, 4, "4,A\r\n4,B\r\n3,C\r\n4,D",
                                  Ids({ToInt(F::Class_Key), ToInt(F::Data)})));
    EXPECT_EQ(probe->labels, (Strings{"A", "B", "C"}));
    EXPECT_EQ(notices, Strings{"add 7: 5,6"});
    EXPECT_EQ(probe->endText, "エラーのため実行を中断しました。\n3行目: C");   // not closed by AutoClose
    EXPECT_EQ(Sql("select count(*) from VktDB1F where Class_Key = " + std::to_string(kMeat)), "0");
}

// A record's name is shown as it is written, tags and all.
TEST_F(ExecuteDialogTest, ARecordNameLikeMarkupShowsAsWritten)
{
    QImage shown, plain;
    probe->paintEach = true;
    probe->onProgress = [&](int call) {
        if (call != 2) return;   // the label shows the first record
        QLabel* label = probe->GetLabel();
        shown = label->grab().toImage();
        QLabel text;
        text.setTextFormat(Qt::PlainText);
        text.setWordWrap(true);
        text.setAlignment(label->alignment());
        text.setFont(label->font());
        text.resize(label->size());
        text.setText(label->text());
        plain = text.grab().toImage();
    };
    EXPECT_TRUE(probe->InsertData(TVktObjKind::Food, 4, "4,<b>太字</b>\r\n4,x",
                                  Ids({ToInt(F::Class_Key), ToInt(F::Data)})));
    EXPECT_EQ(probe->labels.front(), "<b>太字</b>");
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(shown.convertToFormat(QImage::Format_RGB32) == plain.convertToFormat(QImage::Format_RGB32));
}

// Raises from the cancel question, so the routine leaves by an exception.
class RaisingQuestion : public vkttest::ScriptedServices {
public:
    platform::MsgAnswer MessageBox(const std::string& text, const std::string& caption, platform::MsgIcon icon,
                                   platform::MsgButtons buttons, platform::MsgAnswer defaultButton) override
    {
        if (text == "キャンセルしますか？") throw std::runtime_error("壊れた質問");
        return ScriptedServices::MessageBox(text, caption, icon, buttons, defaultButton);
    }
};

TEST_F(ExecuteDialogTest, ARaisingRoutineShowsOneErrorAndAnnouncesWhatItKept)
{
    RaisingQuestion services;
    platform::SetServices(&services);
    probe->onProgress = [this](int call) {
        if (call == 2) QMetaObject::invokeMethod(probe->GetBtnCancel(), "click", Qt::QueuedConnection);
    };
    EXPECT_TRUE(probe->EraseData(Ids({1, 2, 3})));
    platform::SetServices(&vkttest::Scripted());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "壊れた質問");
    EXPECT_EQ(probe->calls.size(), 2u);
    EXPECT_EQ(Trashed(), "1,2");
    EXPECT_EQ(notices, Strings{"field 52: 1,2"});
    EXPECT_EQ(probe->endText, "エラーのため実行を中断しました。");
}

// Notes what the label shows when the cancel question is asked; answers it, or raises.
class LabelAtQuestion : public vkttest::ScriptedServices {
public:
    explicit LabelAtQuestion(const QLabel* label) : label_(label) {}
    platform::MsgAnswer MessageBox(const std::string& text, const std::string& caption, platform::MsgIcon icon,
                                   platform::MsgButtons buttons, platform::MsgAnswer defaultButton) override
    {
        if (text == "キャンセルしますか？") {
            seen.push_back(Text(label_));
            if (raise) throw std::runtime_error("壊れた質問");
        }
        return ScriptedServices::MessageBox(text, caption, icon, buttons, defaultButton);
    }
    Strings seen;
    bool raise = false;

private:
    const QLabel* label_;
};

// A record's text reaches the label where it can be seen, however short the run: the question
// shows the record it stops at, and so does the window painted behind a raise; the end text
// follows.
TEST_F(ExecuteDialogTest, TheQuestionAndARaiseShowTheRecordTheyStopAt)
{
    for (const bool raise : {false, true}) {
        SCOPED_TRACE(raise ? "raise" : "no");
        TearDown();
        SetUp();
        LabelAtQuestion services(probe->GetLabel());
        services.raise = raise;
        services.answers = {platform::MsgAnswer::No};
        platform::SetServices(&services);
        probe->onProgress = [this](int call) {
            if (call == 2) QMetaObject::invokeMethod(probe->GetBtnCancel(), "click", Qt::QueuedConnection);
        };
        EXPECT_TRUE(probe->InsertData(TVktObjKind::Food, 3, "4,A\r\n4,B\r\n4,C",
                                      Ids({ToInt(F::Class_Key), ToInt(F::Data)})));
        platform::SetServices(&vkttest::Scripted());
        EXPECT_EQ(services.seen, Strings{"B"});
        const std::string end = raise ? "エラーのため実行を中断しました。" : "終了しました。";
        EXPECT_EQ(probe->endText, end);
        Strings painted = probe->painted;
        painted.erase(std::unique(painted.begin(), painted.end()), painted.end());
        if (raise) EXPECT_EQ(painted, (Strings{"データの一括変換をしています...", "B", end}));
        else EXPECT_EQ(painted, (Strings{"データの一括変換をしています...", end}));
    }
}

TEST_F(ExecuteDialogTest, TheOneDialogBindsOnceAndLetsGoOnClose)
{
    const int open = object->GetOpenCount();
    TExecuteDialog* one = ExecuteDlg(object);
    EXPECT_EQ(ExecuteDlg(object), one);
    EXPECT_EQ(object->GetOpenCount(), open + 1);
    EXPECT_EQ(one->GetAppLabel()->text().toStdString(), " Vektara 2005 ");
    object->Close();
    EXPECT_EQ(one->GetDataObject(), nullptr);
    EXPECT_EQ(probe->GetDataObject(), nullptr);
    probe->SetDataObject(object);
}

TEST_F(ExecuteDialogTest, AnOpenRecordListFollowsTheBatchInOneQuery)
{
    TDataView view(nullptr);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetVktObject(object);
    ASSERT_GE(view.RowOfID(1), 0);
    const int queries = view.GetQueryCount();
    EXPECT_TRUE(probe->EraseData(Ids({1, 2})));
    EXPECT_EQ(view.GetQueryCount(), queries + 1);
    EXPECT_EQ(view.RowOfID(1), -1);
    EXPECT_EQ(view.RowOfID(2), -1);

    const int column = view.GetViewFields().GetName().IndexOf(ToInt(F::Class));
    ASSERT_GE(column, 0);
    EXPECT_TRUE(probe->ChangeDataClass(kPork, Ids({3})));
    EXPECT_EQ(view.GetDataListView()->CellText(column, view.RowOfID(3)),
              Sql("select Class from VktDB1A where Class_ID = " + std::to_string(kPork)));
    view.SetVktObject(nullptr);
}

} // namespace
