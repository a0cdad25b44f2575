#include "CorvaneApp/InternetView.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

InternetView::InternetView(ViewEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("Internet"), this), 0, Qt::AlignCenter);
}

} // namespace corvane
