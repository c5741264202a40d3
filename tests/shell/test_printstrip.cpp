// The main window's page and zoom strip and print command: the strip shows the layout's pages,
// follows page and zoom changes both ways and is usable only in the layout view; the print
// command opens the print dialog for the layout with the product name as remark.
#include "MainWindowState.h"
#include "gui/Application.h"
#include "gui/Settings.h"
#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "reports/Fpreviewoperator.h"
#include "reports/Fprintexecutedlg.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Mvktcommandmodule.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Fscaleselecter.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Mvktmodule.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

class PrintStripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        window = std::make_unique<TVktSingleViewer>();
        window->show();
        window->GetVktPanel()->ShowPreview(true);
        platform::RunIdle();
        document = window->GetLayoutDocument();
        strip = window->GetPreviewOperator();
    }
    void TearDown() override
    {
        window.reset();
        ForgetMainWindowState();
    }
    // A grid long enough for several pages.
    void AddPages()
    {
        document->SetSelected(nullptr);
        TViewItem* item = document->AddContainer(6);
        item->SetMMBoundRect_({2000, 2000, 19000, 27000});
        auto* grid = dynamic_cast<TGridContainer*>(item->GetObject());
        std::string csv;
        for (int r = 0; r < 400; ++r) csv += "行" + std::to_string(r) + "\n";
        grid->SetRowCount(400);
        grid->SetCSV(csv);
        document->SetSelected(nullptr);
    }

    std::unique_ptr<TVktSingleViewer> window;
    TPreview* document = nullptr;
    TPreviewOperator* strip = nullptr;
};

TEST_F(PrintStripTest, StripFollowsTheDocumentBothWays)
{
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(strip->GetPreview(), document);
    EXPECT_EQ(strip->width(), TVktSingleViewer::kPreviewOperatorWidth);
    AddPages();
    const int pages = document->GetPageMax();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(strip->GetPageCount(), pages);
    EXPECT_EQ(strip->GetPageEdit()->GetSuffix(), "/" + std::to_string(pages));

    // Document to strip.
    document->SetPage(2);
    EXPECT_EQ(strip->GetPage(), 2);
    document->SetViewType(0);
    document->SetScale_(5000);
    EXPECT_EQ(strip->GetViewType(), 0);
    EXPECT_EQ(strip->GetScale(), 5000);
    document->DrawFullPage();
    EXPECT_EQ(strip->GetViewType(), 1);

    // Strip to document: a typed page beyond the end shows the last one.
    strip->GetPageEdit()->SetValue(pages + 5);
    EXPECT_EQ(document->GetPage(), pages);
    EXPECT_EQ(strip->GetPage(), pages);
    strip->SetViewType(0);
    strip->GetScaleSelecter()->GetEdit()->SetValue(7500);
    EXPECT_EQ(document->GetViewType(), 0);
    EXPECT_EQ(document->GetScale_(), 7500);
    EXPECT_EQ(document->GetPage(), pages) << "the zoom keeps the page";

    // Both fields show their texts whole.
    document->SetScale_(9587);
    for (TUpDownEdit* field : {strip->GetPageEdit(), strip->GetScaleSelecter()->GetEdit()}) {
        const QLineEdit* edit = field->GetEdit();
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(edit->text()) + 6, edit->width())
            << edit->text().toStdString();
    }

    // Only the layout view uses it.
    EXPECT_TRUE(strip->isEnabled());
    window->GetVktPanel()->ShowPreview(false);
    platform::RunIdle();
    EXPECT_FALSE(strip->isEnabled());
    EXPECT_FALSE(strip->GetPageEdit()->isEnabled());

    // Unbinding leaves the document without the strip's notifier.
    const int notifiers = document->GetActionNotifyCount();
    strip->SetPreview(nullptr);
    EXPECT_EQ(document->GetActionNotifyCount(), notifiers - 1);
    document->SetPage(1);
    EXPECT_EQ(strip->GetPage(), pages) << "no longer follows";
}

TEST_F(PrintStripTest, PrintCommandOpensTheDialogForTheLayout)
{
    const vkttest::PrinterScope restore;
    vkttest::InstallRecordingPrinter();
    VktCommandModule()->updateActions();
    ASSERT_TRUE(VktCommandModule()->ActPreviewPrint->isEnabled());
    std::string caption;
    std::string remark;
    TPageView* view = nullptr;
    QTimer::singleShot(0, [&] {
        TPrintExecuteDlg* dialog = PrintExecuteDlg();
        caption = dialog->windowTitle().toStdString();
        remark = dialog->findChild<QLabel*>("Label")->text().toStdString();
        view = dialog->GetPageView();
        dialog->findChild<QPushButton*>("BtnCancel")->click();
    });
    VktCommandModule()->ActPreviewPrint->trigger();
    EXPECT_EQ(caption, "印刷 - ");
    EXPECT_EQ(remark, " " + VktMdl()->GetProductName() + " ");
    EXPECT_EQ(view, document);
}

} // namespace
