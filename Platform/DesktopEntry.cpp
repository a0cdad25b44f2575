#include "Platform/DesktopEntry.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"

namespace corvane::DesktopEntry {

namespace {

std::string unescaped(std::string_view value)
{
    std::string result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': result += ' '; break;
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case 'r': result += '\r'; break;
        default: result += value[i]; break;
        }
    }
    return result;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

Keys parse(std::string_view text, std::string_view group)
{
    Keys keys;
    bool inMainGroup = false;
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        const auto trimmed = Text::trim(line);
        if (trimmed.empty() || trimmed.starts_with('#'))
            continue;
        if (trimmed.starts_with('[')) {
            inMainGroup = trimmed.size() == group.size() + 2 && trimmed.substr(1, group.size()) == group
                          && trimmed.back() == ']';
            continue;
        }
        const auto equals = trimmed.find('=');
        if (!inMainGroup || equals == std::string_view::npos || equals == 0)
            continue;
        const auto key = Text::trim(trimmed.substr(0, equals));
        if (!key.empty() && !keys.contains(key))
            keys.emplace(key, unescaped(Text::trim(trimmed.substr(equals + 1))));
    }
    return keys;
}

Keys read(const std::filesystem::path& file, std::string_view group)
{
    const auto bytes = Files::read(file, maxBytes);
    return bytes ? parse(*bytes, group) : Keys{};
}

std::string value(const Keys& keys, std::string_view key)
{
    const auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
}

bool isTrue(const Keys& keys, std::string_view key)
{
    const auto found = keys.find(key);
    return found != keys.end() && found->second == "true";
}

std::vector<std::string> execArguments(std::string_view exec)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;  // something, even an empty pair of quotes, was read
    bool onlyFieldCodes = true;
    const auto finish = [&] {
        // An argument that was nothing but field codes expands to nothing here.
        if (inArgument && !(onlyFieldCodes && current.empty()))
            arguments.push_back(std::move(current));
        current.clear();
        inArgument = false;
        onlyFieldCodes = true;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (isBlank(c)) {
            finish();
        } else if (c == '"') {
            inArgument = true;
            onlyFieldCodes = false;
            for (++i; i < exec.size() && exec[i] != '"'; ++i) {
                if (exec[i] == '\\' && i + 1 < exec.size())
                    ++i;
                current += exec[i];
            }
        } else if (c == '%' && i + 1 < exec.size()) {
            inArgument = true;
            if (exec[++i] == '%') {
                current += '%';
                onlyFieldCodes = false;
            }
        } else {
            inArgument = true;
            onlyFieldCodes = false;
            current += c;
        }
    }
    finish();
    return arguments;
}

} // namespace corvane::DesktopEntry
