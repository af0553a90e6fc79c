#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"

namespace tovrel {

// What the production bench adds to a download: a serial number for each board and data of
// its own (unit data). The download sequence calls these at its steps; the bench provides
// them (the number file, the command), one instance per port.
class ProductionSteps {
  public:
    virtual ~ProductionSteps() = default;

    // The data-flash address of the serial number; none when boards get no number.
    virtual std::optional<std::uint16_t> SerialAddress() const = 0;
    // Reserves the next number for this board; none, with the reason shown, when it cannot.
    virtual std::optional<std::uint32_t> TakeSerial(Host& host) = 0;

    // Whether boards get unit data.
    virtual bool HasUnitData() const = 0;
    struct Board {
        std::string device;                   // the identified device's text
        std::optional<std::uint32_t> serial;  // its number, when numbers are in use
        std::int16_t dataSize = 0;            // the highest data-flash address a line may name
    };
    // The identified board's unit data as checked data-flash lines; none, with the reason
    // shown (or after a stop), when there is none to write.
    virtual std::optional<std::vector<std::string>> UnitData(Host& host, const Board& board) = 0;
    // Where the unit data comes from, for a message about one of its lines.
    virtual std::string UnitDataSource() const = 0;
};

}  // namespace tovrel
