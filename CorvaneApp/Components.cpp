#include "CorvaneApp/Components.hpp"

#include "Core/Utf8.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Platform/AppIconProvider.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include <cmath>

namespace corvane {

std::string title(FixID fix, const ProcessGroup* group)
{
    switch (fix) {
    case FixID::explain: return "Explain this process";
    case FixID::openSpotlightSettings: return "Spotlight settings";
    case FixID::openLoginItemsSettings: return "Login Items settings";
    case FixID::openDisplaySettings: return "Displays settings";
    case FixID::openAccessibilityDisplay: return "Reduce transparency";
    case FixID::openBatterySettings: return "Battery settings";
    case FixID::openWiFiSettings: return "Wi-Fi settings";
    case FixID::quitApp: return "Quit " + (group ? Utf8::nameForDisplay(group->displayName) : std::string("app"));
    case FixID::rebuildSpotlightIndex: return "Rebuild Spotlight index";
    case FixID::reviewTabs: return "Review tabs";
    case FixID::openFerncourt: return "Free up space";
    case FixID::restartMac: return "Restart\u2026";
    }
    return {};
}

std::string symbol(FixID fix)
{
    switch (fix) {
    case FixID::explain: return "text.magnifyingglass";
    case FixID::openSpotlightSettings:
    case FixID::openLoginItemsSettings:
    case FixID::openDisplaySettings:
    case FixID::openAccessibilityDisplay:
    case FixID::openBatterySettings:
    case FixID::openWiFiSettings: return "slider.horizontal.3";
    case FixID::quitApp: return "xmark.circle";
    case FixID::rebuildSpotlightIndex: return "arrow.clockwise";
    case FixID::reviewTabs: return "rectangle.stack";
    case FixID::openFerncourt: return "internaldrive";
    case FixID::restartMac: return "power";
    }
    return {};
}

std::string symbol(FindingKind kind)
{
    switch (kind) {
    case FindingKind::heat: return "thermometer.medium";
    case FindingKind::memory: return "memorychip";
    case FindingKind::cpuHog: return "cpu";
    case FindingKind::spotlight: return "magnifyingglass";
    case FindingKind::photos: return "photo";
    case FindingKind::windowServer: return "macwindow.on.rectangle";
    case FindingKind::browser: return "globe";
    case FindingKind::lowDisk: return "internaldrive";
    case FindingKind::longUptime: return "clock.arrow.circlepath";
    case FindingKind::lowPower: return "battery.25";
    case FindingKind::stuckApp: return "exclamationmark.octagon";
    case FindingKind::offline: return "wifi.slash";
    case FindingKind::weakWiFi:
    case FindingKind::band24: return "wifi.exclamationmark";
    case FindingKind::slowLine: return "speedometer";
    case FindingKind::laggy: return "waveform.path.ecg";
    case FindingKind::bandwidthHog: return "arrow.up.arrow.down";
    }
    return {};
}

std::string label(Status status)
{
    switch (status) {
    case Status::quiet: return "All quiet";
    case Status::busy: return "Busy";
    case Status::struggling: return "Struggling";
    }
    return {};
}

QVBoxLayout* bareColumn(QWidget* owner, int spacing)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QHBoxLayout* tightRow(QWidget* owner, int spacing)
{
    auto* row = new QHBoxLayout(owner);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    return row;
}

QString buttonText(const std::string& text)
{
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QLabel* textLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    setForeground(label, colour);
    return label;
}

void setForeground(QWidget* widget, const QColor& colour)
{
    // Views call this on every tick; an unchanged colour must not re-resolve the palette.
    QPalette palette = widget->palette();
    if (widget->testAttribute(Qt::WA_SetPalette) && palette.color(QPalette::WindowText) == colour &&
        palette.color(QPalette::Text) == colour && palette.color(QPalette::ButtonText) == colour)
        return;
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

namespace {

void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& fill,
                 const std::optional<QColor>& outline = std::nullopt)
{
    painter.setRenderHint(QPainter::Antialiasing);
    if (outline) {
        // A 1-wide outline drawn on the half pixel lies inside the widget, crisp.
        painter.setPen(QPen(*outline, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(rect, radius, radius);
    }
}

} // namespace

// Pill

Pill::Pill(const QString& text, const QString& symbol, const QColor& fg, const QColor& bg, QWidget* parent)
    : QWidget(parent),
      icon_(new SymbolLabel(symbol, fg, 12, this)),
      label_(textLabel(text, Fonts::system(11.5, QFont::DemiBold), fg, this)),
      fg_(fg),
      bg_(bg)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(5);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addWidget(label_, 0, Qt::AlignVCenter);
    icon_->setVisible(!symbol.isEmpty());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Pill::set(const QString& text, const QString& symbol, const QColor& fg, const QColor& bg)
{
    label_->setText(text);
    setForeground(label_, fg);
    icon_->setSymbol(symbol);
    icon_->setColour(fg);
    icon_->setVisible(!symbol.isEmpty());
    if (fg != fg_ || bg != bg_) {
        fg_ = fg;
        bg_ = bg;
        update();
    }
}

QString Pill::text() const
{
    return label_->text();
}

QString Pill::symbol() const
{
    return icon_->isVisibleTo(this) ? icon_->symbol() : QString();
}

void Pill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    fillRounded(painter, rect(), 6, bg_);
}

// VerdictPill

namespace {

struct PillLook {
    const char* symbol;
    QColor fg;
    QColor bg;
};

PillLook lookOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::safe: return {"checkmark.circle", Theme::green(), Theme::greenBG()};
    case Verdict::review: return {"exclamationmark.triangle", Theme::amber(), Theme::amberBG()};
    case Verdict::leave: return {"checkmark.shield", Theme::leaveFG(), Theme::leaveBG()};
    }
    return {"", Theme::text(), Theme::card()};
}

PillLook lookOf(Status status)
{
    switch (status) {
    case Status::quiet: return {"", Theme::green(), Theme::greenBG()};
    case Status::busy: return {"", Theme::amber(), Theme::amberBG()};
    case Status::struggling: return {"", Theme::red(), Theme::redBG()};
    }
    return {"", Theme::text(), Theme::card()};
}

} // namespace

