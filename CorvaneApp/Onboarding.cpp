#include "CorvaneApp/Onboarding.hpp"

#include "CorvaneApp/CheckBoxStyle.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/StartAtLogin.hpp"
#include "CorvaneApp/Surfaces.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace corvane {

namespace {

QWidget* point(const QString& icon, const QString& text, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    auto* symbol = new SymbolLabel(icon, Theme::accentLight(), 18, row);
    symbol->setFixedWidth(22);
    layout->addWidget(symbol, 0, Qt::AlignVCenter);
    layout->addWidget(textLabel(text, Fonts::system(15), Theme::text(), row), 1, Qt::AlignVCenter);
    return row;
}

} // namespace

Onboarding::Onboarding(StartAtLogin& startAtLogin, QWidget* parent)
    : QWidget(parent),
      setting_(startAtLogin),
      startAtLogin_(new QCheckBox(QStringLiteral("Start Corvane at login"), this)),
      getStarted_(primaryButton(QStringLiteral("Get started"), this))
{
    setFixedWidth(520);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Theme::card());
    palette.setColor(QPalette::WindowText, Theme::text());
    palette.setColor(QPalette::Text, Theme::text());
    palette.setColor(QPalette::Button, Theme::raised());
    palette.setColor(QPalette::ButtonText, Theme::text());
    setPalette(palette);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 32, 32, 32);
    column->setSpacing(18);

    column->addWidget(appMark(52, 13, 28, this), 0, Qt::AlignLeft);
    column->addWidget(textLabel(QStringLiteral("Find out why your Mac is slow"), Fonts::system(24, QFont::Bold),
                                Theme::text(), this));

    auto* points = new QVBoxLayout;
    points->setSpacing(12);
    points->addWidget(point(QStringLiteral("text.magnifyingglass"), QStringLiteral("See the cause in plain English."), this));
    points->addWidget(point(QStringLiteral("lock.shield"),
                            QStringLiteral("Everything stays on your Mac. Nothing is uploaded."), this));
    column->addLayout(points);

    startAtLogin_->setFont(Fonts::system(13));
    CheckBoxStyle::apply(startAtLogin_);
    setting_.showIn(startAtLogin_);
    column->addWidget(startAtLogin_);

    auto* caption = textLabel(QStringLiteral("This lets Corvane learn how your Mac is used, for upgrade advice. "
                                             "macOS will show a \"Background Items Added\" notice."),
                              Fonts::system(12), Theme::text3(), this);
    caption->setWordWrap(true);
    column->addWidget(caption);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // The sheet's one default button, wherever the keyboard is: an automatic default would
    // hand the role back to the sheet when Tab moves on, and the sheet would have none.
    getStarted_->setDefault(true);
    getStarted_->setAutoDefault(false);
    buttons->addWidget(getStarted_);
    column->addLayout(buttons);

    connect(startAtLogin_, &QCheckBox::toggled, this, &Onboarding::setStartAtLogin);
    connect(getStarted_, &QPushButton::clicked, this, &Onboarding::getStarted);
}

Onboarding::~Onboarding() = default;

void Onboarding::getStarted()
{
    if (finished_)
        return;
    finished_ = true;
    Q_EMIT done();
}

void Onboarding::setStartAtLogin(bool on)
{
    if (setting_.set(on))
        return;
    // A login item that cannot be written is not worth a message here: the box shows
    // the real state again, as Settings and the tray popover do.
    const QSignalBlocker quiet(startAtLogin_);
    startAtLogin_->setChecked(setting_.on());
}

} // namespace corvane
