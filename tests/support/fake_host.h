#pragma once

#include <deque>
#include <string>
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
    std::vector<std::string> fileDialogFilters;
    std::deque<bool> serialSafeAnswers;  // empty queue: answered No
    bool answerSerialSafeAtOnce = true;  // false: keep the answer until the next wait
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
        fileDialogFilters.push_back(filter);
        if (fileDialogAnswers.empty()) return {};
        std::string answer = fileDialogAnswers.front();
        fileDialogAnswers.pop_front();
        return answer;
    }
    void ShowSerialSafeWarning(std::function<void(bool)> answer) override {
        ++serialSafeWarningsShown;
        pendingAnswer_ = std::move(answer);
        if (answerSerialSafeAtOnce) GiveSerialSafeAnswer();
    }
    void ProcessEventsUntil(const std::function<bool()>& done) override {
        if (!done() && pendingAnswer_) GiveSerialSafeAnswer();
    }
    void Pause(float seconds) override { pauses.push_back(seconds); }
    std::vector<std::string> CommandLineWords() const override { return words; }
    std::string ProgramFolder() const override { return folder; }

    void GiveSerialSafeAnswer() {
        bool yes = false;
        if (!serialSafeAnswers.empty()) {
            yes = serialSafeAnswers.front();
            serialSafeAnswers.pop_front();
        }
        auto answer = std::move(pendingAnswer_);
        pendingAnswer_ = nullptr;
        if (answer) answer(yes);
    }

  private:
    std::function<void(bool)> pendingAnswer_;
};

}  // namespace tovrel::testing
