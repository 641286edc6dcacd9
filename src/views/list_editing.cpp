#include "views/list_editing.h"

#include "views/detail_list_delegate.h"
#include "views/details.h"
#include "views/timer.h"
#include "views/tree.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace olv {

namespace {

// A one-pixel black outline over the last clicked cell. It lives on the list's viewport, so it
// follows the list when it scrolls.
class CellFrame final : public QWidget {
public:
    explicit CellFrame(QWidget* viewport) : QWidget(viewport) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// Renaming by editing tree labels: never a running task, never to an empty name. Renaming the
// user item is how the user's name is changed after the first start.
class TreeLabelDelegate final : public QStyledItemDelegate {
public:
    TreeLabelDelegate(Workspace& ws, QObject* parent) : QStyledItemDelegate(parent), ws_(ws) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        commit_cell_edit(ws_);
        const RecordRef ref = current_record(ws_);
        if (ref.kind == RecordKind::None)
            return nullptr;
        if (ref.kind == RecordKind::Task && ws_.store.lists.tasks[ref.index].running)
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
        const auto* field = qobject_cast<QLineEdit*>(editor);
        if (!field || field->text().isEmpty())
            return;
        rename_item(ws_, current_position(ws_), field->text());
    }

private:
    Workspace& ws_;
};

} // namespace

// The frame and the cell editor of the time-entry view. In every other view of the detail list
// the mouse works as usual.
class ListEditing final : public QObject {
    Q_OBJECT
public:
    explicit ListEditing(Workspace& ws)
        : QObject(ws.list), ws_(ws), viewport_(ws.list->viewport()),
          frame_(new CellFrame(viewport_)) {
        viewport_->installEventFilter(this);
        // A refilled list shows other rows: the frame and the editor no longer belong to them.
        connect(ws.list->model(), &QAbstractItemModel::modelAboutToBeReset, this,
                &ListEditing::discard);
    }

    void commit() {
        if (!editor_)
            return;
        QLineEdit* editor = editor_;
        editor_ = nullptr;
        editor->disconnect(this);
        const QString text = editor->text();
        if (QTreeWidgetItem* item = ws_.list->topLevelItem(edit_row_))
            item->setText(edit_column_, text);
        const bool had_focus = editor->hasFocus();
        set_entry_time(ws_, text, edit_row_, edit_column_);
        editor->hide();
        editor->deleteLater();
        if (had_focus)
            ws_.list->setFocus();
    }

    CellEditing state() const {
        CellEditing s;
        s.frame_shown = frame_shown_;
        s.row = row_;
        s.column = column_;
        s.frame = frame_shown_ ? frame_->geometry() : QRect();
        s.editor = editor_;
        s.edit_row = editor_ ? edit_row_ : -1;
        s.edit_column = editor_ ? edit_column_ : -1;
        return s;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Compared with the pointer kept at install time: while the list is being destroyed its
        // viewport still sends events, and the list may no longer be asked for anything.
        if (watched != viewport_ || !ws_.state.time_entries_shown)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            if (event->type() == QEvent::MouseButtonPress)
                click(mouse->position().toPoint());
            else if (event->type() == QEvent::MouseButtonDblClick)
                double_click(mouse->position().toPoint());
            // The list's own selection does not follow left clicks in this view.
            return true;
        }
        case QEvent::MouseMove:
            return (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton) != 0;
        default:
            return false;
        }
    }

