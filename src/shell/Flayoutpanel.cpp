#include "shell/Flayoutpanel.h"

#include "layout/Preview.h"

#include <QVBoxLayout>

TLayoutPanel::TLayoutPanel(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName("Preview");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    preview_ = new TPreview(this);
    layout->addWidget(preview_);
}

TLayoutPanel::~TLayoutPanel() = default;
