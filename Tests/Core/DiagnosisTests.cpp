#include "Core/Diagnosis.hpp"
#include "Core/Format.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace corvane;
using namespace std::chrono_literals;

namespace corvane {
void PrintTo(FindingKind kind, std::ostream* out) { *out << toString(kind); }
} // namespace corvane

namespace {

constexpr int64_t GiB = 1024LL * 1024 * 1024;

ProcessUsage process(int32_t pid, const std::string& path, double cpu, int64_t memory = 0)
{
    const auto slash = path.rfind('/');
    return ProcessUsage{pid, 1, 501, "me", path, path.substr(slash + 1), cpu, memory};
}

// An app group: its main executable (named after the bundle) and `helpers` helper processes.
ProcessGroup app(const std::string& bundle, double cpu, int64_t memory = 0, bool quittable = true, int helpers = 0)
{
    const auto name = bundle.substr(bundle.rfind('/') + 1, bundle.rfind(".app") - bundle.rfind('/') - 1);
    ProcessGroup g{bundle, name, bundle, {process(100, bundle + "/Contents/MacOS/" + name, cpu, memory)},
                   cpu, memory, quittable};
    for (int i = 0; i < helpers; ++i)
        g.members.push_back(process(200 + i, bundle + "/Contents/Frameworks/Helper.app/Contents/MacOS/Helper", 0));
    return g;
}

// A process outside any bundle.
ProcessGroup lone(int32_t pid, const std::string& path, double cpu, int64_t memory = 0)
{
    const auto p = process(pid, path, cpu, memory);
    return ProcessGroup{"pid:" + std::to_string(pid), p.name, std::nullopt, {p}, cpu, memory, false};
}

CatalogEntry entry(const std::string& id, const std::string& name, std::vector<FixID> fixes,
                   std::optional<std::string> idleNote = std::nullopt)
{
    CatalogEntry e;
    e.id = id;
    e.match.names = {name};
    e.title = id + " title";
    e.summary = id + " summary";
    e.whyHigh = "busy";
    e.verdict = Verdict::review;
    e.idleNote = std::move(idleNote);
    e.fixes = std::move(fixes);
    e.guide = id;
    return e;
}

const ProcessCatalog catalog({
    entry("cruncher", "Cruncher", {FixID::explain, FixID::rebuildSpotlightIndex, FixID::quitApp}, "Usually idle"),
    entry("editor", "Editor", {FixID::explain}),
});

DiagnosisInput input(std::vector<ProcessGroup> groups = {})
{
    DiagnosisInput in;
    in.signals.coreCount = 8;
    in.groups = std::move(groups);
    in.now = Date{} + 1'000'000s;
    return in;
}

std::vector<Finding> findings(const DiagnosisInput& in)
{
    return Diagnosis::run(in, catalog).findings;
}

std::vector<FindingKind> kinds(const DiagnosisInput& in)
{
    std::vector<FindingKind> result;
    for (const auto& f : findings(in))
        result.push_back(f.kind);
    return result;
}

// The only finding of a kind; fails the test when there is not exactly one.
Finding only(const DiagnosisInput& in, FindingKind kind)
{
    std::vector<Finding> matching;
    for (const auto& f : findings(in)) {
        if (f.kind == kind)
            matching.push_back(f);
    }
    EXPECT_EQ(matching.size(), 1u) << "findings of kind " << toString(kind);
    return matching.empty() ? Finding(kind, Severity::low, "", "") : matching.front();
}

bool has(const DiagnosisInput& in, FindingKind kind)
{
    const auto all = kinds(in);
    return std::find(all.begin(), all.end(), kind) != all.end();
}

} // namespace

TEST(DiagnosisRules, NothingToReportIsQuiet)
{
    const auto result = Diagnosis::run(input(), catalog);
    EXPECT_TRUE(result.findings.empty());
    EXPECT_EQ(result.status, Status::quiet);
    EXPECT_FALSE(result.hero());
    EXPECT_TRUE(result.more().empty());
}

