#include "Platform/LowPowerMode.hpp"

#include "Core/Text.hpp"
#include "Platform/ProcFS.hpp"

namespace corvane::Platform {

bool lowPowerModeEnabled(const std::filesystem::path& root)
{
    const auto profile = ProcFS::readFile(root / "sys/firmware/acpi/platform_profile");
    return profile && Text::trim(*profile) == "low-power";
}

} // namespace corvane::Platform
