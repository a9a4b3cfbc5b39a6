#pragma once
// The built-in voyage: a trawler working a shelf for a few hours, over a
// synthetic sea floor and temperature field. Positions in radians.
#include <vector>

#include "host/geodata/HistoricPoint.h"

struct VoyageLeg {
    double courseDegrees;
    double speedKnots;
    double minutes;
    bool towing = false;  // the net is out on this leg
};

struct ShipState {
    double time = 0.0;  // seconds since the voyage started
    double latitude = 0.0;
    double longitude = 0.0;
    double headingRadians = 0.0;
    double speedKnots = 0.0;
    bool towing = false;
};

class SeaModel {
  public:
    // Depth in metres (positive) at a position.
    double DepthAt(double latitude, double longitude) const;
    // Water temperature in degrees Celsius at a position.
    double TemperatureAt(double latitude, double longitude) const;

    double originLatitude = 0.0;
    double originLongitude = 0.0;
};

class Voyage {
  public:
    // The built-in trawler voyage.
    static Voyage BuiltIn();
    // An earlier survey of the built-in voyage's last stretch, run the other
    // way a little to one side, its depths with a small survey error.
    static std::vector<HistoricPoint> EarlierSurvey();

    // Moves the ship on by seconds of ship time; false once the voyage is over.
    bool Advance(double seconds);
    const ShipState& Ship() const { return ship_; }
    // Puts the ship back where it was at a state of this voyage.
    void Resume(const ShipState& ship) { ship_ = ship; }
    const SeaModel& Sea() const { return sea_; }
    double TotalSeconds() const;
    double DraughtMetres() const { return draught_; }

  private:
    std::vector<VoyageLeg> legs_;
    SeaModel sea_;
    ShipState ship_;
    double draught_ = 4.5;
};
