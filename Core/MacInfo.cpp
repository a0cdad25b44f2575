#include "Core/MacInfo.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/HardwareInfo.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace corvane {
namespace {

using Json = nlohmann::ordered_json;

// "16 GB", "512 MB", "1 TB": a whole number, a space and an exact unit. A size
// that overflows, or is zero or negative, is no size at all.
std::optional<int64_t> parseSize(std::string_view text)
{
    const auto pieces = Text::splitSkippingEmpty(text, ' ');
    if (pieces.size() != 2)
        return std::nullopt;
    const auto count = Numbers::parseSignedInt<int64_t>(pieces[0]);
    if (!count || *count <= 0)
        return std::nullopt;
    int shift = 0;
    if (pieces[1] == "TB")
        shift = 40;
    else if (pieces[1] == "GB")
        shift = 30;
    else if (pieces[1] == "MB")
        shift = 20;
    else
        return std::nullopt;
    return Numbers::multiply(*count, int64_t{1} << shift);
}

std::optional<std::string> stringAt(const Json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return it->get<std::string>();
}

// The document the hardware-profile tool would print, built from what Linux offers;
// a piece the machine does not report is left out, as the tool would. Only Apple's own
// machines have a chip type: any other processor is a CPU type, never Apple silicon.
std::string hardwareProfile(const std::string& model, const std::string& chip, bool appleHardware)
{
    Json entry = Json::object();
    if (!model.empty())
        entry["machine_name"] = model;
    if (!chip.empty())
        entry[appleHardware ? "chip_type" : "cpu_type"] = chip;
    Json document;
    document["SPHardwareDataType"] = Json::array({entry});
    return document.dump();
}

} // namespace

MacInfo MacInfo::read(const std::filesystem::path& root)
{
    const std::string model = HardwareInfo::machineModel(root);
    // Apple's machines name themselves in their model ("Apple MacBook Air (M1, 2020)").
    const bool appleHardware = HardwareInfo::isArm64(root) && model.starts_with("Apple ");
    const int64_t physicalMemory = HardwareInfo::physicalMemory(root);
    std::string chip = HardwareInfo::cpuModel(root);
    if (chip.empty() && appleHardware)
        chip = "Apple silicon";
    if (auto info = parse(hardwareProfile(model, chip, appleHardware), physicalMemory))
        return *info;
    return MacInfo{model, chip.empty() ? "Unknown chip" : chip, physicalMemory, false};
}

std::optional<MacInfo> MacInfo::parse(std::string_view systemProfilerJSON)
{
    return parse(systemProfilerJSON, HardwareInfo::physicalMemory());
}

std::optional<MacInfo> MacInfo::parse(std::string_view systemProfilerJSON, int64_t physicalMemory)
{
    const Json document = Json::parse(systemProfilerJSON.begin(), systemProfilerJSON.end(), nullptr, false);
    if (!document.is_object())
        return std::nullopt;
    const auto entries = document.find("SPHardwareDataType");
    if (entries == document.end() || !entries->is_array() || entries->empty() ||
        !std::all_of(entries->begin(), entries->end(), [](const Json& e) { return e.is_object(); }))
        return std::nullopt;
    const Json& hardware = entries->front();

    const auto name = stringAt(hardware, "machine_name");
    if (!name)
        return std::nullopt;
    const auto chipType = stringAt(hardware, "chip_type");
    const std::string chip = chipType.value_or(stringAt(hardware, "cpu_type").value_or("Unknown chip"));
    const auto memoryText = stringAt(hardware, "physical_memory");
    const auto memory = memoryText ? parseSize(*memoryText) : std::nullopt;
    return MacInfo{*name, chip, memory.value_or(physicalMemory), chipType && chipType->starts_with("Apple")};
}

} // namespace corvane
