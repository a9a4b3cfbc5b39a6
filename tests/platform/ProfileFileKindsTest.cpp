// What becomes of every kind of file given as the profile: loaded, kept aside
// as ".bad" with a warning, or refused (the host then stops with exit code 2)
// with nothing changed.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <set>

#include "platform/IniProfile.h"
#include "tests/support/HostRun.h"
#include "tests/support/TestProfile.h"

namespace fs = std::filesystem;

namespace {

enum class Outcome { kLoaded, kKeptAside, kRefused };

struct FileKind {
    const char* name;
    // Makes the file in the folder; returns the path to give as the profile.
    std::function<std::string(const TempFolder&)> make;
    Outcome outcome;
    const char* value = nullptr;  // of [S] k once loaded
    const char* keptAs = ".bad";
};

// What a refusal must leave exactly as it was.
struct Snapshot {
    bool exists = false;
    mode_t mode = 0;
    dev_t device = 0;
    std::string text;  // regular files only
    std::set<std::string> folder;

    static Snapshot Of(const std::string& path, const fs::path& folder) {
        Snapshot snapshot;
        struct stat info {};
        snapshot.exists = ::lstat(path.c_str(), &info) == 0;
        snapshot.mode = info.st_mode;
        snapshot.device = info.st_rdev;
        if (snapshot.exists && S_ISREG(info.st_mode)) {
            snapshot.text = ReadFile(path);
        }
        for (const auto& entry : fs::directory_iterator(folder)) {
            snapshot.folder.insert(entry.path().filename().string());
        }
        return snapshot;
    }
    bool operator==(const Snapshot&) const = default;
};

std::string MakeText(const TempFolder& folder, const std::string& text) {
    const std::string path = folder.File("profile.ini");
    WriteFile(path, text);
    return path;
}

std::string MakeSocket(const TempFolder& folder) {
    const std::string path = folder.File("profile.ini");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    ::close(fd);  // the socket file stays
    return path;
}

const std::string kBinary = std::string("[S]\0k=\x01\x02\xff\xfe", 10) + "garbage";
const std::string kJson = "{\n  \"S\": {\"k\": 1}\n}\n";
const std::string kScript = "#!/bin/sh\nset -e\nexport K=1\nexec plotrex-host\n";

const FileKind kKinds[] = {
    {"regular", [](auto& f) { return MakeText(f, "[S]\nk = 1\n"); }, Outcome::kLoaded, "1"},
    {"missing", [](auto& f) { return f.File("profile.ini"); }, Outcome::kLoaded},
    {"empty", [](auto& f) { return MakeText(f, ""); }, Outcome::kLoaded},
    {"private",
     [](auto& f) {
         const std::string path = MakeText(f, "[S]\nk = 1\n");
         ::chmod(path.c_str(), 0600);
         return path;
     },
     Outcome::kLoaded, "1"},
    {"byte-order mark and UTF-8",
     [](auto& f) { return MakeText(f, "\xEF\xBB\xBF[S]\nk = \xC3\xA9t\xC3\xA9\n"); },
     Outcome::kLoaded, "\xC3\xA9t\xC3\xA9"},
    {"CRLF", [](auto& f) { return MakeText(f, "; saved elsewhere\r\n[S]\r\nk = 1\r\n"); },
     Outcome::kLoaded, "1"},
    {"symbolic link",
     [](auto& f) {
         WriteFile(f.File("real.ini"), "[S]\nk = 2\n");
         fs::create_symlink("real.ini", f.File("profile.ini"));
         return f.File("profile.ini");
     },
     Outcome::kLoaded, "2"},
    {"dangling link",
     [](auto& f) {
         fs::create_symlink("later.ini", f.File("profile.ini"));
         return f.File("profile.ini");
     },
     Outcome::kLoaded},
    {"JSON", [](auto& f) { return MakeText(f, kJson); }, Outcome::kKeptAside},
    {"shell script", [](auto& f) { return MakeText(f, kScript); }, Outcome::kKeptAside},
    {"binary garbage", [](auto& f) { return MakeText(f, kBinary); }, Outcome::kKeptAside},
    {"JSON with an earlier .bad",
     [](auto& f) {
         WriteFile(f.File("profile.ini.bad"), "earlier");
         return MakeText(f, kJson);
     },
     Outcome::kKeptAside, nullptr, ".bad.1"},
    {"null device", [](auto&) { return std::string("/dev/null"); }, Outcome::kRefused},
    {"zero device", [](auto&) { return std::string("/dev/zero"); }, Outcome::kRefused},
    {"link to a device",
     [](auto& f) {
         fs::create_symlink("/dev/null", f.File("profile.ini"));
         return f.File("profile.ini");
     },
     Outcome::kRefused},
    {"named pipe",
     [](auto& f) {
         EXPECT_EQ(::mkfifo(f.File("profile.ini").c_str(), 0644), 0);
         return f.File("profile.ini");
     },
     Outcome::kRefused},
    {"socket", MakeSocket, Outcome::kRefused},
    {"folder",
     [](auto& f) {
         fs::create_directory(f.File("profile.ini"));
         return f.File("profile.ini");
     },
     Outcome::kRefused},
    {"read-only",
     [](auto& f) {
         const std::string path = MakeText(f, "[S]\nk = 1\n");
         ::chmod(path.c_str(), 0444);
         return path;
     },
     Outcome::kRefused},
    {"too many entries",
     [](auto& f) {
         std::string text = "[S]\n";
         for (size_t n = 0; n < IniProfile::kMaxItems; ++n) {
             text += "k";
             text += std::to_string(n);
             text += "=1\n";
         }
         return MakeText(f, text);
     },
     Outcome::kRefused},
    {"huge",
     [](auto& f) {
         const std::string path = MakeText(f, "[S]\nk = 1\n");
         fs::resize_file(path, IniProfile::kMaxBytes + 1);
         return path;
     },
     Outcome::kRefused},
    // The lock taken to save it cannot be made: found out before anything.
    {"lock file is a folder",
     [](auto& f) {
         fs::create_directory(f.File("profile.ini.lock"));
         return MakeText(f, "[S]\nk = 1\n");
     },
     Outcome::kRefused},
    {"lock file is a named pipe",
     [](auto& f) {
         EXPECT_EQ(::mkfifo(f.File("profile.ini.lock").c_str(), 0644), 0);
         return MakeText(f, "[S]\nk = 1\n");
     },
     Outcome::kRefused},
    {"lock file is a dangling link",
     [](auto& f) {
         fs::create_symlink("elsewhere", f.File("profile.ini.lock"));
         return f.File("profile.ini");
     },
     Outcome::kRefused},
    {"link into a folder that does not exist",
     [](auto& f) {
         fs::create_symlink("gone/profile.ini", f.File("profile.ini"));
         return f.File("profile.ini");
     },
     Outcome::kRefused},
    {"in /proc", [](auto&) { return std::string("/proc/plotrex-profile.ini"); }, Outcome::kRefused},
    {"in a folder to be made under /sys",
     [](auto&) { return std::string("/sys/plotrex/profile.ini"); }, Outcome::kRefused},
    {"a lock file left by a program that stopped",
     [](auto& f) {
         WriteFile(f.File("profile.ini.lock"), "");
         return MakeText(f, "[S]\nk = 1\n");
     },
     Outcome::kLoaded, "1"},
};

// The refusal is reported, not printed, nothing is saved, and the program
// itself stops before it changes anything, the picture folder included.
void ExpectRefusedAndLeftAlone(const std::string& path, const TempFolder& folder,
                               const Snapshot& before) {
    testing::internal::CaptureStderr();
    auto app = std::make_unique<CWinApp>(path);
    // Saving over a device as root would replace it: stop here if the
    // refusal is missing.
    ASSERT_TRUE(app->ProfileRefusal().has_value());
    EXPECT_FALSE(CWinApp::CheckProfileFile(path));
    app->WriteProfileInt("New", "v", 7);
    const ErrorOr<CWinApp::ProfileSaved> saved = app->SaveProfile();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.GetError().Message().rfind("profile " + path + " not saved: it ", 0), 0u)
        << saved.GetError().Message();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    app.reset();
    const std::string pictures = folder.File("pictures");
    const HostRun run = RunHost("--profile " + path + " --out " + pictures);
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("profile " + path + " "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("nothing was changed"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(pictures));
    EXPECT_TRUE(Snapshot::Of(path, folder.Path()) == before);
}

// Loaded (or loaded as empty with the reason kept), saved with a new value,
// and read back with it; a file that was no INI text is kept aside whole.
void ExpectSavedAndReadBack(const FileKind& kind, const std::string& path, const Snapshot& before) {
    testing::internal::CaptureStderr();
    auto app = std::make_unique<CWinApp>(path);
    EXPECT_FALSE(app->ProfileRefusal()) << app->ProfileRefusal()->Message();
    if (kind.outcome == Outcome::kLoaded) {
        EXPECT_FALSE(app->ProfileLoadError());
    } else {
        ASSERT_TRUE(app->ProfileLoadError());
        const std::string& warning = app->ProfileLoadError()->Message();
        EXPECT_EQ(warning.rfind("profile " + path + " is not a settings file (", 0), 0u) << warning;
        // Nothing is written over it before a save.
        EXPECT_EQ(ReadFile(path), before.text);
    }
    if (kind.value != nullptr) {
        EXPECT_EQ(app->GetProfileString("S", "k", "absent"), kind.value);
    }
    app->WriteProfileInt("New", "v", 7);
    const ErrorOr<CWinApp::ProfileSaved> saved = app->SaveProfile();
    ASSERT_TRUE(saved) << saved.GetError().Message();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    app.reset();

    CWinApp reopened(path);
    EXPECT_FALSE(reopened.ProfileLoadError());
    EXPECT_EQ(reopened.GetProfileInt("New", "v", 0), 7U);
    if (kind.value != nullptr) {
        EXPECT_EQ(reopened.GetProfileString("S", "k", "absent"), kind.value);
    }
    if (kind.outcome == Outcome::kKeptAside) {
        EXPECT_EQ(saved.Value().keptAs, path + kind.keptAs);
        EXPECT_EQ(ReadFile(path + kind.keptAs), before.text);
        if (std::string(kind.keptAs) != ".bad") {
            EXPECT_EQ(ReadFile(path + ".bad"), "earlier");
        }
    } else {
        EXPECT_FALSE(saved.Value().keptAs);
    }
}

}  // namespace

TEST(ProfileFileKinds, EachKindIsLoadedKeptAsideOrRefused) {
    for (const FileKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        TempFolder folder;
        const std::string path = kind.make(folder);
        const Snapshot before = Snapshot::Of(path, folder.Path());
        if (kind.outcome == Outcome::kRefused) {
            ExpectRefusedAndLeftAlone(path, folder, before);
            continue;
        }
        struct stat linkInfo {};
        const bool wasLink = ::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode);
        struct stat target {};
        const bool existed = ::stat(path.c_str(), &target) == 0;
        ExpectSavedAndReadBack(kind, path, before);

        // A link stays a link, written through; the file keeps its permissions.
        struct stat after {};
        EXPECT_EQ(::lstat(path.c_str(), &after) == 0 && S_ISLNK(after.st_mode), wasLink);
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        if (existed) {
            EXPECT_EQ(after.st_mode & 07777, target.st_mode & 07777);
        }
        // No temporary file and no lock is left behind.
        for (const auto& entry : fs::directory_iterator(folder.Path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << entry.path();
            EXPECT_EQ(name.find(".lock"), std::string::npos) << entry.path();
        }
    }
}
