#include "CorvaneApp/ProcessDetailModel.hpp"

#include "Core/Diagnosis.hpp"
#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <QUrl>

#include <algorithm>

namespace corvane {

namespace {

// Spotlight must have been busy this long before a rebuild of its index is worth offering.
constexpr double rebuildAfterSeconds = 10800;

} // namespace

std::vector<FixID> shownFixes(const Explanation& explanation, const ProcessGroup& group,
                              std::optional<Date> spotlightBusySince, Date now)
{
    std::vector<FixID> shown;
    for (const FixID fix : explanation.fixes) {
        switch (fix) {
        case FixID::explain:
            continue;
        case FixID::quitApp:
            if (!group.quittable)
                continue;
            break;
        case FixID::rebuildSpotlightIndex:
            if (!spotlightBusySince || secondsBetween(*spotlightBusySince, now) <= rebuildAfterSeconds)
                continue;
            break;
        default:
            break;
        }
        shown.push_back(fix);
    }
    return shown;
}

std::optional<std::string> guideAddress(const std::string& key)
{
    const std::string address = std::string(guideBaseAddress) + "/process/" + key;
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return address;
}

std::optional<ProcessDetailModel> processDetail(const ProcessGroup& group, const std::optional<Explanation>& explanation,
                                                std::optional<Date> spotlightBusySince, Date now)
{
    if (!explanation)
        return std::nullopt;
    ProcessDetailModel detail;
    detail.summary = explanation->summary;
    detail.whyHigh = explanation->whyHigh;
    detail.helpers = group.helperCount() >= 1;
    const std::string primary = group.primary().name;
    detail.spotlight = Diagnosis::spotlightFamily().contains(primary);
    detail.windowServer = primary == "WindowServer";
    detail.fixes = shownFixes(*explanation, group, spotlightBusySince, now);
    if (explanation->guide)
        detail.guideAddress = guideAddress(*explanation->guide);
    // The row stands for a set key even when no address could be made from it.
    detail.actionRow = !detail.fixes.empty() || explanation->guide.has_value();
    return detail;
}

std::string helpersTitle(const ProcessGroup& group)
{
    return "Busiest parts (" + Numbers::toText(group.members.size()) + " processes)";
}

std::vector<HelperLine> helperLines(const ProcessGroup& group)
{
    auto members = group.members;
    std::stable_sort(members.begin(), members.end(),
                     [](const ProcessUsage& a, const ProcessUsage& b) { return a.cpuPercent > b.cpuPercent; });
    members.resize(std::min<std::size_t>(members.size(), 5));
    std::vector<HelperLine> lines;
    for (const auto& member : members)
        lines.push_back(
            {Utf8::nameForDisplay(member.name), Format::percent(member.cpuPercent), Format::bytes(member.memoryBytes)});
    return lines;
}

std::string shortenedPath(const std::string& path, const std::string& home)
{
    std::string_view folder = home;
    while (folder.ends_with('/'))
        folder.remove_suffix(1);
    // The root folder as home would turn every path into "~".
    if (folder.empty() || !path.starts_with(folder))
        return path;
    if (path.size() != folder.size() && path[folder.size()] != '/')
        return path;
    return "~" + path.substr(folder.size());
}

std::vector<FolderLine> folderLines(const std::vector<HeavyFolder>& folders, const std::string& home)
{
    std::vector<FolderLine> lines;
    for (const auto& folder : folders)
        lines.push_back({folder.path, folder.label, shortenedPath(folder.path, home), Format::bytes(folder.bytes)});
    return lines;
}

std::vector<WindowLine> windowLines(const std::vector<WindowCount>& census)
{
    std::vector<WindowLine> lines;
    for (std::size_t i = 0; i < census.size() && i < 5; ++i) {
        const int count = census[i].count;
        lines.push_back({Utf8::nameForDisplay(census[i].ownerName),
                         Numbers::toText(count) + (count == 1 ? " window" : " windows")});
    }
    return lines;
}

std::string displaysLine(const DisplayInfo& displays)
{
    std::string line = "Displays: " + Numbers::toText(displays.count);
    if (displays.scaledCount >= 1)
        line += " (" + Numbers::toText(displays.scaledCount) + " scaled)";
    return line;
}

std::optional<ProcessGroup> topWindowGroup(const std::vector<WindowCount>& census,
                                           const std::vector<ProcessGroup>& groups)
{
    if (census.empty())
        return std::nullopt;
    const int32_t pid = census.front().ownerPID;
    for (const auto& group : groups) {
        if (std::any_of(group.members.begin(), group.members.end(),
                        [&](const ProcessUsage& member) { return member.pid == pid; }))
            return group;
    }
    return std::nullopt;
}

std::optional<FixID> topWindowFix(const ProcessGroup& group)
{
    if (Diagnosis::isBrowser(group))
        return FixID::reviewTabs;
    if (group.quittable)
        return FixID::quitApp;
    return std::nullopt;
}

} // namespace corvane
