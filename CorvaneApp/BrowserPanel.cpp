#include "CorvaneApp/BrowserPanel.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

BrowserPanel::BrowserPanel(ChromiumBrowser browser, ViewEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    (new QVBoxLayout(this))->addWidget(new QLabel(QString::fromStdString(appName(browser)), this), 0, Qt::AlignCenter);
}

} // namespace corvane
