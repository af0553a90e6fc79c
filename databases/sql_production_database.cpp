#include "databases/sql_production_database.h"

#include <charconv>

#include "core/bytes.h"

namespace tovrel {
namespace {

constexpr long kSchemaVersion = 1;
constexpr std::uint64_t kLastNumber = UINT32_MAX;
constexpr const char* kDayStart = "T00:00:00Z";
constexpr const char* kOK = "OK";

std::vector<std::string> TableStatements(const SqlDialect& d) {
    const std::string time = d.timeType;
    return {"CREATE TABLE IF NOT EXISTS tovrel_schema (version INTEGER NOT NULL)",
            "CREATE TABLE IF NOT EXISTS tovrel_boards (id " + std::string(d.identity) + ", time " +
                time +
                " NOT NULL, port TEXT NOT NULL, result TEXT NOT NULL, step TEXT, device TEXT, "
                "serial BIGINT, file TEXT NOT NULL, checksum TEXT, seconds DOUBLE PRECISION NOT "
                "NULL, station TEXT NOT NULL, version TEXT NOT NULL)",
            "CREATE INDEX IF NOT EXISTS tovrel_boards_time ON tovrel_boards (time)",
            "CREATE INDEX IF NOT EXISTS tovrel_boards_serial ON tovrel_boards (serial)",
            "CREATE TABLE IF NOT EXISTS tovrel_serials (number BIGINT PRIMARY KEY, state TEXT NOT "
            "NULL, station TEXT NOT NULL, port TEXT NOT NULL, time " +
                time + " NOT NULL)",
            "CREATE INDEX IF NOT EXISTS tovrel_serials_state ON tovrel_serials (state, number)"};
}

std::optional<std::uint64_t> Whole(const SqlValue& value) {
    std::uint64_t number = 0;
    if (!value) return std::nullopt;
    const char* end = value->data() + value->size();
    const auto [at, error] = std::from_chars(value->data(), end, number);
    if (value->empty() || error != std::errc() || at != end) return std::nullopt;
    return number;
}

// The first value of the first row.
SqlValue First(const std::vector<SqlRow>& rows) {
    return rows.empty() || rows[0].empty() ? SqlValue() : rows[0][0];
}

SqlValue TextOrNull(const std::string& text) { return text.empty() ? SqlValue() : text; }

// Seconds as the log writes them, whatever the database made of the number: "12.0", not "12".
std::string SecondsText(const SqlValue& value) {
    double seconds = 0;
    if (!value) return {};
    const auto [at, error] = std::from_chars(value->data(), value->data() + value->size(), seconds);
    return error == std::errc() ? Tenths(seconds) : *value;
}

std::string Now() { return UtcTime(std::chrono::system_clock::now()); }

}  // namespace

template <typename Steps>
std::string SqlProductionDatabase::Transaction(const char* lock, Steps steps) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    std::string reason = m_connection->BeginWrite();
    if (!reason.empty()) return Problem(reason);
    if (*lock != '\0') reason = m_connection->Execute(lock, {});
    if (reason.empty()) reason = steps();
    if (reason.empty()) reason = m_connection->Execute("COMMIT", {});
    if (reason.empty()) return {};
    m_connection->Execute("ROLLBACK", {});
    return Problem(reason);
}

std::optional<bool> SqlProductionDatabase::HasBoards(std::string& problem) {
    std::vector<SqlRow> rows;
    problem = m_connection->Execute(m_connection->Dialect().hasBoards, {}, &rows);
    if (!problem.empty()) {
        problem = Problem(problem);
        return std::nullopt;
    }
    return Whole(First(rows)).value_or(0) > 0;
}

std::string SqlProductionDatabase::MakeTables() {
    const SqlDialect& dialect = m_connection->Dialect();
    // Tables already made need nothing but reading: a bench may lack the right to make them.
    std::string problem;
    const std::optional<bool> made = [&] {
        const std::lock_guard<std::mutex> turn(m_mutex);
        return HasBoards(problem);
    }();
    if (!made) return problem;
    return Transaction(*made ? "" : dialect.lockSchema, [&]() -> std::string {
        for (const std::string& statement :
             *made ? std::vector<std::string>() : TableStatements(dialect)) {
            if (std::string reason = m_connection->Execute(statement, {}); !reason.empty()) {
                return reason;
            }
        }
        std::vector<SqlRow> rows;
        std::string reason =
            m_connection->Execute("SELECT max(version) FROM tovrel_schema", {}, &rows);
        const std::optional<std::uint64_t> version = Whole(First(rows));
        if (!reason.empty() || version == std::uint64_t(kSchemaVersion)) return reason;
        if (!version) {
            return m_connection->Execute("INSERT INTO tovrel_schema (version) VALUES ($1)",
                                         {std::to_string(kSchemaVersion)});
        }
        return "its tables are of version " + std::to_string(*version) +
               ", made by a later Tovrel; this one knows version " + std::to_string(kSchemaVersion);
    });
}

