// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Creating, loading, inserting, flushing and deleting records.
#include "store/store.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olv {

// --- Schema ---------------------------------------------------------------------------------
// Opens (and so creates) the file as the current database, runs the six schema statements and
// inserts the users row (key 1, the name, view 0, "£", "%dd/%mm/%yyyy"). False when the file
// could not be opened.
// A server URI gets the same in one transaction, unless its database holds any of the six
// tables already (then it is left alone).
bool create_database(Store& store, const std::string& path, const std::string& user_name);
// Those of the six tables the current database holds (lower-case names).
std::vector<std::string> existing_tables(AccessLayer& db);
// Runs the six schema statements of the engine and makes the lasting index on the time
// entries' task key; false at the first that fails (the caller holds the transaction).
bool create_tables(AccessLayer& db);
// For a database whose users table is empty: inserts the users row a new database gets and
// adds it to the users list, so that the records beneath it show. The row is added to the list
// also when the insert fails (its records are still there to see). Returns the engine result.
int add_users_row(Store& store, const std::string& user_name);
// Deleting a task removes its time entries by their task key; without an index on it each such
// statement reads the whole entries table (60 ms on ten years of work). The index lives beside
// the six tables and changes none of them. False when the file refused it (read-only, locked),
// which only costs speed.
inline constexpr const char* kTimeEntryTaskIndex = "olvessa_task_detail_task_key";
bool index_time_entries_by_task(Store& store);

// --- Loading --------------------------------------------------------------------------------
enum class LoadStatus {
    Loaded,
    Unreadable, // not a database, corrupt, unreadable, or holding none of the six tables
    Cancelled,  // the progress callback said stop: the lists are left empty
};
// Replaces the six lists with the rows of the current database (the restart list is kept);
// the users row sets the store's currency and date mask. With `progress` a load reports the
// rows read of all the tables hold, now and then; when it answers false the load stops.
using LoadProgressCallback = std::function<bool(std::int64_t read, std::int64_t total)>;
LoadStatus load_all_records(Store& store, const LoadProgressCallback& progress = {});
// The same for a reader of some entries only (an export): the time entries dated within the
// bounds (both included) and, if asked, unbilled ones only; every other record is read whole.
struct EntryFilter {
    std::optional<std::int64_t> first_date;
    std::optional<std::int64_t> last_date;
    bool unbilled_only = false;
    // The entries come in the file's own order, not by date: for a reader that orders them
    // itself, spared the engine's sort of every entry.
    bool any_order = false;
};
LoadStatus load_records(Store& store, const EntryFilter& filter,
                        const LoadProgressCallback& progress = {});
// Reads the row of one client, project, objective or task by key, converted as a load converts
// it, and puts the record at its place in its list. Nothing when the row cannot be read.
std::optional<Store::Placed> load_one_record(Store& store, RecordKind kind, Key key);
// load_all_records for a reload after a flush: a record the flush could not write keeps its
// fields and stays modified, so the next flush tries it again instead of the reload losing it.
LoadStatus reload_keeping_unsaved(Store& store);

// --- Keys -----------------------------------------------------------------------------------
// A new key for a table: `now`, or the next larger value no record of that list holds.
Key new_client_key(const Store& store, DateValue now);
Key new_project_key(const Store& store, DateValue now);
Key new_objective_key(const Store& store, DateValue now);
Key new_task_key(const Store& store, DateValue now);
Key new_time_entry_key(const Store& store, DateValue now);

// --- Statements (exact texts; every user text quoted with escape_quotes) ---------------------
// A rate that is not finite makes the statement empty, and an empty statement never runs.
std::string insert_client_sql(Key key, std::string_view name, double rate);
std::string insert_project_sql(Key key, std::string_view title, Key client_key, DateValue start,
                               DateValue end, double rate);
std::string insert_objective_sql(Key key, std::string_view title, Key project_key, DateValue start,
                                 DateValue end);
std::string insert_task_sql(Key key, bool completed, std::string_view title, Key objective_key,
                            DateValue start, DateValue end, bool accepted);
std::string insert_time_entry_sql(Key key, Key task_key, DateValue day);
// An entry with its time and billed flag as they are: time added by hand, and an entry whose
// own insert failed, written by the next flush.
std::string insert_time_entry_sql(const TimeEntry& entry);
// Every column of an entry but its key, after its day or task changed.
std::string update_row_sql(const TimeEntry& entry);
// What the flush writes for an entry: its UPDATE, or what its failed write still owes the file
// (`unwritten`).
std::string write_sql(const TimeEntry& entry);

std::string update_sql(const TimeEntry& entry);
std::string update_sql(const UserRecord& user);
std::string update_sql(const ClientRecord& client);
std::string update_sql(const ProjectRecord& project);
std::string update_sql(const ObjectiveRecord& objective);
std::string update_sql(const TaskRecord& task);

