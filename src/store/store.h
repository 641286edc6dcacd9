// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The store: the engine connection, the record lists and the two display settings that come
// from the users row. Everything that reads or writes records takes a Store.
#include "store/access_layer.h"
#include "store/child_index.h"
#include "store/records.h"

#include <cstdint>
#include <memory>
#include <string>

namespace olv {

struct Store {
    AccessLayer db;
    RecordLists lists;
    std::string currency = "\xC2\xA3"; // "£"
    std::string date_mask = "%dd/%mm/%yyyy";

    // Call after records were added to or removed from a list, or parent keys changed, other
    // than through the operations below.
    void structure_changed() { ++structure_version_; }
    // Counts the structural changes: what was worked out from the lists before a change is
    // stale once it moved on.
    std::uint64_t structure_version() const { return structure_version_; }
    // Children by parent, rebuilt on first use after a structural change.
    const ChildIndex& children() const;

    // A new record goes to its place in load order (the order of the load's ORDER BY, ties by
    // key) and the child index follows. When an edit has moved a record out of that order, the
    // whole list is put back in it first, as a load would (`reordered`).
    struct Placed {
        std::size_t index = 0;
        bool reordered = false;
    };
    Placed insert_record(ClientRecord record);
    Placed insert_record(ProjectRecord record);
    Placed insert_record(ObjectiveRecord record);
    Placed insert_record(TaskRecord record);
    Placed insert_record(TimeEntry record);
    // Erases the records marked by level (ChildIndex::kClients ... kEntries), keeping the others
    // in order; the child index follows.
    void erase_records(const std::vector<char> (&doomed)[kLevels]);

private:
    template <typename Record>
    Placed place(std::vector<Record>& list, Record&& record, int level, bool check_order);

    std::uint64_t structure_version_ = 1;
    mutable std::uint64_t index_version_ = 0;
    mutable std::unique_ptr<ChildIndex> index_;
};

// The record at a tree position: users, clients, projects, objectives, tasks searched in that
// order, first match wins.
enum class RecordKind { None, User, Client, Project, Objective, Task };
struct RecordRef {
    RecordKind kind = RecordKind::None;
    std::size_t index = 0;
    explicit operator bool() const { return kind != RecordKind::None; }
};
RecordRef record_at(const Store& store, std::int32_t tree_pos);

} // namespace olv
