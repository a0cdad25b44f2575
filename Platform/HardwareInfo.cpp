#include "Platform/HardwareInfo.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Core/Utf8.hpp"
#include "Platform/ProcFS.hpp"

#include <sys/utsname.h>

namespace fs = std::filesystem;

namespace corvane::HardwareInfo {
namespace {

std::string cleanText(std::string_view bytes)
{
    return Utf8::decodeLossy(Text::trim(bytes.substr(0, bytes.find('\0'))));
}

} // namespace

bool isArm64(const fs::path& root)
{
    std::string arch;
    if (const auto text = Files::read(root / "proc/sys/kernel/arch")) {
        arch = Text::trim(*text);
    } else {
        utsname name{};
        if (::uname(&name) == 0)
            arch = name.machine;
    }
    return arch == "aarch64" || arch == "arm64";
}

std::string machineModel(const fs::path& root)
{
    for (const char* source : {"sys/class/dmi/id/product_name", "sys/firmware/devicetree/base/model"}) {
        if (const auto text = Files::read(root / source)) {
            std::string model = cleanText(*text);
            if (!model.empty())
                return model;
        }
    }
    return "";
}

std::string cpuModel(const fs::path& root)
{
    const auto text = Files::read(root / "proc/cpuinfo");
    if (!text)
        return "";
    // Keys are padded with tabs before the colon ("model name\t: ...").
    for (const auto line : Text::splitSkippingEmpty(*text, '\n')) {
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && Text::trim(line.substr(0, colon)) == "model name")
            return cleanText(line.substr(colon + 1));
    }
    return "";
}

int64_t physicalMemory(const fs::path& root)
{
    const auto text = Files::read(root / "proc/meminfo");
    const auto value = text ? ProcFS::field(*text, "MemTotal") : std::nullopt;
    if (!value)
        return 0;
    const auto pieces = Text::splitSkippingEmpty(*value, ' ');
    if (pieces.size() != 2 || pieces[1] != "kB")
        return 0;
    const auto kibibytes = Numbers::parseInt<int64_t>(pieces[0]);
    const auto bytes = kibibytes ? Numbers::multiply(*kibibytes, 1024) : std::nullopt;
    return bytes && *bytes > 0 ? *bytes : 0;
}

} // namespace corvane::HardwareInfo
