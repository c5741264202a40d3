#pragma once
// The layout document: a page view whose every item carries one container (its content), made by
// type code. Types 1-7 are built in; an owner adds further types through five events. A layout is
// stored as a code page 932 XML file:
//
//   <PageScript Version="1.0">
//     <PageObject …page attributes…>
//       <Item …item attributes… Container="Text" …container attributes…> nested Items </Item>
//
// Observers register action notifiers (seven optional closures) and are told about changes of
// the item tree in registration order.
#include "layout/Pageview.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TContainer;
class TPreview;

class TPVActionNotifier : public TObject {
public:
    using ChangeViewEvent = std::function<void(TPreview* Sender)>;
    using AddItemEvent = std::function<void(TPreview* Sender, TViewItem* Parent, TViewItem* Item)>;
    using DeleteItemEvent = std::function<void(TPreview* Sender, TTreeItem* Item)>;
    using MoveItemEvent = std::function<void(TPreview* Sender, TTreeItem* Item, TTreeItem* Destination, int Mode)>;
    using SelChangeEvent = std::function<void(TPreview* Sender, TViewItem* Item, bool Selected)>;
    using ClearEvent = std::function<void(TPreview* Sender)>;
    using ChangeSelItemEvent = std::function<void(TPreview* Sender, TViewItem* Item)>;

    ChangeViewEvent ChangeView;
    AddItemEvent AddItem;
    DeleteItemEvent DeleteItem;
    MoveItemEvent MoveItem;
    SelChangeEvent SelChange;
    ClearEvent Clear;
    ChangeSelItemEvent ChangeSelItem;
};

class TPreview : public TPageView {
public:
    explicit TPreview(QWidget* owner = nullptr);
    ~TPreview() override;

    TPVActionNotifier* AddActionNotifier(TPVActionNotifier::ChangeViewEvent changeView,
                                         TPVActionNotifier::AddItemEvent addItem = {},
                                         TPVActionNotifier::DeleteItemEvent deleteItem = {},
                                         TPVActionNotifier::MoveItemEvent moveItem = {},
                                         TPVActionNotifier::SelChangeEvent selChange = {},
                                         TPVActionNotifier::ClearEvent clear = {},
                                         TPVActionNotifier::ChangeSelItemEvent changeSelItem = {});
    // Removes and destroys the notifier; an unknown one is ignored.
    void DeleteActionNotifier(TPVActionNotifier* notifier);
    int GetActionNotifyCount() const { return static_cast<int>(notifiers_.size()); }
    TPVActionNotifier* GetActionNotifier(int index) const;

    // A new item under the selected one (top level when none) carrying a new container of `type`.
    TViewItem* AddContainer(int type);
    TContainer* GetSelContainer() const;
    TContainer* GetContainerOfName(const std::string& name) const;
    std::string GetContainerCaption(int type);
    // The container type's caption, then the item's name.
    std::string ItemCaption(TViewItem* item) override;
    int ContainerTypeFromStr(const std::string& name);
    std::string ContainerTypeToStr(int type);
    TRect GetMMMargin_() const;
    void SetMMMargin_(TRect margin);

    // Failures are reported in a message box ("ファイル書き込みエラー", "ファイル読み込みエラー",
    // "ファイル解析エラー"); a failed save leaves the old file.
    void SaveToFile(const std::string& fileName);
    void LoadFromFile(const std::string& fileName);
    // The bytes SaveToFile writes for the layout as it is now.
    std::string SaveToBytes();

    void DoChangeView();

    std::function<void(TPreview* Sender, int Type, TContainer*& Container)> OnNewContainer;
    std::function<void(TPreview* Sender, TViewItem* Item, int Type, bool& Accept)> OnCanNewContainer;
    std::function<void(TPreview* Sender, int Type, std::string& Str)> OnContainerTypeToName;
    std::function<void(TPreview* Sender, int Type, std::string& Str)> OnGetContainerCaption;
    std::function<void(TPreview* Sender, const std::string& Str, int& Type)> OnContainerTypeFromName;

protected:
    void DoClear() override;
    void DoChangeItem() override;
    void DoChangeSelItem(TViewItem* item) override;
    void DoDeleteViewItem(TTreeItem* item) override;
    void DoMoveViewItem(TTreeItem* source, TTreeItem* target, int mode) override;
    void DoDrawViewItem(TViewItem* item, int offsetX, int offsetY, TRect drawRect, int scale,
                        platform::Canvas& canvas, int page, int pageMax, bool printer) override;
    void DoSaveXml(TViewItem* item, const platform::XmlNode& node) override;
    void DoLoadXml(TViewItem* item, const platform::XmlNode& node) override;
    void DoChange() override;
    void DoQueryPageMax(TViewItem* item, int& max) override;
    void DoChangeItemRect(TViewItem* item, TRect& rect, bool mm) override;
    void DoChangeSlaveRect(TViewItem* owner, TViewItem* slave, TRect& rect, bool mm) override;
    void DoChangeSelected(TViewItem* item, bool select) override;
    // The container's own changed areas where it knows them.
    void DoContentArea(TViewItem* item, TRect rect, int scale, std::vector<TRect>& areas) override;
    void DoPlayPictures(TViewItem* item, int page,
                        std::vector<std::shared_ptr<const platform::MetafilePlay>>& plays) override;

    virtual bool DoCanNewContainer(TViewItem* item, int type);
    virtual void DoNewContainer(int type, TContainer*& container);
    virtual void DoGetContainerCaption(int type, std::string& str);

private:
    // Calls `fire` with every notifier, by index up to the current count.
    void Notify(const std::function<void(TPVActionNotifier&)>& fire);

    std::vector<std::unique_ptr<TPVActionNotifier>> notifiers_;
};
