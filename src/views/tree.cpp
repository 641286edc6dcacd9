// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/tree.h"

#include "common/dates.h"
#include "views/cut_text_tips.h"
#include "views/images.h"
#include "views/timer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace olv {

namespace {

// Icons decoded once per build or refresh and shared by every item that shows them.
// Icons decoded once for a tree and shared by every item that shows them; owned by the tree
// widget, so they outlive its items.
class TreeIcons final : public QObject {
public:
    explicit TreeIcons(QObject* tree) : QObject(tree) {}
    const QIcon& get(int image) const {
        QIcon& icon = icons_.at(static_cast<std::size_t>(image));
        if (icon.isNull())
            icon = program_icon(image);
        return icon;
    }

private:
    mutable std::array<QIcon, image::Overdue + 1> icons_;
};

TreeIcons& icons_of(QTreeWidget* tree) {
    for (QObject* child : tree->children())
        if (auto* icons = dynamic_cast<TreeIcons*>(child))
            return *icons;
    return *new TreeIcons(tree);
}

// A tree item that keeps only its image number and hands out the shared icon for it: tens of
// thousands of items then carry no icon data of their own, and the status refresh compares a
// plain number instead of reading a QVariant from every item.
class TreeItem final : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;
    TreeItem() : QTreeWidgetItem(kType) {}
    explicit TreeItem(QTreeWidgetItem* parent) : QTreeWidgetItem(parent, kType) {}

    int image() const { return image_; }
    void show(int image, const TreeIcons& icons) {
        image_ = image;
        icons_ = &icons;
        emitDataChanged();
    }
    QVariant data(int column, int role) const override {
        if (column == 0 && role == Qt::DecorationRole && icons_ && image_ >= 0)
            return icons_->get(image_);
        return QTreeWidgetItem::data(column, role);
    }

private:
    int image_ = -1;
    const TreeIcons* icons_ = nullptr;
};

void show_image(QTreeWidgetItem* item, int image, TreeIcons& icons) {
    if (item->type() == TreeItem::kType) {
        auto* own = static_cast<TreeItem*>(item);
        if (own->image() != image)
            own->show(image, icons);
        return;
    }
    item->setIcon(0, icons.get(image));
}

// The label and the first image of a record's item, as a build shows them.
struct ItemLook {
    QString label;
    int image = image::User;
};

ItemLook look_of(const RecordLists& l, RecordRef ref) {
    switch (ref.kind) {
    case RecordKind::User:
        return {QString::fromStdString(l.users[ref.index].userID), image::User};
    case RecordKind::Client:
        return {QString::fromStdString(l.clients[ref.index].client_name), image::Client};
    case RecordKind::Project:
        return {QString::fromStdString(l.projects[ref.index].project_title), image::Project};
    case RecordKind::Objective: {
        const ObjectiveRecord& objective = l.objectives[ref.index];
        return {QString::fromStdString(objective.ob_title),
                objective.ob_complete == 1 ? image::Accepted : image::Objective};
    }
    case RecordKind::Task: {
        const TaskRecord& task = l.tasks[ref.index];
        return {task_label(task), task.task_checked == 1    ? image::Accepted
                                  : task.task_complete == 1 ? image::Complete
                                                            : image::Task};
    }
    case RecordKind::None:
        break;
    }
    return {};
}

QTreeWidgetItem* new_tree_item(QTreeWidgetItem* parent, const ItemLook& look, TreeIcons& icons) {
    auto* item = parent ? new TreeItem(parent) : new TreeItem();
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    show_image(item, look.image, icons);
    item->setText(0, look.label);
    return item;
}

std::int32_t tree_pos_of(const Store& store, RecordRef ref) {
    const RecordLists& l = store.lists;
    switch (ref.kind) {
    case RecordKind::User:
        return ref.index < l.users.size() ? l.users[ref.index].tree_pos : -1;
    case RecordKind::Client:
        return ref.index < l.clients.size() ? l.clients[ref.index].tree_pos : -1;
    case RecordKind::Project:
        return ref.index < l.projects.size() ? l.projects[ref.index].tree_pos : -1;
    case RecordKind::Objective:
        return ref.index < l.objectives.size() ? l.objectives[ref.index].tree_pos : -1;
    case RecordKind::Task:
        return ref.index < l.tasks.size() ? l.tasks[ref.index].tree_pos : -1;
    case RecordKind::None:
        break;
    }
    return -1;
}

