#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "hostfamily/PosType.h"
#include "platform/CriticalSection.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"

TEST(DynamicLibrary, LoadsBesideTheProgramAndReportsFailuresByNumber) {
    EXPECT_EQ(PlatformLibraryName("Converter.dll"), "Converter.so");
    EXPECT_EQ(PlatformLibraryName("VexIHM.DLL"), "VexIHM.so");
    EXPECT_EQ(PlatformLibraryName("plain"), "plain");

    const std::string folder = PLOTREX_BIN_DIR "/";
    HMODULE converter = LoadLibraryExA((folder + "Converter.so").c_str(), nullptr, 0);
    ASSERT_NE(converter, nullptr) << LastLoaderError();
    EXPECT_NE(GetProcAddress(converter, "GetConverterAPI"), nullptr);
    EXPECT_EQ(GetProcAddress(converter, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    char path[4096];
    ASSERT_GT(GetModuleFileNameA(converter, path, sizeof path), 0U);
    EXPECT_NE(std::strstr(path, "Converter.so"), nullptr) << path;
    EXPECT_TRUE(FreeLibrary(converter));

    EXPECT_EQ(LoadLibraryExA((folder + "Missing.so").c_str(), nullptr, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(LastLoaderError().empty());
    EXPECT_EQ(LoadLibraryExA(nullptr, nullptr, 0), nullptr);
}

TEST(DynamicLibrary, ExecutablePathIsTruncatedSafely) {
    char path[4096];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 0U);
    EXPECT_NE(std::strstr(path, "test_platform"), nullptr) << path;
    char tiny[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 4U);
    EXPECT_EQ(tiny[4], '\0');
    EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, 0), 0U);
}

TEST(FormatMessage, SystemTextOfTheMissingLibraryError) {
    char text[256];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_DLL_NOT_FOUND, 0,
                                        text, sizeof text, nullptr);
    ASSERT_GT(length, 0U);
    EXPECT_STREQ(text,
                 "One of the library files needed to run this application cannot be found.\r\n");
    char small[8];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_DLL_NOT_FOUND, 0, small,
                             sizeof small, nullptr),
              0U);
    EXPECT_EQ(
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 424242, 0, text, sizeof text, nullptr),
        0U);
}

TEST(MessageBox, GoesToStandardErrorUnlessTheHostHandlesIt) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Depth lost", "Plotrex", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Plotrex: Depth lost\n");

    std::string seen;
    SetMessageBoxHandler([&](const std::string& text, const std::string& caption, UINT) {
        seen = caption + "|" + text;
        return 7;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), 7);
    EXPECT_EQ(seen, "y|x");
    SetMessageBoxHandler({});
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    int counter = 0;
    {
        CriticalSectionLock outer(section);
        CriticalSectionLock inner(section);  // same thread: no deadlock
        ++counter;
    }
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            CriticalSectionLock lock(section);
            ++counter;
        }
    };
    std::thread t1(work), t2(work);
    t1.join();
    t2.join();
    EXPECT_EQ(counter, 20001);
    DeleteCriticalSection(&section);
}

TEST(PosType, NoPosAndSinglePrecision) {
    EXPECT_TRUE(NoPos.IsNoPos());
    EXPECT_TRUE(PosType().IsNoPos());
    const PosType p(0.1, -0.2);
    EXPECT_FALSE(p.IsNoPos());
    EXPECT_EQ(p, PosType(0.1f, -0.2f));
    EXPECT_NE(p, NoPos);
    EXPECT_EQ(p.First(), static_cast<double>(0.1f));
    EXPECT_EQ(FormatPosition(NoPos), "no position");
    EXPECT_EQ(FormatPosition(PosType(47.5 * M_PI / 180, -5.25 * M_PI / 180)),
              "47\xC2\xB0"
              "30.000'N 005\xC2\xB0"
              "15.000'W");
}
