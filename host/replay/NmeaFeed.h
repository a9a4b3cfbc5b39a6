#pragma once
// A replayed NMEA 0183 log as the host's feed.
#include <cstdint>
#include <memory>
#include <string>

#include "host/replay/LogFeed.h"
#include "host/replay/NmeaLog.h"
#include "platform/Error.h"

class NmeaFeed final : public LogFeed {
    struct OpenOnly {
        explicit OpenOnly() = default;
    };

  public:
    NmeaFeed(OpenOnly, std::string path, double cycleSeconds)
        : LogFeed(cycleSeconds), path_(std::move(path)) {}
    // Opens the log and reads up to its first fix; refused when the file
    // cannot be read or holds no position. The host cycles every
    // cycleSeconds of the log's time.
    static ErrorOr<std::unique_ptr<NmeaFeed>> Open(const std::string& path,
                                                   double cycleSeconds = kDefaultCycleSeconds);

    std::string Describe() const override;
    const NmeaLog& Log() const { return log_; }

  private:
    bool ReadState(NmeaState& state) override { return log_.Next(state); }
    std::uint64_t ReadOffset() const override { return log_.Offset(); }
    std::uint64_t LogSize() const override { return log_.Size(); }
    std::shared_ptr<const ReaderPlace> ReaderHere() const override;
    bool ResumeReader(const ReaderPlace& place) override;
    const std::string& FilePath() const override { return path_; }
    LogTroubles TroublesRead() const override {
        const NmeaStats& stats = log_.Stats();
        return {stats.timeJumps,
                stats.malformed + stats.checksumFailed + stats.tooLong + stats.outOfRange};
    }

    NmeaLog log_;
    std::string path_;
};
