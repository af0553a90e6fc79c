// The reset and run commands of the main window.
#include "flash/device_control.h"
#include "link/reset.h"
#include "workflow/tovrel_form.h"

namespace tovrel {

void TovrelForm::ResetButton_Click() {
    m_mainWindow.DisableButtons();
    EnterStep(BoardStep::Reset);
    AppendLine(ResetStartText(PortName(m_link), m_panel.PCBaudrateTextbox.text));
    if (!OpenCommPort(m_link)) {
        m_settings.ResetOK = false;
        StepFailed(BoardStep::Reset);
        Warn(PortHeldMessage());
        m_mainWindow.EnableButtons();
        return;
    }
    Append(kResettingText);
    if (Reset(m_link)) {
        m_settings.ResetOK = true;
        m_panel.UpdateConfigurationWindow();
        m_mainWindow.SetPelliconText(IdentificationDisplay(m_settings));
        AppendLine(kOKText);
    } else {
        m_settings.ResetOK = false;
        StepFailed(BoardStep::Reset);
        m_mainWindow.SetPelliconText("");
        AppendLine(kFailedText);
        CloseCommPort(m_link);
        // After a stop nobody needs the checklist: the reset was cut short on purpose.
        if (m_host.StopSignal() == 0) Warn(ResetErrorMessage());
    }
    // Closing twice after a failure is harmless.
    CloseCommPort(m_link);
    m_mainWindow.EnableButtons();
}

void TovrelForm::RunButton_Click() {
    m_portLost = false;
    m_mainWindow.DisableButtons();
    if (!OpenCommPort(m_link)) {
        StepFailed(BoardStep::Reset);
        Warn(PortHeldMessage());
        m_mainWindow.EnableButtons();
        return;
    }
    Append(kStartingUserCodeText);
    const bool started = Run(m_link);
    if (!started) StepFailed(BoardStep::Run);
    AppendLine(started ? kShortOKText : kShortFailedText);
    if (!PortLost()) AfterLinesStep();
    CloseCommPort(m_link);
    m_mainWindow.EnableButtons();
}

}  // namespace tovrel
