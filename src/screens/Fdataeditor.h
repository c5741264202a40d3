#pragma once
// TDataEditor: the record editor: the kernel panel and the detail panel, either side by side (the
// kernel panel on the left at the width last set with the splitter) or compact (the kernel panel
// in the detail panel's tab "詳細"). Both panels are registered with the editor, so binding follows
// the editor whichever Qt parent the kernel panel has; the editor takes the kernel panel back
// before the detail panel goes.
#include "widgets/Fguipanel.h"

#include <functional>

class QSplitter;
class TDetailEditPanel;
class TKernelEditPanel;

class TDataEditor : public TGuiPanel {
    Q_OBJECT
public:
    explicit TDataEditor(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TDataEditor() override;

    // Shows record `id` in both panels (0 clears).
    void SetData(int id);
    int GetDataID() const;
    int GetClassType() const;
    // An edit not yet applied in either panel.
    bool IsEditing() const;
    bool GetCompact() const { return compact_; }
    void ShowCompact();
    void ShowSideBySide();
    int GetKernelWidth() const { return kernelWidth_; }

    TKernelEditPanel* GetKernelEditPanel() const { return kernel_; }
    TDetailEditPanel* GetDetailEditPanel() const { return detail_; }
    QSplitter* GetSplitter() const { return splitter_; }

    std::function<void(TDataEditor* Sender)> OnModifiedChange;

private:
    void UpdateLayout();
    void KernelEditPanelBtnShowClick();
    void SplitterMoved();

    QSplitter* splitter_ = nullptr;
    TKernelEditPanel* kernel_ = nullptr;
    TDetailEditPanel* detail_ = nullptr;
    bool compact_ = false;
    bool inLayout_ = false;
    int kernelWidth_ = 329;
};
