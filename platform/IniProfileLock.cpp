#include "platform/IniProfileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

namespace {

// Another program saving the same profile holds the lock for milliseconds.
constexpr auto kLockPatience = std::chrono::seconds(10);

std::string ErrorText(int error) {
    return std::strerror(error);
}

std::string LockPathOf(const std::string& target) {
    return target + ".lock";
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool WaitForLock(int fd) {
    const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() > giveUp) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int OpenLock(const std::string& path, int create) {
    return ::open(path.c_str(), O_RDWR | create | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
                  0666);
}

}  // namespace

ErrorOr<IniProfileLock> IniProfileLock::Take(const std::string& target) {
    const std::string path = LockPathOf(target);
    for (int attempt = 0;; ++attempt) {
        IniProfileLock lock(path, OpenLock(path, O_CREAT));
        struct stat info {};
        if (lock.fd_ < 0 || ::fstat(lock.fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            const int error = errno;
            lock.path_.clear();  // not ours to remove
            return Error::Failed("its lock file " + path + " cannot be used" +
                                 (lock.fd_ < 0 ? " (" + ErrorText(error) + ")" : ""));
        }
        if (!WaitForLock(lock.fd_)) {
            const int error = errno;
            lock.path_.clear();
            return Error::Failed("its lock file " + path + " stays locked (" + ErrorText(error) +
                                 ")");
        }
        // Its holder removed it before releasing it: not the lock any more.
        struct stat atPath {};
        if (::lstat(path.c_str(), &atPath) == 0 && SameFile(atPath, info)) {
            return lock;
        }
        lock.path_.clear();
        if (attempt == 1000) {
            return Error::Failed("its lock file " + path + " keeps being replaced");
        }
    }
}

namespace {

// What an existing lock file at path is good for; nothing when it will do.
ErrorOr<void> CheckExisting(const std::string& path, const struct stat& info,
                            const std::function<Error(const std::string&)>& refused) {
    if (S_ISLNK(info.st_mode)) {
        return refused("is a symbolic link");
    }
    if (!S_ISREG(info.st_mode)) {
        return refused(S_ISDIR(info.st_mode)    ? "is a folder"
                       : S_ISFIFO(info.st_mode) ? "is a named pipe"
                                                : "is not a regular file");
    }
    const int fd = OpenLock(path, 0);
    if (fd < 0) {
        return refused("cannot be opened (" + ErrorText(errno) + ")");
    }
    ::close(fd);
    return {};
}

}  // namespace

ErrorOr<void> IniProfileLock::Check(const std::string& target) {
    const std::string path = LockPathOf(target);
    auto refused = [&path](const std::string& why) {
        return Error::Refused("needs a lock file " + path + ", which " + why);
    };
    // Another program saving the same profile may make or remove the lock
    // between our look and our making it: look again.
    for (int attempt = 0;; ++attempt) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            ErrorOr<void> usable = CheckExisting(path, info, refused);
            if (usable || errno != ENOENT || attempt == 100) {
                return usable;
            }
            continue;
        }
        if (errno != ENOENT) {
            return refused("cannot be looked at (" + ErrorText(errno) + ")");
        }
        IniProfileLock made(path, OpenLock(path, O_CREAT | O_EXCL));
        if (made.fd_ < 0) {
            made.path_.clear();
            if (errno == EEXIST && attempt < 100) {
                continue;
            }
            return refused("cannot be made (" + ErrorText(errno) + ")");
        }
        // Removed only while held: another program may have opened it meanwhile.
        if (::flock(made.fd_, LOCK_EX | LOCK_NB) != 0) {
            made.path_.clear();
        }
        return {};
    }
}

IniProfileLock::IniProfileLock(IniProfileLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {
    other.path_.clear();
}

IniProfileLock::~IniProfileLock() {
    if (fd_ < 0) {
        return;
    }
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
    ::close(fd_);
}
