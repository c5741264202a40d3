// The memo panel lists the fonts only when first shown (or asked), in the style bar's first place.
#include <gtest/gtest.h>

#include "screens/Fmemoeditpanel.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QComboBox>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <vector>

namespace {

// The widgets of the style bar in their order.
std::vector<QWidget*> BarWidgets(QToolBar* bar)
{
    std::vector<QWidget*> widgets;
    for (QAction* action : bar->actions())
        if (QWidget* widget = bar->widgetForAction(action)) widgets.push_back(widget);
    return widgets;
}

TEST(MemoPanelFonts, TheFontListComesFirstWhenThePanelIsShown)
{
    QWidget window;
    auto* panel = new TMemoEditPanel(&window);
    panel->SetMemo("");
    EXPECT_EQ(panel->findChild<TFontDropDown*>(), nullptr) << "hidden, nothing listed";

    window.resize(560, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* fonts = panel->findChild<TFontDropDown*>();
    ASSERT_NE(fonts, nullptr);
    EXPECT_EQ(panel->GetFontList(), fonts) << "built once";
    const std::vector<QWidget*> widgets = BarWidgets(panel->GetStyleBar());
    ASSERT_FALSE(widgets.empty());
    EXPECT_EQ(widgets[0], fonts);
    EXPECT_NE(std::find(widgets.begin(), widgets.end(), panel->GetSizeEdit()), widgets.end());
    EXPECT_GT(fonts->GetDropDown()->count(), 0);
    EXPECT_TRUE(fonts->isVisible());
}

} // namespace
