#pragma once

#include "Core/ChromiumBrowser.hpp"

#include <QWidget>

namespace corvane {

struct ViewEnvironment;

// The tabs of one browser, shown in a sheet over the main window.
class BrowserPanel : public QWidget {
    Q_OBJECT
public:
    BrowserPanel(ChromiumBrowser browser, ViewEnvironment& environment, QWidget* parent = nullptr);
};

} // namespace corvane
