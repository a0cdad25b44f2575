#include "Core/ProcessCatalog.hpp"

#include "Core/Files.hpp"
#include "Core/Utf8.hpp"
#include "Platform/ExecutablePath.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <string_view>
#include <system_error>

namespace corvane {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

[[noreturn]] void fail(std::size_t index, const std::string& problem)
{
    throw CatalogDecodingError("catalog entry " + std::to_string(index) + ": " + problem);
}

const Json& required(const Json& object, const char* key, std::size_t index)
{
    const auto it = object.find(key);
    if (it == object.end())
        fail(index, std::string("missing \"") + key + "\"");
    return *it;
}

std::string text(const Json& value, const char* key, std::size_t index)
{
    if (!value.is_string())
        fail(index, std::string("\"") + key + "\" is not a string");
    return value.get<std::string>();
}

std::optional<std::string> optionalText(const Json& object, const char* key, std::size_t index)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())  // null stands for absent, as for any optional key
        return std::nullopt;
    return text(*it, key, index);
}

std::vector<std::string> texts(const Json& value, const char* key, std::size_t index)
{
    if (!value.is_array())
        fail(index, std::string("\"") + key + "\" is not an array");
    std::vector<std::string> result;
    for (const auto& element : value)
        result.push_back(text(element, key, index));
    return result;
}

CatalogEntry decodeEntry(const Json& object, std::size_t index)
{
    if (!object.is_object())
        fail(index, "not an object");
    CatalogEntry entry;
    entry.id = text(required(object, "id", index), "id", index);
    const Json& match = required(object, "match", index);
    if (!match.is_object())
        fail(index, "\"match\" is not an object");
    entry.match.names = texts(required(match, "names", index), "names", index);
    entry.match.pathPrefixes = texts(required(match, "pathPrefixes", index), "pathPrefixes", index);
    entry.match.launchdLabels = texts(required(match, "launchdLabels", index), "launchdLabels", index);
    entry.title = text(required(object, "title", index), "title", index);
    entry.summary = text(required(object, "summary", index), "summary", index);
    entry.whyHigh = text(required(object, "whyHigh", index), "whyHigh", index);
    const auto verdict = fromString<Verdict>(text(required(object, "verdict", index), "verdict", index));
    if (!verdict)
        fail(index, "unknown verdict");
    entry.verdict = *verdict;
    entry.idleNote = optionalText(object, "idleNote", index);
    for (const auto& name : texts(required(object, "fixes", index), "fixes", index)) {
        const auto fix = fromString<FixID>(name);
        if (!fix)
            fail(index, "unknown fix \"" + name + "\"");
        entry.fixes.push_back(*fix);
    }
    entry.guide = text(required(object, "guide", index), "guide", index);
    entry.symbol = optionalText(object, "symbol", index);
    return entry;
}

Explanation fromEntry(const CatalogEntry& entry)
{
    return Explanation{entry.id,         entry.title, entry.summary, entry.whyHigh,
                       entry.verdict,    entry.idleNote, entry.fixes, entry.guide,
                       entry.symbol.value_or("gearshape"), false};
}

Explanation fallback(std::string title, std::string summary, Verdict verdict, std::vector<FixID> fixes = {})
{
    Explanation e;
    e.title = std::move(title);
    e.summary = std::move(summary);
    e.verdict = verdict;
    e.fixes = std::move(fixes);
    return e;
}

// A process of an app that no entry names.
Explanation partOf(const std::string& appName)
{
    const std::string app = Utf8::nameForDisplay(appName);
    return fallback("Part of " + app, "Belongs to " + app + ". Quitting " + app + " stops it.", Verdict::safe,
                    {FixID::quitApp});
}

// Where the shipped catalog lives, decided once, always relative to the running program
// so that a copy of the program never reads another tree's catalog: beside it (where the
// build puts a copy for the programs it makes), then in the share folder of the prefix it
// is installed under.
const std::optional<fs::path>& catalogLocation()
{
    static const std::optional<fs::path> location = [] () -> std::optional<fs::path> {
        const auto folder = Platform::executableDirectory();
        if (!folder)
            return std::nullopt;
        for (const auto& candidate : {*folder / "processes.json",
                                      (*folder / CORVANE_CATALOG_FROM_PROGRAM / "processes.json").lexically_normal()}) {
            std::error_code error;
            if (fs::is_regular_file(candidate, error))
                return candidate;
        }
        return std::nullopt;
    }();
    return location;
}

} // namespace

