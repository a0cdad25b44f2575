#include "CorvaneApp/Toast.hpp"

#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QGuiApplication>
#include <QPainter>
#include <QVariantAnimation>

namespace corvane {

namespace {

constexpr int paddingX = 16;
constexpr int paddingY = 10;
constexpr int spaceBelow = 24;
constexpr int travel = 16;  // how far the toast moves in from the bottom

QFont toastFont()
{
    return Fonts::system(13, QFont::Medium);
}

// Nothing watches an offscreen window move, and tools that render one want the end state.
bool animates()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

} // namespace

ToastView::ToastView(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent), environment_(environment), presence_(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(toastFont());
    presence_->setDuration(220);
    presence_->setEasingCurve(QEasingCurve::OutCubic);
    connect(presence_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toDouble();
        update();
    });
    connect(presence_, &QVariantAnimation::finished, this, [this] {
        if (text_.isEmpty())
            QWidget::hide();
    });
    connect(&environment_.fixActions, &FixActions::toastChanged, this, &ToastView::refresh);
    QWidget::hide();
    refresh();
}

ToastView::~ToastView()
{
    environment_.scheduler.cancel(clearing_);
}

void ToastView::refresh()
{
    const auto& toast = environment_.fixActions.toast();
    const QString text = toast ? QString::fromStdString(*toast) : QString();
    if (text != text_) {
        text_ = text;
        if (!text.isEmpty())
            drawn_ = text;
        updateGeometry();
        adjustSize();
        Q_EMIT resized();
        animate(!text.isEmpty());
    }
    restartClearing();
}

void ToastView::animate(bool in)
{
    presence_->stop();
    if (in)
        QWidget::show();
    if (!animates() || !isVisible()) {
        progress_ = in ? 1 : 0;
        if (!in)
            QWidget::hide();
        update();
        return;
    }
    presence_->setStartValue(progress_);
    presence_->setEndValue(in ? 1.0 : 0.0);
    presence_->start();
}

void ToastView::restartClearing()
{
    // Each text gets its own wait, counted from when it is on screen.
    environment_.scheduler.cancel(clearing_);
    clearing_ = 0;
    if (text_.isEmpty() || !isVisible())
        return;
    clearing_ = environment_.scheduler.schedule(lifetime, this, [this] {
        clearing_ = 0;
        environment_.fixActions.setToast(std::nullopt);
    });
}

void ToastView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    restartClearing();
}

void ToastView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    environment_.scheduler.cancel(clearing_);
    clearing_ = 0;
}

void ToastView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Q_EMIT resized();
}

QSize ToastView::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QString& text = text_.isEmpty() ? drawn_ : text_;
    return {metrics.horizontalAdvance(text) + 2 * paddingX + 2, metrics.height() + 2 * paddingY + spaceBelow};
}

void ToastView::paintEvent(QPaintEvent*)
{
    if (drawn_.isEmpty() || progress_ <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(progress_);
    painter.translate(0, (1 - progress_) * travel);
    const QRectF capsule = QRectF(0, 0, width(), height() - spaceBelow).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = capsule.height() / 2;
    painter.setPen(QPen(Theme::line(), 1));
    painter.setBrush(Theme::raised());
    painter.drawRoundedRect(capsule, radius, radius);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(capsule, Qt::AlignCenter, drawn_);
}

} // namespace corvane
