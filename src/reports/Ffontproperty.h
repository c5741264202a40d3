#pragma once
// TFontProperty: the container page with a second tab "テキスト": the container's font (parent
// font, face, size in tenths of a point, colour, styles) and a nine-way text alignment that
// derived pages write into their containers. TFontProperty2 is the page of the plain container.
//
// A face missing from the font list (a layout from another machine) is added to the list, shown
// and written back as it is; the page never writes an empty or substituted face.
#include "reports/Fcontainerproperty.h"

#include <cstdint>

class QComboBox;
class TColorDropDown;
class TFontDropDown;

class TFontProperty : public TContainerProperty {
    Q_OBJECT
public:
    explicit TFontProperty(QWidget* parent = nullptr);

    std::uint8_t GetHorzAlign() const { return horzAlign_; }
    std::uint8_t GetVertAlign() const { return vertAlign_; }
    // Store the value and select the alignment item vertical × 3 + horizontal.
    void SetHorzAlign(std::uint8_t value);
    void SetVertAlign(std::uint8_t value);

    // Handlers.
    void TextAlignChange();
    void CBClick();
    void CBParentFontClick();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The font of the container into the controls.
    void ShowFont(TContainer* container);

    QVBoxLayout* TabSheet2 = nullptr;
    QCheckBox* CBParentFont = nullptr;
    TFontDropDown* FontNameList = nullptr;
    TUpDownEdit* FontSizeEdit = nullptr;
    TColorDropDown* FontColorList = nullptr;
    QCheckBox* CBBold = nullptr;
    QCheckBox* CBItalic = nullptr;
    QCheckBox* CBUnderLine = nullptr;
    QCheckBox* CBStrike = nullptr;
    QComboBox* TextAlign = nullptr;

private:
    std::uint8_t horzAlign_ = 0;
    std::uint8_t vertAlign_ = 0;
};

class TFontProperty2 : public TFontProperty {
    Q_OBJECT
public:
    explicit TFontProperty2(QWidget* parent = nullptr);
};
