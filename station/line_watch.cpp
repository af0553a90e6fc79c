#include "station/line_watch.h"

#include <chrono>

namespace tovrel {
namespace {

constexpr std::chrono::seconds kReadEvery{10};

}  // namespace

LineWatch::LineWatch(std::string database, Opener open, std::function<std::string()> today)
    : m_database(std::move(database)),
      m_open(std::move(open)),
      m_today(std::move(today)),
      m_text(m_database),
      m_thread([this] { Run(); }) {}

LineWatch::~LineWatch() {
    {
        const std::lock_guard<std::mutex> turn(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void LineWatch::BoardEnded(const BoardResult&) {
    {
        const std::lock_guard<std::mutex> turn(m_mutex);
        m_wanted = true;
    }
    m_wake.notify_one();
}

std::string LineWatch::Text() const {
    const std::lock_guard<std::mutex> turn(m_mutex);
    return m_text;
}

std::string LineWatch::Read() {
    std::string problem;
    if (!m_reader) m_reader = m_open(problem);
    if (!m_reader) return LineTodayText(m_database, std::nullopt, problem);
    const std::optional<LineTotals> totals = m_reader->TotalsSince(m_today(), problem);
    return LineTodayText(m_database, totals, problem);
}

void LineWatch::Run() {
    std::unique_lock<std::mutex> turn(m_mutex);
    while (!m_ending) {
        m_wanted = false;
        // The database is asked without the lock: the window shows the last text meanwhile.
        turn.unlock();
        const std::string text = Read();
        turn.lock();
        m_text = text;
        m_wake.wait_for(turn, kReadEvery, [this] { return m_wanted || m_ending; });
    }
}

}  // namespace tovrel
