#pragma once

#include "Core/BackgroundItem.hpp"
#include "Core/BusyTracker.hpp"
#include "Core/Date.hpp"
#include "Core/Finding.hpp"
#include "Core/MacInfo.hpp"
#include "Core/MemoryStats.hpp"
#include "Core/MinuteAggregator.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/ProcessSource.hpp"
#include "Core/Smoother.hpp"
#include "Core/SystemSignals.hpp"
#include "Core/UsageStore.hpp"
#include "CorvaneApp/MonitorEnvironment.hpp"
#include "CorvaneApp/Scheduler.hpp"

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class AppSettings;

// One point of the ten-minute CPU history.
struct CPUPoint {
    Date date;
    double load = 0;  // the machine's CPU load percent, 0 to 100
};

// The app's live model: runs the sampling loop on the GUI thread, does the blocking
// work on workers and publishes what it finds. Every published property has a getter,
// a setter that stores and notifies only on change (cpuHistory notifies on every store;
// togglePause always changes isPaused, so it notifies on every toggle), and a
// <name>Changed signal. The setters let tests and tools put the
// Monitor in any state without running its loop.
class Monitor : public QObject {
    Q_OBJECT
public:
    Monitor(MonitorEnvironment environment, AppSettings& settings, QObject* parent = nullptr);
    ~Monitor() override;

    // Published state.
    const std::vector<ProcessGroup>& groups() const { return groups_; }
    const std::optional<SystemSignals>& signals() const { return signals_; }
    const DiagnosisResult& result() const { return result_; }
    const std::optional<Date>& lastChecked() const { return lastChecked_; }
    const std::optional<std::string>& error() const { return error_; }
    const std::optional<Date>& spotlightBusySince() const { return spotlightBusySince_; }
    const std::map<std::string, Explanation>& explanations() const { return explanations_; }
    const std::vector<BackgroundItem>& backgroundItems() const { return backgroundItems_; }
    const std::vector<CPUPoint>& cpuHistory() const { return cpuHistory_; }
    const std::optional<MemoryBreakdown>& memory() const { return memory_; }
    const std::optional<MacInfo>& mac() const { return mac_; }
    bool keepHistory() const { return keepHistory_; }
    const UsageStore& usageStore() const { return usageStore_; }
    bool isPaused() const { return isPaused_; }
    bool windowVisible() const { return windowVisible_; }
    bool menuOpen() const { return menuOpen_; }
    const std::optional<std::string>& stuckApp() const { return stuckApp_; }
    // Null when the catalog file could not be loaded; never changes.
    const ProcessCatalog* catalog() const { return catalog_.get(); }

    void setGroups(std::vector<ProcessGroup> groups);
    void setSignals(std::optional<SystemSignals> signals);
    void setResult(DiagnosisResult result);
    void setLastChecked(std::optional<Date> date);
    void setError(std::optional<std::string> error);
    void setSpotlightBusySince(std::optional<Date> date);
    void setExplanations(std::map<std::string, Explanation> explanations);
    void setBackgroundItems(std::vector<BackgroundItem> items);
    void setCpuHistory(std::vector<CPUPoint> history);
    void setMemory(std::optional<MemoryBreakdown> memory);
    void setMac(std::optional<MacInfo> mac);
    // Also writes the "keepUsageHistory" setting, on every store.
    void setKeepHistory(bool keep);
    void setIsPaused(bool paused);
    // A change restarts a started monitor's loop (new interval, a tick at once); hiding
    // also forgets explanations and background items. Before start() nothing runs, so
    // tools can show a Monitor in any state.
    void setWindowVisible(bool visible);
    // A change restarts a started monitor's loop.
    void setMenuOpen(bool open);
    void setStuckApp(std::optional<std::string> app);

    // Starts the loop (first tick at once); nothing while a loop runs or without a catalog.
    void start();
    // Runs one tick at the next turn of the event loop, also while paused.
    void checkNow();
    // Flips isPaused; resuming checks at once.
    void togglePause();
    // One sampling pass: returns at once while another runs or without a catalog.
    // `finished` runs on the GUI thread when the pass is over, whatever happened.
    void tick(std::function<void()> finished = {});
    // Rescans the background items unless the last scan is fresh (60 s while the window
    // is visible, 600 s hidden) and not forced. `finished` runs when the scan has been
    // applied, or at once when it was skipped.
    void refreshBackgroundItems(bool force, std::function<void()> finished = {});

    // Queries.
    std::optional<ProcessGroup> group(const std::optional<std::string>& id) const;
    std::optional<ProcessUsage> usage(int32_t pid) const;
    std::optional<Explanation> explanation(const ProcessGroup& group) const;

    // Whether a sampling loop is running.
    bool isRunning() const { return loopRunning_; }

    // The text a failed tick publishes.
    static constexpr std::string_view sampleFailedMessage = "Couldn't read processes. Retrying.";

Q_SIGNALS:
    void groupsChanged();
    void signalsChanged();
    void resultChanged();
    void lastCheckedChanged();
    void errorChanged();
    void spotlightBusySinceChanged();
    void explanationsChanged();
    void backgroundItemsChanged();
    void cpuHistoryChanged();
    void memoryChanged();
    void macChanged();
    void keepHistoryChanged();
    void isPausedChanged();
    void windowVisibleChanged();
    void menuOpenChanged();
    void stuckAppChanged();

private:
    struct TickOutput;

    void observeSleep();
    void cancelLoop();
    void restartLoop();
    void loopIteration(std::uint64_t generation);
    void afterLoopTick(std::uint64_t generation);
    void applyTick(TickOutput output, bool visible, std::function<void()> finished);
    void record(const SystemSignals& signals, const MemoryBreakdown& memory);
    void readMacAndPrune();

    MonitorEnvironment env_;
    AppSettings& settings_;

    std::vector<ProcessGroup> groups_;
    std::optional<SystemSignals> signals_;
    DiagnosisResult result_;
    std::optional<Date> lastChecked_;
    std::optional<std::string> error_;
    std::optional<Date> spotlightBusySince_;
    std::map<std::string, Explanation> explanations_;
    std::vector<BackgroundItem> backgroundItems_;
    std::vector<CPUPoint> cpuHistory_;
    std::optional<MemoryBreakdown> memory_;
    std::optional<MacInfo> mac_;
    bool keepHistory_ = true;
    UsageStore usageStore_;
    bool isPaused_ = false;
    bool windowVisible_ = false;
    bool menuOpen_ = false;
    std::optional<std::string> stuckApp_;
    std::shared_ptr<const ProcessCatalog> catalog_;

    // Shared with workers so a tick never copies the last process table.
    std::shared_ptr<const std::optional<Snapshot>> previous_;
    std::vector<Smoother::CPUByID> history_;
    BusyTracker busy_;
    bool ticking_ = false;
    std::optional<Date> itemsLoadedAt_;
    MinuteAggregator aggregator_;
    std::unique_ptr<SleepWatcher> sleepWatcher_;

    // The loop: a generation that a cancelled loop no longer matches, and its pending sleep.
    bool started_ = false;
    bool loopRunning_ = false;
    std::uint64_t loopGeneration_ = 0;
    Scheduler::Token sleepToken_ = 0;
    // Background-item scans: the newest started, and the newest whose result was stored.
    std::uint64_t scansStarted_ = 0;
    std::uint64_t scanStored_ = 0;
};

} // namespace corvane
