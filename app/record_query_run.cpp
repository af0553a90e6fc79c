#include "app/record_query_run.h"

#include <iostream>

#include "adapters/run_context.h"
#include "app/long_option_run.h"
#include "core/user_texts.h"
#include "databases/open_database.h"
#include "station/board_result.h"
#include "station/production_report.h"

namespace tovrel::app {
namespace {

constexpr int kReadFailed = 1;

void PrintReport(const std::vector<RecordRow>& rows, bool json) {
    for (const DayReport& day : Summarize(rows)) {
        std::cout << (json ? JsonReport(day) : ReportLine(day)) << '\n';
    }
}

void PrintHistory(const std::vector<RecordRow>& rows, bool json) {
    if (!json && !rows.empty()) std::cout << kHistoryHeader << '\n';
    for (const RecordRow& row : rows)
        std::cout << (json ? JsonHistory(row) : HistoryLine(row)) << '\n';
}

}  // namespace

int RunRecordQuery(const ParsedCommandLine& line) {
    const LongOptions& o = line.options;
    const ProgramTranslator translator;
    std::string problem;
    const std::unique_ptr<RecordReader> reader = OpenRecordReader(o.database, problem);
    if (!reader) {
        std::cerr << kCommandPrefix << Tr(translator, kDatabaseError, problem) << '\n';
        return kExitUsage;
    }
    const std::optional<std::vector<RecordRow>> rows =
        reader->Rows({o.since, o.station, o.history}, problem);
    if (!rows) {
        std::cerr << kCommandPrefix << Tr(translator, kDatabaseError, problem) << '\n';
        return kReadFailed;
    }
    if (o.report) {
        PrintReport(*rows, o.json);
    } else {
        PrintHistory(*rows, o.json);
    }
    return 0;
}

}  // namespace tovrel::app
