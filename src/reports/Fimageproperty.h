#pragma once
// TImageProperty: the image container's page. Tab "テキストとイメージスタイル" adds to the font tab
// the file-name caption, the draw style, the cell counts, transparency and trimming; tab "イメージ"
// lists the pictures with the picture of the selected one and tools to add, delete, save, turn,
// mirror and reorder them. Picture operations change the container directly.
#include "reports/Ffontproperty.h"

#include <string>
#include <vector>

class QAction;
class QComboBox;
class QListWidget;
class QSplitter;
class QToolBar;
class TImageView;

class TImageProperty : public TFontProperty {
    Q_OBJECT
public:
    static constexpr const char* kPictureFilter =
        "すべてのファイル (*.jpg;*.jpeg;*.bmp;*.emf)|*.jpg;*.jpeg;*.bmp;*.emf|JPEG イメージファイル (*.jpg)|*.jpg|"
        "JPEG イメージファイル (*.jpeg)|*.jpeg|ビットマップ (*.bmp)|*.bmp|エンハンス メタファイル (*.emf)|*.emf";

    explicit TImageProperty(QWidget* parent = nullptr);

    void SetViewItem(TViewItem* item) override;
    QListWidget* GetFileList() const { return FileList; }
    TImageView* GetImageView() const { return ImageView; }

    // Handlers.
    void BtnLoadClick();
    void BtnClearClick();
    void BtnSaveClick();
    void FileListClick();
    void BtnItemUpClick();
    void BtnItemDownClick();
    void BtnRotateClick(bool left);
    void BtnReverseClick(bool vertical);

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The picture files the user chose, in the order given (none when cancelled).
    virtual std::vector<std::string> PickPictures();
    // The list from the container's file names, the row selected.
    void FillList(int select);
    void ShowPicture();
    void EnableTools();

    QCheckBox* CBDrawName = nullptr;
    QComboBox* DrawTypeList = nullptr;
    TUpDownEdit* ColCountEdit = nullptr;
    TUpDownEdit* RowCountEdit = nullptr;
    QCheckBox* CBTransparent = nullptr;
    QCheckBox* CBTrimming = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* BtnClear = nullptr;
    QAction* BtnOpen = nullptr;
    QAction* BtnSave = nullptr;
    QAction* BtnRightRotate = nullptr;
    QAction* BtnLeftRotate = nullptr;
    QAction* BtnHorzReverse = nullptr;
    QAction* BtnVertReverse = nullptr;
    QAction* BtnItemUp = nullptr;
    QAction* BtnItemDown = nullptr;
    QListWidget* FileList = nullptr;
    QSplitter* Splitter = nullptr;
    TImageView* ImageView = nullptr;
};
