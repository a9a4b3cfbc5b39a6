#pragma once
// One run of the reference host: the module loaded as a navigation host
// loads it, a voyage sailed past it, its view shown headless (pictures) or in
// a real window, and its settings kept in the profile.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/app/HostOptions.h"
#include "host/geodata/HistoricPoint.h"
#include "host/replay/ShipFeed.h"

class BathymetryRaster;
class Desktop;
class HeadlessDesktop;
class SdlDesktop;
class HostFrame;
class SonarFeed;
struct CommandState;

class HostSession {
  public:
    explicit HostSession(HostOptions options);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // The program's exit code.
    int Run();

  private:
    struct Module;

    bool OpenFeed(std::string& error);
    // The raster of --bathymetry and the historic profile to hand over; false
    // with a reason when either given file cannot be used.
    bool OpenSeaFloor(std::string& error);
    bool OpenDesktop(std::string& error);
    void SailHeadless(Module& module);
    void SailInWindow(Module& module);
    void OnKey(Module& module, int key);
    // Opens the view made for the module's mode and fits it to the frame.
    bool OpenView(Module& module);
    // The next display mode, in a view made afresh.
    void NextMode(Module& module);
    // The echogram's panes as the sounder's display states and the view's
    // shape make them.
    std::string DescribePanes(Module& module);
    // Sends a named command to the view; its result (0: not handled).
    long SendCommand(Module& module, const std::string& name, const char* argument);
    // Asks the view for a command's state; false when no one knows the command.
    bool QueryCommand(Module& module, const std::string& name, const std::string& argument,
                      CommandState& state);
    bool CommandChecked(Module& module, const std::string& name, const std::string& argument);
    std::string WindowTitle(Module& module);
    // Lets the view's timers run so that it repaints, then saves the frame.
    bool TakePicture(Module& module, const std::string& name);
    // The chart: opened beside the view, following the ship, symbolized
    // again when needed, and its picture (chart.png) headless.
    void OpenChart(Module& module);
    void FollowShip(Module& module);
    void RefreshChart(Module& module, bool shipMoved);
    void TakeChartPicture(Module& module);
    // Terminates and destroys the module's objects, displays first.
    void TakeDown(Module& module);
    // Keeps account of what the host gave the module at one cycle.
    void Fed(const ShipSnapshot& snapshot);
    // Hands the module the trawl of this cycle when it changed.
    void HandTrawl(Module& module);
    std::string TrawlSummary() const;
    // What the run did, gathered while the module still has its view.
    std::string Summary(Module& module);
    // The user's --command list, the sounder's commands or the others,
    // noting what the module handled and what not.
    void SendUserCommands(Module& module, bool sounder);
    // The echo-sounder's display as the echogram's command states tell it.
    std::string EchoSounderDisplay(Module& module);

    HostOptions options_;
    std::unique_ptr<ShipFeed> feed_;
    const NmeaFeed* nmea_ = nullptr;
    SonarFeed* sonar_ = nullptr;
    std::unique_ptr<BathymetryRaster> raster_;
    std::vector<HistoricPoint> historic_;
    std::string historicOrigin_;  // where the historic profile came from, for the summary
    std::unique_ptr<HeadlessDesktop> desktop_;  // headless or the SDL one
    SdlDesktop* sdl_ = nullptr;
    std::vector<std::string> pictures_;
    std::string chartPicture_;
    std::vector<std::string> unhandledCommands_;
    std::vector<std::string> echoCommandsHandled_;
    bool pictureFailed_ = false;
    // What the host fed.
    struct ValueSpan {
        long count = 0;
        double low = 0.0;
        double high = 0.0;
    };
    long cycles_ = 0;
    PosType lastFed_ = NoPos;
    double distanceFed_ = 0.0;
    ValueSpan depthsFed_;
    ValueSpan temperaturesFed_;
    // The trawl as last handed over, how often it was shot, and the cable
    // paid out or heaved in by hand.
    std::optional<TrawlParameters> trawlSent_;
    int trawlsShot_ = 0;
    double cablePaidOut_ = 0.0;
};
