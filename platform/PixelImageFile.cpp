#include "platform/PixelImageFile.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

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

// Rows asked of the source at a time: a few hundred kilobytes for a wide picture.
constexpr int kBandRows = 32;

// libpng reports errors by jumping back to EncodePng; nothing between here
// and there owns anything.
[[noreturn]] void PngFailed(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void PngWarned(png_structp /*png*/, png_const_charp /*message*/) {}

void PngWrite(png_structp png, png_bytep bytes, png_size_t count) {
    const bool kept = (*static_cast<const FileBytesSink*>(png_get_io_ptr(png)))(bytes, count);
    if (!kept) {
        PngFailed(png, "write");
    }
}

void PngFlush(png_structp /*png*/) {}

// The settings Cairo writes an RGB24 surface with: 8-bit RGB, a white
// background chunk, libpng's default filters and compression.
void WriteImage(png_structp png, png_infop info, int width, int height, const PixelRowSource& rows,
                std::uint32_t* band, png_bytep line) {
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color_16 white{};
    white.red = white.green = white.blue = white.gray = 0xFF;
    png_set_bKGD(png, info, &white);
    png_write_info(png, info);
    for (int first = 0; first < height; first += kBandRows) {
        const int count = std::min(kBandRows, height - first);
        rows(first, count, band);
        for (int r = 0; r < count; ++r) {
            const std::uint32_t* pixel = band + static_cast<std::ptrdiff_t>(r) * width;
            for (int x = 0; x < width; ++x) {
                line[3 * x] = static_cast<png_byte>(pixel[x] >> 16);
                line[3 * x + 1] = static_cast<png_byte>(pixel[x] >> 8);
                line[3 * x + 2] = static_cast<png_byte>(pixel[x]);
            }
            png_write_row(png, line);
        }
    }
    png_write_end(png, info);
}

// The jump target of libpng's errors, apart from the rest so that no local
// of a frame it returns into changes across the jump.
bool EncodePng(png_structp png, png_infop info, int width, int height, const PixelRowSource& rows,
               std::uint32_t* band, png_bytep line) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    WriteImage(png, info, width, height, rows, band, line);
    return true;
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

ErrorOr<void> WritePngRows(int width, int height, const PixelRowSource& rows,
                           const std::string& path) {
    if (width <= 0 || height <= 0 || !rows) {
        errno = EINVAL;
        return Error::Failed(path + " cannot be written (no picture to write)");
    }
    return ReplaceFileWith(path, [&](const FileBytesSink& sink) {
        struct Writer {
            png_structp png =
                png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarned);
            png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
            ~Writer() { png_destroy_write_struct(&png, &info); }
        } writer;
        if (writer.info == nullptr) {
            return false;
        }
        std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * kBandRows);
        std::vector<png_byte> line(static_cast<std::size_t>(width) * 3);
        png_set_write_fn(writer.png, const_cast<FileBytesSink*>(&sink), PngWrite, PngFlush);
        return EncodePng(writer.png, writer.info, width, height, rows, band.data(), line.data());
    });
}
