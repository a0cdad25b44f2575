#pragma once

#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "Tests/App/Support/FakeFixBackend.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"

#include <QLabel>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

namespace corvane::test {

// The shared objects every view is built with, over fakes: a Monitor whose state the
// test sets, a router, a fix dispatcher over a recording backend, virtual time and held
// work.
struct AppHarness {
    // The Monitor's catalog: empty, the one the app ships, or one that failed to load.
    enum class Catalog { empty, shipped, failed };

    explicit AppHarness(Catalog catalog = Catalog::empty) : monitor(build(catalog)) {}

    MonitorHarness harness;
    Monitor& monitor;
    Router router;
    std::shared_ptr<FakeFixBackend> backend = std::make_shared<FakeFixBackend>();
    FixActions actions{monitor, router, harness.executor, backend};
    AppIconProvider icons{harness.executor};
    // The login item is an autostart entry in the harness's own folder.
    StartAtLogin startAtLogin{LoginItem(harness.folder.filePath(QStringLiteral("autostart")), "/usr/bin/corvane")};
    ViewEnvironment env{monitor,       router,           actions,          *harness.settings, harness.clock,
                        harness.scheduler, harness.executor, icons,          startAtLogin};

private:
    // The catalog must be in place before the Monitor is built, which loads it once.
    Monitor& build(Catalog catalog)
    {
        if (catalog == Catalog::shipped)
            harness.catalog = ProcessCatalog::load(CORVANE_CATALOG);
        return harness.monitor(catalog != Catalog::failed);
    }
};

// A group of one or more processes, as the monitor publishes them.
inline ProcessGroup testGroup(const std::string& name, double cpu, int64_t memory, int members = 1,
                              std::optional<std::string> appPath = std::nullopt, int32_t firstPID = 100)
{
    ProcessGroup group{appPath ? *appPath : "pid:" + std::to_string(firstPID), name, appPath, {}, cpu, memory, true};
    for (int i = 0; i < members; ++i) {
        const std::string path = appPath ? *appPath + "/Contents/MacOS/" + name : "/usr/bin/" + name;
        group.members.push_back({firstPID + i, 1, 1000, "ada", path, i == 0 ? name : name + " Helper",
                                 i == 0 ? cpu : 0, memory / members});
    }
    return group;
}

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
