#pragma once
// printf into a string of whatever length it takes.
#include <string>

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
