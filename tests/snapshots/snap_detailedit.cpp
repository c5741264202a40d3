// The record detail panel over the sample kitchen database: an ingredient's dealer tab, its
// monthly chart with the day editor open and its yearly chart; a recipe's items with categories
// and its cost pie; a memo in Japanese and French.
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "richtext/Exview.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fitemlistview.h"
#include "screens/Fmemoeditpanel.h"
#include "screens/Fmhistoryeditpanel.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using F = TVktField;
using platform::EncodeDate;
using platform::Variant;

TPriorityItem One(int id)
{
    TPriorityItem ids;
    ids << id;
    return ids;
}

// A sample database with two dealers and a year of the sirloin's prices; kept to the end.
vkttest::SampleDatabase& Kitchen()
{
    static std::unique_ptr<vkttest::SampleDatabase> sample;
    if (sample) return *sample;
    platform::SetFixedNow(EncodeDate(2024, 6, 18) + 0.4);
    sample = std::make_unique<vkttest::SampleDatabase>();
    TVktObject& db = sample->Object();
    const int tsukiji = db.AddDealer("築地の問屋");
    db.AddDealer("丸山青果");
    const std::pair<F, const char*> contacts[] = {
        {F::Dealer, "山田 太郎"},   {F::PostCode, "104-0045"},         {F::Address, "東京都中央区築地5丁目2番1号"},
        {F::Tel, "03-3541-0000"}, {F::Tel2, "090-1234-5678"},      {F::Fax, "03-3541-0001"},
        {F::EMail, "order@tsukiji-tonya.example.jp"}};
    for (const auto& [field, text] : contacts) db.EditData(field, Variant(std::string(text)), One(tsukiji));
    const int wagyu = sample->Record("和牛サーロイン");
    db.EditData(F::Dealer_Key, Variant(tsukiji), One(wagyu));
    // Three prices a month for a year, the gram price drifting between 14 and 17 yen.
    for (int m = 0; m < 12; ++m) {
        const int month = (m + 6) % 12 + 1;
        const int year = month > 6 ? 2023 : 2024;
        for (int day : {3, 12, 24}) {
            if (year == 2024 && month == 6 && day > 17) continue;
            const double price = 15.5 + 1.2 * std::sin(m * 0.6 + day * 0.05);
            db.SetMHistoryPrice(wagyu, EncodeDate(year, month, day), platform::Currency::FromDouble(price));
        }
    }
    for (int m = 0; m < 12; ++m) db.MakeYHistory(false, 0, platform::IncMonth(EncodeDate(2023, 7, 1), m), nullptr);
    const int steak = sample->Record("和牛のステーキ");
    db.SplitItemCategory(steak, 2);
    platform::SetClock({});
    return *sample;
}

TDetailEditPanel* Show(const char* title, const char* record, const char* tab)
{
    vkttest::SampleDatabase& sample = Kitchen();
    platform::SetFixedNow(EncodeDate(2024, 6, 18) + 0.4);
    auto* panel = new TDetailEditPanel(nullptr);
    panel->setWindowTitle(QString::fromUtf8(title));
    panel->resize(560, 360);
    panel->SetVktObject(&sample.Object());
    panel->SetData(sample.Record(record));
    panel->GetPageControl()->setCurrentWidget(panel->GetTab(tab));
    platform::SetClock({});
    return panel;
}

} // namespace

VKT_SNAPSHOT(detailedit_dealer)
{
    return Show("Detail: dealer", "和牛サーロイン", "TabDetail");
}

VKT_SNAPSHOT(detailedit_month_editor)
{
    TDetailEditPanel* panel = Show("Detail: month history with the day editor", "和牛サーロイン", "TabChart");
    // Drawn on the day the data was made for (today and later in grey), until the panel goes.
    platform::SetFixedNow(EncodeDate(2024, 6, 18) + 0.4);
    QObject::connect(panel, &QObject::destroyed, [] { platform::SetClock({}); });
    THistoryChartPanel* chart = panel->GetHistoryChartPanel();
    chart->GetBtnMHistEdit()->click();
    chart->GetBtnMHMark()->click();
    if (auto* editor = dynamic_cast<TMHistoryEditPanel*>(chart->GetMonthEditor())) {
        QTableView* grid = editor->GetStringGrid()->GetStringGrid();
        grid->setCurrentIndex(grid->model()->index(11, 1));
        grid->scrollTo(grid->currentIndex());
    }
    return panel;
}

VKT_SNAPSHOT(detailedit_year)
{
    TDetailEditPanel* panel = Show("Detail: yearly history", "和牛サーロイン", "TabChart");
    panel->GetHistoryChartPanel()->GetPageControl()->setCurrentIndex(1);
    return panel;
}

VKT_SNAPSHOT(detailedit_items)
{
    TDetailEditPanel* panel = Show("Detail: recipe items", "和牛のステーキ", "TabDetail");
    QTableView* grid = panel->GetItemEditPanel()->GetStringGrid();
    grid->setCurrentIndex(grid->model()->index(1, TItemListView::ColUse));
    return panel;
}

VKT_SNAPSHOT(detailedit_item_pie)
{
    return Show("Detail: item costs", "春の宴コース", "TabChart");
}

VKT_SNAPSHOT(detailedit_memo)
{
    TDetailEditPanel* panel = Show("Detail: memo", "デミグラスソース", "TabMemo");
    panel->GetMemoEditPanel()->GetExView()->SetText(
        "仔牛の骨と香味野菜をじっくり焼き、赤ワインで煮詰める。\r\n"
        "Sauce demi-glace : fond brun réduit de moitié, lié et dépouillé.\r\n"
        "仕上げにバターを加えて艶を出す。\r\n");
    return panel;
}
