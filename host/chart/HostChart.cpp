#include "host/chart/HostChart.h"

#include "host/chart/CairoWindowPaint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "hostfamily/displaylist/Symbolizable.h"
#include "module/CommandNames.h"
#include "module/ModuleDisplay.h"
#include "platform/CairoHandles.h"
#include "platform/Desktop.h"

namespace {

// Room around the voyage, as a share of its span, and the least span shown.
constexpr double kMargin = 0.15;
constexpr double kLeastSpan = 2.0 * M_PI / 10800.0;  // two nautical miles
// The symbolization pass that draws.
constexpr std::int16_t kDrawingPass = 1;

}  // namespace

BEGIN_MESSAGE_MAP(HostChart, CWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

HostChart::HostChart(ModuleDisplay* display, CommandSender send)
    : display_(display),
      symbolizable_(dynamic_cast<Symbolizable*>(display)),
      send_(std::move(send)) {
    params_.SetValue("DAY_NIGHT_MODE", 0);
}

void HostChart::SetOwnShip(const PosType& position, double heading) {
    if (position.IsNoPos() || !std::isfinite(position.First()) ||
        !std::isfinite(position.Second())) {
        return;
    }
    ownShip_ = position;
    heading_ = heading;
    if (!seen_ || floorArea_) {
        // The voyage's area, no longer the floor's.
        south_ = north_ = position.First();
        west_ = east_ = position.Second();
        seen_ = true;
        floorArea_ = false;
        projection_ = ChartProjection(ValidGeoRect(), 0.0);
    }
    south_ = std::min(south_, position.First());
    north_ = std::max(north_, position.First());
    west_ = std::min(west_, position.Second());
    east_ = std::max(east_, position.Second());
    // The chart moves only when the ship nears its edge.
    const ValidGeoRect& shown = projection_.GetRect();
    const double inset = kMargin / 2.0;
    const double latRoom = (shown.North() - shown.South()) * inset;
    const double lonRoom = (shown.East() - shown.West()) * inset;
    if (!projection_.IsValid() || position.First() < shown.South() + latRoom ||
        position.First() > shown.North() - latRoom || position.Second() < shown.West() + lonRoom ||
        position.Second() > shown.East() - lonRoom) {
        FitArea();
    }
}

void HostChart::SetLightMode(int mode) {
    if (mode != lightMode_) {
        lightMode_ = mode;
        params_.SetValue("DAY_NIGHT_MODE", mode);
        moved_ = true;
    }
}

void HostChart::SetFloor(FloorSampler sampler, const GeoBox& bounds) {
    floorSampler_ = std::move(sampler);
    if (!seen_) {
        // Until the ship is somewhere, the chart shows the floor.
        south_ = bounds.south;
        north_ = bounds.north;
        west_ = bounds.west;
        east_ = bounds.east;
        seen_ = true;
        floorArea_ = true;
    }
    FitArea();
}

void HostChart::FitArea() {
    RECT client{};
    GetClientRect(&client);
    const double width = client.right - client.left;
    const double height = client.bottom - client.top;
    if (!seen_ || width <= 0 || height <= 0) {
        return;
    }
    const double middle = (south_ + north_) / 2.0;
    // Spans in Mercator's units, where the window's pixels are square.
    const double stretch = 1.0 / std::cos(middle);
    double lonSpan = std::max(east_ - west_, kLeastSpan * stretch) * (1.0 + 2.0 * kMargin);
    const double mercatorSouth = ChartProjection::MercatorY(south_);
    const double mercatorNorth = ChartProjection::MercatorY(north_);
    double mercatorSpan =
        std::max(mercatorNorth - mercatorSouth, kLeastSpan * stretch) * (1.0 + 2.0 * kMargin);
    // Widened to the window's shape.
    lonSpan = std::max(lonSpan, mercatorSpan * width / height);
    mercatorSpan = lonSpan * height / width;
    const double lonCentre = (west_ + east_) / 2.0;
    const double mercatorCentre = (mercatorSouth + mercatorNorth) / 2.0;
    auto latitudeOf = [](double y) { return 2.0 * std::atan(std::exp(y)) - M_PI / 2.0; };
    const ValidGeoRect area(
        latitudeOf(mercatorCentre - mercatorSpan / 2.0), lonCentre - lonSpan / 2.0,
        latitudeOf(mercatorCentre + mercatorSpan / 2.0), lonCentre + lonSpan / 2.0);
    projection_ = ChartProjection(area, ChartProjection::ScaleToFit(area, width));
    moved_ = true;
    if (floorSampler_) {
        const int cell = ChartPainter::kShadeCell;
        floor_ = floorSampler_(GeoBox{area.South(), area.West(), area.North(), area.East()},
                               static_cast<int>(width) / cell, static_cast<int>(height) / cell);
    }
}

bool HostChart::Refresh(bool force) {
    const bool asked = display_ != nullptr && display_->NeedsRedraw() != 0;
    if (!asked && !moved_ && !force) {
        return false;
    }
    moved_ = false;
    marks_.Clear();
    if (symbolizable_ != nullptr && projection_.IsValid()) {
        const ValidGeoRect area = projection_.GetRect();
        symbolizable_->Symbolize(&marks_, kDrawingPass, &area, projection_.GetScale(), &params_,
                                 nullptr);
    }
    Invalidate(FALSE);
    return true;
}

PosType HostChart::AnchorMark() const {
    for (const DisplayPrimitive& mark : marks_) {
        std::string symbol;
        if (mark.GetGeometry() == kGeometryPoint && mark.GetText(kAttributeSymbol, symbol) &&
            symbol == "CARRE" && !mark.GetPoints().empty()) {
            return mark.GetPoints().front();
        }
    }
    return NoPos;
}

PosType HostChart::TrackPositionAt(POINT point) const {
    if (!projection_.IsValid()) {
        return NoPos;
    }
    double best = kTrackReach;
    PosType found = NoPos;
    for (const DisplayPrimitive& line : marks_) {
        if (line.GetGeometry() != kGeometryLine) {
            continue;
        }
        const std::vector<PosType>& points = line.GetPoints();
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const ChartPoint a = projection_.ToPixel(points[i]);
            const ChartPoint b = projection_.ToPixel(points[i + 1]);
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double length2 = dx * dx + dy * dy;
            double t =
                length2 > 0.0 ? ((point.x - a.x) * dx + (point.y - a.y) * dy) / length2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double distance = std::hypot(a.x + t * dx - point.x, a.y + t * dy - point.y);
            if (distance <= best) {
                best = distance;
                // Along the segment between the track's own positions.
                found =
                    PosType(points[i].First() + t * (points[i + 1].First() - points[i].First()),
                            points[i].Second() + t * (points[i + 1].Second() - points[i].Second()));
            }
        }
    }
    return found;
}

void HostChart::SendAt(const char* command, POINT point) {
    const PosType at = TrackPositionAt(point);
    if (at.IsNoPos() || !send_) {
        return;
    }
    char argument[64];
    std::snprintf(argument, sizeof argument, "%.9f %.9f", at.First(), at.Second());
    send_(command, argument);
}

void HostChart::OnMouseMove(UINT, POINT point) {
    SendAt(kCommandHoverOnProfile, point);
}

void HostChart::OnLButtonDown(UINT, POINT point) {
    SendAt(kCommandCenterOnTrack, point);
}

void HostChart::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    FitArea();
    Invalidate(FALSE);
}

void HostChart::OnPaint() {
    PaintWithCairo(*this, [&](cairo_t* cr, int width, int height) {
        ChartScene scene;
        scene.chart = projection_;
        scene.width = width;
        scene.height = height;
        scene.lightMode = lightMode_;
        scene.marks = &marks_;
        scene.ownShip = ownShip_;
        scene.heading = heading_;
        scene.floor = floorSampler_ ? &floor_ : nullptr;
        ChartPainter::Paint(cr, scene);
    });
}
