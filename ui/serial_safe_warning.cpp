#include "ui/serial_safe_warning.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/user_texts.h"
#include "ui/look.h"

namespace tovrel {

namespace {

constexpr double kWarningFramePoints = 12.0;

QLabel* WrappedLabel(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// The frame's caption is bold 12 pt; its contents keep the dialog's own font.
QGroupBox* WarningFrame(QLabel* warning, QLabel* question) {
    auto* frame = new QGroupBox(QString::fromLatin1(kSerialSafeWarningCaption));
    QFont captionFont = FormFont();
    captionFont.setPointSizeF(kWarningFramePoints);
    captionFont.setBold(true);
    frame->setFont(captionFont);
    // The form's font names every attribute, so none of the caption's passes down to them.
    warning->setFont(FormFont());
    question->setFont(FormFont());
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(warning);
    layout->addWidget(question);
    return frame;
}

}  // namespace

SerialSafeWarning::SerialSafeWarning(std::function<void(bool)> answer, QWidget* parent)
    : QDialog(parent), m_answer(std::move(answer)) {
    setWindowTitle(QString::fromLatin1(kSerialSafeWarningTitle));
    setFont(FormFont());
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* yes = new QPushButton(QStringLiteral("&Yes"));
    auto* no = new QPushButton(QStringLiteral("&No"));
    yes->setObjectName(QStringLiteral("WarningYesButton"));
    no->setObjectName(QStringLiteral("WarningNoButton"));
    connect(yes, &QPushButton::clicked, this, &SerialSafeWarning::WarningYesButton_Click);
    connect(no, &QPushButton::clicked, this, &SerialSafeWarning::WarningNoButton_Click);
    // Yes cannot be taken back: a stray Enter must answer No.
    no->setDefault(true);
    no->setFocus(Qt::OtherFocusReason);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        WarningFrame(WrappedLabel(kSerialSafeWarningText), WrappedLabel(kSerialSafeQuestionText)));
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);
}

void SerialSafeWarning::WarningYesButton_Click() {
    Answer(true);
    close();
}

void SerialSafeWarning::WarningNoButton_Click() {
    Answer(false);
    close();
}

// The close box must not leave the box checked behind the user's back: it counts as No.
void SerialSafeWarning::closeEvent(QCloseEvent* event) {
    Answer(false);
    event->accept();
}

void SerialSafeWarning::reject() {
    Answer(false);
    QDialog::reject();
}

void SerialSafeWarning::Answer(bool yes) {
    if (!m_answer) return;
    auto answer = std::move(m_answer);
    m_answer = nullptr;
    answer(yes);
}

}  // namespace tovrel
