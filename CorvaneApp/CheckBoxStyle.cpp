#include "CorvaneApp/CheckBoxStyle.hpp"

#include "CorvaneApp/Theme.hpp"

#include <QCheckBox>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>

namespace corvane {

namespace {

// Over the base style, only the box itself is drawn here.
class Style final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_FrameFocusRect) {
            // The keyboard's place, ticked or not: a ring in the light accent around the label.
            if (option->state & State_KeyboardFocusChange) {
                painter->save();
                painter->setRenderHint(QPainter::Antialiasing);
                painter->setPen(QPen(Theme::accentLight(), 1));
                painter->setBrush(Qt::NoBrush);
                painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 3.5, 3.5);
                painter->restore();
            }
            return;
        }
        if (element != PE_IndicatorCheckBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (!(option->state & State_Enabled))
            painter->setOpacity(0.4);
        const QRectF box(option->rect);
        constexpr double radius = 4;
        if (option->state & State_On) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(Theme::accent());
            painter->drawRoundedRect(box, radius, radius);
            QPainterPath tick;
            tick.moveTo(box.left() + box.width() * 0.24, box.top() + box.height() * 0.52);
            tick.lineTo(box.left() + box.width() * 0.43, box.top() + box.height() * 0.71);
            tick.lineTo(box.left() + box.width() * 0.77, box.top() + box.height() * 0.30);
            painter->setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter->setBrush(Qt::NoBrush);
            painter->drawPath(tick);
        } else {
            // The keyboard's place shows in the light accent.
            const bool focused = (option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange);
            painter->setPen(QPen(focused ? Theme::accentLight() : Theme::text3(), 1));
            painter->setBrush(QColor(255, 255, 255, 10));
            // Half a pixel in, so the 1-pixel outline covers whole pixels.
            painter->drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
        }
        painter->restore();
    }
};

} // namespace

void CheckBoxStyle::apply(QCheckBox* box)
{
    // One style for every box, for the life of the app.
    static Style* const style = new Style;
    box->setStyle(style);
}

} // namespace corvane
