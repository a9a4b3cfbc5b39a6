#pragma once
// Draws the last echo-sounder sweep as one horizontal bar per shown sample,
// as long as the sample's echo level and in its echo colour. In the profile
// view the bars stand half-transparent just right of the ship over the
// sweep's depth window; in the pixel view (pixel form) they are centred on an
// axis in a strip at the right of the area, over its whole height. Asks to
// be redrawn at most twice a second, and warns "No Sweep" once the sounder
// has been silent for more than ten seconds.
#include <cstdint>

#include "drawing/PlotrexDisplay.h"

struct ZxEtrEcho;

class PlotrexDisplayAScope : public PlotrexDisplay {
  public:
    // The longest bar, in pixels, for levels of 15 and above.
    static constexpr int kMaxBar = 50;
    // Milliseconds between two reports of a change while sweeps arrive.
    static constexpr std::uint32_t kRefreshPeriod = 501;
    // Milliseconds of silence after which the legend warns.
    static constexpr std::uint32_t kSilence = 10000;

    explicit PlotrexDisplayAScope(PlotrexData* data);

    // The pixel view's two strips show the channels 0 and 1.
    void SetPixelForm(bool pixelForm, std::int16_t channel);
    bool IsPixelForm() const { return pixelForm_; }
    std::int16_t GetChannel() const { return channel_; }

    // Bar length of a level: level * 50 / 15, at most 50.
    static int BarLength(int level);

    bool IsModified() override;
    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* styles) override;
    // Room right of the ship (profile form) or the strip's width (pixel form).
    Margins GetMargins() override;
    bool GetLegendEntry(std::string& text) override;

  private:
    void DrawBesideShip(VexanDevice* device, RECT area, const LinearPixelProjection& x,
                        const LinearPixelProjection& y, const StyleTable& styles);
    void DrawStrip(VexanDevice* device, RECT area, const StyleTable& styles);

    std::uint32_t lastRefresh_ = 0;
    bool pixelForm_ = false;
    std::int16_t channel_ = 0;
};
