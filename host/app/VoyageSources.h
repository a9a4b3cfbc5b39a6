#pragma once
// What a run sails past the module, from the user's options: the ship's
// feed (the built-in voyage, an NMEA log or a sonar recording), the sea
// floor's raster if one was given, and the historic profile to hand over.
#include <memory>
#include <string>
#include <vector>

#include "host/app/HostOptions.h"
#include "host/geodata/BathymetryRaster.h"
#include "host/geodata/HistoricPoint.h"
#include "host/replay/NmeaFeed.h"
#include "host/replay/ShipFeed.h"
#include "host/replay/SonarFeed.h"
#include "platform/Error.h"

struct VoyageSources {
    // Refused when a file the user gave cannot be used; nothing is changed
    // then.
    static ErrorOr<VoyageSources> Open(const HostOptions& options);
    // The feed alone, afresh from its start (the log read again).
    static ErrorOr<VoyageSources> OpenFeedAlone(const HostOptions& options);

    std::unique_ptr<ShipFeed> feed;
    const NmeaFeed* nmea = nullptr;  // the feed, when it replays an NMEA log
    SonarFeed* sonar = nullptr;      // the feed, when it replays a sonar recording
    std::unique_ptr<BathymetryRaster> raster;
    std::string rasterPath;
    std::vector<HistoricPoint> historic;
    std::string historicOrigin;  // where the historic profile came from, for the summary
};
