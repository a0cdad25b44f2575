#include "Platform/AppleHardware.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"
#include "Platform/HardwareInfo.hpp"

namespace corvane::AppleHardware {

bool isIntelMac(const std::filesystem::path& root)
{
    const auto vendor = Files::read(root / "sys/class/dmi/id/sys_vendor");
    return vendor && Text::trim(*vendor) == "Apple Inc." && !HardwareInfo::isArm64(root);
}

} // namespace corvane::AppleHardware
