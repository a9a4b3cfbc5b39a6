#pragma once
// A geographic rectangle of the host's type library (radians); valid when its
// bounds are ordered.
class ValidGeoRect {
  public:
    ValidGeoRect() = default;
    ValidGeoRect(double south, double west, double north, double east)
        : south_(south), west_(west), north_(north), east_(east) {}

    double South() const { return south_; }
    double West() const { return west_; }
    double North() const { return north_; }
    double East() const { return east_; }
    bool IsValid() const { return south_ <= north_ && west_ <= east_; }

  private:
    double south_ = 0.0;
    double west_ = 0.0;
    double north_ = -1.0;
    double east_ = -1.0;
};
