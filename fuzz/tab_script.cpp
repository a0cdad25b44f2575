// A browser's tab listing as the listing script returns it, and the scripts built from
// what it held: a title or address can never end the quoted text it is placed in.
#include "Core/TabCleanup.hpp"
#include "Core/TabScript.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace corvane;

namespace {

// A quoted literal holds no quote that is not escaped, and its closing quote is no
// escaped one.
bool closedOnlyAtItsEnd(const std::string& literal)
{
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"')
        return false;
    std::size_t i = 1;
    while (i < literal.size() - 1) {
        if (literal[i] == '\\')
            i += 2;
        else if (literal[i] == '"')
            return false;
        else
            ++i;
    }
    return i == literal.size() - 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view output(reinterpret_cast<const char*>(data), size);
    const auto windows = TabScript::parse(output, "Google Chrome");
    std::vector<BrowserTab> tabs;
    for (const auto& window : windows) {
        FUZZ_CHECK(closedOnlyAtItsEnd(TabScript::literal(window.id, true)));
        for (const auto& tab : window.tabs) {
            FUZZ_CHECK(closedOnlyAtItsEnd(TabScript::literal(tab.title, true)));
            FUZZ_CHECK(closedOnlyAtItsEnd(TabScript::literal(tab.url, true)));
            tabs.push_back(tab);
        }
    }
    const auto duplicates = TabCleanup::duplicates(windows);
    FUZZ_CHECK(duplicates.size() <= tabs.size());
    TabScript::close(tabs, ChromiumBrowser::chrome);
    if (const auto plan = TabCleanup::mergePlan(windows))
        TabScript::merge(*plan, ChromiumBrowser::chrome);
    for (const auto& tab : tabs) {
        TabCleanup::normalize(tab.url);
        tab.host();
    }
    return 0;
}
