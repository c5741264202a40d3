#pragma once
// TMemoProperty: the memo container's page, tab "メモ": the rich text in an edit view with its
// style bar. A show loads the container's RTF only when the container changed since the page
// loaded or wrote it (its text stamp differs) and its RTF differs from the last one the page
// loaded; so a show after each keystroke leaves the view and its caret alone, and costs no writing
// of the memo as RTF, even where the memo's own writing of the text differs from the view's. The
// view's RTF is written only after the user changed the text in the view, so an apply for a move
// or a margin never replaces the stored memo with a re-serialization of it.
#include "reports/Fcontainerproperty.h"

#include <string>

class TExStyleBar;
class TExView;

class TMemoProperty : public TContainerProperty {
    Q_OBJECT
public:
    explicit TMemoProperty(QWidget* parent = nullptr);

    TExView* GetExView() const { return ExView; }

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The memo as the view writes it.
    std::string ViewRichText() const;
    void ExViewChange();

    TExStyleBar* ExStyleBar = nullptr;
    TExView* ExView = nullptr;

private:
    bool loading_ = false;
    bool edited_ = false;
    // The last RTF loaded into the view (empty after a write), and the text stamp of the memo the
    // view holds (0: none).
    std::string lastRichText_;
    int viewRevision_ = 0;
};
