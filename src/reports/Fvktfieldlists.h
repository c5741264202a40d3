#pragma once
// The field lists of the database layout pages: the sort-state images, the list filled from a
// field set, the states read and written as TFieldStates, the field controls beside a list
// (TVktFieldListBox) and the data tab of the record cards with its three lists
// (TVktCardFieldTab: header, footer and item rows).
#include "data/Vkttabledefine.h"
#include "gui/IconList.h"
#include "reports/Upreviewfieldlist.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabBar;
class TStateListView;
class TUpDownEdit;

// The state images: none, shown, ascending, descending; without `shown`: none, ascending,
// descending.
platform::IconList SortStateImages(bool shown);
// One item per field of the set (1..102, in id order) captioned with its display caption; only
// while the list is empty.
void FillFieldList(TStateListView& list, const TVktFieldSet& fields);
TFieldStates ReadStates(const TStateListView& list);
// The states set, the listed items moved to the front in their order (no change is reported).
void WriteStates(TStateListView& list, const TFieldStates& states);
// The "空の列" items become one per empty column of the states (ids -1, -2, ...), then the states
// are set; the selected field stays selected, a selected empty column's place is selected again.
void ShowColumnStates(TStateListView& list, const TFieldStates& states);

class TVktFieldListBox : public QWidget {
    Q_OBJECT
public:
    enum Option {
        SortButtons = 1,   // "昇順で表示" and "降順で表示"
        ColInsert = 2,     // "空列追加"
        NullField = 4,     // "項目値を表示しない"
        GridCaptions = 8   // "表示" for the show button; the width controls need a selection only
    };
    TVktFieldListBox(QWidget* parent, int options, int minWidth);

    // The selected item's id and list position; 0 and -1 with none.
    int SelectedId() const;
    int SelectedPosition() const;
    // The selected item has a state.
    bool SelectedShown() const;
    // Enables the buttons by the selection and shows its width and break from the columns.
    void ShowSelection(const TPreviewFieldStruct& fields);

    TStateListView* StateListView = nullptr;
    QPushButton* BtnShowField = nullptr;
    QPushButton* BtnAscField = nullptr;
    QPushButton* BtnDescField = nullptr;
    QPushButton* BtnHideField = nullptr;
    QPushButton* BtnUpField = nullptr;
    QPushButton* BtnDownField = nullptr;
    QPushButton* BtnColInsert = nullptr;
    QLabel* LabelFieldWidth = nullptr;
    TUpDownEdit* FieldWidthEdit = nullptr;
    QCheckBox* CBReturnField = nullptr;
    QCheckBox* CBNullField = nullptr;

    // Items or states changed; the selection changed; the user changed the width, clicked the
    // break box, pressed "空列追加".
    std::function<void()> OnListChange;
    std::function<void()> OnSelect;
    std::function<void(int width)> OnWidthChange;
    std::function<void(bool lineBreak)> OnReturnClick;
    std::function<void()> OnColInsert;

private:
    int options_;
};

// The data tab of the recipe and menu pages: a tab bar "ヘッダー", "フッター", "材料" above one
// field list. Each tab has its list of columns; the current list is what the field list shows.
// On the item rows a sort state hides the field (those rows are not sorted).
class TVktCardFieldTab : public QWidget {
    Q_OBJECT
public:
    explicit TVktCardFieldTab(QWidget* parent);

    // The lists of the three tabs; setting them shows the selected tab's.
    void SetLists(const TPreviewFieldStruct& header, const TPreviewFieldStruct& footer,
                  const TPreviewFieldStruct& items);
    const TPreviewFieldStruct& GetHeader() const { return header_; }
    const TPreviewFieldStruct& GetFooter() const { return footer_; }
    const TPreviewFieldStruct& GetItems() const { return items_; }
    const TPreviewFieldStruct& GetCurrent() const { return current_; }

    void TabControlChange();
    void StateListViewChange();
    void FieldWidthChange(int width);
    void CBReturnFieldClick(bool lineBreak);

    QTabBar* TabControl = nullptr;
    TVktFieldListBox* Fields = nullptr;
    // A value changed that the template must be given.
    std::function<void()> OnApply;

private:
    TPreviewFieldStruct& TabList();
    // The current list from the field list's states.
    void ReadCurrent();
    // The current list into the field list's states.
    void ShowCurrent(const TPreviewFieldStruct& fields);
    // The current list becomes the tab's and is applied.
    void TabChanged();

    TPreviewFieldStruct header_;
    TPreviewFieldStruct footer_;
    TPreviewFieldStruct items_;
    TPreviewFieldStruct current_;
    bool changing_ = false;
};
