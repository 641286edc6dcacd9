#include "reports/csv_export.h"

namespace olv {

namespace {

void append_two_digits(std::string& out, std::int64_t value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

void append_date(std::string& out, DateValue date) {
    const int year = date_year(date);
    out += std::to_string(year);
    out += '-';
    append_two_digits(out, date_month(date));
    out += '-';
    append_two_digits(out, date_day(date));
}

void append_name(std::string& out, std::string_view name) {
    const bool formula =
        !name.empty() && (name[0] == '=' || name[0] == '+' || name[0] == '-' || name[0] == '@');
    const bool quoted = name.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted)
        out += '"';
    if (formula)
        out += '\'';
    for (const char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quoted)
        out += '"';
}

void append_time(std::string& out, std::int64_t seconds) {
    std::uint64_t size = static_cast<std::uint64_t>(seconds);
    if (seconds < 0) {
        out += '-';
        size = 0 - size;
    }
    out += std::to_string(size / 3600);
    out += ':';
    append_two_digits(out, static_cast<std::int64_t>(size / 60 % 60));
    out += ':';
    append_two_digits(out, static_cast<std::int64_t>(size % 60));
}

void append_cents(std::string& out, std::int64_t cents) {
    std::uint64_t size = static_cast<std::uint64_t>(cents);
    if (cents < 0) {
        out += '-';
        size = 0 - size;
    }
    out += std::to_string(size / 100);
    out += '.';
    append_two_digits(out, static_cast<std::int64_t>(size % 100));
}

} // namespace

std::string csv_name_field(std::string_view name) {
    std::string out;
    append_name(out, name);
    return out;
}

std::string csv_time(std::int64_t seconds) {
    std::string out;
    append_time(out, seconds);
    return out;
}

std::string csv_cents(std::int64_t cents) {
    std::string out;
    append_cents(out, cents);
    return out;
}

void write_csv(std::ostream& out, const Store& store, const std::vector<PeriodEntry>& entries) {
    const RecordLists& lists = store.lists;
    std::string buffer(kCsvHeader);
    constexpr std::size_t kChunk = 1 << 16;
    for (const PeriodEntry& e : entries) {
        append_date(buffer, e.date);
        buffer += ',';
        append_name(buffer, lists.clients[e.client].client_name);
        buffer += ',';
        append_name(buffer, lists.projects[e.project].project_title);
        buffer += ',';
        append_name(buffer, lists.objectives[e.objective].ob_title);
        buffer += ',';
        append_name(buffer, lists.tasks[e.task].task_title);
        buffer += ',';
        append_time(buffer, e.seconds);
        buffer += ',';
        buffer += std::to_string(e.seconds);
        buffer += e.billed ? ",yes," : ",no,";
        append_cents(buffer, e.rate_cents);
        buffer += ',';
        append_cents(buffer, e.amount_cents);
        buffer += "\r\n";
        if (buffer.size() >= kChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

} // namespace olv
