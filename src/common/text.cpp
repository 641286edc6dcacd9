#include "common/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace olv {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skip_blanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    return i;
}

// Code points of the bytes 80-9F in Windows-1252. The five bytes the code page leaves unused
// keep their C1 control code points, so no byte is lost.
constexpr std::array<char32_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the decimal number at the start of the text: digits, an optional point and
// digits, an optional exponent; at least one digit before the exponent. 0 when there is none.
// Words such as "inf" and "nan" are not numbers here.
std::size_t number_length(std::string_view text) {
    std::size_t i = 0;
    std::size_t digits = 0;
    for (; i < text.size() && is_digit(text[i]); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && is_digit(text[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '-' || text[j] == '+'))
            ++j;
        if (j < text.size() && is_digit(text[j])) {
            while (j < text.size() && is_digit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

} // namespace

std::string escape_quotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

bool is_valid_utf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            if (b0 == 0xE0)
                low = 0xA0; // no overlong forms
            if (b0 == 0xED)
                high = 0x9F; // no surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            if (b0 == 0xF0)
                low = 0x90;
            if (b0 == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        const auto b1 = static_cast<unsigned char>(text[i + 1]);
        if (b1 < low || b1 > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if (b < 0x80 || b > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

std::string text_from_database(std::string_view raw) {
    if (is_valid_utf8(raw))
        return std::string(raw);
    std::string out;
    out.reserve(raw.size() + raw.size() / 2);
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F)
            append_utf8(out, kWindows1252High[b - 0x80]);
        else
            append_utf8(out, b);
    }
    return out;
}

// A run of digits too long for 64 bits keeps its low 64 bits, as the value would in a register.
std::int64_t to_int64(std::string_view text) {
    std::size_t i = skip_blanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && is_digit(text[i]); ++i)
        value = value * 10u + static_cast<std::uint64_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int64_t>(value);
}

// A run too long for 32 bits keeps its low 32 bits (the same as counting in 32 bits throughout);
// keys and dates are never that long.
std::int32_t to_int32(std::string_view text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to_int64(text)));
}

double to_real(std::string_view text) {
    std::size_t i = skip_blanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view number = text.substr(i, number_length(text.substr(i)));
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    // A value too large or too small for a double, or not finite, reads as 0: no statement may
    // ever hold one.
    if (number.empty() || error != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

// A value that rounds to zero is written without a sign ("0.00", never "-0.00").
std::string two_decimals(double value) {
    // Round the shortest decimal text that reads back as the value, half away from zero, so a
    // rate typed as 12.345 is written 12.35 although its binary value lies just below.
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc())
        return "0.00";
    std::string text(buffer, end);
    if (text.find_first_not_of("-0123456789.") != std::string::npos)
        return text; // inf, nan
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.erase(0, 1);
    const std::size_t point = text.find('.');
    std::string whole = point == std::string::npos ? text : text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    const bool round_up = fraction.size() > 2 && fraction[2] >= '5';
    fraction.resize(2, '0');
    std::string digits = whole + fraction;
    if (round_up) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    std::string out = digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2);
    if (negative && out.find_first_not_of("0.") != std::string::npos)
        out.insert(out.begin(), '-');
    return out;
}

} // namespace olv
