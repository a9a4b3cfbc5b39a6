#pragma once
// Settings in the running application's profile. Reads never fail: an absent
// value leaves the caller's default. Without an application object reads
// report absent and writes do nothing.
#include <string>

// The integer that stands for "absent" in a profile read.
inline constexpr int kProfileIntAbsent = -32768;
// The text that stands for "absent" in a profile read.
inline constexpr const char* kProfileTextAbsent = "No Found String In The Registry";

void WriteProfileIntValue(const char* section, const char* entry, int value);
bool ReadProfileInt(const char* section, const char* entry, int& out, int defaultValue);
void WriteProfileBool(const char* section, const char* entry, bool value);
bool ReadProfileBool(const char* section, const char* entry, bool& out, bool defaultValue);
void WriteProfileText(const char* section, const char* entry, const std::string& value);
bool ReadProfileText(const char* section, const char* entry, std::string& out,
                     const std::string& defaultValue);
// Opens (creating) the key of a section and deletes it; false when there is
// no application or the key still has subkeys.
bool DeleteProfileSection(const char* section);
