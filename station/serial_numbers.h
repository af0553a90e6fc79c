#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "station/production_store.h"

namespace tovrel {

// What the serial-number file holds: the next number never given out yet, and the numbers
// that went back (they never reached their boards), for the next boards. Every free number
// lies below next.
//   next 1005
//   free 1002 1003
struct SerialNumberState {
    std::optional<std::uint64_t> next;  // none: no number was given out yet
    std::set<std::uint32_t> free;
};

// The file's text and back; none for a text that is no such file, a free number not below
// next included (an empty text is an empty state).
std::optional<SerialNumberState> ParseSerialNumbers(const std::string& text);
std::string SerialNumbersText(const SerialNumberState& state);

// Takes a number for a board: the smallest free one from first on, else the next one, but not
// below first. None when the numbers up to 4294967295 are used up.
std::optional<std::uint32_t> TakeSerialNumber(SerialNumberState& state, std::uint32_t first);

// The serial-number file, shared by every port of this run and by other Tovrel processes.
// Each change holds an exclusive lock on "<path>.lock", reads the file, and replaces it as a
// whole (written aside, to the disk, renamed, the folder to the disk), so a number is kept in
// the file before it goes to a board: a run killed at any moment never gives a number twice.
// A path through symbolic links is followed once, at the first change: the real file, its
// folder and its lock are used from then on. Whether a number goes back is not decided here.
class SerialNumberFile : public SerialNumberStore {
  public:
    SerialNumberFile(std::string path, std::uint32_t first)
        : m_path(std::move(path)), m_first(first) {}

    // Whether the file can be used: "<path>: <reason>" when not, empty when it can. A missing
    // file can (it is made now, and its folder); anything but a regular file cannot. Once this
    // or another change has made it, a file that goes missing fails every later change.
    std::string Check();
    // A number for a board; none, with the problem in problem, when there is none.
    std::optional<std::uint32_t> Take(std::string& problem);
    std::optional<std::uint32_t> Reserve(const std::string&, std::string& problem) override {
        return Take(problem);
    }
    // A number that never reached its board goes back for the next board. The problem, or
    // empty.
    std::string GiveBack(std::uint32_t number) override;
    // The real file, once the first change found it.
    const std::string& Path() const { return m_path; }

  private:
    std::string Find();
    // Runs change over the state in the file, under the lock; the problem, or empty.
    template <typename Change>
    std::string Update(Change change);

    std::string m_path;
    std::uint32_t m_first;
    bool m_found = false;
    std::mutex m_mutex;  // the ports of this process, in turn
};

}  // namespace tovrel
