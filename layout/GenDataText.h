#pragma once
// Texts of the host's generic data for the drawing context: the library
// writes UTF-8, the drawing context takes the module's code page
// (Windows-1252).
#include <string>
#include <string_view>

// A UTF-8 text in Windows-1252; characters the code page lacks become "?".
// A text that is not UTF-8 is taken to be Windows-1252 already and kept.
std::string ToDrawingCodePage(std::string_view text);

// The text of a value of a generic-data kind (8 depth, 14 temperature, 6
// horizontal distance) in a format of the given unit property; empty for a
// kind the library does not know.
std::string GenDataText(int kind, double value, int unitProperty);
// The same in the library's default format.
std::string GenDataText(int kind, double value);
