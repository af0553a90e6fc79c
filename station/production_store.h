#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "station/board_result.h"

namespace tovrel {

// What the ports of a bench share for their boards: the serial numbers and the production
// record. Real ones keep them in a file, in SQLite or in PostgreSQL. The rule for every one:
// each call is whole and its change is committed (on the disk, in the database) before it
// returns, so a number is kept as reserved before it goes to a board, and a board's record
// stands before its result is told. Any port's thread may call; a store takes its own turns.

// Where the numbers come from.
class SerialNumberStore {
  public:
    virtual ~SerialNumberStore() = default;

    // A number for the board on port; none, with the problem (naming the file or the database
    // and the reason), when there is none.
    virtual std::optional<std::uint32_t> Reserve(const std::string& port, std::string& problem) = 0;
    // A number that never reached its board goes back for the next board. The problem, or
    // empty.
    virtual std::string GiveBack(std::uint32_t number) = 0;
};

// Where each board's record goes.
class BoardRecordStore {
  public:
    virtual ~BoardRecordStore() = default;

    // The board's record, committed; the reason when it is not, empty when it is.
    virtual std::string Record(const BoardResult& result) = 0;
    // The file or the database, as messages name it.
    virtual std::string Name() const = 0;
};

}  // namespace tovrel
