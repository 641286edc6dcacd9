#pragma once
// The stored fields of each record kind, in column order of its table: what a load reads, what
// a reload puts back over a record still waiting for the flush, and what its UPDATE writes.
#include "store/records.h"

#include <array>
#include <cstdint>
#include <string>

namespace olv {

enum class FieldType {
    Number,  // 32-bit signed: keys, dates, the view
    Seconds, // 64-bit signed: an entry's time
    Flag,    // keeps the low 8 bits of the stored number
    Real,    // rates
    Text,
};

template <typename Record> struct StoredField {
    const char* column;
    FieldType type;
    // False for the fields the record's UPDATE leaves alone (the key, an entry's task and day).
    bool updated;
    std::int32_t Record::*number = nullptr;
    std::uint8_t Record::*flag = nullptr;
    double Record::*real = nullptr;
    std::string Record::*text = nullptr;
    std::int64_t Record::*seconds = nullptr;
};

namespace field {

template <typename Record>
constexpr StoredField<Record> number(const char* column, std::int32_t Record::*member,
                                     bool updated = true) {
    return {column, FieldType::Number, updated, member, nullptr, nullptr, nullptr};
}
template <typename Record>
constexpr StoredField<Record> seconds(const char* column, std::int64_t Record::*member) {
    return {column, FieldType::Seconds, true, nullptr, nullptr, nullptr, nullptr, member};
}
template <typename Record>
constexpr StoredField<Record> flag(const char* column, std::uint8_t Record::*member) {
    return {column, FieldType::Flag, true, nullptr, member, nullptr, nullptr};
}
template <typename Record>
constexpr StoredField<Record> real(const char* column, double Record::*member) {
    return {column, FieldType::Real, true, nullptr, nullptr, member, nullptr};
}
template <typename Record>
constexpr StoredField<Record> text(const char* column, std::string Record::*member) {
    return {column, FieldType::Text, true, nullptr, nullptr, nullptr, member};
}
template <typename Record> constexpr StoredField<Record> key() {
    return number("key", &Record::key, false);
}

} // namespace field

template <typename Record> struct StoredFields;

template <> struct StoredFields<UserRecord> {
    static constexpr const char* table = "Users";
    static constexpr const char* select = "SELECT * FROM Users ORDER BY UserID ASC";
    static constexpr std::array<StoredField<UserRecord>, 5> fields{
        field::key<UserRecord>(),
        field::text("userID", &UserRecord::userID),
        field::number("user_View", &UserRecord::user_View),
        field::text("user_Currency", &UserRecord::user_Currency),
        field::text("user_DateFormat", &UserRecord::user_DateFormat),
    };
};

template <> struct StoredFields<ClientRecord> {
    static constexpr const char* table = "Clients";
    static constexpr const char* select = "SELECT * FROM Clients ORDER BY Client_Name ASC";
    static constexpr std::array<StoredField<ClientRecord>, 3> fields{
        field::key<ClientRecord>(),
        field::text("client_name", &ClientRecord::client_name),
        field::real("client_rate", &ClientRecord::client_rate),
    };
};

template <> struct StoredFields<ProjectRecord> {
    static constexpr const char* table = "Project";
    static constexpr const char* select = "SELECT * FROM Project ORDER BY Project_Date ASC";
    static constexpr std::array<StoredField<ProjectRecord>, 7> fields{
        field::key<ProjectRecord>(),
        field::text("project_title", &ProjectRecord::project_title),
        field::number("client_key", &ProjectRecord::client_key),
        field::number("project_date", &ProjectRecord::project_date),
        field::number("project_end", &ProjectRecord::project_end),
        field::text("project_note", &ProjectRecord::project_note),
        field::real("project_rate", &ProjectRecord::project_rate),
    };
};

template <> struct StoredFields<ObjectiveRecord> {
    static constexpr const char* table = "Objectives";
    static constexpr const char* select = "SELECT * FROM Objectives ORDER BY ob_date ASC";
    static constexpr std::array<StoredField<ObjectiveRecord>, 7> fields{
        field::key<ObjectiveRecord>(),
        field::flag("ob_complete", &ObjectiveRecord::ob_complete),
        field::text("ob_title", &ObjectiveRecord::ob_title),
        field::number("Project_key", &ObjectiveRecord::Project_key),
        field::number("ob_date", &ObjectiveRecord::ob_date),
        field::number("ob_end", &ObjectiveRecord::ob_end),
        field::text("ob_notes", &ObjectiveRecord::ob_notes),
    };
};

template <> struct StoredFields<TaskRecord> {
    static constexpr const char* table = "task";
    static constexpr const char* select =
        "SELECT * FROM task ORDER BY task_end ASC ,task_date ASC, task_title ASC";
    static constexpr std::array<StoredField<TaskRecord>, 9> fields{
        field::key<TaskRecord>(),
        field::flag("task_complete", &TaskRecord::task_complete),
        field::text("task_title", &TaskRecord::task_title),
        field::number("Obj_key", &TaskRecord::Obj_key),
        field::number("Task_Date", &TaskRecord::Task_Date),
        field::number("Task_End", &TaskRecord::Task_End),
        field::text("Task_Notes", &TaskRecord::Task_Notes),
        field::flag("Task_Billed", &TaskRecord::Task_Billed),
        field::flag("task_checked", &TaskRecord::task_checked),
    };
};

template <> struct StoredFields<TimeEntry> {
    static constexpr const char* table = "Task_Detail";
    static constexpr const char* select = "SELECT * FROM Task_Detail ORDER BY date ASC";
    static constexpr std::array<StoredField<TimeEntry>, 5> fields{
        field::key<TimeEntry>(),
        field::number("Task_Key", &TimeEntry::Task_Key, false),
        field::seconds("Time", &TimeEntry::Time),
        field::number("date", &TimeEntry::date, false),
        field::flag("billed", &TimeEntry::billed),
    };
};

// Copies the fields the record's UPDATE writes.
template <typename Record> void take_updated_fields(Record& into, const Record& from) {
    for (const StoredField<Record>& f : StoredFields<Record>::fields) {
        if (!f.updated)
            continue;
        switch (f.type) {
        case FieldType::Number:
            into.*f.number = from.*f.number;
            break;
        case FieldType::Seconds:
            into.*f.seconds = from.*f.seconds;
            break;
        case FieldType::Flag:
            into.*f.flag = from.*f.flag;
            break;
        case FieldType::Real:
            into.*f.real = from.*f.real;
            break;
        case FieldType::Text:
            into.*f.text = from.*f.text;
            break;
        }
    }
}

} // namespace olv
