#pragma once

#include <QLabel>

namespace corvane {

// A one-line label that ends its text with "…" when it is too narrow, instead of
// growing to fit it or cutting it. text() keeps the whole text; setFullText also
// makes it the tooltip. It is tall enough for all of its glyphs' ink.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    ElidedLabel(const QFont& font, const QColor& colour, QWidget* parent = nullptr);

    void setFullText(const QString& text);
    // The text as it is drawn at the label's present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Whole pixels of the line above and below its baseline.
    struct Extent {
        int above;
        int below;
    };
    Extent extent() const;
};

} // namespace corvane
