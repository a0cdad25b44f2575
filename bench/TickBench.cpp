// The monitor's whole tick as the app runs it: sample the process table, measure
// CPU, read footprints of the user's own processes, group into bundles and the
// installed desktop apps, explain every group, read the signals and the memory
// breakdown, diagnose. Run over this machine's /proc topped up with idle processes
// and its own desktop entries, and over generated /proc trees with app units and
// an applications folder of their own; beside it a pass that only reads every
// /proc/PID/stat, the least any process monitor does.
#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Diagnosis.hpp"
#include "Core/Files.hpp"
#include "Core/MemoryReader.hpp"
#include "Core/MemoryStats.hpp"
#include "Core/Numbers.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/SignalReader.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/ProcFS.hpp"
#include "Platform/ProcFootprint.hpp"
#include "Platform/ProcProcessSource.hpp"

#include <benchmark/benchmark.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

using namespace corvane;
namespace fs = std::filesystem;

namespace {

// Idle children that bring this machine's table up to a given size; they die
// with the benchmark.
class IdleProcesses {
public:
    ~IdleProcesses()
    {
        for (const pid_t pid : children_)
            ::kill(pid, SIGKILL);
        for (const pid_t pid : children_)
            ::waitpid(pid, nullptr, 0);
    }

    void fillTo(std::size_t total)
    {
        std::size_t running = ProcFS::listPids("/proc").size();
        for (; running < total; ++running) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                for (;;)
                    ::pause();
            }
            if (pid < 0)
                break;
            children_.push_back(pid);
        }
    }

private:
    std::vector<pid_t> children_;
};

IdleProcesses& idleProcesses()
{
    static IdleProcesses processes;
    return processes;
}

void writeFile(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

void writeProgram(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    writeFile(file, "\x7f" "ELF");
    fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add);
}

// A /proc tree of `count` processes shaped like a desktop's: a fifth kernel
// threads, the rest daemons and app helpers, each with the files the kernel writes,
// a quarter of them in an app's session unit. Beside it the apps' folders and an
// applications folder of a hundred entries: the forty apps and tools in a shared
// bin folder.
class GeneratedProc {
public:
    explicit GeneratedProc(int count)
        : base_(fs::temp_directory_path() / ("corvane-tick-" + Numbers::toText(::getpid()) + "-"
                                             + Numbers::toText(count))),
          root_(base_ / "proc")
    {
        fs::remove_all(base_);
        fs::create_directories(root_);
        fs::create_directories(base_ / "applications");
        for (int k = 0; k < 100; ++k) {
            const std::string app = k < 40 ? "app" + Numbers::toText(k) : "tool" + Numbers::toText(k);
            const fs::path program = k < 40 ? base_ / "usr/lib" / app / app : base_ / "usr/bin" / app;
            writeProgram(program);
            writeFile(base_ / "applications" / (app + ".desktop"),
                      "[Desktop Entry]\nType=Application\nName=App " + Numbers::toText(k) + "\nExec=" + program.string()
                          + " %U\nIcon=" + app + "\nCategories=Utility;\n");
        }
        writeFile(root_ / "uptime", "86400.00 500000.00\n");
        const std::string status = Files::read("/proc/self/status").value_or("");
        for (int i = 0; i < count; ++i) {
            const int pid = 100 + i * 3;
            const bool kernel = i % 5 == 0;
            const std::string app = "app" + Numbers::toText(i % 40);
            const std::string exe = i % 2 ? (base_ / "usr/lib" / app / (app + "-helper")).string()
                                          : "/usr/sbin/daemon" + Numbers::toText(i);
            const std::string comm = kernel ? "kworker/" + Numbers::toText(i) : app;
            const fs::path folder = root_ / Numbers::toText(pid);
            fs::create_directory(folder);
            writeFile(folder / "stat", Numbers::toText(pid) + " (" + comm + ") S 1 1 1 0 -1 "
                                           + (kernel ? "69238880" : "4194560") + " 3000 0 10 0 "
                                           + Numbers::toText(i * 7) + " " + Numbers::toText(i * 3) + " 0 0 20 0 4 0 "
                                           + Numbers::toText(1000 + i) + " 500000000 " + (kernel ? "0" : "12000")
                                           + " 18446744073709551615 1 1 0 0 0 0 0 4096 17663 0 0 0 17 3 0 0 0 0 0 "
                                             "0 0 0 0 0 0 0\n");
            writeFile(folder / "status", status);
            writeFile(folder / "comm", comm + "\n");
            writeFile(folder / "cgroup", kernel       ? "0::/\n"
                                         : i % 4 == 1 ? "0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-gnome-"
                                                            + app + "-" + Numbers::toText(pid) + ".scope\n"
                                                      : "0::/user.slice/user-1000.slice/session-2.scope\n");
            if (!kernel) {
                writeFile(folder / "cmdline", exe + std::string(1, '\0') + "--flag" + std::string(1, '\0'));
                fs::create_symlink(exe, folder / "exe");
            }
        }
    }
    ~GeneratedProc() { fs::remove_all(base_); }

