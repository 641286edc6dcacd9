#pragma once
// Marking time entries billed (and back) at once rather than at the next flush.
#include "store/store.h"

#include <vector>

namespace olv {

// Flushes pending changes, then sets the billed flag of the entries with these keys in one
// transaction. True when it was written; on any failure nothing of it is written and the lists
// keep their flags. Keys no entry holds are passed over.
bool set_entries_billed(Store& store, const std::vector<Key>& keys, bool billed);

} // namespace olv