// "DELETE FROM clients WHERE key = " and its kin for a client, project, objective or task.
std::string delete_record_sql(RecordKind kind, Key key);
// The statement that removes every child of a client (projects), project (objectives),
// objective (tasks) or task (time entries) at once.
std::string delete_children_sql(RecordKind parent_kind, Key parent_key);
std::string delete_time_entry_sql(Key key);
// "DELETE FROM task_detail WHERE key IN (k1,k2,...)".
std::string delete_time_entries_sql(const std::vector<Key>& keys);

// --- Inserting ------------------------------------------------------------------------------
struct FlushResult {
    int failed_records = 0; // each one shows "Could not write to Database"
    bool committed = true;
    // The whole flush failed for want of the database itself (a server connection gone, or
    // the server's lock taken by another machine meanwhile): one message with the reason
    // says it, rather than one per record.
    bool database_unavailable = false;
    bool taken_elsewhere = false;
    std::string reason;
};

// Runs the insert statement of a client, project, objective or task with the given key. On
// success (result 0) flushes every modified record, then reads the new row back and puts it at
// its place in its list, as a load would. Should the row not read back, all lists are reloaded
// (`reloaded`). A failed statement changes nothing.
struct InsertResult {
    int rc = 0;
    FlushResult flush;
    std::size_t index = 0;  // of the new record in its list
    bool reordered = false; // the list was put back in load order around it
    bool reloaded = false;
};
InsertResult insert_and_place(Store& store, RecordKind kind, Key key, const std::string& statement);

// Inserts today's entry of a task for its timer and puts it at its place in the entries list
// (timing 1). Returns the engine result; on failure nothing is added.
int insert_time_entry(Store& store, Key task_key, DateValue now, DateValue today);

// --- Time entries changed by hand ----------------------------------------------------------
// Both write at once, as the timer's new entry is. A write that fails leaves the change in the
// lists, modified, with what the file still lacks in `unwritten`, so the next flush writes it
// (rc is the engine result; the caller reports it).
struct EntryWriteResult {
    int rc = 0;
    std::size_t index = 0; // of the entry in the entries list after the change
    bool created = false;
};
// Adds seconds to the task's entry of that day with that billed flag (the first in list order),
// or makes a new entry of them: time never goes into an entry of the other flag, so billed hours
// stay as invoiced.
EntryWriteResult add_time_to_day(Store& store, Key task_key, DateValue day, std::int64_t seconds,
                                 bool billed, DateValue now);
// Gives the entry at `entry_index` a new day, time, billed flag and task. Nothing is written when
// nothing changed. A new day or task puts the entry at its place in load order.
struct EntryChange {
    DateValue day = 0;
    std::int64_t seconds = 0;
    bool billed = false;
    Key task_key = 0;
};
EntryWriteResult change_time_entry(Store& store, std::size_t entry_index,
                                   const EntryChange& change);

// --- Flushing -------------------------------------------------------------------------------
// True when any record is waiting for the flush to write it.
bool flush_pending(const Store& store);

// Writes every modified record in one transaction: time entries, users, clients, projects,
// objectives, tasks. A record's flag is cleared only once the transaction committed and its own
// statement succeeded.
FlushResult flush(Store& store);

// --- Copying --------------------------------------------------------------------------------
enum class CopyOutcome {
    Copied,
    SourceUnreadable,  // the source cannot be opened or read
    TargetExists,      // a file target exists already (left untouched)
    TargetHoldsTables, // the target database holds one of the six tables (left untouched)
    TargetFailed,      // the target cannot be opened or written (nothing of the copy kept)
};
// Writes every record of the lists into the current database of `target`: the six tables, the
// lasting index and every row, in one transaction. The target must hold none of the tables.
CopyOutcome write_all_records(const RecordLists& lists, AccessLayer& target, std::string& error);
// Copies every record from one location (file or server URI) to another, as above. A file
// target must not exist yet.
CopyOutcome copy_database_records(const std::string& from, const std::string& to,
                                  std::string& error);

// --- Deleting -------------------------------------------------------------------------------
enum class DeleteOutcome { NoRecord, UserItem, Deleted, WriteFailed };
// Deletes the record at the tree position with everything beneath it from the database and
// the lists (the caller has asked for confirmation and flushed), in one transaction. When a
// statement fails or the engine ends the transaction itself, the rest is not issued, what is
// still open is rolled back and the lists are left as they were (WriteFailed): the caller
// reloads, since the engine may have kept part of the work.
DeleteOutcome delete_tree_item_records(Store& store, std::int32_t position);
// Deletes one time entry (by index in the entries list); the element goes only when the
// statement succeeded. Returns the engine result.
int delete_time_entry_record(Store& store, std::size_t entry_index);

} // namespace olv
