#include "databases/postgres_connection.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace tovrel {
namespace {

// A server that does not answer is given up after this, unless the URI or PGCONNECT_TIMEOUT
// says otherwise; a connection whose server went silent is found dead within a minute, idle
// or waiting for an answer; and a bench waits for another's lock as long as SQLite's does.
constexpr const char* kConnectSeconds = "10";
constexpr const char* kKeepaliveIdleSeconds = "15";
constexpr const char* kKeepaliveIntervalSeconds = "5";
constexpr const char* kKeepaliveCount = "6";
constexpr const char* kUnansweredMs = "45000";
constexpr const char* kLockWait = "SET lock_timeout = '10s'";

const SqlDialect kPostgres{
    .beginWrite = "BEGIN",
    .lockSerials = "LOCK TABLE tovrel_serials IN EXCLUSIVE MODE",
    // Two benches that start together must not both make the tables.
    .lockSchema = "SELECT pg_advisory_xact_lock(7630023)",
    .identity = "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY",
    .timeType = "TIMESTAMPTZ",
    .timeText = "to_char(time AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"')",
    .hasBoards = "SELECT count(to_regclass('tovrel_boards'))"};

// libpq's texts end in a line break and may run over several lines: one line.
std::string OneLine(const char* text) {
    std::string line;
    for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
        const bool blank = *c == '\n' || *c == '\t' || *c == '\r' || *c == ' ';
        if (!blank) {
            line += *c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// A result, cleared when it goes.
struct Result {
    ~Result() { PQclear(handle); }
    PGresult* handle;
};

}  // namespace

std::unique_ptr<PostgresConnection> PostgresConnection::Open(const std::string& uri, bool write,
                                                             std::string& reason) {
    // The URI comes last: whatever it says wins over these defaults.
    std::vector<const char*> keys{"keepalives_idle", "keepalives_interval", "keepalives_count",
                                  "tcp_user_timeout"};
    std::vector<const char*> values{kKeepaliveIdleSeconds, kKeepaliveIntervalSeconds,
                                    kKeepaliveCount, kUnansweredMs};
    if (std::getenv("PGCONNECT_TIMEOUT") == nullptr) {
        keys.push_back("connect_timeout");
        values.push_back(kConnectSeconds);
    }
    keys.insert(keys.end(), {"dbname", nullptr});
    values.insert(values.end(), {uri.c_str(), nullptr});
    std::unique_ptr<PostgresConnection> connection(
        new PostgresConnection(PQconnectdbParams(keys.data(), values.data(), 1), write));
    reason = connection->Reason();
    if (PQstatus(connection->m_connection) != CONNECTION_OK) return nullptr;
    // The server's notices ("relation already exists, skipping") are no business of the
    // bench's output.
    PQsetNoticeProcessor(
        connection->m_connection, [](void*, const char*) {}, nullptr);
    reason = connection->Session();
    if (!reason.empty()) return nullptr;
    return connection;
}

PostgresConnection::~PostgresConnection() { PQfinish(m_connection); }

const SqlDialect& PostgresConnection::Dialect() const { return kPostgres; }

std::string PostgresConnection::Reason() const {
    if (m_connection == nullptr) return "out of memory";
    return OneLine(PQerrorMessage(m_connection));
}

// What each session needs, again after every new connection.
std::string PostgresConnection::Session() {
    if (m_write) return Execute(kLockWait, {}, nullptr);
    return Execute("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY", {}, nullptr);
}

std::string PostgresConnection::Reconnected() {
    if (PQstatus(m_connection) == CONNECTION_OK) return {};
    PQreset(m_connection);
    if (PQstatus(m_connection) != CONNECTION_OK) return Reason();
    return Session();
}

std::string PostgresConnection::Execute(const std::string& sql,
                                        const std::vector<SqlValue>& parameters,
                                        std::vector<SqlRow>* rows) {
    if (const std::string reason = Reconnected(); !reason.empty()) return reason;
    std::vector<const char*> values;
    for (const SqlValue& value : parameters) values.push_back(value ? value->c_str() : nullptr);
    const Result result{PQexecParams(m_connection, sql.c_str(), static_cast<int>(values.size()),
                                     nullptr, values.data(), nullptr, nullptr, 0)};
    const ExecStatusType status = PQresultStatus(result.handle);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        // The server's own words when it refused, else libpq's (a connection lost).
        const char* primary = PQresultErrorField(result.handle, PG_DIAG_MESSAGE_PRIMARY);
        return OneLine(primary != nullptr ? primary : PQerrorMessage(m_connection));
    }
    for (int r = 0; rows != nullptr && r < PQntuples(result.handle); ++r) {
        SqlRow& row = rows->emplace_back();
        for (int c = 0; c < PQnfields(result.handle); ++c) {
            row.push_back(PQgetisnull(result.handle, r, c)
                              ? SqlValue()
                              : SqlValue(PQgetvalue(result.handle, r, c)));
        }
    }
    return {};
}

std::string PostgresConnection::BeginWrite() {
    std::string reason = Execute(kPostgres.beginWrite, {}, nullptr);
    // Found lost only now (the server went away between two transactions): once more.
    if (!reason.empty() && PQstatus(m_connection) == CONNECTION_BAD) {
        reason = Execute(kPostgres.beginWrite, {}, nullptr);
    }
    return reason;
}

}  // namespace tovrel
