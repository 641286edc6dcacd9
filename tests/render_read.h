#pragma once
// Reads back from the rendered pixels whether a control shows its whole text: the control is
// grabbed as it is, then once more made wide enough for any text, and the dark text pixels
// ("ink") of its text area are compared. A cut shows as ink that reaches the edge of the area or
// is narrower than the whole text's. Works at any scale factor: both pictures are in device
// pixels.
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace olv::testing {

struct Ink {
    int left = -1; // first and last column with ink, -1 when there is none
    int right = -1;
    int columns = 0; // the width of the area read
    int width() const { return left < 0 ? 0 : right - left + 1; }
};

// Columns holding a pixel darker than the text on a light base could be mistaken for.
inline Ink ink_of(const QImage& image) {
    Ink ink;
    ink.columns = image.width();
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 110) {
                if (ink.left < 0)
                    ink.left = x;
                ink.right = x;
                break;
            }
        }
    }
    return ink;
}

// Where the control draws its text, in its own logical coordinates.
inline QRect text_area(QWidget* control) {
    if (auto* picker = qobject_cast<QAbstractSpinBox*>(control)) {
        const auto* edit = picker->findChild<QLineEdit*>();
        return edit ? edit->geometry() : QRect();
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.currentText = combo->currentText();
        return combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                              QStyle::SC_ComboBoxEditField, combo);
    }
    // A line edit: inside its frame, which may be drawn dark when it has the focus.
    return control->rect().adjusted(3, 3, -3, -3);
}

inline Ink rendered_ink(QWidget* control) {
    const QPixmap picture = control->grab();
    const qreal ratio = picture.devicePixelRatio();
    const QRect area = text_area(control);
    const QRect device(
        QPoint(qRound(area.left() * ratio), qRound(area.top() * ratio)),
        QPoint(qRound((area.right() + 1) * ratio) - 1, qRound((area.bottom() + 1) * ratio) - 1));
    return ink_of(picture.toImage().copy(device));
}

// Empty when the control shows its whole text; otherwise what the pixels say, for the failure
// message. The control keeps its size and place.
inline QString text_cut(QWidget* control) {
    const QRect kept = control->geometry();
    const Ink shown = rendered_ink(control);
    control->resize(std::max(800, kept.width() * 4), kept.height());
    const Ink whole = rendered_ink(control);
    control->setGeometry(kept);
    if (whole.width() == 0)
        return QStringLiteral("no text drawn at all");
    if (shown.width() == 0)
        return QStringLiteral("no text shown");
    if (shown.left == 0 || shown.right == shown.columns - 1)
        return QStringLiteral("the text runs into the edge (ink %1 to %2 of %3 columns)")
            .arg(shown.left)
            .arg(shown.right)
            .arg(shown.columns);
    if (std::abs(shown.width() - whole.width()) > 1)
        return QStringLiteral("%1 of the text's %2 columns shown")
            .arg(shown.width())
            .arg(whole.width());
    return {};
}

} // namespace olv::testing
