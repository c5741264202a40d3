// Opening records on the data screen: the editor laid out once at its height and each widget
// painted once per open, the kernel panel's controls placed for the width it shows at and, in
// compact mode, the kernel panel filling its tab below the tab's spacer; the memo of a record opened behind another tab shows when its tab is
// chosen, and a memo set while its panel is hidden is the one read and shown; the dealer shown
// follows the dealer edits; grid cells drawn in the grid's current fonts.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "richtext/Exview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Fgridedit.h"
#include "screens/Fkerneleditpanel.h"
#include "screens/Fmemoeditpanel.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <map>
#include <string>

namespace {

using F = TVktField;

// Counts paints per widget and the editor's resizes while installed on the application.
class EventCounter : public QObject {
public:
    explicit EventCounter(QWidget* editor) : editor_(editor) { qApp->installEventFilter(this); }
    ~EventCounter() override { qApp->removeEventFilter(this); }
    std::map<QObject*, int> Paints;
    std::vector<QSize> EditorSizes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++Paints[watched];
        if (event->type() == QEvent::Resize && watched == editor_)
            EditorSizes.push_back(static_cast<QResizeEvent*>(event)->size());
        return false;
    }

private:
    QWidget* editor_;
};

// A memo written the way the panel writes one.
std::string MemoOf(const char* text)
{
    QWidget window;
    auto* panel = new TMemoEditPanel(&window);
    window.show();
    panel->GetExView()->setFocus();
    QTest::keyClicks(panel->GetExView(), text);
    return panel->GetMemo();
}

class RecordOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(&viewer);
        window.resize(900, 640);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        viewer.SetVktObject(&db.Object());
    }
    TDetailEditPanel* Detail() const { return viewer.GetDataEditor()->GetDetailEditPanel(); }
    TMemoEditPanel* Memo() const { return Detail()->GetMemoEditPanel(); }
    // Opens the record and delivers what it posted (the layouts and the paint).
    void Open(const char* name)
    {
        viewer.EditData(db.Record(name));
        QCoreApplication::sendPostedEvents();
    }

    vkttest::SampleDatabase db;
    QWidget window;
    TDataViewer viewer{&window};
};

TEST_F(RecordOpen, TheEditorIsLaidOutOnceAndEveryWidgetPaintedOnce)
{
    TDataEditor* editor = viewer.GetDataEditor();
    struct Step {
        const char* name;
        bool closeFirst;
    };
    // Each kind opened first, again after closing, and while the editor shows.
    for (const Step& step : {Step{"玉ねぎ", false}, Step{"和牛のステーキ", true}, Step{"玉ねぎ", true},
                             Step{"和牛のステーキ", false}, Step{"玉ねぎ", false}}) {
        SCOPED_TRACE(step.name);
        if (step.closeFirst) {
            viewer.EditData(0);
            QCoreApplication::processEvents();
        }
        const bool wasShown = viewer.IsEditorShown();
        EventCounter counter(editor);
        Open(step.name);
        ASSERT_EQ(editor->GetDataID(), db.Record(step.name));
        if (wasShown) {
            EXPECT_TRUE(counter.EditorSizes.empty());
        } else {
            ASSERT_EQ(counter.EditorSizes.size(), 1u);
            EXPECT_EQ(counter.EditorSizes.front().height(), 218);
        }
        for (const auto& [widget, paints] : counter.Paints)
            EXPECT_EQ(paints, 1) << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
}

TEST_F(RecordOpen, TheKernelControlsArePlacedForTheWidthShown)
{
    for (const char* name : {"玉ねぎ", "和牛のステーキ"}) {
        SCOPED_TRACE(name);
        viewer.EditData(0);
        QCoreApplication::processEvents();
        Open(name);
        QPushButton* button = viewer.GetDataEditor()->GetKernelEditPanel()->GetBtnShow();
        // The button's panel sits on the scroll area's content, which fills the viewport's width.
        const QWidget* viewport = button->parentWidget()->parentWidget()->parentWidget();
        EXPECT_GT(viewport->width(), 200);
        EXPECT_EQ(button->x(), viewport->width() - 41);
        EXPECT_EQ(button->parentWidget()->parentWidget()->width(), viewport->width());
    }
}

TEST_F(RecordOpen, InCompactModeTheKernelPanelFillsItsTabBelowTheSpacer)
{
    viewer.GetDataEditor()->ShowCompact();
    Open("玉ねぎ");
    QCoreApplication::processEvents();
    const QWidget* tab = Detail()->GetTab("TabKernel");
    const QWidget* kernel = viewer.GetDataEditor()->GetKernelEditPanel();
    ASSERT_EQ(kernel->parentWidget(), tab);
    EXPECT_EQ(kernel->geometry(), QRect(0, 8, tab->width(), tab->height() - 8));
    // Back and forth: the same place again.
    viewer.GetDataEditor()->ShowSideBySide();
    viewer.GetDataEditor()->ShowCompact();
    QCoreApplication::processEvents();
    EXPECT_EQ(kernel->geometry(), QRect(0, 8, tab->width(), tab->height() - 8));
}

TEST_F(RecordOpen, AMemoOpenedBehindAnotherTabShowsWhenItsTabIsChosen)
{
    const std::string onion = MemoOf("Oignon doux");
    const std::string beef = MemoOf("Marbre A5");
    ASSERT_TRUE(db.Object().EditData(F::Memo, platform::Variant(onion), TPriorityItem() << db.Record("玉ねぎ")));
    ASSERT_TRUE(db.Object().EditData(F::Memo, platform::Variant(beef), TPriorityItem() << db.Record("和牛のステーキ")));

    // The shown text is read from the view itself, not through the panel's accessors.
    TExView* view = Memo()->GetExView();
    Open("玉ねぎ");
    Open("和牛のステーキ");
    ASSERT_FALSE(Memo()->isVisible());
    Detail()->GetPageControl()->setCurrentWidget(Detail()->GetTab("TabMemo"));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->GetText().substr(0, 9), "Marbre A5");
    EXPECT_FALSE(Memo()->GetModified());
    EXPECT_FALSE(view->GetCanUndo());

    // With the memo in sight the next record's memo shows at once; a record without one clears it.
    Open("玉ねぎ");
    EXPECT_EQ(view->GetText().substr(0, 11), "Oignon doux");
    Open("人参");
    EXPECT_EQ(Memo()->GetMemo(), "");
}

