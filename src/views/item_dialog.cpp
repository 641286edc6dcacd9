#include "views/item_dialog.h"

#include "views/control_names.h"
#include "views/date_field_width.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/label_fit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <span>

namespace olv {

namespace {

enum class Kind { Label, Field, Frame, Button, Check, StartPicker, EndPicker };

struct Control {
    Kind kind;
    int id; // 0 for controls without an id
    QRect geometry;
    const char* text;
};

struct DialogLayout {
    int window;
    const char* title;
    QSize size;
    int return_event, escape_event;
    std::span<const Control> controls;
};

// Controls in creation order; the Tab key follows the screen instead.
constexpr Control kClientControls[] = {
    {Kind::Label, 0, {10, 20, 70, 20}, "Client Name"},
    {Kind::Field, id::ClientName, {80, 20, 240, 20}, ""},
    {Kind::Label, 0, {10, 70, 60, 20}, "Client Rate"},
    {Kind::Field, id::ClientRate, {80, 70, 100, 20}, ""},
    {Kind::Frame, 0, {0, 0, 340, 130}, ""},
    {Kind::Button, id::ClientOk, {230, 50, 60, 30}, "OK"},
    {Kind::Button, id::ClientCancel, {230, 90, 60, 30}, "Cancel"},
};

constexpr Control kProjectControls[] = {
    {Kind::Label, 0, {10, 20, 70, 20}, "Project Title"},
    {Kind::Field, id::ProjectTitle, {80, 20, 240, 20}, ""},
    {Kind::Label, 0, {10, 50, 60, 20}, "Project Start"},
    {Kind::Label, 0, {10, 80, 60, 20}, "Project End"},
    {Kind::Frame, 0, {0, 0, 340, 150}, ""},
    {Kind::Button, id::ProjectOk, {230, 60, 60, 30}, "OK"},
    {Kind::Button, id::ProjectCancel, {230, 100, 60, 30}, "Cancel"},
    {Kind::Label, 0, {10, 110, 60, 20}, "Project Rate"},
    {Kind::Field, id::ProjectRate, {80, 110, 70, 20}, ""},
    {Kind::StartPicker, 0, {80, 50, 100, 22}, ""},
    {Kind::EndPicker, 0, {80, 80, 100, 22}, ""},
};

constexpr Control kObjectiveControls[] = {
    {Kind::Label, 0, {10, 20, 70, 20}, "Title"},
    {Kind::Field, id::ObjectiveTitle, {80, 20, 240, 20}, ""},
    {Kind::Label, 0, {10, 50, 60, 20}, "Start Date"},
    {Kind::Label, 0, {10, 80, 60, 20}, "End Date"},
    {Kind::Frame, 0, {0, 0, 340, 130}, ""},
    {Kind::Button, id::ObjectiveOk, {230, 50, 60, 30}, "OK"},
    {Kind::Button, id::ObjectiveCancel, {230, 90, 60, 30}, "Cancel"},
    {Kind::StartPicker, 0, {80, 50, 100, 22}, ""},
    {Kind::EndPicker, 0, {80, 80, 100, 22}, ""},
};

constexpr Control kTaskControls[] = {
    {Kind::Label, 0, {10, 20, 70, 20}, "Task Title"},
    {Kind::Field, id::TaskTitle, {80, 20, 240, 20}, ""},
    {Kind::Label, 0, {10, 50, 60, 20}, "Task Start"},
    {Kind::Label, 0, {10, 80, 60, 20}, "Task End"},
    {Kind::Frame, 0, {0, 0, 340, 150}, ""},
    {Kind::Button, id::TaskOk, {230, 50, 60, 30}, "OK"},
    {Kind::Button, id::TaskCancel, {230, 90, 60, 30}, "Cancel"},
    {Kind::Label, 0, {10, 110, 60, 20}, "Completed"},
    {Kind::Check, id::TaskCompleted, {80, 110, 20, 20}, ""},
    {Kind::Check, id::TaskAcceptedBox, {190, 110, 20, 20}, ""},
    {Kind::Label, 0, {130, 110, 50, 20}, "Accepted"},
    {Kind::StartPicker, 0, {80, 50, 100, 22}, ""},
    {Kind::EndPicker, 0, {80, 80, 100, 22}, ""},
};

const DialogLayout& layout_of(int window) {
    static const DialogLayout layouts[] = {
        {id::ClientDialog,
         "Client",
         {341, 131},
         id::ClientReturn,
         id::ClientEscape,
         kClientControls},
        {id::ProjectDialog,
         "Project",
         {340, 150},
         id::ProjectReturn,
         id::ProjectEscape,
         kProjectControls},
        {id::ObjectiveDialog,
         "Objective",
         {341, 131},
         id::ObjectiveReturn,
         id::ObjectiveEscape,
         kObjectiveControls},
        {id::TaskDialog, "Task", {340, 150}, id::TaskReturn, id::TaskEscape, kTaskControls},
    };
    for (const DialogLayout& layout : layouts)
        if (layout.window == window)
            return layout;
    return layouts[0];
}

QDateEdit* make_picker(QWidget* parent, const Clock& clock) {
    auto* picker = new QDateEdit(parent);
    picker->setCalendarPopup(true);
    // Every day a date value can hold: the last, 2038-01-19, ends at 03:14:07.
    picker->setDateRange(QDate(1970, 1, 1), QDate(2038, 1, 19));
    const WallTime now = clock.wall_now();
    picker->setDate(QDate(now.year, now.month, now.day));
    return picker;
}

void centre_over_active_window(QWidget* dialog, QWidget* owner) {
    const QWidget* over = QApplication::activeWindow();
    if (!over || over == dialog)
        over = owner;
    QRect area;
    if (over && over->isVisible())
        area = over->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        dialog->move(area.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

} // namespace

ItemDialog::ItemDialog(Workspace& ws, int window)
    // A dialog-type window: the window system keeps it above the main window that owns it
    // (on X11 only dialogs get WM_TRANSIENT_FOR); it stays non-modal.
    : QWidget(ws.main_window, Qt::Dialog), ws_(ws), window_(window) {
    const DialogLayout& layout = layout_of(window);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::number(window));
    setWindowTitle(QString::fromUtf8(layout.title));
    resize(layout.size);

    const auto post = [&ws](const Event& event) {
        if (ws.post_event)
            ws.post_event(event);
    };

    QList<QLabel*> labels;
    for (const Control& c : layout.controls) {
        QWidget* widget = nullptr;
        const QString text = QString::fromUtf8(c.text);
        switch (c.kind) {
        case Kind::Label:
            widget = new QLabel(text, this);
            break;
        case Kind::Field: {
            auto* field = new QLineEdit(this);
            if (!title_)
                title_ = field;
            else
                rate_ = field;
            widget = field;
            break;
        }
        case Kind::Frame: {
            auto* frame = new QGroupBox(this);
            frame->setGeometry(c.geometry);
            // The frame only draws a border; clicks must reach the controls it surrounds.
            frame->lower();
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            continue;
        }
        case Kind::Button: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);
            const Event event = control_event(c.id, window);
            connect(button, &QPushButton::clicked, this, [post, event] { post(event); });
            widget = button;
            break;
        }
        case Kind::Check: {
            auto* box = new QCheckBox(this);
            if (c.id == id::TaskCompleted) {
                completed_ = box;
            } else {
                accepted_ = box;
                const Event event = control_event(c.id, window);
                connect(box, &QCheckBox::clicked, this, [post, event] { post(event); });
            }
            widget = box;
            break;
        }
        case Kind::StartPicker:
            widget = start_ = make_picker(this, ws.clock);
            break;
        case Kind::EndPicker:
            widget = end_ = make_picker(this, ws.clock);
            break;
        }
        if (c.id != 0)
            widget->setObjectName(QString::number(c.id));
        widget->setGeometry(c.geometry);
        if (auto* picker = qobject_cast<QDateEdit*>(widget))
            fit_date_field(*picker);
        if (auto* label = qobject_cast<QLabel*>(widget))
            labels.append(label);
    }
    fit_label_texts(labels);
    name_controls_by_labels(this);
    order_tab_by_screen(this);

    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        const Event event = menu_event(layout.return_event, window);
        connect(shortcut, &QShortcut::activated, this, [post, event] { post(event); });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    const Event escape_event = menu_event(layout.escape_event, window);
    connect(escape, &QShortcut::activated, this, [post, escape_event] { post(escape_event); });

