#include "Tests/Support/ReadOnlyFolder.hpp"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <stdexcept>

namespace corvane::test {

const int ReadOnlyFolder::overrideCapabilities[2] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH};

namespace {

// This thread's capabilities: the raw calls change the calling thread only.
bool capabilities(__user_cap_data_struct (&data)[2], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return (set ? ::syscall(SYS_capset, &header, data) : ::syscall(SYS_capget, &header, data)) == 0;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(std::filesystem::path folder) : folder_(std::move(folder))
{
    before_ = std::filesystem::status(folder_).permissions();
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                              std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false))
        throw std::runtime_error("cannot read this thread's capabilities");
    effectiveBefore_[0] = data[0].effective;
    effectiveBefore_[1] = data[1].effective;
    for (const int capability : overrideCapabilities)
        data[capability / 32].effective &= ~(1u << (capability % 32));
    if (!capabilities(data, true))
        throw std::runtime_error("cannot change this thread's capabilities");
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    __user_cap_data_struct data[2] = {};
    if (capabilities(data, false)) {
        data[0].effective = effectiveBefore_[0];
        data[1].effective = effectiveBefore_[1];
        capabilities(data, true);
    }
    std::error_code ignored;
    std::filesystem::permissions(folder_, before_, ignored);
}

} // namespace corvane::test