TEST(DiagnosisRules, StuckAppAsksForARestart)
{
    auto in = input();
    in.stuckApp = "Editor";
    const auto result = Diagnosis::run(in, catalog);
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(result.findings[0], Finding(FindingKind::stuckApp, Severity::high,
                                          "Editor won't quit. Restart your Mac to clear it.",
                                          "Some apps can't be closed once they're stuck. A restart clears them.",
                                          std::nullopt, FixID::restartMac));
    EXPECT_EQ(result.findings[0].id, "stuckApp");
    EXPECT_EQ(result.status, Status::struggling);
}

TEST(DiagnosisRules, HeatGrowsWithTheThermalState)
{
    auto in = input();
    EXPECT_FALSE(has(in, FindingKind::heat));

    in.signals.thermal = Thermal::warm;
    auto f = only(in, FindingKind::heat);
    EXPECT_EQ(f.severity, Severity::low);
    EXPECT_EQ(f.headline, "Your Mac is warm, so macOS is slowing it slightly to cool down.");
    EXPECT_EQ(f.detail, "kernel_task holds back other work to cool your Mac. Heavy apps and blocked vents make it worse.");
    EXPECT_EQ(f.leaveNote, "Leave it");
    EXPECT_EQ(f.primaryFix, std::nullopt);
    EXPECT_EQ(f.id, "heat");

    in.signals.thermal = Thermal::hot;
    f = only(in, FindingKind::heat);
    EXPECT_EQ(f.severity, Severity::high);
    EXPECT_EQ(f.headline, "Your Mac is hot and slowing itself down to cool off.");
    EXPECT_EQ(f.detail, "kernel_task holds back other work to cool your Mac. Quit heavy apps and give it some air.");

    in.signals.thermal = Thermal::veryHot;
    f = only(in, FindingKind::heat);
    EXPECT_EQ(f.severity, Severity::critical);
    EXPECT_EQ(f.headline, "Your Mac is very hot and running much slower to protect itself.");
    EXPECT_EQ(f.detail, "Quit heavy apps, unplug extra displays and give it some air.");
    EXPECT_EQ(f.leaveNote, "Leave it");
}

TEST(DiagnosisMemory, WithoutGroupsSpeaksOfSwap)
{
    auto in = input();
    in.signals.pressure = Pressure::elevated;
    in.signals.swapUsedBytes = 3 * GiB;
    const auto f = only(in, FindingKind::memory);
    EXPECT_EQ(f.id, "memory");
    EXPECT_EQ(f.severity, Severity::medium);
    EXPECT_EQ(f.headline, "Your Mac is running low on memory.");
    EXPECT_EQ(f.detail, "Swap in use: " + Format::bytes(3 * GiB) + ".");
    EXPECT_EQ(f.primaryFix, std::nullopt);
    EXPECT_EQ(f.leaveNote, std::nullopt);

    in.signals.pressure = Pressure::critical;
    EXPECT_EQ(only(in, FindingKind::memory).severity, Severity::high);
    EXPECT_EQ(Diagnosis::run(in, catalog).status, Status::struggling);
}

TEST(DiagnosisMemory, SwapAloneFiresOnlyAboveFourGiB)
{
    auto in = input();
    in.signals.swapUsedBytes = 4 * GiB;
    EXPECT_FALSE(has(in, FindingKind::memory));
    in.signals.swapUsedBytes = 4 * GiB + 1;
    EXPECT_EQ(only(in, FindingKind::memory).severity, Severity::medium);
}

TEST(DiagnosisMemory, NamesTheLargestQuittableGroup)
{
    auto in = input({lone(1, "/usr/sbin/bigd", 5, 9 * GiB), app("/Applications/Editor.app", 7, 2 * GiB),
                     app("/Applications/Other.app", 3, 2 * GiB), app("/Applications/Small.app", 1, GiB)});
    in.signals.pressure = Pressure::elevated;
    const auto f = only(in, FindingKind::memory);
    EXPECT_EQ(f.id, "memory:/Applications/Editor.app");  // first of the two largest quittable ones
    EXPECT_EQ(f.detail, "Editor is using " + Format::bytes(2 * GiB) + ".");
    EXPECT_EQ(f.primaryFix, FixID::quitApp);
}

