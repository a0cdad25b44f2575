#include "CorvaneApp/MenuBarView.hpp"

#include "CorvaneApp/CheckBoxStyle.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Surfaces.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

constexpr double liveDotSeconds = 5;
constexpr double heroFixDelaySeconds = 0.3;
constexpr int popoverWidth = 300;
constexpr int inset = 16;
constexpr int buttonSpacing = 8;

} // namespace

MenuBarView::MenuBarView(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , environment_(environment)
    , pill_(new StatusPill(Status::quiet, this))
    , liveDot_(textLabel(QString(), Fonts::system(11), Theme::text3(), this))
    , headline_(textLabel(QString(), Fonts::system(14, QFont::DemiBold), Theme::text(), this))
    , hero_(primaryButton(QString(), this))
    , open_(secondaryButton(QStringLiteral("Open Corvane"), this))
    , startAtLogin_(new QCheckBox(QStringLiteral("Start at login"), this))
    , quit_(new QPushButton(QStringLiteral("Quit Corvane"), this))
{
    fillBackground(this, Theme::window());
    setForeground(this, Theme::text());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->setSpacing(12);

    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(8);
    statusRow->addWidget(pill_);
    statusRow->addStretch(1);
    statusRow->addWidget(liveDot_);
    layout->addLayout(statusRow);

    headline_->setWordWrap(true);
    layout->addWidget(headline_);

    auto* apps = new QVBoxLayout;
    apps->setSpacing(6);
    for (AppRow& row : rows_) {
        row.row = new QWidget(this);
        auto* rowLayout = new QHBoxLayout(row.row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        row.name = new ElidedLabel(row.row);
        row.name->setFont(Fonts::system(12.5));
        setForeground(row.name, Theme::text());
        row.cpu = textLabel(QString(), Fonts::mono(12.5), Theme::text2(), row.row);
        rowLayout->addWidget(row.name, 1);
        rowLayout->addWidget(row.cpu);
        apps->addWidget(row.row);
    }
    layout->addLayout(apps);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(buttonSpacing);
    buttons->addWidget(hero_);
    buttons->addWidget(open_);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    layout->addWidget(separator(Qt::Horizontal, Theme::line(), this));

    startAtLogin_->setFont(Fonts::system(12.5));
    CheckBoxStyle::apply(startAtLogin_);
    environment_.startAtLogin.showIn(startAtLogin_);
    layout->addWidget(startAtLogin_);

    auto* note = textLabel(QStringLiteral("macOS will show a \"Background Items Added\" notice. That's Corvane, and "
                                          "you can turn it off here anytime."),
                           Fonts::system(11), Theme::text3(), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    quit_->setFlat(true);
    quit_->setFont(Fonts::system(12.5));
    quit_->setCursor(Qt::PointingHandCursor);
    showKeyboardFocus(quit_);
    quit_->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; text-align: left; color: %1; }")
                             .arg(Theme::css(Theme::text2()))
                         + focusUnderlineRule());
    layout->addWidget(quit_, 0, Qt::AlignLeft);

    // As the shared fix buttons draw it: the symbol 6 from the title.
    hero_->setIconSize(QSize(16, 14));
    connect(hero_, &QPushButton::clicked, this, &MenuBarView::performHeroFix);
    connect(open_, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT openWindowRequested();
    });
    connect(startAtLogin_, &QCheckBox::toggled, this, &MenuBarView::setStartAtLogin);
    connect(quit_, &QPushButton::clicked, this, &MenuBarView::quitRequested);

    Monitor& monitor = environment_.monitor;
    connect(&monitor, &Monitor::resultChanged, this, &MenuBarView::refresh);
    connect(&monitor, &Monitor::groupsChanged, this, &MenuBarView::refresh);
    connect(&monitor, &Monitor::lastCheckedChanged, this, &MenuBarView::redrawLiveDot);
    refresh();
    redrawLiveDot();
}

