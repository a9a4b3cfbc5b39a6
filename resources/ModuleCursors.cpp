#include "resources/ModuleCursors.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Desktop.h"

namespace {

constexpr int kSize = 32;
constexpr double kCentre = 16.0;
constexpr double kOutlineWidth = 1.3;
constexpr int kSamples = 4;  // per pixel and axis

struct Point {
    double x;
    double y;
};
using Polygon = std::vector<Point>;

struct Shape {
    std::vector<Polygon> parts;  // the shape is their union
    Point hotSpot;
};

enum class Kind { Arrow, Cross, Pointer };

struct CursorLook {
    Kind kind;
    int eighths;  // arrow direction, clockwise from up, in steps of 45 degrees
    bool night;
};

Point Rotate(Point p, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double dx = p.x - kCentre;
    const double dy = p.y - kCentre;
    return {kCentre + dx * c - dy * s, kCentre + dx * s + dy * c};
}

Polygon Rotate(const Polygon& polygon, double angle) {
    Polygon out;
    for (const Point& p : polygon) {
        out.push_back(Rotate(p, angle));
    }
    return out;
}

// An arrow pointing up from the centre, its tip at the top edge.
Shape UpArrow() {
    return Shape{{{{16.0, 1.5}, {27.0, 13.0}, {5.0, 13.0}},
                  {{11.5, 12.5}, {20.5, 12.5}, {20.5, 26.0}, {11.5, 26.0}}},
                 {16.0, 2.0}};
}

Shape ArrowTowards(int eighths) {
    const double angle = eighths * M_PI / 4.0;
    Shape up = UpArrow();
    Shape out;
    for (const Polygon& part : up.parts) {
        out.parts.push_back(Rotate(part, angle));
    }
    out.hotSpot = Rotate(up.hotSpot, angle);
    return out;
}

// Four arrow heads on a cross: the hand that drags the graphs.
Shape MoveCross() {
    Shape out;
    out.parts.push_back({{5.0, 14.2}, {27.0, 14.2}, {27.0, 17.8}, {5.0, 17.8}});
    out.parts.push_back({{14.2, 5.0}, {17.8, 5.0}, {17.8, 27.0}, {14.2, 27.0}});
    const Polygon head{{16.0, 1.5}, {22.0, 8.0}, {10.0, 8.0}};
    for (int quarter = 0; quarter < 4; ++quarter) {
        out.parts.push_back(Rotate(head, quarter * M_PI / 2.0));
    }
    out.hotSpot = {kCentre, kCentre};
    return out;
}

// The plain pointer, for ids that no zone uses.
Shape Pointer() {
    return Shape{{{{1.0, 1.0},
                   {1.0, 23.0},
                   {6.0, 18.0},
                   {10.0, 27.0},
                   {13.0, 26.0},
                   {9.0, 17.0},
                   {16.0, 17.0}}},
                 {1.0, 1.0}};
}

bool Inside(const Polygon& polygon, Point p) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

double DistanceToEdges(const Polygon& polygon, Point p) {
    double best = 1e9;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[j];
        const Point& b = polygon[i];
        const double ex = b.x - a.x;
        const double ey = b.y - a.y;
        const double t =
            std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
        best = std::min(best, std::hypot(p.x - (a.x + t * ex), p.y - (a.y + t * ey)));
    }
    return best;
}

CursorLook LookOf(int id) {
    struct Entry {
        CursorPair ids;
        Kind kind;
        int eighths;
    };
    static constexpr Entry kTable[] = {
        {kCursorsTop, Kind::Arrow, 0},    {kCursorsTopRight, Kind::Arrow, 1},
        {kCursorsRight, Kind::Arrow, 2},  {kCursorsBottomRight, Kind::Arrow, 3},
        {kCursorsBottom, Kind::Arrow, 4}, {kCursorsBottomLeft, Kind::Arrow, 5},
        {kCursorsLeft, Kind::Arrow, 6},   {kCursorsTopLeft, Kind::Arrow, 7},
        {kCursorsCentre, Kind::Cross, 0},
    };
    for (const Entry& entry : kTable) {
        if (entry.ids.day == id || entry.ids.night == id) {
            return {entry.kind, entry.eighths, entry.ids.night == id};
        }
    }
    return {Kind::Pointer, 0, false};
}

std::uint32_t Blend(int fill, int outline, std::uint32_t fillColour, std::uint32_t outlineColour) {
    const int covered = fill + outline;
    if (covered == 0) {
        return 0;
    }
    auto channel = [&](int shift) {
        const int f = static_cast<int>((fillColour >> shift) & 0xFF);
        const int o = static_cast<int>((outlineColour >> shift) & 0xFF);
        return static_cast<std::uint32_t>((f * fill + o * outline + covered / 2) / covered)
               << shift;
    };
    const auto alpha = static_cast<std::uint32_t>((255 * covered + kSamples * kSamples / 2) /
                                                  (kSamples * kSamples));
    return alpha << 24 | channel(16) | channel(8) | channel(0);
}

}  // namespace

bool LoadModuleCursorImage(int id, CursorImage* image) {
    if (image == nullptr || id < kFirstCursorId || id > kLastCursorId) {
        return false;
    }
    const CursorLook look = LookOf(id);
    const Shape shape = look.kind == Kind::Arrow   ? ArrowTowards(look.eighths)
                        : look.kind == Kind::Cross ? MoveCross()
                                                   : Pointer();
    // Night pictures are dim so that they do not dazzle on a dark bridge.
    const std::uint32_t fillColour = look.night ? 0xFF6E2A2A : 0xFFFFFFFF;
    const std::uint32_t outlineColour = look.night ? 0xFF141414 : 0xFF000000;

    image->width = kSize;
    image->height = kSize;
    image->hotX = std::clamp(static_cast<int>(std::lround(shape.hotSpot.x)), 0, kSize - 1);
    image->hotY = std::clamp(static_cast<int>(std::lround(shape.hotSpot.y)), 0, kSize - 1);
    image->pixels.assign(kSize * kSize, 0);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int fill = 0;
            int outline = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point p{x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples};
                    double distance = 1e9;
                    bool inside = false;
                    for (const Polygon& part : shape.parts) {
                        inside = inside || Inside(part, p);
                        distance = std::min(distance, DistanceToEdges(part, p));
                    }
                    // The outline lies outside the shape: the edges shared
                    // by its parts stay unseen.
                    if (inside) {
                        ++fill;
                    } else if (distance < kOutlineWidth) {
                        ++outline;
                    }
                }
            }
            image->pixels[y * kSize + x] = Blend(fill, outline, fillColour, outlineColour);
        }
    }
    return true;
}

HCURSOR LoadModuleCursor(int id) {
    Desktop* desktop = GetCurrentDesktop();
    CursorImage image;
    if (desktop == nullptr || !LoadModuleCursorImage(id, &image)) {
        return nullptr;
    }
    return desktop->LoadCursor(id, &image);
}
