// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_lock.h"

#include <QFileInfo>
#include <QLockFile>

namespace olv {

namespace {

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

DatabaseLock::DatabaseLock() = default;

DatabaseLock::~DatabaseLock() {
    release();
}

QString DatabaseLock::lock_file_name(const QString& database_path) {
    return absolute(database_path) + QStringLiteral(".lock");
}

DatabaseLock::Outcome DatabaseLock::take(const QString& database_path) {
    const QString path = absolute(database_path);
    if (lock_ && path == path_)
        return Outcome::Taken;
    auto lock = std::make_unique<QLockFile>(lock_file_name(path));
    // Only a dead owner makes a lock stale, never its age: a program may run for weeks.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError)
            return Outcome::HeldElsewhere;
        // The program moves to that file all the same; the old one is free for others.
        release();
        return Outcome::Unavailable;
    }
    lock_ = std::move(lock);
    path_ = path;
    return Outcome::Taken;
}

void DatabaseLock::release() {
    if (lock_)
        lock_->unlock();
    lock_.reset();
    path_.clear();
}

} // namespace olv