std::optional<std::uint32_t> SqlProductionDatabase::Reserve(const std::string& port,
                                                            std::string& problem) {
    std::optional<std::uint64_t> number;
    problem = Transaction(m_connection->Dialect().lockSerials, [&]() -> std::string {
        const SqlRow where{std::to_string(m_user.first), m_user.station, port, Now()};
        std::vector<SqlRow> rows;
        std::string reason = m_connection->Execute(
            "SELECT min(number) FROM tovrel_serials WHERE state = 'free' AND number >= $1",
            {where[0]}, &rows);
        if (!reason.empty()) return reason;
        // The smallest number that went back, else the next never given (not below first).
        if ((number = Whole(First(rows)))) {
            return m_connection->Execute(
                "UPDATE tovrel_serials SET state = 'reserved', station = $2, port = $3, time = $4 "
                "WHERE number = $1",
                {std::to_string(*number), where[1], where[2], where[3]});
        }
        rows.clear();
        reason = m_connection->Execute("SELECT max(number) FROM tovrel_serials", {}, &rows);
        if (!reason.empty()) return reason;
        const std::optional<std::uint64_t> last = Whole(First(rows));
        number = std::max<std::uint64_t>(last ? *last + 1 : 0, m_user.first);
        if (*number > kLastNumber) return "every number up to 4294967295 is used";
        return m_connection->Execute(
            "INSERT INTO tovrel_serials (number, state, station, port, time) "
            "VALUES ($1, 'reserved', $2, $3, $4)",
            {std::to_string(*number), where[1], where[2], where[3]});
    });
    if (!problem.empty()) return std::nullopt;
    return static_cast<std::uint32_t>(*number);
}

std::string SqlProductionDatabase::GiveBack(std::uint32_t number) {
    return Transaction("", [&] {
        return m_connection->Execute(
            "UPDATE tovrel_serials SET state = 'free', time = $2 WHERE number = $1",
            {std::to_string(number), Now()});
    });
}

std::string SqlProductionDatabase::Record(const BoardResult& r) {
    const SqlValue serial = r.serial ? SqlValue(std::to_string(*r.serial)) : SqlValue();
    const std::vector<SqlValue> row{UtcTime(r.ended),
                                    r.port,
                                    OutcomeName(r.outcome),
                                    TextOrNull(BoardStepName(r.step)),
                                    TextOrNull(r.device),
                                    serial,
                                    r.file,
                                    r.checksum ? SqlValue(HexText(*r.checksum)) : SqlValue(),
                                    Tenths(r.seconds),
                                    m_user.station,
                                    m_user.version};
    return Transaction("", [&] {
        std::string reason = m_connection->Execute(
            "INSERT INTO tovrel_boards (time, port, result, step, device, serial, file, checksum, "
            "seconds, station, version) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11)",
            row);
        if (!reason.empty() || !serial) return reason;
        return m_connection->Execute("UPDATE tovrel_serials SET state = 'used' WHERE number = $1",
                                     {serial});
    });
}

std::optional<std::vector<RecordRow>> SqlProductionDatabase::Rows(const RecordQuery& query,
                                                                  std::string& problem) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    const std::optional<bool> made = HasBoards(problem);
    if (!made) return std::nullopt;
    std::vector<RecordRow> found;
    if (!*made) return found;
    std::string sql = "SELECT " + std::string(m_connection->Dialect().timeText) +
                      ", port, result, step, device, serial, file, checksum, seconds, station, "
                      "version FROM tovrel_boards";
    std::vector<SqlValue> parameters;
    const auto where = [&](const std::string& condition, const std::string& value) {
        parameters.push_back(value);
        sql += (parameters.size() == 1 ? " WHERE " : " AND ") + condition + " $" +
               std::to_string(parameters.size());
    };
    if (!query.since.empty()) where("time >=", query.since + kDayStart);
    if (!query.station.empty()) where("station =", query.station);
    if (query.serial) where("serial =", std::to_string(*query.serial));
    std::vector<SqlRow> rows;
    problem = m_connection->Execute(sql + " ORDER BY time, id", parameters, &rows);
    if (!problem.empty()) {
        problem = Problem(problem);
        return std::nullopt;
    }
    for (const SqlRow& row : rows) {
        const auto text = [&row](std::size_t i) { return row[i].value_or(""); };
        found.push_back({text(0), text(1), text(2), text(3), text(4), text(5), text(6), text(7),
                         SecondsText(row[8]), text(9), text(10)});
    }
    return found;
}

std::optional<LineTotals> SqlProductionDatabase::TotalsSince(const std::string& day,
                                                             std::string& problem) {
    const std::lock_guard<std::mutex> turn(m_mutex);
    const std::optional<bool> made = HasBoards(problem);
    if (!made) return std::nullopt;
    LineTotals totals;
    if (!*made) return totals;
    std::vector<SqlRow> rows;
    problem = m_connection->Execute(
        "SELECT result, count(*) FROM tovrel_boards WHERE time >= $1 GROUP BY result",
        {day + kDayStart}, &rows);
    if (!problem.empty()) {
        problem = Problem(problem);
        return std::nullopt;
    }
    for (const SqlRow& row : rows) {
        const long count = static_cast<long>(Whole(row[1]).value_or(0));
        totals.boards += count;
        (row[0] == kOK ? totals.ok : totals.failed) += count;
    }
    return totals;
}

}  // namespace tovrel
