#include "CorvaneApp/InternetView.hpp"

#include "Core/LinkReader.hpp"
#include "Core/NetTop.hpp"
#include "Core/SpeedTest.hpp"
#include "CorvaneApp/ColorRole.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/ScreenHeader.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ToolScreen.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {
// One finding: its kind's symbol, headline over detail, and its fix when it has one.
class InternetView::FindingRowView : public QWidget {
public:
    FindingRowView(FixActions& actions, QWidget* parent) : QWidget(parent), actions_(actions)
    {
        auto* row = tightRow(this, 10);
        icon_ = new SymbolLabel(QStringLiteral("gearshape"), Theme::amber(), 18, this);
        icon_->setFixedWidth(22);
        icon_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        headline_ = textLabel({}, Fonts::system(15, QFont::DemiBold), Theme::text(), this);
        detail_ = textLabel({}, Fonts::system(13), Theme::text2(), this);
        headline_->setWordWrap(true);
        detail_->setWordWrap(true);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(3);
        texts->addWidget(headline_);
        texts->addWidget(detail_);
        row->addWidget(icon_, 0, Qt::AlignTop);
        row->addLayout(texts, 1);
    }

    void set(const InternetModel::FindingRow& finding)
    {
        icon_->setSymbol(qs(symbol(finding.kind)));
        icon_->setColour(themeColor(finding.color));
        headline_->setText(qs(finding.headline));
        detail_->setText(qs(finding.detail));
        if (finding.fix && !fix_) {
            fix_ = new FixButton(*finding.fix, std::nullopt, false, actions_, this);
            static_cast<QHBoxLayout*>(layout())->addWidget(fix_, 0, Qt::AlignTop);
        }
        if (fix_) {
            if (finding.fix)
                fix_->setFix(*finding.fix, std::nullopt);
            fix_->setVisible(finding.fix.has_value());
        }
    }

private:
    FixActions& actions_;
    SymbolLabel* icon_;
    QLabel* headline_;
    QLabel* detail_;
    FixButton* fix_ = nullptr;
};

// A label at the leading edge and its value at the trailing edge.
class InternetView::ValueRowView : public QWidget {
public:
    explicit ValueRowView(QWidget* parent) : QWidget(parent)
    {
        auto* row = tightRow(this, 8);
        label_ = textLabel({}, Fonts::system(13.5), Theme::text2(), this);
        value_ = textLabel({}, Fonts::system(13.5), Theme::text(), this);
        // A long value wraps at the trailing edge rather than widening its card.
        value_->setWordWrap(true);
        value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(label_, 0, Qt::AlignTop);
        row->addWidget(value_, 1);
    }

    void set(const InternetModel::ValueRow& row)
    {
        label_->setText(qs(row.label));
        value_->setText(qs(row.value));
        setForeground(value_, themeColor(row.color));
    }

private:
    QLabel* label_;
    QLabel* value_;
};

// One app's traffic: its name, then received and sent per second.
class InternetView::AppRowView : public QWidget {
public:
    explicit AppRowView(QWidget* parent) : QWidget(parent)
    {
        auto* row = tightRow(this, 8);
        row->setContentsMargins(12, 8, 12, 8);
        name_ = textLabel({}, Fonts::system(13.5), Theme::text(), this);
        row->addWidget(name_, 1);
        down_ = rate(QStringLiteral("arrow.down"), row);
        up_ = rate(QStringLiteral("arrow.up"), row);
    }

    void set(const InternetModel::AppRow& app)
    {
        name_->setText(qs(app.name));
        down_->setText(qs(app.down));
        up_->setText(qs(app.up));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::card());
        painter.fillRect(QRect(0, height() - 1, width(), 1), Theme::line());
    }

private:
    QLabel* rate(const QString& symbol, QHBoxLayout* row)
    {
        auto* box = new QWidget(this);
        box->setFixedWidth(130);
        auto* inner = tightRow(box, 4);
        inner->addStretch(1);
        inner->addWidget(new SymbolLabel(symbol, Theme::text2(), 12, box));
        auto* text = textLabel({}, Fonts::system(13), Theme::text(), box);
        inner->addWidget(text);
        row->addWidget(box);
        return text;
    }

    QLabel* name_;
    QLabel* down_;
    QLabel* up_;
};

