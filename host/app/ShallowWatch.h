#pragma once
// Watches the depths the host answers for the module's forecast (from the
// ship to 500 m ahead on its heading) for water shallower than the vessel's
// draught plus a margin. A warning starts at the first point below that limit
// and ends only when every point ahead is a metre deeper than the limit, so
// that a depth near the limit does not make it flicker.
#include <optional>
#include <vector>

#include "hostfamily/HostObjects.h"
#include "hostfamily/PosType.h"

class ShallowWatch {
  public:
    // How much deeper than the limit every point must be to end a warning.
    static constexpr double kClearing = 1.0;

    struct Ahead {
        double distance = 0.0;  // metres from the ship to the first shallow point
        double depth = 0.0;     // its depth, metres
    };
    // One warning as it started.
    struct Warning {
        double time = 0.0;  // ship seconds
        PosType where;      // the ship's position
        Ahead ahead;
        double shallowest = 0.0;  // the shallowest depth seen while it lasted
    };

    ShallowWatch(double draught, double margin) : draught_(draught), margin_(margin) {}
    // As another watch was: the warning in force and those given.
    ShallowWatch(double draught, double margin, std::optional<Ahead> current,
                 std::vector<Warning> warnings)
        : draught_(draught), margin_(margin), current_(current), warnings_(std::move(warnings)) {}

    double Draught() const { return draught_; }
    double Margin() const { return margin_; }

    double Limit() const { return draught_ + margin_; }
    // The answered points, the ship's position first; points without a depth
    // (undefined or 0) are passed over. True when the warning began, moved
    // or ended.
    bool Look(const std::vector<DepthQueryPoint>& points, double time);

    // The warning in force.
    const std::optional<Ahead>& Current() const { return current_; }
    const std::vector<Warning>& Warnings() const { return warnings_; }

  private:
    // The first point shallower than depth limit, if any.
    static std::optional<Ahead> FirstBelow(const std::vector<DepthQueryPoint>& points,
                                           double limit);

    double draught_;
    double margin_;
    std::optional<Ahead> current_;
    std::vector<Warning> warnings_;
};
