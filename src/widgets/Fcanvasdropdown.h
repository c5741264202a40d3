#pragma once
// TCanvasDropDown: the printer's papers; picking one sets the printer's paper. It follows every
// printer change and is disabled while no printer is usable.
#include "widgets/Uprintersupport.h"

#include <QWidget>

class TOwnerDrawComboBox;

class TCanvasDropDown : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 12;

    explicit TCanvasDropDown(QWidget* owner = nullptr);

    TOwnerDrawComboBox* GetDropDown() const { return dropDown_; }

    // With printerChanged the papers are listed again; then the printer's paper is selected and
    // the list enabled exactly when the printer is.
    void Refresh(bool printerChanged);

protected:
    void DropDownChange(int index);

private:
    TOwnerDrawComboBox* dropDown_ = nullptr;
    TPrnObjListener listener_;
};
