#include "CorvaneApp/BackgroundItemsModel.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::BackgroundItemsModel;

namespace {

BackgroundItem item(std::string label, std::optional<std::string> owner, std::string source = "/a.plist",
                    ItemScope scope = ItemScope::userAgent)
{
    BackgroundItem result;
    result.label = std::move(label);
    result.ownerApp = std::move(owner);
    result.source = std::move(source);
    result.scope = scope;
    return result;
}

std::vector<std::string> names(const std::vector<OwnerGroup>& groups)
{
    std::vector<std::string> result;
    for (const auto& group : groups)
        result.push_back(group.name);
    return result;
}

std::vector<std::string> sources(const OwnerGroup& group)
{
    std::vector<std::string> result;
    for (const auto& entry : group.items)
        result.push_back(entry.label + "@" + entry.source);
    return result;
}

} // namespace

TEST(BackgroundItemsGrouping, OwnersAlphabeticalWithoutCaseAndUnknownDeveloperLast)
{
    const auto groups = grouped({item("x.1", std::nullopt), item("b.1", "beta"), item("z.1", "zeta"),
                                 item("a.1", "Alpha"), item("u.1", "Unknown developer"), item("b.2", "beta")});
    EXPECT_EQ(names(groups), (std::vector<std::string>{"Alpha", "beta", "zeta", "Unknown developer"}));
    // An owner literally named like the fallback shares its group; counts are per group.
    EXPECT_EQ(groups[3].items.size(), 2u);
    EXPECT_EQ(groups[1].items.size(), 2u);
    EXPECT_TRUE(grouped({}).empty());
}

TEST(BackgroundItemsGrouping, LabelsInCodePointOrderKeepingDuplicatesInListOrder)
{
    const auto groups = grouped({item("com.b", "App"), item("com.a", "App", "/first.plist"), item("Com.a", "App"),
                                 item("com.a", "App", "/second.plist"), item("com.ab", "App")});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(sources(groups[0]), (std::vector<std::string>{"Com.a@/a.plist", "com.a@/first.plist",
                                                             "com.a@/second.plist", "com.ab@/a.plist",
                                                             "com.b@/a.plist"}));
}

TEST(BackgroundItemsGrouping, CanonicallyEqualOwnerNamesShareOneGroup)
{
    // "é" precomposed and as "e" + combining acute accent.
    const auto groups = grouped({item("a", "Caf\u00E9"), item("b", "Cafe\u0301")});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].items.size(), 2u);
}

TEST(BackgroundItemsRow, ScopeLabelNamesTheOwningApp)
{
    EXPECT_EQ(scopeLabel(item("a", "X", "/p", ItemScope::systemDaemon)), "Runs as system");
    EXPECT_EQ(scopeLabel(item("a", "Dropbox", "/p", ItemScope::appBundled)), "Built into Dropbox");
    EXPECT_EQ(scopeLabel(item("a", std::nullopt, "/p", ItemScope::appBundled)), "Built into an app");
}

TEST(BackgroundItemsRow, RunningCellShowsRoundedFiguresOnlyForASampledProcess)
{
    auto entry = item("a", "X");
    EXPECT_EQ(running(entry, std::nullopt), (Running{false, "Not running", std::nullopt}));

    entry.pid = 42;
    EXPECT_EQ(running(entry, std::nullopt), (Running{true, "Running", std::nullopt}));

    ProcessUsage usage;
    usage.pid = 42;
    usage.cpuPercent = 12.5;
    usage.memoryBytes = 45 * 1024 * 1024;
    const auto cell = running(entry, usage);
    ASSERT_TRUE(cell.figures);
    EXPECT_EQ(cell.figures->rfind("13% \u00B7 ", 0), 0u) << *cell.figures;
}

TEST(BackgroundItemsRow, TitleAndVerdictFromTheCatalogElseTheLabel)
{
    CatalogEntry known;
    known.id = "sync";
    known.match.launchdLabels = {"com.example.sync"};
    known.title = "Example Sync";
    known.verdict = Verdict::safe;
    const ProcessCatalog catalog({known});

    const auto matched = row(item("com.example.sync.agent", "Example"), &catalog, std::nullopt);
    EXPECT_EQ(matched.title, "Example Sync");
    EXPECT_EQ(matched.label, "com.example.sync.agent");
    EXPECT_EQ(matched.verdict, Verdict::safe);
    EXPECT_EQ(matched.id, "com.example.sync.agent|/a.plist");

    EXPECT_EQ(row(item("org.other", "Other"), &catalog, std::nullopt).title, "Added by Other");
    EXPECT_EQ(row(item("org.other", std::nullopt), &catalog, std::nullopt).title, "Unknown developer");

    const auto bare = row(item("org.other", "Other"), nullptr, std::nullopt);
    EXPECT_EQ(bare.title, "org.other");
    EXPECT_FALSE(bare.verdict);
}