InternetProbes InternetProbes::system()
{
    return InternetProbes{
        [] { return LinkReader::currentType(); },
        [] { return LinkReader::wifi(); },
        [] { return NetTop::sample(); },
        [] { return SpeedTest::run(); },
    };
}

InternetView::InternetView(ViewEnvironment& environment, QWidget* parent)
    : InternetView(environment, InternetProbes::system(), parent)
{
}

InternetView::InternetView(ViewEnvironment& environment, InternetProbes probes, QWidget* parent)
    : QWidget(parent), env_(environment), probes_(std::move(probes))
{
    state_.speed = savedSpeed(env_.settings);

    auto* column = scrollColumn(this);
    column->addWidget(new ScreenHeader(InternetModel::title, InternetModel::subtitle));

    // Findings.
    auto* findings = new Card;
    findings->contentLayout()->setSpacing(12);
    auto* headlineLine = new QWidget;
    auto* headlineRow = tightRow(headlineLine, 8);
    healthyIcon_ = new SymbolLabel(QStringLiteral("checkmark.seal"), Theme::green(), 22, headlineLine);
    findingsHeadline_ = textLabel({}, Fonts::system(20, QFont::Bold), Theme::text(), headlineLine);
    headlineRow->addWidget(healthyIcon_);
    headlineRow->addWidget(findingsHeadline_, 1);
    findingsNote_ = textLabel({}, Fonts::system(14), Theme::text2());
    findingRows_ = new QVBoxLayout;
    findingRows_->setSpacing(12);
    findings->contentLayout()->addWidget(headlineLine);
    findings->contentLayout()->addWidget(findingsNote_);
    findings->contentLayout()->addLayout(findingRows_);
    column->addWidget(findings);

    // Connection and speed test, side by side.
    auto* link = new Card;
    link->contentLayout()->setSpacing(10);
    link->contentLayout()->addWidget(new SectionLabel(QStringLiteral("Connection")));
    linkBusy_ = new BusyIndicator;
    linkHeadline_ = textLabel({}, Fonts::system(22, QFont::Bold), Theme::text());
    link->contentLayout()->addWidget(linkBusy_);
    link->contentLayout()->addWidget(linkHeadline_);
    for (int i = 0; i < 3; ++i) {
        wifiRows_.push_back(new ValueRowView(link));
        link->contentLayout()->addWidget(wifiRows_.back());
    }
    link->contentLayout()->addStretch(1);

    auto* speed = new Card;
    speed->contentLayout()->setSpacing(10);
    speed->contentLayout()->addWidget(new SectionLabel(QStringLiteral("Speed test")));
    testingLine_ = new QWidget;
    auto* testingRow = tightRow(testingLine_, 10);
    testingRow->addWidget(new BusyIndicator(testingLine_));
    testingRow->addWidget(textLabel(QStringLiteral("Testing your connection\u2026"), Fonts::system(14), Theme::text(),
                                    testingLine_),
                          1);
    invitation_ = textLabel({}, Fonts::system(14), Theme::text2());
    invitation_->setWordWrap(true);
    speed->contentLayout()->addWidget(testingLine_);
    speed->contentLayout()->addWidget(invitation_);
    for (int i = 0; i < 4; ++i) {
        speedRows_.push_back(new ValueRowView(speed));
        speed->contentLayout()->addWidget(speedRows_.back());
    }
    lastTested_ = textLabel({}, Fonts::system(12), Theme::text3());
    testError_ = textLabel({}, Fonts::system(12.5), Theme::amber());
    testError_->setWordWrap(true);
    runButton_ = primaryButton(QStringLiteral("Run speed test"));
    runButton_->setObjectName(QStringLiteral("runSpeedTest"));
    runButton_->setIcon(SymbolIcons::icon(QStringLiteral("speedometer"), Qt::white));
    runButton_->setIconSize(QSize(16, 14));  // as a fix button's: the symbol stands 6 from the title
    runButton_->setProperty("symbol", QStringLiteral("speedometer"));
    connect(runButton_, &QPushButton::clicked, this, &InternetView::askTest);
    speed->contentLayout()->addWidget(lastTested_);
    speed->contentLayout()->addWidget(testError_);
    speed->contentLayout()->addWidget(runButton_, 0, Qt::AlignLeft);
    speed->contentLayout()->addStretch(1);

    auto* cards = new QHBoxLayout;
    cards->setSpacing(16);
    cards->addWidget(link, 1);
    cards->addWidget(speed, 1);
    column->addLayout(cards);

    // Apps using the connection.
    auto* apps = new Card;
    apps->contentLayout()->setSpacing(10);
    apps->contentLayout()->addWidget(
        textLabel(QStringLiteral("Apps using your connection"), Fonts::system(17, QFont::Bold), Theme::text()));
    appsBusy_ = new BusyIndicator;
    appsEmpty_ = textLabel({}, Fonts::system(13.5), Theme::text2());
    apps->contentLayout()->addWidget(appsBusy_);
    apps->contentLayout()->addWidget(appsEmpty_);
    for (std::size_t i = 0; i < InternetModel::appRowLimit; ++i) {
        appRows_.push_back(new AppRowView(apps));
        apps->contentLayout()->addWidget(appRows_.back());
    }
    column->addWidget(apps);
    column->addStretch(1);

    connect(&env_.monitor, &Monitor::groupsChanged, this, &InternetView::refresh);
    refresh();
}

