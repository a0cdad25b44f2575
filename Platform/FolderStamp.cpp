#include "Platform/FolderStamp.hpp"

#include <sys/stat.h>

namespace corvane {

FolderStamp FolderStamp::of(const std::filesystem::path& folder)
{
    FolderStamp stamp{folder};
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        stamp.exists = true;
        stamp.seconds = info.st_mtim.tv_sec;
        stamp.nanoseconds = info.st_mtim.tv_nsec;
        stamp.inode = info.st_ino;
    }
    return stamp;
}

} // namespace corvane
