#include "CorvaneApp/UsageView.hpp"

#include "Core/UsageBuckets.hpp"
#include "CorvaneApp/ColorRole.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/ScreenHeader.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ToolScreen.hpp"
#include "CorvaneApp/UsageCharts.hpp"
#include "CorvaneApp/UsageModel.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "Platform/AppleHardware.hpp"
#include "Platform/HardwareInfo.hpp"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <chrono>

namespace corvane {
namespace {

Date hoursBefore(Date now, int hours)
{
    return now - std::chrono::hours(hours);
}

// A segmented control's look for a row of checkable buttons.
QString segmentStyle()
{
    return QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3; padding: 4px 0;"
                          " font-size: 12px; }"
                          "QPushButton:checked { color: %4; background: %5; }"
                          "QPushButton#range-24 { border-top-left-radius: 6px; border-bottom-left-radius: 6px; }"
                          "QPushButton#range-720 { border-top-right-radius: 6px; border-bottom-right-radius: 6px; }")
               .arg(Theme::css(Theme::text2()), Theme::css(Theme::card()), Theme::css(Theme::line()),
                    Theme::css(Theme::text()), Theme::css(Theme::raised()))
        + focusRingRule(5, 1, Theme::accentLight());
}

// A card of a row whose cards share its width equally, whatever their contents would
// rather have; their contents wrap to fit.
Card* sharingWidth(Card* card)
{
    card->setSizePolicy(QSizePolicy::Ignored, card->sizePolicy().verticalPolicy());
    return card;
}

// The text with each size ("23.54 GB") kept whole where a narrow card wraps it.
QString unbrokenSizes(QString text)
{
    static const QRegularExpression figureAndUnit(QStringLiteral("(\\d) "));
    return text.replace(figureAndUnit, QStringLiteral("\\1") + QChar(QChar::Nbsp));
}

} // namespace

// A filled circle 7 across in a legend item's colour.
class UsageView::LegendDot : public QWidget {
public:
    explicit LegendDot(QWidget* parent) : QWidget(parent) { setFixedSize(7, 7); }

    void setColour(const QColor& colour)
    {
        if (colour == colour_)
            return;
        colour_ = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour_);
        painter.drawEllipse(rect());
    }

private:
    QColor colour_;
};

// One verdict line: its symbol in a narrow column, the wrapping text, and a fix beside
// it when the line offers one.
class UsageView::VerdictLineView : public QWidget {
public:
    VerdictLineView(FixActions& actions, QWidget* parent) : QWidget(parent), actions_(actions)
    {
        auto* row = tightRow(this, 10);
        icon_ = new SymbolLabel(QStringLiteral("hourglass"), Theme::text2(), 17, this);
        icon_->setFixedWidth(20);
        icon_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        text_ = textLabel({}, Fonts::system(14.5), Theme::text(), this);
        text_->setWordWrap(true);
        text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        row->addWidget(icon_, 0, Qt::AlignTop);
        row->addWidget(text_, 1);
    }

    void set(const UsageModel::VerdictLine& line)
    {
        icon_->setSymbol(qs(line.symbol));
        icon_->setColour(themeColor(line.color));
        text_->setText(qs(line.text));
        if (line.fix && !fix_) {
            fix_ = new FixButton(*line.fix, std::nullopt, false, actions_, this);
            static_cast<QHBoxLayout*>(layout())->addWidget(fix_, 0, Qt::AlignTop);
        }
        if (fix_) {
            if (line.fix)
                fix_->setFix(*line.fix, std::nullopt);
            fix_->setVisible(line.fix.has_value());
        }
    }

private:
    FixActions& actions_;
    SymbolLabel* icon_;
    QLabel* text_;
    FixButton* fix_ = nullptr;
};

UsageProbes UsageProbes::system()
{
    return UsageProbes{
        [](const UsageStore& store, Date since, Date now) { return store.load(since, now); },
        [] { return HardwareInfo::physicalMemory(); },
        [] { return AppleHardware::isIntelMac(); },
    };
}

UsageView::UsageView(ViewEnvironment& environment, QWidget* parent)
    : UsageView(environment, UsageProbes::system(), parent)
{
}

