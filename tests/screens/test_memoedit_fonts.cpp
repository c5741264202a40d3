// The memo panel lists the fonts only when first shown, in the style bar's first place.
#include <gtest/gtest.h>

#include "screens/Fmemoeditpanel.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"

#include <QTest>
#include <QToolBar>

TEST(MemoPanelFonts, TheFontListComesFirstWhenThePanelIsShown)
{
    QWidget window;
    auto* panel = new TMemoEditPanel(&window);
    EXPECT_EQ(panel->findChild<TFontDropDown*>(), nullptr) << "hidden, nothing listed";
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* fonts = panel->findChild<TFontDropDown*>();
    ASSERT_NE(fonts, nullptr);
    EXPECT_EQ(panel->GetFontList(), fonts) << "built once";
    QToolBar* bar = panel->GetStyleBar();
    EXPECT_EQ(bar->widgetForAction(bar->actions().value(0)), fonts);
    EXPECT_GT(fonts->GetDropDown()->count(), 0);
    EXPECT_TRUE(fonts->isVisible());
}
