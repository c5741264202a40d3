#pragma once
// TVktTopContainerProperty: the database container's page. Besides the container and font tabs,
// tab "データ" edits the fields the container reads explicitly with their sort order (list order
// is the sort priority), the records per page and the second (Western) font of its data
// containers. TVktFont2Controls are the second-font controls the template pages share.
#include "reports/Ffontproperty.h"
#include "reports/Upreviewfieldlist.h"

#include <string>

class QGridLayout;
class QPushButton;
class QSplitter;
class TStateListView;

class TVktFont2Controls {
public:
    // "欧文フォント" and "サイズ" into rows `row` and `row` + 1 of the grid; changes apply the page.
    void Build(TContainerProperty* page, QWidget* parent, QGridLayout* grid, int row);
    // A face missing from the list is added and shown, so it is written back as it is.
    void Show(const std::string& name, int size);
    // The face chosen; "" for none.
    std::string GetName() const;
    int GetSize() const;

    TFontDropDown* FontNameList2 = nullptr;
    TUpDownEdit* FontSize2Edit = nullptr;
};

class TVktTopContainerProperty : public TFontProperty {
    Q_OBJECT
public:
    explicit TVktTopContainerProperty(QWidget* parent = nullptr);

    // The explicit field list from the field states, and the states from a list.
    TAccessFieldStruct GetAccessFields() const;
    void SetAccessFields(const TAccessFieldStruct& fields);
    std::string GetFontName2() const { return Font2.GetName(); }
    int GetFontSize2() const { return Font2.GetSize(); }
    int GetDataCount() const;

    // Handlers.
    void FieldsChange();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;

    TStateListView* StateListView = nullptr;
    QSplitter* Splitter = nullptr;
    QPushButton* BtnUpField = nullptr;
    QPushButton* BtnDownField = nullptr;
    QPushButton* BtnFieldAsc = nullptr;
    QPushButton* BtnFieldDesc = nullptr;
    QPushButton* BtnFieldShow = nullptr;
    TUpDownEdit* DataCountEdit = nullptr;
    TVktFont2Controls Font2;

private:
    TAccessFieldStruct accessFields_;
};
