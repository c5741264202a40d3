// The frames of the record's detail tabs with kitchen data: the dealer of an ingredient, its
// monthly and yearly price charts, a recipe's item pie, a picture, and the attribute checks in
// all three states.
#include "platform/Bitmap.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/JpegWriter.h"
#include "screens/Fattributeselectpanel.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fimageeditpanel.h"
#include "screens/Fitemchartpanel.h"
#include "support/Snapshot.h"

#include <QComboBox>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>

namespace {

using platform::EncodeDate;

// Beef shoulder over the last year: a daily price in May, monthly statistics before.
THistoryChartPanel* MakeHistory(int page)
{
    platform::SetFixedNow(EncodeDate(2024, 5, 20) + 0.4);
    auto* panel = new THistoryChartPanel;
    panel->setWindowTitle(page == 0 ? QStringLiteral("Monthly history") : QStringLiteral("Yearly history"));
    panel->resize(520, 320);
    panel->Clear();
    const int days[] = {1, 2, 7, 8, 9, 13, 14, 16, 17};
    const double prices[] = {1180, 1180, 1225, 1240, 1240, 1310, 1295, 1420, 1385.5};
    for (int i = 0; i < 9; ++i) panel->AddMonthPoint(EncodeDate(2024, 5, days[i]), prices[i]);
    panel->AddMonthPoint(platform::Today(), 0);
    for (int m = 0; m < 12; ++m) {
        const int year = m < 8 ? 2023 : 2024;
        const int month = (m + 5) % 12 == 0 ? 12 : (m + 5) % 12;
        const double base = 1100 + 120 * std::sin(m * 0.7);
        panel->AddYearPoint(EncodeDate(year, month, 1), base + 180, base + 60, base - 40, base + 20 * std::cos(m));
    }
    panel->ShowLastEntries();
    if (page == 1) {
        panel->GetYearList()->setCurrentIndex(0);
        panel->GetPageControl()->setCurrentIndex(1);
        panel->GetYearMarkButton(1)->click();
        panel->GetYearMarkButton(2)->click();
    } else {
        panel->GetBtnMHMark()->click();
    }
    platform::SetClock({});
    return panel;
}

} // namespace

VKT_SNAPSHOT(detail_dealer)
{
    auto* panel = new TDealerSelectPanel;
    panel->setWindowTitle(QStringLiteral("Dealer"));
    panel->AddDealer(1, "築地の問屋");
    panel->AddDealer(2, "丸山青果");
    panel->AddDealer(3, "ル・ポワソン商会");
    panel->SetDealerKey(1);
    panel->SetDealer("山田 太郎");
    panel->SetTel("03-3541-0000");
    panel->SetTel2("090-1234-5678");
    panel->SetPostCode("104-0045");
    panel->SetFax("03-3541-0001");
    panel->SetAddress("東京都中央区築地5丁目2番1号");
    panel->SetMail("order@tsukiji-tonya.example.jp");
    return panel;
}

VKT_SNAPSHOT(detail_history_month)
{
    return MakeHistory(0);
}

VKT_SNAPSHOT(detail_history_year)
{
    return MakeHistory(1);
}

// As low as the record editor's tab in a small main window.
VKT_SNAPSHOT(detail_history_year_low)
{
    THistoryChartPanel* panel = MakeHistory(1);
    panel->resize(330, 220);
    return panel;
}

// The day editor opened in a narrow panel: the chart beside it keeps whole labels.
VKT_SNAPSHOT(detail_history_month_editor_narrow)
{
    THistoryChartPanel* panel = MakeHistory(0);
    panel->resize(330, 260);
    panel->GetBtnMHistEdit()->click();
    return panel;
}

VKT_SNAPSHOT(detail_item_chart)
{
    auto* panel = new TItemChartPanel;
    panel->setWindowTitle(QStringLiteral("Item chart"));
    panel->resize(460, 260);
    const std::pair<const char*, double> items[] = {{"牛肩ロース", 1520}, {"赤ワイン", 480},     {"玉ねぎ", 96},
                                                    {"にんじん", 54},     {"フォン・ド・ボー", 310}, {"バター", 75.5}};
    for (const auto& [name, cost] : items) panel->AddItem(name, platform::Currency::FromDouble(cost));
    return panel;
}

VKT_SNAPSHOT(detail_image)
{
    platform::Picture picture(240, 160);
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 240; ++x) {
            const double d = std::hypot(x - 120.0, (y - 80.0) * 1.4);
            const bool plate = d < 70;
            const bool dish = d < 42 && std::sin(x * 0.3) * std::cos(y * 0.25) > -0.3;
            picture.SetPixel(x, y, dish    ? platform::RgbColor(150 + x / 6, 60, 30)
                                   : plate ? platform::RgbColor(245, 243, 236)
                                           : platform::RgbColor(110 + y / 4, 80, 50));
        }
    }
    auto* panel = new TImageEditPanel;
    panel->setWindowTitle(QStringLiteral("Picture"));
    panel->resize(320, 240);
    panel->SetImage(platform::EncodeJpeg(picture));
    return panel;
}

VKT_SNAPSHOT(detail_attributes)
{
    auto* panel = new TAttributeSelectPanel;
    panel->setWindowTitle(QStringLiteral("Attributes"));
    panel->resize(240, 150);
    const char* names[] = {"国産", "有機栽培", "冷凍", "アレルギー：乳", "仕込み品"};
    for (int i = 0; i < 5; ++i) panel->AddItem(i + 1, names[i]);
    panel->SetCheck(1, 2);
    panel->SetCheck(2, 1);
    panel->SetCheck(4, 2);
    panel->GetAttributeList()->setCurrentRow(1);
    return panel;
}
