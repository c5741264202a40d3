#include "support/Snapshot.h"

namespace vkttest {

std::vector<SnapshotEntry>& Snapshots()
{
    static std::vector<SnapshotEntry> entries;
    return entries;
}

} // namespace vkttest
