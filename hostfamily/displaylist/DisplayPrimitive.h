#pragma once
// One mark for a chart host: a geometry kind ("LINE" through its points, "PT"
// at its one point) with named attributes, positions in radians (latitude,
// longitude). Colours are GDI colour values (0x00BBGGRR), angles radians
// clockwise from north, widths and sizes pixels.
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "hostfamily/PosType.h"
#include "hostfamily/ValidGeoRect.h"

class DisplayPrimitiveContainer;

inline constexpr const char* kGeometryLine = "LINE";
inline constexpr const char* kGeometryPoint = "PT";

inline constexpr const char* kAttributeWidth = "WIDTH";
inline constexpr const char* kAttributeColor = "COLOR";
inline constexpr const char* kAttributeFillColor = "FILLCOLOR";
inline constexpr const char* kAttributeSymbol = "SYMB";
inline constexpr const char* kAttributeAngle = "ANGLE";
inline constexpr const char* kAttributeSize = "SIZE";

using DisplayAttribute = std::variant<std::int32_t, double, std::string>;

class DisplayPrimitive {
  public:
    DisplayPrimitive() = default;
    explicit DisplayPrimitive(std::string geometry) : geometry_(std::move(geometry)) {}

    const std::string& GetGeometry() const { return geometry_; }
    void AddPoint(const PosType& position) { points_.push_back(position); }
    const std::vector<PosType>& GetPoints() const { return points_; }

    // Replaces any value of that name.
    void SetAttribute(const std::string& name, DisplayAttribute value);
    bool HasAttribute(const std::string& name) const;
    // Each false, with out untouched, when the attribute is absent or of
    // another kind; a number reads integers too.
    bool GetInteger(const std::string& name, std::int32_t& out) const;
    bool GetNumber(const std::string& name, double& out) const;
    bool GetText(const std::string& name, std::string& out) const;
    const std::map<std::string, DisplayAttribute>& GetAttributes() const { return attributes_; }

    // Appends what a chart of that rectangle at that scale (its denominator,
    // ChartProjection) shows of this primitive, and returns how many
    // primitives that made. A line is cut into the runs of its segments that
    // cross the rectangle, and a run's points closer than a pixel to the last
    // point kept are dropped (its ends stay); points without a position break
    // the line. A point is kept while its symbol (SIZE) reaches into the
    // rectangle. Without a valid rectangle the primitive goes in unchanged;
    // without a usable scale nothing is thinned. Other geometry kinds go in
    // unchanged.
    int OptimizeInto(DisplayPrimitiveContainer& container, const ValidGeoRect& chart,
                     double scale) const;

  private:
    DisplayPrimitive WithPoints(std::vector<PosType> points) const;
    int OptimizeLine(DisplayPrimitiveContainer& container, const ValidGeoRect& chart,
                     double scale) const;
    int OptimizePoint(DisplayPrimitiveContainer& container, const ValidGeoRect& chart,
                      double scale) const;

    std::string geometry_;
    std::vector<PosType> points_;
    std::map<std::string, DisplayAttribute> attributes_;
};
