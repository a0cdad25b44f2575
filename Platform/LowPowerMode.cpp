#include "Platform/LowPowerMode.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"

namespace corvane::Platform {

bool lowPowerModeEnabled(const std::filesystem::path& root)
{
    const auto profile = Files::read(root / "sys/firmware/acpi/platform_profile");
    return profile && Text::trim(*profile) == "low-power";
}

} // namespace corvane::Platform
