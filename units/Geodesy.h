#pragma once
// Spherical geodesy in radians: positions (latitude, longitude), courses from
// north in [0, 2pi) and distances as arcs of the sphere. Every input may be the
// undefined marker; failures are false results with undefined outputs.

// pi and its multiples at single precision, as the track distances were
// always computed with them.
inline constexpr double kPi = 3.1415927410125732;
inline constexpr double kTwoPi = 6.2831854820251465;
inline constexpr double kHalfPi = 1.5707963705062866;

inline constexpr int kGreatCircle = 1;
inline constexpr int kRhumbLine = 2;

bool ComputeCourseDistance(double lat1, double lon1, double lat2, double lon2, double* course,
                           double* distance, int method);

// Mid-latitude sailing from (lat, lon) on course for distance.
bool Destination(double lat, double lon, double course, double distance, double* lat2,
                 double* lon2);

// a brought into [0, 2pi); the undefined marker stays.
double NormalizeAngle(double a);

// Whether v lies on the shorter arc from a to b (all in [0, 2pi)).
bool AngleInSector(double v, double a, double b);
