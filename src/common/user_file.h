// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Writing a file the user names (an export): never over a database, never half-done. A regular
// file is written to a temporary file beside it, flushed to the disk and renamed over it only
// when complete, so a failure or a cancel leaves the old file exactly as it was. A FIFO or a
// device (also /dev/stdout) is written in place. Nothing but the program's own temporary file
// is ever deleted or renamed.
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace olv {

// What goes into the file: a head, then `count` rows written in batches of consecutive rows.
struct FileRows {
    std::size_t count = 0;
    std::function<void(std::ostream&)> head;
    std::function<void(std::ostream&, std::size_t first, std::size_t last)> write;
};

// Told after each batch how many rows are written; false cancels the writing.
using FileProgress = std::function<bool(std::size_t done, std::size_t total)>;

enum class UserFileStatus {
    Written,
    Cancelled, // nothing was left behind (a FIFO or device has what was sent before the cancel)
    Database,  // refused: it would overwrite a database
    Folder,    // refused: the target is a folder
    Failed,    // not written; the old file, if any, is as it was
};

struct UserFileResult {
    UserFileStatus status = UserFileStatus::Failed;
    std::string message; // what to tell the user, for every status but Written and Cancelled
};

// Rows written between two progress reports.
inline constexpr std::size_t kRowsPerBatch = 4096;

// True when the file starts with the 16 bytes "SQLite format 3\0".
bool is_sqlite_database_file(const std::string& path);

// Whether the target may be written: not a folder, not one of the databases (by device and
// inode, so symlinks and hard links count), not any SQLite database file. Written when it may.
UserFileResult check_user_file_target(const std::string& target,
                                      const std::vector<std::string>& databases);

// Checks the target, then writes the rows into it. A progress of nullptr never cancels.
UserFileResult write_user_file(const std::string& target, const std::vector<std::string>& databases,
                               const FileRows& rows, const FileProgress& progress = nullptr);

} // namespace olv
