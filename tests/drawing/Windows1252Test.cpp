#include "drawing/Windows1252.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

// The C library's converter of the same code page, as an independent reference.
std::string Iconv1252(const std::string& text) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(result, static_cast<size_t>(-1));
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

TEST(Windows1252, EveryDefinedByteConvertsAsTheCLibraryDoes) {
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) {
            continue;
        }
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(Windows1252ToUtf8(text), Iconv1252(text)) << "byte " << byte;
    }
}

TEST(Windows1252, UndefinedBytesBecomeControlCharacters) {
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");
    EXPECT_EQ(Windows1252ToUtf8("\x9D"), "\xC2\x9D");
}

TEST(Windows1252, WholeTextsConvert) {
    const std::string message =
        "Un type de projection est demand\xE9 mais n'existe pas dans la map de l'organizer.";
    EXPECT_EQ(Windows1252ToUtf8(message), Iconv1252(message));
    EXPECT_EQ(Windows1252ToUtf8("Temp\xE9rature \x80 12\xB0"),
              "Temp\xC3\xA9rature \xE2\x82\xAC 12\xC2\xB0");
    EXPECT_EQ(Windows1252ToUtf8(""), "");
}
