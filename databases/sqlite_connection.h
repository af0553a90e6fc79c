#pragma once

#include <memory>
#include <string>

#include "databases/sql_connection.h"

struct sqlite3;

namespace tovrel {

// A connection to an SQLite file through libsqlite3. Several processes on one PC share the
// file: it is in WAL mode (readers never wait for the writer) and a writer waits for another
// for up to ten seconds. Every commit is on the disk before it returns.
class SqliteConnection : public SqlConnection {
  public:
    // Opens path: to write, making the file when missing, or only to read. Null, with the
    // reason, when the file cannot be used so.
    static std::unique_ptr<SqliteConnection> Open(const std::string& path, bool write,
                                                  std::string& reason);
    ~SqliteConnection() override;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    const SqlDialect& Dialect() const override;
    std::string Execute(const std::string& sql, const std::vector<SqlValue>& parameters,
                        std::vector<SqlRow>* rows) override;
    std::string BeginWrite() override;

  private:
    explicit SqliteConnection(sqlite3* db) : m_db(db) {}
    std::string Reason() const;

    sqlite3* m_db;
};

}  // namespace tovrel
