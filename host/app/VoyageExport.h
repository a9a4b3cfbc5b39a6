#pragma once
// What was seen, taken away into a folder: the profile along the track
// (profile.csv), the track (track.gpx), the view and the chart as shown
// (view.png, chart.png) and the whole echogram store of each channel
// (echogram-hf.png, echogram-lf.png). Every file is written whole under a
// new name and renamed over the old one.
#include <string>
#include <vector>

#include "host/app/RunParts.h"

class VoyageExport {
  public:
    explicit VoyageExport(RunParts& parts) : parts_(parts) {}

    // False when a file could not be written (told on the way).
    bool Write(const std::string& folder);
    // The summary's line about the last export.
    std::string Summary() const;

  private:
    // The track fed, with the earlier survey's depth where it lies under it.
    std::vector<TrackPoint> TrackWithHistoric() const;
    void Keep(const ErrorOr<void>& written, const std::string& path);

    RunParts& parts_;
    std::string folder_;
    std::vector<std::string> written_;
    std::size_t points_ = 0;
    bool failed_ = false;
};
