#pragma once
// The zoom field: an up-down field showing a percentage, with a pop-up menu of fixed zoom steps
// and two fit modes. The scale is the page view's value (10000 = 100 %).
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class TUpDownEdit;

class TScaleSelecter : public QWidget {
    Q_OBJECT
public:
    explicit TScaleSelecter(QWidget* owner = nullptr);
    ~TScaleSelecter() override;

    int GetScale() const;
    // Without an event; only the quiet rules of the field apply.
    void SetScale(int scale);
    // 0 percentage, 1 whole page, 2 page width; without an event.
    int GetScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);

    TUpDownEdit* GetEdit() const { return edit_; }
    QMenu* GetPopupMenu() const { return popupMenu_; }
    // Opens the menu below the frame's bottom-left corner.
    void DropDown();

    std::function<void(QObject* sender)> OnChange;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EditChange();
    void MIFullScaleClick();
    void MIWidthScaleClick();
    void MIScaleClick(QAction* sender);
    void DoChange();

    TUpDownEdit* edit_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QAction* miFullScale_ = nullptr;
    QAction* miWidthScale_ = nullptr;
    int scaleMode_ = 0;
    bool keyHeld_ = false;
};
