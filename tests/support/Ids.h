#pragma once
// A list of record ids, in the given order, as the database object's calls take them.
#include <initializer_list>

#include "core/Priorityitem.h"

namespace vkttest {

inline TPriorityItem Ids(std::initializer_list<int> values)
{
    TPriorityItem ids;
    for (int value : values) ids << value;
    return ids;
}

} // namespace vkttest