TEST(DiagnosisMemory, WithNothingQuittableNamesTheLargestButOffersNoFix)
{
    auto in = input({lone(1, "/usr/sbin/small", 5, GiB), lone(2, "/usr/sbin/bigd", 5, 9 * GiB),
                     app("/Applications/Finder.app", 1, 3 * GiB, false)});
    in.signals.pressure = Pressure::elevated;
    const auto f = only(in, FindingKind::memory);
    EXPECT_EQ(f.groupID, "pid:2");
    EXPECT_EQ(f.detail, "bigd is using " + Format::bytes(9 * GiB) + ".");
    EXPECT_EQ(f.primaryFix, std::nullopt);
}

TEST(DiagnosisSpotlight, FamilyAddsUpAndNamesItsBusiestMember)
{
    auto in = input({lone(1, "/System/Library/mds", 20), lone(2, "/System/Library/mds_stores", 30),
                     lone(3, "/System/Library/mdworker_shared", 0)});
    const auto f = only(in, FindingKind::spotlight);  // exactly 50 fires
    EXPECT_EQ(f.severity, Severity::low);
    EXPECT_EQ(f.headline, "Spotlight is doing a lot of work.");
    EXPECT_EQ(f.detail, "mds_stores is using 50% CPU while it updates the search index. That's normal after an "
                        "update or a large file change.");
    EXPECT_EQ(f.id, "spotlight:pid:2");
    EXPECT_EQ(f.primaryFix, FixID::openSpotlightSettings);
    EXPECT_EQ(f.leaveNote, "Settles on its own");

    in.groups[0].cpuPercent = 19.9;
    EXPECT_FALSE(has(in, FindingKind::spotlight));
}

TEST(DiagnosisSpotlight, TieGoesToTheFirstMember)
{
    const auto in = input({lone(7, "/System/Library/mdworker", 40), lone(8, "/System/Library/mds", 40)});
    EXPECT_EQ(only(in, FindingKind::spotlight).groupID, "pid:7");
}

TEST(DiagnosisSpotlight, StuckOnlyAfterMoreThanThreeHours)
{
    auto in = input({lone(1, "/System/Library/mds", 120)});
    in.spotlightBusySince = in.now - 10'800s;
    EXPECT_EQ(only(in, FindingKind::spotlight).severity, Severity::low);

    in.spotlightBusySince = in.now - 10'801s;
    const auto f = only(in, FindingKind::spotlight);
    EXPECT_EQ(f.severity, Severity::high);
    EXPECT_EQ(f.primaryFix, FixID::rebuildSpotlightIndex);
    EXPECT_EQ(f.detail, "Spotlight has been busy for over 3 hours, which usually means it's stuck. Rebuilding the "
                        "index often fixes it.");
    EXPECT_EQ(f.leaveNote, "Settles on its own");
}

TEST(DiagnosisPhotos, FamilyFiresAtThirtyPercent)
{
    auto in = input({lone(4, "/System/Library/photoanalysisd", 10), lone(5, "/System/Library/mediaanalysisd", 20)});
    const auto f = only(in, FindingKind::photos);
    EXPECT_EQ(f, Finding(FindingKind::photos, Severity::low, "Photos is analyzing your library.",
                         "It finds faces and objects in your photos, mostly while your Mac is idle and plugged in.",
                         "pid:5", std::nullopt, "Runs while plugged in"));
    in.groups[1].cpuPercent = 19.9;
    EXPECT_FALSE(has(in, FindingKind::photos));
}

TEST(DiagnosisWindowServer, FirstWindowServerFiresAtFortyPercent)
{
    auto in = input({lone(9, "/System/Library/WindowServer", 40)});
    const auto f = only(in, FindingKind::windowServer);
    EXPECT_EQ(f, Finding(FindingKind::windowServer, Severity::medium, "WindowServer is busy drawing your screen.",
                         "Many windows, external displays or transparency effects keep it busy.", "pid:9",
                         FixID::explain));
    in.groups[0].cpuPercent = 39.9;
    EXPECT_TRUE(findings(in).empty());
}

TEST(DiagnosisWindowServer, OnlyTheFirstOneIsLookedAt)
{
    const auto in = input({lone(9, "/System/Library/WindowServer", 10), lone(10, "/opt/WindowServer", 90)});
    const auto all = findings(in);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].id, "cpuHog:pid:10");
}

