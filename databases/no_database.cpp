// A build without the database client libraries: --db says so and nothing else changes.
#include "databases/open_database.h"

namespace tovrel {
namespace {

constexpr const char* kNotBuilt =
    ": this Tovrel was built without databases (SQLite and PostgreSQL); use --log and "
    "--serial-file";

}  // namespace

std::string DatabaseName(const std::string& target) { return target; }

std::unique_ptr<ProductionDatabase> OpenProductionDatabase(const std::string& target,
                                                           const DatabaseUser&,
                                                           std::string& problem) {
    problem = target + kNotBuilt;
    return nullptr;
}

std::unique_ptr<RecordReader> OpenRecordReader(const std::string& target, std::string& problem) {
    problem = target + kNotBuilt;
    return nullptr;
}

std::string HostName() { return {}; }

}  // namespace tovrel
