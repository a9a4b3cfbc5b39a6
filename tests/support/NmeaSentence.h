#pragma once
// An NMEA sentence as a talker sends it: "$", the body, "*" and the checksum
// of the body; no line ending.
#include <cstdio>
#include <string>
#include <string_view>

inline std::string NmeaSentence(std::string_view body) {
    unsigned sum = 0;
    for (unsigned char ch : body) {
        sum ^= ch;
    }
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum & 0xFFU);
    return "$" + std::string(body) + tail;
}
