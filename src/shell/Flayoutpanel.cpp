#include "shell/Flayoutpanel.h"

#include "layout/Preview.h"
#include "reports/Uvktcontainertypes.h"

#include <QTimer>
#include <QVBoxLayout>

TLayoutPanel::TLayoutPanel(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName("Preview");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    preview_ = new TPreview(this);
    layout->addWidget(preview_);
    binding_ = std::make_unique<TVktLayoutBinding>(preview_);
}

TLayoutPanel::~TLayoutPanel()
{
    MarkDestroying();
    SetVktObject(nullptr);
    binding_->Detach();
}

void TLayoutPanel::SetFilter(const TFilterObject& filter)
{
    if (!GetVisible()) return;
    filter_ = filter;
    binding_->SetFilter(filter);
    Changed();
}

void TLayoutPanel::setVisible(bool visible)
{
    TGuiPanel::setVisible(visible);
    binding_->SetShown(visible);
    // The queued pass of the hidden time runs after this handler, joined by a filter it hands over.
    if (visible) QTimer::singleShot(0, this, [this] { Changed(); });
}

void TLayoutPanel::DoAttach() { binding_->Attach(GetVktObject()); }

void TLayoutPanel::DoDetach() { binding_->Detach(); }

void TLayoutPanel::DoUpdate()
{
    binding_->SetShown(GetVisible());
    binding_->Update();
}
