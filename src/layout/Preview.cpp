#include "layout/Preview.h"

#include "gui/Services.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ucontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Umemocontainer.h"
#include "layout/Utextcontainer.h"

#include <algorithm>
#include <array>

namespace {

struct BuiltIn {
    const char* name;
    const char* caption;
};

// In code order from ctContainer.
constexpr std::array<BuiltIn, 7> kBuiltIns{{{"Container", "コンテナ"},
                                            {"Text", "テキスト"},
                                            {"Memo", "メモ"},
                                            {"Graphic", "グラフィック"},
                                            {"Image", "イメージ"},
                                            {"Grid", "グリッド"},
                                            {"Chart", "グラフ"}}};

bool IsBuiltIn(int type) { return type >= ctContainer && type <= ctChart; }

void ShowFileError(const char* text)
{
    platform::Services().MessageBox(text, "エラー", platform::MsgIcon::Stop, platform::MsgButtons::Ok,
                                    platform::MsgAnswer::Ok);
}

} // namespace

TPreview::TPreview(QWidget* owner) : TPageView(owner) {}

TPreview::~TPreview() = default;

// ---- notifiers -----------------------------------------------------------------------------------

TPVActionNotifier* TPreview::AddActionNotifier(TPVActionNotifier::ChangeViewEvent changeView,
                                               TPVActionNotifier::AddItemEvent addItem,
                                               TPVActionNotifier::DeleteItemEvent deleteItem,
                                               TPVActionNotifier::MoveItemEvent moveItem,
                                               TPVActionNotifier::SelChangeEvent selChange,
                                               TPVActionNotifier::ClearEvent clear,
                                               TPVActionNotifier::ChangeSelItemEvent changeSelItem)
{
    auto notifier = std::make_unique<TPVActionNotifier>();
    notifier->ChangeView = std::move(changeView);
    notifier->AddItem = std::move(addItem);
    notifier->DeleteItem = std::move(deleteItem);
    notifier->MoveItem = std::move(moveItem);
    notifier->SelChange = std::move(selChange);
    notifier->Clear = std::move(clear);
    notifier->ChangeSelItem = std::move(changeSelItem);
    notifiers_.push_back(std::move(notifier));
    return notifiers_.back().get();
}

void TPreview::DeleteActionNotifier(TPVActionNotifier* notifier)
{
    const auto it = std::find_if(notifiers_.begin(), notifiers_.end(),
                                 [notifier](const auto& own) { return own.get() == notifier; });
    if (it != notifiers_.end())
        notifiers_.erase(it);
}

TPVActionNotifier* TPreview::GetActionNotifier(int index) const
{
    if (index < 0 || index >= GetActionNotifyCount())
        platform::RaiseListIndex(index);
    return notifiers_[static_cast<std::size_t>(index)].get();
}

void TPreview::Notify(const std::function<void(TPVActionNotifier&)>& fire)
{
    for (std::size_t i = 0; i < notifiers_.size(); ++i)
        fire(*notifiers_[i]);
}

void TPreview::DoChangeView()
{
    Notify([this](TPVActionNotifier& n) {
        if (n.ChangeView)
            n.ChangeView(this);
    });
}

// ---- containers ----------------------------------------------------------------------------------

TViewItem* TPreview::AddContainer(int type)
{
    TContainer* container = nullptr;
    DoNewContainer(type, container);
    if (!container)
        return nullptr;
    TViewItem* parent = GetSelected();
    TViewItem* item = AddItem(parent, container);
    container->SetViewItem(item);
    if (parent)
        container->SetParentFont(true);
    SetSelected(item);
    Notify([&](TPVActionNotifier& n) {
        if (n.AddItem)
            n.AddItem(this, parent, item);
    });
    return item;
}

TContainer* TPreview::GetSelContainer() const { return ContainerOf(GetSelected()); }

TContainer* TPreview::GetContainerOfName(const std::string& name) const
{
    return ContainerOf(GetItems()->ItemOfName(name));
}

std::string TPreview::GetContainerCaption(int type)
{
    std::string caption;
    DoGetContainerCaption(type, caption);
    return caption;
}