UsageView::UsageView(ViewEnvironment& environment, UsageProbes probes, QWidget* parent)
    : QWidget(parent), env_(environment), probes_(std::move(probes)), range_(UsageModel::defaultRange)
{
    auto* column = scrollColumn(this);
    column->addWidget(new ScreenHeader(UsageModel::title, UsageModel::subtitle));

    // The machine's description.
    auto* mac = new QWidget;
    auto* macRow = tightRow(mac, 12);
    macRow->addWidget(new SymbolLabel(QStringLiteral("laptopcomputer"), Theme::accentLight(), 26, mac));
    macBusy_ = new BusyIndicator(mac);
    macLine_ = textLabel({}, Fonts::system(15, QFont::DemiBold), Theme::text(), mac);
    macLine_->setWordWrap(true);
    macRow->addWidget(macBusy_, 0, Qt::AlignVCenter);
    macRow->addWidget(macLine_, 1, Qt::AlignVCenter);
    // Keeps the icon and the busy indicator together while there is no line yet.
    macRow->addStretch(0);
    column->addWidget(mac);

    // The verdict.
    auto* verdict = new Card;
    verdict->contentLayout()->setSpacing(12);
    verdict->contentLayout()->addWidget(
        textLabel(QStringLiteral("Do you need a new Mac?"), Fonts::system(20, QFont::Bold), Theme::text()));
    verdictLines_ = new QVBoxLayout;
    verdictLines_->setSpacing(12);
    verdict->contentLayout()->addLayout(verdictLines_);
    footnote_ = textLabel({}, Fonts::system(12), Theme::text3());
    footnote_->setWordWrap(true);
    verdict->contentLayout()->addWidget(footnote_);
    column->addWidget(verdict);

    // Live CPU and memory.
    auto* cpu = new Card;
    cpu->contentLayout()->setSpacing(10);
    cpu->contentLayout()->addWidget(new SectionLabel(QStringLiteral("CPU load, last 10 minutes")));
    cpuFigure_ = textLabel({}, Fonts::system(26, QFont::Bold), Theme::text());
    cpuChart_ = new CPUChart;
    cpuChart_->setFixedHeight(140);
    cpu->contentLayout()->addWidget(cpuFigure_);
    cpu->contentLayout()->addWidget(cpuChart_);
    cpu->contentLayout()->addStretch(1);

    auto* memory = new Card;
    memory->contentLayout()->setSpacing(10);
    memory->contentLayout()->addWidget(new SectionLabel(QStringLiteral("Memory right now")));
    memoryBusy_ = new BusyIndicator;
    memory->contentLayout()->addWidget(memoryBusy_);
    memoryDetails_ = new QWidget;
    auto* details = new QVBoxLayout(memoryDetails_);
    details->setContentsMargins(0, 0, 0, 0);
    details->setSpacing(10);
    memoryHeadline_ = textLabel({}, Fonts::system(26, QFont::Bold), Theme::text());
    memoryHeadline_->setWordWrap(true);  // long figures in a card as narrow as the CPU card
    memoryBar_ = new MemoryBar;
    details->addWidget(memoryHeadline_);
    details->addWidget(memoryBar_);
    auto* legend = new QGridLayout;
    legend->setHorizontalSpacing(12);
    legend->setVerticalSpacing(6);
    for (int i = 0; i < 5; ++i) {
        auto* item = new QWidget;
        auto* itemRow = tightRow(item, 5);
        legendDots_[i] = new LegendDot(item);
        legend_[i] = textLabel({}, Fonts::system(11.5), Theme::text2(), item);
        legend_[i]->setWordWrap(true);
        itemRow->addWidget(legendDots_[i]);
        itemRow->addWidget(legend_[i], 1);
        legend->addWidget(item, i / 3, i % 3);
    }
    details->addLayout(legend);
    auto* pressure = new QHBoxLayout;
    pressure->setSpacing(0);
    pressure->addWidget(textLabel(QStringLiteral("Pressure: "), Fonts::system(13), Theme::text2()));
    pressureWord_ = textLabel({}, Fonts::system(13), Theme::text());
    swap_ = textLabel({}, Fonts::system(13), Theme::text2());
    pressure->addWidget(pressureWord_);
    pressure->addStretch(1);
    pressure->addWidget(swap_);
    details->addLayout(pressure);
    memory->contentLayout()->addWidget(memoryDetails_);
    memory->contentLayout()->addStretch(1);

    auto* live = new QHBoxLayout;
    live->setSpacing(16);
    // Side by side at one height and width, the shorter card's content at its top.
    for (Card* card : {cpu, memory})
        live->addWidget(sharingWidth(card), 1);
    column->addLayout(live);

    // History.
    auto* historyHead = new QHBoxLayout;
    historyHead->addWidget(textLabel(QStringLiteral("History"), Fonts::system(17, QFont::Bold), Theme::text()));
    historyHead->addStretch(1);
    auto* picker = new QWidget;
    picker->setAccessibleName(QStringLiteral("Range"));
    picker->setFixedWidth(280);
    picker->setStyleSheet(segmentStyle());
    auto* pickerRow = tightRow(picker, 0);
    rangeButtons_ = new QButtonGroup(this);
    for (const auto& option : UsageModel::ranges) {
        auto* button = new QPushButton(QString::fromUtf8(option.label), picker);
        button->setObjectName(QStringLiteral("range-%1").arg(option.hours));
        button->setCheckable(true);
        showKeyboardFocus(button);
        button->setChecked(option.hours == range_);
        rangeButtons_->addButton(button, option.hours);
        pickerRow->addWidget(button);
    }
    connect(rangeButtons_, &QButtonGroup::idClicked, this, &UsageView::setRange);
    historyHead->addWidget(picker);
    auto* historyColumn = new QVBoxLayout;
    historyColumn->setSpacing(12);
    historyColumn->addLayout(historyHead);

    history_ = new QStackedWidget;
    historyText_ = textLabel({}, Fonts::system(13.5), Theme::text2());
    historyText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* chartsRow = new QWidget;
    auto* charts = tightRow(chartsRow, 16);
    // Equal widths whatever their captions; a caption too long for its card wraps, and the
    // cards keep one height with their charts along one line.
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        auto* card = new Card;
        card->contentLayout()->setSpacing(8);
        captions_[i] = new SectionLabel(QString());
        captions_[i]->setWordWrap(true);
        charts_[i] = new HistoryChartView;
        charts_[i]->setFixedHeight(120);
        card->contentLayout()->addWidget(captions_[i]);
        card->contentLayout()->addStretch(1);
        card->contentLayout()->addWidget(charts_[i]);
        charts->addWidget(sharingWidth(card), 1);
    }
    history_->addWidget(historyText_);
    history_->addWidget(chartsRow);
    historyColumn->addWidget(history_);
    column->addLayout(historyColumn);
    column->addStretch(1);

    Monitor& monitor = env_.monitor;
    for (auto changed : {&Monitor::signalsChanged, &Monitor::memoryChanged, &Monitor::cpuHistoryChanged,
                         &Monitor::macChanged, &Monitor::keepHistoryChanged})
        connect(&monitor, changed, this, &UsageView::refresh);

    // The facts that never change while the app runs: read once, off the GUI thread.
    env_.executor.run(
        this, [memory = probes_.physicalMemory, intel = probes_.isIntelMac] { return std::make_pair(memory(), intel()); },
        [this](WorkResult<std::pair<int64_t, bool>> facts) {
            if (!facts)
                return;
            physicalMemory_ = facts.value().first;
            appleIntelHardware_ = facts.value().second;
            refreshVerdict();
        });
    refresh();
}

