#include "ui/configuration_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/look.h"
#include "ui/port_choice_dialog.h"

namespace tovrel {

namespace {

// Rows sit close together, as on the drawn panel, so it keeps the main page's size.
constexpr int kFramePadding = 4, kRowSpacing = 1, kColumnSpacing = 6;

QGroupBox* Frame(const char* caption, const char* name, QLayout* layout) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption));
    frame->setObjectName(QString::fromLatin1(name));
    layout->setContentsMargins(kFramePadding, kFramePadding, kFramePadding, kFramePadding);
    layout->setSpacing(kRowSpacing);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) grid->setHorizontalSpacing(kColumnSpacing);
    frame->setLayout(layout);
    return frame;
}

QLabel* NewLabel(const char* caption, const char* name = "") {
    auto* label = new QLabel(QString::fromLatin1(caption));
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A text longer than the label (a stable device name) loses its middle, not its end, so both
// the adapter and the device still show; the whole text is the label's tool tip.
class ElidedLabel : public QLabel {
  public:
    ElidedLabel() { setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width()));
    }
};

// Boxes that come and go keep their place, so the rest of the panel does not jump.
void KeepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

void RenderState(QWidget* widget, bool enabled, bool visible) {
    widget->setEnabled(enabled);
    widget->setVisible(visible);
}

// A group of options is one Tab stop: the chosen option, or the first one that can be
// chosen when none is.
template <std::size_t N>
void RenderGroup(const OptionGroup<N>& group, const std::array<QRadioButton*, N>& buttons) {
    std::size_t tabStop = N;
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i]->setChecked(group.selected == static_cast<int>(i));
        buttons[i]->setEnabled(group.enabled[i]);
        if (group.enabled[i] && (tabStop == N || group.selected == static_cast<int>(i))) {
            tabStop = i;
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i]->setFocusPolicy(i == tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

}  // namespace

ConfigurationPage::ConfigurationPage(ConfigurationPanel& panel, QWidget* parent)
    : QWidget(parent), m_panel(panel) {
    setObjectName(QStringLiteral("ConfigurationWindow"));
    setFont(FormFont());
    auto* top = new QHBoxLayout;
    top->addWidget(FlashMemoryFrame());
    top->addWidget(RunFrame());
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(kFramePadding);
    layout->addLayout(top);
    layout->addWidget(SerialPortSetupFrame());
    layout->addStretch();
    layout->addWidget(DialogButtons());
    Render();
}

QGroupBox* ConfigurationPage::FlashMemoryFrame() {
    auto* security = new QVBoxLayout;
    security->addWidget(NewCheckBox(Check::LockModeButton, "Lock mode", "LockModeButton"));
    security->addWidget(NewCheckBox(Check::SecureModeButton, "Secure mode", "SecureModeButton"));
    security->addWidget(
        NewCheckBox(Check::SerialSafeModeButton, "Serial safe mode", "SerialSafeModeButton"));
    static const char* const kDownloadCaptions[] = {"Download CODE and DATA", "Download CODE ONLY",
                                                    "Download DATA ONLY"};
    DownloadCodeButton =
        NewOptions(Option::DownloadCodeButton, kDownloadCaptions, "DownloadCodeButton");
    auto* download = new QVBoxLayout;
    for (QRadioButton* button : DownloadCodeButton) download->addWidget(button);
    static const char* const kEraseCaptions[] = {"Erase the CODE ONLY", "Erase the CODE and DATA"};
    EraseCodeButton = NewOptions(Option::EraseCodeButton, kEraseCaptions, "EraseCodeButton");
    auto* erase = new QVBoxLayout;
    for (QRadioButton* button : EraseCodeButton) erase->addWidget(button);

    auto* layout = new QVBoxLayout;
    layout->addWidget(Frame("Security Mode", "SecurityModeFrame", security));
    layout->addWidget(Frame("Download Mode", "DownloadModeFrame", download));
    layout->addWidget(Frame("Erase Mode", "EraseModeFrame", erase));
    return Frame("Code and Data Flash/EE Memory", "FlashMemoryFrame", layout);
}