void MenuBarView::fitContent()
{
    // 300 wide, or wider when the system's font needs more room for the buttons; as tall
    // as the wrapped texts need at that width. A popover that grows stays on screen.
    // While it is closed, its nested layouts keep the sizes they had before rows and buttons
    // came, went or changed their texts: drop them all before measuring.
    for (QLayout* nested : findChildren<QLayout*>())
        nested->invalidate();
    const int width = std::max(popoverWidth, layout()->minimumSize().width());
    setFixedSize(width, layout()->totalHeightForWidth(width));
    const QScreen* screen = QGuiApplication::screenAt(anchor_.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    move(placement(anchor_, size(), screen->availableGeometry()));
}

void MenuBarView::popUp(const QRect& anchor)
{
    anchor_ = anchor;
    fitContent();
    show();
    raise();
    activateWindow();
}

QPoint MenuBarView::placement(const QRect& anchor, const QSize& size, const QRect& available)
{
    constexpr int gap = 4;
    int x = anchor.x() + anchor.width() / 2 - size.width() / 2;
    int y = anchor.bottom() + 1 + gap;
    if (y + size.height() > available.bottom() + 1)
        y = anchor.top() - gap - size.height();
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    return {x, y};
}

QStringList MenuBarView::rows() const
{
    QStringList texts;
    for (const AppRow& row : rows_) {
        if (!row.row->isHidden())
            texts << row.name->text() + QLatin1Char(' ') + row.cpu->text();
    }
    return texts;
}

void MenuBarView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    environment_.monitor.setMenuOpen(true);
    // The login item may have been switched outside the app since the popover was last open.
    environment_.startAtLogin.reload();
    // The last-check line redraws every few seconds, and only while the popover is open.
    redrawLiveDot();
    environment_.scheduler.cancel(liveDotTimer_);
    scheduleLiveDot();
}

void MenuBarView::scheduleLiveDot()
{
    liveDotTimer_ = environment_.scheduler.schedule(liveDotSeconds, this, [this] {
        redrawLiveDot();
        scheduleLiveDot();
    });
}

void MenuBarView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    environment_.scheduler.cancel(liveDotTimer_);
    liveDotTimer_ = 0;
    environment_.monitor.setMenuOpen(false);
}

void MenuBarView::paintEvent(QPaintEvent*)
{
    // A thin outline keeps the dark popover apart from dark windows behind it.
    QPainter painter(this);
    painter.setPen(Theme::line());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MenuBarView::refresh()
{
    const Monitor& monitor = environment_.monitor;
    model_ = menuBarModel(monitor);
    // Without a status nothing is checked, so there is no pill and no last-check line.
    pill_->setVisible(model_.status.has_value());
    liveDot_->setVisible(model_.status.has_value());
    if (model_.status)
        pill_->setStatus(*model_.status);
    headline_->setText(QString::fromStdString(model_.headline));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const bool shown = i < model_.rows.size();
        rows_[i].row->setVisible(shown);
        rows_[i].name->setFullText(shown ? QString::fromStdString(model_.rows[i].name) : QString());
        rows_[i].cpu->setText(shown ? QString::fromStdString(model_.rows[i].cpu) : QString());
    }
    hero_->setVisible(model_.heroFix.has_value());
    if (model_.heroFix) {
        const QString symbol = QString::fromStdString(model_.heroFix->symbol);
        if (hero_->property("symbol").toString() != symbol) {
            hero_->setIcon(SymbolIcons::icon(symbol, Qt::white));
            hero_->setProperty("symbol", symbol);
        }
        setHeroTitle(QString::fromStdString(model_.heroFix->title));
    }
    fitContent();
}

void MenuBarView::setHeroTitle(const QString& title)
{
    // A long app name is cut short so the button fits beside "Open Corvane" within the
    // popover's width; a wide system font still gets half that width for the title.
    hero_->setText(title);
    const int chrome = hero_->sizeHint().width() - hero_->fontMetrics().horizontalAdvance(title);
    const int content = popoverWidth - 2 * inset;
    const int room = std::max(content - buttonSpacing - open_->sizeHint().width() - chrome, content / 2);
    const QString shown = hero_->fontMetrics().elidedText(title, Qt::ElideRight, room);
    hero_->setText(buttonText(shown.toStdString()));
    hero_->setToolTip(shown == title ? QString() : title);
}

void MenuBarView::redrawLiveDot()
{
    liveDot_->setText(QString::fromStdString(liveDotText(environment_.monitor.lastChecked(), environment_.clock.now())));
}

void MenuBarView::performHeroFix()
{
    if (!model_.heroFix)
        return;
    const HeroFix heroFix = *model_.heroFix;
    hide();
    Q_EMIT openWindowRequested();
    const std::optional<ProcessGroup> group = environment_.monitor.group(heroFix.groupID);
    // A short pause lets the main window come forward before the fix asks its question.
    FixActions& actions = environment_.fixActions;
    environment_.scheduler.schedule(heroFixDelaySeconds, &actions,
                                    [&actions, fix = heroFix.fix, group] { actions.perform(fix, group); });
}

void MenuBarView::setStartAtLogin(bool on)
{
    StartAtLogin& setting = environment_.startAtLogin;
    if (setting.set(on))
        return;
    // Show what the system really has; that change runs this step once more.
    startAtLogin_->setChecked(setting.on());
    environment_.fixActions.setToast("Couldn't change Start at login.");
}

} // namespace corvane
