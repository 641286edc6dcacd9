// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/billed_marks.h"

#include "store/operations.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace olv {

namespace {

// The keys go into a temporary table in rows of this many, then one statement sets the flags of
// all of them: a few statements however many entries there are.
constexpr std::size_t kKeysPerInsert = 20000;
constexpr std::string_view kKeyTable = "olv_marked_keys";

// `keys` sorted: the table fills in order and the update then walks the entries' table in
// order, page after page, instead of jumping about a file far larger than the engine's cache.
MarkOutcome write_flags(AccessLayer& db, const std::vector<Key>& keys, bool billed,
                        const MarkProgress& progress) {
    const auto run = [&db](const std::string& sql) {
        return AccessLayer::succeeded(db.execute(sql));
    };
    const std::string table(kKeyTable);
    // SQLite keeps an INTEGER PRIMARY KEY as the row id itself, with no index beside it; a
    // server takes keys of 64 bits.
    const char* key_type =
        db.engine_kind() == EngineKind::PostgreSQL ? "BIGINT PRIMARY KEY" : "INTEGER PRIMARY KEY";
    if (!run("CREATE TEMPORARY TABLE " + table + " (key " + key_type + ")"))
        return MarkOutcome::Failed;
    std::string sql;
    for (std::size_t first = 0; first < keys.size(); first += kKeysPerInsert) {
        if (progress && !progress(first, keys.size()))
            return MarkOutcome::Cancelled;
        // Keys listed twice are one row (the mark of an entry is the same either way).
        sql = "INSERT INTO " + table + " (key) VALUES ";
        const std::size_t end = std::min(keys.size(), first + kKeysPerInsert);
        for (std::size_t i = first; i < end; ++i) {
            if (i != first)
                sql += ',';
            sql += '(';
            sql += std::to_string(keys[i]);
            sql += ')';
        }
        sql += " ON CONFLICT DO NOTHING";
        if (!run(sql))
            return MarkOutcome::Failed;
    }
    if (progress && !progress(keys.size(), keys.size()))
        return MarkOutcome::Cancelled;
    if (!run(std::string("UPDATE task_detail SET billed = ") + (billed ? "1" : "0") +
             " WHERE key IN (SELECT key FROM " + table + ")") ||
        !run("DROP TABLE " + table))
        return MarkOutcome::Failed;
    return MarkOutcome::Written;
}

} // namespace

MarkOutcome set_entries_billed(Store& store, const std::vector<Key>& keys, bool billed,
                               const MarkProgress& progress) {
    AccessLayer& db = store.db;
    if (!db.has_current_database())
        return MarkOutcome::Failed;
    // What the periodic flush has not written yet goes first, so this transaction holds only the
    // flags and nothing else is left half-written.
    const FlushResult flushed = flush(store);
    if (!flushed.committed || flushed.failed_records != 0)
        return MarkOutcome::Failed;
    if (keys.empty())
        return MarkOutcome::Written;

    if (!AccessLayer::succeeded(db.execute("BEGIN")))
        return MarkOutcome::Failed;
    std::vector<Key> marked(keys);
    std::sort(marked.begin(), marked.end());
    // The temporary table is made inside the transaction, so a rollback takes it away too.
    MarkOutcome outcome = write_flags(db, marked, billed, progress);
    if (outcome == MarkOutcome::Written && !AccessLayer::succeeded(db.execute("COMMIT")))
        outcome = MarkOutcome::Failed;
    if (outcome != MarkOutcome::Written) {
        if (db.in_transaction())
            db.execute("ROLLBACK");
        return outcome;
    }

    // Keys are close together: a bit per key of their span finds each entry at once, where a
    // search of the sorted keys costs a million entries a third of a second.
    const Key low = marked.front(), high = marked.back();
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
    const std::uint8_t flag = billed ? 1 : 0;
    if (span <= 64 * (store.lists.entries.size() + marked.size())) {
        std::vector<bool> is_marked(span);
        for (const Key key : marked)
            is_marked[static_cast<std::uint64_t>(static_cast<std::int64_t>(key) - low)] = true;
        for (TimeEntry& entry : store.lists.entries)
            if (entry.key >= low && entry.key <= high &&
                is_marked[static_cast<std::uint64_t>(static_cast<std::int64_t>(entry.key) - low)])
                entry.billed = flag;
    } else {
        for (TimeEntry& entry : store.lists.entries)
            if (std::binary_search(marked.begin(), marked.end(), entry.key))
                entry.billed = flag;
    }
    return MarkOutcome::Written;
}

} // namespace olv
