#pragma once
// TVktMenuProperty: the menu template's page. The style tab edits the second font, rows, the
// number format, the background picture (shown, loaded, drawn how, trimmed) and the double frame
// (shown, shape, radius, colour); the tab "データ" edits the header, footer and item-row field
// lists as on the recipe page.
#include "reports/Fvktdatalistproperty.h"

#include <optional>
#include <string>

class TVktCardFieldTab;

class TVktMenuProperty : public TVktTemplateProperty {
    Q_OBJECT
public:
    explicit TVktMenuProperty(QWidget* parent = nullptr);

    TVktCardFieldTab* GetFieldTab() const { return FieldTab; }

    // Handlers.
    void BtnImageLoadClick();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The picture file chosen; none when cancelled.
    virtual std::optional<std::string> PickPicture();

    QCheckBox* CBImageEnabled = nullptr;
    QPushButton* BtnImageLoad = nullptr;
    QComboBox* ImageTypeList = nullptr;
    QCheckBox* CBImageTrim = nullptr;
    QCheckBox* CBFrameEnabled = nullptr;
    QComboBox* FrameTypeList = nullptr;
    TUpDownEdit* FrameRoundEdit = nullptr;
    TColorDropDown* FrameColorList = nullptr;
    TVktCardFieldTab* FieldTab = nullptr;
};
