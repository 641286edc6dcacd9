#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace olv {

// HH:MM:SS, or D/HH:MM:SS from one day on.
std::string format_duration(std::int64_t seconds);
// The currency symbol, then the amount with two decimals ("£12.50", "£-3.00").
std::string format_money(std::string_view currency, double amount);
// The same for an amount in whole cents, exact at any size ("£227.05", "£-0.50").
std::string format_cents(std::string_view currency, std::int64_t cents);

} // namespace olv
