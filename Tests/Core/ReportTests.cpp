#include "Core/Format.hpp"
#include "Core/Report.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

ProcessUsage process(int32_t pid, const std::string& path, double cpu, int64_t memory)
{
    return ProcessUsage{pid, 1, 501, "me", path, path.substr(path.rfind('/') + 1), cpu, memory};
}

ProcessGroup lone(int32_t pid, const std::string& path, double cpu = 0, int64_t memory = 0)
{
    const auto p = process(pid, path, cpu, memory);
    return ProcessGroup{"pid:" + std::to_string(pid), p.name, std::nullopt, {p}, cpu, memory, false};
}

Finding finding(const std::string& headline, Severity severity = Severity::medium)
{
    return Finding(FindingKind::cpuHog, severity, headline, "detail");
}

ProcessCatalog catalog()
{
    CatalogEntry chrome;
    chrome.id = "chrome";
    chrome.match.names = {"Google Chrome"};
    chrome.title = "Google Chrome";
    chrome.verdict = Verdict::safe;
    return ProcessCatalog({chrome});
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    result.push_back(text.substr(start));
    return result;
}

} // namespace

TEST(Report, QuietMachineWithoutGroupsIsStatusStateAndTheEmptyLine)
{
    SystemSignals signals;
    EXPECT_EQ(Report::render(DiagnosisResult(), {}, catalog(), signals),
              "Status: Quiet\nCPU 0% \u00B7 Memory Normal \u00B7 Heat Normal\n");
    signals.cpuLoadPercent = 12.5;
    signals.pressure = Pressure::critical;
    signals.thermal = Thermal::veryHot;
    EXPECT_EQ(lines(Report::render(DiagnosisResult(), {}, catalog(), signals))[1],
              "CPU 13% \u00B7 Memory Critical \u00B7 Heat Very hot");
}

TEST(Report, HeroThenAtMostFourMoreCauses)
{
    std::vector<Finding> findings;
    for (int i = 1; i <= 7; ++i)
        findings.push_back(finding("cause " + std::to_string(i), i == 1 ? Severity::high : Severity::medium));
    const auto text = lines(Report::render(DiagnosisResult(findings), {}, catalog(), SystemSignals()));
    EXPECT_EQ(text, (std::vector<std::string>{"Status: Struggling", "Cause: cause 1", "Also: cause 2", "Also: cause 3",
                                              "Also: cause 4", "Also: cause 5",
                                              "CPU 0% \u00B7 Memory Normal \u00B7 Heat Normal", ""}));
}

TEST(Report, GroupLinesShowHelpersUsageVerdictAndTitle)
{
    const std::string bundle = "/Applications/Google Chrome.app";
    ProcessGroup chrome{bundle, "Google Chrome", bundle, {process(1, bundle + "/Contents/MacOS/Google Chrome", 30, 1 << 20)},
                        42.5, 3LL << 30, true};
    for (int i = 0; i < 12; ++i)
        chrome.members.push_back(process(10 + i, bundle + "/Contents/Frameworks/Helper", 1, 1 << 20));
    const auto text = lines(Report::render(DiagnosisResult({finding("busy")}), {chrome, lone(7, "/opt/x/mystery", 1.4, 2048)},
                                           catalog(), SystemSignals()));
    ASSERT_EQ(text.size(), 6u);
    EXPECT_EQ(text[0], "Status: Busy");
    EXPECT_EQ(text[4], "Google Chrome (+12)  43%  " + Format::bytes(3LL << 30) + "  Safe to quit  \u2014 Google Chrome");
    EXPECT_EQ(text[5], "mystery  1%  2 KB  Review  \u2014 Not in our list yet");  // fallback, no bracket
}

TEST(Report, OnlyTheFirstTenGroupsInTheirGivenOrder)
{
    std::vector<ProcessGroup> groups;
    for (int i = 0; i < 25; ++i)
        groups.push_back(lone(100 + i, "/opt/p" + std::to_string(i), 25 - i));
    const auto text = lines(Report::render(DiagnosisResult(), groups, catalog(), SystemSignals()));
    ASSERT_EQ(text.size(), 13u);
    EXPECT_TRUE(text[3].starts_with("p0  "));
    EXPECT_TRUE(text[12].starts_with("p9  "));
}
