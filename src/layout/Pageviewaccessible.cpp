#include "layout/Pageviewaccessible.h"

#include "gui/QtSupport.h"
#include "layout/Pageview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace {

// The view's selectable, shown items in tree order (the page and printable-area roots are the
// paper, not items).
std::vector<TViewItem*> ReadItems(const TPageView& view)
{
    std::vector<TViewItem*> items;
    const TViewItems* all = view.GetItems();
    for (int i = 0; i < all->GetCount(); ++i) {
        TViewItem* item = all->GetItem(i);
        if (item == all->GetPageRoot() || item == all->GetPrintRoot()) continue;
        if (item->GetOptions().Contains(voSelectable) && !item->GetOptions().Contains(voHidden)) items.push_back(item);
    }
    return items;
}

class TPageViewAccessible;

// One item, found again by its index on every call: items come and go with every edit of the
// layout, so no item is held.
class TPageItemAccessible : public QAccessibleInterface {
public:
    TPageItemAccessible(TPageView* view, int index) : view_(view), index_(index) {}

    bool isValid() const override { return Item() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        TViewItem* item = Item();
        if (!item || t != QAccessible::Name) return {};
        return platform::ToQString(view_->ItemCaption(item));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const TViewItem* item = Item();
        if (!item) return {};
        const QRect local = platform::ToQRect(view_->ItemScreenRect(item));
        return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Graphic; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const TViewItem* item = Item();
        if (!item) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.selected = item->GetSelected();
        s.focused = s.selected && view_->hasFocus();
        return s;
    }

    int Index() const { return index_; }

private:
    TViewItem* Item() const
    {
        if (!view_) return nullptr;
        const std::vector<TViewItem*> items = ReadItems(*view_);
        return index_ < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(index_)] : nullptr;
    }

    QPointer<TPageView> view_;
    int index_;
};

class TPageViewAccessible : public QAccessibleWidget {
public:
    explicit TPageViewAccessible(TPageView* view) : QAccessibleWidget(view, QAccessible::Canvas) {}

    int childCount() const override { return static_cast<int>(ReadItems(*View()).size()); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount()) return nullptr;
        while (static_cast<int>(children_.size()) <= index) {
            auto* item = new TPageItemAccessible(View(), static_cast<int>(children_.size()));
            children_.push_back(QAccessible::registerAccessibleInterface(item));
        }
        return QAccessible::accessibleInterface(children_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (std::size_t i = 0; i < children_.size(); ++i)
            if (QAccessible::accessibleInterface(children_[i]) == child) return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* focusChild() const override
    {
        const std::vector<TViewItem*> items = ReadItems(*View());
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i]->GetSelected()) return child(static_cast<int>(i));
        return nullptr;
    }

private:
    TPageView* View() const { return static_cast<TPageView*>(widget()); }
    // The items' interfaces, made when first asked for. Qt's registry owns them and deletes them
    // when the application ends (the bridge may hold their ids): they outlive the view and then
    // read as invalid.
    mutable std::vector<QAccessible::Id> children_;
};

QAccessibleInterface* PageViewFactory(const QString& className, QObject* object)
{
    // The view has no meta-object of its own: it is known by its type.
    if (className != QLatin1String("TScrollCanvas") || !object) return nullptr;
    auto* view = dynamic_cast<TPageView*>(object);
    return view ? new TPageViewAccessible(view) : nullptr;
}

} // namespace

void InstallPageViewAccessible()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(PageViewFactory);
}

void AnnounceSelectedItem(TPageView* view, TViewItem* item)
{
    if (!QAccessible::isActive()) return;
    const std::vector<TViewItem*> items = ReadItems(*view);
    const auto at = std::find(items.begin(), items.end(), item);
    if (at == items.end()) return;
    QAccessibleEvent selected(view, view->hasFocus() ? QAccessible::Focus : QAccessible::Selection);
    selected.setChild(static_cast<int>(at - items.begin()));
    QAccessible::updateAccessibility(&selected);
}
