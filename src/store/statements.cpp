#include "common/text.h"
#include "store/operations.h"

#include <cmath>
#include <string>

namespace olv {

namespace {

// A rate or amount, written with two decimals.
struct Money {
    double value;
};

// Builds a statement from literals and values; numbers in decimal, texts as given. A value that
// is not finite has no SQL form: the builder refuses the whole statement and gives an empty
// text, which the access layer does not run.
class Sql {
public:
    Sql& operator<<(std::string_view text) {
        text_ += text;
        return *this;
    }
    Sql& operator<<(const char* text) {
        text_ += text;
        return *this;
    }
    Sql& operator<<(std::int32_t number) {
        text_ += std::to_string(number);
        return *this;
    }
    Sql& operator<<(std::int64_t number) {
        text_ += std::to_string(number);
        return *this;
    }
    Sql& operator<<(std::uint8_t flag) {
        text_ += std::to_string(static_cast<int>(flag));
        return *this;
    }
    Sql& operator<<(bool flag) {
        text_ += flag ? '1' : '0';
        return *this;
    }
    Sql& operator<<(Money money) {
        if (!std::isfinite(money.value))
            refused_ = true;
        else
            text_ += two_decimals(money.value);
        return *this;
    }
    Sql& operator<<(double) = delete; // rates go through Money
    std::string str() const { return refused_ ? std::string() : text_; }

private:
    std::string text_;
    bool refused_ = false;
};

} // namespace

std::string insert_client_sql(Key key, std::string_view name, double rate) {
    return (Sql{} << "INSERT INTO clients VALUES(" << key << ",'" << escape_quotes(name) << "',"
                  << Money{rate} << ");")
        .str();
}

std::string insert_project_sql(Key key, std::string_view title, Key client_key, DateValue start,
                               DateValue end, double rate) {
    return (Sql{} << "INSERT INTO project VALUES(" << key << ",'" << escape_quotes(title) << "',"
                  << client_key << "," << start << "," << end << ",''," << Money{rate} << ");")
        .str();
}

std::string insert_objective_sql(Key key, std::string_view title, Key project_key, DateValue start,
                                 DateValue end) {
    return (Sql{} << "INSERT INTO objectives VALUES(" << key << ",0,'" << escape_quotes(title)
                  << "'," << project_key << "," << start << "," << end << ",'');")
        .str();
}

std::string insert_task_sql(Key key, bool completed, std::string_view title, Key objective_key,
                            DateValue start, DateValue end, bool accepted) {
    return (Sql{} << "INSERT INTO task VALUES(" << key << "," << completed << ",'"
                  << escape_quotes(title) << "'," << objective_key << "," << start << "," << end
                  << ",'',0," << accepted << ");")
        .str();
}

std::string insert_time_entry_sql(Key key, Key task_key, DateValue day) {
    return (Sql{} << "INSERT INTO task_detail VALUES(" << key << "," << task_key << ",0," << day
                  << ",0);")
        .str();
}

std::string update_sql(const TimeEntry& entry) {
    return (Sql{} << "UPDATE task_detail SET time = " << entry.Time << ", billed = " << entry.billed
                  << " WHERE key = " << entry.key)
        .str();
}

std::string update_sql(const UserRecord& user) {
    return (Sql{} << "UPDATE users SET User_View = " << user.user_View << ", UserID = '"
                  << escape_quotes(user.userID) << "', User_currency = '"
                  << escape_quotes(user.user_Currency) << "', User_DateFormat = '"
                  << escape_quotes(user.user_DateFormat) << "'  WHERE key = " << user.key)
        .str();
}

std::string update_sql(const ClientRecord& client) {
    return (Sql{} << "UPDATE clients SET Client_name = '" << escape_quotes(client.client_name)
                  << "', Client_rate = " << Money{client.client_rate}
                  << " WHERE key = " << client.key)
        .str();
}

std::string update_sql(const ProjectRecord& project) {
    return (Sql{} << "UPDATE project SET project_title = '" << escape_quotes(project.project_title)
                  << "',client_key = " << project.client_key << ",project_date = "
                  << project.project_date << ", project_end = " << project.project_end
                  << ", project_note = '" << escape_quotes(project.project_note)
                  << "', project_rate = " << Money{project.project_rate}
                  << " WHERE key = " << project.key)
        .str();
}

std::string update_sql(const ObjectiveRecord& objective) {
    return (Sql{} << "UPDATE objectives SET ob_complete = " << objective.ob_complete
                  << ", ob_title = '" << escape_quotes(objective.ob_title) << "', project_key = "
                  << objective.Project_key << ", ob_date = " << objective.ob_date
                  << ", ob_end = " << objective.ob_end << ", ob_notes = '"
                  << escape_quotes(objective.ob_notes) << "' WHERE key = " << objective.key)
        .str();
}

std::string update_sql(const TaskRecord& task) {
    return (Sql{} << "UPDATE task SET task_complete = " << task.task_complete << ", task_title = '"
                  << escape_quotes(task.task_title) << "', obj_key = " << task.Obj_key
                  << ", task_date = " << task.Task_Date << ", task_end = " << task.Task_End
                  << ", Task_notes = '" << escape_quotes(task.Task_Notes)
                  << "', Task_billed = " << task.Task_Billed
                  << ", task_checked = " << task.task_checked << " WHERE key = " << task.key)
        .str();
}

std::string delete_record_sql(RecordKind kind, Key key) {
    const char* literal = "";
    switch (kind) {
    case RecordKind::Client:
        literal = "DELETE FROM clients WHERE key = ";
        break;
    case RecordKind::Project:
        literal = "DELETE FROM project WHERE key = ";
        break;
    case RecordKind::Objective:
        literal = "DELETE FROM objectives WHERE key = ";
        break;
    case RecordKind::Task:
        literal = "DELETE FROM task WHERE key = ";
        break;
    case RecordKind::None:
    case RecordKind::User:
        return {};
    }
    return (Sql{} << literal << key).str();
}

std::string delete_children_sql(RecordKind parent_kind, Key parent_key) {
    const char* literal = "";
    switch (parent_kind) {
    case RecordKind::Client:
        literal = "DELETE FROM project WHERE client_key = ";
        break;
    case RecordKind::Project:
        literal = "DELETE FROM objectives WHERE project_key = ";
        break;
    case RecordKind::Objective:
        literal = "DELETE FROM task WHERE obj_key = ";
        break;
    case RecordKind::Task:
        literal = "DELETE FROM task_detail WHERE task_key = ";
        break;
    case RecordKind::None:
    case RecordKind::User:
        return {};
    }
    return (Sql{} << literal << parent_key).str();
}

std::string delete_time_entry_sql(Key key) {
    return (Sql{} << "DELETE FROM task_detail WHERE key = " << key).str();
}

} // namespace olv
