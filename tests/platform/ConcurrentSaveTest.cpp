// Several programs that read one profile and then save it at the same moment:
// each one's report must match what ends on disk.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/TestProfile.h"

namespace {

constexpr int kPrograms = 6;
constexpr int kRounds = 4;

// A program of its own: reads the profile, changes its own entry and the
// shared one, waits for the start signal, saves. The exit code is its report.
[[noreturn]] void RunProgram(const std::string& path, int id, int ready, int start) {
    int code = 3;
    {
        CWinApp app(path);
        app.WriteProfileInt("Race", ("program" + std::to_string(id)).c_str(), id);
        app.WriteProfileInt("Race", "last", id);
        char byte = 'r';
        if (::write(ready, &byte, 1) == 1 && ::read(start, &byte, 1) == 0) {
            code = app.SaveProfile() ? 0 : 1;
        }
    }
    ::_exit(code);
}

}  // namespace

TEST(ConcurrentSave, EveryProgramThatReportsSuccessFindsItsValuesOnDisk) {
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        TempFolder folder;
        const std::string path = folder.File("profile.ini");
        std::ofstream(path) << "[Keep]\nValue = 1\n";

        int ready[2];
        int start[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(start), 0);
        pid_t programs[kPrograms];
        for (int id = 0; id < kPrograms; ++id) {
            programs[id] = ::fork();
            ASSERT_GE(programs[id], 0);
            if (programs[id] == 0) {
                ::close(ready[0]);
                ::close(start[1]);
                RunProgram(path, id, ready[1], start[0]);
            }
        }
        ::close(ready[1]);
        ::close(start[0]);
        // All have read the file before any saves.
        for (int id = 0; id < kPrograms; ++id) {
            char byte = 0;
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        }
        ::close(start[1]);  // every program's read returns at once
        ::close(ready[0]);

        int exitCodes[kPrograms];
        for (int id = 0; id < kPrograms; ++id) {
            int status = 0;
            ASSERT_EQ(::waitpid(programs[id], &status, 0), programs[id]);
            exitCodes[id] = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }

        CWinApp result(path);
        EXPECT_FALSE(result.ProfileLoadError());
        EXPECT_EQ(result.GetProfileInt("Keep", "Value", 0), 1U);
        bool lastIsASaver = false;
        for (int id = 0; id < kPrograms; ++id) {
            const std::string entry = "program" + std::to_string(id);
            const int stored = static_cast<int>(result.GetProfileInt("Race", entry.c_str(), -1));
            // Saves wait for each other, so every one succeeds.
            EXPECT_EQ(exitCodes[id], 0) << entry;
            EXPECT_EQ(stored, exitCodes[id] == 0 ? id : -1) << entry;
            lastIsASaver |= exitCodes[id] == 0 &&
                            static_cast<int>(result.GetProfileInt("Race", "last", -1)) == id;
        }
        EXPECT_TRUE(lastIsASaver);
        // Only the profile remains: no temporary file, and no lock.
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_EQ(entry.path().filename(), "profile.ini");
            ++files;
        }
        EXPECT_EQ(files, 1);
    }
}
