#pragma once
// In-memory copies of the six tables. Field names are the column names; fields marked "memory"
// are never written to the database and are 0 after every load.
#include "common/dates.h"

#include <cstdint>
#include <string>
#include <vector>

namespace olv {

using Key = std::int32_t;

struct UserRecord {
    Key key = 0;
    std::string userID;
    std::int32_t tree_pos = 0; // memory
    std::int32_t user_View = 0;
    bool modified = false; // memory
    std::string user_Currency;
    std::string user_DateFormat;
};

struct ClientRecord {
    Key key = 0;
    std::string client_name;
    double client_rate = 0;
    std::int32_t tree_pos = 0; // memory
    bool modified = false;     // memory
};

struct ProjectRecord {
    Key key = 0;
    std::uint8_t complete = 0; // memory: every objective counts as accepted
    std::string project_title;
    Key client_key = 0;
    DateValue project_date = 0;
    DateValue project_end = 0;
    std::string project_note;
    double project_rate = 0;
    std::int32_t tree_pos = 0; // memory
    bool modified = false;     // memory
};

struct ObjectiveRecord {
    Key key = 0;
    std::uint8_t ob_complete = 0;
    std::string ob_title;
    Key Project_key = 0;
    DateValue ob_date = 0;
    DateValue ob_end = 0;
    std::string ob_notes;
    std::int32_t tree_pos = 0; // memory
    bool modified = false;     // memory
};

struct TaskRecord {
    Key key = 0;
    std::uint8_t task_complete = 0;
    std::string task_title;
    Key Obj_key = 0;
    DateValue Task_Date = 0;
    DateValue Task_End = 0;
    std::string Task_Notes;
    std::uint8_t Task_Billed = 0;
    std::uint8_t running = 0;  // memory
    double task_rate = 0;      // memory: copy of the project's rate
    std::int32_t tree_pos = 0; // memory
    bool modified = false;     // memory
    std::uint8_t task_checked = 0;
};

// A million of these make up ten years: the small fields sit together, 32 bytes in all. Time is
// 64-bit so that a stored time of any size reads, sums and writes back exactly.
struct TimeEntry {
    Key key = 0;
    Key Task_Key = 0;
    std::int64_t Time = 0;
    DateValue date = 0;
    std::uint8_t billed = 0;
    std::uint8_t timing = 0;   // memory: 1 while its task's timer counts into it
    bool modified = false;     // memory
    std::int32_t list_row = 0; // memory
};

// The record lists, each in load order. The restart list holds task keys, later their tree
// positions, around a tree rebuild.
struct RecordLists {
    std::vector<UserRecord> users;
    std::vector<ClientRecord> clients;
    std::vector<ProjectRecord> projects;
    std::vector<ObjectiveRecord> objectives;
    std::vector<TaskRecord> tasks;
    std::vector<TimeEntry> entries;
    std::vector<std::int32_t> restart;

    // Empties the six table lists; the restart list is kept.
    void clear_tables() {
        users.clear();
        clients.clear();
        projects.clear();
        objectives.clear();
        tasks.clear();
        entries.clear();
    }
};

} // namespace olv
