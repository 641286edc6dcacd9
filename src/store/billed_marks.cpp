#include "store/billed_marks.h"

#include "store/operations.h"

#include <string>
#include <unordered_set>

namespace olv {

namespace {

// Keys per statement, well below the engine's limit on the length of a statement.
constexpr std::size_t kKeysPerStatement = 500;

bool write_flags(AccessLayer& db, const std::vector<Key>& keys, bool billed) {
    for (std::size_t first = 0; first < keys.size(); first += kKeysPerStatement) {
        std::string sql = "UPDATE task_detail SET billed = ";
        sql += billed ? "1" : "0";
        sql += " WHERE key IN (";
        const std::size_t end = std::min(keys.size(), first + kKeysPerStatement);
        for (std::size_t i = first; i < end; ++i) {
            if (i != first)
                sql += ',';
            sql += std::to_string(keys[i]);
        }
        sql += ')';
        if (!AccessLayer::succeeded(db.execute(sql)))
            return false;
    }
    return true;
}

} // namespace

bool set_entries_billed(Store& store, const std::vector<Key>& keys, bool billed) {
    AccessLayer& db = store.db;
    if (!db.has_current_database())
        return false;
    // What the periodic flush has not written yet goes first, so this transaction holds only the
    // flags and nothing else is left half-written.
    const FlushResult flushed = flush(store);
    if (!flushed.committed || flushed.failed_records != 0)
        return false;
    if (keys.empty())
        return true;

    if (!AccessLayer::succeeded(db.execute("BEGIN")))
        return false;
    if (!write_flags(db, keys, billed) || !AccessLayer::succeeded(db.execute("COMMIT"))) {
        if (db.in_transaction())
            db.execute("ROLLBACK");
        return false;
    }

    const std::unordered_set<Key> marked(keys.begin(), keys.end());
    for (TimeEntry& entry : store.lists.entries)
        if (marked.count(entry.key) != 0)
            entry.billed = billed ? 1 : 0;
    return true;
}

} // namespace olv