void set_tree_pos(Store& store, RecordRef ref, std::int32_t position) {
    RecordLists& l = store.lists;
    switch (ref.kind) {
    case RecordKind::User:
        l.users[ref.index].tree_pos = position;
        break;
    case RecordKind::Client:
        l.clients[ref.index].tree_pos = position;
        break;
    case RecordKind::Project:
        l.projects[ref.index].tree_pos = position;
        break;
    case RecordKind::Objective:
        l.objectives[ref.index].tree_pos = position;
        break;
    case RecordKind::Task:
        l.tasks[ref.index].tree_pos = position;
        break;
    case RecordKind::None:
        break;
    }
}

bool same_ref(RecordRef a, RecordRef b) {
    return a.kind == b.kind && a.index == b.index;
}

// The icon of a record's item, when the item at its position was built from that record.
void show_record_image(Workspace& ws, RecordRef ref, std::int32_t position, int image,
                       TreeIcons& icons) {
    if (position < 0 || static_cast<std::size_t>(position) >= ws.tree_records.size() ||
        !same_ref(ws.tree_records[static_cast<std::size_t>(position)], ref))
        return;
    if (QTreeWidgetItem* item = tree_item_at(ws, position))
        show_image(item, image, icons);
}

// Dotted lines join every item to its parent and its siblings, as in a classic tree; the
// platform style draws the expand buttons on top.
class TreeLinesStyle final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_IndicatorBranch) {
            const QRect r = option->rect;
            const QPoint mid = r.center();
            painter->save();
            painter->setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
            if (option->state & State_Item)
                painter->drawLine(mid.x(), mid.y(), r.right(), mid.y());
            if (option->state & State_Sibling)
                painter->drawLine(mid.x(), r.top(), mid.x(), r.bottom());
            else if (option->state & State_Item)
                painter->drawLine(mid.x(), r.top(), mid.x(), mid.y());
            painter->restore();
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

// A left click on empty tree space would clear the selection but leave the current item, on
// which New, Edit, Delete and the timer go on acting. Such clicks are dropped, so the item the
// commands act on stays highlighted.
class EmptySpaceClicks final : public QObject {
public:
    explicit EmptySpaceClicks(QTreeWidget* tree) : QObject(tree), tree_(tree) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && !tree_->itemAt(mouse->position().toPoint()))
                return true;
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTreeWidget* tree_;
};

void append_depth_first(QTreeWidgetItem* item, std::vector<QTreeWidgetItem*>& out) {
    out.push_back(item);
    for (int i = 0; i < item->childCount(); ++i)
        append_depth_first(item->child(i), out);
}

int subtree_size(const QTreeWidgetItem* item) {
    int n = 1;
    for (int i = 0; i < item->childCount(); ++i)
        n += subtree_size(item->child(i));
    return n;
}

void make_visible_and_current(QTreeWidget* tree, QTreeWidgetItem* item, bool expand_item) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    if (expand_item)
        item->setExpanded(true);
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
}

// One depth-first walk over the lists that numbers every record and, when the tree is refilled,
// creates its item.
class TreeBuild {
public:
    TreeBuild(Workspace& ws, Key select_key, RecordKind select_kind, bool refill)
        : ws_(ws), lists_(ws.store.lists), select_key_(select_key), select_kind_(select_kind),
          refill_(refill), icons_(icons_of(ws.tree)) {}

    void run() {
        const ChildIndex& children = ws_.store.children();
        for (std::size_t u = 0; u < lists_.users.size(); ++u) {
            QTreeWidgetItem* user_item =
                add({RecordKind::User, u}, lists_.users[u].key, lists_.users[u].tree_pos, nullptr);
            if (user_item)
                top_level_.push_back(user_item);
            for (std::size_t c = 0; c < lists_.clients.size(); ++c) {
                ClientRecord& client = lists_.clients[c];
                QTreeWidgetItem* client_item =
                    add({RecordKind::Client, c}, client.key, client.tree_pos, user_item);
                for (std::size_t p : children.projects_of_client(c))
                    add_project(children, p, client_item);
            }
        }
    }