TEST(DiagnosisBrowsers, FireOnCpuOrMemory)
{
    auto chrome = app("/Applications/Google Chrome.app", 50, 0, true, 12);
    auto in = input({chrome});
    auto f = only(in, FindingKind::browser);
    EXPECT_EQ(f.headline, "Google Chrome and 12 helpers are using 50% CPU and " + Format::bytes(0) + ".");
    EXPECT_EQ(f.detail, "Each tab and extension runs as its own helper. Closing tabs you don't need frees memory.");
    EXPECT_EQ(f.id, "browser:/Applications/Google Chrome.app");
    EXPECT_EQ(f.primaryFix, FixID::reviewTabs);
    EXPECT_EQ(f.severity, Severity::medium);

    in.groups[0].cpuPercent = 49.9;
    EXPECT_FALSE(has(in, FindingKind::browser));
    in.groups[0].memoryBytes = 1'499'999'999;
    EXPECT_FALSE(has(in, FindingKind::browser));
    in.groups[0].memoryBytes = 1'500'000'000;
    EXPECT_TRUE(has(in, FindingKind::browser));
}

TEST(DiagnosisBrowsers, RecognisedByBundleNameAfterASlash)
{
    EXPECT_TRUE(Diagnosis::isBrowser(app("/Applications/Brave Browser.app", 0)));
    EXPECT_TRUE(Diagnosis::isBrowser(app("/Users/me/Applications/Microsoft Edge.app", 0)));
    EXPECT_FALSE(Diagnosis::isBrowser(app("/Applications/NotGoogle Chrome.app", 0)));
    EXPECT_FALSE(Diagnosis::isBrowser(app("/Applications/Safari.app", 0)));
    auto noBundle = lone(3, "/Applications/Google Chrome.app", 0);
    EXPECT_FALSE(Diagnosis::isBrowser(noBundle));
    noBundle.appPath = "Google Chrome.app";
    EXPECT_FALSE(Diagnosis::isBrowser(noBundle));
}

TEST(DiagnosisClaims, SpecialisedRulesKeepTheirGroupsFromTheCpuRule)
{
    auto in = input({app("/Applications/Google Chrome.app", 90), lone(1, "/System/Library/WindowServer", 300),
                     lone(2, "/System/Library/mds", 150), lone(3, "/System/Library/photoanalysisd", 100)});
    in.signals.pressure = Pressure::elevated;
    auto made = kinds(in);
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector{FindingKind::memory, FindingKind::spotlight, FindingKind::photos,
                                 FindingKind::windowServer, FindingKind::browser}));
    // The memory finding may still name a claimed group.
    EXPECT_EQ(only(in, FindingKind::memory).groupID, "/Applications/Google Chrome.app");
}

TEST(DiagnosisCpu, FiresAtEightyPercent)
{
    auto in = input({lone(5, "/opt/tools/Cruncher", 80)});
    const auto f = only(in, FindingKind::cpuHog);
    EXPECT_EQ(f.severity, Severity::medium);
    EXPECT_EQ(f.headline, "Cruncher is using 80% CPU.");
    EXPECT_EQ(f.detail, "cruncher summary");
    EXPECT_EQ(f.leaveNote, "Usually idle");
    EXPECT_EQ(f.id, "cpuHog:pid:5");
    in.groups[0].cpuPercent = 79.9;
    EXPECT_TRUE(findings(in).empty());
}

TEST(DiagnosisCpu, HighNeedsAQuarterPerCoreAndAtLeastTwoHundred)
{
    auto in = input({lone(5, "/opt/tools/Cruncher", 250)});
    EXPECT_EQ(only(in, FindingKind::cpuHog).severity, Severity::high);
    in.signals.coreCount = 16;
    EXPECT_EQ(only(in, FindingKind::cpuHog).severity, Severity::medium);
    in.signals.coreCount = 4;
    in.groups[0].cpuPercent = 200;
    EXPECT_EQ(only(in, FindingKind::cpuHog).severity, Severity::high);
    in.groups[0].cpuPercent = 199.9;
    EXPECT_EQ(only(in, FindingKind::cpuHog).severity, Severity::medium);
    in.signals.coreCount = std::numeric_limits<int>::max();  // no overflow
    EXPECT_EQ(only(in, FindingKind::cpuHog).severity, Severity::medium);
}

