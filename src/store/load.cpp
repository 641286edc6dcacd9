#include "common/text.h"
#include "store/operations.h"

#include <sqlite3.h>

namespace olv {

namespace {

// Reads the rows of the current result by column position; a cell that cannot be read is
// the empty text and so 0 for numbers.
class Rows {
public:
    explicit Rows(AccessLayer& db) : db_(db), count_(db.row_count()) {}
    int count() const { return count_; }

    std::string_view raw(int row, int column) const {
        const char* value = db_.cell(row, column);
        return value ? std::string_view(value) : std::string_view();
    }
    std::int32_t number(int row, int column) const { return to_int32(raw(row, column)); }
    std::uint8_t flag(int row, int column) const {
        return static_cast<std::uint8_t>(number(row, column));
    }
    double real(int row, int column) const { return to_real(raw(row, column)); }
    std::string text(int row, int column) const { return text_from_database(raw(row, column)); }

private:
    AccessLayer& db_;
    int count_;
};

// Engine codes that say the file itself cannot be read, as opposed to a missing table.
bool file_unreadable(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ERROR:
        return false;
    default:
        return true;
    }
}

// Runs one of the six queries; counts the tables read and notes an unreadable file.
struct LoadProgress {
    int tables_read = 0;
    bool unreadable = false;

    bool query(AccessLayer& db, std::string_view statement) {
        const int rc = db.query_table(statement);
        if (rc == 0)
            ++tables_read;
        else if (rc == AccessLayer::kNoDatabase || file_unreadable(rc))
            unreadable = true;
        return rc == 0 && !unreadable;
    }
};

template <typename Record, typename Fill>
void load_list(AccessLayer& db, LoadProgress& progress, std::string_view statement,
               std::vector<Record>& list, Fill fill) {
    if (!progress.query(db, statement))
        return;
    const Rows rows(db);
    list.reserve(static_cast<std::size_t>(rows.count()));
    for (int i = 1; i <= rows.count(); ++i)
        fill(list.emplace_back(), rows, i);
}

} // namespace

LoadStatus load_all_records(Store& store) {
    RecordLists& lists = store.lists;
    lists.clear_tables();
    const std::string currency = store.currency;
    const std::string date_mask = store.date_mask;
    AccessLayer& db = store.db;
    LoadProgress progress;

    load_list(db, progress, "SELECT * FROM Users ORDER BY UserID ASC", lists.users,
              [&store](UserRecord& r, const Rows& rows, int i) {
                  r.key = rows.number(i, 0);
                  r.userID = rows.text(i, 1);
                  r.user_View = rows.number(i, 2);
                  r.user_Currency = rows.text(i, 3);
                  r.user_DateFormat = rows.text(i, 4);
                  store.currency = r.user_Currency;
                  store.date_mask = r.user_DateFormat;
              });
    load_list(db, progress, "SELECT * FROM Clients ORDER BY Client_Name ASC", lists.clients,
              [](ClientRecord& r, const Rows& rows, int i) {
                  r.key = rows.number(i, 0);
                  r.client_name = rows.text(i, 1);
                  r.client_rate = rows.real(i, 2);
              });
    load_list(db, progress, "SELECT * FROM Project ORDER BY Project_Date ASC", lists.projects,
              [](ProjectRecord& r, const Rows& rows, int i) {
                  r.key = rows.number(i, 0);
                  r.project_title = rows.text(i, 1);
                  r.client_key = rows.number(i, 2);
                  r.project_date = rows.number(i, 3);
                  r.project_end = rows.number(i, 4);
                  r.project_note = rows.text(i, 5);
                  r.project_rate = rows.real(i, 6);
              });
    load_list(db, progress, "SELECT * FROM Objectives ORDER BY ob_date ASC", lists.objectives,
              [](ObjectiveRecord& r, const Rows& rows, int i) {
                  r.key = rows.number(i, 0);
                  r.ob_complete = rows.flag(i, 1);
                  r.ob_title = rows.text(i, 2);
                  r.Project_key = rows.number(i, 3);
                  r.ob_date = rows.number(i, 4);
                  r.ob_end = rows.number(i, 5);
                  r.ob_notes = rows.text(i, 6);
              });
    load_list(db, progress,
              "SELECT * FROM task ORDER BY task_end ASC ,task_date ASC, task_title ASC",
              lists.tasks, [](TaskRecord& r, const Rows& rows, int i) {
                  r.key = rows.number(i, 0);
                  r.task_complete = rows.flag(i, 1);
                  r.task_title = rows.text(i, 2);
                  r.Obj_key = rows.number(i, 3);
                  r.Task_Date = rows.number(i, 4);
                  r.Task_End = rows.number(i, 5);
                  r.Task_Notes = rows.text(i, 6);
                  r.Task_Billed = rows.flag(i, 7);
                  r.task_checked = rows.flag(i, 8);
              });
    load_list(db, progress, "SELECT * FROM Task_Detail ORDER BY date ASC", lists.entries,
              [](TimeEntry& r, const Rows& rows, int i) {
                  r.key = rows.number(i, 0);
                  r.Task_Key = rows.number(i, 1);
                  r.Time = rows.number(i, 2);
                  r.date = rows.number(i, 3);
                  r.billed = rows.flag(i, 4);
              });
    // The last result is the largest; it is not needed once the lists hold their copies.
    db.release_current_result();

    store.structure_changed();
    if (progress.unreadable || progress.tables_read == 0) {
        // Nothing half-read is shown: the lists stay empty and the display settings as they were.
        lists.clear_tables();
        store.currency = currency;
        store.date_mask = date_mask;
        return LoadStatus::Unreadable;
    }
    return LoadStatus::Loaded;
}

} // namespace olv
