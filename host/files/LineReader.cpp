#include "host/files/LineReader.h"

#include <algorithm>

LineReader::LineReader(std::istream& in, std::size_t maxLength, std::size_t chunk)
    : in_(in),
      maxLength_(maxLength),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(chunk, 1))),
      capacity_(std::max<std::size_t>(chunk, 1)) {}

void LineReader::Restart(std::uint64_t offset, bool afterCarriageReturn) {
    begin_ = end_ = 0;
    pending_.clear();
    pendingTooLong_ = false;
    skipLineFeed_ = afterCarriageReturn;
    atEnd_ = false;
    failed_ = false;
    offset_ = offset;
}

bool LineReader::Fill() {
    if (atEnd_) {
        return false;
    }
    in_.read(buffer_.get(), static_cast<std::streamsize>(capacity_));
    const auto count = static_cast<std::size_t>(in_.gcount());
    if (count < capacity_) {
        atEnd_ = true;
        failed_ = in_.bad();
    }
    begin_ = 0;
    end_ = count;
    return count > 0;
}

LineReader::Result LineReader::Next(std::string_view& line) {
    pending_.clear();
    pendingTooLong_ = false;
    bool started = false;  // something of this line has been seen
    while (true) {
        if (begin_ == end_ && !Fill()) {
            if (!started) {
                return Result::kEnd;
            }
            line = pending_;
            return pendingTooLong_ ? Result::kTooLong : Result::kLine;
        }
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_[begin_] == '\n') {
                ++begin_;
                ++offset_;
                continue;
            }
        }
        started = true;
        const char* const data = buffer_.get();
        std::size_t stop = begin_;
        while (stop < end_ && data[stop] != '\n' && data[stop] != '\r') {
            ++stop;
        }
        const std::size_t piece = stop - begin_;
        if (stop == end_) {
            // The line goes on in the next piece of the stream.
            if (!pendingTooLong_ && pending_.size() + piece <= maxLength_) {
                pending_.append(data + begin_, piece);
            } else {
                pendingTooLong_ = true;
            }
            offset_ += piece;
            begin_ = end_;
            continue;
        }
        skipLineFeed_ = data[stop] == '\r';
        offset_ += piece + 1;
        if (pendingTooLong_ || pending_.size() + piece > maxLength_) {
            begin_ = stop + 1;
            line = std::string_view();
            return Result::kTooLong;
        }
        if (pending_.empty()) {
            line = std::string_view(data + begin_, piece);
        } else {
            pending_.append(data + begin_, piece);
            line = pending_;
        }
        begin_ = stop + 1;
        return Result::kLine;
    }
}