private:
    void click(const QPoint& pos) {
        commit();
        const QModelIndex index = ws_.list->indexAt(pos);
        if (!index.isValid())
            return;
        QRect cell = ws_.list->visualRect(index);
        cell.setLeft(cell.left() + 1);
        cell.setBottom(cell.bottom() - 1);
        row_ = index.row();
        column_ = index.column();
        frame_shown_ = true;
        frame_->setGeometry(cell);
        frame_->show();
        frame_->raise();
        frame_->update();
    }

    void double_click(const QPoint& pos) {
        commit();
        const QModelIndex index = ws_.list->indexAt(pos);
        if (!index.isValid())
            return;
        edit_row_ = index.row();
        edit_column_ = index.column();
        if (edit_column_ == entry_column::Billed) {
            toggle_billed(ws_, edit_row_);
        } else if (edit_column_ == entry_column::Time) {
            const QRect cell = ws_.list->visualRect(index);
            auto* editor = new QLineEdit(ws_.list->viewport());
            editor->setFrame(false);
            editor->setGeometry(cell.left() + 1, cell.top(), cell.width() - 1, cell.height() - 1);
            editor->setText(index.data().toString());
            // Enter, or leaving the field for anywhere else, applies the text.
            connect(editor, &QLineEdit::editingFinished, this, &ListEditing::commit);
            editor_ = editor;
            editor->show();
            editor->setFocus();
        }
    }

    void discard() {
        if (QLineEdit* editor = editor_) {
            editor_ = nullptr;
            editor->disconnect(this);
            editor->hide();
            editor->deleteLater();
        }
        frame_shown_ = false;
        if (frame_)
            frame_->hide();
    }

    Workspace& ws_;
    QWidget* viewport_;
    // Guarded: while the list is destroyed its model may be reset after the viewport has gone.
    QPointer<CellFrame> frame_;
    bool frame_shown_ = false;
    int row_ = -1;
    int column_ = -1;
    QPointer<QLineEdit> editor_;
    int edit_row_ = -1;
    int edit_column_ = -1;
};

namespace {

ListEditing* list_editing_of(const Workspace& ws) {
    return ws.list ? ws.list->findChild<ListEditing*>(QString(), Qt::FindDirectChildrenOnly)
                   : nullptr;
}

} // namespace

void install_list_editing(Workspace& ws) {
    if (list_editing_of(ws))
        return;
    auto* delegate = dynamic_cast<DetailListDelegate*>(ws.list->itemDelegate());
    if (!delegate) {
        delegate = new DetailListDelegate(ws.list);
        ws.list->setItemDelegate(delegate);
    }
    delegate->set_row_colours(true);
    ws.list->viewport()->update();
    new ListEditing(ws);
    ws.tree->setItemDelegate(new TreeLabelDelegate(ws, ws.tree));
}

void commit_cell_edit(Workspace& ws) {
    if (ListEditing* editing = list_editing_of(ws))
        editing->commit();
}

CellEditing cell_editing(const Workspace& ws) {
    const ListEditing* editing = list_editing_of(ws);
    return editing ? editing->state() : CellEditing{};
}

void rename_item(Workspace& ws, std::int32_t position, const QString& text) {
    RecordLists& lists = ws.store.lists;
    const RecordRef ref = record_at_position(ws, position);
    const std::string name = text.toStdString();
    QString label = text;
    switch (ref.kind) {
    case RecordKind::Client:
        lists.clients[ref.index].client_name = name;
        lists.clients[ref.index].modified = true;
        break;
    case RecordKind::Project:
        lists.projects[ref.index].project_title = name;
        lists.projects[ref.index].modified = true;
        break;
    case RecordKind::Objective:
        lists.objectives[ref.index].ob_title = name;
        lists.objectives[ref.index].modified = true;
        break;
    case RecordKind::Task:
        lists.tasks[ref.index].task_title = name;
        lists.tasks[ref.index].modified = true;
        label = task_label(lists.tasks[ref.index]);
        break;
    case RecordKind::User:
        lists.users[ref.index].userID = name;
        lists.users[ref.index].modified = true;
        // The settings keep the name for the to-do list's heading and for new databases.
        if (ws.set_user_name)
            ws.set_user_name(name);
        break;
    case RecordKind::None:
        return;
    }
    if (QTreeWidgetItem* item = tree_item_at(ws, position))
        item->setText(0, label);
}

} // namespace olv

#include "list_editing.moc"
