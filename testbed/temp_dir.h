#pragma once

#include <string>

namespace tovrel::testbed {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    // The folder itself, or the path of name inside it.
    std::string Path(const std::string& name = "") const;
    // Writes the bytes exactly as given (no line-end translation) and returns the path.
    std::string Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;

  private:
    std::string m_path;
};

// The folder of the running executable: the build puts every program into one folder, so
// the program under test and the simulated device are found beside it.
std::string ProgramFolder();

}  // namespace tovrel::testbed
