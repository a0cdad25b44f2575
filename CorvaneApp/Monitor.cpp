#include "CorvaneApp/Monitor.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/BackgroundItemsReader.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Diagnosis.hpp"
#include "Core/SamplingPolicy.hpp"
#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Clock.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/Logging.hpp"
#include "CorvaneApp/PendingWrites.hpp"
#include "CorvaneApp/Published.hpp"

#include <algorithm>
#include <unordered_set>

namespace corvane {

// What the background part of a tick hands back to the GUI thread.
struct Monitor::TickOutput {
    Snapshot snapshot;
    std::vector<ProcessGroup> groups;  // not yet smoothed
    SystemSignals signals;
    std::map<std::string, Explanation> explanations;  // empty when the window was hidden
    MemoryBreakdown memory;
};

namespace {

constexpr double historySeconds = 600;
constexpr std::size_t smoothingTicks = 3;
constexpr int keepHistoryDays = 30;
constexpr double visibleItemsFreshness = 60;
constexpr double hiddenItemsFreshness = 600;

using SharedSnapshot = std::shared_ptr<const std::optional<Snapshot>>;

// The readers a tick's background part calls, copied so the worker shares nothing
// mutable with the Monitor.
struct TickWork {
    SharedSnapshot previous;
    uint32_t uid = 0;
    bool visible = false;
    std::shared_ptr<const ProcessCatalog> catalog;
    std::shared_ptr<ProcessSource> source;
    std::function<std::optional<int64_t>(int32_t)> footprint;
    std::function<SystemSignals(double)> readSignals;
    std::function<MemoryBreakdown()> readMemory;
    std::shared_ptr<LowPowerProbe> lowPower;
    std::function<std::shared_ptr<const InstalledApps>()> installedApps;
};

std::map<std::string, Explanation> explain(const std::vector<ProcessGroup>& groups, const ProcessCatalog& catalog)
{
    std::map<std::string, Explanation> explanations;
    for (const auto& group : groups)
        explanations.try_emplace(group.id, catalog.explain(group));
    return explanations;
}

double spotlightCPU(const std::vector<ProcessGroup>& groups)
{
    const auto& family = Diagnosis::spotlightFamily();
    double sum = 0;
    for (const auto& group : groups) {
        if (family.contains(group.primary().name))
            sum += group.cpuPercent;
    }
    return sum;
}

} // namespace

Monitor::Monitor(MonitorEnvironment environment, AppSettings& settings, QObject* parent)
    : QObject(parent), env_(std::move(environment)), settings_(settings), keepHistory_(settings.keepUsageHistory()),
      usageStore_(env_.usageFolder), previous_(std::make_shared<const std::optional<Snapshot>>())
{
    if (env_.loadCatalog) {
        if (auto catalog = env_.loadCatalog())
            catalog_ = std::make_shared<const ProcessCatalog>(std::move(*catalog));
    }
    usageStore_.onLoadCut = [](const std::string& message) { qCInfo(monitorLog, "%s", message.c_str()); };
}

Monitor::~Monitor()
{
    cancelLoop();
}

// MARK: published state

void Monitor::setGroups(std::vector<ProcessGroup> groups)
{
    if (store(groups_, std::move(groups)))
        Q_EMIT groupsChanged();
}

void Monitor::setSignals(std::optional<SystemSignals> signals)
{
    if (store(signals_, std::move(signals)))
        Q_EMIT signalsChanged();
}

void Monitor::setResult(DiagnosisResult result)
{
    if (store(result_, std::move(result)))
        Q_EMIT resultChanged();
}

void Monitor::setLastChecked(std::optional<Date> date)
{
    if (store(lastChecked_, date))
        Q_EMIT lastCheckedChanged();
}

void Monitor::setError(std::optional<std::string> error)
{
    if (store(error_, std::move(error)))
        Q_EMIT errorChanged();
}

void Monitor::setSpotlightBusySince(std::optional<Date> date)
{
    if (store(spotlightBusySince_, date))
        Q_EMIT spotlightBusySinceChanged();
}

void Monitor::setExplanations(std::map<std::string, Explanation> explanations)
{
    if (store(explanations_, std::move(explanations)))
        Q_EMIT explanationsChanged();
}

void Monitor::setBackgroundItems(std::vector<BackgroundItem> items)
{
    if (store(backgroundItems_, std::move(items)))
        Q_EMIT backgroundItemsChanged();
}

void Monitor::setCpuHistory(std::vector<CPUPoint> history)
{
    cpuHistory_ = std::move(history);
    Q_EMIT cpuHistoryChanged();
}

void Monitor::setMemory(std::optional<MemoryBreakdown> memory)
{
    if (store(memory_, std::move(memory)))
        Q_EMIT memoryChanged();
}

void Monitor::setMac(std::optional<MacInfo> mac)
{
    if (store(mac_, std::move(mac)))
        Q_EMIT macChanged();
}

void Monitor::setKeepHistory(bool keep)
{
    const bool changed = store(keepHistory_, keep);
    settings_.setKeepUsageHistory(keep);
    if (changed)
        Q_EMIT keepHistoryChanged();
}

void Monitor::setIsPaused(bool paused)
{
    if (store(isPaused_, paused))
        Q_EMIT isPausedChanged();
}

void Monitor::setWindowVisible(bool visible)
{
    if (!store(windowVisible_, visible))
        return;
    Q_EMIT windowVisibleChanged();
    if (!visible) {
        setExplanations({});
        setBackgroundItems({});
        itemsLoadedAt_.reset();
    }
    restartLoop();
}

void Monitor::setMenuOpen(bool open)
{
    if (!store(menuOpen_, open))
        return;
    Q_EMIT menuOpenChanged();
    restartLoop();
}

void Monitor::setStuckApp(std::optional<std::string> app)
{
    if (store(stuckApp_, std::move(app)))
        Q_EMIT stuckAppChanged();
}

// MARK: lifecycle and loop

void Monitor::start()
{
    if (loopRunning_ || !catalog_)
        return;
    started_ = true;
    observeSleep();
    if (!mac_)
        readMacAndPrune();
    loopRunning_ = true;
    const auto generation = ++loopGeneration_;
    QMetaObject::invokeMethod(this, [this, generation] { loopIteration(generation); }, Qt::QueuedConnection);
}

void Monitor::cancelLoop()
{
    loopRunning_ = false;
    ++loopGeneration_;
    if (sleepToken_ != 0)
        env_.scheduler.cancel(sleepToken_);
    sleepToken_ = 0;
}

void Monitor::restartLoop()
{
    if (!started_)
        return;
    cancelLoop();
    start();
}

void Monitor::loopIteration(std::uint64_t generation)
{
    if (generation != loopGeneration_)
        return;
    sleepToken_ = 0;
    if (isPaused_) {
        // No tick reads the low-power answer while paused, yet the interval depends on it.
        env_.executor.run(
            Executor::Lane::tick, this, [lowPower = env_.lowPower] { lowPower->refresh(); },
            [this, generation](WorkResult<Nothing>) { afterLoopTick(generation); });
        return;
    }
    tick([this, generation] { afterLoopTick(generation); });
}

void Monitor::afterLoopTick(std::uint64_t generation)
{
    // A loop cancelled while its tick ran ends here.
    if (generation != loopGeneration_)
        return;
    const auto interval = SamplingPolicy::interval(windowVisible_, menuOpen_, env_.lowPower->enabled());
    sleepToken_ = env_.scheduler.schedule(static_cast<double>(interval.count()), this,
                                          [this, generation] { loopIteration(generation); });
}

void Monitor::observeSleep()
{
    if (sleepWatcher_ || !env_.sleepWatcher)
        return;
    sleepWatcher_ = env_.sleepWatcher();
    if (!sleepWatcher_)
        return;
    connect(sleepWatcher_.get(), &SleepWatcher::willSleep, this, [this] { cancelLoop(); });
    connect(sleepWatcher_.get(), &SleepWatcher::didWake, this, [this] {
        previous_ = std::make_shared<const std::optional<Snapshot>>();
        history_.clear();
        start();
    });
}

void Monitor::readMacAndPrune()
{
    env_.executor.run(
        this, [read = env_.readMac] { return read(); },
        [this](WorkResult<MacInfo> mac) {
            if (mac)
                setMac(std::move(mac.value()));
            // A failed prune only leaves old files for the next start.
            env_.executor.run(this, [store = usageStore_, now = env_.clock.now()] {
                store.prune(keepHistoryDays, now);
            });
        });
}

void Monitor::checkNow()
{
    QMetaObject::invokeMethod(this, [this] { tick(); }, Qt::QueuedConnection);
}

void Monitor::togglePause()
{
    setIsPaused(!isPaused_);
    if (!isPaused_)
        checkNow();
}

// MARK: tick

void Monitor::tick(std::function<void()> finished)
{
    if (ticking_ || !catalog_) {
        if (finished)
            finished();
        return;
    }
    ticking_ = true;
    const bool visible = windowVisible_;
    TickWork work{previous_,      env_.currentUID,  visible,         catalog_,     env_.processSource,
                  env_.footprint, env_.readSignals, env_.readMemory, env_.lowPower, env_.installedApps};
    env_.executor.run(
        Executor::Lane::tick, this,
        [work = std::move(work)] {
            // Refreshed here so the loop reads a current answer without blocking.
            work.lowPower->refresh();
            TickOutput output;
            output.snapshot = work.source->sample();
            std::unordered_set<int32_t> own;
            for (const auto& process : output.snapshot.processes) {
                if (process.uid == work.uid)
                    own.insert(process.pid);
            }
            const auto usage = CPUMeter::usage(*work.previous, output.snapshot, [&](int32_t pid) {
                return own.contains(pid) ? work.footprint(pid) : std::nullopt;
            });
            const auto installed = work.installedApps ? work.installedApps() : nullptr;
            output.groups = AppGrouper::group(usage, work.uid, installed.get());
            if (work.visible)
                output.explanations = explain(output.groups, *work.catalog);
            double totalCPU = 0;
            for (const auto& process : usage)
                totalCPU += process.cpuPercent;
            output.signals = work.readSignals(totalCPU);
            output.memory = work.readMemory();
            return output;
        },
        [this, visible, finished = std::move(finished)](WorkResult<TickOutput> output) mutable {
            if (!output) {
                setError(std::string(sampleFailedMessage));
                qCCritical(monitorLog, "sample failed: %s", output.errorMessage().c_str());
                ticking_ = false;
                if (finished)
                    finished();
                return;
            }
            applyTick(std::move(output.value()), visible, std::move(finished));
        });
}

void Monitor::applyTick(TickOutput output, bool visible, std::function<void()> finished)
{
    if (visible)
        setExplanations(std::move(output.explanations));
    setMemory(output.memory);
    record(output.signals, output.memory);
    previous_ = std::make_shared<const std::optional<Snapshot>>(std::move(output.snapshot));

    history_.push_back(Smoother::cpuByID(output.groups));
    if (history_.size() > smoothingTicks)
        history_.erase(history_.begin(), history_.end() - smoothingTicks);
    auto smoothed = Smoother::average(std::move(output.groups), history_);

    busy_.update(spotlightCPU(smoothed), env_.clock.now());
    setSpotlightBusySince(busy_.busySince);

    // The smoothed groups hold the same members as this tick's, so they answer for it.
    const bool stuckGone = stuckApp_ && !Diagnosis::isRunning(*stuckApp_, smoothed);
    // The rules are pure, so they run before publishing and the groups move once.
    DiagnosisInput input{output.signals, std::move(smoothed), spotlightBusySince_, env_.lowPower->enabled(),
                         stuckGone ? std::nullopt : stuckApp_, env_.clock.now()};
    auto result = Diagnosis::run(input, *catalog_);
    setGroups(std::move(input.groups));
    setSignals(output.signals);
    if (stuckGone)
        setStuckApp(std::nullopt);
    setResult(std::move(result));
    setLastChecked(env_.clock.now());
    setError(std::nullopt);
    qCDebug(monitorLog, "check finished");

    auto done = [this, finished = std::move(finished)] {
        ticking_ = false;
        if (finished)
            finished();
    };
    if (windowVisible_)
        refreshBackgroundItems(false, std::move(done));
    else
        done();
}

// MARK: recording and background items

void Monitor::record(const SystemSignals& signals, const MemoryBreakdown& memory)
{
    const Date now = env_.clock.now();
    cpuHistory_.push_back({now, signals.cpuLoadPercent});
    std::erase_if(cpuHistory_, [&](const CPUPoint& point) { return secondsBetween(point.date, now) > historySeconds; });
    Q_EMIT cpuHistoryChanged();

    if (!keepHistory_)
        return;
    const auto finished =
        aggregator_.add(signals.cpuLoadPercent, signals.pressure, signals.swapUsedBytes, memory.used(), now);
    if (!finished)
        return;
    // A thread of its own, so that no worker held up elsewhere keeps a taken record from its
    // file, and held, so that the app's end, however it comes, waits for it.
    env_.executor.run(
        Executor::Lane::detached, this,
        [store = usageStore_, record = *finished, hold = PendingWrites::hold()]() mutable {
            try {
                store.append(record);
            } catch (const std::exception& error) {
                qCCritical(monitorLog, "history write failed: %s", error.what());
            }
            hold.reset();
        },
        [](const WorkResult<Nothing>&) {});
}

void Monitor::refreshBackgroundItems(bool force, std::function<void()> finished)
{
    const Date now = env_.clock.now();
    const double freshness = windowVisible_ ? visibleItemsFreshness : hiddenItemsFreshness;
    if (!force && itemsLoadedAt_ && secondsBetween(*itemsLoadedAt_, now) < freshness) {
        if (finished)
            finished();
        return;
    }
    itemsLoadedAt_ = now;
    const auto scan = ++scansStarted_;
    // A tick's scan runs on the loop's lane, as the tick waits for it; a screen's forced
    // one on the shared workers, so a slow folder walk never holds the next tick back.
    env_.executor.run(
        force ? Executor::Lane::shared : Executor::Lane::tick, this,
        [scanItems = env_.scanBackgroundItems, launchctl = env_.launchctlList, home = env_.home,
         previous = previous_] {
            std::map<std::string, int32_t> jobs;
            try {
                jobs = launchctl();
            } catch (const std::exception&) {
                // No job list: the processes alone tell what runs.
            }
            static const std::vector<ProcessSample> none;
            return BackgroundItemsReader::markRunning(scanItems(home), jobs,
                                                      previous->has_value() ? (*previous)->processes : none);
        },
        [this, scan, finished = std::move(finished)](WorkResult<std::vector<BackgroundItem>> items) {
            // Scans may overlap and end in any order; an older scan never replaces a newer one.
            if (items && scan > scanStored_) {
                scanStored_ = scan;
                setBackgroundItems(std::move(items.value()));
            }
            if (finished)
                finished();
        });
}

// MARK: queries

std::optional<ProcessGroup> Monitor::group(const std::optional<std::string>& id) const
{
    if (!id)
        return std::nullopt;
    const auto found = std::find_if(groups_.begin(), groups_.end(), [&](const auto& group) { return group.id == *id; });
    if (found == groups_.end())
        return std::nullopt;
    return *found;
}

std::optional<ProcessUsage> Monitor::usage(int32_t pid) const
{
    for (const auto& group : groups_) {
        for (const auto& member : group.members) {
            if (member.pid == pid)
                return member;
        }
    }
    return std::nullopt;
}

std::optional<Explanation> Monitor::explanation(const ProcessGroup& group) const
{
    if (const auto found = explanations_.find(group.id); found != explanations_.end())
        return found->second;
    if (!catalog_)
        return std::nullopt;
    return catalog_->explain(group);
}

} // namespace corvane
