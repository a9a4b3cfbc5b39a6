// The headless voyage's peak memory against a committed figure: the host run
// as a user runs it, in a process of its own, its peak resident set taken
// from the kernel when it ends. A figure of the default build only: other
// builds skip.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/TestProfile.h"

namespace {

// About 58 300 kB when committed (58 200 to 58 900 seen), 40 000 of them
// the pages of the libraries the module and the sounder load (30 000 for
// GDAL and its dependencies). The view's and the chart's window pixels are
// never held together: one more copy of the chart's (2 800 kB) or the
// echogram's texture held as whole texels again (3 000 kB) would go over.
// Measure with /usr/bin/time -v build/bin/plotrex-host --out DIR ("Maximum
// resident set size") before raising it.
constexpr long kPeakKilobytes = 60000;

}  // namespace

TEST(PeakMemory, TheHeadlessVoyageStaysUnderTheCommittedFigure) {
#ifndef PLOTREX_DEFAULT_BUILD
    GTEST_SKIP() << "the figure is that of the default build";
#endif
    TempFolder folder;
    const std::string host = std::string(PLOTREX_BIN_DIR) + "/plotrex-host";
    const std::string profile = folder.File("profile.ini");
    const std::string pictures = folder.File("pictures");
    // A child forked from this small process holds little before it becomes
    // the host, so the peak the kernel keeps for it is the host's.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::execl(host.c_str(), host.c_str(), "--profile", profile.c_str(), "--out", pictures.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << host << " failed: " << status;
    EXPECT_LE(usage.ru_maxrss, kPeakKilobytes)
        << "the headless voyage peaked at " << usage.ru_maxrss << " kB";
}
