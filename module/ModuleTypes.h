#pragma once
// Records exchanged between the host and a module's data object.
#include <cstdint>
#include <string>
#include <vector>

#include "hostfamily/PosType.h"
#include "hostfamily/ValidGeoRect.h"
#include "platform/Time.h"

class DateList : public std::vector<CTime> {
  public:
    virtual ~DateList() = default;
};

struct OpenResult {
    std::int32_t count = 0;
    DateList dates;
    PosType position;
    std::vector<ValidGeoRect> extents;
};

struct FileType {
    std::vector<std::string> extensions;  // without the dot
    std::string description;
};
