#pragma once
// A main data panel set up on the sample database, shown, and current in the command module; the
// batch window is closed by the test once its run has ended, noting the auto-close flag it ran with.
#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "screens/Fclassfilterbar.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "shell/Fvktpanel.h"
#include "shell/Mvktcommandmodule.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

class PanelTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<vkttest::SampleDatabase>();
        window = std::make_unique<QWidget>();
        window->resize(1000, 700);
        panel = new TVktPanel(window.get());
        panel->resize(1000, 700);
        module = VktCommandModule();
        module->SetCurrentPanel(panel);
        panel->Setup();
        window->show();
        panel->SetVktObject(&db->Object());
        QApplication::processEvents();
        batch = ExecuteDlg(&db->Object());
        batch->installEventFilter(&showWatcher);
        showWatcher.onShow = [this] {
            ++batchRuns;
            batchAutoClose = batch->GetAutoClose();
        };
        QObject::connect(&closer, &QTimer::timeout, [this] { CloseEndedBatch(); });
        closer.start(5);
    }
    void TearDown() override
    {
        closer.stop();
        batch->removeEventFilter(&showWatcher);
        window.reset();
        vkttest::Scripted().Reset();
    }

    TClassFilterView* Side() const { return panel->GetClassFilterView(); }
    TClassFilterBar* Top() const { return panel->GetClassFilterBar(); }
    TDataView* Records() const { return panel->GetDataViewer()->GetDataView(); }
    TDataListView* List() const { return Records()->GetDataListView(); }
    QTreeWidgetItem* Node(int classId) const { return Side()->GetClassView()->FindNode(classId); }

    // Chooses a class in the side tree and marks the listed records named.
    void Choose(int classId)
    {
        Side()->GetClassView()->SelectID(classId);
        QApplication::processEvents();
    }
    void Mark(std::initializer_list<const char*> names)
    {
        List()->UnselectAll();
        for (const char* name : names) {
            const int row = Records()->RowOfID(db->Record(name));
            ASSERT_GE(row, 0) << name;
            List()->Select(row);
        }
    }

    std::unique_ptr<vkttest::SampleDatabase> db;
    std::unique_ptr<QWidget> window;
    TVktPanel* panel = nullptr;
    TVktCommandModule* module = nullptr;
    // The auto-close flag of the last batch run seen, and the runs seen.
    std::optional<bool> batchAutoClose;
    int batchRuns = 0;

private:
    struct ShowWatcher : QObject {
        std::function<void()> onShow;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Show && onShow) onShow();
            return false;
        }
    };
    void CloseEndedBatch()
    {
        if (batch->isVisible() && batch->GetOperation() == TExecuteDialog::opNone && !batch->GetRunning())
            batch->GetBtnCancel()->click();
    }
    TExecuteDialog* batch = nullptr;
    ShowWatcher showWatcher;
    QTimer closer;
};
