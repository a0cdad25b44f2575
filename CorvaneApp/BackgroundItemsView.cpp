#include "CorvaneApp/BackgroundItemsView.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

BackgroundItemsView::BackgroundItemsView(ViewEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("Background Items"), this), 0, Qt::AlignCenter);
}

} // namespace corvane
