#pragma once

#include <memory>
#include <string>

#include "databases/sql_connection.h"

struct pg_conn;

namespace tovrel {

// A connection to a PostgreSQL server through libpq, by a postgresql:// URI (libpq's own
// environment variables and service file fill in what it leaves out). A connection that was
// lost (the server restarted, the network went) is made again before the next transaction,
// so a bench outlives its server's restart.
class PostgresConnection : public SqlConnection {
  public:
    // Connects; to read only, every transaction is read-only. Null, with libpq's reason, when
    // the server cannot be reached or refuses.
    static std::unique_ptr<PostgresConnection> Open(const std::string& uri, bool write,
                                                    std::string& reason);
    ~PostgresConnection() override;
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    const SqlDialect& Dialect() const override;
    std::string Execute(const std::string& sql, const std::vector<SqlValue>& parameters,
                        std::vector<SqlRow>* rows) override;
    std::string BeginWrite() override;

  private:
    PostgresConnection(pg_conn* connection, bool write)
        : m_connection(connection), m_write(write) {}
    // Connects again when the connection was lost; the reason when that fails.
    std::string Reconnected();
    std::string Session();
    std::string Reason() const;

    pg_conn* m_connection;
    bool m_write;
};

}  // namespace tovrel
