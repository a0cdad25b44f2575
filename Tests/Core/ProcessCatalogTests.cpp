#include "Core/ProcessCatalog.hpp"

#include "Core/Text.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <system_error>

using namespace corvane;

namespace {

CatalogEntry entry(std::string id, std::vector<std::string> names, std::vector<std::string> prefixes = {},
                   std::vector<std::string> labels = {})
{
    CatalogEntry e;
    e.id = id;
    e.match = {std::move(names), std::move(prefixes), std::move(labels)};
    e.title = id + " title";
    e.summary = id + " summary";
    e.whyHigh = id + " why";
    e.verdict = Verdict::review;
    e.fixes = {FixID::explain};
    e.guide = id;
    return e;
}

const char* oneEntry = R"([{
  "id": "mds", "match": {"names": ["mds"], "pathPrefixes": [], "launchdLabels": ["com.apple.metadata"]},
  "title": "Spotlight", "summary": "Indexes files.", "whyHigh": "New files.", "verdict": "leave",
  "fixes": ["openSpotlightSettings", "rebuildSpotlightIndex"], "guide": "spotlight", "extra": 1, "symbol": null
}])";

} // namespace

TEST(ProcessCatalog, NameBeatsEarlierPathPrefixAndFirstEntryWins)
{
    const ProcessCatalog catalog({entry("prefix", {}, {"/Applications/"}), entry("byName", {"tool"}),
                                  entry("second", {"tool"})});
    EXPECT_EQ(catalog.explain("tool", "/Applications/Tool.app/Contents/MacOS/tool", std::nullopt).entryID, "byName");
    EXPECT_EQ(catalog.explain("other", "/Applications/x", std::nullopt).entryID, "prefix");
}

TEST(ProcessCatalog, EmptyPrefixMatchesEverything)
{
    const ProcessCatalog catalog({entry("all", {}, {""}, {""})});
    EXPECT_EQ(catalog.explain("x", "/anything", std::nullopt).entryID, "all");
    EXPECT_EQ(catalog.explain("any.label", std::nullopt).entryID, "all");
}

// The lookups answer as a walk from the top of the catalog would: first entry
// listing the name, else first entry with a prefix of the path or label, over
// overlapping, repeated, empty and whole-text prefixes.
TEST(ProcessCatalog, LookupsAgreeWithAWalkInCatalogOrder)
{
    const std::vector<CatalogEntry> all{
        entry("long", {}, {"/opt/app/bin/"}, {"com.vendor.agent"}),
        entry("short", {"", "agent"}, {"/opt/", "/opt/app/bin/"}, {"com.vendor."}),
        entry("exact", {"tool"}, {"/opt/app/bin/tool"}, {"com.vendor.agent.x"}),
        entry("dup", {"tool", "agent"}, {"/opt/app"}, {"com."}),
        entry("all", {}, {""}, {""}),
        entry("late", {"late"}, {"/opt/app/bin/tool/more"}, {"com.vendor.agent"}),
    };
    std::vector<CatalogEntry> entries;
    const auto walkByName = [&](const std::string& name) -> std::optional<std::string> {
        for (const auto& e : entries)
            for (const auto& candidate : e.match.names)
                if (candidate == name)
                    return e.id;
        return std::nullopt;
    };
    const auto walkByPrefix = [&](const std::string& text, auto field) -> std::optional<std::string> {
        for (const auto& e : entries)
            for (const auto& prefix : e.match.*field)
                if (text.starts_with(prefix))
                    return e.id;
        return std::nullopt;
    };
    for (const auto& skip : {0, 1, 2, 3, 4}) {
        // The same lookups with the leading entries left out, so each entry gets to be first.
        entries.assign(all.begin() + skip, all.end());
        const ProcessCatalog catalog(entries);
        for (const std::string name : {"", "tool", "agent", "late", "none", "Tool"}) {
            for (const std::string path : {"", "/", "/opt", "/opt/", "/opt/app", "/opt/app/bin/tool",
                                           "/opt/app/bin/tool/more/x", "/usr/bin/tool", "/opt/app/binary"}) {
                auto expected = walkByName(name);
                if (!expected)
                    expected = walkByPrefix(path, &CatalogEntry::Match::pathPrefixes);
                EXPECT_EQ(catalog.explain(name, path, std::nullopt).entryID, expected) << name << " " << path;
            }
        }
        for (const std::string label : {"", "com", "com.", "com.vendor.agent", "com.vendor.agent.x.y", "org.x"})
            EXPECT_EQ(catalog.explain(label, std::nullopt).entryID,
                      walkByPrefix(label, &CatalogEntry::Match::launchdLabels))
                << label;
    }
}

TEST(ProcessCatalog, FallbacksForUnknownProcesses)
{
    const ProcessCatalog catalog;
    const auto system = catalog.explain("foo", "/usr/libexec/foo", std::string("Some App"));
    EXPECT_EQ(system.title, "Part of macOS");
    EXPECT_EQ(system.verdict, Verdict::leave);
    EXPECT_TRUE(system.isFallback);
    EXPECT_EQ(system.symbol, "gearshape");

    const auto helper = catalog.explain("Helper", "/Applications/Foo.app/Contents/MacOS/Helper", std::string("Foo"));
    EXPECT_EQ(helper.title, "Part of Foo");
    EXPECT_EQ(helper.summary, "Belongs to Foo. Quitting Foo stops it.");
    EXPECT_EQ(helper.verdict, Verdict::safe);
    EXPECT_EQ(helper.fixes, std::vector<FixID>{FixID::quitApp});

    const auto lone = catalog.explain("daemon", "/opt/daemon", std::nullopt);
    EXPECT_EQ(lone.title, "Not in our list yet");
    EXPECT_EQ(lone.summary, "We don't have an explanation for this process yet.");
    EXPECT_EQ(lone.verdict, Verdict::review);
    EXPECT_FALSE(lone.entryID);
    EXPECT_FALSE(lone.guide);
}

