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

    // Call after records were added to or removed from a list, or parent keys changed.
    void structure_changed() { ++structure_version_; }
    // Children by parent, rebuilt on first use after a structural change.
    const ChildIndex& children() const;

private:
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