UsageView::~UsageView()
{
    env_.scheduler.cancel(reloadToken_);
}

void UsageView::setRange(int hours)
{
    if (auto* button = rangeButtons_->button(hours))
        button->setChecked(true);
    if (hours == range_)
        return;
    range_ = hours;
    // The old records are shown in the new bucket size until the new range's read ends.
    refreshHistory();
    env_.scheduler.cancel(reloadToken_);
    reloadToken_ = 0;
    if (shown_)
        load();
}

void UsageView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    load();
}

void UsageView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    shown_ = false;
    env_.scheduler.cancel(reloadToken_);
    reloadToken_ = 0;
}

void UsageView::load()
{
    const std::uint64_t number = ++loadsStarted_;
    const int range = range_;
    const Date now = env_.clock.now();
    auto read = [load = probes_.load, store = env_.monitor.usageStore(), now, since = hoursBefore(now, range),
                 weekSince = hoursBefore(now, UsageModel::weekHours)] {
        auto records = load(store, since, now);
        return std::make_pair(std::move(records), load(store, weekSince, now));
    };
    env_.executor.run(this, std::move(read), [this, number, range](WorkResult<Lists> result) {
        loaded(number, range, result ? std::optional<Lists>(std::move(result.value())) : std::nullopt);
    });
}

