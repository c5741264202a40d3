#pragma once
// Keyboard reach of tool bars, and Tab chains in the order the eye reads a form.

#include <vector>

class QToolBar;
class QWidget;

namespace platform {

// The bar's buttons, those it has and those it makes later, take the focus by Tab as other buttons
// do (a tool bar's own buttons take none), so each command of the bar is reached by keys.
void TabFocusButtons(QToolBar& bar);

// Chains the widgets for Tab in the order given; null ones are skipped. One without a focus of
// its own stands for its focus proxy, or else for the controls within it in their order.
void TabChain(const std::vector<QWidget*>& widgets);

// Moves the widgets (as TabChain takes them) to just before `next` in the Tab chain, in the order
// given.
void TabChainBefore(QWidget& next, const std::vector<QWidget*>& widgets);

// Moves `row` (null ones skipped) to the end of the Tab chain of `window`, in the order given,
// after every other control of the window; unless the window has a focus widget already, it
// focuses its first control that takes Tab, the row's only when there is no other.
void TabChainLast(QWidget& window, const std::vector<QWidget*>& row);

} // namespace platform