VerdictPill::VerdictPill(Verdict verdict, QWidget* parent)
    : Pill({}, {}, Theme::text(), Theme::card(), parent), verdict_(verdict)
{
    setVerdict(verdict);
}

void VerdictPill::setVerdict(Verdict verdict)
{
    verdict_ = verdict;
    const PillLook look = lookOf(verdict);
    const QString text = QString::fromStdString(label(verdict));
    set(text, QString::fromLatin1(look.symbol), look.fg, look.bg);
    setAccessibleName(QStringLiteral("Verdict: ") + text);
}

// StatusPill

StatusPill::StatusPill(Status status, QWidget* parent)
    : Pill({}, {}, Theme::text(), Theme::card(), parent), status_(status)
{
    setStatus(status);
}

void StatusPill::setStatus(Status status)
{
    status_ = status;
    const PillLook look = lookOf(status);
    const QString text = QString::fromStdString(label(status));
    set(text, {}, look.fg, look.bg);
    setAccessibleName(QStringLiteral("Status: ") + text);
}

// LeaveNote, SectionLabel

LeaveNote::LeaveNote(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setFont(Fonts::system(12));
    setForeground(this, Theme::text3());
}

SectionLabel::SectionLabel(const QString& text, QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    QFont font = Fonts::system(11.5, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    setFont(font);
    setForeground(this, Theme::text3());
    setCaption(text);
}

void SectionLabel::setCaption(const QString& text)
{
    setText(text.toUpper());
}

// Card

Card::Card(QWidget* content, QWidget* parent) : QFrame(parent), layout_(new QVBoxLayout(this))
{
    layout_->setContentsMargins(24, 24, 24, 24);
    layout_->setSpacing(0);
    if (content)
        layout_->addWidget(content);
}

void Card::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    fillRounded(painter, rect(), 16, Theme::card(), Theme::line());
}

// Button styles