TEST(DiagnosisCpu, FixComesFromTheCatalogOnlyForQuittableApps)
{
    auto cruncher = app("/Applications/Cruncher.app", 90);
    auto editor = app("/Applications/Editor.app", 90);
    auto unknown = app("/Applications/Unknown.app", 90);
    auto locked = app("/Applications/Cruncher.app", 90, 0, false);
    EXPECT_EQ(only(input({cruncher}), FindingKind::cpuHog).primaryFix, FixID::rebuildSpotlightIndex);
    EXPECT_EQ(only(input({editor}), FindingKind::cpuHog).primaryFix, FixID::explain);
    EXPECT_EQ(only(input({locked}), FindingKind::cpuHog).primaryFix, FixID::explain);
    const auto f = only(input({unknown}), FindingKind::cpuHog);
    EXPECT_EQ(f.primaryFix, FixID::quitApp);  // the fallback for an app's process offers quitting
    EXPECT_EQ(f.detail, "Belongs to Unknown. Quitting Unknown stops it.");
    EXPECT_EQ(f.leaveNote, std::nullopt);
}

TEST(DiagnosisCpu, VirtualMachineIsBlamedOnItsHost)
{
    const std::string vm = "/System/Library/Frameworks/Virtualization.framework/Versions/A/XPCServices/VM";
    auto in = input({lone(40, vm, 120), app("/Applications/Docker.app", 5), lone(41, vm, 90)});
    const auto all = findings(in);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].headline, "A virtual machine is using 120% CPU.");
    EXPECT_EQ(all[0].detail, "It's run by Docker. Quitting Docker frees all of it.");
    EXPECT_EQ(all[0].id, "cpuHog:/Applications/Docker.app");
    EXPECT_EQ(all[0].primaryFix, FixID::quitApp);
    EXPECT_EQ(all[1].id, all[0].id);  // one finding per process, with the same id
    EXPECT_EQ(all[1].headline, "A virtual machine is using 90% CPU.");

    in.groups[1].quittable = false;
    EXPECT_EQ(findings(in)[0].primaryFix, FixID::explain);
}

TEST(DiagnosisCpu, VirtualMachineWithoutHostIsExplainedItself)
{
    const std::string vm = "/System/Library/Frameworks/Virtualization.framework/Versions/A/XPCServices/VM";
    // A lone process named like a host is no host: hosts are apps.
    const auto in = input({lone(40, vm, 120), lone(41, "/usr/local/bin/Docker", 1)});
    const auto f = only(in, FindingKind::cpuHog);
    EXPECT_EQ(f.headline, "A virtual machine is using 120% CPU.");
    EXPECT_EQ(f.detail, "A built-in macOS process.");
    EXPECT_EQ(f.id, "cpuHog:pid:40");
    EXPECT_EQ(f.primaryFix, FixID::explain);
}

