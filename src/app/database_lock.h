// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// One program per database file: a lock file "<database>.lock" beside the file itself (symlinks
// followed), and a lock on the file that every hard link to it shares. A lock left by a process
// that has died is taken over.
#include <QString>
#include <memory>

class QLockFile;

namespace olv {

class DatabaseLock {
public:
    enum class Outcome {
        Taken,         // this program holds the file now
        HeldElsewhere, // another running program holds it
        Unavailable,   // no lock file can be made there (the program goes on without one)
    };

    DatabaseLock();
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Locks the database at the path; on success the lock of another file is given up. A file
    // this program holds already stays locked.
    Outcome take(const QString& database_path);
    void release();
    // The locked database (symlinks resolved), empty when none.
    const QString& database_path() const { return path_; }

    static QString lock_file_name(const QString& database_path);

private:
    std::unique_ptr<QLockFile> lock_;
    int file_fd_ = -1; // the database file, holding the lock that hard links share
    QString path_;
};

} // namespace olv
