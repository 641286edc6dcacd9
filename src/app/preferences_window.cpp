#include "app/preferences_window.h"

#include "print/todo_view.h"
#include "views/control_names.h"
#include "views/details.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/item_dialog.h"
#include "views/label_fit.h"
#include "views/tree.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <array>

namespace olv {

namespace {

constexpr std::array<const char*, 4> kDateFormats{"DD/MM/YYYY", "DD/MM/YY", "MM/DD/YYYY",
                                                  "MM/DD/YY"};

// The entry's date mask: "%" in front and every "/" followed by "%".
std::string mask_of_entry(const QString& entry) {
    QString mask = QStringLiteral("%") + entry;
    mask.replace(QStringLiteral("/"), QStringLiteral("/%"));
    return mask.toStdString();
}

int entry_of_mask(const std::string& mask) {
    const QString bare = QString::fromStdString(mask).remove(QLatin1Char('%'));
    for (std::size_t i = 0; i < kDateFormats.size(); ++i)
        if (bare.compare(QLatin1String(kDateFormats[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return 0;
}

QString id_name(int id) {
    return QString::number(id);
}

// Closed from its title bar: what was typed is discarded and the main window is current again,
// as after Cancel.
class PreferencesWindow final : public QWidget {
public:
    explicit PreferencesWindow(Workspace& ws) : ws_(ws) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        window_closed(ws_, id::PreferencesWindow, this);
    }

private:
    Workspace& ws_;
};

} // namespace

void place_small_window(QWidget* window, QPointer<QWidget>& slot, QWidget* owner, int id,
                        const QString& title, QSize inner_size) {
    delete slot.data();
    // Dialog type: the window system keeps it above its owner (on X11 only dialogs get
    // WM_TRANSIENT_FOR); it stays non-modal.
    window->setParent(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint);
    window->setObjectName(id_name(id));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    // Geometry of a top-level widget is its inner area, so the inner areas share a centre.
    const QPoint centre = owner ? owner->geometry().center()
                                : QPoint(inner_size.width() / 2, inner_size.height() / 2);
    window->setGeometry(
        QRect(centre - QPoint(inner_size.width() / 2, inner_size.height() / 2), inner_size));
    slot = window;
}

QPushButton* add_window_button(QWidget* window, Workspace& ws, int id, const QString& text,
                               const QRect& geometry) {
    auto* button = new QPushButton(text, window);
    button->setObjectName(id_name(id));
    button->setGeometry(geometry);
    const int window_id = window->objectName().toInt();
    QObject::connect(button, &QPushButton::clicked, window, [&ws, id, window_id] {
        if (ws.post_event)
            ws.post_event(control_event(id, window_id));
    });
    return button;
}

namespace {

const QString kKeepInTray = QStringLiteral("keep in tray");
const QString kIdleMinutes = QStringLiteral("idle minutes");

// The tray and idle rows below the display settings; OK and Cancel move below them.
void add_shell_rows(QWidget* window, const ShellPreferences& shell, QPushButton* ok,
                    QPushButton* cancel) {
    auto* keep =
        new QCheckBox(QStringLiteral("Keep running in the tray when the window is closed"), window);
    keep->setObjectName(kKeepInTray);
    keep->setGeometry(10, 90, 440, 20);
    keep->setChecked(shell.keep_in_tray);

    auto* ask = new QLabel(QStringLiteral("Ask after"), window);
    ask->setGeometry(10, 120, 60, 20);
    auto* minutes = new QSpinBox(window);
    minutes->setObjectName(kIdleMinutes);
    minutes->setRange(0, 24 * 60);
    minutes->setValue(shell.idle_minutes);
    minutes->setGeometry(75, 120, 60, 20);
    minutes->setAccessibleName(QStringLiteral("Ask after minutes without keyboard or mouse"));
    auto* rest =
        new QLabel(QStringLiteral("minutes without keyboard or mouse while a timer runs"), window);
    rest->setGeometry(140, 120, 310, 20);
    ask->setBuddy(minutes);
    rest->setBuddy(minutes);
    fit_label_texts({ask, rest});
    if (!shell.idle_available) {
        minutes->setEnabled(false);
        ask->setEnabled(false);
        rest->setEnabled(false);
        auto* note = new QLabel(shell.idle_note, window);
        note->setObjectName(QStringLiteral("idle note"));
        note->setWordWrap(true);
        note->setGeometry(10, 145, 440, 50);
    }
    const int buttons_y = shell.idle_available ? 160 : 205; // below the note when there is one
    ok->setGeometry(290, buttons_y, 60, 30);
    cancel->setGeometry(380, buttons_y, 60, 30);
}

} // namespace

std::optional<ShellPreferences> shown_shell_preferences(const Workspace& ws) {
    QWidget* window = ws.preferences_window;
    if (!window)
        return std::nullopt;
    const auto* keep = window->findChild<QCheckBox*>(kKeepInTray);
    const auto* minutes = window->findChild<QSpinBox*>(kIdleMinutes);
    if (!keep || !minutes)
        return std::nullopt;
    ShellPreferences shell;
    shell.keep_in_tray = keep->isChecked();
    shell.idle_minutes = minutes->value();
    shell.idle_available = minutes->isEnabled();
    return shell;
}

void open_preferences(Workspace& ws, const std::optional<ShellPreferences>& shell) {
    auto* window = new PreferencesWindow(ws);
    place_small_window(window, ws.preferences_window, ws.main_window, id::PreferencesWindow,
                       QStringLiteral("Preferences"),
                       !shell                  ? QSize(300, 140)
                       : shell->idle_available ? QSize(460, 200)
                                               : QSize(460, 245));

    auto* currency_label = new QLabel(QStringLiteral("Currency Symbol"), window);
    currency_label->setGeometry(10, 20, 100, 20);
    auto* format_label = new QLabel(QStringLiteral("Date Format"), window);
    format_label->setGeometry(10, 50, 60, 20);
    fit_label_texts({currency_label, format_label});
    auto* frame = new QFrame(window);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(QRect(QPoint(0, 0), window->size()));
    frame->lower();

    QPushButton* ok = add_window_button(window, ws, id::PreferencesOk, QStringLiteral("OK"),
                                        QRect(120, 90, 60, 30));
    QPushButton* cancel = add_window_button(window, ws, id::PreferencesCancel,
                                            QStringLiteral("Cancel"), QRect(220, 90, 60, 30));

    auto* currency = new QLineEdit(window);
    currency->setObjectName(id_name(id::PreferencesCurrency));
    currency->setGeometry(110, 20, 30, 20);

    auto* formats = new QComboBox(window);
    formats->setObjectName(id_name(id::PreferencesDateFormat));
    formats->setEditable(false);
    formats->setGeometry(110, 50, 180, 20);
    for (const char* entry : kDateFormats)
        formats->addItem(QLatin1String(entry));
    formats->setCurrentIndex(0);

    currency->setText(QString::fromStdString(ws.store.currency));
    formats->setCurrentIndex(entry_of_mask(ws.store.date_mask));
    if (shell)
        add_shell_rows(window, *shell, ok, cancel);

    name_controls_by_labels(window);
    order_tab_by_screen(window);
    // Return and Escape press OK and Cancel, as in the item dialogs.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), window);
        QObject::connect(shortcut, &QShortcut::activated, ok, &QPushButton::click);
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, cancel, &QPushButton::click);

    window->show();
}

void apply_preferences(Workspace& ws) {
    QWidget* window = ws.preferences_window;
    if (!window)
        return;
    const auto* currency = window->findChild<QLineEdit*>(id_name(id::PreferencesCurrency));
    const auto* formats = window->findChild<QComboBox*>(id_name(id::PreferencesDateFormat));
    if (!currency || !formats)
        return;
    const std::string symbol = currency->text().toStdString();
    const std::string mask = mask_of_entry(formats->currentText());

    if (!ws.store.lists.users.empty()) {
        UserRecord& user = ws.store.lists.users.front();
        user.user_Currency = symbol;
        user.user_DateFormat = mask;
        user.modified = true;
    }
    ws.store.currency = symbol;
    ws.store.date_mask = mask;

    close_window(ws, id::PreferencesWindow);

    if (ws.state.to_do_list_shown)
        show_to_do_list(ws);
    else
        show_item_details(ws, current_position(ws));
}

} // namespace olv