InternetView::~InternetView()
{
    env_.scheduler.cancel(pauseToken_);
}

std::optional<SpeedResult> InternetView::savedSpeed(const AppSettings& settings)
{
    const auto json = settings.lastSpeedTest();
    if (!json)
        return std::nullopt;
    return SpeedResult::fromJSON(*json);
}

void InternetView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    polling_ = true;
    // A cycle still finishing from an earlier showing goes on into the loop by itself.
    if (!cycleRunning_ && pauseToken_ == 0)
        startCycle();
}

void InternetView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    polling_ = false;
    env_.scheduler.cancel(pauseToken_);
    pauseToken_ = 0;
}

void InternetView::startCycle()
{
    cycleRunning_ = true;
    auto readLink = [currentType = probes_.currentType, wifi = probes_.wifi] {
        const LinkType link = currentType();
        return std::make_pair(link, wifi());
    };
    env_.executor.run(this, std::move(readLink), [this](WorkResult<std::pair<LinkType, std::optional<WiFiLink>>> read) {
        if (read) {
            state_.link = read.value().first;
            state_.wifi = read.value().second;
            refresh();
        }
        env_.executor.run(this, probes_.traffic, [this](WorkResult<std::vector<NetUsage>> traffic) {
            // A traffic reading that fails shows as no traffic; the next cycle tries again.
            state_.usage = traffic ? std::move(traffic.value()) : std::vector<NetUsage>{};
            state_.usageLoaded = true;
            finishCycle();
        });
    });
}

void InternetView::finishCycle()
{
    cycleRunning_ = false;
    refresh();
    if (polling_) {
        pauseToken_ = env_.scheduler.schedule(1.0, this, [this] {
            pauseToken_ = 0;
            if (polling_)
                startCycle();
        });
    }
}

void InternetView::askTest()
{
    if (confirmation_ && confirmation_->isVisible())
        return;
    auto* box = alertBox(this, QString::fromUtf8(InternetModel::confirmTitle),
                         QString::fromUtf8(InternetModel::confirmMessage));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* run = addConfirmation(box, QString::fromUtf8(InternetModel::confirmRun), false);
    connect(box, &QMessageBox::buttonClicked, this, [this, run](QAbstractButton* clicked) {
        if (clicked == run)
            runTest();
    });
    confirmation_ = box;
    openModal(box);
}

