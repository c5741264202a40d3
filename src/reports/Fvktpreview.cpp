#include "reports/Fvktpreview.h"

#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "layout/Preview.h"
#include "layout/Ucontainer.h"
#include "platform/Files.h"
#include "reports/Fpreviewitemoperator.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <vector>

namespace {

constexpr const char* kTagProperty = "Tag";

struct TButtonRow {
    const char* Name;
    int Tag;                // container type; 0 for a command button
    int CommandIcon;        // index in the command icons, for a command button
    const char* Hint;       // "short|long", for a command button
};

// In bar order; the database group starts the second row of the bar.
constexpr TButtonRow kButtons[] = {
    {"BtnClear", 0, 7, "クリア|レイアウトの項目をすべて取り除きます。"},
    {"BtnOpen", 0, 1, "開く|レイアウトファイルを開きます。"},
    {"BtnSave", 0, 2, "保存|レイアウトをファイルに保存します。"},
    {"BtnPrint", 0, 3, "印刷|レイアウトを印刷します。"},
    {"BtnDelete", 0, 8, "削除|選択した項目を削除します。"},
    {"BtnContainer", ctContainer, 0, nullptr},
    {"BtnText", ctText, 0, nullptr},
    {"BtnMemo", ctMemo, 0, nullptr},
    {"BtnGraphic", ctGraphic, 0, nullptr},
    {"BtnImage", ctImage, 0, nullptr},
    {"BtnGrid", ctGrid, 0, nullptr},
    {"BtnChart", ctChart, 0, nullptr},
    {"BtnVktTop", ctVktBaseContainer, 0, nullptr},
    {"BtnVktContainer", ctVktContainer, 0, nullptr},
    {"BtnVktField", ctVktField, 0, nullptr},
    {"BtnVktMemo", ctVktMemo, 0, nullptr},
    {"BtnVktImage", ctVktImage, 0, nullptr},
    {"BtnVktGrid", ctVktGrid, 0, nullptr},
    {"BtnVktChart", ctVktChart, 0, nullptr},
    {"ToolButton5", ctVktDataList, 0, nullptr},
    {"ToolButton6", ctVktRecipe, 0, nullptr},
    {"ToolButton7", ctVktMenu, 0, nullptr},
};

} // namespace

std::string LayoutFileName(const std::string& chosen)
{
    std::filesystem::path path(chosen);
    path.replace_extension(".xml");
    return path.string();
}

TVktPreview::TVktPreview(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName("VktPreview");
    setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar = new QWidget(this);
    ToolBar->setObjectName("ToolBar");
    layout->addWidget(ToolBar);

    SplitterV = new QSplitter(Qt::Vertical, this);
    SplitterV->setObjectName("SplitterV");
    SplitterV->setHandleWidth(kSplitterHandle);
    SplitterV->setChildrenCollapsible(false);
    layout->addWidget(SplitterV);

    Preview = new TPreview(SplitterV);
    Preview->setObjectName("Preview");
    Preview->setToolTip(platform::ToQString("印刷プレビュー"));
    Preview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Preview->setMinimumHeight(kMinPane);
    SplitterV->addWidget(Preview);

    Panel = new QWidget(SplitterV);
    Panel->setObjectName("Panel");
    Panel->setMinimumHeight(kMinPane);
    auto* paneLayout = new QVBoxLayout(Panel);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    SplitterH = new QSplitter(Qt::Horizontal, Panel);
    SplitterH->setObjectName("SplitterH");
    SplitterH->setChildrenCollapsible(false);
    paneLayout->addWidget(SplitterH);
    PreviewItemOperator = new TPreviewItemOperator(SplitterH);
    PreviewItemOperator->setObjectName("PreviewItemOperator");
    PreviewItemOperator->setMinimumWidth(kMinPane);
    PreviewItemOperator->GetTreeView()->setToolTip(platform::ToQString("プレビューオブジェクトセレクタ"));
    SplitterH->addWidget(PreviewItemOperator);
    SplitterV->addWidget(Panel);
    SplitterV->setStretchFactor(0, 1);
    SplitterV->setStretchFactor(1, 0);
    Panel->hide();

    binding_ = std::make_unique<TVktLayoutBinding>(Preview);
    PreviewItemOperator->SetPreview(Preview);
    BuildToolBar();
    // The bar is read before the page it adds to, the page before the items' tree below it.
    std::vector<QWidget*> chain;
    for (const TButtonRow& row : kButtons) chain.push_back(ToolBar->findChild<QWidget*>(row.Name));
    chain.push_back(Preview);
    chain.push_back(PreviewItemOperator->GetTreeView());
    platform::TabChain(chain);
    ToolBar->hide();
    Preview->AddActionNotifier({}, {}, {}, {}, [this](TPreview*, TViewItem*, bool) { UpdateButtons(); },
                               [this](TPreview*) { UpdateButtons(); });
    UpdateButtons();
}