QGroupBox* ConfigurationPage::RunFrame() {
    auto* verify = NewCheckBox(Check::VerifyAfterDownloadButton, "Verify Code Downloaded OK",
                               "VerifyAfterDownloadButton");
    auto* generate = NewCheckBox(Check::GenerateVResultCheck, "Generate verify result files",
                                 "GenerateVResultCheck");
    KeepPlaceWhenHidden(generate);
    auto* checksum = NewCheckBox(Check::Check1, "Verify Hex file checksum", "Check1");
    HexFileCHKSUMLbl = NewLabel("Expected Checksum (Dec)", "HexFileCHKSUMLbl");
    KeepPlaceWhenHidden(HexFileCHKSUMLbl);
    HexFileCHKSUM = NewTextBox(&ConfigurationPanel::HexFileCHKSUM, "HexFileCHKSUM");
    KeepPlaceWhenHidden(HexFileCHKSUM);
    static const char* const kRunCaptions[] = {"Run from start:      0 Hex", "Run from address:"};
    RunAddressButton = NewOptions(Option::RunAddressButton, kRunCaptions, "RunAddressButton");
    RunAddressTextbox = NewTextBox(&ConfigurationPanel::RunAddressTextbox, "RunAddressTextbox");
    RunAddressHexLabel = NewLabel("Hex", "Label1");

    constexpr int kIndent = 1, kWide = 3;
    auto* layout = new QGridLayout;
    layout->setColumnMinimumWidth(0, fontMetrics().averageCharWidth() * 2);
    layout->addWidget(verify, 0, 0, 1, kWide + 1);
    layout->addWidget(generate, 1, kIndent, 1, kWide);
    layout->addWidget(checksum, 2, 0, 1, kWide + 1);
    layout->addWidget(HexFileCHKSUMLbl, 3, kIndent);
    layout->addWidget(HexFileCHKSUM, 3, kIndent + 1, 1, 2);
    layout->addWidget(NewCheckBox(Check::RunAfterDownloadButton, "Run Automatically after download",
                                  "RunAfterDownloadButton"),
                      4, 0, 1, kWide + 1);
    layout->addWidget(RunAddressButton[0], 5, 0, 1, kWide + 1);
    layout->addWidget(RunAddressButton[1], 6, 0, 1, 2);
    layout->addWidget(RunAddressTextbox, 6, 2);
    layout->addWidget(RunAddressHexLabel, 6, 3);
    layout->addWidget(
        NewCheckBox(Check::BootloadOptionButton, "Bootload Option  ", "BootloadOptionButton"), 7, 0,
        1, kWide + 1);
    layout->setRowStretch(8, 1);
    return Frame("Run", "RunFrame", layout);
}

QGroupBox* ConfigurationPage::SerialPortSetupFrame() {
    COMPortList = new QComboBox;
    COMPortList->setObjectName(QStringLiteral("COMPortList"));
    // The user's choice only: drawing the model blocks this signal.
    connect(COMPortList, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_panel.SelectPort(index);
        Render();
    });
    DeviceButton = new QPushButton(QStringLiteral("De&vice..."));
    DeviceButton->setObjectName(QStringLiteral("DeviceButton"));
    connect(DeviceButton, &QPushButton::clicked, this, [this] { DeviceButton_Click(); });
    PortDeviceLbl = new ElidedLabel;
    PortDeviceLbl->setObjectName(QStringLiteral("PortDeviceLbl"));
    auto* port = new QGridLayout;
    port->addWidget(COMPortList, 0, 0);
    port->addWidget(DeviceButton, 0, 1);
    port->addWidget(PortDeviceLbl, 1, 0, 1, 2);
    port->setColumnStretch(0, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(Frame("Port", "PortFrame", port));
    right->addWidget(BaudRateBoxes());
    auto* layout = new QHBoxLayout;
    layout->addWidget(CrystalFrequencyFrame());
    layout->addLayout(right);
    return Frame("Serial Port Setup", "SerialPortSetupFrame", layout);
}

