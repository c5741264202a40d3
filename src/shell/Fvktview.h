#pragma once
// TVktView: the base of the main window. It holds the main data panel over the whole client area
// and a status bar of three panels: 0 shows the long hint of what is under the pointer, 1 the
// marked and listed record counts ("2/10"; at least kPanel1Width wide, wider where six digits each
// side need it), 2 up to four state icons drawn from the right: another
// root than the first chosen in the class tree, stock-taking mode, a filter on, an edit pending.
// Bound itself, the caption is the product name + " [" + the database's name + "]"; unbound, the
// product name.
#include "widgets/Fvktform.h"

#include <string>
#include <vector>

class QLabel;
class QPainter;
class TVktPanel;

class TVktView : public TVktForm {
    Q_OBJECT
public:
    // The state icons of panel 2, in drawing order (right to left).
    enum class TStatusIcon { OtherRoot, Inventory, Filtered, Editing };
    static constexpr int kPanel1Width = 70;
    static constexpr int kPanel2Width = 95;

    explicit TVktView(QWidget* parent = nullptr);
    ~TVktView() override;

    TVktPanel* GetVktPanel() const { return vktPanel_; }
    QLabel* GetStatusPanel0() const { return panel0_; }
    QWidget* GetStatusPanel1() const { return panel1_; }
    QWidget* GetStatusPanel2() const { return panel2_; }

    // Panel 1's text: marked "/" listed rows of the record list; in stock-taking mode "1/" and the
    // stock-taking rows when there is one, else "0/0".
    std::string StatusCountText() const;
    // Panel 2's icons by the panel's state now.
    std::vector<TStatusIcon> StatusIcons() const;
    // Repaints panels 1 and 2.
    void UpdateStatusBar();

    void DrawStatusPanel1(QPainter& painter, const QRect& rect) const;
    void DrawStatusPanel2(QPainter& painter, const QRect& rect) const;

protected:
    void DoAttach() override;
    void DoDetach() override;
    // The bound object was renamed.
    virtual void DoRename();

    // A status tip shows its text in panel 0.
    bool event(QEvent* event) override;

private:
    // The product name, then the database's name in brackets and whether it was opened read-only.
    void SetCaption(const TVktObject* object);

    TVktPanel* vktPanel_ = nullptr;
    QLabel* panel0_ = nullptr;
    QWidget* panel1_ = nullptr;
    QWidget* panel2_ = nullptr;
};
