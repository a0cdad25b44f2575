#include "CorvaneApp/BrowserPanel.hpp"

#include "Core/OSAScriptRunner.hpp"
#include "Core/PSProcessSource.hpp"
#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/CheckBoxStyle.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ToolScreen.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "Platform/LinuxWorkspace.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>


namespace corvane {

namespace {

using BrowserPanelModel::Action;

BrowserPanelServices withDefaults(BrowserPanelServices services)
{
    if (!services.controller)
        services.controller = std::make_shared<BrowserController>(std::make_shared<OSAScriptRunner>());
    if (!services.installedApp)
        services.installedApp = [](const std::string& bundleIdentifier) {
            return LinuxWorkspace().urlForApplication(bundleIdentifier);
        };
    if (!services.processListing)
        services.processListing = [] { return PSProcessSource::argsListing(); };
    return services;
}

QLabel* wrapping(QLabel* label)
{
    label->setWordWrap(true);
    return label;
}

// A primary button whose title is also what assistive tools read.
QPushButton* actionButton(const QString& title, QWidget* parent)
{
    auto* button = primaryButton(title, parent);
    button->setAccessibleName(title);
    return button;
}

void setText(QPushButton* button, const std::optional<std::string>& title)
{
    button->setVisible(title.has_value());
    if (title) {
        button->setText(qs(*title));
        button->setAccessibleName(qs(*title));
    }
}

} // namespace

TabRowWidget::TabRowWidget(QWidget* parent)
    : QFrame(parent),
      check_(new QCheckBox(this)),
      title_(new ElidedLabel(this)),
      host_(new ElidedLabel(this)),
      active_(new Pill(BrowserPanelModel::activeText, {}, Theme::text2(), Theme::raised(), this))
{
    title_->setFont(Fonts::system(13));
    host_->setFont(Fonts::system(12));
    setForeground(host_, Theme::text3());
    host_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    host_->setMaximumWidth(260);
    check_->setAccessibleName(tr("Select tab"));
    CheckBoxStyle::apply(check_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 7);
    layout->setSpacing(10);
    layout->addWidget(check_);
    layout->addWidget(title_, 1);
    layout->addWidget(host_);
    layout->addWidget(active_);
    // Every row as tall as one with the "Active" pill, so the list keeps an even rhythm.
    const QMargins margins = layout->contentsMargins();
    setMinimumHeight(active_->sizeHint().height() + margins.top() + margins.bottom());
    connect(check_, &QCheckBox::toggled, this, &TabRowWidget::toggled);
}

void TabRowWidget::set(const BrowserPanelModel::TabRow& row)
{
    const QSignalBlocker quiet(check_);
    check_->setChecked(row.checked);
    check_->setEnabled(row.checkable);
    title_->setFullText(qs(row.text));
    host_->setFullText(qs(row.host));
    active_->setVisible(row.isActive);
}

void TabRowWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::card());
    painter.fillRect(QRect(0, height() - 1, width(), 1), Theme::line());
}

WindowSectionWidget::WindowSectionWidget(QWidget* parent)
    : QWidget(parent),
      symbol_(new SymbolLabel("macwindow", Theme::text(), 14, this)),
      name_(textLabel({}, Fonts::system(13, QFont::DemiBold), Theme::text(), this)),
      count_(textLabel({}, Fonts::system(13, QFont::DemiBold), Theme::text3(), this))
{
    auto* layout = bareColumn(this, 0);
    auto* head = new QHBoxLayout;
    head->setContentsMargins(0, 0, 0, 6);
    head->setSpacing(6);
    head->addWidget(symbol_, 0, Qt::AlignVCenter);
    head->addWidget(name_, 0, Qt::AlignVCenter);
    head->addWidget(count_, 0, Qt::AlignVCenter);
    head->addStretch();
    layout->addLayout(head);
    rows_.emplace(layout, 1);
}

