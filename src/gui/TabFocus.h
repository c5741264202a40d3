#pragma once
// Keyboard reach of tool bars.

class QToolBar;

namespace platform {

// The bar's buttons, those it has and those it makes later, take the focus by Tab as other buttons
// do (a tool bar's own buttons take none), so each command of the bar is reached by keys.
void TabFocusButtons(QToolBar& bar);

} // namespace platform
