#pragma once
// TDataViewer: the data screen: the record list above and, while a record is open, the record
// editor below it, with an 8-pixel splitter between. The editor and its splitter handle show
// only while a record is open; purging that record or unbinding closes it. The editor keeps its
// height (218 at first) while closed and opens at it again. The editor is built the first time it
// opens or is asked for; hooks given to WhenEditorBuilt run on it then.
#include "widgets/Fguipanel.h"

#include <functional>
#include <vector>

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
    // Builds the editor if it is not built yet.
    TDataEditor* GetDataEditor() const;
    // The editor, or null while it is not built.
    TDataEditor* FindDataEditor() const { return dataEditor_; }
    // Runs `hook` on the editor at once if it is built, else right after it is built.
    void WhenEditorBuilt(std::function<void(TDataEditor* Editor)> hook);
    QSplitter* GetSplitter() const { return splitter_; }

    std::function<void(TDataViewer* Sender)> OnEditorChange;

protected:
    void DoDetach() override;

private:
    void ApplyEditorHeight();
    void BuildEditor();

    int editorHeight_ = 218;
    QSplitter* splitter_ = nullptr;
    TDataView* dataView_ = nullptr;
    TDataEditor* dataEditor_ = nullptr;
    std::vector<std::function<void(TDataEditor*)>> builtHooks_;
};
