#pragma once
// TPaperDropDown: the paper table, sorted by name, each entry carrying its paper id.
// TPaperProperty: the paper of a layout: paper, orientation, a user-defined size (paper 256 only)
// and four margins, all lengths in 1/100 mm shown as mm. Every change clamps the margins to the
// paper as laid (turned when landscape) and raises OnChange; the setters raise nothing.
#include "gui/Canvas.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QRadioButton;
class TUpDownEdit;

class TPaperDropDown : public QWidget {
    Q_OBJECT
public:
    explicit TPaperDropDown(QWidget* parent = nullptr);

    QComboBox* GetDropDown() const { return DropDown; }
    // The selected paper's id (0 with none).
    int GetPaperID() const;
    // Selects the paper with that id, without a change.
    void SetPaperID(int id);

    // After a pick by the user.
    std::function<void(QObject* sender)> OnChange;

protected:
    QComboBox* DropDown = nullptr;
};

class TPaperProperty : public QWidget {
    Q_OBJECT
public:
    explicit TPaperProperty(QWidget* parent = nullptr);

    int GetPaperType() const;
    // Selects the paper and enables the size edits (paper 256) or the orientation buttons.
    void SetPaperType(int id);
    // True for landscape.
    bool GetOrientation() const;
    void SetOrientation(bool landscape);
    // The portrait size: the table's, or the size edits' for paper 256 (x = width).
    platform::Point GetPaperSize() const;
    // Shows a size of paper 256 in the size edits, without a change.
    void SetPaperSize(platform::Point size);
    // Left, top, right, bottom.
    platform::Rect GetMargins() const;
    void SetMargins(int left, int top, int right, int bottom);

    TPaperDropDown* GetPaperList() const { return PaperList; }

    void PropChange();

    std::function<void(QObject* sender)> OnChange;

protected:
    void EnableControls();

    TPaperDropDown* PaperList = nullptr;
    QRadioButton* RBHorz = nullptr;
    QRadioButton* RBVert = nullptr;
    TUpDownEdit* TopMarginEdit = nullptr;
    TUpDownEdit* BottomMarginEdit = nullptr;
    TUpDownEdit* LeftMarginEdit = nullptr;
    TUpDownEdit* RightMarginEdit = nullptr;
    TUpDownEdit* PaperHeightEdit = nullptr;
    TUpDownEdit* PaperWidthEdit = nullptr;

private:
    bool orientationUpdating_ = false;
};
