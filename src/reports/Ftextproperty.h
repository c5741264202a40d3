#pragma once
// TTextProperty: the text container's page. On the font tab: the kind (fixed text, page number,
// date), the text, a background colour, the angle in tenths of a degree (field and slider) and the
// outline. The diagonal outline kind, which only layout files set, shows no kind ticked and its
// text, and is written back as it is until the user picks a kind.
#include "reports/Ffontproperty.h"

class QLineEdit;
class QSlider;

class TTextProperty : public TFontProperty {
    Q_OBJECT
public:
    explicit TTextProperty(QWidget* parent = nullptr);

    // Handlers.
    void RBTextClick();
    void EditExit();
    void CBTextBrushClick();
    void CBOutlineClick();
    void TextAngleTrackChange();
    void TextAngleEditChange();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The kind the controls give: 0 text, 1 page, 2 date, or the shown kind when none is ticked.
    int TextType() const;

    QRadioButton* RBText = nullptr;
    QRadioButton* RBPage = nullptr;
    QRadioButton* RBDate = nullptr;
    QLineEdit* Edit = nullptr;
    QCheckBox* CBTextBrush = nullptr;
    TColorDropDown* TextBrushColorList = nullptr;
    TUpDownEdit* TextAngleEdit = nullptr;
    QSlider* TextAngleTrack = nullptr;
    QCheckBox* CBOutline = nullptr;

private:
    int shownType_ = 0;
};
