#pragma once

#include <QWidget>
#include <array>
#include <map>
#include <utility>
#include <vector>

#include "config/configuration_panel.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tovrel {

// The configuration panel's widgets. Render() copies the panel model into them; the user's
// clicks, typing and focus changes go to the model, which runs the handlers.
class ConfigurationPage : public QWidget {
  public:
    explicit ConfigurationPage(ConfigurationPanel& panel, QWidget* parent = nullptr);

    void Render();

    QCheckBox* CheckBoxFor(Check box) const { return m_checks[static_cast<std::size_t>(box)]; }

    QComboBox* COMPortList;
    QPushButton* DeviceButton;  // "Device...": a detected serial device for the chosen COMn
    QLabel* PortDeviceLbl;      // the device the chosen COMn opens
    std::array<QRadioButton*, 3> XtalButton;
    QLineEdit* FrequencyTextbox;
    QLineEdit* PCBaudrateTextbox;
    QLineEdit* KernelBaudrateTextbox;
    std::array<QRadioButton*, 2> EraseCodeButton;
    std::array<QRadioButton*, 3> DownloadCodeButton;
    QLabel* HexFileCHKSUMLbl;
    QLineEdit* HexFileCHKSUM;
    std::array<QRadioButton*, 2> RunAddressButton;
    QLineEdit* RunAddressTextbox;
    QLabel* RunAddressHexLabel;  // Label1 (2)
    QPushButton* OKButton;
    QPushButton* CancelButton;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QGroupBox* FlashMemoryFrame();
    QGroupBox* RunFrame();
    QGroupBox* SerialPortSetupFrame();
    QGroupBox* CrystalFrequencyFrame();
    QWidget* BaudRateBoxes();
    QWidget* DialogButtons();
    QCheckBox* NewCheckBox(Check box, const char* caption, const char* name);
    QLineEdit* NewTextBox(TextBox ConfigurationPanel::*box, const char* name);
    template <std::size_t N>
    std::array<QRadioButton*, N> NewOptions(Option group, const char* const (&captions)[N],
                                            const char* name);
    void RenderControls();
    void RenderComPortList();
    void DeviceButton_Click();
    void LostFocus(QObject* box);
    bool ArrowInGroup(QObject* watched, int key);

    ConfigurationPanel& m_panel;
    std::array<QCheckBox*, 8> m_checks{};
    std::vector<std::pair<QLineEdit*, TextBox ConfigurationPanel::*>> m_texts;
    std::map<QObject*, std::vector<QRadioButton*>> m_optionGroups;  // each option's group
    bool m_rendering = false;
    bool m_renderAgain = false;
};

}  // namespace tovrel
