#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "station/production_store.h"
#include "workflow/production_steps.h"

namespace tovrel {

// What every port of a bench shares for its boards' numbers and unit data.
struct ProductionPlan {
    SerialNumberStore* serials = nullptr;  // null: boards get no number
    std::uint16_t serialAt = 0;
    std::string unitData;  // the command; empty: none
    std::chrono::milliseconds unitDataTimeout{60000};
};

// The production steps of one port: numbers from the shared store, unit data from the command,
// which is told the port, the device and the number in TOVREL_PORT, TOVREL_DEVICE and
// TOVREL_SERIAL.
class BoardExtras : public ProductionSteps {
  public:
    BoardExtras(const ProductionPlan& plan, std::string port)
        : m_plan(plan), m_port(std::move(port)) {}

    std::optional<std::uint16_t> SerialAddress() const override;
    std::optional<std::uint32_t> TakeSerial(Host& host) override;
    bool HasUnitData() const override { return !m_plan.unitData.empty(); }
    std::optional<std::vector<std::string>> UnitData(Host& host, const Board& board) override;
    std::string UnitDataSource() const override { return "--unit-data " + m_plan.unitData; }

  private:
    const ProductionPlan& m_plan;
    std::string m_port;
};

// The unit-data lines of a command's output as a data-flash file is read (a byte-order mark,
// CR LF or LF, a last line without a comma left out); none, with the number of the first line
// that is no data-flash line within dataSize, when there is such a line.
std::optional<std::vector<std::string>> UnitDataLines(const std::string& output,
                                                      std::int16_t dataSize, std::size_t& badLine);

}  // namespace tovrel
