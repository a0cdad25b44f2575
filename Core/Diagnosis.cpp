#include "Core/Diagnosis.hpp"

#include "Core/ChromiumBrowser.hpp"
#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <algorithm>
#include <cmath>

namespace corvane::Diagnosis {
namespace {

constexpr int64_t memorySwapLimit = 4'294'967'296;   // 4 GiB
constexpr int64_t uptimeSwapLimit = 2'147'483'648;   // 2 GiB
constexpr double stuckSpotlightSeconds = 10'800;     // 3 hours
constexpr int64_t browserMemoryLimit = 1'499'999'999;
constexpr const char* virtualizationPrefix = "/System/Library/Frameworks/Virtualization.framework/";

// Whether a CPU figure reaches a threshold. Written so that only a real number passes:
// NaN fails every comparison, and `cpu < bound` would let it through.
bool reaches(double value, double bound)
{
    return std::isfinite(value) && value >= bound;
}

struct ScoredFinding {
    Finding finding;
    double score;  // orders findings of equal severity
};

// What one run builds up: the findings so far and the groups a specialised rule
// has taken, which the CPU rule leaves alone.
struct Work {
    const DiagnosisInput& input;
    const ProcessCatalog& catalog;
    std::vector<ProcessUsage> primaries;  // of input.groups, same order
    std::vector<ScoredFinding> found;
    std::unordered_set<std::string> claimed;

