// The item activation panels: mapping by the buttons and by a drag (its start replaced by a drop
// sent straight to the registered list), names with blanks restored whole, and the width rule.
#include <gtest/gtest.h>

#include "dialogs/Fitemactivatepanel.h"
#include "screens/Fgridedit.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTest>

#include <string>
#include <vector>

namespace {

// Replaces the system drag: StringGrid2's handler gets a move and a drop on a row at once.
class DropPanel : public TItemActivatePanel {
public:
    using TItemActivatePanel::TItemActivatePanel;
    int dropRow = 0;
    std::vector<std::string> dragged;

protected:
    void StartDrag(const std::string& name) override
    {
        dragged.push_back(name);
        QTableView* view = GetStringGrid2()->GetStringGrid();
        const QPoint at = view->visualRect(view->model()->index(dropRow, 0)).center();
        QMimeData mime;
        mime.setData(kActivateItemMime, QByteArray::fromStdString(name));
        QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, {});
        eventFilter(view->viewport(), &move);
        QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, {});
        eventFilter(view->viewport(), &drop);
    }
};

std::string Cells(TGridEdit* grid, int col)
{
    std::string out;
    for (int row = 0; row < grid->GetModel()->GetRowCount(); ++row)
        out += (row ? "|" : "") + grid->GetModel()->GetCell(col, row);
    return out;
}

TEST(ItemActivatePanel, ButtonsMapAndResetExactNames)
{
    vkttest::Scripted().Reset();
    TItemActivateEdit edit;
    edit.resize(500, 300);
    edit.show();
    TItemActivatePanel* panel = edit.GetItemActivatePanel();
    EXPECT_EQ(panel->width(), 500 - 138);
    panel->AddItem(7, "ABC Foods");
    panel->AddItem(8, "魚河岸");
    for (const char* name : {"ABC Foods, Ltd.", "A B C", "魚河岸 商店"}) panel->AddUnknownItem(name);
    EXPECT_EQ(Cells(panel->GetStringGrid1(), 0), "ABC Foods, Ltd.|A B C|魚河岸 商店");

    panel->GetStringGrid1()->GetStringGrid()->setCurrentIndex(panel->GetStringGrid1()->GetModel()->index(0, 0));
    panel->SetItemRow(0);
    edit.GetBtnItemSet()->click();
    edit.GetBtnItemSet()->click();   // the next name moved up into the current row
    EXPECT_EQ(Cells(panel->GetStringGrid2(), 1), "\"ABC Foods, Ltd.\",\"A B C\"|");
    EXPECT_EQ(panel->GetItemID("A B C"), 7);
    EXPECT_FALSE(panel->IsComplete());

    panel->SetItemRow(1);
    edit.GetBtnItemSet()->click();
    EXPECT_TRUE(panel->IsComplete());
    EXPECT_EQ(Cells(panel->GetStringGrid1(), 0), "") << "one blank row";
    EXPECT_EQ(panel->GetStringGrid1()->GetModel()->Row(0).ID, 0);

    panel->SetItemRow(0);
    edit.GetBtnItemReset()->click();
    EXPECT_EQ(Cells(panel->GetStringGrid1(), 0), "ABC Foods, Ltd.|A B C");
    EXPECT_EQ(Cells(panel->GetStringGrid2(), 1), "|\"魚河岸 商店\"");
    EXPECT_FALSE(panel->IsComplete());
    EXPECT_EQ(panel->GetItemID("ABC Foods"), 7);
    EXPECT_EQ(panel->GetItemID("ABC Foods, Ltd."), 0);
    EXPECT_EQ(panel->GetItemID("other"), 0);
}

TEST(ItemActivatePanel, DragMapsOnDropAndNeedsFivePixels)
{
    vkttest::Scripted().Reset();
    DropPanel panel;
    panel.show();
    panel.AddItem(3, "kg");
    panel.AddItem(4, "本");
    panel.AddUnknownItem("キロ");
    panel.AddUnknownItem("botte");
    panel.dropRow = 1;
    QWidget* viewport = panel.GetStringGrid1()->GetStringGrid()->viewport();
    const QPoint start = panel.GetStringGrid1()->GetStringGrid()->visualRect(
                                  panel.GetStringGrid1()->GetModel()->index(1, 0)).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QMouseEvent near(QEvent::MouseMove, QPointF(start + QPoint(2, 1)), QPointF(viewport->mapToGlobal(start)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &near);
    EXPECT_TRUE(panel.dragged.empty());
    QMouseEvent far(QEvent::MouseMove, QPointF(start + QPoint(5, 0)), QPointF(viewport->mapToGlobal(start)),
                    Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &far);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(5, 0));
    EXPECT_EQ(panel.dragged, std::vector<std::string>{"botte"});
    EXPECT_EQ(panel.GetItemID("botte"), 4);
    EXPECT_EQ(Cells(panel.GetStringGrid1(), 0), "キロ");

    // The blank row of an empty list starts no drag.
    panel.dropRow = 0;
    panel.GetStringGrid1()->GetStringGrid()->setCurrentIndex(panel.GetStringGrid1()->GetModel()->index(0, 0));
    panel.SetItem();
    QTest::mousePress(viewport, Qt::LeftButton, {}, start - QPoint(0, 16));
    QApplication::sendEvent(viewport, &far);
    EXPECT_EQ(panel.dragged.size(), 1u);
}

TEST(ItemActivatePanel, WidthRule)
{
    TItemActivatePanel panel;
    panel.resize(400, 244);
    panel.show();
    QTableView* view1 = panel.GetStringGrid1()->GetStringGrid();
    const int scrollBar = panel.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int width = 400 - scrollBar - 2 - (view1->frameShape() != QFrame::NoFrame ? 2 : 0) - 1;
    EXPECT_EQ(view1->columnWidth(0), width);
    EXPECT_EQ(panel.GetStringGrid2()->GetStringGrid()->columnWidth(0), width / 3);
    EXPECT_EQ(panel.GetStringGrid2()->GetStringGrid()->columnWidth(1), width / 3 * 2);
}

} // namespace
