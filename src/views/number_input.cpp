// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "views/number_input.h"

#include <cmath>
#include <limits>

namespace olv {

namespace {

// A locale whose digits are grouped by a space-like character takes a plain space there too:
// that is what a keyboard types.
QString with_locale_spaces(const QString& text, const QLocale& locale) {
    const QString group = locale.groupSeparator();
    if (group.size() != 1 || !group.front().isSpace() || group.front() == QLatin1Char(' '))
        return text;
    QString adapted = text;
    adapted.replace(QLatin1Char(' '), group.front());
    return adapted;
}

std::optional<double> finite(double value, bool ok) {
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> read_number(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double in_locale = locale.toDouble(with_locale_spaces(trimmed, locale), &ok);
    if (const auto value = finite(in_locale, ok))
        return value;
    const double in_c = QLocale::c().toDouble(trimmed, &ok);
    return finite(in_c, ok);
}

std::optional<double> read_rate(const QString& text, const QLocale& locale) {
    const std::optional<double> value = read_number(text, locale);
    if (!value || *value < 0 || *value > kMaxRate)
        return std::nullopt;
    return *value == 0 ? 0.0 : *value; // no "-0"
}

std::optional<std::int32_t> read_decimal_hours(const QString& text, const QLocale& locale) {
    const std::optional<double> hours = read_number(text, locale);
    if (!hours || *hours < 0)
        return std::nullopt;
    const double seconds = std::round(*hours * 3600.0);
    if (seconds > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(seconds);
}

QString rate_refused(const QString& field, const QString& text, const QLocale& locale) {
    return QStringLiteral("%1: \"%2\" is not an amount. Type it as %3 or 85.50, from 0 to %4.")
        .arg(field, text, locale.toString(85.5, 'f', 2), locale.toString(kMaxRate, 'f', 0));
}

QString duration_refused(const QString& field, const QString& text, const QLocale& locale) {
    return QStringLiteral("%1: \"%2\" is not a length of time. Type it as 1:30, 1:30:00, "
                          "2/01:30:00 or as hours: %3.")
        .arg(field, text, locale.toString(1.5, 'f', 1));
}

} // namespace olv
