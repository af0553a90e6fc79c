#pragma once

namespace tovrel {

// The progress of one long operation, reported as events; the flash operations know nothing of
// what shows it (the main window's bar, the console's line, a test's record).
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    // An operation of max units starts at 0.
    virtual void Begin(int max) = 0;
    // The operation has reached value.
    virtual void Step(int value) = 0;
    // The operation is over, whether it succeeded or not.
    virtual void End() = 0;
};

// Begins the progress when made and ends it when the scope is left, by any way out.
class ProgressScope {
  public:
    ProgressScope(ProgressSink& sink, int max) : m_sink(sink) { m_sink.Begin(max); }
    ~ProgressScope() { m_sink.End(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Step(int value) { m_sink.Step(value); }

  private:
    ProgressSink& m_sink;
};

}  // namespace tovrel
