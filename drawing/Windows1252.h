#pragma once
// Conversion of the module's texts, kept in the Windows-1252 code page, for
// the text engine.
#include <string>
#include <string_view>

// Every byte is converted; the five bytes that code page leaves undefined
// become the control characters of the same number, as Windows converts them.
std::string Windows1252ToUtf8(std::string_view text);
