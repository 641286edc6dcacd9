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

namespace olv {

namespace {

// The image number an item shows, so a refresh touches only the icons that change.
constexpr int kImageRole = Qt::UserRole + 1;

// Icons decoded once per build or refresh and shared by every item that shows them.
class TreeIcons {
public:
    const QIcon& get(int image) {
        QIcon& icon = icons_.at(static_cast<std::size_t>(image));
        if (icon.isNull())
            icon = program_icon(image);
        return icon;
    }

private:
    std::array<QIcon, image::Overdue + 1> icons_;
};

void show_image(QTreeWidgetItem* item, int image, TreeIcons& icons) {
    const QVariant shown = item->data(0, kImageRole);
    if (shown.isValid() && shown.toInt() == image)
        return;
    item->setData(0, kImageRole, image);
    item->setIcon(0, icons.get(image));
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
          refill_(refill) {}

    void run() {
        const ChildIndex& children = ws_.store.children();
        for (std::size_t u = 0; u < lists_.users.size(); ++u) {
            UserRecord& user = lists_.users[u];
            QTreeWidgetItem* user_item =
                add({RecordKind::User, u}, user.key, user.tree_pos, nullptr, image::User);
            if (user_item) {
                user_item->setText(0, QString::fromStdString(user.userID));
                top_level_.push_back(user_item);
            }
            for (std::size_t c = 0; c < lists_.clients.size(); ++c) {
                ClientRecord& client = lists_.clients[c];
                QTreeWidgetItem* client_item = add({RecordKind::Client, c}, client.key,
                                                   client.tree_pos, user_item, image::Client);
                if (client_item)
                    client_item->setText(0, QString::fromStdString(client.client_name));
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
            add({RecordKind::Project, p}, project.key, project.tree_pos, parent, image::Project);
        if (project_item)
            project_item->setText(0, QString::fromStdString(project.project_title));
        for (std::size_t o : children.objectives_of_project(p)) {
            ObjectiveRecord& objective = lists_.objectives[o];
            QTreeWidgetItem* objective_item =
                add({RecordKind::Objective, o}, objective.key, objective.tree_pos, project_item,
                    objective.ob_complete == 1 ? image::Accepted : image::Objective);
            if (objective_item)
                objective_item->setText(0, QString::fromStdString(objective.ob_title));
            for (std::size_t t : children.tasks_of_objective(o)) {
                TaskRecord& task = lists_.tasks[t];
                const int image = task.task_checked == 1    ? image::Accepted
                                  : task.task_complete == 1 ? image::Complete
                                                            : image::Task;
                if (QTreeWidgetItem* task_item =
                        add({RecordKind::Task, t}, task.key, task.tree_pos, objective_item, image))
                    task_item->setText(0, task_label(task));
                for (std::int32_t& restart : lists_.restart)
                    if (restart == task.key)
                        restart = task.tree_pos;
                task.task_rate = project.project_rate;
            }
        }
    }

    // Numbers the record; returns its new item (without text) when the tree is refilled.
    QTreeWidgetItem* add(RecordRef ref, Key key, std::int32_t& tree_pos, QTreeWidgetItem* parent,
                         int image) {
        if (key == select_key_ && (select_kind_ == RecordKind::None || ref.kind == select_kind_))
            to_select_ = counter_;
        tree_pos = counter_++;
        records_.push_back(ref);
        if (!refill_)
            return nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem();
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
        show_image(item, image, icons_);
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
    TreeIcons icons_;
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

void refresh_status_icons(Workspace& ws) {
    RecordLists& lists = ws.store.lists;
    const ChildIndex& children = ws.store.children();
    const std::int64_t now = current_date(ws.clock);
    const auto overdue = [now](DateValue end) {
        return static_cast<std::int64_t>(end) + kSecondsPerDay < now;
    };
    TreeIcons icons;

    for (std::size_t p = 0; p < lists.projects.size(); ++p) {
        ProjectRecord& project = lists.projects[p];
        int n_obj = 0;
        int n_obj_acc = 0;
        for (std::size_t o : children.objectives_of_project(p)) {
            ObjectiveRecord& objective = lists.objectives[o];
            // The project counts the flag as the previous pass left it.
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
    }
}

void set_tree_icon(Workspace& ws, std::int32_t position, int image) {
    if (QTreeWidgetItem* item = tree_item_at(ws, position)) {
        TreeIcons icons;
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

void remove_tree_item(Workspace& ws, std::int32_t position) {
    QTreeWidgetItem* item = tree_item_at(ws, position);
    if (!item)
        return;
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
}

void remember_running_tasks(Workspace& ws) {
    RecordLists& lists = ws.store.lists;
    lists.restart.clear();
    for (const TaskRecord& task : lists.tasks)
        if (task.running == 1)
            lists.restart.push_back(task.key);
}

} // namespace olv
