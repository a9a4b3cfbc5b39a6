#pragma once
// Reads a sonar recording frame by frame from a file or a stream, never the
// whole file at once, and never beyond its end. Damaged frames are counted
// by kind and stepped over: the reader looks for the next frame whose header
// names its own place in the file, always further on, so it ends on any input.
#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "sonarlog/SonarFrame.h"

struct SonarStats {
    std::int64_t frames[kSonarChannelCount] = {};  // read, per channel code
    std::int64_t unknownChannel = 0;               // frames of a channel code not known
    std::int64_t zeroSize = 0;                     // frames giving a size of 0
    std::int64_t undersized = 0;                   // a size smaller than the frame header
    std::int64_t beyondFile = 0;                   // a size reaching past the end of the file
    std::int64_t truncated = 0;                    // the file ends inside a frame
    std::int64_t misplaced = 0;     // a frame that does not start where the previous one ends
    std::int64_t shortSamples = 0;  // fewer samples in the frame than its header says
    std::int64_t wrongSize = 0;     // a size that missed the next frame, found after the samples
    std::int64_t bytesSkipped = 0;  // looking for the next frame after a damaged one

    std::int64_t FramesRead() const;
    std::int64_t Damaged() const;
};

class SonarLog {
  public:
    // Where the reading stands, to read on from there again.
    struct Place {
        std::uint64_t position = 0;
        std::uint64_t alternate = 0;
        std::uint64_t lastAt = 0;
        std::optional<std::int64_t> sizeHabit;
        SonarFrame current;
        std::uint64_t currentAt = 0;
        bool hasCurrent = false;
        bool placed = true;
        bool finished = false;
        bool failed = false;
        SonarStats stats;
    };

    SonarLog() = default;
    SonarLog(const SonarLog&) = delete;
    SonarLog& operator=(const SonarLog&) = delete;

    // Refused when the file cannot be read or is not a recording of a known
    // format.
    ErrorOr<void> Open(const std::string& path);
    // Reads from a stream the caller keeps alive (seekable, like a file or a
    // string stream).
    ErrorOr<void> Attach(std::istream& in);

    // The next frame of a known channel; false at the end of the recording.
    bool Next(SonarFrame& frame);
    // The echo samples of the frame Next gave last (at most what its header
    // says, never beyond the frame).
    bool ReadSamples(std::vector<std::uint8_t>& samples);

    const SonarFileHeader& Header() const { return header_; }
    const SonarStats& Stats() const { return stats_; }
    std::uint64_t Offset() const { return position_; }
    std::uint64_t Size() const { return size_; }
    // Reading stopped on an error of the device before the end.
    bool ReadFailed() const { return failed_; }

    Place Here() const;
    // Reads on from a place of this recording (reads are by offset: nothing
    // else to move).
    void Resume(const Place& place);

  private:
    // Reads up to count bytes at offset; how many were read.
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t count);
    // Whether a frame starts at offset: it names its own place and a size
    // that fits the file. Reads the header into header_.
    bool FrameAt(std::uint64_t offset);
    // Looks for the next frame after a damaged one, from offset on; false
    // when there is none.
    bool Resync(std::uint64_t from);
    // Whether the frame whose header was read at offset is whole; when not,
    // its damage is counted and the next frame looked for.
    bool Whole(const SonarFrame& read, std::uint64_t offset);

    std::unique_ptr<std::ifstream> file_;
    std::istream* in_ = nullptr;
    SonarFileHeader header_;
    std::size_t headerBytes_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;   // where the next frame is looked for
    std::uint64_t alternate_ = 0;  // after the last frame's header and samples
    std::uint64_t lastAt_ = 0;     // where the last frame read starts
    // How far this recorder's sizes reach past the samples, as its first
    // frame shows, when they do.
    std::optional<std::int64_t> sizeHabit_;
    std::vector<std::uint8_t> buffer_;
    SonarFrame current_;
    std::uint64_t currentAt_ = 0;
    bool hasCurrent_ = false;
    bool placed_ = true;  // the frames give their places in the file
    bool finished_ = false;
    bool failed_ = false;
    SonarStats stats_;
};
