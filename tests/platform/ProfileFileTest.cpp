#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/IniDocument.h"
#include "tests/support/HostRun.h"
#include "tests/support/TestProfile.h"

namespace {

// "k0", "k1"... appended, not "k" + std::to_string(n): GCC 12 at -O3 warns
// falsely of overlapping copies (-Wrestrict) in the inlined insert of that.
std::string Key(int n) {
    return std::string("k").append(std::to_string(n));
}

}  // namespace

TEST(IniProfile, ValuesSurviveASaveAndAReload) {
    TestProfile profile;
    CWinApp& app = profile.App();
    EXPECT_EQ(AfxGetApp(), &app);
    app.WriteProfileInt("ModuleData\\PlotrexData", "NorvaneMode", 2);
    app.WriteProfileInt("ModuleData\\PlotrexData", "Negative", -12);
    app.WriteProfileString("ModuleDisplay\\PlotrexDisplay", "ORGANIZER_SLOPE", "4.000000");
    app.WriteProfileString("ModuleDisplay\\PlotrexDisplay", "Text", "été = \"ok\" ; x");
    profile.Reload();
    CWinApp& again = profile.App();
    EXPECT_EQ(again.GetProfileInt("ModuleData\\PlotrexData", "NorvaneMode", 0), 2U);
    EXPECT_EQ(static_cast<int>(again.GetProfileInt("ModuleData\\PlotrexData", "Negative", 0)), -12);
    EXPECT_EQ(again.GetProfileString("ModuleDisplay\\PlotrexDisplay", "ORGANIZER_SLOPE"),
              "4.000000");
    EXPECT_EQ(again.GetProfileString("ModuleDisplay\\PlotrexDisplay", "Text"), "été = \"ok\" ; x");
    // Section names keep their backslash.
    EXPECT_NE(profile.FileText().find("[ModuleData\\PlotrexData]"), std::string::npos);
}

TEST(IniProfile, MissingAndMalformedValuesGiveTheDefault) {
    TestProfile profile;
    CWinApp& app = profile.App();
    EXPECT_EQ(app.GetProfileInt("S", "missing", 42), 42U);
    EXPECT_EQ(app.GetProfileString("S", "missing", "d"), "d");
    app.WriteProfileString("S", "word", "twelve");
    EXPECT_EQ(app.GetProfileInt("S", "word", 42), 42U);
    // Numbers are read as the person editing the file means them: decimal.
    app.WriteProfileString("S", "padded", "010");
    EXPECT_EQ(app.GetProfileInt("S", "padded", 42), 10U);
    app.WriteProfileString("S", "hex", "0x10");
    EXPECT_EQ(app.GetProfileInt("S", "hex", 42), 42U);
    app.WriteProfileString("S", "entry", nullptr);  // deletes
    app.WriteProfileString("S", "kept", "1");
    app.WriteProfileString("S", nullptr, nullptr);  // deletes the section
    EXPECT_EQ(app.GetProfileString("S", "kept", "gone"), "gone");
}

TEST(IniProfile, KeysDeleteLikeRegistryKeys) {
    TestProfile profile;
    CWinApp& app = profile.App();
    app.WriteProfileInt("Parent", "a", 1);
    app.WriteProfileInt("Parent\\Child", "b", 2);
    HKEY root = app.GetAppRegistryKey();
    EXPECT_EQ(RegDeleteKeyA(root, "Parent"), ERROR_ACCESS_DENIED);  // has a subkey
    EXPECT_EQ(RegDeleteKeyA(root, "Parent\\Child"), 0);
    EXPECT_EQ(RegDeleteKeyA(root, "Parent\\Child"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(root, "Parent"), 0);
    EXPECT_EQ(app.GetProfileInt("Parent", "a", 9), 9U);
    EXPECT_EQ(RegCloseKey(root), 0);

    HKEY created = app.GetSectionKey("Fresh\\Key");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(RegDeleteKeyA(created, ""), 0);
    RegCloseKey(created);
    EXPECT_EQ(RegDeleteKeyA(nullptr, "x"), ERROR_INVALID_HANDLE);
}

TEST(IniProfile, AFailedSaveLeavesThePreviousFileWhole) {
    TempFolder folder;
    const std::string path = folder.File("profile.ini");
    WriteFile(path, "[Keep]\nValue = 1\n");
    CWinApp app(path);
    app.WriteProfileInt("Keep", "Value", 2);
    // The lock file cannot be made: a folder of that name is in the way.
    std::filesystem::create_directory(path + ".lock");
    const ErrorOr<CWinApp::ProfileSaved> failed = app.SaveProfile();
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.GetError().ExitCode(), 1);
    EXPECT_EQ(failed.GetError().Message(), "profile " + path + " not saved: its lock file " + path +
                                               ".lock cannot be used (" + std::strerror(EISDIR) +
                                               ")");
    EXPECT_EQ(ReadFile(path), "[Keep]\nValue = 1\n");
    std::filesystem::remove(path + ".lock");
    EXPECT_TRUE(app.SaveProfile());
    EXPECT_NE(ReadFile(path).find("Value = 2"), std::string::npos);
}

