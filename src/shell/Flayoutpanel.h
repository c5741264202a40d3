#pragma once
// TLayoutPanel: the layout view of the main data panel: a plain layout document (A4, shown at the
// page's full width, item margins shown) on a data panel. It keeps the selection filter handed to it.
#include "data/Ufilterstruct.h"
#include "widgets/Fguipanel.h"

class TPreview;

class TLayoutPanel : public TGuiPanel {
    Q_OBJECT
public:
    explicit TLayoutPanel(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TLayoutPanel() override;

    TPreview* GetPreview() const { return preview_; }
    void SetFilter(const TFilterObject& filter) { filter_ = filter; }
    const TFilterObject& GetFilter() const { return filter_; }
    // The designer's property area does not exist yet: always hidden.
    bool GetPropertyVisible() const { return false; }
    void SetPropertyVisible(bool) {}

private:
    TPreview* preview_ = nullptr;
    TFilterObject filter_;
};
