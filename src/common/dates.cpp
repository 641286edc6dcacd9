#include "common/dates.h"

#include "common/civil.h"
#include "common/clock.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace olv {

namespace {

constexpr std::int64_t kMaxDate = 2147483647;

bool is_leap_year(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// The fields of a date value; every field is 0 for a value below 0.
struct Fields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

Fields fields_of(DateValue d) {
    Fields f;
    if (d < 0)
        return f;
    const CivilDay c = civil_from_days(d / kSecondsPerDay);
    const int time = d % kSecondsPerDay;
    f.year = c.year;
    f.month = c.month;
    f.day = c.day;
    f.hour = time / 3600;
    f.minute = time / 60 % 60;
    f.second = time % 60;
    return f;
}

enum class Token { None, Year4, Year2, Month, Day, Hour, Minute, Second };

struct TokenSpelling {
    std::string_view letters;
    Token token;
};

// Tried in this order, so "%yyyy" wins over "%yy".
constexpr std::array<TokenSpelling, 7> kTokens{{
    {"yyyy", Token::Year4},
    {"yy", Token::Year2},
    {"mm", Token::Month},
    {"dd", Token::Day},
    {"hh", Token::Hour},
    {"ii", Token::Minute},
    {"ss", Token::Second},
}};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The token that starts right after the "%" at mask[percent], and its length without the "%".
TokenSpelling token_at(std::string_view mask, std::size_t percent) {
    const std::string_view rest = mask.substr(percent + 1);
    for (const auto& spelling : kTokens) {
        if (rest.size() < spelling.letters.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < spelling.letters.size() && same; ++i)
            same = lower(rest[i]) == spelling.letters[i];
        if (same)
            return spelling;
    }
    return {{}, Token::None};
}

void append_padded(std::string& out, int value, int width) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 && n < 11);
    for (int i = n; i < width; ++i)
        out += '0';
    while (n > 0)
        out += digits[--n];
}

} // namespace

DateValue make_date(int year, int month, int day, int hour, int minute, int second) {
    if (day == 31 && (month == 4 || month == 6 || month == 9 || month == 11))
        return kInvalidDate;
    if (month == 2 && day >= 30)
        return kInvalidDate;
    if (month == 2 && day == 29 && !is_leap_year(year))
        return kInvalidDate;
    if (second < 0 || second > 59 || minute < 0 || minute > 59 || hour < 0 || hour > 23 ||
        day < 1 || day > 31 || month < 1 || month > 12 || year < 1)
        return kInvalidDate;
    const std::int64_t value =
        days_from_civil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    if (value < 0 || value > kMaxDate)
        return kInvalidDate;
    return static_cast<DateValue>(value);
}

DateValue current_date(const Clock& clock) {
    const WallTime now = clock.wall_now();
    return make_date(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

DateValue start_of_today(const Clock& clock) {
    // The same value as writing today as "%YYYY/%MM/%DD" and reading it back: the time of day
    // dropped, and an unrepresentable today stays invalid.
    return start_of_day(current_date(clock));
}

// Dates before 1970 are invalid, as are their days.
DateValue start_of_day(DateValue d) {
    if (d < 0)
        return kInvalidDate;
    return d - d % kSecondsPerDay;
}

int date_year(DateValue d) {
    return fields_of(d).year;
}
int date_month(DateValue d) {
    return fields_of(d).month;
}
int date_day(DateValue d) {
    return fields_of(d).day;
}
int date_hour(DateValue d) {
    return fields_of(d).hour;
}
int date_minute(DateValue d) {
    return fields_of(d).minute;
}
int date_second(DateValue d) {
    return fields_of(d).second;
}

// A value below 0 is written with every field 0, as the field operations see it ("00/00/0000"),
// so that reading the text back gives an invalid date again rather than 1970-01-01.
std::string format_date(std::string_view mask, DateValue d) {
    const Fields f = fields_of(d);
    std::string out;
    out.reserve(mask.size() + 8);
    std::size_t i = 0;
    while (i < mask.size()) {
        if (mask[i] != '%') {
            out += mask[i++];
            continue;
        }
        const TokenSpelling spelling = token_at(mask, i);
        switch (spelling.token) {
        case Token::None:
            out += '%';
            ++i;
            continue;
        case Token::Year4:
            append_padded(out, f.year % 10000, 4);
            break;
        case Token::Year2:
            append_padded(out, f.year % 100, 2);
            break;
        case Token::Month:
            append_padded(out, f.month, 2);
            break;
        case Token::Day:
            append_padded(out, f.day, 2);
            break;
        case Token::Hour:
            append_padded(out, f.hour, 2);
            break;
        case Token::Minute:
            append_padded(out, f.minute, 2);
            break;
        case Token::Second:
            append_padded(out, f.second, 2);
            break;
        }
        i += 1 + spelling.letters.size();
    }
    return out;
}

DateValue parse_date(std::string_view mask, std::string_view text) {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (mask.empty() || text.empty())
        return make_date(year, month, day, hour, minute, second);

    std::size_t pos = 0;
    const auto skip_one = [&] {
        if (pos < text.size())
            ++pos;
    };
    const auto read_digits = [&](std::size_t limit) {
        int value = 0;
        for (std::size_t n = 0; n < limit && pos < text.size(); ++n, ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9')
                break;
            value = value * 10 + (c - '0');
        }
        return value;
    };

    std::size_t i = 0;
    while (i < mask.size()) {
        if (mask[i] != '%') {
            ++i;
            skip_one();
            continue;
        }
        const TokenSpelling spelling = token_at(mask, i);
        switch (spelling.token) {
        case Token::None:
            i += 2;
            skip_one();
            continue;
        case Token::Year4:
            year = read_digits(4);
            break;
        case Token::Year2: {
            const int n = read_digits(2);
            year = n < 70 ? 2000 + n : 1900 + n;
            break;
        }
        case Token::Month:
            month = read_digits(2);
            break;
        case Token::Day:
            day = read_digits(2);
            break;
        case Token::Hour:
            hour = read_digits(2);
            break;
        case Token::Minute:
            minute = read_digits(2);
            break;
        case Token::Second:
            second = read_digits(2);
            break;
        }
        i += 1 + spelling.letters.size();
    }
    return make_date(year, month, day, hour, minute, second);
}

} // namespace olv
