#include "Core/Diagnosis.hpp"
#include "Core/Format.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace corvane;
using namespace std::chrono_literals;

namespace corvane {
// Readable failure messages.
void PrintTo(const Finding& f, std::ostream* out)
{
    *out << f.id << " severity " << static_cast<int>(f.severity) << " \"" << f.headline << "\" \"" << f.detail
         << "\" fix " << (f.primaryFix ? toString(*f.primaryFix) : "none") << " note " << f.leaveNote.value_or("none");
}
} // namespace corvane

namespace {

constexpr int64_t GiB = 1024LL * 1024 * 1024;
const std::string vmPath = "/System/Library/Frameworks/Virtualization.framework/Versions/A/XPCServices/VM";

ProcessUsage process(int32_t pid, const std::string& path, double cpu, int64_t memory = 0)
{
    return ProcessUsage{pid, 1, 501, "me", path, path.substr(path.rfind('/') + 1), cpu, memory};
}

// An app group: its main executable (named after the bundle) and `helpers` helper processes.
ProcessGroup app(const std::string& bundle, double cpu, int64_t memory = 0, bool quittable = true, int helpers = 0)
{
    const auto slash = bundle.rfind('/');
    const auto name = bundle.substr(slash + 1, bundle.rfind(".app") - slash - 1);
    ProcessGroup g{bundle, name, bundle, {process(100, bundle + "/Contents/MacOS/" + name, cpu, memory)},
                   cpu, memory, quittable};
    for (int i = 0; i < helpers; ++i)
        g.members.push_back(process(200 + i, bundle + "/Contents/Frameworks/Helper.app/Contents/MacOS/Helper", 0));
    return g;
}

ProcessGroup lone(int32_t pid, const std::string& path, double cpu, int64_t memory = 0)
{
    const auto p = process(pid, path, cpu, memory);
    return ProcessGroup{"pid:" + std::to_string(pid), p.name, std::nullopt, {p}, cpu, memory, false};
}

CatalogEntry entry(const std::string& name, std::vector<FixID> fixes, std::optional<std::string> idleNote = {})
{
    return CatalogEntry{name, {{name}, {}, {}}, name, name + " summary", "", Verdict::review, idleNote, fixes, name, {}};
}

const ProcessCatalog catalog({
    entry("Cruncher", {FixID::explain, FixID::rebuildSpotlightIndex, FixID::quitApp}, "Usually idle"),
    entry("Editor", {FixID::explain}),
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

std::vector<std::string> ids(const DiagnosisInput& in)
{
    std::vector<std::string> result;
    for (const auto& f : findings(in))
        result.push_back(f.id);
    return result;
}

// The single finding the input makes; fails the test when it makes another number.
Finding one(const DiagnosisInput& in)
{
    const auto all = findings(in);
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? Finding(FindingKind::offline, Severity::low, "", "") : all.front();
}

} // namespace

TEST(DiagnosisRules, NothingToReportIsQuiet)
{
    const auto result = Diagnosis::run(input(), catalog);
    EXPECT_TRUE(result.findings.empty());
    EXPECT_EQ(result.status, Status::quiet);
    EXPECT_FALSE(result.hero());
}

TEST(DiagnosisRules, StuckAppAsksForARestart)
{
    auto in = input();
    in.stuckApp = "Editor";
    EXPECT_EQ(one(in), Finding(FindingKind::stuckApp, Severity::high, "Editor won't quit. Restart your Mac to clear it.",
                               "Some apps can't be closed once they're stuck. A restart clears them.", std::nullopt,
                               FixID::restartMac));
    EXPECT_EQ(Diagnosis::run(in, catalog).status, Status::struggling);
}

TEST(DiagnosisRules, HeatGrowsWithTheThermalState)
{
    const auto heat = [](Severity severity, const char* headline, const char* detail) {
        return Finding(FindingKind::heat, severity, headline, detail, std::nullopt, std::nullopt, "Leave it");
    };
    auto in = input();
    in.signals.thermal = Thermal::warm;
    EXPECT_EQ(one(in), heat(Severity::low, "Your Mac is warm, so macOS is slowing it slightly to cool down.",
                            "kernel_task holds back other work to cool your Mac. Heavy apps and blocked vents make "
                            "it worse."));
    in.signals.thermal = Thermal::hot;
    EXPECT_EQ(one(in), heat(Severity::high, "Your Mac is hot and slowing itself down to cool off.",
                            "kernel_task holds back other work to cool your Mac. Quit heavy apps and give it some air."));
    in.signals.thermal = Thermal::veryHot;
    EXPECT_EQ(one(in), heat(Severity::critical, "Your Mac is very hot and running much slower to protect itself.",
                            "Quit heavy apps, unplug extra displays and give it some air."));
}

TEST(DiagnosisRules, LowPowerModeOffersBatterySettings)
{
    auto in = input();
    in.lowPowerMode = true;
    EXPECT_EQ(one(in), Finding(FindingKind::lowPower, Severity::low,
                               "Low Power Mode is on, so your Mac runs slower to save energy.",
                               "Turn it off in Battery settings when you need full speed.", std::nullopt,
                               FixID::openBatterySettings));
}

TEST(DiagnosisMemory, WithoutGroupsSpeaksOfSwap)
{
    auto in = input();
    in.signals.pressure = Pressure::elevated;
    in.signals.swapUsedBytes = 3 * GiB;
    const Finding expected(FindingKind::memory, Severity::medium, "Your Mac is running low on memory.",
                           "Swap in use: " + Format::bytes(3 * GiB) + ".");
    EXPECT_EQ(one(in), expected);
    in.signals.pressure = Pressure::critical;
    EXPECT_EQ(one(in).severity, Severity::high);

    in.signals.pressure = Pressure::normal;
    in.signals.swapUsedBytes = 4 * GiB;  // swap alone must be more than 4 GiB
    EXPECT_TRUE(findings(in).empty());
    in.signals.swapUsedBytes = 4 * GiB + 1;
    EXPECT_EQ(one(in).severity, Severity::medium);
}

TEST(DiagnosisMemory, NamesTheLargestQuittableGroupElseTheLargestWithoutFix)
{
    auto in = input({lone(1, "/usr/sbin/bigd", 5, 9 * GiB), app("/Applications/Editor.app", 7, 2 * GiB),
                     app("/Applications/Other.app", 3, 2 * GiB)});
    in.signals.pressure = Pressure::elevated;
    EXPECT_EQ(one(in), Finding(FindingKind::memory, Severity::medium, "Your Mac is running low on memory.",
                               "Editor is using " + Format::bytes(2 * GiB) + ".", "/Applications/Editor.app",
                               FixID::quitApp));
    in.groups[1].quittable = in.groups[2].quittable = false;
    const auto f = one(in);
    EXPECT_EQ(f.id, "memory:pid:1");
    EXPECT_EQ(f.primaryFix, std::nullopt);
}

TEST(DiagnosisSpotlight, FamilyAddsUpAndNamesItsBusiestMember)
{
    auto in = input({lone(1, "/System/Library/mds", 20), lone(2, "/System/Library/mds_stores", 30),
                     lone(3, "/System/Library/mdworker_shared", 0)});
    EXPECT_EQ(one(in), Finding(FindingKind::spotlight, Severity::low, "Spotlight is doing a lot of work.",
                               "mds_stores is using 50% CPU while it updates the search index. That's normal after "
                               "an update or a large file change.",
                               "pid:2", FixID::openSpotlightSettings, "Settles on its own"));
    in.groups[1].cpuPercent = 20;  // a tie goes to the first
    in.groups[2].cpuPercent = 10;
    EXPECT_EQ(one(in).groupID, "pid:1");
    in.groups[2].cpuPercent = 9.9;
    EXPECT_TRUE(findings(in).empty());
}

TEST(DiagnosisSpotlight, StuckOnlyAfterMoreThanThreeHours)
{
    auto in = input({lone(1, "/System/Library/mds", 120)});
    in.spotlightBusySince = in.now - 10'800s;
    EXPECT_EQ(one(in).severity, Severity::low);
    in.spotlightBusySince = in.now - 10'801s;
    EXPECT_EQ(one(in), Finding(FindingKind::spotlight, Severity::high, "Spotlight is doing a lot of work.",
                               "Spotlight has been busy for over 3 hours, which usually means it's stuck. "
                               "Rebuilding the index often fixes it.",
                               "pid:1", FixID::rebuildSpotlightIndex, "Settles on its own"));
}

TEST(DiagnosisPhotos, FamilyFiresAtThirtyPercent)
{
    auto in = input({lone(4, "/System/Library/photoanalysisd", 10), lone(5, "/System/Library/mediaanalysisd", 20)});
    EXPECT_EQ(one(in), Finding(FindingKind::photos, Severity::low, "Photos is analyzing your library.",
                               "It finds faces and objects in your photos, mostly while your Mac is idle and plugged in.",
                               "pid:5", std::nullopt, "Runs while plugged in"));
    in.groups[1].cpuPercent = 19.9;
    EXPECT_TRUE(findings(in).empty());
}

TEST(DiagnosisWindowServer, OnlyTheFirstOneCountsFromFortyPercent)
{
    auto in = input({lone(9, "/System/Library/WindowServer", 40), lone(10, "/opt/WindowServer", 90)});
    EXPECT_EQ(findings(in).at(1), Finding(FindingKind::windowServer, Severity::medium,
                                          "WindowServer is busy drawing your screen.",
                                          "Many windows, external displays or transparency effects keep it busy.",
                                          "pid:9", FixID::explain));
    in.groups[0].cpuPercent = 39.9;
    EXPECT_EQ(ids(in), (std::vector<std::string>{"cpuHog:pid:10"}));  // the later one is an ordinary process
}

TEST(DiagnosisBrowsers, FireOnCpuOrMemory)
{
    auto in = input({app("/Applications/Google Chrome.app", 50, 0, true, 12)});
    EXPECT_EQ(one(in), Finding(FindingKind::browser, Severity::medium,
                               "Google Chrome and 12 helpers are using 50% CPU and " + Format::bytes(0) + ".",
                               "Each tab and extension runs as its own helper. Closing tabs you don't need frees memory.",
                               "/Applications/Google Chrome.app", FixID::reviewTabs));
    in.groups[0].cpuPercent = 49.9;
    in.groups[0].memoryBytes = 1'499'999'999;
    EXPECT_TRUE(findings(in).empty());
    in.groups[0].memoryBytes = 1'500'000'000;
    EXPECT_EQ(one(in).kind, FindingKind::browser);
}

TEST(DiagnosisBrowsers, RecognisedByBundleNameAfterASlashOrByTheirInstalledFolder)
{
    EXPECT_TRUE(Diagnosis::isBrowser(app("/Applications/Brave Browser.app", 0)));
    EXPECT_TRUE(Diagnosis::isBrowser(app("/opt/google/chrome", 0)));
    EXPECT_TRUE(Diagnosis::isBrowser(app("/Users/me/Applications/Microsoft Edge.app", 0)));
    EXPECT_FALSE(Diagnosis::isBrowser(app("/Applications/NotGoogle Chrome.app", 0)));
    auto bare = lone(3, "/Applications/Google Chrome.app", 0);
    EXPECT_FALSE(Diagnosis::isBrowser(bare));
    bare.appPath = "Google Chrome.app";
    EXPECT_FALSE(Diagnosis::isBrowser(bare));
}

TEST(DiagnosisClaims, SpecialisedRulesKeepTheirGroupsFromTheCpuRule)
{
    auto in = input({app("/Applications/Google Chrome.app", 90), lone(1, "/System/Library/WindowServer", 300),
                     lone(2, "/System/Library/mds", 150), lone(3, "/System/Library/photoanalysisd", 100)});
    in.signals.pressure = Pressure::elevated;
    auto made = ids(in);
    std::sort(made.begin(), made.end());
    // The memory finding may still name a claimed group.
    EXPECT_EQ(made, (std::vector<std::string>{"browser:/Applications/Google Chrome.app",
                                              "memory:/Applications/Google Chrome.app", "photos:pid:3",
                                              "spotlight:pid:2", "windowServer:pid:1"}));
}

TEST(DiagnosisCpu, FiresAtEightyPercentWithTheCatalogSummary)
{
    auto in = input({lone(5, "/opt/tools/Cruncher", 80)});
    EXPECT_EQ(one(in), Finding(FindingKind::cpuHog, Severity::medium, "Cruncher is using 80% CPU.",
                               "Cruncher summary", "pid:5", FixID::explain, "Usually idle"));
    in.groups[0].cpuPercent = 79.9;
    EXPECT_TRUE(findings(in).empty());
}

TEST(DiagnosisCpu, HighNeedsAQuarterPerCoreAndAtLeastTwoHundred)
{
    auto in = input({lone(5, "/opt/tools/Cruncher", 250)});
    EXPECT_EQ(one(in).severity, Severity::high);
    in.signals.coreCount = 16;
    EXPECT_EQ(one(in).severity, Severity::medium);
    in.signals.coreCount = 4;
    in.groups[0].cpuPercent = 200;
    EXPECT_EQ(one(in).severity, Severity::high);
    in.groups[0].cpuPercent = 199.9;
    EXPECT_EQ(one(in).severity, Severity::medium);
    in.signals.coreCount = std::numeric_limits<int>::max();  // no overflow
    EXPECT_EQ(one(in).severity, Severity::medium);
}

TEST(DiagnosisCpu, FixComesFromTheCatalogOnlyForQuittableApps)
{
    EXPECT_EQ(one(input({app("/Applications/Cruncher.app", 90)})).primaryFix, FixID::rebuildSpotlightIndex);
    EXPECT_EQ(one(input({app("/Applications/Cruncher.app", 90, 0, false)})).primaryFix, FixID::explain);
    EXPECT_EQ(one(input({app("/Applications/Editor.app", 90)})).primaryFix, FixID::explain);
    const auto unknown = one(input({app("/Applications/Unknown.app", 90)}));
    EXPECT_EQ(unknown.primaryFix, FixID::quitApp);  // the fallback for an app offers quitting
    EXPECT_EQ(unknown.detail, "Belongs to Unknown. Quitting Unknown stops it.");
    EXPECT_EQ(unknown.leaveNote, std::nullopt);
}

TEST(DiagnosisCpu, VirtualMachineIsBlamedOnItsHost)
{
    auto in = input({lone(40, vmPath, 120), app("/Applications/Docker.app", 5), lone(41, vmPath, 90)});
    const auto all = findings(in);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], Finding(FindingKind::cpuHog, Severity::medium, "A virtual machine is using 120% CPU.",
                              "It's run by Docker. Quitting Docker frees all of it.", "/Applications/Docker.app",
                              FixID::quitApp));
    EXPECT_EQ(all[1].id, all[0].id);  // one finding per process, with the same id
    EXPECT_EQ(all[1].headline, "A virtual machine is using 90% CPU.");
    in.groups[1].quittable = false;
    EXPECT_EQ(findings(in)[0].primaryFix, FixID::explain);
}

