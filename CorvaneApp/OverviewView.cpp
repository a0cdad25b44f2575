#include "CorvaneApp/OverviewView.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/LiveBadge.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/ScreenHeader.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ToolScreen.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

QHBoxLayout* row(int spacing)
{
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

// IconSquare

IconSquare::IconSquare(QWidget* parent) : QWidget(parent)
{
    setFixedSize(38, 38);
}

void IconSquare::set(const QString& symbol, const QColor& tint, const QColor& fill)
{
    if (symbol == symbol_ && tint == tint_ && fill == fill_)
        return;
    symbol_ = symbol;
    tint_ = tint;
    fill_ = fill;
    update();
}

void IconSquare::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    square.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(square, fill_);
    const QPixmap symbol = SymbolIcons::pixmap(symbol_, tint_, 18, devicePixelRatioF());
    painter.drawPixmap(QRectF(10, 10, 18, 18), symbol, QRectF(symbol.rect()));
}

// CauseActionSlot

CauseActionSlot::CauseActionSlot(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent),
      button_(new FixButton(FixID::explain, std::nullopt, false, environment.fixActions, this)),
      note_(new Pill({}, {}, Theme::leaveFG(), Theme::leaveBG(), this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button_);
    layout->addWidget(note_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CauseActionSlot::set(const std::optional<CauseAction>& action)
{
    const bool fix = action && action->kind == CauseAction::Kind::fix;
    const bool note = action && action->kind == CauseAction::Kind::note;
    if (fix) {
        button_->setFix(action->fix, action->group);
        button_->setProminent(action->prominent);
    }
    if (note)
        note_->set(qs(action->note), {}, Theme::leaveFG(), Theme::leaveBG());
    button_->setVisible(fix);
    note_->setVisible(note);
    setVisible(fix || note);
}

// CauseLineWidget

CauseLineWidget::CauseLineWidget(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent),
      dot_(new ColourDot(6, Theme::amber(), this)),
      headline_(textLabel({}, Fonts::system(13.5), themeColor(ColorRole::causeHeadline), this)),
      action_(new CauseActionSlot(environment, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(dot_, 0, Qt::AlignVCenter);
    layout->addWidget(headline_, 1);
    layout->addSpacing(12);
    layout->addWidget(action_, 0, Qt::AlignVCenter);
}

void CauseLineWidget::set(const CauseLine& line)
{
    dot_->setColour(themeColor(line.dot));
    headline_->setText(qs(line.headline));
    action_->set(line.action);
}

// SignalTileWidget

SignalTileWidget::SignalTileWidget(QWidget* parent)
    : QWidget(parent),
      symbol_(new SymbolLabel(QStringLiteral("cpu"), Theme::text2(), 13.5, this)),
      title_(textLabel({}, Fonts::system(13.5), Theme::text2(), this)),
      value_(textLabel({}, Fonts::system(30, QFont::Bold), Theme::text(), this)),
      note_(textLabel({}, Fonts::system(12.5), Theme::text2(), this))
{
    auto* layout = bareColumn(this, 8);
    layout->setContentsMargins(20, 0, 20, 0);
    auto* titleRow = row(6);
    titleRow->addWidget(symbol_);
    titleRow->addWidget(title_);
    titleRow->addStretch(1);
    layout->addLayout(titleRow);
    layout->addWidget(value_);
    layout->addWidget(note_);
}

void SignalTileWidget::set(const SignalTile& tile)
{
    symbol_->setSymbol(qs(tile.symbol));
    title_->setText(qs(tile.title));
    value_->setText(qs(tile.value));
    setForeground(value_, themeColor(tile.valueTone));
    note_->setText(qs(tile.note));
    // Read as one element by assistive technologies.
    setAccessibleName(title_->text() + QStringLiteral(": ") + value_->text()
                      + (tile.note.empty() ? QString() : QStringLiteral(", ") + note_->text()));
}

QString SignalTileWidget::value() const
{
    return value_->text();
}

QString SignalTileWidget::note() const
{
    return note_->text();
}

// OverviewView

OverviewView::OverviewView(ViewEnvironment& environment, QWidget* parent) : QWidget(parent), env_(environment)
{
    auto* page = new QWidget;
    auto* sections = bareColumn(page, 22);
    sections->setContentsMargins(34, 28, 34, 28);

    sections->addWidget(new ScreenHeader(QStringLiteral("Overview"),
                                         QStringLiteral("Understand what's happening on your Mac."),
                                         new LiveBadge(env_), page));

    warning_ = new QWidget(page);
    auto* warningRow = row(6);
    warning_->setLayout(warningRow);
    warningRow->addWidget(new SymbolLabel(QStringLiteral("exclamationmark.triangle"), Theme::amber(), 13, warning_));
    warningText_ = textLabel({}, Fonts::system(13), Theme::amber(), warning_);
    warningRow->addWidget(warningText_);
    warningRow->addStretch(1);
    sections->addWidget(warning_);

    sections->addWidget(buildHero());
    sections->addWidget(buildSignals());
    sections->addWidget(buildTopTable());
    sections->addStretch(1);

    scroll_ = pageScroll(this);
    scroll_->setWidget(page);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = bareColumn(this, 0);
    layout->addWidget(scroll_);

    const Monitor& monitor = env_.monitor;
    connect(&monitor, &Monitor::errorChanged, this, &OverviewView::refreshError);
    for (auto changed : {&Monitor::resultChanged, &Monitor::lastCheckedChanged, &Monitor::groupsChanged})
        connect(&monitor, changed, this, &OverviewView::refreshHero);
    connect(&monitor, &Monitor::signalsChanged, this, &OverviewView::refreshSignals);
    connect(&monitor, &Monitor::groupsChanged, this, &OverviewView::refreshTop);
    refreshError();
    refreshHero();
    refreshSignals();
    refreshTop();
}

QWidget* OverviewView::buildHero()
{
    auto* card = new Card;
    auto* body = card->contentLayout();

    auto* top = row(10);
    statusIcon_ = new IconSquare(card);
    statusPill_ = new StatusPill(Status::quiet, card);
    top->addWidget(statusIcon_);
    top->addWidget(statusPill_, 0, Qt::AlignVCenter);
    top->addStretch(1);
    body->addLayout(top);

    body->addSpacing(16);
    headline_ = wrappingLabel(textLabel({}, Fonts::system(23, QFont::Bold), Theme::text(), card));
    body->addWidget(headline_);
    body->addSpacing(8);
    detail_ = wrappingLabel(textLabel({}, Fonts::system(15), Theme::text2(), card));
    detail_->setMaximumWidth(640);
    // In a row of its own, so the card's height is taken at the width the line really
    // gets: a column asks a label's height for the whole width, past its maximum.
    auto* detailRow = row(0);
    detailRow->addWidget(detail_, 1);
    detailRow->addStretch(0);
    body->addLayout(detailRow);

    buttonRow_ = new QWidget(card);
    auto* buttons = bareColumn(buttonRow_, 0);
    buttons->setContentsMargins(0, 18, 0, 0);
    auto* buttonLine = row(10);
    for (auto& slot : heroSlots_) {
        slot = new CauseActionSlot(env_, buttonRow_);
        buttonLine->addWidget(slot);
    }
    buttonLine->addStretch(1);
    buttons->addLayout(buttonLine);
    body->addWidget(buttonRow_);

    more_ = new QWidget(card);
    auto* more = bareColumn(more_, 0);
    // 20 points from the buttons to the caption, with the rule 6 points into that space.
    more->setContentsMargins(0, 6, 0, 0);
    more->addWidget(horizontalRule(more_));
    more->addSpacing(20 - 6 - 1);
    moreLabel_ = new SectionLabel({}, more_);
    more->addWidget(moreLabel_);
    auto* lines = new QWidget(more_);
    auto* linesLayout = bareColumn(lines, 10);
    linesLayout->setContentsMargins(0, 10, 0, 0);
    causeRows_ = std::make_unique<KeyedColumn<CauseLineWidget>>(linesLayout, 0);
    more->addWidget(lines);
    body->addWidget(more_);
    return card;
}

QWidget* OverviewView::buildSignals()
{
    auto* signalsBox = new QWidget;
    auto* layout = bareColumn(signalsBox, 0);
    auto* tiles = row(0);
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        if (i > 0) {
            auto* divider = horizontalRule(signalsBox);
            divider->setFixedSize(1, 70);
            tiles->addWidget(divider, 0, Qt::AlignVCenter);
        }
        tiles_[i] = new SignalTileWidget(signalsBox);
        tiles->addWidget(tiles_[i], 1);
    }
    layout->addLayout(tiles);
    layout->addSpacing(20);
    layout->addWidget(horizontalRule(signalsBox));
    return signalsBox;
}

QWidget* OverviewView::buildTopTable()
{
    auto* table = new QWidget;
    auto* layout = bareColumn(table, 0);
    auto* title = row(0);
    title->addWidget(textLabel(QStringLiteral("What's using your CPU"), Fonts::system(17, QFont::Bold), Theme::text(),
                               table));
    title->addStretch(1);
    allProcesses_ = new QPushButton(QStringLiteral("All processes"), table);
    allProcesses_->setFlat(true);
    allProcesses_->setCursor(Qt::PointingHandCursor);
    allProcesses_->setFont(Fonts::system(13.5, QFont::DemiBold));
    allProcesses_->setIcon(SymbolIcons::icon(QStringLiteral("arrow.right"), Theme::accentLight()));
    allProcesses_->setProperty("symbol", QStringLiteral("arrow.right"));
    showKeyboardFocus(allProcesses_);
    allProcesses_->setStyleSheet(QStringLiteral("QPushButton { color: %1; border: none; background: transparent; }")
                                     .arg(Theme::css(Theme::accentLight()))
                                 + focusUnderlineRule());
    applyTrailingIcon(allProcesses_);
    connect(allProcesses_, &QPushButton::clicked, this, [this] { env_.router.setScreen(Screen::processes); });
    title->addWidget(allProcesses_);
    layout->addLayout(title);
    layout->addSpacing(12);
    layout->addWidget(new ProcessTableHeader(table));
    topTable_ = std::make_unique<KeyedColumn<ProcessRow>>(layout, layout->count());
    return table;
}

void OverviewView::refreshError()
{
    const auto& error = env_.monitor.error();
    warningText_->setText(error ? qs(*error) : QString());
    warning_->setVisible(error.has_value());
}

void OverviewView::refreshHero()
{
    const Monitor& monitor = env_.monitor;
    const HeroModel hero = heroCard(monitor.result(), monitor.lastChecked(), monitor.groups());
    statusIcon_->set(qs(hero.symbol), themeColor(hero.iconTone), themeColor(hero.squareTone));
    statusPill_->setStatus(hero.pillStatus);
    headline_->setText(qs(hero.headline));
    detail_->setText(qs(hero.detail));
    detail_->setVisible(hero.body != HeroModel::Body::checking);

    for (std::size_t i = 0; i < heroSlots_.size(); ++i)
        heroSlots_[i]->set(i < hero.buttons.size() ? std::optional(hero.buttons[i]) : std::nullopt);
    buttonRow_->setVisible(!hero.buttons.empty());

    more_->setVisible(!hero.more.empty());
    moreLabel_->setCaption(qs(hero.moreLabel));
    std::vector<std::string> ids;
    for (const auto& line : hero.more)
        ids.push_back(line.id);
    causeLines_ = causeRows_->update(ids, [this](const std::string&) { return new CauseLineWidget(env_, more_); });
    for (std::size_t i = 0; i < causeLines_.size(); ++i)
        causeLines_[i]->set(hero.more[i]);
}

void OverviewView::refreshSignals()
{
    const auto tiles = signalTiles(env_.monitor.signals());
    for (std::size_t i = 0; i < tiles.size(); ++i)
        tiles_[i]->set(tiles[i]);
}

void OverviewView::refreshTop()
{
    const auto groups = topGroups(env_.monitor.groups());
    std::vector<std::string> ids;
    for (const auto& group : groups)
        ids.push_back(group.id);
    topRows_ = topTable_->update(ids, [&](const std::string& id) {
        const auto found = std::find_if(groups.begin(), groups.end(), [&](const ProcessGroup& g) { return g.id == id; });
        return new ProcessRow(*found, env_, this);
    });
    for (std::size_t i = 0; i < topRows_.size(); ++i)
        topRows_[i]->setGroup(groups[i]);
}

} // namespace corvane