    std::int32_t position_to_select() const { return to_select_; }
    std::vector<QTreeWidgetItem*>& top_level() { return top_level_; }
    std::vector<QTreeWidgetItem*>& items() { return items_; }
    std::vector<RecordRef>& records() { return records_; }

private:
    void add_project(const ChildIndex& children, std::size_t p, QTreeWidgetItem* parent) {
        ProjectRecord& project = lists_.projects[p];
        QTreeWidgetItem* project_item =
            add({RecordKind::Project, p}, project.key, project.tree_pos, parent);
        for (std::size_t o : children.objectives_of_project(p)) {
            ObjectiveRecord& objective = lists_.objectives[o];
            QTreeWidgetItem* objective_item =
                add({RecordKind::Objective, o}, objective.key, objective.tree_pos, project_item);
            for (std::size_t t : children.tasks_of_objective(o)) {
                TaskRecord& task = lists_.tasks[t];
                add({RecordKind::Task, t}, task.key, task.tree_pos, objective_item);
                for (std::int32_t& restart : lists_.restart)
                    if (restart == task.key)
                        restart = task.tree_pos;
                task.task_rate = project.project_rate;
            }
        }
    }

    // Numbers the record; returns its new item when the tree is refilled.
    QTreeWidgetItem* add(RecordRef ref, Key key, std::int32_t& tree_pos, QTreeWidgetItem* parent) {
        if (key == select_key_ && (select_kind_ == RecordKind::None || ref.kind == select_kind_))
            to_select_ = counter_;
        tree_pos = counter_++;
        records_.push_back(ref);
        if (!refill_)
            return nullptr;
        QTreeWidgetItem* item = new_tree_item(parent, look_of(lists_, ref), icons_);
        items_.push_back(item);
        return item;
    }

    Workspace& ws_;
    RecordLists& lists_;
    const Key select_key_;
    const RecordKind select_kind_;
    const bool refill_;
    std::int32_t counter_ = 0;
    std::int32_t to_select_ = 0;
    TreeIcons& icons_;
    std::vector<QTreeWidgetItem*> top_level_;
    std::vector<QTreeWidgetItem*> items_;
    std::vector<RecordRef> records_;
};

} // namespace

