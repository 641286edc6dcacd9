#include "reports/format.h"

#include "common/text.h"

namespace olv {

namespace {

void append_two_digits(std::string& out, std::uint64_t value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

// A negative duration (an entry edited below zero in an old file) is written as "-" and the
// text of its size, so it never shows a negative field.
std::string format_duration(std::int64_t seconds) {
    std::string out;
    std::uint64_t size = static_cast<std::uint64_t>(seconds);
    if (seconds < 0) {
        out += '-';
        size = 0 - size;
    }
    const std::uint64_t days = size / 86400;
    if (days > 0) {
        out += std::to_string(days);
        out += '/';
    }
    append_two_digits(out, size / 3600 % 24);
    out += ':';
    append_two_digits(out, size / 60 % 60);
    out += ':';
    append_two_digits(out, size % 60);
    return out;
}

std::string format_money(std::string_view currency, double amount) {
    std::string out(currency);
    out += two_decimals(amount);
    return out;
}

std::string format_cents(std::string_view currency, std::int64_t cents) {
    std::string out(currency);
    std::uint64_t size = static_cast<std::uint64_t>(cents);
    if (cents < 0) {
        out += '-';
        size = 0 - size;
    }
    out += std::to_string(size / 100);
    out += '.';
    append_two_digits(out, size % 100);
    return out;
}

} // namespace olv
