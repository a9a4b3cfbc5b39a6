#include "platform/IniProfile.h"

#include "platform/IniProfileLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

namespace fs = std::filesystem;

namespace {

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
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&&) = delete;
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
ErrorOr<std::string> FollowLinks(const std::string& path) {
    fs::path at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return at.string();
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) {
            return Error::Refused("is a link that cannot be read (" + ec.message() + ")");
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return Error::Refused("is a chain of links that does not end");
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

// A profile file as read: nothing when it does not exist yet.
struct ProfileFile {
    bool exists = false;
    std::string text;
    struct stat info {};
};

// Reads a regular file of at most kMaxBytes. The kind is checked on the open
// descriptor too, in case the path changed since it was looked at.
ErrorOr<ProfileFile> ReadProfileFile(const std::string& file) {
    ProfileFile read;
    FileHandle handle(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (handle.Get() < 0) {
        if (errno == ENOENT) {
            return read;
        }
        return Error::Refused("cannot be opened (" + ErrorText(errno) + ")");
    }
    if (::fstat(handle.Get(), &read.info) != 0) {
        return Error::Refused("cannot be looked at (" + ErrorText(errno) + ")");
    }
    if (!S_ISREG(read.info.st_mode)) {
        return Error::Refused(KindOf(read.info.st_mode));
    }
    read.exists = true;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(handle.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Error::Refused("cannot be read (" + ErrorText(errno) + ")");
        }
        if (count == 0) {
            return read;
        }
        read.text.append(buffer, static_cast<size_t>(count));
        if (read.text.size() > IniProfile::kMaxBytes) {
            return Error::Refused(TooLarge(read.text.size()));
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

// A folder that does not exist yet can be made where the nearest existing
// one is: found out by making and removing a folder there.
ErrorOr<void> CheckFolderCanBeMade(const std::string& folder) {
    fs::path existing = folder;
    struct stat info {};
    while (::lstat(existing.c_str(), &info) != 0 && existing.has_parent_path() &&
           existing.parent_path() != existing) {
        existing = existing.parent_path();
    }
    if (existing.empty()) {
        existing = ".";
    }
    std::string probe = (existing / ".plotrex-XXXXXX").string();
    if (::mkdtemp(probe.data()) == nullptr) {
        return Error::Refused("is in a folder that cannot be made in " + existing.string() + " (" +
                              ErrorText(errno) + ")");
    }
    ::rmdir(probe.c_str());
    return {};
}

// Keeps the file as "<file>.bad", or the first of ".bad.1", ".bad.2"... that
// does not exist yet: an earlier one is never replaced. The name it kept.
ErrorOr<std::string> KeepAside(const std::string& file, const ProfileFile& read) {
    for (int n = 0; n < 1000; ++n) {
        std::string kept = file + ".bad";
        if (n > 0) {
            kept += '.';
            kept += std::to_string(n);
        }
        if (::link(file.c_str(), kept.c_str()) == 0) {
            return kept;
        }
        if (errno == EEXIST) {
            continue;
        }
        // A file system without hard links: a copy of what was read.
        FileHandle copy(::open(kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                               read.info.st_mode & 07777));
        if (copy.Get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return Error::Failed("it could not be kept as " + kept + " (" + ErrorText(errno) + ")");
        }
        if (!WriteAll(copy.Get(), read.text) || ::fsync(copy.Get()) != 0 || !copy.Close()) {
            const Error error =
                Error::Failed("it could not be kept as " + kept + " (" + ErrorText(errno) + ")");
            ::unlink(kept.c_str());
            return error;
        }
        return kept;
    }
    return Error::Failed("too many earlier copies " + file + ".bad.* are in the way");
}

std::string UniqueSuffix() {
    static std::mt19937_64 random{std::random_device{}()};
    static unsigned counter = 0;
    return std::to_string(::getpid()) + "." + std::to_string(++counter) + "." +
           std::to_string(random() % 1000000007u);
}

// Writes text to a new file beside the target, synced, then renamed over
// the target: readers see the old file or the new one, never a part.
ErrorOr<void> ReplaceFile(const std::string& target, const std::string& text,
                          const struct stat* old) {
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
        return Error::Failed("no temporary file could be made in " + folder + " (" +
                             ErrorText(errno) + ")");
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
        const Error error = Error::Failed("it could not be written (" + ErrorText(errno) + ")");
        ::unlink(temp.c_str());
        return error;
    }
    // The rename itself is on disk only once the folder is.
    FileHandle directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
    return {};
}

// Why an existing file cannot hold a profile.
ErrorOr<void> CheckExistingFile(const std::string& file, const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return Error::Refused(KindOf(info.st_mode));
    }
    if (static_cast<std::uintmax_t>(info.st_size) > IniProfile::kMaxBytes) {
        return Error::Refused(TooLarge(static_cast<std::uintmax_t>(info.st_size)));
    }
    if (::faccessat(AT_FDCWD, file.c_str(), R_OK, AT_EACCESS) != 0) {
        return Error::Refused("cannot be read (" + ErrorText(errno) + ")");
    }
    if (!Writable(file, info)) {
        return Error::Refused("is read-only");
    }
    const ErrorOr<ProfileFile> read = ReadProfileFile(file);
    if (!read) {
        return read.GetError();
    }
    const ErrorOr<IniDocument> document = IniDocument::Parse(read.Value().text);
    if (document && document.Value().Size() > IniProfile::kMaxItems) {
        return Error::Refused(TooMany(document.Value().Size()));
    }
    return {};
}

// The same error told of the profile as "it ...".
Error OfTheProfile(const Error& error) {
    return Error::Failed("it " + error.Message());
}

// Why path cannot hold a profile; with the lock too, found out by making it.
ErrorOr<void> CheckPath(const std::string& path, bool withLock) {
    if (path.empty()) {
        return Error::Refused("is an empty file name");
    }
    const ErrorOr<std::string> target = FollowLinks(path);
    if (!target) {
        return target.GetError();
    }
    struct stat info {};
    if (::stat(target.Value().c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return Error::Refused("cannot be looked at (" + ErrorText(errno) + ")");
        }
    } else if (ErrorOr<void> file = CheckExistingFile(target.Value(), info); !file) {
        return file;
    }
    // A folder still to be made is made by the host (the folder of the path
    // given, not of a link's target); one that exists must take the
    // temporary file that replaces the profile, and its lock.
    const std::string folder = FolderOf(target.Value());
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) {
        if (target.Value() != path) {
            return Error::Refused("is a link to " + target.Value() +
                                  ", in a folder that does not exist");
        }
        return CheckFolderCanBeMade(folder);
    }
    if (!S_ISDIR(folderInfo.st_mode) ||
        ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return Error::Refused("is in a folder that cannot be written (" + folder + ")");
    }
    return withLock ? IniProfileLock::Check(target.Value()) : ErrorOr<void>();
}

}  // namespace

