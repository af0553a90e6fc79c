#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "station/bench_output.h"
#include "station/production_report.h"

namespace tovrel {

// The line's boards of today (UTC), read from the production record on a thread of its own,
// for the bench window: a slow or lost database never holds the window or a port. It reads at
// the start, after each board of this bench, and every ten seconds (other benches' boards).
class LineWatch : public BenchOutput {
  public:
    // Opens a reader of its own; null, with the problem, when it cannot (tried again later).
    using Opener = std::function<std::unique_ptr<RecordReader>(std::string& problem)>;
    // today gives the day to count from, "YYYY-MM-DD".
    LineWatch(std::string database, Opener open, std::function<std::string()> today);
    ~LineWatch() override;
    LineWatch(const LineWatch&) = delete;
    LineWatch& operator=(const LineWatch&) = delete;

    // "Database line.db, the line today: 12 boards, 11 OK, 1 failed", or the database and why it
    // cannot say.
    std::string Text() const;

    // A board of this bench has ended: read again.
    void BoardEnded(const BoardResult&) override;
    void Line(const std::string&, const std::string&) override {}
    void Message(const std::string&, const std::string&, const std::string&,
                 const std::string&) override {}
    void Note(const std::string&, const std::string&) override {}
    void Summary(const BoardResult&) override {}
    void Total(const BenchTotals&) override {}

  private:
    void Run();
    std::string Read();

    std::string m_database;
    Opener m_open;
    std::function<std::string()> m_today;
    std::unique_ptr<RecordReader> m_reader;  // the watch's thread's only
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_wanted = true;
    bool m_ending = false;
    std::string m_text;
    std::thread m_thread;
};

}  // namespace tovrel
