#pragma once
// TItemListView: a recipe's or menu's items, one row each: category index, class, name, unit,
// unit price, use and use price, with the class icon before the first column. The use is
// editable, the use price only for an item whose use is 0; the owner writes an applied value.
// Cell values keep only the characters "0123456789." ("-2" is 2, "1,5" is 15).
#include "screens/Fgridedit.h"

// After the Qt headers: moc fails on the standard headers Currency.h brings when they come first.
#include "platform/Currency.h"

#include <string>
#include <vector>

namespace platform {
class IconList;
}

class TItemListView : public TCellEditGrid {
    Q_OBJECT
public:
    enum Column { ColCategory, ColClass, ColName, ColUnit, ColPrice, ColUse, ColUsePrice };

    explicit TItemListView(QWidget* parent = nullptr);

    // Class icons by index (not owned; none: no icons).
    void SetClassImages(const platform::IconList* images);
    const platform::IconList* GetClassImages() const { return classImages_; }

    // The header sections' update bracket.
    void BeginUpdate();
    void EndUpdate();

    struct TItemLine {
        std::string Category;
        std::string ClassName;
        int Icon = -1;
        platform::Currency UsePrice;
        double Use = 0;
        platform::Currency UnitPrice;
        std::string UnitName;
        std::string ItemName;
    };

    // One empty row; no editor.
    void ClearRows();
    // Every row at once, in one model reset; no editor. The current row stays (the last one when
    // it is gone); items listed without one get the first.
    void SetItems(const std::vector<TItemLine>& items);
    void AddItem(const std::string& category, const std::string& className, int icon, platform::Currency usePrice,
                 double use, platform::Currency unitPrice, const std::string& unitName, const std::string& itemName);
    int GetRowCount() const;
    int GetIcon(int row) const;

    // Of the edit row (EditRow): its 1-based index, use, unit price and use price.
    int GetItemIndex() const;
    double GetItemUse() const;
    platform::Currency GetItemPrice() const;
    platform::Currency GetItemUsePrice() const;
    void SetItemUsePrice(platform::Currency price);

    // A cell's value: its digits and points; "" is 0. False when that is no number ("1.2.3").
    static bool CellValue(const std::string& text, double& value);

protected:
    void GetCellText(int col, int row, std::string& text, QRect& rect) override;
    void CanEdit(int col, int row, bool& allowed) override;
    void GetRowSelected(int col, int row, bool& selected) override;
    bool AcceptsText(int col, int row, const std::string& text) const override;

private:
    static std::vector<std::string> Cells(const TItemLine& item);
    double ValueAt(int col, int row) const;

    const platform::IconList* classImages_ = nullptr;
};
