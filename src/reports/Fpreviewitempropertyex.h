#pragma once
// TPreviewItemPropertyEx: the property page of what is selected in a layout document. With
// nothing selected it shows the page settings; with an item selected, the page of its container's
// type, made on first use and kept (the same object serves every item of that type). Selection
// notices show the document's selected item; a notice arriving while the shown page writes into
// its item shows the item again once the write has ended.
#include "layout/Preview.h"

#include <QFrame>
#include <QPointer>

#include <array>

class TContainerProperty;
class TPreviewProperty;

class TPreviewItemPropertyEx : public QFrame {
    Q_OBJECT
public:
    explicit TPreviewItemPropertyEx(QWidget* parent = nullptr);
    ~TPreviewItemPropertyEx() override;

    void SetPreview(TPreview* preview);
    TPreview* GetPreview() const { return preview_; }
    // Shows the page for the item (the page settings for none).
    void ShowItem(TViewItem* item);

    TPreviewProperty* GetPreviewProperty() const { return PreviewProperty; }
    // The page shown; null while the page settings are.
    TContainerProperty* GetCurrentPage() const { return current_; }
    TViewItem* GetCurrentItem() const { return item_; }

protected:
    // The page of a type code, made on first use; null for a code without a page. Hosts of
    // further types override it and call this one for the others.
    virtual TContainerProperty* GetPage(int type);
    // Takes a page made by GetPage into the host (hidden, first tab).
    TContainerProperty* Adopt(TContainerProperty* page);

    TPreviewProperty* PreviewProperty = nullptr;

private:
    QPointer<TPreview> preview_;
    TPVActionNotifier* notifier_ = nullptr;
    TContainerProperty* current_ = nullptr;
    TViewItem* item_ = nullptr;
    std::array<TContainerProperty*, 8> pages_{};
};
