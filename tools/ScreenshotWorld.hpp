#pragma once

#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Clock.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Platform/LoginItem.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/Scheduler.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "ScreenshotFixtures.hpp"
#include "Tests/App/Support/StepExecutor.hpp"

#include <QDir>
#include <QTemporaryDir>

class QWidget;

namespace corvane::screenshots {

// 2026-03-02 14:30 UTC: fixtures speak of times around it.
class FixedClock final : public Clock {
public:
    Date now() const override { return Date(std::chrono::seconds(1772461800)); }
};

// Time stands still: nothing scheduled ever runs.
class HeldScheduler final : public Scheduler {
public:
    Token schedule(double, QObject*, std::function<void()>) override { return ++next_; }
    void cancel(Token) override {}

private:
    Token next_ = 0;
};

// Background work is dropped, so the Monitor never samples this machine and no fix runs.
class HeldExecutor final : public Executor {
protected:
    void submit(Lane, QObject*, Job) override {}
};

// The shared objects of the app, in a settings folder of their own. The Monitor and the
// fix actions hold their work; the views' work waits in `work` for the tool to drain.
struct World {
    explicit World(bool withCatalog = true);

    // Puts the Monitor, actions, router and settings in the fixture's state.
    void apply(const Fixture& fixture);
    FixtureWorld fixtureWorld() { return {monitor, actions, router, settings, clock.now()}; }

    MonitorEnvironment environment(bool withCatalog);

    QTemporaryDir folder;
    FixedClock clock;
    HeldScheduler scheduler;
    HeldExecutor held;
    test::StepExecutor work;  // runAll() lets the views' probes answer
    AppSettings settings;
    Monitor monitor;
    Router router;
    FixActions actions;
    AppIconProvider icons;
    ViewEnvironment view;
    LoginItem loginItem;
};

// Where the pictures go; remembers whether every one was written.
class Camera {
public:
    explicit Camera(QDir folder) : folder_(std::move(folder)) {}

    // Lets layouts settle and discarded widgets go, then writes "<name>.png".
    void shoot(QWidget& widget, const QString& name);
    bool ok() const { return ok_; }

private:
    QDir folder_;
    bool ok_ = true;
};

// Lets layouts settle and discarded widgets go before a picture is taken.
void settle();

} // namespace corvane::screenshots
