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
        fileDialogs.emplace_back(filter, fileDialogAnswers.empty() ? "" : fileDialogAnswers[0]);
        if (!fileDialogAnswers.empty()) fileDialogAnswers.pop_front();
        return fileDialogs.back().second;
    }
    void ShowSerialSafeWarning(std::function<void(bool)> answer) override {
        ++serialSafeWarningsShown;
        const bool yes = !serialSafeAnswers.empty() && serialSafeAnswers.front();
        if (!serialSafeAnswers.empty()) serialSafeAnswers.pop_front();
        answer(yes);
    }
    void ProcessEventsUntil(const std::function<bool()>&) override {}
    void Pause(float seconds) override { pauses.push_back(seconds); }
    std::vector<std::string> CommandLineWords() const override { return words; }
    std::string ProgramFolder() const override { return folder; }
};

}  // namespace tovrel::testing
