#pragma once
// Draws one area of the pixel view: the echogram pane with the A-scope strip
// beside it on the right, both laid out in pixels. The device and the view
// belong to the pixel view.
#include <cstdint>

#include "platform/WinTypes.h"

class CWnd;
class PlotrexDisplay;
class StyleTable;
class VexanDevice;

class PlotrexOrganizerPixel {
  public:
    PlotrexOrganizerPixel(VexanDevice* device, CWnd* view, std::int16_t id);
    PlotrexOrganizerPixel(const PlotrexOrganizerPixel&) = delete;
    PlotrexOrganizerPixel& operator=(const PlotrexOrganizerPixel&) = delete;
    virtual ~PlotrexOrganizerPixel();

    void SetArea(int left, int top, int right, int bottom);
    RECT GetArea() const { return area_; }
    std::int16_t GetId() const { return id_; }

    // The main display in the area left of the side display's strip (when
    // that is visible), then the side display over the whole area and a
    // separator along the strip's left edge. A missing display is left out.
    void Draw(PlotrexDisplay* main, PlotrexDisplay* side, StyleTable* styles);

    // The width of the side display's strip: its margins' right minus left
    // while it is visible, else 0.
    static int StripWidth(PlotrexDisplay* side);

  private:
    VexanDevice* device_;
    std::int16_t id_;
    CWnd* view_;
    RECT area_{0, 0, 0, 0};
};
