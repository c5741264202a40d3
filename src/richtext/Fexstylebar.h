#pragma once
// The formatting tool bar above one edit control: file, clipboard and undo buttons, font face and
// size, bold, italic, underline and strike-out kinds, outline, alignment, page break, colours and
// a find field. The caret's style shows in the controls; each control sends only its own field.
//
// The buttons show glyphs, their captions being tool tips. What does not fit the bar's width goes
// to its overflow menu (the bar's extension button): buttons as menu items with their captions,
// the underline and strike-out kinds as sub-menus, and each field (font, size, colours, find) as a
// second instance of itself behind its caption, kept in step with the one in the bar.
#include "richtext/Exview.h"

#include <QFrame>

#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QToolButton;
class QWidgetAction;
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
    QToolBar* GetToolBar() const { return ToolBar; }
    // The fields as the bar shows them (their overflow instances follow them).
    TFontDropDown* GetFontList() const { return FontList; }
    TUpDownEdit* GetFontSize() const { return FontSize; }
    TColorDropDown* GetColorList() const { return ColorList; }
    TColorDropDown* GetHighlightList() const { return HighlightList; }
    TColorDropDown* GetULColorList() const { return ULColorList; }
    QToolButton* GetUnderlineButton() const;
    QToolButton* GetStrikeoutButton() const;
    QMenu* GetUnderlineMenu() const { return PMUnderline; }
    QMenu* GetStrikeoutMenu() const { return PMStrikeout; }
    TExView* GetFinder() const { return Finder; }

private:
    QAction* AddAction(const char* name, const QString& hint, int tag, bool checkable);
    // A field of the bar (with its glyph in the bar, or none): `make` builds one instance under the
    // given parent.
    QWidgetAction* AddControl(const char* name, const QString& hint, const QIcon& glyph,
                              const std::function<QWidget*(QWidget*)>& make);
    // Every instance of a field (the bar's first).
    template <typename Control>
    QList<Control*> Instances(const QWidgetAction* control) const;
    TColorDropDown* MakeColorList(QWidget* parent, const char* name, const QString& hint, int tag);
    void Execute(const char* name);
    void Find();

    TExView* view_ = nullptr;
    int notiferId_ = -1;
    QToolBar* ToolBar = nullptr;
    QWidgetAction* FontListControl = nullptr;
    QWidgetAction* FontSizeControl = nullptr;
    QWidgetAction* ColorListControl = nullptr;
    QWidgetAction* HighlightListControl = nullptr;
    QWidgetAction* ULColorListControl = nullptr;
    QWidgetAction* FinderControl = nullptr;
    TFontDropDown* FontList = nullptr;
    TUpDownEdit* FontSize = nullptr;
    TColorDropDown* ColorList = nullptr;
    TColorDropDown* HighlightList = nullptr;
    TColorDropDown* ULColorList = nullptr;
    QMenu* PMUnderline = nullptr;
    QMenu* PMStrikeout = nullptr;
    TExView* Finder = nullptr;
    QList<QAction*> actions_;
    QList<QWidgetAction*> controls_;
};
