#pragma once
// TLayoutPanel: the layout view of the main data panel: a plain layout document (A4, shown at the
// page's full width, item margins shown) on a data panel. Its report containers are bound to the
// panel's database and to the selection filter handed to it while it is shown; while it is hidden
// they only mark what they must list again, and showing lists once.
#include "data/Ufilterstruct.h"
#include "widgets/Fguipanel.h"

#include <memory>

class TPreview;
class TVktLayoutBinding;

class TLayoutPanel : public TGuiPanel {
    Q_OBJECT
public:
    explicit TLayoutPanel(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TLayoutPanel() override;

    TPreview* GetPreview() const { return preview_; }
    TVktLayoutBinding* GetBinding() const { return binding_.get(); }
    // Taken only while the panel is shown (a hidden panel keeps its filter).
    void SetFilter(const TFilterObject& filter);
    const TFilterObject& GetFilter() const { return filter_; }
    // The designer's property area does not exist yet: always hidden.
    bool GetPropertyVisible() const { return false; }
    void SetPropertyVisible(bool) {}

    void setVisible(bool visible) override;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void DoUpdate() override;

private:
    TPreview* preview_ = nullptr;
    std::unique_ptr<TVktLayoutBinding> binding_;
    TFilterObject filter_;
};