namespace {

constexpr const char* keyboardFocusProperty = "keyboardFocus";
// On a control whose mark is drawn by the frame around it: that frame.
constexpr const char* keyboardFocusFrameProperty = "keyboardFocusFrame";
constexpr int focusRingWidth = 2;

// Keeps a button's keyboard-focus property true while it has the focus and its window has
// seen the keyboard move, as the platform's own focus frames do: a window that merely opens
// with the focus on a button shows no mark there until Tab is pressed.
class KeyboardFocusWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
            return false;
        auto* control = static_cast<QWidget*>(watched);
        const bool marked =
            event->type() == QEvent::FocusIn && control->window()->testAttribute(Qt::WA_KeyboardFocusChange);
        auto* frame = qobject_cast<QWidget*>(control->property(keyboardFocusFrameProperty).value<QObject*>());
        QWidget* widget = frame != nullptr ? frame : control;
        if (widget->property(keyboardFocusProperty).toBool() != marked) {
            widget->setProperty(keyboardFocusProperty, marked);
            // Style sheets read a property only when the widget is polished again.
            widget->style()->unpolish(widget);
            widget->style()->polish(widget);
            widget->update();
        }
        return false;
    }
};

void applyButtonStyle(QPushButton* button, const QFont& font, const QString& styleSheet)
{
    button->setFont(font);
    button->setCursor(Qt::PointingHandCursor);
    showKeyboardFocus(button);
    button->setStyleSheet(styleSheet);
}

void watchKeyboardFocus(QWidget* control)
{
    static KeyboardFocusWatch* const watch = new KeyboardFocusWatch;
    control->installEventFilter(watch);
}

} // namespace

void showKeyboardFocus(QAbstractButton* button)
{
    button->setFocusPolicy(Qt::TabFocus);
    watchKeyboardFocus(button);
}

void showKeyboardFocus(QWidget* field, QWidget* frame)
{
    field->setProperty(keyboardFocusFrameProperty, QVariant::fromValue<QObject*>(frame));
    watchKeyboardFocus(field);
}

bool keyboardFocusShown(const QWidget* control)
{
    return control->property(keyboardFocusProperty).toBool();
}

QString focusRingRule(int vertical, int horizontal, const QColor& colour, const QString& selector)
{
    return QStringLiteral("%5[keyboardFocus=\"true\"] { border: %1px solid %2; padding: %3px %4px; }")
        .arg(focusRingWidth)
        .arg(Theme::css(colour))
        .arg(std::max(vertical - focusRingWidth, 0))
        .arg(std::max(horizontal - focusRingWidth, 0))
        .arg(selector);
}

QString focusUnderlineRule()
{
    return QStringLiteral("QPushButton { outline: none; }"
                          "QPushButton[keyboardFocus=\"true\"] { text-decoration: underline; }");
}

void PrimaryButtonStyle::apply(QPushButton* button)
{
    const QColor fill = Theme::button();
    QColor pressed = fill;
    pressed.setAlphaF(0.8);
    QColor pressedText(Qt::white);
    pressedText.setAlphaF(0.8);
    // The ring is near-white here: the light accent is too close to the fill to stand out.
    applyButtonStyle(button, Fonts::system(13.5, QFont::DemiBold),
                     QStringLiteral("QPushButton { color: white; background: %1; border: none;"
                                    " border-radius: 9px; padding: 9px 16px; outline: none; }")
                             .arg(Theme::css(fill))
                         + focusRingRule(9, 16, Theme::text())
                         + QStringLiteral("QPushButton:pressed { background: %1; color: %2; }"
                                          "QPushButton:disabled { background: %3; color: %4; }")
                               .arg(Theme::css(pressed), Theme::css(pressedText),
                                    Theme::css(QColor(fill.red(), fill.green(), fill.blue(), 102)),
                                    Theme::css(QColor(255, 255, 255, 128))));
}

