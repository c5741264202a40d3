// The layout designer on the main window over the sample kitchen database: the three preset
// layouts, the property area on a data list and on a data field, the tool bars in the layout
// view, and the layout view's own tool bar shown from the view menu.
#include "layout/Preview.h"
#include "layout/Ucontainer.h"
#include "layout/Uviewitems.h"
#include "reports/Fvktpreview.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Mvktcommandmodule.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <vector>

namespace {

TVktSingleViewer* Designer(int layout, const std::function<void(TVktPreview&)>& then = {})
{
    static std::vector<std::unique_ptr<vkttest::SampleDatabase>> samples;
    samples.push_back(std::make_unique<vkttest::SampleDatabase>());
    auto* window = new TVktSingleViewer;
    window->resize(1000, 760);
    window->show();
    window->GetVktPanel()->SetVktObject(&samples.back()->Object());
    window->GetVktPanel()->ShowPreview(true);
    // Picked as a user picks it: the selector loads on activation, not on a set index.
    QComboBox* selecter = window->GetPreviewFileSelecter();
    selecter->setCurrentIndex(layout);
    emit selecter->activated(layout);
    QApplication::processEvents();
    if (then) then(*window->GetVktPanel()->GetPreview());
    if (VktCommandModule()) VktCommandModule()->UpdateActions();
    QApplication::processEvents();
    return window;
}

// The first item of the layout carrying a container of `type`; null when there is none.
TViewItem* FirstOfType(TPreview* document, int type)
{
    TViewItems* items = document->GetItems();
    for (int i = 0; i < items->GetCount(); ++i) {
        TViewItem* item = items->GetItem(i);
        const auto* container = dynamic_cast<const TContainer*>(item->GetObject());
        if (container && container->GetType() == type) return item;
    }
    return nullptr;
}

// The property area shown with the item of `type` selected (made under the database container
// when the layout has none).
void ShowProperties(TVktPreview& designer, int type)
{
    designer.SetPropertyVisible(true);
    TPreview* document = designer.GetPreview();
    TViewItem* item = FirstOfType(document, type);
    if (!item) {
        document->SetSelected(FirstOfType(document, 11));
        item = document->AddContainer(type);
    }
    document->SetSelected(item);
}

} // namespace

VKT_SNAPSHOT(designer_foodlist) { return Designer(0); }
VKT_SNAPSHOT(designer_recipe) { return Designer(1); }
VKT_SNAPSHOT(designer_menu) { return Designer(2); }

VKT_SNAPSHOT(designer_itembar)
{
    TVktSingleViewer* window = Designer(0);
    window->ApplicationIdle();
    window->ActShowPreviewToolBar->trigger();
    QApplication::processEvents();
    return window;
}

VKT_SNAPSHOT(designer_property_datalist)
{
    return Designer(0, [](TVktPreview& d) { ShowProperties(d, 8); });
}

VKT_SNAPSHOT(designer_property_field)
{
    return Designer(0, [](TVktPreview& d) { ShowProperties(d, 13); });
}

VKT_SNAPSHOT(designer_toolbars)
{
    std::unique_ptr<TVktSingleViewer> window(Designer(0));
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("main window not exposed");
    QToolBar* first = window->GetToolBar(0);
    QToolBar* second = window->GetToolBar(1);
    const QRect area = first->geometry().united(second->geometry());
    auto* label = new QLabel;
    label->setPixmap(window->grab(area));
    label->resize(area.size());
    return label;
}
