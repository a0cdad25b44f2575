#pragma once

#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Router.hpp"

#include <functional>
#include <string>
#include <vector>

namespace corvane::screenshots {

// What a fixture may set up: the Monitor's published state, pending questions and toasts,
// and settings. Nothing runs: the tool never starts sampling.
struct FixtureWorld {
    Monitor& monitor;
    FixActions& actions;
    Router& router;
    AppSettings& settings;
    Date now;
};

// One state of the app to render every view in. The files are named
// "<name>-<view>.png"; with `withCatalog` false the Monitor has no process catalog.
struct Fixture {
    std::string name;
    bool withCatalog = true;
    std::function<void(FixtureWorld&)> apply;
};

// Every state the tool renders, in order. Add a state here to have every view drawn in it.
std::vector<Fixture> fixtures();

} // namespace corvane::screenshots
