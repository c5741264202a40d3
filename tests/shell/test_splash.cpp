// The splash and About window: its text, its modes and the click that closes only the About box.
#include <gtest/gtest.h>

#include "shell/Fsplash.h"
#include "widgets/Mvktmodule.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

TEST(Splash, TextAndPictures)
{
    TSplash splash;
    const QStringList lines = splash.GetMemo()->toPlainText().split('\n');
    ASSERT_GT(lines.size(), 4);
    EXPECT_EQ(lines[0].toStdString(), VktMdl()->GetProductName() + " " + VktMdl()->GetFileVersion());
    EXPECT_EQ(lines[1], "");

    for (const QPixmap& picture : {TSplash::StartPicture(), TSplash::AboutPicture()})
        EXPECT_EQ(picture.size(), QSize(480, 360));
}

TEST(Splash, ClickClosesOnlyTheAboutBox)
{
    TSplash splash;
    splash.SetImage(TSplash::StartPicture());
    splash.show();
    EXPECT_TRUE(splash.GetShape()->isHidden());
    EXPECT_TRUE(splash.GetMemo()->isHidden());
    QTest::mouseClick(splash.GetImage(), Qt::LeftButton);
    EXPECT_TRUE(splash.isVisible());
    splash.close();

    splash.SetMode(1);
    splash.SetImage(TSplash::AboutPicture());
    EXPECT_FALSE(splash.GetShape()->isHidden());
    EXPECT_FALSE(splash.GetMemo()->isHidden());
    bool clicked = false;
    QTimer::singleShot(0, &splash, [&] {
        clicked = true;
        QTest::mouseClick(splash.GetImage(), Qt::LeftButton);
    });
    QTimer::singleShot(5000, &splash, [&] { splash.done(99); });   // a click that failed to close
    EXPECT_EQ(splash.exec(), QDialog::Rejected);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(splash.GetMode(), 1);
}

} // namespace
