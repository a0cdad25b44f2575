#include "CorvaneApp/ProcessesModel.hpp"

#include "Core/ProcessCatalog.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

ProcessGroup group(const std::string& id, const std::string& name, double cpu, int64_t memory,
                   std::vector<std::string> memberNames = {})
{
    ProcessGroup g{id, name, std::nullopt, {}, cpu, memory, true};
    if (memberNames.empty())
        memberNames.push_back(name);
    for (const auto& member : memberNames)
        g.members.push_back({1, 1, 501, "ann", "/usr/local/bin/" + member, member, cpu, memory});
    return g;
}

// Explanations by display name; everything else reads as unknown.
ExplanationLookup lookup(std::map<std::string, std::pair<std::string, Verdict>> known)
{
    return [known](const ProcessGroup& g) -> std::optional<Explanation> {
        const auto found = known.find(g.displayName);
        if (found == known.end())
            return std::nullopt;
        Explanation e;
        e.title = found->second.first;
        e.verdict = found->second.second;
        return e;
    };
}

std::vector<std::string> ids(const std::vector<ProcessListRow>& rows)
{
    std::vector<std::string> out;
    for (const auto& row : rows)
        out.push_back(row.group.id);
    return out;
}

const std::vector<ProcessGroup> groups{
    group("pid:1", "Finder", 5, 300, {"Finder", "QuickLookUIService"}),
    group("pid:2", "mds_stores", 40, 100),
    group("pid:3", "Notes", 5, 300),
    group("pid:4", "Mail", 12, 900),
};

const auto explain = lookup({
    {"kernel_task", {"macOS kernel", Verdict::leave}},
    {"Finder", {"Finder", Verdict::leave}},
    {"mds_stores", {"Spotlight indexer", Verdict::review}},
    {"Notes", {"Notes", Verdict::safe}},
});

} // namespace

TEST(ProcessesRows, KernelRowFirstThenGroupsWithTheirVerdicts)
{
    const auto rows = allRows(groups, explain);
    EXPECT_EQ(ids(rows), (std::vector<std::string>{"kernel_task", "pid:1", "pid:2", "pid:3", "pid:4"}));
    EXPECT_EQ(rows[0].verdict, Verdict::leave);
    EXPECT_EQ(rows[3].verdict, Verdict::safe);
    EXPECT_EQ(rows[4].verdict, Verdict::review);  // no explanation

    const auto kernel = rows[0].group;
    EXPECT_EQ(kernel.displayName, "kernel_task");
    EXPECT_FALSE(kernel.appPath);
    EXPECT_FALSE(kernel.quittable);
    ASSERT_EQ(kernel.members.size(), 1u);
    EXPECT_EQ(kernel.members[0].user, "root");
    EXPECT_EQ(kernel.members[0].path, "kernel_task");

    // Before the first tick only the kernel row is listed.
    const auto empty = allRows({}, explain);
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(verdictChips(empty, std::nullopt)[0].text(), "All 1");
}

TEST(ProcessesRows, KernelVerdictComesFromTheCatalogEntry)
{
    const auto catalog = ProcessCatalog::load(CORVANE_CATALOG);
    const ExplanationLookup fromCatalog = [&](const ProcessGroup& g) -> std::optional<Explanation> {
        return catalog.explain(g);
    };
    EXPECT_EQ(allRows({}, fromCatalog)[0].verdict, Verdict::leave);
    EXPECT_EQ(allRows({}, lookup({}))[0].verdict, Verdict::review);
}

TEST(ProcessesRows, ChipsCountEveryRowWhateverTheSearchOrFilter)
{
    const auto rows = allRows(groups, explain);
    const auto chips = verdictChips(rows, Verdict::review);
    ASSERT_EQ(chips.size(), 4u);
    EXPECT_EQ(chips[0].text(), "All 5");
    EXPECT_FALSE(chips[0].selected);
    EXPECT_EQ(chips[1].text(), "Safe to quit 1");
    EXPECT_EQ(chips[2].text(), "Review 2");
    EXPECT_TRUE(chips[2].selected);
    EXPECT_EQ(chips[3].text(), "Leave it 2");
    EXPECT_TRUE(verdictChips(rows, std::nullopt)[0].selected);
}

