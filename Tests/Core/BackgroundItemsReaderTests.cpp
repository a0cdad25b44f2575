#include "Core/BackgroundItemsReader.hpp"
#include "Core/PSProcessSource.hpp"
#include "Core/PropertyList.hpp"

#include "Tests/Support/BinaryPlist.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>

using namespace corvane;
namespace Reader = corvane::BackgroundItemsReader;

namespace {

std::string xml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
           "</dict>\n</plist>\n";
}

std::string binary(const std::string& xmlText)
{
    plist_t root = nullptr;
    plist_from_xml(xmlText.data(), static_cast<uint32_t>(xmlText.size()), &root);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string result(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(root);
    return result;
}

std::string key(const std::string& name, const std::string& value)
{
    return "<key>" + name + "</key>" + value + "\n";
}

std::string text(const std::string& value)
{
    return "<string>" + value + "</string>";
}

const std::string labelL = key("Label", text("l"));

std::optional<BackgroundItem> parse(const std::string& body, const std::optional<std::string>& bundleRoot = {})
{
    return Reader::parse(xml(body), "/x.plist", ItemScope::systemAgent, bundleRoot);
}

// A binary list { Label = "l"; KeepAlive = [[[...]]] } with `levels` nested arrays, written
// by hand: the library itself cannot write one that deep. With `shared`, each array
// holds the next one twice, so the list stands for 2^levels arrays.
std::string binaryNest(uint64_t levels, bool shared = false)
{
    constexpr std::size_t width = 4;  // offsets and references
    std::vector<std::string> objects{test::container(0xD, {1, 2, 3, 4}, width), test::ascii("Label"),
                                     test::ascii("KeepAlive"), test::ascii("l")};
    for (uint64_t i = 0; i < levels; ++i) {
        const uint64_t next = objects.size() + 1;
        objects.push_back(test::container(0xA, shared ? std::vector<uint64_t>{next, next} : std::vector{next}, width));
    }
    objects.push_back(test::container(0xA, {}, width));
    return test::binaryPlist(objects, width);
}

std::string xmlNest(std::size_t levels)
{
    std::string open, close;
    for (std::size_t i = 0; i < levels; ++i) {
        open += "<array>";
        close += "</array>";
    }
    return xml(labelL + key("KeepAlive", open + close));
}

} // namespace

TEST(BackgroundItemParsing, XmlAndBinaryGiveTheSameItem)
{
    const auto list = xml(key("Label", text("com.example.agent")) +
                          key("ProgramArguments", "<array>" + text("/bin/agent") + text("-x") + "</array>") +
                          key("RunAtLoad", "<true/>") + key("KeepAlive", "<dict/>"));
    const BackgroundItem expected{
        "com.example.agent", "/bin/agent", "/a.plist", ItemScope::userAgent, {}, true, true, {}};
    EXPECT_EQ(Reader::parse(list, "/a.plist", ItemScope::userAgent, {}), expected);
    EXPECT_EQ(Reader::parse(binary(list), "/a.plist", ItemScope::userAgent, {}), expected);
    EXPECT_EQ(expected.id(), "com.example.agent|/a.plist");
}

TEST(BackgroundItemParsing, NoItemWithoutADictionaryAndATextLabel)
{
    EXPECT_FALSE(parse(key("Program", text("/bin/x"))));
    EXPECT_FALSE(parse(key("Label", "<integer>5</integer>")));
    EXPECT_FALSE(Reader::parse("<plist><array><string>l</string></array></plist>", "/x", ItemScope::userAgent, {}));
    EXPECT_FALSE(Reader::parse("", "/x", ItemScope::userAgent, {}));
}

