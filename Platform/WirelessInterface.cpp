#include "Platform/WirelessInterface.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/InstalledTool.hpp"
#include "Platform/SysFS.hpp"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace corvane {
namespace {

struct StatsRow {
    std::string_view name;
    std::vector<std::string_view> fields;  // status, link quality, level, noise, ...
};

// The interface rows of /proc/net/wireless ("  wlan0: 0000   70.  -40.  -256 ..."); the
// two header lines hold no colon.
std::vector<StatsRow> statsRows(std::string_view text)
{
    std::vector<StatsRow> rows;
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        const auto colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        rows.push_back({Text::trim(line.substr(0, colon)),
                        Text::splitSkippingEmpty(line.substr(colon + 1), ' ')});
    }
    return rows;
}

// A level in dBm as the kernel prints it ("-40." once updated): a byte less 256, so from
// -255 to -1. -256 is how it prints a level the driver did not give, and a positive
// figure is a driver's relative scale, not dBm: those, like anything unreadable, read as 0.
int dBm(std::string_view field)
{
    if (field.ends_with('.'))
        field.remove_suffix(1);
    const int value = Numbers::parseInt<int>(field).value_or(0);
    return value > -256 && value < 0 ? value : 0;
}

// The band code of a channel frequency in MHz: 1 for 2.4 GHz, 2 for 5 GHz, 3 for 6 GHz, else 0.
int bandCode(double megahertz)
{
    if (megahertz >= 2400 && megahertz < 2500)
        return 1;
    if (megahertz >= 4900 && megahertz < 5925)
        return 2;
    if (megahertz >= 5925 && megahertz <= 7125)
        return 3;
    return 0;
}

// The number after "key:" on a line of `iw dev IF link` ("tx bitrate: 390.0 MBit/s ...").
std::optional<double> linkValue(std::string_view line, std::string_view key)
{
    if (!line.starts_with(key))
        return std::nullopt;
    const auto words = Text::splitSkippingEmpty(line.substr(key.size()), ' ');
    if (words.empty())
        return std::nullopt;
    return Numbers::parseFinite(words.front());
}

// The kernel counts a bit rate in an unsigned 32-bit number of 100 kbit/s steps.
bool isKernelRate(double megabits)
{
    return megabits >= 0 && megabits <= 4'294'967'295 / 10.0;
}

std::optional<std::string> firstWirelessName(const fs::path& sysRoot, const fs::path& procRoot)
{
    std::error_code unreadable;
    for (const auto& device : SysFS::entries(sysRoot / "class/net")) {
        if (fs::is_directory(device / "wireless", unreadable))
            return device.filename().string();
    }
    const std::string text = Files::read(procRoot / "net/wireless").value_or("");
    const auto rows = statsRows(text);
    if (rows.empty())
        return std::nullopt;
    return std::string(rows.front().name);
}

} // namespace

WirelessInterface::WirelessInterface(std::string name, fs::path procRoot,
                                     std::optional<std::string> iwPath, CommandRunner run)
    : name_(std::move(name)), procRoot_(std::move(procRoot)), iwPath_(std::move(iwPath)), run_(std::move(run))
{
}

std::unique_ptr<WirelessInterface> WirelessInterface::first(const fs::path& sysRoot, const fs::path& procRoot,
                                                            std::optional<std::string> iwPath, CommandRunner run)
{
    const auto name = firstWirelessName(sysRoot, procRoot);
    if (!name)
        return nullptr;
    return std::unique_ptr<WirelessInterface>(new WirelessInterface(*name, procRoot, std::move(iwPath), std::move(run)));
}

std::unique_ptr<WirelessInterface> WirelessInterface::first()
{
    return first("/sys", "/proc", Platform::installedTool({"/usr/sbin/iw", "/sbin/iw"}), Shell::run);
}

WirelessInterface::Levels WirelessInterface::levels() const
{
    // Rows point into the text, so it must outlive the loop.
    const std::string text = Files::read(procRoot_ / "net/wireless").value_or("");
    for (const auto& row : statsRows(text)) {
        if (row.name != name_)
            continue;
        Levels levels;
        if (row.fields.size() > 2)
            levels.signal = dBm(row.fields[2]);
        if (row.fields.size() > 3)
            levels.noise = dBm(row.fields[3]);
        return levels;
    }
    return {};
}

const WirelessInterface::LinkReport& WirelessInterface::link()
{
    if (link_)
        return *link_;
    link_ = LinkReport{};  // assigned: emplace() needs the report default-constructible inside the class
    if (!iwPath_)
        return *link_;
    std::string report;
    try {
        report = run_(*iwPath_, {"dev", name_, "link"}).stdout;
    } catch (const std::system_error&) {
        return *link_;  // a probe does not fail: no rate, unknown band
    }
    for (const auto rawLine : Text::splitSkippingEmpty(report, '\n')) {
        const auto line = Text::trim(rawLine);
        if (const auto rate = linkValue(line, "tx bitrate:")) {
            if (isKernelRate(*rate))
                link_->rateMbps = *rate;
        } else if (const auto frequency = linkValue(line, "freq:"))
            link_->band = bandCode(*frequency);
    }
    return *link_;
}

int WirelessInterface::rssiValue()
{
    return levels().signal;
}

int WirelessInterface::noiseMeasurement()
{
    return levels().noise;
}

double WirelessInterface::transmitRate()
{
    return link().rateMbps;
}

std::optional<int> WirelessInterface::channelBand()
{
    return link().band;
}

} // namespace corvane
