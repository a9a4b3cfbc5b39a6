#pragma once
// What the window of an organizer scene shows, for pictures and pixels.
#include "tests/layout/organizer/OrganizerScene.h"
#include "tests/support/ImageCompare.h"

inline Image Shown(const OrganizerScene& scene) {
    const PixelImage shown = scene.desktop.CaptureWindow(scene.window.GetSafeHwnd());
    return ImageFromPixels(shown.pixels.data(), shown.width, shown.height, shown.width * 4, true);
}
