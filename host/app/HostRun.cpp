#include "host/app/HostRun.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "host/app/HeadlessVoyage.h"
#include "host/app/LevelStrengths.h"
#include "host/app/ModuleHost.h"
#include "host/app/PlaceWire.h"
#include "host/app/Playback.h"
#include "host/app/RunSummary.h"
#include "host/app/SdlDesktop.h"
#include "host/app/TellUser.h"
#include "host/app/ViewStates.h"
#include "host/app/VoyageExport.h"
#include "host/app/WindowLoop.h"
#include "module/CommandNames.h"
#include "module/GraphKeys.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "units/UnitConversion.h"

namespace {

enum class MissingFolder { kMade, kRefused };

// Whether files can be made in folder (made first when missing, if asked to).
ErrorOr<void> CheckWritableFolder(const std::string& folder, const std::string& what,
                                  MissingFolder missing) {
    auto refused = [&folder, &what](const std::string& reason) {
        return Error::Refused("cannot write " + what + " into " + folder + ": " + reason);
    };
    std::error_code ec;
    if (missing == MissingFolder::kMade) {
        std::filesystem::create_directories(folder, ec);
    } else if (!std::filesystem::exists(folder, ec)) {
        return refused("no such folder (make it first)");
    }
    if (ec) {
        return refused(ec.message());
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        return refused(std::strerror(ENOTDIR));
    }
    std::string probe = (std::filesystem::path(folder) / ".plotrex-XXXXXX").string();
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        return refused(std::strerror(errno));
    }
    close(fd);
    unlink(probe.c_str());
    return {};
}

// Everything the user gave, checked before anything changes: the profile's
// path, the voyage's files and, headless, the pictures' folder (found out
// now, not after a voyage that would leave no picture).
ErrorOr<VoyageSources> OpenWhatTheUserGave(const HostOptions& options) {
    if (const ErrorOr<void> usable = CWinApp::CheckProfileFile(options.profilePath); !usable) {
        return Error::Refused("profile " + options.profilePath + " " + usable.GetError().Message() +
                              "; nothing was changed");
    }
    ErrorOr<VoyageSources> sources = VoyageSources::Open(options);
    if (!sources) {
        return sources;
    }
    // An export folder is not made: a mistyped name would scatter exports.
    if (!options.exportDir.empty()) {
        if (ErrorOr<void> writable =
                CheckWritableFolder(options.exportDir, "the export", MissingFolder::kRefused);
            !writable) {
            return writable.GetError();
        }
    }
    if (!options.window) {
        if (ErrorOr<void> writable =
                CheckWritableFolder(options.outDir, "pictures", MissingFolder::kMade);
            !writable) {
            return writable.GetError();
        }
    }
    return sources;
}

// The desktop the run's windows live on: headless, or one shown through SDL.
struct RunDesktop {
    std::unique_ptr<HeadlessDesktop> desktop;
    SdlDesktop* window = nullptr;  // the same desktop, when it shows a real window
};

ErrorOr<RunDesktop> OpenDesktop(bool window) {
    RunDesktop opened;
    if (!window) {
        opened.desktop = std::make_unique<HeadlessDesktop>();
        return opened;
    }
    ErrorOr<std::unique_ptr<SdlDesktop>> sdl = SdlDesktop::Open();
    if (!sdl) {
        return sdl.GetError();
    }
    opened.window = sdl.Value().get();
    opened.desktop = sdl.Release();
    return opened;
}

// The profile's folder, made before the profile is read so that it can be
// saved there at the end.
void MakeProfileFolder(const std::string& profilePath) {
    std::error_code ec;
    const auto folder = std::filesystem::path(profilePath).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
    }
}

// The module loaded and initialised over the voyage, and its first view open.
ErrorOr<void> SetUp(ModuleHost& module, const VoyageSources& sources, const HostOptions& options) {
    if (ErrorOr<void> loaded = module.Load(); !loaded) {
        return loaded;
    }
    module.Initialize(sources, options.displayMode);
    return module.OpenFirstView();
}

// How the echogram is read: the scale the user chose, and for a recording
// the strengths its levels stand for, for the colour bar.
void DressEchogram(const RunParts& parts) {
    if (!parts.module.HadEchoLook() && !parts.view.Checked(kCommandShowHide, kGraphColourBar)) {
        parts.view.Send(kCommandShowHide, kGraphColourBar);
    }
    for (const EchoColourScaleName& scale : kEchoColourScales) {
        if (parts.options.echoColours == scale.name) {
            parts.view.Send(kCommandEtrColours, scale.parameter);
        }
    }
    SendLevelStrengths(parts.sources, parts.view);
}

// The chart beside the view and the light of the colours; a first run shows
// the depth ahead, later runs keep what the user chose.
void DressView(ModuleHost& module, const RunParts& parts) {
    module.OpenChart(parts.sources.raster.get(), parts.options.window, parts.view);
    module.SetLight(parts.options.light);
    DressEchogram(parts);
    if (!module.HadLayout() && !parts.view.Checked(kCommandShowHide, kGraphPrevision)) {
        parts.view.Send(kCommandShowHide, kGraphPrevision);
    }
}

