#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovrel {

// A value of a statement's parameter or of a row: text, or none for NULL.
using SqlValue = std::optional<std::string>;
using SqlRow = std::vector<SqlValue>;

// Where the SQL of the two databases differs; the rest is written once.
struct SqlDialect {
    const char* beginWrite;   // a transaction that will write
    const char* lockSerials;  // first in a transaction that reserves a number; empty: none
    const char* lockSchema;   // first in the one that makes the tables; empty: none
    const char* identity;     // the row id column's type
    const char* timeType;     // a time in UTC
    const char* timeText;     // the time column as "2026-12-07T04:49:30Z"
    const char* hasBoards;    // one row, one value: 0 while there is no table tovrel_boards
};

// One connection to a database. Statements carry their parameters as $1, $2, ... in the text;
// nothing is ever pasted into it. Not for two threads at once.
class SqlConnection {
  public:
    virtual ~SqlConnection() = default;

    virtual const SqlDialect& Dialect() const = 0;
    // Runs one statement; its rows go to rows when given. The database's reason, or empty.
    virtual std::string Execute(const std::string& sql, const std::vector<SqlValue>& parameters,
                                std::vector<SqlRow>* rows = nullptr) = 0;
    // Starts a transaction that writes. A connection lost since the last one is made again
    // first: nothing of the new transaction was sent yet, so trying again is safe.
    virtual std::string BeginWrite() = 0;
};

}  // namespace tovrel
