// Pictures reach their files whole or not at all: never through a link at
// the name, never leaving a part of a picture (or an emptied earlier one)
// behind when the disk gives out.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/PixelImage.h"
#include "platform/PixelImageFile.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/TestProfile.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A picture of noise, which no PNG encoder shrinks much below its 3 bytes a pixel.
PixelImage Noise(int width, int height) {
    PixelImage image(width, height);
    std::uint32_t state = 12345;
    for (std::uint32_t& pixel : image.pixels) {
        state = state * 1664525u + 1013904223u;
        pixel = state >> 8;
    }
    return image;
}

// Only the files the test made: no temporary file may stay behind.
std::size_t FilesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// As on a disk with only `bytes` left: a file of this process written past
// that fails with EFBIG (the signal that would end the process is ignored).
// Works for the superuser too, unlike a folder without write permission.
class DiskNearlyFull {
  public:
    explicit DiskNearlyFull(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskNearlyFull() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, previous_);
    }
    DiskNearlyFull(const DiskNearlyFull&) = delete;
    DiskNearlyFull& operator=(const DiskNearlyFull&) = delete;

  private:
    rlimit before_{};
    void (*previous_)(int) = SIG_DFL;
};

}  // namespace

TEST(PictureFile, ALinkAtTheNameIsReplacedAndWhatItPointsToKept) {
    TempFolder folder;
    const std::string other = folder.File("notes.txt");
    Put(other, "not a picture");
    const std::string view = folder.File("view.png");
    fs::create_symlink(other, view);
    const std::string dangling = folder.File("chart.png");
    fs::create_symlink(folder.File("nowhere/chart.png"), dangling);

    PixelImage image(3, 2);
    image.pixels = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x123456};
    ASSERT_TRUE(SavePng(image, view));
    ASSERT_TRUE(SavePng(image, dangling));

    EXPECT_EQ(Contents(other), "not a picture");
    EXPECT_FALSE(fs::exists(folder.File("nowhere")));
    for (const std::string& name : {view, dangling}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name))) << name;
        const std::optional<Image> back = LoadPng(name);
        ASSERT_TRUE(back.has_value()) << name;
        EXPECT_EQ(back->At(2, 1), 0xFF123456u) << name;
    }
    EXPECT_EQ(FilesIn(folder.Path()), 3u);
}

TEST(PictureFile, AFailedWriteLeavesTheEarlierPictureWhole) {
    TempFolder folder;
    const std::string view = folder.File("view.png");
    ASSERT_TRUE(SavePng(Noise(40, 30), view));
    const std::string earlier = Contents(view);
    ASSERT_FALSE(earlier.empty());
    ::chmod(view.c_str(), 0640);

    {
        DiskNearlyFull disk(1000);
        errno = 0;
        EXPECT_FALSE(SavePng(Noise(64, 64), view));
        EXPECT_EQ(errno, EFBIG);
    }
    EXPECT_TRUE(Contents(view) == earlier) << "the earlier picture changed";

    // A writer that gives up half way, without a system error.
    const ErrorOr<void> halfWay = ReplaceFileWith(view, [](const FileBytesSink& sink) {
        const unsigned char bytes[] = {0x89, 'P', 'N', 'G'};
        sink(bytes, sizeof bytes);
        return false;
    });
    ASSERT_FALSE(halfWay);
    EXPECT_EQ(errno, EIO);
    EXPECT_NE(halfWay.GetError().Message().find(view), std::string::npos);
    EXPECT_TRUE(Contents(view) == earlier) << "the earlier picture changed";
    EXPECT_EQ(FilesIn(folder.Path()), 1u);

    // Written whole, the new picture takes the place and the permissions.
    ASSERT_TRUE(SavePng(Noise(20, 10), view));
    EXPECT_FALSE(Contents(view) == earlier);
    EXPECT_EQ(fs::status(view).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FilesIn(folder.Path()), 1u);
}