std::vector<CatalogEntry> ProcessCatalog::decode(const std::string& json)
{
    Json document;
    try {
        document = Json::parse(json);
    } catch (const Json::exception& error) {
        // Syntax errors, and numbers beyond what a double holds ("1e400").
        throw CatalogDecodingError(std::string("catalog is not JSON: ") + error.what());
    }
    if (!document.is_array())
        throw CatalogDecodingError("catalog is not a list of entries");
    std::vector<CatalogEntry> entries;
    entries.reserve(document.size());
    for (std::size_t i = 0; i < document.size(); ++i)
        entries.push_back(decodeEntry(document[i], i));
    return entries;
}

std::string ProcessCatalog::encode(const std::vector<CatalogEntry>& entries)
{
    Json document = Json::array();
    for (const auto& entry : entries) {
        Json object;
        object["id"] = entry.id;
        object["match"] = Json{{"names", entry.match.names},
                               {"pathPrefixes", entry.match.pathPrefixes},
                               {"launchdLabels", entry.match.launchdLabels}};
        object["title"] = entry.title;
        object["summary"] = entry.summary;
        object["whyHigh"] = entry.whyHigh;
        object["verdict"] = toString(entry.verdict);
        if (entry.idleNote)
            object["idleNote"] = *entry.idleNote;
        Json fixes = Json::array();
        for (const auto fix : entry.fixes)
            fixes.push_back(toString(fix));
        object["fixes"] = std::move(fixes);
        object["guide"] = entry.guide;
        if (entry.symbol)
            object["symbol"] = *entry.symbol;
        document.push_back(std::move(object));
    }
    return document.dump(2);
}

ProcessCatalog ProcessCatalog::load(const fs::path& file)
{
    return ProcessCatalog(decode(Files::readOrThrow(file)));
}

ProcessCatalog ProcessCatalog::bundled()
{
    const auto& location = catalogLocation();
    if (!location)
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory), "processes.json");
    return load(*location);
}

ProcessCatalog::ProcessCatalog(std::vector<CatalogEntry> entries)
    : entries_(std::move(entries)), index_(std::make_shared<const CatalogIndex>(entries_))
{
}

const CatalogEntry* ProcessCatalog::match(const std::string& name, const std::string& path) const
{
    // A name match wins over any path match, whichever entry comes first.
    if (const auto entry = index_->byName(name))
        return &entries_[*entry];
    if (const auto entry = index_->byPath(path))
        return &entries_[*entry];
    return nullptr;
}

Explanation ProcessCatalog::explain(const std::string& name, const std::string& path,
                                    const std::optional<std::string>& appName) const
{
    if (const CatalogEntry* entry = match(name, path))
        return fromEntry(*entry);
    static constexpr std::array<std::string_view, 6> systemFolders{
        "/System/", "/usr/libexec/", "/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"};
    for (const auto folder : systemFolders) {
        if (path.starts_with(folder))
            return fallback("Part of macOS", "A built-in macOS process.", Verdict::leave);
    }
    if (appName)
        return partOf(*appName);
    return fallback("Not in our list yet", "We don't have an explanation for this process yet.",
                    Verdict::review);
}

Explanation ProcessCatalog::explain(const ProcessGroup& group) const
{
    const auto primary = group.primary();
    if (!group.appPath || group.appKind == AppKind::sessionPart)
        return explain(primary.name, primary.path, std::nullopt);
    // A package puts an installed app's programs in the system's folders as often as
    // not (/usr/bin), so where they lie says nothing of whose they are.
    if (group.appKind == AppKind::installedApp) {
        const CatalogEntry* entry = match(primary.name, primary.path);
        return entry ? fromEntry(*entry) : partOf(group.displayName);
    }
    return explain(primary.name, primary.path, group.displayName);
}

Explanation ProcessCatalog::explain(const std::string& launchdLabel,
                                    const std::optional<std::string>& ownerApp) const
{
    if (const auto entry = index_->byLabel(launchdLabel))
        return fromEntry(entries_[*entry]);
    if (ownerApp) {
        const std::string owner = Utf8::nameForDisplay(*ownerApp);
        return fallback("Added by " + owner, "A background helper installed by " + owner + ".", Verdict::review);
    }
    return fallback("Unknown developer", "A background helper from a developer Corvane doesn't recognize.",
                    Verdict::review);
}

} // namespace corvane
