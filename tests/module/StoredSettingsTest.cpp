// Display mode and label size as stored in the profile by earlier runs, hand
// edits or other programs: only values the module can show are used.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/ModuleDataPlotrex.h"
#include "module/ModuleWideValues.h"
#include "platform/MessageBox.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/TestProfile.h"

namespace {

struct StoredCase {
    const char* entry;
    const char* stored;  // nullptr: absent
    int used;            // mode or multiplier in effect after loading
    bool warned;
};

const StoredCase kCases[] = {
    {"LabelFontSizeMultiplier", nullptr, 1, false},
    {"LabelFontSizeMultiplier", "1", 1, false},
    {"LabelFontSizeMultiplier", "2", 2, false},
    {"LabelFontSizeMultiplier", "3", 3, false},
    {"LabelFontSizeMultiplier", "0", 1, true},
    {"LabelFontSizeMultiplier", "-5", 1, true},
    {"LabelFontSizeMultiplier", "4", 1, true},
    {"LabelFontSizeMultiplier", "99999", 1, true},  // was cut to -31073
    {"LabelFontSizeMultiplier", "2x", 1, true},
    {"LabelFontSizeMultiplier", "", 1, true},
    {"NorvaneMode", nullptr, 0, false},
    {"NorvaneMode", "0", 0, false},
    {"NorvaneMode", "2", 2, false},
    {"NorvaneMode", "-1", 0, true},
    {"NorvaneMode", "3", 0, true},
    {"NorvaneMode", "99", 0, true},
    {"NorvaneMode", "4294967297", 0, true},
    // Valid, but this run has no echogram for the pixel view to show.
    {"NorvaneMode", "1", 0, true},
};

constexpr const char* kSection = "ModuleData\\PlotrexData";

// The warnings the module shows, as the host's message box receives them.
class Warnings {
  public:
    Warnings()
        : previous_(
              SetMessageBoxHandler([this](const std::string& text, const std::string&, UINT type) {
                  (type & MB_ICONWARNING) == MB_ICONWARNING ? warnings_.push_back(text)
                                                            : others_.push_back(text);
                  return IDOK;
              })) {}
    ~Warnings() { SetMessageBoxHandler(previous_); }
    std::string Text() const {
        std::string all;
        for (const std::string& w : warnings_) {
            all += w + "\n";
        }
        return all;
    }
    const std::vector<std::string>& Others() const { return others_; }

  private:
    std::vector<std::string> warnings_;
    std::vector<std::string> others_;
    MessageBoxHandler previous_;
};

}  // namespace

TEST(StoredSettings, OutOfRangeValuesWarnGiveTheDefaultAndAreNotSavedBack) {
    FakeDataSource source;
    for (const StoredCase& c : kCases) {
        SCOPED_TRACE(std::string(c.entry) + " = " + (c.stored ? c.stored : "(absent)"));
        gLabelFontSizeMultiplier = 1;
        TestProfile profile;
        if (c.stored != nullptr) {
            profile.App().WriteProfileString(kSection, c.entry, c.stored);
        }
        profile.Reload();

        ModuleDataPlotrex data;
        data.Initialize(&source, nullptr, nullptr, nullptr, 0);
        Warnings shown;
        data.LoadSettings();
        const std::string warning = shown.Text();
        EXPECT_TRUE(shown.Others().empty());
        const bool isMode = std::string(c.entry) == "NorvaneMode";
        EXPECT_EQ(isMode ? data.GetMode() : gLabelFontSizeMultiplier, c.used);
        EXPECT_EQ(warning.find(c.entry) != std::string::npos, c.warned) << warning;

        data.SaveSettings();
        data.Terminate();
        profile.Reload();
        EXPECT_EQ(profile.App().GetProfileString(kSection, c.entry, "absent"),
                  std::to_string(c.used));
    }
    gLabelFontSizeMultiplier = 1;
}

TEST(StoredSettings, NothingOutOfRangeIsSavedBeforeInitialize) {
    TestProfile profile;
    gLabelFontSizeMultiplier = 1;
    ModuleDataPlotrex data;  // mode -1 until initialised
    data.SaveSettings();
    EXPECT_EQ(profile.App().GetProfileString(kSection, "NorvaneMode", "absent"), "absent");
    EXPECT_EQ(profile.App().GetProfileString(kSection, "LabelFontSizeMultiplier", "absent"), "1");
}

TEST(StoredSettings, TheWarningsGoThroughTheHostsLibraryOneLineEach) {
    FakeDataSource source;
    TestProfile profile;
    profile.App().WriteProfileString(kSection, "LabelFontSizeMultiplier", "9");
    profile.App().WriteProfileString(kSection, "NorvaneMode", "1");
    profile.Reload();
    ModuleDataPlotrex data;
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    testing::internal::CaptureStderr();
    Warnings shown;
    data.LoadSettings();
    // Through the host's library as warnings, never straight to the console.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(shown.Text(),
              "stored LabelFontSizeMultiplier \"9\" is not one of 1..3; using 1\n"
              "stored NorvaneMode 1 shows the echogram, which this run has not; using 0\n");
    data.Terminate();
    gLabelFontSizeMultiplier = 1;
}