    // A score that is not a real number would break the ordering, so it counts as none.
    void add(Finding finding, double score)
    {
        found.push_back({std::move(finding), std::isfinite(score) ? score : 0});
    }
};

void stuckAppRule(Work& w)
{
    const auto& app = w.input.stuckApp;
    if (!app)
        return;
    w.add(Finding(FindingKind::stuckApp, Severity::high,
                  Utf8::nameForDisplay(*app) + " won't quit. Restart your Mac to clear it.",
                  "Some apps can't be closed once they're stuck. A restart clears them.", std::nullopt,
                  FixID::restartMac),
          0);
}

void heatRule(Work& w)
{
    Severity severity = Severity::low;
    std::string headline;
    std::string detail;
    switch (w.input.signals.thermal) {
    case Thermal::normal:
        return;
    case Thermal::warm:
        severity = Severity::low;
        headline = "Your Mac is warm, so macOS is slowing it slightly to cool down.";
        detail = "kernel_task holds back other work to cool your Mac. Heavy apps and blocked vents make it worse.";
        break;
    case Thermal::hot:
        severity = Severity::high;
        headline = "Your Mac is hot and slowing itself down to cool off.";
        detail = "kernel_task holds back other work to cool your Mac. Quit heavy apps and give it some air.";
        break;
    case Thermal::veryHot:
        severity = Severity::critical;
        headline = "Your Mac is very hot and running much slower to protect itself.";
        detail = "Quit heavy apps, unplug extra displays and give it some air.";
        break;
    }
    w.add(Finding(FindingKind::heat, severity, headline, detail, std::nullopt, std::nullopt, "Leave it"), 0);
}

// The group using the most memory among those that may be quit, else among all;
// the first one on a tie.
const ProcessGroup* largestGroup(const std::vector<ProcessGroup>& groups)
{
    const ProcessGroup* largest = nullptr;
    for (const bool quittableOnly : {true, false}) {
        for (const auto& group : groups) {
            if (quittableOnly && !group.quittable)
                continue;
            if (!largest || group.memoryBytes > largest->memoryBytes)
                largest = &group;
        }
        if (largest)
            break;
    }
    return largest;
}

void memoryRule(Work& w)
{
    const auto& signals = w.input.signals;
    if (signals.pressure == Pressure::normal && signals.swapUsedBytes <= memorySwapLimit)
        return;
    const Severity severity = signals.pressure == Pressure::critical ? Severity::high : Severity::medium;
    const std::string headline = "Your Mac is running low on memory.";
    if (const ProcessGroup* g = largestGroup(w.input.groups)) {
        w.add(Finding(FindingKind::memory, severity, headline,
                      Utf8::nameForDisplay(g->displayName) + " is using " + Format::bytes(g->memoryBytes) + ".",
                      g->id,
                      g->quittable ? std::optional(FixID::quitApp) : std::nullopt),
              g->cpuPercent);
    } else {
        w.add(Finding(FindingKind::memory, severity, headline,
                      "Swap in use: " + Format::bytes(signals.swapUsedBytes) + "."),
              0);
    }
}

struct BusyFamily {
    const ProcessGroup* top;        // the busiest member, the first one on a tie
    const ProcessUsage* topPrimary;
    double cpuPercent;              // the whole family's
};

// The groups whose primary process is named in `names`, when together they use at
// least `threshold` percent; then every one of them is claimed.
std::optional<BusyFamily> busyFamily(Work& w, const std::unordered_set<std::string>& names, double threshold)
{
    std::vector<std::size_t> members;
    double sum = 0;
    for (std::size_t i = 0; i < w.input.groups.size(); ++i) {
        if (names.contains(w.primaries[i].name)) {
            members.push_back(i);
            sum += w.input.groups[i].cpuPercent;
        }
    }
    if (members.empty() || !reaches(sum, threshold))
        return std::nullopt;
    std::size_t top = members.front();
    for (const auto i : members) {
        w.claimed.insert(w.input.groups[i].id);
        if (w.input.groups[i].cpuPercent > w.input.groups[top].cpuPercent)
            top = i;
    }
    return BusyFamily{&w.input.groups[top], &w.primaries[top], sum};
}

void spotlightRule(Work& w)
{
    const auto family = busyFamily(w, spotlightFamily(), 50.0);
    if (!family)
        return;
    const auto& since = w.input.spotlightBusySince;
    const bool stuck = since && secondsBetween(*since, w.input.now) > stuckSpotlightSeconds;
    const std::string detail =
        stuck ? "Spotlight has been busy for over 3 hours, which usually means it's stuck. Rebuilding the "
                "index often fixes it."
              : family->topPrimary->name + " is using " + Format::percent(family->cpuPercent)
                    + " CPU while it updates the search index. That's normal after an update or a large "
                      "file change.";
    w.add(Finding(FindingKind::spotlight, stuck ? Severity::high : Severity::low, "Spotlight is doing a lot of work.",
                  detail, family->top->id, stuck ? FixID::rebuildSpotlightIndex : FixID::openSpotlightSettings,
                  "Settles on its own"),
          family->cpuPercent);
}

void photosRule(Work& w)
{
    const auto family = busyFamily(w, photosFamily(), 30.0);
    if (!family)
        return;
    w.add(Finding(FindingKind::photos, Severity::low, "Photos is analyzing your library.",
                  "It finds faces and objects in your photos, mostly while your Mac is idle and plugged in.",
                  family->top->id, std::nullopt, "Runs while plugged in"),
          family->cpuPercent);
}

void windowServerRule(Work& w)
{
    const auto& groups = w.input.groups;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (w.primaries[i].name != "WindowServer")
            continue;
        const auto& g = groups[i];
        w.claimed.insert(g.id);
        if (reaches(g.cpuPercent, 40.0)) {
            w.add(Finding(FindingKind::windowServer, Severity::medium, "WindowServer is busy drawing your screen.",
                          "Many windows, external displays or transparency effects keep it busy.", g.id,
                          FixID::explain),
                  g.cpuPercent);
        }
        return;  // only the first one counts
    }
}

void browserRule(Work& w)
{
    for (const auto& g : w.input.groups) {
        if (!isBrowser(g))
            continue;
        w.claimed.insert(g.id);
        if (g.memoryBytes <= browserMemoryLimit && !reaches(g.cpuPercent, 50.0))
            continue;
        w.add(Finding(FindingKind::browser, Severity::medium,
                      Utf8::nameForDisplay(g.displayName) + " and " + Numbers::toText(g.helperCount())
                          + " helpers are using " + Format::percent(g.cpuPercent) + " CPU and "
                          + Format::bytes(g.memoryBytes) + ".",
                      "Each tab and extension runs as its own helper. Closing tabs you don't need frees memory.",
                      g.id, FixID::reviewTabs),
              g.cpuPercent);
    }
}

const ProcessGroup* vmHost(const std::vector<ProcessGroup>& groups)
{
    const auto found = std::find_if(groups.begin(), groups.end(), [](const ProcessGroup& g) {
        return g.appPath && vmHosts().contains(g.displayName);
    });
    return found == groups.end() ? nullptr : &*found;
}

// The catalog fix a quittable app offers for its CPU: quitting it, or rebuilding the index.
FixID cpuFix(const ProcessGroup& g, const Explanation& e)
{
    if (!g.quittable)
        return FixID::explain;
    const auto found = std::find_if(e.fixes.begin(), e.fixes.end(), [](FixID fix) {
        return fix == FixID::quitApp || fix == FixID::rebuildSpotlightIndex;
    });
    return found == e.fixes.end() ? FixID::explain : *found;
}

void cpuHogRule(Work& w)
{
    const auto& groups = w.input.groups;
    // Computed in double so that no core count can overflow.
    const double highBound = std::max(static_cast<double>(w.input.signals.coreCount) * 25.0, 200.0);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto& g = groups[i];
        if (!reaches(g.cpuPercent, 80.0) || w.claimed.contains(g.id))
            continue;
        const Severity severity = reaches(g.cpuPercent, highBound) ? Severity::high : Severity::medium;
        const std::string cpu = Format::percent(g.cpuPercent);
        if (w.primaries[i].path.starts_with(virtualizationPrefix)) {
            const std::string headline = "A virtual machine is using " + cpu + " CPU.";
            if (const ProcessGroup* host = vmHost(groups)) {
                w.add(Finding(FindingKind::cpuHog, severity, headline,
                              "It's run by " + host->displayName + ". Quitting " + host->displayName
                                  + " frees all of it.",
                              host->id, host->quittable ? FixID::quitApp : FixID::explain),
                      g.cpuPercent);
            } else {
                w.add(Finding(FindingKind::cpuHog, severity, headline, w.catalog.explain(g).summary, g.id,
                              FixID::explain),
                      g.cpuPercent);
            }
            continue;
        }
        const Explanation e = w.catalog.explain(g);
        w.add(Finding(FindingKind::cpuHog, severity, Utf8::nameForDisplay(g.displayName) + " is using " + cpu + " CPU.",
                      e.summary, g.id, cpuFix(g, e), e.idleNote),
              g.cpuPercent);
    }
}

