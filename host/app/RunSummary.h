#pragma once
// What the run did, as the summary on standard output tells it: the voyage
// and what was fed, the sea floor, the view, the trawl, the sounder, the
// chart, the pictures and the commands the module did not handle. Gathered
// while the module still has its view.
#include <string>

#include "host/app/RunParts.h"

class RunSummary {
  public:
    explicit RunSummary(RunParts& parts) : parts_(parts) {}
    std::string Text() const;

  private:
    std::string Voyage() const;
    std::string SeaFloor() const;
    std::string ShallowWater() const;
    std::string View() const;
    std::string Sounder() const;
    std::string Chart() const;
    std::string Pictures() const;

    RunParts& parts_;
};