QGroupBox* ConfigurationPage::CrystalFrequencyFrame() {
    static const char* const kXtalCaptions[] = {"11.0592 MHz crystal", "Watch crystal",
                                                "Other crystal"};
    XtalButton = NewOptions(Option::XtalButton, kXtalCaptions, "XtalButton");
    FrequencyTextbox = NewTextBox(&ConfigurationPanel::FrequencyTextbox, "FrequencyTextbox");
    // A click into the box picks the other crystal.
    FrequencyTextbox->installEventFilter(this);
    auto* layout = new QGridLayout;
    layout->addWidget(XtalButton[0], 0, 0, 1, 3);
    layout->addWidget(XtalButton[1], 1, 0, 1, 3);
    layout->addWidget(XtalButton[2], 2, 0);
    layout->addWidget(FrequencyTextbox, 2, 1);
    layout->addWidget(NewLabel("Mhz"), 2, 2);
    layout->setRowStretch(3, 1);
    return Frame("Crystal Frequency", "CrystalFrequencyFrame", layout);
}

QWidget* ConfigurationPage::BaudRateBoxes() {
    auto* boxes = new QWidget;
    PCBaudrateTextbox = NewTextBox(&ConfigurationPanel::PCBaudrateTextbox, "PCBaudrateTextbox");
    KernelBaudrateTextbox =
        NewTextBox(&ConfigurationPanel::KernelBaudrateTextbox, "KernelBaudrateTextbox");
    auto* layout = new QGridLayout(boxes);
    // Close under the port's frame, so the row that shows the port's device fits the form.
    layout->setContentsMargins(kFramePadding, kFramePadding, kFramePadding, 0);
    layout->addWidget(NewLabel("PC Baud Rate"), 0, 0);
    layout->addWidget(PCBaudrateTextbox, 0, 1);
    layout->addWidget(NewLabel("bps"), 0, 2);
    layout->addWidget(NewLabel("Pellicon Baud Rate"), 1, 0);
    layout->addWidget(KernelBaudrateTextbox, 1, 1);
    layout->addWidget(NewLabel("bps"), 1, 2);
    return boxes;
}

QWidget* ConfigurationPage::DialogButtons() {
    auto* row = new QWidget;
    OKButton = new QPushButton(QStringLiteral("&OK"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("&Cancel"));
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    // Enter presses the button that has the focus; elsewhere on the page it presses OK.
    OKButton->setAutoDefault(true);
    CancelButton->setAutoDefault(true);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(OKButton);
    layout->addWidget(CancelButton);
    return row;
}

QCheckBox* ConfigurationPage::NewCheckBox(Check box, const char* caption, const char* name) {
    auto* check = new QCheckBox(QString::fromLatin1(caption));
    check->setObjectName(QString::fromLatin1(name));
    connect(check, &QCheckBox::clicked, this, [this, box](bool checked) {
        m_panel.SetChecked(box, checked);
        Render();
    });
    m_checks[static_cast<std::size_t>(box)] = check;
    return check;
}

QLineEdit* ConfigurationPage::NewTextBox(TextBox ConfigurationPanel::*box, const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    connect(edit, &QLineEdit::textEdited, this,
            [this, box](const QString& text) { m_panel.SetText(m_panel.*box, ToStdString(text)); });
    edit->installEventFilter(this);
    m_texts.emplace_back(edit, box);
    return edit;
}

template <std::size_t N>
std::array<QRadioButton*, N> ConfigurationPage::NewOptions(Option group,
                                                           const char* const (&captions)[N],
                                                           const char* name) {
    std::array<QRadioButton*, N> buttons{};
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i] = new QRadioButton(QString::fromLatin1(captions[i]));
        buttons[i]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        // The model decides which one is on (possibly none), so Qt must not.
        buttons[i]->setAutoExclusive(false);
        connect(buttons[i], &QRadioButton::clicked, this, [this, group, i] {
            m_panel.Select(group, static_cast<int>(i));
            Render();
        });
        buttons[i]->installEventFilter(this);
    }
    for (QRadioButton* button : buttons) {
        m_optionGroups[button].assign(buttons.begin(), buttons.end());
    }
    return buttons;
}

