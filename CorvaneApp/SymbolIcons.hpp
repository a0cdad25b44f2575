#pragma once

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QString>

namespace corvane {

// The bundled line symbols, keyed by their system symbol names ("cpu",
// "checkmark.circle" ...). Each is drawn in one colour on a 24-unit grid and
// recoloured here to whatever colour a view asks for.
namespace SymbolIcons {

// Whether a symbol of that name is bundled.
bool has(const QString& name);

// Every bundled name, sorted.
QStringList names();

// The symbol `size` logical pixels square in `colour`, for a screen of the
// given device pixel ratio. An unknown name draws the generic "gearshape".
QPixmap pixmap(const QString& name, const QColor& colour, double size, qreal devicePixelRatio = 1.0);

// The symbol as an icon in one colour, for buttons and menus.
QIcon icon(const QString& name, const QColor& colour);

} // namespace SymbolIcons

// A symbol shown at a fixed size and colour; its name is the "symbol" property.
class SymbolLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol)

public:
    SymbolLabel(const QString& symbol, const QColor& colour, double size, QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    void setColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void render();

    QString symbol_;
    QColor colour_;
    double size_;
};

} // namespace corvane
