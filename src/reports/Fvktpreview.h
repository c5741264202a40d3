#pragma once
// TVktPreview: the layout designer of the main window. A layout document (page width, item margins
// shown) bound to the panel's database through TVktLayoutBinding, with a property area below it:
// the item tree and the property pages of the selected item, in a pane hidden at start (the pages'
// host is built the first time the pane shows or the host is asked for). Above the document, the
// tool bar (hidden until the main window shows it): clear, open, save, print and delete, one
// button per container type, and in a second row the database group and the templates. The data
// containers' buttons (types 12-17) are enabled only while a database or data container is
// selected, as only then do they add anything.
//
// While hidden the database containers only mark what they must list again; showing lists each
// once, joined by the filter handed over when the panel is shown.
#include "data/Ufilterstruct.h"
#include "widgets/Fguipanel.h"

#include <functional>
#include <memory>
#include <string>

class QSplitter;
class QToolButton;
class TPreview;
class TPreviewItemOperator;
class TVktItemPropertyEx;
class TVktLayoutBinding;

class TVktPreview : public TGuiPanel {
    Q_OBJECT
public:
    static constexpr int kPropertyHeight = 206;
    static constexpr int kItemTreeWidth = 193;
    static constexpr int kSplitterHandle = 6;
    static constexpr int kMinPane = 4;
    static constexpr const char* kOverwriteText = "同名のファイルがすでに存在します。ファイルを上書きしますか？";
    static constexpr const char* kOverwriteCaption = "ファイル上書き確認";

    explicit TVktPreview(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TVktPreview() override;

    TPreview* GetPreview() const { return Preview; }
    TVktLayoutBinding* GetBinding() const { return binding_.get(); }
    TPreviewItemOperator* GetItemOperator() const { return PreviewItemOperator; }
    // Builds the property host if it is not built yet.
    TVktItemPropertyEx* GetItemProperty() const;
    // The tool bar: its two rows.
    QWidget* GetToolBar() const { return ToolBar; }
    bool GetToolBarVisible() const;
    void SetToolBarVisible(bool visible);
    // The vertical splitter (document above, property area below) and the property area's own.
    QSplitter* GetSplitterV() const { return SplitterV; }
    QSplitter* GetSplitterH() const { return SplitterH; }
    QWidget* GetPropertyPanel() const { return Panel; }
    // A tool button by object name ("BtnOpen", "BtnVktField", …); null when there is none.
    QToolButton* GetButton(const char* name) const;

    // The records the report lists: those of the layout's first database container (0 without one).
    int GetRecordCount() const;

    // Taken only while the panel is shown (a hidden panel keeps its filter).
    void SetFilter(const TFilterObject& filter);
    const TFilterObject& GetFilter() const { return filter_; }
    bool GetPropertyVisible() const;
    void SetPropertyVisible(bool visible);

    // Loads a layout file: its database containers list once each when the whole layout is in
    // (while the panel shows; else when it is shown).
    void LoadLayout(const std::string& fileName);

    // The names the pickers start from: the last file opened, and the last saved or opened.
    const std::string& GetOpenFileName() const { return openFileName_; }
    const std::string& GetSaveFileName() const { return saveFileName_; }

    // Tool bar handlers.
    // A container of the type under the selected item (top level when none); the database group's
    // data containers only under a database or data container.
    void BtnContainerClick(int type);
    void BtnClearClick();
    void BtnDeleteClick();
    void BtnOpenClick();
    // Saves as ".xml"; another existing file than the one opened is overwritten only when the user
    // agrees.
    void BtnSaveClick();

    void setVisible(bool visible) override;

    // Runs the print button (the main window prints the shown layout).
    std::function<void()> OnPrint;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void DoUpdate() override;

private:
    void BuildToolBar();
    void BuildItemProperty();
    // Enables the data containers' buttons by the selection.
    void UpdateButtons();

    QWidget* ToolBar = nullptr;
    TPreview* Preview = nullptr;
    QSplitter* SplitterV = nullptr;
    QWidget* Panel = nullptr;
    QSplitter* SplitterH = nullptr;
    TPreviewItemOperator* PreviewItemOperator = nullptr;
    TVktItemPropertyEx* ItemProperty = nullptr;
    std::unique_ptr<TVktLayoutBinding> binding_;
    TFilterObject filter_;
    std::string openFileName_;
    std::string saveFileName_;
};

// The name a layout is saved under: ".xml" in place of the last suffix, or appended without one.
std::string LayoutFileName(const std::string& chosen);