TVktPreview::~TVktPreview()
{
    MarkDestroying();
    SetVktObject(nullptr);
    binding_->Detach();
    PreviewItemOperator->SetPreview(nullptr);
    if (ItemProperty) ItemProperty->SetPreview(nullptr);
    binding_.reset();
    delete Preview;
    Preview = nullptr;
}

void TVktPreview::BuildToolBar()
{
    const platform::IconList& commands = platform::ProgramIcons("commands");
    const platform::IconList& containers = platform::ProgramIcons("containers");
    auto* rows = new QVBoxLayout(ToolBar);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    QToolBar* bar = nullptr;
    for (const TButtonRow& row : kButtons) {
        if (!bar || row.Tag == ctVktBaseContainer) {
            bar = new QToolBar(ToolBar);
            bar->setObjectName(rows->count() == 0 ? "ToolBarRow1" : "ToolBarRow2");
            bar->setIconSize(QSize(16, 16));
            rows->addWidget(bar);
        }
        auto* button = new QToolButton(bar);
        button->setObjectName(row.Name);
        button->setAutoRaise(true);
        button->setProperty(kTagProperty, row.Tag);
        if (row.Tag) {
            const std::string caption = Preview->GetContainerCaption(row.Tag);
            const std::string where = row.Tag > ctVktBaseContainer ? "選択したデータベースコンテナかデータコンテナの中に"
                                                               : "選択した項目の中に（選択がなければページに）";
            platform::SetHint(*button, caption + "|" + where + caption + "を追加します。");
        } else {
            platform::SetHint(*button, row.Hint);
        }
        button->setIcon(row.Tag ? containers.Icon(row.Tag) : commands.Icon(row.CommandIcon));
        bar->addWidget(button);
        const std::string_view name = row.Name;
        std::function<void()> handler;
        if (row.Tag) {
            const int tag = row.Tag;
            handler = [this, tag] { BtnContainerClick(tag); };
        } else if (name == "BtnClear") {
            handler = [this] { BtnClearClick(); };
        } else if (name == "BtnOpen") {
            handler = [this] { BtnOpenClick(); };
        } else if (name == "BtnSave") {
            handler = [this] { BtnSaveClick(); };
        } else if (name == "BtnPrint") {
            handler = [this] {
                if (OnPrint) OnPrint();
            };
        } else if (name == "BtnDelete") {
            handler = [this] { BtnDeleteClick(); };
        }
        connect(button, &QToolButton::clicked, this, platform::Guarded([handler](bool) { handler(); }));
    }
}

void TVktPreview::UpdateButtons()
{
    const TContainer* selected = Preview->GetSelContainer();
    const bool intoData = selected && selected->GetType() >= ctVktBaseContainer;
    for (const TButtonRow& row : kButtons)
        if (row.Tag > ctVktBaseContainer)
            if (QToolButton* button = GetButton(row.Name)) button->setEnabled(intoData);
}

bool TVktPreview::GetToolBarVisible() const { return !ToolBar->isHidden(); }

void TVktPreview::SetToolBarVisible(bool visible) { ToolBar->setVisible(visible); }

// The property host joins the document as it stands, with the page of its selected item.
void TVktPreview::BuildItemProperty()
{
    if (ItemProperty) return;
    ItemProperty = new TVktItemPropertyEx(SplitterH);
    ItemProperty->setObjectName("VktItemPropertyEx");
    ItemProperty->setMinimumWidth(kMinPane);
    SplitterH->addWidget(ItemProperty);
    SplitterH->setStretchFactor(1, 1);
    SplitterH->setSizes({kItemTreeWidth, 400});
    ItemProperty->SetPreview(Preview);
}