    const fs::path& root() const { return root_; }
    std::shared_ptr<DesktopApps> apps() const
    {
        return std::make_shared<DesktopApps>(
            DesktopApps::Places{.applicationFolders = {base_ / "applications"},
                                .configFolders = {},
                                .searchPath = {base_ / "usr/bin"},
                                .sharedFolders = SharedFolders({base_ / "usr/bin", base_ / "usr/lib"}, {})});
    }

private:
    fs::path base_;
    fs::path root_;
};

const GeneratedProc& generatedProc(int count)
{
    static std::map<int, std::unique_ptr<GeneratedProc>> trees;
    auto& tree = trees[count];
    if (!tree)
        tree = std::make_unique<GeneratedProc>(count);
    return *tree;
}

// One tick with the window visible, as the monitor's background part runs it.
class Tick {
public:
    Tick(fs::path procRoot, std::shared_ptr<DesktopApps> apps, uint32_t uid = ::geteuid())
        : procRoot_(procRoot), source_(procRoot), apps_(std::move(apps)), catalog_(ProcessCatalog::bundled()), uid_(uid)
    {
    }

    std::size_t run()
    {
        Snapshot current = source_.sample();
        std::unordered_set<int32_t> own;
        for (const auto& process : current.processes) {
            if (process.uid == uid_)
                own.insert(process.pid);
        }
        // The app's own reader on this machine; the same reader over a generated tree.
        std::optional<ProcFootprint::Reader> footprints;
        if (procRoot_ != "/proc")
            footprints.emplace(procRoot_, ProcProcessSource::Units::system().pageSize);
        const auto usage = CPUMeter::usage(previous_, current, [&](int32_t pid) -> std::optional<int64_t> {
            if (!own.contains(pid))
                return std::nullopt;
            return footprints ? footprints->read(pid) : MemoryReader::footprint(pid);
        });
        auto groups = AppGrouper::group(usage, uid_, apps_->current().get());
        groupCount_ = groups.size();
        std::map<std::string, Explanation> explanations;
        for (const auto& group : groups)
            explanations.emplace(group.id, catalog_.explain(group));
        double totalCPU = 0;
        for (const auto& process : usage)
            totalCPU += process.cpuPercent;
        DiagnosisInput input;
        input.signals = SignalReader::read(totalCPU);
        benchmark::DoNotOptimize(MemoryStats::read());
        input.groups = std::move(groups);
        input.now = std::chrono::system_clock::now();
        benchmark::DoNotOptimize(Diagnosis::run(input, catalog_));
        previous_ = std::move(current);
        return previous_->processes.size();
    }

    std::size_t groupCount() const { return groupCount_; }

private:
    fs::path procRoot_;
    ProcProcessSource source_;
    std::shared_ptr<DesktopApps> apps_;
    ProcessCatalog catalog_;
    uint32_t uid_;
    std::optional<Snapshot> previous_;
    std::size_t groupCount_ = 0;
};

