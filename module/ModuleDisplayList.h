#pragma once
#include <vector>

class ModuleDisplay;

// Displays handed over by the host; the list does not own them.
class ModuleDisplayList : public std::vector<ModuleDisplay*> {
  public:
    virtual ~ModuleDisplayList() = default;
};
