#include "database/Mvktcosting.h"

platform::Currency FoodUsePrice(double buyPrice, double quantity, double yield) {
    if (yield == 0 || quantity == 0) return platform::Currency();
    return platform::Currency::FromDouble(buyPrice * (100.0 / yield) / quantity);
}

platform::Currency CookUsePrice(double totalPrice, double complete) {
    if (complete == 0) return platform::Currency();
    return platform::Currency::FromDouble(totalPrice / complete);
}

std::optional<double> CostItemUsePrice(const TCostItem& item) {
    if (item.Use.IsNull() || (item.Use.IsNumber() && item.Use.Value == 0)) return std::nullopt;
    return item.Use.Value * item.Price;
}

double CostTotal(const std::vector<TCostItem>& items) {
    double total = 0;
    for (const TCostItem& item : items) {
        if (const std::optional<double> usePrice = CostItemUsePrice(item))
            total += *usePrice;
        else if (!item.UsePrice.IsNull())
            total += item.UsePrice.Value;
    }
    return total;
}
