#include "CorvaneApp/ProcessesView.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

ProcessesView::ProcessesView(ViewEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("Processes"), this), 0, Qt::AlignCenter);
}

} // namespace corvane
