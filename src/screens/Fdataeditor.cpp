#include "screens/Fdataeditor.h"

#include "gui/Application.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Fkerneleditpanel.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>

#include <optional>

TDataEditor::TDataEditor(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName(QStringLiteral("DataEditor"));
    resize(562, 218);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(6);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    layout->addWidget(splitter_);
    kernel_ = new TKernelEditPanel(splitter_, this);
    detail_ = new TDetailEditPanel(splitter_, this);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kernelWidth_, std::max(1, width() - kernelWidth_ - 6)});
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(); });
    connect(kernel_->GetBtnShow(), &QPushButton::clicked, this,
            platform::Guarded([this](bool) { KernelEditPanelBtnShowClick(); }));
    auto modified = [this] {
        if (OnModifiedChange) OnModifiedChange(this);
    };
    kernel_->OnModifiedChange = [modified](TKernelEditPanel*) { modified(); };
    detail_->OnModifiedChange = [modified](QObject*) { modified(); };
    UpdateLayout();
}

TDataEditor::~TDataEditor()
{
    MarkDestroying();
    SetVktObject(nullptr);
    // The kernel panel may sit in the detail panel's tab: it is this editor's to delete.
    kernel_->setParent(this);
}

void TDataEditor::SetData(int id)
{
    const int previous = detail_->GetDataID();
    kernel_->SetData(id);
    // The kernel panel's reads give the record's type and state, and an ingredient's dealer.
    std::optional<TDetailEditPanel::TRecordState> state;
    if (kernel_->GetStateRead())
        state = TDetailEditPanel::TRecordState{kernel_->GetClassType(), kernel_->GetEraseState()};
    detail_->SetData(id, kernel_->GetDealerKeyRead(), state);
    UpdateLayout();
    if (previous == 0 && compact_) detail_->GetPageControl()->setCurrentWidget(detail_->GetTab("TabKernel"));
}

int TDataEditor::GetDataID() const { return kernel_->GetDataID(); }
int TDataEditor::GetClassType() const { return kernel_->GetClassType(); }
bool TDataEditor::IsEditing() const { return kernel_->GetModified() || detail_->IsEditing(); }

void TDataEditor::ShowCompact()
{
    compact_ = true;
    UpdateLayout();
    detail_->GetPageControl()->setCurrentWidget(detail_->GetTab("TabKernel"));
}

void TDataEditor::ShowSideBySide()
{
    compact_ = false;
    UpdateLayout();
}

void TDataEditor::KernelEditPanelBtnShowClick()
{
    if (compact_) ShowSideBySide();
    else ShowCompact();
}

void TDataEditor::SplitterMoved()
{
    if (!compact_) kernelWidth_ = kernel_->width();
}

void TDataEditor::UpdateLayout()
{
    if (inLayout_ || GetDestroying()) return;
    inLayout_ = true;
    QTabWidget* pages = detail_->GetPageControl();
    QWidget* tab = detail_->GetTab("TabKernel");
    const int tabIndex = pages->indexOf(tab);
    if (compact_) {
        if (kernel_->parentWidget() != tab) {
            // Below the tab's 8-pixel spacer, filling the rest of the page.
            static_cast<QBoxLayout*>(tab->layout())->insertWidget(1, kernel_, 1);
            kernel_->show();
        }
        kernel_->SetSideBySide(true);
        if (!pages->isTabVisible(tabIndex)) pages->setTabVisible(tabIndex, true);
        kernel_->GetBtnShow()->setText(QStringLiteral("&<<"));
    } else {
        // Showing or hiding a tab relays the page control out even when nothing changes.
        if (pages->isTabVisible(tabIndex)) pages->setTabVisible(tabIndex, false);
        if (kernel_->parentWidget() != splitter_) {
            splitter_->insertWidget(0, kernel_);
            kernel_->show();
        }
        kernel_->SetSideBySide(false);
        // Setting sizes lays both panels out again, even to the sizes they have.
        const int total = splitter_->width() - splitter_->handleWidth();
        const QList<int> sizes{kernelWidth_, std::max(1, total - kernelWidth_)};
        if (splitter_->sizes() != sizes) splitter_->setSizes(sizes);
        kernel_->GetBtnShow()->setText(QStringLiteral("&>>"));
    }
    inLayout_ = false;
}
