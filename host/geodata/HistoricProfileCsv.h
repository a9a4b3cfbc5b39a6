#pragma once
// A historic profile read from CSV text: one sounding a line, latitude,
// longitude (degrees) and depth (metres), separated by commas, semicolons or
// tabs, with a decimal point; lines end in CR, LF or CR LF. An optional
// header line, blank lines and comment lines (#) are passed over; every
// other line that is not a good sounding is counted as bad, with its number
// and reason. The text is read a piece at a time: only the soundings stay.
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "host/geodata/HistoricPoint.h"
#include "platform/Error.h"

class HistoricProfileCsv {
  public:
    struct BadLine {
        long number;  // from 1
        std::string reason;
    };
    static constexpr std::size_t kBadLinesKept = 5;
    // Longer lines hold no sounding; they are bad lines, never kept whole.
    static constexpr std::size_t kLongestLine = 1024;

    // Reads a whole text.
    void AddText(std::string_view text);
    // Reads a stream to its end; refused when it fails before.
    ErrorOr<void> Read(std::istream& in);
    // Reads a file; refused when it cannot be read to its end.
    ErrorOr<void> AddFile(const std::string& path);

    const std::vector<HistoricPoint>& Points() const { return points_; }
    std::vector<HistoricPoint> TakePoints() { return std::move(points_); }
    long Lines() const { return lines_; }
    long BadLineCount() const { return badCount_; }
    // The first few bad lines.
    const std::vector<BadLine>& BadLines() const { return badLines_; }
    // Header, blank and comment lines.
    long PassedOver() const { return passedOver_; }

  private:
    void AddLine(std::string_view line);
    void Bad(std::string reason);

    std::vector<HistoricPoint> points_;
    std::vector<BadLine> badLines_;
    long lines_ = 0;
    long badCount_ = 0;
    long passedOver_ = 0;
    bool headerPossible_ = true;
};