void InternetView::runTest()
{
    state_.testing = true;
    state_.testError.reset();
    refresh();
    // The settings object outlives this screen, so a test that ends after the user has
    // left still stores its result; the screen hears of it only while it exists.
    AppSettings* settings = &env_.settings;
    QPointer<InternetView> view(this);
    env_.executor.run(settings, probes_.speedTest, [settings, view](WorkResult<SpeedResult> result) {
        std::optional<SpeedResult> measured;
        if (result) {
            measured = result.value();
            try {
                settings->setLastSpeedTest(measured->toJSON());
            } catch (const std::exception&) {
                // A result that cannot be encoded is shown but not kept.
            }
        }
        if (view)
            view->testFinished(result.ok(), std::move(measured));
    });
}

void InternetView::testFinished(bool succeeded, std::optional<SpeedResult> result)
{
    if (succeeded)
        state_.speed = std::move(result);
    else
        state_.testError = InternetModel::testFailed;
    state_.testing = false;
    refresh();
}

void InternetView::refresh()
{
    refreshFindings();
    refreshLink();
    refreshSpeed();
    refreshApps();
}

void InternetView::refreshFindings()
{
    const auto card = InternetModel::findingsCard(state_, env_.monitor.groups(), env_.clock.now());
    using Phase = InternetModel::FindingsCard::Phase;
    healthyIcon_->setVisible(card.phase == Phase::healthy);
    findingsHeadline_->setVisible(card.phase != Phase::findings);
    findingsHeadline_->setText(qs(card.headline));
    setForeground(findingsHeadline_, card.phase == Phase::healthy ? Theme::green() : Theme::text());
    findingsNote_->setVisible(card.phase == Phase::healthy);
    findingsNote_->setText(qs(card.note));

    // Rows are kept by finding id, so a row and its button survive the ticks.
    std::map<std::string, FindingRowView*> kept;
    for (std::size_t i = 0; i < card.rows.size(); ++i) {
        const auto& finding = card.rows[i];
        auto found = findingViews_.find(finding.id);
        FindingRowView* row = nullptr;
        if (found != findingViews_.end()) {
            row = found->second;
            findingViews_.erase(found);
        } else {
            row = new FindingRowView(env_.fixActions, this);
        }
        row->set(finding);
        findingRows_->removeWidget(row);
        findingRows_->insertWidget(int(i), row);
        row->show();  // a layout shows a new child only at the next turn of the event loop
        kept.emplace(finding.id, row);
    }
    for (auto& [id, row] : findingViews_) {
        findingRows_->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    findingViews_ = std::move(kept);
}

void InternetView::refreshLink()
{
    const auto card = InternetModel::linkCard(state_);
    linkBusy_->setVisible(card.loading);
    linkHeadline_->setVisible(!card.loading);
    linkHeadline_->setText(qs(card.headline));
    setForeground(linkHeadline_, themeColor(card.headlineColor));
    for (std::size_t i = 0; i < wifiRows_.size(); ++i) {
        wifiRows_[i]->setVisible(i < card.rows.size());
        if (i < card.rows.size())
            wifiRows_[i]->set(card.rows[i]);
    }
}

void InternetView::refreshSpeed()
{
    const auto card = InternetModel::speedCard(state_, env_.clock.now());
    testingLine_->setVisible(card.testing);
    invitation_->setVisible(!card.invitation.empty());
    invitation_->setText(qs(card.invitation));
    for (std::size_t i = 0; i < speedRows_.size(); ++i) {
        speedRows_[i]->setVisible(i < card.rows.size());
        if (i < card.rows.size())
            speedRows_[i]->set(card.rows[i]);
    }
    lastTested_->setVisible(!card.lastTested.empty());
    lastTested_->setText(qs(card.lastTested));
    testError_->setVisible(card.error.has_value());
    testError_->setText(qs(card.error.value_or("")));
    runButton_->setEnabled(card.buttonEnabled);
}

void InternetView::refreshApps()
{
    const auto card = InternetModel::appsCard(state_, env_.monitor.groups());
    appsBusy_->setVisible(card.loading);
    appsEmpty_->setVisible(!card.emptyText.empty());
    appsEmpty_->setText(qs(card.emptyText));
    for (std::size_t i = 0; i < appRows_.size(); ++i) {
        appRows_[i]->setVisible(i < card.rows.size());
        if (i < card.rows.size())
            appRows_[i]->set(card.rows[i]);
    }
}

} // namespace corvane
