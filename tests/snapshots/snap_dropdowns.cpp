// The colour, font and paper drop-downs, closed and open. An open list is shown below its combo
// box as a list view over the same items and item drawing, since the real popup is a window of
// its own that a grab of the frame does not see.
#include "support/Snapshot.h"
#include "widgets/Fcanvasdropdown.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Uprintersupport.h"

#include <QListView>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace {

// A host holding the frame, and below it the open list of its combo box when `open`.
QWidget* Host(QWidget* frame, TOwnerDrawComboBox* combo, bool open)
{
    auto* host = new QWidget;
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(0);
    frame->setParent(host);
    frame->setFixedSize(frame->size());
    layout->addWidget(frame);
    if (open) {
        auto* list = new QListView(host);
        list->setModel(combo->model());
        list->setItemDelegate(combo->itemDelegate());
        list->setCurrentIndex(combo->model()->index(combo->currentIndex(), 0));
        const int rows = std::min(combo->count(), combo->maxVisibleItems());
        list->setFixedSize(frame->width(), rows * combo->GetItemHeight() + 2 * list->frameWidth());
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->scrollTo(list->currentIndex(), QAbstractItemView::PositionAtCenter);
        layout->addWidget(list);
    }
    layout->addStretch();
    return host;
}

void InstallPdfPrinterObject(bool withPrinter)
{
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    if (withPrinter) devices.push_back(std::make_unique<TPdfPrinterDevice>());
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
}

} // namespace

VKT_SNAPSHOT(colordropdown_closed)
{
    auto* frame = new TColorDropDown;
    frame->SetColor(0x0000FF);
    return Host(frame, frame->GetDropDown(), false);
}

VKT_SNAPSHOT(colordropdown_white)
{
    auto* frame = new TColorDropDown;
    frame->SetColor(0xFFFFFF);
    return Host(frame, frame->GetDropDown(), false);
}

VKT_SNAPSHOT(colordropdown_open)
{
    auto* frame = new TColorDropDown;
    frame->SetColor(0x123456);
    return Host(frame, frame->GetDropDown(), true);
}

VKT_SNAPSHOT(fontdropdown_open)
{
    InstallPdfPrinterObject(true);
    auto* frame = new TFontDropDown;
    return Host(frame, frame->GetDropDown(), true);
}

VKT_SNAPSHOT(canvasdropdown_enabled)
{
    InstallPdfPrinterObject(true);
    auto* frame = new TCanvasDropDown;
    return Host(frame, frame->GetDropDown(), true);
}

VKT_SNAPSHOT(canvasdropdown_disabled)
{
    InstallPdfPrinterObject(false);
    auto* frame = new TCanvasDropDown;
    return Host(frame, frame->GetDropDown(), false);
}
