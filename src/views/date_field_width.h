#pragma once
// Date fields wide enough for every date their display format can show, at any font size and
// scale factor, so no day or year is cut off.
class QDateEdit;

namespace olv {

// The width that shows the widest date of the picker's display format with its frame and
// buttons, as the picker's own size hint measures them.
int whole_date_width(const QDateEdit& picker);

// Widens the picker to whole_date_width() where it is narrower, and keeps layouts from making
// it narrower again.
void fit_date_field(QDateEdit& picker);

} // namespace olv