void setup_item_tree(QTreeWidget* tree) {
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(true);
    tree->setItemsExpandable(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree->setDragEnabled(false);
    tree->setAcceptDrops(false);
    tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    tree->setUniformRowHeights(true);
    install_cut_text_tips(tree);
    auto* lines = new TreeLinesStyle;
    lines->setParent(tree);
    tree->setStyle(lines);

    QPalette palette = tree->palette();
    palette.setColor(QPalette::Base, QColor(254, 254, 240));
    // The selection stays visible while another widget has the focus.
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    tree->setPalette(palette);
    tree->setAutoFillBackground(true);

    tree->viewport()->installEventFilter(new EmptySpaceClicks(tree));
}

void rebuild_tree(Workspace& ws, std::int32_t select_key, RecordKind select_kind) {
    bool refill = select_key >= -1;
    {
        const QSignalBlocker blocker(ws.tree);
        if (!refill) {
            TreeBuild build(ws, select_key, select_kind, false);
            build.run();
            std::vector<QTreeWidgetItem*> items;
            for (int i = 0; i < ws.tree->topLevelItemCount(); ++i)
                append_depth_first(ws.tree->topLevelItem(i), items);
            if (items.size() == build.records().size()) {
                ws.tree_records = std::move(build.records());
                ws.tree_items = std::move(items);
            } else {
                // The lists no longer match the items (a delete the database refused brings its
                // rows back on the reload): positions would point at the wrong records.
                refill = true;
                select_key = -1;
            }
        }
        if (refill) {
            // New items show no overdue state yet.
            ws.status_watch.full = true;
            ws.tree->clear();
            TreeBuild build(ws, select_key, select_kind, true);
            build.run();
            ws.tree_records = std::move(build.records());
            ws.tree_items = std::move(build.items());
            QList<QTreeWidgetItem*> top(build.top_level().begin(), build.top_level().end());
            ws.tree->addTopLevelItems(top);
            if (QTreeWidgetItem* item = tree_item_at(ws, build.position_to_select()))
                make_visible_and_current(ws.tree, item, false);
        }
    }
    const std::vector<std::int32_t> restart = std::move(ws.store.lists.restart);
    ws.store.lists.restart.clear();
    for (std::int32_t position : restart)
        toggle_timer(ws, position);
}

namespace {

// Icons of one project with its objectives and tasks; objective and project flags follow their
// children. The project counts each objective's flag as the previous pass left it, so a changed
// objective flag takes the project on the next pass: returns true then. `next_overdue` comes
// down to the first moment one of these items turns overdue.
bool refresh_project(Workspace& ws, std::size_t p, std::int64_t now, std::int64_t& next_overdue,
                     TreeIcons& icons) {
    RecordLists& lists = ws.store.lists;
    const ChildIndex& children = ws.store.children();
    const auto overdue = [now, &next_overdue](DateValue end) {
        const std::int64_t turns = static_cast<std::int64_t>(end) + kSecondsPerDay + 1;
        if (turns > now) {
            next_overdue = std::min(next_overdue, turns);
            return false;
        }
        return true;
    };

    ProjectRecord& project = lists.projects[p];
    int n_obj = 0;
    int n_obj_acc = 0;
    bool objective_flag_changed = false;
    for (std::size_t o : children.objectives_of_project(p)) {
        ObjectiveRecord& objective = lists.objectives[o];
        ++n_obj;
        if (objective.ob_complete != 0)
            ++n_obj_acc;

        int n_task = 0;
        int n_acc = 0;
        int n_comp = 0;
        for (std::size_t t : children.tasks_of_objective(o)) {
            const TaskRecord& task = lists.tasks[t];
            ++n_task;
            int image = image::Task;
            if (task.task_checked != 0) {
                image = image::Accepted;
                ++n_acc;
            } else if (task.task_complete != 0) {
                image = image::Complete;
                ++n_comp;
            } else if (overdue(task.Task_End)) {
                image = image::Overdue;
            }
            show_record_image(ws, {RecordKind::Task, t}, task.tree_pos, image, icons);
        }

        int image = image::Objective;
        const std::uint8_t was = objective.ob_complete;
        if (n_task == n_acc && n_acc > 0) {
            image = image::Accepted;
            objective.ob_complete = 1;
        } else {
            objective.ob_complete = 0;
            if (n_task == n_acc + n_comp && n_comp > 0)
                image = image::Complete;
            else if (overdue(objective.ob_end))
                image = image::Overdue;
        }
        objective_flag_changed = objective_flag_changed || objective.ob_complete != was;
        show_record_image(ws, {RecordKind::Objective, o}, objective.tree_pos, image, icons);
    }

    int image = image::Project;
    if (n_obj == n_obj_acc && n_obj_acc > 0) {
        image = image::Accepted;
        project.complete = 1;
    } else {
        project.complete = 0;
        if (overdue(project.project_end))
            image = image::Overdue;
    }
    show_record_image(ws, {RecordKind::Project, p}, project.tree_pos, image, icons);
    return objective_flag_changed;
}

template <typename Records>
std::optional<std::size_t> index_of_key(const Records& records, Key key) {
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].key == key)
            return i;
    return std::nullopt;
}

} // namespace

