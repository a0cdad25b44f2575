#pragma once

#include "Core/CatalogIndex.hpp"
#include "Core/FixID.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/Verdict.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {

// One record of the catalog file.
struct CatalogEntry {
    struct Match {
        std::vector<std::string> names;          // exact process names
        std::vector<std::string> pathPrefixes;   // executable path prefixes
        std::vector<std::string> launchdLabels;  // launchd label prefixes

        bool operator==(const Match&) const = default;
    };

    std::string id;
    Match match;
    std::string title;
    std::string summary;
    std::string whyHigh;
    Verdict verdict = Verdict::review;
    std::optional<std::string> idleNote;
    std::vector<FixID> fixes;
    std::string guide;
    std::optional<std::string> symbol;

    bool operator==(const CatalogEntry&) const = default;
};

// What the program says about one process, app or background job.
struct Explanation {
    std::optional<std::string> entryID;  // absent for a fallback
    std::string title;
    std::string summary;
    std::optional<std::string> whyHigh;
    Verdict verdict = Verdict::review;
    std::optional<std::string> idleNote;
    std::vector<FixID> fixes;
    std::optional<std::string> guide;
    std::string symbol = "gearshape";
    bool isFallback = true;

    bool operator==(const Explanation&) const = default;
};

// The catalog file is not a list of well-formed entries.
class CatalogDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The known processes, in file order; every lookup takes the first entry that matches.
// Immutable once built, so copies share one index and any thread may read it.
class ProcessCatalog {
public:
    ProcessCatalog() : ProcessCatalog(std::vector<CatalogEntry>{}) {}
    explicit ProcessCatalog(std::vector<CatalogEntry> entries);

    // The shipped catalog, found next to the executable, then in the share folder of the
    // prefix the executable is installed under. Throws std::system_error (no such file) when
    // none exists, the read error, or CatalogDecodingError.
    static ProcessCatalog bundled();

    // The catalog at `file`; throws as bundled() does.
    static ProcessCatalog load(const std::filesystem::path& file);

    // Entries from the JSON text of a catalog file; one bad record fails the whole text.
    static std::vector<CatalogEntry> decode(const std::string& json);
    static std::string encode(const std::vector<CatalogEntry>& entries);

    Explanation explain(const std::string& name, const std::string& path,
                        const std::optional<std::string>& appName) const;
    // The group's primary process with the group's app: a bundle's as the app name above;
    // an installed app's a person starts, whose fallback comes before the system-folder
    // one; none for a part of the session.
    Explanation explain(const ProcessGroup& group) const;
    Explanation explain(const std::string& launchdLabel,
                        const std::optional<std::string>& ownerApp) const;

    const std::vector<CatalogEntry>& entries() const& { return entries_; }
    // From a temporary catalog, a copy of its own: a loop over it must not dangle.
    std::vector<CatalogEntry> entries() && { return std::move(entries_); }

private:
    // The entry listing the name, else the first whose path prefix the path has.
    const CatalogEntry* match(const std::string& name, const std::string& path) const;

    std::vector<CatalogEntry> entries_;
    std::shared_ptr<const CatalogIndex> index_;
};

} // namespace corvane
