#pragma once
// The organizer's named commands and their states: show or hide a graph,
// zoom, tilt, centre and fit, and the module's own track commands. Every
// other command goes to the graphs of the displays in turn.
#include <cstdint>
#include <string>

struct CommandState;
class PlotrexData;
class PlotrexOrganizer;
class ProjectionUpdater;

class LayoutCommands {
  public:
    LayoutCommands(PlotrexOrganizer& organizer, ProjectionUpdater& updater);

    // No exception gets out: a throwing handler counts as 0.
    std::int32_t Execute(const char* command, const char* argument);
    std::int32_t State(const char* command, CommandState* state);

  private:
    // The graphs of the displays in order, until one answers non-zero.
    template <typename Ask>
    std::int32_t AskGraphs(Ask ask);
    // False for a command that is not the organizer's.
    bool ExecuteOwn(const std::string& command, const char* argument);
    bool OwnState(const std::string& command, CommandState* state);
    void CenterOnProfile(const char* argument);
    // The place of the main graph's track nearest to a position given as
    // "%lf %lf": its distance and value there. False when the argument is
    // not a position or the main graph has no track.
    bool FindOnTrack(const char* argument, double* distance, double* value);
    // The hover point or the centre of the view on that place of the track.
    bool TrackCommand(const std::string& command, const char* argument);
    void HoverOnTrack(double distance, double value);
    // The vertical value at the middle of the window, for a place of the
    // data that has none.
    double MiddleValue();

    PlotrexOrganizer& organizer_;
    ProjectionUpdater& updater_;
};
