#include "Core/URLComponents.hpp"

#include <algorithm>

namespace corvane {
namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelim(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }

// True when every character is allowed by `allowed` or starts a "%XX" escape.
template <typename Allowed>
bool isEncoded(std::string_view text, Allowed allowed)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (text.size() - i < 3 || !isHex(text[i + 1]) || !isHex(text[i + 2]))
                return false;
            i += 2;
        } else if (!allowed(text[i])) {
            return false;
        }
    }
    return true;
}

bool isPChar(char c) { return isUnreserved(c) || isSubDelim(c) || c == ':' || c == '@'; }
bool isPathChar(char c) { return isPChar(c) || c == '/'; }
bool isQueryChar(char c) { return isPChar(c) || c == '/' || c == '?'; }
bool isUserChar(char c) { return isUnreserved(c) || isSubDelim(c) || c == ':'; }
bool isRegNameChar(char c) { return isUnreserved(c) || isSubDelim(c); }

bool isScheme(std::string_view text)
{
    return !text.empty() && isAlpha(text[0]) && std::all_of(text.begin(), text.end(), [](char c) {
        return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

// Fills user, host and port from the authority text; false when it is malformed.
bool parseAuthority(std::string_view authority, URLComponents& parts)
{
    if (const auto at = authority.find('@'); at != std::string_view::npos) {
        const auto user = authority.substr(0, at);
        if (!isEncoded(user, isUserChar))
            return false;
        parts.user = std::string(user);
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::optional<std::string_view> port;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || close == 1)
            return false;
        host = authority.substr(0, close + 1);
        const auto inside = host.substr(1, host.size() - 2);
        if (!std::all_of(inside.begin(), inside.end(), isUserChar))
            return false;
        const auto rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':')
                return false;
            port = rest.substr(1);
        }
    } else if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (!host.starts_with('[') && !isEncoded(host, isRegNameChar))
        return false;
    if (port && !std::all_of(port->begin(), port->end(), isDigit))
        return false;
    parts.host = std::string(host);
    if (port)
        parts.port = std::string(*port);
    return true;
}

} // namespace

std::optional<URLComponents> URLComponents::parse(std::string_view text)
{
    URLComponents parts;
    if (const auto hash = text.find('#'); hash != std::string_view::npos) {
        const auto fragment = text.substr(hash + 1);
        if (!isEncoded(fragment, isQueryChar))
            return std::nullopt;
        parts.fragment = std::string(fragment);
        text = text.substr(0, hash);
    }
    if (const auto question = text.find('?'); question != std::string_view::npos) {
        const auto query = text.substr(question + 1);
        if (!isEncoded(query, isQueryChar))
            return std::nullopt;
        parts.query = std::string(query);
        text = text.substr(0, question);
    }
    const auto colon = text.find(':');
    if (colon != std::string_view::npos && colon < text.find('/')) {
        // A colon in the first segment either ends a scheme or makes the text malformed.
        const auto scheme = text.substr(0, colon);
        if (!isScheme(scheme))
            return std::nullopt;
        parts.scheme = std::string(scheme);
        text.remove_prefix(colon + 1);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const auto slash = std::min(text.find('/'), text.size());
        if (!parseAuthority(text.substr(0, slash), parts))
            return std::nullopt;
        text.remove_prefix(slash);
    }
    if (!isEncoded(text, isPathChar))
        return std::nullopt;
    parts.path = std::string(text);
    return parts;
}

std::string URLComponents::text() const
{
    std::string out;
    if (scheme)
        out += *scheme + ":";
    if (host) {
        out += "//";
        if (user)
            out += *user + "@";
        out += *host;
        if (port)
            out += ":" + *port;
    }
    out += path;
    if (query)
        out += "?" + *query;
    if (fragment)
        out += "#" + *fragment;
    return out;
}

} // namespace corvane
