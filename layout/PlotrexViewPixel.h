#pragma once
// The pixel view: the echogram of one or two sounder channels, each in an
// area with an A-scope strip on its right, the temperature curve over the
// first area, and scales and legends per area. One area fills the window
// while the sounder shows a single pane; two stand side by side in a
// landscape window and stacked otherwise. Repaints every 200 ms. The host's
// named commands arrive as the two registered command messages. Created by
// the run-time class name "PlotrexViewPixel".
#include <cstdint>
#include <memory>

#include "graphdata/Commandable.h"
#include "layout/LinearPixelProjection.h"
#include "platform/CWnd.h"

class DeviceGraphics;
class DXDesktopDeviceManager;
class PlotrexData;
class PlotrexDataContainer;
class PlotrexDisplay;
class PlotrexOrganizerPixel;
class Serializater;
class StyleTable;
class VexanDevice;

class PlotrexViewPixel : public CWnd {
    DECLARE_DYNCREATE(PlotrexViewPixel)

  public:
    static constexpr UINT_PTR kRepaintTimer = 0;
    static constexpr UINT kRepaintPeriod = 200;
    // The smallest surface the device is given, per dimension.
    static constexpr int kMinSurface = 32;

    PlotrexViewPixel();
    ~PlotrexViewPixel() override;

    // The device on the manager at the client size, the repaint timer, and
    // the displays: two echograms and two A-scopes (channels 0 and 1), the
    // temperature and the depth. False when the device cannot be made.
    bool Init(DXDesktopDeviceManager* deviceManager, const PlotrexDataContainer& graphs,
              StyleTable* styles);
    // The A-scopes' visibility (both as the first) and the temperature's.
    void Load(Serializater& s);
    void Save(Serializater& s);
    // Hands every display back to its graph and deletes the device.
    void Shutdown();
    // The echograms upload their sweeps again in the current colours.
    void RebuildEchogramColours();

    // One area, or two as the sounder's panes ask, for a client size.
    void Layout(int cx, int cy);
    RECT GetFirstArea() const { return firstArea_; }
    RECT GetSecondArea() const { return secondArea_; }
    bool HasSecondArea() const { return second_ != nullptr; }
    bool IsSideBySide() const { return sideBySide_; }

    // Channel 0 or 1.
    PlotrexDisplay* GetEchogramDisplay(int channel) const {
        return echograms_[channel & 1].display;
    }
    PlotrexDisplay* GetAScopeDisplay(int channel) const { return aScopes_[channel & 1].display; }
    PlotrexDisplay* GetTemperatureDisplay() const { return temperature_.display; }
    VexanDevice* GetDevice() const { return device_.get(); }

    // The command messages first; the rest goes to the framework.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    void OnPaint();
    LRESULT OnEraseBkgnd(WPARAM, LPARAM);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

  private:
    // A display and the graph that made it, which takes it back.
    struct Slot {
        PlotrexDisplay* display = nullptr;
        PlotrexData* owner = nullptr;
    };
    // What the command messages reach.
    class Commands : public Commandable {
      public:
        explicit Commands(PlotrexViewPixel& view) : view_(view) {}
        std::int32_t ExecuteCommand(const char* command, const char* argument) override;
        std::int32_t GetCommandState(const char* command, CommandState* state) override;

      private:
        PlotrexViewPixel& view_;
    };

    void MakeDisplay(Slot& slot, PlotrexData* data);
    // The graphs of the first echogram, the first A-scope and the
    // temperature, in that order, until one answers non-zero.
    template <typename Ask>
    std::int32_t AskGraphs(Ask ask);

    // The steps of a paint.
    // False when no curve could be fitted over the first area.
    bool DrawTemperature();
    void DrawDecorations(bool temperatureShown);
    // The scales and legend of one area, the legend's texts clear of the depths'.
    void DecorateArea(DeviceGraphics& graphics, COLORREF grid, const RECT& area, int channel,
                      bool withTemperature);

    std::unique_ptr<PlotrexOrganizerPixel> first_;
    std::unique_ptr<PlotrexOrganizerPixel> second_;
    std::unique_ptr<VexanDevice> device_;
    DXDesktopDeviceManager* deviceManager_ = nullptr;
    StyleTable* styles_ = nullptr;
    Slot echograms_[2];
    Slot aScopes_[2];
    Slot temperature_;
    LinearPixelProjection temperatureProjection_{true};
    Slot depth_;
    RECT firstArea_{0, 0, 0, 0};
    RECT secondArea_{0, 0, 0, 0};
    bool sideBySide_ = true;
    Commands commands_{*this};
};
