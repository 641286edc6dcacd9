#include "views/date_field_width.h"

#include <QDateEdit>
#include <QFontMetrics>
#include <QLocale>
#include <algorithm>

namespace olv {

int whole_date_width(const QDateEdit& picker) {
    const QFontMetrics metrics(picker.font());
    const QLocale locale = picker.locale();
    const QString format = picker.displayFormat();
    const auto text_width = [&](const QDate& day) {
        // The size hint measures its texts with a trailing space.
        return metrics.horizontalAdvance(locale.toString(day, format) + QLatin1Char(' '));
    };
    // The size hint knows only the first and the last day; its frame and buttons are the rest.
    const int hinted_text =
        std::max(text_width(picker.minimumDate()), text_width(picker.maximumDate()));
    const int decoration = picker.sizeHint().width() - hinted_text;
    // Every day of a leap year gives every day, month and weekday name their widest form.
    int widest = hinted_text;
    for (QDate day(2000, 1, 1); day.year() == 2000; day = day.addDays(1))
        widest = std::max(widest, text_width(day));
    return widest + decoration;
}

void fit_date_field(QDateEdit& picker) {
    const int width = whole_date_width(picker);
    picker.setMinimumWidth(width);
    if (picker.width() < width)
        picker.resize(width, picker.height());
}

} // namespace olv
