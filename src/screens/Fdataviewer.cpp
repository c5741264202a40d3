#include "screens/Fdataviewer.h"

#include "database/Uvktobject.h"
#include "gui/Services.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataview.h"
#include "screens/Fdetaileditpanel.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTabWidget>

#include <algorithm>

TDataViewer::TDataViewer(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName(QStringLiteral("DataViewer"));
    resize(312, 285);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(8);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    layout->addWidget(splitter_);
    dataView_ = new TDataView(splitter_, this);
    dataEditor_ = new TDataEditor(splitter_, this);
    dataEditor_->setMinimumHeight(6);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    dataEditor_->hide();
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { editorHeight_ = dataEditor_->height(); });
    dataEditor_->OnModifiedChange = [this](TDataEditor*) {
        if (OnEditorChange) OnEditorChange(this);
    };
    GetObjEvent().OnRecordsDelete = [this](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
        if (kind != TVktObjKind::Data || ids.IndexOf(dataEditor_->GetDataID()) < 0) return;
        if (sender->GetDataClassType(dataEditor_->GetDataID()) == 0) ShowEditor(false);
    };
}

TDataViewer::~TDataViewer()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

void TDataViewer::EditData(int id)
{
    const platform::BusyCursor busy;
    // Loaded before it shows: the frames fill without repainting on the way.
    dataEditor_->SetData(id);
    ShowEditor(id != 0);
}

bool TDataViewer::IsEditorShown() const { return !dataEditor_->isHidden(); }

int TDataViewer::GetEditorHeight() const { return editorHeight_; }

void TDataViewer::SetEditorHeight(int height)
{
    editorHeight_ = std::max(6, height);
    if (IsEditorShown()) ApplyEditorHeight();
}

void TDataViewer::ApplyEditorHeight()
{
    const int total = splitter_->height() - splitter_->handleWidth();
    const int editor = std::min(editorHeight_, std::max(6, total - 40));
    splitter_->setSizes({std::max(1, total - editor), editor});
}

void TDataViewer::ShowEditor(bool show)
{
    if (show) {
        const bool wasHidden = dataEditor_->isHidden();
        dataEditor_->SetVisible(true);
        if (wasHidden) ApplyEditorHeight();
    } else {
        dataEditor_->SetVisible(false);
    }
    if (!dataEditor_->GetCompact()) {
        QTabWidget* pages = dataEditor_->GetDetailEditPanel()->GetPageControl();
        QWidget* current = pages->currentWidget();
        if (!current || current == dataEditor_->GetDetailEditPanel()->GetTab("TabKernel"))
            pages->setCurrentWidget(dataEditor_->GetDetailEditPanel()->GetTab("TabDetail"));
    }
}

void TDataViewer::DoDetach() { ShowEditor(false); }