TEST(IniProfile, NamesAndTextsThatWouldNotReadBackAreRefused) {
    TestProfile profile;
    CWinApp& app = profile.App();
    const char* badEntries[] = {"a=b", " lead", "trail ", "[x", ";x", "#x", "line\nbreak", ""};
    for (const char* entry : badEntries) {
        EXPECT_FALSE(app.WriteProfileString("S", entry, "v")) << entry;
    }
    EXPECT_FALSE(app.WriteProfileString("a]b", "k", "v"));
    EXPECT_FALSE(app.WriteProfileString("S", "k", "carriage\rreturn"));
    EXPECT_FALSE(app.WriteProfileString("S", "k", "bell\a"));
    EXPECT_EQ(app.GetSectionKey("a]b"), nullptr);
    // Texts that look like the file's own syntax come back as they were.
    const char* texts[] = {"<<<END_OF_TEXT",
                           "two\nlines",
                           "  padded  ",
                           "END_OF_TEXT\nEND_OF_TEXT",
                           "; not a comment",
                           "[not a section]",
                           "\tx\n",
                           "=",
                           ""};
    int n = 0;
    for (const char* text : texts) {
        EXPECT_TRUE(app.WriteProfileString("S", Key(n++).c_str(), text));
    }
    profile.Reload();
    n = 0;
    for (const char* text : texts) {
        EXPECT_EQ(profile.App().GetProfileString("S", Key(n++).c_str(), "gone"), text);
    }
}

TEST(IniProfile, OnlyTheNewestApplicationObjectIsCurrent) {
    TempFolder folder;
    {
        CWinApp first(folder.File("a.ini"));
        EXPECT_EQ(AfxGetApp(), &first);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

// Carriage returns the parser leaves inside a multi-line value (here one
// running to the end of the file) are line breaks: written back, the value
// reads as itself.
TEST(IniProfile, AMultiLineValueWithCarriageReturnsSurvivesASave) {
    const ErrorOr<IniDocument> read = IniDocument::Parse("[S]\nk = <<<E\nE\n\r\r");
    ASSERT_TRUE(read);
    const std::string* value = read.Value().Get("S", "k");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->find('\r'), std::string::npos);
    const ErrorOr<IniDocument> again = IniDocument::Parse(read.Value().Text());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.Value().SameValues(read.Value()));
    EXPECT_EQ(again.Value().Text(), read.Value().Text());
}

TEST(IniProfile, TextThatIsNoProfileIsRefusedAtItsFirstFault) {
    const struct {
        std::string text;
        std::string why;
    } cases[] = {
        {"[S]\nk = 1\n", ""},
        {"; note\n[S]\r\nk = <<<END\nnot = an entry\n[nor a section\nEND\n", ""},
        {std::string("[S]\nk = \x01", 9), "it holds binary data (byte 0x01 at offset 8)"},
        {"[S]\nk = 1\nplain words\n= 2\n", "line 3 is neither a section, an entry nor a comment"},
        {"[S\n", "line 1 opens a section without closing it"},
        {"[S]\r\n\r\n  = 2\n", "line 3 is an entry without a name"},
        {"[S]\nk = <<<\nv\n", "line 2 starts a multi-line value without an end tag"},
        // After a value's end tag, lines are checked again.
        {"[S]\nk = <<<E\n[x\nE\n[y\n", "line 5 opens a section without closing it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ErrorOr<IniDocument> document = IniDocument::Parse(c.text);
        if (c.why.empty()) {
            EXPECT_TRUE(document);
        } else {
            ASSERT_FALSE(document);
            EXPECT_EQ(document.GetError().Message(), c.why);
        }
    }
}
