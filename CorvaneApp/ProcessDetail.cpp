#include "CorvaneApp/ProcessDetail.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/FlowRow.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ToolScreen.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>
#include <utility>

namespace corvane {

namespace {

// Keeps `count` widgets in `pool`, made by `make` and appended to `layout` as needed;
// the ones beyond `count` are hidden for later ticks.
template <class W, class Layout, class Make>
void resizePool(std::vector<W*>& pool, std::size_t count, Layout* layout, int insertAt, Make make)
{
    while (pool.size() < count) {
        W* widget = make();
        layout->insertWidget(insertAt < 0 ? layout->count() : insertAt + static_cast<int>(pool.size()), widget);
        pool.push_back(widget);
    }
    for (std::size_t i = 0; i < pool.size(); ++i)
        pool[i]->setVisible(i < count);
}

} // namespace

// DetailProbes

DetailProbes DetailProbes::system()
{
    return {QDir::homePath(),
            [](const std::filesystem::path& home) { return SpotlightAdvisor::heavyFolders(home, heavyFolderMinimumBytes); },
            [] { return WindowReading{WindowCensus::live(), WindowCensus::displays()}; }};
}

// DetailLine

DetailLine::DetailLine(const QFont& font, const QFont& figureFont, const QColor& figureColour,
                       const std::vector<int>& figureWidths, QWidget* parent)
    : QWidget(parent),
      name_(new ElidedLabel(font, Theme::text(), this)),
      after_(new ElidedLabel(Fonts::mono(12), Theme::text3(), this))
{
    // As wide as the name where there is room, shortened where there is not.
    name_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(name_);
    row->addWidget(after_, 1);
    for (const int width : figureWidths) {
        auto* figure = textLabel({}, figureFont, figureColour, this);
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (width > 0)
            figure->setFixedWidth(width);
        row->addWidget(figure);
        figures_.push_back(figure);
    }
}

void DetailLine::set(const QString& name, const QString& after, const std::vector<QString>& figures)
{
    name_->setFullText(name);
    after_->setFullText(after);
    for (std::size_t i = 0; i < figures_.size() && i < figures.size(); ++i)
        figures_[i]->setText(figures[i]);
}

// SpotlightHelp

SpotlightHelp::SpotlightHelp(ViewEnvironment& environment, const DetailProbes& probes, QWidget* parent)
    : QWidget(parent),
      home_(probes.home),
      progress_(new BusyIndicator(this)),
      message_(textLabel(QStringLiteral("No big build or virtual machine folders found."), Fonts::system(13),
                         Theme::text2(), this)),
      hint_(wrappingLabel(textLabel(QStringLiteral("Add these folders under Spotlight Privacy so macOS stops indexing them."),
                               Fonts::system(12.5), Theme::text2(), this)))
{
    setMaximumWidth(640);
    auto* layout = bareColumn(this, 8);
    layout->addWidget(new SectionLabel(QStringLiteral("Folders that keep Spotlight busy"), this));
    progress_->setFixedSize(120, 6);
    layout->addWidget(progress_);
    layout->addWidget(message_);
    auto* lines = new QWidget(this);
    linesLayout_ = bareColumn(lines, 8);
    layout->addWidget(lines);
    lines->hide();
    layout->addWidget(hint_);
    message_->hide();
    hint_->hide();

    // The scan walks whole trees: it runs on a worker and finishes even when this section
    // is gone, in which case its result is dropped.
    environment.executor.run(
        this, [scan = probes.heavyFolders, folder = std::filesystem::path(home_.toStdString())] { return scan(folder); },
        [this](auto result) { setFolders(result.ok() ? std::move(result.value()) : std::vector<HeavyFolder>{}); });
}

bool SpotlightHelp::scanning() const
{
    return !folders_.has_value();
}

void SpotlightHelp::setFolders(std::vector<HeavyFolder> folders)
{
    const auto shown = folderLines(folders, home_.toStdString());
    folders_ = std::move(folders);
    progress_->hide();
    message_->setVisible(shown.empty());
    hint_->setVisible(!shown.empty());
    resizePool(lines_, shown.size(), linesLayout_, -1, [this] {
        return new DetailLine(Fonts::system(13), Fonts::system(13), Theme::text(), {0}, this);
    });
    for (std::size_t i = 0; i < shown.size(); ++i)
        lines_[i]->set(qs(shown[i].label), qs(shown[i].shownPath), {qs(shown[i].size)});
    linesLayout_->parentWidget()->setVisible(!shown.empty());
}

// WindowServerHelp

WindowServerHelp::WindowServerHelp(ViewEnvironment& environment, const DetailProbes& probes, QWidget* parent)
    : QWidget(parent),
      env_(environment),
      displays_(textLabel({}, Fonts::system(13), Theme::text2(), this)),
      accessibility_(new FixButton(FixID::openAccessibilityDisplay, std::nullopt, false, env_.fixActions, this)),
      displaySettings_(new FixButton(FixID::openDisplaySettings, std::nullopt, false, env_.fixActions, this)),
      topFix_(new FixButton(FixID::quitApp, std::nullopt, false, env_.fixActions, this))
{
    setMaximumWidth(560);
    auto* layout = bareColumn(this, 8);
    layout->addWidget(new SectionLabel(QStringLiteral("Windows open right now"), this));
    auto* lines = new QWidget(this);
    linesLayout_ = bareColumn(lines, 8);
    layout->addWidget(lines);
    lines->hide();
    layout->addWidget(displays_);
    displays_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(accessibility_);
    buttons->addWidget(displaySettings_);
    buttons->addWidget(topFix_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    topFix_->hide();

    connect(&env_.monitor, &Monitor::groupsChanged, this, &WindowServerHelp::refreshTopGroup);
    // Read once per showing; a failed read counts no windows and no displays.
    env_.executor.run(this, probes.windows, [this](auto result) {
        if (result.ok())
            setCensus(std::move(result.value().census), result.value().displays);
        else
            setCensus({}, DisplayInfo{});
    });
}

std::vector<FixButton*> WindowServerHelp::buttons() const
{
    std::vector<FixButton*> shown{accessibility_, displaySettings_};
    if (!topFix_->isHidden())
        shown.push_back(topFix_);
    return shown;
}

void WindowServerHelp::setCensus(std::vector<WindowCount> census, DisplayInfo displays)
{
    census_ = std::move(census);
    const auto shown = windowLines(census_);
    resizePool(lines_, shown.size(), linesLayout_, -1, [this] {
        return new DetailLine(Fonts::system(13), Fonts::system(13), Theme::text2(), {0}, this);
    });
    for (std::size_t i = 0; i < shown.size(); ++i)
        lines_[i]->set(qs(shown[i].ownerName), {}, {qs(shown[i].count)});
    linesLayout_->parentWidget()->setVisible(!shown.empty());
    displays_->setText(qs(displaysLine(displays)));
    displays_->show();
    refreshTopGroup();
}

void WindowServerHelp::refreshTopGroup()
{
    const auto group = topWindowGroup(census_, env_.monitor.groups());
    const auto fix = group ? topWindowFix(*group) : std::nullopt;
    if (fix)
        topFix_->setFix(*fix, group);
    topFix_->setVisible(fix.has_value());
}

// ProcessDetail

ProcessDetail::ProcessDetail(const ProcessGroup& group, ViewEnvironment& environment, DetailProbes probes,
                             QWidget* parent)
    : QWidget(parent),
      env_(environment),
      probes_(std::move(probes)),
      group_(group),
      content_(new QWidget(this)),
      summary_(wrappingLabel(textLabel({}, Fonts::system(14), Theme::text(), content_))),
      why_(new QWidget(content_)),
      whyText_(wrappingLabel(textLabel({}, Fonts::system(13.5), Theme::text2(), why_))),
      helpers_(new QWidget(content_)),
      helpersTitle_(new SectionLabel({}, helpers_)),
      actions_(new QWidget(content_)),
      guide_(secondaryButton(QStringLiteral("Read the full guide"), actions_))
{
    auto* outer = bareColumn(this, 0);
    outer->addWidget(content_);
    sections_ = bareColumn(content_, 14);
    sections_->addWidget(summary_);

    auto* why = bareColumn(why_, 4);
    why->addWidget(new SectionLabel(QStringLiteral("Why it gets busy"), why_));
    why->addWidget(whyText_);
    sections_->addWidget(why_);

    helpers_->setMaximumWidth(560);
    auto* helpers = bareColumn(helpers_, 6);
    helpers->addWidget(helpersTitle_);
    sections_->addWidget(helpers_);

    // On a narrow window the buttons that no longer fit beside the others go below them.
    auto* actions = new FlowRow(actions_, 10);
    guide_->setIcon(SymbolIcons::icon(QStringLiteral("arrow.up.right"), Theme::text()));
    guide_->setProperty("symbol", QStringLiteral("arrow.up.right"));
    applyTrailingIcon(guide_);
    actions->addWidget(guide_);
    sections_->addWidget(actions_);

    connect(guide_, &QPushButton::clicked, this, [this] {
        if (model_ && model_->guideAddress)
            env_.fixActions.openGuide(*model_->guideAddress);
    });
    connect(&env_.monitor, &Monitor::explanationsChanged, this, &ProcessDetail::refresh);
    connect(&env_.monitor, &Monitor::spotlightBusySinceChanged, this, &ProcessDetail::refresh);
    refresh();
}

void ProcessDetail::setGroup(const ProcessGroup& group)
{
    group_ = group;
    // Redrawn on every tick, also for the time the index rebuild waits on.
    refresh();
}

std::vector<FixButton*> ProcessDetail::fixButtons() const
{
    std::vector<FixButton*> shown;
    for (auto* button : fixes_) {
        if (!button->isHidden())
            shown.push_back(button);
    }
    return shown;
}

void ProcessDetail::refresh()
{
    const Monitor& monitor = env_.monitor;
    model_ = processDetail(group_, monitor.explanation(group_), monitor.spotlightBusySince(), env_.clock.now());
    content_->setVisible(model_.has_value());
    if (!model_)
        return;

    summary_->setText(qs(model_->summary));
    why_->setVisible(model_->whyHigh.has_value());
    whyText_->setText(model_->whyHigh ? qs(*model_->whyHigh) : QString());

    helpers_->setVisible(model_->helpers);
    if (model_->helpers) {
        helpersTitle_->setCaption(qs(helpersTitle(group_)));
        const auto lines = helperLines(group_);
        resizePool(helperLines_, lines.size(), static_cast<QBoxLayout*>(helpers_->layout()), -1, [this] {
            auto* line = new DetailLine(Fonts::mono(12.5), Fonts::system(12.5), Theme::text2(), {60, 80}, helpers_);
            setForeground(line->name(), Theme::text2());
            return line;
        });
        for (std::size_t i = 0; i < lines.size(); ++i)
            helperLines_[i]->set(qs(lines[i].name), {}, {qs(lines[i].cpu), qs(lines[i].memory)});
    }

    // The advice sections scan once, so they are made on first need and kept.
    if (model_->spotlight && !spotlight_) {
        spotlight_ = new SpotlightHelp(env_, probes_, content_);
        sections_->insertWidget(sections_->indexOf(actions_), spotlight_);
    }
    if (spotlight_)
        spotlight_->setVisible(model_->spotlight);
    if (model_->windowServer && !windowServer_) {
        windowServer_ = new WindowServerHelp(env_, probes_, content_);
        sections_->insertWidget(sections_->indexOf(actions_), windowServer_);
    }
    if (windowServer_)
        windowServer_->setVisible(model_->windowServer);

    actions_->setVisible(model_->actionRow);
    auto* actions = static_cast<FlowRow*>(actions_->layout());
    resizePool(fixes_, model_->fixes.size(), actions, 0, [this] {
        return new FixButton(FixID::explain, std::nullopt, false, env_.fixActions, actions_);
    });
    for (std::size_t i = 0; i < model_->fixes.size(); ++i)
        fixes_[i]->setFix(model_->fixes[i], group_);
    guide_->setVisible(model_->guideAddress.has_value());
}

} // namespace corvane
