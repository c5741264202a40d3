#include "reports/Fpreviewitempropertyex.h"

#include "layout/Ucontainer.h"
#include "reports/Fchartproperty.h"
#include "reports/Fcontainerproperty.h"
#include "reports/Ffontproperty.h"
#include "reports/Fgraphicproperty.h"
#include "reports/Fgridproperty.h"
#include "reports/Fimageproperty.h"
#include "reports/Fmemoproperty.h"
#include "reports/Fpaperproperty.h"
#include "reports/Fpreviewproperty.h"
#include "reports/Ftextproperty.h"

#include <QTabWidget>
#include <QVBoxLayout>

TPreviewItemPropertyEx::TPreviewItemPropertyEx(QWidget* parent) : QFrame(parent)
{
    setObjectName("PreviewItemPropertyEx");
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    PreviewProperty = new TPreviewProperty(this);
    box->addWidget(PreviewProperty);
}

TPreviewItemPropertyEx::~TPreviewItemPropertyEx()
{
    if (preview_ && notifier_) preview_->DeleteActionNotifier(notifier_);
}

void TPreviewItemPropertyEx::SetPreview(TPreview* preview)
{
    if (preview_ && notifier_) preview_->DeleteActionNotifier(notifier_);
    notifier_ = nullptr;
    preview_ = preview;
    PreviewProperty->SetPreview(preview);
    if (!preview) {
        ShowItem(nullptr);
        return;
    }
    const auto selection = [this] {
        if (preview_) ShowItem(preview_->GetSelected());
    };
    notifier_ = preview->AddActionNotifier(
        [this](TPreview*) { PreviewProperty->SetPreview(preview_); }, {}, {}, {},
        [selection](TPreview*, TViewItem*, bool) { selection(); }, {},
        [selection](TPreview*, TViewItem*) { selection(); });
    ShowItem(preview->GetSelected());
}

TContainerProperty* TPreviewItemPropertyEx::Adopt(TContainerProperty* page)
{
    page->hide();
    page->GetPageControl()->setCurrentIndex(0);
    static_cast<QVBoxLayout*>(layout())->addWidget(page);
    return page;
}

TContainerProperty* TPreviewItemPropertyEx::GetPage(int type)
{
    if (type < ctContainer || type > ctChart) return nullptr;
    TContainerProperty*& page = pages_[static_cast<std::size_t>(type)];
    if (!page) {
        switch (type) {
        case ctContainer: page = Adopt(new TFontProperty2(this)); break;
        case ctText: page = Adopt(new TTextProperty(this)); break;
        case ctMemo: page = Adopt(new TMemoProperty(this)); break;
        case ctGraphic: page = Adopt(new TGraphicProperty(this)); break;
        case ctImage: page = Adopt(new TImageProperty(this)); break;
        case ctGrid: page = Adopt(new TGridProperty(this)); break;
        default: page = Adopt(new TChartProperty(this)); break;
        }
    }
    return page;
}

void TPreviewItemPropertyEx::ShowItem(TViewItem* item)
{
    if (current_ && item != item_) {
        item_ = nullptr;
        current_->SetViewItem(nullptr);
        current_->hide();
        current_ = nullptr;
    }
    const auto* container = item ? dynamic_cast<const TContainer*>(item->GetObject()) : nullptr;
    if (container) {
        item_ = item;
        current_ = GetPage(container->GetType());
    }
    if (current_) {
        current_->show();
        if (current_->GetApplying())
            current_->ReshowAfterApply();
        else
            current_->SetViewItem(item_);
    } else {
        item_ = nullptr;
    }
    PreviewProperty->setVisible(!current_);
}
