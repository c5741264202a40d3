#pragma once
// What the lists that follow field-change notices share: which notices name (record, position)
// keys rather than records, and the records a notice names.
#include "core/Priorityitem.h"
#include "data/Vkttabledefine.h"

// Notices whose ids are (record, position) keys: only the first id is a record.
bool HasCompositeIds(TVktField field);
// The first id alone (empty for no ids).
TPriorityItem FirstIdOnly(const TPriorityItem& ids);
// The records a change notice of `field` names.
TPriorityItem NoticeRecordIds(TVktField field, const TPriorityItem& ids);
