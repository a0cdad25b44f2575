#include "Platform/ProcFS.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <algorithm>

namespace fs = std::filesystem;

namespace corvane::ProcFS {

std::vector<int32_t> listPids(const fs::path& procRoot)
{
    std::vector<int32_t> pids;
    for (const auto& entry : fs::directory_iterator(procRoot)) {
        if (const auto pid = Numbers::parseInt<int32_t>(entry.path().filename().string()))
            pids.push_back(*pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::optional<std::string> field(std::string_view text, std::string_view key)
{
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ':')
            return std::string(Text::trim(line.substr(key.size() + 1)));
    }
    return std::nullopt;
}

std::optional<uint32_t> effectiveUID(const fs::path& procRoot, int32_t pid)
{
    const auto status = Files::read(procRoot / Numbers::toText(pid) / "status");
    if (!status)
        return std::nullopt;
    const auto uids = field(*status, "Uid");  // real, effective, saved, filesystem
    if (!uids)
        return std::nullopt;
    const auto parts = Text::splitSkippingEmpty(*uids, '\t');
    const auto words = parts.size() >= 2 ? parts : Text::splitSkippingEmpty(*uids, ' ');
    if (words.size() < 2)
        return std::nullopt;
    return Numbers::parseInt<uint32_t>(words[1]);
}

std::optional<std::string> executablePath(const fs::path& procRoot, int32_t pid)
{
    const fs::path folder = procRoot / Numbers::toText(pid);
    std::error_code error;
    auto target = fs::read_symlink(folder / "exe", error).string();
    // A program run from an anonymous memory file has no path worth showing.
    if (!error && !target.empty() && !target.starts_with("/memfd:")) {
        constexpr std::string_view deleted = " (deleted)";
        if (target.ends_with(deleted))
            target.erase(target.size() - deleted.size());
        return target;
    }
    if (const auto cmdline = Files::read(folder / "cmdline")) {
        const std::string argv0 = cmdline->substr(0, cmdline->find('\0'));
        if (argv0.starts_with('/'))
            return argv0;
    }
    if (auto comm = Files::read(folder / "comm")) {
        if (!comm->empty() && comm->back() == '\n')
            comm->pop_back();
        return comm;
    }
    return std::nullopt;
}

} // namespace corvane::ProcFS
