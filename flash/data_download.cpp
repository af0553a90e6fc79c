#include <cstdint>
#include <optional>
#include <vector>

#include "core/numbers.h"
#include "flash/download.h"
#include "flash/frames.h"
#include "image/dataflash_file_check.h"
#include "image/text_fields.h"

namespace tovrel {
namespace {

constexpr double kLastDataAddress = 0xFFFF;

// The frame for one line, or nothing when the line has no address a frame can carry (a file
// changed after its check). Such a line fails like a refused frame.
std::optional<std::vector<std::uint8_t>> DataFrameFor(const std::string& text) {
    const DataflashLine line = ReadDataflashLine(text);
    if (!line.hasComma) return std::nullopt;
    // The address is stored as a whole number; a half goes to the even neighbour.
    const double address = RoundHalfEven(line.address);
    if (!(address >= 0 && address <= kLastDataAddress)) return std::nullopt;
    return BuildDataWriteFrame(static_cast<std::uint16_t>(address), line.bytes);
}

}  // namespace

bool DataDownloadMode(Link& link, ProgressSink& progress, const TextFile& file) {
    const std::vector<std::string> lines = DataflashLines(file);
    int nonEmptyLines = 0;
    for (const std::string& line : lines) {
        if (!line.empty()) ++nonEmptyLines;
    }
    ProgressScope bar(progress, nonEmptyLines);

    // A refused line does not stop the download: every line is still sent.
    bool result = true;
    int lineCounter = 0;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const auto frame = DataFrameFor(line);
        if (!frame || !SendAndAcknowledge(link, *frame)) result = false;
        bar.Step(++lineCounter);
    }
    return result;
}

}  // namespace tovrel
