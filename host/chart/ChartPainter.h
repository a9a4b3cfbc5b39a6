#pragma once
// Draws the host's chart with Cairo: a Mercator chart of an area with its
// graticule and labels, the sea floor shaded when the host has one, the
// primitives a module symbolized on it, and the own ship.
#include "host/geodata/BathymetryRaster.h"
#include "hostfamily/PosType.h"
#include "hostfamily/displaylist/ChartProjection.h"
#include "hostfamily/displaylist/DisplayPrimitiveContainer.h"

typedef struct _cairo cairo_t;

struct ChartScene {
    ChartProjection chart{ValidGeoRect(), 0.0};
    int width = 0;
    int height = 0;
    int lightMode = 0;  // 0 day, 1 dusk, 2 night
    const DisplayPrimitiveContainer* marks = nullptr;
    PosType ownShip = NoPos;
    double heading = 0.0;  // radians from north
    // Depths over the chart's rectangle, rows evenly spaced in latitude from
    // its north edge; null without a sea floor to shade.
    const DepthGrid* floor = nullptr;
};

class ChartPainter {
  public:
    // The floor is shaded in squares of this many pixels.
    static constexpr int kShadeCell = 4;

    static void Paint(cairo_t* cr, const ChartScene& scene);

    // The graticule's step in minutes of arc for a span of `pixels` per
    // degree: lines at least ~90 pixels apart.
    static double GraticuleMinutes(double pixelsPerDegree);
};