void lowDiskRule(Work& w)
{
    const auto& signals = w.input.signals;
    if (signals.diskTotalBytes <= 0)
        return;
    const int64_t free = signals.diskFreeBytes;
    const double freeGB = static_cast<double>(free) / 1'000'000'000.0;
    if (freeGB < 15.0) {
        w.add(Finding(FindingKind::lowDisk, Severity::high, "Your disk is almost full.",
                      "Only " + Format::bytes(free) + " free. macOS slows down when space runs low.", std::nullopt,
                      FixID::openFerncourt),
              0);
    } else if (freeGB < 50.0 && static_cast<double>(free) < static_cast<double>(signals.diskTotalBytes) * 0.1) {
        w.add(Finding(FindingKind::lowDisk, Severity::medium, "Your disk is getting full.",
                      Format::bytes(free) + " free. Keep at least 10% free so macOS has room for memory and updates.",
                      std::nullopt, FixID::openFerncourt),
              0);
    }
}

void lowPowerRule(Work& w)
{
    if (!w.input.lowPowerMode)
        return;
    w.add(Finding(FindingKind::lowPower, Severity::low, "Low Power Mode is on, so your Mac runs slower to save energy.",
                  "Turn it off in Battery settings when you need full speed.", std::nullopt,
                  FixID::openBatterySettings),
          0);
}

void longUptimeRule(Work& w)
{
    const auto& signals = w.input.signals;
    // An uptime that is not a number, or too large for a day count, makes no finding.
    const auto days = Numbers::truncateTo<int64_t>(signals.uptime / 86'400.0);
    if (!days || *days <= 14 || signals.swapUsedBytes <= uptimeSwapLimit)
        return;
    w.add(Finding(FindingKind::longUptime, Severity::low,
                  "Your Mac hasn't restarted in " + Numbers::toText(*days) + " days.",
                  "A restart clears memory that has built up over time.", std::nullopt, FixID::restartMac),
          0);
}

} // namespace

const std::unordered_set<std::string>& spotlightFamily()
{
    static const std::unordered_set<std::string> names{
        "mds", "mds_stores", "mdworker_shared", "mdworker", "mdbulkimport", "corespotlightd", "spotlightknowledged"};
    return names;
}

const std::unordered_set<std::string>& photosFamily()
{
    static const std::unordered_set<std::string> names{"photoanalysisd", "mediaanalysisd"};
    return names;
}

const std::unordered_set<std::string>& vmHosts()
{
    static const std::unordered_set<std::string> names{
        "Docker",         "OrbStack",        "UTM",          "Parallels Desktop", "VMware Fusion",
        "Podman Desktop", "Rancher Desktop", "VirtualBuddy", "Tart",              "Multipass"};
    return names;
}

DiagnosisResult run(const DiagnosisInput& input, const ProcessCatalog& catalog)
{
    Work w{input, catalog, {}, {}, {}};
    w.primaries.reserve(input.groups.size());
    for (const auto& group : input.groups)
        w.primaries.push_back(group.primary());

    for (const auto rule : {stuckAppRule, heatRule, memoryRule, spotlightRule, photosRule, windowServerRule,
                            browserRule, cpuHogRule, lowDiskRule, lowPowerRule, longUptimeRule})
        rule(w);

    // Stable: equal severity and score keep the order in which the rules made them.
    std::stable_sort(w.found.begin(), w.found.end(), [](const ScoredFinding& a, const ScoredFinding& b) {
        if (a.finding.severity != b.finding.severity)
            return a.finding.severity > b.finding.severity;
        return a.score > b.score;
    });
    std::vector<Finding> findings;
    findings.reserve(w.found.size());
    for (auto& scored : w.found)
        findings.push_back(std::move(scored.finding));
    return DiagnosisResult(std::move(findings));
}

bool isRunning(const std::string& app, const std::vector<ProcessGroup>& groups)
{
    return std::any_of(groups.begin(), groups.end(), [&](const ProcessGroup& g) { return g.displayName == app; });
}

bool isBrowser(const ProcessGroup& group)
{
    return group.appPath && browserFromAppPath(*group.appPath);
}

} // namespace corvane::Diagnosis
