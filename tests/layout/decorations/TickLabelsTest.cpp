// Thinning a scale's labels: a regular stride of round values counted from
// zero, the smallest that keeps the texts apart.
#include <gtest/gtest.h>

#include <vector>

#include "layout/TickLabels.h"

namespace {

// Ticks from `first` in steps of `step`, one every `pitch` pixels along a
// row, each text `width` pixels wide and centred on its tick.
std::vector<TickLabel> Row(double first, double step, int count, double pitch, double width) {
    std::vector<TickLabel> labels;
    for (int i = 0; i < count; ++i) {
        const double x = 10.0 + i * pitch;
        labels.push_back(TickLabel{first + i * step, "t", static_cast<float>(x), 0.0f,
                                   LabelBox{x - width / 2, 0.0, x + width / 2, 10.0}});
    }
    return labels;
}

std::vector<double> Values(const std::vector<TickLabel>& labels) {
    std::vector<double> values;
    for (const TickLabel& label : labels) {
        values.push_back(label.value);
    }
    return values;
}

}  // namespace

TEST(TickLabels, EveryOtherRoundValueCountedFromZero) {
    // Apart already: all stay.
    EXPECT_EQ(ThinTickLabels(Row(0.0, 10.0, 5, 20.0, 18.0)).size(), 5u);
    // Twice too wide: every other, on the multiples of 20, wherever the row starts.
    EXPECT_EQ(Values(ThinTickLabels(Row(30.0, 10.0, 7, 20.0, 30.0))),
              (std::vector<double>{40.0, 60.0, 80.0}));
    EXPECT_EQ(Values(ThinTickLabels(Row(-30.0, 10.0, 7, 20.0, 30.0))),
              (std::vector<double>{-20.0, 0.0, 20.0}));
    // Three times too wide: a stride of 5 (0, 2.5, 5), not of 3.
    EXPECT_EQ(Values(ThinTickLabels(Row(-1.0, 0.5, 13, 10.0, 35.0))),
              (std::vector<double>{0.0, 2.5, 5.0}));
    // Ticks off the round values keep a regular stride too.
    EXPECT_EQ(Values(ThinTickLabels(Row(0.3, 1.0, 5, 20.0, 30.0))),
              (std::vector<double>{0.3, 2.3, 4.3}));
}

TEST(TickLabels, BlankTicksStayAndOneTextAtLeast) {
    std::vector<TickLabel> labels = Row(0.0, 1.0, 6, 10.0, 15.0);
    labels[1].text.clear();
    labels[3].text.clear();
    // The blank ones take no room and keep their ticks.
    EXPECT_EQ(Values(ThinTickLabels(labels)), (std::vector<double>{0.0, 1.0, 2.0, 3.0, 4.0}));
    // Wider than the whole row: one text stays.
    EXPECT_EQ(Values(ThinTickLabels(Row(3.0, 1.0, 4, 10.0, 500.0))), (std::vector<double>{5.0}));
}

TEST(TickLabels, TextsInTheWayOfOthersAreTakenOut) {
    std::vector<TickLabel> labels = Row(0.0, 10.0, 4, 20.0, 18.0);
    labels[2].text.clear();
    DropTicksOver(labels, {LabelBox{45.0, 5.0, 60.0, 20.0}, LabelBox{0.0, 10.0, 100.0, 12.0}});
    // The third tick's text (at 50) is blank; the box on the edge of the
    // row's texts touches them without covering any.
    EXPECT_EQ(Values(labels), (std::vector<double>{0.0, 10.0, 20.0, 30.0}));
    DropTicksOver(labels, {LabelBox{25.0, 5.0, 35.0, 6.0}});
    EXPECT_EQ(Values(labels), (std::vector<double>{0.0, 20.0, 30.0}));
}
