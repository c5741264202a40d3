// Printing: the print dialog idle (a range of odd pages) and during a run, the main tool bar with
// the page and zoom strip, the item tree of the food-list layout, and the page settings with the
// PDF printer and without any printer.
#include "gui/Application.h"
#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "layout/Utextcontainer.h"
#include "reports/Fpreviewitemoperator.h"
#include "reports/Fpreviewproperty.h"
#include "reports/Fprintexecutedlg.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Mvktcommandmodule.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

// Kept to the end of the run: what the dialogs and trees show.
template <typename T>
T* KeepToEnd(T* object)
{
    platform::Application::Instance()->AtExit([object] { delete object; });
    return object;
}

TPreview* TwelvePages()
{
    auto* preview = KeepToEnd(new TPreview);
    TViewItem* item = preview->AddContainer(6);
    item->SetMMBoundRect_({2000, 3000, 19000, 27000});
    auto* grid = dynamic_cast<TGridContainer*>(item->GetObject());
    std::string csv;
    for (int r = 1; r <= 600; ++r) csv += "品目" + std::to_string(r) + "\n";
    grid->SetRowCount(600);
    grid->SetCSV(csv);
    return preview;
}

TPrintExecuteDlg* Dialog()
{
    const vkttest::PrinterScope restore;
    vkttest::InstallPdfPrinter("/dev/null");
    auto* dialog = new TPrintExecuteDlg;
    dialog->Setup(TwelvePages(), "Vektara", "");
    dialog->findChild<QCheckBox*>("CBSelPage")->click();
    auto* list = dialog->findChild<QComboBox*>("PrintTypeList");
    list->setCurrentIndex(1);
    emit list->activated(1);
    dialog->findChild<TUpDownEdit*>("StartPageEdit")->SetValue(3);
    dialog->findChild<TUpDownEdit*>("EndPageEdit")->SetValue(9);
    return dialog;
}

TVktSingleViewer* LayoutWindow()
{
    static vkttest::SampleDatabase* db = KeepToEnd(new vkttest::SampleDatabase);
    auto* window = new TVktSingleViewer;
    window->resize(1000, 700);
    window->show();
    window->GetVktPanel()->SetVktObject(&db->Object());
    window->GetVktPanel()->ShowPreview(true);
    if (VktCommandModule()) VktCommandModule()->UpdateActions();
    platform::RunIdle();
    return window;
}

QWidget* Picture(const QPixmap& pixmap)
{
    auto* label = new QLabel;
    label->setPixmap(pixmap);
    label->resize(pixmap.size());
    return label;
}

QWidget* PageSettings(bool printer)
{
    const vkttest::PrinterScope restore;
    if (printer)
        vkttest::InstallPdfPrinter("/dev/null");
    else
        vkttest::InstallNoPrinter();
    auto* preview = KeepToEnd(new TPreview);
    preview->SetPaperType(kA4PaperID);
    preview->SetMMMargin_({1500, 2000, 1500, 2000});
    auto* page = new TPreviewProperty;
    page->SetPreview(preview);
    page->resize(569, 470);
    return page;
}

} // namespace

VKT_SNAPSHOT(print_dialog_idle) { return Dialog(); }

VKT_SNAPSHOT(print_dialog_running)
{
    TPrintExecuteDlg* dialog = Dialog();
    dialog->findChild<QPushButton*>("BtnPrint")->setEnabled(false);
    dialog->findChild<QPushButton*>("BtnCancel")->setText(QString::fromUtf8("キャンセル"));
    dialog->findChild<QLabel*>("ProgressLabel")->setText(QString::fromUtf8("5 / 12 印刷中..."));
    dialog->findChild<QProgressBar*>("ProgressBar")->setValue(2);
    return dialog;
}

VKT_SNAPSHOT(print_toolbar)
{
    std::unique_ptr<TVktSingleViewer> window(LayoutWindow());
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("main window not exposed");
    QTest::qWait(50);
    return Picture(window->findChild<QWidget*>("ToolBar")->grab());
}

VKT_SNAPSHOT(print_item_tree)
{
    TVktSingleViewer* window = KeepToEnd(LayoutWindow());
    auto* tree = new TPreviewItemOperator;
    tree->SetPreview(window->GetLayoutDocument());
    tree->GetTreeView()->expandAll();
    window->hide();
    tree->resize(260, 420);
    return tree;
}

VKT_SNAPSHOT(print_page_settings) { return PageSettings(true); }

VKT_SNAPSHOT(print_page_settings_none) { return PageSettings(false); }
