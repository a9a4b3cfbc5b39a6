#pragma once
// A sounding of a historic profile: position in radians, depth in metres
// (positive).
struct HistoricPoint {
    double latitude = 0.0;
    double longitude = 0.0;
    double depth = 0.0;
};
