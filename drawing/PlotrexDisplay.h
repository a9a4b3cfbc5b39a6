#pragma once
// Draws one graph data object. The data object owns its displays; a display
// registers itself with its data on construction. Slot order is fixed.
#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

class PlotrexData;
class Serializater;
class StyleTable;
class VexanDevice;
class LinearPixelProjection;

struct Margins {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const Margins&, const Margins&) = default;
};

class PlotrexDisplay {
  public:
    explicit PlotrexDisplay(PlotrexData* data);
    PlotrexDisplay(const PlotrexDisplay&) = delete;
    PlotrexDisplay& operator=(const PlotrexDisplay&) = delete;

    PlotrexData* GetData() const { return data_; }

    virtual ~PlotrexDisplay();
    // Draws one layer into area of the device; x maps distances and y values
    // to pixels. Clears the modified flag.
    virtual void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
                      const LinearPixelProjection& y, StyleTable* pens) = 0;
    virtual void SetModified();
    virtual bool IsModified();
    // "<name key>_visible": absent, empty or unreadable means visible.
    virtual void Load(Serializater& s);
    virtual void Save(Serializater& s);
    virtual bool SetVisible(bool visible);
    virtual bool IsVisible();
    virtual short GetLayerCount();
    // How far, in pixels, the display draws beyond its data's extent.
    virtual Margins GetMargins();
    virtual bool GetLegendEntry(std::string& text);

  protected:
    void ClearModified() { modified_ = false; }
    // Subclasses replace the pointer by a checked down-cast to their data class.
    PlotrexData* data_;

  private:
    bool modified_ = true;
    bool visible_ = true;
};
