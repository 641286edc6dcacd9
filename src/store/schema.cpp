#include "common/text.h"
#include "store/operations.h"

#include <array>
#include <string>

namespace olv {

namespace {

constexpr std::array<const char*, 6> kSchema{
    "create table users(key integer primary key, userID text, user_View integer, "
    "user_Currency text, user_DateFormat text);",
    "create table clients(key integer primary key, client_name text, client_rate float);",
    "create table project(key integer primary key, project_title text, client_key integer, "
    "project_date integer, "
    "project_end integer, project_note text, project_rate float);",
    "create table objectives(key integer primary key, ob_complete boolean, ob_title text, "
    "Project_key integer, "
    "ob_date integer, ob_end integer, ob_notes text);",
    "create table task(key integer primary key, task_complete boolean, task_title text, "
    "Obj_key integer, "
    "Task_Date integer, Task_End integer, Task_Notes text, Task_Billed boolean, "
    "task_checked boolean);",
    "create table Task_Detail(key integer primary key, Task_Key integer, Time integer, "
    "date integer, billed boolean);",
};

constexpr const char* kDefaultCurrency = "\xC2\xA3";
constexpr const char* kDefaultDateMask = "%dd/%mm/%yyyy";

std::string insert_users_row_sql(const std::string& user_name) {
    return "INSERT INTO users VALUES(1,'" + escape_quotes(user_name) + "',0,'" + kDefaultCurrency +
           "','" + kDefaultDateMask + "')";
}

} // namespace

bool create_database(Store& store, const std::string& path, const std::string& user_name) {
    if (!store.db.open_database(path))
        return false;
    // A table that already exists keeps its rows; the statements' results change nothing here.
    for (const char* statement : kSchema)
        store.db.execute(statement);
    store.db.execute(insert_users_row_sql(user_name));
    return true;
}

int add_users_row(Store& store, const std::string& user_name) {
    const int rc = store.db.execute(insert_users_row_sql(user_name));
    UserRecord& user = store.lists.users.emplace_back();
    user.key = 1;
    user.userID = user_name;
    user.user_Currency = kDefaultCurrency;
    user.user_DateFormat = kDefaultDateMask;
    store.currency = user.user_Currency;
    store.date_mask = user.user_DateFormat;
    store.structure_changed();
    return rc;
}

bool index_time_entries_by_task(Store& store) {
    return AccessLayer::succeeded(store.db.execute(std::string("CREATE INDEX IF NOT EXISTS ") +
                                                   kTimeEntryTaskIndex +
                                                   " ON Task_Detail(Task_Key)"));
}

} // namespace olv
