// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "store/operations.h"

#include <algorithm>
#include <vector>

namespace olv {

namespace {

// Where a record's flag lives, and whether its statement went through.
struct Written {
    bool* modified;
    std::uint8_t* unwritten; // entries only
    bool ok;
};

std::uint8_t* unwritten_of(TimeEntry& entry) {
    return &entry.unwritten;
}
template <typename Record> std::uint8_t* unwritten_of(Record&) {
    return nullptr;
}

std::string statement_of(const TimeEntry& entry) {
    return write_sql(entry);
}
template <typename Record> std::string statement_of(const Record& record) {
    return update_sql(record);
}

int count_modified(const RecordLists& lists) {
    int count = 0;
    const auto add = [&count](const auto& records) {
        count += static_cast<int>(std::count_if(records.begin(), records.end(),
                                                [](const auto& r) { return r.modified; }));
    };
    add(lists.entries);
    add(lists.users);
    add(lists.clients);
    add(lists.projects);
    add(lists.objectives);
    add(lists.tasks);
    return count;
}

} // namespace

bool flush_pending(const Store& store) {
    return count_modified(store.lists) > 0;
}

FlushResult flush(Store& store) {
    RecordLists& lists = store.lists;
    // Flags are cleared only after a commit, so a flush that fails leaves every one of these.
    const int pending = count_modified(lists);
    if (pending == 0)
        return {};

    AccessLayer& db = store.db;
    FlushResult result;
    std::vector<Written> written;
    written.reserve(static_cast<std::size_t>(pending));
    const auto unavailable = [&](int rc) {
        result.taken_elsewhere = db.lock_lost();
        result.database_unavailable = result.taken_elsewhere || AccessLayer::connection_lost(rc);
        if (result.database_unavailable)
            result.reason = db.last_error();
    };
    if (const int rc = db.execute("BEGIN"); !AccessLayer::succeeded(rc)) {
        unavailable(rc);
        result.committed = false;
        result.failed_records = pending;
        return result;
    }

    // After a failure the engine may have ended the transaction itself; then nothing of this
    // flush is kept and no further statement may run outside the transaction. A database locked
    // elsewhere ends the flush too, rather than making every record wait out the busy timeout.
    bool abandoned = false;
    // A server takes the statements in batches, one round trip each: there a failed statement
    // ends the whole transaction anyway, so nothing is lost by not telling them apart.
    const bool batched = db.engine_kind() == EngineKind::PostgreSQL;
    std::string batch;
    std::size_t batch_start = 0;
    const auto send_batch = [&] {
        if (batch.empty())
            return;
        const int rc = db.execute(batch);
        const bool ok = AccessLayer::succeeded(rc);
        for (std::size_t i = batch_start; i < written.size(); ++i)
            written[i].ok = ok;
        if (!ok) {
            unavailable(rc);
            abandoned = true;
        }
        batch.clear();
        batch_start = written.size();
    };
    constexpr std::size_t kBatchBytes = 256 * 1024;
    const auto write = [&](auto& records) {
        for (auto& record : records) {
            if (abandoned)
                return;
            if (!record.modified)
                continue;
            if (batched) {
                const std::string statement = statement_of(record);
                if (statement.empty()) {
                    // Refused by its builder (a rate that is no number): this record only.
                    send_batch();
                    written.push_back({&record.modified, unwritten_of(record), false});
                    batch_start = written.size();
                    continue;
                }
                batch += statement;
                batch += ";\n";
                written.push_back({&record.modified, unwritten_of(record), true});
                if (batch.size() >= kBatchBytes)
                    send_batch();
                continue;
            }
            const int rc = db.execute(statement_of(record));
            const bool ok = AccessLayer::succeeded(rc);
            written.push_back({&record.modified, unwritten_of(record), ok});
            if (!ok)
                unavailable(rc);
            if (!ok && (AccessLayer::locked_elsewhere(rc) || !db.in_transaction()))
                abandoned = true;
        }
    };
    write(lists.entries);
    write(lists.users);
    write(lists.clients);
    write(lists.projects);
    write(lists.objectives);
    write(lists.tasks);
    send_batch();

    if (abandoned || [&] {
            const int rc = db.execute("COMMIT");
            if (!AccessLayer::succeeded(rc))
                unavailable(rc);
            return !AccessLayer::succeeded(rc);
        }()) {
        if (db.in_transaction())
            db.execute("ROLLBACK");
        result.committed = false;
        result.failed_records = pending;
        return result;
    }
    for (const Written& w : written) {
        if (w.ok) {
            *w.modified = false;
            if (w.unwritten)
                *w.unwritten = 0;
        } else
            ++result.failed_records;
    }
    return result;
}

} // namespace olv