std::string TPreview::ItemCaption(TViewItem* item)
{
    const TContainer* container = ContainerOf(item);
    const std::string caption = container ? GetContainerCaption(container->GetType()) : std::string();
    const std::string name = item->GetName();
    if (caption.empty() || name.empty()) return caption + name;
    return caption + " " + name;
}

int TPreview::ContainerTypeFromStr(const std::string& name)
{
    for (std::size_t i = 0; i < kBuiltIns.size(); ++i)
        if (name == kBuiltIns[i].name)
            return static_cast<int>(i) + ctContainer;
    int type = ctUnknown;
    if (OnContainerTypeFromName)
        OnContainerTypeFromName(this, name, type);
    return type;
}

std::string TPreview::ContainerTypeToStr(int type)
{
    if (IsBuiltIn(type))
        return kBuiltIns[static_cast<std::size_t>(type - ctContainer)].name;
    std::string name;
    if (OnContainerTypeToName)
        OnContainerTypeToName(this, type, name);
    return name;
}

TRect TPreview::GetMMMargin_() const { return GetItems()->GetPageRoot()->GetMMMarginRect_(); }

void TPreview::SetMMMargin_(TRect margin) { GetItems()->GetPageRoot()->SetMMMarginRect_(margin); }

bool TPreview::DoCanNewContainer(TViewItem* item, int type)
{
    bool accept = true;
    if (OnCanNewContainer)
        OnCanNewContainer(this, item, type, accept);
    return accept;
}

void TPreview::DoNewContainer(int type, TContainer*& container)
{
    switch (type) {
    case ctContainer: container = new TContainer(); return;
    case ctText: container = new TTextContainer(); return;
    case ctMemo: container = new TMemoContainer(); return;
    case ctGraphic: container = new TGraphicContainer(); return;
    case ctImage: container = new TImageContainer(); return;
    case ctGrid: container = new TGridContainer(); return;
    case ctChart: container = new TChartContainer(); return;
    default: break;
    }
    if (OnNewContainer)
        OnNewContainer(this, type, container);
    if (!container)
        container = new TNullContainer();
}

void TPreview::DoGetContainerCaption(int type, std::string& str)
{
    if (IsBuiltIn(type)) {
        str = kBuiltIns[static_cast<std::size_t>(type - ctContainer)].caption;
        return;
    }
    if (OnGetContainerCaption)
        OnGetContainerCaption(this, type, str);
    if (str.empty())
        str = "形式不明";
}

// ---- page view operations ------------------------------------------------------------------------

void TPreview::DoClear()
{
    TPageView::DoClear();
    SetModified(false);
    Notify([this](TPVActionNotifier& n) {
        if (n.Clear)
            n.Clear(this);
    });
}

void TPreview::DoChangeItem()
{
    TPageView::DoChangeItem();
    DoChange();
}

void TPreview::DoChangeSelItem(TViewItem* item)
{
    TPageView::DoChangeSelItem(item);
    Notify([&](TPVActionNotifier& n) {
        if (n.ChangeSelItem)
            n.ChangeSelItem(this, item);
    });
}

void TPreview::DoDeleteViewItem(TTreeItem* item)
{
    TPageView::DoDeleteViewItem(item);
    Notify([&](TPVActionNotifier& n) {
        if (n.DeleteItem)
            n.DeleteItem(this, item);
    });
}

void TPreview::DoMoveViewItem(TTreeItem* source, TTreeItem* target, int mode)
{
    TPageView::DoMoveViewItem(source, target, mode);
    Notify([&](TPVActionNotifier& n) {
        if (n.MoveItem)
            n.MoveItem(this, source, target, mode);
    });
}

void TPreview::DoDrawViewItem(TViewItem* item, int offsetX, int offsetY, TRect drawRect, int scale,
                              platform::Canvas& canvas, int page, int pageMax, bool printer)
{
    TContainer* container = ContainerOf(item);
    if (!container || !container->GetViewItem())
        return;
    platform::CanvasState state(canvas);
    canvas.IntersectClip({drawRect.Left + offsetX, drawRect.Top + offsetY, drawRect.Right + offsetX,
                          drawRect.Bottom + offsetY});
    container->Draw(offsetX, offsetY, drawRect, scale, canvas, page, pageMax, printer);
}

