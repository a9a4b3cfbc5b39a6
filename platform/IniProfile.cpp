#include "platform/IniProfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Another program saving the same profile holds the lock for milliseconds.
constexpr auto kLockPatience = std::chrono::seconds(10);

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }
    // Closes now, for the result: a write may fail only here.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::string ErrorText(int error) {
    return std::strerror(error);
}

// The file a path names, with its links followed (the last one may dangle:
// then that is where the profile will be created).
bool FollowLinks(const std::string& path, std::string& target, std::string& why) {
    fs::path at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = at.string();
            return true;
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) {
            why = "is a link that cannot be read (" + ec.message() + ")";
            return false;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    why = "is a chain of links that does not end";
    return false;
}

std::string FolderOf(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    return folder.empty() ? "." : folder.string();
}

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "is a folder";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device";
    }
    if (S_ISFIFO(mode)) {
        return "is a named pipe";
    }
    if (S_ISSOCK(mode)) {
        return "is a socket";
    }
    return "is not a regular file";
}

std::string TooMany(size_t items) {
    return "holds " + std::to_string(items) +
           " sections and entries, more than a profile may hold (" +
           std::to_string(IniProfile::kMaxItems) + ")";
}

std::string TooLarge(std::uintmax_t bytes) {
    return "is " + std::to_string(bytes) + " bytes, more than a profile may hold (" +
           std::to_string(IniProfile::kMaxBytes >> 20) + " MB)";
}

bool Writable(const std::string& path, const struct stat& info) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    // The superuser may write anything; a file that no one may write is
    // still meant to stay as it is.
    return ::geteuid() != 0 || S_ISDIR(info.st_mode) || (info.st_mode & 0222) != 0;
}

enum class ReadOutcome { kMissing, kRead, kRefused };

// Reads a regular file of at most kMaxBytes. The kind is checked on the open
// descriptor too, in case the path changed since it was looked at.
ReadOutcome ReadProfileFile(const std::string& file, std::string& text, struct stat& info,
                            std::string& why) {
    FileHandle handle(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (handle.Get() < 0) {
        if (errno == ENOENT) {
            return ReadOutcome::kMissing;
        }
        why = "cannot be opened (" + ErrorText(errno) + ")";
        return ReadOutcome::kRefused;
    }
    if (::fstat(handle.Get(), &info) != 0) {
        why = "cannot be looked at (" + ErrorText(errno) + ")";
        return ReadOutcome::kRefused;
    }
    if (!S_ISREG(info.st_mode)) {
        why = KindOf(info.st_mode);
        return ReadOutcome::kRefused;
    }
    text.clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(handle.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            why = "cannot be read (" + ErrorText(errno) + ")";
            return ReadOutcome::kRefused;
        }
        if (count == 0) {
            return ReadOutcome::kRead;
        }
        text.append(buffer, static_cast<size_t>(count));
        if (text.size() > IniProfile::kMaxBytes) {
            why = TooLarge(text.size());
            return ReadOutcome::kRefused;
        }
    }
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

bool TakeLock(int fd) {
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

// Keeps the file as "<file>.bad", or the first of ".bad.1", ".bad.2"... that
// does not exist yet: an earlier one is never replaced.
bool KeepAside(const std::string& file, const std::string& text, const struct stat& info,
               std::string& kept, std::string& why) {
    for (int n = 0; n < 1000; ++n) {
        kept = file + ".bad" + (n == 0 ? "" : "." + std::to_string(n));
        if (::link(file.c_str(), kept.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        // A file system without hard links: a copy of what was read.
        FileHandle copy(
            ::open(kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777));
        if (copy.Get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            why = "it could not be kept as " + kept + " (" + ErrorText(errno) + ")";
            return false;
        }
        if (!WriteAll(copy.Get(), text) || ::fsync(copy.Get()) != 0 || !copy.Close()) {
            why = "it could not be kept as " + kept + " (" + ErrorText(errno) + ")";
            ::unlink(kept.c_str());
            return false;
        }
        return true;
    }
    why = "too many earlier copies " + file + ".bad.* are in the way";
    return false;
}

std::string UniqueSuffix() {
    static std::mt19937_64 random{std::random_device{}()};
    static unsigned counter = 0;
    return std::to_string(::getpid()) + "." + std::to_string(++counter) + "." +
           std::to_string(random() % 1000000007u);
}

// Writes text to a new file beside the target, synced, then renamed over
// the target: readers see the old file or the new one, never a part.
bool ReplaceFile(const std::string& target, const std::string& text, const struct stat* old,
                 std::string& why) {
    const std::string folder = FolderOf(target);
    const std::string name = fs::path(target).filename().string();
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = (fs::path(folder) / ("." + name + "." + UniqueSuffix() + ".tmp")).string();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        why = "no temporary file could be made in " + folder + " (" + ErrorText(errno) + ")";
        return false;
    }
    FileHandle handle(fd);
    bool written = WriteAll(fd, text);
    if (written && old != nullptr) {
        written = ::fchmod(fd, old->st_mode & 07777) == 0;
        if (written && ::geteuid() == 0 && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
            written = false;
        }
    }
    written = written && ::fsync(fd) == 0;
    written = handle.Close() && written;
    if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
        why = "it could not be written (" + ErrorText(errno) + ")";
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself is on disk only once the folder is.
    FileHandle directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
    return true;
}

}  // namespace

std::string IniProfile::Problem(const std::string& path) {
    if (path.empty()) {
        return "is an empty file name";
    }
    std::string target;
    std::string why;
    if (!FollowLinks(path, target, why)) {
        return why;
    }
    const std::string folder = FolderOf(target);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return "cannot be looked at (" + ErrorText(errno) + ")";
        }
    } else {
        if (!S_ISREG(info.st_mode)) {
            return KindOf(info.st_mode);
        }
        if (static_cast<std::uintmax_t>(info.st_size) > kMaxBytes) {
            return TooLarge(static_cast<std::uintmax_t>(info.st_size));
        }
        if (::faccessat(AT_FDCWD, target.c_str(), R_OK, AT_EACCESS) != 0) {
            return "cannot be read (" + ErrorText(errno) + ")";
        }
        if (!Writable(target, info)) {
            return "is read-only";
        }
        std::string text;
        if (ReadProfileFile(target, text, info, why) == ReadOutcome::kRefused) {
            return why;
        }
        const std::optional<IniDocument> document = IniDocument::Parse(text, why);
        if (document && document->Size() > kMaxItems) {
            return TooMany(document->Size());
        }
    }
    // A folder still to be made is made by the host; one that exists must
    // take the temporary file that replaces the profile.
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) == 0 &&
        (!S_ISDIR(folderInfo.st_mode) ||
         ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)) {
        return "is in a folder that cannot be written (" + folder + ")";
    }
    return {};
}

