#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "databases/open_database.h"
#include "databases/sql_connection.h"

namespace tovrel {

// The bench's tables over one connection, SQLite or PostgreSQL alike:
//   tovrel_schema   the version of these tables, for later versions to migrate
//   tovrel_boards   one row per board, as the CSV log's line, with the station and version
//   tovrel_serials  one row per number given out: reserved (on its way to a board, or lost
//                   with a crash), used (a board's record shows it), free (back for the next)
// Each call is one transaction, committed before it returns; the ports take turns.
class SqlProductionDatabase : public ProductionDatabase {
  public:
    SqlProductionDatabase(std::unique_ptr<SqlConnection> connection, std::string name,
                          DatabaseUser user)
        : m_connection(std::move(connection)), m_name(std::move(name)), m_user(std::move(user)) {}

    // Makes the tables when missing and checks that their version is one this Tovrel knows.
    // The problem, or empty.
    std::string MakeTables();

    std::optional<std::uint32_t> Reserve(const std::string& port, std::string& problem) override;
    std::string GiveBack(std::uint32_t number) override;
    std::string Record(const BoardResult& result) override;
    std::string Name() const override { return m_name; }
    std::optional<std::vector<RecordRow>> Rows(const RecordQuery& query,
                                               std::string& problem) override;
    std::optional<LineTotals> TotalsSince(const std::string& day, std::string& problem) override;

  private:
    // Runs steps in one transaction that writes, lock first when given; "<name>: <reason>"
    // when it was not committed (then it was rolled back), empty when it was.
    template <typename Steps>
    std::string Transaction(const char* lock, Steps steps);
    // Whether the bench's tables are there (a database nobody wrote into has none).
    std::optional<bool> HasBoards(std::string& problem);
    std::string Problem(const std::string& reason) const { return m_name + ": " + reason; }

    std::mutex m_mutex;
    std::unique_ptr<SqlConnection> m_connection;
    std::string m_name;
    DatabaseUser m_user;
};

}  // namespace tovrel