TEST(ProcessCatalog, LaunchdLabelsMatchByStem)
{
    const ProcessCatalog catalog({entry("updater", {}, {}, {"com.example.updater"})});
    EXPECT_EQ(catalog.explain("com.example.updater.daily", std::nullopt).entryID, "updater");
    const auto owned = catalog.explain("org.other.agent", std::string("Other"));
    EXPECT_EQ(owned.title, "Added by Other");
    EXPECT_EQ(owned.summary, "A background helper installed by Other.");
    const auto unknown = catalog.explain("org.other.agent", std::nullopt);
    EXPECT_EQ(unknown.title, "Unknown developer");
    EXPECT_EQ(unknown.summary, "A background helper from a developer Corvane doesn't recognize.");
    EXPECT_EQ(unknown.verdict, Verdict::review);
}

// A bundle's helper in a system folder is the system's; an installed app a person starts
// is theirs wherever its package put its programs; a part of the session is no app's.
// The catalog wins where it names the process.
TEST(ProcessCatalog, AGroupIsExplainedAsItsKindOfApp)
{
    const ProcessCatalog catalog({entry("browser", {}, {"/usr/lib/firefox-esr/"}), entry("shell", {"bash"})});
    const struct {
        std::optional<AppKind> kind;  // none for a lone process
        std::string path;
        std::string title;
        Verdict verdict;
    } cases[] = {
        {AppKind::bundle, "/Applications/Viewer.app/Contents/MacOS/Viewer", "Part of Viewer", Verdict::safe},
        {AppKind::bundle, "/usr/libexec/viewerd", "Part of macOS", Verdict::leave},
        {AppKind::installedApp, "/usr/bin/evince", "Part of Viewer", Verdict::safe},
        {AppKind::installedApp, "/usr/lib/firefox-esr/firefox-esr", "browser title", Verdict::review},
        {AppKind::installedApp, "/usr/bin/bash", "shell title", Verdict::review},
        {AppKind::sessionPart, "/usr/bin/xfce4-panel", "Part of macOS", Verdict::leave},
        {AppKind::sessionPart, "/usr/lib/x86_64-linux-gnu/csd/csd-automount", "Not in our list yet", Verdict::review},
        {std::nullopt, "/usr/bin/yes", "Part of macOS", Verdict::leave},
    };
    for (const auto& c : cases) {
        ProcessGroup group;
        group.displayName = "Viewer";
        group.members = {ProcessUsage{1, 1, 501, "me", c.path, Text::lastPathComponent(c.path), 0, 0}};
        if (c.kind) {
            group.appPath = "/Applications/Viewer.app";
            group.appKind = *c.kind;
        }
        const auto explanation = catalog.explain(group);
        EXPECT_EQ(explanation.title, c.title) << c.path;
        EXPECT_EQ(explanation.verdict, c.verdict) << c.path;
        EXPECT_EQ(explanation.fixes == std::vector<FixID>{FixID::quitApp}, c.verdict == Verdict::safe) << c.path;
    }
}

TEST(ProcessCatalog, DecodesKeysAndOptionalFields)
{
    const auto entries = ProcessCatalog::decode(oneEntry);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].verdict, Verdict::leave);
    EXPECT_EQ(entries[0].fixes, (std::vector<FixID>{FixID::openSpotlightSettings, FixID::rebuildSpotlightIndex}));
    EXPECT_FALSE(entries[0].idleNote);
    const auto e = ProcessCatalog(entries).explain("mds", "/x", std::nullopt);
    EXPECT_EQ(e.symbol, "gearshape");
    EXPECT_FALSE(e.idleNote);
    EXPECT_FALSE(e.isFallback);
    EXPECT_EQ(ProcessCatalog::decode(ProcessCatalog::encode(entries)), entries);
}

TEST(ProcessCatalog, OneBadRecordFailsTheWholeFile)
{
    std::string unknownFix = oneEntry;
    unknownFix.replace(unknownFix.find("rebuildSpotlightIndex"), 21, "reboot");
    EXPECT_THROW(ProcessCatalog::decode(unknownFix), CatalogDecodingError);
    std::string noMatchKey = oneEntry;
    noMatchKey.replace(noMatchKey.find("\"launchdLabels\""), 15, "\"labels\"");
    EXPECT_THROW(ProcessCatalog::decode(noMatchKey), CatalogDecodingError);
    EXPECT_THROW(ProcessCatalog::decode("{"), CatalogDecodingError);
    EXPECT_THROW(ProcessCatalog::decode("{}"), CatalogDecodingError);
    // A number no double holds is the JSON library's own range error, not a syntax error.
    EXPECT_THROW(ProcessCatalog::decode(R"([{"id":1e400}])"), CatalogDecodingError);
    EXPECT_THROW(ProcessCatalog::decode("[-1e400]"), CatalogDecodingError);
}

TEST(ProcessCatalog, LoadReportsMissingFile)
{
    test::FakeTree tree;
    try {
        ProcessCatalog::load(tree.path("missing.json"));
        FAIL();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
    EXPECT_EQ(ProcessCatalog::load(tree.write("p.json", oneEntry)).entries().size(), 1u);
}