TEST(DiagnosisCpu, VirtualMachineWithoutHostAppIsExplainedItself)
{
    // A lone process named like a host is no host: hosts are apps.
    EXPECT_EQ(one(input({lone(40, vmPath, 120), lone(41, "/usr/local/bin/Docker", 1)})),
              Finding(FindingKind::cpuHog, Severity::medium, "A virtual machine is using 120% CPU.",
                      "A built-in macOS process.", "pid:40", FixID::explain));
}

TEST(DiagnosisDisk, ThresholdsInDecimalGigabytes)
{
    auto in = input();
    const auto disk = [&](int64_t free, int64_t total) {
        in.signals.diskFreeBytes = free;
        in.signals.diskTotalBytes = total;
        return findings(in);
    };
    EXPECT_EQ(disk(14'900'000'000, 2'000'000'000'000),
              std::vector{Finding(FindingKind::lowDisk, Severity::high, "Your disk is almost full.",
                                  "Only " + Format::bytes(14'900'000'000) + " free. macOS slows down when space runs low.",
                                  std::nullopt, FixID::openFerncourt)});
    EXPECT_EQ(disk(40'000'000'000, 500'000'000'000),
              std::vector{Finding(FindingKind::lowDisk, Severity::medium, "Your disk is getting full.",
                                  Format::bytes(40'000'000'000)
                                      + " free. Keep at least 10% free so macOS has room for memory and updates.",
                                  std::nullopt, FixID::openFerncourt)});
    EXPECT_EQ(disk(15'000'000'000, 1'000'000'000'000).at(0).severity, Severity::medium);
    EXPECT_TRUE(disk(40'000'000'000, 256'000'000'000).empty());
    EXPECT_TRUE(disk(40'000'000'000, 400'000'000'000).empty());  // exactly 10 % free
    EXPECT_TRUE(disk(50'000'000'000, 1'000'000'000'000).empty());
    EXPECT_TRUE(disk(0, 0).empty());  // total unknown
}

TEST(DiagnosisUptime, CountsWholeDaysWithSwapBuiltUp)
{
    auto in = input();
    in.signals.uptime = 15.0 * 86'400;
    in.signals.swapUsedBytes = 3 * GiB;
    EXPECT_EQ(one(in), Finding(FindingKind::longUptime, Severity::low, "Your Mac hasn't restarted in 15 days.",
                               "A restart clears memory that has built up over time.", std::nullopt,
                               FixID::restartMac));
    in.signals.swapUsedBytes = 2 * GiB;
    EXPECT_TRUE(findings(in).empty());
    in.signals.swapUsedBytes = 3 * GiB;
    const double inf = std::numeric_limits<double>::infinity();
    for (const double uptime : {14.99 * 86'400, std::nan(""), inf, -inf, 1e300}) {
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
    EXPECT_EQ(ids(in), (std::vector<std::string>{
                           "stuckApp",                                 // high
                           "browser:/Applications/Google Chrome.app",  // medium, 120
                           "memory:/Applications/Cruncher.app",        // medium, 90, made first
                           "cpuHog:/Applications/Cruncher.app",        // medium, 90
                           "spotlight:pid:2",                          // low, 60
                           "heat",                                     // low, 0, made first
                           "lowPower",                                 // low, 0
                       }));
}

TEST(DiagnosisOrder, ACPUFigureThatIsNoRealNumberPassesNoThreshold)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto in = input({lone(1, "/opt/Cruncher", nan), lone(2, "/opt/Editor", inf),
                     lone(3, "/System/Library/WindowServer", nan), app("/Applications/Google Chrome.app", nan),
                     lone(4, "/System/Library/mds", nan), lone(5, "/System/Library/photoanalysisd", inf),
                     app("/Applications/Big.app", nan, 8 * GiB), app("/Applications/Small.app", 5, GiB)});
    EXPECT_TRUE(findings(in).empty());
    // A finding scored by such a figure sorts as scored 0, behind a real one made later.
    in.signals.pressure = Pressure::elevated;
    in.groups.back().cpuPercent = 90;
    EXPECT_EQ(ids(in), (std::vector<std::string>{"cpuHog:/Applications/Small.app", "memory:/Applications/Big.app"}));
}

TEST(DiagnosisLookups, IsRunningMatchesTheDisplayNameExactly)
{
    const std::vector<ProcessGroup> groups{app("/Applications/Editor.app", 0), lone(3, "/usr/bin/helperd", 0)};
    EXPECT_TRUE(Diagnosis::isRunning("Editor", groups));
    EXPECT_TRUE(Diagnosis::isRunning("helperd", groups));
    EXPECT_FALSE(Diagnosis::isRunning("editor", groups));
    EXPECT_FALSE(Diagnosis::isRunning("Edit", groups));
}

// A process names itself: "zq", right-to-left override, "gpj.exe" must not read "zqexe.jpg"
// in a headline, nor a line break split it.
TEST(DiagnosisTexts, NamesCannotReorderOrBreakTheirHeadline)
{
    const std::string posing = "zq\u202Egpj.exe\nApp";
    auto hog = app("/opt/" + posing + ".app", 90, 6 * GiB);
    auto browser = app("/Applications/Google Chrome.app", 60);
    browser.displayName = posing;
    auto in = input({hog, browser});
    in.stuckApp = posing;
    in.signals.pressure = Pressure::critical;
    std::vector<std::string> texts;
    for (const auto& f : findings(in))
        texts.push_back(f.headline + "|" + f.detail);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Your Mac is running low on memory.|zqgpj.exe App is using 6 GB.",
                         "zqgpj.exe App won't quit. Restart your Mac to clear it.|Some apps can't be closed once "
                         "they're stuck. A restart clears them.",
                         "zqgpj.exe App is using 90% CPU.|Belongs to zqgpj.exe App. Quitting zqgpj.exe App stops it.",
                         "zqgpj.exe App and 0 helpers are using 60% CPU and 0 KB.|Each tab and extension runs as "
                         "its own helper. Closing tabs you don't need frees memory."}));
}
