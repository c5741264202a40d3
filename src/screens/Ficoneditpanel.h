#pragma once
// TIconGrid: the class icons in 32 × 32 cells, each 16 × 16 icon 8 pixels inside its cell. Columns
// = viewport width / 32 (at least 1), rows = icons / columns rounded up (one cell without icons).
// Only cells that hold an icon can be chosen by the user; the selected index is kept when the
// column count changes. The selected cell is drawn in the highlight colour while the grid has the
// focus, in button face without it.
//
// TIconEditPanel: the icon page of the master-data dialog: the grid, saving the selected icon to a
// file, and the load and delete buttons its host handles.
#include "gui/IconList.h"

#include <QAbstractScrollArea>
#include <QFrame>

#include <functional>
#include <string>

class QPushButton;

namespace platform {
class ImageList;
}

class TIconGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kCellSize = 32;
    static constexpr int kIconInset = 8;

    explicit TIconGrid(QWidget* parent = nullptr);

    // Takes a copy of the icons (none: an empty grid) and rebuilds; the selection stays.
    void SetImages(const platform::ImageList* images);
    const platform::IconList& GetIcons() const { return icons_; }
    int GetIconCount() const { return icons_.GetCount(); }
    int GetColCount() const { return cols_; }
    int GetRowCount() const;
    // Row × column count + column of the selected cell.
    int GetSelectedIndex() const { return selected_; }
    // Selects the cell of an index without counting as the user's choice.
    void SetSelectedIndex(int index);
    // The icon index of a viewport point; -1 outside the cells or on an empty cell.
    int IconAt(QPoint point) const;
    QRect CellRect(int index) const;

    // The user chose a cell that holds an icon.
    std::function<void(TIconGrid* Sender)> OnSelect;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Rebuild();
    void Choose(int index);

    platform::IconList icons_;
    int cols_ = 1;
    int selected_ = 0;
};

class TIconEditPanel : public QFrame {
    Q_OBJECT
public:
    // The save dialog's filter.
    static const char* const kSaveFilter;

    explicit TIconEditPanel(QWidget* parent = nullptr);

    // The database's class icons (not owned; none: empty); selects the first cell.
    void SetImages(const platform::ImageList* images);
    // Rebuilds from the list set last (after it changed), keeping the selected index.
    void RefreshImages();
    const platform::ImageList* GetImages() const { return images_; }
    int GetSelectedIndex() const { return iconGrid_->GetSelectedIndex(); }
    // Writes the selected icon by the file's extension: ".bmp" a bitmap of its pixels, ".ico" an
    // icon with its mask; any other, or no selected icon, writes nothing. True when written.
    bool SaveIcon(const std::string& fileName) const;

    TIconGrid* GetIconGrid() const { return iconGrid_; }
    QPushButton* GetBtnSave() const { return btnSave_; }
    QPushButton* GetBtnLoad() const { return btnLoad_; }
    QPushButton* GetBtnDelete() const { return btnDelete_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BtnSaveClick();

    const platform::ImageList* images_ = nullptr;
    TIconGrid* iconGrid_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnLoad_ = nullptr;
    QPushButton* btnDelete_ = nullptr;
    QFrame* bevel_ = nullptr;
};

// Button column of the master-data panels: a button 121 × 22 at (x, y).
QPushButton* AddPanelButton(QWidget* parent, const char* name, const char* caption, int y);
// A horizontal bevel line.
QFrame* AddPanelBevel(QWidget* parent, const char* name);
