#include "ui/main_page.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/look.h"

namespace tovrel {

namespace {

// Sizes and gaps of the drawn form, in twips; the layouts keep these proportions.
constexpr int kMarginLeft = 600, kMarginTop = 210, kMarginRight = 600, kMarginBottom = 360;
constexpr int kPelliconIndent = 3360, kPelliconWidth = 4455, kRegisteredWidth = 375;
constexpr int kTitleIndent = 240, kTovrelWidth = 6735, kVersionWidth = 1215;
constexpr int kButtonWidth = 1800, kButtonGap = 360, kButtonHeight = 700;
constexpr int kProgressWidth = 4695, kProgressGap = 225, kPelliconTextWidth = 3615;
constexpr int kRowHeight = 495, kTitleRowGap = 135, kRowGap = 225;
constexpr int kPelliconHeight = 735, kTovrelHeight = 615, kStatusHeight = 3015;
constexpr double kPelliconPoints = 30, kTovrelPoints = 24, kVersionPoints = 18;
constexpr double kRegisteredPoints = 14, kDevicePoints = 15.75;

QLabel* TitleLabel(const QString& text, double points, const char* name) {
    auto* label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(ArialFont(points, true));
    Colour(*label, kTitleBlue);
    return label;
}

QPushButton* CommandButton(const QString& caption, const char* name) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(ButtonFont());
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

}  // namespace

MainPage::MainPage(const MainWindowModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("Tovrelwindow"));
    Status = new QPlainTextEdit;
    Status->setObjectName(QStringLiteral("Status"));
    Status->setFont(StatusFont());
    Status->setReadOnly(true);
    Status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Status->setMinimumHeight(TwipsToPixels(*this, kStatusHeight) / 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(TwipsToPixels(*this, kMarginLeft), TwipsToPixels(*this, kMarginTop),
                               TwipsToPixels(*this, kMarginRight),
                               TwipsToPixels(*this, kMarginBottom));
    layout->setSpacing(0);
    layout->addWidget(TitleBlock());
    layout->addSpacing(TwipsToPixels(*this, kRowGap));
    layout->addWidget(ButtonRow());
    layout->addSpacing(TwipsToPixels(*this, kRowGap));
    layout->addWidget(ProgressRow());
    layout->addSpacing(TwipsToPixels(*this, kRowGap));
    layout->addWidget(Status, 1);
    Render(false);
}

QWidget* MainPage::TitleBlock() {
    auto* block = new QWidget;
    auto* pellicon = TitleLabel(QStringLiteral("Pellicon"), kPelliconPoints, "Label7");
    pellicon->setMinimumHeight(TwipsToPixels(*this, kPelliconHeight));
    pellicon->setAlignment(Qt::AlignRight | Qt::AlignVCenter);  // the sign stands right after it
    auto* registered = TitleLabel(QStringLiteral("\u00AE"), kRegisteredPoints, "Label9");
    registered->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* tovrel = TitleLabel(QStringLiteral("Tovrel"), kTovrelPoints, "Label8");
    Colour(*tovrel, kTitleBlue, kLightGrey);
    tovrel->setAlignment(Qt::AlignCenter);
    tovrel->setMinimumHeight(TwipsToPixels(*this, kTovrelHeight));
    auto* version = TitleLabel(QStringLiteral("(v6.7)"), kVersionPoints, "Label6");

    auto* top = new QHBoxLayout;
    top->addStretch(kPelliconIndent);
    top->addWidget(pellicon, kPelliconWidth);
    top->addWidget(registered, kRegisteredWidth);
    top->addStretch(kTitleIndent);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(kTitleIndent);
    bottom->addWidget(tovrel, kTovrelWidth);
    bottom->addWidget(version, kVersionWidth);
    bottom->addStretch(kTitleIndent);
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(TwipsToPixels(*this, kTitleRowGap));
    layout->addLayout(top);
    layout->addLayout(bottom);
    return block;
}

QWidget* MainPage::ButtonRow() {
    auto* row = new QWidget;
    ConfButton = CommandButton(QStringLiteral("&Configuration"), "ConfButton");
    ResetButton = CommandButton(QStringLiteral("&Reset"), "ResetButton");
    DownloadButton = CommandButton(QStringLiteral("&Download"), "DownloadButton");
    RunButton = CommandButton(QStringLiteral("&Run"), "RunButton");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(TwipsToPixels(*this, kButtonGap));
    for (QPushButton* button : {ConfButton, ResetButton, DownloadButton, RunButton}) {
        button->setMinimumHeight(TwipsToPixels(*this, kButtonHeight));
        layout->addWidget(button, kButtonWidth);
    }
    return row;
}

QWidget* MainPage::ProgressRow() {
    auto* row = new QWidget;
    ProgressBar = new QProgressBar;
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setMinimumHeight(TwipsToPixels(*this, kRowHeight));
    // Hidden between operations without the device box sliding into its place.
    QSizePolicy policy = ProgressBar->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ProgressBar->setSizePolicy(policy);
    PelliconText = new QLineEdit;
    PelliconText->setObjectName(QStringLiteral("PelliconText"));
    PelliconText->setReadOnly(true);
    PelliconText->setFont(ArialFont(kDevicePoints, false));
    PelliconText->setMinimumHeight(TwipsToPixels(*this, kRowHeight));
    Colour(*PelliconText, kDeviceRed, kLightGrey);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(TwipsToPixels(*this, kProgressGap));
    layout->addWidget(ProgressBar, kProgressWidth);
    layout->addWidget(PelliconText, kPelliconTextWidth);
    return row;
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
