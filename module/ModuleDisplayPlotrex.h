#pragma once
// The module's display object, one per host chart view: it ties the graphs to
// geography by marks on the chart (the depth track, the historic profile's
// reference, the position under the view's anchor point).
#include "hostfamily/ValidGeoRect.h"
#include "hostfamily/displaylist/DisplayPrimitiveContainer.h"
#include "hostfamily/displaylist/Symbolizable.h"
#include "module/ModuleDisplay.h"

class ModuleDataPlotrex;

class ModuleDisplayPlotrex : public ModuleDisplay, public Symbolizable {
  public:
    explicit ModuleDisplayPlotrex(ModuleData* data);
    ModuleData* GetModuleData() override;
    ~ModuleDisplayPlotrex() override;
    // 1 in historic mode with a view when the anchor position moved since the
    // last chart pass, else 0.
    short NeedsRedraw() override;

    // Only pass 1 draws. Colours follow "DAY_NIGHT_MODE" of params (day when
    // it is absent or not 0 to 2).
    void Symbolize(DisplayPrimitiveContainer* primitives, std::int16_t pass,
                   const ValidGeoRect* chartRect, double scale, const ZXFeature* params,
                   void* extra) override;

  private:
    void AddDepthTrack(std::int32_t colour);
    void AddHistoricReference(std::int32_t colour);
    void AddAnchorMark(std::int32_t outline, std::int32_t fill);

    ModuleDataPlotrex* data_;
    DisplayPrimitiveContainer own_;
    ValidGeoRect chartRect_;
    double scale_ = 0.0;
    double anchorFirst_;
    double anchorSecond_;
};