void SecondaryButtonStyle::apply(QPushButton* button)
{
    const QColor disabledText(Theme::text().red(), Theme::text().green(), Theme::text().blue(), 102);
    applyButtonStyle(button, Fonts::system(13.5, QFont::Medium),
                     QStringLiteral("QPushButton { color: %1; background: rgba(255, 255, 255, 0.02);"
                                    " border: 1px solid %2; border-radius: 9px; padding: 8px 13px; outline: none; }")
                             .arg(Theme::css(Theme::text()), Theme::css(Theme::secondaryLine()))
                         + focusRingRule(9, 14, Theme::accentLight())
                         + QStringLiteral("QPushButton:pressed { background: rgba(255, 255, 255, 0.06); }"
                                          "QPushButton:disabled { color: %1; }")
                               .arg(Theme::css(disabledText)));
}

QPushButton* primaryButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    PrimaryButtonStyle::apply(button);
    return button;
}

QMessageBox* alertBox(QWidget* parent, const QString& title, const QString& message)
{
    auto* box = new QMessageBox(parent);
    box->setWindowTitle(QStringLiteral("Corvane"));
    box->setIconPixmap(QApplication::windowIcon().pixmap(48, 48));
    box->setTextFormat(Qt::PlainText);
    box->setText(title);
    box->setInformativeText(message);
    // Messages quote names that apps and web pages choose: show them as typed, never as
    // markup or as links the box would open (the informative line ignores setTextFormat).
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    box->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { font-weight: bold; }"));
    // Message boxes size themselves to their words; a floor keeps short ones from wrapping early.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(380, 0), grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

QPushButton* addConfirmation(QMessageBox* box, const QString& confirm, bool destructive)
{
    QPushButton* confirming = box->addButton(confirm, destructive ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    // The default button also takes the focus, which is where Return goes.
    box->setDefaultButton(destructive ? cancel : confirming);
    return confirming;
}

void openModal(QDialog* modal)
{
    QPointer<QWidget> beneath = modal->parentWidget() ? modal->parentWidget()->window() : nullptr;
    QObject::connect(modal, &QDialog::finished, modal, [beneath] {
        if (!beneath || !beneath->isVisible())
            return;
        // Whatever opened when this one closed (the next alert) is the newest modal window.
        QWidget* top = QApplication::activeModalWidget();
        const bool over = top && top->parentWidget() && top->parentWidget()->window() == beneath;
        (over ? top : beneath.data())->activateWindow();
    });
    modal->open();
    modal->activateWindow();
}

QPushButton* secondaryButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    SecondaryButtonStyle::apply(button);
    return button;
}

// ProcessIcon

ProcessIcon::ProcessIcon(AppIconProvider& icons, const ProcessGroup& group, const QString& symbol, double size,
                         QWidget* parent)
    : QWidget(parent), icons_(icons), size_(size)
{
    const int side = int(std::ceil(size));
    setFixedSize(side, side);
    connect(&icons, &AppIconProvider::found, this, [this](const QString& appPath) {
        if (appPath_ && appPath == QString::fromStdString(*appPath_))
            takeAppIcon();
    });
    setGroup(group, symbol);
}

void ProcessIcon::setGroup(const ProcessGroup& group, const QString& symbol)
{
    appPath_ = group.appPath;
    if (symbol != symbol_) {
        symbol_ = symbol;
        update();
    }
    takeAppIcon();
}

void ProcessIcon::takeAppIcon()
{
    QIcon icon = appPath_ ? icons_.icon(*appPath_) : QIcon();
    if (icon.cacheKey() == appIcon_.cacheKey())
        return;
    appIcon_ = std::move(icon);
    update();
}

void ProcessIcon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF square(0, 0, size_, size_);
    if (!appIcon_.isNull()) {
        appIcon_.paint(&painter, rect());
        return;
    }
    fillRounded(painter, square, 9, Theme::raised(), Theme::symbolLine());
    const double side = size_ * 0.6;
    const QPixmap image = SymbolIcons::pixmap(symbol_, Theme::symbolTint(), side, devicePixelRatioF());
    painter.drawPixmap(QRectF((size_ - side) / 2, (size_ - side) / 2, side, side), image, QRectF(image.rect()));
}

} // namespace corvane
