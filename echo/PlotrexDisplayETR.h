#pragma once
// Draws the echogram of one sweep store. The sweeps' echo levels live in a
// Direct3D texture used as a ring of rows, one row per sweep; only the sweeps
// new since the last frame are uploaded. In the profile view each sweep
// stands at its distance between the heights of its own window (the track
// pane); in the pixel view a display is fixed to one sounder channel and lays
// its sweeps out two pixels apart from the area's right edge (the pixel pane).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drawing/PlotrexDisplay.h"

class PlotrexDataETR;
class EtrPaneCache;
class EtrTextureRing;
struct EtrColumn;

class PlotrexDisplayETR : public PlotrexDisplay {
  public:
    // Null data when built on data that is not the echogram's.
    explicit PlotrexDisplayETR(PlotrexData* data);
    ~PlotrexDisplayETR() override;

    PlotrexDataETR* GetEchogram() const;

    // The pixel view fixes its two displays to channels 0 and 1.
    void SetChannel(bool pixelPane, std::uint16_t channel);
    bool IsPixelPane() const { return pixelPane_; }
    std::uint16_t GetChannel() const { return channel_; }
    // Uploads every stored sweep again at the next Draw, in the current colours.
    void RebuildColours();

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* pens) override;
    // Mode and frequency, or the warning "No Sweep" after ten silent seconds.
    bool GetLegendEntry(std::string& text) override;

    // The texture ring, for those who watch what was uploaded.
    const EtrTextureRing& GetRing() const { return *ring_; }
    // The next frame draws the pixel pane in full, not from what it kept.
    void RedrawInFull();
    // What the pixel pane kept of its last frame.
    const EtrPaneCache& GetPaneCache() const { return *cache_; }

  private:
    void DrawWindowLines(VexanDevice* device, RECT area, const std::vector<EtrColumn>& columns,
                         const StyleTable& pens);
    void DrawColourBar(VexanDevice* device, RECT area, const std::vector<EtrColumn>& columns,
                       const StyleTable& pens);

    std::unique_ptr<EtrTextureRing> ring_;
    // The pixel pane's picture between frames.
    std::unique_ptr<EtrPaneCache> cache_;
    bool pixelPane_ = false;
    std::uint16_t channel_ = 0;
};
