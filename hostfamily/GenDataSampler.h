#pragma once
// Round tick values between two limits, chosen in the user's unit (1, 2, 2.5
// or 5 times a power of ten) and given back in the data's own unit.
#include <vector>

namespace GenData {

class CTableEchantillonnee {
  public:
    struct Tick {
        double user = 0.0;  // in the user's unit
        double data = 0.0;  // in the data's own (coding) unit
    };

    CTableEchantillonnee() = default;
    CTableEchantillonnee(std::vector<Tick> ticks, double step)
        : ticks_(std::move(ticks)), step_(step) {}

    int GetCount() const { return static_cast<int>(ticks_.size()); }
    // No bounds check: i within 0..GetCount() - 1.
    double GetValeurUniteCodage(int i) const { return ticks_[static_cast<std::size_t>(i)].data; }
    double GetValeurUniteUtilisateur(int i) const {
        return ticks_[static_cast<std::size_t>(i)].user;
    }
    // The step between ticks in the user's unit; 0 without ticks.
    double GetPas() const { return step_; }

  private:
    std::vector<Tick> ticks_;
    double step_ = 0.0;
};

class CEchantillonneur {
  public:
    // Limits and step hint in the data's unit of kind (8 depth, 14
    // temperature, 6 horizontal distance); at most maxCount ticks.
    CEchantillonneur(double from, double to, double stepHint, int kind, int maxCount)
        : from_(from), to_(to), stepHint_(stepHint), kind_(kind), maxCount_(maxCount) {}

    // The ticks in increasing data value, the limits included; the step is
    // the smallest round one that is at least the hint and leaves at most
    // maxCount ticks. Empty for undefined limits or a count below 1.
    CTableEchantillonnee CreerTableEchantillonnee() const;

  private:
    double from_;
    double to_;
    double stepHint_;
    int kind_;
    int maxCount_;
};

}  // namespace GenData
