// The sounder's saved state on any bytes: the input is the blob's payload,
// sealed as a saved one would be (tag, version, size, checksum), so that the
// values themselves are what is tried. A refused blob must change nothing;
// a taken one must be saved back as taken (the wall clock aside) and ping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/norvane/NorvaneSounder.h"
#include "runtime/norvane/StateWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static norvane::NorvaneSounder sounder;
    // On the ship's clock, so that a state saved twice is the same bytes.
    sounder.Reset({1, 0, 0.0, 1});
    norvane::StateWriter writer;
    writer.Raw(data, size);
    const std::vector<std::uint8_t> blob = writer.Finish();
    const std::vector<std::uint8_t> before = sounder.SaveState();
    if (!sounder.RestoreState(blob.data(), blob.size())) {
        if (sounder.SaveState() != before) {
            std::abort();
        }
        return 0;
    }
    const std::vector<std::uint8_t> again = sounder.SaveState();
    if (again.size() != blob.size() || !sounder.RestoreState(again.data(), again.size())) {
        std::abort();
    }
    // Not a catch-up: a sound state may owe ten minutes of pings.
    sounder.PingNow();
    sounder.PingNow();
    return 0;
}
