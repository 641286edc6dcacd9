#pragma once
// The one money rule: an amount is worked out per time entry and rounded to the cent, half away
// from zero, as on an invoice; every money figure shown, printed or exported is a sum of such
// entry amounts, so all of them agree to the cent.
#include <cstdint>

namespace olv {

// The rate as it is written (two decimals), in whole cents, so 12.345 (just below in binary) is
// 1235. A rate that is not finite counts as 0; one beyond the range of cents is held at its end.
std::int64_t rate_cents(double rate);

// The money of `seconds` at a rate in cents: seconds x rate / 3600, rounded half away from zero
// to the cent. Exact for every 64-bit time; a result beyond the range of cents is held at its end.
std::int64_t amount_cents(std::int64_t seconds, std::int64_t rate_in_cents);

// The amount of one time entry at a rate as held in memory.
inline std::int64_t entry_amount_cents(std::int64_t seconds, double rate) {
    return amount_cents(seconds, rate_cents(rate));
}

} // namespace olv
