#include "CorvaneApp/RootView.hpp"

#include "CorvaneApp/BackgroundItemsView.hpp"
#include "CorvaneApp/BrowserPanel.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/InternetView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/OverviewView.hpp"
#include "CorvaneApp/ProcessesView.hpp"
#include "CorvaneApp/Sidebar.hpp"
#include "CorvaneApp/Surfaces.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/Toast.hpp"
#include "CorvaneApp/UsageView.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace corvane {

const QString RootView::catalogMessage = QString::fromUtf8(catalogFailedText);

namespace {

// Stands in for every screen while the process catalog is missing.
QWidget* makeCatalogMessage(QWidget* parent)
{
    auto* view = new QWidget(parent);
    auto* layout = new QVBoxLayout(view);
    layout->setSpacing(14);
    layout->addStretch(1);
    layout->addWidget(new SymbolLabel(QStringLiteral("exclamationmark.triangle"), Theme::text3(), 44, view), 0,
                      Qt::AlignHCenter);
    auto* label = new QLabel(RootView::catalogMessage, view);
    label->setObjectName(QStringLiteral("catalogMessage"));
    label->setFont(Fonts::system(20, QFont::Bold));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addStretch(1);
    return view;
}

// A sheet over the main window: window-modal, opened without a nested event loop.
QDialog* makeSheet(QWidget* parent, QWidget* content)
{
    auto* sheet = new QDialog(parent);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setWindowTitle(QStringLiteral("Corvane"));
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(sheet);
    layout->addWidget(content);
    return sheet;
}

// Closes a sheet or alert without running what its dismissal would do.
template <class Window>
void discard(QPointer<Window>& window, QObject* receiver)
{
    if (!window)
        return;
    window->disconnect(receiver);
    window->close();
    window->deleteLater();
    window = nullptr;
}

} // namespace

RootView::RootView(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent)
    , environment_(environment)
    , sidebar_(new Sidebar(environment, this))
    , contentLayout_(new QVBoxLayout)
    , toast_(new ToastView(environment, this))
{
    fillBackground(this, Theme::window());
    setForeground(this, Theme::text());

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sidebar_);
    layout->addWidget(separator(Qt::Vertical, Theme::line(), this));
    contentLayout_->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(contentLayout_, 1);
    toast_->raise();

    Monitor& monitor = environment_.monitor;
    connect(&environment_.router, &Router::screenChanged, this, &RootView::rebuildContent);
    connect(&monitor, &Monitor::windowVisibleChanged, this, &RootView::rebuildContent);
    connect(&environment_.settings, &AppSettings::onboardedChanged, this, &RootView::present);
    connect(&environment_.fixActions, &FixActions::confirmationChanged, this, &RootView::present);
    connect(&environment_.fixActions, &FixActions::stuckAlertChanged, this, &RootView::present);
    connect(&environment_.router, &Router::browserChanged, this, &RootView::present);
    connect(toast_, &ToastView::resized, this, &RootView::placeToast);
    rebuildContent();
}

void RootView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Minimising and restoring (the window system's own hide and show) keep the window open.
    if (event->spontaneous())
        return;
    environment_.monitor.setWindowVisible(true);
    environment_.monitor.start();
    // Sheets and alerts open once the window itself is up, so they stack above it.
    QMetaObject::invokeMethod(this, &RootView::present, Qt::QueuedConnection);
}

void RootView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    environment_.monitor.setWindowVisible(false);
    present();
}

void RootView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeToast();
}

void RootView::rebuildContent()
{
    if (content_) {
        contentLayout_->removeWidget(content_);
        content_->hide();
        content_->deleteLater();
        content_ = nullptr;
    }
    // Screens live only while the window is on screen, so a hidden window runs none of
    // their timers or workers.
    if (!environment_.monitor.windowVisible())
        return;
    content_ = environment_.monitor.catalog() ? makeScreen() : makeCatalogMessage(this);
    contentLayout_->addWidget(content_);
    toast_->raise();
}

QWidget* RootView::makeScreen()
{
    switch (environment_.router.screen()) {
    case Screen::overview: return new OverviewView(environment_, this);
    case Screen::processes: return new ProcessesView(environment_, this);
    case Screen::backgroundItems: return new BackgroundItemsView(environment_, this);
    case Screen::internet: return new InternetView(environment_, this);
    case Screen::usage: return new UsageView(environment_, this);
    }
    return new OverviewView(environment_, this);
}

QDialog* RootView::modal() const
{
    // The newest modal window is the one on top, when it is over this window.
    if (auto* top = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        for (const QObject* owner = top->parent(); owner; owner = owner->parent()) {
            if (owner == this)
                return top;
        }
    }
    for (QDialog* dialog : findChildren<QDialog*>()) {
        if (dialog->isVisible() && dialog->isModal())
            return dialog;
    }
    return nullptr;
}

