#include "app/preferences_window.h"

#include "print/todo_view.h"
#include "views/control_names.h"
#include "views/details.h"
#include "views/dialogs.h"
#include "views/ids.h"
#include "views/item_dialog.h"
#include "views/tree.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
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

const QSize kPreferencesSize(300, 140);
constexpr int kCurrencyCharacters = 8;

// A line edit as wide as `characters` of its widest letter, with its frame and margins.
int line_edit_width(const QLineEdit& field, int characters) {
    const QFontMetrics metrics(field.font());
    const int text = metrics.horizontalAdvance(QString(characters, QLatin1Char('W')));
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field);
    const QMargins margins = field.textMargins();
    // QLineEdit keeps two pixels beside its text on each side.
    const QSize contents(text + 4 + margins.left() + margins.right(), metrics.height());
    return field.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &field).width();
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

void open_preferences(Workspace& ws) {
    auto* window = new PreferencesWindow(ws);
    place_small_window(window, ws.preferences_window, ws.main_window, id::PreferencesWindow,
                       QStringLiteral("Preferences"), kPreferencesSize);

    auto* currency = new QLineEdit(window);
    currency->setObjectName(id_name(id::PreferencesCurrency));
    currency->setMinimumWidth(line_edit_width(*currency, kCurrencyCharacters));

    auto* formats = new QComboBox(window);
    formats->setObjectName(id_name(id::PreferencesDateFormat));
    formats->setEditable(false);
    for (const char* entry : kDateFormats)
        formats->addItem(QLatin1String(entry));
    formats->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    currency->setText(QString::fromStdString(ws.store.currency));
    formats->setCurrentIndex(entry_of_mask(ws.store.date_mask));

    // One row per setting: a new one is one more addRow.
    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    fields->addRow(new QLabel(QStringLiteral("Currency Symbol"), window), currency);
    fields->addRow(new QLabel(QStringLiteral("Date Format"), window), formats);

    QPushButton* ok = add_window_button(window, ws, id::PreferencesOk, QStringLiteral("OK"), {});
    QPushButton* cancel =
        add_window_button(window, ws, id::PreferencesCancel, QStringLiteral("Cancel"), {});
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(window);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // As large as the controls need, never smaller than before, still centred on its owner.
    const QPoint centre = window->geometry().center();
    QRect placed(QPoint(), window->sizeHint().expandedTo(kPreferencesSize));
    placed.moveCenter(centre);
    window->setGeometry(placed);
    layout->activate();

    name_controls_by_labels(window);
    order_tab_by_screen(window);
    // Return and Escape press OK and Cancel, as in the item dialogs.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), window);
        QObject::connect(shortcut, &QShortcut::activated, ok, &QPushButton::click);
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, cancel, &QPushButton::click);

    // Typing goes into the first field at once, over its value; Space no longer presses a button.
    currency->setFocus(Qt::ActiveWindowFocusReason);
    currency->selectAll();
    window->show();
    window->activateWindow();
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
