#pragma once
// TDataViewer: the data screen: the record list above and, while a record is open, the record
// editor below it, with an 8-pixel splitter between. The editor and its splitter handle show
// only while a record is open; purging that record or unbinding closes it. The editor keeps its
// height (218 at first) while closed and opens at it again.
#include "widgets/Fguipanel.h"

#include <functional>

class QSplitter;
class TDataEditor;
class TDataView;

class TDataViewer : public TGuiPanel {
    Q_OBJECT
public:
    explicit TDataViewer(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TDataViewer() override;

    // Opens record `id` in the editor; 0 closes it.
    void EditData(int id);
    void ShowEditor(bool show);
    bool IsEditorShown() const;
    // Height of the record editor: applied at once while it is open, else when it opens.
    int GetEditorHeight() const;
    void SetEditorHeight(int height);
    // Shows or hides the screen only (no rebuild).
    void SetVisible(bool visible) { setVisible(visible); }

    TDataView* GetDataView() const { return dataView_; }
    TDataEditor* GetDataEditor() const { return dataEditor_; }
    QSplitter* GetSplitter() const { return splitter_; }

    std::function<void(TDataViewer* Sender)> OnEditorChange;

protected:
    void DoDetach() override;

private:
    void ApplyEditorHeight();

    int editorHeight_ = 218;
    QSplitter* splitter_ = nullptr;
    TDataView* dataView_ = nullptr;
    TDataEditor* dataEditor_ = nullptr;
};