void ConfigurationPage::keyPressEvent(QKeyEvent* event) {
    // Keys that no control of the page took: Enter means OK, Escape means Cancel.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OKButton->click();
            return;
        case Qt::Key_Escape:
            CancelButton->click();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

// The arrow keys choose the next or previous option of the group that can be chosen, round
// the ends, as a click on it would.
bool ConfigurationPage::ArrowInGroup(QObject* watched, int key) {
    int step = 0;
    if (key == Qt::Key_Down || key == Qt::Key_Right) step = 1;
    if (key == Qt::Key_Up || key == Qt::Key_Left) step = -1;
    const auto option = m_optionGroups.find(watched);
    if (step == 0 || option == m_optionGroups.end()) return false;
    const std::vector<QRadioButton*>& group = option->second;
    const auto count = static_cast<int>(group.size());
    const auto from =
        static_cast<int>(std::find(group.begin(), group.end(), watched) - group.begin());
    for (int n = 1; n < count; ++n) {
        QRadioButton* next = group[static_cast<std::size_t>((from + step * n + count) % count)];
        if (!next->isEnabled()) continue;
        next->setFocus(Qt::TabFocusReason);
        next->click();
        break;
    }
    return true;
}

bool ConfigurationPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        ArrowInGroup(watched, static_cast<QKeyEvent*>(event)->key())) {
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        // Switching to another window is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            LostFocus(watched);
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == FrequencyTextbox) {
        m_panel.FrequencyTextbox_Click();
        Render();
    }
    return QWidget::eventFilter(watched, event);
}

void ConfigurationPage::LostFocus(QObject* box) {
    if (box == FrequencyTextbox) {
        m_panel.FrequencyTextbox_LostFocus();
    } else if (box == RunAddressTextbox) {
        m_panel.RunAddressTextbox_LostFocus();
    } else if (box == HexFileCHKSUM) {
        m_panel.HexFileCHKSUM_LostFocus();
    } else {
        return;
    }
    Render();
}

// A render can move the focus (a box being disabled or hidden), whose handler changes the
// model again; that change is drawn by another pass instead of from inside this one.
void ConfigurationPage::Render() {
    if (m_rendering) {
        m_renderAgain = true;
        return;
    }
    m_rendering = true;
    do {
        m_renderAgain = false;
        RenderControls();
    } while (m_renderAgain);
    m_rendering = false;
}

void ConfigurationPage::RenderControls() {
    RenderComPortList();
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        const CheckBox& model = m_panel.Box(static_cast<Check>(i));
        const QSignalBlocker block(m_checks[i]);
        m_checks[i]->setChecked(model.checked);
        RenderState(m_checks[i], model.enabled, model.visible);
    }
    RenderGroup(m_panel.XtalButton, XtalButton);
    RenderGroup(m_panel.EraseCodeButton, EraseCodeButton);
    RenderGroup(m_panel.DownloadCodeButton, DownloadCodeButton);
    RenderGroup(m_panel.RunAddressButton, RunAddressButton);
    for (const auto& [edit, member] : m_texts) {
        const TextBox& model = m_panel.*member;
        const QString text = ToQString(model.text);
        if (edit->text() != text) edit->setText(text);
        RenderState(edit, model.enabled, model.visible);
    }
    RenderState(HexFileCHKSUMLbl, m_panel.HexFileCHKSUMLbl.enabled,
                m_panel.HexFileCHKSUMLbl.visible);
    constexpr std::size_t kRunAddressLabel = 2;
    RenderState(RunAddressHexLabel, m_panel.Label1[kRunAddressLabel].enabled,
                m_panel.Label1[kRunAddressLabel].visible);
}

void ConfigurationPage::RenderComPortList() {
    const QSignalBlocker block(COMPortList);
    QStringList names;
    for (const std::string& name : m_panel.COMPortList) names.append(ToQString(name));
    QStringList shown;
    for (int i = 0; i < COMPortList->count(); ++i) shown.append(COMPortList->itemText(i));
    if (shown != names) {
        COMPortList->clear();
        COMPortList->addItems(names);
    }
    COMPortList->setCurrentIndex(m_panel.COMPortListIndex);
    const QString device = ToQString(m_panel.PortDeviceLbl);
    PortDeviceLbl->setToolTip(device);
    PortDeviceLbl->setText(device);
}

void ConfigurationPage::DeviceButton_Click() {
    const std::vector<DetectedPort> ports = m_panel.DetectedPorts();
    const int chosen =
        ChoosePortDevice(window(), ToQString(m_panel.COMPortList.at(m_panel.COMPortListIndex)),
                         ports, m_panel.ChosenPortMapping().path);
    if (chosen < 0) return;
    m_panel.DeviceButton_Click(ports[static_cast<std::size_t>(chosen)]);
    Render();
}

}  // namespace tovrel
