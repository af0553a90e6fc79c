#pragma once

#include <map>
#include <mutex>
#include <ostream>
#include <string>

#include "station/bench_output.h"

namespace tovrel {

// The plain console of a bench run. With prefixes (several ports) every line of standard
// output and standard error begins with its port and ": "; without (a single port named by
// /C:) the status log stays as a command-line run prints it. Summaries go to standard output
// when wanted, after the status log's lines.
class TextOutput : public BenchOutput {
  public:
    TextOutput(std::ostream& out, std::ostream& err, bool prefixed, bool summaries)
        : m_out(out), m_err(err), m_prefixed(prefixed), m_summaries(summaries) {}

    void Line(const std::string& port, const std::string& line) override;
    void Message(const std::string& port, const std::string& text, const std::string& title,
                 const std::string& details) override;
    void Note(const std::string& port, const std::string& text) override;
    void Summary(const BoardResult& result) override;
    void Total(const BenchTotals& totals) override;

  private:
    std::string Prefix(const std::string& port) const { return m_prefixed ? port + ": " : ""; }
    void Write(std::ostream& stream, const std::string& text);

    std::mutex m_mutex;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_prefixed;
    bool m_summaries;
};

// Standard output as one JSON object per line, for machines; notes stay plain text on
// standard error.
class JsonOutput : public BenchOutput {
  public:
    JsonOutput(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    void Line(const std::string& port, const std::string& line) override;
    void Message(const std::string& port, const std::string& text, const std::string& title,
                 const std::string& details) override;
    void Note(const std::string& port, const std::string& text) override;
    void Progress(const std::string& port, int percent) override;
    void Summary(const BoardResult& result) override;
    void Total(const BenchTotals& totals) override;

  private:
    void Write(std::ostream& stream, const std::string& text);

    std::mutex m_mutex;
    std::ostream& m_out;
    std::ostream& m_err;
};

// Tells several outputs the same (the console and the bench window).
class OutputPair : public BenchOutput {
  public:
    OutputPair(BenchOutput& first, BenchOutput& second) : m_first(first), m_second(second) {}

    void Line(const std::string& p, const std::string& l) override {
        m_first.Line(p, l);
        m_second.Line(p, l);
    }
    void Message(const std::string& p, const std::string& t, const std::string& ti,
                 const std::string& d) override {
        m_first.Message(p, t, ti, d);
        m_second.Message(p, t, ti, d);
    }
    void Note(const std::string& p, const std::string& t) override {
        m_first.Note(p, t);
        m_second.Note(p, t);
    }
    void Progress(const std::string& p, int v) override {
        m_first.Progress(p, v);
        m_second.Progress(p, v);
    }
    void Step(const std::string& p, BoardStep s) override {
        m_first.Step(p, s);
        m_second.Step(p, s);
    }
    void Phase(const std::string& p, PortPhase s) override {
        m_first.Phase(p, s);
        m_second.Phase(p, s);
    }
    void Device(const std::string& p, const std::string& d) override {
        m_first.Device(p, d);
        m_second.Device(p, d);
    }
    void BoardEnded(const BoardResult& r) override {
        m_first.BoardEnded(r);
        m_second.BoardEnded(r);
    }
    void Summary(const BoardResult& r) override {
        m_first.Summary(r);
        m_second.Summary(r);
    }
    void Total(const BenchTotals& t) override {
        m_first.Total(t);
        m_second.Total(t);
    }

  private:
    BenchOutput& m_first;
    BenchOutput& m_second;
};

}  // namespace tovrel
