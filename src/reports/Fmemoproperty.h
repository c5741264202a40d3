#pragma once
// TMemoProperty: the memo container's page, tab "メモ": the rich text in an edit view with its
// style bar. The container's RTF is loaded only when it differs from the last one the page knows
// (the one it loaded, or the container's own writing of what the page wrote into it, which may
// differ from the view's), so a show after each keystroke leaves the view and its caret alone. The
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
    std::string lastRichText_;
};