void WindowSectionWidget::set(const BrowserPanelModel::WindowSection& section,
                              const std::function<void(const std::string&, bool)>& toggle)
{
    symbol_->setSymbol(qs(section.symbol));
    name_->setText(qs(section.name));
    count_->setText(qs(section.count));
    std::vector<std::string> keys;
    for (const auto& row : section.rows)
        keys.push_back(row.id);
    const auto rows = rows_->update(keys, [&](const std::string& id) {
        auto* row = new TabRowWidget(this);
        connect(row, &TabRowWidget::toggled, this, [toggle, id](bool on) { toggle(id, on); });
        return row;
    });
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i]->set(section.rows[i]);
}

BrowserPanel::BrowserPanel(ChromiumBrowser browser, ViewEnvironment& environment, QWidget* parent)
    : BrowserPanel(browser, environment, {}, parent)
{
}

BrowserPanel::BrowserPanel(ChromiumBrowser browser, ViewEnvironment& environment, BrowserPanelServices services,
                           QWidget* parent)
    : QWidget(parent), env_(environment), services_(withDefaults(std::move(services)))
{
    state_.browser = browser;
    build();
    setPhase(Phase::loading());
    // Nothing is sent to the browser before the user has read why the system will ask.
    if (env_.settings.automationPrimer(std::string(toString(browser))))
        load();
    else
        setPhase(Phase::primer());
}

BrowserPanel::~BrowserPanel() = default;

void BrowserPanel::build()
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Theme::window());
    colours.setColor(QPalette::WindowText, Theme::text());
    colours.setColor(QPalette::Text, Theme::text());
    setPalette(colours);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(sheetMargin, sheetMargin, sheetMargin, sheetMargin);
    layout->setSpacing(16);
    for (QWidget* page : {buildPrimer(), buildLoading(), buildMessage(), buildLoaded()})
        layout->addWidget(page);
    // The window list takes the height the loaded sheet has to spare.
    layout->setStretchFactor(loadedPage_, 1);
    layout->addStretch();

    // Escape closes the sheet like "Done" once the tabs are shown.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (state_.phase.kind == Phase::Case::loaded)
            dismiss();
    });
}