TEST_F(RecordOpen, TheDealerShownFollowsDealerEditsAndTheRecordsDealer)
{
    TVktObject& o = db.Object();
    const int tsukiji = o.AddDealer("築地の問屋");
    const int maruyama = o.AddDealer("丸山青果");
    const int onion = db.Record("玉ねぎ");
    o.EditData(F::Dealer, platform::Variant(std::string("山田 太郎")), TPriorityItem() << tsukiji);
    o.EditData(F::Dealer, platform::Variant(std::string("丸山 花子")), TPriorityItem() << maruyama);
    o.EditData(F::Dealer_Key, platform::Variant(tsukiji), TPriorityItem() << onion);
    Open("玉ねぎ");
    TDealerSelectPanel* dealer = Detail()->GetDealerEditPanel();
    EXPECT_EQ(dealer->GetDealerEdit()->text(), "山田 太郎");

    struct Case {
        const char* what;
        F field;
        int id;
        platform::Variant value;
        const char* shown;
    };
    const Case cases[] = {
        {"the dealer's contact edited", F::Dealer, tsukiji, platform::Variant(std::string("佐藤 一郎")), "佐藤 一郎"},
        {"another dealer chosen", F::Dealer_Key, onion, platform::Variant(maruyama), "丸山 花子"},
        {"no dealer", F::Dealer_Key, onion, platform::Variant(0), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(o.EditData(c.field, c.value, TPriorityItem() << c.id));
        EXPECT_EQ(dealer->GetDealerEdit()->text().toStdString(), c.shown);
    }
    // The record's dealer is read again when the record is opened again.
    o.EditData(F::Dealer_Key, platform::Variant(tsukiji), TPriorityItem() << onion);
    Open("人参");
    Open("玉ねぎ");
    EXPECT_EQ(dealer->GetDealerEdit()->text(), "佐藤 一郎");
}

TEST(HiddenMemo, TheLastMemoSetIsTheOneReadAndShown)
{
    QWidget window;
    auto* panel = new TMemoEditPanel(&window);
    TExView* view = panel->GetExView();
    std::vector<int> applied;
    panel->OnApply = [&](QObject*) { applied.push_back(1); };

    struct Case {
        const char* first;
        const char* last;
        bool readBeforeShowing;
    };
    for (const Case& c : {Case{"Premier", "Dernier", true}, Case{"Un", "Deux", false}}) {
        SCOPED_TRACE(c.last);
        const std::string last = MemoOf(c.last);
        window.hide();
        panel->SetMemo(MemoOf(c.first));
        panel->SetMemo(last);
        if (c.readBeforeShowing) {
            EXPECT_EQ(panel->GetMemo(), last);
        }
        window.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(view->GetText().substr(0, std::string(c.last).size()), c.last);
        EXPECT_EQ(panel->GetMemo(), last);
        EXPECT_FALSE(panel->GetModified());
        EXPECT_FALSE(view->GetCanUndo());
    }
    EXPECT_TRUE(applied.empty());
}

// The lowest row of a cell's ink (-1 none) in the grid's first row.
int InkBottom(TGridEdit& grid, int col)
{
    QTableView* view = grid.GetStringGrid();
    const QImage image = view->viewport()->grab().toImage();
    const int left = view->columnViewportPosition(col);
    int bottom = -1;
    for (int y = 0; y < 15; ++y)
        for (int x = left + 1; x < left + view->columnWidth(col) - 1; ++x)
            if (qGray(image.pixel(x, y)) < 128) bottom = y;
    return bottom;
}

TEST(GridCells, AFontChangeReachesTheCellsOfBothFonts)
{
    QWidget window;
    window.resize(300, 120);
    TGridEdit grid(&window);
    grid.setGeometry(0, 0, 300, 120);
    grid.AddColumn("名前", 120, true, true, 0);
    grid.AddColumn("Name", 120, true, false, 0);
    grid.GetModel()->SetRowCount(1);
    grid.GetModel()->SetCell(0, 0, "玉ねぎ");
    grid.GetModel()->SetCell(1, 0, "Oignon");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QFont small = grid.font();
    small.setPixelSize(8);
    grid.setFont(small);
    const int smallBottom[] = {InkBottom(grid, 0), InkBottom(grid, 1)};
    QFont large = small;
    large.setPixelSize(13);
    grid.setFont(large);
    for (int col : {0, 1}) {
        SCOPED_TRACE(col);
        ASSERT_GE(smallBottom[col], 0);
        EXPECT_GT(InkBottom(grid, col), smallBottom[col]);
    }
}

} // namespace