void runTicks(benchmark::State& state, const fs::path& procRoot, std::shared_ptr<DesktopApps> apps,
              uint32_t uid = ::geteuid())
{
    Tick tick(procRoot, std::move(apps), uid);
    std::size_t processes = tick.run();  // the first tick fills what is kept between ticks
    for (auto _ : state)
        processes = tick.run();
    state.counters["processes"] = static_cast<double>(processes);
    state.counters["groups"] = static_cast<double>(tick.groupCount());
}

// Reads /proc/PID/stat of every listed process into a buffer and finds its last
// field group, as the cheapest monitor does on each refresh.
std::size_t statOnlyPass(const fs::path& procRoot)
{
    const int rootFd = ::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::size_t read = 0;
    for (const int32_t pid : ProcFS::listPids(procRoot)) {
        const std::string file = Numbers::toText(pid) + "/stat";
        const int fd = ::openat(rootFd, file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        if (n > 0 && std::string_view(buffer, static_cast<std::size_t>(n)).rfind(')') != std::string_view::npos)
            ++read;
    }
    ::close(rootFd);
    return read;
}

void runStatOnly(benchmark::State& state, const fs::path& procRoot)
{
    std::size_t processes = 0;
    for (auto _ : state)
        processes = statOnlyPass(procRoot);
    state.counters["processes"] = static_cast<double>(processes);
}

void TickLive(benchmark::State& state)
{
    idleProcesses().fillTo(static_cast<std::size_t>(state.range(0)));
    runTicks(state, "/proc", DesktopApps::shared());
}

// As a user who owns none of the processes: the tick without footprint reads.
void TickLiveOwningNothing(benchmark::State& state)
{
    idleProcesses().fillTo(static_cast<std::size_t>(state.range(0)));
    runTicks(state, "/proc", DesktopApps::shared(), 65534);
}

void StatOnlyLive(benchmark::State& state)
{
    idleProcesses().fillTo(static_cast<std::size_t>(state.range(0)));
    runStatOnly(state, "/proc");
}

void TickGenerated(benchmark::State& state)
{
    const auto& tree = generatedProc(static_cast<int>(state.range(0)));
    runTicks(state, tree.root(), tree.apps());
}

void StatOnlyGenerated(benchmark::State& state)
{
    runStatOnly(state, generatedProc(static_cast<int>(state.range(0))).root());
}

// The grouping alone over a generated tree's processes: without installed apps (0),
// with the tree's (1), and with none installed (2), where every process is looked up
// and none claimed, so the groups are those of (0): what the lookups cost each tick.
void GroupGenerated(benchmark::State& state)
{
    const auto& tree = generatedProc(2000);
    const auto snapshot = ProcProcessSource(tree.root()).sample();
    const auto usage = CPUMeter::usage(std::nullopt, snapshot, [](int32_t) { return std::nullopt; });
    const auto index = state.range(0) == 1 ? tree.apps()->current() : DesktopApps({}).current();
    const InstalledApps* apps = state.range(0) ? index.get() : nullptr;
    std::size_t groups = 0;
    for (auto _ : state)
        groups = AppGrouper::group(usage, ::geteuid(), apps).size();
    state.counters["groups"] = static_cast<double>(groups);
}

// What each tick pays to learn the entries are unchanged, and what reading them
// costs when one changed.
void InstalledAppsUnchanged(benchmark::State& state)
{
    const auto apps = generatedProc(2000).apps();
    apps->current();
    for (auto _ : state)
        benchmark::DoNotOptimize(apps->current());
}

void InstalledAppsRead(benchmark::State& state)
{
    const auto& tree = generatedProc(2000);
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.apps()->current());
}

} // namespace

// The live runs only ever add processes, so the smaller table goes first.
BENCHMARK(StatOnlyLive)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(TickLive)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(TickLiveOwningNothing)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(StatOnlyLive)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(TickLive)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(TickLiveOwningNothing)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(StatOnlyGenerated)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(TickGenerated)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(GroupGenerated)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(InstalledAppsUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(InstalledAppsRead)->Unit(benchmark::kMillisecond);
