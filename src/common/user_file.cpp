// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "common/user_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>

namespace olv {

namespace {

constexpr std::array<char, 16> kSqliteHeader = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                                'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};

// Symlinks are followed as far as they go before a component is missing.
constexpr int kMaxSymlinks = 40;

// An output buffer over a file descriptor that remembers the first failed write.
class FdBuffer final : public std::streambuf {
public:
    explicit FdBuffer(int fd) : fd_(fd), buffer_(1 << 16) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain() {
        if (error_ != 0)
            return false;
        const char* p = pbase();
        while (p < pptr()) {
            const ssize_t written = ::write(fd_, p, static_cast<std::size_t>(pptr() - p));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                error_ = errno;
                return false;
            }
            p += written;
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return true;
    }

    int fd_;
    std::vector<char> buffer_;
    int error_ = 0;
};

UserFileResult refused(UserFileStatus status, std::string message) {
    return {status, std::move(message)};
}

UserFileResult failed(const std::string& target, int error) {
    return {UserFileStatus::Failed, "Could not write " + target + ": " + std::strerror(error)};
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path a missing target really names: a dangling symlink leads to where its file would be.
std::string follow_dangling_links(std::string path) {
    for (int i = 0; i < kMaxSymlinks; ++i) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return path;
        std::string to(static_cast<std::size_t>(link.st_size) + 256, '\0');
        const ssize_t size = ::readlink(path.c_str(), to.data(), to.size());
        if (size < 0)
            return path;
        to.resize(static_cast<std::size_t>(size));
        path = to.starts_with('/') ? to : folder_of(path) + "/" + to;
    }
    return path;
}

// /dev/stdout, /dev/fd/N and /proc/self/fd/N stand for a file the program was handed open:
// they are written where they point, after what the shell put there, as a shell would.
bool names_an_open_file(const std::string& path) {
    if (path == "/dev/stdout" || path == "/dev/stderr" || path.starts_with("/dev/fd/"))
        return true;
    return path.starts_with("/proc/") && path.find("/fd/") != std::string::npos;
}

// The descriptor is closed when this goes; the temporary file is removed unless kept.
struct OutputFile {
    int fd = -1;
    std::string temporary; // empty when written in place
    bool keep = false;

    ~OutputFile() {
        if (fd >= 0)
            ::close(fd);
        if (!temporary.empty() && !keep)
            ::unlink(temporary.c_str());
    }
    // Closes the descriptor; the errno of a failure, or 0.
    int close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0 ? 0 : errno;
    }
};

mode_t creation_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes the head and the rows; the errno of a write failure, -1 when cancelled, 0 when done.
int write_rows(std::ostream& out, const FdBuffer& buffer, const FileRows& rows,
               const FileProgress& progress) {
    if (rows.head)
        rows.head(out);
    std::size_t done = 0;
    while (done < rows.count && out) {
        const std::size_t last = std::min(rows.count, done + kRowsPerBatch);
        rows.write(out, done, last);
        done = last;
        if (out && progress && !progress(done, rows.count))
            return -1;
    }
    out.flush();
    if (!out)
        return buffer.error() != 0 ? buffer.error() : EIO;
    return 0;
}

} // namespace

bool is_sqlite_database_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    std::array<char, 16> head{};
    bool database = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        database = ::read(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size()) &&
                   head == kSqliteHeader;
    ::close(fd);
    return database;
}

UserFileResult check_user_file_target(const std::string& target,
                                      const std::vector<std::string>& databases) {
    if (target.empty())
        return refused(UserFileStatus::Failed, "No file name was given");
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return {UserFileStatus::Written, {}};
        return failed(target, errno);
    }
    if (S_ISDIR(st.st_mode))
        return refused(UserFileStatus::Folder, "Not written: " + target + " is a folder");
    const std::string database_message =
        "Not written: " + target + " is a database, and writing there would overwrite a database";
    for (const std::string& database : databases) {
        struct stat db {};
        if (!database.empty() && ::stat(database.c_str(), &db) == 0 && db.st_dev == st.st_dev &&
            db.st_ino == st.st_ino)
            return refused(UserFileStatus::Database, database_message);
    }
    if (S_ISREG(st.st_mode) && is_sqlite_database_file(target))
        return refused(UserFileStatus::Database, database_message);
    return {UserFileStatus::Written, {}};
}

UserFileResult write_user_file(const std::string& target, const std::vector<std::string>& databases,
                               const FileRows& rows, const FileProgress& progress) {
    UserFileResult check = check_user_file_target(target, databases);
    if (check.status != UserFileStatus::Written)
        return check;

    OutputFile output;
    std::string final_path;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || names_an_open_file(target))) {
        // A FIFO, a device or a file the program was handed: written where it is, appended to
        // what the shell opened.
        output.fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY);
        if (output.fd < 0)
            return failed(target, errno);
    } else {
        if (exists) {
            char* real = ::realpath(target.c_str(), nullptr);
            if (!real)
                return failed(target, errno);
            final_path = real;
            std::free(real);
        } else {
            final_path = follow_dangling_links(target);
        }
        const std::size_t slash = final_path.find_last_of('/');
        const std::string name =
            slash == std::string::npos ? final_path : final_path.substr(slash + 1);
        std::string pattern = folder_of(final_path) + "/." + name + ".XXXXXX.part";
        output.fd = ::mkostemps(pattern.data(), 5, O_CLOEXEC);
        if (output.fd < 0)
            return failed(target, errno);
        output.temporary = pattern;
        if (exists) {
            // The new file takes the place of the old one with its permissions and owner.
            ::fchmod(output.fd, st.st_mode & 07777);
            if (::fchown(output.fd, st.st_uid, st.st_gid) != 0) {
                // Only root may give a file away; the user's own file stays the user's.
            }
        } else {
            ::fchmod(output.fd, creation_mode());
        }
    }

    FdBuffer buffer(output.fd);
    std::ostream out(&buffer);
    const int written = write_rows(out, buffer, rows, progress);
    if (written < 0)
        return {UserFileStatus::Cancelled, {}};
    if (written > 0)
        return failed(target, written);
    if (output.temporary.empty())
        return {UserFileStatus::Written, {}};

    if (::fsync(output.fd) != 0)
        return failed(target, errno);
    if (const int error = output.close(); error != 0)
        return failed(target, error);
    if (::rename(output.temporary.c_str(), final_path.c_str()) != 0)
        return failed(target, errno);
    output.keep = true;
    // The rename itself reaches the disk with its folder.
    if (const int folder =
            ::open(folder_of(final_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {UserFileStatus::Written, {}};
}

} // namespace olv
