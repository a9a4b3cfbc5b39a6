// One frame of each kind the instruction-count gate watches, each counted on
// its own under callgrind (scripts/frame_counts.sh). The scenes are built and
// warmed (fonts, caches, textures) with the count off, then one frame is
// counted and its figures dumped under the frame's name. Outside valgrind
// the frames are only drawn.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <string>

#include "bench/FrameScenes.h"
#include "direct3d/ScaledComposite.h"

namespace {

// Two frames of each kind first, so that what the first frames set up (the
// fonts' glyphs, the textures, the layouts) is not counted.
template <class Frames>
void Warm(Frames& frames) {
    for (int i = 0; i < 2; ++i) {
        for (bool full : {true, false}) {
            frames.Advance();
            if (full) {
                frames.Invalidate();
            }
            frames.Draw();
        }
    }
}

template <class Frames>
void Count(Frames& frames, const char* name, bool full) {
    frames.Advance();
    if (full) {
        frames.Invalidate();
    }
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    frames.Draw();
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(name);
    std::printf("%s\n", name);
}

// Steady after full, as a real run goes: the full frame leaves what the
// steady one may reuse.
// The scenes are built at the speed of a run without instrumentation.
template <class Frames>
void CountBoth(Frames& frames, const char* name) {
    CALLGRIND_START_INSTRUMENTATION;
    Warm(frames);
    const std::string full = std::string(name) + "-full";
    const std::string steady = std::string(name) + "-steady";
    Count(frames, full.c_str(), true);
    Count(frames, steady.c_str(), false);
    CALLGRIND_STOP_INSTRUMENTATION;
}

// The frames that composite the echogram, under the prefix.
bool CountEchograms(const std::string& prefix) {
    {
        frames::PixelFrames pixel;
        if (!pixel.Opened()) {
            std::fprintf(stderr, "the pixel view did not open\n");
            return false;
        }
        CountBoth(pixel, (prefix + "pixel").c_str());
    }
    {
        frames::EchoPaneFrames pane(false);
        CountBoth(pane, (prefix + "echo-pane").c_str());
    }
    {
        frames::EchoPaneFrames pane(true);
        CountBoth(pane, (prefix + "echo-pane-varying").c_str());
    }
    return true;
}

}  // namespace

// Every frame with the composites' 128-bit loops, which every processor runs
// and which count alike everywhere; then, where the processor has AVX2, the
// echogram's frames again with the 256-bit loops, as they run there.
int main() {
    {
        frames::ProfileFrames profile;
        CountBoth(profile, "profile");
    }
    d3d9soft::AllowWideVectors(false);
    if (!CountEchograms("")) {
        return 1;
    }
    if (d3d9soft::AllowWideVectors(true) && !CountEchograms("wide-")) {
        return 1;
    }
    return 0;
}
