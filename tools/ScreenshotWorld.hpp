#pragma once

#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Clock.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/StartAtLogin.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/Scheduler.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "ScreenshotFixtures.hpp"
#include "Tests/App/Support/StepExecutor.hpp"

#include <QDir>
#include <QSize>
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
    StartAtLogin startAtLogin;
    ViewEnvironment view;
};

// The main window's size in one pass of the tool. Each state is drawn as it looks in a
// window of that size; what the camera does with it is up to the camera.
class Camera {
public:
    explicit Camera(QSize windowSize) : windowSize_(windowSize) {}
    virtual ~Camera() = default;

    QSize windowSize() const { return windowSize_; }
    // What a screen gets of the window beside the sidebar and its line.
    QSize screenSize() const;

    // Lets layouts settle and discarded widgets go, then takes the picture.
    void shoot(QWidget& widget, const QString& name);

protected:
    virtual void take(QWidget& widget, const QString& name) = 0;

private:
    QSize windowSize_;
};

// Writes each picture to "<name><suffix>.png"; remembers whether every one was written.
class PictureCamera final : public Camera {
public:
    PictureCamera(QDir folder, QSize windowSize, QString suffix = {})
        : Camera(windowSize), folder_(std::move(folder)), suffix_(std::move(suffix))
    {
    }
    bool ok() const { return ok_; }

protected:
    void take(QWidget& widget, const QString& name) override;

private:
    QDir folder_;
    QString suffix_;
    bool ok_ = true;
};

// The main window's size when it opens, and the smallest it can be made.
struct WindowSizes {
    QSize normal;
    QSize minimum;
};
WindowSizes mainWindowSizes();

// Lets layouts settle and discarded widgets go before a picture is taken.
void settle();

} // namespace corvane::screenshots
