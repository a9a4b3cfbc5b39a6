#include "layout/TickLabels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Beyond this many steps from zero a tick's count is no longer a whole number.
constexpr double kLargestCount = 1e15;

// How many steps of the scale each tick lies from zero; the ticks' own order
// when their values give no usable step.
std::vector<std::int64_t> StepsFromZero(const std::vector<TickLabel>& labels) {
    const std::size_t n = labels.size();
    std::vector<std::int64_t> steps(n);
    const double step =
        n > 1 ? (labels.back().value - labels.front().value) / static_cast<double>(n - 1) : 0.0;
    bool counted = std::isfinite(step) && step != 0.0;
    for (std::size_t i = 0; i < n && counted; ++i) {
        const double count = labels[i].value / step;
        counted = std::isfinite(count) && std::fabs(count) < kLargestCount;
        if (counted) {
            steps[i] = std::llround(count);
        }
    }
    if (!counted) {
        for (std::size_t i = 0; i < n; ++i) {
            steps[i] = static_cast<std::int64_t>(i);
        }
    }
    return steps;
}

// 1, 2, 5, 10, 20, 50...: kept ticks stay on round values.
std::int64_t Stride(int index) {
    static constexpr std::int64_t kMantissas[] = {1, 2, 5};
    std::int64_t stride = kMantissas[index % 3];
    for (int decade = 0; decade < index / 3; ++decade) {
        stride *= 10;
    }
    return stride;
}

bool TextsApart(const std::vector<TickLabel>& labels) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            if (!labels[i].text.empty() && !labels[j].text.empty() &&
                labels[i].box.Overlaps(labels[j].box)) {
                return false;
            }
        }
    }
    return true;
}

std::size_t TextCount(const std::vector<TickLabel>& labels) {
    return static_cast<std::size_t>(std::count_if(
        labels.begin(), labels.end(), [](const TickLabel& l) { return !l.text.empty(); }));
}

}  // namespace

std::vector<TickLabel> ThinTickLabels(const std::vector<TickLabel>& labels) {
    if (TextsApart(labels)) {
        return labels;
    }
    const std::vector<std::int64_t> steps = StepsFromZero(labels);
    std::vector<TickLabel> kept = labels;
    // Stride 1 overlaps; 18 strides reach past any count of ticks a scale has.
    for (int index = 1; index < 18; ++index) {
        const std::int64_t stride = Stride(index);
        std::vector<TickLabel> fewer;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (labels[i].text.empty() || steps[i] % stride == 0) {
                fewer.push_back(labels[i]);
            }
        }
        if (TextCount(fewer) == 0) {
            break;
        }
        kept = std::move(fewer);
        if (TextCount(kept) == 1 || TextsApart(kept)) {
            return kept;
        }
    }
    // Not even two texts fit at a round stride: the first of the last ones tried stays.
    bool taken = false;
    std::erase_if(kept, [&](const TickLabel& label) {
        if (label.text.empty()) {
            return false;
        }
        const bool drop = taken;
        taken = true;
        return drop;
    });
    return kept;
}

void DropTicksOver(std::vector<TickLabel>& labels, const std::vector<LabelBox>& boxes) {
    std::erase_if(labels, [&](const TickLabel& label) {
        return !label.text.empty() &&
               std::any_of(boxes.begin(), boxes.end(),
                           [&](const LabelBox& box) { return label.box.Overlaps(box); });
    });
}
