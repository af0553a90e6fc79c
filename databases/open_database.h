#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "station/production_report.h"
#include "station/production_store.h"

namespace tovrel {

// A bench's database: its serial numbers, its record, and the record read back.
class ProductionDatabase : public SerialNumberStore,
                           public BoardRecordStore,
                           public RecordReader {};

// Who writes into the database.
struct DatabaseUser {
    std::string station;      // the bench PC
    std::string version;      // Tovrel's
    std::uint32_t first = 0;  // the least serial number to give out
};

// Opens --db TARGET for a bench: a postgresql:// (or postgres://) URI, else an SQLite file,
// made when missing. Its tables are made when missing. Null, with "<target>: <reason>", when
// it cannot be used; a build without databases says so.
std::unique_ptr<ProductionDatabase> OpenProductionDatabase(const std::string& target,
                                                           const DatabaseUser& user,
                                                           std::string& problem);
// Opens it only to read (--report, --history, the bench window's totals): nothing is made, an
// SQLite file must be there.
std::unique_ptr<RecordReader> OpenRecordReader(const std::string& target, std::string& problem);

// The target as messages show it: a URI's password left out.
std::string DatabaseName(const std::string& target);

// This PC's name, the station a bench writes by default.
std::string HostName();

}  // namespace tovrel