ErrorOr<void> IniProfile::Check(const std::string& path) {
    return CheckPath(path, true);
}

IniProfile::IniProfile(std::string path) : path_(std::move(path)) {
    if (ErrorOr<void> usable = Check(path_); !usable) {
        refusal_ = usable.GetError();
        return;
    }
    const ErrorOr<std::string> target = FollowLinks(path_);
    if (!target) {
        refusal_ = target.GetError();
        return;
    }
    ErrorOr<ProfileFile> read = ReadProfileFile(target.Value());
    if (!read) {
        refusal_ = read.GetError();
        return;
    }
    if (!read.Value().exists) {
        return;
    }
    ErrorOr<IniDocument> document = IniDocument::Parse(read.Value().text);
    if (!document) {
        loadError_ = Error::Refused(
            "profile " + path_ + " is not a settings file (" + document.GetError().Message() +
            "); starting with empty settings. It is left as it is until the next save, which "
            "keeps it as " +
            target.Value() + ".bad (numbered if that name is taken)");
        return;
    }
    if (document.Value().Size() > kMaxItems) {
        refusal_ = Error::Refused(TooMany(document.Value().Size()));
        return;
    }
    read_ = document.Value();
    current_ = document.Release();
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

ErrorOr<IniProfile::Saved> IniProfile::Save() {
    ErrorOr<Saved> saved = Write();
    if (!saved) {
        return saved.GetError().About("profile " + path_ + " not saved");
    }
    return saved;
}

ErrorOr<IniProfile::Saved> IniProfile::Write() {
    if (refusal_) {
        return OfTheProfile(*refusal_);
    }
    // It may have changed kind since it was read; the lock tells of itself.
    if (ErrorOr<void> usable = CheckPath(path_, false); !usable) {
        return OfTheProfile(usable.GetError());
    }
    const ErrorOr<std::string> target = FollowLinks(path_);
    if (!target) {
        return OfTheProfile(target.GetError());
    }
    const ErrorOr<IniProfileLock> lock = IniProfileLock::Take(target.Value());
    if (!lock) {
        return lock.GetError();
    }
    return WriteUnderLock(target.Value());
}

// This program's changes go into the file as it is now, so that what another
// program saved meanwhile stays.
ErrorOr<IniProfile::Saved> IniProfile::WriteUnderLock(const std::string& target) {
    const ErrorOr<ProfileFile> read = ReadProfileFile(target);
    if (!read) {
        return OfTheProfile(read.GetError());
    }
    // A file spoilt meanwhile is kept aside; what was last read stands for it.
    IniDocument merged;
    bool keepAside = false;
    if (read.Value().exists) {
        if (ErrorOr<IniDocument> now = IniDocument::Parse(read.Value().text)) {
            if (now.Value().Size() > kMaxItems) {
                return OfTheProfile(Error::Refused(TooMany(now.Value().Size())));
            }
            merged = now.Release();
        } else {
            merged = read_;
            keepAside = true;
        }
    }
    merged.ApplyChanges(read_, current_);
    const std::string out = merged.Text();
    const ErrorOr<IniDocument> check = IniDocument::Parse(out);
    if (!check || !check.Value().SameValues(merged)) {
        return Error::Failed("the settings would not read back as they are");
    }
    Saved saved;
    if (keepAside) {
        ErrorOr<std::string> kept = KeepAside(target, read.Value());
        if (!kept) {
            return kept.GetError();
        }
        saved.keptAs = kept.Release();
    }
    if (ErrorOr<void> written =
            ReplaceFile(target, out, read.Value().exists ? &read.Value().info : nullptr);
        !written) {
        return written.GetError();
    }
    read_ = merged;
    current_ = std::move(merged);
    loadError_.reset();
    return saved;
}