    centre_over_active_window(this, ws.main_window);
}

void ItemDialog::remember_shown_values() {
    remembered_ = true;
    shown_rate_ = rate_ ? rate_->text() : QString();
    shown_start_ = start_ ? start_->date() : QDate();
    shown_end_ = end_ ? end_->date() : QDate();
}

bool ItemDialog::rate_unchanged() const {
    return remembered_ && rate_ && rate_->text() == shown_rate_;
}

bool ItemDialog::start_unchanged() const {
    return remembered_ && start_ && start_->date() == shown_start_;
}

bool ItemDialog::end_unchanged() const {
    return remembered_ && end_ && end_->date() == shown_end_;
}

void ItemDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    window_closed(ws_, window_, this);
}

ItemDialog* item_dialog(Workspace& ws, int window) {
    QPointer<QWidget>* slot = window_slot(ws, window);
    return slot ? qobject_cast<ItemDialog*>(slot->data()) : nullptr;
}

ItemDialog* open_item_dialog(Workspace& ws, int window) {
    close_window(ws, window);
    auto* dialog = new ItemDialog(ws, window);
    *window_slot(ws, window) = dialog;
    dialog->show();
    dialog->activateWindow();
    return dialog;
}

void window_closed(Workspace& ws, int window, const QWidget* closed) {
    if (QPointer<QWidget>* slot = window_slot(ws, window); slot && *slot == closed)
        *slot = nullptr;
    if (ws.main_window)
        ws.main_window->activateWindow();
}

QPointer<QWidget>* window_slot(Workspace& ws, int window) {
    switch (window) {
    case id::ClientDialog:
        return &ws.client_dialog;
    case id::ProjectDialog:
        return &ws.project_dialog;
    case id::ObjectiveDialog:
        return &ws.objective_dialog;
    case id::TaskDialog:
        return &ws.task_dialog;
    case id::AboutWindow:
        return &ws.about_window;
    case id::PreferencesWindow:
        return &ws.preferences_window;
    default:
        return nullptr;
    }
}

} // namespace olv