TEST(DiagnosisDisk, ThresholdsInDecimalGigabytes)
{
    auto in = input();
    const auto disk = [&](int64_t free, int64_t total) {
        in.signals.diskFreeBytes = free;
        in.signals.diskTotalBytes = total;
        return findings(in);
    };
    auto f = disk(14'900'000'000, 2'000'000'000'000);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0], Finding(FindingKind::lowDisk, Severity::high, "Your disk is almost full.",
                            "Only " + Format::bytes(14'900'000'000) + " free. macOS slows down when space runs low.",
                            std::nullopt, FixID::openFerncourt));
    f = disk(40'000'000'000, 500'000'000'000);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0], Finding(FindingKind::lowDisk, Severity::medium, "Your disk is getting full.",
                            Format::bytes(40'000'000'000)
                                + " free. Keep at least 10% free so macOS has room for memory and updates.",
                            std::nullopt, FixID::openFerncourt));
    EXPECT_EQ(disk(15'000'000'000, 1'000'000'000'000)[0].severity, Severity::medium);
    EXPECT_TRUE(disk(40'000'000'000, 256'000'000'000).empty());
    EXPECT_TRUE(disk(40'000'000'000, 400'000'000'000).empty());  // exactly 10 % free
    EXPECT_TRUE(disk(60'000'000'000, 1'000'000'000'000).empty());
    EXPECT_TRUE(disk(50'000'000'000, 1'000'000'000'000).empty());
    EXPECT_TRUE(disk(0, 0).empty());  // total unknown
}

TEST(DiagnosisRules, LowPowerModeOffersBatterySettings)
{
    auto in = input();
    in.lowPowerMode = true;
    EXPECT_EQ(only(in, FindingKind::lowPower),
              Finding(FindingKind::lowPower, Severity::low, "Low Power Mode is on, so your Mac runs slower to save energy.",
                      "Turn it off in Battery settings when you need full speed.", std::nullopt,
                      FixID::openBatterySettings));
}

TEST(DiagnosisUptime, CountsWholeDaysWithSwapBuiltUp)
{
    auto in = input();
    in.signals.uptime = 15.0 * 86'400;
    in.signals.swapUsedBytes = 3 * GiB;
    EXPECT_EQ(only(in, FindingKind::longUptime),
              Finding(FindingKind::longUptime, Severity::low, "Your Mac hasn't restarted in 15 days.",
                      "A restart clears memory that has built up over time.", std::nullopt, FixID::restartMac));
    in.signals.uptime = 14.99 * 86'400;
    EXPECT_TRUE(findings(in).empty());
    in.signals.uptime = 15.0 * 86'400;
    in.signals.swapUsedBytes = 2 * GiB;
    EXPECT_TRUE(findings(in).empty());
}

TEST(DiagnosisUptime, UnreadableUptimeMakesNoFinding)
{
    auto in = input();
    in.signals.swapUsedBytes = 3 * GiB;
    const double inf = std::numeric_limits<double>::infinity();
    for (const double uptime : {std::nan(""), inf, -inf, 1e300, -1e9}) {
        in.signals.uptime = uptime;
        EXPECT_TRUE(findings(in).empty()) << uptime;
    }
}

TEST(DiagnosisOrder, SeverityThenScoreThenRuleOrder)
{
    auto in = input({app("/Applications/Cruncher.app", 90, GiB), app("/Applications/Google Chrome.app", 120),
                     lone(2, "/System/Library/mds", 60)});
    in.stuckApp = "Editor";
    in.signals.thermal = Thermal::warm;
    in.signals.pressure = Pressure::elevated;
    in.lowPowerMode = true;
    const auto all = findings(in);
    std::vector<std::string> ids;
    for (const auto& f : all)
        ids.push_back(f.id);
    EXPECT_EQ(ids, (std::vector<std::string>{
                       "stuckApp",                                  // high
                       "browser:/Applications/Google Chrome.app",   // medium, 120
                       "memory:/Applications/Cruncher.app",         // medium, 90, made first
                       "cpuHog:/Applications/Cruncher.app",         // medium, 90
                       "spotlight:pid:2",                           // low, 60
                       "heat",                                      // low, 0, made first
                       "lowPower",                                  // low, 0
                   }));
}

TEST(DiagnosisOrder, HeroAndAtMostFourMore)
{
    std::vector<ProcessGroup> groups;
    for (int i = 0; i < 10; ++i)
        groups.push_back(lone(10 + i, "/opt/busy" + std::to_string(i), 100 + i));
    const auto result = Diagnosis::run(input(groups), catalog);
    ASSERT_EQ(result.findings.size(), 10u);
    EXPECT_EQ(result.hero()->id, "cpuHog:pid:19");
    ASSERT_EQ(result.more().size(), 4u);
    EXPECT_EQ(result.more()[3].id, "cpuHog:pid:15");
    EXPECT_EQ(result.status, Status::busy);
}

TEST(DiagnosisLookups, IsRunningMatchesTheDisplayNameExactly)
{
    const std::vector<ProcessGroup> groups{app("/Applications/Editor.app", 0), lone(3, "/usr/bin/helperd", 0)};
    EXPECT_TRUE(Diagnosis::isRunning("Editor", groups));
    EXPECT_TRUE(Diagnosis::isRunning("helperd", groups));
    EXPECT_FALSE(Diagnosis::isRunning("editor", groups));
    EXPECT_FALSE(Diagnosis::isRunning("Edit", groups));
    EXPECT_FALSE(Diagnosis::isRunning("Editor", {}));
}
