#pragma once
// TContainerProperty: the base of every property page of a layout item. Its tab "コンテナ" edits
// what every view item has: position and size, inner margins (1/100 mm shown as mm), the fixed
// edge with its rate or size, the pages the item is drawn on, the selection options and the
// z-order. Derived pages add tabs (AddTab) and move their container's values in GetProperty and
// out in SetProperty; a change on any control is written into the item at once.
//
// While the updating counter is above zero no handler writes: showing an item never changes it.
// Handlers fire also when code changes a control (as the form's events did); the counter guards
// those changes. ApplyAll writes this tab and the derived page inside the item list's and the
// container's update brackets, which close even when SetProperty raises.
#include <QFrame>

#include <initializer_list>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QToolBar;
class QVBoxLayout;
class TContainer;
class TUpDownEdit;
class TViewItem;

class TContainerProperty : public QFrame {
    Q_OBJECT
public:
    explicit TContainerProperty(QWidget* parent = nullptr);
    ~TContainerProperty() override;

    // Binds the page to the item (null: unbinds) and shows its values.
    virtual void SetViewItem(TViewItem* item);
    TViewItem* GetViewItem() const { return item_; }
    // The container type code the page edits.
    int GetPageType() const { return pageType_; }
    QTabWidget* GetPageControl() const { return PageControl; }

    // Everything of the page into the item and its container.
    void ApplyAll();
    // True while ApplyAll runs; a show asked for meanwhile is done once it ends.
    bool GetApplying() const { return applying_; }
    void ReshowAfterApply() { reshow_ = true; }

    // Handlers.
    void ActNoFixedExecute(int tag);
    void ActForegroundExecute();
    void ActBackgroundExecute();
    void RBDrawPageChange(int tag);
    void ContainerNameEditExit();
    void CBItemExpandedClick();
    void CBOptionClick();

protected:
    // Container into controls, controls into container; nothing here.
    virtual void GetProperty(TContainer* container);
    virtual void SetProperty(TContainer* container);

    void SetPageType(int type) { pageType_ = type; }
    TContainer* GetContainer() const;
    bool GetUpdating() const { return updating_ > 0; }
    // A new tab at the end holding a scroll box named `scrollName`; controls go into the layout.
    QVBoxLayout* AddTab(const char* caption, const char* scrollName);

    // Control makers for the pages.
    template <typename W>
    static W* Named(W* object, const char* name)
    {
        object->setObjectName(QString::fromLatin1(name));
        return object;
    }
    // An up-down field of that limit type, scale and unit, its range min..max (max = min: the
    // lower limit only) and the value min.
    static TUpDownEdit* MakeNumber(QWidget* parent, const char* name, int limitType, int scale, const char* suffix,
                                   int min = 0, int max = 0);
    // A drop-down list of the items, the first selected.
    static QComboBox* MakeList(QWidget* parent, const char* name, std::initializer_list<const char*> items);
    // values[index], or `otherwise` outside the list.
    template <typename T>
    static T At(const std::vector<T>& values, int index, T otherwise)
    {
        return index >= 0 && index < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(index)]
                                                                     : otherwise;
    }

    // Raises the updating counter for a scope.
    class Updating {
    public:
        explicit Updating(TContainerProperty& page) : page_(page) { ++page_.updating_; }
        ~Updating() { --page_.updating_; }
        Updating(const Updating&) = delete;
        Updating& operator=(const Updating&) = delete;

    private:
        TContainerProperty& page_;
    };

    QTabWidget* PageControl = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TUpDownEdit* LeftEdit = nullptr;
    TUpDownEdit* TopEdit = nullptr;
    TUpDownEdit* WidthEdit = nullptr;
    TUpDownEdit* HeightEdit = nullptr;
    TUpDownEdit* TopMarginEdit = nullptr;
    TUpDownEdit* BottomMarginEdit = nullptr;
    TUpDownEdit* LeftMarginEdit = nullptr;
    TUpDownEdit* RightMarginEdit = nullptr;
    QToolBar* ToolBar = nullptr;
    QActionGroup* AlignGroup = nullptr;
    QAction* ActNoFixed = nullptr;
    QAction* ActLeftFixed = nullptr;
    QAction* ActTopFixed = nullptr;
    QAction* ActRightFixed = nullptr;
    QAction* ActBottomFixed = nullptr;
    QAction* ActClientFixed = nullptr;
    QAction* ActLeftPosition = nullptr;
    QAction* ActTopPosition = nullptr;
    QAction* ActRightPosition = nullptr;
    QAction* ActBottomPosition = nullptr;
    QAction* ActHorzCenter = nullptr;
    QAction* ActVertCenter = nullptr;
    QAction* ActCenterPosition = nullptr;
    QAction* ActForeground = nullptr;
    QAction* ActBackground = nullptr;
    QRadioButton* RBNoSelPage = nullptr;
    QRadioButton* RBOddPage = nullptr;
    QRadioButton* RBEvenPage = nullptr;
    QRadioButton* RBSelPage = nullptr;
    TUpDownEdit* StartPageEdit = nullptr;
    TUpDownEdit* EndPageEdit = nullptr;
    TUpDownEdit* AlignRateEdit = nullptr;
    TUpDownEdit* AlignSizeEdit = nullptr;
    QLabel* LabelContainerName = nullptr;
    QLineEdit* ContainerNameEdit = nullptr;
    QCheckBox* CBItemExpanded = nullptr;
    QCheckBox* CBCanSelect = nullptr;
    QCheckBox* CBCanDelete = nullptr;
    QCheckBox* CBDrawViewRect = nullptr;

private:
    void BuildContainerTab();
    void BuildActions();
    void WriteBounds();
    void WriteMargins();
    void WritePages();
    void WriteAlign();
    void StoreAlign();
    void AlignRateChange();
    void AlignSizeChange();
    // The item's rectangles into the edits, each edit only when its value differs.
    void ShowRects();
    void EnableAlignEdits();

    TViewItem* item_ = nullptr;
    int updating_ = 0;
    int pageType_ = 0;
    bool applying_ = false;
    bool reshow_ = false;
};
