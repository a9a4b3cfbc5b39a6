#pragma once
// A number's text without idle zeros after the decimal point, without a
// point left alone at the end, and without a leading "+".
#include <string>

std::string TrimNumberText(std::string text);
