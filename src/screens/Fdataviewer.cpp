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
#include <utility>

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
    splitter_->setStretchFactor(0, 1);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        if (dataEditor_) editorHeight_ = dataEditor_->height();
    });
    GetObjEvent().OnRecordsDelete = [this](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
        if (!dataEditor_ || kind != TVktObjKind::Data || ids.IndexOf(dataEditor_->GetDataID()) < 0) return;
        if (sender->GetDataClassType(dataEditor_->GetDataID()) == ctRoot) ShowEditor(false);
    };
}

TDataViewer::~TDataViewer()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

void TDataViewer::BuildEditor()
{
    const platform::BusyCursor busy;
    dataEditor_ = new TDataEditor(splitter_, this);
    dataEditor_->setMinimumHeight(6);
    dataEditor_->hide();
    splitter_->setStretchFactor(1, 0);
    dataEditor_->OnModifiedChange = [this](TDataEditor*) {
        if (OnEditorChange) OnEditorChange(this);
    };
    if (TVktObject* obj = GetVktObject()) dataEditor_->SetVktObject(obj);
    for (const auto& hook : builtHooks_) hook(dataEditor_);
}

TDataEditor* TDataViewer::GetDataEditor() const
{
    // Building adds a child widget only; what the viewer shows is unchanged.
    if (!dataEditor_) const_cast<TDataViewer*>(this)->BuildEditor();
    return dataEditor_;
}

void TDataViewer::WhenEditorBuilt(std::function<void(TDataEditor* Editor)> hook)
{
    if (dataEditor_) hook(dataEditor_);
    else builtHooks_.push_back(std::move(hook));
}

void TDataViewer::EditData(int id)
{
    if (id == 0 && !dataEditor_) return;
    const platform::BusyCursor busy;
    // Loaded before it shows, emptied after it hides: the frames change without repainting.
    if (id == 0) ShowEditor(false);
    GetDataEditor()->SetData(id);
    if (id != 0) ShowEditor(true);
}

bool TDataViewer::IsEditorShown() const { return dataEditor_ && !dataEditor_->isHidden(); }

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
    if (dataEditor_->isHidden()) dataEditor_->resize(splitter_->width(), editor);
}

void TDataViewer::ShowEditor(bool show)
{
    if (!show && !dataEditor_) return;
    GetDataEditor();
    if (show) {
        // Sized before it shows: the editor is laid out once, at its height.
        if (dataEditor_->isHidden()) ApplyEditorHeight();
        dataEditor_->SetVisible(true);
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
