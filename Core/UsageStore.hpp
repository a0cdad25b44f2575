#pragma once

#include "Core/Date.hpp"
#include "Core/MinuteRecord.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The usage history in one folder: a JSON-lines file per UTC day, named
// usage-yyyy-MM-dd.jsonl, each line one MinuteRecord. Every call lists the folder
// again; the store keeps no other state. All calls block on file work.
class UsageStore {
public:
    explicit UsageStore(std::filesystem::path directory) : directory(std::move(directory)) {}

    std::filesystem::path directory;

    // Appends the record to the file of its own minute's UTC day, creating the folder
    // and the file when missing. Existing lines are never rewritten. Throws
    // std::filesystem::filesystem_error or std::system_error for file failures,
    // std::invalid_argument for a record that cannot be encoded (nothing is written then)
    // and std::out_of_range for a minute that has no calendar day.
    void append(const MinuteRecord& record) const;

    // The records from `since` on, sorted by minute (equal minutes keep file and line
    // order). Never throws: unreadable files and bad lines are skipped.
    std::vector<MinuteRecord> load(Date since) const;

    // Every record of every usage file, with no lower bound.
    std::vector<MinuteRecord> load() const;

    // Removes the usage files whose names sort before the file of the day `olderThanDays`
    // days before `now`; that day's file stays. The first failed removal is thrown.
    void prune(int olderThanDays, Date now) const;

    // Removes every usage file; the first failed removal is thrown.
    void clear() const;

private:
    struct Bound {
        std::string dayName;
        int64_t minute;
    };

    // The regular files named "usage-*.jsonl", by name; empty when the folder cannot be listed.
    std::vector<std::filesystem::path> files() const;
    std::vector<MinuteRecord> read(const std::optional<Bound>& bound) const;

    static std::string dayName(Date date);
};

} // namespace corvane
