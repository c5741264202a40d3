// What start-up leaves for later or does ahead: the designer's property host built when its area
// first shows, the start-up picture decoded ahead, the About picture read when the box opens.
#include "layout/Preview.h"
#include "reports/Fpreviewitemoperator.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/Fvktpreview.h"
#include "shell/Fsplash.h"
#include "shell/Fvktsingleviewer.h"
#include "test_vktpanel_fixture.h"

#include <QLabel>

namespace {

class DeferredPropertyHost : public PanelTest {};

// An item selected while the area is hidden is the one the host shows once the area is shown.
TEST_F(DeferredPropertyHost, JoinsTheDocumentAsItStands)
{
    TVktPreview* designer = panel->GetPreview();
    TPreview* document = designer->GetPreview();
    document->Clear();
    EXPECT_EQ(designer->findChild<TVktItemPropertyEx*>(), nullptr);
    TViewItem* text = document->AddContainer(2);
    ASSERT_NE(text, nullptr);

    panel->ShowPreview(true);
    designer->SetPropertyVisible(true);
    QApplication::processEvents();
    TVktItemPropertyEx* host = designer->GetItemProperty();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->GetCurrentItem(), text);
    EXPECT_NE(host->GetCurrentPage(), nullptr);
    EXPECT_EQ(designer->GetItemOperator()->width(), TVktPreview::kItemTreeWidth);

    designer->SetPropertyVisible(false);
    designer->SetPropertyVisible(true);
    EXPECT_EQ(designer->findChildren<TVktItemPropertyEx*>().size(), 1);
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
    QImage shown;
    QTimer::singleShot(0, &splash, [&] {
        shown = splash.GetImage()->pixmap().toImage();
        splash.done(0);
    });
    window->ActAbort->trigger();
    EXPECT_EQ(shown, TSplash::AboutPicture().toImage());
    window.reset();
    vkttest::Scripted().Reset();
}

} // namespace