void refresh_status_icons(Workspace& ws) {
    StatusWatch& watch = ws.status_watch;
    const RecordLists& lists = ws.store.lists;
    const std::int64_t now = current_date(ws.clock);
    const std::int64_t day = start_of_today(ws.clock);
    const bool full = watch.full || watch.structure_version != ws.store.structure_version() ||
                      watch.day != day || now >= watch.next_overdue || now < watch.last_now;
    watch.last_now = now;
    TreeIcons& icons = icons_of(ws.tree);

    std::vector<Key> again;
    if (full) {
        watch.next_overdue = std::numeric_limits<std::int64_t>::max();
        for (std::size_t p = 0; p < lists.projects.size(); ++p)
            if (refresh_project(ws, p, now, watch.next_overdue, icons))
                again.push_back(lists.projects[p].key);
        watch.full = false;
        watch.structure_version = ws.store.structure_version();
        watch.day = day;
    } else {
        std::vector<Key> keys = std::move(watch.projects);
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (Key key : keys)
            if (const auto p = index_of_key(lists.projects, key))
                if (refresh_project(ws, *p, now, watch.next_overdue, icons))
                    again.push_back(key);
    }
    watch.projects = std::move(again);
}

void status_changed(Workspace& ws, RecordRef ref) {
    const RecordLists& l = ws.store.lists;
    std::optional<Key> project;
    switch (ref.kind) {
    case RecordKind::Task:
        if (ref.index < l.tasks.size())
            if (const auto o = index_of_key(l.objectives, l.tasks[ref.index].Obj_key))
                project = l.objectives[*o].Project_key;
        break;
    case RecordKind::Objective:
        if (ref.index < l.objectives.size())
            project = l.objectives[ref.index].Project_key;
        break;
    case RecordKind::Project:
        if (ref.index < l.projects.size())
            project = l.projects[ref.index].key;
        break;
    case RecordKind::User:
    case RecordKind::Client:
    case RecordKind::None:
        break;
    }
    if (project)
        ws.status_watch.projects.push_back(*project);
}

void set_tree_icon(Workspace& ws, std::int32_t position, int image) {
    if (QTreeWidgetItem* item = tree_item_at(ws, position)) {
        TreeIcons& icons = icons_of(ws.tree);
        show_image(item, image, icons);
    }
}

std::int32_t current_position(const Workspace& ws) {
    const QTreeWidgetItem* item = ws.tree->currentItem();
    if (!item)
        return -1;
    const auto found = std::find(ws.tree_items.begin(), ws.tree_items.end(), item);
    if (found == ws.tree_items.end())
        return -1;
    return static_cast<std::int32_t>(found - ws.tree_items.begin());
}

RecordRef record_at_position(const Workspace& ws, std::int32_t position) {
    if (position >= 0 && static_cast<std::size_t>(position) < ws.tree_records.size()) {
        const RecordRef ref = ws.tree_records[static_cast<std::size_t>(position)];
        if (tree_pos_of(ws.store, ref) == position)
            return ref;
    }
    return record_at(ws.store, position);
}

RecordRef current_record(const Workspace& ws) {
    return record_at_position(ws, current_position(ws));
}

QTreeWidgetItem* tree_item_at(const Workspace& ws, std::int32_t position) {
    if (position < 0 || static_cast<std::size_t>(position) >= ws.tree_items.size())
        return nullptr;
    return ws.tree_items[static_cast<std::size_t>(position)];
}

void select_tree_position(Workspace& ws, std::int32_t position) {
    if (QTreeWidgetItem* item = tree_item_at(ws, position)) {
        const QSignalBlocker blocker(ws.tree);
        make_visible_and_current(ws.tree, item, true);
    }
}

namespace {

// Records shown at or after `from` move `by` positions. Records the tree does not show (whose
// parent does not exist) keep the 0 of their load.
void shift_positions(RecordLists& l, std::int32_t from, std::int32_t by) {
    const auto shift = [from, by](auto& records) {
        for (auto& r : records)
            if (r.tree_pos >= from)
                r.tree_pos += by;
    };
    shift(l.users);
    shift(l.clients);
    shift(l.projects);
    shift(l.objectives);
    shift(l.tasks);
}

// The record of every position, from the records' own positions after an in-place change.
// False when some position is left without one: the tree no longer matches the lists.
bool renew_tree_records(Workspace& ws) {
    const RecordLists& l = ws.store.lists;
    std::vector<RecordRef> records(ws.tree_items.size());
    const auto enter = [&records](const auto& list, RecordKind kind) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::int32_t p = list[i].tree_pos;
            if (p > 0 && static_cast<std::size_t>(p) < records.size())
                records[static_cast<std::size_t>(p)] = {kind, i};
        }
    };
    enter(l.clients, RecordKind::Client);
    enter(l.projects, RecordKind::Project);
    enter(l.objectives, RecordKind::Objective);
    enter(l.tasks, RecordKind::Task);
    if (l.users.size() != 1 || l.users[0].tree_pos != 0 || records.empty())
        return false;
    records[0] = {RecordKind::User, 0};
    if (std::any_of(records.begin(), records.end(), [](RecordRef r) { return !r; }))
        return false;
    ws.tree_records = std::move(records);
    return true;
}

} // namespace