void UsageView::loaded(std::uint64_t number, int range, std::optional<Lists> lists)
{
    // A read that a newer one has overtaken, or one for a range no longer chosen, would
    // put stale bars on screen: only the newest applicable read is shown. A read that
    // failed leaves the last good one on screen.
    if (lists && number > loadApplied_ && range == range_) {
        loadApplied_ = number;
        records_ = std::move(lists->first);
        weekRecords_ = std::move(lists->second);
        refresh();
    }
    // The next read follows the newest one, 60 seconds after it ends.
    if (number == loadsStarted_ && shown_) {
        env_.scheduler.cancel(reloadToken_);
        reloadToken_ = env_.scheduler.schedule(UsageModel::reloadSeconds, this, [this] {
            reloadToken_ = 0;
            if (shown_)
                load();
        });
    }
}

void UsageView::refresh()
{
    refreshMac();
    refreshVerdict();
    refreshLive();
    refreshHistory();
}

void UsageView::refreshMac()
{
    const auto& mac = env_.monitor.mac();
    macBusy_->setVisible(!mac);
    macLine_->setVisible(mac.has_value());
    if (mac)
        macLine_->setText(qs(UsageModel::macLine(*mac, env_.monitor.signals())));
}

void UsageView::refreshVerdict()
{
    const auto& monitor = env_.monitor;
    const auto verdict = UsageModel::verdict(weekRecords_, monitor.mac(), physicalMemory_, monitor.signals());
    const auto card = UsageModel::verdictCard(verdict, UsageModel::isIntelMac(monitor.mac(), appleIntelHardware_));
    // Lines are kept by position; surplus ones are hidden, not rebuilt.
    while (verdictViews_.size() < card.lines.size()) {
        verdictViews_.push_back(new VerdictLineView(env_.fixActions, this));
        verdictLines_->addWidget(verdictViews_.back());
    }
    for (std::size_t i = 0; i < verdictViews_.size(); ++i) {
        verdictViews_[i]->setVisible(i < card.lines.size());
        if (i < card.lines.size())
            verdictViews_[i]->set(card.lines[i]);
    }
    footnote_->setText(qs(card.footnote));
}

void UsageView::refreshLive()
{
    const auto& monitor = env_.monitor;
    const auto& signals = monitor.signals();
    cpuFigure_->setText(qs(UsageModel::cpuHeadline(signals)));
    cpuChart_->setHistory(monitor.cpuHistory());
    cpuChart_->setAccessibleName(qs(UsageModel::cpuAccessibility(signals)));

    const auto& memory = monitor.memory();
    memoryBusy_->setVisible(!memory);
    memoryDetails_->setVisible(memory.has_value());
    if (!memory)
        return;
    const std::string headline = UsageModel::memoryHeadline(*memory);
    memoryHeadline_->setText(unbrokenSizes(qs(headline)));
    const auto segments = UsageModel::memorySegments(*memory);
    memoryBar_->setSegments(segments);
    memoryBar_->setAccessibleName(qs("Memory used " + headline));
    for (std::size_t i = 0; i < segments.size(); ++i) {
        legend_[i]->setText(unbrokenSizes(qs(segments[i].legend)));
        legendDots_[i]->setColour(themeColor(segments[i].color));
    }
    const auto pressure = UsageModel::pressureLine(signals);
    pressureWord_->setText(qs(pressure.word));
    setForeground(pressureWord_, themeColor(pressure.color));
    swap_->setText(qs(pressure.swap));
}

void UsageView::refreshHistory()
{
    const auto buckets = UsageBuckets::bucket(records_, UsageModel::bucketMinutes(range_));
    const auto phase = UsageModel::historyPhase(env_.monitor.keepHistory(), buckets);
    if (phase != UsageModel::HistoryPhase::charts) {
        historyText_->setText(QString::fromUtf8(phase == UsageModel::HistoryPhase::off ? UsageModel::historyOffText
                                                                                       : UsageModel::historyEmptyText));
        history_->setCurrentIndex(0);
        return;
    }
    const auto charts = UsageModel::historyCharts(buckets);
    for (std::size_t i = 0; i < charts.size(); ++i) {
        charts_[i]->setData(charts[i], buckets, range_);
        captions_[i]->setCaption(qs(charts[i].title));
    }
    history_->setCurrentIndex(1);
}

} // namespace corvane
