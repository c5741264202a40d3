#pragma once
// The formatting tool bar above one edit control: file, clipboard and undo buttons, font face and
// size, bold, italic, underline and strike-out kinds, outline, alignment, page break, colours and
// a find field. The caret's style shows in the controls; each control sends only its own field.
#include "richtext/Exview.h"

#include <QFrame>

class QAction;
class QActionGroup;
class QMenu;
class QToolButton;
class TColorDropDown;
class TFontDropDown;
class TUpDownEdit;

class TExStyleBar : public QFrame {
    Q_OBJECT
public:
    explicit TExStyleBar(QWidget* owner = nullptr);
    ~TExStyleBar() override;

    TExView* GetExView() const { return view_; }
    void SetExView(TExView* view);
    // The view's caret or selection changed: the controls follow its style.
    void ViewChange();
    // A control changed (its tag chooses the field sent).
    void StyleChange(QObject* sender);
    void ULStyleClick(QAction* item);
    void SOStyleClick(QAction* item);
    // The enabling rules.
    void ActionListUpdate();
    // A menu item's sample: underline kind, or strike kind when `strike`; 100 px wide.
    static QIcon KindIcon(int kind, bool strike);

    QAction* Action(const char* name) const;
    TFontDropDown* GetFontList() const { return FontList; }
    TUpDownEdit* GetFontSize() const { return FontSize; }
    TColorDropDown* GetColorList() const { return ColorList; }
    TColorDropDown* GetHighlightList() const { return HighlightList; }
    TColorDropDown* GetULColorList() const { return ULColorList; }
    QToolButton* GetUnderlineButton() const { return BtnUnderline; }
    QToolButton* GetStrikeoutButton() const { return BtnStrikeout; }
    QMenu* GetUnderlineMenu() const { return PMUnderline; }
    QMenu* GetStrikeoutMenu() const { return PMStrikeout; }
    TExView* GetFinder() const { return Finder; }

private:
    QAction* AddAction(const char* name, const QString& hint, int tag, bool checkable);
    void Execute(const char* name);
    void Find();

    TExView* view_ = nullptr;
    int notiferId_ = -1;
    TFontDropDown* FontList = nullptr;
    TUpDownEdit* FontSize = nullptr;
    TColorDropDown* ColorList = nullptr;
    TColorDropDown* HighlightList = nullptr;
    TColorDropDown* ULColorList = nullptr;
    QToolButton* BtnUnderline = nullptr;
    QToolButton* BtnStrikeout = nullptr;
    QMenu* PMUnderline = nullptr;
    QMenu* PMStrikeout = nullptr;
    TExView* Finder = nullptr;
    QList<QAction*> actions_;
};
