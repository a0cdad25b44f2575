#include "CorvaneApp/SettingsView.hpp"

#include "CorvaneApp/CheckBoxStyle.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace corvane {

namespace {

QLabel* note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(Fonts::system(11));
    // The secondary foreground of the form: its text colour, dimmed.
    QPalette palette = label->palette();
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.55);
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QGroupBox* section(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setSpacing(8);
    return box;
}

} // namespace

SettingsView::SettingsView(AppUpdater& updater, ViewEnvironment& environment, QWidget* parent,
                           HistoryClearer clearHistory)
    : QWidget(parent),
      updater_(updater),
      environment_(environment),
      clearHistory_(std::move(clearHistory)),
      startAtLogin_(new QCheckBox(QStringLiteral("Start at login"), this)),
      showMenuBar_(new QCheckBox(QStringLiteral("Show status in the menu bar"), this)),
      keepHistory_(new QCheckBox(QStringLiteral("Keep usage history"), this)),
      clear_(new QPushButton(this)),
      clearFailed_(new QLabel(QString::fromLatin1(clearFailedText), this))
{
    if (!clearHistory_)
        clearHistory_ = [&monitor = environment_.monitor] { monitor.usageStore().clear(); };

    setFixedWidth(460);
    setFont(Fonts::system(13));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);

    auto* general = section(QStringLiteral("General"), this);
    general->layout()->addWidget(startAtLogin_);
    general->layout()->addWidget(note(QStringLiteral("macOS will show a \"Background Items Added\" notice. That's "
                                                     "Corvane, and you can turn it off here anytime."),
                                      general));
    general->layout()->addWidget(showMenuBar_);
    if (updater_.configured()) {
        automaticUpdates_ = new QCheckBox(QStringLiteral("Check for updates automatically"), general);
        automaticUpdates_->setChecked(updater_.automaticallyChecksForUpdates());
        general->layout()->addWidget(automaticUpdates_);
        connect(automaticUpdates_, &QCheckBox::toggled, this,
                [this](bool on) { updater_.setAutomaticallyChecksForUpdates(on); });
    }
    column->addWidget(general);

    auto* history = section(QStringLiteral("Usage history"), this);
    history->layout()->addWidget(keepHistory_);
    history->layout()->addWidget(
        note(QStringLiteral("One line a minute, kept for 30 days on this Mac. Used for upgrade advice."), history));
    history->layout()->addWidget(clear_);
    history->layout()->setAlignment(clear_, Qt::AlignLeft);
    clearFailed_->setTextFormat(Qt::PlainText);
    clearFailed_->setFont(Fonts::system(11));
    QPalette failed = clearFailed_->palette();
    failed.setColor(QPalette::WindowText, QColor(248, 113, 113));
    clearFailed_->setPalette(failed);
    clearFailed_->hide();
    history->layout()->addWidget(clearFailed_);
    column->addWidget(history);
    column->addStretch(1);

    for (QCheckBox* box : findChildren<QCheckBox*>())
        CheckBoxStyle::apply(box);
    environment_.startAtLogin.showIn(startAtLogin_);
    refresh();

    connect(startAtLogin_, &QCheckBox::toggled, this, &SettingsView::setStartAtLogin);
    connect(showMenuBar_, &QCheckBox::toggled, this, [this](bool on) { environment_.settings.setShowMenuBar(on); });
    connect(keepHistory_, &QCheckBox::toggled, this, [this](bool on) { environment_.monitor.setKeepHistory(on); });
    connect(clear_, &QPushButton::clicked, this, &SettingsView::askClear);
    connect(&environment_.settings, &AppSettings::showMenuBarChanged, this, &SettingsView::refresh);
    connect(&environment_.monitor, &Monitor::keepHistoryChanged, this, &SettingsView::refresh);
}

SettingsView::~SettingsView() = default;

void SettingsView::refresh()
{
    const QSignalBlocker menuBar(showMenuBar_);
    showMenuBar_->setChecked(environment_.settings.showMenuBar());
    const QSignalBlocker keep(keepHistory_);
    keepHistory_->setChecked(environment_.monitor.keepHistory());
    clear_->setText(cleared_ ? QStringLiteral("History cleared") : QStringLiteral("Clear usage history\u2026"));
    clear_->setEnabled(!cleared_);
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The login item may have been switched outside the app while this window was closed.
    environment_.startAtLogin.reload();
}

void SettingsView::setStartAtLogin(bool on)
{
    StartAtLogin& setting = environment_.startAtLogin;
    if (setting.set(on))
        return;
    // Show what the system really has; that change runs this step once more, as it does
    // in the tray popover, so the entry on disk matches the box.
    startAtLogin_->setChecked(setting.on());
}

void SettingsView::askClear()
{
    if (confirmation_)
        return;
    auto* box = alertBox(this, QStringLiteral("Clear usage history?"),
                         QStringLiteral("This deletes the CPU and memory history Corvane has recorded. "
                                        "Your upgrade advice starts over."));
    QPushButton* confirm = addConfirmation(box, QStringLiteral("Clear History"), true);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, confirm](QAbstractButton* button) {
        if (button == confirm)
            clearHistory();
    });
    confirmation_ = box;
    openModal(box);
}

void SettingsView::clearHistory()
{
    try {
        clearHistory_();
    } catch (const std::exception&) {
        // Some history is still on disk: say so and let the user try again.
        clearFailed_->show();
        return;
    }
    clearFailed_->hide();
    cleared_ = true;
    refresh();
}

} // namespace corvane
