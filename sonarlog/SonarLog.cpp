#include "sonarlog/SonarLog.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kResyncChunk = 64u << 10;

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::int64_t SonarStats::FramesRead() const {
    std::int64_t total = 0;
    for (std::int64_t count : frames) {
        total += count;
    }
    return total;
}

std::int64_t SonarStats::Damaged() const {
    return unknownChannel + zeroSize + undersized + beyondFile + truncated + misplaced +
           shortSamples + wrongSize;
}

ErrorOr<void> SonarLog::Open(const std::string& path) {
    // Opening a named pipe would wait for a writer, and a device never ends.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return Error::Refused("the sonar recording " + path + " is " +
                              (S_ISDIR(info.st_mode) ? "a folder" : "not a regular file"));
    }
    file_ = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file_) {
        return Error::Refused("cannot open the sonar recording " + path);
    }
    if (ErrorOr<void> attached = Attach(*file_); !attached) {
        return attached.GetError().About(path + " is not a sonar recording");
    }
    return {};
}

ErrorOr<void> SonarLog::Attach(std::istream& in) {
    in_ = &in;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (!in || end < 0) {
        failed_ = true;
        return Error::Refused("it cannot be read");
    }
    size_ = static_cast<std::uint64_t>(end);
    std::uint8_t bytes[kSonarFileHeaderBytes] = {};
    const std::size_t got = ReadAt(0, bytes, sizeof bytes);
    ErrorOr<SonarFileHeader> header = ParseSonarFileHeader(bytes, got);
    if (!header) {
        return header.GetError();
    }
    header_ = header.Value();
    headerBytes_ = SonarFrameHeaderBytes(header_.format);
    position_ = kSonarFileHeaderBytes;
    return {};
}

SonarLog::Place SonarLog::Here() const {
    return {position_,   alternate_, lastAt_,   sizeHabit_, current_, currentAt_,
            hasCurrent_, placed_,    finished_, failed_,    stats_};
}

void SonarLog::Resume(const Place& place) {
    position_ = place.position;
    alternate_ = place.alternate;
    lastAt_ = place.lastAt;
    sizeHabit_ = place.sizeHabit;
    current_ = place.current;
    currentAt_ = place.currentAt;
    hasCurrent_ = place.hasCurrent;
    placed_ = place.placed;
    finished_ = place.finished;
    failed_ = place.failed;
    stats_ = place.stats;
}

std::size_t SonarLog::ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t count) {
    if (in_ == nullptr || failed_ || offset >= size_) {
        return 0;
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
    in_->clear();
    in_->seekg(static_cast<std::streamoff>(offset));
    in_->read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(count));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in_->gcount(), 0));
    if (got < count && in_->bad()) {
        failed_ = true;
    }
    return got;
}

bool SonarLog::FrameAt(std::uint64_t offset) {
    if (offset + headerBytes_ > size_) {
        return false;
    }
    buffer_.resize(headerBytes_);
    if (ReadAt(offset, buffer_.data(), headerBytes_) < headerBytes_) {
        return false;
    }
    SonarFrame frame;
    ParseSonarFrameHeader(header_.format, buffer_.data(), buffer_.size(), frame);
    return frame.offset == static_cast<std::uint32_t>(offset) && frame.frameSize >= headerBytes_ &&
           offset + frame.frameSize <= size_;
}

bool SonarLog::Resync(std::uint64_t from) {
    // Up to the end of the file, however far: a gap of any size in a
    // recording loses only itself. Each byte is looked at once.
    const std::uint64_t damaged = position_;
    const std::uint64_t last = size_;
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t start = from; start + 4 <= last; start += kResyncChunk) {
        chunk.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(kResyncChunk + 3, last - start)));
        const std::size_t got = ReadAt(start, chunk.data(), chunk.size());
        for (std::size_t i = 0; i + 4 <= got && i < kResyncChunk; ++i) {
            const std::uint64_t at = start + i;
            // A frame begins with its own place in the file.
            if (U32(chunk.data() + i) == static_cast<std::uint32_t>(at) && FrameAt(at)) {
                stats_.bytesSkipped += static_cast<std::int64_t>(at - damaged);
                position_ = at;
                return true;
            }
        }
        if (failed_) {
            break;
        }
    }
    stats_.bytesSkipped += static_cast<std::int64_t>(size_ - damaged);
    position_ = size_;
    return false;
}

bool SonarLog::Next(SonarFrame& frame) {
    hasCurrent_ = false;
    while (!finished_ && !failed_ && position_ < size_) {
        const std::uint64_t at = position_;
        buffer_.resize(headerBytes_);
        if (ReadAt(at, buffer_.data(), headerBytes_) < headerBytes_) {
            if (!failed_) {
                ++stats_.truncated;
            }
            break;
        }
        SonarFrame read;
        ParseSonarFrameHeader(header_.format, buffer_.data(), buffer_.size(), read);
        if (at == kSonarFileHeaderBytes) {
            // A recorder that does not note where its frames lie is walked
            // by the sizes alone.
            placed_ = read.offset == at;
        }
        if (!Whole(read, at)) {
            continue;
        }
        position_ = at + read.frameSize;
        alternate_ = at + headerBytes_ + read.sampleCount;
        lastAt_ = at;
        if (read.channel >= kSonarChannelCount) {
            ++stats_.unknownChannel;
            continue;
        }
        ++stats_.frames[read.channel];
        if (read.sampleCount > read.frameSize - headerBytes_) {
            ++stats_.shortSamples;
            read.sampleCount = static_cast<std::uint32_t>(read.frameSize - headerBytes_);
        }
        current_ = read;
        currentAt_ = at;
        hasCurrent_ = true;
        frame = read;
        return true;
    }
    finished_ = true;
    return false;
}

bool SonarLog::Whole(const SonarFrame& read, std::uint64_t at) {
    if (placed_ && read.offset != static_cast<std::uint32_t>(at)) {
        // The last frame's size missed the next frame, which may lie right
        // after its header and samples: damage, unless the recorder writes
        // its sizes so from its first frame on.
        if (alternate_ != 0 && alternate_ != at && FrameAt(alternate_)) {
            const std::int64_t difference = static_cast<std::int64_t>(at - alternate_);
            if (lastAt_ == kSonarFileHeaderBytes && !sizeHabit_) {
                sizeHabit_ = difference;
            }
            if (sizeHabit_ != difference) {
                ++stats_.wrongSize;
            }
            position_ = alternate_;
            alternate_ = 0;
            return false;
        }
        // The walk from frame to frame went astray (a size that was wrong
        // but fitted): back to the next frame that knows its place.
        ++stats_.misplaced;
        Resync(at + 1);
        return false;
    }
    if (read.frameSize == 0) {
        ++stats_.zeroSize;
        Resync(at + 1);
        return false;
    }
    if (read.frameSize < headerBytes_) {
        ++stats_.undersized;
        Resync(at + 1);
        return false;
    }
    if (at + read.frameSize > size_) {
        // A frame cut by the end of the file, or a damaged size when frames
        // follow.
        if (Resync(at + 1)) {
            ++stats_.beyondFile;
        } else {
            ++stats_.truncated;
        }
        return false;
    }
    return true;
}

bool SonarLog::ReadSamples(std::vector<std::uint8_t>& samples) {
    samples.clear();
    if (!hasCurrent_) {
        return false;
    }
    samples.resize(current_.sampleCount);
    const std::size_t got = ReadAt(currentAt_ + headerBytes_, samples.data(), samples.size());
    samples.resize(got);
    return got == current_.sampleCount;
}