QWidget* BrowserPanel::buildPrimer()
{
    primerPage_ = new QWidget(this);
    auto* layout = bareColumn(primerPage_, 14);
    const auto view = BrowserPanelModel::primer(state_.browser);
    layout->addWidget(new SymbolLabel(BrowserPanelModel::primerSymbol, Theme::accentLight(), 28, primerPage_));
    layout->addWidget(textLabel(qs(view.title), Fonts::system(20, QFont::Bold), Theme::text(), primerPage_));
    layout->addWidget(wrapping(textLabel(qs(view.body), Fonts::system(14), Theme::text2(), primerPage_)));
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 6, 0, 0);
    buttons->setSpacing(10);
    for (const auto& descriptor : view.buttons) {
        auto* button = descriptor.primary ? primaryButton(qs(descriptor.title), primerPage_)
                                          : secondaryButton(qs(descriptor.title), primerPage_);
        connect(button, &QPushButton::clicked, this, [this, action = descriptor.action] { run(action); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    return primerPage_;
}

QWidget* BrowserPanel::buildLoading()
{
    loadingPage_ = new QWidget(this);
    loadingPage_->setMinimumHeight(200);
    auto* layout = bareColumn(loadingPage_, 12);
    auto* spinner = new BusyIndicator(loadingPage_);
    spinner->setFixedSize(160, 6);
    loadingLabel_ = textLabel(qs(BrowserPanelModel::loadingText(state_.browser)), Fonts::system(13), Theme::text2(),
                              loadingPage_);
    layout->addStretch();
    layout->addWidget(spinner, 0, Qt::AlignHCenter);
    layout->addWidget(loadingLabel_, 0, Qt::AlignHCenter);
    layout->addStretch();
    return loadingPage_;
}

QWidget* BrowserPanel::buildMessage()
{
    messagePage_ = new QWidget(this);
    auto* layout = bareColumn(messagePage_, 12);
    messageTitle_ = textLabel({}, Fonts::system(20, QFont::Bold), Theme::text(), messagePage_);
    messageBody_ = wrapping(textLabel({}, Fonts::system(14), Theme::text2(), messagePage_));
    messageBody_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    messageButtons_ = new QWidget(messagePage_);
    auto* buttons = new QHBoxLayout(messageButtons_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(10);
    buttons->addStretch();
    layout->addWidget(messageTitle_);
    layout->addWidget(messageBody_);
    layout->addWidget(messageButtons_);
    return messagePage_;
}

QWidget* BrowserPanel::buildLoaded()
{
    loadedPage_ = new QWidget(this);
    auto* layout = bareColumn(loadedPage_, 14);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    loadedTitle_ = textLabel({}, Fonts::system(22, QFont::Bold), Theme::text(), loadedPage_);
    extensions_ = textLabel({}, Fonts::system(13), Theme::text2(), loadedPage_);
    titles->addWidget(loadedTitle_);
    titles->addWidget(extensions_);
    header->addLayout(titles);
    header->addStretch();
    done_ = secondaryButton(tr("Done"), loadedPage_);
    connect(done_, &QPushButton::clicked, this, &BrowserPanel::dismiss);
    header->addWidget(done_, 0, Qt::AlignTop);
    layout->addLayout(header);

    auto* scroll = pageScroll(loadedPage_);
    auto* list = new QWidget(scroll);
    auto* listLayout = bareColumn(list, 14);
    listLayout->addStretch();
    sections_.emplace(listLayout, 0);
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);

    actionRow_ = new QWidget(loadedPage_);
    auto* lines = bareColumn(actionRow_, 10);
    auto* actions = new QHBoxLayout;
    actions->setSpacing(10);
    moreActions_ = new QHBoxLayout;
    moreActions_->addStretch();
    lines->addLayout(actions);
    lines->addLayout(moreActions_);
    firstActions_ = actions;
    noDuplicates_ = textLabel(BrowserPanelModel::noDuplicatesText, Fonts::system(12.5), Theme::text3(), actionRow_);
    closeDuplicates_ = actionButton({}, actionRow_);
    closeSelected_ = actionButton({}, actionRow_);
    merge_ = actionButton({}, actionRow_);
    memorySaver_ = secondaryButton(BrowserPanelModel::memorySaverTitle, actionRow_);
    memorySaver_->setIcon(SymbolIcons::icon(BrowserPanelModel::memorySaverSymbol, Theme::text()));
    memorySaver_->setIconSize(QSize(16, 14));  // as a fix button's: the symbol stands 6 from the title
    memorySaver_->setProperty("symbol", QString(BrowserPanelModel::memorySaverSymbol));
    for (QWidget* item : std::initializer_list<QWidget*>{noDuplicates_, closeDuplicates_, closeSelected_, merge_})
        actions->addWidget(item, 0, Qt::AlignVCenter);
    actions->addStretch();
    actions->addWidget(memorySaver_, 0, Qt::AlignVCenter);
    layout->addWidget(actionRow_);

    footnote_ = wrapping(textLabel({}, Fonts::system(12), Theme::text3(), loadedPage_));
    layout->addWidget(footnote_);

    connect(closeDuplicates_, &QPushButton::clicked, this, [this] {
        const auto view = BrowserPanelModel::loaded(state_);
        askClose(view.duplicates, BrowserPanelModel::closeDuplicatesTitle(view.duplicates.size()));
    });
    connect(closeSelected_, &QPushButton::clicked, this, [this] {
        const auto view = BrowserPanelModel::loaded(state_);
        askClose(view.picked, BrowserPanelModel::closeSelectedTitle(view.picked.size()));
    });
    connect(merge_, &QPushButton::clicked, this, [this] {
        const auto view = BrowserPanelModel::loaded(state_);
        if (view.plan)
            setConfirm(BrowserPanelModel::mergeConfirm(*view.plan, view.profileCount, state_.browser,
                                                       services_.controller));
    });
    connect(memorySaver_, &QPushButton::clicked, this, [this] {
        // Acts at once and changes nothing here; a failure is not worth telling.
        env_.executor.run(this, [controller = services_.controller, browser = state_.browser] {
            controller->openMemorySaver(browser);
        });
    });
    return loadedPage_;
}

void BrowserPanel::load(std::function<void()> finished)
{
    const auto generation = ++loadGeneration_;
    setPhase(Phase::loading());
    const ChromiumBrowser browser = state_.browser;

    auto readExtensions = [this, generation, browser, finished] {
        env_.executor.run(
            this,
            [installedApp = services_.installedApp, listing = services_.processListing,
             bundle = std::string(toString(browser))]() -> std::optional<TabCleanup::ExtensionUsage> {
                const auto app = installedApp(bundle);
                if (!app)
                    return std::nullopt;
                std::string text;
                try {
                    text = listing();
                } catch (...) {
                    // Without a listing there are no extension processes to count.
                }
                return TabCleanup::extensions(text, *app);
            },
            [this, generation, finished](auto result) {
                if (generation == loadGeneration_ && result && result.value()) {
                    state_.extensions = *result.value();
                    refresh();
                }
                if (finished)
                    finished();
            });
    };

    env_.executor.run(
        this, [controller = services_.controller, browser] { return controller->windows(browser); },
        [this, generation, readExtensions](auto result) {
            // A load started later has the newer word; this one's windows are dropped.
            if (generation == loadGeneration_) {
                if (result) {
                    state_.windows = std::move(result.value());
                    setPhase(Phase::loaded());
                } else {
                    setPhase(BrowserPanelModel::phaseFor(result.error()));
                }
            }
            readExtensions();
        });
}

void BrowserPanel::perform(const Confirm& confirm)
{
    state_.working = true;
    refresh();
    env_.executor.run(this, confirm.run, [this](auto result) {
        if (result) {
            state_.selected.clear();
            load([this] {
                state_.working = false;
                refresh();
            });
        } else {
            state_.working = false;
            setPhase(BrowserPanelModel::phaseFor(result.error()));
        }
    });
}

void BrowserPanel::askClose(const std::vector<BrowserTab>& tabs, const std::string& title)
{
    setConfirm(BrowserPanelModel::closeConfirm(tabs, title, state_.browser, services_.controller));
}

void BrowserPanel::dismiss()
{
    env_.router.setBrowser(std::nullopt);
}

QPushButton* BrowserPanel::button(const QString& title) const
{
    for (auto* candidate : findChildren<QPushButton*>())
        if (candidate->text() == title && candidate->isVisibleTo(this))
            return candidate;
    return nullptr;
}

void BrowserPanel::setPhase(Phase phase)
{
    state_.phase = std::move(phase);
    refresh();
}

void BrowserPanel::setConfirm(std::optional<Confirm> confirm)
{
    // One alert at a time; the list behind it cannot be pressed while it is up.
    if (alert_ || !confirm)
        return;
    state_.confirm = std::move(confirm);
    const Confirm pending = *state_.confirm;

    auto* box = alertBox(this, qs(pending.title), qs(pending.message));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* go = addConfirmation(box, qs(pending.button), true);
    connect(box, &QMessageBox::finished, this, [this, box, go, pending] {
        const bool confirmed = box->clickedButton() == go;
        state_.confirm.reset();
        alert_ = nullptr;
        if (confirmed)
            perform(pending);
    });
    alert_ = box;
    openModal(box);
}

void BrowserPanel::setSelected(const std::string& tabID, bool on)
{
    if (on)
        state_.selected.insert(tabID);
    else
        state_.selected.erase(tabID);
    refreshLoaded();
}

void BrowserPanel::run(Action action)
{
    switch (action) {
    case Action::notNow:
    case Action::close: dismiss(); break;
    case Action::proceed:
        env_.settings.setAutomationPrimer(std::string(toString(state_.browser)), true);
        load();
        break;
    // Through the dispatcher, so a pane that cannot open says so in the toast.
    case Action::openAutomation: env_.fixActions.openSettings(SettingsPane::automation); break;
    case Action::tryAgain: load(); break;
    }
}

void BrowserPanel::refresh()
{
    const auto kind = state_.phase.kind;
    primerPage_->setVisible(kind == Phase::Case::primer);
    loadingPage_->setVisible(kind == Phase::Case::loading);
    loadedPage_->setVisible(kind == Phase::Case::loaded);

    const auto message = BrowserPanelModel::message(state_.phase, state_.browser);
    messagePage_->setVisible(message.has_value());
    if (message) {
        messageTitle_->setText(qs(message->title));
        messageBody_->setText(qs(message->body));
    }
    if (message && message->buttons != shownButtons_) {
        shownButtons_ = message->buttons;
        for (auto* old : messageButtonWidgets_)
            old->deleteLater();
        messageButtonWidgets_.clear();
        auto* layout = static_cast<QHBoxLayout*>(messageButtons_->layout());
        int index = 0;
        for (const auto& descriptor : message->buttons) {
            auto* button = descriptor.primary ? primaryButton(qs(descriptor.title), messageButtons_)
                                              : secondaryButton(qs(descriptor.title), messageButtons_);
            connect(button, &QPushButton::clicked, this, [this, action = descriptor.action] { run(action); });
            layout->insertWidget(index++, button);
            button->show();
            messageButtonWidgets_.push_back(button);
        }
    }
    if (kind == Phase::Case::loaded)
        refreshLoaded();
    fitToPhase();
}

void BrowserPanel::refreshLoaded()
{
    const auto view = BrowserPanelModel::loaded(state_);
    loadedTitle_->setText(qs(view.title));
    extensions_->setVisible(view.extensionsLine.has_value());
    extensions_->setText(qs(view.extensionsLine.value_or("")));

    std::vector<std::string> keys;
    for (const auto& section : view.windows)
        keys.push_back(section.id);
    const auto sections = sections_->update(keys, [this](const std::string&) { return new WindowSectionWidget(this); });
    const auto toggle = [this](const std::string& tabID, bool on) { setSelected(tabID, on); };
    for (size_t i = 0; i < sections.size(); ++i)
        sections[i]->set(view.windows[i], toggle);

    actionRow_->setEnabled(view.actionsEnabled);
    noDuplicates_->setVisible(!view.duplicatesButton);
    setText(closeDuplicates_, view.duplicatesButton);
    setText(closeSelected_, view.closeSelectedButton);
    setText(merge_, view.mergeButton);
    placeMemorySaver();
    footnote_->setText(qs(view.footnote));
}

void BrowserPanel::placeMemorySaver()
{
    // The buttons stay in one row when they fit the sheet; with wide fonts "Memory
    // Saver settings" moves to a line of its own below them rather than cutting texts.
    ensurePolished();
    int needed = memorySaver_->sizeHint().width();
    for (QWidget* item : {static_cast<QWidget*>(noDuplicates_), static_cast<QWidget*>(closeDuplicates_),
                          static_cast<QWidget*>(closeSelected_), static_cast<QWidget*>(merge_)})
        if (!item->isHidden())
            needed += item->sizeHint().width() + firstActions_->spacing();
    QBoxLayout* line = needed <= sheetWidth - 2 * sheetMargin ? firstActions_ : moreActions_;
    if (line->indexOf(memorySaver_) < 0) {
        (line == firstActions_ ? moreActions_ : firstActions_)->removeWidget(memorySaver_);
        line->addWidget(memorySaver_, 0, Qt::AlignVCenter);
    }
}

void BrowserPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Fonts and style sheets are final only now; measure the content as it is drawn.
    fitToPhase();
}

void BrowserPanel::fitToPhase()
{
    if (state_.phase.kind == Phase::Case::loaded) {
        setFixedSize(sheetWidth, loadedHeight);
    } else {
        setFixedWidth(sheetWidth);
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        setFixedHeight(hasHeightForWidth() ? heightForWidth(sheetWidth) : sizeHint().height());
    }
    if (QWidget* sheet = window(); sheet != this)
        sheet->adjustSize();
}

} // namespace corvane
