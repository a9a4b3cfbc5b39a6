#pragma once
// The module's display object, one per host chart view: it ties the graphs to
// geography by marks on the chart.
#include "module/ModuleDisplay.h"

class ModuleDataPlotrex;

class ModuleDisplayPlotrex : public ModuleDisplay {
  public:
    explicit ModuleDisplayPlotrex(ModuleData* data);
    ModuleData* GetModuleData() override;
    ~ModuleDisplayPlotrex() override;
    // 1 in historic mode with a view when the anchor position moved since the
    // last chart pass, else 0.
    short NeedsRedraw() override;

  private:
    ModuleDataPlotrex* data_;
    double anchorFirst_;
    double anchorSecond_;
};
