#pragma once
// TFontDropDown: the printer's fonts, each name drawn in its own face; it returns to
// "ＭＳ Ｐゴシック" whenever the printer changes.
#include "platform/StringList.h"
#include "widgets/Uprintersupport.h"

#include <QFont>
#include <QHash>
#include <QWidget>

#include <functional>
#include <string>

class TOwnerDrawComboBox;

class TFontDropDown : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 14;
    static constexpr const char* kDefaultFace = "ＭＳ Ｐゴシック";

    explicit TFontDropDown(QWidget* owner = nullptr);

    TOwnerDrawComboBox* GetDropDown() const { return dropDown_; }
    // The chosen face: the combo box's text.
    std::string GetFontName() const;

    // With printerChanged: the items become the fonts listed at construction and the default face
    // is selected (nothing when the list lacks it); then DropDownChange.
    void Refresh(bool printerChanged);

    std::function<void(QObject* sender)> OnChange;

protected:
    void DropDownChange();
    void DropDownDrawItem(QPainter& painter, int index, const QRect& rect);

private:
    TOwnerDrawComboBox* dropDown_ = nullptr;
    platform::StringList fonts_;
    QHash<QString, QFont> faces_;
    TPrnObjListener listener_;
};
