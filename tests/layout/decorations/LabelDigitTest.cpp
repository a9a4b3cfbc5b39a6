// The tolerance of text pictures against the smallest change a user would
// notice: one digit of a scale label.
#include <gtest/gtest.h>

#include <string>

#include "drawing/StyleTable.h"
#include "layout/LabelBatch.h"
#include "module/ModuleWideValues.h"
#include "tests/drawing/PixelDevice.h"

namespace {

// A scale label as the view draws it, at the smallest size it uses, on the
// water of a light mode.
Image Label(const std::string& text, short lightMode) {
    StyleTable styles;
    styles.FillDefaults();
    styles.SetLightMode(lightMode);
    COLORREF water = 0;
    styles.Lookup("SKY_BRUSH", &water, nullptr);
    gDayNightMode = lightMode;
    PixelDevice device(48, 20, water);
    {
        DeviceGraphics graphics(&device);
        LabelStyle style;
        style.horizontalAlignment = kAlignFar;
        style.verticalAlignment = kAlignCenter;
        LabelBatch batch(graphics, style);
        batch.Add(text, 44.0f, 10.0f);
        batch.Draw();
    }
    gDayNightMode = 0;
    return device.Snapshot();
}

}  // namespace

TEST(TextTolerance, OneDigitChangedInALabelFails) {
    for (const short mode : {0, 1, 2}) {
        for (char a = '0'; a <= '9'; ++a) {
            const Image shown = Label(std::string("2") + a + "0", mode);
            ASSERT_TRUE(
                CompareImages(shown, Label(std::string("2") + a + "0", mode), kTextTolerance)
                    .Passed(kTextTolerance));
            for (char b = '0'; b <= '9'; ++b) {
                if (a == b) {
                    continue;
                }
                const CompareResult result =
                    CompareImages(Label(std::string("2") + b + "0", mode), shown, kTextTolerance);
                EXPECT_FALSE(result.Passed(kTextTolerance))
                    << a << " read as " << b << " in light mode " << mode << ": only "
                    << result.differentPixels << " pixels differ";
            }
        }
    }
}
