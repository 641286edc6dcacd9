#include "store/store.h"

namespace olv {

const ChildIndex& Store::children() const {
    if (!index_ || index_version_ != structure_version_) {
        index_ = std::make_unique<ChildIndex>(lists);
        index_version_ = structure_version_;
    }
    return *index_;
}

namespace {

template <typename Record>
bool find_position(const std::vector<Record>& records, std::int32_t tree_pos, RecordKind kind,
                   RecordRef& found) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].tree_pos == tree_pos) {
            found = RecordRef{kind, i};
            return true;
        }
    }
    return false;
}

} // namespace

RecordRef record_at(const Store& store, std::int32_t tree_pos) {
    const RecordLists& l = store.lists;
    RecordRef found;
    if (find_position(l.users, tree_pos, RecordKind::User, found) ||
        find_position(l.clients, tree_pos, RecordKind::Client, found) ||
        find_position(l.projects, tree_pos, RecordKind::Project, found) ||
        find_position(l.objectives, tree_pos, RecordKind::Objective, found) ||
        find_position(l.tasks, tree_pos, RecordKind::Task, found))
        return found;
    return {};
}

} // namespace olv
