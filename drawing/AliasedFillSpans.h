#pragma once
// The pixels an aliased, even-odd Cairo fill of a polygon covers, found
// without drawing, row by row in half-open spans. It follows Cairo's own
// steps (24.8 fixed point, edges cut at the clip's sides, one sample per row
// just above its centre, crossings floored to pixels, one-pixel gaps closed)
// so that a caller may write the pixels itself and get Cairo's picture.
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

class AliasedFillSpans {
  public:
    struct Span {
        int y;
        int x0;  // first pixel
        int x1;  // one past the last
    };
    struct FixedPoint {
        std::int32_t x;
        std::int32_t y;
    };

    // A device coordinate in Cairo's fixed point (round half to even).
    static std::int32_t ToFixed(double device);

    // points: the polygon's corners in device fixed point, closed back to the
    // first. area: the pixels that may be covered, the surface's or the
    // clip's within it. False, and no spans, for a polygon Cairo fills
    // another way: one whose sides are all level or upright.
    bool Build(const std::vector<FixedPoint>& points, RECT area);

    // Rows in increasing order, spans left to right, none empty.
    const std::vector<Span>& Spans() const { return spans_; }

  private:
    struct Edge {
        FixedPoint p1;  // the line, p1.y < p2.y
        FixedPoint p2;
        std::int32_t top;  // the part of it in use, fixed
        std::int32_t bottom;
        int firstRow = 0;  // the rows it crosses
        int endRow = 0;
    };

    void AddEdge(FixedPoint p1, FixedPoint p2, std::int32_t top, std::int32_t bottom);
    void AddClippedEdge(FixedPoint p1, FixedPoint p2, const RECT& limits);
    void ScanRows(RECT area);

    std::vector<Edge> edges_;
    // The crossings in pixels, row after row; where each row's end, after
    // a leading 0; where the next of each row goes while they are placed.
    std::vector<std::int32_t> crossings_;
    std::vector<std::int32_t> rowEnds_;
    std::vector<std::int32_t> cursor_;
    std::vector<Span> spans_;
};
