#include "ui/main_page.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include "ui/look.h"

namespace tovrel {

namespace {

// Where the form was drawn: left, top, width, height in twips.
constexpr QRect kLabel8{840, 1200, 6735, 615};
constexpr QRect kLabel7{3960, 330, 4455, 735};
constexpr QRect kLabel9{8400, 210, 375, 495};
constexpr QRect kLabel6{7560, 1200, 1215, 615};
constexpr QRect kConfButton{600, 2040, 1800, 700};
constexpr QRect kResetButton{2760, 2040, 1800, 700};
constexpr QRect kDownloadButton{4920, 2040, 1800, 700};
constexpr QRect kRunButton{7080, 2040, 1800, 700};
constexpr QRect kProgressBar{600, 3000, 4695, 495};
constexpr QRect kPelliconText{5520, 3000, 3615, 495};
constexpr QRect kStatus{600, 3720, 8415, 3015};
constexpr double kPelliconPoints = 30, kTovrelPoints = 24, kVersionPoints = 18;
constexpr double kRegisteredPoints = 14, kDevicePoints = 15.75;

}  // namespace

MainPage::MainPage(const MainWindowModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("Tovrelwindow"));
    setFont(FormFont());
    TitleLabels();
    ConfButton = CommandButton(QStringLiteral("&Configuration"), "ConfButton", kConfButton);
    ResetButton = CommandButton(QStringLiteral("&Reset"), "ResetButton", kResetButton);
    DownloadButton = CommandButton(QStringLiteral("&Download"), "DownloadButton", kDownloadButton);
    RunButton = CommandButton(QStringLiteral("&Run"), "RunButton", kRunButton);

    ProgressBar = Place(new QProgressBar, "ProgressBar", kProgressBar);
    ProgressBar->setTextVisible(false);
    PelliconText = Place(new QLineEdit, "PelliconText", kPelliconText);
    PelliconText->setReadOnly(true);
    // Only the program writes here; with the focus it would show its text selected.
    PelliconText->setFocusPolicy(Qt::NoFocus);
    PelliconText->setFont(ArialFont(kDevicePoints, false));
    Colour(*PelliconText, kDeviceRed, kLightGrey);
    Status = Place(new QPlainTextEdit, "Status", kStatus);
    Status->setFont(StatusFont());
    Status->setReadOnly(true);
    Status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Render(false);
}

template <class W>
W* MainPage::Place(W* widget, const char* name, const QRect& twips) {
    widget->setParent(this);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(TwipsToPixels(*this, twips));
    return widget;
}

QLabel* MainPage::TitleLabel(const QString& text, double points, const char* name,
                             const QRect& twips) {
    auto* label = Place(new QLabel(text), name, twips);
    label->setFont(ArialFont(points, true));
    Colour(*label, kTitleBlue);
    return label;
}

void MainPage::TitleLabels() {
    auto* tovrel = TitleLabel(QStringLiteral("Tovrel"), kTovrelPoints, "Label8", kLabel8);
    Colour(*tovrel, kTitleBlue, kLightGrey);
    tovrel->setAlignment(Qt::AlignCenter);
    auto* pellicon = TitleLabel(QStringLiteral("Pellicon"), kPelliconPoints, "Label7", kLabel7);
    pellicon->setAlignment(Qt::AlignRight | Qt::AlignVCenter);  // the sign stands right after it
    auto* registered = TitleLabel(QStringLiteral("\u00AE"), kRegisteredPoints, "Label9", kLabel9);
    registered->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TitleLabel(QStringLiteral("(v6.7)"), kVersionPoints, "Label6", kLabel6);
}

QPushButton* MainPage::CommandButton(const QString& caption, const char* name, const QRect& twips) {
    auto* button = Place(new QPushButton(caption), name, twips);
    button->setFont(ButtonFont());
    // Enter presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    return button;
}

void MainPage::Render(bool immediate) {
    const bool buttons = RenderButtons();
    const bool progress = RenderProgress();
    bool device = false;
    const QString pelliconText = ToQString(m_model.PelliconText());
    if (PelliconText->text() != pelliconText) {
        PelliconText->setText(pelliconText);
        device = true;
    }
    const bool status = RenderStatus();
    if (!immediate) return;
    if (buttons) {
        for (QWidget* w : {ConfButton, ResetButton, DownloadButton, RunButton}) w->repaint();
    }
    if (progress) ProgressBar->repaint();
    if (device) PelliconText->repaint();
    if (status) Status->repaint();
}

bool MainPage::RenderButtons() {
    const MainWindowModel::Buttons& model = m_model.CommandButtons();
    const std::pair<QPushButton*, bool> states[] = {{ResetButton, model.ResetButton},
                                                    {RunButton, model.RunButton},
                                                    {ConfButton, model.ConfButton},
                                                    {DownloadButton, model.DownloadButton}};
    bool changed = false, turningOn = false;
    for (const auto& [button, enabled] : states) {
        changed = changed || button->isEnabled() != enabled;
        turningOn = turningOn || (enabled && !button->isEnabled());
    }
    if (turningOn) {
        // Input queued while the command ran reaches the buttons while they are still off.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    for (const auto& [button, enabled] : states) button->setEnabled(enabled);
    return changed;
}

bool MainPage::RenderProgress() {
    const MainWindowModel::Progress& model = m_model.ProgressState();
    const bool changed = ProgressBar->isVisibleTo(this) != model.visible ||
                         ProgressBar->minimum() != model.min ||
                         ProgressBar->maximum() != model.max || ProgressBar->value() != model.value;
    if (!changed) return false;
    ProgressBar->setRange(model.min, model.max);
    ProgressBar->setValue(model.value);
    ProgressBar->setVisible(model.visible);
    return true;
}

bool MainPage::RenderStatus() {
    const std::string& log = m_model.Status();
    if (log.size() == m_statusShown) return false;
    QTextCursor cursor(Status->document());
    if (log.size() < m_statusShown) {
        Status->clear();
        m_statusShown = 0;
        m_lastWasCarriageReturn = false;
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(
        ToQString(UnixLineBreaks(log.substr(m_statusShown), m_lastWasCarriageReturn)));
    m_statusShown = log.size();
    // The caret follows the end of the log, which keeps its last line in view.
    Status->setTextCursor(cursor);
    Status->ensureCursorVisible();
    Status->verticalScrollBar()->setValue(Status->verticalScrollBar()->maximum());
    return true;
}

}  // namespace tovrel
