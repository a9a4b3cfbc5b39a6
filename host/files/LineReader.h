#pragma once
// Splits a text file (a log, a survey) into lines ending in CR, LF or CR LF,
// a bounded piece at a time: memory stays the same whatever the length of
// the file or of a line.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

class LineReader {
  public:
    enum class Result {
        kLine,     // a line, without its ending
        kTooLong,  // a line longer than the limit, passed over
        kEnd,      // the end of the stream (or a read error: see Failed)
    };

    static constexpr std::size_t kChunk = 64 * 1024;

    // Reads from in, which must outlive the reader, chunk bytes at a time.
    LineReader(std::istream& in, std::size_t maxLength, std::size_t chunk = kChunk);

    // The next line; the view stays valid until the next call.
    Result Next(std::string_view& line);
    // Bytes consumed up to the end of the last line returned.
    std::uint64_t Offset() const { return offset_; }
    // The stream failed otherwise than by ending.
    bool Failed() const { return failed_; }
    // A CR ended the last line: an LF right after it belongs to it.
    bool AfterCarriageReturn() const { return skipLineFeed_; }
    // Reads on from offset, where the caller has put the stream, as after a
    // line that ended there.
    void Restart(std::uint64_t offset, bool afterCarriageReturn);

  private:
    bool Fill();

    std::istream& in_;
    std::size_t maxLength_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string pending_;  // the start of a line that runs past the buffer
    bool pendingTooLong_ = false;
    bool skipLineFeed_ = false;  // a CR ended the last line: an LF right after it is its pair
    bool atEnd_ = false;
    bool failed_ = false;
    std::uint64_t offset_ = 0;
};