std::int32_t remove_tree_item(Workspace& ws, std::int32_t position) {
    QTreeWidgetItem* item = tree_item_at(ws, position);
    if (!item)
        return 0;
    const QSignalBlocker blocker(ws.tree);
    const auto first = static_cast<std::size_t>(position);
    const auto last = first + static_cast<std::size_t>(subtree_size(item));
    delete item;
    ws.tree_items.erase(ws.tree_items.begin() + static_cast<std::ptrdiff_t>(first),
                        ws.tree_items.begin() + static_cast<std::ptrdiff_t>(last));
    if (last <= ws.tree_records.size())
        ws.tree_records.erase(ws.tree_records.begin() + static_cast<std::ptrdiff_t>(first),
                              ws.tree_records.begin() + static_cast<std::ptrdiff_t>(last));
    // The item that took the removed one's place is shown selected.
    if (QTreeWidgetItem* current = ws.tree->currentItem())
        ws.tree->setCurrentItem(current);
    return static_cast<std::int32_t>(last - first);
}

void close_tree_gap(Workspace& ws, std::int32_t position, std::int32_t removed) {
    shift_positions(ws.store.lists, position + removed, -removed);
    if (!renew_tree_records(ws))
        rebuild_tree(ws, -3);
}

namespace {

// The item a record was built into, when the tree shows it.
QTreeWidgetItem* shown_item(const Workspace& ws, RecordRef ref) {
    const std::int32_t position = tree_pos_of(ws.store, ref);
    if (position < 0 || static_cast<std::size_t>(position) >= ws.tree_records.size() ||
        !same_ref(ws.tree_records[static_cast<std::size_t>(position)], ref))
        return nullptr;
    return tree_item_at(ws, position);
}

// Where a build would put the item of a record just placed in its list: its parent's item
// (nullptr when the parent is not shown) and its row among the parent's children.
struct ItemPlace {
    QTreeWidgetItem* parent = nullptr;
    int row = 0;
};

template <typename Parents>
std::optional<std::size_t> first_with_key(const Parents& parents, Key key) {
    for (std::size_t i = 0; i < parents.size(); ++i)
        if (parents[i].key == key)
            return i;
    return std::nullopt;
}

int row_among(const ChildIndex::Indices& siblings, std::size_t index) {
    return static_cast<int>(std::lower_bound(siblings.begin(), siblings.end(), index) -
                            siblings.begin());
}

ItemPlace place_of(const Workspace& ws, RecordRef ref) {
    const RecordLists& l = ws.store.lists;
    const ChildIndex& children = ws.store.children();
    switch (ref.kind) {
    case RecordKind::Client:
        return {ws.tree->topLevelItem(0), static_cast<int>(ref.index)};
    case RecordKind::Project:
        if (const auto c = first_with_key(l.clients, l.projects[ref.index].client_key))
            return {shown_item(ws, {RecordKind::Client, *c}),
                    row_among(children.projects_of_client(*c), ref.index)};
        break;
    case RecordKind::Objective:
        if (const auto p = first_with_key(l.projects, l.objectives[ref.index].Project_key))
            return {shown_item(ws, {RecordKind::Project, *p}),
                    row_among(children.objectives_of_project(*p), ref.index)};
        break;
    case RecordKind::Task:
        if (const auto o = first_with_key(l.objectives, l.tasks[ref.index].Obj_key))
            return {shown_item(ws, {RecordKind::Objective, *o}),
                    row_among(children.tasks_of_objective(*o), ref.index)};
        break;
    case RecordKind::User:
    case RecordKind::None:
        break;
    }
    return {};
}

bool has_children(const Store& store, RecordRef ref) {
    const ChildIndex& children = store.children();
    switch (ref.kind) {
    case RecordKind::Client:
        return !children.projects_of_client(ref.index).empty();
    case RecordKind::Project:
        return !children.objectives_of_project(ref.index).empty();
    case RecordKind::Objective:
        return !children.tasks_of_objective(ref.index).empty();
    default:
        return false;
    }
}

// Puts the item of a record just placed in its list into the tree where a build would put it
// and renumbers the positions (a tree that turns out not to match the lists is refilled). False
// when only a refill can show it: several users, a new record that found children waiting for
// its key.
bool insert_tree_item(Workspace& ws, RecordRef ref) {
    const RecordLists& l = ws.store.lists;
    if (l.users.size() != 1 || ws.tree->topLevelItemCount() != 1 || has_children(ws.store, ref))
        return false;
    // The records after the new one in its list have moved one on since the build.
    for (RecordRef& built : ws.tree_records)
        if (built.kind == ref.kind && built.index >= ref.index)
            ++built.index;
    const ItemPlace place = place_of(ws, ref);
    if (!place.parent)
        return true; // its parent is not shown, so neither is it
    const auto parent_at = std::find(ws.tree_items.begin(), ws.tree_items.end(), place.parent);
    if (parent_at == ws.tree_items.end())
        return false;
    // Right after the parent, or after the whole subtree of the sibling before it.
    std::int32_t position = static_cast<std::int32_t>(parent_at - ws.tree_items.begin()) + 1;
    for (int r = 0; r < place.row && r < place.parent->childCount(); ++r)
        position += subtree_size(place.parent->child(r));
    {
        const QSignalBlocker blocker(ws.tree);
        TreeIcons& icons = icons_of(ws.tree);
        auto* item = new TreeItem();
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
        const ItemLook look = look_of(l, ref);
        show_image(item, look.image, icons);
        item->setText(0, look.label);
        place.parent->insertChild(place.row, item);
        ws.tree_items.insert(ws.tree_items.begin() + position, item);
    }
    // Positions after the new item move one on; the tree keeps its items.
    RecordLists& lists = ws.store.lists;
    shift_positions(lists, position, 1);
    set_tree_pos(ws.store, ref, position);
    if (ref.kind == RecordKind::Task) {
        // A task works at its project's rate.
        const TaskRecord& task = lists.tasks[ref.index];
        if (const auto o = first_with_key(lists.objectives, task.Obj_key))
            if (const auto p = first_with_key(lists.projects, lists.objectives[*o].Project_key))
                lists.tasks[ref.index].task_rate = lists.projects[*p].project_rate;
    }
    if (!renew_tree_records(ws))
        rebuild_tree(ws, -2);
    return true;
}

} // namespace

void show_inserted_record(Workspace& ws, RecordKind kind, Key key, const InsertResult& result,
                          std::int32_t remembered) {
    const bool in_place =
        !result.reloaded && !result.reordered && insert_tree_item(ws, {kind, result.index});
    if (kind == RecordKind::Task) {
        if (!in_place)
            rebuild_tree(ws, -1);
        select_tree_position(ws, remembered);
        refresh_status_icons(ws);
        refresh_status_icons(ws);
        return;
    }
    if (!in_place) {
        rebuild_tree(ws, key, kind);
        return;
    }
    const RecordRef ref{kind, result.index};
    if (QTreeWidgetItem* item = shown_item(ws, ref)) {
        const QSignalBlocker blocker(ws.tree);
        make_visible_and_current(ws.tree, item, false);
    }
}

void remember_running_tasks(Workspace& ws) {
    RecordLists& lists = ws.store.lists;
    lists.restart.clear();
    for (const TaskRecord& task : lists.tasks)
        if (task.running == 1)
            lists.restart.push_back(task.key);
}

} // namespace olv
