#include "CorvaneApp/UsageView.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

UsageView::UsageView(ViewEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("Usage"), this), 0, Qt::AlignCenter);
}

} // namespace corvane
