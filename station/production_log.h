#pragma once

#include <memory>
#include <string>

#include "core/os_files.h"
#include "station/production_store.h"

namespace tovrel {

// The production log: one CSV line per board, appended so that several ports and several
// Tovrel processes can share one file. Each line reaches the file in one write on a descriptor
// opened for appending, under a lock on the file, so lines never mix, and is on the disk before
// the board's result is told to anyone. A line the disk had no room for is cut back off whole.
class ProductionLog : public BoardRecordStore {
  public:
    // Opens path for appending, making it when missing, and writes the header when the file
    // is empty: under a lock on the file, so that of two processes starting together only
    // one writes it. Null, with the system's reason, when that fails.
    static std::unique_ptr<ProductionLog> Open(const std::string& path, std::string& reason);
    ~ProductionLog();
    ProductionLog(const ProductionLog&) = delete;
    ProductionLog& operator=(const ProductionLog&) = delete;

    // Appends line and its line end. The system's reason when it did not reach the disk whole;
    // empty when it did.
    std::string Append(const std::string& line);
    const std::string& Path() const { return m_path; }
    // The board's CSV line.
    std::string Record(const BoardResult& result) override { return Append(CsvLine(result)); }
    std::string Name() const override { return m_path; }

  private:
    ProductionLog(std::string path, FileDescriptor fd)
        : m_path(std::move(path)), m_fd(std::move(fd)) {}
    std::string m_path;
    FileDescriptor m_fd;
};

}  // namespace tovrel
