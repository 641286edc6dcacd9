#pragma once
// Text rules shared by the store and the views.
#include <cstdint>
#include <string>
#include <string_view>

namespace olv {

// Doubles every "'" so a user text can stand between single quotes in SQL (standard quoting).
std::string escape_quotes(std::string_view text);

// Texts are UTF-8 in memory and in the database. A stored text that is not valid UTF-8 is
// read as Windows-1252 (old files hold "£" as the single byte A3).
bool is_valid_utf8(std::string_view text);
std::string text_from_database(std::string_view raw);

// Decimal conversions of stored cells: leading blanks, an optional sign, digits up to the first
// other character; no digits give 0. Integers keep their low 32 (or 64) bits.
std::int32_t to_int32(std::string_view text);
// The same keeping 64 bits (an entry's time).
std::int64_t to_int64(std::string_view text);
// The same for a real: sign, digits, point and exponent only ("12.5 an hour" gives 12.5). Words
// ("inf", "nan") and values beyond a double's finite range give 0, so the result is finite.
double to_real(std::string_view text);

// A rate or amount with exactly two decimals and a point ("12.35", "-3.00").
std::string two_decimals(double value);

} // namespace olv