// The host's parts around its module, put together and dressed as a run
// begins, whether it shows the voyage or scouts it for a window.
struct RunCrew {
    RunCrew(const HostOptions& options, VoyageSources& sources, HeadlessDesktop& windows,
            ModuleHost& module)
        : view(module.Frame()),
          userCommands(options.commands, view),
          trawl(options.trawl),
          cycle(module, trawl, account, options.shallowMargin),
          pictures(windows, options.outDir),
          parts{options,      sources, windows, module, view,
                userCommands, trawl,   account, cycle,  pictures} {
        DressView(module, parts);
    }
    RunCrew(const RunCrew&) = delete;
    RunCrew& operator=(const RunCrew&) = delete;

    const ViewCommands view;
    UserCommands userCommands;
    TrawlHand trawl;
    FeedAccount account;
    ShipCycle cycle;
    Pictures pictures;
    RunParts parts;
};

// False when the window could not be shown, as told.
bool Sail(RunParts& parts, SdlDesktop* window) {
    if (window == nullptr) {
        HeadlessVoyage(parts).Sail();
        return true;
    }
    const std::string title =
        WindowTitle(parts.view, parts.module.Data().GetMode()) + parts.cycle.ShallowTitle();
    if (ErrorOr<void> shown = window->Show(parts.module.Frame().GetSafeHwnd(), title); !shown) {
        TellUser(shown.GetError().Message());
        return false;
    }
    ErrorOr<FeedIndex> index = FeedIndex::Build(parts.options);
    if (!index) {
        TellUser(index.GetError().Message());
        return false;
    }
    WindowLoop(parts, *window, index.Release()).Sail();
    return true;
}

// A log that could not be read to its end fails the run, its summary printed.
ErrorOr<void> CheckReadToTheEnd(const VoyageSources& sources, const HostOptions& options) {
    if (sources.sonar != nullptr && sources.sonar->ReadFailed()) {
        return Error::Failed("the sonar recording " + options.sonarPath +
                             " could not be read to its end");
    }
    if (sources.nmea != nullptr && sources.nmea->Log().ReadFailed()) {
        return Error::Failed("the NMEA log " + options.nmeaPath + " could not be read to its end");
    }
    return {};
}

}  // namespace

ErrorOr<int> RunHost(const HostOptions& options) {
    // Like any host of the family, nothing starts without the unit converter:
    // a missing library ends the program here, before any setting is touched.
    GetConverter();
    ErrorOr<VoyageSources> opened = OpenWhatTheUserGave(options);
    if (!opened) {
        return opened.GetError();
    }
    VoyageSources& sources = opened.Value();
    ErrorOr<RunDesktop> desktop = OpenDesktop(options.window);
    if (!desktop) {
        return desktop.GetError();
    }
    MakeProfileFolder(options.profilePath);
    ModuleHost module(options.profilePath);
    if (ErrorOr<void> ready = SetUp(module, sources, options); !ready) {
        return ready.GetError();
    }
    RunCrew crew(options, sources, *desktop.Value().desktop, module);
    RunParts& parts = crew.parts;
    const bool sailed = Sail(parts, desktop.Value().window);
    VoyageExport exported(parts);
    const bool exportFailed =
        !options.window && !options.exportDir.empty() && !exported.Write(options.exportDir);

    module.SaveSettings();
    std::string summary = RunSummary(parts).Text();
    if (!options.window && !options.exportDir.empty()) {
        summary += exported.Summary();
    }
    module.TakeDown();
    const ErrorOr<CWinApp::ProfileSaved> saved = module.SaveProfile();
    if (!saved) {
        TellFailure(saved.GetError().Message());
    } else if (saved.Value().keptAs) {
        WarnUser("the unreadable profile was kept as " + *saved.Value().keptAs);
    }
    std::fputs(summary.c_str(), stdout);
    std::printf("Settings: %s%s\n", options.profilePath.c_str(), saved ? "" : " (NOT saved)");
    if (ErrorOr<void> read = CheckReadToTheEnd(sources, options); !read) {
        return read.GetError();
    }
    return saved.HasValue() && sailed && !parts.pictures.Failed() && !exportFailed ? 0 : 1;
}

ErrorOr<int> RunScout(const HostOptions& options, int fd) {
    // Gone with the window that started it, and never in its way.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (nice(10) == -1) {
        // Still a scout at the same priority.
    }
    signal(SIGPIPE, SIG_IGN);
    GetConverter();
    ErrorOr<VoyageSources> opened = VoyageSources::Open(options);
    if (!opened) {
        return opened.GetError();
    }
    VoyageSources& sources = opened.Value();
    HeadlessDesktop windows;
    ModuleHost module(options.profilePath);
    if (ErrorOr<void> ready = SetUp(module, sources, options); !ready) {
        return ready.GetError();
    }
    RunCrew crew(options, sources, windows, module);
    // As the window's loop begins.
    crew.userCommands.SendSounderCommands();
    crew.userCommands.SendViewCommands();
    Playback playback(crew.parts, FeedIndex());
    playback.Start();
    std::size_t trackSent = 0;
    playback.SailAll([&](const ReplayCheckpoint& place) {
        const std::span<const TrackPoint> track = crew.cycle.Track().Points();
        const std::size_t upTo = std::min(place.cycle.trackPoints, track.size());
        const std::vector<std::uint8_t> message =
            EncodePlace(place, trackSent, track.subspan(trackSent, upTo - trackSent));
        trackSent = upTo;
        std::size_t written = 0;
        while (written < message.size()) {
            const ssize_t put = write(fd, message.data() + written, message.size() - written);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                // The window went away: nothing more to sail for.
                _exit(1);
            }
            written += static_cast<std::size_t>(put);
        }
    });
    close(fd);
    module.TakeDown();
    return 0;
}