IniProfile::IniProfile(std::string path) : path_(std::move(path)) {
    refusal_ = Problem(path_);
    if (!refusal_.empty()) {
        return;
    }
    std::string target;
    std::string why;
    std::string text;
    struct stat info {};
    if (!FollowLinks(path_, target, why)) {
        refusal_ = why;
        return;
    }
    switch (ReadProfileFile(target, text, info, why)) {
        case ReadOutcome::kMissing:
            return;
        case ReadOutcome::kRefused:
            refusal_ = why;
            return;
        case ReadOutcome::kRead:
            break;
    }
    std::optional<IniDocument> document = IniDocument::Parse(text, why);
    if (!document) {
        loadFailed_ = true;
        std::cerr << "warning: profile " << path_ << " is not a settings file (" << why
                  << "); starting with empty settings. It is left as it is until the next save, "
                     "which keeps it as "
                  << target << ".bad (numbered if that name is taken)\n";
        return;
    }
    if (document->Size() > kMaxItems) {
        refusal_ = TooMany(document->Size());
        return;
    }
    read_ = *document;
    current_ = std::move(*document);
}

std::optional<std::string> IniProfile::Get(const std::string& section,
                                           const std::string& entry) const {
    const std::string* value = current_.Get(section, entry);
    if (value == nullptr) {
        return std::nullopt;
    }
    return *value;
}

bool IniProfile::Set(const std::string& section, const std::string& entry,
                     const std::string& value) {
    return current_.Set(section, entry, value);
}

bool IniProfile::CreateSection(const std::string& section) {
    return current_.CreateSection(section);
}

bool IniProfile::HasSection(const std::string& section) const {
    return current_.HasSection(section);
}

bool IniProfile::HasSubsections(const std::string& section) const {
    return current_.HasSubsections(section);
}

void IniProfile::DeleteSection(const std::string& section) {
    current_.DeleteSection(section);
}

void IniProfile::DeleteEntry(const std::string& section, const std::string& entry) {
    current_.DeleteEntry(section, entry);
}

bool IniProfile::Save() {
    const auto fail = [this](const std::string& why) {
        std::cerr << "error: profile " << path_ << " not saved: " << why << "\n";
        return false;
    };
    if (!refusal_.empty()) {
        return fail("it " + refusal_);
    }
    // It may have changed kind since it was read.
    if (const std::string problem = Problem(path_); !problem.empty()) {
        return fail("it " + problem);
    }
    std::string target;
    std::string why;
    if (!FollowLinks(path_, target, why)) {
        return fail("it " + why);
    }
    const std::string lockPath = target + ".lock";
    FileHandle lock(::open(
        lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666));
    struct stat lockInfo {};
    if (lock.Get() < 0 || ::fstat(lock.Get(), &lockInfo) != 0 || !S_ISREG(lockInfo.st_mode)) {
        return fail("its lock file " + lockPath + " cannot be used" +
                    (lock.Get() < 0 ? " (" + ErrorText(errno) + ")" : ""));
    }
    if (!TakeLock(lock.Get())) {
        return fail("its lock file " + lockPath + " stays locked (" + ErrorText(errno) + ")");
    }

    // Under the lock: this program's changes go into the file as it is now,
    // so that what another program saved meanwhile stays.
    std::string text;
    struct stat info {};
    const ReadOutcome outcome = ReadProfileFile(target, text, info, why);
    if (outcome == ReadOutcome::kRefused) {
        return fail("it " + why);
    }
    // A file spoilt meanwhile is kept aside; what was last read stands for it.
    IniDocument merged;
    bool keepAside = false;
    if (outcome == ReadOutcome::kRead) {
        std::string unused;
        if (std::optional<IniDocument> now = IniDocument::Parse(text, unused)) {
            if (now->Size() > kMaxItems) {
                return fail("it " + TooMany(now->Size()));
            }
            merged = std::move(*now);
        } else {
            merged = read_;
            keepAside = true;
        }
    }
    merged.ApplyChanges(read_, current_);
    const std::string out = merged.Text();
    std::string unused;
    const std::optional<IniDocument> check = IniDocument::Parse(out, unused);
    if (!check || !check->SameValues(merged)) {
        return fail("the settings would not read back as they are");
    }
    std::string kept;
    if (keepAside) {
        if (!KeepAside(target, text, info, kept, why)) {
            return fail(why);
        }
    }
    if (!ReplaceFile(target, out, outcome == ReadOutcome::kRead ? &info : nullptr, why)) {
        return fail(why);
    }
    if (keepAside) {
        std::cerr << "warning: the unreadable profile was kept as " << kept << "\n";
    }
    read_ = merged;
    current_ = std::move(merged);
    loadFailed_ = false;
    return true;
}
