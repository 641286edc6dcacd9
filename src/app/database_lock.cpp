// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "app/database_lock.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace olv {

namespace {

// The file itself: symlinks followed, so every path to it names one lock file.
QString resolved(const QString& path) {
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

// A byte far beyond anything the database engine locks: another program's lock on it means the
// file is held, whichever hard link it came through.
constexpr off_t kHeldByte = 0x7fff'ffff'ffff'fff0;

enum class FileLock { Taken, HeldElsewhere, Unavailable };

// An open-file-description lock on the database file: it belongs to this descriptor alone, so
// the engine opening and closing the file never drops it. A read-only file gets a read lock,
// which still meets the write lock of a program that can write.
FileLock lock_the_file(const QString& path, int& fd) {
    const QByteArray name = QFile::encodeName(path);
    fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    short type = F_WRLCK;
    if (fd < 0) {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        type = F_RDLCK;
    }
    if (fd < 0)
        return FileLock::Unavailable;
    struct flock held {};
    held.l_type = type;
    held.l_whence = SEEK_SET;
    held.l_start = kHeldByte;
    held.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &held) == 0)
        return FileLock::Taken;
    const int error = errno;
    ::close(fd);
    fd = -1;
    return error == EAGAIN || error == EACCES ? FileLock::HeldElsewhere : FileLock::Unavailable;
}

} // namespace

DatabaseLock::DatabaseLock() = default;

DatabaseLock::~DatabaseLock() {
    release();
}

QString DatabaseLock::lock_file_name(const QString& database_path) {
    return resolved(database_path) + QStringLiteral(".lock");
}

DatabaseLock::Outcome DatabaseLock::take(const QString& database_path) {
    const QString path = resolved(database_path);
    if (lock_ && path == path_) {
        // A file made since the lock was taken is locked itself now.
        if (file_fd_ < 0 && lock_the_file(path, file_fd_) == FileLock::HeldElsewhere)
            return Outcome::HeldElsewhere;
        return Outcome::Taken;
    }
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Only a dead owner makes a lock stale, never its age: a program may run for weeks.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError)
            return Outcome::HeldElsewhere;
        // The program moves to that file all the same; the old one is free for others.
        release();
        return Outcome::Unavailable;
    }
    int fd = -1;
    if (lock_the_file(path, fd) == FileLock::HeldElsewhere) {
        lock->unlock();
        return Outcome::HeldElsewhere;
    }
    release();
    lock_ = std::move(lock);
    file_fd_ = fd;
    path_ = path;
    return Outcome::Taken;
}

void DatabaseLock::release() {
    if (file_fd_ >= 0)
        ::close(file_fd_);
    file_fd_ = -1;
    if (lock_)
        lock_->unlock();
    lock_.reset();
    path_.clear();
}

} // namespace olv
