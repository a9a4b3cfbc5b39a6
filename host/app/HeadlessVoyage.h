#pragma once
// The voyage sailed as fast as the machine goes, without a window: a picture
// of the view every quarter of the way, then one of the whole voyage with
// the user's commands carried out, and one of the chart.
#include <string>

#include "host/app/RunParts.h"

class HeadlessVoyage {
  public:
    explicit HeadlessVoyage(RunParts& parts) : parts_(parts) {}
    void Sail();

  private:
    // The quarter's picture once the voyage got that far.
    void PictureOnTheWay(double& nextPicture);
    // After the voyage: the view as the user asked for it, and the chart.
    void FinalPictures();
    // The view's picture, after which the desktop lets go of its pixels.
    void TakeView(const std::string& name);
    void ShowChart(bool show);

    RunParts& parts_;
};
