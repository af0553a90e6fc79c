#include "ui/main_window_view.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QStackedWidget>

#include "ui/configuration_page.h"
#include "ui/look.h"
#include "ui/main_page.h"

namespace tovrel {

namespace {

// While a command runs the event loop does not. At this interval the window still answers
// the window system (exposes, moves, the window manager's pings), never the user.
constexpr qint64 kWindowSystemIntervalMs = 100;

}  // namespace

MainWindowView::MainWindowView(MainWindowModel& model, ConfigurationPanel& panel,
                               FormHandlers handlers, QWidget* parent)
    : QMainWindow(parent), m_model(model), m_panel(panel), m_handlers(std::move(handlers)) {
    setObjectName(QStringLiteral("Tovrel"));
    m_mainPage = new MainPage(m_model);
    m_configurationPage = new ConfigurationPage(m_panel);
    m_pages = new QStackedWidget;
    m_pages->addWidget(m_mainPage);
    m_pages->addWidget(m_configurationPage);
    setCentralWidget(m_pages);
    ConnectButtons();
    m_model.onChanged = [this] { Render(); };
    m_panel.onChanged = [this] { m_configurationPage->Render(); };
    m_sinceEvents.start();
    Render();
    // The controls stand where the form was drawn, so the form keeps its drawn size.
    setFixedSize(TwipsToPixels(*this, kFrameWidthTwips), TwipsToPixels(*this, kFrameHeightTwips));
    FocusFirstControl(*m_pages->currentWidget());
}

MainWindowView::~MainWindowView() {
    m_model.onChanged = nullptr;
    m_panel.onChanged = nullptr;
}

void MainWindowView::ConnectButtons() {
    const std::pair<QPushButton*, std::function<void()> FormHandlers::*> buttons[] = {
        {m_mainPage->ConfButton, &FormHandlers::ConfButton_Click},
        {m_mainPage->ResetButton, &FormHandlers::ResetButton_Click},
        {m_mainPage->DownloadButton, &FormHandlers::DownloadButton_Click},
        {m_mainPage->RunButton, &FormHandlers::RunButton_Click},
        {m_configurationPage->OKButton, &FormHandlers::OKButton_Click},
        {m_configurationPage->CancelButton, &FormHandlers::CancelButton_Click}};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this,
                [this, button, handler] { Forward(button, m_handlers.*handler); });
    }
}

void MainWindowView::Forward(QPushButton* button, const std::function<void()>& handler) {
    // An accelerator key leaves the focus where it was; moving it first lets a text box
    // that is being left take its value, as a mouse click would.
    button->setFocus(Qt::ShortcutFocusReason);
    ++m_commandDepth;
    if (handler) handler();
    --m_commandDepth;
    // Turned off during the command, the button lost the focus; it gets it back, so Enter
    // presses it again.
    if (button->isVisible() && button->isEnabled()) button->setFocus(Qt::OtherFocusReason);
    if (m_commandDepth == 0 && m_closeRequested) close();
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    if (m_commandDepth > 0) {
        event->ignore();
        if (m_closeRequested) return;
        m_closeRequested = true;
        if (m_handlers.CloseDuringCommand) m_handlers.CloseDuringCommand();
        return;
    }
    event->accept();
    if (m_handlers.Form_QueryUnload) m_handlers.Form_QueryUnload();
}

void MainWindowView::Render() {
    if (m_rendering) {
        m_renderAgain = true;
        return;
    }
    m_rendering = true;
    do {
        m_renderAgain = false;
        const bool immediate = CommandRunning() && isVisible();
        QWidget* page = m_model.ConfigurationPageShown()
                            ? static_cast<QWidget*>(m_configurationPage)
                            : m_mainPage;
        if (m_pages->currentWidget() != page) {
            m_pages->setCurrentWidget(page);
            FocusFirstControl(*page);
            if (immediate) page->repaint();
        }
        setWindowTitle(ToQString(m_model.Caption()));
        m_mainPage->Render(immediate);
        if (immediate) KeepWindowAlive();
    } while (m_renderAgain);
    m_rendering = false;
}

// A page opens with the focus on its first control that can take it, in the Tab order.
void MainWindowView::FocusFirstControl(QWidget& page) {
    for (QWidget* w = page.nextInFocusChain(); w != &page; w = w->nextInFocusChain()) {
        if (!page.isAncestorOf(w)) continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(&page)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void MainWindowView::KeepWindowAlive() {
    if (m_sinceEvents.elapsed() < kWindowSystemIntervalMs) return;
    m_sinceEvents.restart();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tovrel