void TPreview::DoSaveXml(TViewItem* item, const platform::XmlNode& node)
{
    TContainer* container = ContainerOf(item);
    if (!container)
        return;
    if (container->GetType() != ctUnknown)
        node.SetAttribute("Container", ContainerTypeToStr(container->GetType()));
    container->SaveToXml(node);
}

void TPreview::DoLoadXml(TViewItem* item, const platform::XmlNode& node)
{
    const int type = ContainerTypeFromStr(node.GetAttribute("Container"));
    if (!DoCanNewContainer(item, type))
        platform::Abort();
    TContainer* container = nullptr;
    DoNewContainer(type, container);
    if (!container)
        return;
    item->SetObject(container);
    container->SetLoading(true);
    container->SetViewItem(item);
    container->LoadFromXml(node);
    container->SetLoading(false);
    TViewItem* parent = item->GetLevel() >= 2 ? item->GetParent() : nullptr;
    Notify([&](TPVActionNotifier& n) {
        if (n.AddItem)
            n.AddItem(this, parent, item);
    });
}

void TPreview::DoChange()
{
    DoChangeView();
    TPageView::DoChange();
}

void TPreview::DoContentArea(TViewItem* item, TRect rect, int scale, std::vector<TRect>& areas)
{
    TContainer* container = ContainerOf(item);
    if (!container || !container->ChangedAreas(rect, scale, GetPage(), areas))
        TPageView::DoContentArea(item, rect, scale, areas);
}

void TPreview::DoPlayPictures(TViewItem* item, int page,
                              std::vector<std::shared_ptr<const platform::MetafilePlay>>& plays)
{
    if (TContainer* container = ContainerOf(item))
        container->PlayPictures(page, plays);
}

void TPreview::DoQueryPageMax(TViewItem* item, int& max)
{
    if (TContainer* container = ContainerOf(item))
        max = container->GetPageMax();
}

void TPreview::DoChangeItemRect(TViewItem* item, TRect& rect, bool mm)
{
    if (TContainer* container = ContainerOf(item))
        container->ChangeRect(rect, mm);
    TPageView::DoChangeItemRect(item, rect, mm);
}

void TPreview::DoChangeSlaveRect(TViewItem* owner, TViewItem* slave, TRect& rect, bool mm)
{
    TContainer* container = ContainerOf(owner);
    if (container && ContainerOf(slave))
        container->ChangeSlaveRect(slave, rect, mm);
    TPageView::DoChangeSlaveRect(owner, slave, rect, mm);
}

void TPreview::DoChangeSelected(TViewItem* item, bool select)
{
    Notify([&](TPVActionNotifier& n) {
        if (n.SelChange)
            n.SelChange(this, item, select);
    });
    TPageView::DoChangeSelected(item, select);
}

// ---- layout file ---------------------------------------------------------------------------------

namespace {

// The layout file's document of the page view.
void MakeLayoutDocument(TPageView& view, platform::XmlDocument& doc)
{
    doc.SetEncoding("Shift-JIS");
    const platform::XmlNode root = doc.CreateDocumentElement("PageScript");
    root.SetAttribute("Version", "1.0");
    view.SaveToXml(root);
}

} // namespace

std::string TPreview::SaveToBytes()
{
    platform::XmlDocument doc;
    MakeLayoutDocument(*this, doc);
    return doc.SaveToBytes();
}

void TPreview::SaveToFile(const std::string& fileName)
{
    try {
        platform::XmlDocument doc;
        MakeLayoutDocument(*this, doc);
        doc.SaveToFile(fileName, platform::XmlEncoding::ShiftJis);
        SetModified(false);
    } catch (const std::exception&) {
        ShowFileError("ファイル書き込みエラー");
    }
}

void TPreview::LoadFromFile(const std::string& fileName)
{
    platform::XmlDocument doc;
    try {
        doc.LoadFromFile(fileName);
    } catch (const std::exception&) {
        ShowFileError("ファイル読み込みエラー");
        return;
    }
    try {
        Clear();
        LoadFromXml(doc.GetDocumentElement());
        DoChangeView();
        SetModified(false);
    } catch (const std::exception&) {
        ShowFileError("ファイル解析エラー");
    }
}
