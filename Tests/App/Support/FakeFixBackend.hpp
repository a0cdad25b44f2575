#pragma once

#include "CorvaneApp/FixBackend.hpp"

#include <deque>
#include <string>
#include <vector>

namespace corvane::test {

// Records every call and answers the outcomes the test queued (done when none is queued).
class FakeFixBackend final : public FixBackend {
public:
    struct QuitCall {
        std::string groupID;
        bool force = false;
        std::chrono::nanoseconds timeout{};
    };

    std::deque<FixOutcome> quitOutcomes;
    FixOutcome rebuildOutcome = FixOutcome::done();
    FixOutcome restartOutcome = FixOutcome::done();
    bool panesOpen = true;  // what opening a settings pane answers
    bool pagesOpen = true;  // what opening a web page answers

    std::vector<QuitCall> quits;
    std::vector<SettingsPane> opened;
    std::vector<std::string> pages;
    int ferncourtOpened = 0;
    int rebuilds = 0;
    int restarts = 0;

    FixOutcome quit(const ProcessGroup& group, bool force, std::chrono::nanoseconds timeout) override
    {
        quits.push_back({group.id, force, timeout});
        if (quitOutcomes.empty())
            return FixOutcome::done();
        auto outcome = quitOutcomes.front();
        quitOutcomes.pop_front();
        return outcome;
    }
    bool open(SettingsPane pane) override
    {
        opened.push_back(pane);
        return panesOpen;
    }
    void openFerncourt() override { ++ferncourtOpened; }
    bool openPage(const std::string& url) override
    {
        pages.push_back(url);
        return pagesOpen;
    }
    FixOutcome rebuildSpotlightIndex() override
    {
        ++rebuilds;
        return rebuildOutcome;
    }
    FixOutcome restartMac() override
    {
        ++restarts;
        return restartOutcome;
    }
};

} // namespace corvane::test
