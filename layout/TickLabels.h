#pragma once
// The labels of a scale's ticks, laid out before they are drawn, so that
// texts that would overprint each other are thinned first.
#include <string>
#include <vector>

#include "layout/LabelBatch.h"

struct TickLabel {
    double value = 0.0;  // the tick's, in the scale's unit
    std::string text;    // empty: the tick keeps no text and takes no room
    float x = 0.0f;
    float y = 0.0f;
    LabelBox box;  // where the text lands
};

// Labels of evenly spaced ticks, in the order of their values. Keeps every
// k-th one, k the first of 1, 2, 5, 10, 20, 50... at which no two texts kept
// overlap: those a multiple of k steps from zero (0 m, the ship's distance,
// 10 degrees), so that the same round values stay while the view moves. At
// least one text stays.
std::vector<TickLabel> ThinTickLabels(const std::vector<TickLabel>& labels);

// Takes out the texts that would run into one of the boxes.
void DropTicksOver(std::vector<TickLabel>& labels, const std::vector<LabelBox>& boxes);
