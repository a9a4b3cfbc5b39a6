#pragma once
// A record of named values of the host's feature library; the host fills one
// with its drawing parameters ("DAY_NIGHT_MODE") for its display objects.
#include <cstdint>
#include <map>
#include <string>

class ZXFeature {
  public:
    void SetValue(const std::string& name, std::int32_t value);
    // False, with value untouched, when the record has no integer of that name.
    bool GetValue(const char* name, std::int32_t& value) const;

  private:
    std::map<std::string, std::int32_t, std::less<>> integers_;
};
