#include "resources/ModuleStrings.h"

#include "resources/Resource.h"

namespace {

struct StringResource {
    UINT id;
    const char* text;
};

constexpr StringResource kStringTable[] = {
    {IDS_NO_SWEEP, "No Sweep"},
    {IDS_NO_DEPTH, "No Depth"},
    {IDS_HF, "HF"},
    {IDS_LF, "LF"},
    {IDS_SINGLE_FREQ, "Single Freq."},
    {IDS_MARKER_ZOOM, "Marker Zoom"},
    {IDS_BOTTOM_ZOOM, "Bottom Zoom"},
    {IDS_BOTTOM_LOCK, "Bottom Lock"},
    {IDS_BOTTOM_DSCR, "Bottom Dscr."},
    {IDS_DUAL_FREQ, "Dual Freq."},
    {IDS_NO_TEMPERATURE, "No Temperature"},
};

}  // namespace

const char* LoadModuleString(UINT id) {
    for (const StringResource& entry : kStringTable) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return "";
}