void RootView::present()
{
    closeStale();
    if (!isVisible())
        return;
    if (QDialog* open = modal()) {
        // The next one waits for this one; a screen's own alert says when it closes too,
        // or goes with its screen without closing.
        connect(open, &QDialog::finished, this, &RootView::present, Qt::UniqueConnection);
        connect(open, &QObject::destroyed, this, &RootView::present,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        return;
    }
    const FixActions& actions = environment_.fixActions;
    if (onboardingWanted())
        showOnboarding();
    else if (actions.confirmation())
        showConfirmation();
    else if (actions.stuckAlert())
        showStuckAlert();
    else if (environment_.router.browser())
        showBrowser();
}

void RootView::closeStale()
{
    if (!onboardingWanted())
        discard(onboardingSheet_, this);
    const FixActions& actions = environment_.fixActions;
    // A new question replaces the pending one; a notice that went away is closed.
    const bool staleAlert = alertKind_ == AlertKind::confirmation
        ? !actions.confirmation() || actions.confirmation()->id != shownConfirmation_
        : actions.stuckAlert() != shownStuckApp_;
    if (staleAlert)
        discard(alert_, this);
    const std::optional<ChromiumBrowser> browser = environment_.router.browser();
    if (!browser || *browser != sheetBrowser_)
        discard(browserSheet_, this);
}

void RootView::showConfirmation()
{
    const FixActions::Confirmation& confirmation = *environment_.fixActions.confirmation();
    auto* box = alertBox(this, QString::fromStdString(confirmation.title), QString::fromStdString(confirmation.message));
    QPushButton* confirm = addConfirmation(box, buttonText(confirmation.confirm), confirmation.destructive);
    alert_ = box;
    alertKind_ = AlertKind::confirmation;
    shownConfirmation_ = confirmation.id;
    connect(box, &QMessageBox::finished, this, [this, box, confirm] {
        alert_ = nullptr;
        box->deleteLater();
        FixActions& actions = environment_.fixActions;
        std::function<void()> action;
        if (box->clickedButton() == confirm && actions.confirmation())
            action = actions.confirmation()->action;
        actions.setConfirmation(std::nullopt);
        // The fix goes on after the alert has closed; the alert never waits for it.
        if (action)
            QMetaObject::invokeMethod(&actions, std::move(action), Qt::QueuedConnection);
        present();
    });
    openModal(box);
}

void RootView::showStuckAlert()
{
    const std::string& app = *environment_.fixActions.stuckAlert();
    auto* box = alertBox(
        this, QString::fromStdString(app.empty() ? std::string("This app") : app) + " won't quit. Restart your Mac to clear it.",
        QString());
    QPushButton* restart = box->addButton(QStringLiteral("Restart\u2026"), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("Not now"), QMessageBox::RejectRole);
    // "Restart…" only asks the restart question, so Return may press it.
    box->setDefaultButton(restart);
    alert_ = box;
    alertKind_ = AlertKind::stuckApp;
    shownStuckApp_ = app;
    connect(box, &QMessageBox::finished, this, [this, box, restart] {
        alert_ = nullptr;
        box->deleteLater();
        FixActions& actions = environment_.fixActions;
        actions.setStuckAlert(std::nullopt);
        if (box->clickedButton() == restart)
            actions.confirmRestart();
        present();
    });
    openModal(box);
}

void RootView::showBrowser()
{
    sheetBrowser_ = *environment_.router.browser();
    browserSheet_ = makeSheet(this, new BrowserPanel(sheetBrowser_, environment_));
    connect(browserSheet_, &QDialog::finished, this, [this] {
        browserSheet_->deleteLater();
        browserSheet_ = nullptr;
        environment_.router.setBrowser(std::nullopt);
        present();
    });
    openModal(browserSheet_);
}

bool RootView::onboardingWanted() const
{
    return !environment_.settings.onboarded() && environment_.monitor.windowVisible();
}

void RootView::showOnboarding()
{
    auto* onboarding = new Onboarding(environment_.startAtLogin);
    onboardingSheet_ = makeSheet(this, onboarding);
    connect(onboarding, &Onboarding::done, onboardingSheet_, &QDialog::accept);
    // However the sheet closes, the person has seen it.
    connect(onboardingSheet_, &QDialog::finished, this, [this] {
        onboardingSheet_->deleteLater();
        onboardingSheet_ = nullptr;
        environment_.settings.setOnboarded(true);
        present();
    });
    openModal(onboardingSheet_);
}

void RootView::placeToast()
{
    toast_->adjustSize();
    toast_->move((width() - toast_->width()) / 2, height() - toast_->height());
}

} // namespace corvane
