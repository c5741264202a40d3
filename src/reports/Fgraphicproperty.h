#pragma once
// TGraphicProperty: the graphic container's page, tab "グラフィック": the shape, pen colour and
// line width, fill colour, the round size (rounded rectangle and arrow), the arrow's angle (field
// and slider, tenths of a degree) and width, and the mask. Lengths in tenths of a millimetre.
// A rounded rectangle's corners are capped at a twentieth of the item's side.
#include "reports/Fcontainerproperty.h"

class QComboBox;
class QSlider;
class TColorDropDown;

class TGraphicProperty : public TContainerProperty {
    Q_OBJECT
public:
    explicit TGraphicProperty(QWidget* parent = nullptr);

    // Handlers.
    void GraphicTypeListChange();
    void PropertyChange();
    void ArrowAngleTrackChange();
    void ArrowAngleEditChange();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    void EnableShapeControls();

    QComboBox* GraphicTypeList = nullptr;
    TColorDropDown* PenColorList = nullptr;
    TUpDownEdit* LineWidthEdit = nullptr;
    TColorDropDown* BrushColorList = nullptr;
    QCheckBox* CBFillInner = nullptr;
    QLabel* LabelRoundX = nullptr;
    TUpDownEdit* RoundXEdit = nullptr;
    QLabel* LabelRoundY = nullptr;
    TUpDownEdit* RoundYEdit = nullptr;
    QLabel* LabelArrowAngle = nullptr;
    TUpDownEdit* ArrowAngleEdit = nullptr;
    QSlider* ArrowAngleTrack = nullptr;
    QLabel* LabelArrowWidth = nullptr;
    TUpDownEdit* ArrowWidthEdit = nullptr;
    QCheckBox* CBMasking = nullptr;

private:
    bool updating_ = false;
};
