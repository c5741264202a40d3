// The main window on the sample kitchen database: the class tree, the class bar, a record open in
// the editor, the stock-taking view and the layout view; and each menu of the menu bar opened. And
// the program's first start, on the sample kitchen it makes (the README shows that picture).
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Mvktcommandmodule.h"
#include "screens/Fdataviewer.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace {

// The windows and databases live to the end of the run; the runner deletes what it is given.
vkttest::SampleDatabase& Sample()
{
    static std::vector<std::unique_ptr<vkttest::SampleDatabase>> samples;
    samples.push_back(std::make_unique<vkttest::SampleDatabase>());
    return *samples.back();
}

TVktSingleViewer* MainWindow(const std::function<void(TVktSingleViewer&, vkttest::SampleDatabase&)>& then = {})
{
    vkttest::SampleDatabase& db = Sample();
    auto* window = new TVktSingleViewer;
    window->resize(1000, 700);
    window->show();
    window->GetVktPanel()->SetVktObject(&db.Object());
    if (then) then(*window, db);
    if (VktCommandModule()) VktCommandModule()->UpdateActions();
    return window;
}

// The window with menu `index` open, drawn into one picture.
QWidget* MenuOpen(int index)
{
    std::unique_ptr<TVktSingleViewer> window(MainWindow());
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("main window not exposed");
    QMenu* menu = window->GetMainMenu()->actions().at(index)->menu();
    const QPoint at = window->GetMainMenu()->actionGeometry(window->GetMainMenu()->actions().at(index)).bottomLeft();
    if (VktCommandModule()) VktCommandModule()->UpdateActions();
    menu->popup(window->GetMainMenu()->mapToGlobal(at));
    if (!QTest::qWaitForWindowExposed(menu)) qWarning("menu not exposed");
    QTest::qWait(50);
    QPixmap picture = window->grab();
    const QPixmap popup = menu->grab();
    {
        QPainter painter(&picture);
        painter.drawPixmap(window->mapFromGlobal(menu->pos()), popup);
    }
    menu->hide();
    auto* label = new QLabel;
    label->setPixmap(picture);
    label->resize(picture.size());
    return label;
}

} // namespace

VKT_SNAPSHOT(mainwindow_tree) { return MainWindow(); }

VKT_SNAPSHOT(mainwindow_class_bar)
{
    return MainWindow([](TVktSingleViewer& w, vkttest::SampleDatabase&) { w.GetVktPanel()->ShowClassBar(true); });
}

VKT_SNAPSHOT(mainwindow_editor)
{
    return MainWindow([](TVktSingleViewer& w, vkttest::SampleDatabase& db) {
        if (TDataViewer* viewer = w.GetVktPanel()->GetDataViewer()) viewer->EditData(db.Record("和牛サーロイン"));
    });
}

VKT_SNAPSHOT(mainwindow_inventory)
{
    return MainWindow([](TVktSingleViewer& w, vkttest::SampleDatabase&) { w.GetVktPanel()->ShowInventory(true); });
}

VKT_SNAPSHOT(mainwindow_layout)
{
    return MainWindow([](TVktSingleViewer& w, vkttest::SampleDatabase&) { w.GetVktPanel()->ShowPreview(true); });
}

// The program's first start on the sample kitchen it makes, its dishes listed and one open in the
// editor with its costed items (the README's picture).
VKT_SNAPSHOT(mainwindow_first_start)
{
    auto* window = new TVktSingleViewer;
    window->resize(1100, 760);
    window->SetFirstStartSample(true);
    window->show();
    TVktPanel* panel = window->GetVktPanel();
    TVktObject* sample = panel->GetVktObject();
    if (!sample) return window;
    panel->GetClassFilterView()->GetClassView()->SelectID(34);   // 料理
    TVDBKernel reader(sample);
    TFilterObject filter;
    filter.Add(TVktField::Data, foEqual, platform::Variant(std::string("真鯛のポワレ ブールブラン")), {});
    reader.SetFilter(filter);
    reader.Refresh();
    if (reader.GetRowCount() > 0) {
        reader.SetRowIndex(0);
        panel->GetDataViewer()->EditData(reader.GetValue(TVktField::Data_ID).AsInt());
    }
    return window;
}

VKT_SNAPSHOT(mainwindow_menu_file) { return MenuOpen(0); }
VKT_SNAPSHOT(mainwindow_menu_edit) { return MenuOpen(1); }
VKT_SNAPSHOT(mainwindow_menu_view) { return MenuOpen(2); }
VKT_SNAPSHOT(mainwindow_menu_tools) { return MenuOpen(3); }
VKT_SNAPSHOT(mainwindow_menu_help) { return MenuOpen(4); }
