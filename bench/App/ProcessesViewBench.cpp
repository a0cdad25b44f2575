// One tick's refresh of the open Processes screen: the Monitor publishes a tick's
// explanations and groups, and the screen brings its list up to date, lays it out and
// paints it, offscreen. The list is scrolled to its top or its end, one app's detail is
// open (in view), and under churn every lone process of a tick has a new pid, as during
// a build. The counter row_widgets is the number of list rows that exist as widgets.
#include "CorvaneApp/ProcessesView.hpp"
#include "CorvaneApp/Sidebar.hpp"
#include "tools/ScreenshotWorld.hpp"

#include <QApplication>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <array>

using namespace corvane;

namespace {

void startApplication()
{
    static int argc = 1;
    static char name[] = "corvane_app_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's own globals may be gone by the time statics are.
    static auto* application = new QApplication(argc, argv);
    (void)application;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const std::string idePath = "/opt/ide";

// One tick as the Monitor publishes it.
struct Tick {
    std::vector<ProcessGroup> groups;
    std::map<std::string, Explanation> explanations;
};

// `count` lone processes and one app with helpers whose detail is open. The app is the
// busiest (first row) or the idlest (last row), so its detail is in view at either end
// of the list. Odd ticks change every figure a little; with `churn` they also give
// every lone process a new pid.
Tick tick(int count, bool appLast, bool churn, int number, const ProcessCatalog& catalog)
{
    static const std::array<const char*, 10> names{"cc1plus", "ld",   "sleep", "bash", "make",
                                                   "ninja",   "node", "git",   "sh",   "kworker/u16:2"};
    Tick tick;
    const int32_t firstPID = 1000 + (churn ? number * count : 0);
    const double wobble = number % 2 == 0 ? 0 : 0.05;
    for (int i = 0; i < count; ++i) {
        const int32_t pid = firstPID + i;
        const std::string name = names[static_cast<std::size_t>(i) % names.size()];
        const double cpu = 0.1 + (i * 37 % 500) / 10.0 + wobble * (i % 7);
        const int64_t memory = (4LL << 20) + (i * 7919 % 900) * (1LL << 20) + (number % 2) * 4096;
        ProcessUsage member{pid, 1, 1000, "ada", "/usr/bin/" + name, name, cpu, memory};
        tick.groups.push_back({"pid:" + std::to_string(pid), name, std::nullopt, {member}, cpu, memory, true});
    }
    ProcessGroup ide{idePath, "ide", idePath, {}, appLast ? 0 : 400 + wobble, 2LL << 30, true};
    for (int i = 0; i < 12; ++i) {
        const std::string name = i == 0 ? "ide" : "ide-helper";
        ide.members.push_back({firstPID + count + i, 1, 1000, "ada", idePath + "/" + name, name, ide.cpuPercent / 12,
                               ide.memoryBytes / 12});
    }
    tick.groups.insert(appLast ? tick.groups.end() : tick.groups.begin(), std::move(ide));
    for (const auto& group : tick.groups)
        tick.explanations.emplace(group.id, catalog.explain(group));
    return tick;
}

// Scrolls to the end, for as long as scrolling there makes more of the list.
void scrollToEnd(QAbstractScrollArea& list)
{
    QScrollBar* bar = list.verticalScrollBar();
    int lastMaximum = -1;
    while (bar->maximum() != lastMaximum) {
        lastMaximum = bar->maximum();
        bar->setValue(bar->maximum());
        settle();
    }
}

void BM_ProcessesTick(benchmark::State& state)
{
    startApplication();
    const int count = static_cast<int>(state.range(0));
    const bool atEnd = state.range(1) != 0;
    const bool churn = state.range(2) != 0;

    const QSize window = screenshots::mainWindowSizes().normal;
    screenshots::World world;
    const ProcessCatalog& catalog = *world.monitor.catalog();
    const std::array<Tick, 2> ticks{tick(count, atEnd, churn, 0, catalog), tick(count, atEnd, churn, 1, catalog)};
    world.monitor.setExplanations(ticks[0].explanations);
    world.monitor.setGroups(ticks[0].groups);
    world.router.setExpandedID(idePath);

    ProcessesView view(world.view, DetailProbes{});
    view.resize(window.width() - Sidebar::columnWidth() - 1, window.height());
    view.show();
    settle();
    if (atEnd)
        scrollToEnd(*view.list());

    int number = 1;
    for (auto _ : state) {
        state.PauseTiming();
        // Under churn each tick's pids are new; otherwise the two ticks take turns.
        Tick next = churn ? tick(count, atEnd, churn, number, catalog) : ticks[static_cast<std::size_t>(number % 2)];
        state.ResumeTiming();
        world.monitor.setExplanations(std::move(next.explanations));
        world.monitor.setGroups(std::move(next.groups));
        settle();
        ++number;
    }
    state.counters["row_widgets"] = static_cast<double>(view.findChildren<ExpandableRow*>().size());
}
BENCHMARK(BM_ProcessesTick)
    ->ArgNames({"groups", "end", "churn"})
    ->ArgsProduct({{500, 3000, 25000}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace
