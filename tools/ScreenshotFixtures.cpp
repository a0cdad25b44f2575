#include "ScreenshotFixtures.hpp"

#include <chrono>

namespace corvane::screenshots {

namespace {

constexpr int64_t gigabyte = 1LL << 30;
constexpr int64_t megabyte = 1LL << 20;

ProcessGroup app(const std::string& name, int32_t pid, double cpu, int64_t memory, int helpers = 0)
{
    ProcessGroup group;
    group.id = "/usr/lib/" + name;
    group.displayName = name;
    group.cpuPercent = cpu;
    group.memoryBytes = memory;
    group.quittable = true;
    for (int i = 0; i <= helpers; ++i) {
        ProcessUsage member;
        member.pid = pid + i;
        member.ppid = 1;
        member.uid = 1000;
        member.user = "user";
        member.path = group.id + "/" + name;
        member.name = name;
        member.cpuPercent = cpu / (helpers + 1);
        member.memoryBytes = memory / (helpers + 1);
        group.members.push_back(member);
    }
    return group;
}

SystemSignals signals(double cpu, Pressure pressure, Thermal thermal)
{
    SystemSignals s;
    s.cpuLoadPercent = cpu;
    s.coreCount = 8;
    s.pressure = pressure;
    s.thermal = thermal;
    s.swapUsedBytes = pressure == Pressure::normal ? 0 : 3 * gigabyte;
    s.diskTotalBytes = 500 * gigabyte;
    s.diskFreeBytes = 180 * gigabyte;
    s.uptime = 3 * 86400;
    s.memoryTotalBytes = 16 * gigabyte;
    return s;
}

std::vector<CPUPoint> cpuHistory(Date now, double level)
{
    std::vector<CPUPoint> points;
    for (int i = 200; i > 0; --i) {
        const double wave = (i % 17) * 1.5 + (i % 5) * 2.0;
        points.push_back({now - std::chrono::seconds(3 * i), std::min(100.0, level + wave)});
    }
    return points;
}

// A checked, published state: groups, signals, memory and the findings with their status.
void publish(FixtureWorld& world, std::vector<ProcessGroup> groups, SystemSignals reading, double cpuLevel,
             std::vector<Finding> findings)
{
    Monitor& monitor = world.monitor;
    std::map<std::string, Explanation> explanations;
    if (monitor.catalog()) {
        for (const ProcessGroup& group : groups)
            explanations.emplace(group.id, monitor.catalog()->explain(group));
    }
    monitor.setGroups(std::move(groups));
    monitor.setExplanations(std::move(explanations));
    monitor.setSignals(reading);
    monitor.setMemory(MemoryBreakdown{16 * gigabyte, 7 * gigabyte, 2 * gigabyte, 1 * gigabyte, 4 * gigabyte,
                                      2 * gigabyte});
    monitor.setCpuHistory(cpuHistory(world.now, cpuLevel));
    monitor.setMac(MacInfo{"Desktop PC", "x86-64, 8 cores", 16 * gigabyte, false});
    monitor.setResult(DiagnosisResult(std::move(findings)));
    monitor.setLastChecked(world.now - std::chrono::seconds(2));
}

std::vector<ProcessGroup> everydayApps()
{
    return {app("firefox", 2100, 12.4, 1900 * megabyte, 6), app("code", 3300, 6.1, 1200 * megabyte, 4),
            app("Xorg", 900, 3.2, 210 * megabyte), app("pipewire", 1500, 0.8, 40 * megabyte),
            app("thunderbird", 4100, 0.4, 600 * megabyte, 2)};
}

} // namespace

std::vector<Fixture> fixtures()
{
    return {
        {"first-check", true, [](FixtureWorld&) {}},
        {"quiet", true,
         [](FixtureWorld& world) {
             publish(world, everydayApps(), signals(9, Pressure::normal, Thermal::normal), 6, {});
         }},
        {"busy", true,
         [](FixtureWorld& world) {
             std::vector<ProcessGroup> groups = everydayApps();
             groups.insert(groups.begin(), app("ffmpeg", 5200, 286.5, 420 * megabyte));
             publish(world, std::move(groups), signals(41, Pressure::elevated, Thermal::warm), 38,
                     {Finding(FindingKind::cpuHog, Severity::medium, "ffmpeg is using a lot of CPU",
                              "It has kept about 3 cores busy for the last minute.", "/usr/lib/ffmpeg",
                              FixID::quitApp),
                      Finding(FindingKind::memory, Severity::low, "Memory is getting tight",
                              "Apps are using most of your memory, so your computer is swapping.", std::nullopt,
                              FixID::explain)});
             BackgroundItem item;
             item.label = "org.example.updater";
             item.source = "/Library/LaunchAgents/org.example.updater.plist";
             item.scope = ItemScope::systemAgent;
             item.ownerApp = "Example";
             world.monitor.setBackgroundItems({item});
             world.actions.setToast("Done");
             world.actions.confirmQuit(world.monitor.groups().front());
         }},
        {"struggling", true,
         [](FixtureWorld& world) {
             std::vector<ProcessGroup> groups = everydayApps();
             groups.insert(groups.begin(), app("chromium", 7000, 388.0, 6 * gigabyte, 23));
             publish(world, std::move(groups), signals(92, Pressure::critical, Thermal::hot), 85,
                     {Finding(FindingKind::heat, Severity::critical, "Your computer is running hot",
                              "It slows itself down to cool off.", std::nullopt, FixID::openBatterySettings),
                      Finding(FindingKind::browser, Severity::high, "chromium has 24 processes open",
                              "Each tab and extension runs as its own process.", "/usr/lib/chromium",
                              FixID::reviewTabs)});
             world.monitor.setStuckApp("chromium");
             world.actions.setStuckAlert("chromium");
         }},
        {"missing-catalog", false, [](FixtureWorld&) {}},
    };
}

} // namespace corvane::screenshots