TEST(BackgroundItemParsing, PlantedListsAreRefusedBeforeTheyAreParsed)
{
    const auto parseList = [](const std::string& bytes) {
        return Reader::parse(bytes, "/x.plist", ItemScope::userAgent, {});
    };
    // Real nesting, shared objects, comments and CDATA pass.
    EXPECT_TRUE(parseList(xmlNest(20)));
    EXPECT_TRUE(parseList(binary(xmlNest(20))));
    EXPECT_TRUE(parseList(binaryNest(20)));
    EXPECT_TRUE(parseList(binaryNest(10, true)));
    EXPECT_TRUE(parseList(xml(labelL + "<!-- <array><array> -->" + key("K", text("<![CDATA[<dict>]]>")))));

    // Far deeper than any real list, yet within the size limit: the library would run out of stack.
    EXPECT_FALSE(parseList(xmlNest(60'000)));
    std::string unclosed;
    for (int i = 0; i < 140'000; ++i)
        unclosed += "<array>";
    EXPECT_FALSE(parseList(xml(labelL + key("KeepAlive", unclosed))));
    // Tags that never end, shallow but many: each one is looked at once.
    std::string endless;
    for (int i = 0; i < 200'000; ++i)
        endless += "<x</";
    EXPECT_FALSE(parseList(xml(labelL + endless)));
    EXPECT_FALSE(parseList(binaryNest(100'000)));
    EXPECT_FALSE(parseList(xml(labelL + std::string(100'000, '<'))));
    // Sixty levels of shared arrays stand for 2^60 of them; thirteen for 2^14, more
    // than a real list holds and slow for the library to copy out.
    EXPECT_FALSE(parseList(binaryNest(60, true)));
    EXPECT_FALSE(parseList(binaryNest(13, true)));
    EXPECT_TRUE(parseList(binaryNest(12, true)));
    // An array holding itself, and a reference past the object table.
    std::string loop = binaryNest(1);
    loop.replace(loop.find("\xA1") + 1, 4, test::bigEndian(4, 4));
    EXPECT_FALSE(parseList(loop));
    std::string outside = binaryNest(1);
    outside.replace(outside.find("\xA1") + 1, 4, test::bigEndian(99, 4));
    EXPECT_FALSE(parseList(outside));

    // A valid list larger than any real one.
    const auto padded = xml(labelL + "<!--" + std::string(PropertyList::maxBytes, ' ') + "-->");
    EXPECT_FALSE(parseList(padded));
}

TEST(BackgroundItemParsing, ProgramComesFromProgramThenBundleProgramThenArguments)
{
    const auto arguments = key("ProgramArguments", "<array>" + text("/args/first") + "</array>");
    EXPECT_EQ(parse(labelL + key("Program", text("")) + arguments)->program, "");
    EXPECT_EQ(parse(labelL + arguments)->program, "/args/first");
    EXPECT_EQ(parse(labelL + key("ProgramArguments", "<array/>"))->program, std::nullopt);
    const auto mixed = key("ProgramArguments", "<array><true/>" + text("/a") + "</array>");
    EXPECT_EQ(parse(labelL + mixed)->program, std::nullopt);
    const auto bundled = labelL + key("BundleProgram", text("Contents/MacOS/agent")) + arguments;
    EXPECT_EQ(parse(bundled)->program, "/args/first");
    EXPECT_EQ(parse(bundled, "/Applications/Tool.app")->program, "/Applications/Tool.app/Contents/MacOS/agent");
}

TEST(BackgroundItemParsing, FlagsTakeOnlyTheirMeaningfulTypes)
{
    EXPECT_TRUE(parse(labelL + key("KeepAlive", "<true/>"))->keepAlive);
    EXPECT_FALSE(parse(labelL + key("KeepAlive", "<false/>"))->keepAlive);
    EXPECT_FALSE(parse(labelL + key("KeepAlive", text("yes")))->keepAlive);
    EXPECT_FALSE(parse(labelL + key("RunAtLoad", "<integer>1</integer>"))->runAtLoad);
    EXPECT_FALSE(parse(labelL)->keepAlive || parse(labelL)->runAtLoad);
}

TEST(BackgroundItemOwner, ProgramPathThenLabelThenProgramBundle)
{
    const std::map<std::string, std::string> installed{{"com.example.Beta", "Beta"}, {"com.example.Alpha", "Alpha"}};
    const std::string agent = "/Library/Application Support/Example/agent";
    EXPECT_EQ(Reader::ownerApp("/Applications/Tool.app/Contents/MacOS/Tool", "com.example.Beta", installed), "Tool");
    EXPECT_EQ(Reader::ownerApp("/opt/Users/me/Sync.app", "com.example.Beta", installed), "Sync");
    EXPECT_EQ(Reader::ownerApp(agent, "com.example.agent", installed), "Alpha");  // tie: smaller identifier
    EXPECT_EQ(Reader::ownerApp(agent, "com.example.Beta.agent", installed), "Beta");
    EXPECT_EQ(Reader::ownerApp(agent, "com.Example.agent", installed), std::nullopt);  // case counts
    const std::string updater = "/Library/Helpers/Updater.app/Contents/MacOS/Updater";
    EXPECT_EQ(Reader::ownerApp(updater, "com.example.updater", installed), "Alpha");
    EXPECT_EQ(Reader::ownerApp(updater, "updater", installed), "Updater");
    EXPECT_EQ(Reader::ownerApp(updater, "org.none.updater", installed), "Updater");
}

TEST(LaunchdJobList, MapsRunningJobsOnly)
{
    // Dropped: "-", pid 0 and negative pids (not running), "+-5", two fields, words, out of range.
    EXPECT_EQ(Reader::parseLaunchctlList(test::fixture("background-items/launchctl-list.txt")),
              (std::map<std::string, int32_t>{{"com.example.agent", 412},
                                              {"com.example.signed", 77},
                                              {"com.example.restarted", 31},  // the later line wins
                                              {"com.example.name with spaces", 88}}));
    EXPECT_TRUE(Reader::parseLaunchctlList("412\t0\tcom.example.first\n").empty());  // taken as the header
}

TEST(LaunchdJobList, MissingToolIsTheLaunchError)
{
    if (std::filesystem::exists("/bin/launchctl"))
        GTEST_SKIP() << "this machine has launchctl";
    EXPECT_THROW(PSProcessSource::launchctlList(), std::system_error);
}

TEST(RunningItems, JobListFirstThenProgramPathElseNone)
{
    const auto item = [](const std::string& label, std::optional<int32_t> pid = {}) {
        return BackgroundItem{label, "/bin/" + label, "/s", ItemScope::userAgent, {}, false, false, pid};
    };
    const auto sample = [](int32_t pid, const std::string& path) {
        return ProcessSample{pid, 1, 0, "u", 0, 0, 0, path};
    };
    const auto marked = Reader::markRunning({item("a"), item("b"), item("c", 99)}, {{"a", 10}},
                                            {sample(20, "/bin/a"), sample(21, "/bin/b"), sample(22, "/bin/b")});
    EXPECT_EQ(marked, (std::vector{item("a", 10), item("b", 21), item("c")}));
}

TEST(BackgroundItemScan, WalksSystemFoldersThenAppsSkippingWhatCannotBeRead)
{
    test::FakeTree home, root;
    const auto labelled = [](const std::string& label) { return xml(key("Label", text(label))); };
    root.write("Applications/Alpha.app/Contents/Info.plist", xml(key("CFBundleIdentifier", text("com.example.Alpha"))));
    home.write("Library/LaunchAgents/u.plist", labelled("com.example.sync"));
    home.write("Library/LaunchAgents/u.plist.bak", labelled("bak"));
    home.write("Library/LaunchAgents/broken.plist", "<plist><dict><key>Label</key>");
    home.mkdir("Library/LaunchAgents/folder.plist");
    ASSERT_EQ(::mkfifo(home.path("Library/LaunchAgents/pipe.plist").c_str(), 0600), 0);  // never opened
    root.write("Library/LaunchAgents/a.plist", binary(labelled("com.example.sync")));
    root.write("Library/LaunchDaemons/d.plist", labelled("org.none.d"));
    // An app without Info.plist is not installed for the owner search, but its jobs count.
    const std::string tool = "Applications/Tool.app/Contents/Library/";
    root.write(tool + "LaunchDaemons/t.plist", xml(key("Label", text("t")) + key("BundleProgram", text("bin/t"))));
    root.write(tool + "LoginItems/Go.app/Contents/Info.plist",
               binary(xml(key("CFBundleIdentifier", text("com.example.go")) + key("CFBundleExecutable", text("Go")))));
    root.write(tool + "LoginItems/Bare.app/Contents/Info.plist",
               xml(key("CFBundleIdentifier", text("com.example.bare"))));
    root.write(tool + "LoginItems/Nameless.app/Contents/Info.plist", xml(key("CFBundleExecutable", text("N"))));

    auto items = Reader::scan(home.path(), root.path());
    ASSERT_EQ(items.size(), 6u);
    const auto job = [](std::string label, std::optional<std::string> program, std::string source, ItemScope scope,
                        std::optional<std::string> owner) {
        return BackgroundItem{label, program, source, scope, owner, false, false, {}};
    };
    const BackgroundItem expected[] = {
        job("com.example.sync", {}, home.path("Library/LaunchAgents/u.plist"), ItemScope::userAgent, "Alpha"),
        job("com.example.sync", {}, root.path("Library/LaunchAgents/a.plist"), ItemScope::systemAgent, "Alpha"),
        job("org.none.d", {}, root.path("Library/LaunchDaemons/d.plist"), ItemScope::systemDaemon, {}),
        job("t", root.path("Applications/Tool.app") + "/bin/t", root.path(tool + "LaunchDaemons/t.plist"),
            ItemScope::appBundled, "Tool"),
    };
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(items[i], expected[i]);
    // Login items come in listing order.
    if (items[4].label != "com.example.bare")
        std::swap(items[4], items[5]);
    EXPECT_EQ(items[4], (BackgroundItem{"com.example.bare", {}, root.path(tool + "LoginItems/Bare.app"),
                                        ItemScope::appBundled, "Tool", true, false, {}}));
    EXPECT_EQ(items[5].program, root.path(tool + "LoginItems/Go.app") + "/Contents/MacOS/Go");
    EXPECT_TRUE(Reader::scan(home.path("none"), root.path("none")).empty());
}
