#include "platform/PixelImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

// Closes on every way out; Close() reports the error a late write may give.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, const unsigned char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string TemporaryName(const fs::path& folder, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    return (folder /
            ("." + name + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + "." +
             std::to_string(random() % 1000000u) + ".tmp"))
        .string();
}

Error Failure(const std::string& path, int reason) {
    return Error::Failed(path + " cannot be written (" + std::strerror(reason) + ")");
}

}  // namespace

ErrorOr<void> ReplaceFileWith(const std::string& path, const FileBytesWriter& write) {
    const fs::path target(path);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..") {
        errno = EISDIR;
        return Failure(path, errno);
    }
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(folder, name);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return Failure(path, errno);
    }
    Descriptor file(fd);
    errno = 0;
    bool written = write([&](const unsigned char* bytes, std::size_t count) {
        return WriteAll(file.Get(), bytes, count);
    });
    // A picture replaced keeps who may read it; a link's target is none of its business.
    struct stat old {};
    if (written && ::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        written = ::fchmod(file.Get(), old.st_mode & 07777) == 0;
    }
    written = written && ::fsync(file.Get()) == 0;
    written = file.Close() && written;
    // rename() replaces a link at the name itself, never what it points to.
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        // A writer that gave up without a system error still failed.
        const int reason = errno != 0 ? errno : EIO;
        ::unlink(temporary.c_str());
        errno = reason;
        return Failure(path, reason);
    }
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
    return {};
}

ErrorOr<void> WritePngFile(cairo_surface_t* surface, const std::string& path) {
    if (surface == nullptr || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        errno = EINVAL;
        return Error::Failed(path + " cannot be written (no picture to write)");
    }
    return ReplaceFileWith(path, [surface](const FileBytesSink& sink) {
        const auto piece = [](void* closure, const unsigned char* bytes, unsigned int count) {
            return (*static_cast<const FileBytesSink*>(closure))(bytes, count)
                       ? CAIRO_STATUS_SUCCESS
                       : CAIRO_STATUS_WRITE_ERROR;
        };
        return cairo_surface_write_to_png_stream(
                   surface, piece, const_cast<FileBytesSink*>(&sink)) == CAIRO_STATUS_SUCCESS;
    });
}
