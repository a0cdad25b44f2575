#pragma once

#include <QLayout>
#include <QList>

namespace corvane {

// Widgets side by side at their preferred sizes, from the leading edge, that carry on
// at the start of a new line where the next one would not fit, so a narrow window
// moves a button down rather than cutting it off. Hidden widgets take no room.
class FlowRow : public QLayout {
public:
    FlowRow(QWidget* parent, int spacing);
    ~FlowRow() override;

    // Puts a widget at `index` among the row's items (at the end for a negative index).
    void insertWidget(int index, QWidget* widget);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Lays the items out in `rect` (or only measures, when `apply` is false) and returns
    // the height they take, margins included.
    int arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
};

} // namespace corvane
