#pragma once

#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "Tests/App/Support/FakeFixBackend.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"

#include <QLabel>
#include <QWidget>

#include <memory>

namespace corvane::test {

// The shared objects a tool screen is built with, over virtual time and a step executor.
struct ToolScreenHarness {
    MonitorHarness harness;
    Monitor& monitor = harness.monitor();
    Router router;
    std::shared_ptr<FakeFixBackend> backend = std::make_shared<FakeFixBackend>();
    FixActions fixActions{monitor, router, harness.executor, backend};
    ViewEnvironment env{monitor,       router,           fixActions,       *harness.settings,
                        harness.clock, harness.scheduler, harness.executor};
};

// Whether a visible label in the widget reads exactly `text`.
inline bool showsText(const QWidget& widget, const QString& text)
{
    for (const QLabel* label : widget.findChildren<QLabel*>()) {
        if (label->text() == text && label->isVisibleTo(&widget))
            return true;
    }
    return false;
}

} // namespace corvane::test
