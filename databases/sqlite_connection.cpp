#include "databases/sqlite_connection.h"

#include <sqlite3.h>

#include <cctype>
#include <cstring>

namespace tovrel {
namespace {

constexpr int kBusyWaitMs = 10000;

const SqlDialect kSqlite{
    .beginWrite = "BEGIN IMMEDIATE",  // the write lock at once: no writer waits for a reader
    .lockSerials = "",
    .lockSchema = "",
    .identity = "INTEGER PRIMARY KEY",
    .timeType = "TEXT",
    .timeText = "time",
    .hasBoards =
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'tovrel_boards'"};

// "$1" as SQLite numbers its parameters, "?1".
std::string Numbered(std::string sql) {
    for (std::size_t at = 0; (at = sql.find('$', at)) != std::string::npos; ++at) {
        if (at + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[at + 1]))) {
            sql[at] = '?';
        }
    }
    return sql;
}

// A prepared statement, finalized when it goes.
struct Statement {
    ~Statement() { sqlite3_finalize(handle); }
    sqlite3_stmt* handle = nullptr;
};

}  // namespace

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, bool write,
                                                         std::string& reason) {
    sqlite3* db = nullptr;
    const int flags = (write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
                      SQLITE_OPEN_FULLMUTEX;
    const int opened = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db));
    if (opened != SQLITE_OK) {
        reason = connection->Reason();
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyWaitMs);
    if (!write) return connection;
    // A file the process may not write is opened for reading only, without a word.
    if (sqlite3_db_readonly(db, "main") == 1) {
        reason = sqlite3_errstr(SQLITE_READONLY);
        return nullptr;
    }
    std::vector<SqlRow> mode;
    reason = connection->Execute("PRAGMA journal_mode = WAL", {}, &mode);
    if (reason.empty()) reason = connection->Execute("PRAGMA synchronous = FULL", {}, nullptr);
    if (reason.empty() && (mode.empty() || mode[0].empty() || mode[0][0] != "wal")) {
        reason = "the file cannot be put into WAL mode";
    }
    if (!reason.empty()) return nullptr;
    return connection;
}

SqliteConnection::~SqliteConnection() { sqlite3_close_v2(m_db); }

const SqlDialect& SqliteConnection::Dialect() const { return kSqlite; }

// The library's text, and the system's reason where a file operation failed.
std::string SqliteConnection::Reason() const {
    if (m_db == nullptr) return sqlite3_errstr(SQLITE_NOMEM);
    std::string reason = sqlite3_errmsg(m_db);
    const int code = sqlite3_extended_errcode(m_db) & 0xFF;
    if ((code == SQLITE_CANTOPEN || code == SQLITE_IOERR) && sqlite3_system_errno(m_db) != 0) {
        reason += " (" + std::string(std::strerror(sqlite3_system_errno(m_db))) + ")";
    }
    return reason;
}

std::string SqliteConnection::Execute(const std::string& sql,
                                      const std::vector<SqlValue>& parameters,
                                      std::vector<SqlRow>* rows) {
    Statement statement;
    if (sqlite3_prepare_v2(m_db, Numbered(sql).c_str(), -1, &statement.handle, nullptr) !=
        SQLITE_OK) {
        return Reason();
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const int bound = parameters[i]
                              ? sqlite3_bind_text(statement.handle, index, parameters[i]->c_str(),
                                                  -1, SQLITE_TRANSIENT)
                              : sqlite3_bind_null(statement.handle, index);
        if (bound != SQLITE_OK) return Reason();
    }
    for (;;) {
        const int stepped = sqlite3_step(statement.handle);
        if (stepped == SQLITE_DONE) return {};
        if (stepped != SQLITE_ROW) return Reason();
        if (rows == nullptr) continue;
        SqlRow& row = rows->emplace_back();
        for (int column = 0; column < sqlite3_column_count(statement.handle); ++column) {
            const unsigned char* text = sqlite3_column_text(statement.handle, column);
            row.push_back(text == nullptr ? SqlValue()
                                          : SqlValue(reinterpret_cast<const char*>(text)));
        }
    }
}

std::string SqliteConnection::BeginWrite() { return Execute(kSqlite.beginWrite, {}, nullptr); }

}  // namespace tovrel
