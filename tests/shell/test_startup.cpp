// What start-up leaves for later or does in the background: the designer's property host built
// when its area first shows, the start-up picture decoded ahead, the About picture read when the
// box opens, and the worker that reads the font configuration.
#include "layout/Preview.h"
#include "reports/Fpreviewitemoperator.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/Fvktpreview.h"
#include "shell/Fsplash.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Ustartprefetch.h"
#include "test_vktpanel_fixture.h"

#include <QLabel>
#include <QSplitter>

namespace {

class DeferredPropertyHost : public PanelTest {};

// An item selected while the area is hidden is the one the host shows once the area is shown.
TEST_F(DeferredPropertyHost, JoinsTheDocumentAsItStands)
{
    TVktPreview* designer = panel->GetPreview();
    TPreview* document = designer->GetPreview();
    document->Clear();
    EXPECT_EQ(designer->findChild<TVktItemPropertyEx*>(), nullptr);

    document->SetSelected(nullptr);
    TViewItem* text = document->AddContainer(2);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(designer->GetItemOperator()->NodeOf(text), nullptr);   // the tree follows while hidden

    panel->ShowPreview(true);
    designer->SetPropertyVisible(true);
    QApplication::processEvents();
    TVktItemPropertyEx* host = designer->findChild<TVktItemPropertyEx*>();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(designer->GetItemProperty(), host);
    EXPECT_EQ(host->GetCurrentItem(), text);
    EXPECT_NE(host->GetCurrentPage(), nullptr);
    EXPECT_EQ(designer->GetItemOperator()->width(), TVktPreview::kItemTreeWidth);

    // Hidden and shown again, the same host follows the selection.
    designer->SetPropertyVisible(false);
    document->SetSelected(nullptr);
    designer->SetPropertyVisible(true);
    EXPECT_EQ(designer->findChildren<TVktItemPropertyEx*>().size(), 1);
    EXPECT_EQ(host->GetCurrentPage(), nullptr);
}

// The picture decoded ahead is the one read directly, and asking again reads it again.
TEST(StartPicture, DecodedAheadOrNot)
{
    const QImage direct = QImage(":/pictures/splash.png").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(direct.isNull());
    TSplash::PrefetchStartPicture();
    TSplash::PrefetchStartPicture();   // a second request while one is pending
    for (int ask = 0; ask < 2; ++ask)
        EXPECT_EQ(TSplash::StartPicture().toImage().convertToFormat(QImage::Format_RGB32), direct) << ask;
}

TEST(AboutBox, ShowsTheAboutPictureAfterTheStartPicture)
{
    vkttest::Scripted().Reset();
    TSplash splash;
    auto window = std::make_unique<TVktSingleViewer>(nullptr);
    window->SetSplash(&splash);
    window->show();
    const QImage about = TSplash::AboutPicture().toImage();
    for (int open = 0; open < 2; ++open) {
        QImage shown;
        int mode = -1;
        QTimer::singleShot(0, &splash, [&] {
            shown = splash.GetImage()->pixmap().toImage();
            mode = splash.GetMode();
            splash.done(0);
        });
        window->ActAbort->trigger();
        EXPECT_EQ(shown, about) << open;
        EXPECT_EQ(mode, 1) << open;
        EXPECT_EQ(splash.GetMode(), 0) << open;
    }
    window.reset();
    vkttest::Scripted().Reset();
}

// Waiting twice, or not at all before the end, is safe.
TEST(StartPrefetch, WaitedForOnceAtMost)
{
    for (const int waits : {0, 1, 2}) {
        TStartPrefetch prefetch;
        for (int i = 0; i < waits; ++i) prefetch.WaitFonts();
    }
    SUCCEED();
}

} // namespace
