// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Marking time entries billed (and back) at once rather than at the next flush.
#include "store/store.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace olv {

enum class MarkOutcome { Written, Failed, Cancelled };

// Asked between the steps of a long mark with the keys handled so far; false cancels it.
using MarkProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Flushes pending changes, then sets the billed flag of the entries with these keys in one
// transaction. Written when it was; on a failure or a cancel nothing of it is written and the
// lists keep their flags. Keys no entry holds are passed over.
MarkOutcome set_entries_billed(Store& store, const std::vector<Key>& keys, bool billed,
                               const MarkProgress& progress);
inline bool set_entries_billed(Store& store, const std::vector<Key>& keys, bool billed) {
    return set_entries_billed(store, keys, billed, {}) == MarkOutcome::Written;
}

} // namespace olv
