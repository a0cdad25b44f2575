#include "ScreenshotFixtures.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/Numbers.hpp"

#include <chrono>

namespace corvane::screenshots {

namespace {

constexpr int64_t gigabyte = 1LL << 30;
constexpr int64_t megabyte = 1LL << 20;
constexpr uint32_t userID = 1000;

// The apps the desktop entries of an ordinary Debian desktop name, where the
// processes below lie.
class DesktopApps final : public InstalledApps {
public:
    const InstalledApp* owner(const ProcessIdentity& process) const override
    {
        for (const auto& app : apps_) {
            if (process.path.starts_with(app.root + "/"))
                return &app;
        }
        return nullptr;
    }

private:
    std::vector<InstalledApp> apps_{
        {"/usr/lib/firefox-esr", "Firefox ESR", "/usr/lib/firefox-esr/firefox-esr"},
        {"/usr/share/code", "Visual Studio Code", "/usr/share/code/code"},
        {"/usr/lib/thunderbird", "Thunderbird", "/usr/lib/thunderbird/thunderbird"},
        {"/opt/google/chrome", "Google Chrome", "/opt/google/chrome/google-chrome"},
        {"/usr/lib/libreoffice/program", "LibreOffice", "/usr/lib/libreoffice/program/soffice"},
    };
};

// The groups the monitor makes of these processes.
std::vector<ProcessGroup> grouped(const std::vector<std::vector<ProcessUsage>>& lists)
{
    static const DesktopApps apps;
    std::vector<ProcessUsage> table;
    for (const auto& list : lists)
        table.insert(table.end(), list.begin(), list.end());
    return AppGrouper::group(table, userID, &apps);
}

std::vector<std::vector<ProcessUsage>> everydayProcesses()
{
    return {processes("/usr/lib/firefox-esr/firefox-esr", 2100, 12.4, 1900 * megabyte, 7),
            processes("/usr/share/code/code", 3300, 6.1, 1200 * megabyte, 5),
            processes("/usr/lib/xorg/Xorg", 900, 3.2, 210 * megabyte, 1, 0),
            processes("/usr/bin/pipewire", 1500, 0.8, 40 * megabyte),
            processes("/usr/lib/thunderbird/thunderbird", 4100, 0.4, 600 * megabyte, 3)};
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

} // namespace

std::vector<ProcessUsage> processes(const std::string& path, int32_t pid, double cpu, int64_t memory, int count,
                                    uint32_t uid)
{
    std::vector<ProcessUsage> list;
    const double shares = count * (count + 1) / 2.0;
    for (int i = 0; i < count; ++i) {
        const double share = (count - i) / shares;
        ProcessUsage process;
        process.pid = pid + i;
        process.ppid = i == 0 ? 1 : pid;
        process.uid = uid;
        process.user = uid == 0 ? "root" : "user";
        process.path = path;
        process.name = path.substr(path.rfind('/') + 1);
        process.cpuPercent = cpu * share;
        process.memoryBytes = static_cast<int64_t>(static_cast<double>(memory) * share);
        process.startTime = 600 + pid + i;
        list.push_back(std::move(process));
    }
    return list;
}

std::vector<ProcessGroup> everydayAnd(std::vector<ProcessUsage> busy)
{
    auto lists = everydayProcesses();
    lists.insert(lists.begin(), std::move(busy));
    return grouped(lists);
}

ProcessGroup app(const std::string& name, int32_t pid, double cpu, int64_t memory, int helpers)
{
    ProcessGroup group;
    group.id = "pid:" + Numbers::toText(pid);
    group.displayName = name;
    group.cpuPercent = cpu;
    group.memoryBytes = memory;
    // The primary works hardest, each helper a little less than the one before.
    const double shares = (helpers + 1) * (helpers + 2) / 2.0;
    for (int i = 0; i <= helpers; ++i) {
        const double share = (helpers + 1 - i) / shares;
        ProcessUsage member;
        member.pid = pid + i;
        member.ppid = 1;
        member.uid = 1000;
        member.user = "user";
        member.path = "/usr/lib/" + name;
        member.name = i == 0 ? name : name + " Helper";
        member.cpuPercent = cpu * share;
        member.memoryBytes = static_cast<int64_t>(static_cast<double>(memory) * share);
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
    return grouped(everydayProcesses());
}

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
             auto groups = everydayAnd(processes("/opt/google/chrome/chrome", 7000, 286.5, 2 * gigabyte, 9));
             publish(world, std::move(groups), signals(41, Pressure::elevated, Thermal::warm), 38,
                     {Finding(FindingKind::browser, Severity::medium,
                              "Google Chrome and 8 helpers are using 287% CPU and 2 GB.",
                              "Each tab and extension runs as its own helper. Closing tabs you don't need frees "
                              "memory.",
                              "/opt/google/chrome", FixID::reviewTabs),
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
             auto groups =
                 everydayAnd(processes("/usr/lib/libreoffice/program/soffice.bin", 7000, 388.0, 6 * gigabyte, 2));
             publish(world, std::move(groups), signals(92, Pressure::critical, Thermal::hot), 85,
                     {Finding(FindingKind::heat, Severity::critical, "Your computer is running hot",
                              "It slows itself down to cool off.", std::nullopt, FixID::openBatterySettings),
                      Finding(FindingKind::cpuHog, Severity::high, "LibreOffice is using a lot of CPU",
                              "It has kept about 4 cores busy for the last minute.", "/usr/lib/libreoffice/program",
                              FixID::quitApp)});
             world.monitor.setStuckApp("LibreOffice");
             world.actions.setStuckAlert("LibreOffice");
         }},
        {"error", true,
         [](FixtureWorld& world) {
             publish(world, everydayApps(), signals(9, Pressure::normal, Thermal::normal), 6, {});
             world.monitor.setError(std::string(Monitor::sampleFailedMessage));
         }},
        {"paused", true,
         [](FixtureWorld& world) {
             publish(world, everydayApps(), signals(12, Pressure::normal, Thermal::normal), 10, {});
             world.monitor.setIsPaused(true);
         }},
        {"many-findings", true,
         [](FixtureWorld& world) {
             // A tool no desktop entry names beside the installed apps.
             auto groups = everydayAnd(processes("/usr/bin/ffmpeg", 5200, 186.5, 420 * megabyte));
             publish(world, std::move(groups), signals(71, Pressure::elevated, Thermal::warm), 64,
                     {Finding(FindingKind::cpuHog, Severity::high, "ffmpeg is using a lot of CPU",
                              "It has kept about 2 cores busy for the last minute.", "pid:5200", FixID::explain),
                      Finding(FindingKind::memory, Severity::medium, "Memory is getting tight",
                              "Firefox ESR uses the most, so your computer is swapping.", "/usr/lib/firefox-esr",
                              FixID::quitApp),
                      Finding(FindingKind::heat, Severity::medium, "Your computer is warm",
                              "It may slow itself down to cool off.", std::nullopt, FixID::openBatterySettings),
                      Finding(FindingKind::lowDisk, Severity::low, "Your disk is almost full",
                              "Only 9 GB is free.", std::nullopt, FixID::openFerncourt),
                      Finding(FindingKind::longUptime, Severity::low, "Your computer hasn't restarted in 3 weeks",
                              "A restart clears out memory that apps never gave back.", std::nullopt,
                              FixID::restartMac),
                      Finding(FindingKind::spotlight, Severity::low, "Search indexing is busy",
                              "The search index is being rebuilt in the background.", std::nullopt,
                              FixID::openSpotlightSettings),
                      Finding(FindingKind::lowPower, Severity::low, "Low Power Mode is on",
                              "Your computer runs slower to save energy.", std::nullopt,
                              FixID::openBatterySettings)});
         }},
        {"missing-catalog", false, [](FixtureWorld&) {}},
    };
}

} // namespace corvane::screenshots
