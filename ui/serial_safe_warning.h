#pragma once

#include <QDialog>
#include <functional>

namespace tovrel {

// The small non-modal window that asks before serial safe mode may be chosen. It answers
// exactly once: Yes, or No for the No button and for every other way of closing it.
class SerialSafeWarning : public QDialog {
  public:
    SerialSafeWarning(std::function<void(bool yes)> answer, QWidget* parent = nullptr);

    void WarningYesButton_Click();
    void WarningNoButton_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void Answer(bool yes);
    std::function<void(bool)> m_answer;
};

}  // namespace tovrel
