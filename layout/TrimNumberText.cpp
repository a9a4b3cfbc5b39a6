#include "layout/TrimNumberText.h"

std::string TrimNumberText(std::string text) {
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
    }
    if (!text.empty() && text.front() == '+') {
        text.erase(0, 1);
    }
    return text;
}
