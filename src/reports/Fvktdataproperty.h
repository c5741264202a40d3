#pragma once
// The pages of the data-bound containers inside a database container: shape (12), field (13),
// memo (14), image (15) and chart (17). Each is the page of its base container type with what the
// binding makes meaningless hidden (fonts that follow the database container, drawn pages, content
// that comes from the record) and the binding controls added: the record slot of the page, and
// the ingredient row of that record.
#include "reports/Fchartproperty.h"
#include "reports/Fgraphicproperty.h"
#include "reports/Fimageproperty.h"
#include "reports/Fmemoproperty.h"
#include "reports/Ftextproperty.h"

#include <initializer_list>

class QGridLayout;

// Hides the controls, each with the label left of it in its grid layout.
void HideWithLabels(std::initializer_list<QWidget*> controls);
// Hides the group box holding the control.
void HideGroupOf(QWidget* control);

// The record slot ("ページデータインデックス"), the ingredient-row flag "材料データ" and the
// ingredient row; each change applies the page.
class TVktBindingControls {
public:
    // The controls into rows `row`, `row` + 1 of the grid, the label named `labelName`.
    void Build(TContainerProperty* page, QWidget* parent, QGridLayout* grid, int row, const char* labelName,
               const char* caption = "ページデータインデックス");
    // The container's values and their enabling.
    void Show(TContainer* container);
    // The values into the container (no ingredient rows without a slot), then shown as it holds them.
    void Write(TContainer* container);

    QLabel* Label = nullptr;
    TUpDownEdit* DataIndexEdit = nullptr;
    QCheckBox* CBItemData = nullptr;
    TUpDownEdit* ItemIndexEdit = nullptr;
};

class TVktContainerProperty : public TGraphicProperty {
    Q_OBJECT
public:
    explicit TVktContainerProperty(QWidget* parent = nullptr);

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;

    TVktBindingControls Binding;
};

class TVktFieldProperty : public TTextProperty {
    Q_OBJECT
public:
    explicit TVktFieldProperty(QWidget* parent = nullptr);

    QComboBox* GetFieldList() const { return FieldList; }
    void FieldListChange();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;

    QLabel* Label13 = nullptr;
    QComboBox* FieldList = nullptr;
    TVktBindingControls Binding;

private:
    // The field shown, kept when the list lacks it.
    int shownField_ = 0;
};

class TVktMemoProperty : public TMemoProperty {
    Q_OBJECT
public:
    explicit TVktMemoProperty(QWidget* parent = nullptr);

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;

    TVktBindingControls Binding;
};

class TVktImageProperty : public TImageProperty {
    Q_OBJECT
public:
    explicit TVktImageProperty(QWidget* parent = nullptr);

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;

    TVktBindingControls Binding;
};

class TVktChartProperty : public TChartProperty {
    Q_OBJECT
public:
    explicit TVktChartProperty(QWidget* parent = nullptr);

    void DataTypeListChange();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The series come from the records: these only apply the page.
    void GraphCountChange() override;
    void LimitChange() override;
    void DataCountChange() override;
    void SeriesColorChange() override;

    TVktBindingControls Binding;
    QComboBox* DataTypeList = nullptr;
    QLabel* LabelYHRange = nullptr;
    TUpDownEdit* YHViewRangeEdit = nullptr;
    QLabel* LabelItemChart = nullptr;
    QComboBox* ItemChartFieldList = nullptr;
};
