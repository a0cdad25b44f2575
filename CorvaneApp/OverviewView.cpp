#include "CorvaneApp/OverviewView.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

OverviewView::OverviewView(ViewEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("Overview"), this), 0, Qt::AlignCenter);
}

} // namespace corvane
