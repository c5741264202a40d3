#pragma once
// The page view as a screen reader reads it: a canvas whose children are its selectable items,
// each named by TPageView::ItemCaption, with its place on the screen and its selection.

class TPageView;
class TViewItem;

// Installs the view's interface factory once.
void InstallPageViewAccessible();
// Tells an active screen reader that `item` of `view` is selected (and has the focus when the
// view has it).
void AnnounceSelectedItem(TPageView* view, TViewItem* item);
