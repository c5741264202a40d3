#pragma once
// The commands whose dialogs are not built yet: they exist with caption, hint, picture and rule,
// and the update of the command module keeps them disabled.
#include <array>
#include <string_view>

inline constexpr std::array<std::string_view, 1> kAwaitingActions = {
    "ActShowPreviewProperty",
};

inline bool IsAwaitingAction(std::string_view name)
{
    for (std::string_view a : kAwaitingActions)
        if (a == name) return true;
    return false;
}