TVktItemPropertyEx* TVktPreview::GetItemProperty() const
{
    // Building adds a child to the property area only; what the panel shows is unchanged.
    const_cast<TVktPreview*>(this)->BuildItemProperty();
    return ItemProperty;
}

QToolButton* TVktPreview::GetButton(const char* name) const
{
    return ToolBar->findChild<QToolButton*>(QString::fromLatin1(name));
}

int TVktPreview::GetRecordCount() const
{
    TViewItems* items = Preview->GetItems();
    for (int i = 0; i < items->GetCount(); ++i)
        if (const auto* top = dynamic_cast<const TVktTopContainer*>(ContainerOf(items->GetItem(i))))
            return top->GetRowCount();
    return 0;
}

void TVktPreview::SetFilter(const TFilterObject& filter)
{
    if (!GetVisible()) return;
    filter_ = filter;
    binding_->SetFilter(filter);
    Changed();
}

bool TVktPreview::GetPropertyVisible() const { return !Panel->isHidden(); }

void TVktPreview::SetPropertyVisible(bool visible)
{
    if (visible == GetPropertyVisible()) return;
    if (visible) BuildItemProperty();
    Panel->setVisible(visible);
    if (!visible) return;
    // The area comes back at its own height; the document keeps the rest.
    const int total = SplitterV->height() - SplitterV->handleWidth();
    const int lower = std::min(kPropertyHeight, std::max(kMinPane, total - kMinPane));
    SplitterV->setSizes({std::max(kMinPane, total - lower), lower});
}

void TVktPreview::setVisible(bool visible)
{
    TGuiPanel::setVisible(visible);
    binding_->SetShown(visible);
    Preview->viewport()->update();
    // The queued pass of the hidden time runs after this handler, joined by a filter it hands over.
    if (visible) QTimer::singleShot(0, this, [this] { Changed(); });
}

void TVktPreview::DoAttach()
{
    // Bound suspended: the DoUpdate that ends every binding lists them, once, with the filter
    // handed by then (an owner holding this panel's rebuild hands it the fresh one first).
    binding_->SetShown(false);
    binding_->Attach(GetVktObject());
}

void TVktPreview::DoDetach() { binding_->Detach(); }

void TVktPreview::DoUpdate()
{
    binding_->SetShown(GetVisible());
    binding_->Update();
}

// ---- tool bar ----------------------------------------------------------------------------------

void TVktPreview::BtnContainerClick(int type)
{
    if (type > ctVktBaseContainer) {
        const TContainer* selected = Preview->GetSelContainer();
        if (!selected || selected->GetType() < ctVktBaseContainer) return;
    }
    Preview->AddContainer(type);
}

void TVktPreview::BtnClearClick() { Preview->Clear(); }

void TVktPreview::BtnDeleteClick()
{
    if (TViewItem* item = Preview->GetSelected()) Preview->Delete(item);
}

void TVktPreview::BtnOpenClick()
{
    const auto chosen = platform::Services().OpenFile(std::string(), std::string(), openFileName_, openFileName_);
    if (!chosen) return;
    openFileName_ = *chosen;
    saveFileName_ = *chosen;
    LoadLayout(*chosen);
}

void TVktPreview::LoadLayout(const std::string& fileName)
{
    // Suspended while the items come in, so that the children of a database container do not
    // each ask it to list again.
    binding_->SetShown(false);
    try {
        Preview->LoadFromFile(fileName);
    } catch (...) {
        binding_->SetShown(GetVisible());
        Changed();
        throw;
    }
    binding_->SetShown(GetVisible());
    Changed();
}

void TVktPreview::BtnSaveClick()
{
    // The question below covers an existing file; the picker's own would ask twice.
    const auto chosen = platform::Services().SaveFile(std::string(), std::string(), saveFileName_, saveFileName_,
                                                      platform::OverwritePrompt::Allow);
    if (!chosen) return;
    const std::string name = LayoutFileName(*chosen);
    if (name != openFileName_ && platform::FileExists(name) &&
        platform::Services().MessageBox(kOverwriteText, kOverwriteCaption, platform::MsgIcon::Question,
                                        platform::MsgButtons::OkCancel,
                                        platform::MsgAnswer::Ok) != platform::MsgAnswer::Ok)
        return;
    openFileName_ = name;
    saveFileName_ = name;
    Preview->SaveToFile(name);
}
