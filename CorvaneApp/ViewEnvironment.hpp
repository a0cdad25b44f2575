#pragma once

#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Clock.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Platform/AppIconProvider.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/Scheduler.hpp"
#include "CorvaneApp/StartAtLogin.hpp"

namespace corvane {

// The shared objects every view is given; views read them and use the seams for their
// own timers and workers.
struct ViewEnvironment {
    Monitor& monitor;
    Router& router;
    FixActions& fixActions;
    AppSettings& settings;
    const Clock& clock;
    Scheduler& scheduler;
    Executor& executor;
    AppIconProvider& icons;
    StartAtLogin& startAtLogin;
};

} // namespace corvane
