#include "reports/money.h"

#include "common/text.h"

#include <limits>
#include <string>

namespace olv {

namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kLeast = std::numeric_limits<std::int64_t>::min();

std::int64_t held_in_range(__int128 value) {
    if (value > kMost)
        return kMost;
    if (value < kLeast)
        return kLeast;
    return static_cast<std::int64_t>(value);
}

} // namespace

std::int64_t rate_cents(double rate) {
    const std::string text = two_decimals(rate);
    if (text.find_first_not_of("-0123456789.") != std::string::npos)
        return 0; // inf, nan
    __int128 cents = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            continue;
        cents = cents * 10 + (c - '0');
        if (cents > kMost)
            break;
    }
    return held_in_range(text.front() == '-' ? -cents : cents);
}

std::int64_t amount_cents(std::int64_t seconds, std::int64_t rate_in_cents) {
    // Whole numbers throughout, wide enough for any product: n / 3600 with the remainder
    // deciding the rounding.
    const __int128 n = static_cast<__int128>(seconds) * rate_in_cents;
    __int128 q = n / 3600;
    const __int128 r = n % 3600;
    if (2 * (r < 0 ? -r : r) >= 3600)
        q += n < 0 ? -1 : 1;
    return held_in_range(q);
}

} // namespace olv
