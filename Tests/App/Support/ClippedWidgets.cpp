#include "Tests/App/Support/ClippedWidgets.hpp"

#include "CorvaneApp/ElidedLabel.hpp"

#include <QAbstractButton>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QLabel>

#include <algorithm>

namespace corvane::test {
namespace {

const QChar ellipsis(0x2026);

QString describe(const QWidget& widget)
{
    QString text = widget.accessibleName();
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        text = button->text();
    return QStringLiteral("%1 \"%2\" %3 wide").arg(QString::fromLatin1(widget.metaObject()->className()), text)
        .arg(widget.width());
}

// The widget's columns, in root coordinates, that every ancestor up to the root shows.
std::pair<int, int> shownColumns(const QWidget& widget, const QWidget& root)
{
    int left = widget.mapTo(&root, QPoint(0, 0)).x();
    int right = left + widget.width();
    for (const QWidget* outer = widget.parentWidget(); outer; outer = outer->parentWidget()) {
        const int x = outer == &root ? 0 : outer->mapTo(&root, QPoint(0, 0)).x();
        left = std::max(left, x);
        right = std::min(right, x + outer->width());
        if (outer == &root)
            break;
    }
    return {left, std::max(left, right)};
}

bool shortenedOnPurpose(const QString& text)
{
    return text.endsWith(ellipsis);
}

// A one-line text label whose widest line does not fit between its margins.
bool labelCutsText(const QLabel& label)
{
    if (label.wordWrap() || label.text().isEmpty() || qobject_cast<const ElidedLabel*>(&label) ||
        shortenedOnPurpose(label.text()) || label.textFormat() == Qt::RichText)
        return false;
    int widest = 0;
    for (const QString& line : label.text().split(QLatin1Char('\n')))
        widest = std::max(widest, label.fontMetrics().horizontalAdvance(line));
    const int room = label.contentsRect().width() - 2 * std::max(label.margin(), 0) - std::max(label.indent(), 0);
    return widest > room + 1;
}

bool buttonCutsText(const QAbstractButton& button)
{
    return !button.text().isEmpty() && !shortenedOnPurpose(button.text()) &&
           button.sizeHint().width() > button.width();
}

} // namespace

QStringList clippedWidgets(const QWidget& root)
{
    QStringList found;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        // Alerts and sheets over the root are windows of their own.
        if (widget->window() != root.window() || !widget->isVisibleTo(&root) || widget->width() <= 0)
            continue;
        const auto [left, right] = shownColumns(*widget, root);
        // A widget wholly out of sight sideways is as lost as one cut in half.
        if (right - left < widget->width())
            found.append(QStringLiteral("clipped to %1 px: ").arg(right - left) + describe(*widget));
        else if (const auto* label = qobject_cast<const QLabel*>(widget); label && labelCutsText(*label))
            found.append(QStringLiteral("text cut: ") + describe(*widget));
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget); button && buttonCutsText(*button))
            found.append(QStringLiteral("text cut: ") + describe(*widget));
        // Axis labels the chart had to shorten to fit between their neighbours.
        if (const auto* chart = qobject_cast<const QChartView*>(widget)) {
            for (const QString& label : chartTexts(*chart)) {
                if (label.endsWith(QLatin1String("...")) || shortenedOnPurpose(label))
                    found.append(QStringLiteral("chart label shortened to \"%1\" in ").arg(label) + describe(*widget));
            }
        }
    }
    return found;
}

QStringList chartTexts(const QChartView& view)
{
    QStringList texts;
    if (!view.scene())
        return texts;
    for (const QGraphicsItem* item : view.scene()->items()) {
        const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(item);
        if (text && text->isVisible() && !text->toPlainText().isEmpty())
            texts.append(text->toPlainText());
    }
    return texts;
}

} // namespace corvane::test