TEST(ProcessesRows, SortPinsTheKernelAndKeepsTiesInMonitorOrder)
{
    const auto rows = allRows(groups, explain);
    ProcessListOptions options;
    EXPECT_EQ(ids(visibleRows(rows, options, explain)),
              (std::vector<std::string>{"kernel_task", "pid:2", "pid:4", "pid:1", "pid:3"}));
    options.sortByMemory = true;
    EXPECT_EQ(ids(visibleRows(rows, options, explain)),
              (std::vector<std::string>{"kernel_task", "pid:4", "pid:1", "pid:3", "pid:2"}));

    // A process the monitor reports for the kernel itself sorts with the others.
    auto withKernelProcess = groups;
    withKernelProcess.push_back(group("pid:0", "kernel_task", 50, 0));
    options.sortByMemory = false;
    EXPECT_EQ(ids(visibleRows(allRows(withKernelProcess, explain), options, explain))[1], "pid:0");
}

TEST(ProcessesRows, FilterKeepsOneVerdictAndSearchLooksAtNamesMembersAndTitles)
{
    const auto rows = allRows(groups, explain);
    ProcessListOptions options;
    options.filter = Verdict::leave;
    EXPECT_EQ(ids(visibleRows(rows, options, explain)), (std::vector<std::string>{"kernel_task", "pid:1"}));

    options.filter.reset();
    options.search = QStringLiteral("  QUICKLOOK\t");
    EXPECT_EQ(ids(visibleRows(rows, options, explain)), (std::vector<std::string>{"pid:1"}));
    options.search = QStringLiteral("spotlight");  // the explanation's title
    EXPECT_EQ(ids(visibleRows(rows, options, explain)), (std::vector<std::string>{"pid:2"}));
    options.search = QStringLiteral("kernel");
    EXPECT_EQ(ids(visibleRows(rows, options, explain)), (std::vector<std::string>{"kernel_task"}));
    options.search = QStringLiteral("heat control");
    EXPECT_TRUE(visibleRows(rows, options, explain).empty());
    options.search = QStringLiteral("local/bin");  // paths are not searched
    EXPECT_TRUE(visibleRows(rows, options, explain).empty());

    // Only spaces match everything; a line break is part of the query.
    options.search = QStringLiteral("   ");
    EXPECT_EQ(visibleRows(rows, options, explain).size(), rows.size());
    options.search = QStringLiteral("\nnotes");
    EXPECT_TRUE(visibleRows(rows, options, explain).empty());
}

TEST(ProcessesRows, SearchComparesComposedUnicodeLowerCase)
{
    const std::vector<ProcessGroup> named{group("pid:7", "Caf\u00E9 \u00C9DITOR", 1, 1)};
    const auto rows = allRows(named, lookup({}));
    ProcessListOptions options;
    options.search = QString::fromUtf8("cafe\u0301 \u00E9d");  // decomposed e + acute
    EXPECT_EQ(visibleRows(rows, options, lookup({})).size(), 1u);
    options.search = QString::fromUtf8("\u3000caf\u00C9\u00A0");  // ideographic and no-break spaces
    EXPECT_EQ(visibleRows(rows, options, lookup({})).size(), 1u);
}

TEST(ProcessesRows, KernelRowReadsTheThermalState)
{
    EXPECT_EQ(kernelRow(std::nullopt), (KernelRowModel{"Not cooling right now", "heat ok", ColorRole::green}));
    SystemSignals s;
    s.thermal = Thermal::warm;
    EXPECT_EQ(kernelRow(s), (KernelRowModel{"Cooling your Mac", "Warm", ColorRole::amber}));
    s.thermal = Thermal::hot;
    EXPECT_EQ(kernelRow(s), (KernelRowModel{"Cooling your Mac", "Hot", ColorRole::red}));
    s.thermal = Thermal::veryHot;
    EXPECT_EQ(kernelRow(s), (KernelRowModel{"Cooling your Mac", "Very hot", ColorRole::red}));
}
