// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Numbers the user types (rates, amounts, decimal hours), read in the user's language: the
// user's locale first ("85,50" under German, "1,234.5" under British English), then the plain
// C form ("85.50"), which is always understood. The whole text must be the number: nothing is
// cut to its leading digits.
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

namespace olv {

// Rates and amounts above this are typing mistakes (a million an hour).
inline constexpr double kMaxRate = 1000000.0;

// A finite number, or nothing for any other text (empty, words, "inf", "nan", out of range).
std::optional<double> read_number(const QString& text, const QLocale& locale = QLocale());
// A rate or amount from 0 to kMaxRate.
std::optional<double> read_rate(const QString& text, const QLocale& locale = QLocale());
// Decimal hours ("1.5", "1,5") as whole seconds, from 0 to what an entry can hold.
std::optional<std::int32_t> read_decimal_hours(const QString& text,
                                               const QLocale& locale = QLocale());

// The refusal of a field's text: names the field, quotes the text and shows how to type it.
QString rate_refused(const QString& field, const QString& text, const QLocale& locale = QLocale());
QString duration_refused(const QString& field, const QString& text,
                         const QLocale& locale = QLocale());

} // namespace olv
