#pragma once
// TColorDropDown: a small frame for choosing a colour from sixteen swatches or, through its first
// entry "カスタム...", the colour picker. TOwnerDrawComboBox, the combo box it draws, also serves
// the font drop-down.
#include "platform/Color.h"

#include <QComboBox>
#include <QImage>
#include <QWidget>

#include <functional>

class QPainter;

// A drop-down list whose items, in the list and in the closed box, are drawn by a closure at a
// fixed item height. Without the closure it draws as a plain combo box.
class TOwnerDrawComboBox : public QComboBox {
    Q_OBJECT
public:
    // rect is the item's cell; inList is false for the closed box's current item.
    using DrawItemFn = std::function<void(QPainter& painter, int index, const QRect& rect, bool inList)>;

    TOwnerDrawComboBox(QWidget* owner, int itemHeight);
    // Names and sizes the frame and fills it with a new combo box named "DropDown".
    static TOwnerDrawComboBox* CreateIn(QWidget& frame, const char* frameName, int width, int itemHeight);

    int GetItemHeight() const { return itemHeight_; }
    void SetOnDrawItem(DrawItemFn drawItem);
    const DrawItemFn& GetOnDrawItem() const { return drawItem_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int itemHeight_;
    DrawItemFn drawItem_;
};

class TColorDropDown : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 14;

    explicit TColorDropDown(QWidget* owner = nullptr);

    platform::TColor GetColor() const { return color_; }
    // Selects the colour's swatch, or "カスタム..." for a colour without one; no event.
    void SetColor(platform::TColor color);

    TOwnerDrawComboBox* GetDropDown() const { return dropDown_; }
    const QImage& GetSpectrum() const { return spectrum_; }

    // Fired after the user chose an item (also when the colour picker was cancelled).
    std::function<void(QObject* sender)> OnChange;

    // The item's text for a colour: "0x" and six upper-case hexadecimal digits.
    static QString ColorText(platform::TColor color);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void DropDownChange(int index);
    void DropDownDrawItem(QPainter& painter, int index, const QRect& rect, bool inList);
    // Redraws the spectrum at the frame's width: hue across, brightness down.
    void FrameResize();

private:
    platform::TColor ItemColor(int index) const;

    TOwnerDrawComboBox* dropDown_ = nullptr;
    QImage spectrum_;
    platform::TColor color_ = 0;
};
