#include "gui/TabFocus.h"

#include <QEvent>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// The bar's own button that shows the buttons it has no room for (made before them).
QToolButton* Extension(const QToolBar& bar)
{
    return bar.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"), Qt::FindDirectChildrenOnly);
}

// Takes the focus by Tab; the bar's extension button stays after it, as the eye reads the bar.
void TakeTabFocus(QToolBar& bar, QToolButton& button)
{
    button.setFocusPolicy(Qt::TabFocus);
    QToolButton* extension = Extension(bar);
    if (!extension || extension == &button) return;
    extension->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(&button, extension);
}

// Gives the buttons the bar makes later the focus: the bar makes each without focus, before the
// button is polished.
class TabFocusFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished)
            if (auto* button = qobject_cast<QToolButton*>(static_cast<QChildEvent*>(event)->child()))
                TakeTabFocus(*static_cast<QToolBar*>(watched), *button);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TabFocusButtons(QToolBar& bar)
{
    for (QToolButton* button : bar.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) TakeTabFocus(bar, *button);
    bar.installEventFilter(new TabFocusFilter(&bar));
}

namespace {

// Whether `w` is one of the widgets or within one.
bool AmongOrWithin(const std::vector<QWidget*>& widgets, const QWidget* w)
{
    return std::any_of(widgets.begin(), widgets.end(),
                       [w](const QWidget* m) { return m && (m == w || m->isAncestorOf(w)); });
}

// A compound whose field (its focus proxy within it) takes the focus for it.
bool Compound(const QWidget* w)
{
    return w->focusPolicy() == Qt::NoFocus && w->focusProxy() && w->isAncestorOf(w->focusProxy());
}

// What stands for `w` in a chain: itself when it or its field takes the focus; else its focus
// proxy, or else the controls within it in their order.
void AddLinks(QWidget* w, std::vector<QWidget*>& links)
{
    while (w->focusPolicy() == Qt::NoFocus && w->focusProxy() && !Compound(w)) w = w->focusProxy();
    if (w->focusPolicy() != Qt::NoFocus || Compound(w)) {
        links.push_back(w);
        return;
    }
    for (QWidget* inner = w->nextInFocusChain(); inner != w; inner = inner->nextInFocusChain())
        if (inner->focusPolicy() != Qt::NoFocus && w->isAncestorOf(inner)) links.push_back(inner);
}

// setTabOrder moves only widgets that take the focus; Qt's Tab still stops where a compound
// stands (on its field), so a compound lends its field's policy for the move and moves with it.
void Link(QWidget* first, QWidget* second)
{
    std::vector<std::pair<QWidget*, Qt::FocusPolicy>> lent;   // each compound, its field's policy
    for (QWidget* w : {first, second})
        if (Compound(w)) {
            lent.emplace_back(w, w->focusProxy()->focusPolicy());
            w->setFocusPolicy(lent.back().second);
        }
    QWidget::setTabOrder(first, second);
    for (auto [compound, policy] : lent) {
        compound->setFocusPolicy(Qt::NoFocus);
        compound->focusProxy()->setFocusPolicy(policy);   // Qt passes a proxied policy on to the field
    }
}

} // namespace

void TabChain(const std::vector<QWidget*>& widgets)
{
    std::vector<QWidget*> links;
    for (QWidget* w : widgets)
        if (w) AddLinks(w, links);
    for (std::size_t i = 1; i < links.size(); ++i) Link(links[i - 1], links[i]);
}

void TabChainBefore(QWidget& next, const std::vector<QWidget*>& widgets)
{
    // The control before `next` stays where it is; the widgets follow it, then `next`.
    QWidget* previous = next.previousInFocusChain();
    while (previous != &next && (previous->focusPolicy() == Qt::NoFocus || AmongOrWithin(widgets, previous)))
        previous = previous->previousInFocusChain();
    std::vector<QWidget*> chain{previous == &next ? nullptr : previous};
    chain.insert(chain.end(), widgets.begin(), widgets.end());
    chain.push_back(&next);
    TabChain(chain);
}

void TabChainLast(QWidget& window, const std::vector<QWidget*>& row)
{
    const auto takesTab = [&](const QWidget* w) {
        return (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&window) && w->isEnabledTo(&window);
    };
    // The chain is a ring through the window: the controls after it, up to the row, are read first.
    QWidget* last = nullptr;
    QWidget* first = nullptr;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() == Qt::NoFocus || !window.isAncestorOf(w) || AmongOrWithin(row, w)) continue;
        last = w;
        if (!first && takesTab(w)) first = w;
    }
    std::vector<QWidget*> chain{last};
    chain.insert(chain.end(), row.begin(), row.end());
    TabChain(chain);
    // The ring's order is set; where the window enters it is not (setTabOrder keeps the window's
    // place), so the first control is focused by name.
    if (!first)
        for (QWidget* w : row)
            if (w && takesTab(w)) {
                first = w;
                break;
            }
    if (first && !window.focusWidget()) first->setFocus(Qt::OtherFocusReason);
}

} // namespace platform
