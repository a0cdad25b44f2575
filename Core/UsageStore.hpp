#pragma once

#include "Core/Date.hpp"
#include "Core/MinuteRecord.hpp"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The usage history in one folder: a JSON-lines file per UTC day, named
// usage-yyyy-MM-dd.jsonl, each line one MinuteRecord. Only entries named exactly so, with
// a real calendar date, and that are plain files are ever read or removed: whatever else
// a person keeps in the folder is left alone. Every call lists the folder again; the
// store keeps no other state. All calls block on file work.
class UsageStore {
public:
    // No load reads more than this, newest days first: a month of history is a few
    // megabytes, so only files grown by something else come near it.
    static constexpr std::size_t maxLoadBytes = std::size_t{32} << 20;
    // Records and day files this far past the present are not history yet: the clock was
    // wrong when they were written, or someone else wrote them.
    static constexpr std::chrono::minutes aheadAllowed{5};

    explicit UsageStore(std::filesystem::path directory) : directory(std::move(directory)) {}

    std::filesystem::path directory;
    // Told, on the loading thread, when a load stops at maxLoadBytes; the text says what was left out.
    std::function<void(const std::string& message)> onLoadCut;

    // Appends the record to the file of its own minute's UTC day, creating the folder
    // and the file when missing. Existing lines are never rewritten. Throws
    // std::filesystem::filesystem_error or std::system_error for file failures,
    // std::invalid_argument for a record that cannot be encoded (nothing is written then)
    // and std::out_of_range for a minute that has no calendar day.
    void append(const MinuteRecord& record) const;

    // The records from `since` up to `now` (plus aheadAllowed), sorted by minute (equal
    // minutes keep file and line order). Never throws: unreadable files and bad lines
    // are skipped.
    std::vector<MinuteRecord> load(Date since, Date now) const;

    // Every record of every day file, with no bound in time (tests, tools).
    std::vector<MinuteRecord> load() const;

    // Removes the day files dated before the day `olderThanDays` days before `now`; that
    // day's file stays, and so does every later one, a day file dated after `now`
    // included. The first failed removal is thrown.
    void prune(int olderThanDays, Date now) const;

    // Removes every day file; the first failed removal is thrown.
    void clear() const;

    // Whether a file name is that of a day file: "usage-", a real date as yyyy-MM-dd, ".jsonl".
    static bool isDayName(std::string_view name);

private:
    struct Bound {
        std::string firstDay, lastDay;
        int64_t firstMinute, lastMinute;
    };

    // The day files, by name (which is date order); empty when the folder cannot be listed.
    std::vector<std::filesystem::path> files() const;
    std::vector<MinuteRecord> read(const std::optional<Bound>& bound) const;

    static std::string dayName(Date date);
};

} // namespace corvane
