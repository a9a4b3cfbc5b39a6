#pragma once
// A whole number kept in the profile, read back only when it is usable.

// The stored number when it lies within [low, high]; anything else (a hand
// edit, a value from another program) gives the fallback and a warning, so
// that it is neither used nor saved back. The fallback, silently, when absent.
int ReadStoredSetting(const char* section, const char* entry, int low, int high, int fallback);
