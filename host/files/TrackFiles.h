#pragma once
// The track taken away: the profile along it as CSV, the track as GPX 1.1.
// Both are written whole into a new file and renamed over the name, as the
// pictures are.
//
// profile.csv: one line per host cycle with a position, after a header line
// naming each column with its unit:
//   time_s            ship seconds since the log's (or voyage's) start
//   latitude_deg      WGS84 degrees, north positive
//   longitude_deg     WGS84 degrees, east positive
//   distance_run_m    metres run along the track so far (rhumb lines between
//                     the positions fed; the summary's distance at the end)
//   depth_m           the depth fed (metres below the surface)
//   temperature_c     the water temperature fed (degrees Celsius)
//   forecast_depth_m  the charted depth there, as the host answers the forecast
//   historic_depth_m  the earlier survey's depth within 0.05 NM there
// A field is empty where there is no value.
//
// track.gpx: one track segment, a trkpt per line of the CSV, each with an
// <extensions> element in the namespace kGpxExtensionNamespace (prefix
// "plotrex") holding <plotrex:depth> (m), <plotrex:temperature> (°C),
// <plotrex:distance> (m) and <plotrex:time> (ship seconds) where known.
#include <string>
#include <vector>

#include "host/files/TrackPoint.h"
#include "platform/Error.h"

inline constexpr const char* kGpxExtensionNamespace = "https://plotrex.invalid/gpx/1";

ErrorOr<void> WriteProfileCsv(const std::string& path, const std::vector<TrackPoint>& points);
ErrorOr<void> WriteTrackGpx(const std::string& path, const std::vector<TrackPoint>& points,
                            const std::string& name);
