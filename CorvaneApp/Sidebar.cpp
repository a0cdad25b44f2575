#include "CorvaneApp/Sidebar.hpp"

#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/Surfaces.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

const QColor badgeText{0xD4, 0xD4, 0xD8};
const QColor badgeFill{0x23, 0x23, 0x2C};
const QString footerNote = QStringLiteral("Works locally. Nothing is uploaded.");
constexpr int footerSymbol = 12;
constexpr int footerSpacing = 6;

QLabel* symbolLabel(const QString& name, const QColor& colour, double size, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(SymbolIcons::pixmap(name, colour, size));
    label->setProperty("symbol", name);
    return label;
}

} // namespace

SidebarRow::SidebarRow(Screen screen, QWidget* parent)
    : QAbstractButton(parent)
    , symbol_(new QLabel(this))
    , title_(new QLabel(QString::fromStdString(corvane::title(screen)), this))
    , badge_(new QLabel(this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(title_->text());
    setProperty("symbol", QString::fromStdString(corvane::icon(screen)));
    symbol_->setFixedWidth(18);
    symbol_->setAlignment(Qt::AlignCenter);
    title_->setFont(Fonts::system(14));
    badge_->setFont(Fonts::system(11.5));
    badge_->setStyleSheet(QStringLiteral("color: %1; background: %2; border-radius: 6px; padding: 2px 7px;")
                              .arg(Theme::css(badgeText), Theme::css(badgeFill)));
    badge_->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(11);
    layout->addWidget(symbol_);
    layout->addWidget(title_);
    layout->addStretch(1);
    layout->addWidget(badge_);
    showSelection();
}

void SidebarRow::setState(bool selected, std::optional<int> count)
{
    // Called on every tick: restyle only when the selection moves.
    if (selected != selected_) {
        selected_ = selected;
        showSelection();
    }
    badge_->setVisible(count.has_value());
    badge_->setText(count ? QString::number(*count) : QString());
}

void SidebarRow::showSelection()
{
    const QColor& colour = selected_ ? Theme::text() : Theme::text2();
    symbol_->setPixmap(SymbolIcons::pixmap(property("symbol").toString(), colour, 15));
    title_->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(colour)));
    update();
}

QString SidebarRow::badge() const
{
    return badge_->isVisibleTo(this) ? badge_->text() : QString();
}

void SidebarRow::paintEvent(QPaintEvent*)
{
    if (!selected_)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath background;
    background.addRoundedRect(rect(), 9, 9);
    painter.fillPath(background, Theme::accentBG());
}

Sidebar::Sidebar(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent)
    , environment_(environment)
{
    fillBackground(this, Theme::sidebar());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(4);

    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(8, 6, 8, 20);
    titleRow->setSpacing(11);
    titleRow->addWidget(appMark(34, 9, 19, this));
    auto* name = new QLabel(QStringLiteral("Corvane"), this);
    name->setFont(Fonts::system(16, QFont::Bold));
    titleRow->addWidget(name);
    titleRow->addStretch(1);
    layout->addLayout(titleRow);

    for (const Screen screen : allCases<Screen>()) {
        auto* row = new SidebarRow(screen, this);
        connect(row, &QAbstractButton::clicked, this, [this, screen] { environment_.router.setScreen(screen); });
        rows_[static_cast<std::size_t>(screen)] = row;
        layout->addWidget(row);
    }

    // The note sits under the rows at the foot of the column.
    layout->addStretch(1);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(6, 12, 6, 0);
    footer->setSpacing(footerSpacing);
    // The symbol stays beside the note's first line.
    auto* symbol = symbolLabel(QStringLiteral("lock.shield"), Theme::text3(), footerSymbol, this);
    symbol->setFixedHeight(QFontMetrics(Fonts::system(12)).height());
    footer->addWidget(symbol, 0, Qt::AlignTop);
    auto* note = new QLabel(footerNote, this);
    note->setFont(Fonts::system(12));
    note->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::text3())));
    // A wide font breaks the note onto a second line rather than widen the column, which
    // would take the room from the screens beside it.
    note->setWordWrap(true);
    footer->addWidget(note, 1);
    layout->addLayout(footer);

    setFixedWidth(columnWidth());

    connect(&environment_.router, &Router::screenChanged, this, &Sidebar::refresh);
    connect(&environment_.monitor, &Monitor::groupsChanged, this, &Sidebar::refresh);
    connect(&environment_.monitor, &Monitor::backgroundItemsChanged, this, &Sidebar::refresh);
    refresh();
}

int Sidebar::columnWidth()
{
    // 230 fits the titles in a narrow system font; a wider one widens the column rather
    // than cut a title short. Room is kept for a three-digit badge. The footer note wraps.
    const QFontMetrics title(Fonts::system(14));
    int widest = 0;
    for (const Screen screen : allCases<Screen>())
        widest = std::max(widest, title.horizontalAdvance(QString::fromStdString(corvane::title(screen))));
    const int badge = QFontMetrics(Fonts::system(11.5)).horizontalAdvance(QStringLiteral("999")) + 2 * 7;
    return std::max(230, 2 * 14 + 2 * 12 + 18 + 11 + widest + 11 + badge);
}

std::optional<int> Sidebar::count(Screen screen, const Monitor& monitor)
{
    std::size_t n = 0;
    switch (screen) {
    case Screen::processes: n = monitor.groups().size(); break;
    case Screen::backgroundItems: n = monitor.backgroundItems().size(); break;
    default: return std::nullopt;
    }
    if (n == 0)
        return std::nullopt;
    return static_cast<int>(n);
}

void Sidebar::refresh()
{
    for (const Screen screen : allCases<Screen>())
        row(screen)->setState(screen == environment_.router.screen(), count(screen, environment_.monitor));
}

} // namespace corvane
