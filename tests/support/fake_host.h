#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/host.h"

namespace tovrel::testing {

struct ShownMessage {
    std::string text;
    std::string title;
    bool operator==(const ShownMessage&) const = default;
};

// A scripted host: records what the program shows and answers from queues.
class FakeHost : public Host {
  public:
    std::vector<ShownMessage> messages;         // without their details
    std::deque<std::string> fileDialogAnswers;  // empty queue: the dialog is cancelled
    std::vector<std::pair<std::string, std::string>> fileDialogs;  // filter, answer
    std::deque<bool> serialSafeAnswers;                            // empty queue: answered No
    int serialSafeWarningsShown = 0;
    std::vector<float> pauses;
    std::vector<std::string> words;
    std::string folder = ".";

    using Host::MessageBox;
    void MessageBox(const std::string& text, const std::string& title,
                    const std::string&) override {
        messages.push_back({text, title});
    }
    std::string OpenFileDialog(const std::string& filter) override {
        fileDialogs.emplace_back(filter, Next(fileDialogAnswers, std::string()));
        return fileDialogs.back().second;
    }
    void ShowSerialSafeWarning(std::function<void(bool)> answer) override {
        ++serialSafeWarningsShown;
        answer(Next(serialSafeAnswers, false));
    }
    void ProcessEventsUntil(const std::function<bool()>&) override {}
    void Pause(float seconds) override { pauses.push_back(seconds); }
    std::vector<std::string> CommandLineWords() const override { return words; }
    std::string ProgramFolder() const override { return folder; }

  private:
    template <typename T>
    static T Next(std::deque<T>& queue, T none) {
        if (queue.empty()) return none;
        T next = queue.front();
        queue.pop_front();
        return next;
    }
};

}  // namespace tovrel::testing
