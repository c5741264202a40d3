// The main window's layout selector over an open kitchen database: each shipped layout, with a
// class of its family chosen in the side tree, draws that class's records in the layout view.
#include "MainWindowState.h"
#include "database/Uvktobject.h"
#include "gui/Settings.h"
#include "layout/Preview.h"
#include "layout/Uviewitems.h"
#include "platform/Bitmap.h"
#include "platform/Color.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "reports/Fpreviewoperator.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "shell/Fsplash.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Mvktmodule.h"

#include <QApplication>
#include <QComboBox>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using vkttest::SampleDatabase;

// The sample kitchen with pictures on its dishes and menu, and month and year price history.
void AddPicturesAndHistory(SampleDatabase& db)
{
    TVktObject& object = db.Object();
    const char* pictured[] = {"和牛のステーキ", "デミグラスソース", "春の宴コース", "和牛サーロイン"};
    for (int i = 0; i < 4; ++i) {
        const platform::Picture picture(40 + 8 * i, 30, platform::RgbColor(60 * i, 120, 200));
        ASSERT_TRUE(object.EditData(F::Image, platform::Variant(platform::EncodeBmp(picture)),
                                    TPriorityItem() << db.Record(pictured[i])));
    }
    const int wagyu = db.Record("和牛サーロイン");
    for (int month = 1; month <= 12; ++month) {
        const double price = 12000 + 100 * month;
        ASSERT_TRUE(object.SetMHistoryPrice(wagyu, platform::EncodeDate(2025, month, 10),
                                            platform::Currency::FromDouble(price)));
        ASSERT_TRUE(object.MakeYHistory(false, 0, platform::EncodeDate(2025, month, 1), nullptr));
    }
}

// The texts the layout view draws on its page, through the items' own drawing (at twice the
// view's zoom, so that grids draw their rows rather than replay their screen cache).
std::string DrawnTexts(TPreview& view)
{
    vkttest::RecordingCanvas canvas(4000, 6000);
    view.GetItems()->GetPageRoot()->Draw(canvas, 0, 0, view.GetScale_() * 2, view.GetPage(), view.GetPageMax(),
                                         false, false);
    std::string texts;
    for (const std::string& line : canvas.Lines())
        if (line.rfind("Text", 0) == 0) texts += line + "\n";
    return texts;
}

class MainWindowReportsTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<SampleDatabase>();
        AddPicturesAndHistory(*db);
        window = std::make_unique<TVktSingleViewer>();
        window->SetSplash(&splash);
        window->show();
        window->GetVktPanel()->SetVktObject(&db->Object());
        window->GetVktPanel()->ShowPreview(true);
        QApplication::processEvents();
    }
    void TearDown() override
    {
        window.reset();
        ForgetMainWindowState();
    }

    void Choose(int layout, int classId)
    {
        window->GetPreviewFileSelecter()->setCurrentIndex(layout);
        window->PreviewFileSelecterChange();
        window->GetVktPanel()->GetClassFilterView()->GetClassView()->SelectID(classId);
        QApplication::processEvents();
    }

    std::unique_ptr<SampleDatabase> db;
    TSplash splash;
    std::unique_ptr<TVktSingleViewer> window;
};

TEST_F(MainWindowReportsTest, EachLayoutDrawsTheRecordsOfItsFamilysClass)
{
    const struct {
        int layout;
        const char* caption;
        int classId;
        std::vector<std::string> shown;   // the class's records, and for dishes their items
        std::vector<std::string> hidden;  // records of other classes
    } cases[] = {
        {0, "食材リスト", SampleDatabase::kVegetable, {"玉ねぎ", "人参", "じゃがいも"}, {"和牛サーロイン", "バジル"}},
        {1, "原価率表", SampleDatabase::kMeatDish, {"和牛のステーキ", "和牛サーロイン", "デミグラスソース"},
         {"春の宴コース"}},
        {2, "メニュー", SampleDatabase::kBanquet, {"春の宴コース", "和牛のステーキ", "真鯛"}, {"玉ねぎ"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        ASSERT_NE(window->GetPreviewFileSelecter()->itemText(c.layout).toStdString().find(c.caption),
                  std::string::npos);
        Choose(c.layout, c.classId);
        ASSERT_EQ(window->GetSelectedLayout(), c.layout);
        TPreview& view = *window->GetLayoutDocument();
        view.SetPage(1);
        const std::string drawn = DrawnTexts(view);
        for (const std::string& name : c.shown) EXPECT_NE(drawn.find(name), std::string::npos) << name << "\n" << drawn;
        for (const std::string& name : c.hidden) EXPECT_EQ(drawn.find(name), std::string::npos) << name;
    }
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

// A layout chosen in the selector opens on its first page, whichever page the last one showed;
// a selection with fewer pages than the one shown shows its last.
TEST_F(MainWindowReportsTest, ALayoutChosenShowsItsFirstPageAndFewerPagesTheirLast)
{
    Choose(1, SampleDatabase::kDishes);   // a recipe card for each of the two dishes
    TPreview& view = *window->GetLayoutDocument();
    ASSERT_EQ(view.GetPageMax(), 2);
    TUpDownEdit* pageField = window->GetPreviewOperator()->GetPageEdit();
    pageField->SetValue(2);
    ASSERT_EQ(view.GetPage(), 2);
    ASSERT_NE(DrawnTexts(view).find("- 2 / 2 -"), std::string::npos) << DrawnTexts(view);

    Choose(0, SampleDatabase::kDishes);
    EXPECT_EQ(view.GetPage(), 1);
    EXPECT_EQ(pageField->GetValue(), 1);
    const std::string drawn = DrawnTexts(view);
    EXPECT_NE(drawn.find("- 1 / 1 -"), std::string::npos) << drawn;
    for (const char* dish : {"デミグラスソース", "和牛のステーキ"})
        EXPECT_NE(drawn.find(dish), std::string::npos) << dish << "\n" << drawn;

    Choose(1, SampleDatabase::kDishes);
    pageField->SetValue(2);
    ASSERT_EQ(view.GetPage(), 2);
    window->GetVktPanel()->GetClassFilterView()->GetClassView()->SelectID(SampleDatabase::kMeatDish);
    QApplication::processEvents();
    EXPECT_EQ(view.GetPage(), 1);
    EXPECT_EQ(pageField->GetValue(), 1);
    const std::string card = DrawnTexts(view);
    EXPECT_NE(card.find("- 1 / 1 -"), std::string::npos) << card;
    EXPECT_NE(card.find("和牛のステーキ"), std::string::npos) << card;
}

} // namespace
