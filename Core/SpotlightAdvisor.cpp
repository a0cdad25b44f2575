#include "Core/SpotlightAdvisor.hpp"

#include <sys/stat.h>

namespace corvane::SpotlightAdvisor {

namespace fs = std::filesystem;

std::vector<HeavyFolder> heavyFolders(const fs::path& home, int64_t minimumBytes)
{
    std::vector<HeavyFolder> result;
    for (const auto& [label, relative] : candidates) {
        const fs::path folder = home / relative;
        std::error_code ec;
        if (!fs::exists(folder, ec))
            continue;
        const int64_t bytes = allocatedSize(folder);
        if (bytes >= minimumBytes)
            result.push_back({folder.string(), std::string(label), bytes});
    }
    return result;
}

int64_t allocatedSize(const fs::path& folder)
{
    // An explicit stack of folders rather than a recursive iterator: the standard one
    // ends the whole walk at the first folder it cannot enter.
    int64_t total = 0;
    std::vector<fs::path> pending{folder};
    while (!pending.empty()) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        fs::directory_iterator it(current, ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            struct stat info {};
            if (::lstat(it->path().c_str(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode))
                pending.push_back(it->path());
            else if (S_ISREG(info.st_mode))
                total += static_cast<int64_t>(info.st_blocks) * 512;
        }
    }
    return total;
}

} // namespace corvane::SpotlightAdvisor
