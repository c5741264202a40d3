#pragma once
// TVktRecipeProperty: the recipe template's page. The style tab edits the card's title, fonts,
// rows, lines and colours and the detail block (shown, its place, the shares of the detail, the
// picture and the chart, trimming, the chart's labels); the tab "データ" edits the header, footer
// and ingredient-row field lists.
#include "reports/Fvktdatalistproperty.h"

class TVktCardFieldTab;

class TVktRecipeProperty : public TVktTemplateProperty {
    Q_OBJECT
public:
    explicit TVktRecipeProperty(QWidget* parent = nullptr);

    TVktCardFieldTab* GetFieldTab() const { return FieldTab; }

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;

    QCheckBox* CBDetailEnabled = nullptr;
    QComboBox* DetailPosList = nullptr;
    TUpDownEdit* DetailFixRateEdit = nullptr;
    QCheckBox* CBImageEnabled = nullptr;
    TUpDownEdit* ImageFixRateEdit = nullptr;
    QCheckBox* CBImageTrim = nullptr;
    QCheckBox* CBChartEnabled = nullptr;
    TUpDownEdit* ChartFixRateEdit = nullptr;
    QComboBox* ChartFieldList = nullptr;
    TVktCardFieldTab* FieldTab = nullptr;
};

// The data tab of a record-card page: a "データ" tab holding the three field lists, each change
// applied.
TVktCardFieldTab* AddCardFieldTab(TContainerProperty* page, QVBoxLayout* column);
